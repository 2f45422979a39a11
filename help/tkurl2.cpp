#include "help/tkurl2.h"

#include "help/linkopener.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

TKURL2::TKURL2(QWidget* parent) : QWidget(parent), label_(new QLabel(this))
{
    setCursor(Qt::PointingHandCursor);
    setToolTip(defaultHint());

    QFont font = label_->font();
    font.setUnderline(true);
    label_->setFont(font);
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label_->setPalette(palette);
    label_->setTextFormat(Qt::PlainText);
    label_->installEventFilter(this);
    label_->setVisible(true);

    resize(width(), 13);
    setURLorEMAIL(placeholderAddress());
}

QString TKURL2::placeholderAddress()
{
    return QStringLiteral("https://www.example.com/");
}

QString TKURL2::defaultHint()
{
    return tr("Put here the Hint for your site link!");
}

QString TKURL2::URLorEMAIL() const
{
    return label_->text();
}

void TKURL2::setURLorEMAIL(const QString& target)
{
    label_->setText(target);
    label_->adjustSize();
    resize(label_->width(), height());
}

void TKURL2::OpenLink()
{
    const QString target = choose_ == ltEMAIL ? QStringLiteral("mailto:") + label_->text() : label_->text();
    (opener_ ? *opener_ : desktopLinkOpener()).openLink(target);
}

bool TKURL2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == label_) {
        if (event->type() == QEvent::ToolTip && !showHint_)
            return true;
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && label_->rect().contains(mouse->position().toPoint())) {
                OpenLink();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
