// Printing to a real CUPS queue: the test runs a scheduler of its own with a
// cups-pdf queue, prints through the main window's print command to that
// queue by name and reads back the PDF the queue wrote. It needs root (the
// scheduler and the cups-pdf backend) and is skipped without it. A job the
// queue fails ends the test at once with the job's log.
#include "pdftext.h"
#include "app/printersetupdialog.h"
#include "printingdialogs.h"
#include "testenvironment.h"
#include "app/printcommands.h"
#include "app/tvantorel.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

const QString cupsPdfBackend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
const QString cupsPdfModel = QStringLiteral("lsb/usr/cups-pdf/CUPS-PDF_opt.ppd");
const QString cupsPdfPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");

QString findTool(const QString& name)
{
    const QString onPath = QStandardPaths::findExecutable(name);
    if (!onPath.isEmpty())
        return onPath;
    return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"),
                                                 QStringLiteral("/sbin")});
}

struct ToolResult {
    bool ok = false;
    QString output;
};

ToolResult runTool(const QString& program, const QStringList& arguments, int timeoutMs = 30000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return {false, QStringLiteral("%1 did not finish in time").arg(program)};
    }
    return {process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
            QString::fromLocal8Bit(process.readAll())};
}

bool writeText(const QString& path, const QString& text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

class TestPrintCups : public QObject {
    Q_OBJECT

    // Under /tmp itself rather than $TMPDIR, which may be a private folder
    // the scheduler's unprivileged filters cannot enter.
    QTemporaryDir base_{(QFileInfo(QStringLiteral("/tmp")).isDir() ? QStringLiteral("/tmp") : QDir::tempPath())
                        + QStringLiteral("/quindle-cups-XXXXXX")};
    QProcess cupsd_;
    QString lpadmin_, lpstat_, socket_, queue_, queueConfig_;
    bool queueAdded_ = false;

    QString dir(const QString& name) const { return base_.filePath(name); }

    QString logTail() const
    {
        QFile log(dir(QStringLiteral("log/error_log")));
        if (!log.open(QIODevice::ReadOnly))
            return QStringLiteral("(no scheduler log)");
        const QList<QByteArray> lines = log.readAll().split('\n');
        return QString::fromLocal8Bit(lines.mid(qMax(0, int(lines.size()) - 25)).join('\n'));
    }

    // The report of a job the queue failed: the scheduler's log lines of
    // every job it logged a failure for, and cups-pdf's own log. Empty while
    // nothing failed. cups-pdf cancels a job it cannot write; a failed
    // filter or backend stops the job or the whole queue.
    QString failedJobReport() const
    {
        static const QRegularExpression jobFailure(QStringLiteral(
            "^(?:E .*(\\[Job \\d+\\])|W .*(\\[Job \\d+\\]) Backend returned status|"
            "I .*(\\[Job \\d+\\]) Job (?:canceled|aborted|stopped|held))"));
        QFile log(dir(QStringLiteral("log/error_log")));
        QStringList lines;
        if (log.open(QIODevice::ReadOnly))
            lines = QString::fromLocal8Bit(log.readAll()).split(QLatin1Char('\n'));
        QStringList failedJobs;
        for (const QString& line : lines) {
            const QRegularExpressionMatch match = jobFailure.match(line);
            for (int group = 1; group <= 3; ++group) {
                if (!match.captured(group).isEmpty() && !failedJobs.contains(match.captured(group)))
                    failedJobs << match.captured(group);
            }
        }
        const QString pdfLog = cupsPdfLog();
        const ToolResult printer = lpstat({QStringLiteral("-p"), queue_});
        const bool stopped = printer.output.contains(QLatin1String("disabled"));
        if (failedJobs.isEmpty() && !stopped && !pdfLog.contains(QLatin1String("[ERROR]")))
            return QString();
        QString report = QStringLiteral("The queue reports a failed job.\n") + printer.output;
        for (const QString& line : lines) {
            for (const QString& job : failedJobs) {
                if (line.contains(job)) {
                    report += line + QLatin1Char('\n');
                    break;
                }
            }
        }
        if (failedJobs.isEmpty())
            report += logTail();
        return report + pdfLog;
    }

    // Ends the test at once when the queue failed the job, with the whole
    // report on the test's output (a failure message is cut short).
    void failOnFailedJob() const
    {
        const QString failure = failedJobReport();
        if (failure.isEmpty())
            return;
        qWarning().noquote() << failure;
        QFAIL("the queue failed the print job; its log is above");
    }

    QString cupsPdfLog() const
    {
        QString text;
        const QDir logs(dir(QStringLiteral("log")));
        for (const QString& name : logs.entryList({QStringLiteral("cups-pdf*")}, QDir::Files)) {
            QFile file(logs.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                text += QStringLiteral("\n%1:\n").arg(name) + QString::fromLocal8Bit(file.readAll());
        }
        return text;
    }

    ToolResult lpstat(const QStringList& arguments) const
    {
        return runTool(lpstat_, QStringList{QStringLiteral("-h"), socket_} + arguments);
    }

    void writeSchedulerConfig()
    {
        const QString root = base_.path();
        for (const char* sub : {"etc", "log", "spool/tmp", "cache", "state", "out"})
            QVERIFY(QDir(root).mkpath(QLatin1String(sub)));
        // The scheduler runs filters as an unprivileged user: they must reach the spool.
        QVERIFY(QFile::setPermissions(root, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                                | QFileDevice::ReadOther | QFileDevice::ExeOther));
        socket_ = dir(QStringLiteral("cups.sock"));
        QVERIFY(writeText(dir(QStringLiteral("etc/cupsd.conf")),
                          QStringLiteral("LogLevel info\n"
                                         "Listen %1\n"
                                         "Browsing No\n"
                                         "WebInterface No\n"
                                         "DefaultAuthType None\n"
                                         "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                         "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                              .arg(socket_)));
        QVERIFY(writeText(dir(QStringLiteral("etc/cups-files.conf")),
                          QStringLiteral("ServerRoot %1/etc\n"
                                         "RequestRoot %1/spool\n"
                                         "TempDir %1/spool/tmp\n"
                                         "CacheDir %1/cache\n"
                                         "StateDir %1/state\n"
                                         "ErrorLog %1/log/error_log\n"
                                         "AccessLog %1/log/access_log\n"
                                         "PageLog %1/log/page_log\n"
                                         "ServerBin /usr/lib/cups\n"
                                         "DataDir /usr/share/cups\n"
                                         "SystemGroup root\n"
                                         "Sandboxing Relaxed\n")
                              .arg(root)));
    }

    void startScheduler(const QString& cupsd)
    {
        cupsd_.setStandardOutputFile(dir(QStringLiteral("log/cupsd.out")));
        cupsd_.setStandardErrorFile(dir(QStringLiteral("log/cupsd.out")), QIODevice::Append);
        // Should this test die, its scheduler goes with it.
        cupsd_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        cupsd_.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), dir(QStringLiteral("etc/cupsd.conf")),
                             QStringLiteral("-s"), dir(QStringLiteral("etc/cups-files.conf"))});
        QVERIFY2(cupsd_.waitForStarted(10000), qPrintable(cupsd_.errorString()));
        QDeadlineTimer deadline(30000);
        while (!(QFile::exists(socket_) && lpstat({QStringLiteral("-r")}).output.contains(QLatin1String("is running")))) {
            QVERIFY2(cupsd_.state() == QProcess::Running, qPrintable(QStringLiteral("the scheduler stopped:\n") + logTail()));
            QVERIFY2(!deadline.hasExpired(), qPrintable(QStringLiteral("the scheduler did not answer:\n") + logTail()));
            QThread::msleep(100);
        }
    }

    void addQueue()
    {
        queue_ = QStringLiteral("quindle_test_%1_%2")
                     .arg(QCoreApplication::applicationPid())
                     .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        // cups-pdf reads a configuration named after the queue; its output
        // and log go to this test's folder.
        queueConfig_ = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(queue_);
        QVERIFY2(writeText(queueConfig_, QStringLiteral("Out %1\nAnonDirName %1\nLog %2\nLabel 1\n")
                                             .arg(dir(QStringLiteral("out")), dir(QStringLiteral("log")))),
                 qPrintable(queueConfig_));
        const QStringList queue = {QStringLiteral("-h"), socket_, QStringLiteral("-p"), queue_, QStringLiteral("-E"),
                                   QStringLiteral("-v"), QStringLiteral("cups-pdf:/") + queue_};
        ToolResult added = runTool(lpadmin_, queue + QStringList{QStringLiteral("-m"), cupsPdfModel});
        if (!added.ok)  // the driver list may not know the model yet: name the file
            added = runTool(lpadmin_, queue + QStringList{QStringLiteral("-P"), cupsPdfPpd});
        QVERIFY2(added.ok, qPrintable(added.output + logTail()));
        queueAdded_ = true;
    }

    QStringList spooledPdfs() const
    {
        QStringList files;
        for (const QString& name : QDir(dir(QStringLiteral("out"))).entryList({QStringLiteral("*.pdf")}, QDir::Files))
            files << dir(QStringLiteral("out/")) + name;
        return files;
    }

private slots:
    void initTestCase()
    {
        if (::geteuid() != 0)
            QSKIP("needs root: runs a CUPS scheduler of its own and the cups-pdf backend");
        const QString cupsd = findTool(QStringLiteral("cupsd"));
        lpadmin_ = findTool(QStringLiteral("lpadmin"));
        lpstat_ = findTool(QStringLiteral("lpstat"));
        if (cupsd.isEmpty() || lpadmin_.isEmpty() || lpstat_.isEmpty())
            QSKIP("CUPS (cupsd, lpadmin, lpstat) is not installed");
        if (!QFile::exists(cupsPdfBackend) || !QFile::exists(cupsPdfPpd))
            QSKIP("the cups-pdf printer driver (printer-driver-cups-pdf) is not installed");
        if (!popplerToolsAvailable())
            QSKIP("pdfinfo (poppler-utils) is not installed");
        QVERIFY(base_.isValid());
        writeSchedulerConfig();
        startScheduler(cupsd);
        addQueue();
        // Every printer the program sees comes from this scheduler.
        qputenv("CUPS_SERVER", socket_.toLocal8Bit());
    }

    void cleanupTestCase()
    {
        if (queueAdded_)
            runTool(lpadmin_, {QStringLiteral("-h"), socket_, QStringLiteral("-x"), queue_});
        if (cupsd_.state() != QProcess::NotRunning) {
            ::kill(pid_t(cupsd_.processId()), SIGTERM);
            if (!cupsd_.waitForFinished(15000)) {
                cupsd_.kill();
                cupsd_.waitForFinished(5000);
            }
        }
        if (!queueConfig_.isEmpty())
            QFile::remove(queueConfig_);
    }

    void printerSetupOffersTheQueue()
    {
        QPrinter printer(QPrinter::HighResolution);
        PrinterSetupDialog setup(printer);
        const int index = setup.printerChoice()->findText(queue_);
        QVERIFY(index >= 0);
        setup.printerChoice()->setCurrentIndex(index);
        setup.applyChoice();
        QCOMPARE(printer.printerName(), queue_);
        QCOMPARE(printer.outputFormat(), QPrinter::NativeFormat);
    }

    void printsSixtyOneItemsToTheQueue()
    {
        TestEnvironment env;
        QStringList lines;
        for (int k = 1; k <= 61; ++k)
            lines << QStringLiteral("%1     Project number %2").arg(k, 3, 10, QLatin1Char('0')).arg(k);
        env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(lines));
        PrintingDialogs dialogs;
        std::unique_ptr<TVantorel> window = startMainWindow(dialogs);
        window->startDelay()->stop();
        dialogs.clear();
        dialogs.printAnswers = {true};
        const QString queue = queue_;
        dialogs.choosePrinter = [queue](QPrinter& printer) { printer.setPrinterName(queue); };

        window->Print1Click();
        QVERIFY2(dialogs.messages().isEmpty(), qPrintable(dialogs.messages().join(QLatin1Char('|'))));
        QCOMPARE(window->printing().printer().printerName(), queue_);
        QCOMPARE(window->printing().printer().outputFormat(), QPrinter::NativeFormat);

        // The job goes through the queue's filters and the cups-pdf backend.
        QDeadlineTimer deadline(120000);
        for (;;) {
            const ToolResult pending = lpstat({QStringLiteral("-W"), QStringLiteral("not-completed"), QStringLiteral("-o"), queue_});
            const ToolResult done = lpstat({QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o"), queue_});
            failOnFailedJob();
            if (QTest::currentTestFailed())
                return;
            if (pending.ok && pending.output.trimmed().isEmpty() && !done.output.trimmed().isEmpty())
                break;
            QVERIFY2(!deadline.hasExpired(), qPrintable(QStringLiteral("the job did not complete:\n") + pending.output + logTail()));
            QThread::msleep(200);
        }
        const ToolResult done = lpstat({QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o"), queue_});
        QCOMPARE(done.output.trimmed().split(QLatin1Char('\n')).size(), 1);

        QStringList pdfs;
        while ((pdfs = spooledPdfs()).isEmpty()) {
            failOnFailedJob();
            if (QTest::currentTestFailed())
                return;
            QVERIFY2(!deadline.hasExpired(), qPrintable(QStringLiteral("cups-pdf wrote no file:\n") + logTail() + cupsPdfLog()));
            QThread::msleep(200);
        }
        QCOMPARE(pdfs.size(), 1);
        QCOMPARE(pdfPageCount(pdfs.first()), 2);
    }
};

QTEST_MAIN(TestPrintCups)
#include "test_printcups.moc"
