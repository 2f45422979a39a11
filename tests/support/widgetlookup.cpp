#include "widgetlookup.h"

#include <QtGlobal>

bool triggerAction(const QObject* root, const char* name)
{
    QAction* action = root ? root->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
    if (!action) {
        qWarning("No action named \"%s\"", name);
        return false;
    }
    if (!action->isEnabled()) {
        qWarning("Action \"%s\" is disabled", name);
        return false;
    }
    action->trigger();
    return true;
}
