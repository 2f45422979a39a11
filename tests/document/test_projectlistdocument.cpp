// The list document: loading, saving, putting and removing lines, the repair,
// what it signals for each, and that a copy of its lines (the list view's
// snapshot) keeps the lines as they were when it was taken. Then what it
// knows of the file on disk: two documents saving one file, changes made
// behind its back (also within the file system's timestamp resolution), a
// deleted file, the watcher, and which edits count as unsaved.
#include "document/projectlistdocument.h"
#include "documentfolder.h"

#include "listfile/listfileerror.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>
#include <functional>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

QStringList textOf(const LineList& lines)
{
    QStringList out;
    for (std::string_view line : lines)
        out << QString::fromLatin1(line.data(), qsizetype(line.size()));
    return out;
}

class CancellingObserver : public RepairObserver {
public:
    bool showsBadLines() const override { return true; }
    bool cancelled() const override { return true; }
};

} // namespace

class TestProjectListDocument : public QObject {
    Q_OBJECT
private slots:
    void init();
    void loadReplacesTheLinesAndSaysSo();
    void failedLoadKeepsEverything();
    void putAndRemoveKeepTheOrder();
    void aSnapshotKeepsTheLinesOfItsTime();
    void listFileChangeIsSignalledOnce();
    void saveWritesTheListFileInUse();
    void repairReplacesTheLinesUnlessCancelled();
    void unchangedLinesSaveByteForByte();
    void wideTextIsNeitherLoadedRepairedNorReplaced();
    void twoDocumentsSavingOneFile();
    void sameSizeEditRightAfterReadingIsSeen();
    void touchedOrDeletedFile();
    void fileNamedWithoutLoadingIsTakenAsItStands();
    void unsavedChangesAreTheAppliedOnes();
    void watcherReportsEachOutsideChangeOnce();

private:
    std::string write(const QString& name, const QByteArray& bytes) { return folder_->write(name, bytes); }
    QByteArray read(const std::string& path) { return DocumentFolder::read(path); }

    std::unique_ptr<DocumentFolder> folder_;
};

void TestProjectListDocument::init()
{
    folder_ = std::make_unique<DocumentFolder>();
    QVERIFY(folder_->isValid());
}

void TestProjectListDocument::loadReplacesTheLinesAndSaysSo()
{
    ProjectListDocument document;
    QCOMPARE(document.currentListFile(), std::string("Projects.txt"));
    const std::string path = write(QStringLiteral("A.txt"), "001     Alpha\r\n002     Beta\r\n");
    QSignalSpy reloaded(&document, &ProjectListDocument::linesReloaded);
    QSignalSpy changed(&document, &ProjectListDocument::linesChanged);
    QSignalSpy fileChanged(&document, &ProjectListDocument::listFileChanged);
    document.load(path);
    QCOMPARE(textOf(document.lines()), (QStringList {"001     Alpha", "002     Beta"}));
    QCOMPARE(reloaded.count(), 1);
    QCOMPARE(changed.count(), 1);
    // Loading reads a file; which file is in use is the caller's decision.
    QCOMPARE(fileChanged.count(), 0);
    QCOMPARE(document.currentListFile(), std::string("Projects.txt"));
}

void TestProjectListDocument::failedLoadKeepsEverything()
{
    ProjectListDocument document;
    document.load(write(QStringLiteral("A.txt"), "001     Alpha\r\n"));
    QSignalSpy reloaded(&document, &ProjectListDocument::linesReloaded);
    const std::string missing = folder_->filePath(QStringLiteral("Missing.txt")).toStdString();
    try {
        document.load(missing);
        QFAIL("a missing file loaded");
    } catch (const ListFileError& error) {
        QCOMPARE(QString::fromStdString(error.what()), QString::fromStdString("Cannot open file " + missing));
    }
    QCOMPARE(textOf(document.lines()), QStringList {"001     Alpha"});
    QCOMPARE(reloaded.count(), 0);
}

void TestProjectListDocument::putAndRemoveKeepTheOrder()
{
    ProjectListDocument document;
    document.load(write(QStringLiteral("A.txt"), "001     Alpha\r\n003     Gamma\r\n"));
    QSignalSpy changed(&document, &ProjectListDocument::linesChanged);
    QSignalSpy reloaded(&document, &ProjectListDocument::linesReloaded);
    document.putProject("002", "002     Beta");
    document.putProject("003", "003     Changed");
    QCOMPARE(textOf(document.lines()), (QStringList {"001     Alpha", "002     Beta", "003     Changed"}));
    document.removeProject("001");
    QCOMPARE(textOf(document.lines()), (QStringList {"002     Beta", "003     Changed"}));
    QCOMPARE(changed.count(), 3);
    QCOMPARE(reloaded.count(), 0);
    QVERIFY_THROWS_EXCEPTION(ListFileError, document.removeProject("009"));
    QCOMPARE(document.lines().size(), std::size_t(2));
}

void TestProjectListDocument::aSnapshotKeepsTheLinesOfItsTime()
{
    ProjectListDocument document;
    document.load(write(QStringLiteral("A.txt"), "001     Alpha\r\n002     Beta\r\n"));
    const LineList snapshot = document.lines();
    QVERIFY(snapshot.sharesLinesWith(document.lines()));
    document.putProject("002", "002     Changed");
    document.putProject("000", "000     First");
    QCOMPARE(textOf(snapshot), (QStringList {"001     Alpha", "002     Beta"}));
    QCOMPARE(textOf(document.lines()), (QStringList {"000     First", "001     Alpha", "002     Changed"}));
}

void TestProjectListDocument::listFileChangeIsSignalledOnce()
{
    ProjectListDocument document;
    QSignalSpy fileChanged(&document, &ProjectListDocument::listFileChanged);
    document.setCurrentListFile("Projects.txt");
    QCOMPARE(fileChanged.count(), 0);
    document.setCurrentListFile("Other.txt");
    document.setCurrentListFile("Other.txt");
    QCOMPARE(fileChanged.count(), 1);
    QCOMPARE(document.currentListFile(), std::string("Other.txt"));
}

void TestProjectListDocument::saveWritesTheListFileInUse()
{
    ProjectListDocument document;
    document.load(write(QStringLiteral("A.txt"), "001     Alpha\n"));
    const std::string target = write(QStringLiteral("B.txt"), "old");
    document.setCurrentListFile(target);
    document.putProject("002", "002     Beta");
    document.save();
    QCOMPARE(read(target), QByteArray("001     Alpha\r\n002     Beta\r\n"));
    QCOMPARE(read(folder_->filePath(QStringLiteral("A.txt")).toStdString()), QByteArray("001     Alpha\n"));
}

void TestProjectListDocument::repairReplacesTheLinesUnlessCancelled()
{
    ProjectListDocument document;
    document.setCurrentListFile(write(QStringLiteral("A.txt"), "1 Alpha\r\n\r\n002     Beta\r\n"));
    document.putProject("009", "009     Kept");
    QSignalSpy reloaded(&document, &ProjectListDocument::linesReloaded);

    CancellingObserver cancelling;
    QVERIFY(document.repair(cancelling).cancelled);
    QCOMPARE(textOf(document.lines()), QStringList {"009     Kept"});
    QCOMPARE(reloaded.count(), 0);

    RepairObserver quiet;
    const RepairCounts counts = document.repair(quiet);
    QCOMPARE(counts.blankLines, std::size_t(1));
    QCOMPARE(counts.rebuiltLines, std::size_t(1));
    QCOMPARE(textOf(document.lines()), (QStringList {"001     Alpha", "002     Beta"}));
    QCOMPARE(reloaded.count(), 1);

    // A cancelled repair read the file, but the lines are still those of the
    // earlier reading: a change made in between must still be seen.
    write(QStringLiteral("A.txt"), "1 Theirs\r\n");
    QVERIFY(document.repair(cancelling).cancelled);
    QCOMPARE(document.listFileOnDisk(), DiskState::Changed);
    document.repair(quiet);
    QCOMPARE(document.listFileOnDisk(), DiskState::Unchanged);
}

void TestProjectListDocument::twoDocumentsSavingOneFile()
{
    const std::string path = write(QStringLiteral("Projects.txt"), "001     Alpha\r\n");
    ProjectListDocument first;
    ProjectListDocument second;
    for (ProjectListDocument* document : {&first, &second}) {
        document->setCurrentListFile(path);
        document->load(path);
        QCOMPARE(document->listFileOnDisk(), DiskState::Unchanged);
    }
    first.putProject("002", "002     From the first");
    first.save();
    QCOMPARE(first.listFileOnDisk(), DiskState::Unchanged);
    // The second one's save would drop the first one's project.
    second.putProject("003", "003     From the second");
    QCOMPARE(second.listFileOnDisk(), DiskState::Changed);
    // Read again, it sees the file as the first one left it.
    second.load(path);
    QCOMPARE(second.listFileOnDisk(), DiskState::Unchanged);
    QCOMPARE(textOf(second.lines()), (QStringList {"001     Alpha", "002     From the first"}));
    second.putProject("003", "003     From the second");
    second.save();
    QCOMPARE(first.listFileOnDisk(), DiskState::Changed);
    QCOMPARE(read(path), QByteArray("001     Alpha\r\n002     From the first\r\n003     From the second\r\n"));
}

void TestProjectListDocument::sameSizeEditRightAfterReadingIsSeen()
{
    // Written in place, same size, same second: only the lines tell.
    const std::string path = write(QStringLiteral("Projects.txt"), "001     Alpha\r\n");
    ProjectListDocument document;
    document.setCurrentListFile(path);
    document.load(path);
    struct stat before {};
    QVERIFY(::stat(path.c_str(), &before) == 0);
    write(QStringLiteral("Projects.txt"), "001     Omega\r\n");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    QVERIFY(::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0);
    struct stat after {};
    QVERIFY(::stat(path.c_str(), &after) == 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_size, before.st_size);
    QCOMPARE(document.listFileOnDisk(), DiskState::Changed);
}

void TestProjectListDocument::touchedOrDeletedFile()
{
    const std::string path = write(QStringLiteral("Projects.txt"), "001     Alpha\n");
    ProjectListDocument document;
    document.setCurrentListFile(path);
    document.load(path);
    // A new time on the same lines, or the same lines written with other
    // line ends, changes nothing the program would overwrite.
    QFile(QString::fromStdString(path)).setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                                     QFileDevice::FileModificationTime);
    QCOMPARE(document.listFileOnDisk(), DiskState::Unchanged);
    write(QStringLiteral("Projects.txt"), "001     Alpha\r\n");
    QCOMPARE(document.listFileOnDisk(), DiskState::Unchanged);
    write(QStringLiteral("Projects.txt"), "001     Alpha\r\n\r\n");
    QCOMPARE(document.listFileOnDisk(), DiskState::Changed);

    QVERIFY(QFile::remove(QString::fromStdString(path)));
    QCOMPARE(document.listFileOnDisk(), DiskState::Deleted);
    // Writing it again is the user's decision; afterwards it is the file read.
    document.save();
    QCOMPARE(document.listFileOnDisk(), DiskState::Unchanged);
    QCOMPARE(read(path), QByteArray("001     Alpha\r\n"));
}

void TestProjectListDocument::fileNamedWithoutLoadingIsTakenAsItStands()
{
    ProjectListDocument document;
    const std::string missing = folder_->filePath(QStringLiteral("New.txt")).toStdString();
    document.setCurrentListFile(missing);
    QCOMPARE(document.listFileOnDisk(), DiskState::Unchanged);
    // A file put where there was none is someone else's.
    write(QStringLiteral("New.txt"), "001     Theirs\r\n");
    QCOMPARE(document.listFileOnDisk(), DiskState::Changed);

    // An existing file made the list in use may be overwritten as it is now.
    const std::string existing = write(QStringLiteral("Old.txt"), "001     Old\r\n");
    document.setCurrentListFile(existing);
    QCOMPARE(document.listFileOnDisk(), DiskState::Unchanged);

    // Read, then named again under another spelling: still the file read,
    // and a change made in between is still seen.
    document.load(existing);
    const QString relative = QDir::current().relativeFilePath(QString::fromStdString(existing));
    write(QStringLiteral("Old.txt"), "001     Changed meanwhile\r\n");
    document.setCurrentListFile(relative.toStdString());
    QCOMPARE(document.listFileOnDisk(), DiskState::Changed);
}

void TestProjectListDocument::unsavedChangesAreTheAppliedOnes()
{
    const std::string path = write(QStringLiteral("Projects.txt"), "001     Alpha\r\n002     Beta\r\n");
    ProjectListDocument document;
    document.setCurrentListFile(path);
    document.load(path);
    QVERIFY(!document.hasUnsavedChanges());
    document.putProject("003", "003     Gamma");
    QVERIFY(document.hasUnsavedChanges());
    document.save();
    QVERIFY(!document.hasUnsavedChanges());
    document.removeProject("001");
    QVERIFY(document.hasUnsavedChanges());
    document.load(path);
    QVERIFY(!document.hasUnsavedChanges());
    document.removeProject("001");
    RepairObserver quiet;
    document.repair(quiet);
    QVERIFY(!document.hasUnsavedChanges());
    document.removeProject("001");
    document.dropUnsavedChanges();
    QVERIFY(!document.hasUnsavedChanges());
    QCOMPARE(textOf(document.lines()), (QStringList {"002     Beta", "003     Gamma"}));
}

void TestProjectListDocument::watcherReportsEachOutsideChangeOnce()
{
    const std::string path = write(QStringLiteral("Projects.txt"), "001     Alpha\r\n");
    ProjectListDocument document;
    document.setCurrentListFile(path);
    document.load(path);
    QSignalSpy onDisk(&document, &ProjectListDocument::listFileChangedOnDisk);

    // Its own saves are no outside change.
    document.putProject("002", "002     Beta");
    document.save();
    QTest::qWait(600);
    QCOMPARE(onDisk.count(), 0);

    // Replaced the way editors save, then written in place.
    const QString replacement = folder_->filePath(QStringLiteral("Projects.new"));
    write(QStringLiteral("Projects.new"), "001     Theirs\r\n");
    QVERIFY(std::rename(replacement.toLocal8Bit().constData(), path.c_str()) == 0);
    QTRY_COMPARE(onDisk.count(), 1);
    QTest::qWait(400);
    QCOMPARE(onDisk.count(), 1);
    write(QStringLiteral("Projects.txt"), "001     Theirs again\r\n");
    QTRY_COMPARE(onDisk.count(), 2);

    // Deleted, then read again after being written anew.
    QVERIFY(QFile::remove(QString::fromStdString(path)));
    QTRY_COMPARE(onDisk.count(), 3);
    QCOMPARE(document.listFileOnDisk(), DiskState::Deleted);
    write(QStringLiteral("Projects.txt"), "001     Back\r\n");
    QTRY_COMPARE(onDisk.count(), 4);
    document.load(path);
    QTest::qWait(400);
    QCOMPARE(onDisk.count(), 4);
    write(QStringLiteral("Projects.txt"), "001     Once more\r\n");
    QTRY_COMPARE(onDisk.count(), 5);
}

void TestProjectListDocument::unchangedLinesSaveByteForByte()
{
    // A NUL is an ordinary byte, and a line in an 8-bit code page keeps its bytes.
    const QByteArray lines("001     Alpha\r\n002     Be\0ta\r\n003     Caf\xE9 cr\xE8me\r\n", 50);
    ProjectListDocument document;
    document.setCurrentListFile(write(QStringLiteral("A.txt"), lines));
    document.load(document.currentListFile());
    QCOMPARE(document.lines().size(), std::size_t(3));
    document.putProject("004", "004     Delta");
    document.save();
    QCOMPARE(read(document.currentListFile()), lines + "004     Delta\r\n");
}

void TestProjectListDocument::wideTextIsNeitherLoadedRepairedNorReplaced()
{
    const QByteArray wide("\xFF\xFE" "0\0" "0\0" "1\0", 8);
    const std::string path = write(QStringLiteral("Wide.txt"), wide);
    const std::string refusal = "The file " + path + " is UTF-16 text, not a list this program can edit. It is left as it is.";
    ProjectListDocument document;
    document.putProject("001", "001     Kept");
    QSignalSpy changed(&document, &ProjectListDocument::linesChanged);
    auto expectRefusal = [&](const std::function<void()>& step) {
        try {
            step();
            QFAIL("wide text was taken for a list");
        } catch (const UneditableListFile& error) {
            QCOMPARE(std::string(error.what()), refusal);
        }
    };
    expectRefusal([&] { document.load(path); });
    document.setCurrentListFile(path);
    RepairObserver quiet;
    expectRefusal([&] { document.repair(quiet); });
    expectRefusal([&] { document.save(); });
    QCOMPARE(read(path), wide);
    QCOMPARE(textOf(document.lines()), QStringList {"001     Kept"});
    QCOMPARE(changed.count(), 0);
}

QTEST_GUILESS_MAIN(TestProjectListDocument)
#include "test_projectlistdocument.moc"
