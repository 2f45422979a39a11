// The main window from start to close: the first activation, the list view
// and its refill, Load, the options pages, Font and Colour, the start-up jump
// and the nine settings written at close and read back at the next start.
#include "scripteddialogs.h"
#include "testlists.h"
#include "widgetlookup.h"
#include "testenvironment.h"
#include "app/tvantorel.h"
#include "app/windowhost.h"
#include "document/projectlistdocument.h"

#include "app/projectlistmodel.h"

#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

namespace {

const char* const kNineValues[] = {"Current", "Disp Errors", "Maximise", "Auto Fix", "Allow",
                                   "Last Page", "Last", "Space", "Just"};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startsWithMissingListFile();
    void showsEveryLineOfTheList();
    void laterActivationsDoNothing();
    void loadOfMissingFileKeepsListButChangesPath();
    void loadOfEmptyFileLeavesPrintEnabled();
    void loadOfUnreadableFileKeepsPath();
    void cancelledLoadChangesNothing();
    void defaultSettingsAreWrittenAsText();
    void settingsRoundTrip();
    void settingsReadings_data();
    void settingsReadings();
    void aListValueIsReadAsItsText();
    void unwritableSettingsStillClose();
    void startupJumpScrollsToEnd();
    void optionsPagesShowAndHide();
    void fontAndColourApplyToList();
    void cutMultiByteCharacterIsDropped();
    void selectedProjectNumberReadsCaption();
};

void TestMainWindow::startsWithMissingListFile()
{
    TestEnvironment env;
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("Cannot find list file Projects.txt")});
    QCOMPARE(w->parts().listModel->count(), 0);
    QCOMPARE(w->parts().statusPanel(0)->text(), QStringLiteral("Projects.txt"));
    QCOMPARE(w->parts().statusPanel(1)->text(), QStringLiteral("0000"));
    QVERIFY(!named<QAction>(&*w, "Print1")->isEnabled());
    QVERIFY(!named<QAction>(&*w, "printerBtn")->isEnabled());
    QVERIFY(w->windowTitle().endsWith(QStringLiteral("  by Corvane")));
    QVERIFY(w->windowTitle().contains(QStringLiteral(" Version ")));
}

void TestMainWindow::showsEveryLineOfTheList()
{
    TestEnvironment env;
    QStringList lines = numberedProjects(12);
    lines[6] = QStringLiteral("007     Garden shed");
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(lines));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(w->parts().listModel->count(), 12);
    QCOMPARE(w->document().lines().size(), std::size_t(12));
    QCOMPARE(w->parts().statusPanel(1)->text(), QStringLiteral("12"));
    QVERIFY(named<QAction>(&*w, "Print1")->isEnabled());
    QVERIFY(named<QAction>(&*w, "printerBtn")->isEnabled());
    QCOMPARE(w->parts().listModel->captionText(6), QStringLiteral("007  "));
    QCOMPARE(w->parts().listModel->descriptionText(6), QStringLiteral(" Garden shed"));
    QCOMPARE(w->parts().listModel->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Num"));
    QCOMPARE(w->parts().listModel->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Discription"));
}

void TestMainWindow::laterActivationsDoNothing()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(12)));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    env.writeFile(QStringLiteral("Projects.txt"), QByteArray());
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(w.get(), &activate);
    w->FormActivate();
    QCOMPARE(w->parts().listModel->count(), 12);
    QVERIFY(dialogs.shown.isEmpty());
}

void TestMainWindow::loadOfMissingFileKeepsListButChangesPath()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(12)));
    ScriptedDialogs dialogs;
    {
        auto w = startMainWindow(dialogs);
        const QString missing = env.path(QStringLiteral("gone.txt"));
        dialogs.fileNames << missing;
        QVERIFY(triggerAction(&*w, "Load1"));
        QCOMPARE(dialogs.fileDialogs.size(), 1);
        QCOMPARE(dialogs.fileDialogs[0].title, QStringLiteral("ARDLOW PROJECTS"));
        QCOMPARE(dialogs.fileDialogs[0].filter, QStringLiteral("Ardlow Project File [*.txt]|*.txt"));
        QCOMPARE(dialogs.fileDialogs[0].defaultExtension, QStringLiteral("txt"));
        QCOMPARE(dialogs.fileDialogs[0].fileName, QStringLiteral("Projects.txt"));
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("Cannot find list file ") + missing});
        QCOMPARE(w->parts().listModel->count(), 12);
        QCOMPARE(QString::fromStdString(w->document().currentListFile()), missing);
        // Panel 0 shows only the list of the start.
        QCOMPARE(w->parts().statusPanel(0)->text(), QStringLiteral("Projects.txt"));
        // The dialog offers the last chosen file next time.
        QVERIFY(triggerAction(&*w, "Load1"));
        QCOMPARE(dialogs.fileDialogs[1].fileName, missing);
        w->close();
        QCOMPARE(env.settingsValue(QStringLiteral("Current")), missing);
    }
}

void TestMainWindow::loadOfEmptyFileLeavesPrintEnabled()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(12)));
    env.writeFile(QStringLiteral("empty.txt"), QByteArray());
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    dialogs.fileNames << env.path(QStringLiteral("empty.txt"));
    w->Load1Click();
    QVERIFY(dialogs.shown.size() == 1 && dialogs.shown[0].kind == QLatin1String("open"));
    QCOMPARE(w->parts().listModel->count(), 0);
    QCOMPARE(w->parts().statusPanel(1)->text(), QStringLiteral("0"));
    QVERIFY(named<QAction>(&*w, "Print1")->isEnabled());
    QVERIFY(named<QAction>(&*w, "printerBtn")->isEnabled());
}

void TestMainWindow::loadOfUnreadableFileKeepsPath()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(12)));
    QDir(env.workFolder()).mkdir(QStringLiteral("folder.txt"));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    const QString folder = env.path(QStringLiteral("folder.txt"));
    dialogs.fileNames << folder;
    w->Load1Click();
    QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Cannot open file ") + folder});
    QCOMPARE(QString::fromStdString(w->document().currentListFile()), QStringLiteral("Projects.txt"));
    QCOMPARE(w->parts().listModel->count(), 12);
}

void TestMainWindow::cancelledLoadChangesNothing()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(12)));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->Load1Click();
    QCOMPARE(w->parts().listModel->count(), 12);
    QCOMPARE(QString::fromStdString(w->document().currentListFile()), QStringLiteral("Projects.txt"));
}

void TestMainWindow::defaultSettingsAreWrittenAsText()
{
    TestEnvironment env;
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QCOMPARE(QString::fromStdString(w->document().currentListFile()), QStringLiteral("Projects.txt"));
    QVERIFY(named<QCheckBox>(&*w, "JumptoLast")->isChecked());
    QVERIFY(!named<QCheckBox>(&*w, "Autofix")->isChecked());
    QVERIFY(!named<QCheckBox>(&*w, "DisplayAllErrors")->isChecked());
    QVERIFY(!named<QCheckBox>(&*w, "MaximiseApp")->isChecked());
    QVERIFY(!named<QCheckBox>(&*w, "Allowduplicates")->isChecked());
    QVERIFY(!named<QCheckBox>(&*w, "LastPage")->isChecked());
    QCOMPARE(named<RadioGroup>(&*w, "Just")->itemIndex(), 0);
    QCOMPARE(named<UpDown>(&*w, "Vspace")->position(), 60);
    QCOMPARE(named<QLineEdit>(&*w, "Spacing")->text(), QStringLiteral("60"));
    w->close();

    QFile file(env.settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const QStringList expected = {"Current=Projects.txt", "Disp%20Errors=0", "Maximise=0", "Auto%20Fix=0",
                                  "Allow=0", "Last%20Page=0", "Last=1", "Space=60", "Just=0"};
    for (const QString& line : expected)
        QVERIFY2(text.contains(line), qPrintable(line + QStringLiteral(" missing in ") + text));
}

void TestMainWindow::settingsRoundTrip()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("other.txt"), TestEnvironment::listBytes({QStringLiteral("001     One")}));
    ScriptedDialogs dialogs;
    {
        auto w = startMainWindow(dialogs);
        w->document().setCurrentListFile("other.txt");
        named<QCheckBox>(&*w, "DisplayAllErrors")->setChecked(true);
        named<QCheckBox>(&*w, "Allowduplicates")->setChecked(true);
        named<QCheckBox>(&*w, "LastPage")->setChecked(true);
        named<QCheckBox>(&*w, "JumptoLast")->setChecked(false);
        named<RadioGroup>(&*w, "Just")->setItemIndex(1);
        named<UpDown>(&*w, "Vspace")->setPosition(123);
        w->close();
    }
    for (const char* name : kNineValues)
        QVERIFY2(!env.settingsValue(QString::fromLatin1(name)).isEmpty(), name);
    dialogs.clear();
    auto w = startMainWindow(dialogs);
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(QString::fromStdString(w->document().currentListFile()), QStringLiteral("other.txt"));
    QCOMPARE(w->parts().listModel->count(), 1);
    QVERIFY(named<QCheckBox>(&*w, "DisplayAllErrors")->isChecked());
    QVERIFY(named<QCheckBox>(&*w, "Allowduplicates")->isChecked());
    QVERIFY(named<QCheckBox>(&*w, "LastPage")->isChecked());
    QVERIFY(!named<QCheckBox>(&*w, "JumptoLast")->isChecked());
    QVERIFY(!w->parts().startDelay->isActive());
    QCOMPARE(named<RadioGroup>(&*w, "Just")->itemIndex(), 1);
    QCOMPARE(named<UpDown>(&*w, "Vspace")->position(), 123);
    QCOMPARE(named<QLineEdit>(&*w, "Spacing")->text(), QStringLiteral("123"));
}

// Names in any letter case; Booleans and numbers read with the integer
// conversion, a text that is not a whole number giving the default.
void TestMainWindow::settingsReadings_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("maximise");
    QTest::addColumn<int>("just");
    QTest::addColumn<int>("space");
    QTest::addColumn<QString>("justWritten");
    QTest::newRow("other letter case, out of range") << "maximise=yes\nJUST=7\nSpace=500\n" << false << 1 << 300 << "1";
    QTest::newRow("any non-zero, below range") << "Maximise=5\nJust=-3\nSpace=0\n" << true << -1 << 1 << "-1";
    QTest::newRow("trailing blank, hexadecimal") << "Maximise=\"1 \"\nJust=$1\nSpace=0x20\n" << false << 1 << 32 << "1";
    QTest::newRow("no whole numbers") << "Maximise=-1\nJust=abc\nSpace=12a\n" << true << 0 << 60 << "0";
}

void TestMainWindow::settingsReadings()
{
    QFETCH(QString, stored);
    QFETCH(bool, maximise);
    QFETCH(int, just);
    QFETCH(int, space);
    QFETCH(QString, justWritten);
    TestEnvironment env;
    env.writeSettings(QStringLiteral("[General]\n") + stored + QStringLiteral("Disp%20Errors=1\n"));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QCOMPARE(named<QCheckBox>(&*w, "MaximiseApp")->isChecked(), maximise);
    QVERIFY(named<QCheckBox>(&*w, "DisplayAllErrors")->isChecked());
    QCOMPARE(named<RadioGroup>(&*w, "Just")->itemIndex(), just);
    QCOMPARE(named<UpDown>(&*w, "Vspace")->position(), space);
    w->close();
    QCOMPARE(env.settingsValue(QStringLiteral("Just")), justWritten);
}

void TestMainWindow::aListValueIsReadAsItsText()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(12)));
    // An unquoted comma is part of the text: "1, 2" is no whole number, so
    // Allow keeps its default, and start-up goes on.
    env.writeSettings(QStringLiteral("[General]\nDisp%20Errors=1\nAllow=1, 2\nLast%20Page=1\n"));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QVERIFY(dialogs.errors().isEmpty());
    QVERIFY(named<QCheckBox>(&*w, "DisplayAllErrors")->isChecked());
    QVERIFY(!named<QCheckBox>(&*w, "Allowduplicates")->isChecked());
    QVERIFY(named<QCheckBox>(&*w, "LastPage")->isChecked());
    QCOMPARE(w->parts().listModel->count(), 12);
    w->close();
    QCOMPARE(env.settingsValue(QStringLiteral("Allow")), QStringLiteral("0"));
    QCOMPARE(env.settingsValue(QStringLiteral("Last Page")), QStringLiteral("1"));
}

void TestMainWindow::unwritableSettingsStillClose()
{
    TestEnvironment env;
    // A folder where the settings file should be: nothing can be read or
    // written, which start-up and close both report.
    QDir().mkpath(env.settingsFile());
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    const QStringList refused{QStringLiteral("Failed to create key Corvane\\Vantorel")};
    QCOMPARE(dialogs.errors(), refused);
    dialogs.clear();
    QVERIFY(w->close());
    QCOMPARE(dialogs.errors(), refused);
    w->close();
    QCOMPARE(dialogs.errors().size(), 1);

    // Where the key's folder cannot be made, the key cannot be created.
    TestEnvironment blocked;
    const QString keyFolder = QFileInfo(blocked.settingsFile()).absolutePath();
    QDir().mkpath(QFileInfo(keyFolder).absolutePath());
    QFile blocker(keyFolder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ScriptedDialogs second;
    auto other = startMainWindow(second);
    QVERIFY(!second.errors().contains(refused.first()));  // nothing stored yet: the defaults, silently
    second.clear();
    QVERIFY(other->close());
    QCOMPARE(second.errors(), QStringList{QStringLiteral("Failed to create key Corvane\\Vantorel")});
}

void TestMainWindow::startupJumpScrollsToEnd()
{
    TestEnvironment env;
    QStringList lines;
    for (int i = 1; i <= 300; ++i)
        lines << QStringLiteral("%1     Line %2").arg(i, 3, 10, QLatin1Char('0')).arg(i);
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(lines));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs, false);
    w->show();
    QTRY_VERIFY(w->parts().firstActivationDone);
    QVERIFY(w->parts().startDelay->isActive());
    QCOMPARE(w->parts().startDelay->interval(), 1000);
    QScrollBar* bar = named<QTableView>(&*w, "Projects")->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(named<QAction>(&*w, "InvertList")->property("Tag").toInt(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!w->parts().startDelay->isActive(), 3000);
    // The jump reaches the end of the list.
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(named<QAction>(&*w, "InvertList")->property("Tag").toInt(), 1);
}

void TestMainWindow::optionsPagesShowAndHide()
{
    TestEnvironment env;
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->show();
    QVERIFY(!named<QTabWidget>(&*w, "OptionsTabs")->isVisible());
    QVERIFY(triggerAction(&*w, "General1"));
    QVERIFY(named<QTabWidget>(&*w, "OptionsTabs")->isVisible());
    QCOMPARE(named<QTabWidget>(&*w, "OptionsTabs")->currentWidget(), named<QWidget>(&*w, "PrinterTab"));
    QCOMPARE(named<QTabWidget>(&*w, "OptionsTabs")->tabText(0), QStringLiteral("GenTab"));
    QCOMPARE(named<QTabWidget>(&*w, "OptionsTabs")->tabText(1), QStringLiteral("Printer"));
    named<QPushButton>(&*w, "Button6")->click();
    QVERIFY(!named<QTabWidget>(&*w, "OptionsTabs")->isVisible());
    named<QTabWidget>(&*w, "OptionsTabs")->setCurrentWidget(named<QWidget>(&*w, "GenTab"));
    w->General1Click();
    QCOMPARE(named<QTabWidget>(&*w, "OptionsTabs")->currentWidget(), named<QWidget>(&*w, "GenTab"));
    named<QPushButton>(&*w, "CloseTabs")->click();
    QVERIFY(!named<QTabWidget>(&*w, "OptionsTabs")->isVisible());
}

void TestMainWindow::fontAndColourApplyToList()
{
    TestEnvironment env;
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    const QFont before = named<QTableView>(&*w, "Projects")->font();
    w->Font1Click();  // cancelled
    QCOMPARE(named<QTableView>(&*w, "Projects")->font(), before);
    QFont chosen(QStringLiteral("DejaVu Serif"), 14);
    dialogs.fonts << chosen;
    QVERIFY(triggerAction(&*w, "Font1"));
    QCOMPARE(named<QTableView>(&*w, "Projects")->font().pointSize(), 14);
    QCOMPARE(w->parts().fontDialogFont.pointSize(), 14);
    // The next font dialog starts from the chosen font.
    w->Font1Click();
    QCOMPARE(dialogs.texts(QStringLiteral("font")).last(), chosen.family());

    const QColor background = named<QTableView>(&*w, "Projects")->palette().color(QPalette::Base);
    dialogs.colours << QColor(Qt::red);
    QVERIFY(triggerAction(&*w, "Colour1"));
    QCOMPARE(named<QTableView>(&*w, "Projects")->palette().color(QPalette::Text), QColor(Qt::red));
    QCOMPARE(named<QTableView>(&*w, "Projects")->palette().color(QPalette::Base), background);
}

void TestMainWindow::cutMultiByteCharacterIsDropped()
{
    TestEnvironment env;
    // "é" takes columns 47 and 48; the description column ends at 47.
    QByteArray line = "001     " + QByteArray(38, 'a') + "\xC3\xA9" + "tail";
    env.writeFile(QStringLiteral("Projects.txt"), line + "\r\n");
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    const QString shown = w->parts().listModel->descriptionText(0);
    QCOMPARE(shown, QStringLiteral(" ") + QString(38, QLatin1Char('a')));
    QVERIFY(!shown.contains(QChar::ReplacementCharacter));
}

void TestMainWindow::selectedProjectNumberReadsCaption()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(12)));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QCOMPARE(w->parts().host->selectedProjectNumber(), -1);
    named<QTableView>(&*w, "Projects")->setCurrentIndex(w->parts().listModel->index(4, 0));
    QCOMPARE(w->parts().host->selectedProjectNumber(), 5);
    // An edit in place changes what the view reports, not the list in memory.
    w->parts().listModel->setData(w->parts().listModel->index(4, 0), QStringLiteral("12a"), Qt::EditRole);
    QCOMPARE(w->parts().host->selectedProjectNumber(), 12);
    QCOMPARE(QString::fromStdString(std::string(w->document().lines()[4])).left(3), QStringLiteral("005"));
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
