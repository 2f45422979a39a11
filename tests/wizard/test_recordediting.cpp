// Adding, inserting, editing and removing projects through wizard page 4 of
// the real main window: the numbers each command opens on, the duplicate
// refusals, the order kept after an apply, the erase confirmation of a new
// list, the selector rules, and Finish writing the file or failing.
#include "scripteddialogs.h"
#include "testlists.h"
#include "widgetlookup.h"
#include "testenvironment.h"
#include "app/tvantorel.h"
#include "document/projectlistdocument.h"

#include "app/projectlistmodel.h"
#include "wizard/wizardcontroller.h"

#include <QLabel>
#include <QtTest>

namespace {

void select(TVantorel& w, int row)
{
    named<QTableView>(&w, "Projects")->setCurrentIndex(w.listModel()->index(row, 0));
}

bool shown(const QWidget* widget)
{
    return !widget->isHidden();
}

} // namespace

class TestRecordEditing : public QObject {
    Q_OBJECT
private slots:
    void addAppendsOnlyInMemoryUntilFinish();
    void addRefusals();
    void editReplacesTheLine();
    void duplicateRefusals();
    void insertBeforeFive();
    void insertBeforeOneFails();
    void commandsNeedASelection();
    void removeAsksFirst();
    void newListConfirmation();
    void finishThatFailsKeepsTheList();
    void selectorAndPageStateRules();
    void numberBoxShowsPaddedNumberAndWholeDescription();
    void applySortsCaseBlind();
    void addAfterNineHundredNinetyNine();
};

void TestRecordEditing::addAppendsOnlyInMemoryUntilFinish()
{
    TestEnvironment env;
    const QByteArray before = TestEnvironment::listBytes(numberedDescriptions({"A", "B", "C", "D", "E"}));
    env.writeFile(QStringLiteral("Projects.txt"), before);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QObject* f = &*w;

    QVERIFY(triggerAction(f, "AddBtn"));
    QVERIFY(shown(named<QStackedWidget>(f, "Wizard")));
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "Page4"));
    QCOMPARE(w->wizardPages().mode(), mdEdit);
    QCOMPARE(named<QLineEdit>(f, "Project")->text(), QStringLiteral("6"));
    QCOMPARE(named<QLineEdit>(f, "CurrentProject")->text(), QStringLiteral("006"));
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), QString());
    QVERIFY(!named<QLineEdit>(f, "PrjDiscription")->isReadOnly());
    QCOMPARE(named<QLabel>(f, "Message4")->text(), QStringLiteral("Editing Projects.txt"));
    QVERIFY(!named<UpDown>(f, "PrjSelect")->isEnabled());
    QVERIFY(!shown(named<QPushButton>(f, "Back4")));

    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("Quay steps"));
    named<QPushButton>(f, "UtilBtn")->click();
    QCOMPARE(linesInMemory(*w).last(), QStringLiteral("006     Quay steps"));
    QCOMPARE(named<QLabel>(f, "Pros")->text(), QStringLiteral("6 Projects"));
    QVERIFY(named<UpDown>(f, "PrjSelect")->isEnabled());
    // Nothing on disk and nothing in the view until Finish.
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), before);
    QCOMPARE(w->listModel()->count(), 5);

    named<QPushButton>(f, "Next4")->click();
    QVERIFY(!shown(named<QStackedWidget>(f, "Wizard")));
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")),
             TestEnvironment::listBytes(numberedDescriptions({"A", "B", "C", "D", "E", "Quay steps"})));
    QCOMPARE(w->listModel()->count(), 6);
    QCOMPARE(w->statusPanel(1)->text(), QStringLiteral("6"));
    QVERIFY(dialogs.shown.isEmpty());
}

void TestRecordEditing::addRefusals()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), QByteArray());
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QVERIFY(triggerAction(&*w, "Addproject1"));
    QCOMPARE(dialogs.messages(), QStringList {QStringLiteral("Error in Project List")});
    QVERIFY(!shown(named<QStackedWidget>(&*w, "Wizard")));

    // A negative last number: the message names the number, the stop and the text read.
    env.writeFile(QStringLiteral("neg.txt"), TestEnvironment::listBytes({"-5     Below zero"}));
    w->openList("neg.txt");
    dialogs.clear();
    QVERIFY(triggerAction(&*w, "Addproject1"));
    QCOMPARE(dialogs.messages(), QStringList {QStringLiteral("Add project Failed -4 Code = 3 -5  ")});
    QVERIFY(!shown(named<QStackedWidget>(&*w, "Wizard")));
}

void TestRecordEditing::editReplacesTheLine()
{
    TestEnvironment env;
    QStringList lines = numberedDescriptions({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "Old pier", "13"});
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(lines));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QObject* f = &*w;
    select(*w, 11);
    QVERIFY(triggerAction(f, "EditBtn"));
    QCOMPARE(w->wizardPages().mode(), mdEdit);
    QCOMPARE(named<UpDown>(f, "PrjSelect")->position(), 12);
    QCOMPARE(named<QLineEdit>(f, "CurrentProject")->text(), QStringLiteral("012"));
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), QStringLiteral("Old pier"));
    QVERIFY(named<UpDown>(f, "PrjSelect")->isEnabled());

    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("New pier"));
    named<QPushButton>(f, "UtilBtn")->click();
    lines[11] = QStringLiteral("012     New pier");
    QCOMPARE(linesInMemory(*w), lines);
    QVERIFY(dialogs.shown.isEmpty());
}

void TestRecordEditing::duplicateRefusals()
{
    TestEnvironment env;
    const QStringList lines {"005     Bridge repair", "007     Harbour wall"};
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(lines));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QObject* f = &*w;

    named<QAction>(f, "AddBtn")->trigger();  // number 8, selector disabled
    for (const QString& text : {QStringLiteral("Bridge"), QStringLiteral("0")}) {
        named<QLineEdit>(f, "PrjDiscription")->setText(text);
        named<QPushButton>(f, "UtilBtn")->click();
        QCOMPARE(dialogs.messages().last(), text + QStringLiteral(" is already in the list"));
        QCOMPARE(linesInMemory(*w), lines);
        // A refusal still refreshes the count and frees the selector.
        QVERIFY(named<UpDown>(f, "PrjSelect")->isEnabled());
        QCOMPARE(named<QLabel>(f, "Pros")->text(), QStringLiteral("2 Projects"));
    }

    // An unchanged description is found in its own line.
    select(*w, 1);
    QVERIFY(triggerAction(f, "EditBtn"));
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), QStringLiteral("Harbour wall"));
    named<QPushButton>(f, "UtilBtn")->click();
    QCOMPARE(dialogs.messages().last(), QStringLiteral("Harbour wall is already in the list"));
    QCOMPARE(linesInMemory(*w), lines);

    // With duplicates allowed the same text goes in.
    named<QCheckBox>(f, "Allowduplicates")->setChecked(true);
    named<QLineEdit>(f, "Project")->setText(QStringLiteral("8"));
    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("Bridge"));
    dialogs.clear();
    named<QPushButton>(f, "UtilBtn")->click();
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(linesInMemory(*w).last(), QStringLiteral("008     Bridge"));
}

void TestRecordEditing::insertBeforeFive()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"),
                  TestEnvironment::listBytes({"001     A", "002     B", "003     C", "005     E", "006     F"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QObject* f = &*w;

    select(*w, 3);
    QVERIFY(triggerAction(f, "InsertBtn"));
    QCOMPARE(w->wizardPages().mode(), mdInsert);
    QCOMPARE(named<QLabel>(f, "Message4")->text(), QStringLiteral("Inserting Project Projects.txt"));
    QCOMPARE(named<QLineEdit>(f, "CurrentProject")->text(), QStringLiteral("004"));
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), QString());
    QVERIFY(!named<UpDown>(f, "PrjSelect")->isEnabled());
    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("Dock"));
    named<QPushButton>(f, "UtilBtn")->click();
    QCOMPARE(linesInMemory(*w), (QStringList {"001     A", "002     B", "003     C", "004     Dock", "005     E", "006     F"}));

    // Project 4 now exists: Insert before 5 shows it and overwrites it.
    named<QPushButton>(f, "Next4")->click();
    select(*w, 4);
    QVERIFY(triggerAction(f, "InsertBtn"));
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), QStringLiteral("Dock"));
    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("Dry dock"));
    named<QPushButton>(f, "UtilBtn")->click();
    QCOMPARE(linesInMemory(*w).size(), 6);
    QCOMPARE(linesInMemory(*w)[3], QStringLiteral("004     Dry dock"));

    // An unknown number beyond the end of the list is appended, then sorted.
    named<QLineEdit>(f, "Project")->setText(QStringLiteral("40"));
    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("Far out"));
    named<QPushButton>(f, "UtilBtn")->click();
    QVERIFY(dialogs.errors().isEmpty());
    QCOMPARE(linesInMemory(*w).size(), 7);
    QCOMPARE(linesInMemory(*w).last(), QStringLiteral("040     Far out"));
}

void TestRecordEditing::insertBeforeOneFails()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes({"001     A", "002     B"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    select(*w, 0);
    QVERIFY(triggerAction(&*w, "InsertProject1"));
    QCOMPARE(dialogs.messages(), QStringList {QStringLiteral("Insert Project Prior to 0 Failed")});
    QVERIFY(!shown(named<QStackedWidget>(&*w, "Wizard")));
}

void TestRecordEditing::commandsNeedASelection()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes({"001     A"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    for (QAction* command : {named<QAction>(&*w, "InsertBtn"), named<QAction>(&*w, "EditBtn"), named<QAction>(&*w, "DeleteBtn")})
        command->trigger();
    QCOMPARE(dialogs.messages(), QStringList(3, QStringLiteral("No Project selected")));
    QVERIFY(!shown(named<QStackedWidget>(&*w, "Wizard")));
}

void TestRecordEditing::removeAsksFirst()
{
    TestEnvironment env;
    const QByteArray before = TestEnvironment::listBytes(numberedDescriptions({"First", "Second", "Third"}));
    env.writeFile(QStringLiteral("Projects.txt"), before);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QObject* f = &*w;
    select(*w, 2);
    QVERIFY(triggerAction(f, "RemoveProject1"));
    QCOMPARE(w->wizardPages().mode(), mdDelete);
    QVERIFY(!shown(named<QPushButton>(f, "UtilBtn")));
    QVERIFY(shown(named<QPushButton>(f, "Remove")));
    QVERIFY(named<QLineEdit>(f, "PrjDiscription")->isReadOnly());
    QCOMPARE(named<QLabel>(f, "Message4")->text(), QStringLiteral("Deleting Project from Projects.txt"));
    QCOMPARE(named<QPushButton>(f, "UtilBtn")->text(), QStringLiteral("Apply Changes"));

    dialogs.answers = {MessageButton::Abort};
    named<QPushButton>(f, "Remove")->click();
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown[0].text, QStringLiteral("This will remove Third From the projects list\rAre you sure ?"));
    QCOMPARE(dialogs.shown[0].messageKind, MessageKind::Warning);
    QCOMPARE(dialogs.shown[0].buttons, (QList<MessageButton> {MessageButton::Ok, MessageButton::Abort}));
    QCOMPARE(linesInMemory(*w).size(), 3);

    dialogs.answers = {MessageButton::Ok};
    named<QPushButton>(f, "Remove")->click();
    QCOMPARE(linesInMemory(*w), numberedDescriptions({"First", "Second"}));
    QCOMPARE(named<QLabel>(f, "Pros")->text(), QStringLiteral("2 Projects"));
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), QString());
    QCOMPARE(named<UpDown>(f, "PrjSelect")->position(), 3);
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), before);

    // A number with no line: the list's own error, nothing removed.
    dialogs.answers = {MessageButton::Ok};
    named<QPushButton>(f, "Remove")->click();
    QCOMPARE(dialogs.errors(), QStringList {QStringLiteral("List index out of bounds (-1)")});
    QCOMPARE(linesInMemory(*w).size(), 2);
}

void TestRecordEditing::newListConfirmation()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedDescriptions({"A", "B"})));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QObject* f = &*w;
    select(*w, 1);
    QVERIFY(triggerAction(f, "EditBtn"));
    const QString message = named<QLabel>(f, "Message4")->text();
    const std::string path = env.path(QStringLiteral("Projects.txt")).toStdString();

    w->wizardPages().setMode(mdNewList);
    dialogs.answers = {MessageButton::Abort};
    QVERIFY(!w->wizardPages().SetupPage4(path));
    QCOMPARE(dialogs.texts(QStringLiteral("ask")),
             QStringList {QStringLiteral("Existing Project List ") + QString::fromStdString(path)
                          + QStringLiteral("\rWill be erased, Are you sure ?")});
    QCOMPARE(linesInMemory(*w).size(), 2);
    QCOMPARE(named<QLabel>(f, "Message4")->text(), message);
    QCOMPARE(w->CurrentListFile(), std::string("Projects.txt"));
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "Page4"));

    dialogs.answers = {MessageButton::Ok};
    QVERIFY(w->wizardPages().SetupPage4(path));
    QVERIFY(w->ProjectLines().empty());
    QCOMPARE(w->CurrentListFile(), path);
    QCOMPARE(named<QLabel>(f, "Message4")->text(), QStringLiteral("Creating New project list ") + QString::fromStdString(path));
    QCOMPARE(named<QLineEdit>(f, "CurrentProject")->text(), QStringLiteral("001"));
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), QString());
    // The file itself is only replaced by Finish.
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(numberedDescriptions({"A", "B"})));
    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("Fresh start"));
    named<QPushButton>(f, "UtilBtn")->click();
    named<QPushButton>(f, "Next4")->click();
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), QByteArray("001     Fresh start\r\n"));
}

void TestRecordEditing::finishThatFailsKeepsTheList()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedDescriptions({"A", "B"})));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QObject* f = &*w;
    QVERIFY(triggerAction(f, "AddBtn"));
    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("C"));
    named<QPushButton>(f, "UtilBtn")->click();
    w->document().setCurrentListFile("no such folder/list.txt");
    named<QPushButton>(f, "Next4")->click();
    QCOMPARE(dialogs.errors(), QStringList {QStringLiteral("Cannot create file no such folder/list.txt")});
    QVERIFY(!shown(named<QStackedWidget>(f, "Wizard")));
    QCOMPARE(linesInMemory(*w), numberedDescriptions({"A", "B", "C"}));
    QCOMPARE(w->listModel()->count(), 2);
}

void TestRecordEditing::selectorAndPageStateRules()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedDescriptions({"A", "B", "C"})));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QObject* f = &*w;

    // Add disables the selector; Cancel and Edit leave it so.
    QVERIFY(triggerAction(f, "AddBtn"));
    QVERIFY(!named<UpDown>(f, "PrjSelect")->isEnabled());
    named<QPushButton>(f, "Button3")->click();
    QVERIFY(!shown(named<QStackedWidget>(f, "Wizard")));
    select(*w, 0);
    QVERIFY(triggerAction(f, "EditBtn"));
    QVERIFY(!named<UpDown>(f, "PrjSelect")->isEnabled());
    named<QPushButton>(f, "UtilBtn")->click();  // refused as a duplicate, still frees the selector
    QVERIFY(named<UpDown>(f, "PrjSelect")->isEnabled());

    // Delete mode hides Apply; the next mode shows it again.
    QVERIFY(triggerAction(f, "DeleteBtn"));
    QVERIFY(!shown(named<QPushButton>(f, "UtilBtn")));
    QVERIFY(triggerAction(f, "EditBtn"));
    QVERIFY(shown(named<QPushButton>(f, "UtilBtn")));
    QVERIFY(!named<QLineEdit>(f, "PrjDiscription")->isReadOnly());

    // An empty list in memory: page 4 keeps what it showed.
    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("typed"));
    named<QPushButton>(f, "Button3")->click();
    w->document().clear();
    const QString message = named<QLabel>(f, "Message4")->text();
    QVERIFY(triggerAction(f, "DeleteBtn"));
    QVERIFY(shown(named<QPushButton>(f, "UtilBtn")));
    QCOMPARE(named<QLabel>(f, "Message4")->text(), message);
    QVERIFY(!named<QLineEdit>(f, "PrjDiscription")->isReadOnly());
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), QStringLiteral("typed"));
    QVERIFY(!shown(named<QPushButton>(f, "Back4")));
}

void TestRecordEditing::numberBoxShowsPaddedNumberAndWholeDescription()
{
    TestEnvironment env;
    const QString longText = QStringLiteral("A description well beyond thirty characters, kept whole");
    env.writeFile(QStringLiteral("Projects.txt"),
                  TestEnvironment::listBytes({"007     " + longText, "008 Drifted separator"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QObject* f = &*w;
    select(*w, 0);
    QVERIFY(triggerAction(f, "EditBtn"));
    named<QLineEdit>(f, "Project")->clear();
    QTest::keyClicks(named<QLineEdit>(f, "Project"), QStringLiteral("7x"));
    QCOMPARE(named<QLineEdit>(f, "Project")->text(), QStringLiteral("7"));  // letters are not taken
    QCOMPARE(named<QLineEdit>(f, "CurrentProject")->text(), QStringLiteral("007"));
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), longText);
    // The arrows step on from the typed number.
    named<UpDown>(f, "PrjSelect")->stepUp();
    QCOMPARE(named<QLineEdit>(f, "Project")->text(), QStringLiteral("8"));
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), QStringLiteral("Drifted separator"));
    // Editing the long one without touching it keeps its tail.
    named<QLineEdit>(f, "Project")->setText(QStringLiteral("7"));
    named<QLineEdit>(f, "PrjDiscription")->setText(longText + QStringLiteral("!"));
    named<QPushButton>(f, "UtilBtn")->click();
    QCOMPARE(linesInMemory(*w)[0], QStringLiteral("007     ") + longText + QStringLiteral("!"));
}

void TestRecordEditing::applySortsCaseBlind()
{
    TestEnvironment env;
    // Loaded out of order: the first apply sorts the whole list.
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes({"003     c", "001     a", "002     B"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QObject* f = &*w;
    select(*w, 0);
    QVERIFY(triggerAction(f, "EditBtn"));
    named<QLineEdit>(f, "Project")->setText(QStringLiteral("2"));
    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("b"));
    named<QPushButton>(f, "UtilBtn")->click();
    QCOMPARE(linesInMemory(*w), (QStringList {"001     a", "002     b", "003     c"}));
    named<QLineEdit>(f, "Project")->setText(QStringLiteral("1"));
    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("Z"));
    named<QPushButton>(f, "UtilBtn")->click();
    QCOMPARE(linesInMemory(*w), (QStringList {"001     Z", "002     b", "003     c"}));
}

void TestRecordEditing::addAfterNineHundredNinetyNine()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes({"998     x", "999     Last three-digit"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QObject* f = &*w;
    QVERIFY(triggerAction(f, "AddBtn"));
    // Not the selector's 999, which would overwrite the last project.
    QCOMPARE(named<QLineEdit>(f, "CurrentProject")->text(), QStringLiteral("1000"));
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), QString());
    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("Four digits"));
    named<QPushButton>(f, "UtilBtn")->click();
    QCOMPARE(linesInMemory(*w), (QStringList {"998     x", "999     Last three-digit", "1000     Four digits"}));
}

QTEST_MAIN(TestRecordEditing)
#include "test_recordediting.moc"
