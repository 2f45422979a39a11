// The real main window guarding the list file: an edit made by another
// program before Finish (or the repair's Yes) is merged with ours, never
// overwritten, a deleted file is not silently made again, and applied changes
// are asked about before Exit, Load or Fix Errors would drop them. (What the
// watch tells of changes on disk: test_noticebar.)
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "testlists.h"
#include "widgetlookup.h"
#include "app/projectlistmodel.h"
#include "app/tvantorel.h"
#include "app/windowhost.h"
#include "document/projectlistdocument.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {

const QString recreateQuestion = QStringLiteral(
    "Project List Projects.txt was deleted by another program\r"
    "Create it again from the list in memory ?");
const QString unsavedQuestion = QStringLiteral(
    "The changes to the Project List Projects.txt are not saved\rSave them first ?");

const QStringList ourList = numberedDescriptions({"Harbour wall", "Garden shed", "Old pier"});

// Opens page 4 on project 2 and applies a new description, without Finish.
void applyNewDescription(TVantorel& w, const QString& description)
{
    named<QTableView>(&w, "Projects")->setCurrentIndex(w.parts().listModel->index(1, 0));
    QVERIFY(triggerAction(&w, "EditBtn"));
    named<QLineEdit>(&w, "PrjDiscription")->setText(description);
    named<QPushButton>(&w, "UtilBtn")->click();
}

QStringList ourListWith(const QString& second)
{
    QStringList lines = ourList;
    lines[1] = QStringLiteral("002     ") + second;
    return lines;
}

} // namespace

class TestListFileGuard : public QObject {
    Q_OBJECT
private slots:
    void externalEditBeforeFinish();
    void deletedFileBeforeFinish();
    void listReplacedByALinkBeforeFinish();
    void externalEditBeforeRepairSave();
    void exitWithAppliedChanges_data();
    void exitWithAppliedChanges();
    void loadAndRepairAskFirst();
    void wizardAsksBeforeItReplacesTheList();
};

void TestListFileGuard::externalEditBeforeFinish()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(ourList));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    applyNewDescription(*w, QStringLiteral("Tool shed"));

    // Another program adds a project meanwhile: Finish keeps both, asking nothing.
    const QByteArray theirs = TestEnvironment::listBytes(ourList + QStringList {"004     Their project"});
    env.writeFile(QStringLiteral("Projects.txt"), theirs);
    dialogs.clear();
    named<QPushButton>(&*w, "Next4")->click();
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")),
             TestEnvironment::listBytes(ourListWith(QStringLiteral("Tool shed")) + QStringList {"004     Their project"}));
    QCOMPARE(captionsShown(*w).size(), 4);
    QVERIFY(!w->document().hasUnsavedChanges());

    // Its own save is not someone else's change.
    dialogs.clear();
    applyNewDescription(*w, QStringLiteral("Boat house"));
    named<QPushButton>(&*w, "Next4")->click();
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")),
             TestEnvironment::listBytes(ourListWith(QStringLiteral("Boat house")) + QStringList {"004     Their project"}));
}

void TestListFileGuard::deletedFileBeforeFinish()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(ourList));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    applyNewDescription(*w, QStringLiteral("Tool shed"));
    QVERIFY(QFile::remove(env.path(QStringLiteral("Projects.txt"))));

    dialogs.clear();
    named<QPushButton>(&*w, "Next4")->click();
    QCOMPARE(dialogs.texts(), QStringList {recreateQuestion});
    QVERIFY(!QFile::exists(env.path(QStringLiteral("Projects.txt"))));

    dialogs.clear();
    dialogs.answers = {MessageButton::Ok};
    w->Next4Click();
    QCOMPARE(dialogs.texts(), QStringList {recreateQuestion});
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")),
             TestEnvironment::listBytes(ourListWith(QStringLiteral("Tool shed"))));
}

// Another program puts a link to another of the user's files where the list
// was: Finish names that file and writes nothing into it unless told to.
void TestListFileGuard::listReplacedByALinkBeforeFinish()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(ourList));
    const QByteArray notes = TestEnvironment::listBytes({QStringLiteral("Shopping: bread, milk")});
    env.writeFile(QStringLiteral("Notes.txt"), notes);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    applyNewDescription(*w, QStringLiteral("Tool shed"));
    QVERIFY(QFile::remove(env.path(QStringLiteral("Projects.txt"))));
    QVERIFY(QFile::link(env.path(QStringLiteral("Notes.txt")), env.path(QStringLiteral("Projects.txt"))));
    const QString question = QStringLiteral("Project List Projects.txt was changed by another program: it is now a link "
                                            "to %1\rOverwrite %1 ?")
                                 .arg(QFileInfo(env.path(QStringLiteral("Notes.txt"))).canonicalFilePath());

    dialogs.clear();
    named<QPushButton>(&*w, "Next4")->click();
    QCOMPARE(dialogs.texts(), QStringList {question});
    QCOMPARE(env.readFile(QStringLiteral("Notes.txt")), notes);
    QVERIFY(QFileInfo(env.path(QStringLiteral("Projects.txt"))).isSymLink());
    QVERIFY(w->document().hasUnsavedChanges());

    // Told to, the save goes into the file the link names, merged as any
    // list changed on disk; the link stays, and is asked about no more.
    dialogs.clear();
    dialogs.answers = {MessageButton::Ok};
    w->Next4Click();
    // Then what the merge did with a file that held none of our projects.
    QCOMPARE(dialogs.texts().value(0), question);
    QCOMPARE(dialogs.messages().size(), dialogs.texts().size() - 1);
    QVERIFY(QFileInfo(env.path(QStringLiteral("Projects.txt"))).isSymLink());
    QVERIFY(env.readFile(QStringLiteral("Notes.txt")).contains("002     Tool shed"));
    QVERIFY(!w->document().hasUnsavedChanges());
    dialogs.clear();
    applyNewDescription(*w, QStringLiteral("Boat house"));
    named<QPushButton>(&*w, "Next4")->click();
    QVERIFY(dialogs.shown.isEmpty());
    QVERIFY(env.readFile(QStringLiteral("Notes.txt")).contains("002     Boat house"));
}

void TestListFileGuard::externalEditBeforeRepairSave()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes({"1     Alpha", "002     Beta"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    // The file changes while the repair's question is open: Yes merges the
    // repaired list onto theirs, which took number 001 meanwhile.
    const QByteArray theirs = TestEnvironment::listBytes({"001     Theirs"});
    struct EditingDialogs : ScriptedDialogs {
        TestEnvironment* env = nullptr;
        QByteArray theirs;
        MessageButton ask(MessageKind kind, const QString& text, const QList<MessageButton>& buttons) override
        {
            if (text.endsWith(QStringLiteral("Click Yes to save changes")))
                env->writeFile(QStringLiteral("Projects.txt"), theirs);
            return ScriptedDialogs::ask(kind, text, buttons);
        }
    } editing;
    editing.env = &env;
    editing.theirs = theirs;
    editing.answers = {MessageButton::Yes};
    w->parts().host->setDialogs(&editing);
    QVERIFY(triggerAction(&*w, "FixErrors1"));
    QCOMPARE(editing.texts().size(), 2);
    QCOMPARE(editing.texts().last(), QStringLiteral("Project 001 was added by someone else meanwhile; yours is now project 002"));
    const QStringList merged {"001     Theirs", "002     Alpha"};
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(merged));
    QCOMPARE(linesInMemory(*w), merged);
}

void TestListFileGuard::exitWithAppliedChanges_data()
{
    QTest::addColumn<MessageButton>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("saved");
    QTest::newRow("Yes saves and closes") << MessageButton::Yes << true << true;
    QTest::newRow("No drops and closes") << MessageButton::No << true << false;
    QTest::newRow("Cancel stays") << MessageButton::Cancel << false << false;
}

void TestListFileGuard::exitWithAppliedChanges()
{
    QFETCH(MessageButton, answer);
    QFETCH(bool, closes);
    QFETCH(bool, saved);
    TestEnvironment env;
    const QByteArray before = TestEnvironment::listBytes(ourList);
    env.writeFile(QStringLiteral("Projects.txt"), before);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->show();
    // The record is removed and the wizard cancelled: the change is only in memory.
    named<QTableView>(&*w, "Projects")->setCurrentIndex(w->parts().listModel->index(0, 0));
    QVERIFY(triggerAction(&*w, "DeleteBtn"));
    dialogs.answers = {MessageButton::Ok};
    named<QPushButton>(&*w, "Remove")->click();
    named<QPushButton>(&*w, "Button3")->click();

    dialogs.clear();
    dialogs.answers = {answer};
    QVERIFY(triggerAction(&*w, "Exit1"));
    QCOMPARE(dialogs.texts(), QStringList {unsavedQuestion});
    QCOMPARE(dialogs.shown.first().buttons,
             (QList<MessageButton> {MessageButton::Yes, MessageButton::No, MessageButton::Cancel}));
    QCOMPARE(w->isVisible(), !closes);
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")),
             saved ? TestEnvironment::listBytes(ourList.mid(1)) : before);
    // Settings are written only by a close that happens.
    QCOMPARE(QFile::exists(env.settingsFile()), closes);
    if (closes)
        return;
    // Still open with the change in memory; a close after Finish asks nothing.
    QCOMPARE(linesInMemory(*w), ourList.mid(1));
    dialogs.clear();
    w->Next4Click();
    QVERIFY(w->close());
    QVERIFY(dialogs.shown.isEmpty());
}

void TestListFileGuard::loadAndRepairAskFirst()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(ourList));
    env.writeFile(QStringLiteral("Other.txt"), TestEnvironment::listBytes({"001     Other"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->show();
    applyNewDescription(*w, QStringLiteral("Tool shed"));
    named<QPushButton>(&*w, "Button3")->click();

    // Cancel: neither the other file nor the repair touches the list.
    dialogs.clear();
    dialogs.fileNames = {env.path(QStringLiteral("Other.txt"))};
    QVERIFY(triggerAction(&*w, "Load1"));
    QVERIFY(triggerAction(&*w, "FixErrors1"));
    QCOMPARE(dialogs.texts(QStringLiteral("ask")), (QStringList {unsavedQuestion, unsavedQuestion}));
    QCOMPARE(linesInMemory(*w), ourListWith(QStringLiteral("Tool shed")));
    QCOMPARE(w->document().currentListFile(), std::string("Projects.txt"));

    // No: the repair reads the file as it is on disk.
    dialogs.clear();
    dialogs.answers = {MessageButton::No};
    QVERIFY(triggerAction(&*w, "FixErrors1"));
    QCOMPARE(dialogs.texts(), (QStringList {unsavedQuestion, QStringLiteral("There were no Errors")}));
    QCOMPARE(linesInMemory(*w), ourList);

    // Yes: saved as Finish saves, then the other list is loaded.
    applyNewDescription(*w, QStringLiteral("Tool shed"));
    named<QPushButton>(&*w, "Button3")->click();
    dialogs.clear();
    dialogs.answers = {MessageButton::Yes};
    dialogs.fileNames = {env.path(QStringLiteral("Other.txt"))};
    QVERIFY(triggerAction(&*w, "Load1"));
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")),
             TestEnvironment::listBytes(ourListWith(QStringLiteral("Tool shed"))));
    QCOMPARE(linesInMemory(*w), QStringList {"001     Other"});
    QVERIFY(w->close());
}

void TestListFileGuard::wizardAsksBeforeItReplacesTheList()
{
    TestEnvironment env;
    const QString ours = env.path(QStringLiteral("Projects.txt"));
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(ourList));
    env.writeFile(QStringLiteral("Other.txt"), TestEnvironment::listBytes({"001     Other"}));
    env.writeSettings(QStringLiteral("[General]\nCurrent=%1\n").arg(ours));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QObject* f = &*w;
    applyNewDescription(*w, QStringLiteral("Tool shed"));
    named<QPushButton>(f, "Button3")->click();
    const QString unsaved = QStringLiteral("The changes to the Project List ") + ours
        + QStringLiteral(" are not saved\rSave them first ?");

    // Pages 1 to 3 on the other list of the same folder.
    QVERIFY(triggerAction(f, "New1"));
    named<QPushButton>(f, "Next1")->click();
    named<QLineEdit>(f, "Projectfilename")->setText(QStringLiteral("Other.txt"));
    named<QPushButton>(f, "Next2")->click();
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "page3"));

    // Editing it would read it in place of ours: Cancel stays on page 3.
    dialogs.clear();
    named<RadioGroup>(f, "Duplicatefile")->setItemIndex(0);
    named<QPushButton>(f, "Next3")->click();
    QCOMPARE(dialogs.texts(), QStringList {unsaved});
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "page3"));
    QCOMPARE(linesInMemory(*w), ourListWith(QStringLiteral("Tool shed")));
    QCOMPARE(w->document().currentListFile(), ours.toStdString());

    // A new list in its place empties the list in memory: No lets ours go.
    dialogs.clear();
    dialogs.answers = {MessageButton::No, MessageButton::Ok};
    named<RadioGroup>(f, "Duplicatefile")->setItemIndex(1);
    named<QPushButton>(f, "Next3")->click();
    QCOMPARE(dialogs.texts().size(), 2);
    QCOMPARE(dialogs.texts().first(), unsaved);
    QVERIFY(linesInMemory(*w).isEmpty());
    QCOMPARE(w->document().currentListFile(), env.path(QStringLiteral("Other.txt")).toStdString());
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(ourList));
}

QTEST_MAIN(TestListFileGuard)
#include "test_listfileguard.moc"
