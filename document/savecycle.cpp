#include "document/savecycle.h"

#include "listfile/lineformat.h"
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"
#include "listfile/listoperation.h"

#include <QFile>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <random>
#include <thread>

#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

// A save quicker than this shows no wait at all.
constexpr auto quietTime = 150ms;
constexpr auto lockRetry = 200ms;
// Rounds of writing over another writer's list before giving up: only a
// lock that locks nothing and a writer saving without pause get that far.
constexpr std::size_t mostWrites = 50;
constexpr std::size_t mostFailedReads = 20;
// Where the lock may lock nothing, how long after its read-back a save looks
// at the file again: a writer that checked the file just before our rename
// replaces it within this time.
constexpr auto settleTime = 20ms;

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

// Whether something that is no plain file (a folder, a pipe, a device) is
// at path, links followed.
bool isNoPlainFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

// What one round under the lock came to: the save's end, or what it needs
// before the cycle can go on.
struct Round {
    enum class Needs {
        Nothing,
        // Projects both sides changed differently: the user's choices.
        Answers,
        // A lock from another machine, older than any save takes.
        StaleLockAnswer,
        // The list file was deleted since it was read.
        DeletedAnswer,
        // Another writer replaced the file meanwhile (or it could not be
        // opened as it was replaced): the round runs again.
        AnotherRound,
    };
    Needs needs = Needs::Nothing;
    SaveResult result;
    std::vector<MergeConflict> conflicts;  // Answers
    LockHolder holder;                     // StaleLockAnswer
    // AnotherRound after a write: the list ours was merged onto.
    LineList mergedOnto;
};

Round needing(Round::Needs needs)
{
    Round round;
    round.needs = needs;
    return round;
}

// The list file as a round found it.
struct FileRead {
    FileIdentity before;
    // Someone else changed it since it was last read or written: theirs.
    bool changed = false;
    LineList theirs;
    // Our side of the merge, prepared on a second thread while theirs is read.
    std::future<PreparedMerge> prepared;
};

// Reads the list file unless its identity tells it unchanged. False when it
// could not be opened as it was being replaced: the round is run again.
bool readList(const SaveJob& job, const ListFileStamp& stamp, std::size_t& failedReads, FileRead& read)
{
    // The file's identity settles it when its time can tell; else the lines
    // read are compared with ours as last read or written, which they must
    // be read for anyway when they differ.
    read.changed = !stamp.settledByTime(read.before);
    if (!read.changed)
        return true;
    // A file of another size than the one read or written surely changed.
    if (!job.wholeList && read.before.size != stamp.identity.size)
        read.prepared = std::async(std::launch::async, [&job] { return prepareMerge(job.base, job.ours, job.touched); });
    bool sameAsBase = false;
    try {
        // Read against the base: the lines nobody changed keep its bytes,
        // so a large list costs no fresh memory for them.
        sameAsBase = rereadListFile(job.path, read.theirs, job.base);
    } catch (const UneditableListFile&) {
        throw;
    } catch (const ListFileTooBig&) {
        throw;
    } catch (const ListFileError&) {
        // Something else than a file in the list's place (a folder, a pipe)
        // can never take the list.
        if (isNoPlainFile(job.path))
            throw ListFileError("Cannot create file " + job.path);
        // Replaced while it was opened: a FUSE or network share may fail the
        // open then, and report the old file's identity for a moment. A file
        // that stays unreadable is reported.
        if (failedReads >= mostFailedReads)
            throw ListFileError("Cannot read file " + job.path
                                + ": the changes cannot be merged into it, so nothing was written");
        ++failedReads;
        return false;
    }
    if (job.baseIsFile)
        read.changed = !sameAsBase;
    else if (job.stampedHash)
        read.changed = hashOfLines(read.theirs) != *job.stampedHash;
    return true;
}

// What a round makes of ours and the file read, with the user's answers so far.
struct RoundPlan {
    // Conflicts not answered yet: nothing else is decided.
    std::vector<MergeConflict> unanswered;
    LineList merged;
    std::vector<MergeNotice> notices;
    bool changed = false;
    bool mergedOthers = false;
};

RoundPlan planRound(const SaveJob& job, FileRead& read)
{
    RoundPlan out;
    const LineList& current = read.changed ? read.theirs : job.base;
    MergePlan plan;
    if (read.changed && job.wholeList)
        plan = planFullMerge(job.base, job.ours, read.theirs);
    else if (read.changed)
        plan = planMerge(read.prepared.valid() ? read.prepared.get() : prepareMerge(job.base, job.ours, job.touched),
                         read.theirs);
    const std::vector<MergeConflict> carried = carriedConflicts(job.waitingConflicts, job.ours, current, plan.conflicts);

    std::vector<ConflictChoice> planChoices;
    std::vector<ConflictChoice> carriedChoices;
    for (const MergeConflict& conflict : plan.conflicts)
        if (const auto choice = answerFor(job.answers, conflict))
            planChoices.push_back(*choice);
        else
            out.unanswered.push_back(conflict);
    for (const MergeConflict& conflict : carried)
        if (const auto choice = answerFor(job.answers, conflict))
            carriedChoices.push_back(*choice);
        else
            out.unanswered.push_back(conflict);
    if (!out.unanswered.empty())
        return out;

    out.changed = read.changed;
    if (read.changed) {
        out.notices = plan.notices;
        out.merged = applyMerge(read.theirs, plan, planChoices, out.notices);
    } else {
        out.merged = job.ours;
    }
    for (std::size_t i = 0; i < carried.size(); ++i)
        applyCarriedChoice(out.merged, carried[i], carriedChoices[i], out.notices);
    out.mergedOthers = (read.changed || !carried.empty()) && out.merged != job.ours;
    return out;
}

// Writes merged in place of the file read and reads it back; round.result
// already holds what the plan told.
void writeAndReadBack(const SaveJob& job, const FileRead& read, LineList merged, Round& round)
{
    const FileIdentity& before = read.before;
    if (round.result.merged && merged == read.theirs) {
        // Ours is already in the file: nothing to write.
        ListFileStamp stamp = ListFileStamp::of(job.path, std::make_shared<LinesHash>(merged));
        if (stamp.identity != before) {
            round.needs = Round::Needs::AnotherRound;
            return;
        }
        round.result.status = SaveResult::Status::Saved;
        round.result.written = std::move(merged);
        round.result.stamp = std::move(stamp);
        return;
    }

    // The file read must still be the one replaced: another writer that
    // ignores the lock is caught here or by the read-back.
    if (!saveListFileIf(job.path, merged, [&] { return identityOf(job.path) == before; })) {
        round.needs = Round::Needs::AnotherRound;
        return;
    }
    round.result.writes = 1;
    ListFileStamp written = ListFileStamp::of(job.path, std::make_shared<LinesHash>(merged));
    const bool landed = listFileHolds(job.path, merged);
    if (!job.lockTrusted)
        std::this_thread::sleep_for(settleTime);
    if (!landed || identityOf(job.path) != written.identity) {
        round.needs = Round::Needs::AnotherRound;
        round.result.written = std::move(merged);
        if (!before.exists || !round.result.merged)
            round.mergedOnto = before.exists ? job.base : LineList();
        else
            round.mergedOnto = read.theirs;
        return;
    }
    round.result.status = SaveResult::Status::Saved;
    round.result.written = std::move(merged);
    round.result.stamp = std::move(written);
}

// One read, plan, write and read-back, with the lock held.
Round lockedRound(const SaveJob& job, const ListFileStamp& stamp, const SaveProgress& progress,
                  std::size_t& failedReads)
{
    FileRead read;
    read.before = identityOf(job.path);
    RoundPlan plan;
    if (!read.before.exists) {
        if (job.baseExisted && !job.createIfMissing)
            return needing(Round::Needs::DeletedAnswer);
        plan.merged = job.ours;
    } else {
        if (!readList(job, stamp, failedReads, read))
            return needing(Round::Needs::AnotherRound);
        plan = planRound(job, read);
        if (!plan.unanswered.empty()) {
            Round round = needing(Round::Needs::Answers);
            round.conflicts = std::move(plan.unanswered);
            return round;
        }
    }
    Round round;
    round.result.merged = plan.changed;
    round.result.notices = std::move(plan.notices);
    round.result.mergedOthers = plan.mergedOthers;
    if (progress.cancelled())
        return round;
    writeAndReadBack(job, read, std::move(plan.merged), round);
    return round;
}

// Takes the lock (waiting while another holds it), then runs rounds until one
// sees its list on disk. Runs on the saving thread.
Round lockedSave(const SaveJob& job, ListFileLock& lock, SaveProgress& progress)
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
            Round round = needing(Round::Needs::StaleLockAnswer);
            round.holder = attempt.holder;
            return round;
        }
        case LockOutcome::FolderNotLockable: {
            Round round;
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
        Round round;
        try {
            round = lockedRound(current, job.stamp, progress, failedReads);
        } catch (...) {
            lock.unlock();
            throw;
        }
        lock.unlock();
        SaveResult& result = round.result;
        writes += result.writes;
        merged = merged || result.merged;
        if (round.needs != Round::Needs::AnotherRound) {
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
Round inBackground(const SaveJob& job, ListFileLock& lock, SaveQuestions& questions)
{
    SaveProgress progress;
    std::future<Round> done = std::async(std::launch::async, [&] { return lockedSave(job, lock, progress); });
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
        Round round = inBackground(job, lock, questions);
        job.takeOverStale = false;
        switch (round.needs) {
        case Round::Needs::Answers: {
            const auto choices = questions.resolveConflicts(round.conflicts);
            if (!choices || choices->size() != round.conflicts.size())
                return {};
            for (std::size_t i = 0; i < choices->size(); ++i)
                job.answers.emplace_back(round.conflicts[i], (*choices)[i]);
            break;
        }
        case Round::Needs::StaleLockAnswer:
            if (!questions.takeOverStaleLock(round.holder))
                return {};
            job.takeOverStale = true;
            break;
        case Round::Needs::DeletedAnswer:
            if (!questions.createDeletedFile())
                return {};
            job.createIfMissing = true;
            break;
        case Round::Needs::Nothing:
        case Round::Needs::AnotherRound:
            return std::move(round.result);
        }
    }
}
