// What the real window does when its list file changes on disk while the
// user works: the list is read again (page 4 stays open with its number and
// typed text), a deleted, renamed or unreadable file is told in the notice
// bar with its actions, never in a box nobody asked for; and on a share that
// raises no file-system events the file is polled.
#include "filepermissions.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "testlists.h"
#include "widgetlookup.h"
#include "app/loadprogress.h"
#include "app/noticebar.h"
#include "app/projectlistmodel.h"
#include "app/tvantorel.h"
#include "document/projectlistdocument.h"

#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QSaveFile>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

const QStringList ourList = numberedDescriptions({"Harbour wall", "Garden shed", "Old pier"});
const QStringList theirList = ourList + QStringList {"004     Their project"};

NoticeBar* bar(const TVantorel& w)
{
    return named<NoticeBar>(&w, "NoticeBar");
}

// The bar's buttons as the user sees them, in tab order.
QStringList barButtons(const TVantorel& w)
{
    QStringList texts;
    for (int i = 1;; ++i) {
        auto* button = bar(w)->findChild<QPushButton*>(QStringLiteral("NoticeAction%1").arg(i));
        if (!button || button->isHidden())
            break;
        texts << button->text();
    }
    texts << named<QPushButton>(bar(w), "NoticeDismiss")->text();
    return texts;
}

QPushButton* barAction(const TVantorel& w, int number = 1)
{
    return bar(w)->findChild<QPushButton*>(QStringLiteral("NoticeAction%1").arg(number));
}

struct Window {
    TestEnvironment env;
    ScriptedDialogs dialogs;
    std::unique_ptr<TVantorel> w;

    explicit Window(const QStringList& lines = ourList)
    {
        env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(lines));
        w = startMainWindow(dialogs);
        w->show();
        dialogs.clear();
    }
};

} // namespace

class TestNoticeBar : public QObject {
    Q_OBJECT
private slots:
    void changedListIsReadAgainWithPage4Open();
    void listFileStatesAreToldInTheBar_data();
    void listFileStatesAreToldInTheBar();
    void deletedListIsSavedHereAgain();
    void unreadableListIsReadOnceItIsBack();
    void unsavedChangesAreKeptAndTold_data();
    void unsavedChangesAreKeptAndTold();
    void barIsAboveTheListAndKeyboardReachable();
    void pollingSeesChangesWithoutEvents_data();
    void pollingSeesChangesWithoutEvents();
    void longReReadCanBeCancelled_data();
    void longReReadCanBeCancelled();
};

void TestNoticeBar::changedListIsReadAgainWithPage4Open()
{
    Window t;
    TVantorel& w = *t.w;
    // Page 4 on project 2, a new description typed but not applied.
    named<QTableView>(&w, "Projects")->setCurrentIndex(w.parts().listModel->index(1, 0));
    QVERIFY(triggerAction(&w, "EditBtn"));
    named<QLineEdit>(&w, "PrjDiscription")->setText(QStringLiteral("Typed, not applied"));
    QCOMPARE(named<QLabel>(&w, "Pros")->text(), QStringLiteral("3 Projects"));

    t.env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(theirList));
    QTRY_COMPARE(linesInMemory(w), theirList);
    QCOMPARE(captionsShown(w).size(), 4);
    QCOMPARE(w.parts().statusPanel(1)->text(), QStringLiteral("4"));
    QVERIFY(named<QWidget>(&w, "Wizard")->isVisible());
    QCOMPARE(named<QLineEdit>(&w, "Project")->text(), QStringLiteral("2"));
    QCOMPARE(named<QLineEdit>(&w, "PrjDiscription")->text(), QStringLiteral("Typed, not applied"));
    QCOMPARE(named<QLabel>(&w, "Pros")->text(), QStringLiteral("4 Projects"));
    QVERIFY(t.dialogs.shown.isEmpty());
    QVERIFY(bar(w)->isHidden());

    // Applied afterwards, the typed text goes onto the list as read again.
    named<QPushButton>(&w, "UtilBtn")->click();
    QCOMPARE(linesInMemory(w)[1], QStringLiteral("002     Typed, not applied"));
    QCOMPARE(linesInMemory(w).size(), 4);
}

void TestNoticeBar::listFileStatesAreToldInTheBar_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("buttons");
    const QStringList deletedButtons = {"Save here again", "Dismiss"};
    const QString deleted = QStringLiteral("The Project List Projects.txt was deleted on disk");
    const QString unreadable = QStringLiteral(
        "The Project List Projects.txt can no longer be read: Cannot open file Projects.txt");
    QTest::newRow("deleted") << "delete" << deleted << deletedButtons;
    QTest::newRow("renamed away") << "rename" << deleted << deletedButtons;
    QTest::newRow("replaced by a folder") << "folder" << unreadable << QStringList {"Reload", "Dismiss"};
    QTest::newRow("replaced by an unreadable file") << "unreadable" << unreadable << QStringList {"Reload", "Dismiss"};
}

void TestNoticeBar::listFileStatesAreToldInTheBar()
{
    QFETCH(QString, change);
    QFETCH(QString, text);
    QFETCH(QStringList, buttons);
    OrdinaryFileAccess ordinary;
    if (change == QLatin1String("unreadable") && !ordinary.active())
        QSKIP("permission bits cannot be made to apply here");
    Window t;
    TVantorel& w = *t.w;
    const QString list = t.env.path(QStringLiteral("Projects.txt"));
    if (change == QLatin1String("rename")) {
        QVERIFY(QFile::rename(list, t.env.path(QStringLiteral("Old.txt"))));
    } else {
        QVERIFY(QFile::remove(list));
        if (change == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(list));
        if (change == QLatin1String("unreadable")) {
            t.env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(theirList));
            QVERIFY(QFile::setPermissions(list, QFileDevice::WriteOwner));
        }
    }
    QTRY_VERIFY(bar(w)->isVisible());
    QCOMPARE(bar(w)->text(), text);
    QCOMPARE(barButtons(w), buttons);
    QCOMPARE(linesInMemory(w), ourList);
    // Told once, and only in the bar.
    QTest::qWait(800);
    QVERIFY(t.dialogs.shown.isEmpty());

    named<QPushButton>(bar(w), "NoticeDismiss")->click();
    QVERIFY(bar(w)->isHidden());
    QCOMPARE(linesInMemory(w), ourList);
    QFile::setPermissions(list, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestNoticeBar::deletedListIsSavedHereAgain()
{
    Window t;
    TVantorel& w = *t.w;
    QVERIFY(QFile::remove(t.env.path(QStringLiteral("Projects.txt"))));
    QTRY_VERIFY(bar(w)->isVisible());
    // The window's save; the button said what it does, so it is not asked.
    barAction(w)->click();
    QVERIFY(t.dialogs.shown.isEmpty());
    QCOMPARE(t.env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(ourList));
    QVERIFY(bar(w)->isHidden());
}

void TestNoticeBar::unreadableListIsReadOnceItIsBack()
{
    Window t;
    TVantorel& w = *t.w;
    const QString list = t.env.path(QStringLiteral("Projects.txt"));
    QVERIFY(QFile::remove(list));
    QVERIFY(QDir().mkdir(list));
    QTRY_COMPARE(barButtons(w).value(0), QStringLiteral("Reload"));
    // Still a folder: Reload tells it again.
    barAction(w)->click();
    QCOMPARE(barButtons(w).value(0), QStringLiteral("Reload"));
    QVERIFY(t.dialogs.shown.isEmpty());

    QVERIFY(QDir().rmdir(list));
    t.env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(theirList));
    QTRY_COMPARE(linesInMemory(w), theirList);
    QVERIFY(bar(w)->isHidden());
    QVERIFY(t.dialogs.shown.isEmpty());
}

void TestNoticeBar::unsavedChangesAreKeptAndTold_data()
{
    QTest::addColumn<QStringList>("theirs");
    QTest::addColumn<QStringList>("merged");
    QTest::addColumn<QString>("told");
    QTest::addColumn<QStringList>("saved");
    const QString came = QStringLiteral(
        "The Project List Projects.txt was changed on disk; its changes came into the list in memory, and yours are "
        "kept, not saved yet");
    QTest::newRow("they added a project")
        << theirList << QStringList {"001     Harbour wall", "002     Tool shed", "003     Old pier", "004     Their project"}
        << came << QStringList {"001     Harbour wall", "002     Tool shed", "003     Old pier", "004     Their project"};
    // Ours stays in memory until Finish asks; theirs is kept there.
    QTest::newRow("they changed the project we edit")
        << numberedDescriptions({"Harbour wall", "Their shed", "Old pier"})
        << QStringList {"001     Harbour wall", "002     Tool shed", "003     Old pier"}
        << came + QStringLiteral(". Projects changed on both sides keep your text for now and will be asked about at "
                                 "Finish: 1")
        << QStringList {"001     Harbour wall", "002     Their shed", "003     Old pier"};
    QTest::newRow("they removed the project we edit")
        << numberedDescriptions({"Harbour wall"}) << QStringList {"001     Harbour wall", "002     Tool shed"}
        << came + QStringLiteral(". Project 002 was removed by someone else meanwhile; your edit keeps it in the list")
        << QStringList {"001     Harbour wall", "002     Tool shed"};
}

void TestNoticeBar::unsavedChangesAreKeptAndTold()
{
    QFETCH(QStringList, theirs);
    QFETCH(QStringList, merged);
    QFETCH(QString, told);
    QFETCH(QStringList, saved);
    Window t;
    TVantorel& w = *t.w;
    named<QTableView>(&w, "Projects")->setCurrentIndex(w.parts().listModel->index(1, 0));
    QVERIFY(triggerAction(&w, "EditBtn"));
    named<QLineEdit>(&w, "PrjDiscription")->setText(QStringLiteral("Tool shed"));
    named<QPushButton>(&w, "UtilBtn")->click();
    named<QLineEdit>(&w, "PrjDiscription")->setText(QStringLiteral("Typed after"));

    t.env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(theirs));
    QTRY_VERIFY(bar(w)->isVisible());
    QCOMPARE(bar(w)->text(), told);
    QCOMPARE(linesInMemory(w), merged);
    QVERIFY(w.document().hasUnsavedChanges());
    QVERIFY(named<QWidget>(&w, "Wizard")->isVisible());
    QCOMPARE(named<QLineEdit>(&w, "Project")->text(), QStringLiteral("2"));
    QCOMPARE(named<QLineEdit>(&w, "PrjDiscription")->text(), QStringLiteral("Typed after"));
    QCOMPARE(named<QLabel>(&w, "Pros")->text(), QStringLiteral("%1 Projects").arg(merged.size()));
    QCOMPARE(w.parts().statusPanel(1)->text(), QString::number(merged.size()));
    QVERIFY(t.dialogs.shown.isEmpty());

    // Finish asks only about a project both changed: theirs is kept here.
    t.dialogs.conflictAnswers = {QList<ConflictAnswer> {ConflictAnswer::KeepTheirs}};
    named<QPushButton>(&w, "Next4")->click();
    QCOMPARE(t.dialogs.conflictWindows.size(), merged == saved ? 0 : 1);
    QCOMPARE(t.env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(saved));
    // Saved, the list holds both sides' work: the bar has nothing left to say.
    QVERIFY(bar(w)->isHidden());
}

void TestNoticeBar::barIsAboveTheListAndKeyboardReachable()
{
    Window t;
    TVantorel& w = *t.w;
    auto* projects = named<QTableView>(&w, "Projects");
    QCOMPARE(projects->geometry().top(), 0);
    QVERIFY(QFile::remove(t.env.path(QStringLiteral("Projects.txt"))));
    QTRY_VERIFY(bar(w)->isVisible());
    QVERIFY(bar(w)->autoFillBackground());
    QCOMPARE(bar(w)->accessibleName(), QStringLiteral("Notice"));
    QCOMPARE(bar(w)->accessibleDescription(), bar(w)->text());
    QCOMPARE(projects->geometry().top(), bar(w)->geometry().bottom() + 1);

    // Tab from the list reaches the bar's action, then Dismiss.
    projects->setFocus();
    QTRY_VERIFY(projects->hasFocus());
    QWidget* next = projects->nextInFocusChain();
    while (next && !(next->isVisible() && next->isEnabled() && (next->focusPolicy() & Qt::TabFocus)))
        next = next->nextInFocusChain();
    QCOMPARE(next, static_cast<QWidget*>(barAction(w)));
    barAction(w)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), named<QWidget>(bar(w), "NoticeDismiss"));
    // Escape in the bar dismisses its notice; the list fills the room again.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(bar(w)->isHidden());
    QCOMPARE(projects->geometry().top(), 0);
}

void TestNoticeBar::pollingSeesChangesWithoutEvents_data()
{
    QTest::addColumn<int>("intervalMs");
    QTest::addColumn<bool>("readAgain");
    QTest::newRow("polled every 300 ms") << 300 << true;
    // Proves the seam takes the file-system events away.
    QTest::newRow("not polled within the wait") << 3'600'000 << false;
}

void TestNoticeBar::pollingSeesChangesWithoutEvents()
{
    QFETCH(int, intervalMs);
    QFETCH(bool, readAgain);
    Window t;
    TVantorel& w = *t.w;
    QVERIFY(!w.document().pollsListFile());
    w.document().setChangeDetection(ChangeDetection::PollingOnly, std::chrono::milliseconds(intervalMs));
    QVERIFY(w.document().pollsListFile());
    t.env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(theirList));
    if (readAgain)
        QTRY_COMPARE(linesInMemory(w), theirList);
    QTest::qWait(1200);
    QCOMPARE(linesInMemory(w), readAgain ? theirList : ourList);
    // Deleted: told as the watcher tells it.
    QVERIFY(QFile::remove(t.env.path(QStringLiteral("Projects.txt"))));
    QTest::qWait(1200);
    QCOMPARE(bar(w)->isVisible(), readAgain);
    QVERIFY(t.dialogs.shown.isEmpty());
}

void TestNoticeBar::longReReadCanBeCancelled_data()
{
    QTest::addColumn<bool>("unsaved");
    QTest::newRow("read again") << false;
    QTest::newRow("merged under unsaved changes") << true;
}

// A long read of the list changed on disk shows the load's progress with
// Cancel; Cancel keeps the list in memory as it was and the bar offers to
// read it later; read to its end, the change comes in.
void TestNoticeBar::longReReadCanBeCancelled()
{
    QFETCH(bool, unsaved);
    Window t;
    TVantorel& w = *t.w;
    if (unsaved) {
        named<QTableView>(&w, "Projects")->setCurrentIndex(w.parts().listModel->index(1, 0));
        QVERIFY(triggerAction(&w, "EditBtn"));
        named<QLineEdit>(&w, "PrjDiscription")->setText(QStringLiteral("Tool shed"));
        named<QPushButton>(&w, "UtilBtn")->click();
    }
    const QStringList before = linesInMemory(w);
    const int moment = LoadProgress::momentMilliseconds;
    LoadProgress::momentMilliseconds = 0;
    int progressSeen = 0;
    bool cancel = true;
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        auto* progress = w.findChild<QProgressDialog*>(QStringLiteral("LoadProgress"));
        if (!progress || !progress->isVisible() || progress->wasCanceled())
            return;
        ++progressSeen;
        QCOMPARE(progress->labelText(), QStringLiteral("Reading the Project List Projects.txt ..."));
        if (cancel)
            progress->cancel();
    });
    canceller.start(0);
    // Put in place whole, as an editor saves: a long note after their projects.
    QSaveFile file(t.env.path(QStringLiteral("Projects.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(TestEnvironment::listBytes(theirList) + QByteArray(24 << 20, 'x') + "\r\n");
    QVERIFY(file.commit());

    QTRY_VERIFY(bar(w)->isVisible());
    QCOMPARE(bar(w)->text(), QStringLiteral("The Project List Projects.txt was changed on disk and not read again: the "
                                            "list in memory is as it was"));
    QVERIFY(progressSeen > 0);
    QCOMPARE(linesInMemory(w), before);
    QCOMPARE(w.document().hasUnsavedChanges(), unsaved);
    QVERIFY(t.dialogs.shown.isEmpty());

    cancel = false;
    QCOMPARE(barButtons(w).value(0), QStringLiteral("Reload"));
    barAction(w)->click();
    LoadProgress::momentMilliseconds = moment;
    const QStringList expected = unsaved ? QStringList {"001     Harbour wall", "002     Tool shed", "003     Old pier",
                                                        "004     Their project"}
                                         : theirList;
    QCOMPARE(linesInMemory(w).mid(0, 4), expected);
    QCOMPARE(w.document().lines().size(), std::size_t(5));
    QCOMPARE(w.document().hasUnsavedChanges(), unsaved);
    QVERIFY(t.dialogs.shown.isEmpty());
}

QTEST_MAIN(TestNoticeBar)
#include "test_noticebar.moc"
