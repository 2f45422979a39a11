#pragma once
// The list document: the one owner of the list in memory (ProjectLines) and
// of the path of the list file in use (CurrentListFile). Everything that
// loads, saves, repairs, puts or removes lines goes through it, and it tells
// its readers when the lines or the file change.
//
// It remembers what it last read from or wrote to the list file in use, so
// that a save can tell whether someone else changed the file meanwhile, and
// it watches that file and says when it changes on disk. Lines put or removed
// since the last read or save are its unsaved changes.
#include <QObject>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "document/listfilestamp.h"
#include "listfile/linelist.h"
#include "listfile/listrepair.h"

class QFileSystemWatcher;
class QTimer;

class ProjectListDocument : public QObject {
    Q_OBJECT
public:
    explicit ProjectListDocument(QObject* parent = nullptr);

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
    void load(const std::string& path);
    // Writes the lines to the list file in use (ListFileError "Cannot create
    // file <path>"), whatever is on disk now: ask listFileOnDisk first.
    void save();
    // Reads the list file in use afresh and repairs it; the lines change only
    // when the repair ran to its end.
    RepairCounts repair(RepairObserver& observer);

    void clear();
    // Puts line as the project numberText's line (see putProjectLine) and
    // restores the list's order. Returns where the line went before sorting.
    std::size_t putProject(std::string_view numberText, std::string_view line,
                           std::optional<std::size_t> insertAt = std::nullopt);
    // Takes out the first line of the project numberText (ListFileError
    // "List index out of bounds (-1)" when there is none).
    void removeProject(std::string_view numberText);

    // Whether the list file in use is still what was last read from it or
    // written to it.
    DiskState listFileOnDisk();
    // Lines were put or removed since the list was last read or saved.
    bool hasUnsavedChanges() const { return unsavedChanges_; }
    // The user chose to let those changes go; the lines stay until replaced.
    void dropUnsavedChanges() { unsavedChanges_ = false; }

signals:
    // Any change of the lines.
    void linesChanged();
    // The lines were read anew from a file (load, repair): whatever was being
    // edited belongs to a list that is gone.
    void linesReloaded();
    void listFileChanged();
    // The list file in use changed on disk (or was deleted) since it was last
    // read or written by this document: once for each new state of the file.
    void listFileChangedOnDisk();

private:
    // Reads path into into; returns the stamp of what was read, without hash.
    ListFileStamp readFile(const std::string& path, LineList& into);
    void rememberRead(const std::string& path, const ListFileStamp& stamp);
    // Works out the hash of the lines last read or saved while they are
    // still as they were: before any change of the lines.
    void settlePendingHash();
    void watchListFile();
    void checkDiskAfterNotice();

    LineList lines_;
    std::string currentListFile_ = "Projects.txt";
    bool unsavedChanges_ = false;

    // The list file in use as last read or written (or as it stood when it
    // became the list in use), and the file last read, which becomes the
    // list in use right after it is loaded.
    ListFileStamp stamp_ = ListFileStamp::of(currentListFile_, nullptr);
    std::string lastReadPath_;
    ListFileStamp lastReadStamp_;
    // The hash of the lines as last read or saved, not worked out yet.
    std::shared_ptr<LinesHash> pendingHash_;

    QFileSystemWatcher* watcher_ = nullptr;
    // Editors write in several steps; the file is looked at once they are done.
    QTimer* settleDelay_ = nullptr;
    // The state of the file last reported by listFileChangedOnDisk.
    std::optional<FileIdentity> reportedOnDisk_;
};
