// The panels from the keyboard alone: Tab leaving the list and walking the
// shown panel in reading order, a panel taking the focus when it opens and
// giving it back to the list when it closes, Escape and Enter on the panels,
// the number box stepping with the arrow keys, the caption edited in place.
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "testlists.h"
#include "widgetlookup.h"

#include "app/tvantorel.h"
#include "app/windowhost.h"
#include "app/projectlistmodel.h"

#include <QApplication>
#include <QRadioButton>
#include <QtTest>

class TestPanelKeyboard : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void wholeEditByKeyboardAlone();
    void tabLeavesTheListAndWalksThePanelInReadingOrder();
    void wizardPagesOneToThreeByKeyboard();
    void escapeClosesEitherPanel();
    void enterOnPage4AppliesOnlyWhenApplyIsShown();
    void numberBoxStepsWithUpAndDown();
    void f2AndAClickEditTheCaptionInPlace();

private:
    void open(const QStringList& lines);
    // Names of the controls Tab (or Shift+Tab) reaches, one press each.
    QStringList tabWalk(int steps, bool backwards = false);
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<TVantorel> window;
};

void TestPanelKeyboard::init()
{
    env = std::make_unique<TestEnvironment>();
    dialogs = std::make_unique<ScriptedDialogs>();
}

void TestPanelKeyboard::cleanup()
{
    window.reset();
    dialogs.reset();
    env.reset();
}

void TestPanelKeyboard::open(const QStringList& lines)
{
    env->writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(lines));
    window = startMainWindow(*dialogs);
    window->show();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(window.get()));
    named(window.get(), "Projects")->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), named(window.get(), "Projects"));
}

QStringList TestPanelKeyboard::tabWalk(int steps, bool backwards)
{
    QStringList names;
    for (int i = 0; i < steps; ++i) {
        QTest::keyClick(QApplication::focusWidget(), backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QWidget* w = QApplication::focusWidget();
        names << (w ? w->objectName() : QStringLiteral("(none)"));
    }
    return names;
}

namespace {

const QStringList threeProjects = {
    QStringLiteral("004     Garden shed"),
    QStringLiteral("007     Ring Road survey"),
    QStringLiteral("009     Bridge"),
};

QWidget* focused()
{
    return QApplication::focusWidget();
}

} // namespace

void TestPanelKeyboard::press(int key, Qt::KeyboardModifiers modifiers)
{
    QVERIFY(focused());
    QTest::keyClick(focused(), Qt::Key(key), modifiers);
}

void TestPanelKeyboard::wholeEditByKeyboardAlone()
{
    open(threeProjects);
    press(Qt::Key_Down);
    QCOMPARE(named<QTableView>(window.get(), "Projects")->currentIndex().row(), 1);
    press(Qt::Key_Return);
    QVERIFY(named(window.get(), "Wizard")->isVisible());
    QCOMPARE(focused(), named(window.get(), "PrjDiscription"));
    QCOMPARE(named<QLineEdit>(window.get(), "PrjDiscription")->text(), QStringLiteral("Ring Road survey"));

    press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(focused(), QStringLiteral("Ring Road bridge"));
    press(Qt::Key_Return);
    QCOMPARE(linesInMemory(*window).at(1), QStringLiteral("007     Ring Road bridge"));
    QVERIFY(named(window.get(), "Wizard")->isVisible());

    // Finish is reached by Tab alone, and Enter presses it.
    for (int i = 0; i < 10 && focused() != named(window.get(), "Next4"); ++i)
        press(Qt::Key_Tab);
    QCOMPARE(focused(), named(window.get(), "Next4"));
    press(Qt::Key_Return);
    QVERIFY(!named(window.get(), "Wizard")->isVisible());
    QCOMPARE(env->readFile(QStringLiteral("Projects.txt")),
             TestEnvironment::listBytes({threeProjects[0], QStringLiteral("007     Ring Road bridge"), threeProjects[2]}));
    QCOMPARE(focused(), named(window.get(), "Projects"));
}

void TestPanelKeyboard::tabLeavesTheListAndWalksThePanelInReadingOrder()
{
    open(threeProjects);
    // With no panel shown the list is the window's only stop.
    QCOMPARE(tabWalk(1), QStringList{QStringLiteral("Projects")});

    QVERIFY(triggerAction(window.get(), "General1"));
    QCOMPARE(focused()->parentWidget(), named(window.get(), "OptionsTabs"));  // its tabs
    named<QTabWidget>(window.get(), "OptionsTabs")->setCurrentIndex(0);
    named(window.get(), "Projects")->setFocus();
    const QStringList general = {QStringLiteral("qt_tabwidget_tabbar"), QStringLiteral("Autofix"),
                                 QStringLiteral("MaximiseApp"), QStringLiteral("DisplayAllErrors"),
                                 QStringLiteral("JumptoLast"), QStringLiteral("Allowduplicates"),
                                 QStringLiteral("CloseTabs"), QStringLiteral("Projects")};
    QCOMPARE(tabWalk(8), general);
    QStringList backwards = general;
    std::reverse(backwards.begin(), backwards.end() - 1);
    QCOMPARE(tabWalk(8, true), backwards);

    // Wizard page 4, opened for an edit: number, shown number, description, buttons.
    named<QTableView>(window.get(), "Projects")->setCurrentIndex(window->parts().listModel->index(0, 0));
    QVERIFY(triggerAction(window.get(), "EditProject1"));
    QCOMPARE(tabWalk(9), (QStringList{QStringLiteral("UtilBtn"), QStringLiteral("Remove"), QStringLiteral("Help4"),
                                      QStringLiteral("Button3"), QStringLiteral("Next4"), QStringLiteral("Projects"),
                                      QStringLiteral("Project"), QStringLiteral("CurrentProject"),
                                      QStringLiteral("PrjDiscription")}));
}

void TestPanelKeyboard::wizardPagesOneToThreeByKeyboard()
{
    open(threeProjects);
    QVERIFY(triggerAction(window.get(), "New1"));
    // Page 1: the first choice has the focus, Enter does nothing until Next is enabled.
    auto* choices = named<RadioGroup>(window.get(), "Dirselect");
    QCOMPARE(focused(), static_cast<QWidget*>(choices->button(0)));
    press(Qt::Key_Return);
    QVERIFY(named(window.get(), "Page1")->isVisible());
    QCOMPARE(tabWalk(3), (QStringList{QStringLiteral("HelpBtn"), QStringLiteral("Cancel1"), QStringLiteral("Projects")}));
    press(Qt::Key_Tab);
    press(Qt::Key_Space);  // chooses "Select a Directory"
    QVERIFY(named(window.get(), "Next1")->isEnabled());
    QCOMPARE(tabWalk(4, true), (QStringList{QStringLiteral("Projects"), QStringLiteral("Next1"),
                                            QStringLiteral("Cancel1"), QStringLiteral("HelpBtn")}));
    press(Qt::Key_Tab, Qt::ShiftModifier);
    dialogs->fileNames << env->path(QStringLiteral("Projects.txt"));
    press(Qt::Key_Return);

    // Page 2: the directory box first; the notes are no stops.
    QVERIFY(named(window.get(), "Page2")->isVisible());
    QCOMPARE(focused(), named(window.get(), "ProjectDirectory"));
    QCOMPARE(tabWalk(8), (QStringList{QStringLiteral("Projectfilename"), QStringLiteral("Browse"),
                                      QStringLiteral("Button2"), QStringLiteral("Cancel2"), QStringLiteral("Back2"),
                                      QStringLiteral("Next2"), QStringLiteral("Projects"),
                                      QStringLiteral("ProjectDirectory")}));
    named<QLineEdit>(window.get(), "Projectfilename")->setText(QStringLiteral("Projects.txt"));
    press(Qt::Key_Return);

    // Page 3: the chosen choice first; Enter goes on to page 4.
    QVERIFY(named(window.get(), "page3")->isVisible());
    auto* duplicate = named<RadioGroup>(window.get(), "Duplicatefile");
    QCOMPARE(focused(), static_cast<QWidget*>(duplicate->button(duplicate->itemIndex())));
    QCOMPARE(tabWalk(6), (QStringList{QStringLiteral("Help3"), QStringLiteral("Cancel3"), QStringLiteral("Back3"),
                                      QStringLiteral("Next3"), QStringLiteral("Projects"), QString()}));
    press(Qt::Key_Return);
    QVERIFY(named(window.get(), "Page4")->isVisible());
    QCOMPARE(focused(), named(window.get(), "PrjDiscription"));
}

void TestPanelKeyboard::escapeClosesEitherPanel()
{
    open(threeProjects);
    QVERIFY(triggerAction(window.get(), "General1"));
    press(Qt::Key_Tab);
    QCOMPARE(focused(), named(window.get(), "Spacing"));
    press(Qt::Key_Escape);
    QVERIFY(!named(window.get(), "OptionsTabs")->isVisible());
    QCOMPARE(focused(), named(window.get(), "Projects"));

    // Escape on page 4 is Cancel: what was applied stays, nothing is saved.
    const QByteArray onDisk = env->readFile(QStringLiteral("Projects.txt"));
    press(Qt::Key_Down);
    press(Qt::Key_Up);
    press(Qt::Key_Return);
    QCOMPARE(focused(), named(window.get(), "PrjDiscription"));
    QTest::keyClicks(focused(), QStringLiteral(" north"));
    press(Qt::Key_Return);
    press(Qt::Key_Escape);
    QVERIFY(!named(window.get(), "Wizard")->isVisible());
    QCOMPARE(focused(), named(window.get(), "Projects"));
    QCOMPARE(linesInMemory(*window).at(0), QStringLiteral("004     Garden shed north"));
    QCOMPARE(env->readFile(QStringLiteral("Projects.txt")), onDisk);

    // On page 1 too, from its choices.
    QVERIFY(triggerAction(window.get(), "New1"));
    QVERIFY(named(window.get(), "Page1")->isAncestorOf(focused()));
    press(Qt::Key_Escape);
    QVERIFY(!named(window.get(), "Wizard")->isVisible());
    QCOMPARE(focused(), named(window.get(), "Projects"));
}

void TestPanelKeyboard::enterOnPage4AppliesOnlyWhenApplyIsShown()
{
    open(threeProjects);
    named<QTableView>(window.get(), "Projects")->setCurrentIndex(window->parts().listModel->index(2, 0));
    // Remove mode: "Apply Changes" is hidden, so Enter changes nothing.
    QVERIFY(triggerAction(window.get(), "RemoveProject1"));
    QVERIFY(!named(window.get(), "UtilBtn")->isVisible());
    named(window.get(), "Project")->setFocus();
    press(Qt::Key_Return);
    QCOMPARE(linesInMemory(*window), threeProjects);
    QVERIFY(named(window.get(), "Wizard")->isVisible());

    // A focused button takes Enter itself: Cancel cancels.
    named(window.get(), "Button3")->setFocus();
    press(Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(!named(window.get(), "Wizard")->isVisible());
}

void TestPanelKeyboard::numberBoxStepsWithUpAndDown()
{
    open(threeProjects);
    named<QTableView>(window.get(), "Projects")->setCurrentIndex(window->parts().listModel->index(1, 0));
    QVERIFY(triggerAction(window.get(), "EditProject1"));
    auto* number = named<QLineEdit>(window.get(), "Project");
    number->setFocus();
    QCOMPARE(number->text(), QStringLiteral("7"));
    press(Qt::Key_Up);
    press(Qt::Key_Up);
    QCOMPARE(number->text(), QStringLiteral("9"));
    QCOMPARE(named<QLineEdit>(window.get(), "PrjDiscription")->text(), QStringLiteral("Bridge"));
    press(Qt::Key_Down);
    QCOMPARE(number->text(), QStringLiteral("8"));
    // The range does not wrap.
    named<UpDown>(window.get(), "PrjSelect")->setPosition(1);
    press(Qt::Key_Down);
    QCOMPARE(number->text(), QStringLiteral("1"));

    // Adding a project fixes the number: the arrows leave it alone.
    QVERIFY(triggerAction(window.get(), "Addproject1"));
    number->setFocus();
    press(Qt::Key_Up);
    QCOMPARE(number->text(), QStringLiteral("10"));
}

void TestPanelKeyboard::f2AndAClickEditTheCaptionInPlace()
{
    open(threeProjects);
    auto* list = named<QTableView>(window.get(), "Projects");
    // The description was clicked last: F2 still edits the caption.
    list->setCurrentIndex(window->parts().listModel->index(1, 1));
    press(Qt::Key_F2);
    QVERIFY(focused() != list);
    press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(focused(), QStringLiteral("012"));
    press(Qt::Key_Return);
    QTRY_COMPARE(focused(), static_cast<QWidget*>(list));
    QCOMPARE(window->parts().listModel->captionText(1), QStringLiteral("012"));
    QCOMPARE(window->parts().host->selectedProjectNumber(), 12);
    // Only the view changed.
    QCOMPARE(linesInMemory(*window), threeProjects);

    // A click on the selected item's caption edits it too.
    const QRect caption = list->visualRect(window->parts().listModel->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, caption.center());
    QTRY_VERIFY(focused() != list);
    press(Qt::Key_Escape);
    QCOMPARE(window->parts().listModel->captionText(1), QStringLiteral("012"));
}

QTEST_MAIN(TestPanelKeyboard)
#include "test_panelkeyboard.moc"
