// What the journal of unsaved changes costs on a sorted list of a million
// lines: "Apply Changes" without a journal, as the list edit alone does it;
// the document's putProject, which also writes the change to the journal and
// flushes it to the disk before it returns; one flush of a small record
// alone, the floor of that; an undo of an apply; and the recovery of a
// journal of 1,000 changes at start (under 1 s), with the journal's size
// (under 200 KB) as a counter.
//
// The journal folder must be on a real disk, not tmpfs, or the flushes cost
// nothing: it goes in a folder made under QUINDLE_BENCH_DIR (default /var/tmp).
#include "benchmain.h"
#include "listgenerator.h"

#include "document/changejournal.h"
#include "document/projectlistdocument.h"
#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listfileio.h"
#include "listfile/listjournal.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t benchmarkLines = 1000000;
constexpr int recoveredOperations = 1000;

// The sorted list, its file, and the folder of the journals, made once.
struct BenchList {
    fs::path folder;
    std::string path;
    LineList lines;

    BenchList()
    {
        const char* base = std::getenv("QUINDLE_BENCH_DIR");
        std::string pattern = (fs::path(base && *base ? base : "/var/tmp") / "quindle-undojournal-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        folder = pattern;
        path = (folder / "Projects.txt").string();
        ::setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
        lines = generateListLines({benchmarkLines, 0, 1});
        sortLines(lines);
        saveListFile(path, lines);
    }
    ~BenchList()
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

BenchList& benchList()
{
    static BenchList list;
    return list;
}

// A project in the middle of the list gets a description that sorts it
// elsewhere: its number and its new line.
std::pair<std::string, std::string> editedProject(std::mt19937& random, int round)
{
    const std::string number = zeroPadNumber(1 + static_cast<int>(random() % 999));
    return {number, projectLine(number, "Zz new pier " + std::to_string(round))};
}

// A document holding the list, its changes journalled and kept in its history.
struct LoadedDocument {
    ProjectListDocument document;

    LoadedDocument()
    {
        document.load(benchList().path);
        document.setCurrentListFile(benchList().path);
        // The first change after a load finds out whether the list is in
        // order and starts the journal: not what later ones cost.
        document.putProject("001", "001     First change");
    }
    ~LoadedDocument() { document.dropUnsavedChanges(); }
};

void BM_ApplyWithoutJournal(benchmark::State& state)
{
    LineList lines = benchList().lines;
    std::mt19937 random(3);
    int round = 0;
    for (auto _ : state) {
        const auto [number, line] = editedProject(random, round++);
        keepSorted(lines, putProjectLine(lines, number, line));
    }
}
BENCHMARK(BM_ApplyWithoutJournal)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

void BM_PutProjectWithJournal(benchmark::State& state)
{
    LoadedDocument loaded;
    std::mt19937 random(3);
    int round = 0;
    for (auto _ : state) {
        const auto [number, line] = editedProject(random, round++);
        loaded.document.putProject(number, line);
    }
}
BENCHMARK(BM_PutProjectWithJournal)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

// A record of a journal's size appended and flushed, nothing else.
void BM_FlushSmallRecord(benchmark::State& state)
{
    const std::string path = (benchList().folder / "flush.bin").string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const std::string record(110, 'r');
    off_t size = 0;
    for (auto _ : state) {
        if (::pwrite(fd, record.data(), record.size(), size) != static_cast<ssize_t>(record.size())
            || ::fdatasync(fd) != 0) {
            state.SkipWithError("cannot write the record");
            break;
        }
        size += static_cast<off_t>(record.size());
    }
    ::close(fd);
    ::unlink(path.c_str());
}
BENCHMARK(BM_FlushSmallRecord)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

// Undo of an apply: the line taken back to its place and the undo journalled.
void BM_UndoApply(benchmark::State& state)
{
    LoadedDocument loaded;
    std::mt19937 random(5);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const auto [number, line] = editedProject(random, round++);
        loaded.document.putProject(number, line);
        state.ResumeTiming();
        loaded.document.undo();
    }
}
BENCHMARK(BM_UndoApply)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

// A journal of 1,000 changes (edits, new projects, removes) as a run that
// died would have left it for the list: its path and bytes, made once.
struct DeadRunJournal {
    std::string path;
    std::string bytes;
};

const DeadRunJournal& deadRunJournal()
{
    static const DeadRunJournal journal = [] {
        const LineList& lines = benchList().lines;
        std::mt19937 random(7);
        std::vector<ListOperation> ops;
        for (int i = 0; i < recoveredOperations; ++i) {
            ListOperation op;
            const unsigned kind = random() % 10;
            op.numberText = zeroPadNumber(1 + static_cast<int>(random() % 999));
            if (kind < 2) {
                op.kind = ListOperation::Kind::Remove;
            } else if (kind < 5) {
                op.numberText = zeroPadNumber(static_cast<int>(benchmarkLines) + 1 + i);
                op.line = projectLine(op.numberText, "Added pier " + std::to_string(i));
            } else {
                op.line = projectLine(op.numberText, "Zz recovered pier " + std::to_string(i));
            }
            ops.push_back(op);
        }
        // Each change replaced what it met, as the run's own changes did.
        const std::vector<std::optional<std::string>> met = linesMet(lines, ops);
        std::vector<JournalRecord> records;
        for (std::size_t i = 0; i < ops.size(); ++i) {
            ops[i].replaced = met[i];
            records.push_back(JournalRecord::of(ops[i]));
        }
        const std::string listPath = fs::absolute(benchList().path).string();
        JournalHeader header;
        header.listPath = listPath;
        header.base.exists = true;
        header.process = currentJournalProcess();
        header.process.pid = 1 << 23;  // no process has it
        std::string name = journalFileName(listPath);
        name.insert(name.size() - std::string(".journal").size(), ".dead");
        const fs::path folder = ChangeJournal::folder().toStdString();
        fs::create_directories(folder);
        return DeadRunJournal {(folder / name).string(), encodeJournal(header, records)};
    }();
    return journal;
}

// At start, the journal found and its 1,000 changes applied to the list
// just read, in one pass, and journalled again by this run.
void BM_RecoverThousandOperations(benchmark::State& state)
{
    const DeadRunJournal& journal = deadRunJournal();
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(journal.path, std::ios::binary) << journal.bytes;
        auto document = std::make_unique<ProjectListDocument>();
        document->load(benchList().path);
        document->setCurrentListFile(benchList().path);
        state.ResumeTiming();
        const std::optional<RecoverableChanges> changes = ChangeJournal::findRecoverable(benchList().path);
        if (!changes || changes->operations.size() != recoveredOperations) {
            state.SkipWithError("the journal was not offered whole");
            break;
        }
        if (!document->recover(*changes).empty()) {
            state.SkipWithError("the unchanged list was found changed");
            break;
        }
        state.PauseTiming();
        document->dropUnsavedChanges();
        document.reset();
        state.ResumeTiming();
    }
    state.counters["journal_KB"] = static_cast<double>(journal.bytes.size()) / 1024.0;
}
BENCHMARK(BM_RecoverThousandOperations)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Undo of that recovery: one step, the 1,000 changes taken back and
// journalled together.
void BM_UndoRecovery(benchmark::State& state)
{
    const DeadRunJournal& journal = deadRunJournal();
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(journal.path, std::ios::binary) << journal.bytes;
        auto loaded = std::make_unique<LoadedDocument>();
        const std::optional<RecoverableChanges> changes = ChangeJournal::findRecoverable(benchList().path);
        if (!changes) {
            state.SkipWithError("the journal was not offered");
            break;
        }
        loaded->document.recover(*changes);
        state.ResumeTiming();
        loaded->document.undo();
        state.PauseTiming();
        loaded.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoRecovery)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    QCoreApplication app(argc, argv);
    return runBenchmarks(argc, argv);
}
