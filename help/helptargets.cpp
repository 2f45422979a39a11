#include "help/helptargets.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QWidget>

namespace HelpTargets {

namespace {
bool isMenuWindow(const QWidget* w)
{
    return w && qobject_cast<const QMenu*>(w->window());
}

// Descends to the last visible child containing the point, as the topmost.
QWidget* deepestAt(QWidget* control, const QPoint& globalPoint)
{
    for (;;) {
        QWidget* hit = nullptr;
        const QObjectList& children = control->children();
        for (auto it = children.crbegin(); it != children.crend(); ++it) {
            auto* child = qobject_cast<QWidget*>(*it);
            if (!child || child->isWindow() || !child->isVisible())
                continue;
            if (child->geometry().contains(control->mapFromGlobal(globalPoint))) {
                hit = child;
                break;
            }
        }
        if (!hit)
            return control;
        control = hit;
    }
}
} // namespace

QWidget* controlAt(QWidget* eventWidget, const QPoint& globalPoint)
{
    if (!eventWidget || isMenuWindow(eventWidget))
        return nullptr;
    QWidget* start = QApplication::widgetAt(globalPoint);
    if (!start)
        start = eventWidget->window();
    if (isMenuWindow(start))
        return nullptr;
    QWidget* control = deepestAt(start, globalPoint);
    if (auto* main = qobject_cast<QMainWindow*>(control->parentWidget()); main && main->centralWidget() == control)
        return main;
    return control;
}

bool isForm(const QObject* object)
{
    const auto* w = qobject_cast<const QWidget*>(object);
    return w && w->isWindow();
}

QString formName(const QObject* form)
{
    if (!form)
        return QString();
    const QString name = form->objectName();
    if (name == QLatin1String(form->metaObject()->className()) && name.size() > 1 && name.startsWith(QLatin1Char('T')))
        return name.mid(1);
    return name;
}

QAction* parentMenuItem(const QAction* item)
{
    if (!item)
        return nullptr;
    for (QObject* holder : item->associatedObjects()) {
        if (auto* menu = qobject_cast<QMenu*>(holder)) {
            QAction* opener = menu->menuAction();
            if (opener != item)
                return opener;
        }
    }
    return nullptr;
}

qint32 helpContextOf(const QObject* object)
{
    if (!object)
        return 0;
    bool ok = false;
    const qint32 value = object->property("HelpContext").toInt(&ok);
    return ok ? value : 0;
}

} // namespace HelpTargets
