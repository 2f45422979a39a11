#include "app/noticebar.h"

#include "common/panel.h"

#include <QAccessible>
#include <algorithm>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>

NoticeBar::NoticeBar(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("NoticeBar"));
    setAccessibleName(tr("Notice"));
    makeOpaquePanel(*this);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 4, 4);
    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("NoticeIcon"));
    icon_->setAlignment(Qt::AlignTop);
    row->addWidget(icon_);
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("NoticeText"));
    text_->setWordWrap(true);
    text_->setTextFormat(Qt::PlainText);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(text_, 1);
    buttons_ = new QHBoxLayout;
    row->addLayout(buttons_);
    dismiss_ = new QPushButton(tr("Dismiss"), this);
    dismiss_->setObjectName(QStringLiteral("NoticeDismiss"));
    dismiss_->setAutoDefault(false);
    row->addWidget(dismiss_);
    connect(dismiss_, &QPushButton::clicked, this, &NoticeBar::dismiss);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &NoticeBar::dismiss);
    setVisible(false);
}

void NoticeBar::post(const QString& key, Kind kind, const QString& text, const QList<Action>& actions)
{
    notices_.erase(std::remove_if(notices_.begin(), notices_.end(), [&](const Notice& n) { return n.key == key; }),
                   notices_.end());
    notices_.append({key, kind, text, actions});
    showLatest();
    announce();
}

void NoticeBar::withdraw(const QString& key)
{
    const bool shown = currentKey() == key;
    const auto before = notices_.size();
    notices_.erase(std::remove_if(notices_.begin(), notices_.end(), [&](const Notice& n) { return n.key == key; }),
                   notices_.end());
    if (notices_.size() != before && shown)
        showLatest();
}

void NoticeBar::dismiss()
{
    if (notices_.isEmpty())
        return;
    const bool hadFocus = isAncestorOf(focusWidget()) && focusWidget() && focusWidget()->hasFocus();
    notices_.removeLast();
    showLatest();
    // The keyboard stays in the bar while it has notices, else it goes back
    // to the window's list (the bar's parent hands it on).
    if (hadFocus && !notices_.isEmpty())
        dismiss_->setFocus(Qt::OtherFocusReason);
    else if (hadFocus)
        focusNextChild();
}

QString NoticeBar::currentKey() const
{
    return notices_.isEmpty() ? QString() : notices_.last().key;
}

QString NoticeBar::text() const
{
    return notices_.isEmpty() ? QString() : notices_.last().text;
}

void NoticeBar::showLatest()
{
    // The old buttons may be the one being clicked: they go once it returns.
    for (QPushButton* button : actionButtons_) {
        button->setObjectName(QString());
        button->hide();
        button->deleteLater();
    }
    actionButtons_.clear();
    if (notices_.isEmpty()) {
        text_->clear();
        setVisible(false);
        emit sizeChanged();
        return;
    }
    const Notice& notice = notices_.last();
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    icon_->setPixmap(style()
                         ->standardIcon(notice.kind == Kind::Warning ? QStyle::SP_MessageBoxWarning
                                                                     : QStyle::SP_MessageBoxInformation,
                                        nullptr, this)
                         .pixmap(iconSize, iconSize));
    text_->setText(notice.text);
    setAccessibleDescription(notice.text);
    int number = 0;
    for (const Action& action : notice.actions) {
        auto* button = new QPushButton(action.text, this);
        button->setObjectName(QStringLiteral("NoticeAction%1").arg(++number));
        button->setAutoDefault(false);
        const QString key = notice.key;
        const std::function<void()> run = action.run;
        // The notice is answered: it goes before its action runs, which may
        // post another.
        connect(button, &QPushButton::clicked, this, [this, key, run] {
            withdraw(key);
            if (run)
                run();
        });
        buttons_->addWidget(button);
        actionButtons_ << button;
    }
    // Tab reaches the notice's actions, then Dismiss, where Dismiss was.
    QWidget* previous = dismiss_->previousInFocusChain();
    for (QPushButton* button : actionButtons_) {
        setTabOrder(previous, button);
        previous = button;
    }
    setTabOrder(previous, dismiss_);
    setVisible(true);
    emit sizeChanged();
}

void NoticeBar::announce()
{
    if (!QAccessible::isActive())
        return;
    // Read out as a status message is, without taking the keyboard.
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
    QAccessibleEvent name(text_, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&name);
}

void NoticeBar::changeEvent(QEvent* event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        emit sizeChanged();
}
