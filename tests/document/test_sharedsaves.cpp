// Several processes saving one list through the document at once: every
// project added is there exactly once, under a number of its own, with its
// last edit, and nothing else changed; with the lock, and with the lock
// switched off (the read-back after each write alone must lose nothing).
// Then a process killed at random moments of its saves: the file is always
// one whole list, and the lock it held is taken over at once.
//
// QUINDLE_STRESS_ROUNDS (default 40) sets each process's rounds,
// QUINDLE_SAVE_KILLS (default 25) the kills.
#include "document/listfilelock.h"

#include "listfile/listfileio.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#include <vector>

namespace {

int fromEnvironment(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

QByteArray seedList(int lines)
{
    QByteArray bytes;
    for (int i = 1; i <= lines; ++i)
        bytes += QByteArray::number(i).rightJustified(3, '0') + "     Seed " + QByteArray::number(i) + "\r\n";
    return bytes;
}

} // namespace

class TestSharedSaves : public QObject {
    Q_OBJECT
private slots:
    void init();
    void fourProcessesSaveOneList_data();
    void fourProcessesSaveOneList();
    void killedDuringTheLockedSave();

private:
    QString listPath() const { return folder_->filePath(QStringLiteral("Projects.txt")); }
    void writeList(const QByteArray& bytes)
    {
        QFile file(listPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    std::unique_ptr<QProcess> startWorker(const QStringList& arguments)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), folder_->filePath(QStringLiteral("state")));
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(SHARED_SAVE_WORKER), arguments);
        return process;
    }

    std::unique_ptr<QTemporaryDir> folder_;
};

void TestSharedSaves::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
}

void TestSharedSaves::fourProcessesSaveOneList_data()
{
    QTest::addColumn<bool>("locking");
    QTest::addColumn<int>("seeds");  // the list begins with projects 1..seeds
    QTest::newRow("with the lock") << true << 10;
    QTest::newRow("lock switched off") << false << 10;
    // New projects get numbers of four digits after the first few.
    QTest::newRow("adding past 999") << true << 997;
}

void TestSharedSaves::fourProcessesSaveOneList()
{
    QFETCH(bool, locking);
    QFETCH(int, seeds);
    const int rounds = fromEnvironment("QUINDLE_STRESS_ROUNDS", 40);
    writeList(seedList(seeds));

    QElapsedTimer timer;
    timer.start();
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int id = 1; id <= 4; ++id)
        workers.push_back(startWorker({QStringLiteral("stress"), listPath(), QString::number(id), QString::number(rounds),
                                       locking ? QStringLiteral("lock") : QStringLiteral("nolock")}));
    QMap<QString, QString> fates;  // "W1P7" -> version or "removed"
    long merges = 0, renumbered = 0, writes = 0, conflicts = 0;
    for (auto& worker : workers) {
        QVERIFY(worker->waitForFinished(240'000));
        const QByteArray output = worker->readAllStandardOutput();
        QVERIFY2(worker->exitCode() == 0, output.constData());
        for (const QByteArray& line : output.split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.first() == "counts") {
                merges += words.value(1).toLong();
                renumbered += words.value(2).toLong();
                writes += words.value(3).toLong();
                conflicts += words.value(4).toLong();
            } else if (words.size() == 2) {
                fates.insert(QString::fromLatin1(words[0]), QString::fromLatin1(words[1]));
            }
        }
    }
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(fates.size(), 4 * rounds);

    LineList saved;
    loadListFile(listPath().toStdString(), saved);
    QSet<QString> numbers;
    QMap<QString, QString> found;
    int seedLines = 0;
    const QRegularExpression ours(QStringLiteral("^(\\d{3,})     W(\\d) P(\\d+) v(\\d+)$"));
    const QRegularExpression seed(QStringLiteral("^(\\d{3,})     Seed (\\d+)$"));
    const QRegularExpression number(QStringLiteral("^\\d*"));
    for (std::string_view bytes : saved) {
        const QString line = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
        const QString key = number.match(line).captured(0);
        QVERIFY2(!numbers.contains(key), qPrintable(QStringLiteral("number twice: ") + line));
        numbers.insert(key);
        if (const auto match = seed.match(line); match.hasMatch()) {
            QCOMPARE(match.captured(1).toInt(), match.captured(2).toInt());
            ++seedLines;
            continue;
        }
        const auto match = ours.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(QStringLiteral("unexpected line: ") + line));
        const QString project = QStringLiteral("W%1P%2").arg(match.captured(2), match.captured(3));
        QVERIFY2(!found.contains(project), qPrintable(QStringLiteral("twice: ") + project));
        found.insert(project, match.captured(4));
    }
    QCOMPARE(seedLines, seeds);
    for (auto fate = fates.cbegin(); fate != fates.cend(); ++fate) {
        if (fate.value() == QLatin1String("removed"))
            QVERIFY2(!found.contains(fate.key()), qPrintable(fate.key()));
        else
            QCOMPARE(found.value(fate.key(), QStringLiteral("missing ") + fate.key()), fate.value());
    }
    QCOMPARE(conflicts, 0L);
    qInfo("%d processes x %d rounds %s: %lld ms, %ld saves merged, %ld projects renumbered, %ld writes", 4, rounds,
          locking ? "locked" : "without the lock", elapsed, merges, renumbered, writes);
}

void TestSharedSaves::killedDuringTheLockedSave()
{
    const int kills = fromEnvironment("QUINDLE_SAVE_KILLS", 25);
    const int seeds = 999;
    // Long enough lines that a save takes a few milliseconds.
    QByteArray bytes;
    for (int i = 1; i <= seeds; ++i)
        bytes += QByteArray::number(i).rightJustified(3, '0') + "     " + QByteArray(300, 'x') + "\r\n";
    writeList(bytes);
    const QString lockPath = ListFileLock::lockFilePathFor(listPath());
    int killedWithTheLock = 0;
    for (int kill = 0; kill < kills; ++kill) {
        auto worker = startWorker({QStringLiteral("loop"), listPath()});
        QVERIFY(worker->waitForReadyRead(30'000));
        QTest::qSleep(int(QRandomGenerator::global()->bounded(40)));
        ::kill(pid_t(worker->processId()), SIGKILL);
        QVERIFY(worker->waitForFinished(10'000));
        killedWithTheLock += QFile::exists(lockPath) ? 1 : 0;

        // One whole list: every project once, in order, each line whole.
        LineList saved;
        loadListFile(listPath().toStdString(), saved);
        QCOMPARE(int(saved.size()), seeds);
        for (int i = 0; i < seeds; ++i) {
            const std::string_view line = saved[std::size_t(i)];
            QCOMPARE(QByteArray(line.data(), 3), QByteArray::number(i + 1).rightJustified(3, '0'));
            QVERIFY(line.size() > 8 && line.substr(3, 5) == "     ");
        }
        // The dead process's lock is taken over: at once when it names its
        // process, once it is old enough to have been filled when it is empty.
        ListFileLock lock(listPath());
        QTRY_COMPARE_WITH_TIMEOUT(int(lock.tryLock().outcome), int(LockOutcome::Locked), 5000);
    }
    qInfo("%d kills, %d of them with the lock held", kills, killedWithTheLock);
}

QTEST_GUILESS_MAIN(TestSharedSaves)
#include "test_sharedsaves.moc"
