// Search > "Project Number" and "Text" through the find dialog on the real
// main window, and the "Swap Table View" jump between list start and end.
#include "app/finddialog.h"
#include "testlists.h"
#include "app/projectlistmodel.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "app/tvantorel.h"

#include <QAction>
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QAbstractItemView>
#include <QtTest>

namespace {

const QStringList roadList = {
    QStringLiteral("001     Garden shed"),
    QStringLiteral("002     Ring Road survey"),
    QStringLiteral("003       Bridge "),
};

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void textHitWritesPanelsSelectsAndClosesDialog();
    void missKeepsDialogOpenAndViewAsItWas();
    void numberThatIsNoWholeNumberGivesBothMessages();
    void hitScrollsItemToTopAsFarAsViewAllows();
    void searchReadsCaptionEditedInPlace();
    void modeFollowsMenuItemWhileDialogOpen();
    void findTextAndOptionsSurviveAndStayWithin255Bytes();
    void jumpFlagWithoutStartupJump();
    void jumpFlagAfterStartupJump();
    void emptyListJumpOnlyFlipsAndSearchesMiss();
    void largerFontGivesLargerJump();

private:
    // Writes the list and settings, then starts and shows the main window.
    void open(const QStringList& lines, bool jumpAtStart = false);
    QAction* action(const char* name) const { return window->findChild<QAction*>(QLatin1String(name)); }
    TFindDialog* findDialog() const { return window->findChild<TFindDialog*>(QStringLiteral("FindDialog1")); }
    QAbstractItemView* projects() const { return window->findChild<QAbstractItemView*>(QStringLiteral("Projects")); }
    QString panel(int index) const { return window->statusPanel(index)->text(); }
    QList<int> selectedRows() const;
    int endFlag() const { return action("InvertList")->property("Tag").toInt(); }
    int scrollPosition() const { return projects()->verticalScrollBar()->value(); }
    // Opens the dialog from a Search menu item and presses "Find Next" with text.
    void search(const char* menuItem, const QString& text);

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<TVantorel> window;
};

void TestSearch::init()
{
    env = std::make_unique<TestEnvironment>();
    dialogs = std::make_unique<ScriptedDialogs>();
}

void TestSearch::cleanup()
{
    window.reset();
    dialogs.reset();
    env.reset();
}

void TestSearch::open(const QStringList& lines, bool jumpAtStart)
{
    env->writeSettings(QStringLiteral("[General]\nLast=%1\n").arg(jumpAtStart ? 1 : 0));
    env->writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(lines));
    window = startMainWindow(*dialogs);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->listModel()->count(), lines.size());
}

QList<int> TestSearch::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : projects()->selectionModel()->selectedRows())
        rows << index.row();
    return rows;
}

void TestSearch::search(const char* menuItem, const QString& text)
{
    action(menuItem)->trigger();
    QVERIFY(findDialog()->isVisible());
    findDialog()->findTextBox()->setText(text);
    findDialog()->findNextButton()->click();
}

void TestSearch::textHitWritesPanelsSelectsAndClosesDialog()
{
    open(roadList);
    search("Text1", QStringLiteral("road"));

    QVERIFY(dialogs->shown.isEmpty());
    QVERIFY(!findDialog()->isVisible());
    QCOMPARE(panel(2), QStringLiteral("002  "));
    QCOMPARE(panel(3), QStringLiteral("1"));
    QCOMPARE(panel(4), QStringLiteral(" Ring Road survey"));  // as displayed, not trimmed
    QCOMPARE(selectedRows(), QList<int>{1});
    QCOMPARE(projects()->currentIndex().row(), 1);

    // The dialog keeps the upper-cased text it searched for.
    action("Text1")->trigger();
    QCOMPARE(findDialog()->findText(), QStringLiteral("ROAD"));

    // Whole word: the blanks around "Bridge" are trimmed away.
    findDialog()->wholeWordBox()->setChecked(true);
    search("Text1", QStringLiteral("bridge"));
    QCOMPARE(panel(2), QStringLiteral("003  "));
    QCOMPARE(panel(3), QStringLiteral("2"));
    QCOMPARE(panel(4), QStringLiteral("   Bridge "));
    QCOMPARE(selectedRows(), QList<int>{2});
}

void TestSearch::missKeepsDialogOpenAndViewAsItWas()
{
    open(roadList);
    action("Text1")->trigger();
    findDialog()->matchCaseBox()->setChecked(true);
    search("Text1", QStringLiteral("road"));
    QCOMPARE(dialogs->messages(), QStringList{QStringLiteral("Search Failed (road)")});
    QVERIFY(findDialog()->isVisible());
    QCOMPARE(findDialog()->findText(), QStringLiteral("road"));

    // Without "Match case" the miss shows the text as upper-cased.
    dialogs->clear();
    findDialog()->matchCaseBox()->setChecked(false);
    search("Text1", QStringLiteral("roads"));
    QCOMPARE(dialogs->messages(), QStringList{QStringLiteral("Search Failed (ROADS)")});
    QVERIFY(findDialog()->isVisible());

    QCOMPARE(panel(2), QString());
    QCOMPARE(panel(3), QString());
    QCOMPARE(panel(4), QStringLiteral("Project Discription"));
    QVERIFY(selectedRows().isEmpty());
    QCOMPARE(scrollPosition(), 0);
}

void TestSearch::numberThatIsNoWholeNumberGivesBothMessages()
{
    open(numberedProjects(20, QStringLiteral("Project %1")));
    const struct {
        const char* text;
        QStringList messages;
    } cases[] = {
        {"12 ", {"Invalid project code 12", "Search Failed (12 )"}},
        {"12a", {"Invalid project code 12", "Search Failed (12a)"}},
        {"", {"Invalid project code 0", "Search Failed ()"}},
        {" 12", {"Search Failed ( 12)"}},
        {"$1F", {"Search Failed ($1F)"}},
    };
    for (const auto& c : cases) {
        dialogs->clear();
        search("ProjectNumber1", QString::fromLatin1(c.text));
        QCOMPARE(dialogs->messages(), c.messages);
        QVERIFY(findDialog()->isVisible());
        QCOMPARE(findDialog()->findText(), QString::fromLatin1(c.text));
    }
    QVERIFY(selectedRows().isEmpty());
    QCOMPARE(panel(2), QString());
    QCOMPARE(panel(4), QStringLiteral("Project Discription"));
}

void TestSearch::hitScrollsItemToTopAsFarAsViewAllows()
{
    open(numberedProjects(300, QStringLiteral("Project %1")));
    QAbstractItemView* view = projects();

    search("ProjectNumber1", QStringLiteral("150"));
    QCOMPARE(selectedRows(), QList<int>{149});
    QCOMPARE(view->indexAt(QPoint(1, 1)).row(), 149);
    QCOMPARE(view->visualRect(window->listModel()->index(149, 0)).top(), 0);

    // A hit above the first visible row scrolls the view up.
    search("ProjectNumber1", QStringLiteral("050"));
    QCOMPARE(view->indexAt(QPoint(1, 1)).row(), 49);

    // The last project cannot reach the top: the view ends at its last row.
    search("ProjectNumber1", QStringLiteral("300"));
    QCOMPARE(panel(3), QStringLiteral("299"));
    QCOMPARE(scrollPosition(), view->verticalScrollBar()->maximum());
    QVERIFY(view->viewport()->rect().contains(view->visualRect(window->listModel()->index(299, 0))));
}

void TestSearch::searchReadsCaptionEditedInPlace()
{
    open(numberedProjects(5, QStringLiteral("Project %1")));
    QAbstractItemModel* model = projects()->model();
    QVERIFY(model->setData(model->index(3, 0), QStringLiteral("777  "), Qt::EditRole));

    search("ProjectNumber1", QStringLiteral("777"));
    QVERIFY(dialogs->shown.isEmpty());
    QCOMPARE(panel(2), QStringLiteral("777  "));
    QCOMPARE(panel(3), QStringLiteral("3"));
    QCOMPARE(selectedRows(), QList<int>{3});

    search("ProjectNumber1", QStringLiteral("004"));
    QCOMPARE(dialogs->messages(), QStringList{QStringLiteral("Search Failed (004)")});
}

void TestSearch::modeFollowsMenuItemWhileDialogOpen()
{
    open(numberedProjects(20, QStringLiteral("Project %1")));
    action("Text1")->trigger();
    QCOMPARE(findDialog()->tag(), 1);
    findDialog()->findTextBox()->setText(QStringLiteral("012"));

    action("ProjectNumber1")->trigger();
    QVERIFY(findDialog()->isVisible());
    QCOMPARE(findDialog()->tag(), 0);
    QCOMPARE(findDialog()->property("Tag").toInt(), 0);
    QCOMPARE(findDialog()->findText(), QStringLiteral("012"));

    // "012" is in no description: only the number search finds it.
    findDialog()->findNextButton()->click();
    QVERIFY(dialogs->shown.isEmpty());
    QCOMPARE(panel(2), QStringLiteral("012  "));

    action("Text1")->trigger();
    QCOMPARE(findDialog()->tag(), 1);
    findDialog()->findTextBox()->setText(QStringLiteral("project 7"));
    findDialog()->findNextButton()->click();
    QCOMPARE(panel(2), QStringLiteral("007  "));
}

void TestSearch::findTextAndOptionsSurviveAndStayWithin255Bytes()
{
    open(roadList);
    action("Text1")->trigger();
    TFindDialog* dialog = findDialog();
    QVERIFY(!dialog->matchCase());
    QVERIFY(!dialog->wholeWord());
    QVERIFY(dialog->searchDown());
    dialog->findTextBox()->setText(QStringLiteral("Survey"));
    dialog->matchCaseBox()->setChecked(true);
    dialog->wholeWordBox()->setChecked(true);
    dialog->cancelButton()->click();
    QVERIFY(!dialog->isVisible());

    action("ProjectNumber1")->trigger();
    QCOMPARE(dialog->findText(), QStringLiteral("Survey"));
    QVERIFY(dialog->matchCase());
    QVERIFY(dialog->wholeWord());

    // Typing stops at 255 bytes; so does a text set whole, cut at a character.
    dialog->findTextBox()->clear();
    QTest::keyClicks(dialog->findTextBox(), QString(300, QLatin1Char('a')));
    QCOMPARE(dialog->findText().size(), 255);
    dialog->setFindText(QString(200, QChar(0xE9)));  // é is two bytes
    QCOMPARE(dialog->findText(), QString(127, QChar(0xE9)));
    QCOMPARE(dialog->findTextBytes().size(), std::size_t(254));
}

void TestSearch::jumpFlagWithoutStartupJump()
{
    open(numberedProjects(200, QStringLiteral("Project %1")));
    QScrollBar* bar = projects()->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(endFlag(), 0);

    action("InvertList")->trigger();
    QCOMPARE(endFlag(), 1);
    // The jump reaches the end however tall the rows are.
    QCOMPARE(scrollPosition(), bar->maximum());

    action("InvertList")->trigger();
    QCOMPARE(endFlag(), 0);
    QCOMPARE(scrollPosition(), 0);

    // A refill shows the first rows and leaves the flag alone: the next press
    // scrolls up without effect and clears it, the one after goes to the end.
    action("InvertList")->trigger();
    QVERIFY(scrollPosition() > 0);
    window->openList(window->CurrentListFile());
    QCOMPARE(endFlag(), 1);
    QCOMPARE(scrollPosition(), 0);
    action("InvertList")->trigger();
    QCOMPARE(endFlag(), 0);
    QCOMPARE(scrollPosition(), 0);
    action("InvertList")->trigger();
    QCOMPARE(endFlag(), 1);
    QVERIFY(scrollPosition() > 0);
}

void TestSearch::jumpFlagAfterStartupJump()
{
    open(numberedProjects(200, QStringLiteral("Project %1")), true);
    QVERIFY(window->startDelay()->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(endFlag(), 1, 5000);
    QVERIFY(!window->startDelay()->isActive());
    const int atEnd = scrollPosition();
    QVERIFY(atEnd > 0);

    // The start-up jump and the button share one distance.
    action("InvertList")->trigger();
    QCOMPARE(endFlag(), 0);
    QCOMPARE(scrollPosition(), 0);
    action("InvertList")->trigger();
    QCOMPARE(endFlag(), 1);
    QCOMPARE(scrollPosition(), atEnd);
}

void TestSearch::emptyListJumpOnlyFlipsAndSearchesMiss()
{
    open({});
    action("InvertList")->trigger();
    QCOMPARE(endFlag(), 1);
    QCOMPARE(scrollPosition(), 0);
    action("InvertList")->trigger();
    QCOMPARE(endFlag(), 0);

    search("ProjectNumber1", QStringLiteral("1"));
    search("Text1", QStringLiteral("road"));
    QCOMPARE(dialogs->messages(),
             (QStringList{QStringLiteral("Search Failed (1)"), QStringLiteral("Search Failed (ROAD)")}));
    QVERIFY(findDialog()->isVisible());
}

void TestSearch::largerFontGivesLargerJump()
{
    open(numberedProjects(1000, QStringLiteral("Project %1")));
    action("InvertList")->trigger();
    const int smallJump = scrollPosition();
    action("InvertList")->trigger();
    QCOMPARE(scrollPosition(), 0);

    QFont larger = projects()->font();
    larger.setPointSize(larger.pointSize() * 2);
    dialogs->fonts << larger;
    action("Font1")->trigger();
    QCOMPARE(QFontInfo(projects()->font()).pixelSize(), QFontInfo(larger).pixelSize());

    action("InvertList")->trigger();
    QCOMPARE(scrollPosition(), projects()->verticalScrollBar()->maximum());
    QVERIFY(scrollPosition() > smallJump);
}

QTEST_MAIN(TestSearch)
#include "test_search.moc"
