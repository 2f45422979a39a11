// The main window from the keyboard: a mnemonic for every menu and menu item,
// the desktop's standard shortcuts running their commands, Enter on a list
// item, the jump key, and the find dialog taking the focus back after a miss.
#include "app/finddialog.h"
#include "app/projectlistmodel.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "widgetlookup.h"
#include "app/tvantorel.h"
#include "app/windowhost.h"
#include "ui_tvantorel.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

namespace {

// The menus as the user reads them, the '&' only marking a letter.
const QList<QPair<QString, QStringList>> describedMenus = {
    {QStringLiteral("File"), {QStringLiteral("Load"), QStringLiteral("Printer Setup"), QStringLiteral("Print Preview..."),
                              QStringLiteral("Print"), QStringLiteral("Exit"), QStringLiteral("Merge Conflict Copy..."),
                              QStringLiteral("1 Projects.txt")}},
    {QStringLiteral("Projects"),
     {QStringLiteral("New Project wizard"), QStringLiteral("Edit Project"), QStringLiteral("Add project"),
      QStringLiteral("Insert Project"), QStringLiteral("Remove Project"), QStringLiteral("Fix Errors"),
      QStringLiteral("Undo"), QStringLiteral("Redo")}},
    {QStringLiteral("Search"), {QStringLiteral("Project Number"), QStringLiteral("Text")}},
    {QStringLiteral("Options"), {QStringLiteral("General"), QStringLiteral("Font"), QStringLiteral("Colour")}},
    {QStringLiteral("Help"), {QStringLiteral("Help"), QStringLiteral("About"), QStringLiteral("Corvane on The Web"),
                              QStringLiteral("Contact Corvane")}},
};

QString visibleCaption(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
}

// The letter after the one '&' that marks it; a caption with none or with
// two marks fails.
QChar mnemonicOf(const QString& text)
{
    const QRegularExpression mark(QStringLiteral("&([^&])"));
    QRegularExpressionMatchIterator it = mark.globalMatch(text);
    if (!it.hasNext())
        return {};
    const QChar letter = it.next().captured(1).at(0).toLower();
    return it.hasNext() ? QChar() : letter;
}

// Checks the captions of actions in order, skipping separators, and that the
// marked letters differ from one another.
void checkMenu(const QString& title, const QList<QAction*>& actions, const QStringList& captions)
{
    QStringList shown;
    QSet<QChar> letters;
    for (QAction* action : actions) {
        if (action->isSeparator())
            continue;
        shown << visibleCaption(action->text());
        const QChar letter = mnemonicOf(action->text());
        QVERIFY2(!letter.isNull(), qPrintable(title + QStringLiteral(": no mnemonic in ") + action->text()));
        QVERIFY2(!letters.contains(letter), qPrintable(title + QStringLiteral(": mnemonic repeated in ") + action->text()));
        letters.insert(letter);
    }
    QCOMPARE(shown, captions);
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void everyMenuAndItemHasItsOwnMnemonic();
    void menusShowTheStandardShortcuts();
    void fileShortcutsRunLoadPrintAndExit();
    void findShortcutOpensTextSearchAndF3PressesFindNext();
    void insertDeleteAndEnterOpenPage4InTheirModes();
    void enterInTheWizardDoesNotEditTheSelection();
    void jumpKeyAndListKeys();
    void f1StaysWithContextHelp();
    void findDialogTakesFocusBackAfterMiss();
    void findDialogTakesFocusBackAfterRealMessageBox();

private:
    void open(const QStringList& lines);
    Ui::TVantorel* ui() const { return window->parts().form; }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    TFindDialog* findDialog() const { return window->findChild<TFindDialog*>(QStringLiteral("FindDialog1")); }
    void selectRow(int row);

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<TVantorel> window;
};

void TestKeyboard::init()
{
    env = std::make_unique<TestEnvironment>();
    dialogs = std::make_unique<ScriptedDialogs>();
}

void TestKeyboard::cleanup()
{
    window.reset();
    dialogs.reset();
    env.reset();
}

void TestKeyboard::open(const QStringList& lines)
{
    env->writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(lines));
    window = startMainWindow(*dialogs);
    window->show();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(window.get()));
    ui()->Projects->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ui()->Projects));
}

void TestKeyboard::selectRow(int row)
{
    ui()->Projects->selectionModel()->setCurrentIndex(
        window->parts().listModel->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

const QStringList threeProjects = {
    QStringLiteral("004     Garden shed"),
    QStringLiteral("007     Ring Road survey"),
    QStringLiteral("009     Bridge"),
};

void TestKeyboard::everyMenuAndItemHasItsOwnMnemonic()
{
    open(threeProjects);
    QList<QAction*> menus = ui()->MainMenu1->actions();
    QStringList titles;
    for (const auto& menu : describedMenus)
        titles << menu.first;
    checkMenu(QStringLiteral("menu bar"), menus, titles);
    for (int i = 0; i < menus.size(); ++i) {
        QMenu* menu = menus[i]->menu();
        QVERIFY(menu);
        checkMenu(titles[i], menu->actions(), describedMenus[i].second);
    }
}

void TestKeyboard::menusShowTheStandardShortcuts()
{
    open(threeProjects);
    QCOMPARE(ui()->Load1->shortcut(), QKeySequence(QKeySequence::Open));
    QCOMPARE(ui()->Print1->shortcut(), QKeySequence(QKeySequence::Print));
    QCOMPARE(ui()->Exit1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QCOMPARE(ui()->Text1->shortcut(), QKeySequence(QKeySequence::Find));
    QCOMPARE(ui()->mainHelp->shortcut(), QKeySequence(QKeySequence::HelpContents));
    QCOMPARE(ui()->InsertProject1->shortcut(), QKeySequence(Qt::Key_Insert));
    QCOMPARE(ui()->RemoveProject1->shortcuts(), QList<QKeySequence>{QKeySequence(Qt::Key_Delete)});
    QCOMPARE(ui()->EditProject1->shortcut(), QKeySequence(Qt::Key_Enter));
    // No two commands of the window answer the same key.
    QSet<QKeySequence> keys;
    for (QAction* action : window->findChildren<QAction*>()) {
        for (const QKeySequence& key : action->shortcuts()) {
            QVERIFY2(!keys.contains(key), qPrintable(key.toString()));
            keys.insert(key);
        }
    }
}

void TestKeyboard::fileShortcutsRunLoadPrintAndExit()
{
    open(threeProjects);
    press(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(dialogs->fileDialogs.size(), 1);
    QCOMPARE(dialogs->fileDialogs.first().title, QStringLiteral("ARDLOW PROJECTS"));

    press(Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(dialogs->shown.last().kind, QStringLiteral("print"));

    press(Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!window->isVisible());
}

void TestKeyboard::findShortcutOpensTextSearchAndF3PressesFindNext()
{
    open(threeProjects);
    press(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(findDialog()->isVisible());
    QCOMPARE(findDialog()->tag(), 1);
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(findDialog()));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(findDialog()->findTextBox()));

    QTest::keyClicks(findDialog()->findTextBox(), QStringLiteral("road"));
    QSignalSpy finds(findDialog(), &TFindDialog::find);
    QTest::keyClick(findDialog()->findTextBox(), Qt::Key_F3);
    QCOMPARE(finds.size(), 1);
    QVERIFY(!findDialog()->isVisible());
    QCOMPARE(ui()->Projects->currentIndex().row(), 1);
}

void TestKeyboard::insertDeleteAndEnterOpenPage4InTheirModes()
{
    open(threeProjects);
    selectRow(1);
    press(Qt::Key_Insert);
    QVERIFY(named<QStackedWidget>(window.get(), "Wizard")->isVisible());
    QCOMPARE(named<QStackedWidget>(window.get(), "Wizard")->currentWidget(), named<QWidget>(window.get(), "Page4"));
    QCOMPARE(named<QLabel>(window.get(), "Message4")->text(), QStringLiteral("Inserting Project Projects.txt"));

    ui()->Projects->setFocus();
    press(Qt::Key_Delete);
    QCOMPARE(named<QLabel>(window.get(), "Message4")->text(), QStringLiteral("Deleting Project from Projects.txt"));
    QCOMPARE(named<QLineEdit>(window.get(), "CurrentProject")->text(), QStringLiteral("007"));

    ui()->Projects->setFocus();
    selectRow(2);
    press(Qt::Key_Return);
    QCOMPARE(named<QLabel>(window.get(), "Message4")->text(), QStringLiteral("Editing Projects.txt"));
    QCOMPARE(named<QLineEdit>(window.get(), "CurrentProject")->text(), QStringLiteral("009"));
    QCOMPARE(named<QLineEdit>(window.get(), "PrjDiscription")->text(), QStringLiteral("Bridge"));
    // Page 4 takes the focus, as it does when opened from the menu.
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(named<QLineEdit>(window.get(), "PrjDiscription")));
}

void TestKeyboard::enterInTheWizardDoesNotEditTheSelection()
{
    open(threeProjects);
    selectRow(0);
    QSignalSpy edits(ui()->EditProject1, &QAction::triggered);
    ui()->Addproject1->trigger();
    QCOMPARE(named<QLabel>(window.get(), "Message4")->text(), QStringLiteral("Editing Projects.txt"));
    QCOMPARE(named<QLineEdit>(window.get(), "CurrentProject")->text(), QStringLiteral("010"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(named<QLineEdit>(window.get(), "PrjDiscription")));
    press(Qt::Key_Return);
    press(Qt::Key_Enter);
    QCOMPARE(edits.size(), 0);
    QCOMPARE(named<QLineEdit>(window.get(), "CurrentProject")->text(), QStringLiteral("010"));

    // A caption edited in place takes Enter to end the edit, not to open page 4.
    ui()->Projects->setFocus();
    ui()->Projects->edit(window->parts().listModel->index(0, 0));
    QVERIFY(QApplication::focusWidget() != ui()->Projects);
    press(Qt::Key_Return);
    QCOMPARE(edits.size(), 0);
}

void TestKeyboard::jumpKeyAndListKeys()
{
    QStringList lines;
    for (int n = 1; n <= 200; ++n)
        lines << QStringLiteral("%1     Project %2").arg(n, 3, 10, QLatin1Char('0')).arg(n);
    open(lines);
    const auto endFlag = [this] { return ui()->InvertList->property("Tag").toInt(); };
    QScrollBar* bar = ui()->Projects->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    // The button's tip tells the key, as a menu would.
    QCOMPARE(ui()->InvertList->toolTip(), QStringLiteral("Swap Table View (Ctrl+J)"));
    press(Qt::Key_J, Qt::ControlModifier);
    QCOMPARE(endFlag(), 1);
    QCOMPARE(bar->value(), bar->maximum());
    press(Qt::Key_J, Qt::ControlModifier);
    QCOMPARE(endFlag(), 0);
    QCOMPARE(bar->value(), 0);

    // Ctrl+End and Ctrl+Home still move the list's current item.
    press(Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(ui()->Projects->currentIndex().row(), 199);
    press(Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(ui()->Projects->currentIndex().row(), 0);
    QCOMPARE(endFlag(), 0);
}

void TestKeyboard::f1StaysWithContextHelp()
{
    open(threeProjects);
    QSignalSpy contents(ui()->mainHelp, &QAction::triggered);
    press(Qt::Key_F1);
    QCOMPARE(contents.size(), 0);
}

void TestKeyboard::findDialogTakesFocusBackAfterMiss()
{
    open(threeProjects);
    const int currentRow = ui()->Projects->currentIndex().row();
    ui()->Text1->trigger();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(findDialog()));
    findDialog()->matchCaseBox()->setChecked(true);
    findDialog()->findTextBox()->setText(QStringLiteral("tower"));
    // The message box took the activation to the main window.
    findDialog()->matchCaseBox()->setFocus();
    window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(window.get()));

    findDialog()->findNextButton()->click();
    QCOMPARE(dialogs->messages(), QStringList{QStringLiteral("Search Failed (tower)")});
    QVERIFY(findDialog()->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(findDialog()));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(findDialog()->findTextBox()));
    QCOMPARE(findDialog()->findTextBox()->selectedText(), QStringLiteral("tower"));

    // Typing replaces the text, in the dialog and not in the list.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("bridge"));
    QCOMPARE(findDialog()->findText(), QStringLiteral("bridge"));
    QCOMPARE(ui()->Projects->currentIndex().row(), currentRow);

    // A number that is no number: both messages, then the same.
    dialogs->clear();
    ui()->ProjectNumber1->trigger();
    findDialog()->findTextBox()->setText(QStringLiteral("12a"));
    findDialog()->findNextButton()->click();
    QCOMPARE(dialogs->messages().size(), 2);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(findDialog()->findTextBox()));
    QCOMPARE(findDialog()->findTextBox()->selectedText(), QStringLiteral("12a"));
}

void TestKeyboard::findDialogTakesFocusBackAfterRealMessageBox()
{
    open(threeProjects);
    window->parts().host->setDialogs(nullptr);  // the window's own message boxes
    ui()->Text1->trigger();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(findDialog()));
    findDialog()->findTextBox()->setText(QStringLiteral("tower"));
    QString shownText;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        shownText = box->text();
        box->accept();
    });
    findDialog()->findNextButton()->click();
    QCOMPARE(shownText, QStringLiteral("Search Failed (TOWER)"));
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(findDialog()));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(findDialog()->findTextBox()));
    QCOMPARE(findDialog()->findTextBox()->selectedText(), QStringLiteral("TOWER"));
}

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
