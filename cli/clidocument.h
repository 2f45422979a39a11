#pragma once
// The command line's one use of the list document: it reads the list, makes
// one change as the window's commands make it, and saves it at once through
// the document's locked, merging save, as "Finish" does. The save's questions
// are answered without asking anyone: it waits a while for a lock someone
// else holds, never takes over a stale lock, never writes a deleted list or
// through a new link again, and leaves a project both sides changed unsaved
// (the change is not written) rather than choosing for the user.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "listfile/linelist.h"
#include "listfile/listmerge.h"
#include "listfile/listrepair.h"

class ProjectListDocument;

// How a save ended, in what the command line prints and returns.
struct CliSave {
    bool saved = false;
    // Why not: a conflict (exit 1) or a file that cannot be written (exit 3).
    bool conflict = false;
    std::string failure;
    // What the merge decided on its own, one text each.
    std::vector<std::string> notices;
    // The merge gave these numbers other ones: number -> new number.
    std::vector<std::pair<std::string, std::string>> renumbered;
};

class CliDocument {
public:
    // Reads the list file at path; ListFileError and its kinds when it
    // cannot be read.
    explicit CliDocument(const std::string& path);
    ~CliDocument();

    const LineList& lines() const;

    // The number "Add project" would offer: one above the highest, or 001.
    std::string proposedNumber() const;
    // Puts the line for numberText; proposed: a number the command line
    // chose, which the save may change when someone else took it meanwhile.
    void putProject(const std::string& numberText, const std::string& description, bool proposed);
    void removeProject(const std::string& numberText);
    // The repair of "Fix Errors", on the file as it is now.
    RepairCounts repair();

    // A conflict copy's merge, planned against the list as read: the copy's
    // line is "theirs" of each conflict, the list's "mine".
    struct CopyConflict {
        std::string numberText;
        std::string copyLine;
        std::string listLine;
    };
    // Plans the merge of copyPath; returns the projects both hold differently.
    std::vector<CopyConflict> planCopyMerge(const std::string& copyPath);
    enum class Keep { Copy, List, Both };
    // Puts the planned merge into the list, every conflict answered by keep;
    // returns the texts of what it did.
    std::vector<std::string> applyCopyMerge(Keep keep);

    // The locked, merging save of the changes made; when it writes nothing,
    // the changes are let go.
    CliSave save();

private:
    std::unique_ptr<ProjectListDocument> document_;
    struct PlannedCopy;
    std::unique_ptr<PlannedCopy> copy_;
};
