#pragma once
// Finding what a help gesture is about: the control under a screen point,
// forms and their names, the parent item of a menu item, and the help
// numbers that widgets and actions carry as "HelpContext" properties.
#include <QPoint>
#include <QString>

class QAction;
class QObject;
class QWidget;

namespace HelpTargets {

// The control at a screen point, for a mouse event received by eventWidget:
// none when the event is not for one of the program's windows (menus do not
// count); the client area of a main window counts as the window itself.
QWidget* controlAt(QWidget* eventWidget, const QPoint& globalPoint);

// A form: a top-level window of the program.
bool isForm(const QObject* object);
// A form's name for the context map: its object name, without the leading
// "T" when the name is that of its class ("TVantorel" -> "Vantorel").
QString formName(const QObject* form);

// The item a menu item hangs under (the item that opens its menu), or null.
QAction* parentMenuItem(const QAction* item);

// The "HelpContext" property as a number; 0 when missing or not a number.
qint32 helpContextOf(const QObject* object);

} // namespace HelpTargets
