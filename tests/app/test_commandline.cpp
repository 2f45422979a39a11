// The command line: --help and --version answered without a display by the
// real executable, the reading of options and the FILE argument, and a list
// file named on the command line taking the place of the stored one.
#include "app/commandline.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "help/tgetversioninfofromfile.h"
#include "app/projectlistmodel.h"
#include "app/settingsstore.h"
#include "app/tvantorel.h"
#include "document/projectlistdocument.h"
#include "ui_tvantorel.h"

#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

namespace {

QString programPath()
{
    return qEnvironmentVariable("QUINDLE_BUILD_DIR") + QStringLiteral("/quindle");
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the program with no display of any kind in its environment.
Run runWithoutDisplay(const QStringList& arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(programPath(), arguments);
    Run run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

const QString version = QStringLiteral("9.8.7.6");
const QString program = QStringLiteral("/usr/bin/quindle");

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void versionAndHelpWithoutADisplay()
    {
        // The version printed is the one in the executable's version block,
        // which the window caption shows.
        TGetVersionInfoFromFile block;
        block.setFileName(programPath());
        QVERIFY(block.VersionStrings().size() > 2);
        const QString fileVersion = block.VersionStrings().at(2);

        for (const char* option : {"--version", "-v"}) {
            const Run run = runWithoutDisplay({QString::fromLatin1(option)});
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(run.out, QStringLiteral("Quindle ") + fileVersion + QLatin1Char('\n'));
            QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        }
        for (const char* option : {"--help", "-h"}) {
            const Run run = runWithoutDisplay({QString::fromLatin1(option)});
            QCOMPARE(run.exitCode, 0);
            QVERIFY2(run.out.startsWith(QStringLiteral("Usage: quindle [options] [FILE]")), qPrintable(run.out));
            for (const char* part : {"--version", "--help", "FILE", "Projects.txt"})
                QVERIFY2(run.out.contains(QString::fromLatin1(part)), part);
            QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        }
        // Toolkit options in front do not hide the answer.
        const Run withToolkitOption = runWithoutDisplay({QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("--version")});
        QCOMPARE(withToolkitOption.exitCode, 0);
        QVERIFY(withToolkitOption.out.startsWith(QStringLiteral("Quindle ")));

        // Anything else still needs the display, and says so.
        const Run start = runWithoutDisplay({QStringLiteral("list.txt")});
        QCOMPARE(start.exitCode, 2);
        QVERIFY2(start.err.contains(QStringLiteral("needs a graphical display")), qPrintable(start.err));
        QVERIFY(start.out.isEmpty());
    }

    void badCommandLinesAreRefusedBeforeAWindowOpens()
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(programPath(), {QStringLiteral("--no-such-option")});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 2);
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral("no-such-option")), qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("--help")), qPrintable(err));

        process.start(programPath(), {QStringLiteral("one.txt"), QStringLiteral("two.txt")});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(QString::fromLocal8Bit(process.readAllStandardError())
                    .contains(QStringLiteral("Only one list file can be opened at a time.")));
    }

    void readingTheArguments()
    {
        CommandLine none = readCommandLine({program}, version);
        QCOMPARE(none.action, CommandLine::Action::Run);
        QVERIFY(none.listFile.isEmpty());

        CommandLine file = readCommandLine({program, QStringLiteral("my list.txt")}, version);
        QCOMPARE(file.action, CommandLine::Action::Run);
        QCOMPARE(file.listFile, QStringLiteral("my list.txt"));

        // After "--" a name that looks like an option is a file.
        CommandLine dashed = readCommandLine({program, QStringLiteral("--"), QStringLiteral("--odd.txt")}, version);
        QCOMPARE(dashed.action, CommandLine::Action::Run);
        QCOMPARE(dashed.listFile, QStringLiteral("--odd.txt"));

        CommandLine versionAnswer = readCommandLine({program, QStringLiteral("list.txt"), QStringLiteral("--version")}, version);
        QCOMPARE(versionAnswer.action, CommandLine::Action::PrintVersion);
        QVERIFY(versionAnswer.text.endsWith(QStringLiteral(" 9.8.7.6\n")));

        // The early reading leaves unknown options to the toolkit.
        CommandLine early = readEarlyCommandLine({program, QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("a.txt")}, version);
        QCOMPARE(early.action, CommandLine::Action::Run);
        QCOMPARE(readEarlyCommandLine({program, QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("-h")}, version).action,
                 CommandLine::Action::PrintHelp);
        // Toolkit options whose letters include h or v are not help or version.
        for (const char* option : {"-stylesheet", "-reverse"}) {
            QCOMPARE(readEarlyCommandLine({program, QString::fromLatin1(option)}, version).action, CommandLine::Action::Run);
        }
        QCOMPARE(readCommandLine({program, QStringLiteral("-platform"), QStringLiteral("xcb")}, version).action,
                 CommandLine::Action::Fail);
    }

    void aNamedFileTakesThePlaceOfTheStoredOne()
    {
        TestEnvironment env;
        env.writeFile(QStringLiteral("stored.txt"), TestEnvironment::listBytes({QStringLiteral("001     Stored")}));
        env.writeFile(QStringLiteral("named.txt"),
                      TestEnvironment::listBytes({QStringLiteral("001     Named one"), QStringLiteral("002     Named two")}));
        env.writeSettings(QStringLiteral("[General]\nCurrent=") + env.path(QStringLiteral("stored.txt")) + QLatin1Char('\n'));
        ScriptedDialogs dialogs;
        std::unique_ptr<TVantorel> window = startMainWindow(dialogs, false);
        // A relative name is taken from the working folder and kept whole.
        window->useListFileAtStartup(QStringLiteral("named.txt"));
        window->FormActivate();
        window->startDelay()->stop();

        const QString named = env.path(QStringLiteral("named.txt"));
        QVERIFY2(dialogs.texts().isEmpty(), qPrintable(dialogs.texts().join(QLatin1Char('|'))));
        QCOMPARE(window->ProjectLines().size(), size_t(2));
        QCOMPARE(std::string(window->ProjectLines()[1]), std::string("002     Named two"));
        QCOMPARE(window->statusPanel(0)->text(), named);
        QCOMPARE(window->statusPanel(1)->text(), QStringLiteral("2"));
        QCOMPARE(QString::fromStdString(window->CurrentListFile()), named);
        window->close();
        QCOMPARE(env.settingsValue(QStringLiteral("Current")), named);
    }

    void aMissingNamedFileIsReportedAndRemembered()
    {
        TestEnvironment env;
        env.writeFile(QStringLiteral("stored.txt"), TestEnvironment::listBytes({QStringLiteral("001     Stored")}));
        env.writeSettings(QStringLiteral("[General]\nCurrent=") + env.path(QStringLiteral("stored.txt")) + QLatin1Char('\n'));
        ScriptedDialogs dialogs;
        std::unique_ptr<TVantorel> window = startMainWindow(dialogs, false);
        const QString missing = env.path(QStringLiteral("gone/list.txt"));
        window->useListFileAtStartup(missing);
        window->FormActivate();
        window->startDelay()->stop();

        // One message, for the file named; the stored list is not read.
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Cannot find list file ") + missing});
        QVERIFY(window->ProjectLines().empty());
        QCOMPARE(window->statusPanel(1)->text(), QStringLiteral("0000"));
        QVERIFY(!window->form()->Print1->isEnabled());
        window->close();
        QCOMPARE(env.settingsValue(QStringLiteral("Current")), missing);
    }

    // Start-up takes the list file in use once (the named one, not first the
    // stored one) and reads it once: with "Auto Fix" on, the repair's read is
    // the load, unless the repaired list was not saved.
    void startUpSetsAndReadsTheListOnce_data()
    {
        QTest::addColumn<bool>("autoFix");
        QTest::addColumn<bool>("faulty");
        QTest::addColumn<bool>("saveRepair");
        QTest::addColumn<int>("reads");
        QTest::addColumn<QStringList>("shown");
        const QStringList good = {QStringLiteral("001     Named one"), QStringLiteral("002     Named two")};
        const QStringList faulty = {QStringLiteral("001     Named one"), QStringLiteral("2     Named two")};
        QTest::newRow("no repair") << false << false << false << 1 << good;
        QTest::newRow("repair of a good list") << true << false << false << 1 << good;
        QTest::newRow("repair saved") << true << true << true << 1 << good;
        QTest::newRow("repair not saved: the file shown as it is") << true << true << false << 2 << faulty;
    }

    void startUpSetsAndReadsTheListOnce()
    {
        QFETCH(bool, autoFix);
        QFETCH(bool, faulty);
        QFETCH(bool, saveRepair);
        QFETCH(int, reads);
        QFETCH(QStringList, shown);
        TestEnvironment env;
        env.writeFile(QStringLiteral("stored.txt"), TestEnvironment::listBytes({QStringLiteral("001     Stored")}));
        env.writeFile(QStringLiteral("named.txt"),
                      TestEnvironment::listBytes({QStringLiteral("001     Named one"),
                                                  faulty ? QStringLiteral("2     Named two")
                                                         : QStringLiteral("002     Named two")}));
        env.writeSettings(QStringLiteral("[General]\nCurrent=") + env.path(QStringLiteral("stored.txt")) + QLatin1Char('\n'));
        SettingsStore().writeBool(QStringLiteral("Auto Fix"), autoFix);
        ScriptedDialogs dialogs;
        dialogs.answers << (saveRepair ? MessageButton::Yes : MessageButton::No);
        std::unique_ptr<TVantorel> window = startMainWindow(dialogs, false);
        window->useListFileAtStartup(QStringLiteral("named.txt"));
        QSignalSpy filesInUse(&window->document(), &ProjectListDocument::listFileChanged);
        QSignalSpy readsDone(&window->document(), &ProjectListDocument::linesReloaded);
        window->FormActivate();
        window->startDelay()->stop();

        QCOMPARE(filesInUse.count(), 1);
        QCOMPARE(readsDone.count(), reads);
        QCOMPARE(QString::fromStdString(window->CurrentListFile()), env.path(QStringLiteral("named.txt")));
        QCOMPARE(window->listModel()->count(), shown.size());
        for (int row = 0; row < shown.size(); ++row)
            QCOMPARE(window->listModel()->captionText(row) + window->listModel()->descriptionText(row),
                     shown[row].left(5) + shown[row].mid(7));
        QCOMPARE(window->statusPanel(1)->text(), QString::number(shown.size()));
        QCOMPARE(dialogs.errors(), QStringList());
    }
};

QTEST_MAIN(CommandLineTest)
#include "test_commandline.moc"
