#pragma once
// The help viewer's window: contents and index on the left, the topic on
// the right.
#include <QUrl>
#include <QWidget>

class HelpBrowser;
class QHelpEngine;
class QHelpIndexWidget;
class QLineEdit;
class QTabWidget;

class HelpViewerWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewerWindow(QHelpEngine* engine);
    ~HelpViewerWindow() override;

    void showContents();
    // Shows the index filtered by keyword and, when an entry matches it
    // exactly, that entry's topic.
    void showIndex(const QString& keyword);
    void showTopic(const QUrl& url);

    HelpBrowser* browser() const { return browser_; }
    QTabWidget* tabs() const { return tabs_; }
    QLineEdit* indexFilter() const { return filter_; }

private:
    void present();
    void applyIndexKeyword();
    void showFirstTopicIfEmpty();

    QHelpEngine* engine_;
    QTabWidget* tabs_;
    QLineEdit* filter_;
    HelpBrowser* browser_;
    QString pendingKeyword_;
    bool keywordPending_ = false;
    // The contents were asked for and no topic is shown yet.
    bool firstTopicWanted_ = false;
};
