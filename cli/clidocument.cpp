#include "cli/clidocument.h"

#include "document/conflictcopymerge.h"
#include "document/mergebase.h"
#include "document/projectlistdocument.h"
#include "listfile/lineformat.h"
#include "listfile/listedit.h"

#include <QThread>
#include <chrono>
#include <iostream>

namespace {

using namespace std::chrono_literals;

// How long a write waits for a lock that someone else holds: saves take
// moments, so a lock held longer than this is someone waiting on a question.
constexpr auto lockWait = 30s;

std::string bytesOf(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

bool waitUntil(const std::function<bool()>& finished, std::chrono::milliseconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!finished()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        // Short: the save is done in moments, and nobody is waiting to cancel.
        QThread::msleep(2);
    }
    return true;
}

// What the merge decided on its own, in the window's words.
std::string noticeText(const MergeNotice& notice)
{
    switch (notice.kind) {
    case MergeNotice::Kind::Renumbered:
        if (notice.keptBoth)
            return "Project " + notice.numberText + " keeps the other text; yours is now project "
                + notice.newNumberText;
        return "Project " + notice.numberText + " was added by someone else meanwhile; yours is now project "
            + notice.newNumberText;
    case MergeNotice::Kind::OurEditKeptOverTheirRemoval:
        return "Project " + notice.numberText
            + " was removed by someone else meanwhile; your edit keeps it in the list";
    case MergeNotice::Kind::TheirEditKeptOverOurRemoval:
        return "Project " + notice.numberText
            + " was changed by someone else meanwhile; it stays in the list with their text instead of being removed";
    }
    return {};
}

class UnattendedSaveQuestions : public SaveQuestions {
public:
    explicit UnattendedSaveQuestions(std::string list) : list_(std::move(list)) {}

    bool waitForLock(const LockHolder& holder, const std::function<bool()>& finished) override
    {
        const std::string who = bytesOf(holder.user) + " on " + bytesOf(holder.host);
        if (!toldWaiting_)
            std::cerr << "Waiting for the Project List " << list_ << ": in use by " << who << '\n';
        toldWaiting_ = true;
        if (waitUntil(finished, lockWait))
            return true;
        failure_ = "The Project List " + list_ + " stayed locked by " + who + ": nothing was written";
        return false;
    }
    bool waitForSave(const std::function<bool()>& finished) override
    {
        // Once a save writes, it ends; there is no one to cancel it.
        return waitUntil(finished, std::chrono::hours(24));
    }
    bool takeOverStaleLock(const LockHolder& holder) override
    {
        failure_ = "The Project List " + list_ + " has been locked by " + bytesOf(holder.user) + " on "
            + bytesOf(holder.host) + " for longer than a save takes; take over its lock in Quindle: nothing was written";
        return false;
    }
    bool createDeletedFile() override
    {
        failure_ = "The Project List " + list_ + " was deleted by another program: nothing was written";
        return false;
    }
    bool writeThroughNewLink(const std::string& target) override
    {
        failure_ = "The Project List " + list_ + " was changed by another program: it is now a link to " + target
            + "; nothing was written";
        return false;
    }
    std::optional<std::vector<ConflictChoice>> resolveConflicts(const std::vector<MergeConflict>& conflicts) override
    {
        conflict_ = true;
        failure_ = "Someone else changed these projects of the Project List " + list_
            + " meanwhile; nothing was written:";
        for (const MergeConflict& conflict : conflicts)
            failure_ += "\n" + conflict.theirs;
        return std::nullopt;
    }

    const std::string& failure() const { return failure_; }
    bool conflict() const { return conflict_; }

private:
    std::string list_;
    std::string failure_;
    bool conflict_ = false;
    bool toldWaiting_ = false;
};

} // namespace

struct CliDocument::PlannedCopy {
    std::string path;
    ConflictCopyMerge merge;
};

CliDocument::CliDocument(const std::string& path) : document_(std::make_unique<ProjectListDocument>())
{
    document_->setCurrentListFile(path);
    document_->load(path);
}

CliDocument::~CliDocument() = default;

const LineList& CliDocument::lines() const
{
    return document_->lines();
}

std::string CliDocument::proposedNumber() const
{
    const std::optional<int32_t> highest = highestProjectNumber(document_->lines());
    return zeroPadNumber(highest ? *highest + 1 : 1);
}

void CliDocument::putProject(const std::string& numberText, const std::string& description, bool proposed)
{
    document_->putProject(numberText, projectLine(numberText, description), std::nullopt, proposed);
}

void CliDocument::removeProject(const std::string& numberText)
{
    document_->removeProject(numberText);
}

RepairCounts CliDocument::repair()
{
    RepairObserver quiet;
    return document_->repair(quiet);
}

std::vector<CliDocument::CopyConflict> CliDocument::planCopyMerge(const std::string& copyPath)
{
    copy_.reset(new PlannedCopy {
        copyPath, ConflictCopyMerge(*document_, copyPath, MergeBase::load(document_->currentListFile()))});
    std::vector<CopyConflict> conflicts;
    for (const MergeConflict& conflict : copy_->merge.conflicts())
        conflicts.push_back({conflict.numberText, conflict.theirs, conflict.ours});
    return conflicts;
}

std::vector<std::string> CliDocument::applyCopyMerge(Keep keep)
{
    // The copy is someone else's: theirs is the copy's text, mine the list's.
    const ConflictChoice choice = keep == Keep::Copy ? ConflictChoice::KeepTheirs
        : keep == Keep::List                          ? ConflictChoice::KeepMine
                                                      : ConflictChoice::KeepBoth;
    const CopyMergeCounts counts =
        copy_->merge.applyTo(*document_, std::vector<ConflictChoice>(copy_->merge.conflicts().size(), choice));
    std::vector<std::string> told;
    told.push_back(counts.changedNothing()
                       ? "The conflict copy " + copy_->path + " held nothing that the list lacks"
                       : "The conflict copy " + copy_->path + " was merged into the list: "
                           + std::to_string(counts.added) + " added, " + std::to_string(counts.changed)
                           + " changed, " + std::to_string(counts.removed) + " removed");
    for (const MergeNotice& notice : counts.notices)
        told.push_back(noticeText(notice));
    return told;
}

CliSave CliDocument::save()
{
    CliSave result;
    UnattendedSaveQuestions questions(document_->currentListFile());
    const SaveResult saved = document_->save(questions);
    for (const MergeNotice& notice : saved.notices)
        result.notices.push_back(noticeText(notice));
    for (const MergeNotice& notice : saved.notices)
        if (notice.kind == MergeNotice::Kind::Renumbered)
            result.renumbered.emplace_back(notice.numberText, notice.newNumberText);
    result.saved = saved.status == SaveResult::Status::Saved;
    if (saved.status == SaveResult::Status::ReadOnlyFolder)
        result.failure = "The Project List " + document_->currentListFile()
            + " is in a folder where no lock can be made: the list is read-only for you; nothing was written";
    else if (!result.saved)
        result.failure = questions.failure();
    result.conflict = questions.conflict();
    // The command failed and says so: its change is not left in a journal
    // for the window to offer as changes lost in a crash.
    if (!result.saved)
        document_->dropUnsavedChanges();
    return result;
}
