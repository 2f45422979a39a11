#pragma once
// The list document: the one owner of the list in memory (ProjectLines) and
// of the path of the list file in use (CurrentListFile). Everything that
// loads, saves, repairs, puts or removes lines goes through it, and it tells
// its readers when the lines or the file change. A façade over what is known
// of the file on disk (KnownListFile), watching it (ListFileWatch), the
// unsaved changes and their journal (UnsavedChanges), the history of steps
// (EditHistory) and the save's cycle (runSaveCycle).
#include <QObject>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/historystep.h"
#include "document/listfilestamp.h"
#include "document/listfilewatch.h"
#include "document/savecycle.h"
#include "listfile/linelist.h"
#include "listfile/listedit.h"
#include "listfile/listfileio.h"
#include "listfile/listoperation.h"
#include "listfile/listrepair.h"

// What merging the file into memory did: others' changes came in, projects
// both changed differently (ours kept until the save asks), notices.
struct DiskMergeResult {
    bool changed = false;
    std::size_t conflictsWaiting = 0;
    std::vector<MergeNotice> notices;
};

class ChangeJournal;
class EditHistory;
class KnownListFile;
class UnsavedChanges;
struct RecoverableChanges;

class ProjectListDocument : public QObject {
    Q_OBJECT
public:
    explicit ProjectListDocument(QObject* parent = nullptr);
    ~ProjectListDocument() override;

    // A copy is a snapshot, sharing the lines until the next change.
    const LineList& lines() const { return lines_; }
    const std::string& currentListFile() const { return currentListFile_; }
    // path becomes the list file in use; unless last read, taken as it stands.
    void setCurrentListFile(const std::string& path);

    // Replaces the lines by those of path, every byte kept (on ListFileError,
    // UneditableListFile, ListFileTooBig or a cancel, the lines stay).
    void load(const std::string& path, const ReadProgress& progress = {});
    // Writes the lines to the list file in use, whatever is on disk now.
    void save();
    // Saves onto the list file as it is now through the save's cycle, asking
    // through questions. Saved: the list written is the lines and the base,
    // the journal goes; others' changes merged in reset the history.
    SaveResult save(SaveQuestions& questions);
    // Merges the list file, when someone else changed it, into memory: the
    // unsaved changes are rebased onto it, a project both changed keeps our
    // text until the save asks; never linesReloaded. progress may stop the
    // read (ListFileReadCancelled, nothing changed).
    DiskMergeResult mergeFromDisk(const ReadProgress& progress = {});
    // Repairs the list file read afresh; the lines change once it ran to its end.
    RepairCounts repair(RepairObserver& observer);
    void clear();

    // Puts line as project numberText's (see putProjectLine), the list kept in
    // order; returns where it went before sorting. numberProposed: a new
    // project under the number "Add project" offered.
    std::size_t putProject(std::string_view numberText, std::string_view line,
                           std::optional<std::size_t> insertAt = std::nullopt, bool numberProposed = false);
    // Takes out project numberText's first line (ListFileError "List index
    // out of bounds (-1)" when there is none).
    void removeProject(std::string_view numberText);
    // Applies ops by number as one step, in one pass: each op's replaced line
    // is set from the lines, a Remove of a project not there left out.
    // Returns the numbers whose line was not what the op said it replaced.
    std::vector<std::string> applyChanges(std::vector<ListOperation> ops,
                                          HistoryStep::Kind kind = HistoryStep::Kind::Recovery);
    // applyChanges of a journal's recovered changes; their journal goes.
    std::vector<std::string> recover(const RecoverableChanges& changes);

    // The history of steps: undo takes back the latest in effect, exactly,
    // redo puts back the latest taken back; each returns the step, none when
    // there was none. Undo reaches back past a save (unsaved again).
    bool canUndo() const;
    bool canRedo() const;
    std::optional<HistoryStep> undoStep() const;
    std::optional<HistoryStep> redoStep() const;
    std::optional<HistoryStep> undo();
    std::optional<HistoryStep> redo();

    // The changes since the last read or save, oldest first, the lines as
    // then, and the projects merged in with our text kept.
    bool hasUnsavedChanges() const;
    const std::vector<ListOperation>& unsavedOperations() const;
    const LineList& baseLines() const;
    const std::vector<WaitingConflict>& waitingConflicts() const;
    // The changes and their journal go; the lines stay until replaced.
    void dropUnsavedChanges();
    const ChangeJournal& journal() const;

    // Whether the list file in use is still what was last read or written.
    DiskState listFileOnDisk();
    void setChangeDetection(ChangeDetection detection, std::chrono::milliseconds interval = std::chrono::seconds(3));
    bool pollsListFile() const;

signals:
    void linesChanged();
    // The lines were read anew (load, repair): what was edited is gone.
    void linesReloaded();
    // A whole other list (load, merge-in, recovery, copy merge, save): show it anew.
    void linesReplaced();
    void listFileChanged();
    void historyChanged();
    void historyReset();
    // The changes are in memory only: their journal could not be written.
    void journalFailed(const QString& message);
    // The list file changed on disk (or went): once for each new state.
    void listFileChangedOnDisk();
    // Files came or went in the list file's folder.
    void listFolderChanged();
    // The list file is what this document last read or wrote, newly so.
    void listFileSettled();

private:
    void rememberRead(const std::string& path, const ListFileStamp& stamp);
    void rememberWritten(const ListFileStamp& stamp);
    void stepApplied();
    std::optional<HistoryStep> stepped(std::optional<HistoryStep> step);
    void writeJournal();
    void rewriteJournal();
    void resetHistory();
    void resetBase(bool clearsHistory);
    void adoptSaved(const SaveResult& out, std::size_t savedOperations);

    LineList lines_;
    std::string currentListFile_ = "Projects.txt";
    std::unique_ptr<UnsavedChanges> unsaved_;
    std::unique_ptr<EditHistory> history_;
    std::unique_ptr<KnownListFile> known_;
    ListFileWatch* watch_ = nullptr;
    // A save runs (no merge into memory meanwhile); the lines are in order.
    bool saving_ = false;
    bool knownSorted_ = false;
};
