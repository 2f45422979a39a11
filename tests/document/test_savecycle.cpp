// The document's save onto a list that others change too: one table of what
// a save makes of our changes and theirs (and what it asks and tells), the
// lock (held by another, left by a dead process, left on another machine, no
// lock possible), and merging the file into memory without saving.
#include "common/mergetexts.h"
#include "document/changejournal.h"
#include "document/listfilelock.h"
#include "document/projectlistdocument.h"
#include "documentfolder.h"
#include "filepermissions.h"

#include "listfile/lineformat.h"
#include "listfile/listedit.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QThread>
#include <QtTest>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

Q_DECLARE_METATYPE(ConflictChoice)

namespace {

QStringList textOf(const LineList& lines)
{
    QStringList out;
    for (std::string_view line : lines)
        out << QString::fromLatin1(line.data(), qsizetype(line.size()));
    return out;
}

QByteArray bytesOf(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

// Answers from a script and records what was asked.
class ScriptedQuestions : public SaveQuestions {
public:
    QStringList asked;
    QList<ConflictChoice> conflictChoices;  // one for every conflict asked
    bool cancelConflicts = false;
    bool createDeleted = false;
    bool takeOverStale = false;
    // Run when a wait for the lock begins (the holder lets go, say).
    std::function<void()> onWaitForLock;
    QList<QStringList> conflictNumbers;
    QList<QList<MergeConflict>> conflictsAsked;

    bool waitForLock(const LockHolder& holder, const std::function<bool()>& finished) override
    {
        asked << QStringLiteral("wait for lock held by %1 on %2").arg(holder.user, holder.host);
        if (onWaitForLock)
            std::exchange(onWaitForLock, nullptr)();
        return waitOut(finished);
    }
    bool waitForSave(const std::function<bool()>& finished) override { return waitOut(finished); }
    bool takeOverStaleLock(const LockHolder& holder) override
    {
        asked << QStringLiteral("stale lock of %1").arg(holder.host);
        return takeOverStale;
    }
    bool createDeletedFile() override
    {
        asked << QStringLiteral("create deleted file");
        return createDeleted;
    }
    std::optional<std::vector<ConflictChoice>> resolveConflicts(const std::vector<MergeConflict>& conflicts) override
    {
        QStringList numbers;
        for (const MergeConflict& conflict : conflicts)
            numbers << QString::fromStdString(conflict.numberText);
        asked << QStringLiteral("conflicts %1").arg(numbers.join(QLatin1Char(',')));
        conflictsAsked << QList<MergeConflict>(conflicts.begin(), conflicts.end());
        if (cancelConflicts)
            return std::nullopt;
        std::vector<ConflictChoice> choices;
        for (std::size_t i = 0; i < conflicts.size(); ++i)
            choices.push_back(conflictChoices.isEmpty() ? ConflictChoice::KeepMine : conflictChoices.takeFirst());
        return choices;
    }

private:
    static bool waitOut(const std::function<bool()>& finished)
    {
        QDeadlineTimer deadline(30'000);
        while (!finished()) {
            if (deadline.hasExpired())
                return false;
            QThread::msleep(5);
        }
        return true;
    }
};

// One of our changes, written as "put 002 Text" (Edit or Insert), "add 004
// Text" (a number "Add project" proposed) or "remove 003".
void applyOurChange(ProjectListDocument& document, const QString& change)
{
    const QStringList words = change.split(QLatin1Char(' '));
    const std::string number = words.value(1).toStdString();
    const std::string text = words.mid(2).join(QLatin1Char(' ')).toStdString();
    if (words.first() == QLatin1String("remove"))
        document.removeProject(number);
    else
        document.putProject(number, projectLine(number, text), std::nullopt, words.first() == QLatin1String("add"));
}

const QStringList startList {"001     Harbour wall", "002     Garden shed", "003     Old pier"};

QStringList with(QStringList lines, const QString& line)
{
    for (QString& existing : lines) {
        if (existing.left(3) == line.left(3)) {
            existing = line;
            return lines;
        }
    }
    lines << line;
    lines.sort();
    return lines;
}

QStringList without(QStringList lines, const QString& number)
{
    lines.erase(std::remove_if(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(number); }),
                lines.end());
    return lines;
}

} // namespace

class TestSaveCycle : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void ourChangesOntoTheirs_data();
    void ourChangesOntoTheirs();
    void readOnlyFolderKeepsChangesAndJournal();
    void lockHeldByAnotherIsWaitedFor();
    void lockOfADeadProcessIsTakenOverAtOnce();
    void oldLockFromAnotherHostIsAskedAbout_data();
    void oldLockFromAnotherHostIsAskedAbout();
    void listNamedAsLongAsTheFileSystemAllowsSaves();
    void mergeIntoMemoryWithoutSaving();
    void conflictKeptInMemoryIsAskedAtTheSave();
    void undoHistoryGoesOnlyWhenOthersChangesCameIn();
    void twoWritersAddingTheSameLongNumber_data();
    void twoWritersAddingTheSameLongNumber();

private:
    std::string listPath() const { return folder_->filePath(QStringLiteral("Projects.txt")).toStdString(); }
    void writeList(const QByteArray& bytes)
    {
        QFile file(QString::fromStdString(listPath()));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            qFatal("cannot write the list");
        file.close();
        // Another writer's file differs in time from the one read.
        const timespec later[2] = {{std::time(nullptr) + 5, 0}, {std::time(nullptr) + 5, 0}};
        ::utimensat(AT_FDCWD, listPath().c_str(), later, 0);
    }
    QByteArray readList() const
    {
        QFile file(QString::fromStdString(listPath()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    std::unique_ptr<ProjectListDocument> loadedDocument()
    {
        writeList(bytesOf(startList));
        auto document = std::make_unique<ProjectListDocument>();
        document->load(listPath());
        document->setCurrentListFile(listPath());
        return document;
    }

    std::unique_ptr<DocumentFolder> folder_;
};

void TestSaveCycle::init()
{
    folder_ = std::make_unique<DocumentFolder>();
    QVERIFY(folder_->isValid());
}

void TestSaveCycle::cleanup()
{
    QFile::setPermissions(folder_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestSaveCycle::ourChangesOntoTheirs_data()
{
    QTest::addColumn<QStringList>("ours");        // our changes, in order
    QTest::addColumn<QStringList>("theirs");      // the file when we save; "<deleted>" for none
    QTest::addColumn<QList<ConflictChoice>>("choices");
    QTest::addColumn<bool>("cancel");             // conflicts or the deleted file's question
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("saved");       // the file after the save
    QTest::addColumn<QStringList>("told");        // the notices' texts
    QTest::addColumn<bool>("historyReset");

    const QList<ConflictChoice> none;
    const QString edit = QStringLiteral("002     Tool shed");
    const QString theirEdit = QStringLiteral("002     Boat house");
    const QStringList theirEdits = with(startList, theirEdit);

    QTest::newRow("file unchanged") << QStringList {"put 002 Tool shed"} << startList << none << false << QStringList()
                                    << with(startList, edit) << QStringList() << false;
    QTest::newRow("they added, we edited")
        << QStringList {"put 002 Tool shed"} << with(startList, "004     Their pier") << none << false << QStringList()
        << with(with(startList, edit), "004     Their pier") << QStringList() << true;
    QTest::newRow("each edited another project")
        << QStringList {"put 002 Tool shed"} << with(startList, "003     New pier") << none << false << QStringList()
        << with(with(startList, edit), "003     New pier") << QStringList() << true;
    QTest::newRow("we removed, they changed another")
        << QStringList {"remove 003"} << with(startList, "001     Sea wall") << none << false << QStringList()
        << without(with(startList, "001     Sea wall"), "003") << QStringList() << true;
    QTest::newRow("same edit on both sides") << QStringList {"put 002 Tool shed"} << with(startList, edit) << none
                                             << false << QStringList() << with(startList, edit) << QStringList()
                                             << false;
    QTest::newRow("both added under one number")
        << QStringList {"add 004 My pier"} << with(startList, "004     Their pier") << none << false << QStringList()
        << (startList + QStringList {"004     Their pier", "005     My pier"})
        << QStringList {"Project 004 was added by someone else meanwhile; yours is now project 005"} << true;
    QTest::newRow("we edited, they removed")
        << QStringList {"put 002 Tool shed"} << without(startList, "002") << none << false << QStringList()
        << with(startList, edit)
        << QStringList {"Project 002 was removed by someone else meanwhile; your edit keeps it in the list"} << false;
    QTest::newRow("we removed, they edited")
        << QStringList {"remove 002"} << theirEdits << none << false << QStringList() << theirEdits
        << QStringList {"Project 002 was changed by someone else meanwhile; it stays in the list with their text "
                        "instead of being removed"}
        << true;
    QTest::newRow("conflict, keep theirs") << QStringList {"put 002 Tool shed"} << theirEdits
                                           << QList<ConflictChoice> {ConflictChoice::KeepTheirs} << false
                                           << QStringList {"conflicts 002"} << theirEdits << QStringList() << true;
    QTest::newRow("conflict, keep mine") << QStringList {"put 002 Tool shed"} << theirEdits
                                         << QList<ConflictChoice> {ConflictChoice::KeepMine} << false
                                         << QStringList {"conflicts 002"} << with(startList, edit) << QStringList()
                                         << false;
    QTest::newRow("conflict, keep both")
        << QStringList {"put 002 Tool shed"} << theirEdits << QList<ConflictChoice> {ConflictChoice::KeepBoth}
        << false << QStringList {"conflicts 002"} << (theirEdits + QStringList {"004     Tool shed"})
        << QStringList {"Project 002 keeps the other text; yours is now project 004"} << true;
    QTest::newRow("two conflicts answered each their way")
        << QStringList {"put 002 Tool shed", "put 003 Stone pier"} << with(theirEdits, "003     Wooden pier")
        << QList<ConflictChoice> {ConflictChoice::KeepMine, ConflictChoice::KeepTheirs} << false
        << QStringList {"conflicts 002,003"} << with(with(startList, edit), "003     Wooden pier") << QStringList()
        << true;
    QTest::newRow("conflict cancelled") << QStringList {"put 002 Tool shed", "add 004 Quay"} << theirEdits << none
                                        << true << QStringList {"conflicts 002"} << theirEdits << QStringList()
                                        << false;
    QTest::newRow("deleted file made again") << QStringList {"put 002 Tool shed"} << QStringList {"<deleted>"}
                                             << none << false << QStringList {"create deleted file"}
                                             << with(startList, edit) << QStringList() << false;
    QTest::newRow("deleted file left deleted") << QStringList {"put 002 Tool shed"} << QStringList {"<deleted>"}
                                               << none << true << QStringList {"create deleted file"}
                                               << QStringList {"<none>"} << QStringList() << false;
}

void TestSaveCycle::ourChangesOntoTheirs()
{
    QFETCH(QStringList, ours);
    QFETCH(QStringList, theirs);
    QFETCH(QList<ConflictChoice>, choices);
    QFETCH(bool, cancel);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, saved);
    QFETCH(QStringList, told);
    QFETCH(bool, historyReset);

    auto document = loadedDocument();
    for (const QString& change : ours)
        applyOurChange(*document, change);
    const QStringList ourLines = textOf(document->lines());
    const bool deleted = theirs == QStringList {"<deleted>"};
    if (deleted)
        QVERIFY(QFile::remove(QString::fromStdString(listPath())));
    else if (theirs != startList)
        writeList(bytesOf(theirs));

    ScriptedQuestions questions;
    questions.conflictChoices = choices;
    questions.cancelConflicts = cancel;
    questions.createDeleted = !cancel;
    QSignalSpy resets(document.get(), &ProjectListDocument::historyReset);
    QSignalSpy reloads(document.get(), &ProjectListDocument::linesReloaded);
    const SaveResult result = document->save(questions);

    QCOMPARE(questions.asked, asked);
    QCOMPARE(reloads.count(), 0);
    if (cancel) {
        // Nothing written, nothing lost: the changes stay unsaved.
        QCOMPARE(result.status, SaveResult::Status::Cancelled);
        QCOMPARE(readList(), deleted ? QByteArray("<none>") : bytesOf(theirs));
        QCOMPARE(textOf(document->lines()), ourLines);
        QCOMPARE(document->unsavedOperations().size(), std::size_t(ours.size()));
        QVERIFY(document->journal().isOpen());
        return;
    }
    QCOMPARE(result.status, SaveResult::Status::Saved);
    QCOMPARE(QString::fromLatin1(readList()), QString::fromLatin1(bytesOf(saved)));
    QCOMPARE(textOf(document->lines()), saved);
    QCOMPARE(textOf(document->baseLines()), saved);
    QCOMPARE(mergeNoticeTexts(result.notices), told);
    QCOMPARE(resets.count() > 0, historyReset);
    QVERIFY(!document->hasUnsavedChanges());
    QVERIFY(!document->journal().isOpen());
    QCOMPARE(document->listFileOnDisk(), DiskState::Unchanged);
}

void TestSaveCycle::readOnlyFolderKeepsChangesAndJournal()
{
    auto document = loadedDocument();
    applyOurChange(*document, QStringLiteral("put 002 Tool shed"));
    QVERIFY(QFile::setPermissions(folder_->path(), QFile::ReadOwner | QFile::ExeOwner));
    OrdinaryFileAccess ordinary;
    if (!ordinary.active())
        QSKIP("permission bits do not apply to this process");
    ScriptedQuestions questions;
    const SaveResult result = document->save(questions);
    QCOMPARE(result.status, SaveResult::Status::ReadOnlyFolder);
    QCOMPARE(readList(), bytesOf(startList));
    QCOMPARE(textOf(document->lines()), with(startList, QStringLiteral("002     Tool shed")));
    QVERIFY(document->hasUnsavedChanges());
    QVERIFY(document->journal().isOpen());
    QVERIFY(QFile::exists(QString::fromStdString(ChangeJournal::pathFor(listPath()))));
}

void TestSaveCycle::lockHeldByAnotherIsWaitedFor()
{
    auto document = loadedDocument();
    applyOurChange(*document, QStringLiteral("put 002 Tool shed"));
    auto other = std::make_unique<ListFileLock>(QString::fromStdString(listPath()));
    QCOMPARE(other->tryLock().outcome, LockOutcome::Locked);

    ScriptedQuestions questions;
    // The holder saves its own change and lets go once we are waiting.
    questions.onWaitForLock = [&] {
        writeList(bytesOf(with(startList, QStringLiteral("004     Their pier"))));
        other.reset();
    };
    const SaveResult result = document->save(questions);
    QCOMPARE(result.status, SaveResult::Status::Saved);
    QCOMPARE(questions.asked.size(), 1);
    QVERIFY2(questions.asked.first().startsWith(QStringLiteral("wait for lock held by ")), qPrintable(questions.asked.first()));
    QVERIFY(questions.asked.first().endsWith(QSysInfo::machineHostName()));
    QCOMPARE(readList(), bytesOf(with(with(startList, QStringLiteral("002     Tool shed")), QStringLiteral("004     Their pier"))));
    QVERIFY(!QFile::exists(ListFileLock::lockFilePathFor(QString::fromStdString(listPath()))));
}

void TestSaveCycle::lockOfADeadProcessIsTakenOverAtOnce()
{
    QProcess gone;
    gone.start(QStringLiteral("true"));
    QVERIFY(gone.waitForFinished());
    const qint64 deadPid = gone.processId() > 0 ? gone.processId() : 999999;
    QFile lockFile(ListFileLock::lockFilePathFor(QString::fromStdString(listPath())));
    auto document = loadedDocument();
    QVERIFY(lockFile.open(QIODevice::WriteOnly));
    lockFile.write(QByteArray::number(deadPid) + "\nquindle\n" + QSysInfo::machineHostName().toUtf8() + "\n"
                   + QSysInfo::machineUniqueId() + "\n" + QSysInfo::bootUniqueId() + "\n");
    lockFile.close();

    applyOurChange(*document, QStringLiteral("put 002 Tool shed"));
    ScriptedQuestions questions;
    QCOMPARE(document->save(questions).status, SaveResult::Status::Saved);
    QCOMPARE(questions.asked, QStringList());
    QCOMPARE(readList(), bytesOf(with(startList, QStringLiteral("002     Tool shed"))));
}

void TestSaveCycle::oldLockFromAnotherHostIsAskedAbout_data()
{
    QTest::addColumn<bool>("takeOver");
    QTest::newRow("taken over") << true;
    QTest::newRow("left alone") << false;
}

void TestSaveCycle::oldLockFromAnotherHostIsAskedAbout()
{
    QFETCH(bool, takeOver);
    auto document = loadedDocument();
    const QString lockPath = ListFileLock::lockFilePathFor(QString::fromStdString(listPath()));
    QFile lockFile(lockPath);
    QVERIFY(lockFile.open(QIODevice::WriteOnly));
    lockFile.write("4242\nquindle\nfar-away.example\nother-machine-id\nother-boot\n");
    lockFile.close();
    const std::time_t old = std::time(nullptr) - 120;
    const timespec times[2] = {{old, 0}, {old, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(lockPath).constData(), times, 0), 0);

    applyOurChange(*document, QStringLiteral("put 002 Tool shed"));
    ScriptedQuestions questions;
    questions.takeOverStale = takeOver;
    const SaveResult result = document->save(questions);
    QCOMPARE(questions.asked, QStringList {QStringLiteral("stale lock of far-away.example")});
    if (takeOver) {
        QCOMPARE(result.status, SaveResult::Status::Saved);
        QCOMPARE(readList(), bytesOf(with(startList, QStringLiteral("002     Tool shed"))));
        QVERIFY(!QFile::exists(lockPath));
    } else {
        QCOMPARE(result.status, SaveResult::Status::Cancelled);
        QCOMPARE(readList(), bytesOf(startList));
        QVERIFY(document->hasUnsavedChanges());
        QVERIFY(QFile::exists(lockPath));
    }
}

void TestSaveCycle::listNamedAsLongAsTheFileSystemAllowsSaves()
{
    const std::string path = folder_->filePath(QString(250, QLatin1Char('L'))).toStdString();
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytesOf(startList));
    file.close();
    ProjectListDocument document;
    document.load(path);
    document.setCurrentListFile(path);
    applyOurChange(document, QStringLiteral("put 002 Tool shed"));
    ScriptedQuestions questions;
    QCOMPARE(document.save(questions).status, SaveResult::Status::Saved);
    QCOMPARE(questions.asked, QStringList());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytesOf(with(startList, QStringLiteral("002     Tool shed"))));
    QVERIFY(!document.hasUnsavedChanges());
    // Nothing of the save is left beside the list.
    QCOMPARE(QDir(folder_->path()).entryList(QDir::Files | QDir::Hidden), QStringList {QString(250, QLatin1Char('L'))});
}

void TestSaveCycle::mergeIntoMemoryWithoutSaving()
{
    // Nothing unsaved: the file's lines, without closing an open editor.
    auto document = loadedDocument();
    QSignalSpy reloads(document.get(), &ProjectListDocument::linesReloaded);
    QSignalSpy changes(document.get(), &ProjectListDocument::linesChanged);
    QCOMPARE(document->mergeFromDisk().changed, false);
    writeList(bytesOf(with(startList, QStringLiteral("004     Their pier"))));
    DiskMergeResult merged = document->mergeFromDisk();
    QVERIFY(merged.changed);
    QCOMPARE(textOf(document->lines()), with(startList, QStringLiteral("004     Their pier")));
    QCOMPARE(reloads.count(), 0);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(document->listFileOnDisk(), DiskState::Unchanged);

    // Unsaved changes stay unsaved, rebased onto the file; ours renumbered.
    applyOurChange(*document, QStringLiteral("put 002 Tool shed"));
    applyOurChange(*document, QStringLiteral("add 005 My quay"));
    writeList(bytesOf(with(with(startList, QStringLiteral("004     Their pier")), QStringLiteral("005     Their quay"))));
    merged = document->mergeFromDisk();
    QVERIFY(merged.changed);
    QCOMPARE(merged.conflictsWaiting, std::size_t(0));
    QCOMPARE(mergeNoticeTexts(merged.notices),
             QStringList {"Project 005 was added by someone else meanwhile; yours is now project 006"});
    const QStringList expected {"001     Harbour wall", "002     Tool shed", "003     Old pier",
                                "004     Their pier", "005     Their quay", "006     My quay"};
    QCOMPARE(textOf(document->lines()), expected);
    QCOMPARE(textOf(document->baseLines()), with(with(startList, "004     Their pier"), "005     Their quay"));
    QCOMPARE(document->unsavedOperations().size(), std::size_t(2));
    QVERIFY(document->unsavedOperations().back().numberProposed);
    QCOMPARE(reloads.count(), 0);
    // The journal holds the rebased changes: a crash now recovers them onto the file.
    QVERIFY(document->journal().isOpen());

    // The save writes them as they are now, with nothing left to ask.
    ScriptedQuestions questions;
    QCOMPARE(document->save(questions).status, SaveResult::Status::Saved);
    QCOMPARE(questions.asked, QStringList());
    QCOMPARE(readList(), bytesOf(expected));
}

void TestSaveCycle::conflictKeptInMemoryIsAskedAtTheSave()
{
    auto document = loadedDocument();
    applyOurChange(*document, QStringLiteral("put 002 Tool shed"));
    writeList(bytesOf(with(startList, QStringLiteral("002     Boat house"))));
    const DiskMergeResult merged = document->mergeFromDisk();
    QCOMPARE(merged.conflictsWaiting, std::size_t(1));
    QCOMPARE(textOf(document->lines()), with(startList, QStringLiteral("002     Tool shed")));

    // The file has not changed since, yet theirs must not go unasked.
    ScriptedQuestions questions;
    questions.conflictChoices = {ConflictChoice::KeepTheirs};
    QCOMPARE(document->save(questions).status, SaveResult::Status::Saved);
    QCOMPARE(questions.asked, QStringList {"conflicts 002"});
    QCOMPARE(questions.conflictsAsked.first().first().theirs, std::string("002     Boat house"));
    QCOMPARE(questions.conflictsAsked.first().first().ours, std::string("002     Tool shed"));
    QCOMPARE(readList(), bytesOf(with(startList, QStringLiteral("002     Boat house"))));
    QCOMPARE(textOf(document->lines()), with(startList, QStringLiteral("002     Boat house")));

    // Agreed by then: nothing to ask.
    applyOurChange(*document, QStringLiteral("put 003 Stone pier"));
    writeList(bytesOf(with(with(startList, QStringLiteral("002     Boat house")), QStringLiteral("003     Iron pier"))));
    QCOMPARE(document->mergeFromDisk().conflictsWaiting, std::size_t(1));
    writeList(bytesOf(with(with(startList, QStringLiteral("002     Boat house")), QStringLiteral("003     Stone pier"))));
    ScriptedQuestions second;
    QCOMPARE(document->save(second).status, SaveResult::Status::Saved);
    QCOMPARE(second.asked, QStringList());
}

void TestSaveCycle::undoHistoryGoesOnlyWhenOthersChangesCameIn()
{
    auto document = loadedDocument();
    applyOurChange(*document, QStringLiteral("put 002 Tool shed"));
    QSignalSpy resets(document.get(), &ProjectListDocument::historyReset);
    ScriptedQuestions questions;
    QCOMPARE(document->save(questions).status, SaveResult::Status::Saved);
    QCOMPARE(resets.count(), 0);

    applyOurChange(*document, QStringLiteral("put 003 Stone pier"));
    writeList(bytesOf(with(with(startList, QStringLiteral("002     Tool shed")), QStringLiteral("001     Sea wall"))));
    const SaveResult result = document->save(questions);
    QVERIFY(result.merged);
    QVERIFY(result.mergedOthers);
    QCOMPARE(resets.count(), 1);
}


void TestSaveCycle::twoWritersAddingTheSameLongNumber_data()
{
    QTest::addColumn<int>("last");  // the list holds 1..last
    QTest::newRow("three digits") << 998;
    QTest::newRow("past 999") << 999;
    QTest::newRow("past 1500") << 1500;
    QTest::newRow("past 20000") << 20000;
}

// Two windows both offered the next number and both pressed Finish: the
// second save finds the first one's project under that number on disk.
void TestSaveCycle::twoWritersAddingTheSameLongNumber()
{
    QFETCH(int, last);
    QStringList list;
    for (int number = 1; number <= last; ++number)
        list << QString::fromStdString(projectLine(zeroPadNumber(number), "Project"));
    writeList(bytesOf(list));
    const std::string next = zeroPadNumber(last + 1);
    const std::string afterNext = zeroPadNumber(last + 2);
    ProjectListDocument first, second;
    for (ProjectListDocument* document : {&first, &second}) {
        document->load(listPath());
        document->setCurrentListFile(listPath());
    }
    first.putProject(next, projectLine(next, "Added by A"), std::nullopt, true);
    second.putProject(next, projectLine(next, "Added by B"), std::nullopt, true);

    ScriptedQuestions questions;
    QCOMPARE(first.save(questions).status, SaveResult::Status::Saved);
    const SaveResult result = second.save(questions);

    QCOMPARE(result.status, SaveResult::Status::Saved);
    QCOMPARE(questions.asked, QStringList());
    const QString told = QStringLiteral("Project %1 was added by someone else meanwhile; yours is now project %2")
                             .arg(QString::fromStdString(next), QString::fromStdString(afterNext));
    QCOMPARE(mergeNoticeTexts(result.notices), QStringList {told});
    const QStringList saved = list
        + QStringList {QString::fromStdString(projectLine(next, "Added by A")),
                       QString::fromStdString(projectLine(afterNext, "Added by B"))};
    QCOMPARE(QString::fromLatin1(readList()), QString::fromLatin1(bytesOf(saved)));
}

QTEST_GUILESS_MAIN(TestSaveCycle)
#include "test_savecycle.moc"
