#pragma once
// "What's this?" help: F1, Shift+F1, a right-click and the open menus get
// their help meaning. One application-wide event filter watches the keys,
// the mouse, the menus and window activation; the steps that must not run
// inside it are queued to the component.
#include "help/thelpcomponentbase.h"

#include "help/thelpcontextmap.h"

#include <QAbstractButton>
#include <QAction>
#include <QPointer>
#include <functional>

class QKeyEvent;
class QMenu;
class QMouseEvent;
class QContextMenuEvent;
class QWidget;

class TWhatsThis : public THelpComponentBase {
    Q_OBJECT
public:
    enum TF1Action { goContext, goDefault, goTOC };
    Q_ENUM(TF1Action)
    enum TWhatsThisOption {
        wtDirectHelp = 1 << 0,
        wtMenuRightClick = 1 << 1,
        wtNoContextHelp = 1 << 2,
        wtNoContextMenu = 1 << 3,
        wtPopupOnForm = 1 << 4,
        wtInheritFormContext = 1 << 5,
        wtUseTag = 1 << 6,
        wtUseAppKey = 1 << 7,
    };
    Q_DECLARE_FLAGS(TWhatsThisOptions, TWhatsThisOption)
    Q_FLAG(TWhatsThisOptions)
    enum TWhatsThisState { wtsIdle, wtsRightClick, wtsHelpButton, wtsContextMode };
    Q_ENUM(TWhatsThisState)
    // The deferred steps.
    enum : int { WTM_SHOWAT = 1124, WTM_HELPAT = 1125, WTM_RELEASE = 1126 };

    using NotifyEvent = std::function<void(TWhatsThis* sender)>;
    using GetContextEvent = std::function<void(TWhatsThis* sender, QObject* item, bool isMenu, qint32& context)>;
    using HelpEvent = std::function<void(TWhatsThis* sender, QObject* item, bool isMenu, qint32 context, int x, int y,
                                         bool& callHelp)>;
    using PopupEvent =
        std::function<void(TWhatsThis* sender, QObject* item, qint32 context, int x, int y, bool& doPopup)>;
    using F1KeyDownEvent = std::function<void(TWhatsThis* sender, bool& callHelp)>;

    explicit TWhatsThis(QObject* owner = nullptr);
    ~TWhatsThis() override;

    // Makes the popup menu and, when Active, starts watching.
    void Loaded() override;

    bool Active() const { return active_; }
    void setActive(bool active);
    THelpContextMap* HelpContextMap() const { return map_; }
    void setHelpContextMap(THelpContextMap* map) { map_ = map; }
    TF1Action F1Action() const { return f1Action_; }
    void setF1Action(TF1Action action) { f1Action_ = action; }
    TWhatsThisOptions Options() const { return options_; }
    void setOptions(TWhatsThisOptions options) { options_ = options; }
    QString PopupCaption() const { return popupCaption_; }
    void setPopupCaption(const QString& caption);
    qint32 PopupHelpContext() const { return popupHelpContext_; }
    void setPopupHelpContext(qint32 context);
    // Toggle context mode; changing them while watching throws.
    QAction* WTMenuItem() const { return menuItem_; }
    void setWTMenuItem(QAction* item);
    QAbstractButton* WTToolbarButton() const { return toolbarButton_; }
    void setWTToolbarButton(QAbstractButton* button);

    NotifyEvent OnEnterContextMode;
    NotifyEvent OnLeaveContextMode;
    GetContextEvent OnGetContext;
    HelpEvent OnHelp;
    PopupEvent OnPopup;
    F1KeyDownEvent OnF1KeyDown;

    void Activate();
    void Deactivate();
    void EnterContextMode();
    void LeaveContextMode();
    // Finds the context of the pending item and shows help or the popup
    // menu at the screen point; true when either was shown.
    bool RequestHelp(int x, int y);
    void PopupItemClick();

    static TWhatsThis* current();

    // What the gestures are doing, for the program's tests.
    TWhatsThisState state() const { return state_; }
    bool hooked() const { return hooked_; }
    bool inMenu() const { return inMenu_; }
    bool messageHookInstalled() const { return messageHook_; }
    QMenu* popupMenu() const { return popupMenu_; }
    QAction* highlightedMenuItem() const { return highlighted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void HandleMessage(int message, const QPoint& point) override;

private:
    // The gestures, as the event filter sees them; true consumes the event.
    bool gesture(QWidget* receiver, QEvent* event);
    bool keyboardHook(QKeyEvent* key);
    static bool whatsThisTextShown();
    bool f1Procedure(const QKeyEvent* key);
    bool mouseHook(QWidget* receiver, QMouseEvent* mouse);
    bool leftButtonDown(QWidget* receiver, const QPoint& point);
    bool leftButtonUp(QWidget* receiver, const QPoint& point);
    bool rightButtonUpInMenu(const QPoint& point);
    void rightClick(QWidget* receiver, QContextMenuEvent* click);
    void helpButtonPressed();
    void menuShown(QMenu* menu);
    void menuHidden();
    void menuSelect(QAction* item);
    bool toggleClickIntercepted(QWidget* receiver, QEvent* event);
    void toggleContextMode();

    void installMessageHook() { messageHook_ = true; }
    void removeMessageHook() { messageHook_ = false; }
    bool foregroundIsOurs() const;
    QWidget* activeControl() const;
    qint32 mapLookup(const QObject* owner, const QObject* component) const;
    qint32 controlContext(const QObject* owner, const QWidget* control) const;
    void showHelp(qint32 context, int x, int y, bool alwaysPosition);
    void setContextCursor(bool on);

    bool active_ = true;
    QPointer<THelpContextMap> map_;
    TF1Action f1Action_ = goContext;
    TWhatsThisOptions options_ = TWhatsThisOptions(wtMenuRightClick | wtNoContextHelp | wtNoContextMenu |
                                                   wtInheritFormContext);
    QString popupCaption_ = tr("What's this?");
    qint32 popupHelpContext_ = 0;
    QPointer<QAction> menuItem_;
    QPointer<QAbstractButton> toolbarButton_;

    bool hooked_ = false;
    bool messageHook_ = false;
    TWhatsThisState state_ = wtsIdle;
    bool shiftDown_ = false;
    bool inMenu_ = false;
    int openMenus_ = 0;
    bool menuCommand_ = true;
    QPointer<QWidget> helpItem_;
    QPointer<QAction> highlighted_;
    struct PopupRequest {
        QPointer<QObject> item;
        qint32 context = 0;
        int x = 0;
        int y = 0;
    } remembered_;
    QMenu* popupMenu_ = nullptr;
    bool cursorSet_ = false;
    QPointer<TWhatsThis> previous_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TWhatsThis::TWhatsThisOptions)
