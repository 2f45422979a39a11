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

bool CrLabelPainter::eventFilter(QObject* watched, QEvent* event)
{
    auto* label = qobject_cast<QLabel*>(watched);
    if (!label || event->type() != QEvent::Paint || !label->text().contains(QLatin1Char('\r')))
        return false;
    QString shown = label->text();
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QPainter painter(label);
    int flags = int(label->alignment());
    if (label->wordWrap())
        flags |= Qt::TextWordWrap;
    label->style()->drawItemText(&painter, label->contentsRect(), flags, label->palette(), label->isEnabled(),
                                 shown, label->foregroundRole());
    return true;
}
