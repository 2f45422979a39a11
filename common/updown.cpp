#include "common/updown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setAccessibleName(QStringLiteral("Up"));
    down_->setAccessibleName(QStringLiteral("Down"));
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
    }
    connect(up_, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(down_, &QToolButton::clicked, this, &UpDown::stepDown);
}

QSize UpDown::sizeHint() const
{
    const int height = associate_ ? associate_->sizeHint().height() : fontMetrics().height() + 6;
    return QSize(qMax(17, fontMetrics().height()), height);
}

void UpDown::setMinimum(int value)
{
    minimum_ = value;
    if (maximum_ < minimum_)
        maximum_ = minimum_;
    setPosition(position_);
}

void UpDown::setMaximum(int value)
{
    maximum_ = value;
    if (minimum_ > maximum_)
        minimum_ = maximum_;
    setPosition(position_);
}

void UpDown::setPosition(int value)
{
    const int clamped = qBound(minimum_, value, maximum_);
    if (clamped == position_)
        return;
    position_ = clamped;
    if (associate_)
        associate_->setText(QString::number(position_));
    emit positionChanged(position_);
}

void UpDown::setAssociate(QLineEdit* edit)
{
    if (associate_) {
        disconnect(associate_, nullptr, this, nullptr);
        associate_->removeEventFilter(this);
    }
    associate_ = edit;
    if (!associate_)
        return;
    associate_->setText(QString::number(position_));
    associate_->installEventFilter(this);
    // A number typed into the edit box within the range is the position, as
    // with the classic control; the text is left as typed.
    connect(associate_, &QLineEdit::textEdited, this, [this](const QString& text) {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (!ok || value < minimum_ || value > maximum_ || value == position_)
            return;
        position_ = value;
        emit positionChanged(position_);
    });
}

bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    // The event type first: comparing with the guarded pointer casts it, which
    // is not allowed while the box is being destroyed and still sends events.
    if (event->type() == QEvent::KeyPress && watched == associate_ && isEnabled()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (modifiers == Qt::NoModifier && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            if (key->key() == Qt::Key_Up)
                stepUp();
            else
                stepDown();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
