// "What's this?" gestures on the real main window, offscreen, with the help
// viewer recording: F1 on a control and in an open menu, right-click and the
// "What's this?" menu, Shift+F1 context mode, the platform's help mode, and
// the context search rules on a small form of their own.
#include "help/helpcommands.h"
#include "widgetlookup.h"
#include "common/quindleerror.h"
#include "recordinghelp.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "help/thelprouter.h"
#include "help/twhatsthis.h"
#include "app/contexthelp.h"
#include "app/tvantorel.h"
#include "common/radiogroup.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <QtTest>

namespace {
using Command = QPair<quint16, qint32>;

Command popupAt(const QPoint& p)
{
    return {HelpCmd::SetPopupPos, packHelpPoint(p.x(), p.y())};
}

// The real main window, shown and active, with its help commands recorded
// on their way to the recording viewer.
struct ActiveMainWindow {
    RecordingHelp help;
    TestEnvironment env;
    ScriptedDialogs dialogs;
    QList<Command> commands;  // outlives the window, whose router writes here
    std::unique_ptr<TVantorel> window = startMainWindow(dialogs);

    ActiveMainWindow()
    {
        window->contextHelp().router()->OnHelp = [this](quint16 command, const QVariant& data, bool&) {
            commands << Command(command, data.toInt());
            return false;
        };
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("main window not active");
    }
    QObject* ui() const { return &*window; }
    TWhatsThis* whatsThis() const { return window->contextHelp().whatsThis(); }
    QWindow* handle() const { return window->windowHandle(); }
    // A widget point in the window's coordinates, and on the screen.
    QPoint at(QWidget* w, QPoint local = QPoint(-1, -1)) const
    {
        if (local == QPoint(-1, -1))
            local = w->rect().center();
        return w->mapTo(window.get(), local);
    }
    QPoint screen(QWidget* w, QPoint local = QPoint(-1, -1)) const { return window->mapToGlobal(at(w, local)); }
    void showWizardPage4() const
    {
        named<QStackedWidget>(ui(), "Wizard")->setCurrentWidget(named<QWidget>(ui(), "Page4"));
        named<QStackedWidget>(ui(), "Wizard")->show();
        named<QStackedWidget>(ui(), "Wizard")->raise();
    }
    void showOptions() const
    {
        named<QTabWidget>(ui(), "OptionsTabs")->show();
        named<QTabWidget>(ui(), "OptionsTabs")->raise();
    }
};

QMenu* openMenuWithMouse(ActiveMainWindow& f, QMenu* menu)
{
    QMenuBar* bar = named<QMenuBar>(f.ui(), "MainMenu1");
    const QPoint title = bar->actionGeometry(menu->menuAction()).center();
    QTest::mousePress(f.handle(), Qt::LeftButton, {}, bar->mapTo(f.window.get(), title));
    if (!QTest::qWaitFor([menu] { return menu->isVisible(); }))
        return nullptr;
    return menu;
}

void hover(QMenu* menu, QAction* item)
{
    QTest::mouseMove(menu, menu->actionGeometry(item).center());
    QTRY_COMPARE(menu->activeAction(), item);
}
} // namespace

class WhatsThisTest : public QObject {
    Q_OBJECT
private slots:
    void f1OnTheListShowsPopup1AtItsCorner();
    void f1UsesTheNearestParentWithANumber();
    void negativeContextOpensAFullTopic();
    void rightClickOffersWhatsThisAndShowsThePopupAtTheClick();
    void rightClickOnTheFormBackgroundShowsNothing();
    void contextModeClickShowsHelpWithoutPressing();
    void anyKeyLeavesContextMode();
    void f1InAnOpenMenuAsksForTheHighlightedItem();
    void rightClickOnAHighlightedMenuItemAsksAtOnce();
    void platformHelpModeTakesTheNextClick();
    void contextSearchRules();
    void activationAndToggleControls();
};

void WhatsThisTest::f1OnTheListShowsPopup1AtItsCorner()
{
    ActiveMainWindow f;
    QCOMPARE(f.whatsThis()->objectName(), QStringLiteral("WhatsThis1"));
    QVERIFY(f.whatsThis()->hooked());
    named<QTableView>(f.ui(), "Projects")->setFocus();
    const QPoint corner = named<QTableView>(f.ui(), "Projects")->mapToGlobal(QPoint(0, 0));
    QVERIFY(corner.x() != 0 && corner.y() != 0);
    QTest::keyClick(f.handle(), Qt::Key_F1);
    QCOMPARE(f.commands, (QList<Command>{popupAt(corner), {HelpCmd::ContextPopup, 1}}));
    QCOMPARE(f.help.popups().size(), 1);
    const HelpViewerCall popup = f.help.popups().first();
    QCOMPARE(popup.popup().point, corner);
    QCOMPARE(popup.popup().stringId, 1u);
    QVERIFY(popup.file.endsWith(QStringLiteral("/Quindle.qch::/CSHelp.txt")));
    QCOMPARE(f.whatsThis()->state(), TWhatsThis::wtsIdle);
    // The gesture lets go of the window's messages once it is done.
    QTRY_VERIFY(!f.whatsThis()->messageHookInstalled());
}

void WhatsThisTest::f1UsesTheNearestParentWithANumber()
{
    ActiveMainWindow f;
    f.showOptions();
    named<QTabWidget>(f.ui(), "OptionsTabs")->setCurrentWidget(named<QWidget>(f.ui(), "PrinterTab"));
    // A choice of "Justify Description" has no number; its group has 64.
    QWidget* left = named<RadioGroup>(f.ui(), "Just")->button(0);
    left->setFocus();
    QTest::keyClick(f.handle(), Qt::Key_F1);
    QCOMPARE(f.commands, (QList<Command>{popupAt(left->mapToGlobal(QPoint(0, 0))), {HelpCmd::ContextPopup, 64}}));

    // Nothing up to the form has a number: an empty popup.
    f.commands.clear();
    f.help.clear();
    named<QPushButton>(f.ui(), "Button6")->setFocus();
    QTest::keyClick(f.handle(), Qt::Key_F1);
    QVERIFY(!f.commands.isEmpty());
    QCOMPARE(f.commands.last(), Command(HelpCmd::ContextPopup, 0));
    QCOMPARE(f.help.popups().size(), 1);
    QCOMPARE(f.help.popups().first().popup().stringId, 0u);
    QCOMPARE(f.help.popups().first().owner.data(), static_cast<QWidget*>(f.window.get()));
}

void WhatsThisTest::negativeContextOpensAFullTopic()
{
    ActiveMainWindow f;
    named<QTableView>(f.ui(), "Projects")->setProperty("HelpContext", -17);
    named<QTableView>(f.ui(), "Projects")->setFocus();
    QTest::keyClick(f.handle(), Qt::Key_F1);
    QCOMPARE(f.commands, (QList<Command>{{HelpCmd::Context, 17}}));
    QCOMPARE(f.help.viewerCalls.size(), 1);
    QCOMPARE(f.help.viewerCalls.first().command, int(HHCmd::HelpContext));
    QCOMPARE(f.help.viewerCalls.first().data.toInt(), 17);
}

void WhatsThisTest::rightClickOffersWhatsThisAndShowsThePopupAtTheClick()
{
    ActiveMainWindow f;
    QWidget* list = named<QTableView>(f.ui(), "Projects")->viewport();
    const QPoint click = f.screen(list, QPoint(40, 30));
    QTest::mouseClick(f.handle(), Qt::RightButton, {}, f.at(list, QPoint(40, 30)));
    QMenu* menu = f.whatsThis()->popupMenu();
    QTRY_VERIFY(menu->isVisible());
    // Over the list, Copy stands beside it.
    QCOMPARE(menu->actions().size(), 2);
    QCOMPARE(menu->actions().first()->text(), QStringLiteral("What's this?"));
    QCOMPARE(menu->actions().last()->objectName(), QStringLiteral("CopyProject1"));
    QCOMPARE(menu->pos(), click);
    QVERIFY(f.commands.isEmpty());
    QVERIFY(f.whatsThis()->inMenu());

    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().first()).center());
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(f.commands, (QList<Command>{popupAt(click), {HelpCmd::ContextPopup, 1}}));
    QCOMPARE(f.help.popups().first().popup().point, click);
    QTRY_VERIFY(!f.whatsThis()->inMenu() && !f.whatsThis()->messageHookInstalled());
    QCOMPARE(f.whatsThis()->state(), TWhatsThis::wtsIdle);

    // An edit box keeps its own editing menu.
    f.commands.clear();
    f.showWizardPage4();
    named<QStackedWidget>(f.ui(), "Wizard")->setCurrentWidget(named<QWidget>(f.ui(), "Page2"));
    QTest::mouseClick(f.handle(), Qt::RightButton, {}, f.at(named<QLineEdit>(f.ui(), "Projectfilename")));
    QTRY_VERIFY(QApplication::activePopupWidget());
    QVERIFY(QApplication::activePopupWidget() != menu);
    QTest::qWait(50);
    QVERIFY(!menu->isVisible());
    QApplication::activePopupWidget()->close();
    QVERIFY(f.commands.isEmpty());
}

void WhatsThisTest::rightClickOnTheFormBackgroundShowsNothing()
{
    ActiveMainWindow f;
    named<QTableView>(f.ui(), "Projects")->hide();
    QTest::mouseClick(f.handle(), Qt::RightButton, {}, f.at(named<QWidget>(f.ui(), "centralwidget"), QPoint(20, 20)));
    QTest::qWait(50);
    QVERIFY(!f.whatsThis()->popupMenu()->isVisible());
    QVERIFY(!QApplication::activePopupWidget());
    QVERIFY(f.commands.isEmpty());
    QCOMPARE(f.whatsThis()->state(), TWhatsThis::wtsIdle);
    QVERIFY(!f.whatsThis()->messageHookInstalled());
}

void WhatsThisTest::contextModeClickShowsHelpWithoutPressing()
{
    ActiveMainWindow f;
    f.showWizardPage4();
    named<QLineEdit>(f.ui(), "PrjDiscription")->setFocus();
    QTest::keyClick(f.handle(), Qt::Key_F1, Qt::ShiftModifier);
    QCOMPARE(f.whatsThis()->state(), TWhatsThis::wtsContextMode);
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WhatsThisCursor);
    QVERIFY(f.commands.isEmpty());

    QSignalSpy pressed(named<QPushButton>(f.ui(), "UtilBtn"), &QPushButton::clicked);
    const QPoint click = f.screen(named<QPushButton>(f.ui(), "UtilBtn"), QPoint(10, 8));
    QTest::mouseClick(f.handle(), Qt::LeftButton, {}, f.at(named<QPushButton>(f.ui(), "UtilBtn"), QPoint(10, 8)));
    QTRY_COMPARE(f.commands, (QList<Command>{popupAt(click), {HelpCmd::ContextPopup, 166}}));
    QCOMPARE(pressed.count(), 0);
    QCOMPARE(f.whatsThis()->state(), TWhatsThis::wtsIdle);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(f.help.popups().first().popup().stringId, 166u);
    QCOMPARE(f.help.popups().first().popup().point, click);

    // Out of the mode, the button presses again.
    QTest::mouseClick(f.handle(), Qt::LeftButton, {}, f.at(named<QPushButton>(f.ui(), "UtilBtn")));
    QCOMPARE(pressed.count(), 1);
}

void WhatsThisTest::anyKeyLeavesContextMode()
{
    ActiveMainWindow f;
    named<QTableView>(f.ui(), "Projects")->setFocus();
    int left = 0;
    f.whatsThis()->OnLeaveContextMode = [&left](TWhatsThis*) { ++left; };
    QTest::keyClick(f.handle(), Qt::Key_F1, Qt::ShiftModifier);
    QCOMPARE(f.whatsThis()->state(), TWhatsThis::wtsContextMode);
    // A move over the window keeps the help cursor and reaches no control.
    QTest::mouseMove(f.handle(), f.at(named<QTableView>(f.ui(), "Projects")->viewport()));
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WhatsThisCursor);
    QTest::keyClick(f.handle(), Qt::Key_A);
    QCOMPARE(f.whatsThis()->state(), TWhatsThis::wtsIdle);
    QCOMPARE(left, 1);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(f.commands.isEmpty());
}

void WhatsThisTest::f1InAnOpenMenuAsksForTheHighlightedItem()
{
    ActiveMainWindow f;
    QMenu* menu = openMenuWithMouse(f, named<QMenu>(f.ui(), "Help1"));
    QVERIFY(menu);
    QVERIFY(f.whatsThis()->inMenu());
    hover(menu, named<QAction>(f.ui(), "About1"));
    QCOMPARE(f.whatsThis()->highlightedMenuItem(), named<QAction>(f.ui(), "About1"));
    QSignalSpy ran(named<QAction>(f.ui(), "About1"), &QAction::triggered);
    const QPoint mouse = QCursor::pos();
    QTest::keyClick(f.handle(), Qt::Key_F1);
    QCOMPARE(f.commands, (QList<Command>{popupAt(mouse), {HelpCmd::ContextPopup, 0}}));
    QCOMPARE(ran.count(), 0);
    QVERIFY(menu->isVisible());
    menu->close();
    QTRY_VERIFY(!f.whatsThis()->inMenu());
    QTRY_VERIFY(!f.whatsThis()->messageHookInstalled());

    // A menu opened from the keyboard is not known: F1 asks for the focused control.
    f.commands.clear();
    named<QTableView>(f.ui(), "Projects")->setFocus();
    named<QMenu>(f.ui(), "Help1")->popup(f.window->mapToGlobal(QPoint(50, 50)));
    QTRY_VERIFY(named<QMenu>(f.ui(), "Help1")->isVisible());
    QVERIFY(!f.whatsThis()->inMenu());
    QTest::keyClick(f.handle(), Qt::Key_F1);
    QVERIFY(!f.commands.isEmpty());
    QCOMPARE(f.commands.last(), Command(HelpCmd::ContextPopup, 1));
    named<QMenu>(f.ui(), "Help1")->close();
}

void WhatsThisTest::rightClickOnAHighlightedMenuItemAsksAtOnce()
{
    ActiveMainWindow f;
    QMenu* menu = openMenuWithMouse(f, named<QMenu>(f.ui(), "File1"));
    QVERIFY(menu);
    hover(menu, named<QAction>(f.ui(), "Load1"));
    QSignalSpy ran(named<QAction>(f.ui(), "Load1"), &QAction::triggered);
    const QPoint local = menu->actionGeometry(named<QAction>(f.ui(), "Load1")).center();
    QTest::mouseClick(menu, Qt::RightButton, {}, local);
    QTRY_COMPARE(f.commands, (QList<Command>{popupAt(menu->mapToGlobal(local)), {HelpCmd::ContextPopup, 0}}));
    QCOMPARE(ran.count(), 0);
    QVERIFY(f.dialogs.fileDialogs.isEmpty());
    menu->close();
}

void WhatsThisTest::platformHelpModeTakesTheNextClick()
{
    ActiveMainWindow f;
    f.showOptions();
    named<QTabWidget>(f.ui(), "OptionsTabs")->setCurrentWidget(named<QWidget>(f.ui(), "GenTab"));
    QWhatsThis::enterWhatsThisMode();
    QVERIFY(!QWhatsThis::inWhatsThisMode());
    QCOMPARE(f.whatsThis()->state(), TWhatsThis::wtsHelpButton);
    const bool wasChecked = named<QCheckBox>(f.ui(), "Autofix")->isChecked();
    const QPoint click = f.screen(named<QCheckBox>(f.ui(), "Autofix"), QPoint(6, 6));
    QTest::mouseClick(f.handle(), Qt::LeftButton, {}, f.at(named<QCheckBox>(f.ui(), "Autofix"), QPoint(6, 6)));
    QTRY_COMPARE(f.commands, (QList<Command>{popupAt(click), {HelpCmd::ContextPopup, 26}}));
    QCOMPARE(named<QCheckBox>(f.ui(), "Autofix")->isChecked(), wasChecked);
    QCOMPARE(f.whatsThis()->state(), TWhatsThis::wtsIdle);
}

void WhatsThisTest::contextSearchRules()
{
    QList<Command> commands;
    ApplicationHelp::setHandler([&commands](quint16 command, const QVariant& data, bool& callHelp) {
        commands << Command(command, data.toInt());
        callHelp = false;
        return true;
    });
    const auto restore = qScopeGuard([] { ApplicationHelp::setHandler(nullptr); });
    QWidget form;
    form.setObjectName(QStringLiteral("Form"));
    auto* layout = new QVBoxLayout(&form);
    auto* label = new QLabel(QStringLiteral("&Name"), &form);
    auto* edit = new QLineEdit(&form);
    edit->setProperty("HelpContext", 30);
    label->setBuddy(edit);
    auto* tagged = new QPushButton(QStringLiteral("Tagged"), &form);
    tagged->setProperty("Tag", 77);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(tagged);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    TWhatsThis component(&form);
    component.setObjectName(QStringLiteral("Help"));
    component.Loaded();
    QVERIFY(component.hooked());
    auto ask = [&](QWidget* item) {
        commands.clear();
        label->setFocus();
        item->setFocus();
        QTest::keyClick(item, Qt::Key_F1);
        return commands.isEmpty() ? -1 : commands.last().second;
    };
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    // A label answers with the number of the control it names.
    QCOMPARE(ask(label), 30);
    // The tag counts only when asked to.
    QCOMPARE(ask(tagged), 0);
    component.setOptions(component.Options() | TWhatsThis::wtUseTag);
    QCOMPARE(ask(tagged), 77);
    // Without a number and without wtNoContextHelp nothing is shown.
    component.setOptions(TWhatsThis::wtMenuRightClick);
    commands.clear();
    tagged->setFocus();
    QTest::keyClick(tagged, Qt::Key_F1);
    QVERIFY(commands.isEmpty());
    // The events may change the number or keep the help.
    component.OnGetContext = [](TWhatsThis*, QObject*, bool isMenu, qint32& context) {
        if (!isMenu)
            context = 93;
    };
    QCOMPARE(ask(tagged), 93);
    component.OnHelp = [](TWhatsThis*, QObject*, bool, qint32, int, int, bool& callHelp) { callHelp = false; };
    QCOMPARE(ask(tagged), -1);
    component.OnHelp = nullptr;
    component.OnGetContext = nullptr;

    // F1 with goDefault or goTOC asks for the contents instead.
    component.setF1Action(TWhatsThis::goTOC);
    QCOMPARE(ask(edit), 0);
    QCOMPARE(commands.first().first, quint16(HelpCmd::TocRequest));
    component.setF1Action(TWhatsThis::goDefault);
    ask(edit);
    QCOMPARE(commands.first().first, quint16(HelpCmd::Contents));
    component.setF1Action(TWhatsThis::goContext);

    // Right-click with direct help skips the menu; a cancelled popup shows
    // nothing. (The edit box would show its own editing menu instead.)
    component.setOptions(TWhatsThis::wtDirectHelp);
    commands.clear();
    QTest::mouseClick(form.windowHandle(), Qt::RightButton, {}, label->mapTo(&form, QPoint(3, 3)));
    QTRY_COMPARE(commands.size(), 2);
    QCOMPARE(commands.last(), Command(HelpCmd::ContextPopup, 30));
    component.setOptions(TWhatsThis::wtNoContextMenu);
    bool offered = false;
    component.OnPopup = [&offered](TWhatsThis*, QObject*, qint32, int, int, bool& doPopup) {
        offered = true;
        doPopup = false;
    };
    commands.clear();
    QTest::mouseClick(form.windowHandle(), Qt::RightButton, {}, label->mapTo(&form, QPoint(3, 3)));
    QTRY_VERIFY(offered);
    QVERIFY(!component.popupMenu()->isVisible());
    QVERIFY(commands.isEmpty());
}

void WhatsThisTest::activationAndToggleControls()
{
    ActiveMainWindow f;
    TWhatsThis* main = f.whatsThis();
    {
        TWhatsThis second;
        second.setObjectName(QStringLiteral("WhatsThis2"));
        try {
            second.EnterContextMode();
            QFAIL("context mode without watching");
        } catch (const QuindleError& e) {
            QCOMPARE(e.message(), QStringLiteral("WhatsThis2 is currently not active."));
        }
        second.Loaded();
        QCOMPARE(TWhatsThis::current(), &second);
        QVERIFY(!main->hooked());

        QPushButton toggle(QStringLiteral("?"));
        QAction item(QStringLiteral("What's This"));
        try {
            second.setWTToolbarButton(&toggle);
            QFAIL("changed while watching");
        } catch (const QuindleError& e) {
            QCOMPARE(e.message(), QStringLiteral("TWhatsThis must be deactivated to change this property"));
        }
        second.setActive(false);
        second.setWTToolbarButton(&toggle);
        second.setWTMenuItem(&item);
        QCOMPARE(item.shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
        second.setActive(true);

        // The toggle button switches context mode instead of clicking.
        QSignalSpy clicked(&toggle, &QPushButton::clicked);
        toggle.show();
        QVERIFY(QTest::qWaitForWindowExposed(&toggle));
        QTest::mouseClick(&toggle, Qt::LeftButton);
        QCOMPARE(second.state(), TWhatsThis::wtsContextMode);
        QVERIFY(toggle.isDown());
        QVERIFY(item.isChecked());
        QTest::mouseClick(&toggle, Qt::LeftButton);
        QCOMPARE(second.state(), TWhatsThis::wtsIdle);
        QVERIFY(!toggle.isDown());
        QVERIFY(!item.isChecked());
        QCOMPARE(clicked.count(), 0);
        second.setActive(false);
        second.setWTMenuItem(nullptr);
        QVERIFY(item.shortcut().isEmpty());
    }
    // The main window's component takes over again.
    QCOMPARE(TWhatsThis::current(), main);
    QVERIFY(main->hooked());
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    named<QTableView>(f.ui(), "Projects")->setFocus();
    QTest::keyClick(f.handle(), Qt::Key_F1);
    QVERIFY(!f.commands.isEmpty());
    QCOMPARE(f.commands.last(), Command(HelpCmd::ContextPopup, 1));
}

QTEST_MAIN(WhatsThisTest)
#include "test_whatsthis.moc"
