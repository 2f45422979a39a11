#pragma once
// The questions a save asks (a lock held by someone else, a deleted list
// file, a new link, projects both sides changed) as the window asks them:
// in its dialogs, naming the list file as every message does.
#include <QString>

#include "document/savecycle.h"

class Dialogs;

class WindowSaveQuestions : public SaveQuestions {
public:
    // list: the list file as messages name it. recreateDeleted: the user
    // asked to save the list where it was deleted, so that is not asked again.
    WindowSaveQuestions(Dialogs& dialogs, QString list, bool recreateDeleted = false);

    bool waitForLock(const LockHolder& holder, const std::function<bool()>& finished) override;
    bool waitForSave(const std::function<bool()>& finished) override;
    bool takeOverStaleLock(const LockHolder& holder) override;
    bool createDeletedFile() override;
    bool writeThroughNewLink(const std::string& target) override;
    std::optional<std::vector<ConflictChoice>> resolveConflicts(const std::vector<MergeConflict>& conflicts) override;

private:
    Dialogs& dialogs_;
    QString list_;
    bool recreateDeleted_;
};
