#include "document/projectlistdocument.h"

#include "document/changejournal.h"
#include "document/edithistory.h"
#include "document/filesystemkind.h"
#include "document/listfilelock.h"
#include "document/unsavedchanges.h"
#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"

#include <algorithm>

ProjectListDocument::ProjectListDocument(QObject* parent)
    : QObject(parent), unsaved_(std::make_unique<UnsavedChanges>()), history_(std::make_unique<EditHistory>()),
      watch_(new ListFileWatch([this]() -> ListFileStamp& { return stamp_; }, this))
{
    connect(watch_, &ListFileWatch::changedOnDisk, this, &ProjectListDocument::listFileChangedOnDisk);
    connect(watch_, &ListFileWatch::folderChanged, this, &ProjectListDocument::listFolderChanged);
    connect(watch_, &ListFileWatch::settled, this, &ProjectListDocument::listFileSettled);
    watchListFile();
}

ProjectListDocument::~ProjectListDocument() = default;

void ProjectListDocument::setCurrentListFile(const std::string& path)
{
    if (path == currentListFile_)
        return;
    linkTarget_ = path == lastReadPath_ ? lastReadLinkTarget_ : linkTargetOf(path);
    if (path == lastReadPath_) {
        stamp_ = lastReadStamp_;
    } else {
        // The same file under another name (made absolute, say) keeps what
        // is known of it.
        ListFileStamp asItStands = ListFileStamp::of(path, nullptr);
        if (!asItStands.identity.sameFileAs(stamp_.identity))
            stamp_ = asItStands;
    }
    currentListFile_ = path;
    watch_->forgetReported();
    watchListFile();
    // Changes kept for the old file are now kept for the new one.
    rewriteJournal();
    resetHistory();
    emit listFileChanged();
}

ListFileStamp ProjectListDocument::readFile(const std::string& path, LineList& into, const ReadProgress& progress)
{
    // Taken before reading: a change while the file is read shows as a
    // change, never the other way round.
    ListFileStamp stamp = ListFileStamp::of(path, nullptr);
    loadListFile(path, into, progress);
    return stamp;
}

void ProjectListDocument::rememberRead(const std::string& path, const ListFileStamp& stamp)
{
    lastReadPath_ = path;
    lastReadStamp_ = stamp;
    if (path == currentListFile_) {
        stamp_ = stamp;
        watch_->forgetReported();
        watchListFile();
    }
}

void ProjectListDocument::settlePendingHash()
{
    if (pendingHash_) {
        pendingHash_->value();
        pendingHash_.reset();
    }
}

void ProjectListDocument::load(const std::string& path, const ReadProgress& progress)
{
    LineList loaded;
    const std::string linkTarget = linkTargetOf(path);
    ListFileStamp stamp = readFile(path, loaded, progress);
    lastReadLinkTarget_ = linkTarget;
    if (path == currentListFile_)
        linkTarget_ = linkTarget;
    settlePendingHash();
    lines_.swap(loaded);
    pendingHash_ = std::make_shared<LinesHash>(lines_);
    stamp.linesHash = pendingHash_;
    rememberRead(path, stamp);
    resetBase(true);
    unsaved_->setBaseFrom(path);
    knownSorted_ = false;
    emit linesReloaded();
    emit linesChanged();
}

void ProjectListDocument::save()
{
    settlePendingHash();
    saveListFile(currentListFile_, lines_);
    linkTarget_ = linkTargetOf(currentListFile_);
    pendingHash_ = std::make_shared<LinesHash>(lines_);
    stamp_ = ListFileStamp::of(currentListFile_, pendingHash_);
    lastReadPath_ = currentListFile_;
    lastReadStamp_ = stamp_;
    resetBase(false);
    unsaved_->setBaseFrom(currentListFile_);
    // A list saved, its changes and any set aside for it are safe in it.
    unsaved_->discardJournal();
    ChangeJournal::removeSetAside(currentListFile_);
    watch_->forgetReported();
    // A save puts a new file in the old one's place.
    watchListFile();
}

SaveResult ProjectListDocument::save(SaveQuestions& questions)
{
    // A wait keeps the window's events going: a second save meanwhile is none.
    if (saving_)
        return {};
    // Another program put a link to some other file where the list was:
    // writing through it would overwrite that file.
    const std::string linkTarget = linkTargetOf(currentListFile_);
    if (!linkTarget.empty() && linkTarget != linkTarget_ && !questions.writeThroughNewLink(linkTarget))
        return {};
    settlePendingHash();
    SaveJob job;
    job.path = currentListFile_;
    job.base = unsaved_->repairedFrom() ? *unsaved_->repairedFrom() : unsaved_->base();
    job.wholeList = unsaved_->repairedFrom().has_value();
    job.ours = lines_;
    job.touched = unsaved_->touchedNumbers();
    job.waitingConflicts = unsaved_->waitingConflicts();
    job.stamp = stamp_;
    job.baseIsFile = unsaved_->baseFrom() == currentListFile_;
    if (stamp_.linesHash)
        job.stampedHash = stamp_.linesHash->value();
    job.baseExisted = stamp_.identity.exists;
    job.lockTrusted = ListFileLock::lockingEnabled()
        && !isNetworkFileSystem(QString::fromLocal8Bit(currentListFile_.data(), qsizetype(currentListFile_.size())));
    const std::size_t savedOperations = unsaved_->operations().size();
    saving_ = true;
    SaveOutcome out;
    try {
        out = runSaveCycle(std::move(job), questions);
    } catch (...) {
        saving_ = false;
        throw;
    }
    saving_ = false;

    SaveResult result;
    result.notices = out.notices;
    result.merged = out.merged;
    result.mergedOthers = out.mergedOthers;
    result.writes = out.writes;
    if (out.status == SaveOutcome::Status::ReadOnlyFolder)
        result.status = SaveResult::Status::ReadOnlyFolder;
    if (out.status != SaveOutcome::Status::Saved)
        return result;
    result.status = SaveResult::Status::Saved;
    adoptSaved(out, savedOperations);
    return result;
}

void ProjectListDocument::adoptSaved(const SaveOutcome& out, std::size_t savedOperations)
{
    // Worked out before the lines next change, as after a plain save.
    pendingHash_ = out.stamp.linesHash;
    const std::vector<ListOperation> later = unsaved_->adoptSaved(out.written, savedOperations);
    if (out.mergedOthers || !later.empty()) {
        lines_ = out.written;
        applyOperations(lines_, later);
        knownSorted_ = !later.empty();
    }
    unsaved_->setBaseFrom(currentListFile_);
    linkTarget_ = linkTargetOf(currentListFile_);
    stamp_ = out.stamp;
    lastReadPath_ = currentListFile_;
    lastReadStamp_ = stamp_;
    // A list saved, its changes and any set aside for it are safe in it.
    ChangeJournal::removeSetAside(currentListFile_);
    rewriteJournal();
    watch_->forgetReported();
    // A save puts a new file in the old one's place.
    watchListFile();
    if (out.mergedOthers) {
        // The exact undo records were made on lines that are no more.
        resetHistory();
        emit linesChanged();
    }
}

DiskMergeResult ProjectListDocument::mergeFromDisk()
{
    DiskMergeResult result;
    // A repaired list not saved yet is merged as a whole by the save.
    if (saving_ || unsaved_->repairedFrom())
        return result;
    settlePendingHash();
    if (stamp_.compareWithDisk(currentListFile_) != DiskState::Changed)
        return result;
    LineList theirs;
    ListFileStamp stamp = readFile(currentListFile_, theirs);
    stamp.linesHash = std::make_shared<LinesHash>(theirs);
    stamp.linesHash->value();
    if (theirs == unsaved_->base()) {
        // Touched, not changed.
        rememberRead(currentListFile_, stamp);
        return result;
    }
    result.changed = true;
    if (unsaved_->empty()) {
        lines_ = theirs;
        unsaved_->reset(theirs);
    } else {
        const MergePlan plan = planMerge(unsaved_->base(), lines_, theirs, unsaved_->touchedNumbers());
        result.notices = plan.notices;
        // Ours stays in memory until the save asks.
        const std::vector<ConflictChoice> keepMine(plan.conflicts.size(), ConflictChoice::KeepMine);
        const LineList merged = applyMerge(theirs, plan, keepMine, result.notices);
        result.conflictsWaiting = plan.conflicts.size();
        lines_ = unsaved_->rebaseOnto(theirs, merged, plan.conflicts, result.notices);
    }
    unsaved_->setBaseFrom(currentListFile_);
    knownSorted_ = false;
    rememberRead(currentListFile_, stamp);
    rewriteJournal();
    resetHistory();
    emit linesChanged();
    return result;
}

RepairCounts ProjectListDocument::repair(RepairObserver& observer)
{
    // Repaired aside, so that a failed read or a cancelled repair leaves the
    // list, and what is known of the file, as they were.
    LineList reloaded;
    ListFileStamp stamp = readFile(currentListFile_, reloaded);
    // Hashed before the repair changes the lines read.
    stamp.linesHash = std::make_shared<LinesHash>(reloaded);
    stamp.linesHash->value();
    LineList read = reloaded;
    const RepairCounts counts = repairLines(reloaded, observer);
    if (!counts.cancelled) {
        settlePendingHash();
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
    settlePendingHash();
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

void ProjectListDocument::applyStep(AppliedOperation applied, int found)
{
    applied.applyTo(lines_, knownSorted_, found);
    if (applied.batch.empty())
        unsaved_->record(applied.operation);
    for (const ListOperation& op : applied.batch)
        unsaved_->record(op);
    writeJournal();
    history_->push(std::move(applied));
    emit linesChanged();
    emit historyChanged();
}

std::size_t ProjectListDocument::putProject(std::string_view numberText, std::string_view line,
                                            std::optional<std::size_t> insertAt, bool numberProposed)
{
    settlePendingHash();
    AppliedOperation applied;
    ListOperation& op = applied.operation;
    op.kind = ListOperation::Kind::Put;
    op.numberText = std::string(numberText);
    op.line = std::string(line);
    const int found = findProjectLine(lines_, numberText);
    if (found >= 0) {
        op.replaced = std::string(lines_[std::size_t(found)]);
    } else {
        if (insertAt)
            op.insertAt = std::uint64_t(*insertAt);
        op.numberProposed = numberProposed;
    }
    applyStep(std::move(applied), found);
    return history_->toUndo().placedAt;
}

void ProjectListDocument::removeProject(std::string_view numberText)
{
    settlePendingHash();
    AppliedOperation applied;
    ListOperation& op = applied.operation;
    op.kind = ListOperation::Kind::Remove;
    op.numberText = std::string(numberText);
    const int found = findProjectLine(lines_, numberText);
    if (found < 0)
        throw ListFileError("List index out of bounds (-1)");
    op.replaced = std::string(lines_[std::size_t(found)]);
    applyStep(std::move(applied), found);
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
    settlePendingHash();
    // The line each change meets now, to tell which changes meet a line
    // other than the one they replaced.
    const std::vector<std::optional<std::string>> met = linesMet(lines_, ops);
    AppliedOperation applied;
    applied.batchKind = kind;
    std::vector<std::string> differing;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        ListOperation op = std::move(ops[i]);
        if (met[i] != op.replaced && std::find(differing.begin(), differing.end(), op.numberText) == differing.end())
            differing.push_back(op.numberText);
        // Already gone: nothing left to take out.
        if (op.kind == ListOperation::Kind::Remove && !met[i])
            continue;
        op.replaced = met[i];
        if (op.kind == ListOperation::Kind::Put && op.replaced)
            op.insertAt.reset();
        applied.batch.push_back(std::move(op));
    }
    if (!applied.batch.empty())
        applyStep(std::move(applied), AppliedOperation::notLookedUp);
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
    return canUndo() ? std::optional(history_->toUndo().step()) : std::nullopt;
}

std::optional<HistoryStep> ProjectListDocument::redoStep() const
{
    return canRedo() ? std::optional(history_->toRedo().step()) : std::nullopt;
}

std::optional<HistoryStep> ProjectListDocument::undo()
{
    if (!canUndo())
        return std::nullopt;
    settlePendingHash();
    const AppliedOperation& applied = history_->toUndo();
    applied.takeBackFrom(lines_, knownSorted_);
    history_->undone();
    if (applied.batch.empty())
        unsaved_->undone(applied.operation);
    for (auto op = applied.batch.rbegin(); op != applied.batch.rend(); ++op)
        unsaved_->undone(*op);
    writeJournal();
    emit linesChanged();
    emit historyChanged();
    return applied.step();
}

std::optional<HistoryStep> ProjectListDocument::redo()
{
    if (!canRedo())
        return std::nullopt;
    settlePendingHash();
    AppliedOperation& applied = history_->toRedo();
    applied.applyTo(lines_, knownSorted_);
    history_->redone();
    if (applied.batch.empty())
        unsaved_->redone(applied.operation);
    for (const ListOperation& op : applied.batch)
        unsaved_->redone(op);
    writeJournal();
    emit linesChanged();
    emit historyChanged();
    return applied.step();
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
    return stamp_.compareWithDisk(currentListFile_);
}

void ProjectListDocument::watchListFile()
{
    watch_->watch(currentListFile_);
}

void ProjectListDocument::setChangeDetection(ChangeDetection detection, std::chrono::milliseconds pollInterval)
{
    watch_->setChangeDetection(detection, pollInterval);
}

bool ProjectListDocument::pollsListFile() const
{
    return watch_->polls();
}
