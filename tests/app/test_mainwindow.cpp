// The main window from start to close: the first activation, the list view
// and its refill, Load, the options pages, Font and Colour, the start-up jump
// and the nine settings written at close and read back at the next start.
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "tvantorel.h"
#include "ui_tvantorel.h"

#include "projectlistmodel.h"

#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

namespace {

QStringList twelveLines()
{
    QStringList lines;
    for (int i = 1; i <= 12; ++i)
        lines << QStringLiteral("%1     Project number %2").arg(i, 3, 10, QLatin1Char('0')).arg(i);
    return lines;
}

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
    void settingsReadings();
    void valueOfAnotherTypeStopsStartup();
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
    QCOMPARE(w->listModel()->count(), 0);
    QCOMPARE(w->statusPanel(0)->text(), QStringLiteral("Projects.txt"));
    QCOMPARE(w->statusPanel(1)->text(), QStringLiteral("0000"));
    QVERIFY(!w->form()->Print1->isEnabled());
    QVERIFY(!w->form()->printerBtn->isEnabled());
    QVERIFY(w->windowTitle().endsWith(QStringLiteral("  by Corvane")));
    QVERIFY(w->windowTitle().contains(QStringLiteral(" Version ")));
}

void TestMainWindow::showsEveryLineOfTheList()
{
    TestEnvironment env;
    QStringList lines = twelveLines();
    lines[6] = QStringLiteral("007     Garden shed");
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(lines));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(w->listModel()->count(), 12);
    QCOMPARE(w->ProjectLines().size(), std::size_t(12));
    QCOMPARE(w->statusPanel(1)->text(), QStringLiteral("12"));
    QVERIFY(w->form()->Print1->isEnabled());
    QVERIFY(w->form()->printerBtn->isEnabled());
    QCOMPARE(w->listModel()->captionText(6), QStringLiteral("007  "));
    QCOMPARE(w->listModel()->descriptionText(6), QStringLiteral(" Garden shed"));
    QCOMPARE(w->listModel()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Num"));
    QCOMPARE(w->listModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Discription"));
}

void TestMainWindow::laterActivationsDoNothing()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(twelveLines()));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    env.writeFile(QStringLiteral("Projects.txt"), QByteArray());
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(w.get(), &activate);
    w->FormActivate();
    QCOMPARE(w->listModel()->count(), 12);
    QVERIFY(dialogs.shown.isEmpty());
}

void TestMainWindow::loadOfMissingFileKeepsListButChangesPath()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(twelveLines()));
    ScriptedDialogs dialogs;
    {
        auto w = startMainWindow(dialogs);
        const QString missing = env.path(QStringLiteral("gone.txt"));
        dialogs.fileNames << missing;
        w->form()->Load1->trigger();
        QCOMPARE(dialogs.fileDialogs.size(), 1);
        QCOMPARE(dialogs.fileDialogs[0].title, QStringLiteral("ARDLOW PROJECTS"));
        QCOMPARE(dialogs.fileDialogs[0].filter, QStringLiteral("Ardlow Project File [*.txt]|*.txt"));
        QCOMPARE(dialogs.fileDialogs[0].defaultExtension, QStringLiteral("txt"));
        QCOMPARE(dialogs.fileDialogs[0].fileName, QStringLiteral("Projects.txt"));
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("Cannot find list file ") + missing});
        QCOMPARE(w->listModel()->count(), 12);
        QCOMPARE(QString::fromStdString(w->CurrentListFile()), missing);
        // Panel 0 shows only the list of the start.
        QCOMPARE(w->statusPanel(0)->text(), QStringLiteral("Projects.txt"));
        // The dialog offers the last chosen file next time.
        w->form()->Load1->trigger();
        QCOMPARE(dialogs.fileDialogs[1].fileName, missing);
        w->close();
        QCOMPARE(env.settingsValue(QStringLiteral("Current")), missing);
    }
}

void TestMainWindow::loadOfEmptyFileLeavesPrintEnabled()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(twelveLines()));
    env.writeFile(QStringLiteral("empty.txt"), QByteArray());
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    dialogs.fileNames << env.path(QStringLiteral("empty.txt"));
    w->Load1Click();
    QVERIFY(dialogs.shown.size() == 1 && dialogs.shown[0].kind == QLatin1String("open"));
    QCOMPARE(w->listModel()->count(), 0);
    QCOMPARE(w->statusPanel(1)->text(), QStringLiteral("0"));
    QVERIFY(w->form()->Print1->isEnabled());
    QVERIFY(w->form()->printerBtn->isEnabled());
}

void TestMainWindow::loadOfUnreadableFileKeepsPath()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(twelveLines()));
    QDir(env.workFolder()).mkdir(QStringLiteral("folder.txt"));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    const QString folder = env.path(QStringLiteral("folder.txt"));
    dialogs.fileNames << folder;
    w->Load1Click();
    QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Cannot open file ") + folder});
    QCOMPARE(QString::fromStdString(w->CurrentListFile()), QStringLiteral("Projects.txt"));
    QCOMPARE(w->listModel()->count(), 12);
}

void TestMainWindow::cancelledLoadChangesNothing()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(twelveLines()));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->Load1Click();
    QCOMPARE(w->listModel()->count(), 12);
    QCOMPARE(QString::fromStdString(w->CurrentListFile()), QStringLiteral("Projects.txt"));
}

void TestMainWindow::defaultSettingsAreWrittenAsText()
{
    TestEnvironment env;
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QCOMPARE(QString::fromStdString(w->CurrentListFile()), QStringLiteral("Projects.txt"));
    QVERIFY(w->form()->JumptoLast->isChecked());
    QVERIFY(!w->form()->Autofix->isChecked());
    QVERIFY(!w->form()->DisplayAllErrors->isChecked());
    QVERIFY(!w->form()->MaximiseApp->isChecked());
    QVERIFY(!w->form()->Allowduplicates->isChecked());
    QVERIFY(!w->form()->LastPage->isChecked());
    QCOMPARE(w->form()->Just->itemIndex(), 0);
    QCOMPARE(w->form()->Vspace->position(), 60);
    QCOMPARE(w->form()->Spacing->text(), QStringLiteral("60"));
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
        w->setCurrentListFile("other.txt");
        w->form()->DisplayAllErrors->setChecked(true);
        w->form()->Allowduplicates->setChecked(true);
        w->form()->LastPage->setChecked(true);
        w->form()->JumptoLast->setChecked(false);
        w->form()->Just->setItemIndex(1);
        w->form()->Vspace->setPosition(123);
        w->close();
    }
    for (const char* name : kNineValues)
        QVERIFY2(!env.settingsValue(QString::fromLatin1(name)).isEmpty(), name);
    dialogs.clear();
    auto w = startMainWindow(dialogs);
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(QString::fromStdString(w->CurrentListFile()), QStringLiteral("other.txt"));
    QCOMPARE(w->listModel()->count(), 1);
    QVERIFY(w->form()->DisplayAllErrors->isChecked());
    QVERIFY(w->form()->Allowduplicates->isChecked());
    QVERIFY(w->form()->LastPage->isChecked());
    QVERIFY(!w->form()->JumptoLast->isChecked());
    QVERIFY(!w->startDelay()->isActive());
    QCOMPARE(w->form()->Just->itemIndex(), 1);
    QCOMPARE(w->form()->Vspace->position(), 123);
    QCOMPARE(w->form()->Spacing->text(), QStringLiteral("123"));
}

void TestMainWindow::settingsReadings()
{
    struct Case {
        const char* stored;
        bool maximise;
        int just;
        int space;
        const char* justWritten;
    };
    // Names in any letter case; Booleans and numbers read with the integer
    // conversion, a text that is not a whole number giving the default.
    const Case cases[] = {
        {"maximise=yes\nJUST=7\nSpace=500\n", false, 1, 300, "1"},
        {"Maximise=5\nJust=-3\nSpace=0\n", true, -1, 1, "-1"},
        {"Maximise=\"1 \"\nJust=$1\nSpace=0x20\n", false, 1, 32, "1"},
        {"Maximise=-1\nJust=abc\nSpace=12a\n", true, 0, 60, "0"},
    };
    for (const Case& c : cases) {
        TestEnvironment env;
        env.writeSettings(QStringLiteral("[General]\n") + QString::fromLatin1(c.stored)
                          + QStringLiteral("Disp%20Errors=1\n"));
        ScriptedDialogs dialogs;
        auto w = startMainWindow(dialogs);
        QCOMPARE(w->form()->MaximiseApp->isChecked(), c.maximise);
        QVERIFY(w->form()->DisplayAllErrors->isChecked());
        QCOMPARE(w->form()->Just->itemIndex(), c.just);
        QCOMPARE(w->form()->Vspace->position(), c.space);
        w->close();
        QCOMPARE(env.settingsValue(QStringLiteral("Just")), QString::fromLatin1(c.justWritten));
    }
}

void TestMainWindow::valueOfAnotherTypeStopsStartup()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(twelveLines()));
    // An unquoted comma makes a list, which is not a text value.
    env.writeSettings(QStringLiteral("[General]\nDisp%20Errors=1\nAllow=1, 2\nLast%20Page=1\n"));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Invalid data type for 'Allow'")});
    QVERIFY(w->form()->DisplayAllErrors->isChecked());
    QVERIFY(!w->form()->LastPage->isChecked());
    QCOMPARE(w->listModel()->count(), 0);  // the list was not loaded
    QVERIFY(!w->startDelay()->isActive());
    w->close();
    QCOMPARE(env.settingsValue(QStringLiteral("Allow")), QStringLiteral("0"));
    QCOMPARE(env.settingsValue(QStringLiteral("Last")), QStringLiteral("0"));
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
    QTRY_VERIFY(w->firstActivationDone());
    QVERIFY(w->startDelay()->isActive());
    QCOMPARE(w->startDelay()->interval(), 1000);
    QScrollBar* bar = w->form()->Projects->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(w->form()->InvertList->property("Tag").toInt(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!w->startDelay()->isActive(), 3000);
    // The jump reaches the end of the list.
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(w->form()->InvertList->property("Tag").toInt(), 1);
}

void TestMainWindow::optionsPagesShowAndHide()
{
    TestEnvironment env;
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->show();
    QVERIFY(!w->form()->OptionsTabs->isVisible());
    w->form()->General1->trigger();
    QVERIFY(w->form()->OptionsTabs->isVisible());
    QCOMPARE(w->form()->OptionsTabs->currentWidget(), w->form()->PrinterTab);
    QCOMPARE(w->form()->OptionsTabs->tabText(0), QStringLiteral("GenTab"));
    QCOMPARE(w->form()->OptionsTabs->tabText(1), QStringLiteral("Printer"));
    w->form()->Button6->click();
    QVERIFY(!w->form()->OptionsTabs->isVisible());
    w->form()->OptionsTabs->setCurrentWidget(w->form()->GenTab);
    w->General1Click();
    QCOMPARE(w->form()->OptionsTabs->currentWidget(), w->form()->GenTab);
    w->form()->CloseTabs->click();
    QVERIFY(!w->form()->OptionsTabs->isVisible());
}

void TestMainWindow::fontAndColourApplyToList()
{
    TestEnvironment env;
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    const QFont before = w->form()->Projects->font();
    w->Font1Click();  // cancelled
    QCOMPARE(w->form()->Projects->font(), before);
    QFont chosen(QStringLiteral("DejaVu Serif"), 14);
    dialogs.fonts << chosen;
    w->form()->Font1->trigger();
    QCOMPARE(w->form()->Projects->font().pointSize(), 14);
    QCOMPARE(w->fontDialogFont().pointSize(), 14);
    // The next font dialog starts from the chosen font.
    w->Font1Click();
    QCOMPARE(dialogs.texts(QStringLiteral("font")).last(), chosen.family());

    const QColor background = w->form()->Projects->palette().color(QPalette::Base);
    dialogs.colours << QColor(Qt::red);
    w->form()->Colour1->trigger();
    QCOMPARE(w->form()->Projects->palette().color(QPalette::Text), QColor(Qt::red));
    QCOMPARE(w->form()->Projects->palette().color(QPalette::Base), background);
}

void TestMainWindow::cutMultiByteCharacterIsDropped()
{
    TestEnvironment env;
    // "é" takes columns 47 and 48; the description column ends at 47.
    QByteArray line = "001     " + QByteArray(38, 'a') + "\xC3\xA9" + "tail";
    env.writeFile(QStringLiteral("Projects.txt"), line + "\r\n");
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    const QString shown = w->listModel()->descriptionText(0);
    QCOMPARE(shown, QStringLiteral(" ") + QString(38, QLatin1Char('a')));
    QVERIFY(!shown.contains(QChar::ReplacementCharacter));
}

void TestMainWindow::selectedProjectNumberReadsCaption()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(twelveLines()));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QCOMPARE(w->SelectedProjectNumber(), -1);
    w->form()->Projects->setCurrentIndex(w->listModel()->index(4, 0));
    QCOMPARE(w->SelectedProjectNumber(), 5);
    // An edit in place changes what the view reports, not the list in memory.
    w->listModel()->setData(w->listModel()->index(4, 0), QStringLiteral("12a"), Qt::EditRole);
    QCOMPARE(w->SelectedProjectNumber(), 12);
    QCOMPARE(QString::fromStdString(std::string(w->ProjectLines()[4])).left(3), QStringLiteral("005"));
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
