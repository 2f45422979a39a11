#pragma once
// Base of the help components: once the owning form has finished loading,
// the component can take deferred steps. A step is queued from an event
// handler and runs later from the event loop, never inside the handler.
#include <QObject>
#include <QPoint>

class THelpComponentBase : public QObject {
    Q_OBJECT
public:
    explicit THelpComponentBase(QObject* owner = nullptr);

    // The owning form has finished loading.
    virtual void Loaded();
    bool HandleAllocated() const { return handleAllocated_; }

protected:
    // Queues step `message` with a screen point; dropped before Loaded.
    void PostMessage(int message, const QPoint& point = QPoint());
    virtual void HandleMessage(int message, const QPoint& point) = 0;

private:
    bool handleAllocated_ = false;
};
