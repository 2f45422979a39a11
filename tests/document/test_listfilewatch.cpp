// The watch over the list file, polled as on a share that raises no events:
// each new state of the file that differs from what its owner knows is told
// once, files coming or going beside it are told as a change of the folder,
// and a file its owner just read or wrote is told settled once.
#include "document/listfilewatch.h"
#include "documentfolder.h"

#include <QSignalSpy>
#include <QtTest>
#include <functional>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// A file time apart from the one before, whatever the file system's resolution.
void moveTimeOn(const std::string& path, int seconds)
{
    const timespec later[2] = {{std::time(nullptr) + seconds, 0}, {std::time(nullptr) + seconds, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), later, 0);
}

} // namespace

class TestListFileWatch : public QObject {
    Q_OBJECT
private slots:
    void init();
    void outsideChanges_data();
    void outsideChanges();
    void aFileJustReadIsToldSettledOnce();
    void nothingToWatchPollsNothing();
    void aLargeListsHashTellsItsLinesApart();

private:
    std::unique_ptr<DocumentFolder> folder_;
};

void TestListFileWatch::init()
{
    folder_ = std::make_unique<DocumentFolder>();
    QVERIFY(folder_->isValid());
}

void TestListFileWatch::outsideChanges_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("changedOnDisk");
    QTest::addColumn<int>("folderChanged");
    QTest::newRow("nothing happens") << "none" << 0 << 0;
    QTest::newRow("rewritten in place") << "rewrite" << 1 << 0;
    QTest::newRow("rewritten twice: each new state told") << "rewrite twice" << 2 << 0;
    QTest::newRow("deleted") << "delete" << 1 << 1;
    QTest::newRow("a copy appears beside it") << "copy" << 0 << 1;
    QTest::newRow("touched, its lines the same") << "touch" << 0 << 0;
}

void TestListFileWatch::outsideChanges()
{
    QFETCH(QString, change);
    QFETCH(int, changedOnDisk);
    QFETCH(int, folderChanged);
    const std::string path = folder_->write(QStringLiteral("Projects.txt"), "001     A\r\n");
    ListFileStamp known = ListFileStamp::of(path, std::make_shared<LinesHash>(LineList {"001     A"}));
    ListFileWatch watch([&known]() -> ListFileStamp& { return known; });
    QSignalSpy onDisk(&watch, &ListFileWatch::changedOnDisk);
    QSignalSpy inFolder(&watch, &ListFileWatch::folderChanged);
    watch.setChangeDetection(ChangeDetection::PollingOnly, std::chrono::milliseconds(20));
    watch.watch(path);
    QVERIFY(watch.polls());

    const auto settle = [] { QTest::qWait(600); };
    if (change == QLatin1String("rewrite") || change == QLatin1String("rewrite twice")) {
        folder_->write(QStringLiteral("Projects.txt"), "001     Theirs\r\n");
        moveTimeOn(path, 5);
        settle();
        if (change == QLatin1String("rewrite twice")) {
            folder_->write(QStringLiteral("Projects.txt"), "001     Theirs again\r\n");
            moveTimeOn(path, 10);
        }
    } else if (change == QLatin1String("delete")) {
        QVERIFY(QFile::remove(QString::fromStdString(path)));
    } else if (change == QLatin1String("copy")) {
        folder_->write(QStringLiteral("Projects.sync-conflict-20261207-101500-ABCDEFG.txt"), "001     B\r\n");
    } else if (change == QLatin1String("touch")) {
        moveTimeOn(path, 5);
    }
    settle();
    QCOMPARE(onDisk.count(), changedOnDisk);
    QCOMPARE(inFolder.count() > 0, folderChanged > 0);
    // Nothing new: nothing more told.
    settle();
    QCOMPARE(onDisk.count(), changedOnDisk);
}

void TestListFileWatch::aFileJustReadIsToldSettledOnce()
{
    const std::string path = folder_->write(QStringLiteral("Projects.txt"), "001     A\r\n");
    ListFileStamp known = ListFileStamp::of(path, nullptr);
    ListFileWatch watch([&known]() -> ListFileStamp& { return known; });
    QSignalSpy settled(&watch, &ListFileWatch::settled);
    watch.watch(path);
    // Told once the caller is done, not within the call.
    QCOMPARE(settled.count(), 0);
    QTRY_COMPARE(settled.count(), 1);
    watch.watch(path);
    QTest::qWait(50);
    QCOMPARE(settled.count(), 1);
    // Written anew by the owner: a new state, told again.
    folder_->write(QStringLiteral("Projects.txt"), "001     Ours\r\n");
    moveTimeOn(path, 5);
    known = ListFileStamp::of(path, nullptr);
    watch.watch(path);
    QTRY_COMPARE(settled.count(), 2);
    // A file the owner does not know as it is now is never settled.
    moveTimeOn(path, 10);
    watch.watch(path);
    QTest::qWait(50);
    QCOMPARE(settled.count(), 2);
}

void TestListFileWatch::nothingToWatchPollsNothing()
{
    ListFileStamp known;
    ListFileWatch watch([&known]() -> ListFileStamp& { return known; });
    watch.setChangeDetection(ChangeDetection::PollingOnly, std::chrono::milliseconds(20));
    watch.watch(folder_->filePath(QStringLiteral("Projects.txt")).toStdString());
    QVERIFY(watch.polls());
    watch.watch(std::string());
    QVERIFY(!watch.polls());
    watch.watch(std::string("Pro\0jects.txt", 13));
    QVERIFY(!watch.polls());
}

QTEST_GUILESS_MAIN(TestListFileWatch)
// The hash that tells a touched file from a changed one, for a list large
// enough to be hashed in two halves at once: any change, in either half or
// where they meet, changes it.
void TestListFileWatch::aLargeListsHashTellsItsLinesApart()
{
    constexpr std::size_t count = 200000;
    const auto list = [] {
        LineList lines;
        for (std::size_t i = 0; i < count; ++i)
            lines.push_back(std::to_string(100000 + i) + "     Project");
        return lines;
    };
    const std::uint64_t hash = hashOfLines(list());
    QCOMPARE(hashOfLines(list()), hash);
    const struct {
        const char* what;
        std::function<void(LineList&)> change;
    } changes[] = {
        {"a byte in the first half", [](LineList& l) { l.set(10, "100010     Projecu"); }},
        {"a byte in the second half", [](LineList& l) { l.set(count - 10, "299990     Projecu"); }},
        {"a line end moved where the halves meet", [](LineList& l) {
             l.set(count / 2 - 1, "199999     Projec");
             l.set(count / 2, "t200000     Project");
         }},
        {"the halves swapped", [](LineList& l) {
             LineList swapped;
             for (std::size_t i = 0; i < count; ++i)
                 swapped.push_back(l[(i + count / 2) % count]);
             l = swapped;
         }},
        {"a line more", [](LineList& l) { l.push_back(""); }},
    };
    for (const auto& c : changes) {
        LineList changed = list();
        c.change(changed);
        QVERIFY2(hashOfLines(changed) != hash, c.what);
    }
}

#include "test_listfilewatch.moc"
