// Two main windows on one list file in one process, as two users on a shared
// folder: both add a project and Finish (both kept, under different numbers,
// the second told its new number), both edit different projects, both edit
// one project (the conflict window asks, per project), and Add after the
// other's save proposes a number that is free in the list as it is now.
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "testlists.h"
#include "widgetlookup.h"
#include "app/projectlistmodel.h"
#include "app/qtdialogs.h"
#include "app/tvantorel.h"
#include "document/listfilelock.h"
#include "document/projectlistdocument.h"

#include <QSysInfo>
#include <unistd.h>
#include <pwd.h>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QTableWidget>
#include <QtTest>

namespace {

const QStringList startList = numberedDescriptions({"Harbour wall", "Garden shed", "Old pier"});

QStringList with001(const QString& description)
{
    QStringList lines = startList;
    lines[0] = QStringLiteral("001     ") + description;
    return lines;
}

void add(TVantorel& w, const QString& description)
{
    QVERIFY(triggerAction(&w, "AddBtn"));
    named<QLineEdit>(&w, "PrjDiscription")->setText(description);
    named<QPushButton>(&w, "UtilBtn")->click();
}

void edit(TVantorel& w, int row, const QString& description)
{
    named<QTableView>(&w, "Projects")->setCurrentIndex(w.parts().listModel->index(row, 0));
    QVERIFY(triggerAction(&w, "EditBtn"));
    named<QLineEdit>(&w, "PrjDiscription")->setText(description);
    named<QPushButton>(&w, "UtilBtn")->click();
}

void finish(TVantorel& w)
{
    named<QPushButton>(&w, "Next4")->click();
}

// One list file and two main windows on it, each with its own dialogs.
struct TwoWindows {
    TestEnvironment env;
    ScriptedDialogs first;
    ScriptedDialogs second;
    std::unique_ptr<TVantorel> w1;
    std::unique_ptr<TVantorel> w2;

    TwoWindows()
    {
        env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(startList));
        w1 = startMainWindow(first);
        w2 = startMainWindow(second);
    }
};

} // namespace

class TestSharedList : public QObject {
    Q_OBJECT
private slots:
    void bothAddAProject();
    void bothEditDifferentProjects();
    void bothEditOneProject_data();
    void bothEditOneProject();
    void addProposesANumberFreeOnDisk();
    void addWhoseNumberWasTakenMeanwhile();
    void finishWaitsForTheLock();
    void conflictWindowAnswersEachProject_data();
    void conflictWindowAnswersEachProject();
};

void TestSharedList::bothAddAProject()
{
    TwoWindows two;
    auto& [env, first, second, w1, w2] = two;
    add(*w1, QStringLiteral("Boat house"));
    add(*w2, QStringLiteral("Tool shed"));
    QCOMPARE(named<QLineEdit>(&*w2, "CurrentProject")->text(), QStringLiteral("004"));
    first.clear();
    second.clear();
    finish(*w1);
    finish(*w2);
    QCOMPARE(first.texts(), QStringList());
    QCOMPARE(second.texts(),
             QStringList {QStringLiteral("Project 004 was added by someone else meanwhile; yours is now project 005")});
    const QStringList both = startList + QStringList {"004     Boat house", "005     Tool shed"};
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(both));
    QCOMPARE(linesInMemory(*w2), both);
    QCOMPARE(captionsShown(*w2).size(), 5);
    QVERIFY(!w2->document().hasUnsavedChanges());
}

void TestSharedList::bothEditDifferentProjects()
{
    TwoWindows two;
    auto& [env, first, second, w1, w2] = two;
    edit(*w1, 0, QStringLiteral("Sea wall"));
    edit(*w2, 2, QStringLiteral("Stone pier"));
    first.clear();
    second.clear();
    finish(*w1);
    finish(*w2);
    QCOMPARE(first.texts() + second.texts(), QStringList());
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")),
             TestEnvironment::listBytes({"001     Sea wall", "002     Garden shed", "003     Stone pier"}));
}

void TestSharedList::bothEditOneProject_data()
{
    QTest::addColumn<std::optional<QList<ConflictAnswer>>>("answer");
    QTest::addColumn<QStringList>("saved");
    QTest::addColumn<QStringList>("told");
    const QStringList theirs {"001     Harbour wall", "002     Boat house", "003     Old pier"};
    const QStringList mine {"001     Harbour wall", "002     Tool shed", "003     Old pier"};
    QTest::newRow("keep theirs") << std::optional(QList<ConflictAnswer> {ConflictAnswer::KeepTheirs}) << theirs
                                 << QStringList();
    QTest::newRow("keep mine") << std::optional(QList<ConflictAnswer> {ConflictAnswer::KeepMine}) << mine
                               << QStringList();
    QTest::newRow("keep both") << std::optional(QList<ConflictAnswer> {ConflictAnswer::KeepBoth})
                               << (theirs + QStringList {"004     Tool shed"})
                               << QStringList {"Project 002 keeps the other text; yours is now project 004"};
    QTest::newRow("cancel") << std::optional<QList<ConflictAnswer>>() << theirs << QStringList();
}

void TestSharedList::bothEditOneProject()
{
    QFETCH(std::optional<QList<ConflictAnswer>>, answer);
    QFETCH(QStringList, saved);
    QFETCH(QStringList, told);
    TwoWindows two;
    auto& [env, first, second, w1, w2] = two;
    edit(*w1, 1, QStringLiteral("Boat house"));
    edit(*w2, 1, QStringLiteral("Tool shed"));
    finish(*w1);
    second.clear();
    second.conflictAnswers = {answer};
    finish(*w2);

    QCOMPARE(second.conflictWindows.size(), 1);
    QCOMPARE(second.conflictWindows.first().size(), 1);
    const ConflictRow row = second.conflictWindows.first().first();
    QCOMPARE(row.number, QStringLiteral("002"));
    QCOMPARE(row.theirs, QStringLiteral("Boat house"));
    QCOMPARE(row.mine, QStringLiteral("Tool shed"));
    QCOMPARE(second.texts().mid(1), told);
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(saved));
    // Cancelled: nothing lost, the change still waits to be saved.
    QCOMPARE(w2->document().hasUnsavedChanges(), !answer.has_value());
    if (!answer)
        QCOMPARE(linesInMemory(*w2), (QStringList {"001     Harbour wall", "002     Tool shed", "003     Old pier"}));
}

void TestSharedList::addProposesANumberFreeOnDisk()
{
    TwoWindows two;
    auto& [env, first, second, w1, w2] = two;
    add(*w1, QStringLiteral("Boat house"));
    finish(*w1);
    QVERIFY(triggerAction(&*w2, "AddBtn"));
    QCOMPARE(named<QLineEdit>(&*w2, "CurrentProject")->text(), QStringLiteral("005"));
    QCOMPARE(captionsShown(*w2).size(), 4);
}

void TestSharedList::addWhoseNumberWasTakenMeanwhile()
{
    TwoWindows two;
    auto& [env, first, second, w1, w2] = two;
    QVERIFY(triggerAction(&*w2, "AddBtn"));
    named<QLineEdit>(&*w2, "PrjDiscription")->setText(QStringLiteral("Tool shed"));
    add(*w1, QStringLiteral("Boat house"));
    finish(*w1);
    // The file comes into memory while page 4 is open, typed text and all.
    QVERIFY(w2->document().mergeFromDisk().changed);
    QCOMPARE(named<QStackedWidget>(&*w2, "Wizard")->currentWidget(), named<QWidget>(&*w2, "Page4"));
    QVERIFY(!named<QStackedWidget>(&*w2, "Wizard")->isHidden());
    QCOMPARE(named<QLineEdit>(&*w2, "PrjDiscription")->text(), QStringLiteral("Tool shed"));
    second.clear();
    named<QPushButton>(&*w2, "UtilBtn")->click();
    QCOMPARE(second.texts(),
             QStringList {QStringLiteral("Project 004 was added by someone else meanwhile; yours is now project 005")});
    QCOMPARE(linesInMemory(*w2), startList + QStringList({"004     Boat house", "005     Tool shed"}));
    QCOMPARE(named<QLineEdit>(&*w2, "CurrentProject")->text(), QStringLiteral("005"));
    QVERIFY(w2->document().unsavedOperations().back().numberProposed);
    finish(*w2);
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")),
             TestEnvironment::listBytes(startList + QStringList({"004     Boat house", "005     Tool shed"})));
}

void TestSharedList::finishWaitsForTheLock()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(startList));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    edit(*w, 0, QStringLiteral("Sea wall"));
    auto other = std::make_unique<ListFileLock>(env.path(QStringLiteral("Projects.txt")));
    QCOMPARE(other->tryLock().outcome, LockOutcome::Locked);
    QTimer::singleShot(600, [&] { other.reset(); });
    dialogs.clear();
    finish(*w);
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().kind, QStringLiteral("wait"));
    const passwd* user = ::getpwuid(::geteuid());
    QVERIFY2(dialogs.shown.first().text.startsWith(
                 QStringLiteral("Waiting for the Project List Projects.txt: in use by %1 on %2 since ")
                     .arg(QString::fromLocal8Bit(user ? user->pw_name : ""), QSysInfo::machineHostName())),
             qPrintable(dialogs.shown.first().text));
    QVERIFY(!other);
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(with001(QStringLiteral("Sea wall"))));
}

void TestSharedList::conflictWindowAnswersEachProject_data()
{
    QTest::addColumn<int>("forAll");       // the choice for all projects, -1 none
    QTest::addColumn<int>("secondRow");    // then the second row's choice, -1 none
    QTest::addColumn<bool>("accept");
    QTest::addColumn<std::optional<QList<ConflictAnswer>>>("answers");
    using A = ConflictAnswer;
    QTest::newRow("as offered") << -1 << -1 << true << std::optional(QList<A> {A::KeepTheirs, A::KeepTheirs, A::KeepTheirs});
    QTest::newRow("mine for all") << 1 << -1 << true << std::optional(QList<A> {A::KeepMine, A::KeepMine, A::KeepMine});
    QTest::newRow("mine for all, both for one")
        << 1 << 2 << true << std::optional(QList<A> {A::KeepMine, A::KeepBoth, A::KeepMine});
    QTest::newRow("cancelled") << 1 << 2 << false << std::optional<QList<A>>();
}

void TestSharedList::conflictWindowAnswersEachProject()
{
    QFETCH(int, forAll);
    QFETCH(int, secondRow);
    QFETCH(bool, accept);
    QFETCH(std::optional<QList<ConflictAnswer>>, answers);
    QWidget owner;
    QtDialogs dialogs(&owner);
    QString shownText;
    int shownRows = 0;
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(window);
        shownText = named<QLabel>(window, "ConflictText")->text();
        auto* table = named<QTableWidget>(window, "ConflictTable");
        shownRows = table->rowCount();
        QCOMPARE(table->item(1, 1)->text(), QStringLiteral("Ring Road, phase 2"));
        QCOMPARE(table->item(1, 2)->text(), QStringLiteral("Ring Road survey"));
        if (forAll >= 0) {
            auto* all = named<QComboBox>(window, "ConflictDefault");
            all->setCurrentIndex(forAll);
            emit all->activated(forAll);
        }
        if (secondRow >= 0)
            qobject_cast<QComboBox*>(table->cellWidget(1, 3))->setCurrentIndex(secondRow);
        named<QPushButton>(window, accept ? "ConflictOk" : "ConflictCancel")->click();
    });
    const auto got = dialogs.resolveConflicts(QStringLiteral("Both changed these\rChoose"),
                                              {{"002", "Boat house", "Tool shed"},
                                               {"017", "Ring Road, phase 2", "Ring Road survey"},
                                               {"104", "Old pier", "Pier repairs"}});
    QCOMPARE(shownRows, 3);
    QCOMPARE(shownText, QStringLiteral("Both changed these\nChoose"));
    QCOMPARE(got, answers);
}

QTEST_MAIN(TestSharedList)
#include "test_sharedlist.moc"
