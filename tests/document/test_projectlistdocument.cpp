// The list document: loading, saving, putting and removing lines, the repair,
// what it signals for each, and that a copy of its lines (the list view's
// snapshot) keeps the lines as they were when it was taken.
#include "document/projectlistdocument.h"

#include "listfile/listfileerror.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

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

private:
    std::string write(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder_->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path.toStdString();
    }
    QByteArray read(const std::string& path)
    {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<QTemporaryDir> folder_;
};

void TestProjectListDocument::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
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
}

QTEST_GUILESS_MAIN(TestProjectListDocument)
#include "test_projectlistdocument.moc"
