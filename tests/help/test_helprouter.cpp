// The help router and the application's help commands, on the real main
// window, with the help viewers replaced by recording ones: what each help
// command becomes, the popup position, the show and help types, the missing
// viewer and the one-router rule.
#include "help/helpcommands.h"
#include "widgetlookup.h"
#include "help/htmlhelpapi.h"
#include "common/quindleerror.h"
#include "recordinghelp.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "help/thelprouter.h"
#include "app/contexthelp.h"
#include "app/tvantorel.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QPushButton>
#include <QtTest>

namespace {
QString expectedHelpFile()
{
    return QCoreApplication::applicationDirPath() + QDir::separator() + QStringLiteral("Quindle.qch");
}

// A window with help handling of its own.
class OwnHelpWindow : public QWidget, public FormHelpHandler {
public:
    QList<quint16> commands;
    bool clearCallHelp = true;
    bool formHelp(quint16 command, const QVariant&, bool& callHelp) override
    {
        commands << command;
        if (clearCallHelp)
            callHelp = false;
        return true;
    }
};

// The real main window with recording help viewers; the window goes first.
struct MainWindowWithRecordedHelp {
    RecordingHelp help;
    TestEnvironment env;
    ScriptedDialogs dialogs;
    std::unique_ptr<TVantorel> window = startMainWindow(dialogs);
};

void activate(QWidget* window)
{
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}
} // namespace

class HelpRouterTest : public QObject {
    Q_OBJECT
private slots:
    void helpMenuOpensTheContentsOfTheHelpFileBesideTheProgram();
    void everyWizardHelpButtonOpensTopic17();
    void popupAtTheSetPositionThenAtTheMouse();
    void popupWithoutContextShowsAnEmptyTextThroughTheActiveWindow();
    void contentsIndexKeywordAndCloseCommands_data();
    void contentsIndexKeywordAndCloseCommands();
    void topicTheViewerCannotFindFails();
    void mainShowTypeTurnsPopupsIntoTopics();
    void mixedModeSendsPopupsToWinHelp();
    void unknownCommandReturnsFalseAndClearsCallHelp();
    void ownHelpEventAndPreviousHandlerComeFirst();
    void activeWindowWithItsOwnHandlerIsAskedFirst();
    void secondRouterIsRefused();
    void missingViewerIsTriedAgainOnEachRequest();
    void closingTheMainWindowClosesTheViewer();
    void fileExtensionSwap();
};

void HelpRouterTest::helpMenuOpensTheContentsOfTheHelpFileBesideTheProgram()
{
    MainWindowWithRecordedHelp f;
    RecordingHelp& help = f.help;
    std::unique_ptr<TVantorel>& window = f.window;
    QVERIFY(window->contextHelp().router());
    QCOMPARE(window->contextHelp().router()->Helpfile(), expectedHelpFile());
    QCOMPARE(window->contextHelp().router()->HelpType(), THelpRouter::htHTMLhelp);
    // Choosing the HTML viewer loaded it when the window was made.
    QCOMPARE(help.loads, 1);

    QVERIFY(triggerAction(&*window, "mainHelp"));
    QCOMPARE(help.viewerCalls.size(), 1);
    const HelpViewerCall& call = help.viewerCalls.first();
    QCOMPARE(call.command, int(HHCmd::DisplayToc));
    QCOMPARE(call.file, expectedHelpFile());
    QVERIFY(call.owner.isNull());
    QCOMPARE(call.data.toInt(), 0);
    QCOMPARE(help.loads, 1);
}

void HelpRouterTest::everyWizardHelpButtonOpensTopic17()
{
    MainWindowWithRecordedHelp f;
    RecordingHelp& help = f.help;
    std::unique_ptr<TVantorel>& window = f.window;
    QObject* ui = &*window;
    for (QPushButton* button : {named<QPushButton>(ui, "HelpBtn"), named<QPushButton>(ui, "Button2"), named<QPushButton>(ui, "Help3"), named<QPushButton>(ui, "Help4")}) {
        help.clear();
        button->click();
        QCOMPARE(help.viewerCalls.size(), 1);
        QCOMPARE(help.viewerCalls.first().command, int(HHCmd::HelpContext));
        QCOMPARE(help.viewerCalls.first().data.toInt(), 17);
        QCOMPARE(help.viewerCalls.first().file, expectedHelpFile());
    }
}

void HelpRouterTest::popupAtTheSetPositionThenAtTheMouse()
{
    MainWindowWithRecordedHelp f;
    RecordingHelp& help = f.help;
    std::unique_ptr<TVantorel>& window = f.window;

    QVERIFY(!HelpCommand(HelpCmd::SetPopupPos, packHelpPoint(100, 200)));
    QVERIFY(help.viewerCalls.isEmpty());
    QCOMPARE(window->contextHelp().router()->pendingPopupPosition(), QPoint(100, 200));
    QVERIFY(HelpCommand(HelpCmd::ContextPopup, 1));
    QCOMPARE(help.popups().size(), 1);
    HelpViewerCall call = help.popups().first();
    QCOMPARE(call.file, expectedHelpFile() + QStringLiteral("::/CSHelp.txt"));
    TextPopup popup = call.popup();
    QCOMPARE(popup.stringId, 1u);
    QCOMPARE(popup.point, QPoint(100, 200));
    QCOMPARE(popup.structSize, 52);
    QVERIFY(popup.text.isEmpty());
    QVERIFY(!popup.foreground.isValid());
    QCOMPARE(popup.margins, QMargins(-1, -1, -1, -1));
    QCOMPARE(popup.font, QStringLiteral("MS Sans Serif, 8"));
    QCOMPARE(window->contextHelp().router()->pendingPopupPosition(), QPoint());

    // Without a new position the popup goes to the mouse.
    help.clear();
    QCursor::setPos(QPoint(321, 123));
    const QPoint mouse = QCursor::pos();
    QVERIFY(HelpCommand(HelpCmd::ContextPopup, 26));
    QCOMPARE(help.popups().size(), 1);
    QCOMPARE(help.popups().first().popup().point, mouse);
    QCOMPARE(help.popups().first().popup().stringId, 26u);

    // A negative point survives the packing.
    help.clear();
    HelpCommand(HelpCmd::SetPopupPos, packHelpPoint(-5, 40));
    HelpCommand(HelpCmd::ContextPopup, 1);
    QCOMPARE(help.popups().first().popup().point, QPoint(-5, 40));

    // Command 8 reports success even when the viewer found nothing.
    help.viewerAnswer = 0;
    QVERIFY(HelpCommand(HelpCmd::ContextPopup, 1));
}

void HelpRouterTest::popupWithoutContextShowsAnEmptyTextThroughTheActiveWindow()
{
    MainWindowWithRecordedHelp f;
    RecordingHelp& help = f.help;
    std::unique_ptr<TVantorel>& window = f.window;
    activate(window.get());
    HelpCommand(HelpCmd::SetPopupPos, packHelpPoint(30, 40));
    HelpCommand(HelpCmd::ContextPopup, 0);
    QCOMPARE(help.popups().size(), 1);
    const HelpViewerCall call = help.popups().first();
    QVERIFY(call.file.isEmpty());
    QCOMPARE(call.owner.data(), static_cast<QWidget*>(window.get()));
    QCOMPARE(call.popup().stringId, 0u);
    QVERIFY(call.popup().text.isEmpty());
    QCOMPARE(call.popup().point, QPoint(30, 40));

    // A popup by text shows that text.
    help.clear();
    QVERIFY(window->contextHelp().router()->ShowTextPopup(7, 8, 99, QStringLiteral("Own words")));
    QCOMPARE(help.popups().first().popup().stringId, 0u);
    QCOMPARE(help.popups().first().popup().text, QStringLiteral("Own words"));
}

void HelpRouterTest::contentsIndexKeywordAndCloseCommands_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QVariant>("data");
    QTest::addColumn<int>("viewerCommand");
    QTest::addColumn<QVariant>("viewerData");
    QTest::addColumn<bool>("withFile");
    QTest::newRow("contents") << int(HelpCmd::Contents) << QVariant(0) << int(HHCmd::DisplayToc) << QVariant(0) << true;
    QTest::newRow("context") << int(HelpCmd::Context) << QVariant(44) << int(HHCmd::HelpContext) << QVariant(44) << true;
    QTest::newRow("contents asked") << int(HelpCmd::TocRequest) << QVariant(0) << int(HHCmd::DisplayToc) << QVariant(0)
                                    << true;
    QTest::newRow("index asked") << int(HelpCmd::TocRequest) << QVariant(1) << int(HHCmd::DisplayIndex) << QVariant()
                                 << true;
    QTest::newRow("keyword") << int(HelpCmd::Key) << QVariant(QStringLiteral("Print")) << int(HHCmd::DisplayIndex)
                             << QVariant(QStringLiteral("Print")) << true;
    QTest::newRow("partial keyword") << int(HelpCmd::PartialKey) << QVariant(QStringLiteral("Pri"))
                                     << int(HHCmd::DisplayIndex) << QVariant(QStringLiteral("Pri")) << true;
    QTest::newRow("quit") << int(HelpCmd::Quit) << QVariant(0) << int(HHCmd::CloseAll) << QVariant(0) << false;
}

void HelpRouterTest::contentsIndexKeywordAndCloseCommands()
{
    QFETCH(int, command);
    QFETCH(QVariant, data);
    QFETCH(int, viewerCommand);
    QFETCH(QVariant, viewerData);
    QFETCH(bool, withFile);
    MainWindowWithRecordedHelp f;
    RecordingHelp& help = f.help;
    help.clear();
    QVERIFY(HelpCommand(quint16(command), data));
    QCOMPARE(help.viewerCalls.size(), 1);
    const HelpViewerCall call = help.viewerCalls.first();
    QCOMPARE(call.command, viewerCommand);
    QCOMPARE(call.file, withFile ? expectedHelpFile() : QString());
    QCOMPARE(call.data.toString(), viewerData.toString());
}

// A topic the viewer cannot find makes the command fail.
void HelpRouterTest::topicTheViewerCannotFindFails()
{
    MainWindowWithRecordedHelp f;
    f.help.viewerAnswer = 0;
    QVERIFY(!HelpContext(9999));
}

void HelpRouterTest::mainShowTypeTurnsPopupsIntoTopics()
{
    MainWindowWithRecordedHelp f;
    RecordingHelp& help = f.help;
    std::unique_ptr<TVantorel>& window = f.window;
    window->contextHelp().router()->setShowType(THelpRouter::stMain);
    // The position command becomes command 0, which the viewer does not know.
    QVERIFY(!HelpCommand(HelpCmd::SetPopupPos, packHelpPoint(100, 200)));
    QCOMPARE(window->contextHelp().router()->pendingPopupPosition(), QPoint());
    QVERIFY(HelpCommand(HelpCmd::ContextPopup, 26));
    QCOMPARE(help.viewerCalls.size(), 1);
    QCOMPARE(help.viewerCalls.first().command, int(HHCmd::HelpContext));
    QCOMPARE(help.viewerCalls.first().data.toInt(), 26);
}

void HelpRouterTest::mixedModeSendsPopupsToWinHelp()
{
    MainWindowWithRecordedHelp f;
    RecordingHelp& help = f.help;
    std::unique_ptr<TVantorel>& window = f.window;
    window->contextHelp().router()->setHelpType(THelpRouter::htMixedMode);
    const QString winHelpFile = QCoreApplication::applicationDirPath() + QStringLiteral("/Quindle.hlp");

    QVERIFY(HelpCommand(HelpCmd::SetPopupPos, packHelpPoint(100, 200)));
    QVERIFY(HelpCommand(HelpCmd::ContextPopup, 1));
    QCOMPARE(help.winHelpCalls.size(), 2);
    QCOMPARE(help.winHelpCalls.at(0).command, int(HelpCmd::SetPopupPos));
    QCOMPARE(help.winHelpCalls.at(0).data.toInt(), packHelpPoint(100, 200));
    QCOMPARE(help.winHelpCalls.at(1).command, int(HelpCmd::ContextPopup));
    QCOMPARE(help.winHelpCalls.at(1).data.toInt(), 1);
    for (const HelpViewerCall& call : help.winHelpCalls)
        QCOMPARE(call.file, winHelpFile);
    QVERIFY(help.viewerCalls.isEmpty());

    // Everything else still goes to the HTML viewer.
    HelpContext(17);
    QCOMPARE(help.viewerCalls.size(), 1);
    QCOMPARE(help.winHelpCalls.size(), 2);

    // The WinHelp setting sends everything there; command 0 needs no viewer.
    window->contextHelp().router()->setHelpType(THelpRouter::htWinhelp);
    help.clear();
    QVERIFY(HelpContext(17));
    QCOMPARE(help.winHelpCalls.size(), 1);
    QCOMPARE(help.winHelpCalls.first().command, int(HelpCmd::Context));
    bool callHelp = true;
    QVERIFY(window->contextHelp().router()->HandleHelp(0, 0, callHelp));
    QVERIFY(!callHelp);
    QCOMPARE(help.winHelpCalls.size(), 1);
}

void HelpRouterTest::unknownCommandReturnsFalseAndClearsCallHelp()
{
    MainWindowWithRecordedHelp f;
    RecordingHelp& help = f.help;
    std::unique_ptr<TVantorel>& window = f.window;
    bool callHelp = true;
    QVERIFY(!window->contextHelp().router()->HandleHelp(4, 0, callHelp));
    QVERIFY(!callHelp);
    QVERIFY(help.viewerCalls.isEmpty());
    QVERIFY(help.winHelpCalls.isEmpty());
}

void HelpRouterTest::ownHelpEventAndPreviousHandlerComeFirst()
{
    RecordingHelp help;
    TestEnvironment env;
    QList<quint16> before;
    ApplicationHelp::setHandler([&](quint16 command, const QVariant&, bool&) {
        before << command;
        return false;
    });
    {
        ScriptedDialogs dialogs;
        auto window = startMainWindow(dialogs);
        QList<quint16> own;
        bool stop = false;
        window->contextHelp().router()->OnHelp = [&](quint16 command, const QVariant&, bool& callHelp) {
            own << command;
            if (stop)
                callHelp = false;
            return stop;
        };
        HelpContext(17);
        QCOMPARE(own, QList<quint16>{1});
        QCOMPARE(before, QList<quint16>{1});
        QCOMPARE(help.viewerCalls.size(), 1);

        // The own event clearing call-help ends the request there.
        stop = true;
        QVERIFY(HelpContext(25));
        QCOMPARE(own.size(), 2);
        QCOMPARE(before.size(), 1);
        QCOMPARE(help.viewerCalls.size(), 1);
        window->contextHelp().router()->OnHelp = nullptr;
    }
    // The router gave the handler it found back.
    help.clear();
    HelpContext(17);
    QCOMPARE(before.size(), 3);  // the window's close-all and this request
    QVERIFY(help.viewerCalls.isEmpty());
    ApplicationHelp::setHandler(nullptr);
}

void HelpRouterTest::activeWindowWithItsOwnHandlerIsAskedFirst()
{
    MainWindowWithRecordedHelp f;
    RecordingHelp& help = f.help;
    std::unique_ptr<TVantorel>& window = f.window;
    OwnHelpWindow own;
    activate(&own);
    QVERIFY(HelpContext(17));
    QCOMPARE(own.commands, QList<quint16>{1});
    QVERIFY(help.viewerCalls.isEmpty());

    // Left with call-help set, a window's own help file goes to WinHelp.
    own.clearCallHelp = false;
    own.setProperty("HelpFile", QStringLiteral("/tmp/own.hlp"));
    QVERIFY(HelpContext(30));
    QCOMPARE(help.winHelpCalls.size(), 1);
    QCOMPARE(help.winHelpCalls.first().file, QStringLiteral("/tmp/own.hlp"));
    QCOMPARE(help.winHelpCalls.first().owner.data(), static_cast<QWidget*>(&own));
}

void HelpRouterTest::secondRouterIsRefused()
{
    MainWindowWithRecordedHelp f;
    RecordingHelp& help = f.help;
    std::unique_ptr<TVantorel>& window = f.window;
    THelpRouter* first = THelpRouter::current();
    QCOMPARE(first, window->contextHelp().router());
    try {
        THelpRouter second;
        QFAIL("a second router was made");
    } catch (const QuindleError& e) {
        QCOMPARE(e.message(), QStringLiteral("Multiple instances of THelpRouter are not allowed"));
    }
    QCOMPARE(THelpRouter::current(), first);

    // A second main window says so and goes on without help of its own.
    ScriptedDialogs otherDialogs;
    TVantorel other(nullptr, &otherDialogs);
    QCOMPARE(otherDialogs.errors(), QStringList{QStringLiteral("Multiple instances of THelpRouter are not allowed")});
    QVERIFY(!other.contextHelp().router());
    QCOMPARE(THelpRouter::current(), first);
    HelpContext(17);
    QCOMPARE(help.viewerCalls.size(), 1);
}

void HelpRouterTest::missingViewerIsTriedAgainOnEachRequest()
{
    RecordingHelp help;
    help.viewerMissing = true;
    TestEnvironment env;
    ScriptedDialogs dialogs;
    auto window = startMainWindow(dialogs);
    QCOMPARE(help.loads, 1);
    THelpRouter* router = window->contextHelp().router();

    bool callHelp = true;
    QVERIFY(!router->HandleHelp(HelpCmd::Context, 17, callHelp));
    QVERIFY(callHelp);
    QCOMPARE(help.loads, 2);
    QVERIFY(!router->ShowTextPopup(1, 1, 1, QString()));
    QCOMPARE(help.loads, 3);
    QVERIFY(!HelpCommand(HelpCmd::Finder, 0));
    QCOMPARE(help.loads, 4);
    QVERIFY(!HtmlHelpLoaded());

    // Once the viewer is there, the next request loads and uses it.
    help.viewerMissing = false;
    callHelp = true;
    QVERIFY(router->HandleHelp(HelpCmd::Context, 17, callHelp));
    QVERIFY(!callHelp);
    QCOMPARE(help.loads, 5);
    QCOMPARE(help.viewerCalls.size(), 1);
    HelpContext(17);
    QCOMPARE(help.loads, 5);
}

void HelpRouterTest::closingTheMainWindowClosesTheViewer()
{
    MainWindowWithRecordedHelp f;
    RecordingHelp& help = f.help;
    std::unique_ptr<TVantorel>& window = f.window;
    QVERIFY(triggerAction(&*window, "mainHelp"));
    help.clear();
    window.reset();
    QCOMPARE(help.viewerCalls.size(), 1);
    QCOMPARE(help.viewerCalls.first().command, int(HHCmd::CloseAll));
    QVERIFY(help.viewerCalls.first().file.isEmpty());
    QVERIFY(!THelpRouter::current());
    QVERIFY(!ApplicationHelp::handler());
    // With no router nothing answers.
    QVERIFY(!HelpContext(17));
}

void HelpRouterTest::fileExtensionSwap()
{
    QCOMPARE(changeFileExt(QStringLiteral("/opt/q/Quindle.chm"), QStringLiteral(".qch")), QStringLiteral("/opt/q/Quindle.qch"));
    QCOMPARE(changeFileExt(QStringLiteral("/opt/q/Quindle"), QStringLiteral(".hlp")), QStringLiteral("/opt/q/Quindle.hlp"));
    QCOMPARE(changeFileExt(QStringLiteral("/opt/q.d/Quindle"), QStringLiteral(".hlp")), QStringLiteral("/opt/q.d/Quindle.hlp"));
    QCOMPARE(changeFileExt(QStringLiteral("a.b.qch"), QStringLiteral(".hlp")), QStringLiteral("a.b.hlp"));
    QCOMPARE(changeFileExt(QString(), QStringLiteral(".qch")), QStringLiteral(".qch"));
}

QTEST_MAIN(HelpRouterTest)
#include "test_helprouter.moc"
