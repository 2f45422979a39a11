#pragma once
// The list document: the one owner of the list in memory (ProjectLines) and
// of the path of the list file in use (CurrentListFile). Everything that
// loads, saves, repairs, puts or removes lines goes through it, and it tells
// its readers when the lines or the file change.
//
// It remembers what it last read from or wrote to the list file in use, so
// that a save can tell whether someone else changed the file meanwhile, and
// it watches that file and says when it changes on disk. The changes since
// the last read or save are operations by project number, each knowing what
// it replaced: they are what "unsaved" means, what undo takes back, what the
// journal keeps safe from a crash.
#include <QObject>
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "document/historystep.h"
#include "document/listfilestamp.h"
#include "document/listfilewatch.h"
#include "document/savecycle.h"
#include "listfile/linelist.h"
#include "listfile/listfileio.h"
#include "listfile/listedit.h"
#include "listfile/listoperation.h"
#include "listfile/listrepair.h"
#include <vector>

// What merging the list file as it is now into memory did.
struct DiskMergeResult {
    // The lines changed: others' changes came in.
    bool changed = false;
    // Projects both sides changed differently: ours is kept in memory for
    // now, and the next save asks about each that still differs then.
    std::size_t conflictsWaiting = 0;
    std::vector<MergeNotice> notices;
};

// How a save through the cycle of read, merge, write and read-back ended.
struct SaveResult {
    enum class Status {
        Saved,
        // The user cancelled a question or a wait: nothing written, the
        // changes stay unsaved.
        Cancelled,
        // No lock can be made beside the list (a read-only folder or share):
        // the list is read-only here; the changes and their journal stay.
        ReadOnlyFolder,
    };
    Status status = Status::Cancelled;
    // What the merge decided on its own, for the user.
    std::vector<MergeNotice> notices;
    // The file had changed on disk since it was last read or written.
    bool merged = false;
    // The list saved holds changes of others: the undo history went.
    bool mergedOthers = false;
    // Writes made: more than one when another writer replaced ours.
    std::size_t writes = 0;
};

class ChangeJournal;
class EditHistory;
class UnsavedChanges;
struct AppliedOperation;
struct RecoverableChanges;

class ProjectListDocument : public QObject {
    Q_OBJECT
public:
    explicit ProjectListDocument(QObject* parent = nullptr);
    ~ProjectListDocument() override;

    // A copy is a snapshot: it shares the lines until the next change.
    const LineList& lines() const { return lines_; }
    const std::string& currentListFile() const { return currentListFile_; }

    // path becomes the list file in use; the lines stay as they are. Unless
    // the lines were last read from that file, it is taken as it stands now:
    // what is there may be overwritten by the next save, later changes may not.
    void setCurrentListFile(const std::string& path);

    // Replaces the lines by those of path (ListFileError "Cannot open file
    // <path>" leaves them alone). Every byte of a line is kept, NUL included.
    // A file of wide text (UTF-16, UTF-32) is no list: load, save and repair
    // throw UneditableListFile and neither read it as lines nor write it.
    // progress is told how far the read is and may stop it
    // (ListFileReadCancelled, the lines left alone); a file too big for a
    // list throws ListFileTooBig before it is read.
    void load(const std::string& path, const ReadProgress& progress = {});
    // Writes the lines to the list file in use (ListFileError "Cannot create
    // file <path>"), whatever is on disk now: ask listFileOnDisk first.
    void save();
    // Saves onto the list file as it is now: under the lock beside it, reads
    // it, merges the unsaved changes onto it when someone else changed it,
    // writes it and reads it back, asking through questions (never with the
    // lock held). Then the list written is the lines and the new base, and
    // the journal goes; a merge that brought in others' changes also resets
    // the undo history. ListFileError when the file cannot be read or written.
    SaveResult save(SaveQuestions& questions);
    // Reads the list file as it is now and, when someone else changed it,
    // merges it into memory: unsaved changes stay unsaved (rebased onto the
    // file read, their journal rewritten), a project both changed keeps our
    // text until the save asks. Signals linesChanged (never linesReloaded:
    // an open editor page stays) and historyReset. ListFileError when the
    // file cannot be read.
    DiskMergeResult mergeFromDisk();
    // Projects merged into memory with our text kept, not yet asked about.
    const std::vector<WaitingConflict>& waitingConflicts() const;
    // Reads the list file in use afresh and repairs it; the lines change only
    // when the repair ran to its end.
    RepairCounts repair(RepairObserver& observer);

    void clear();
    // Puts line as the project numberText's line (see putProjectLine) and
    // restores the list's order. Returns where the line went before sorting.
    // numberProposed: a new project under the number "Add project" offered.
    std::size_t putProject(std::string_view numberText, std::string_view line,
                           std::optional<std::size_t> insertAt = std::nullopt, bool numberProposed = false);
    // Takes out the first line of the project numberText (ListFileError
    // "List index out of bounds (-1)" when there is none).
    void removeProject(std::string_view numberText);

    // The history of the steps applied (putProject, removeProject,
    // applyChanges): undo takes back the latest step in effect, exactly, and
    // redo puts back the latest taken back; each returns the step (none when
    // there was none). Undo reaches back past a save: the list is then
    // unsaved again. A new step drops the steps taken back.
    bool canUndo() const;
    bool canRedo() const;
    std::optional<HistoryStep> undoStep() const;
    std::optional<HistoryStep> redoStep() const;
    std::optional<HistoryStep> undo();
    std::optional<HistoryStep> redo();

    // The changes since the list was last read or saved, oldest first, and
    // the lines as then.
    const std::vector<ListOperation>& unsavedOperations() const;
    const LineList& baseLines() const;

    // How changes on disk are noticed (PollingOnly is for tests of shares),
    // and how often the file is looked at where it is polled.
    void setChangeDetection(ChangeDetection detection,
                            std::chrono::milliseconds pollInterval = std::chrono::seconds(3));
    // Whether the list file in use is being looked at every pollInterval.
    bool pollsListFile() const;

    // Whether the list file in use is still what was last read from it or
    // written to it.
    DiskState listFileOnDisk();
    // Lines were put or removed since the list was last read or saved.
    bool hasUnsavedChanges() const;
    // The user chose to let those changes go; the lines stay until replaced,
    // and the journal of the changes goes.
    void dropUnsavedChanges();

    // The journal that keeps the unsaved changes safe from a crash.
    const ChangeJournal& journal() const;

    // Applies changes recovered from a journal, by project number, to the
    // lines as they are (the list file as it is on disk now, just read):
    // they become unsaved changes of this document, and the journal they
    // came from goes. Returns the numbers whose line was no longer what the
    // journal's change replaced.
    std::vector<std::string> recover(const RecoverableChanges& changes);
    // Applies ops by project number as one step of unsaved changes (one
    // undo takes them all back), in a single pass over the lines. Each op's
    // replaced line is set from the lines as they are; a Remove whose
    // project is not there is left out. Returns the numbers whose line was
    // not what the op said it replaced.
    std::vector<std::string> applyChanges(std::vector<ListOperation> ops,
                                          HistoryStep::Kind kind = HistoryStep::Kind::Recovery);

signals:
    // Any change of the lines.
    void linesChanged();
    // What undo and redo would do changed.
    void historyChanged();
    // What was done before can no longer be taken back: another list was
    // read, the list was repaired, another list file came into use.
    void historyReset();
    // The journal could not be written: the changes are in memory only.
    void journalFailed(const QString& message);
    // The lines were read anew from a file (load, repair): whatever was being
    // edited belongs to a list that is gone.
    void linesReloaded();
    void listFileChanged();
    // The list file in use changed on disk (or was deleted) since it was last
    // read or written by this document: once for each new state of the file.
    void listFileChangedOnDisk();
    // Files came or went in the list file's folder (a sync tool's conflict
    // copy, say).
    void listFolderChanged();
    // The list file on disk is what this document last wrote or read, in a
    // state not told before: after a save or a read, once it is done.
    void listFileSettled();

private:
    // Reads path into into; returns the stamp of what was read, without hash.
    ListFileStamp readFile(const std::string& path, LineList& into, const ReadProgress& progress = {});
    void rememberRead(const std::string& path, const ListFileStamp& stamp);
    // Works out the hash of the lines last read or saved while they are
    // still as they were: before any change of the lines.
    void settlePendingHash();
    void watchListFile();
    // Applies a new step to the lines, records it as unsaved and journals it.
    void applyStep(AppliedOperation applied, int found);
    void writeJournal();
    void rewriteJournal();
    void resetHistory();
    // The lines just read or written are the new base: nothing unsaved.
    void resetBase(bool clearsHistory);
    // The save wrote out.written holding the first savedOperations unsaved
    // changes.
    void adoptSaved(const SaveOutcome& out, std::size_t savedOperations);

    LineList lines_;
    std::string currentListFile_ = "Projects.txt";
    std::unique_ptr<UnsavedChanges> unsaved_;
    std::unique_ptr<EditHistory> history_;
    // A save is running: the file is not merged into memory meanwhile.
    bool saving_ = false;
    // Whether the lines are known to be in the list's order, so that an
    // operation need not keep the lines as they were before it.
    bool knownSorted_ = false;

    // The list file in use as last read or written (or as it stood when it
    // became the list in use), and the file last read, which becomes the
    // list in use right after it is loaded.
    ListFileStamp stamp_ = ListFileStamp::of(currentListFile_, nullptr);
    std::string lastReadPath_;
    ListFileStamp lastReadStamp_;
    // Where the list file in use led, and where the file last read led, as
    // a symbolic link when last loaded or saved (empty: no link). A save
    // asks before writing through a link that was not there then.
    std::string linkTarget_;
    std::string lastReadLinkTarget_;
    // The hash of the lines as last read or saved, not worked out yet.
    std::shared_ptr<LinesHash> pendingHash_;
    ListFileWatch* watch_ = nullptr;
};
