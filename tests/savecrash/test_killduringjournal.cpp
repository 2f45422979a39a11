// A process changing a list through the list document is killed (SIGKILL)
// after a random number of changes, at a random moment, often in the middle
// of one. While it runs its journal is never offered for recovery; once it
// is dead the journal is offered for that list, and recovered onto the
// unchanged list file it gives, byte for byte, the lines the process had
// after its last change that completed (or after the one in flight, when
// that reached the disk): never another list. The test works those lines
// out itself, making the same seeded changes with applyOperation.
//
// QUINDLE_JOURNAL_KILLS changes the number of kills (40); QUINDLE_JOURNAL_SEED
// repeats the run of the seed it printed.
#include "childprocess.h"
#include "journalsteps.h"

#include "document/changejournal.h"
#include "document/projectlistdocument.h"
#include "listfile/listfileio.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Changes a helper makes at most before it is killed.
constexpr long mostStepsBeforeKill = 40;

// One run of the journal-loop helper, its stdout read as it reports.
class JournalLoop {
public:
    JournalLoop(const std::string& listFile, std::uint64_t seed)
        : child_({JOURNAL_LOOP_PATH, listFile, std::to_string(seed), "1000"})
    {
    }

    // Waits until the helper has reported steps changes; false when it ended
    // or stayed silent for ten seconds.
    bool waitForSteps(long steps)
    {
        while (child_.running() && reported_ < steps) {
            if (!readSome(10000))
                return false;
        }
        return reported_ >= steps;
    }
    // Kills the helper, reads what it wrote before it died; whether it was
    // still running.
    bool kill()
    {
        const bool wasRunning = child_.kill();
        while (readSome(1000)) {
        }
        return wasRunning;
    }
    // The changes the helper said it completed.
    long reported() const { return reported_; }

private:
    bool readSome(int timeoutMs)
    {
        char buffer[4096];
        const long long got = child_.readOutput(buffer, sizeof buffer, timeoutMs);
        if (got <= 0)
            return false;
        text_.append(buffer, std::size_t(got));
        for (std::size_t end; (end = text_.find('\n')) != std::string::npos; text_.erase(0, end + 1))
            reported_ = std::atol(text_.substr(0, end).c_str());
        return true;
    }

    ChildProcess child_;
    std::string text_;
    long reported_ = 0;
};

// The lines after each of the first steps changes the helper makes with
// seed on base, as list file text; [0] is base.
std::vector<std::string> linesAfterEachStep(std::uint64_t seed, const LineList& base, long steps)
{
    std::mt19937_64 random(seed);
    LineList lines = base;
    std::vector<LineList> undoable;
    std::vector<std::string> states {joinListText(lines)};
    for (long step = 1; step <= steps; ++step) {
        const JournalStep next = nextJournalStep(random, lines, undoable.size(), std::uint64_t(step));
        if (next.undo) {
            lines = std::move(undoable.back());
            undoable.pop_back();
        } else {
            undoable.push_back(lines);
            EXPECT_TRUE(applyOperation(lines, next.operation));
        }
        states.push_back(joinListText(lines));
    }
    return states;
}

class KillDuringJournal : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "quindle-journalkill-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        listFile = (folder / "Projects.txt").string();
        // The helpers inherit it: their journals go here.
        ::setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("XDG_STATE_HOME");
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    // Journals in the state folder; hidden ones are the temporary files of
    // journals whose creation was killed.
    std::vector<std::string> journals(bool hidden) const
    {
        std::vector<std::string> names;
        std::error_code missing;
        for (const auto& entry : fs::directory_iterator(ChangeJournal::folder().toStdString(), missing)) {
            const std::string name = entry.path().filename().string();
            if ((name[0] == '.') == hidden)
                names.push_back(name);
        }
        return names;
    }

    fs::path folder;
    std::string listFile;
};

} // namespace

TEST_F(KillDuringJournal, RecoveryGivesTheLinesOfTheLastChange)
{
    const long kills = environmentNumber("QUINDLE_JOURNAL_KILLS", 40);
    const unsigned masterSeed = unsigned(environmentNumber("QUINDLE_JOURNAL_SEED", long(std::random_device {}())));
    std::mt19937_64 random(masterSeed);
    std::uniform_int_distribution<long> stepsBeforeKill(1, mostStepsBeforeKill);
    std::uniform_int_distribution<long> delayUs(0, 3000);

    long wrong = 0;
    long lastCompleted = 0;
    long inFlight = 0;
    long nothingToRecover = 0;
    long offeredWhileRunning = 0;
    std::size_t unreadable = 0;
    std::size_t killedCreations = 0;
    for (long kill = 0; kill < kills; ++kill) {
        const std::uint64_t seed = random();
        const LineList base = journalKillList(seed, kill % 2 == 1);
        saveListFile(listFile, base);

        JournalLoop loop(listFile, seed);
        ASSERT_TRUE(loop.waitForSteps(stepsBeforeKill(random))) << "the helper stopped, seed " << seed;
        if (ChangeJournal::findRecoverable(listFile))
            ++offeredWhileRunning;
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ASSERT_TRUE(loop.kill()) << "the helper stopped by itself, seed " << seed;

        const long done = loop.reported();
        const std::vector<std::string> expected = linesAfterEachStep(seed, base, done + 1);
        ProjectListDocument document;
        document.load(listFile);
        document.setCurrentListFile(listFile);
        if (const std::optional<RecoverableChanges> changes = ChangeJournal::findRecoverable(listFile)) {
            unreadable += changes->unreadable;
            EXPECT_EQ(document.recover(*changes), std::vector<std::string>())
                << "the unchanged file reported as changed, seed " << seed;
        } else {
            ++nothingToRecover;
        }
        const std::string recovered = joinListText(document.lines());
        if (recovered == expected[std::size_t(done)]) {
            ++lastCompleted;
        } else if (recovered == expected[std::size_t(done) + 1]) {
            ++inFlight;
        } else {
            ++wrong;
            ADD_FAILURE() << "kill " << kill << " after " << done << " changes recovered a wrong list, seed " << seed;
        }
        // The recovered changes are this document's now; letting them go
        // leaves no journal but the temporary files of killed creations.
        document.dropUnsavedChanges();
        EXPECT_EQ(journals(false), std::vector<std::string>()) << "seed " << seed;
        for (const std::string& name : journals(true)) {
            ++killedCreations;
            fs::remove(fs::path(ChangeJournal::folder().toStdString()) / name);
        }
    }

    std::printf("%ld kills: %ld wrong lists, %ld recovered to the last change reported, %ld with the change in "
                "flight, %ld with nothing to recover; %zu unreadable records; %zu journal creations killed; "
                "offered while running %ld times; seed %u\n",
                kills, wrong, lastCompleted, inFlight, nothingToRecover, unreadable, killedCreations,
                offeredWhileRunning, masterSeed);
    RecordProperty("wrong", static_cast<int>(wrong));
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(offeredWhileRunning, 0);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
