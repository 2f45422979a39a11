#include "document/projectlistdocument.h"

#include "document/changejournal.h"
#include "document/edithistory.h"
#include "document/knownlistfile.h"
#include "document/unsavedchanges.h"
#include "listfile/listfileio.h"

ProjectListDocument::ProjectListDocument(QObject* parent)
    : QObject(parent), unsaved_(std::make_unique<UnsavedChanges>()), history_(std::make_unique<EditHistory>()),
      known_(std::make_unique<KnownListFile>(currentListFile_)),
      watch_(new ListFileWatch([this]() -> ListFileStamp& { return known_->stamp(); }, this))
{
    connect(watch_, &ListFileWatch::changedOnDisk, this, &ProjectListDocument::listFileChangedOnDisk);
    connect(watch_, &ListFileWatch::folderChanged, this, &ProjectListDocument::listFolderChanged);
    connect(watch_, &ListFileWatch::settled, this, &ProjectListDocument::listFileSettled);
    watch_->watch(currentListFile_);
}

ProjectListDocument::~ProjectListDocument() = default;

void ProjectListDocument::setCurrentListFile(const std::string& path)
{
    if (path == currentListFile_)
        return;
    known_->use(path);
    currentListFile_ = path;
    watch_->watch(currentListFile_);
    // Changes kept for the old file are now kept for the new one.
    rewriteJournal();
    resetHistory();
    emit listFileChanged();
}

void ProjectListDocument::rememberRead(const std::string& path, const ListFileStamp& stamp)
{
    const bool inUse = path == currentListFile_;
    known_->rememberRead(path, stamp, inUse);
    if (inUse)
        watch_->watch(currentListFile_);
}

void ProjectListDocument::rememberWritten(const ListFileStamp& stamp)
{
    known_->rememberWritten(currentListFile_, stamp);
    unsaved_->setBaseFrom(currentListFile_);
    // A list saved, its changes and any set aside for it are safe in it.
    ChangeJournal::removeSetAside(currentListFile_);
    // A save puts a new file in the old one's place.
    watch_->watch(currentListFile_);
}

void ProjectListDocument::load(const std::string& path, const ReadProgress& progress)
{
    LineList loaded;
    const std::string linkTarget = linkTargetOf(path);
    ListFileStamp stamp = KnownListFile::read(path, loaded, progress);
    known_->rememberLink(linkTarget, path == currentListFile_);
    known_->settlePendingHash();
    lines_.swap(loaded);
    stamp.linesHash = known_->hashLater(lines_);
    rememberRead(path, stamp);
    resetBase(true);
    unsaved_->setBaseFrom(path);
    knownSorted_ = false;
    emit linesReloaded();
    emit linesChanged();
    emit linesReplaced();
}

void ProjectListDocument::save()
{
    known_->settlePendingHash();
    saveListFile(currentListFile_, lines_);
    resetBase(false);
    unsaved_->discardJournal();
    rememberWritten(ListFileStamp::of(currentListFile_, std::make_shared<LinesHash>(lines_)));
}

SaveResult ProjectListDocument::save(SaveQuestions& questions)
{
    // A wait keeps the window's events going: a second save meanwhile is none.
    if (saving_)
        return {};
    // Another program put a link to some other file where the list was:
    // writing through it would overwrite that file.
    const std::string linkTarget = linkTargetOf(currentListFile_);
    if (!linkTarget.empty() && linkTarget != known_->linkTarget() && !questions.writeThroughNewLink(linkTarget))
        return {};
    known_->settlePendingHash();
    SaveJob job = unsaved_->saveJob(currentListFile_, lines_);
    known_->describeTo(job);
    const std::size_t savedOperations = unsaved_->operations().size();
    saving_ = true;
    const struct SavingEnds {
        bool& saving;
        ~SavingEnds() { saving = false; }
    } savingEnds {saving_};
    const SaveResult result = runSaveCycle(std::move(job), questions);
    if (result.status == SaveResult::Status::Saved) {
        adoptSaved(result, savedOperations);
        emit linesReplaced();
    }
    return result;
}

void ProjectListDocument::adoptSaved(const SaveResult& out, std::size_t savedOperations)
{
    const std::vector<ListOperation> later = unsaved_->adoptSaved(out.written, savedOperations);
    if (out.mergedOthers || !later.empty()) {
        lines_ = out.written;
        applyOperations(lines_, later);
        knownSorted_ = !later.empty();
    }
    // The hash is worked out before the lines next change, as after a plain save.
    rememberWritten(out.stamp);
    rewriteJournal();
    if (out.mergedOthers) {
        // The exact undo records were made on lines that are no more.
        resetHistory();
        emit linesChanged();
    }
}

DiskMergeResult ProjectListDocument::mergeFromDisk(const ReadProgress& progress)
{
    DiskMergeResult result;
    // A repaired list not saved yet is merged as a whole by the save.
    if (saving_ || unsaved_->repairedFrom())
        return result;
    known_->settlePendingHash();
    if (listFileOnDisk() != DiskState::Changed)
        return result;
    LineList theirs;
    const ListFileStamp stamp = KnownListFile::readHashed(currentListFile_, theirs, progress);
    if (theirs == unsaved_->base()) {
        // Touched, not changed.
        rememberRead(currentListFile_, stamp);
        return result;
    }
    result.changed = true;
    UnsavedChanges::MergedIn merged = unsaved_->mergeIn(theirs, lines_);
    lines_ = std::move(merged.lines);
    result.notices = std::move(merged.notices);
    result.conflictsWaiting = merged.conflicts;
    unsaved_->setBaseFrom(currentListFile_);
    knownSorted_ = false;
    rememberRead(currentListFile_, stamp);
    rewriteJournal();
    resetHistory();
    emit linesChanged();
    emit linesReplaced();
    return result;
}

RepairCounts ProjectListDocument::repair(RepairObserver& observer)
{
    // Repaired aside, so that a failed read or a cancelled repair leaves the
    // list, and what is known of the file, as they were.
    LineList reloaded;
    // Hashed before the repair changes the lines read.
    const ListFileStamp stamp = KnownListFile::readHashed(currentListFile_, reloaded);
    LineList read = reloaded;
    const RepairCounts counts = repairLines(reloaded, observer);
    if (!counts.cancelled) {
        known_->settlePendingHash();
        lines_.swap(reloaded);
        rememberRead(currentListFile_, stamp);
        resetBase(true);
        unsaved_->setBaseFrom(currentListFile_);
        if (lines_ != read)
            unsaved_->setRepairedFrom(std::move(read));
        knownSorted_ = false;
        emit linesReloaded();
        emit linesChanged();
    }
    return counts;
}

void ProjectListDocument::clear()
{
    known_->settlePendingHash();
    lines_.clear();
    resetBase(true);
    unsaved_->setBaseFrom({});
    knownSorted_ = true;
    emit linesChanged();
}

void ProjectListDocument::resetBase(bool clearsHistory)
{
    unsaved_->reset(lines_);
    if (clearsHistory) {
        unsaved_->discardJournal();
        resetHistory();
    }
}

void ProjectListDocument::resetHistory()
{
    history_->clear();
    emit historyReset();
    emit historyChanged();
}

void ProjectListDocument::dropUnsavedChanges()
{
    unsaved_->drop();
}

void ProjectListDocument::writeJournal()
{
    if (const auto failure = unsaved_->commit(currentListFile_))
        emit journalFailed(QString::fromLocal8Bit(failure->c_str()));
}

void ProjectListDocument::rewriteJournal()
{
    if (const auto failure = unsaved_->rewriteJournal(currentListFile_))
        emit journalFailed(QString::fromLocal8Bit(failure->c_str()));
}

void ProjectListDocument::stepApplied()
{
    writeJournal();
    emit linesChanged();
    emit historyChanged();
}

std::optional<HistoryStep> ProjectListDocument::stepped(std::optional<HistoryStep> step)
{
    if (step)
        stepApplied();
    return step;
}

std::size_t ProjectListDocument::putProject(std::string_view numberText, std::string_view line,
                                            std::optional<std::size_t> insertAt, bool numberProposed)
{
    known_->settlePendingHash();
    int found = 0;
    AppliedOperation applied = AppliedOperation::put(lines_, numberText, line, insertAt, numberProposed, found);
    const std::size_t placedAt = history_->apply(std::move(applied), lines_, knownSorted_, found, *unsaved_).placedAt;
    stepApplied();
    return placedAt;
}

void ProjectListDocument::removeProject(std::string_view numberText)
{
    known_->settlePendingHash();
    int found = 0;
    AppliedOperation applied = AppliedOperation::remove(lines_, numberText, found);
    history_->apply(std::move(applied), lines_, knownSorted_, found, *unsaved_);
    stepApplied();
}

std::vector<std::string> ProjectListDocument::recover(const RecoverableChanges& changes)
{
    std::vector<std::string> differing = applyChanges(changes.operations);
    // Every change is in this document's own journal now, unless that
    // journal could not be written: then the old one stays.
    if (!unsaved_->journalFailed())
        ChangeJournal::remove(changes);
    return differing;
}

std::vector<std::string> ProjectListDocument::applyChanges(std::vector<ListOperation> ops, HistoryStep::Kind kind)
{
    known_->settlePendingHash();
    std::vector<std::string> differing;
    AppliedOperation applied = AppliedOperation::batchOf(std::move(ops), lines_, kind, differing);
    if (!applied.batch.empty()) {
        history_->apply(std::move(applied), lines_, knownSorted_, AppliedOperation::notLookedUp, *unsaved_);
        stepApplied();
        emit linesReplaced();
    }
    return differing;
}

bool ProjectListDocument::canUndo() const
{
    return history_->canUndo();
}

bool ProjectListDocument::canRedo() const
{
    return history_->canRedo();
}

std::optional<HistoryStep> ProjectListDocument::undoStep() const
{
    return history_->undoStep();
}

std::optional<HistoryStep> ProjectListDocument::redoStep() const
{
    return history_->redoStep();
}

std::optional<HistoryStep> ProjectListDocument::undo()
{
    known_->settlePendingHash();
    return stepped(history_->undo(lines_, knownSorted_, *unsaved_));
}

std::optional<HistoryStep> ProjectListDocument::redo()
{
    known_->settlePendingHash();
    return stepped(history_->redo(lines_, knownSorted_, *unsaved_));
}

const std::vector<ListOperation>& ProjectListDocument::unsavedOperations() const
{
    return unsaved_->operations();
}

const LineList& ProjectListDocument::baseLines() const
{
    return unsaved_->base();
}

const std::vector<WaitingConflict>& ProjectListDocument::waitingConflicts() const
{
    return unsaved_->waitingConflicts();
}

bool ProjectListDocument::hasUnsavedChanges() const
{
    return !unsaved_->empty();
}

const ChangeJournal& ProjectListDocument::journal() const
{
    return unsaved_->journal();
}

DiskState ProjectListDocument::listFileOnDisk()
{
    return known_->stamp().compareWithDisk(currentListFile_);
}

void ProjectListDocument::setChangeDetection(ChangeDetection detection, std::chrono::milliseconds interval)
{
    watch_->setChangeDetection(detection, interval);
}

bool ProjectListDocument::pollsListFile() const
{
    return watch_->polls();
}
