// Help through the real main window when the help file is not what it should
// be, and the keyboard over a "What's this?" text: every help gesture names a
// help file it cannot read, and Escape over a popup closes only the popup.
#include "help/htmlhelpapi.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "widgetlookup.h"
#include "app/contexthelp.h"
#include "app/tvantorel.h"
#include "help/thelprouter.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QWhatsThis>
#include <QtTest>

namespace {

QString builtHelpFile()
{
    return qEnvironmentVariable("QUINDLE_BUILD_DIR", QCoreApplication::applicationDirPath()) +
           QStringLiteral("/Quindle.qch");
}

QWidget* whatsThisText()
{
    QWidget* popup = QApplication::activePopupWidget();
    return popup && popup->inherits("QWhatsThat") ? popup : nullptr;
}

QWidget* visibleHelpViewer()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QLatin1String("HelpViewer"))
            return w;
    return nullptr;
}

// The help file of one row of the table: the kind of file put where the
// help file should be.
enum class HelpFileKind { Empty, RandomBytes, ForeignDatabase, ForeignDatabaseWithNamespace, Missing, Real };

bool writeHelpFile(const QString& path, HelpFileKind kind)
{
    switch (kind) {
    case HelpFileKind::Missing:
        return !QFileInfo::exists(path);
    case HelpFileKind::Real:
        return QFile::copy(builtHelpFile(), path);
    case HelpFileKind::ForeignDatabase:
    case HelpFileKind::ForeignDatabaseWithNamespace: {
        bool made = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
            db.setDatabaseName(path);
            made = db.open() && QSqlQuery(db).exec(QStringLiteral("CREATE TABLE Projects (Num TEXT, Name TEXT)")) &&
                   QSqlQuery(db).exec(QStringLiteral("INSERT INTO Projects VALUES ('001', 'Alpha')"));
            // A table of the name a help file has, among tables of its own.
            if (kind == HelpFileKind::ForeignDatabaseWithNamespace)
                made = made
                    && QSqlQuery(db).exec(QStringLiteral("CREATE TABLE NamespaceTable (Id INTEGER PRIMARY KEY, Name TEXT)"))
                    && QSqlQuery(db).exec(QStringLiteral("INSERT INTO NamespaceTable VALUES (1, 'com.example.other')"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
        return made;
    }
    case HelpFileKind::Empty:
    case HelpFileKind::RandomBytes: {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        QByteArray bytes;
        QRandomGenerator random(23);
        for (int i = 0; kind == HelpFileKind::RandomBytes && i < 8192; ++i)
            bytes += char(random.bounded(256));
        return file.write(bytes) == bytes.size();
    }
    }
    return false;
}

struct ShownMainWindow {
    TestEnvironment env;
    ScriptedDialogs dialogs;
    std::unique_ptr<TVantorel> window;

    ShownMainWindow()
    {
        env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes({"001     Alpha", "002     Beta"}));
        window = startMainWindow(dialogs);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("main window not active");
    }
    ~ShownMainWindow()
    {
        window.reset();
        FreeHtmlHelp();
    }
    QObject* ui() const { return window.get(); }
    QPoint at(QWidget* w) const { return w->mapTo(window.get(), w->rect().center()); }
};

} // namespace

class HelpNoticesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyHelpGestureNamesAHelpFileItCannotUse_data();
    void everyHelpGestureNamesAHelpFileItCannotUse();
    void escapeOverAWhatsThisTextClosesOnlyTheText_data();
    void escapeOverAWhatsThisTextClosesOnlyTheText();
};

void HelpNoticesTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QFileInfo::exists(builtHelpFile()), qPrintable(builtHelpFile()));
}

void HelpNoticesTest::everyHelpGestureNamesAHelpFileItCannotUse_data()
{
    QTest::addColumn<HelpFileKind>("kind");
    QTest::addColumn<QString>("messageStart");  // empty: help opens, nothing is said
    QTest::newRow("empty") << HelpFileKind::Empty << "Cannot read help file ";
    QTest::newRow("random bytes") << HelpFileKind::RandomBytes << "Cannot read help file ";
    QTest::newRow("another kind of SQLite file") << HelpFileKind::ForeignDatabase << "Cannot read help file ";
    QTest::newRow("another SQLite file with a help file's namespace")
        << HelpFileKind::ForeignDatabaseWithNamespace << "Cannot read help file ";
    QTest::newRow("missing") << HelpFileKind::Missing << "Cannot find help file ";
    QTest::newRow("the real help file") << HelpFileKind::Real << "";
}

// The Help menu, each Help button of the wizard and F1 on the list.
void HelpNoticesTest::everyHelpGestureNamesAHelpFileItCannotUse()
{
    QFETCH(HelpFileKind, kind);
    QFETCH(QString, messageStart);
    ShownMainWindow f;
    QTemporaryDir folder;
    const QString helpFile = folder.filePath(QStringLiteral("Quindle.qch"));
    QVERIFY(writeHelpFile(helpFile, kind));
    f.window->parts().contextHelp->router()->setHelpfile(helpFile);
    const QString expected = kind == HelpFileKind::Missing ? messageStart : messageStart + helpFile;

    const QList<std::function<void()>> gestures = {
        [&] { QVERIFY(triggerAction(f.ui(), "mainHelp")); },
        [&] { named<QPushButton>(f.ui(), "HelpBtn")->click(); },
        [&] { named<QPushButton>(f.ui(), "Button2")->click(); },
        [&] { named<QPushButton>(f.ui(), "Help3")->click(); },
        [&] { named<QPushButton>(f.ui(), "Help4")->click(); },
        [&] {
            named<QTableView>(f.ui(), "Projects")->setFocus();
            QTest::keyClick(f.window->windowHandle(), Qt::Key_F1);
        },
    };
    for (int gesture = 0; gesture < gestures.size(); ++gesture) {
        f.dialogs.clear();
        gestures[gesture]();
        if (messageStart.isEmpty()) {
            QTRY_VERIFY2(visibleHelpViewer() || whatsThisText(), qPrintable(QString::number(gesture)));
            QVERIFY(f.dialogs.messages().isEmpty());
            QWhatsThis::hideText();
            if (QWidget* viewer = visibleHelpViewer())
                viewer->close();
            QTRY_VERIFY(!whatsThisText());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.messages().size(), 1, 2000);
            QVERIFY2(f.dialogs.messages().first().startsWith(expected),
                     qPrintable(QString::number(gesture) + QLatin1Char(' ') + f.dialogs.messages().first()));
            QVERIFY(!visibleHelpViewer());
            QVERIFY(!whatsThisText());
        }
    }
}

void HelpNoticesTest::escapeOverAWhatsThisTextClosesOnlyTheText_data()
{
    // A desktop hands the key to the popup, which holds the keyboard, or to
    // the window under it.
    QTest::addColumn<bool>("keyToThePopup");
    QTest::newRow("key to the popup") << true;
    QTest::newRow("key to the main window") << false;
}

void HelpNoticesTest::escapeOverAWhatsThisTextClosesOnlyTheText()
{
    QFETCH(bool, keyToThePopup);
    ShownMainWindow f;
    named<QTableView>(f.ui(), "Projects")->setFocus();
    named<QTableView>(f.ui(), "Projects")->selectRow(1);
    QVERIFY(triggerAction(f.ui(), "EditProject1"));
    auto* wizard = named<QStackedWidget>(f.ui(), "Wizard");
    QVERIFY(wizard->isVisible());
    QCOMPARE(wizard->currentWidget(), named<QWidget>(f.ui(), "Page4"));
    auto* description = named<QLineEdit>(f.ui(), "PrjDiscription");
    description->setFocus();
    description->setText(QStringLiteral("Beta, typed over"));

    QTest::keyClick(f.window->windowHandle(), Qt::Key_F1, Qt::ShiftModifier);
    QTest::mouseClick(f.window->windowHandle(), Qt::LeftButton, {}, f.at(named<QPushButton>(f.ui(), "UtilBtn")));
    QTRY_VERIFY(whatsThisText());
    QWidget* popup = whatsThisText();

    QTest::keyClick(keyToThePopup ? popup->windowHandle() : f.window->windowHandle(), Qt::Key_Escape);
    QTRY_VERIFY(!whatsThisText());
    QVERIFY(wizard->isVisible());
    QCOMPARE(wizard->currentWidget(), named<QWidget>(f.ui(), "Page4"));
    QCOMPARE(description->text(), QStringLiteral("Beta, typed over"));
    QVERIFY(f.dialogs.shown.isEmpty());

    // With no popup left, Escape cancels the wizard again.
    description->setFocus();
    QTest::keyClick(f.window->windowHandle(), Qt::Key_Escape);
    QTRY_VERIFY(!wizard->isVisible());
}

QTEST_MAIN(HelpNoticesTest)
#include "test_helpnotices.moc"
