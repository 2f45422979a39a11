#pragma once
// The journal of a list's unsaved changes, in the user's state folder
// ($XDG_STATE_HOME/quindle/journals, ~/.local/state/quindle/journals by
// default), one file for each list file, named from its absolute path. Each
// operation is on the disk before the command that made it returns, so a
// crash, a kill or a power cut loses none of them; the next start offers to
// recover them. A journal the user chose not to recover is set aside under a
// name of its own until the next save of that list.
#include <QDateTime>
#include <QString>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "listfile/listoperation.h"

struct JournalRecord;
class JournalWriter;

// A journal left by a program that is gone, as found for a list file.
struct RecoverableChanges {
    std::string journalPath;
    QDateTime started;
    // The operations in effect, oldest first.
    std::vector<ListOperation> operations;
    // Records that could not be read (a cut or damaged tail).
    std::size_t unreadable = 0;
    // The journal came from another machine sharing this state folder.
    bool fromOtherHost = false;
    std::string hostName;
};

class ChangeJournal {
public:
    ChangeJournal();
    ~ChangeJournal();
    ChangeJournal(const ChangeJournal&) = delete;
    ChangeJournal& operator=(const ChangeJournal&) = delete;

    // The folder journals live in.
    static QString folder();
    // This process's journal of the list file at listPath (made absolute);
    // a second document of the same list in this process writes another.
    static std::string pathFor(const std::string& listPath);

    // The records of one command: an operation applied, or the latest one
    // taken back. They wait until commit.
    void stage(const ListOperation& op);
    void stageUndo();
    // Appends the records staged to the journal of listPath, starting one
    // if none is open, with one flush: on the disk when it returns. Throws ListFileError when the
    // journal cannot be written; from then on failed() holds, and nothing
    // is written, until the journal is discarded.
    void commit(const std::string& listPath);
    bool failed() const { return failed_; }
    bool isOpen() const { return writer_ != nullptr; }
    // The changes are saved or let go: the journal goes, with anything staged.
    void discard();

    // A journal for listPath that its program left behind: none when there
    // is none, when it is set aside, when its program still runs, or when it
    // comes from another machine and is less than a minute old.
    static std::optional<RecoverableChanges> findRecoverable(const std::string& listPath);
    // Journals for listPath that cannot be read as journals (cut in their
    // first line or header, or damaged there) and that no running program
    // holds: each is renamed to a name of its own, which nothing offers or
    // removes, so that the user can be told once. Returns the new paths.
    static std::vector<std::string> setAsideUnreadable(const std::string& listPath);
    // Keeps the journal under a name of its own, never offered again; it
    // goes at the next save of its list.
    static void setAside(const RecoverableChanges& changes);
    // Removes a journal once its changes are safe elsewhere.
    static void remove(const RecoverableChanges& changes);
    // Removes the journals set aside for listPath.
    static void removeSetAside(const std::string& listPath);

private:
    void open(const std::string& listPath);

    std::unique_ptr<JournalWriter> writer_;
    std::vector<JournalRecord> staged_;
    bool failed_ = false;
};
