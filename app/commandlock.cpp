#include "app/commandlock.h"

#include <QAction>
#include <QWidget>

CommandLock::CommandLock(const std::vector<QAction*>& actions, const std::vector<QWidget*>& widgets)
{
    for (QAction* action : actions) {
        actions_.emplace_back(action, action->isEnabled());
        action->setEnabled(false);
    }
    for (QWidget* widget : widgets) {
        widgets_.emplace_back(widget, widget->isEnabled());
        widget->setEnabled(false);
    }
}

CommandLock::~CommandLock()
{
    for (const auto& [action, enabled] : actions_)
        if (action)
            action->setEnabled(enabled);
    for (const auto& [widget, enabled] : widgets_)
        if (widget)
            widget->setEnabled(enabled);
}
