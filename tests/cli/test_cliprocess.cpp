// quindle-cli as a process: hostile input ends with a message and its exit
// status, never a hang and never a write; git merges two branches of a list
// through the merge driver; and an add from the command line while a
// document holds the list open with unsaved changes loses neither side.
#include "document/projectlistdocument.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "clitestfiles.h"

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace {

struct Run {
    int exit = -1;
    QByteArray out;
    QByteArray err;
};

// Saves every question away: the test's document never waits or asks.
class KeepMineQuestions : public SaveQuestions {
public:
    bool waitForLock(const LockHolder&, const std::function<bool()>& finished) override { return waitOut(finished); }
    bool waitForSave(const std::function<bool()>& finished) override { return waitOut(finished); }
    bool takeOverStaleLock(const LockHolder&) override { return false; }
    bool createDeletedFile() override { return false; }
    std::optional<std::vector<ConflictChoice>> resolveConflicts(const std::vector<MergeConflict>& conflicts) override
    {
        return std::vector<ConflictChoice>(conflicts.size(), ConflictChoice::KeepMine);
    }

private:
    static bool waitOut(const std::function<bool()>& finished)
    {
        while (!finished())
            QTest::qWait(10);
        return true;
    }
};

} // namespace

class TestCliProcess : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(home_.isValid());
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toLocal8Bit());
        qputenv("XDG_STATE_HOME", home_.filePath("state").toLocal8Bit());
        qputenv("HOME", home_.path().toLocal8Bit());
        qputenv("GIT_CONFIG_NOSYSTEM", "1");
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("message");
        // LIST stands for the path of what kind makes.
        QTest::newRow("missing file") << "missing" << QStringList{"add", "X"} << QByteArray() << 1
                                      << "Cannot find list file LIST";
        QTest::newRow("folder") << "folder" << QStringList{"add", "X"} << QByteArray() << 3 << "Cannot open file LIST";
        QTest::newRow("FIFO") << "fifo" << QStringList{"add", "X"} << QByteArray() << 3 << "Cannot open file LIST";
        QTest::newRow("FIFO read") << "fifo" << QStringList{"ls"} << QByteArray() << 3 << "Cannot open file LIST";
        QTest::newRow("device") << "device" << QStringList{"add", "X"} << QByteArray() << 3
                                << "Cannot open file /dev/zero";
        QTest::newRow("UTF-16 file") << "utf16" << QStringList{"add", "X"} << QByteArray() << 3
                                     << "The file LIST is UTF-16 text, not a list this program can edit. It is left as it is.";
        QTest::newRow("file larger than a list") << "huge" << QStringList{"find", "X"} << QByteArray() << 3
                                                 << "too big for a project list";
        QTest::newRow("description with a line break") << "list" << QStringList{"add", "Two\nlines"} << QByteArray() << 2
                                                       << "A description is one line: it cannot hold a line break";
        QTest::newRow("description with a NUL") << "list" << QStringList{"add", "-"} << QByteArray("A\0B", 3) << 2
                                                << "A description cannot hold a NUL byte";
        QTest::newRow("description of blanks") << "list" << QStringList{"edit", "1", " \t "} << QByteArray() << 2
                                               << "A description cannot be blank";
        QTest::newRow("number past 32 bits") << "list" << QStringList{"rm", "4294967297"} << QByteArray() << 2
                                             << "'4294967297' is not a valid integer value";
        QTest::newRow("number past 32 bits given to a missing file")
            << "missing" << QStringList{"show", "99999999999"} << QByteArray() << 2
            << "'99999999999' is not a valid integer value";
        QTest::newRow("unknown verb") << "list" << QStringList{"del", "1"} << QByteArray() << 2 << "Unknown command 'del'";
        QTest::newRow("unknown option") << "list" << QStringList{"rm", "1", "--force"} << QByteArray() << 2
                                        << "Unknown option '--force'";
    }
    void badInput()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(int, exit);
        QFETCH(QString, message);
        QTemporaryDir folder;
        QString list = folder.filePath("Projects.txt");
        const QByteArray listBytes = crlf({"001     Alpha"});
        if (kind == "list")
            QVERIFY(writeFile(list, listBytes));
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(list));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(list).constData(), 0600), 0);
        else if (kind == "device")
            list = "/dev/zero";
        else if (kind == "utf16")
            QVERIFY(writeFile(list, QByteArray("\xFF\xFE" "0\0" "0\0" "1\0", 8)));
        else if (kind == "huge") {
            // Sparse: three gigabytes that take no room.
            QFile huge(list);
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(3) << 30));
        }
        const QStringList before = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const QDateTime changed = QFileInfo(list).lastModified();

        const Run run = cli(args + QStringList{"-f", list}, input);
        QCOMPARE(run.exit, exit);
        QVERIFY2(QString::fromLocal8Bit(run.err).contains(QString(message).replace("LIST", list)), run.err.constData());
        QVERIFY(run.out.isEmpty());
        // Never a write: the folder holds what it held, the file is as it was.
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
        QCOMPARE(QFileInfo(list).lastModified(), changed);
        if (kind == "list")
            QCOMPARE(readFile(list), listBytes);
    }

    // ls writes straight to its standard output: a list of several pieces
    // through a pipe comes out whole, each line end a line feed.
    void lsThroughAPipe()
    {
        QTemporaryDir folder;
        const QString list = folder.filePath("Projects.txt");
        QByteArray bytes;
        QByteArray expected;
        for (int number = 1; number <= 100000; ++number) {
            const QByteArray line = QByteArray::number(number).rightJustified(3, '0') + "     Project " + QByteArray::number(number);
            bytes += line + (number % 1000 == 0 ? "\r" : "\r\n");
            expected += line + "\n";
        }
        QVERIFY(writeFile(list, bytes));
        const Run run = cli({"ls", "-f", list});
        QCOMPARE(run.exit, 0);
        QCOMPARE(run.out.size(), expected.size());
        QVERIFY(run.out == expected);
    }

    // A lock left on another machine is the user's to take over, in the
    // window: the command writes nothing and leaves no journal behind.
    void staleLockFromAnotherMachineIsLeftAlone()
    {
        QTemporaryDir folder;
        const QString list = folder.filePath("Projects.txt");
        const QByteArray listBytes = crlf({"001     Alpha"});
        QVERIFY(writeFile(list, listBytes));
        const QString lockPath = folder.filePath(".Projects.txt.quindle-lock");
        QVERIFY(writeFile(lockPath, "4242\nquindle\nfar-away.example\nother-machine-id\nother-boot\n"));
        const std::time_t old = std::time(nullptr) - 120;
        const timespec times[2] = {{old, 0}, {old, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(lockPath).constData(), times, 0), 0);

        const Run add = cli({"add", "Beta", "-f", list});
        QCOMPARE(add.exit, 3);
        QVERIFY2(add.err.contains("on far-away.example for longer than a save takes"), add.err.constData());
        QCOMPARE(readFile(list), listBytes);
        QVERIFY(QFile::exists(lockPath));
        QCOMPARE(QDir(home_.filePath("state/quindle/journals")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // Two branches of a list in a real git repository, merged by git with
    // the driver that git-setup switched on.
    void gitMergesBranchesByProjectNumber()
    {
        if (QStandardPaths::findExecutable("git").isEmpty())
            QSKIP("git is not installed");
        QTemporaryDir repo;
        const QString list = repo.filePath("Projects.txt");
        QVERIFY(git(repo.path(), {"init", "-q", "-b", "main"}));
        QVERIFY(git(repo.path(), {"config", "user.email", "test@example.org"}));
        QVERIFY(git(repo.path(), {"config", "user.name", "Test"}));
        QVERIFY(writeFile(list, crlf({"001     Alpha", "002     Beta", "003     Gamma"})));
        const Run setup = cli({"git-setup", "-f", list});
        QCOMPARE(setup.exit, 0);
        QCOMPARE(readFile(repo.filePath(".gitattributes")), QByteArray("/Projects.txt merge=quindle\n"));
        // Again: nothing more is written.
        QCOMPARE(cli({"git-setup", "-f", list}).exit, 0);
        QCOMPARE(readFile(repo.filePath(".gitattributes")), QByteArray("/Projects.txt merge=quindle\n"));
        QVERIFY(git(repo.path(), {"add", "."}) && git(repo.path(), {"commit", "-qm", "list"}));

        // Each branch adds a project: the same number on both.
        QVERIFY(git(repo.path(), {"checkout", "-qb", "other"}));
        QCOMPARE(cli({"add", "Theirs", "-f", list}).out, QByteArray("004\n"));
        QVERIFY(git(repo.path(), {"commit", "-qam", "theirs"}));
        QVERIFY(git(repo.path(), {"checkout", "-q", "main"}));
        QCOMPARE(cli({"add", "Ours", "-f", list}).out, QByteArray("004\n"));
        QVERIFY(git(repo.path(), {"commit", "-qam", "ours"}));
        QVERIFY(git(repo.path(), {"merge", "-q", "--no-edit", "other"}));
        QCOMPARE(readFile(list), crlf({"001     Alpha", "002     Beta", "003     Gamma", "004     Ours", "005     Theirs"}));

        // A project both branches changed differently: marked, alone.
        QVERIFY(git(repo.path(), {"checkout", "-qb", "other2"}));
        QCOMPARE(cli({"edit", "2", "Their beta", "-f", list}).exit, 0);
        QCOMPARE(cli({"edit", "3", "Their gamma", "-f", list}).exit, 0);
        QVERIFY(git(repo.path(), {"commit", "-qam", "their edit"}));
        QVERIFY(git(repo.path(), {"checkout", "-q", "main"}));
        QCOMPARE(cli({"edit", "2", "Our beta", "-f", list}).exit, 0);
        QVERIFY(git(repo.path(), {"commit", "-qam", "our edit"}));
        QVERIFY(!git(repo.path(), {"merge", "-q", "--no-edit", "other2"}));
        QCOMPARE(readFile(list), crlf({"001     Alpha", "<<<<<<< ours", "002     Our beta", "=======",
                                       "002     Their beta", ">>>>>>> theirs", "003     Their gamma", "004     Ours",
                                       "005     Theirs"}));
    }

    // The window's document has the list open with a change not saved yet
    // when a script adds a project: the document hears of the change on
    // disk, and its save keeps both.
    void addBesideAnOpenDocument()
    {
        QTemporaryDir folder;
        const std::string list = QFile::encodeName(folder.filePath("Projects.txt")).toStdString();
        QVERIFY(writeFile(folder.filePath("Projects.txt"), crlf({"001     Alpha", "002     Beta"})));
        ProjectListDocument document;
        document.setCurrentListFile(list);
        document.load(list);
        document.putProject("002", "002     Beta, edited in the window");
        QSignalSpy changedOnDisk(&document, &ProjectListDocument::listFileChangedOnDisk);

        const Run add = cli({"add", "From a script", "-f", QString::fromStdString(list)});
        QCOMPARE(add.exit, 0);
        QCOMPARE(add.out, QByteArray("003\n"));
        QCOMPARE(readFile(folder.filePath("Projects.txt")), crlf({"001     Alpha", "002     Beta", "003     From a script"}));
        QTRY_VERIFY(changedOnDisk.count() > 0);
        QVERIFY(document.hasUnsavedChanges());

        KeepMineQuestions questions;
        QCOMPARE(int(document.save(questions).status), int(SaveResult::Status::Saved));
        QCOMPARE(readFile(folder.filePath("Projects.txt")),
                 crlf({"001     Alpha", "002     Beta, edited in the window", "003     From a script"}));
    }

private:
    Run cli(const QStringList& args, const QByteArray& input = {})
    {
        QProcess process;
        process.start(QUINDLE_CLI, args);
        if (!process.waitForStarted(10000))
            return {};
        process.write(input);
        process.closeWriteChannel();
        // A hang is a failure: the process is killed and the exit stays -1.
        if (!process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
                process.readAllStandardError()};
    }
    static bool git(const QString& folder, const QStringList& args)
    {
        QProcess process;
        process.setWorkingDirectory(folder);
        process.start("git", args);
        return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QTemporaryDir home_;
};

QTEST_GUILESS_MAIN(TestCliProcess)
#include "test_cliprocess.moc"
