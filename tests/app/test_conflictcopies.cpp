// Sync tools' conflict copies beside the list, through the real window: found
// when the list is read and when one appears, told in the notice bar, merged
// by project number with and without the kept base (conflicts answered
// through the scripted conflict window), the copy moved aside, and a second
// merge of the same copy changes nothing.
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "testlists.h"
#include "widgetlookup.h"
#include "app/loadprogress.h"
#include "app/noticebar.h"
#include "app/projectlistmodel.h"
#include "app/tvantorel.h"
#include "document/mergebase.h"
#include "document/projectlistdocument.h"

#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <QtTest>

#include <unistd.h>

namespace {

const QString syncthingCopy = QStringLiteral("Projects.sync-conflict-20261207-101500-ABCDEFG.txt");
const QString nextcloudCopy = QStringLiteral("Projects (conflicted copy 2026-12-07 101500).txt");
const QString dropboxCopy = QStringLiteral("Projects (Ann's conflicted copy 2026-12-07).txt");
const QString backupFolder = QStringLiteral("Quindle merged copies");

NoticeBar* bar(const TVantorel& w)
{
    return named<NoticeBar>(&w, "NoticeBar");
}

QString foundText(const QString& copy)
{
    return QStringLiteral("A conflict copy of the Project List Projects.txt was found: ") + copy;
}

struct Window {
    TestEnvironment env;
    ScriptedDialogs dialogs;
    std::unique_ptr<TVantorel> w;

    Window(const QStringList& list, const QMap<QString, QStringList>& copies = {})
    {
        env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(list));
        for (auto copy = copies.begin(); copy != copies.end(); ++copy)
            env.writeFile(copy.key(), TestEnvironment::listBytes(copy.value()));
    }
    void start()
    {
        w = startMainWindow(dialogs);
        w->show();
        dialogs.clear();
    }
    void keepBase(const QStringList& base) const
    {
        LineList lines;
        for (const QString& line : base)
            lines.push_back(line.toStdString());
        MergeBase::keep("Projects.txt", lines);
        MergeBase::waitForWrites();
    }
};

} // namespace

class TestConflictCopies : public QObject {
    Q_OBJECT
private slots:
    void copiesAreFoundWhenTheListIsRead_data();
    void copiesAreFoundWhenTheListIsRead();
    void aCopyThatAppearsIsTold();
    void mergeOfACopy_data();
    void mergeOfACopy();
    void mergingTheSameCopyTwiceChangesNothing();
    void severalCopiesLetTheUserChoose();
    void baseIsKeptOnlyInSyncedFolders_data();
    void baseIsKeptOnlyInSyncedFolders();
    void aCopyThatCannotBeMergedIsLeftAlone_data();
    void aCopyThatCannotBeMergedIsLeftAlone();
    void aLongReadOfACopyCanBeCancelled();
};

void TestConflictCopies::copiesAreFoundWhenTheListIsRead_data()
{
    QTest::addColumn<QString>("copy");
    QTest::addColumn<bool>("found");
    QTest::newRow("Syncthing") << syncthingCopy << true;
    QTest::newRow("Nextcloud") << nextcloudCopy << true;
    QTest::newRow("Dropbox") << dropboxCopy << true;
    QTest::newRow("a copy of another list") << QStringLiteral("Other.sync-conflict-20261207-101500-ABCDEFG.txt")
                                            << false;
    QTest::newRow("a plain backup") << QStringLiteral("Projects.txt.bak") << false;
}

void TestConflictCopies::copiesAreFoundWhenTheListIsRead()
{
    QFETCH(QString, copy);
    QFETCH(bool, found);
    Window t(numberedDescriptions({"A"}), {{copy, numberedDescriptions({"A", "B"})}});
    t.start();
    QCOMPARE(bar(*t.w)->isVisible(), found);
    if (found)
        QCOMPARE(bar(*t.w)->text(), foundText(copy));
    QCOMPARE(named<QAction>(&*t.w, "MergeConflictCopy1")->isEnabled(), found);
    QVERIFY(t.dialogs.shown.isEmpty());
}

void TestConflictCopies::aCopyThatAppearsIsTold()
{
    Window t(numberedDescriptions({"A"}));
    t.start();
    QVERIFY(bar(*t.w)->isHidden());
    QVERIFY(!named<QAction>(&*t.w, "MergeConflictCopy1")->isEnabled());
    t.env.writeFile(syncthingCopy, TestEnvironment::listBytes(numberedDescriptions({"A", "B"})));
    QTRY_COMPARE(bar(*t.w)->text(), foundText(syncthingCopy));
    QVERIFY(named<QAction>(&*t.w, "MergeConflictCopy1")->isEnabled());
    // Told once: dismissed, it does not come back while the copy stays.
    named<QPushButton>(bar(*t.w), "NoticeDismiss")->click();
    t.env.writeFile(QStringLiteral("Unrelated.txt"), "x");
    QTest::qWait(600);
    QVERIFY(bar(*t.w)->isHidden());
    QVERIFY(t.dialogs.shown.isEmpty());
}

void TestConflictCopies::mergeOfACopy_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QStringList>("copy");
    QTest::addColumn<QStringList>("base");  // empty: none kept
    QTest::addColumn<QList<ConflictAnswer>>("answers");  // empty: no conflict window expected
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<QStringList>("merged");
    QTest::addColumn<QString>("told");

    const QStringList ab = {"001     A", "002     B"};
    const QString told = QStringLiteral("The conflict copy %1 was merged into the list in memory: %2");
    QTest::newRow("no base: a project of either side is kept")
        << ab << QStringList {"001     A", "003     C"} << QStringList() << QList<ConflictAnswer>() << false
        << QStringList {"001     A", "002     B", "003     C"} << told.arg(syncthingCopy, "1 added, 0 changed, 0 removed");
    QTest::newRow("with a base: the copy's removal and addition come in")
        << QStringList {"001     A", "002     B", "004     D", "005     E"} << QStringList {"001     A", "003     C", "004     D"}
        << QStringList {"001     A", "002     B", "004     D"} << QList<ConflictAnswer>() << false
        << QStringList {"001     A", "003     C", "004     D", "005     E"}
        << told.arg(syncthingCopy, "1 added, 0 changed, 1 removed");
    QTest::newRow("a base equal to one side is no ancestor: nothing removed")
        << ab << QStringList {"001     A", "003     C"} << ab << QList<ConflictAnswer>() << false
        << QStringList {"001     A", "002     B", "003     C"} << told.arg(syncthingCopy, "1 added, 0 changed, 0 removed");
    QTest::newRow("a base equal to the list: the copy's edit and addition come in unasked")
        << QStringList {"001     A", "005     E"} << QStringList {"001     A", "005     Eee", "006     F"}
        << QStringList {"001     A", "005     E"} << QList<ConflictAnswer>() << false
        << QStringList {"001     A", "005     Eee", "006     F"} << told.arg(syncthingCopy, "1 added, 1 changed, 0 removed");
    // Both sides changed project 002 since the base: asked.
    const QStringList bothChanged = {"001     A", "002     Bo"};
    QTest::newRow("changed on both sides: the copy's kept")
        << ab << QStringList {"001     A", "002     Bee"} << bothChanged << QList<ConflictAnswer> {ConflictAnswer::KeepTheirs}
        << false << QStringList {"001     A", "002     Bee"} << told.arg(syncthingCopy, "0 added, 1 changed, 0 removed");
    QTest::newRow("changed on both sides: both kept")
        << ab << QStringList {"001     A", "002     Bee"} << bothChanged << QList<ConflictAnswer> {ConflictAnswer::KeepBoth}
        << false << QStringList {"001     A", "002     B", "003     Bee"}
        << told.arg(syncthingCopy, "1 added, 0 changed, 0 removed; the copy's project 002 became project 003");
    QTest::newRow("changed on both sides: the conflict window cancelled")
        << ab << QStringList {"001     A", "002     Bee"} << bothChanged << QList<ConflictAnswer>() << true << ab
        << QString();
}

void TestConflictCopies::mergeOfACopy()
{
    QFETCH(QStringList, list);
    QFETCH(QStringList, copy);
    QFETCH(QStringList, base);
    QFETCH(QList<ConflictAnswer>, answers);
    QFETCH(bool, cancelled);
    QFETCH(QStringList, merged);
    QFETCH(QString, told);
    Window t(list, {{syncthingCopy, copy}});
    if (!base.isEmpty())
        t.keepBase(base);
    t.start();
    TVantorel& w = *t.w;
    const QString undoText = named<QAction>(&w, "Undo1")->text();
    if (!answers.isEmpty())
        t.dialogs.conflictAnswers = {answers};
    if (cancelled)
        t.dialogs.conflictAnswers = {std::nullopt};
    named<QPushButton>(bar(w), "NoticeAction1")->click();

    QCOMPARE(t.dialogs.conflictWindows.size(), answers.isEmpty() && !cancelled ? 0 : 1);
    if (!t.dialogs.conflictWindows.isEmpty()) {
        const ConflictRow row = t.dialogs.conflictWindows.first().first();
        QCOMPARE(row.number, QStringLiteral("002"));
        QCOMPARE(row.theirs, QStringLiteral("002     Bee"));
        QCOMPARE(row.mine, QStringLiteral("002     B"));
    }
    QCOMPARE(linesInMemory(w), merged);
    QCOMPARE(captionsShown(w).size(), merged.size());
    // Into memory only: the file stays, the merge is one undo step.
    QCOMPARE(t.env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(list));
    QCOMPARE(named<QAction>(&w, "Undo1")->text(), cancelled ? undoText : QStringLiteral("&Undo Merge Conflict Copy"));
    QCOMPARE(w.document().hasUnsavedChanges(), !cancelled);
    // Merged, the copy is moved aside, never deleted; cancelled, it stays.
    QCOMPARE(QFile::exists(t.env.path(syncthingCopy)), cancelled);
    QCOMPARE(t.env.readFile(backupFolder + QLatin1Char('/') + syncthingCopy),
             cancelled ? QByteArray() : TestEnvironment::listBytes(copy));
    if (cancelled)
        return;
    QVERIFY2(bar(w)->text().startsWith(told), qPrintable(bar(w)->text()));
    QVERIFY(!named<QAction>(&w, "MergeConflictCopy1")->isEnabled());
    QVERIFY(triggerAction(&w, "Undo1"));
    QCOMPARE(linesInMemory(w), list);
}

void TestConflictCopies::mergingTheSameCopyTwiceChangesNothing()
{
    const QStringList copy = {"001     A", "002     Bee", "003     C"};
    Window t({"001     A", "002     B"}, {{syncthingCopy, copy}});
    t.start();
    TVantorel& w = *t.w;
    // The base kept is the list as read: the copy's edit comes in unasked.
    QVERIFY(triggerAction(&w, "MergeConflictCopy1"));
    const QStringList once = linesInMemory(w);
    QCOMPARE(once, copy);

    // The copy comes back (a sync tool restores it): nothing new in it.
    QVERIFY(QFile::copy(t.env.path(backupFolder + QLatin1Char('/') + syncthingCopy), t.env.path(syncthingCopy)));
    QTRY_VERIFY(named<QAction>(&w, "MergeConflictCopy1")->isEnabled());
    QVERIFY(triggerAction(&w, "MergeConflictCopy1"));
    QCOMPARE(linesInMemory(w), once);
    // No step of its own: one undo takes back the first merge.
    w.document().undo();
    QCOMPARE(linesInMemory(w), (QStringList {"001     A", "002     B"}));
    w.document().redo();
    QCOMPARE(t.dialogs.conflictWindows.size(), 0);
    QVERIFY(bar(w)->text().startsWith(
        QStringLiteral("The conflict copy %1 held nothing that the list in memory lacks").arg(syncthingCopy)));
    // Moved again beside the first, which stays.
    QVERIFY(QFile::exists(t.env.path(backupFolder + QLatin1Char('/') + syncthingCopy)));
    QVERIFY(QFile::exists(t.env.path(backupFolder + QStringLiteral("/Projects.sync-conflict-20261207-101500-ABCDEFG (2).txt"))));
    QVERIFY(!QFile::exists(t.env.path(syncthingCopy)));
}

void TestConflictCopies::severalCopiesLetTheUserChoose()
{
    Window t({"001     A"}, {{syncthingCopy, {"001     A", "002     B"}}, {dropboxCopy, {"001     A", "003     C"}}});
    t.start();
    TVantorel& w = *t.w;
    // Cancelled: nothing happens.
    QVERIFY(triggerAction(&w, "MergeConflictCopy1"));
    QCOMPARE(t.dialogs.fileDialogs.size(), 1);
    QCOMPARE(QDir(t.dialogs.fileDialogs.first().initialFolder), QDir(t.env.workFolder()));
    QCOMPARE(linesInMemory(w), QStringList {"001     A"});

    // A file that is no conflict copy of the list is refused.
    t.dialogs.clear();
    t.dialogs.fileNames = {t.env.path(QStringLiteral("Projects.txt"))};
    QVERIFY(triggerAction(&w, "MergeConflictCopy1"));
    QCOMPARE(t.dialogs.messages(),
             QStringList {QStringLiteral("Projects.txt is no conflict copy of the Project List Projects.txt")});
    QCOMPARE(linesInMemory(w), QStringList {"001     A"});

    t.dialogs.fileNames = {t.env.path(dropboxCopy)};
    QVERIFY(triggerAction(&w, "MergeConflictCopy1"));
    QCOMPARE(linesInMemory(w), (QStringList {"001     A", "003     C"}));
    QVERIFY(!QFile::exists(t.env.path(dropboxCopy)));
    QVERIFY(QFile::exists(t.env.path(syncthingCopy)));
    QVERIFY(named<QAction>(&w, "MergeConflictCopy1")->isEnabled());
}

void TestConflictCopies::baseIsKeptOnlyInSyncedFolders_data()
{
    QTest::addColumn<QString>("marker");
    QTest::addColumn<bool>("kept");
    QTest::newRow("Syncthing folder") << ".stfolder" << true;
    QTest::newRow("Nextcloud folder") << ".nextcloudsync.log" << true;
    QTest::newRow("ownCloud journal") << "._sync_0123abcd.db" << true;
    QTest::newRow("plain folder") << "" << false;
}

void TestConflictCopies::baseIsKeptOnlyInSyncedFolders()
{
    QFETCH(QString, marker);
    QFETCH(bool, kept);
    Window t({"001     A", "002     B"});
    if (!marker.isEmpty())
        t.env.writeFile(marker, QByteArray());
    t.start();
    TVantorel& w = *t.w;
    named<QTableView>(&w, "Projects")->setCurrentIndex(w.parts().listModel->index(1, 0));
    QVERIFY(triggerAction(&w, "EditBtn"));
    named<QLineEdit>(&w, "PrjDiscription")->setText(QStringLiteral("Bee"));
    named<QPushButton>(&w, "UtilBtn")->click();
    named<QPushButton>(&w, "Next4")->click();
    const QByteArray saved = TestEnvironment::listBytes({"001     A", "002     Bee"});
    QCOMPARE(t.env.readFile(QStringLiteral("Projects.txt")), saved);
    const QString basePath = QString::fromStdString(MergeBase::pathFor("Projects.txt"));
    if (kept) {
        QTRY_VERIFY(QFile::exists(basePath));
        MergeBase::waitForWrites();
        QFile base(basePath);
        QVERIFY(base.open(QIODevice::ReadOnly));
        QCOMPARE(base.readAll(), saved);
        QVERIFY(basePath.startsWith(t.env.stateFolder()));
    } else {
        QTest::qWait(800);
        QVERIFY(!QFile::exists(basePath));
    }
}

void TestConflictCopies::aCopyThatCannotBeMergedIsLeftAlone_data()
{
    QTest::addColumn<QByteArray>("copy");          // empty: sparse, past the size of any list
    QTest::addColumn<QString>("message");          // the start of what the user is told
    QTest::addColumn<bool>("error");

    QByteArray random(64 * 1024, '\0');
    QRandomGenerator generator(11);
    for (char& c : random)
        c = char(generator.bounded(256));
    const QString noList = QStringLiteral("The conflict copy %1 is no project list: nothing of it was merged, and it "
                                          "stays where it is")
                               .arg(nextcloudCopy);
    QTest::newRow("random bytes") << random << noList << false;
    QTest::newRow("mostly a letter") << QByteArray("Dear Ann,\r\nthe list:\r\n001     A\r\nBob\r\n") << noList
                                     << false;
    QTest::newRow("past the size of any list") << QByteArray() << QStringLiteral("The file ") << true;
}

// A copy that is no project list, or too big to be one, is refused with a
// word that names it: nothing merged, the copy where it was.
void TestConflictCopies::aCopyThatCannotBeMergedIsLeftAlone()
{
    QFETCH(QByteArray, copy);
    QFETCH(QString, message);
    QFETCH(bool, error);
    const QStringList list = {"001     A", "002     B"};
    Window t(list);
    if (copy.isEmpty()) {
        t.env.writeFile(nextcloudCopy, TestEnvironment::listBytes(list));
        QVERIFY(::truncate(QFile::encodeName(t.env.path(nextcloudCopy)).constData(), off_t(largestListFile) + 1) == 0);
    } else {
        t.env.writeFile(nextcloudCopy, copy);
    }
    t.start();
    TVantorel& w = *t.w;
    named<QPushButton>(bar(w), "NoticeAction1")->click();

    const QStringList told = error ? t.dialogs.errors() : t.dialogs.messages();
    QCOMPARE(t.dialogs.shown.size(), 1);
    QVERIFY2(told.value(0).startsWith(message), qPrintable(told.value(0)));
    QVERIFY(told.value(0).contains(nextcloudCopy) || error);
    QVERIFY(t.dialogs.conflictWindows.isEmpty());
    QCOMPARE(linesInMemory(w), list);
    QVERIFY(!w.document().canUndo());
    QVERIFY(!w.document().hasUnsavedChanges());
    QVERIFY(QFile::exists(t.env.path(nextcloudCopy)));
    QVERIFY(!QFile::exists(t.env.path(backupFolder)));
    if (!copy.isEmpty())
        QCOMPARE(t.env.readFile(nextcloudCopy), copy);
}

// A long read of a copy shows the load's progress with Cancel: cancelled,
// nothing is merged or said and the copy stays.
void TestConflictCopies::aLongReadOfACopyCanBeCancelled()
{
    const QStringList list = {"001     A", "002     B"};
    Window t(list);
    const QByteArray copy = TestEnvironment::listBytes({"001     A", "003     C"}) + QByteArray(24 << 20, 'x') + "\r\n";
    t.env.writeFile(syncthingCopy, copy);
    t.start();
    TVantorel& w = *t.w;
    const int moment = LoadProgress::momentMilliseconds;
    LoadProgress::momentMilliseconds = 0;
    bool cancelled = false;
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        auto* progress = w.findChild<QProgressDialog*>(QStringLiteral("LoadProgress"));
        if (progress && progress->isVisible() && !cancelled) {
            QCOMPARE(progress->labelText(), QStringLiteral("Reading the conflict copy %1 ...").arg(syncthingCopy));
            progress->cancel();
            cancelled = true;
        }
    });
    canceller.start(0);
    QVERIFY(triggerAction(&w, "MergeConflictCopy1"));
    LoadProgress::momentMilliseconds = moment;
    QVERIFY(cancelled);
    QVERIFY(t.dialogs.shown.isEmpty());
    QCOMPARE(linesInMemory(w), list);
    QVERIFY(!w.document().hasUnsavedChanges());
    QCOMPARE(t.env.readFile(syncthingCopy), copy);
    QVERIFY(named<QAction>(&w, "MergeConflictCopy1")->isEnabled());
}

QTEST_MAIN(TestConflictCopies)
#include "test_conflictcopies.moc"
