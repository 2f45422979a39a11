// Adding, inserting, editing and removing projects through wizard page 4 of
// the real main window: the numbers each command opens on, the duplicate
// refusals, the order kept after an apply, the erase confirmation of a new
// list, the selector rules, and Finish writing the file or failing.
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "tvantorel.h"
#include "ui_tvantorel.h"

#include "projectlistmodel.h"
#include "wizardcontroller.h"

#include <QLabel>
#include <QtTest>

namespace {

QStringList numbered(const QStringList& descriptions)
{
    QStringList lines;
    for (int i = 0; i < descriptions.size(); ++i)
        lines << QStringLiteral("%1     %2").arg(i + 1, 3, 10, QLatin1Char('0')).arg(descriptions[i]);
    return lines;
}

QStringList memory(const TVantorel& w)
{
    QStringList out;
    for (std::string_view line : w.ProjectLines())
        out << QString::fromStdString(std::string(line));
    return out;
}

void select(TVantorel& w, int row)
{
    w.form()->Projects->setCurrentIndex(w.listModel()->index(row, 0));
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
    const QByteArray before = TestEnvironment::listBytes(numbered({"A", "B", "C", "D", "E"}));
    env.writeFile(QStringLiteral("Projects.txt"), before);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    Ui::TVantorel* f = w->form();

    f->AddBtn->trigger();
    QVERIFY(shown(f->Wizard));
    QCOMPARE(f->Wizard->currentWidget(), f->Page4);
    QCOMPARE(w->wizardPages().mode(), mdEdit);
    QCOMPARE(f->Project->text(), QStringLiteral("6"));
    QCOMPARE(f->CurrentProject->text(), QStringLiteral("006"));
    QCOMPARE(f->PrjDiscription->text(), QString());
    QVERIFY(!f->PrjDiscription->isReadOnly());
    QCOMPARE(f->Message4->text(), QStringLiteral("Editing Projects.txt"));
    QVERIFY(!f->PrjSelect->isEnabled());
    QVERIFY(!shown(f->Back4));

    f->PrjDiscription->setText(QStringLiteral("Quay steps"));
    f->UtilBtn->click();
    QCOMPARE(memory(*w).last(), QStringLiteral("006     Quay steps"));
    QCOMPARE(f->Pros->text(), QStringLiteral("6 Projects"));
    QVERIFY(f->PrjSelect->isEnabled());
    // Nothing on disk and nothing in the view until Finish.
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), before);
    QCOMPARE(w->listModel()->count(), 5);

    f->Next4->click();
    QVERIFY(!shown(f->Wizard));
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")),
             TestEnvironment::listBytes(numbered({"A", "B", "C", "D", "E", "Quay steps"})));
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
    w->form()->Addproject1->trigger();
    QCOMPARE(dialogs.messages(), QStringList {QStringLiteral("Error in Project List")});
    QVERIFY(!shown(w->form()->Wizard));

    // A negative last number: the message names the number, the stop and the text read.
    env.writeFile(QStringLiteral("neg.txt"), TestEnvironment::listBytes({"-5     Below zero"}));
    w->ShowListFile("neg.txt", true);
    dialogs.clear();
    w->form()->Addproject1->trigger();
    QCOMPARE(dialogs.messages(), QStringList {QStringLiteral("Add project Failed -4 Code = 3 -5  ")});
    QVERIFY(!shown(w->form()->Wizard));
}

void TestRecordEditing::editReplacesTheLine()
{
    TestEnvironment env;
    QStringList lines = numbered({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "Old pier", "13"});
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(lines));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    Ui::TVantorel* f = w->form();
    select(*w, 11);
    f->EditBtn->trigger();
    QCOMPARE(w->wizardPages().mode(), mdEdit);
    QCOMPARE(f->PrjSelect->position(), 12);
    QCOMPARE(f->CurrentProject->text(), QStringLiteral("012"));
    QCOMPARE(f->PrjDiscription->text(), QStringLiteral("Old pier"));
    QVERIFY(f->PrjSelect->isEnabled());

    f->PrjDiscription->setText(QStringLiteral("New pier"));
    f->UtilBtn->click();
    lines[11] = QStringLiteral("012     New pier");
    QCOMPARE(memory(*w), lines);
    QVERIFY(dialogs.shown.isEmpty());
}

void TestRecordEditing::duplicateRefusals()
{
    TestEnvironment env;
    const QStringList lines {"005     Bridge repair", "007     Harbour wall"};
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(lines));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    Ui::TVantorel* f = w->form();

    f->AddBtn->trigger();  // number 8, selector disabled
    for (const QString& text : {QStringLiteral("Bridge"), QStringLiteral("0")}) {
        f->PrjDiscription->setText(text);
        f->UtilBtn->click();
        QCOMPARE(dialogs.messages().last(), text + QStringLiteral(" is already in the list"));
        QCOMPARE(memory(*w), lines);
        // A refusal still refreshes the count and frees the selector.
        QVERIFY(f->PrjSelect->isEnabled());
        QCOMPARE(f->Pros->text(), QStringLiteral("2 Projects"));
    }

    // An unchanged description is found in its own line.
    select(*w, 1);
    f->EditBtn->trigger();
    QCOMPARE(f->PrjDiscription->text(), QStringLiteral("Harbour wall"));
    f->UtilBtn->click();
    QCOMPARE(dialogs.messages().last(), QStringLiteral("Harbour wall is already in the list"));
    QCOMPARE(memory(*w), lines);

    // With duplicates allowed the same text goes in.
    f->Allowduplicates->setChecked(true);
    f->Project->setText(QStringLiteral("8"));
    f->PrjDiscription->setText(QStringLiteral("Bridge"));
    dialogs.clear();
    f->UtilBtn->click();
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(memory(*w).last(), QStringLiteral("008     Bridge"));
}

void TestRecordEditing::insertBeforeFive()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"),
                  TestEnvironment::listBytes({"001     A", "002     B", "003     C", "005     E", "006     F"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    Ui::TVantorel* f = w->form();

    select(*w, 3);
    f->InsertBtn->trigger();
    QCOMPARE(w->wizardPages().mode(), mdInsert);
    QCOMPARE(f->Message4->text(), QStringLiteral("Inserting Project Projects.txt"));
    QCOMPARE(f->CurrentProject->text(), QStringLiteral("004"));
    QCOMPARE(f->PrjDiscription->text(), QString());
    QVERIFY(!f->PrjSelect->isEnabled());
    f->PrjDiscription->setText(QStringLiteral("Dock"));
    f->UtilBtn->click();
    QCOMPARE(memory(*w), (QStringList {"001     A", "002     B", "003     C", "004     Dock", "005     E", "006     F"}));

    // Project 4 now exists: Insert before 5 shows it and overwrites it.
    f->Next4->click();
    select(*w, 4);
    f->InsertBtn->trigger();
    QCOMPARE(f->PrjDiscription->text(), QStringLiteral("Dock"));
    f->PrjDiscription->setText(QStringLiteral("Dry dock"));
    f->UtilBtn->click();
    QCOMPARE(memory(*w).size(), 6);
    QCOMPARE(memory(*w)[3], QStringLiteral("004     Dry dock"));

    // An unknown number beyond the end of the list is appended, then sorted.
    f->Project->setText(QStringLiteral("40"));
    f->PrjDiscription->setText(QStringLiteral("Far out"));
    f->UtilBtn->click();
    QVERIFY(dialogs.errors().isEmpty());
    QCOMPARE(memory(*w).size(), 7);
    QCOMPARE(memory(*w).last(), QStringLiteral("040     Far out"));
}

void TestRecordEditing::insertBeforeOneFails()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes({"001     A", "002     B"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    select(*w, 0);
    w->form()->InsertProject1->trigger();
    QCOMPARE(dialogs.messages(), QStringList {QStringLiteral("Insert Project Prior to 0 Failed")});
    QVERIFY(!shown(w->form()->Wizard));
}

void TestRecordEditing::commandsNeedASelection()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes({"001     A"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    for (QAction* command : {w->form()->InsertBtn, w->form()->EditBtn, w->form()->DeleteBtn})
        command->trigger();
    QCOMPARE(dialogs.messages(), QStringList(3, QStringLiteral("No Project selected")));
    QVERIFY(!shown(w->form()->Wizard));
}

void TestRecordEditing::removeAsksFirst()
{
    TestEnvironment env;
    const QByteArray before = TestEnvironment::listBytes(numbered({"First", "Second", "Third"}));
    env.writeFile(QStringLiteral("Projects.txt"), before);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    Ui::TVantorel* f = w->form();
    select(*w, 2);
    f->RemoveProject1->trigger();
    QCOMPARE(w->wizardPages().mode(), mdDelete);
    QVERIFY(!shown(f->UtilBtn));
    QVERIFY(shown(f->Remove));
    QVERIFY(f->PrjDiscription->isReadOnly());
    QCOMPARE(f->Message4->text(), QStringLiteral("Deleting Project from Projects.txt"));
    QCOMPARE(f->UtilBtn->text(), QStringLiteral("Apply Changes"));

    dialogs.answers = {MessageButton::Abort};
    f->Remove->click();
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown[0].text, QStringLiteral("This will remove Third From the projects list\rAre you sure ?"));
    QCOMPARE(dialogs.shown[0].messageKind, MessageKind::Warning);
    QCOMPARE(dialogs.shown[0].buttons, (QList<MessageButton> {MessageButton::Ok, MessageButton::Abort}));
    QCOMPARE(memory(*w).size(), 3);

    dialogs.answers = {MessageButton::Ok};
    f->Remove->click();
    QCOMPARE(memory(*w), numbered({"First", "Second"}));
    QCOMPARE(f->Pros->text(), QStringLiteral("2 Projects"));
    QCOMPARE(f->PrjDiscription->text(), QString());
    QCOMPARE(f->PrjSelect->position(), 3);
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), before);

    // A number with no line: the list's own error, nothing removed.
    dialogs.answers = {MessageButton::Ok};
    f->Remove->click();
    QCOMPARE(dialogs.errors(), QStringList {QStringLiteral("List index out of bounds (-1)")});
    QCOMPARE(memory(*w).size(), 2);
}

void TestRecordEditing::newListConfirmation()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numbered({"A", "B"})));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    Ui::TVantorel* f = w->form();
    select(*w, 1);
    f->EditBtn->trigger();
    const QString message = f->Message4->text();
    const std::string path = env.path(QStringLiteral("Projects.txt")).toStdString();

    w->wizardPages().setMode(mdNewList);
    dialogs.answers = {MessageButton::Abort};
    QVERIFY(!w->wizardPages().SetupPage4(path));
    QCOMPARE(dialogs.texts(QStringLiteral("ask")),
             QStringList {QStringLiteral("Existing Project List ") + QString::fromStdString(path)
                          + QStringLiteral("\rWill be erased, Are you sure ?")});
    QCOMPARE(memory(*w).size(), 2);
    QCOMPARE(f->Message4->text(), message);
    QCOMPARE(w->CurrentListFile(), std::string("Projects.txt"));
    QCOMPARE(f->Wizard->currentWidget(), f->Page4);

    dialogs.answers = {MessageButton::Ok};
    QVERIFY(w->wizardPages().SetupPage4(path));
    QVERIFY(w->ProjectLines().empty());
    QCOMPARE(w->CurrentListFile(), path);
    QCOMPARE(f->Message4->text(), QStringLiteral("Creating New project list ") + QString::fromStdString(path));
    QCOMPARE(f->CurrentProject->text(), QStringLiteral("001"));
    QCOMPARE(f->PrjDiscription->text(), QString());
    // The file itself is only replaced by Finish.
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(numbered({"A", "B"})));
    f->PrjDiscription->setText(QStringLiteral("Fresh start"));
    f->UtilBtn->click();
    f->Next4->click();
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), QByteArray("001     Fresh start\r\n"));
}

void TestRecordEditing::finishThatFailsKeepsTheList()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numbered({"A", "B"})));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    Ui::TVantorel* f = w->form();
    f->AddBtn->trigger();
    f->PrjDiscription->setText(QStringLiteral("C"));
    f->UtilBtn->click();
    w->setCurrentListFile("no such folder/list.txt");
    f->Next4->click();
    QCOMPARE(dialogs.errors(), QStringList {QStringLiteral("Cannot create file no such folder/list.txt")});
    QVERIFY(!shown(f->Wizard));
    QCOMPARE(memory(*w), numbered({"A", "B", "C"}));
    QCOMPARE(w->listModel()->count(), 2);
}

void TestRecordEditing::selectorAndPageStateRules()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numbered({"A", "B", "C"})));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    Ui::TVantorel* f = w->form();

    // Add disables the selector; Cancel and Edit leave it so.
    f->AddBtn->trigger();
    QVERIFY(!f->PrjSelect->isEnabled());
    f->Button3->click();
    QVERIFY(!shown(f->Wizard));
    select(*w, 0);
    f->EditBtn->trigger();
    QVERIFY(!f->PrjSelect->isEnabled());
    f->UtilBtn->click();  // refused as a duplicate, still frees the selector
    QVERIFY(f->PrjSelect->isEnabled());

    // Delete mode hides Apply; the next mode shows it again.
    f->DeleteBtn->trigger();
    QVERIFY(!shown(f->UtilBtn));
    f->EditBtn->trigger();
    QVERIFY(shown(f->UtilBtn));
    QVERIFY(!f->PrjDiscription->isReadOnly());

    // An empty list in memory: page 4 keeps what it showed.
    f->PrjDiscription->setText(QStringLiteral("typed"));
    f->Button3->click();
    w->ProjectLines().clear();
    const QString message = f->Message4->text();
    f->DeleteBtn->trigger();
    QVERIFY(shown(f->UtilBtn));
    QCOMPARE(f->Message4->text(), message);
    QVERIFY(!f->PrjDiscription->isReadOnly());
    QCOMPARE(f->PrjDiscription->text(), QStringLiteral("typed"));
    QVERIFY(!shown(f->Back4));
}

void TestRecordEditing::numberBoxShowsPaddedNumberAndWholeDescription()
{
    TestEnvironment env;
    const QString longText = QStringLiteral("A description well beyond thirty characters, kept whole");
    env.writeFile(QStringLiteral("Projects.txt"),
                  TestEnvironment::listBytes({"007     " + longText, "008 Drifted separator"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    Ui::TVantorel* f = w->form();
    select(*w, 0);
    f->EditBtn->trigger();
    f->Project->clear();
    QTest::keyClicks(f->Project, QStringLiteral("7x"));
    QCOMPARE(f->Project->text(), QStringLiteral("7"));  // letters are not taken
    QCOMPARE(f->CurrentProject->text(), QStringLiteral("007"));
    QCOMPARE(f->PrjDiscription->text(), longText);
    // The arrows step on from the typed number.
    f->PrjSelect->stepUp();
    QCOMPARE(f->Project->text(), QStringLiteral("8"));
    QCOMPARE(f->PrjDiscription->text(), QStringLiteral("Drifted separator"));
    // Editing the long one without touching it keeps its tail.
    f->Project->setText(QStringLiteral("7"));
    f->PrjDiscription->setText(longText + QStringLiteral("!"));
    f->UtilBtn->click();
    QCOMPARE(memory(*w)[0], QStringLiteral("007     ") + longText + QStringLiteral("!"));
}

void TestRecordEditing::applySortsCaseBlind()
{
    TestEnvironment env;
    // Loaded out of order: the first apply sorts the whole list.
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes({"003     c", "001     a", "002     B"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    Ui::TVantorel* f = w->form();
    select(*w, 0);
    f->EditBtn->trigger();
    f->Project->setText(QStringLiteral("2"));
    f->PrjDiscription->setText(QStringLiteral("b"));
    f->UtilBtn->click();
    QCOMPARE(memory(*w), (QStringList {"001     a", "002     b", "003     c"}));
    f->Project->setText(QStringLiteral("1"));
    f->PrjDiscription->setText(QStringLiteral("Z"));
    f->UtilBtn->click();
    QCOMPARE(memory(*w), (QStringList {"001     Z", "002     b", "003     c"}));
}

void TestRecordEditing::addAfterNineHundredNinetyNine()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes({"998     x", "999     Last three-digit"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    Ui::TVantorel* f = w->form();
    f->AddBtn->trigger();
    // Not the selector's 999, which would overwrite the last project.
    QCOMPARE(f->CurrentProject->text(), QStringLiteral("1000"));
    QCOMPARE(f->PrjDiscription->text(), QString());
    f->PrjDiscription->setText(QStringLiteral("Four digits"));
    f->UtilBtn->click();
    QCOMPARE(memory(*w), (QStringList {"1000     Four digits", "998     x", "999     Last three-digit"}));
}

QTEST_MAIN(TestRecordEditing)
#include "test_recordediting.moc"
