#pragma once
// The list document: the one owner of the list in memory (ProjectLines) and
// of the path of the list file in use (CurrentListFile). Everything that
// loads, saves, repairs, puts or removes lines goes through it, and it tells
// its readers when the lines or the file change.
#include <QObject>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "listfile/linelist.h"
#include "listfile/listrepair.h"

class ProjectListDocument : public QObject {
    Q_OBJECT
public:
    explicit ProjectListDocument(QObject* parent = nullptr);

    // A copy is a snapshot: it shares the lines until the next change.
    const LineList& lines() const { return lines_; }
    const std::string& currentListFile() const { return currentListFile_; }

    // path becomes the list file in use; the lines stay as they are.
    void setCurrentListFile(const std::string& path);

    // Replaces the lines by those of path (ListFileError "Cannot open file
    // <path>" leaves them alone).
    void load(const std::string& path);
    // Writes the lines to the list file in use (ListFileError "Cannot create
    // file <path>").
    void save() const;
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

signals:
    // Any change of the lines.
    void linesChanged();
    // The lines were read anew from a file (load, repair): whatever was being
    // edited belongs to a list that is gone.
    void linesReloaded();
    void listFileChanged();

private:
    LineList lines_;
    std::string currentListFile_ = "Projects.txt";
};
