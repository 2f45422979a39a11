#pragma once
// The short lock a save holds while it reads the list file, merges and
// writes it back: the hidden file ".<list file name>.quindle-lock" beside the
// list (a QLockFile), seen by every copy of the program on this machine and
// on the others that share the folder. It keeps out only programs that take
// the same lock, and a shared folder may not honour it, so a save still reads
// back what it wrote.
//
// A lock left by a process of this machine that is gone is taken over at
// once; on a local disk so is an empty one that nobody holds two seconds
// after it was made (its process was killed as it made it). One written on another machine is never removed on its own: the
// program cannot tell whether its holder still runs. Once its file is older
// than staleAfter, the user may agree to take it over (takeOverStale).
//
// No QObject and no event loop: a save running on a worker thread takes and
// releases it there. One object is used by one thread at a time.
#include <QDateTime>
#include <QLockFile>
#include <QString>
#include <chrono>
#include <optional>

#include "document/listfilestamp.h"

// Who holds a lock, as its lock file says.
struct LockHolder {
    qint64 pid = 0;     // 0 when the lock file could not be read
    QString host;       // the host name the holder wrote
    QString user;       // the lock file's owner (a number when unknown here)
    QDateTime since;    // the lock file's modification time
    bool onThisHost = false;
};

enum class LockOutcome {
    Locked,
    // Someone else holds it (holder says who): try again shortly.
    HeldByOther,
    // Held from another machine, or by a holder whose lock file says
    // nothing, for longer than staleAfter: its holder may have died with the
    // lock. Taken over only when the user agrees (takeOverStale).
    StaleFromOtherHost,
    // The folder takes no new file: a read-only folder or share.
    FolderNotLockable,
    // The lock file could not be made for another reason (the folder is
    // gone, the disk is full, the share failed).
    Failed,
    // Something that is no lock file has the lock's name (a folder, a pipe,
    // a device, a socket, a link): it is never opened, since opening a pipe
    // waits for a writer, and no lock is had until someone removes it.
    NotALockFile,
    // The user agreed to take over a stale lock and it cannot be removed:
    // asking again would change nothing.
    CannotTakeOver,
};

struct LockAttempt {
    LockOutcome outcome = LockOutcome::Failed;
    LockHolder holder;  // for HeldByOther, StaleFromOtherHost and CannotTakeOver
    // For NotALockFile and CannotTakeOver: what stands in the way, for the
    // user ("<path> is a folder, not a lock file").
    QString why;
};

class ListFileLock {
public:
    // How long a lock from another machine is taken to be in use. Saves hold
    // the lock for well under a second, but a slow share may stretch that.
    static constexpr std::chrono::seconds staleAfter {30};

    explicit ListFileLock(const QString& listPath);
    // Unlocks.
    ~ListFileLock();
    ListFileLock(const ListFileLock&) = delete;
    ListFileLock& operator=(const ListFileLock&) = delete;

    // Takes the lock without waiting; Locked again while this object holds it.
    LockAttempt tryLock();
    // The user agreed to take over the stale lock the last tryLock reported:
    // removes it, if it is still that same lock file, and takes the lock;
    // CannotTakeOver when that lock file stays. Any other state is reported
    // as tryLock would.
    LockAttempt takeOverStale();
    void unlock();
    bool isLocked() const { return locked_; }

    QString lockFilePath() const { return lock_.fileName(); }
    // ".<list file name>.quindle-lock" beside the list; a name too long for
    // the file system, with the guard QLockFile puts beside it, is shortened
    // (fittedFileName).
    static QString lockFilePathFor(const QString& listPath);

    // Tests of everything around the save switch locking off: tryLock then
    // reports Locked at once and makes no file.
    static void setLockingEnabledForTests(bool enabled);
    static bool lockingEnabled();

private:
    // Removes the lock file if it is still the one judged, guarded against
    // another process removing it, or taking the lock, meanwhile. Returns
    // why it could not be removed; empty when it went, or was no longer the
    // one judged, or another process was removing it.
    QString removeLockFileIfStill(const FileIdentity& judged);

    QLockFile lock_;
    bool locked_ = false;
    // The lock file the last tryLock found stale.
    std::optional<FileIdentity> staleSeen_;
};
