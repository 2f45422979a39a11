#include "common/panel.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextDocument>

void makeOpaquePanel(QWidget& panel)
{
    panel.setAutoFillBackground(true);
    panel.setBackgroundRole(QPalette::Window);
    panel.setAttribute(Qt::WA_OpaquePaintEvent, false);
}

bool focusFirstControl(QWidget& container)
{
    // The tab order runs through the whole window and back to its start.
    for (QWidget* w = container.nextInFocusChain(); w && w != &container; w = w->nextInFocusChain()) {
        if (!container.isAncestorOf(w) || w->focusProxy())
            continue;
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return false;
}

namespace {
void collectTabStops(const QWidget& parent, QList<QWidget*>& stops)
{
    for (QObject* child : parent.children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow())
            continue;
        if (widget->focusPolicy() != Qt::NoFocus && !widget->focusProxy())
            stops << widget;
        collectTabStops(*widget, stops);
    }
}
} // namespace

void orderTabStopsAsMade(QWidget& container)
{
    QList<QWidget*> stops;
    collectTabStops(container, stops);
    for (int i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops[i - 1], stops[i]);
}

void fitWidthToText(QLineEdit& edit, const QString& sample, TextBoxWidth width)
{
    QStyleOptionFrame option;
    option.initFrom(&edit);
    const QMargins text = edit.textMargins();
    const QSize contents(edit.fontMetrics().horizontalAdvance(sample) + text.left() + text.right() + 4,
                         edit.fontMetrics().height());
    const int room = edit.style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, &edit).width();
    if (width == TextBoxWidth::Fixed)
        edit.setFixedWidth(room);
    else
        edit.setMinimumWidth(room);
}

void fitToText(QPlainTextEdit& memo)
{
    memo.setLineWrapMode(QPlainTextEdit::NoWrap);
    const QStringList lines = memo.toPlainText().split(QLatin1Char('\n'));
    int widest = 0;
    for (const QString& line : lines)
        widest = qMax(widest, memo.fontMetrics().horizontalAdvance(line));
    const int margin = int(memo.document()->documentMargin()) * 2 + memo.frameWidth() * 2 + 2;
    memo.setMinimumWidth(widest + margin);
    memo.setFixedHeight(memo.fontMetrics().lineSpacing() * int(lines.size()) + margin);
}
