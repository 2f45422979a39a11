#pragma once
// An up-down arrow pair bound to an edit box: changing the position writes the
// number into the edit box, as the classic "up-down" control does. The range
// does not wrap and the text has no thousands separator.
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

class QLineEdit;
class QToolButton;

class UpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int position READ position WRITE setPosition NOTIFY positionChanged)
public:
    explicit UpDown(QWidget* parent = nullptr);

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int position() const { return position_; }
    void setMinimum(int value);
    void setMaximum(int value);
    // Clamps into the range; when the position changes, the associated edit
    // box gets its decimal text.
    void setPosition(int value);
    void setAssociate(QLineEdit* edit);
    QLineEdit* associate() const { return associate_; }

    // As high as the associated edit box, and narrow, as the classic control.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    void stepUp() { setPosition(position_ + 1); }
    void stepDown() { setPosition(position_ - 1); }

signals:
    void positionChanged(int position);

private:
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    QPointer<QLineEdit> associate_;
    QToolButton* up_;
    QToolButton* down_;
};
