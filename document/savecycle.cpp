#include "document/savecycle.h"

#include "document/saveround.h"
#include "listfile/listfileerror.h"

#include <QFile>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <random>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A save quicker than this shows no wait at all.
constexpr auto quietTime = 150ms;
constexpr auto lockRetry = 200ms;
// Rounds of writing over another writer's list before giving up: only a
// lock that locks nothing and a writer saving without pause get that far.
constexpr std::size_t mostWrites = 50;

// What the window thread and the saving thread share.
class SaveProgress {
public:
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }

    void setWaitingFor(std::optional<LockHolder> holder)
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        const auto same = [](const LockHolder& a, const LockHolder& b) {
            return a.pid == b.pid && a.host == b.host && a.user == b.user && a.since == b.since;
        };
        if (holder.has_value() == waitingFor_.has_value() && (!holder || same(*holder, *waitingFor_)))
            return;
        waitingFor_ = std::move(holder);
        ++changes_;
    }
    // The holder waited for, and a count that changes with it.
    std::pair<std::optional<LockHolder>, int> waitingFor() const
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        return {waitingFor_, changes_};
    }

private:
    std::atomic<bool> cancelled_ {false};
    mutable std::mutex mutex_;
    std::optional<LockHolder> waitingFor_;
    int changes_ = 0;
};

// Takes the lock (waiting while another holds it), then runs rounds until one
// sees its list on disk. Runs on the saving thread.
SaveRound lockedSave(const SaveJob& job, ListFileLock& lock, SaveProgress& progress)
{
    SaveJob current = job;
    std::vector<MergeNotice> notices;
    bool rebased = false;
    std::minstd_rand jitter(std::random_device {}());
    bool takeOverStale = job.takeOverStale;
    std::size_t writes = 0;
    std::size_t rounds = 0;
    std::size_t failedReads = 0;
    bool merged = false;
    for (;;) {
        LockAttempt attempt = takeOverStale ? lock.takeOverStale() : lock.tryLock();
        takeOverStale = false;
        while (attempt.outcome == LockOutcome::HeldByOther) {
            progress.setWaitingFor(attempt.holder);
            for (auto waited = 0ms; waited < lockRetry && !progress.cancelled(); waited += 20ms)
                std::this_thread::sleep_for(20ms);
            if (progress.cancelled())
                return {};
            attempt = lock.tryLock();
        }
        progress.setWaitingFor(std::nullopt);
        switch (attempt.outcome) {
        case LockOutcome::Locked:
            break;
        case LockOutcome::StaleFromOtherHost: {
            SaveRound round = needing(SaveRound::Needs::StaleLockAnswer);
            round.holder = attempt.holder;
            return round;
        }
        case LockOutcome::FolderNotLockable: {
            SaveRound round;
            round.result.status = SaveResult::Status::ReadOnlyFolder;
            return round;
        }
        case LockOutcome::NotALockFile:
        case LockOutcome::CannotTakeOver:
            // Nothing the user could answer would make a lock: they are
            // told why, once.
            throw ListFileError("Project List " + job.path + " cannot be locked: "
                                + attempt.why.toLocal8Bit().toStdString() + "\rYour changes are kept, not saved");
        case LockOutcome::HeldByOther:
        case LockOutcome::Failed:
            // Where no lock file can be made (the folder is gone, the disk
            // is full), the list cannot be written either.
            throw ListFileError("Cannot create file " + job.path);
        }
        SaveRound round;
        try {
            round = lockedRound(current, job.stamp, [&progress] { return progress.cancelled(); }, failedReads);
        } catch (...) {
            lock.unlock();
            throw;
        }
        lock.unlock();
        SaveResult& result = round.result;
        writes += result.writes;
        merged = merged || result.merged;
        if (round.needs != SaveRound::Needs::AnotherRound) {
            result.writes = writes;
            result.merged = merged;
            result.notices.insert(result.notices.begin(), notices.begin(), notices.end());
            if (result.status == SaveResult::Status::Saved && rebased)
                result.mergedOthers = result.written != job.ours;
            return round;
        }
        if (writes >= mostWrites || ++rounds >= 4 * mostWrites)
            throw ListFileError("Cannot create file " + job.path);
        if (result.writes > 0) {
            // Ours was on disk and another writer's list replaced it, which
            // may or may not hold it: from now on our changes are those that
            // made the list written, renumberings and answers included.
            rebased = true;
            if (current.base.size() == 0 && !current.baseExisted)
                current.wholeList = true;
            current.base = std::move(round.mergedOnto);
            current.ours = std::move(result.written);
            current.touched = touchedAfterMerge(std::move(current.touched), result.notices);
            current.waitingConflicts.clear();
            current.createIfMissing = true;
            notices.insert(notices.end(), result.notices.begin(), result.notices.end());
        }
        // Writers that keep displacing each other step apart.
        std::this_thread::sleep_for(std::chrono::milliseconds(jitter() % (5 * std::min<std::size_t>(writes + 1, 10))));
    }
}

// Runs lockedSave on a thread of its own; the window waits quietly for a
// moment, then through the questions' waits, which keep its events going.
SaveRound inBackground(const SaveJob& job, ListFileLock& lock, SaveQuestions& questions)
{
    SaveProgress progress;
    std::future<SaveRound> done = std::async(std::launch::async, [&] { return lockedSave(job, lock, progress); });
    const auto ready = [&] { return done.wait_for(0ms) == std::future_status::ready; };
    // Whatever goes wrong here, the saving thread must not wait forever.
    struct CancelOnLeaving {
        SaveProgress& progress;
        bool armed = true;
        ~CancelOnLeaving()
        {
            if (armed)
                progress.cancel();
        }
    } cancelOnLeaving {progress};
    if (done.wait_for(quietTime) != std::future_status::ready) {
        while (!ready()) {
            const auto [holder, version] = progress.waitingFor();
            const auto stateChanged = [&, version = version] { return ready() || progress.waitingFor().second != version; };
            const bool kept = holder ? questions.waitForLock(*holder, stateChanged) : questions.waitForSave(stateChanged);
            if (!kept) {
                progress.cancel();
                break;
            }
            // The lock came free: the save itself is quick again, mostly.
            done.wait_for(quietTime);
        }
    }
    cancelOnLeaving.armed = false;
    return done.get();
}

} // namespace

SaveResult runSaveCycle(SaveJob job, SaveQuestions& questions)
{
    ListFileLock lock(QFile::decodeName(QByteArray::fromStdString(job.path)));
    for (;;) {
        SaveRound round = inBackground(job, lock, questions);
        job.takeOverStale = false;
        switch (round.needs) {
        case SaveRound::Needs::Answers: {
            const auto choices = questions.resolveConflicts(round.conflicts);
            if (!choices || choices->size() != round.conflicts.size())
                return {};
            for (std::size_t i = 0; i < choices->size(); ++i)
                job.answers.emplace_back(round.conflicts[i], (*choices)[i]);
            break;
        }
        case SaveRound::Needs::StaleLockAnswer:
            if (!questions.takeOverStaleLock(round.holder))
                return {};
            job.takeOverStale = true;
            break;
        case SaveRound::Needs::DeletedAnswer:
            if (!questions.createDeletedFile())
                return {};
            job.createIfMissing = true;
            break;
        case SaveRound::Needs::Nothing:
        case SaveRound::Needs::AnotherRound:
            return std::move(round.result);
        }
    }
}
