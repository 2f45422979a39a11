#pragma once
// Disables a set of commands for as long as it lives, then gives each the
// enabled state it had before: the commands that must not run while some
// long piece of work is under way.
#include <QPointer>
#include <initializer_list>
#include <utility>
#include <vector>

class QAction;
class QWidget;

class CommandLock {
public:
    CommandLock(const std::vector<QAction*>& actions, const std::vector<QWidget*>& widgets);
    ~CommandLock();
    CommandLock(const CommandLock&) = delete;
    CommandLock& operator=(const CommandLock&) = delete;

private:
    std::vector<std::pair<QPointer<QAction>, bool>> actions_;
    std::vector<std::pair<QPointer<QWidget>, bool>> widgets_;
};
