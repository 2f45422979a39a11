// The real help viewer on the built help file, offscreen: the help file
// opens, topic 17 and every popup number of the main window resolve, the
// contents and the index fill, the viewer window follows the commands, and
// the main window's Help menu reaches it.
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
#include <QLineEdit>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWhatsThis>
#include <QtTest>

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
    void indexOpensAtAKeyword();
    void missingFileOrTopicFails();
    void rebuiltHelpFileIsRegisteredAgain();
    void helpMenuOpensTheViewerAndClosingTheWindowClosesIt();
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

QTEST_MAIN(HelpViewerTest)
#include "test_helpviewer.moc"
