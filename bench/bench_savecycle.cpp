// The save of a list others may share, through the document, on a sorted
// list of a million lines: with nothing changed on disk (lock, look at the
// file, write, read back) beside the plain save it grew from and the lock
// alone; and merging 1,000 of our changed projects with 1,000 of theirs
// (theirs among the lines of four and more digits, so nothing is asked),
// which should cost no more than twice the plain save.
#include "benchmain.h"
#include "listgenerator.h"

#include "document/listfilelock.h"
#include "document/projectlistdocument.h"

#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listfileio.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t benchmarkLines = 1000000;

std::string savePath;

class AnsweringQuestions : public SaveQuestions {
public:
    bool waitForLock(const LockHolder&, const std::function<bool()>& finished) override { return waitOut(finished); }
    bool waitForSave(const std::function<bool()>& finished) override { return waitOut(finished); }
    bool takeOverStaleLock(const LockHolder&) override { return true; }
    bool createDeletedFile() override { return true; }
    std::optional<std::vector<ConflictChoice>> resolveConflicts(const std::vector<MergeConflict>& c) override
    {
        return std::vector<ConflictChoice>(c.size(), ConflictChoice::KeepMine);
    }

private:
    static bool waitOut(const std::function<bool()>& finished)
    {
        while (!finished())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    }
};

const LineList& baseList()
{
    static const LineList lines = [] {
        LineList generated = generateListLines({benchmarkLines, 0, 1});
        sortLines(generated);
        return generated;
    }();
    return lines;
}

// Theirs: 1,000 edits of lines numbered with four and more digits.
const LineList& theirList()
{
    static const LineList lines = [] {
        LineList theirs = baseList();
        std::size_t changed = 0;
        for (std::size_t i = 0; i < theirs.size() && changed < 1000; i += 997) {
            const std::string_view line = theirs[i];
            std::size_t digits = 0;
            while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
                ++digits;
            if (digits < 4)
                continue;
            theirs.set(i, std::string(line) + " (theirs)");
            ++changed;
        }
        return theirs;
    }();
    return lines;
}

// Another writer's save: a new file with a later time.
void writeAsAnother(const LineList& lines)
{
    saveListFile(savePath, lines);
    const std::time_t later = std::time(nullptr) + 10;
    const timespec times[2] = {{later, 0}, {later, 0}};
    ::utimensat(AT_FDCWD, savePath.c_str(), times, 0);
}

void BM_PlainSave(benchmark::State& state)
{
    const LineList& lines = baseList();
    for (auto _ : state)
        saveListFile(savePath, lines);
    state.counters["lines"] = double(lines.size());
}
BENCHMARK(BM_PlainSave)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LockAlone(benchmark::State& state)
{
    ListFileLock lock(QString::fromStdString(savePath));
    for (auto _ : state) {
        if (lock.tryLock().outcome != LockOutcome::Locked)
            state.SkipWithError("no lock");
        lock.unlock();
    }
}
BENCHMARK(BM_LockAlone)->Unit(benchmark::kMicrosecond)->UseRealTime();

// One project edited, nothing changed on disk since the list was read a
// while ago (its time tells that nothing changed), or since our own save
// just before (its time cannot tell: the file is read and compared).
void runUnchanged(benchmark::State& state, bool rightAfterSave)
{
    saveListFile(savePath, baseList());
    ProjectListDocument document;
    AnsweringQuestions questions;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (!rightAfterSave || round == 0) {
            const std::time_t earlier = std::time(nullptr) - 60;
            const timespec times[2] = {{earlier, 0}, {earlier, 0}};
            ::utimensat(AT_FDCWD, savePath.c_str(), times, 0);
            document.load(savePath);
            document.setCurrentListFile(savePath);
        }
        document.putProject("001", projectLine("001", "Edit " + std::to_string(++round)));
        state.ResumeTiming();
        const SaveResult result = document.save(questions);
        if (result.status != SaveResult::Status::Saved || result.merged)
            state.SkipWithError("not saved as it stood");
    }
}

void BM_SaveCycleUnchanged(benchmark::State& state)
{
    runUnchanged(state, false);
}
BENCHMARK(BM_SaveCycleUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveCycleRightAfterSave(benchmark::State& state)
{
    runUnchanged(state, true);
}
BENCHMARK(BM_SaveCycleRightAfterSave)->Unit(benchmark::kMillisecond)->UseRealTime();

// Our 999 edits of 001 to 999 onto their 1,000 edits elsewhere.
void BM_SaveCycleMerging(benchmark::State& state)
{
    AnsweringQuestions questions;
    std::vector<ListOperation> ours;
    for (int number = 1; number < 1000; ++number) {
        ListOperation op;
        op.numberText = zeroPadNumber(number);
        op.line = projectLine(op.numberText, "Ours edit " + op.numberText);
        ours.push_back(op);
    }
    for (auto _ : state) {
        state.PauseTiming();
        saveListFile(savePath, baseList());
        auto document = std::make_unique<ProjectListDocument>();
        document->load(savePath);
        document->setCurrentListFile(savePath);
        document->applyChanges(ours);
        writeAsAnother(theirList());
        state.ResumeTiming();
        const SaveResult result = document->save(questions);
        if (result.status != SaveResult::Status::Saved || !result.merged)
            state.SkipWithError("not merged");
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SaveCycleMerging)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    QCoreApplication app(argc, argv);
    const BenchFolder folder("bench_savecycle");
    if (!folder.made())
        return 1;
    savePath = folder.file("Projects.txt");
    // Journals of the benchmark stay in its folder.
    ::setenv("XDG_STATE_HOME", folder.file("state").c_str(), 1);
    return runBenchmarks(argc, argv, [] {
        theirList();  // made before any clock runs
        return true;
    });
}
