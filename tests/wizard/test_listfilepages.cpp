// The New Project wizard's pages 1 to 3 on the real main window: choosing,
// creating or keeping the project directory, naming the list file, the three
// situations of page 3, and above all that the file chosen there becomes the
// list in use with its own lines, so Finish never writes one file's lines
// over another file.
#include "scripteddialogs.h"
#include "testlists.h"
#include "widgetlookup.h"
#include "testenvironment.h"
#include "app/tvantorel.h"
#include "document/projectlistdocument.h"

#include "wizard/listfilechooser.h"
#include "app/projectlistmodel.h"
#include "wizard/wizardcontroller.h"

#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QtTest>

namespace {

bool shown(const QWidget* widget)
{
    return !widget->isHidden();
}

const QStringList listA {"001     Alpha one", "002     Alpha two"};
const QStringList listB {"001     Bravo one", "002     Bravo two", "003     Bravo three"};

// The main window on list A in the working folder, wizard open on page 1.
struct Wizard {
    TestEnvironment env;
    ScriptedDialogs dialogs;
    std::unique_ptr<TVantorel> w;
    QObject* f = nullptr;

    Wizard()
    {
        env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(listA));
        w = startMainWindow(dialogs);
        f = &*w;
        QVERIFY(triggerAction(f, "New1"));
    }
    ListFileChooser& chooser() { return w->parts().wizardPages->listFileChooser(); }
    // Writes a file, making its folder first.
    void write(const QString& name, const QByteArray& bytes)
    {
        QDir(env.workFolder()).mkpath(QFileInfo(name).path());
        env.writeFile(name, bytes);
    }
    // Page 1 "Select a Directory" answered with a file in folder.
    void selectDirectory(const QString& folder)
    {
        QDir(env.workFolder()).mkpath(folder);
        dialogs.fileNames = {env.path(folder + QStringLiteral("/any.txt"))};
        named<RadioGroup>(f, "Dirselect")->button(0)->click();
        named<QPushButton>(f, "Next1")->click();
    }
};

} // namespace

class TestListFilePages : public QObject {
    Q_OBJECT
private slots:
    void pageOneWithTheDefaultList();
    void pageOneWithAListInADirectory();
    void selectADirectory();
    void pageThreeSituations();
    void selectAnotherFilenameKeepsTheName();
    void browseOnPageTwoTakesTheName();
    void useThisFileQuitsWithItsLines();
    void createADirectory();
    void directoryFailuresStayOnPageOne();
    void editAnotherFileWritesItsOwnLines();
    void leavingWithoutAChoiceKeepsTheListInUse();
};

void TestListFilePages::pageOneWithTheDefaultList()
{
    Wizard wiz;
    QObject* f = wiz.f;
    QVERIFY(shown(named<QStackedWidget>(f, "Wizard")));
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "Page1"));
    QCOMPARE(named<QLabel>(f, "Message1")->text(), QStringLiteral("No project Directory is assigned"));
    QCOMPARE(named<RadioGroup>(f, "Dirselect")->items(),
             (QStringList {QStringLiteral("Select a Directory"), QStringLiteral("Create a New Directory")}));
    QCOMPARE(named<RadioGroup>(f, "Dirselect")->itemIndex(), -1);
    QVERIFY(!named<QPushButton>(f, "Next1")->isEnabled());
    named<RadioGroup>(f, "Dirselect")->button(1)->click();
    QVERIFY(named<QPushButton>(f, "Next1")->isEnabled());
    // Cancel hides the wizard and keeps its texts.
    named<QPushButton>(f, "Cancel1")->click();
    QVERIFY(!shown(named<QStackedWidget>(f, "Wizard")));
    QCOMPARE(named<QLabel>(f, "Message1")->text(), QStringLiteral("No project Directory is assigned"));
}

void TestListFilePages::pageOneWithAListInADirectory()
{
    Wizard wiz;
    QObject* f = wiz.f;
    named<QPushButton>(f, "Cancel1")->click();
    const QString jobs = wiz.env.path(QStringLiteral("Jobs"));
    wiz.w->document().setCurrentListFile((jobs + QStringLiteral("/projects.txt")).toStdString());
    QVERIFY(triggerAction(f, "New1"));
    QCOMPARE(named<QLabel>(f, "Message1")->text(), QStringLiteral("The Project Directory is Currently ") + jobs);
    QCOMPARE(named<RadioGroup>(f, "Dirselect")->items().size(), 3);
    QCOMPARE(named<RadioGroup>(f, "Dirselect")->items()[0], QStringLiteral("Select another Directory"));
    QCOMPARE(named<RadioGroup>(f, "Dirselect")->items()[2], QStringLiteral("Use the current Directory"));
    QCOMPARE(named<RadioGroup>(f, "Dirselect")->itemIndex(), 2);
    QVERIFY(named<QPushButton>(f, "Next1")->isEnabled());
    named<QPushButton>(f, "Next1")->click();
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "Page2"));
    QCOMPARE(named<QLineEdit>(f, "ProjectDirectory")->text(), jobs);
    QCOMPARE(named<QLineEdit>(f, "Projectfilename")->text(), QStringLiteral("projects.txt"));
    QCOMPARE(wiz.chooser().listPath(), (jobs + QStringLiteral("/projects.txt")).toStdString());
    QVERIFY(wiz.dialogs.shown.isEmpty());

    // A list in the root: the root is the directory, with one separator.
    named<QPushButton>(f, "Cancel2")->click();
    wiz.w->document().setCurrentListFile("/projects.txt");
    QVERIFY(triggerAction(f, "New1"));
    QCOMPARE(named<QLabel>(f, "Message1")->text(), QStringLiteral("The Project Directory is Currently /"));
    named<QPushButton>(f, "Next1")->click();
    QCOMPARE(named<QLineEdit>(f, "ProjectDirectory")->text(), QStringLiteral("/"));
    QCOMPARE(wiz.chooser().listPath(), std::string("/projects.txt"));
}

void TestListFilePages::selectADirectory()
{
    Wizard wiz;
    QObject* f = wiz.f;
    // Cancelling the dialog stays on page 1.
    named<RadioGroup>(f, "Dirselect")->button(0)->click();
    named<QPushButton>(f, "Next1")->click();
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "Page1"));
    QCOMPARE(wiz.dialogs.fileDialogs.size(), 1);
    const FileDialogOptions& options = wiz.dialogs.fileDialogs[0];
    QCOMPARE(options.initialFolder, QDir::currentPath());
    QCOMPARE(options.fileName, QStringLiteral("projects.txt"));
    QCOMPARE(options.filter, QStringLiteral("Project List File [*.txt]|*.txt|Any file |*.*"));
    QCOMPARE(options.defaultExtension, QStringLiteral("txt"));
    QVERIFY(!options.mustExist);

    wiz.selectDirectory(QStringLiteral("Work"));
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "Page2"));
    const QString work = wiz.env.path(QStringLiteral("Work"));
    QCOMPARE(wiz.chooser().projectDir(), work.toStdString());
    QCOMPARE(named<QLineEdit>(f, "ProjectDirectory")->text(), work);
    QCOMPARE(wiz.chooser().listPath(), (work + QStringLiteral("/projects.txt")).toStdString());
}

void TestListFilePages::pageThreeSituations()
{
    Wizard wiz;
    QObject* f = wiz.f;
    wiz.selectDirectory(QStringLiteral("Dir"));

    named<QPushButton>(f, "Next2")->click();
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "page3"));
    QCOMPARE(named<QLabel>(f, "Message3")->text(), QStringLiteral("No Project file\rexists in this directory"));
    QCOMPARE(named<RadioGroup>(f, "Duplicatefile")->items(), (QStringList {QStringLiteral("Start new project list projects.txt"),
                                                      QStringLiteral("Select another filename")}));
    QCOMPARE(named<RadioGroup>(f, "Duplicatefile")->itemIndex(), 0);
    QCOMPARE(named<QPushButton>(f, "Next3")->property("Tag").toInt(), 3);

    const QString unknownMessage = QStringLiteral(
        "An unknown or empty file with the same name as your Projects list\rexists in this directory ");
    for (const QByteArray& content : {QByteArray("Job list\r\n001     x\r\n"), QByteArray(), QByteArray("12x\r\n")}) {
        wiz.write(QStringLiteral("Dir/projects.txt"), content);
        named<QPushButton>(f, "Back3")->click();
        named<QPushButton>(f, "Next2")->click();
        QCOMPARE(named<QLabel>(f, "Message3")->text(), unknownMessage + (content.startsWith("12") ? "12" : "0"));
        QCOMPARE(named<RadioGroup>(f, "Duplicatefile")->items(),
                 (QStringList {QStringLiteral("Overwrite it "), QStringLiteral("Select another filename")}));
        QCOMPARE(named<RadioGroup>(f, "Duplicatefile")->itemIndex(), 1);
        QCOMPARE(named<QPushButton>(f, "Next3")->property("Tag").toInt(), 1);
    }

    wiz.write(QStringLiteral("Dir/projects.txt"), TestEnvironment::listBytes(listB));
    named<QPushButton>(f, "Back3")->click();
    named<QPushButton>(f, "Next2")->click();
    QCOMPARE(named<QLabel>(f, "Message3")->text(), QStringLiteral("A Project file with the same name as your\rProjects list "
                                                 "(projects.txt) exists in this directory"));
    QCOMPARE(named<RadioGroup>(f, "Duplicatefile")->items(),
             (QStringList {QStringLiteral("Append or Edit Project list"),
                           QStringLiteral("Start new project list using this file"),
                           QStringLiteral("Select another filename"), QStringLiteral("Use this file, Quit the Wizard")}));
    QCOMPARE(named<RadioGroup>(f, "Duplicatefile")->itemIndex(), 0);
    QCOMPARE(named<QPushButton>(f, "Next3")->property("Tag").toInt(), 2);
    QVERIFY(wiz.dialogs.errors().isEmpty());
}

void TestListFilePages::selectAnotherFilenameKeepsTheName()
{
    Wizard wiz;
    QObject* f = wiz.f;
    wiz.selectDirectory(QStringLiteral("Dir"));
    named<QLineEdit>(f, "Projectfilename")->setText(QStringLiteral("mine.txt"));
    named<QPushButton>(f, "Next2")->click();
    QCOMPARE(named<RadioGroup>(f, "Duplicatefile")->items()[0], QStringLiteral("Start new project list mine.txt"));
    named<RadioGroup>(f, "Duplicatefile")->setItemIndex(1);
    named<QPushButton>(f, "Next3")->click();
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "Page2"));
    QCOMPARE(named<QLineEdit>(f, "Projectfilename")->text(), QStringLiteral("mine.txt"));
    QCOMPARE(wiz.w->document().currentListFile(), std::string("Projects.txt"));
    // Back on page 2 rebuilds page 1 from the list in use.
    named<QPushButton>(f, "Back2")->click();
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "Page1"));
    QCOMPARE(named<RadioGroup>(f, "Dirselect")->itemIndex(), -1);
    QCOMPARE(named<QLineEdit>(f, "Projectfilename")->text(), QStringLiteral("mine.txt"));
}

void TestListFilePages::browseOnPageTwoTakesTheName()
{
    Wizard wiz;
    QObject* f = wiz.f;
    wiz.selectDirectory(QStringLiteral("Dir"));
    wiz.dialogs.fileNames = {QStringLiteral("/elsewhere/entirely/named.txt")};
    named<QPushButton>(f, "Browse")->click();
    QCOMPARE(wiz.dialogs.fileDialogs.last().initialFolder, wiz.env.path(QStringLiteral("Dir")));
    QCOMPARE(named<QLineEdit>(f, "Projectfilename")->text(), QStringLiteral("named.txt"));
    QCOMPARE(named<QLineEdit>(f, "ProjectDirectory")->text(), wiz.env.path(QStringLiteral("Dir")));
    // Cancelled: nothing changes.
    named<QPushButton>(f, "Browse")->click();
    QCOMPARE(named<QLineEdit>(f, "Projectfilename")->text(), QStringLiteral("named.txt"));
}

void TestListFilePages::useThisFileQuitsWithItsLines()
{
    Wizard wiz;
    QObject* f = wiz.f;
    wiz.write(QStringLiteral("Other/projects.txt"), QByteArray());
    wiz.selectDirectory(QStringLiteral("Other"));
    wiz.write(QStringLiteral("Other/projects.txt"), TestEnvironment::listBytes(listB));
    named<QPushButton>(f, "Next2")->click();
    named<RadioGroup>(f, "Duplicatefile")->setItemIndex(3);
    named<QPushButton>(f, "Next3")->click();
    QVERIFY(!shown(named<QStackedWidget>(f, "Wizard")));
    const std::string path = wiz.env.path(QStringLiteral("Other/projects.txt")).toStdString();
    QCOMPARE(wiz.w->document().currentListFile(), path);
    QCOMPARE(linesInMemory(*wiz.w), listB);
    QCOMPARE(wiz.w->parts().listModel->count(), 3);
    QCOMPARE(wiz.w->parts().statusPanel(1)->text(), QStringLiteral("3"));
}

void TestListFilePages::createADirectory()
{
    Wizard wiz;
    QObject* f = wiz.f;
    const QString work = QDir(wiz.env.workFolder()).canonicalPath();
    QDir(work).mkpath(QStringLiteral("Parent"));
    wiz.dialogs.fileNames = {work + QStringLiteral("/Parent/x.txt")};
    wiz.dialogs.inputs = {QStringLiteral("NewDir")};
    named<RadioGroup>(f, "Dirselect")->button(1)->click();
    named<QPushButton>(f, "Next1")->click();
    QCOMPARE(wiz.dialogs.texts(QStringLiteral("input")),
             QStringList {QStringLiteral("New Folder|Enter New Folder Name|") + work + QStringLiteral("/Parent")});
    QCOMPARE(QDir::currentPath(), work + QStringLiteral("/Parent"));
    QVERIFY(QFileInfo(work + QStringLiteral("/Parent/NewDir")).isDir());
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "Page2"));
    QCOMPARE(named<QLineEdit>(f, "ProjectDirectory")->text(), work + QStringLiteral("/Parent/NewDir"));
    // The list in use, named relative to the old working folder, still is the same file.
    QCOMPARE(QString::fromStdString(wiz.w->document().currentListFile()), work + QStringLiteral("/Projects.txt"));

    // A cancelled input box takes the folder offered; the dialog opens where it was left.
    named<QPushButton>(f, "Back2")->click();
    named<RadioGroup>(f, "Dirselect")->button(1)->click();
    wiz.dialogs.fileNames = {work + QStringLiteral("/Parent/y.txt")};
    named<QPushButton>(f, "Next1")->click();
    QCOMPARE(wiz.dialogs.fileDialogs.last().initialFolder, work + QStringLiteral("/Parent"));
    QCOMPARE(wiz.dialogs.fileDialogs.last().fileName, QStringLiteral("x.txt"));
    QCOMPARE(named<QLineEdit>(f, "ProjectDirectory")->text(), work + QStringLiteral("/Parent"));
    QVERIFY(wiz.dialogs.errors().isEmpty());
}

void TestListFilePages::directoryFailuresStayOnPageOne()
{
    Wizard wiz;
    QObject* f = wiz.f;
    const QString work = QDir(wiz.env.workFolder()).canonicalPath();
    // One level only: a folder whose parent does not exist is not made.
    wiz.dialogs.fileNames = {work + QStringLiteral("/x.txt")};
    wiz.dialogs.inputs = {QStringLiteral("missing/child")};
    named<RadioGroup>(f, "Dirselect")->button(1)->click();
    named<QPushButton>(f, "Next1")->click();
    QCOMPARE(wiz.dialogs.errors(), QStringList {QStringLiteral("No such file or directory")});
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "Page1"));
    QCOMPARE(named<QLineEdit>(f, "ProjectDirectory")->text(), QString());
    QVERIFY(!QFileInfo::exists(work + QStringLiteral("/missing")));

    // A folder that cannot be entered: reported before the input box.
    wiz.dialogs.clear();
    wiz.dialogs.fileNames = {work + QStringLiteral("/gone/x.txt")};
    named<QPushButton>(f, "Next1")->click();
    QCOMPARE(wiz.dialogs.errors(), QStringList {QStringLiteral("No such file or directory")});
    QVERIFY(wiz.dialogs.texts(QStringLiteral("input")).isEmpty());
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "Page1"));
}

void TestListFilePages::editAnotherFileWritesItsOwnLines()
{
    Wizard wiz;
    QObject* f = wiz.f;
    wiz.write(QStringLiteral("Other/projects.txt"), TestEnvironment::listBytes(listB));
    wiz.selectDirectory(QStringLiteral("Other"));
    named<QPushButton>(f, "Next2")->click();
    QCOMPARE(named<RadioGroup>(f, "Duplicatefile")->itemIndex(), 0);  // "Append or Edit Project list"
    named<QPushButton>(f, "Next3")->click();
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "Page4"));
    QVERIFY(shown(named<QPushButton>(f, "Back4")));
    QCOMPARE(wiz.w->parts().wizardPages->mode(), mdEdit);
    const QString other = wiz.env.path(QStringLiteral("Other/projects.txt"));
    QCOMPARE(named<QLabel>(f, "Message4")->text(), QStringLiteral("Editing ") + other);
    QCOMPARE(linesInMemory(*wiz.w), listB);
    QCOMPARE(wiz.w->parts().listModel->count(), 3);

    named<QLineEdit>(f, "Project")->setText(QStringLiteral("4"));
    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("Bravo four"));
    named<QPushButton>(f, "UtilBtn")->click();
    named<QPushButton>(f, "Next4")->click();
    QCOMPARE(wiz.env.readFile(QStringLiteral("Other/projects.txt")),
             TestEnvironment::listBytes(listB + QStringList {"004     Bravo four"}));
    QCOMPARE(wiz.env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(listA));

    // Back on page 4 goes to page 3 prepared again.
    QVERIFY(triggerAction(f, "New1"));
    named<QPushButton>(f, "Next1")->click();  // "Use the current Directory"
    named<QPushButton>(f, "Next2")->click();
    named<QPushButton>(f, "Next3")->click();
    named<QPushButton>(f, "Back4")->click();
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "page3"));
    QCOMPARE(named<QPushButton>(f, "Next3")->property("Tag").toInt(), 2);
}

void TestListFilePages::leavingWithoutAChoiceKeepsTheListInUse()
{
    Wizard wiz;
    QObject* f = wiz.f;
    wiz.write(QStringLiteral("Other/projects.txt"), TestEnvironment::listBytes(listB));
    wiz.selectDirectory(QStringLiteral("Other"));
    named<QPushButton>(f, "Next2")->click();

    // A new list over the existing file, refused.
    named<RadioGroup>(f, "Duplicatefile")->setItemIndex(1);
    wiz.dialogs.answers = {MessageButton::Abort};
    named<QPushButton>(f, "Next3")->click();
    QCOMPARE(wiz.dialogs.texts(QStringLiteral("ask")).size(), 1);
    QCOMPARE(wiz.w->document().currentListFile(), std::string("Projects.txt"));
    QCOMPARE(linesInMemory(*wiz.w), listA);

    // Back to page 2, then Cancel.
    named<QPushButton>(f, "Back4")->click();
    named<RadioGroup>(f, "Duplicatefile")->setItemIndex(2);
    named<QPushButton>(f, "Next3")->click();
    QCOMPARE(named<QStackedWidget>(f, "Wizard")->currentWidget(), named<QWidget>(f, "Page2"));
    named<QPushButton>(f, "Cancel2")->click();
    QCOMPARE(wiz.w->document().currentListFile(), std::string("Projects.txt"));
    QCOMPARE(linesInMemory(*wiz.w), listA);

    // Accepted: the new list is for the chosen file and starts empty.
    QVERIFY(triggerAction(f, "New1"));
    wiz.selectDirectory(QStringLiteral("Other"));
    named<QPushButton>(f, "Next2")->click();
    named<RadioGroup>(f, "Duplicatefile")->setItemIndex(1);
    wiz.dialogs.answers = {MessageButton::Ok};
    named<QPushButton>(f, "Next3")->click();
    QCOMPARE(wiz.w->document().currentListFile(), wiz.env.path(QStringLiteral("Other/projects.txt")).toStdString());
    QVERIFY(wiz.w->document().lines().empty());
    named<QPushButton>(f, "Next4")->click();
    QCOMPARE(wiz.env.readFile(QStringLiteral("Other/projects.txt")), QByteArray());
    QCOMPARE(wiz.env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(listA));
}

QTEST_MAIN(TestListFilePages)
#include "test_listfilepages.moc"
