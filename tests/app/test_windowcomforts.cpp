// What a desktop editor's window does: a list file dropped on it, its place
// and size kept between runs, the selected project copied as its line, and
// colours that follow a palette changed while it runs.
#include "app/projectlistmodel.h"
#include "app/toolbaricons.h"
#include "app/contexthelp.h"
#include "app/tvantorel.h"
#include "document/projectlistdocument.h"
#include "help/twhatsthis.h"
#include "scripteddialogs.h"
#include "storedplace.h"
#include "testenvironment.h"
#include "testlists.h"
#include "widgetlookup.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QtTest>

#include <limits>
#include <sys/stat.h>

namespace {

QPalette darkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2a, 0x2a, 0x2e));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x22));
    dark.setColor(QPalette::Text, QColor(0xf0, 0xf0, 0xf0));
    dark.setColor(QPalette::Button, QColor(0x33, 0x33, 0x38));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    return dark;
}

} // namespace

class TestWindowComforts : public QObject {
    Q_OBJECT
private slots:
    void dropOnTheWindow_data();
    void dropOnTheWindow();
    void placeKeptAndPutBackOnScreen_data();
    void placeKeptAndPutBackOnScreen();
    void copiesTheLineAsInTheFile_data();
    void copiesTheLineAsInTheFile();
    void coloursFollowAPaletteChange();
};

void TestWindowComforts::dropOnTheWindow_data()
{
    QTest::addColumn<QStringList>("dragged");  // file names in the work folder; "text:..." or "url:..." otherwise
    QTest::addColumn<int>("actions");          // the drag's possible actions
    QTest::addColumn<bool>("unsaved");         // an unsaved change before the drop
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("inUse");        // the list in use afterwards
    QTest::addColumn<QStringList>("told");

    const int copy = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    const QStringList none;
    QTest::newRow("one list file") << QStringList{"other.txt"} << copy << false << true << "%/other.txt" << none;
    QTest::newRow("several files") << QStringList{"other.txt", "third.txt"} << copy << false << false << "Projects.txt" << none;
    QTest::newRow("a folder") << QStringList{"folder"} << copy << false << false << "Projects.txt" << none;
    QTest::newRow("text") << QStringList{"text:001     Dropped"} << copy << false << false << "Projects.txt" << none;
    QTest::newRow("a web address") << QStringList{"url:https://example.com/other.txt"} << copy << false << false
                                   << "Projects.txt" << none;
    QTest::newRow("a FIFO") << QStringList{"fifo"} << copy << false << false << "Projects.txt" << none;
    QTest::newRow("a device") << QStringList{"url:file:///dev/zero"} << copy << false << false << "Projects.txt" << none;
    QTest::newRow("offered only as a move") << QStringList{"other.txt"} << int(Qt::MoveAction) << false << false
                                            << "Projects.txt" << none;
    QTest::newRow("UTF-16 is refused as Load refuses it")
        << QStringList{"wide.txt"} << copy << false << true << "Projects.txt"
        << QStringList{"The file %/wide.txt is UTF-16 text, not a list this program can edit. It is left as it is."};
    QTest::newRow("unsaved changes are asked about first")
        << QStringList{"other.txt"} << copy << true << true << "Projects.txt"
        << QStringList{"The changes to the Project List Projects.txt are not saved\rSave them first ?"};
}

// Dropped through the real window's drag events: a refused drag is told by
// the drag's own feedback alone, no message; an accepted one loads as Load.
void TestWindowComforts::dropOnTheWindow()
{
    QFETCH(QStringList, dragged);
    QFETCH(int, actions);
    QFETCH(bool, unsaved);
    QFETCH(bool, accepted);
    QFETCH(QString, inUse);
    QFETCH(QStringList, told);
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(2)));
    env.writeFile(QStringLiteral("other.txt"), TestEnvironment::listBytes(numberedProjects(5)));
    env.writeFile(QStringLiteral("third.txt"), TestEnvironment::listBytes(numberedProjects(3)));
    env.writeFile(QStringLiteral("wide.txt"), QByteArray("\xFF\xFE" "0\0" "0\0" "1\0", 8));
    QDir(env.workFolder()).mkdir(QStringLiteral("folder"));
    QCOMPARE(::mkfifo(QFile::encodeName(env.path(QStringLiteral("fifo"))).constData(), 0600), 0);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->show();
    dialogs.clear();
    if (unsaved) {
        w->document().putProject("004", "004     Unsaved shed");
        dialogs.answers << MessageButton::Cancel;
    }

    QMimeData data;
    QList<QUrl> urls;
    for (const QString& item : dragged) {
        if (item.startsWith(QLatin1String("text:")))
            data.setText(item.mid(5));
        else if (item.startsWith(QLatin1String("url:")))
            urls << QUrl(item.mid(4));
        else
            urls << QUrl::fromLocalFile(env.path(item));
    }
    if (!urls.isEmpty())
        data.setUrls(urls);
    const QPoint middle = w->rect().center();
    QDragEnterEvent enter(middle, Qt::DropActions(actions), &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &enter);
    QCOMPARE(enter.isAccepted(), accepted);
    QDropEvent drop(middle, Qt::DropActions(actions), &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &drop);
    QCOMPARE(drop.isAccepted(), accepted);
    if (accepted)
        QCOMPARE(drop.dropAction(), Qt::CopyAction);

    inUse.replace(QLatin1Char('%'), env.workFolder());
    for (QString& text : told)
        text.replace(QLatin1Char('%'), env.workFolder());
    QTRY_COMPARE(QString::fromLocal8Bit(w->CurrentListFile().c_str()), inUse);
    QTRY_COMPARE(dialogs.texts(), told);
    QCOMPARE(w->listModel()->count(), inUse.endsWith(QLatin1String("other.txt")) ? 5 : 2);
    // Every file dropped is left as it was.
    QCOMPARE(env.readFile(QStringLiteral("other.txt")), TestEnvironment::listBytes(numberedProjects(5)));
    QCOMPARE(env.readFile(QStringLiteral("wide.txt")), QByteArray("\xFF\xFE" "0\0" "0\0" "1\0", 8));
}

void TestWindowComforts::placeKeptAndPutBackOnScreen_data()
{
    QTest::addColumn<QRect>("leftAt");     // the window's place at the last close (empty: stored is used)
    QTest::addColumn<QString>("stored");   // the stored geometry when not left by a window
    QTest::addColumn<bool>("maximise");    // "Run Maximised"
    QTest::addColumn<QRect>("expected");   // empty: centred at the designed size, on the primary screen

    QTest::newRow("kept") << QRect(40, 50, 600, 420) << QString() << false << QRect(40, 50, 600, 420);
    QTest::newRow("on a monitor that is gone") << QRect(3000, 2200, 600, 420) << QString() << false << QRect();
    QTest::newRow("not base64") << QRect() << "%%not*geometry!" << false << QRect();
    QTest::newRow("base64 of garbage") << QRect() << QString::fromLatin1(QByteArray("garbage bytes").toBase64())
                                       << false << QRect();
    QTest::newRow("Maximise wins") << QRect(40, 50, 600, 420) << QString() << true << QRect(40, 50, 600, 420);
    QTest::newRow("smaller than designed, kept") << QRect(30, 40, 560, 380) << QString() << false
                                                 << QRect(30, 40, 560, 380);
    QTest::newRow("larger than designed, kept") << QRect(20, 40, 770, 540) << QString() << false
                                                << QRect(20, 40, 770, 540);
    const auto base64 = [](const QByteArray& bytes) { return QString::fromLatin1(bytes.toBase64()); };
    const qint32 lowest = std::numeric_limits<qint32>::min();
    const qint32 highest = std::numeric_limits<qint32>::max();
    const PlaceEdges everything = {lowest, lowest, highest, highest};
    QTest::newRow("edges across the whole integer range")
        << QRect() << base64(storedPlace(everything, everything, everything)) << false << QRect();
    const PlaceEdges turned = {600, 400, 100, 100};
    QTest::newRow("right of left, bottom above top")
        << QRect() << base64(storedPlace(turned, turned, turned)) << false << QRect();
}

void TestWindowComforts::placeKeptAndPutBackOnScreen()
{
    QFETCH(QRect, leftAt);
    QFETCH(QString, stored);
    QFETCH(bool, maximise);
    QFETCH(QRect, expected);
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(2)));
    ScriptedDialogs dialogs;
    if (leftAt.isValid()) {
        auto first = startMainWindow(dialogs, false);
        first->show();
        QTRY_VERIFY(first->firstActivationDone());
        first->setGeometry(leftAt);
        named<QCheckBox>(&*first, "MaximiseApp")->setChecked(maximise);
        QVERIFY(first->close());
    } else {
        env.writeSettings(QStringLiteral("[General]\nLast=0\n[Window]\nGeometry=") + stored + QLatin1Char('\n'));
    }
    QVERIFY(dialogs.errors().isEmpty());

    auto w = startMainWindow(dialogs, false);
    w->show();
    QTRY_VERIFY(w->firstActivationDone());
    QCOMPARE(w->isMaximized(), maximise);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect placed = w->isMaximized() ? w->normalGeometry() : w->geometry();
    if (expected.isValid()) {
        QCOMPARE(placed, expected);
    } else {
        QVERIFY2(available.contains(w->frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(placed.x()).arg(placed.y()).arg(placed.width()).arg(placed.height())));
        QCOMPARE(w->frameGeometry().center(), available.center());
        QCOMPARE(w->size(), QSize(740, 505));
    }
    QVERIFY(dialogs.errors().isEmpty());
}

void TestWindowComforts::copiesTheLineAsInTheFile_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("format");

    QTest::newRow("8-bit") << QByteArray("007     Caf\xe9 cr\xe8me \x80 5") << QStringLiteral("007     Caf\u00e9 cr\u00e8me \u20ac 5")
                           << "text/plain;charset=windows-1252";
    QTest::newRow("UTF-8") << QByteArray("007     Caf\xc3\xa9") << QStringLiteral("007     Caf\u00e9")
                           << "text/plain;charset=utf-8";
    QTest::newRow("longer than the view shows")
        << QByteArray("007     ") + QByteArray(60, 'x') << QStringLiteral("007     ") + QString(60, QLatin1Char('x'))
        << "text/plain;charset=utf-8";
}

// Ctrl+C in the list: the selected project's line as the file holds it,
// although the view shows the caption edited in place.
void TestWindowComforts::copiesTheLineAsInTheFile()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, text);
    QFETCH(QString, format);
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), QByteArray("001     One\r\n") + line + "\r\n002     Two\r\n");
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->show();
    auto* list = named<QTableView>(&*w, "Projects");
    w->activateWindow();
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    list->selectRow(1);
    w->listModel()->setCaption(1, "123  ");
    QGuiApplication::clipboard()->clear();
    QTest::keySequence(list, QKeySequence::Copy);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied);
    QCOMPARE(copied->text(), text);
    QCOMPARE(copied->data(format), line);
    // Offered beside "What's this?" in the list's menu.
    QVERIFY(w->contextHelp().whatsThis()->popupMenu()->actions().contains(named<QAction>(&*w, "CopyProject1")));
}

// A palette changed while the program runs reaches the list (its selection
// without the focus), the drawn pictures, the panels and the status bar at
// once, and a change back brings the light pictures back.
void TestWindowComforts::coloursFollowAPaletteChange()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(3)));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->show();
    auto* list = named<QTableView>(&*w, "Projects");
    const QImage lightSwap = named<QAction>(&*w, "InvertList")->icon().pixmap(32).toImage();
    const QPalette light = QApplication::palette();
    // What the desktop's change does to the window (the application's
    // palette reaches the windows only once the event loop runs).
    w->setPalette(darkPalette());
    const QPalette shown = list->palette();
    QCOMPARE(shown.color(QPalette::Active, QPalette::Base), darkPalette().color(QPalette::Base));
    QCOMPARE(shown.color(QPalette::Inactive, QPalette::Highlight), darkPalette().color(QPalette::Base));
    QCOMPARE(shown.color(QPalette::Inactive, QPalette::HighlightedText), darkPalette().color(QPalette::Text));
    QCOMPARE(named<QWidget>(&*w, "OptionsTabs")->palette().color(QPalette::Window), darkPalette().color(QPalette::Window));
    QCOMPARE(named<QStatusBar>(&*w, "StatusBar")->palette().color(QPalette::WindowText), darkPalette().color(QPalette::WindowText));
    const QImage darkSwap = named<QAction>(&*w, "InvertList")->icon().pixmap(32).toImage();
    QVERIFY(darkSwap != lightSwap);
    w->setPalette(light);
    QCOMPARE(named<QAction>(&*w, "InvertList")->icon().pixmap(32).toImage(), lightSwap);
    QCOMPARE(list->palette().color(QPalette::Inactive, QPalette::Highlight), light.color(QPalette::Active, QPalette::Base));
}

QTEST_MAIN(TestWindowComforts)
#include "test_windowcomforts.moc"
