#include "wizard/crlabelpainter.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>

CrLabelPainter::CrLabelPainter(QLabel* label) : QObject(label) {}

void CrLabelPainter::install(QLabel* label)
{
    label->installEventFilter(new CrLabelPainter(label));
}

namespace {

QString withLineBreaks(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

void CrLabelPainter::fitToText(QLabel* label)
{
    const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, 10000, 10000), int(label->alignment()),
                                                           withLineBreaks(label->text()));
    const QMargins margins = label->contentsMargins();
    label->setMinimumSize(needed.width() + margins.left() + margins.right() + 2 * label->margin(),
                          needed.height() + margins.top() + margins.bottom() + 2 * label->margin());
}

bool CrLabelPainter::eventFilter(QObject* watched, QEvent* event)
{
    auto* label = qobject_cast<QLabel*>(watched);
    if (!label || event->type() != QEvent::Paint || !label->text().contains(QLatin1Char('\r')))
        return false;
    const QString shown = withLineBreaks(label->text());
    QPainter painter(label);
    int flags = int(label->alignment());
    if (label->wordWrap())
        flags |= Qt::TextWordWrap;
    label->style()->drawItemText(&painter, label->contentsRect(), flags, label->palette(), label->isEnabled(),
                                 shown, label->foregroundRole());
    return true;
}
