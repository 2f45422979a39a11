// Merging a sync tool's conflict copy into the list in memory, on the
// document alone: which projects come in, go or clash, which side a choice
// keeps (theirs is the copy's, as the user is asked), what is counted and
// told, that the merge is one step of unsaved changes, and what the kept
// base decides when it is the common ancestor or equals one side. A copy
// that is no project list is never planned, and a long read can be stopped.
// Then the kept base itself: where it is kept, for which lists, and that it
// comes back byte for byte.
#include "document/conflictcopymerge.h"
#include "document/mergebase.h"
#include "document/projectlistdocument.h"
#include "documentfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>
#include <stdexcept>

#include "listfile/listfileerror.h"


namespace {

QByteArray listBytes(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out += line.toLatin1() + "\r\n";
    return out;
}

QStringList textOf(const LineList& lines)
{
    QStringList out;
    for (std::string_view line : lines)
        out << QString::fromLatin1(line.data(), qsizetype(line.size()));
    return out;
}

LineList linesOf(const QStringList& lines)
{
    LineList out;
    for (const QString& line : lines)
        out.push_back(line.toLatin1().toStdString());
    return out;
}

} // namespace

class TestCopyMerge : public QObject {
    Q_OBJECT
private slots:
    void init();
    void mergeOfACopy_data();
    void mergeOfACopy();
    void choicesMustMatchTheConflicts();
    void aCopyThatIsNoListIsNotPlanned_data();
    void aCopyThatIsNoListIsNotPlanned();
    void aStoppedReadChangesNothing();
    void syncedFolders_data();
    void syncedFolders();
    void keptBaseComesBackByteForByte();

private:
    std::unique_ptr<DocumentFolder> folder_;
};

void TestCopyMerge::init()
{
    folder_ = std::make_unique<DocumentFolder>();
    QVERIFY(folder_->isValid());
}

void TestCopyMerge::mergeOfACopy_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QStringList>("copy");
    QTest::addColumn<QStringList>("base");  // empty: none kept
    QTest::addColumn<bool>("usesBase");
    // Each conflict as "number|theirs|ours|base" (base "-" when none).
    QTest::addColumn<QStringList>("conflicts");
    QTest::addColumn<QList<int>>("choices");  // ConflictChoice, one a conflict
    QTest::addColumn<QStringList>("merged");
    QTest::addColumn<QList<int>>("counts");   // added, changed, removed
    QTest::addColumn<QStringList>("renumbered");  // "old>new"

    const QStringList ab = {"001     A", "002     B"};
    const QStringList aBee = {"001     A", "002     Bee"};
    const int theirs = int(ConflictChoice::KeepTheirs);
    const int mine = int(ConflictChoice::KeepMine);
    const int both = int(ConflictChoice::KeepBoth);
    QTest::newRow("no base: a project of either side is kept")
        << ab << QStringList {"001     A", "003     C"} << QStringList() << false << QStringList() << QList<int>()
        << QStringList {"001     A", "002     B", "003     C"} << QList<int> {1, 0, 0} << QStringList();
    QTest::newRow("nothing new in the copy")
        << ab << QStringList {"002     B"} << QStringList() << false << QStringList() << QList<int>() << ab
        << QList<int> {0, 0, 0} << QStringList();
    QTest::newRow("with a base: the copy's removal and addition come in")
        << QStringList {"001     A", "002     B", "004     D", "005     E"}
        << QStringList {"001     A", "003     C", "004     D"} << QStringList {"001     A", "002     B", "004     D"}
        << true << QStringList() << QList<int>() << QStringList {"001     A", "003     C", "004     D", "005     E"}
        << QList<int> {1, 0, 1} << QStringList();
    QTest::newRow("with a base: the copy's edit comes in, the list's stays")
        << QStringList {"001     A", "002     Mine", "003     C"} << QStringList {"001     Copy's", "002     B", "003     C"}
        << QStringList {"001     A", "002     B"} << true << QStringList() << QList<int>()
        << QStringList {"001     Copy's", "002     Mine", "003     C"} << QList<int> {0, 1, 0} << QStringList();
    QTest::newRow("a base equal to the list is no ancestor: nothing removed")
        << ab << QStringList {"001     A", "003     C"} << ab << false << QStringList() << QList<int>()
        << QStringList {"001     A", "002     B", "003     C"} << QList<int> {1, 0, 0} << QStringList();
    QTest::newRow("a base equal to the copy is no ancestor: nothing removed")
        << QStringList {"001     A", "002     B", "003     C"} << ab << ab << false << QStringList() << QList<int>()
        << QStringList {"001     A", "002     B", "003     C"} << QList<int> {0, 0, 0} << QStringList();
    const QStringList list = {"001     A", "005     E", "007     G"};
    QTest::newRow("a base equal to the list: the copy's edit and addition come in unasked")
        << list << QStringList {"001     A", "005     Eee", "006     F", "007     G"} << list << false << QStringList()
        << QList<int>() << QStringList {"001     A", "005     Eee", "006     F", "007     G"} << QList<int> {1, 1, 0}
        << QStringList();
    QTest::newRow("a base equal to the list: the copy's edit comes in, a project it lacks stays")
        << list << QStringList {"001     A", "005     Eee"} << list << false << QStringList() << QList<int>()
        << QStringList {"001     A", "005     Eee", "007     G"} << QList<int> {0, 1, 0} << QStringList();
    QTest::newRow("a base equal to the list: a number past 999 edited in the copy")
        << QStringList {"999     I", "1000     K"} << QStringList {"999     I", "1000     Kay"}
        << QStringList {"999     I", "1000     K"} << false << QStringList() << QList<int>()
        << QStringList {"999     I", "1000     Kay"} << QList<int> {0, 1, 0} << QStringList();
    QTest::newRow("a base equal to the copy: the list's edit and removal stay unasked")
        << QStringList {"001     A", "005     Ee"} << list << list << false << QStringList() << QList<int>()
        << QStringList {"001     A", "005     Ee"} << QList<int> {0, 0, 0} << QStringList();
    QTest::newRow("differing texts: the copy's kept")
        << ab << aBee << QStringList() << false << QStringList {"002|002     Bee|002     B|-"} << QList<int> {theirs}
        << aBee << QList<int> {0, 1, 0} << QStringList();
    QTest::newRow("differing texts: the list's kept")
        << ab << aBee << QStringList() << false << QStringList {"002|002     Bee|002     B|-"} << QList<int> {mine}
        << ab << QList<int> {0, 0, 0} << QStringList();
    QTest::newRow("differing texts: both kept, the copy's renumbered")
        << ab << aBee << QStringList() << false << QStringList {"002|002     Bee|002     B|-"} << QList<int> {both}
        << QStringList {"001     A", "002     B", "003     Bee"} << QList<int> {1, 0, 0} << QStringList {"002>003"};
    QTest::newRow("both edited since the base: a conflict naming the base")
        << QStringList {"001     A", "002     Mine", "003     C"} << QStringList {"001     A", "002     Copy's"}
        << QStringList {"001     A", "002     B"} << true << QStringList {"002|002     Copy's|002     Mine|002     B"}
        << QList<int> {theirs} << QStringList {"001     A", "002     Copy's", "003     C"} << QList<int> {0, 1, 0}
        << QStringList();
    QTest::newRow("a number past 999 is a project of its own")
        << QStringList {"001     A", "100     Hundred"} << QStringList {"001     A", "100     Hundred", "1000    Thousand"}
        << QStringList() << false << QStringList() << QList<int>()
        << QStringList {"001     A", "100     Hundred", "1000    Thousand"} << QList<int> {1, 0, 0} << QStringList();
}

void TestCopyMerge::mergeOfACopy()
{
    QFETCH(QStringList, list);
    QFETCH(QStringList, copy);
    QFETCH(QStringList, base);
    QFETCH(bool, usesBase);
    QFETCH(QStringList, conflicts);
    QFETCH(QList<int>, choices);
    QFETCH(QStringList, merged);
    QFETCH(QList<int>, counts);
    QFETCH(QStringList, renumbered);
    const std::string listPath = folder_->write(QStringLiteral("Projects.txt"), listBytes(list));
    const std::string copyPath =
        folder_->write(QStringLiteral("Projects.sync-conflict-20261207-101500-ABCDEFG.txt"), listBytes(copy));
    ProjectListDocument document;
    document.load(listPath);
    document.setCurrentListFile(listPath);

    const ConflictCopyMerge merge(document, copyPath,
                                  base.isEmpty() ? std::nullopt : std::optional<LineList>(linesOf(base)));
    QCOMPARE(merge.usesBase(), usesBase);
    QStringList found;
    for (const MergeConflict& conflict : merge.conflicts())
        found << QStringLiteral("%1|%2|%3|%4")
                     .arg(QString::fromStdString(conflict.numberText), QString::fromStdString(conflict.theirs),
                          QString::fromStdString(conflict.ours),
                          conflict.base ? QString::fromStdString(*conflict.base) : QStringLiteral("-"));
    QCOMPARE(found, conflicts);
    // Planning changes nothing yet.
    QCOMPARE(textOf(document.lines()), list);
    QVERIFY(!document.hasUnsavedChanges());

    std::vector<ConflictChoice> chosen;
    for (int choice : choices)
        chosen.push_back(ConflictChoice(choice));
    const CopyMergeCounts told = merge.applyTo(document, chosen);
    QCOMPARE(textOf(document.lines()), merged);
    QCOMPARE((QList<int> {int(told.added), int(told.changed), int(told.removed)}), counts);
    QCOMPARE(told.changedNothing(), counts == (QList<int> {0, 0, 0}));
    QStringList renumbers;
    for (const MergeNotice& notice : told.notices)
        if (notice.kind == MergeNotice::Kind::Renumbered)
            renumbers << QString::fromStdString(notice.numberText + ">" + notice.newNumberText);
    QCOMPARE(renumbers, renumbered);
    // Into memory only, as one step of unsaved changes; the file stays.
    QCOMPARE(DocumentFolder::read(listPath), listBytes(list));
    QCOMPARE(document.hasUnsavedChanges(), !told.changedNothing());
    if (told.changedNothing())
        return;
    QCOMPARE(document.undoStep()->kind, HistoryStep::Kind::ConflictCopy);
    QVERIFY(document.undo());
    QCOMPARE(textOf(document.lines()), list);
    QVERIFY(!document.hasUnsavedChanges());
}

void TestCopyMerge::choicesMustMatchTheConflicts()
{
    const std::string listPath = folder_->write(QStringLiteral("Projects.txt"), listBytes({"001     A", "002     B"}));
    const std::string copyPath = folder_->write(QStringLiteral("Copy.txt"), listBytes({"001     A", "002     Bee"}));
    ProjectListDocument document;
    document.load(listPath);
    const ConflictCopyMerge merge(document, copyPath, std::nullopt);
    QCOMPARE(merge.conflicts().size(), std::size_t(1));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, merge.applyTo(document, {}));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             merge.applyTo(document, {ConflictChoice::KeepMine, ConflictChoice::KeepMine}));
    QCOMPARE(textOf(document.lines()), (QStringList {"001     A", "002     B"}));
    QVERIFY(!document.canUndo());
}

void TestCopyMerge::aCopyThatIsNoListIsNotPlanned_data()
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

void TestCopyMerge::aCopyThatIsNoListIsNotPlanned()
{
    QFETCH(QByteArray, copy);
    const QStringList list = {"001     A", "002     B"};
    ProjectListDocument document;
    document.load(folder_->write(QStringLiteral("Projects.txt"), listBytes(list)));
    const ConflictCopyMerge merge(
        document, folder_->write(QStringLiteral("Projects (conflicted copy 2026-12-07 101500).txt"), copy),
        linesOf(list));
    QVERIFY(!merge.copyIsProjectList());
    QVERIFY(merge.conflicts().empty());
    QVERIFY_THROWS_EXCEPTION(std::logic_error, merge.applyTo(document, {}));
    QCOMPARE(textOf(document.lines()), list);
    QVERIFY(!document.hasUnsavedChanges());
}

void TestCopyMerge::aStoppedReadChangesNothing()
{
    const QStringList list = {"001     A", "002     B"};
    ProjectListDocument document;
    document.load(folder_->write(QStringLiteral("Projects.txt"), listBytes(list)));
    const std::string copyPath = folder_->write(QStringLiteral("Projects.sync-conflict-20261207-101500-ABCDEFG.txt"),
                                                QByteArray(24 << 20, '\n') + "003     C\r\n");
    int asked = 0;
    const ReadProgress stop = [&](std::uint64_t, std::uint64_t) { return ++asked < 2; };
    QVERIFY_THROWS_EXCEPTION(ListFileReadCancelled, ConflictCopyMerge(document, copyPath, linesOf(list), stop));
    QVERIFY(asked >= 2);
    QCOMPARE(textOf(document.lines()), list);
    QVERIFY(!document.hasUnsavedChanges());
}

void TestCopyMerge::syncedFolders_data()
{
    QTest::addColumn<QString>("marker");  // a file or folder made first; empty: none
    QTest::addColumn<QString>("list");
    QTest::addColumn<bool>("synced");
    QTest::newRow("no marker") << QString() << "Projects.txt" << false;
    QTest::newRow("Syncthing's folder marker beside the list") << ".stfolder/" << "Projects.txt" << true;
    QTest::newRow("Syncthing's versions two folders up") << ".stversions/" << "a/b/Projects.txt" << true;
    QTest::newRow("Dropbox's marker above") << ".dropbox" << "team/Projects.txt" << true;
    QTest::newRow("Nextcloud's log") << ".nextcloudsync.log" << "Projects.txt" << true;
    QTest::newRow("ownCloud's log") << ".owncloudsync.log" << "Projects.txt" << true;
    QTest::newRow("a sync client's database") << "._sync_4fa2.db" << "Projects.txt" << true;
    QTest::newRow("a marker in a folder below is not above the list") << "a/.stfolder/" << "Projects.txt" << false;
    QTest::newRow("a name that only looks like a marker") << "stfolder/" << "Projects.txt" << false;
}

void TestCopyMerge::syncedFolders()
{
    QFETCH(QString, marker);
    QFETCH(QString, list);
    QFETCH(bool, synced);
    const QString top = folder_->filePath(QStringLiteral("top"));
    QVERIFY(QDir().mkpath(QFileInfo(top + QLatin1Char('/') + list).absolutePath()));
    if (marker.endsWith(QLatin1Char('/')))
        QVERIFY(QDir().mkpath(top + QLatin1Char('/') + marker));
    else if (!marker.isEmpty())
        folder_->write(QStringLiteral("top/") + marker, "x");
    const std::string listPath = (top + QLatin1Char('/') + list).toStdString();
    QCOMPARE(MergeBase::inSyncedFolder(listPath), synced);
    QCOMPARE(MergeBase::keptFor(listPath), synced);
    // Once a base is kept for a list, one is kept for it from then on.
    MergeBase::keep(listPath, linesOf({"001     A"}));
    MergeBase::waitForWrites();
    QVERIFY(MergeBase::keptFor(listPath));
}

void TestCopyMerge::keptBaseComesBackByteForByte()
{
    const std::string listPath = folder_->filePath(QStringLiteral("Projects.txt")).toStdString();
    QVERIFY(!MergeBase::load(listPath));
    LineList lines = linesOf({"001     A", "002     B"});
    lines.push_back(std::string("003     \xe9t\xe9\0x", 14));
    MergeBase::keep(listPath, linesOf({"001     Old"}));
    MergeBase::keep(listPath, lines);
    const std::optional<LineList> kept = MergeBase::load(listPath);
    QVERIFY(kept);
    QVERIFY(*kept == lines);
    // In the user's state folder, readable by the user alone.
    const QString path = QString::fromStdString(MergeBase::pathFor(listPath));
    QVERIFY2(path.startsWith(folder_->stateFolder() + QStringLiteral("/quindle/merge-bases/")), qPrintable(path));
    QCOMPARE(QFileInfo(MergeBase::folder()).permissions() & (QFile::ReadGroup | QFile::ReadOther),
             QFileDevice::Permissions());
    // Another list, another base.
    const std::string otherPath = folder_->filePath(QStringLiteral("Other.txt")).toStdString();
    QVERIFY(MergeBase::pathFor(otherPath) != MergeBase::pathFor(listPath));
    QVERIFY(!MergeBase::load(otherPath));
}

QTEST_GUILESS_MAIN(TestCopyMerge)
#include "test_copymerge.moc"
