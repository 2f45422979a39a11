// The gestures of TWhatsThis, as one application-wide event filter: key
// presses and releases (F1, Shift, the menu key, any key in context mode),
// mouse presses, releases and moves, right-clicks (context-menu requests),
// menus shown and hidden with their highlighted items, window activation and
// the platform's own "What's this?" mode.
#include "help/twhatsthis.h"

#include "help/helpcommands.h"
#include "help/helptargets.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QWhatsThis>

bool TWhatsThis::eventFilter(QObject* watched, QEvent* event)
{
    if (!hooked_)
        return false;
    try {
        if (event->type() == QEvent::EnterWhatsThisMode) {
            helpButtonPressed();
            return false;
        }
        // Events reach the window object first and then its widgets; the
        // gestures are read at the widgets.
        if (!watched->isWidgetType())
            return false;
        auto* receiver = static_cast<QWidget*>(watched);
        return gesture(receiver, event) || toggleClickIntercepted(receiver, event);
    } catch (...) {
        return false;
    }
}

bool TWhatsThis::gesture(QWidget* receiver, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // F1 belongs to help: no shortcut may take it first. Escape over a
        // "What's this?" text closes that text only, not the panel or
        // dialog beneath whose Escape shortcut would otherwise see it.
        if (key == Qt::Key_F1 || (key == Qt::Key_Escape && whatsThisTextShown())) {
            event->accept();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return keyboardHook(static_cast<QKeyEvent*>(event));
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        return mouseHook(receiver, static_cast<QMouseEvent*>(event));
    case QEvent::ContextMenu:
        rightClick(receiver, static_cast<QContextMenuEvent*>(event));
        return false;
    case QEvent::Show:
        if (auto* menu = qobject_cast<QMenu*>(receiver))
            menuShown(menu);
        return false;
    case QEvent::Hide:
        if (qobject_cast<QMenu*>(receiver))
            menuHidden();
        return false;
    case QEvent::WindowActivate:
        if (messageHook_ && state_ == wtsRightClick)
            state_ = wtsIdle;
        return false;
    default:
        return false;
    }
}

bool TWhatsThis::whatsThisTextShown()
{
    const QWidget* popup = QApplication::activePopupWidget();
    return popup && popup->inherits("QWhatsThat");
}

bool TWhatsThis::keyboardHook(QKeyEvent* key)
{
    if (key->isAutoRepeat())
        return false;
    if (key->type() == QEvent::KeyRelease) {
        if (key->key() == Qt::Key_Shift) {
            shiftDown_ = false;
        } else if (key->key() == Qt::Key_Menu && !inMenu_ && options_.testFlag(wtUseAppKey) && foregroundIsOurs()) {
            if (QWidget* control = activeControl()) {
                helpItem_ = control;
                state_ = wtsRightClick;
                installMessageHook();
                PostMessage(WTM_SHOWAT, control->mapToGlobal(control->rect().center()));
            }
        }
        return false;
    }
    if (state_ == wtsContextMode)
        LeaveContextMode();
    if (key->key() == Qt::Key_Shift)
        shiftDown_ = true;
    if (key->key() == Qt::Key_F1)
        return f1Procedure(key);
    return false;
}

bool TWhatsThis::f1Procedure(const QKeyEvent* key)
{
    state_ = wtsIdle;
    if (!foregroundIsOurs() && f1Action_ == goContext)
        return false;
    // The platform knows the Shift key's state even when it went down
    // before one of our windows had the keyboard.
    shiftDown_ = key->modifiers().testFlag(Qt::ShiftModifier);
    helpItem_ = activeControl();
    if (!inMenu_)
        installMessageHook();
    bool callHelp = true;
    if (!shiftDown_ && OnF1KeyDown)
        OnF1KeyDown(this, callHelp);
    if (callHelp) {
        if (shiftDown_) {
            EnterContextMode();
        } else if (inMenu_ || f1Action_ == goContext) {
            QPoint point = QCursor::pos();
            if (!inMenu_ && helpItem_)
                point = helpItem_->mapToGlobal(QPoint(0, 0));
            RequestHelp(point.x(), point.y());
        } else {
            HelpCommand(f1Action_ == goDefault ? HelpCmd::Contents : HelpCmd::TocRequest, 0);
        }
    }
    if (!inMenu_)
        PostMessage(WTM_RELEASE);
    return true;
}

bool TWhatsThis::mouseHook(QWidget* receiver, QMouseEvent* mouse)
{
    const QPoint point = mouse->globalPosition().toPoint();
    switch (mouse->type()) {
    case QEvent::MouseMove:
        if (state_ != wtsContextMode)
            return false;
        QApplication::changeOverrideCursor(Qt::WhatsThisCursor);
        return !inMenu_;
    case QEvent::MouseButtonPress:
        return mouse->button() == Qt::LeftButton && leftButtonDown(receiver, point);
    case QEvent::MouseButtonRelease:
        if (mouse->button() == Qt::LeftButton)
            return leftButtonUp(receiver, point);
        if (mouse->button() == Qt::RightButton && inMenu_ && (state_ == wtsIdle || state_ == wtsContextMode))
            return rightButtonUpInMenu(point);
        return false;
    default:
        return false;
    }
}

bool TWhatsThis::leftButtonDown(QWidget* receiver, const QPoint& point)
{
    // The menu bar plays the part of a window's menu line: it opens menus
    // without leaving context mode.
    if (qobject_cast<QMenuBar*>(receiver)) {
        installMessageHook();
        return false;
    }
    if (inMenu_)
        return false;
    switch (state_) {
    case wtsIdle:
        installMessageHook();
        return false;
    case wtsHelpButton:
        if (!messageHook_)
            return false;
        helpItem_ = HelpTargets::controlAt(receiver, point);
        if (helpItem_) {
            PostMessage(WTM_HELPAT, point);
            PostMessage(WTM_RELEASE);
        }
        state_ = wtsIdle;
        return true;
    case wtsContextMode:
        helpItem_ = HelpTargets::controlAt(receiver, point);
        if (toolbarButton_ && helpItem_ == toolbarButton_)
            return false;
        if (helpItem_)
            PostMessage(WTM_HELPAT, point);
        LeaveContextMode();
        return true;
    default:
        return false;
    }
}

bool TWhatsThis::leftButtonUp(QWidget* receiver, const QPoint& point)
{
    if (qobject_cast<QMenuBar*>(receiver)) {
        if (!inMenu_)
            removeMessageHook();
        return false;
    }
    if (state_ == wtsIdle) {
        if (!inMenu_)
            removeMessageHook();
        return false;
    }
    if (state_ != wtsContextMode)
        return false;
    if (!inMenu_) {
        removeMessageHook();
        return false;
    }
    if (menuCommand_ && highlighted_ && highlighted_ != menuItem_) {
        PostMessage(WTM_HELPAT, point);
        LeaveContextMode();
        return true;
    }
    return false;
}

bool TWhatsThis::rightButtonUpInMenu(const QPoint& point)
{
    if (!(options_.testFlag(wtMenuRightClick) || state_ == wtsContextMode) || !highlighted_)
        return false;
    if (state_ == wtsContextMode)
        LeaveContextMode();
    PostMessage(WTM_HELPAT, point);
    state_ = wtsIdle;
    return true;
}

void TWhatsThis::rightClick(QWidget* receiver, QContextMenuEvent* click)
{
    if (click->reason() != QContextMenuEvent::Mouse || inMenu_)
        return;
    if (state_ != wtsIdle && state_ != wtsContextMode)
        return;
    const QPoint point = click->globalPos();
    QWidget* control = HelpTargets::controlAt(receiver, point);
    if (!control)
        return;
    helpItem_ = control;
    if (state_ == wtsIdle) {
        state_ = wtsRightClick;
    } else if (toolbarButton_ && control == toolbarButton_) {
        LeaveContextMode();
        state_ = wtsRightClick;
    }
    installMessageHook();
    PostMessage(WTM_SHOWAT, point);
}

void TWhatsThis::helpButtonPressed()
{
    // The platform's own "What's this?" mode (a caption's help button)
    // becomes ours: the next left click asks for help on its control.
    QWhatsThis::leaveWhatsThisMode();
    if (state_ == wtsContextMode)
        LeaveContextMode();
    installMessageHook();
    state_ = wtsHelpButton;
}

void TWhatsThis::menuShown(QMenu* menu)
{
    if (openMenus_ == 0) {
        if (!messageHook_)
            return;
        if (state_ == wtsRightClick)
            state_ = wtsIdle;
        inMenu_ = true;
        highlighted_ = nullptr;
        menuCommand_ = true;
        for (QWidget* window : QApplication::topLevelWidgets())
            for (QMenuBar* bar : window->findChildren<QMenuBar*>())
                connect(bar, &QMenuBar::hovered, this, &TWhatsThis::menuSelect, Qt::UniqueConnection);
    }
    ++openMenus_;
    connect(menu, &QMenu::hovered, this, &TWhatsThis::menuSelect, Qt::UniqueConnection);
}

void TWhatsThis::menuHidden()
{
    // Menus are followed to their close even if the gesture ended meanwhile.
    if (openMenus_ == 0 || --openMenus_ > 0)
        return;
    inMenu_ = false;
    PostMessage(WTM_RELEASE);
}

void TWhatsThis::menuSelect(QAction* item)
{
    if (!messageHook_ || !inMenu_)
        return;
    highlighted_ = item;
    menuCommand_ = item && !item->menu();
}

bool TWhatsThis::toggleClickIntercepted(QWidget* receiver, QEvent* event)
{
    // While watching, the toggle item and button switch context mode
    // instead of doing their own click.
    const bool release = event->type() == QEvent::MouseButtonRelease &&
                         static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    const bool enterKey = event->type() == QEvent::KeyPress &&
                          (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                           static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
    if (!release && !enterKey)
        return false;
    if (toolbarButton_ && receiver == toolbarButton_ && release) {
        if (!toolbarButton_->rect().contains(toolbarButton_->mapFromGlobal(
                static_cast<QMouseEvent*>(event)->globalPosition().toPoint())))
            return false;
        toggleContextMode();
        // The pressed look follows context mode, not the mouse.
        toolbarButton_->setDown(state_ == wtsContextMode);
        return true;
    }
    auto* menu = qobject_cast<QMenu*>(receiver);
    if (menuItem_ && menu && menu->activeAction() == menuItem_) {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        toggleContextMode();
        return true;
    }
    return false;
}
