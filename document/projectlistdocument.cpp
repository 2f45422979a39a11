#include "document/projectlistdocument.h"

#include "document/changejournal.h"
#include "document/filesystemkind.h"
#include "document/listfilelock.h"
#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"

#include <QDir>
#include <algorithm>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

ProjectListDocument::ProjectListDocument(QObject* parent)
    : QObject(parent), journal_(std::make_unique<ChangeJournal>()), watcher_(new QFileSystemWatcher(this)),
      settleDelay_(new QTimer(this)), poll_(new QTimer(this))
{
    settleDelay_->setSingleShot(true);
    settleDelay_->setInterval(200);
    poll_->setInterval(3000);
    connect(watcher_, &QFileSystemWatcher::fileChanged, settleDelay_, qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        folderNoticed_ = true;
        settleDelay_->start();
    });
    connect(settleDelay_, &QTimer::timeout, this, &ProjectListDocument::checkDiskAfterNotice);
    connect(poll_, &QTimer::timeout, this, &ProjectListDocument::pollListFile);
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
    reportedOnDisk_.reset();
    watchListFile();
    // Changes kept for the old file are now kept for the new one.
    rewriteJournal();
    emit historyReset();
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
        reportedOnDisk_.reset();
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
    baseFrom_ = path;
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
    baseFrom_ = currentListFile_;
    // A list saved, its changes and any set aside for it are safe in it.
    journal_->discard();
    ChangeJournal::removeSetAside(currentListFile_);
    reportedOnDisk_.reset();
    // A save puts a new file in the old one's place.
    watchListFile();
}

std::vector<std::string> ProjectListDocument::touchedNumbers() const
{
    std::vector<std::string> numbers;
    numbers.reserve(unsaved_.size());
    for (const ListOperation& op : unsaved_)
        numbers.push_back(op.numberText);
    return numbers;
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
    job.base = repairedFrom_ ? *repairedFrom_ : base_;
    job.wholeList = repairedFrom_.has_value();
    job.ours = lines_;
    job.touched = touchedNumbers();
    job.waitingConflicts = waitingConflicts_;
    job.stamp = stamp_;
    job.baseIsFile = baseFrom_ == currentListFile_;
    if (stamp_.linesHash)
        job.stampedHash = stamp_.linesHash->value();
    job.baseExisted = stamp_.identity.exists;
    job.lockTrusted = ListFileLock::lockingEnabled()
        && !isNetworkFileSystem(QString::fromLocal8Bit(currentListFile_.data(), qsizetype(currentListFile_.size())));
    const std::size_t savedOperations = unsaved_.size();
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
    // Changes made while the save ran (none while the window waits) stay
    // unsaved, on top of the list written.
    const std::vector<ListOperation> later(unsaved_.begin() + std::ptrdiff_t(savedOperations), unsaved_.end());
    // Worked out before the lines next change, as after a plain save.
    pendingHash_ = out.stamp.linesHash;
    base_ = out.written;
    if (out.mergedOthers || !later.empty()) {
        lines_ = out.written;
        applyOperations(lines_, later);
        knownSorted_ = !later.empty();
    }
    unsaved_ = later;
    waitingConflicts_.clear();
    repairedFrom_.reset();
    baseFrom_ = currentListFile_;
    linkTarget_ = linkTargetOf(currentListFile_);
    stamp_ = out.stamp;
    lastReadPath_ = currentListFile_;
    lastReadStamp_ = stamp_;
    // A list saved, its changes and any set aside for it are safe in it.
    ChangeJournal::removeSetAside(currentListFile_);
    rewriteJournal();
    reportedOnDisk_.reset();
    // A save puts a new file in the old one's place.
    watchListFile();
    if (out.mergedOthers) {
        // The exact undo records were made on lines that are no more.
        emit historyReset();
        emit linesChanged();
    }
}

DiskMergeResult ProjectListDocument::mergeFromDisk(const ReadProgress& progress)
{
    DiskMergeResult result;
    // A repaired list not saved yet is merged as a whole by the save.
    if (saving_ || repairedFrom_)
        return result;
    settlePendingHash();
    if (stamp_.compareWithDisk(currentListFile_) != DiskState::Changed)
        return result;
    LineList theirs;
    ListFileStamp stamp = readFile(currentListFile_, theirs, progress);
    stamp.linesHash = std::make_shared<LinesHash>(theirs);
    stamp.linesHash->value();
    if (theirs == base_) {
        // Touched, not changed.
        rememberRead(currentListFile_, stamp);
        return result;
    }
    result.changed = true;
    if (unsaved_.empty()) {
        lines_ = theirs;
        waitingConflicts_.clear();
    } else {
        const std::vector<std::string> touched = touchedNumbers();
        const MergePlan plan = planMerge(base_, lines_, theirs, touched);
        result.notices = plan.notices;
        // Ours stays in memory until the save asks.
        const std::vector<ConflictChoice> keepMine(plan.conflicts.size(), ConflictChoice::KeepMine);
        const LineList merged = applyMerge(theirs, plan, keepMine, result.notices);
        result.conflictsWaiting = plan.conflicts.size();
        for (const MergeConflict& conflict : plan.conflicts) {
            auto same = std::find_if(waitingConflicts_.begin(), waitingConflicts_.end(),
                                     [&](const WaitingConflict& w) { return w.numberText == conflict.numberText; });
            if (same != waitingConflicts_.end())
                same->theirs = conflict.theirs;
            else
                waitingConflicts_.push_back({conflict.numberText, conflict.theirs});
        }
        std::vector<std::string> numbers = touched;
        std::vector<std::string> proposed;
        for (const ListOperation& op : unsaved_)
            if (op.numberProposed)
                proposed.push_back(op.numberText);
        for (const MergeNotice& notice : result.notices) {
            if (notice.kind == MergeNotice::Kind::Renumbered) {
                numbers.push_back(notice.newNumberText);
                proposed.push_back(notice.newNumberText);
            }
        }
        // The unsaved changes are now those that turn the file read into
        // the merged lines.
        unsaved_ = operationsBetween(theirs, merged, numbers);
        for (ListOperation& op : unsaved_)
            op.numberProposed = !op.replaced && std::find(proposed.begin(), proposed.end(), op.numberText) != proposed.end();
        lines_ = theirs;
        applyOperations(lines_, unsaved_);
    }
    base_ = theirs;
    baseFrom_ = currentListFile_;
    knownSorted_ = false;
    rememberRead(currentListFile_, stamp);
    rewriteJournal();
    emit historyReset();
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
        baseFrom_ = currentListFile_;
        if (lines_ != read)
            repairedFrom_ = std::move(read);
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
    baseFrom_.clear();
    knownSorted_ = true;
    emit linesChanged();
}

void ProjectListDocument::resetBase(bool clearsHistory)
{
    base_ = lines_;
    unsaved_.clear();
    waitingConflicts_.clear();
    repairedFrom_.reset();
    if (clearsHistory) {
        journal_->discard();
        emit historyReset();
    }
}

void ProjectListDocument::dropUnsavedChanges()
{
    unsaved_.clear();
    waitingConflicts_.clear();
    repairedFrom_.reset();
    journal_->discard();
}

void ProjectListDocument::applyTo(AppliedOperation& applied, int found)
{
    const ListOperation& op = applied.operation;
    applied.listWasSorted = knownSorted_;
    applied.linesBefore.reset();
    if (!applied.batch.empty()) {
        applied.linesBefore = lines_;
        applyOperations(lines_, applied.batch);
        // Only a Put sorts a list read out of order.
        knownSorted_ = knownSorted_
            || std::any_of(applied.batch.begin(), applied.batch.end(),
                           [](const ListOperation& op) { return op.kind == ListOperation::Kind::Put; });
        return;
    }
    if (found == notLookedUp)
        found = findProjectLine(lines_, op.numberText);
    if (op.kind == ListOperation::Kind::Remove) {
        if (found < 0)
            throw ListFileError("List index out of bounds (-1)");
        applied.placedAt = std::size_t(found);
        lines_.erase(applied.placedAt);
        return;
    }
    // A list read out of order is sorted whole by its first change; only
    // then is the order before it kept, sharing the lines read.
    std::optional<LineList> before;
    if (!knownSorted_)
        before = lines_;
    if (found >= 0) {
        applied.placedAt = std::size_t(found);
        lines_.set(applied.placedAt, op.line);
    } else {
        applied.placedAt = std::min(op.insertAt ? std::size_t(*op.insertAt) : lines_.size(), lines_.size());
        lines_.insert(applied.placedAt, op.line);
    }
    applied.sorted = knownSorted_ ? keepSortedInOrderedList(lines_, applied.placedAt)
                                  : keepSorted(lines_, applied.placedAt);
    if (applied.sorted.sortedAll)
        applied.linesBefore = std::move(before);
    knownSorted_ = true;
}

void ProjectListDocument::takeBack(const AppliedOperation& applied)
{
    const ListOperation& op = applied.operation;
    if (!applied.batch.empty()) {
        lines_ = *applied.linesBefore;
    } else if (op.kind == ListOperation::Kind::Remove) {
        lines_.insert(applied.placedAt, op.replaced.value_or(std::string()));
    } else if (applied.linesBefore) {
        lines_ = *applied.linesBefore;
    } else if (op.replaced) {
        lines_.moveLine(applied.sorted.at, applied.placedAt);
        lines_.set(applied.placedAt, *op.replaced);
    } else {
        lines_.erase(applied.sorted.at);
    }
    knownSorted_ = applied.listWasSorted;
}

void ProjectListDocument::pushUnsaved(const ListOperation& op)
{
    unsaved_.push_back(op);
    journal_->stage(op);
}

void ProjectListDocument::popUnsaved()
{
    unsaved_.pop_back();
    journal_->stageUndo();
}

void ProjectListDocument::rewriteJournal()
{
    journal_->discard();
    for (const ListOperation& op : unsaved_)
        journal_->stage(op);
    writeJournal();
}

void ProjectListDocument::writeJournal()
{
    // Nothing unsaved left: nothing to keep.
    if (unsaved_.empty()) {
        journal_->discard();
        return;
    }
    try {
        journal_->commit(currentListFile_, stamp_);
    } catch (const ListFileError& error) {
        emit journalFailed(QString::fromLocal8Bit(error.what()));
    }
}

std::size_t ProjectListDocument::putProject(std::string_view numberText, std::string_view line,
                                            std::optional<std::size_t> insertAt, bool numberProposed)
{
    settlePendingHash();
    auto applied = std::make_shared<AppliedOperation>();
    ListOperation& op = applied->operation;
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
    applyTo(*applied, found);
    pushUnsaved(op);
    writeJournal();
    emit linesChanged();
    emit operationApplied(applied);
    return applied->placedAt;
}

void ProjectListDocument::removeProject(std::string_view numberText)
{
    settlePendingHash();
    auto applied = std::make_shared<AppliedOperation>();
    ListOperation& op = applied->operation;
    op.kind = ListOperation::Kind::Remove;
    op.numberText = std::string(numberText);
    const int found = findProjectLine(lines_, numberText);
    if (found < 0)
        throw ListFileError("List index out of bounds (-1)");
    op.replaced = std::string(lines_[std::size_t(found)]);
    applyTo(*applied, found);
    pushUnsaved(op);
    writeJournal();
    emit linesChanged();
    emit operationApplied(applied);
}

std::vector<std::string> ProjectListDocument::recover(const RecoverableChanges& changes)
{
    std::vector<std::string> differing = applyChanges(changes.operations);
    // Every change is in this document's own journal now, unless that
    // journal could not be written: then the old one stays.
    if (!journal_->failed())
        ChangeJournal::remove(changes);
    return differing;
}

std::vector<std::string> ProjectListDocument::applyChanges(std::vector<ListOperation> ops, AppliedOperation::Batch kind)
{
    settlePendingHash();
    // The line each change meets now, to tell which changes meet a line
    // other than the one they replaced.
    const std::vector<std::optional<std::string>> met = linesMet(lines_, ops);
    auto applied = std::make_shared<AppliedOperation>();
    applied->batchKind = kind;
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
        applied->batch.push_back(std::move(op));
    }
    if (!applied->batch.empty()) {
        applyTo(*applied);
        for (const ListOperation& op : applied->batch)
            pushUnsaved(op);
        writeJournal();
        emit linesChanged();
        emit operationApplied(applied);
    }
    return differing;
}

void ProjectListDocument::unsavedUndone(const ListOperation& op)
{
    // Taken back since the last save: it simply is no longer unsaved. Saved
    // meanwhile: taking it back is a change of its own.
    if (!unsaved_.empty() && unsaved_.back() == op)
        popUnsaved();
    else
        pushUnsaved(inverseOperation(op));
}

void ProjectListDocument::unsavedRedone(const ListOperation& op)
{
    if (!unsaved_.empty() && unsaved_.back() == inverseOperation(op))
        popUnsaved();
    else
        pushUnsaved(op);
}

void ProjectListDocument::undo(const AppliedOperation& applied)
{
    settlePendingHash();
    takeBack(applied);
    if (applied.batch.empty())
        unsavedUndone(applied.operation);
    for (auto op = applied.batch.rbegin(); op != applied.batch.rend(); ++op)
        unsavedUndone(*op);
    writeJournal();
    emit linesChanged();
}

void ProjectListDocument::redo(AppliedOperation& applied)
{
    settlePendingHash();
    applyTo(applied);
    if (applied.batch.empty())
        unsavedRedone(applied.operation);
    for (const ListOperation& op : applied.batch)
        unsavedRedone(op);
    writeJournal();
    emit linesChanged();
}

DiskState ProjectListDocument::listFileOnDisk()
{
    return stamp_.compareWithDisk(currentListFile_);
}

void ProjectListDocument::watchListFile()
{
    if (!watcher_->files().isEmpty())
        watcher_->removePaths(watcher_->files());
    if (!watcher_->directories().isEmpty())
        watcher_->removePaths(watcher_->directories());
    if (currentListFile_.empty() || currentListFile_.find('\0') != std::string::npos) {
        poll_->stop();
        return;
    }
    const QFileInfo file(QString::fromLocal8Bit(currentListFile_.data(), qsizetype(currentListFile_.size())));
    // The folder tells when the file is deleted, replaced or created; the
    // file itself when it is written in place.
    const QString folder = file.absolutePath();
    // A file this document just wrote or read raises no event of its own
    // here: told once the caller is done, when the file is still that one.
    if (stamp_.identity.exists && stamp_.identity != settledOnDisk_ && identityOf(currentListFile_) == stamp_.identity) {
        settledOnDisk_ = stamp_.identity;
        QMetaObject::invokeMethod(this, &ProjectListDocument::listFileSettled, Qt::QueuedConnection);
    }
    const bool polled = detection_ == ChangeDetection::PollingOnly || isNetworkFileSystem(folder);
    if (polled && !poll_->isActive()) {
        polledFile_ = identityOf(currentListFile_);
        polledFolder_ = identityOf(folder.toLocal8Bit().toStdString());
        poll_->start();
    } else if (!polled) {
        poll_->stop();
    }
    if (detection_ == ChangeDetection::PollingOnly)
        return;
    if (QFileInfo(folder).isDir())
        watcher_->addPath(folder);
    if (file.exists())
        watcher_->addPath(file.absoluteFilePath());
}

void ProjectListDocument::setChangeDetection(ChangeDetection detection, std::chrono::milliseconds pollInterval)
{
    detection_ = detection;
    poll_->setInterval(int(pollInterval.count()));
    poll_->stop();
    watchListFile();
}

bool ProjectListDocument::pollsListFile() const
{
    return poll_->isActive();
}

void ProjectListDocument::pollListFile()
{
    // A stat of each: cheap enough every few seconds, also on a slow share.
    const FileIdentity file = identityOf(currentListFile_);
    const QString folder = QFileInfo(QString::fromLocal8Bit(currentListFile_.data(), qsizetype(currentListFile_.size())))
                               .absolutePath();
    const FileIdentity folderNow = identityOf(folder.toLocal8Bit().toStdString());
    if (folderNow != polledFolder_)
        folderNoticed_ = true;
    if (file != polledFile_ || folderNow != polledFolder_) {
        polledFile_ = file;
        polledFolder_ = folderNow;
        settleDelay_->start();
    }
}

void ProjectListDocument::checkDiskAfterNotice()
{
    // A file replaced by a new one is no longer the one watched.
    watchListFile();
    if (folderNoticed_) {
        folderNoticed_ = false;
        emit listFolderChanged();
    }
    if (stamp_.compareWithDisk(currentListFile_) == DiskState::Unchanged) {
        reportedOnDisk_.reset();
        return;
    }
    const FileIdentity now = identityOf(currentListFile_);
    if (now == reportedOnDisk_)
        return;
    reportedOnDisk_ = now;
    emit listFileChangedOnDisk();
}
