// The lock a save takes around the list file: held against a second lock of
// this process, another thread and a child process; lock files as other
// holders leave them (gone, running, on another machine, unreadable, young
// and old), of which only those of this machine whose process is gone are
// taken over without asking; taking over a stale lock only while it is the
// one the user agreed to, and said so when it cannot be removed; folders that
// take no lock; a lock name taken by a folder, pipe, socket, device or link,
// which is never opened; the switch for tests. Then whether a path lies on a
// network file system.
#include "document/filesystemkind.h"
#include "document/listfilelock.h"
#include "filepermissions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>
#include <thread>

#include <atomic>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <fcntl.h>
#include <sys/file.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// A child process, ended and reaped when the object goes.
class Child {
public:
    // A copy of this program that waits until it is ended.
    static Child waiting()
    {
        Child child;
        child.pid_ = ::fork();
        if (child.pid_ == 0) {
            ::pause();
            ::_exit(0);
        }
        return child;
    }
    // Another program; returns once it runs.
    static Child runningSleep()
    {
        int started[2];
        if (::pipe2(started, O_CLOEXEC) != 0)
            qFatal("no pipe");
        Child child;
        child.pid_ = ::fork();
        if (child.pid_ == 0) {
            ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(started[1]);
        char byte;
        ::read(started[0], &byte, 1);  // end of file once the program replaced this one
        ::close(started[0]);
        return child;
    }
    Child() = default;
    Child(Child&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
    Child& operator=(Child&& other) noexcept
    {
        end();
        pid_ = std::exchange(other.pid_, -1);
        return *this;
    }
    ~Child() { end(); }
    void end()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// Who wrote a lock file by hand in the table below.
enum class Writer { GoneProcess, RunningCopyOfThisProgram, RunningOtherProgram, ThisProcess, Unreadable };

// No process can have this id: ids stay below the largest the kernel hands out.
qint64 impossiblePid()
{
    QFile pidMax(QStringLiteral("/proc/sys/kernel/pid_max"));
    return pidMax.open(QIODevice::ReadOnly) ? pidMax.readAll().trimmed().toLongLong() : 4194304;
}

QString nameOfUser(uid_t uid)
{
    const passwd* entry = ::getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 pidIn(const QString& lockPath)
{
    return contentOf(lockPath).split('\n').value(0).toLongLong();
}

void setAge(const QString& path, std::chrono::seconds age)
{
    const timespec when {std::time(nullptr) - age.count(), 0};
    const timespec times[2] = {when, when};
    if (::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) != 0)
        qFatal("cannot set the time of %s", qPrintable(path));
}

// A lock file as QLockFile writes it: id, program, host, machine id, boot id.
void writeLockFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray lockLines(qint64 pid, const QString& host, const QByteArray& machineId)
{
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return QByteArray::number(pid) + '\n' + program.toUtf8() + '\n' + host.toUtf8() + '\n' + machineId + '\n'
        + QSysInfo::bootUniqueId() + '\n';
}

} // namespace

// What QCOMPARE prints for an outcome.
char* toString(LockOutcome outcome)
{
    static const char* const names[] = {"Locked", "HeldByOther",  "StaleFromOtherHost", "FolderNotLockable",
                                        "Failed", "NotALockFile", "CannotTakeOver"};
    return qstrdup(names[int(outcome)]);
}

namespace {

const QString thisHost = QStringLiteral("<this host>");
const QByteArray thisMachine = "<this machine>";

} // namespace

class TestListFileLock : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void heldUntilUnlocked();
    void heldByAChildUntilItDies();
    void lockFilesOfOtherHolders_data();
    void lockFilesOfOtherHolders();
    void takeOverOnlyTheStaleLockAgreedTo();
    void foldersThatTakeNoLock_data();
    void foldersThatTakeNoLock();
    void emptyLockFileLeftByAKill_data();
    void emptyLockFileLeftByAKill();
    void switchedOffForTests();
    void namesTakenByNoLockFile_data();
    void namesTakenByNoLockFile();
    void staleLockThatCannotBeRemoved();
    void fileSystemKinds_data();
    void fileSystemKinds();

private:
    QString listPath() const { return folder_->filePath(QStringLiteral("Projects.txt")); }
    QString lockPath() const { return folder_->filePath(QStringLiteral(".Projects.txt.quindle-lock")); }

    std::unique_ptr<QTemporaryDir> folder_;
};

void TestListFileLock::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
}

void TestListFileLock::cleanup()
{
    ListFileLock::setLockingEnabledForTests(true);
    QFile::setPermissions(folder_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestListFileLock::heldUntilUnlocked()
{
    auto first = std::make_unique<ListFileLock>(listPath());
    QCOMPARE(first->lockFilePath(), lockPath());
    QCOMPARE(first->tryLock().outcome, LockOutcome::Locked);
    QVERIFY(first->isLocked());
    QVERIFY(QFile::exists(lockPath()));
    QCOMPARE(first->tryLock().outcome, LockOutcome::Locked);

    // The same list written another way, then from another thread.
    ListFileLock second(folder_->path() + QStringLiteral("/./Projects.txt"));
    const LockAttempt attempt = second.tryLock();
    QCOMPARE(attempt.outcome, LockOutcome::HeldByOther);
    QCOMPARE(attempt.holder.pid, QCoreApplication::applicationPid());
    QCOMPARE(attempt.holder.host, QSysInfo::machineHostName());
    QCOMPARE(attempt.holder.user, nameOfUser(::geteuid()));
    QVERIFY(attempt.holder.onThisHost);
    QVERIFY(qAbs(attempt.holder.since.secsTo(QDateTime::currentDateTime())) < 10);
    LockOutcome fromThread = LockOutcome::Locked;
    std::thread([&] { fromThread = ListFileLock(listPath()).tryLock().outcome; }).join();
    QCOMPARE(fromThread, LockOutcome::HeldByOther);

    first->unlock();
    QVERIFY(!QFile::exists(lockPath()));
    QCOMPARE(second.tryLock().outcome, LockOutcome::Locked);
    QCOMPARE(first->tryLock().outcome, LockOutcome::HeldByOther);
    first.reset();
    QVERIFY(QFile::exists(lockPath()));
}

void TestListFileLock::heldByAChildUntilItDies()
{
    int locked[2];
    int release[2];
    QVERIFY(::pipe(locked) == 0 && ::pipe(release) == 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ListFileLock lock(listPath());
        const char result = lock.tryLock().outcome == LockOutcome::Locked ? 'y' : 'n';
        ::write(locked[1], &result, 1);
        char byte;
        ::read(release[0], &byte, 1);
        ::_exit(0);  // dies holding the lock: its file stays
    }
    char result = 0;
    QCOMPARE(::read(locked[0], &result, 1), ssize_t(1));
    QCOMPARE(result, 'y');

    ListFileLock lock(listPath());
    const LockAttempt attempt = lock.tryLock();
    QCOMPARE(attempt.outcome, LockOutcome::HeldByOther);
    QCOMPARE(attempt.holder.pid, qint64(child));
    QVERIFY(attempt.holder.onThisHost);

    ::write(release[1], "x", 1);
    ::waitpid(child, nullptr, 0);
    for (int fd : {locked[0], locked[1], release[0], release[1]})
        ::close(fd);
    QVERIFY(QFile::exists(lockPath()));
    QCOMPARE(lock.tryLock().outcome, LockOutcome::Locked);
    QCOMPARE(pidIn(lockPath()), QCoreApplication::applicationPid());
}

void TestListFileLock::lockFilesOfOtherHolders_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QByteArray>("machineId");
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<int>("ageSeconds");
    QTest::addColumn<LockOutcome>("outcome");
    QTest::addColumn<bool>("onThisHost");

    const QString otherHost = QStringLiteral("other-host.example");
    const QByteArray otherMachine = "0123456789abcdef0123456789abcdef";
    // Another machine's process ids mean nothing here, whatever runs under them.
    QTest::newRow("other host, young") << otherHost << otherMachine << Writer::GoneProcess << 0
                                       << LockOutcome::HeldByOther << false;
    QTest::newRow("other host, old") << otherHost << otherMachine << Writer::GoneProcess << 60
                                     << LockOutcome::StaleFromOtherHost << false;
    QTest::newRow("other host, no machine id, old") << otherHost << QByteArray() << Writer::GoneProcess << 60
                                                    << LockOutcome::StaleFromOtherHost << false;
    QTest::newRow("other host, clock far ahead") << otherHost << otherMachine << Writer::GoneProcess << -3600
                                                 << LockOutcome::StaleFromOtherHost << false;
    QTest::newRow("this host name, other machine, young") << thisHost << otherMachine << Writer::GoneProcess << 0
                                                          << LockOutcome::HeldByOther << false;
    QTest::newRow("this host name, other machine, old") << thisHost << otherMachine << Writer::GoneProcess << 60
                                                        << LockOutcome::StaleFromOtherHost << false;
    // This machine: taken at once when its process is gone, never by age.
    QTest::newRow("this host, process gone") << thisHost << thisMachine << Writer::GoneProcess << 0
                                             << LockOutcome::Locked << true;
    QTest::newRow("this host, no machine id, process gone") << thisHost << QByteArray() << Writer::GoneProcess << 0
                                                            << LockOutcome::Locked << true;
    QTest::newRow("this host, id now of another program") << thisHost << thisMachine << Writer::RunningOtherProgram
                                                          << 0 << LockOutcome::Locked << true;
    QTest::newRow("this host, id of this process, left over") << thisHost << thisMachine << Writer::ThisProcess << 0
                                                              << LockOutcome::Locked << true;
    QTest::newRow("this host, running, old") << thisHost << thisMachine << Writer::RunningCopyOfThisProgram << 600
                                             << LockOutcome::HeldByOther << true;
    // A lock file being written, or of nobody knows whom.
    QTest::newRow("unreadable, young") << QString() << QByteArray() << Writer::Unreadable << 0
                                       << LockOutcome::HeldByOther << false;
    QTest::newRow("unreadable, old") << QString() << QByteArray() << Writer::Unreadable << 60
                                     << LockOutcome::StaleFromOtherHost << false;
}

void TestListFileLock::lockFilesOfOtherHolders()
{
    QFETCH(QString, host);
    QFETCH(QByteArray, machineId);
    QFETCH(Writer, writer);
    QFETCH(int, ageSeconds);
    QFETCH(LockOutcome, outcome);
    QFETCH(bool, onThisHost);

    if (machineId == thisMachine) {
        machineId = QSysInfo::machineUniqueId();
        if (machineId.isEmpty())
            QSKIP("this machine has no machine id");
    }
    if (host == thisHost) {
        host = QSysInfo::machineHostName();
        if (!onThisHost && QSysInfo::machineUniqueId().isEmpty())
            QSKIP("without a machine id of its own this machine is known by its name only");
    }

    Child child;
    qint64 pid = impossiblePid();
    if (writer == Writer::RunningCopyOfThisProgram)
        child = Child::waiting();
    else if (writer == Writer::RunningOtherProgram)
        child = Child::runningSleep();
    if (child.pid() > 0)
        pid = child.pid();
    else if (writer == Writer::ThisProcess)
        pid = QCoreApplication::applicationPid();

    const QByteArray content = writer == Writer::Unreadable ? QByteArray("\n") : lockLines(pid, host, machineId);
    writeLockFile(lockPath(), content);
    // Whose the lock file is tells the user; another machine's user is not this one.
    const uid_t owner = 65534;
    QVERIFY(::chown(QFile::encodeName(lockPath()).constData(), owner, owner) == 0);
    setAge(lockPath(), std::chrono::seconds(ageSeconds));
    const qint64 lockTimeMs = (std::time(nullptr) - ageSeconds) * qint64(1000);

    ListFileLock lock(listPath());
    const LockAttempt attempt = lock.tryLock();
    QCOMPARE(attempt.outcome, outcome);
    if (outcome == LockOutcome::Locked) {
        QCOMPARE(pidIn(lockPath()), QCoreApplication::applicationPid());
        return;
    }
    QCOMPARE(contentOf(lockPath()), content);
    QCOMPARE(attempt.holder.onThisHost, onThisHost);
    QCOMPARE(attempt.holder.pid, writer == Writer::Unreadable ? 0 : pid);
    QCOMPARE(attempt.holder.host, host);
    QCOMPARE(attempt.holder.user, nameOfUser(owner));
    QVERIFY(qAbs(attempt.holder.since.toMSecsSinceEpoch() - lockTimeMs) < 2000);
}

void TestListFileLock::takeOverOnlyTheStaleLockAgreedTo()
{
    const QByteArray otherHolder = lockLines(4321, QStringLiteral("other-host.example"), "");
    ListFileLock lock(listPath());

    // Reported stale, agreed to, taken over.
    writeLockFile(lockPath(), otherHolder);
    setAge(lockPath(), 60s);
    QCOMPARE(lock.tryLock().outcome, LockOutcome::StaleFromOtherHost);
    QCOMPARE(lock.takeOverStale().outcome, LockOutcome::Locked);
    QCOMPARE(pidIn(lockPath()), QCoreApplication::applicationPid());
    lock.unlock();

    // While the user was asked, another machine's lock, as stale, took the
    // place of the one reported; then the other machine took the lock anew.
    writeLockFile(lockPath(), otherHolder);
    setAge(lockPath(), 60s);
    QCOMPARE(lock.tryLock().outcome, LockOutcome::StaleFromOtherHost);
    const QByteArray thirdHolder = lockLines(5432, QStringLiteral("third-host.example"), "");
    writeLockFile(lockPath(), thirdHolder);
    setAge(lockPath(), 90s);
    QCOMPARE(lock.takeOverStale().outcome, LockOutcome::StaleFromOtherHost);
    QCOMPARE(contentOf(lockPath()), thirdHolder);
    writeLockFile(lockPath(), otherHolder);
    QCOMPARE(lock.takeOverStale().outcome, LockOutcome::HeldByOther);
    QCOMPARE(contentOf(lockPath()), otherHolder);

    // Stale again, but nobody agreed to this one yet.
    setAge(lockPath(), 90s);
    ListFileLock unasked(listPath());
    QCOMPARE(unasked.takeOverStale().outcome, LockOutcome::StaleFromOtherHost);
    QCOMPARE(contentOf(lockPath()), otherHolder);
}

void TestListFileLock::foldersThatTakeNoLock_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("subfolder");
    QTest::addColumn<LockOutcome>("outcome");
    QTest::newRow("read-only folder") << true << QString() << LockOutcome::FolderNotLockable;
    QTest::newRow("missing folder") << false << QStringLiteral("missing/") << LockOutcome::Failed;
}

void TestListFileLock::foldersThatTakeNoLock()
{
    QFETCH(bool, readOnly);
    QFETCH(QString, subfolder);
    QFETCH(LockOutcome, outcome);

    std::unique_ptr<OrdinaryFileAccess> ordinary;
    if (readOnly) {
        QVERIFY(QFile::setPermissions(folder_->path(), QFile::ReadOwner | QFile::ExeOwner));
        ordinary = std::make_unique<OrdinaryFileAccess>();
        if (!ordinary->active())
            QSKIP("permission bits do not apply to this process");
    }
    ListFileLock lock(folder_->filePath(subfolder + QStringLiteral("Projects.txt")));
    QCOMPARE(lock.tryLock().outcome, outcome);
    QVERIFY(!lock.isLocked());
}

void TestListFileLock::emptyLockFileLeftByAKill_data()
{
    QTest::addColumn<int>("ageSeconds");
    QTest::addColumn<bool>("heldOpenLocked");
    QTest::addColumn<LockOutcome>("outcome");
    // A holder fills its file within moments: a young empty one may be filling.
    QTest::newRow("just made") << 0 << false << LockOutcome::HeldByOther;
    QTest::newRow("old, nobody holds it") << 5 << false << LockOutcome::Locked;
    QTest::newRow("old, its holder still holds it") << 5 << true << LockOutcome::HeldByOther;
}

void TestListFileLock::emptyLockFileLeftByAKill()
{
    QFETCH(int, ageSeconds);
    QFETCH(bool, heldOpenLocked);
    QFETCH(LockOutcome, outcome);
    writeLockFile(lockPath(), QByteArray());
    setAge(lockPath(), std::chrono::seconds(ageSeconds));
    const int holderFd = ::open(QFile::encodeName(lockPath()).constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(holderFd >= 0);
    if (heldOpenLocked)
        QCOMPARE(::flock(holderFd, LOCK_EX | LOCK_NB), 0);
    ListFileLock lock(listPath());
    QCOMPARE(lock.tryLock().outcome, outcome);
    ::close(holderFd);
}

void TestListFileLock::switchedOffForTests()
{
    ListFileLock holder(listPath());
    QCOMPARE(holder.tryLock().outcome, LockOutcome::Locked);
    const QStringList before = QDir(folder_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    ListFileLock::setLockingEnabledForTests(false);
    ListFileLock same(listPath());
    ListFileLock other(folder_->filePath(QStringLiteral("Other.txt")));
    QCOMPARE(same.tryLock().outcome, LockOutcome::Locked);
    QCOMPARE(other.tryLock().outcome, LockOutcome::Locked);
    QCOMPARE(QDir(folder_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);

    ListFileLock::setLockingEnabledForTests(true);
    other.unlock();
    QCOMPARE(other.tryLock().outcome, LockOutcome::Locked);
    QVERIFY(QFile::exists(folder_->filePath(QStringLiteral(".Other.txt.quindle-lock"))));
}

void TestListFileLock::namesTakenByNoLockFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("atGuard");
    QTest::addColumn<QString>("told");
    for (bool atGuard : {false, true}) {
        const char* where = atGuard ? "removal guard" : "lock";
        QTest::addRow("%s is a folder", where) << QStringLiteral("folder") << atGuard << QStringLiteral("a folder");
        QTest::addRow("%s is a pipe", where) << QStringLiteral("pipe") << atGuard << QStringLiteral("a named pipe");
        QTest::addRow("%s is a socket", where) << QStringLiteral("socket") << atGuard << QStringLiteral("a socket");
        QTest::addRow("%s is a link", where) << QStringLiteral("link") << atGuard << QStringLiteral("a symbolic link");
    }
    QTest::newRow("lock is a device") << QStringLiteral("device") << false << QStringLiteral("a device");
}

// Whatever has the lock's name, the lock is never waited for: a pipe opened
// for reading would keep the save waiting for ever.
void TestListFileLock::namesTakenByNoLockFile()
{
    QFETCH(QString, kind);
    QFETCH(bool, atGuard);
    QFETCH(QString, told);
    // A process of this machine that is gone left the lock: QLockFile takes
    // its guard to remove it.
    if (atGuard)
        writeLockFile(lockPath(), lockLines(impossiblePid(), QSysInfo::machineHostName(), QSysInfo::machineUniqueId()));
    const QString path = atGuard ? lockPath() + QStringLiteral(".rmlock") : lockPath();
    const QByteArray name = QFile::encodeName(path);
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
        setAge(path, 3600s);
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(name.constData(), 0644), 0);
    } else if (kind == QLatin1String("socket")) {
        QVERIFY(QFileInfo(path).absoluteFilePath().size() < 100);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, name.constData(), sizeof address.sun_path - 1);
        QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    } else if (kind == QLatin1String("link")) {
        QCOMPARE(::symlink("/nowhere", name.constData()), 0);
    } else if (::mknod(name.constData(), S_IFCHR | 0644, ::makedev(1, 3)) != 0) {
        QSKIP("no device can be made here");
    }

    ListFileLock lock(listPath());
    std::atomic<bool> done {false};
    LockAttempt attempt;
    std::thread trying([&] {
        attempt = lock.tryLock();
        done = true;
    });
    QDeadlineTimer deadline(5000);
    while (!done && !deadline.hasExpired())
        QThread::msleep(5);
    if (!done) {
        // Writers that come and go let the waiting opens go, so that the
        // test can fail instead of waiting with it.
        for (QDeadlineTimer unblocking(10'000); !done;) {
            if (unblocking.hasExpired())
                qFatal("the lock is still waited for");
            const int writer = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0)
                ::close(writer);
            QThread::msleep(10);
        }
        trying.join();
        QFAIL("the lock was waited for");
    }
    trying.join();
    QCOMPARE(attempt.outcome, LockOutcome::NotALockFile);
    QCOMPARE(attempt.why, QStringLiteral("%1 is %2, not a lock file").arg(path, told));
    QVERIFY(!lock.isLocked());
    // Left as it is, and so is what it names.
    QVERIFY(QFileInfo(path).exists() || QFileInfo(path).isSymLink());
    QVERIFY(!QFileInfo(path).isFile());
}

// Agreed to take over, a stale lock that cannot be removed (a sticky folder
// of another user) is said to be so, with why, not reported stale again.
void TestListFileLock::staleLockThatCannotBeRemoved()
{
    const uid_t nobody = 65534;
    const QByteArray folder = QFile::encodeName(folder_->path());
    QCOMPARE(::chown(folder.constData(), nobody, nobody), 0);
    QCOMPARE(::chmod(folder.constData(), 01777), 0);
    writeLockFile(lockPath(), lockLines(4321, QStringLiteral("other-host.example"), ""));
    QCOMPARE(::chown(QFile::encodeName(lockPath()).constData(), nobody, nobody), 0);
    setAge(lockPath(), 60s);
    OrdinaryFileAccess ordinary;
    if (!ordinary.active())
        QSKIP("permission bits do not apply to this process");

    ListFileLock lock(listPath());
    QCOMPARE(lock.tryLock().outcome, LockOutcome::StaleFromOtherHost);
    const LockAttempt attempt = lock.takeOverStale();
    QCOMPARE(attempt.outcome, LockOutcome::CannotTakeOver);
    QCOMPARE(attempt.why, QStringLiteral("the lock %1 cannot be removed: %2")
                              .arg(lockPath(), QString::fromLocal8Bit(std::strerror(EPERM))));
    QCOMPARE(attempt.holder.host, QStringLiteral("other-host.example"));
    QVERIFY(QFile::exists(lockPath()));
    QVERIFY(!QFile::exists(lockPath() + QStringLiteral(".rmlock")));
}

void TestListFileLock::fileSystemKinds_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint64>("magic");  // -1: none; 0: any
    // No network file system can be mounted here; these are local for sure.
    QTest::newRow("/tmp") << QStringLiteral("/tmp") << qint64(0);
    QTest::newRow("proc") << QStringLiteral("/proc/self") << qint64(0x9FA0);
    QTest::newRow("missing file: its folder") << QStringLiteral("/proc/no-such-file") << qint64(0x9FA0);
    QTest::newRow("missing file in tmpfs") << QStringLiteral("/dev/shm/no-such-file") << qint64(0x01021994);
    QTest::newRow("missing folder") << QStringLiteral("/no-such-folder/no-such-file") << qint64(-1);
}

void TestListFileLock::fileSystemKinds()
{
    QFETCH(QString, path);
    QFETCH(qint64, magic);
    if (magic == 0x01021994 && !QFileInfo::exists(QStringLiteral("/dev/shm")))
        QSKIP("no /dev/shm here");
    const std::optional<std::uint32_t> found = fileSystemMagic(path);
    if (magic == -1)
        QVERIFY(!found);
    else if (magic != 0)
        QCOMPARE(qint64(found.value_or(0)), magic);
    else
        QVERIFY(found);
    QVERIFY(!isNetworkFileSystem(path));
}

QTEST_GUILESS_MAIN(TestListFileLock)
#include "test_listfilelock.moc"
