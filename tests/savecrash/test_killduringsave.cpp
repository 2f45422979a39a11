// A process saving a large list is killed (SIGKILL) at random moments, a few
// hundred times: after every kill the list file holds exactly one of the two
// lists the process writes in turn, never a mix or a cut-off file. The hidden
// temporary file a kill leaves behind does not stop the next save, and a
// completed save clears it away.
//
// QUINDLE_KILLS and QUINDLE_KILL_SECONDS change the number of kills (400) and
// the time allowed for them (30 s).
#include "childprocess.h"
#include "savecrashlists.h"

#include "listfile/listfileio.h"
#include "listfile/savetemporary.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>


namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t listLines = 200000;
const char* const listName = "Projects.txt";

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One run of the save-loop helper, started with --wait: it builds its lists,
// reports ready, and saves once it is told to go.
class SaveLoop {
public:
    SaveLoop(const std::string& listFile, long long saves, std::size_t lineCount = listLines)
        : child_({SAVE_LOOP_PATH, listFile, std::to_string(lineCount), std::to_string(saves), "--wait"})
    {
    }

    // Waits until the helper has built its lists.
    bool waitReady()
    {
        char byte = 0;
        return child_.running() && child_.readOutput(&byte, 1, 60000) == 1 && byte == '+';
    }
    bool go() { return child_.writeInput("g"); }
    // Kills the helper and says whether it was still running.
    bool kill() { return child_.kill(); }
    // Waits for the helper to end by itself; its exit code.
    int finish() { return child_.finish(); }

private:
    ChildProcess child_;
};

class KillDuringSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("quindle-kill-" + std::to_string(std::random_device {}()));
        ASSERT_TRUE(fs::create_directory(folder));
        listFile = (folder / listName).string();
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    std::set<std::string> temporaryFiles() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (isSaveTemporaryName(name, listName))
                names.insert(name);
            else
                EXPECT_EQ(name, listName) << "a file that is neither the list nor a temporary file";
        }
        return names;
    }

    fs::path folder;
    std::string listFile;
};

} // namespace

TEST_F(KillDuringSave, TheListIsAlwaysWholeOldOrNew)
{
    const std::string first = joinListText(saveCrashList(false, listLines));
    const std::string second = joinListText(saveCrashList(true, listLines));
    ASSERT_NE(first.size(), second.size());
    // The file starts as the second list, which the helper's first save replaces.
    saveListFile(listFile, saveCrashList(true, listLines));

    // How long one save takes here: the kills are spread over a little more
    // than two of them, so they fall in every step of a save and between saves.
    std::chrono::microseconds saveTime {};
    {
        SaveLoop timing(listFile, 4);
        ASSERT_TRUE(timing.waitReady());
        const Clock::time_point start = Clock::now();
        ASSERT_TRUE(timing.go());
        ASSERT_EQ(timing.finish(), 0);
        saveTime = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start) / 4;
    }
    const long kills = environmentNumber("QUINDLE_KILLS", 400);
    const auto allowed = std::chrono::seconds(environmentNumber("QUINDLE_KILL_SECONDS", 30));
    const unsigned seed = std::random_device {}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<long long> delay(0, saveTime.count() * 5 / 2);

    long done = 0;
    long damaged = 0;
    long wholeFirst = 0;
    long wholeSecond = 0;
    long midSave = 0;
    std::size_t mostLeftOver = 0;
    const Clock::time_point start = Clock::now();
    auto next = std::make_unique<SaveLoop>(listFile, -1);
    // The time allowed is a soft limit: on a slow or busy machine (a sanitizer
    // build, other tests beside) the run goes on until it has made enough
    // kills to mean something, and has seen both lists left, up to a hard
    // limit of four times as long.
    const long enough = std::min(kills, 50L);
    auto goOn = [&] {
        const auto elapsed = Clock::now() - start;
        const bool meaningful = done >= enough && wholeFirst > 0 && wholeSecond > 0;
        return done < kills && (elapsed < allowed || (!meaningful && elapsed < 4 * allowed));
    };
    while (goOn()) {
        auto current = std::move(next);
        ASSERT_TRUE(current->waitReady());
        const std::set<std::string> before = temporaryFiles();
        ASSERT_TRUE(current->go());
        // The next helper builds its lists while this one saves.
        next = std::make_unique<SaveLoop>(listFile, -1);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ASSERT_TRUE(current->kill()) << "the helper stopped by itself";
        ++done;

        const std::string bytes = readBytes(listFile);
        if (bytes == first) {
            ++wholeFirst;
        } else if (bytes == second) {
            ++wholeSecond;
        } else {
            ++damaged;
            ADD_FAILURE() << "kill " << done << " left a file of " << bytes.size() << " bytes";
        }
        const std::set<std::string> after = temporaryFiles();
        mostLeftOver = std::max(mostLeftOver, after.size());
        for (const std::string& name : after)
            if (!before.count(name)) {
                ++midSave;
                break;
            }
    }
    next.reset();

    // A save after all that succeeds and leaves only the list.
    SaveLoop last(listFile, 1);
    ASSERT_TRUE(last.waitReady());
    ASSERT_TRUE(last.go());
    EXPECT_EQ(last.finish(), 0);
    EXPECT_EQ(readBytes(listFile), first);
    EXPECT_TRUE(temporaryFiles().empty());

    std::printf("%ld kills, %ld damaged files (%ld left the first list, %ld the second; %ld killed in the middle "
                "of a save; at most %zu temporary files at once; one save %lld us; seed %u)\n",
                done, damaged, wholeFirst, wholeSecond, midSave, mostLeftOver,
                static_cast<long long>(saveTime.count()), seed);
    RecordProperty("kills", static_cast<int>(done));
    RecordProperty("damaged", static_cast<int>(damaged));
    EXPECT_EQ(damaged, 0);
    // The kills must really have hit saves, both ways round, for this to mean anything.
    EXPECT_GE(done, enough);
    EXPECT_GT(wholeFirst, 0);
    EXPECT_GT(wholeSecond, 0);
    EXPECT_GT(midSave, done / 10);
}

// Two processes saving the same list at once: neither save may fail because
// the other cleared its temporary file as a leftover, and the list stays whole.
TEST_F(KillDuringSave, TwoSavesAtOnceDoNotTakeEachOthersFiles)
{
    constexpr std::size_t lines = 2000;
    constexpr long long saves = 300;
    SaveLoop one(listFile, saves, lines);
    SaveLoop other(listFile, saves, lines);
    ASSERT_TRUE(one.waitReady());
    ASSERT_TRUE(other.waitReady());
    ASSERT_TRUE(one.go());
    ASSERT_TRUE(other.go());
    // A save loop ends with 1 when a save failed with its message.
    const int first = one.finish(), second = other.finish();
    if (replaceFailsWhileOthersHoldTheFile()) {
        EXPECT_TRUE(first == 0 || first == 1) << first;
        EXPECT_TRUE(second == 0 || second == 1) << second;
    } else {
        EXPECT_EQ(first, 0);
        EXPECT_EQ(second, 0);
    }
    const std::string bytes = readBytes(listFile);
    EXPECT_TRUE(bytes == joinListText(saveCrashList(true, lines)) || bytes == joinListText(saveCrashList(false, lines)));
    EXPECT_TRUE(temporaryFiles().empty());
}
