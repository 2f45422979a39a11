#pragma once
// The guard over the list file in use. Saves that would overwrite someone
// else's change ask first (WindowSaveQuestions); changes of the file on disk
// are taken up while the window waits for the user (page 4 may be open) and
// told in the notice bar, never in a box that pops up by itself; changes
// applied and not saved are asked about before the list in memory is
// replaced or the program closes, and those a crashed run left in its
// journal are offered back.
//
// The guard never touches the list view: the view follows the document.
#include <QObject>
#include <functional>
#include <string>

class CommandHost;
class NoticeBar;
class ProjectListDocument;
class QTimer;

class ListFileGuard : public QObject {
    Q_OBJECT
public:
    ListFileGuard(ProjectListDocument& document, NoticeBar& notices, CommandHost& host, QObject* parent = nullptr);

    // Whether the window waits for the user now: no repair, no modal box, no
    // caption edited in place. A change on disk met meanwhile is taken up
    // a little later.
    void setWaitingCheck(std::function<bool()> waiting) { waiting_ = std::move(waiting); }
    // Changes on disk are taken up between start (the window's start-up
    // began) and stop (the window closed): before, there is no list on
    // screen to bring up to date, after, no window to tell.
    void start() { started_ = true; }
    void stop() { stopped_ = true; }

    // The save of the list; recreateDeleted: a list file deleted on disk is
    // written again without asking. False when nothing was written.
    bool saveList(bool recreateDeleted = false);
    // True when nothing unsaved is left: saved, or let go by the user.
    bool settleUnsavedChanges();
    // Offers the changes a crashed or killed run left in its journal for
    // the list file in use.
    void offerRecovery();
    // Looks at the list file on disk now and takes up what changed.
    void takeUpChangeOnDisk();

signals:
    // The list was written to path.
    void saved(const std::string& path);
    // Recovered changes wait to be looked over, from the project number on.
    void recoveredToReview(int number);

private:
    // Reads the list file again after someone else changed it: merged into
    // the unsaved changes when there are any. An unreadable file is told in
    // the notice bar.
    void readChangeOnDisk();
    void tellListFileDeleted();
    void tellListFileUnreadable(const QString& error);
    // Sets aside the journals of path that cannot be read and says where.
    void tellUnreadableJournals(const std::string& path);

    ProjectListDocument& document_;
    NoticeBar& notices_;
    CommandHost& host_;
    std::function<bool()> waiting_;
    QTimer* retry_ = nullptr;
    bool started_ = false;
    bool stopped_ = false;
};
