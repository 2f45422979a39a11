// Saves that fail, through both commands that write the list (Fix Errors
// answered Yes, and the wizard's Finish), one row for each message a failing
// save shows: a read-only folder, a read-only file, a full disk, a folder or
// a pipe put in the file's place, a file changed on disk that cannot be read
// to merge onto, a pipe or an old folder in the lock's place, and a stale
// lock that cannot be taken over (asked once, its unknown host left out).
// Each leaves the file on disk as it was and nothing else in its folder,
// keeps the changes in memory, and the window closes cleanly once the user
// lets unsaved changes go.
#include "filepermissions.h"
#include "widgetlookup.h"
#include "scripteddialogs.h"
#include "smallfilesystem.h"
#include "testenvironment.h"
#include "app/tvantorel.h"
#include "document/projectlistdocument.h"

#include "app/projectlistmodel.h"

#include <QtTest>

#include <optional>

#include <cerrno>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList listLines = {QStringLiteral("001     Harbour wall"), QStringLiteral("7     Garden shed"),
                               QStringLiteral("012     Old pier")};

void setAnHourOld(const QString& path)
{
    const std::time_t old = std::time(nullptr) - 3600;
    const timespec times[2] = {{old, 0}, {old, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace

class TestSaveFailures : public QObject {
    Q_OBJECT
private slots:
    void failedSaveLosesNothing_data();
    void failedSaveLosesNothing();
};

void TestSaveFailures::failedSaveLosesNothing_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("byRepair");
    // How the message is shown ("error" or "message") and its text, %1 the
    // list file's path.
    QTest::addColumn<QString>("shownAs");
    QTest::addColumn<QString>("told");
    const QString error = QStringLiteral("error");
    const QString message = QStringLiteral("message");
    const QString cannotCreate = QStringLiteral("Cannot create file %1");
    // The repair reads the file afresh first: nothing there can be read.
    const QString cannotLoad = QStringLiteral("Unable to load Project List");
    const QString noLock = QStringLiteral("Project List %1 is in a folder where no lock can be made: the list is "
                                          "read-only for you\rYour changes are kept, not saved");
    const QString cannotRead =
        QStringLiteral("Cannot read file %1: the changes cannot be merged into it, so nothing was written");
    // %1 the list, %2 its lock.
    const auto noLockFile = [](const char* kind) {
        return QStringLiteral("Project List %1 cannot be locked: %2 is ") + QLatin1String(kind)
            + QStringLiteral(", not a lock file\rYour changes are kept, not saved");
    };
    const QString lockNotRemoved = QStringLiteral("Project List %1 cannot be locked: the lock %2 cannot be removed: ")
        + QString::fromLocal8Bit(std::strerror(EPERM)) + QStringLiteral("\rYour changes are kept, not saved");
    struct Row {
        const char* failure;
        QString shownAs;
        QString told;
        QString shownByRepairAs;
        QString toldByRepair;
    };
    const Row rows[] = {
        {"read-only folder", message, noLock, message, noLock},
        {"read-only file", error, cannotCreate, error, cannotCreate},
        {"full disk", error, cannotCreate, error, cannotCreate},
        {"folder in place", error, cannotCreate, message, cannotLoad},
        {"pipe in place", error, cannotCreate, message, cannotLoad},
        {"changed and unreadable", error, cannotRead, message, cannotLoad},
        {"lock is a pipe", error, noLockFile("a named pipe"), error, noLockFile("a named pipe")},
        {"lock is an old folder", error, noLockFile("a folder"), error, noLockFile("a folder")},
        {"stale lock that cannot be removed", error, lockNotRemoved, error, lockNotRemoved},
    };
    for (const Row& row : rows) {
        QTest::addRow("%s, Fix Errors", row.failure)
            << QString::fromLatin1(row.failure) << true << row.shownByRepairAs << row.toldByRepair;
        QTest::addRow("%s, Finish", row.failure) << QString::fromLatin1(row.failure) << false << row.shownAs << row.told;
    }
}

void TestSaveFailures::failedSaveLosesNothing()
{
    QFETCH(QString, failure);
    QFETCH(bool, byRepair);
    QFETCH(QString, shownAs);
    QFETCH(QString, told);
    TestEnvironment env;
    const QString folder = env.path(QStringLiteral("lists"));
    QVERIFY(QDir().mkpath(folder));
    std::optional<SmallFileSystem> disk;
    if (failure == QLatin1String("full disk")) {
        disk.emplace(folder, QStringLiteral("128k"));
        if (!disk->mounted())
            QSKIP("cannot mount a small tmpfs here");
    }
    const QString path = QDir(folder).filePath(QStringLiteral("Projects.txt"));
    const QString lockPath = QDir(folder).filePath(QStringLiteral(".Projects.txt.quindle-lock"));
    const QByteArray original = TestEnvironment::listBytes(listLines);
    env.writeFile(QStringLiteral("lists/Projects.txt"), original);
    QByteArray onDisk = original;
    env.writeSettings(QStringLiteral("[General]\nCurrent=%1\nLast=0\n").arg(path));

    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(w->parts().listModel->count(), 3);

    std::optional<OrdinaryFileAccess> ordinary;
    if (failure == QLatin1String("read-only folder")) {
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        ordinary.emplace();
    } else if (failure == QLatin1String("read-only file")) {
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        ordinary.emplace();
    } else if (failure == QLatin1String("full disk")) {
        disk->fill(QStringLiteral("filler"));
    } else if (failure == QLatin1String("folder in place")) {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path));
        env.writeFile(QStringLiteral("lists/Projects.txt/inside.txt"), "inside");
    } else if (failure == QLatin1String("pipe in place")) {
        QVERIFY(QFile::remove(path));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    } else if (failure == QLatin1String("lock is a pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(lockPath).constData(), 0644), 0);
    } else if (failure == QLatin1String("lock is an old folder")) {
        QVERIFY(QDir().mkdir(lockPath));
        setAnHourOld(lockPath);
    } else if (failure == QLatin1String("stale lock that cannot be removed")) {
        // A lock file that says nothing of its holder, of another user, in a
        // folder where only a file's owner may remove it.
        const uid_t nobody = 65534;
        QCOMPARE(::chown(QFile::encodeName(folder).constData(), nobody, nobody), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 01777), 0);
        env.writeFile(QStringLiteral("lists/.Projects.txt.quindle-lock"), "\n");
        QCOMPARE(::chown(QFile::encodeName(lockPath).constData(), nobody, nobody), 0);
        setAnHourOld(lockPath);
        ordinary.emplace();
    } else {
        // Someone else's change that this user may not read: nothing to
        // merge onto.
        onDisk = TestEnvironment::listBytes({QStringLiteral("001     Harbour wall, theirs")});
        env.writeFile(QStringLiteral("lists/Projects.txt"), onDisk);
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        ordinary.emplace();
    }
    if (ordinary && !ordinary->active())
        QSKIP("permission bits cannot be made to apply here");
    const QStringList entriesBefore = entriesOf(folder);

    QObject* f = &*w;
    QStringList expectedMemory;
    // The stale lock is to be taken over.
    const bool staleLock = failure == QLatin1String("stale lock that cannot be removed");
    if (byRepair) {
        dialogs.answers << MessageButton::Yes;
        if (staleLock)
            dialogs.answers << MessageButton::Yes;
        QVERIFY(triggerAction(f, "FixErrors1"));
        expectedMemory = {QStringLiteral("001     Harbour wall"), QStringLiteral("007     Garden shed"),
                          QStringLiteral("012     Old pier")};
    } else {
        QVERIFY(triggerAction(f, "AddBtn"));
        named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("Quay steps"));
        named<QPushButton>(f, "UtilBtn")->click();
        if (staleLock)
            dialogs.answers << MessageButton::Yes;
        named<QPushButton>(f, "Next4")->click();
        // Applied and sorted: the badly laid-out line goes last.
        expectedMemory = {QStringLiteral("001     Harbour wall"), QStringLiteral("012     Old pier"),
                          QStringLiteral("013     Quay steps"), QStringLiteral("7     Garden shed")};
    }
    ordinary.reset();

    QCOMPARE(dialogs.texts(shownAs), QStringList{told.contains(QLatin1String("%2")) ? told.arg(path, lockPath)
                                                 : told.contains(QLatin1String("%1")) ? told.arg(path)
                                                                                      : told});
    // Asked once whether to take over a stale lock, its unknown host left out.
    const QStringList asked = dialogs.texts(QStringLiteral("ask")).filter(QStringLiteral("Take over its lock"));
    if (staleLock) {
        QCOMPARE(asked.size(), 1);
        const QString question = QStringLiteral("The Project List %1 has been locked by nobody since ").arg(path);
        QVERIFY2(asked.first().startsWith(question), qPrintable(asked.first()));
        QVERIFY2(asked.first().endsWith(QStringLiteral(", longer than a save takes: that program may have "
                                                       "stopped\rTake over its lock and save ?")),
                 qPrintable(asked.first()));
    } else {
        QCOMPARE(asked, QStringList());
    }
    QCOMPARE(dialogs.errors().size() + dialogs.messages().size(), qsizetype(1));
    if (told != QLatin1String("Unable to load Project List")) {
        QStringList memory;
        for (std::string_view line : w->document().lines())
            memory << QString::fromStdString(std::string(line));
        QCOMPARE(memory, expectedMemory);
    }
    // The view still shows the file as it was.
    QCOMPARE(w->parts().listModel->count(), 3);
    QCOMPARE(w->parts().listModel->captionText(1), QStringLiteral("7    "));
    if (failure == QLatin1String("folder in place"))
        QCOMPARE(env.readFile(QStringLiteral("lists/Projects.txt/inside.txt")), QByteArray("inside"));
    else if (failure == QLatin1String("pipe in place"))
        QVERIFY(QFileInfo(path).isFile() == false && QFileInfo::exists(path));
    else
        QCOMPARE(env.readFile(QStringLiteral("lists/Projects.txt")), onDisk);
    QCOMPARE(entriesOf(folder), entriesBefore);

    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    dialogs.clear();
    // The project applied and not saved is asked about; the user lets it go.
    dialogs.answers = {MessageButton::No};
    QVERIFY(w->close());
    QCOMPARE(dialogs.texts(QStringLiteral("ask")).size(), byRepair ? 0 : 1);
    QVERIFY(dialogs.errors().isEmpty());
    QCOMPARE(env.settingsValue(QStringLiteral("Current")), path);
}

QTEST_MAIN(TestSaveFailures)
#include "test_savefailures.moc"
