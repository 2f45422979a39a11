#include "app/projectlistdelegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

namespace {
QString wholeText(const QModelIndex& index)
{
    const QVariant whole = index.data(Qt::ToolTipRole);
    return whole.isValid() ? whole.toString() : index.data(Qt::DisplayRole).toString();
}
} // namespace

bool ProjectListDelegate::cutsText(const QStyleOptionViewItem& option, const QModelIndex& index,
                                   const QWidget* view) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    if (wholeText(index) != item.text)
        return true;
    const QStyle* style = view ? view->style() : nullptr;
    if (!style)
        return false;
    // The room the style leaves for the text, less the margins it draws it within.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, view);
    return item.fontMetrics.horizontalAdvance(item.text) > room.width() - 2 * margin;
}

bool ProjectListDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                    const QModelIndex& index)
{
    if (!event || event->type() != QEvent::ToolTip || !view || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    if (!cutsText(option, index, view)) {
        QToolTip::hideText();
        return true;
    }
    // A very long description goes as rich text, which wraps instead of
    // running off the screen and keeps its blanks as they are.
    const QString whole = wholeText(index);
    const int longestLine = 120;
    QToolTip::showText(event->globalPos(),
                       whole.size() <= longestLine
                           ? whole
                           : QStringLiteral("<p style=\"white-space:pre-wrap\">") + whole.toHtmlEscaped() +
                                 QStringLiteral("</p>"),
                       view->viewport(), option.rect);
    return true;
}
