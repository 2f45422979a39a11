#include "help/thelpcomponentbase.h"

THelpComponentBase::THelpComponentBase(QObject* owner) : QObject(owner) {}

void THelpComponentBase::Loaded()
{
    handleAllocated_ = true;
}

void THelpComponentBase::PostMessage(int message, const QPoint& point)
{
    if (!handleAllocated_)
        return;
    QMetaObject::invokeMethod(
        this, [this, message, point] { HandleMessage(message, point); }, Qt::QueuedConnection);
}
