// The real help viewer on the built help file, offscreen: the help file
// opens, topic 17 and every popup number of the main window resolve, the
// contents and the index fill, the viewer window follows the commands, and
// the main window's Help menu reaches it. A crafted help file whose page
// refers to local files gets nothing read from outside the help file, and a
// page that would take too long to lay out is replaced by a notice while the
// window keeps answering.
#include "help/helpbrowser.h"
#include "widgetlookup.h"
#include "help/helpcommands.h"
#include "help/helpviewerwindow.h"
#include "help/htmlhelpapi.h"
#include "help/qthelpviewer.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "app/tvantorel.h"

#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QDesktopServices>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWhatsThis>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {
const quint32 popupNumbers[] = {1,   17,  25,  26,  30,  44,  63,  64,  65,  69,  93,  109, 140, 144, 148,
                                149, 154, 155, 156, 157, 161, 162, 163, 164, 165, 166};

QString builtHelpFile()
{
    return qEnvironmentVariable("QUINDLE_BUILD_DIR", QCoreApplication::applicationDirPath()) +
           QStringLiteral("/Quindle.qch");
}

QWidget* visiblePopup()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && QByteArray(w->metaObject()->className()) == "QWhatsThat")
            return w;
    return nullptr;
}

// Notes whether anybody opens a FIFO for reading, and lets such a reader go
// at once (an empty write end) so that a fault fails the test instead of
// hanging it.
class FifoWatch {
public:
    explicit FifoWatch(const QByteArray& path) : path_(path)
    {
        ::mkfifo(path_.constData(), 0600);
        thread_ = std::thread([this] {
            while (!stop_) {
                const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    opened_ = true;
                    ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    ~FifoWatch()
    {
        stop_ = true;
        thread_.join();
    }
    bool openedByAReader() const { return opened_; }

private:
    QByteArray path_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> opened_{false};
    std::thread thread_;
};

// Receives what would be handed to the desktop.
class DesktopOpener : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

// A help file of one page (context number 17) built from the given HTML.
QString buildHelpFile(const QTemporaryDir& dir, const QByteArray& pageHtml, const QByteArray& popupText)
{
    const QString generator = qEnvironmentVariable("QUINDLE_QHELPGENERATOR",
                                                   QStringLiteral("/usr/lib/qt6/libexec/qhelpgenerator"));
    if (!QFileInfo(generator).isExecutable())
        return QString();
    QFile page(dir.filePath(QStringLiteral("page.html")));
    page.open(QIODevice::WriteOnly);
    page.write(pageHtml);
    page.close();
    QImage inside(7, 5, QImage::Format_RGB32);
    inside.fill(Qt::darkGreen);
    inside.save(dir.filePath(QStringLiteral("inside.png")));
    QFile popups(dir.filePath(QStringLiteral("CSHelp.txt")));
    popups.open(QIODevice::WriteOnly);
    popups.write(".topic 17\n" + popupText + "\n");
    popups.close();
    QFile project(dir.filePath(QStringLiteral("crafted.qhp")));
    project.open(QIODevice::WriteOnly);
    project.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<QtHelpProject version=\"1.0\"><namespace>test.quindle.crafted</namespace>"
                  "<virtualFolder>doc</virtualFolder><filterSection>"
                  "<toc><section title=\"Crafted\" ref=\"page.html\"/></toc>"
                  "<keywords><keyword name=\"crafted\" id=\"17\" ref=\"page.html\"/></keywords>"
                  "<files><file>page.html</file><file>CSHelp.txt</file><file>inside.png</file></files></filterSection></QtHelpProject>\n");
    project.close();
    const QString qch = dir.filePath(QStringLiteral("Crafted.qch"));
    QProcess run;
    run.start(generator, {project.fileName(), QStringLiteral("-o"), qch});
    if (!run.waitForFinished(60000) || run.exitCode() != 0)
        return QString();
    return qch;
}

// The names of the files opened in one folder from now on.
class OpenWatch {
public:
    explicit OpenWatch(const QString& folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        ::inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_OPEN);
    }
    ~OpenWatch() { ::close(fd_); }
    QStringList opened() const
    {
        QStringList names;
        alignas(inotify_event) char buffer[16384];
        for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0)
                    names << QFile::decodeName(event->name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return names;
    }

private:
    int fd_;
};

// Checks from a thread of its own that the window keeps answering: the
// event loop beats every 20 ms, and the longest pause between beats is kept.
// A window that stops answering for a minute ends the run instead of
// hanging it.
class Watchdog {
public:
    Watchdog()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { lastBeat_ = now(); });
        timer_.start(20);
        thread_ = std::thread([this] {
            while (!stop_) {
                const qint64 pause = now() - lastBeat_;
                longest_ = std::max<qint64>(longest_, pause);
                if (pause > 60000)
                    qFatal("The help viewer's window stopped answering");
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    }
    ~Watchdog()
    {
        stop_ = true;
        thread_.join();
    }
    qint64 longestPauseMs()
    {
        QTest::qWait(100);
        return longest_;
    }

private:
    static qint64 now() { return QDateTime::currentMSecsSinceEpoch(); }
    QTimer timer_;
    std::atomic<qint64> lastBeat_{now()};
    std::atomic<qint64> longest_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

QSize shownImageSize(HelpBrowser* browser, const QString& name)
{
    return browser->document()->resource(QTextDocument::ImageResource, QUrl(name)).value<QImage>().size();
}

QString topicTitle(HelpViewerWindow* window)
{
    return window->browser()->documentTitle();
}
} // namespace

class HelpViewerTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void topicsOpenByContextNumber();
    void everyPopupNumberHasText();
    void popupsShowAtTheirPoint();
    void contentsAndIndexFill();
    void viewerGoesRightAfterOpening();
    void indexOpensAtAKeyword();
    void missingFileOrTopicFails();
    void rebuiltHelpFileIsRegisteredAgain();
    void helpMenuOpensTheViewerAndClosingTheWindowClosesIt();
    void pageReferringToLocalFilesReadsNothingOutside();
    void pageResourcesComeOnlyFromTheHelpFile_data();
    void pageResourcesComeOnlyFromTheHelpFile();
    void pagesTooCostlyToLayOutAreReplacedByANotice_data();
    void pagesTooCostlyToLayOutAreReplacedByANotice();
};

void HelpViewerTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(QtHelpViewer::collectionFile());
    QVERIFY2(QFileInfo::exists(builtHelpFile()), qPrintable(builtHelpFile()));
}

void HelpViewerTest::cleanup()
{
    FreeHtmlHelp();
}

void HelpViewerTest::topicsOpenByContextNumber()
{
    QtHelpViewer viewer;
    QVERIFY(viewer.HtmlHelp(nullptr, builtHelpFile(), HHCmd::HelpContext, 17) != 0);
    QVERIFY(viewer.window()->isVisible());
    QCOMPARE(topicTitle(viewer.window()), QStringLiteral("The New Project wizard"));
    QVERIFY(viewer.window()->browser()->toPlainText().contains(QStringLiteral("Select a Directory")));

    QVERIFY(viewer.HtmlHelp(nullptr, builtHelpFile(), HHCmd::HelpContext, 166) != 0);
    QCOMPARE(topicTitle(viewer.window()), QStringLiteral("Adding, inserting, editing and removing projects"));
    QCOMPARE(viewer.window()->browser()->source().fragment(), QStringLiteral("apply"));

    // Every context number of the main window has a topic too.
    for (quint32 number : popupNumbers)
        QVERIFY2(viewer.HtmlHelp(nullptr, builtHelpFile(), HHCmd::HelpContext, int(number)) != 0,
                 qPrintable(QString::number(number)));

    QVERIFY(viewer.HtmlHelp(nullptr, QString(), HHCmd::CloseAll, 0) != 0);
    QVERIFY(!viewer.window()->isVisible());
}

void HelpViewerTest::everyPopupNumberHasText()
{
    QtHelpViewer viewer;
    const QHash<quint32, QString> texts = viewer.popupTexts(builtHelpFile(), QStringLiteral("CSHelp.txt"));
    for (quint32 number : popupNumbers)
        QVERIFY2(texts.value(number).size() > 20, qPrintable(QString::number(number)));
    QVERIFY(texts.value(166).startsWith(QStringLiteral("Apply Changes")));
    QVERIFY(!texts.contains(0));
}

void HelpViewerTest::popupsShowAtTheirPoint()
{
    QtHelpViewer viewer;
    TextPopup popup;
    popup.stringId = 1;
    popup.point = QPoint(100, 200);
    const QString file = builtHelpFile() + QStringLiteral("::/CSHelp.txt");
    QVERIFY(viewer.HtmlHelp(nullptr, file, HHCmd::DisplayTextPopup, QVariant::fromValue(popup)) != 0);
    QWidget* shown = visiblePopup();
    QVERIFY(shown);
    QVERIFY(shown->geometry().contains(QPoint(100, 200)) || shown->geometry().topLeft().y() >= 200);

    // An unknown number shows nothing and fails.
    QWhatsThis::hideText();
    QTRY_VERIFY(!visiblePopup());
    popup.stringId = 4242;
    QCOMPARE(viewer.HtmlHelp(nullptr, file, HHCmd::DisplayTextPopup, QVariant::fromValue(popup)), quintptr(0));
    QVERIFY(!visiblePopup());

    // A popup by its own text needs no file.
    popup.stringId = 0;
    popup.text = QStringLiteral("Plain words");
    QVERIFY(viewer.HtmlHelp(nullptr, QString(), HHCmd::DisplayTextPopup, QVariant::fromValue(popup)) != 0);
    QVERIFY(visiblePopup());
    // An empty text still shows an (empty) popup, in place of the last one.
    popup.text.clear();
    popup.point = QPoint(300, 300);
    QVERIFY(viewer.HtmlHelp(nullptr, QString(), HHCmd::DisplayTextPopup, QVariant::fromValue(popup)) != 0);
    QTRY_VERIFY(visiblePopup() && visiblePopup()->width() < 100);
    viewer.HtmlHelp(nullptr, QString(), HHCmd::CloseAll, 0);
    QTRY_VERIFY(!visiblePopup());
}

void HelpViewerTest::contentsAndIndexFill()
{
    QtHelpViewer viewer;
    QVERIFY(viewer.HtmlHelp(nullptr, builtHelpFile(), HHCmd::DisplayToc, 0) != 0);
    HelpViewerWindow* window = viewer.window();
    QCOMPARE(window->tabs()->currentIndex(), 0);
    QHelpContentModel* contents = viewer.engine()->contentModel();
    QTRY_VERIFY(!contents->isCreatingContents() && contents->rowCount() > 0);
    QHelpContentItem* top = contents->contentItemAt(contents->index(0, 0));
    QVERIFY(top);
    QCOMPARE(top->title(), QStringLiteral("Quindle Help"));
    QVERIFY(top->childCount() >= 12);
    // The first topic shows once the contents are there.
    QTRY_COMPARE(topicTitle(window), QStringLiteral("Quindle Help"));

    QHelpIndexModel* index = viewer.engine()->indexModel();
    QTRY_VERIFY(!index->isCreatingIndex() && index->rowCount() > 40);
    for (int row = 0; row < index->rowCount(); ++row)
        QVERIFY(!index->index(row, 0).data().toString().isEmpty());
}

// Help opened and the program closed at once: the engine is still building
// its contents and index on threads of its own when the viewer goes.
void HelpViewerTest::viewerGoesRightAfterOpening()
{
    // A help file in a new place each time is registered anew.
    for (int round = 0; round < 40; ++round) {
        QTemporaryDir folder;
        const QString helpFile = folder.filePath(QStringLiteral("Quindle.qch"));
        QVERIFY(QFile::copy(builtHelpFile(), helpFile));
        auto viewer = std::make_unique<QtHelpViewer>();
        QVERIFY(viewer->HtmlHelp(nullptr, helpFile, round % 2 ? HHCmd::DisplayIndex : HHCmd::DisplayToc, 0) != 0);
        if (round % 3 == 0)
            QVERIFY(viewer->HtmlHelp(nullptr, helpFile, HHCmd::HelpContext, 17) != 0);
        // Gone at once, or once some of what the threads built has arrived.
        QTest::qWait(round % 5 * 4);
        viewer.reset();
    }
}

void HelpViewerTest::indexOpensAtAKeyword()
{
    QtHelpViewer viewer;
    QVERIFY(viewer.HtmlHelp(nullptr, builtHelpFile(), HHCmd::DisplayIndex, QStringLiteral("Swap Table View")) != 0);
    HelpViewerWindow* window = viewer.window();
    QCOMPARE(window->tabs()->currentIndex(), 1);
    QCOMPARE(window->indexFilter()->text(), QStringLiteral("Swap Table View"));
    QTRY_COMPARE(topicTitle(window), QStringLiteral("Jumping between start and end of the list"));

    // Without a keyword the index just opens.
    QVERIFY(viewer.HtmlHelp(nullptr, builtHelpFile(), HHCmd::DisplayIndex, QVariant()) != 0);
    QCOMPARE(window->indexFilter()->text(), QString());
}

void HelpViewerTest::missingFileOrTopicFails()
{
    QtHelpViewer viewer;
    const QString missing = QStringLiteral("/nonexistent/Quindle.qch");
    QCOMPARE(viewer.HtmlHelp(nullptr, missing, HHCmd::DisplayToc, 0), quintptr(0));
    QCOMPARE(viewer.HtmlHelp(nullptr, missing, HHCmd::HelpContext, 17), quintptr(0));
    QCOMPARE(viewer.HtmlHelp(nullptr, builtHelpFile(), HHCmd::HelpContext, 9999), quintptr(0));
    TextPopup popup;
    popup.stringId = 1;
    QCOMPARE(viewer.HtmlHelp(nullptr, missing + QStringLiteral("::/CSHelp.txt"), HHCmd::DisplayTextPopup,
                             QVariant::fromValue(popup)),
             quintptr(0));
    // A file that is no help file at all.
    QTemporaryDir dir;
    const QString bogus = dir.filePath(QStringLiteral("Quindle.qch"));
    QFile f(bogus);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a help file");
    f.close();
    QCOMPARE(viewer.HtmlHelp(nullptr, bogus, HHCmd::DisplayToc, 0), quintptr(0));
    QCOMPARE(viewer.HtmlHelp(nullptr, builtHelpFile(), 77, 0), quintptr(0));
}

void HelpViewerTest::rebuiltHelpFileIsRegisteredAgain()
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("Quindle.qch"));
    QVERIFY(QFile::copy(builtHelpFile(), copy));
    {
        QtHelpViewer viewer;
        QVERIFY(!viewer.openHelpFile(copy).isEmpty());
        QCOMPARE(viewer.engine()->documentationFileName(viewer.openHelpFile(copy)), copy);
    }
    // The same help file beside another program replaces the first one.
    QtHelpViewer viewer;
    const QString ns = viewer.openHelpFile(builtHelpFile());
    QVERIFY(!ns.isEmpty());
    QCOMPARE(QFileInfo(viewer.engine()->documentationFileName(ns)), QFileInfo(builtHelpFile()));
    QVERIFY(viewer.HtmlHelp(nullptr, builtHelpFile(), HHCmd::HelpContext, 17) != 0);
}

void HelpViewerTest::helpMenuOpensTheViewerAndClosingTheWindowClosesIt()
{
    TestEnvironment env;
    ScriptedDialogs dialogs;
    auto window = startMainWindow(dialogs);
    QVERIFY(triggerAction(&*window, "mainHelp"));
    auto* viewer = dynamic_cast<QtHelpViewer*>(loadedHtmlHelpViewer());
    QVERIFY(viewer);
    QPointer<HelpViewerWindow> shown = viewer->window();
    QVERIFY(shown && shown->isVisible());
    QCOMPARE(shown->tabs()->currentIndex(), 0);
    QVERIFY(!shown->testAttribute(Qt::WA_QuitOnClose));

    named<QPushButton>(&*window, "Help3")->click();
    QCOMPARE(topicTitle(shown), QStringLiteral("The New Project wizard"));

    window.reset();
    QVERIFY(shown.isNull() || !shown->isVisible());
}

// A crafted help file whose page uses a FIFO as style sheet, picture and link
// target, and whose popup text shows it as a picture: the page and the popup
// show, and the FIFO is never opened nor handed on.
void HelpViewerTest::pageReferringToLocalFilesReadsNothingOutside()
{
    QTemporaryDir dir;
    const QByteArray fifoUrl = QUrl::fromLocalFile(dir.filePath(QStringLiteral("fifo"))).toEncoded();
    FifoWatch fifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))));
    const QString qch = buildHelpFile(
        dir, "<html><head><title>Crafted</title><link rel=\"stylesheet\" type=\"text/css\" href=\"" + fifoUrl
                 + "\"></head><body><p>Crafted page</p><img src=\"" + fifoUrl + "\"><a href=\"" + fifoUrl
                 + "\">Follow</a></body></html>",
        "Popup <img src=\"" + fifoUrl + "\">");
    if (qch.isEmpty())
        QSKIP("qhelpgenerator cannot build a help file here");

    DesktopOpener desktop;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &desktop, "open");
    QtHelpViewer viewer;
    QVERIFY(viewer.HtmlHelp(nullptr, qch, HHCmd::HelpContext, 17) != 0);
    HelpBrowser* browser = viewer.window()->browser();
    QCOMPARE(topicTitle(viewer.window()), QStringLiteral("Crafted"));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Crafted page")));
    QVERIFY(!browser->isInsideHelpFile(QUrl(QString::fromLatin1(fifoUrl))));

    const QUrl page = browser->source();
    emit browser->anchorClicked(QUrl(QString::fromLatin1(fifoUrl)));
    QCOMPARE(browser->source(), page);
    QCoreApplication::processEvents();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QVERIFY(desktop.opened.isEmpty());

    // A popup text with a picture of the FIFO shows the markup as typed.
    TextPopup popup;
    popup.stringId = 17;
    popup.point = QPoint(100, 200);
    QVERIFY(viewer.HtmlHelp(nullptr, qch + QStringLiteral("::/CSHelp.txt"), HHCmd::DisplayTextPopup,
                            QVariant::fromValue(popup))
            != 0);
    QVERIFY(visiblePopup());
    QWhatsThis::hideText();
    QVERIFY(!fifo.openedByAReader());
}

void HelpViewerTest::pageResourcesComeOnlyFromTheHelpFile_data()
{
    // How the page names the thing outside; "@" stands for a folder outside
    // the help file, which is also the working folder.
    QTest::addColumn<QString>("reference");
    QTest::addColumn<bool>("styleSheet");
    QTest::newRow("picture by absolute path") << "@/outside.png" << false;
    QTest::newRow("picture by relative path") << "outside.png" << false;
    QTest::newRow("picture by file URL") << "file://@/outside.png" << false;
    QTest::newRow("picture on a FIFO") << "@/fifo" << false;
    QTest::newRow("picture on a FIFO by relative path") << "fifo" << false;
    QTest::newRow("style sheet on a FIFO") << "@/fifo" << true;
    QTest::newRow("picture on /dev/zero") << "/dev/zero" << false;
}

// The crafted page shows with its picture from inside the help file; the
// one it names outside is never opened and shows as nothing, and the
// window keeps answering throughout.
void HelpViewerTest::pageResourcesComeOnlyFromTheHelpFile()
{
    QFETCH(QString, reference);
    QFETCH(bool, styleSheet);
    QTemporaryDir dir;
    QTemporaryDir outside;
    reference.replace(QLatin1Char('@'), outside.path());
    const QByteArray html = reference.toHtmlEscaped().toUtf8();
    const QByteArray page = "<html><head><title>Crafted</title>" +
                            (styleSheet ? "<link rel=\"stylesheet\" href=\"" + html + "\">" : QByteArray()) +
                            "</head><body><p>Crafted page</p><img src=\"inside.png\">" +
                            (styleSheet ? QByteArray() : "<img src=\"" + html + "\">") + "</body></html>";
    const QString qch = buildHelpFile(dir, page, "Popup");
    if (qch.isEmpty())
        QSKIP("qhelpgenerator cannot build a help file here");
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(outside.filePath(QStringLiteral("outside.png"))));
    FifoWatch fifo(QFile::encodeName(outside.filePath(QStringLiteral("fifo"))));
    const QString workingFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(outside.path()));
    OpenWatch opens(outside.path());
    Watchdog watchdog;

    QtHelpViewer viewer;
    const quintptr shown = viewer.HtmlHelp(nullptr, qch, HHCmd::HelpContext, 17);
    HelpBrowser* browser = shown ? viewer.window()->browser() : nullptr;
    if (browser)
        browser->repaint();
    const qint64 longestPause = watchdog.longestPauseMs();
    QDir::setCurrent(workingFolder);

    QVERIFY(browser);
    QCOMPARE(opens.opened(), QStringList());
    QVERIFY(!fifo.openedByAReader());
    QCOMPARE(topicTitle(viewer.window()), QStringLiteral("Crafted"));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Crafted page")));
    QCOMPARE(shownImageSize(browser, QStringLiteral("inside.png")), QSize(7, 5));
    if (!styleSheet)
        QCOMPARE(shownImageSize(browser, reference), QSize(1, 1));
    QVERIFY2(longestPause < 5000, qPrintable(QString::number(longestPause)));
}

void HelpViewerTest::pagesTooCostlyToLayOutAreReplacedByANotice_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("encoding");  // the page's bytes: "utf-8" or "utf-16"
    QTest::addColumn<QString>("notice");    // empty: the page shows
    const QString deep = QStringLiteral("nests its elements too deeply");
    QTest::newRow("100000 nested divisions") << "<div>"_ba.repeated(100000) + "deep" << "utf-8" << deep;
    QTest::newRow("50000 nested lists") << "<ul><li>x"_ba.repeated(50000) << "utf-8" << deep;
    QTest::newRow("100000 bold tags never closed") << "<b>"_ba.repeated(100000) + "bold" << "utf-8" << deep;
    QTest::newRow("40 tables inside tables") << "<table><tr><td>x"_ba.repeated(40) << "utf-8" << deep;
    QTest::newRow("nested divisions as UTF-16")
        << "<div>"_ba.repeated(100000) + "deep" << "utf-16" << deep;
    QTest::newRow("a page of 3 million characters")
        << "<p>" + QByteArray(3 * 1024 * 1024, 'x') << "utf-8" << QStringLiteral("is too large to be shown");
    // Pages that nest little show, however many elements leave out their
    // optional end tags and whatever their comments and attributes hold.
    QTest::newRow("200 nested divisions") << "<div>"_ba.repeated(200) + "deep" << "utf-8" << QString();
    QTest::newRow("8 tables inside tables") << "<table><tr><td>x"_ba.repeated(8) << "utf-8" << QString();
    QTest::newRow("2000 paragraphs without end tags") << "<p>para"_ba.repeated(2000) << "utf-8" << QString();
    QTest::newRow("2000 list items without end tags")
        << "<ul>" + "<li>item"_ba.repeated(2000) + "</ul>" << "utf-8" << QString();
    QTest::newRow("a table of 2000 rows without end tags")
        << "<table>" + "<tr><td>a<td>b"_ba.repeated(2000) + "</table>" << "utf-8" << QString();
    QTest::newRow("tags inside comments and attribute values")
        << "<!--" + "<div>"_ba.repeated(1000) + "-->" + "<p title=\"<div><div>\">x</p>"_ba.repeated(1000)
        << "utf-8" << QString();
}

void HelpViewerTest::pagesTooCostlyToLayOutAreReplacedByANotice()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, encoding);
    QFETCH(QString, notice);
    QTemporaryDir dir;
    QByteArray page = "<html><head><title>Crafted</title></head><body><p>Crafted page</p>" + body + "</body></html>";
    if (encoding == QLatin1String("utf-16")) {
        const QString text = QString::fromUtf8(page);
        page = QByteArray("\xff\xfe", 2) +
               QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * qsizetype(sizeof(char16_t)));
    }
    const QString qch = buildHelpFile(dir, page, "Popup");
    if (qch.isEmpty())
        QSKIP("qhelpgenerator cannot build a help file here");
    Watchdog watchdog;

    QtHelpViewer viewer;
    QVERIFY(viewer.HtmlHelp(nullptr, qch, HHCmd::HelpContext, 17) != 0);
    HelpBrowser* browser = viewer.window()->browser();
    browser->repaint();
    const qint64 longestPause = watchdog.longestPauseMs();

    if (notice.isEmpty()) {
        QCOMPARE(topicTitle(viewer.window()), QStringLiteral("Crafted"));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Crafted page")));
    } else {
        QCOMPARE(topicTitle(viewer.window()), QStringLiteral("Help page not shown"));
        QVERIFY2(browser->toPlainText().contains(QStringLiteral("The help page page.html ") + notice),
                 qPrintable(browser->toPlainText()));
    }
    QVERIFY2(longestPause < 5000, qPrintable(QString::number(longestPause)));
}

QTEST_MAIN(HelpViewerTest)
#include "test_helpviewer.moc"
