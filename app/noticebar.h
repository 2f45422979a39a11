#pragma once
// The bar above the list where the program says what happened to the list
// file while the user worked (changed, deleted or unreadable on disk, a sync
// tool's conflict copy beside it), each notice with the actions that answer
// it and Dismiss. Unlike a message box it waits: nothing pops up in the
// middle of what the user does.
//
// Notices have keys: a notice replaces the one of its key, and the bar shows
// the latest notice still standing; dismissing it shows the one before. The
// buttons are in the tab order; Escape inside the bar dismisses; each new
// notice is announced to screen readers as a status message is.
#include <QFrame>
#include <QList>
#include <QString>
#include <functional>

class QHBoxLayout;
class QLabel;
class QPushButton;

class NoticeBar : public QFrame {
    Q_OBJECT
public:
    enum class Kind { Information, Warning };
    struct Action {
        QString text;
        std::function<void()> run;
    };

    explicit NoticeBar(QWidget* parent = nullptr);

    // Shows text with its actions (each followed by Dismiss) in place of any
    // notice under key.
    void post(const QString& key, Kind kind, const QString& text, const QList<Action>& actions = {});
    // Takes the notice under key away, shown or not.
    void withdraw(const QString& key);
    // Takes the notice shown away, as its Dismiss button does.
    void dismiss();

    // The notice shown: its key and text; empty when the bar is hidden.
    QString currentKey() const;
    QString text() const;

signals:
    // The bar was shown, hidden or changed its height.
    void sizeChanged();

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Notice {
        QString key;
        Kind kind;
        QString text;
        QList<Action> actions;
    };
    void showLatest();
    void announce();

    QList<Notice> notices_;
    QLabel* icon_ = nullptr;
    QLabel* text_ = nullptr;
    QHBoxLayout* buttons_ = nullptr;
    QPushButton* dismiss_ = nullptr;
    QList<QPushButton*> actionButtons_;
};
