// Merging a sync tool's conflict copy into the list in memory, on the
// document alone: which changes come in unasked and which are asked about,
// for each relation of the kept base to the two sides; a copy that is no
// project list is never planned; a long read can be stopped and a copy too
// big for a list is refused before it is read.
#include "document/conflictcopymerge.h"
#include "document/projectlistdocument.h"

#include "listfile/listdifference.h"
#include "listfile/listfileerror.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

LineList linesOf(const QStringList& texts)
{
    LineList lines;
    for (const QString& text : texts)
        lines.push_back(text.toStdString());
    return lines;
}

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

} // namespace

class TestConflictCopyMerge : public QObject {
    Q_OBJECT
private slots:
    void init();
    void changesOfEachSide_data();
    void changesOfEachSide();
    void aCopyThatIsNoListIsNotPlanned_data();
    void aCopyThatIsNoListIsNotPlanned();
    void aStoppedReadChangesNothing();
    void aCopyTooBigIsRefusedAtOnce();

private:
    std::string write(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder_->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path.toStdString();
    }
    // A document that read file and then made the changes that give memory.
    void open(ProjectListDocument& document, const QStringList& file, const QStringList& memory)
    {
        document.load(write(QStringLiteral("Projects.txt"), bytesOf(file)));
        if (memory != file)
            document.applyChanges(operationsBetweenLists(linesOf(file), linesOf(memory)),
                                  AppliedOperation::Batch::Recovery);
        QCOMPARE(textOf(document.lines()), memory);
    }

    std::unique_ptr<QTemporaryDir> folder_;
};

void TestConflictCopyMerge::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    qputenv("XDG_STATE_HOME", folder_->filePath(QStringLiteral("state")).toLocal8Bit());
}

void TestConflictCopyMerge::changesOfEachSide_data()
{
    QTest::addColumn<QStringList>("memory");
    QTest::addColumn<QStringList>("copy");
    QTest::addColumn<QStringList>("base");  // "none": no base kept
    QTest::addColumn<QStringList>("conflicts");  // the numbers asked about
    QTest::addColumn<QStringList>("merged");  // with the copy's text taken for each conflict

    const QStringList none = {"none"};
    const QStringList list = {"001     A", "005     E", "007     G"};
    QTest::newRow("base equal to memory: the copy's edit and addition come in unasked")
        << list << QStringList {"001     A", "005     Eee", "006     F", "007     G"} << list << QStringList()
        << QStringList {"001     A", "005     Eee", "006     F", "007     G"};
    QTest::newRow("base equal to memory: a project the copy lacks stays")
        << list << QStringList {"001     A", "005     Eee"} << list << QStringList()
        << QStringList {"001     A", "005     Eee", "007     G"};
    QTest::newRow("base equal to memory: a number past 999 edited in the copy")
        << QStringList {"999     I", "1000     K"} << QStringList {"999     I", "1000     Kay"}
        << QStringList {"999     I", "1000     K"} << QStringList() << QStringList {"999     I", "1000     Kay"};
    QTest::newRow("base equal to the copy: memory's edit and removal stay")
        << QStringList {"001     A", "005     Ee"} << list << list << QStringList()
        << QStringList {"001     A", "005     Ee"};
    QTest::newRow("base differing from both: one edit each side, unasked")
        << QStringList {"001     Aa", "005     E", "007     G"} << QStringList {"001     A", "005     E", "007     Gg"}
        << list << QStringList() << QStringList {"001     Aa", "005     E", "007     Gg"};
    QTest::newRow("base differing from both: the same project edited on both sides is asked")
        << QStringList {"001     A", "005     Mine", "007     G"} << QStringList {"001     A", "005     Copy's", "007     G", "008     H"}
        << list << QStringList {"005"} << QStringList {"001     A", "005     Copy's", "007     G", "008     H"};
    QTest::newRow("no base: a differing text is asked, nothing removed")
        << list << QStringList {"001     A", "005     Eee"} << none << QStringList {"005"}
        << QStringList {"001     A", "005     Eee", "007     G"};
}

void TestConflictCopyMerge::changesOfEachSide()
{
    QFETCH(QStringList, memory);
    QFETCH(QStringList, copy);
    QFETCH(QStringList, base);
    QFETCH(QStringList, conflicts);
    QFETCH(QStringList, merged);
    ProjectListDocument document;
    // The file as read is the base, or the list in memory where there is none.
    open(document, base == QStringList {"none"} ? memory : base, memory);
    const std::string copyPath = write(QStringLiteral("Projects.sync-conflict-20261207-101500-ABCDEFG.txt"),
                                       bytesOf(copy));
    const std::optional<LineList> kept =
        base == QStringList {"none"} ? std::nullopt : std::optional<LineList>(linesOf(base));
    const ConflictCopyMerge merge(document, copyPath, kept);
    QVERIFY(merge.copyIsProjectList());
    QStringList asked;
    for (const MergeConflict& conflict : merge.conflicts())
        asked << QString::fromStdString(conflict.numberText);
    QCOMPARE(asked, conflicts);
    merge.applyTo(document, std::vector<ConflictChoice>(merge.conflicts().size(), ConflictChoice::KeepMine));
    QCOMPARE(textOf(document.lines()), merged);
}

void TestConflictCopyMerge::aCopyThatIsNoListIsNotPlanned_data()
{
    QTest::addColumn<QByteArray>("copy");
    QByteArray random(64 * 1024, '\0');
    std::uint32_t state = 3;
    for (char& c : random) {
        state = state * 1664525u + 1013904223u;
        c = char(state >> 24);
    }
    QTest::newRow("random bytes") << random;
    QTest::newRow("mostly notes") << QByteArray("001     A\r\nDear Ann,\r\nhere is the list.\r\n");
    QTest::newRow("empty") << QByteArray();
}

void TestConflictCopyMerge::aCopyThatIsNoListIsNotPlanned()
{
    QFETCH(QByteArray, copy);
    ProjectListDocument document;
    const QStringList list = {"001     A", "002     B"};
    open(document, list, list);
    const ConflictCopyMerge merge(document, write(QStringLiteral("Projects (conflicted copy 2026-12-07 101500).txt"), copy),
                                  linesOf(list));
    QVERIFY(!merge.copyIsProjectList());
    QVERIFY(merge.conflicts().empty());
    QVERIFY_THROWS_EXCEPTION(std::logic_error, merge.applyTo(document, {}));
    QCOMPARE(textOf(document.lines()), list);
    QVERIFY(!document.hasUnsavedChanges());
}

void TestConflictCopyMerge::aStoppedReadChangesNothing()
{
    ProjectListDocument document;
    const QStringList list = {"001     A", "002     B"};
    open(document, list, list);
    const std::string copyPath = write(QStringLiteral("Projects.sync-conflict-20261207-101500-ABCDEFG.txt"),
                                       QByteArray(24 << 20, '\n') + "003     C\r\n");
    int asked = 0;
    const ReadProgress stop = [&](std::uint64_t, std::uint64_t) { return ++asked < 2; };
    QVERIFY_THROWS_EXCEPTION(ListFileReadCancelled, ConflictCopyMerge(document, copyPath, linesOf(list), stop));
    QVERIFY(asked >= 2);
    QCOMPARE(textOf(document.lines()), list);
    QVERIFY(!document.hasUnsavedChanges());
}

void TestConflictCopyMerge::aCopyTooBigIsRefusedAtOnce()
{
    ProjectListDocument document;
    const QStringList list = {"001     A"};
    open(document, list, list);
    const std::string copyPath = write(QStringLiteral("Projects.sync-conflict-20261207-101500-ABCDEFG.txt"),
                                       "001     A\r\n");
    // Sparse: past the size of any list, without the disk space.
    QVERIFY(::truncate(copyPath.c_str(), off_t(largestListFile) + 1) == 0);
    int reports = 0;
    const ReadProgress counted = [&](std::uint64_t, std::uint64_t) { return ++reports > 0; };
    QVERIFY_THROWS_EXCEPTION(ListFileTooBig, ConflictCopyMerge(document, copyPath, linesOf(list), counted));
    // Refused before a byte was read.
    QCOMPARE(reports, 0);
    QCOMPARE(textOf(document.lines()), list);
}

QTEST_GUILESS_MAIN(TestConflictCopyMerge)
#include "test_conflictcopymerge.moc"
