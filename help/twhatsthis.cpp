#include "help/twhatsthis.h"

#include "help/helpcommands.h"
#include "help/helptargets.h"
#include "common/quindleerror.h"
#include "help/thelpcontextmap.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>

namespace {
TWhatsThis* currentInstance = nullptr;

QString mustBeInactive()
{
    return QCoreApplication::translate("TWhatsThis", "TWhatsThis must be deactivated to change this property");
}
} // namespace

TWhatsThis::TWhatsThis(QObject* owner) : THelpComponentBase(owner) {}

TWhatsThis::~TWhatsThis()
{
    if (hooked_)
        Deactivate();
    delete popupMenu_;
    if (currentInstance == this) {
        currentInstance = previous_;
        if (previous_ && previous_->Active()) {
            try {
                previous_->Activate();
            } catch (...) {
            }
        }
    }
}

TWhatsThis* TWhatsThis::current()
{
    return currentInstance;
}

void TWhatsThis::Loaded()
{
    THelpComponentBase::Loaded();
    try {
        if (!map_ && parent())
            map_ = parent()->findChild<THelpContextMap*>(QString(), Qt::FindDirectChildrenOnly);
        popupMenu_ = new QMenu;
        popupMenu_->setObjectName(QStringLiteral("WhatsThisPopup"));
        QAction* item = popupMenu_->addAction(popupCaption_);
        item->setProperty("HelpContext", popupHelpContext_);
        connect(item, &QAction::triggered, this, &TWhatsThis::PopupItemClick);
        if (active_)
            Activate();
    } catch (...) {
    }
}

void TWhatsThis::setActive(bool active)
{
    active_ = active;
    if (active != hooked_) {
        if (active)
            Activate();
        else
            Deactivate();
    }
}

void TWhatsThis::setPopupCaption(const QString& caption)
{
    popupCaption_ = caption;
    if (popupMenu_)
        popupMenu_->actions().constFirst()->setText(caption);
}

void TWhatsThis::setPopupHelpContext(qint32 context)
{
    popupHelpContext_ = context;
    if (popupMenu_)
        popupMenu_->actions().constFirst()->setProperty("HelpContext", context);
}

void TWhatsThis::setWTMenuItem(QAction* item)
{
    if (hooked_)
        throw QuindleError(mustBeInactive());
    if (menuItem_)
        menuItem_->setShortcut(QKeySequence());
    menuItem_ = item;
    if (item)
        item->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
}

void TWhatsThis::setWTToolbarButton(QAbstractButton* button)
{
    if (hooked_)
        throw QuindleError(mustBeInactive());
    toolbarButton_ = button;
}

void TWhatsThis::Activate()
{
    try {
        if (currentInstance && currentInstance != this) {
            if (currentInstance->hooked())
                currentInstance->Deactivate();
            previous_ = currentInstance;
        }
        if (!HandleAllocated())
            return;
        removeMessageHook();
        state_ = wtsIdle;
        inMenu_ = false;
        openMenus_ = 0;
        currentInstance = this;
        qApp->installEventFilter(this);
        hooked_ = true;
    } catch (...) {
    }
}

void TWhatsThis::Deactivate()
{
    removeMessageHook();
    if (state_ == wtsContextMode)
        LeaveContextMode();
    if (qApp)
        qApp->removeEventFilter(this);
    hooked_ = false;
}

void TWhatsThis::EnterContextMode()
{
    if (!hooked_)
        throw QuindleError(objectName() + QStringLiteral(" is currently not active."));
    state_ = wtsContextMode;
    setContextCursor(true);
    if (menuItem_) {
        menuItem_->setCheckable(true);
        menuItem_->setChecked(true);
    }
    if (toolbarButton_)
        toolbarButton_->setDown(true);
    if (OnEnterContextMode)
        OnEnterContextMode(this);
}

void TWhatsThis::LeaveContextMode()
{
    if (!hooked_)
        throw QuindleError(objectName() + QStringLiteral(" is currently not active."));
    state_ = wtsIdle;
    setContextCursor(false);
    if (menuItem_)
        menuItem_->setChecked(false);
    if (toolbarButton_)
        toolbarButton_->setDown(false);
    if (OnLeaveContextMode)
        OnLeaveContextMode(this);
}

void TWhatsThis::setContextCursor(bool on)
{
    if (on && !cursorSet_) {
        QApplication::setOverrideCursor(Qt::WhatsThisCursor);
        cursorSet_ = true;
    } else if (!on && cursorSet_) {
        QApplication::restoreOverrideCursor();
        cursorSet_ = false;
    }
}

qint32 TWhatsThis::mapLookup(const QObject* owner, const QObject* component) const
{
    if (!map_ || map_->FileName().isEmpty() || !component)
        return 0;
    const QByteArray file = map_->FileName().toLocal8Bit();
    const QByteArray ownerName = HelpTargets::formName(owner).toLocal8Bit();
    const QByteArray componentName = component->objectName().toLocal8Bit();
    const std::string key = helpmap::contextMapKey(file.toStdString(), ownerName.toStdString(),
                                                   componentName.toStdString(), owner == component);
    return map_->LookupContext(QString::fromLocal8Bit(key.data(), qsizetype(key.size())));
}

qint32 TWhatsThis::controlContext(const QObject* owner, const QWidget* control) const
{
    qint32 context = HelpTargets::helpContextOf(control);
    if (context == 0)
        context = mapLookup(owner, control);
    if (context == 0) {
        // A label speaks for the control it names.
        if (const auto* label = qobject_cast<const QLabel*>(control); label && label->buddy()) {
            context = HelpTargets::helpContextOf(label->buddy());
            if (context == 0)
                context = mapLookup(owner, label->buddy());
        }
    }
    if (context == 0 && options_.testFlag(wtUseTag))
        context = control->property("Tag").toInt();
    return context;
}

bool TWhatsThis::RequestHelp(int x, int y)
{
    qint32 context = 0;
    QObject* item = nullptr;
    const bool isMenu = inMenu_;
    if (inMenu_) {
        if (!highlighted_)
            return false;
        item = highlighted_;
        const QObject* owner = HelpTargets::isForm(highlighted_->parent()) ? highlighted_->parent() : nullptr;
        for (QAction* entry = highlighted_; entry && context == 0; entry = HelpTargets::parentMenuItem(entry)) {
            context = HelpTargets::helpContextOf(entry);
            if (context == 0)
                context = mapLookup(owner, entry);
        }
    } else {
        if (!helpItem_)
            return false;
        if (state_ == wtsRightClick && !options_.testFlag(wtPopupOnForm) && HelpTargets::isForm(helpItem_)) {
            helpItem_ = nullptr;
            return false;
        }
        item = helpItem_;
        const QObject* owner = helpItem_->window();
        for (QWidget* control = helpItem_; control && context == 0; control = control->parentWidget()) {
            if (!HelpTargets::isForm(control) || options_.testFlag(wtInheritFormContext))
                context = controlContext(owner, control);
        }
    }
    if (OnGetContext)
        OnGetContext(this, item, isMenu, context);

    const bool offersMenu = state_ == wtsRightClick && !options_.testFlag(wtDirectHelp);
    bool shown = context != 0 || options_.testFlag(offersMenu ? wtNoContextMenu : wtNoContextHelp);
    if (shown && !offersMenu) {
        bool callHelp = true;
        if (OnHelp)
            OnHelp(this, item, isMenu, context, x, y, callHelp);
        if (callHelp)
            showHelp(context, x, y, false);
        shown = callHelp;
    } else if (shown) {
        shown = false;
        if (!HelpTargets::isForm(helpItem_) || options_.testFlag(wtPopupOnForm)) {
            bool doPopup = true;
            if (OnPopup)
                OnPopup(this, helpItem_, context, x, y, doPopup);
            if (doPopup) {
                remembered_ = {helpItem_.data(), context, x, y};
                popupMenu_->popup(QPoint(x, y));
            }
            shown = doPopup;
        }
    }
    helpItem_ = nullptr;
    return shown;
}

void TWhatsThis::showHelp(qint32 context, int x, int y, bool alwaysPosition)
{
    if (context < 0) {
        // A negative number asks for the full topic.
        HelpCommand(HelpCmd::Context, qint32(0u - quint32(context)));
        return;
    }
    if (alwaysPosition || (x != 0 && y != 0))
        HelpCommand(HelpCmd::SetPopupPos, packHelpPoint(x, y));
    HelpCommand(HelpCmd::ContextPopup, context);
}

void TWhatsThis::PopupItemClick()
{
    state_ = wtsIdle;
    bool callHelp = true;
    if (OnHelp)
        OnHelp(this, remembered_.item, false, remembered_.context, remembered_.x, remembered_.y, callHelp);
    if (callHelp)
        showHelp(remembered_.context, remembered_.x, remembered_.y, true);
}

void TWhatsThis::HandleMessage(int message, const QPoint& point)
{
    switch (message) {
    case WTM_SHOWAT:
        if (state_ == wtsRightClick)
            RequestHelp(point.x(), point.y());
        if (state_ != wtsContextMode)
            state_ = wtsIdle;
        if (!inMenu_)
            removeMessageHook();
        break;
    case WTM_HELPAT:
        RequestHelp(point.x(), point.y());
        break;
    case WTM_RELEASE:
        removeMessageHook();
        break;
    default:
        break;
    }
}

void TWhatsThis::toggleContextMode()
{
    if (!hooked_)
        return;
    if (state_ == wtsIdle)
        EnterContextMode();
    else if (state_ == wtsContextMode)
        LeaveContextMode();
}

bool TWhatsThis::foregroundIsOurs() const
{
    return QApplication::activeWindow() || QApplication::activePopupWidget();
}

QWidget* TWhatsThis::activeControl() const
{
    QWidget* window = QApplication::activeWindow();
    return window ? window->focusWidget() : nullptr;
}
