#pragma once
// Sync tools' conflict copies of the list file: found beside it when another
// list file comes into use or is first read and whenever its folder changes, told once each
// in the notice bar, and merged into the list in memory by project number on
// request (the bar's "Merge..." or File > Merge Conflict Copy..., the action
// this guard enables while there is a copy). A merged copy is moved into a
// backup folder beside the list, never deleted. Where copies appear, the
// list as last written is kept as the base of a later merge (MergeBase).
#include <QObject>
#include <string>
#include <vector>

class CommandHost;
class NoticeBar;
class ProjectListDocument;
class QAction;

class ConflictCopyGuard : public QObject {
    Q_OBJECT
public:
    ConflictCopyGuard(ProjectListDocument& document, NoticeBar& notices, CommandHost& host, QAction& mergeAction,
                      QObject* parent = nullptr);

    // Looks for conflict copies beside the list file in use; a new one is
    // told in the notice bar.
    void findConflictCopies();
    // Merges the one copy there is, or the one the user picks of several.
    void mergeChosenCopy();
    void mergeConflictCopy(const std::string& copyPath);

private:
    void keepMergeBase();

    ProjectListDocument& document_;
    NoticeBar& notices_;
    CommandHost& host_;
    QAction& mergeAction_;
    // The list file whose copies were looked for last.
    std::string lookedBeside_;
    std::vector<std::string> copies_;
    // Copies already told about, so that each is told once.
    std::vector<std::string> toldCopies_;
};
