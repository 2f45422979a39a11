#pragma once
// Finding the main window's widgets and actions by object name, as a user
// finds them by caption: tests do not reach through the generated forms.
#include <QAction>
#include <QByteArray>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QString>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>

#include "common/radiogroup.h"
#include "common/updown.h"

// The descendant of root named name; a missing one ends the test run, since
// every later step would only fail for the same reason.
template <typename T = QWidget>
T* named(const QObject* root, const char* name)
{
    T* found = root ? root->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    if (!found)
        qFatal("No %s named \"%s\"", T::staticMetaObject.className(), name);
    return found;
}

// Triggers the action named name as a click on its menu item or button
// would. False (with a warning saying why) when there is no such action or it
// is disabled: a user could not have chosen it.
bool triggerAction(const QObject* root, const char* name);
