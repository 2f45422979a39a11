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

std::optional<std::size_t> firstLineOf(const LineList& lines, const std::string& number)
{
    if (number.size() == 3) {
        const int found = findProjectLine(lines, number);
        return found < 0 ? std::nullopt : std::optional<std::size_t>(std::size_t(found));
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.size() >= number.size() && line.substr(0, number.size()) == number
            && (line.size() == number.size() || line[number.size()] < '0' || line[number.size()] > '9'))
            return i;
    }
    return std::nullopt;
}

// Projects merged into memory with our text kept that still differ from the
// list on disk and that the merge did not find in conflict again.
std::vector<MergeConflict> carriedConflicts(const SaveJob& job, const LineList& current,
                                            const std::vector<MergeConflict>& planned)
{
    std::vector<MergeConflict> carried;
    for (const WaitingConflict& waiting : job.waitingConflicts) {
        const auto alreadyPlanned = [&](const MergeConflict& c) { return c.numberText == waiting.numberText; };
        if (std::any_of(planned.begin(), planned.end(), alreadyPlanned)
            || std::any_of(carried.begin(), carried.end(), alreadyPlanned))
            continue;
        const auto theirs = firstLineOf(current, waiting.numberText);
        const auto ours = firstLineOf(job.ours, waiting.numberText);
        if (!theirs || !ours || current[*theirs] == job.ours[*ours])
            continue;
        carried.push_back({waiting.numberText, waiting.theirs, std::string(job.ours[*ours]),
                           std::string(current[*theirs]), *theirs});
    }
    return carried;
}

// The merged list before a carried conflict is answered holds our text.
void applyCarriedChoice(LineList& merged, const MergeConflict& conflict, ConflictChoice choice,
                        std::vector<MergeNotice>& notices)
{
    if (choice == ConflictChoice::KeepMine)
        return;
    ListOperation theirs;
    theirs.numberText = conflict.numberText;
    theirs.line = conflict.theirs;
    applyOperation(merged, theirs);
    if (choice != ConflictChoice::KeepBoth)
        return;
    ListOperation mine;
    mine.numberText = nextFreeNumber(merged, conflict.numberText);
    mine.line = mine.numberText + conflict.ours.substr(std::min(conflict.ours.size(), conflict.numberText.size()));
    applyOperation(merged, mine);
    notices.push_back({MergeNotice::Kind::Renumbered, conflict.numberText, mine.numberText, true});
}

std::optional<ConflictChoice> answerFor(const SaveJob& job, const MergeConflict& conflict)
{
    for (const auto& [answered, choice] : job.answers)
        if (answered.numberText == conflict.numberText && answered.ours == conflict.ours
            && answered.theirs == conflict.theirs)
            return choice;
    return std::nullopt;
}

// One read, merge, write and read-back, with the lock held.
SaveOutcome lockedRound(const SaveJob& job, ListFileStamp& stamp, const SaveProgress& progress,
                        std::size_t& failedReads)
{
    SaveOutcome out;
    const FileIdentity before = identityOf(job.path);
    LineList merged;
    LineList theirsRead;
    if (!before.exists) {
        if (job.baseExisted && !job.createIfMissing) {
            out.status = SaveOutcome::Status::Deleted;
            return out;
        }
        merged = job.ours;
    } else {
        LineList theirs;
        // The file's identity settles it when its time can tell; else the
        // lines read are compared with ours as last read or written, which
        // they must be read for anyway when they differ.
        bool changed = !stamp.settledByTime(before);
        // A file of another size than the one read or written surely changed:
        // our side of the merge is prepared on a second thread meanwhile.
        std::future<PreparedMerge> prepared;
        if (changed && !job.wholeList && before.size != stamp.identity.size)
            prepared = std::async(std::launch::async, [&job] { return prepareMerge(job.base, job.ours, job.touched); });
        if (changed) {
            bool sameAsBase = false;
            try {
                // Read against the base: the lines nobody changed keep its
                // bytes, so a large list costs no fresh memory for them.
                sameAsBase = rereadListFile(job.path, theirs, job.base);
            } catch (const UneditableListFile&) {
                throw;
            } catch (const ListFileTooBig&) {
                throw;
            } catch (const ListFileError&) {
                // Something else than a file in the list's place (a folder,
                // a pipe) can never take the list.
                if (isNoPlainFile(job.path))
                    throw ListFileError("Cannot create file " + job.path);
                // Replaced while it was opened: a FUSE or network share may
                // fail the open then, and report the old file's identity for
                // a moment. A file that stays unreadable is reported.
                if (failedReads >= mostFailedReads)
                    throw ListFileError("Cannot read file " + job.path
                                        + ": the changes cannot be merged into it, so nothing was written");
                ++failedReads;
                out.status = SaveOutcome::Status::WrittenOver;
                return out;
            }
            if (job.baseIsFile)
                changed = !sameAsBase;
            else if (job.stampedHash)
                changed = hashOfLines(theirs) != *job.stampedHash;
        }
        const LineList& current = changed ? theirs : job.base;
        MergePlan plan;
        if (changed && job.wholeList)
            plan = planFullMerge(job.base, job.ours, theirs);
        else if (changed)
            plan = planMerge(prepared.valid() ? prepared.get() : prepareMerge(job.base, job.ours, job.touched), theirs);
        const std::vector<MergeConflict> carried = carriedConflicts(job, current, plan.conflicts);

        std::vector<ConflictChoice> planChoices;
        std::vector<ConflictChoice> carriedChoices;
        for (const MergeConflict& conflict : plan.conflicts)
            if (const auto choice = answerFor(job, conflict))
                planChoices.push_back(*choice);
            else
                out.conflicts.push_back(conflict);
        for (const MergeConflict& conflict : carried)
            if (const auto choice = answerFor(job, conflict))
                carriedChoices.push_back(*choice);
            else
                out.conflicts.push_back(conflict);
        if (!out.conflicts.empty()) {
            out.status = SaveOutcome::Status::Conflicts;
            return out;
        }

        out.merged = changed;
        if (changed) {
            out.notices = plan.notices;
            merged = applyMerge(theirs, plan, planChoices, out.notices);
        } else {
            merged = job.ours;
        }
        for (std::size_t i = 0; i < carried.size(); ++i)
            applyCarriedChoice(merged, carried[i], carriedChoices[i], out.notices);
        out.mergedOthers = (changed || !carried.empty()) && merged != job.ours;
        theirsRead = std::move(theirs);
    }
    if (progress.cancelled())
        return out;

    if (out.merged && merged == theirsRead) {
        // Ours is already in the file: nothing to write.
        ListFileStamp read = ListFileStamp::of(job.path, std::make_shared<LinesHash>(merged));
        if (read.identity != before) {
            out.status = SaveOutcome::Status::WrittenOver;
            return out;
        }
        out.status = SaveOutcome::Status::Saved;
        out.written = std::move(merged);
        out.stamp = std::move(read);
        return out;
    }

    // The file read must still be the one replaced: another writer that
    // ignores the lock is caught here or by the read-back.
    if (!saveListFileIf(job.path, merged, [&] { return identityOf(job.path) == before; })) {
        out.status = SaveOutcome::Status::WrittenOver;
        return out;
    }
    out.writes = 1;
    ListFileStamp written = ListFileStamp::of(job.path, std::make_shared<LinesHash>(merged));
    const bool landed = listFileHolds(job.path, merged);
    if (!job.lockTrusted)
        std::this_thread::sleep_for(settleTime);
    if (!landed || identityOf(job.path) != written.identity) {
        out.status = SaveOutcome::Status::WrittenOver;
        out.written = std::move(merged);
        out.mergedOnto = std::move(theirsRead);
        if (!before.exists || !out.merged)
            out.mergedOnto = before.exists ? job.base : LineList();
        return out;
    }
    out.status = SaveOutcome::Status::Saved;
    out.written = std::move(merged);
    out.stamp = std::move(written);
    return out;
}

// Takes the lock (waiting while another holds it), then runs rounds until one
// sees its list on disk. Runs on the saving thread.
SaveOutcome lockedSave(const SaveJob& job, ListFileLock& lock, SaveProgress& progress)
{
    SaveJob current = job;
    std::vector<MergeNotice> notices;
    bool rebased = false;
    std::minstd_rand jitter(std::random_device {}());
    ListFileStamp stamp = job.stamp;
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
        SaveOutcome out;
        switch (attempt.outcome) {
        case LockOutcome::Locked:
            break;
        case LockOutcome::StaleFromOtherHost:
            out.status = SaveOutcome::Status::StaleLock;
            out.holder = attempt.holder;
            return out;
        case LockOutcome::FolderNotLockable:
            out.status = SaveOutcome::Status::ReadOnlyFolder;
            return out;
        case LockOutcome::HeldByOther:
        case LockOutcome::Failed:
            // Where no lock file can be made (the folder is gone, the disk
            // is full), the list cannot be written either.
            throw ListFileError("Cannot create file " + job.path);
        }
        try {
            out = lockedRound(current, stamp, progress, failedReads);
        } catch (...) {
            lock.unlock();
            throw;
        }
        lock.unlock();
        writes += out.writes;
        merged = merged || out.merged;
        if (out.status != SaveOutcome::Status::WrittenOver) {
            out.writes = writes;
            out.merged = merged;
            out.notices.insert(out.notices.begin(), notices.begin(), notices.end());
            if (out.status == SaveOutcome::Status::Saved && rebased)
                out.mergedOthers = out.written != job.ours;
            return out;
        }
        if (writes >= mostWrites || ++rounds >= 4 * mostWrites)
            throw ListFileError("Cannot create file " + job.path);
        if (out.writes > 0) {
            // Ours was on disk and another writer's list replaced it, which
            // may or may not hold it: from now on our changes are those that
            // made the list written, renumberings and answers included.
            rebased = true;
            if (current.base.size() == 0 && !current.baseExisted)
                current.wholeList = true;
            current.base = std::move(out.mergedOnto);
            current.ours = std::move(out.written);
            for (const MergeNotice& notice : out.notices)
                if (notice.kind == MergeNotice::Kind::Renumbered)
                    current.touched.push_back(notice.newNumberText);
            current.waitingConflicts.clear();
            current.createIfMissing = true;
            notices.insert(notices.end(), out.notices.begin(), out.notices.end());
        }
        // Writers that keep displacing each other step apart.
        std::this_thread::sleep_for(std::chrono::milliseconds(jitter() % (5 * std::min<std::size_t>(writes + 1, 10))));
    }
}

// Runs lockedSave on a thread of its own; the window waits quietly for a
// moment, then through the questions' waits, which keep its events going.
SaveOutcome inBackground(const SaveJob& job, ListFileLock& lock, SaveQuestions& questions)
{
    SaveProgress progress;
    std::future<SaveOutcome> done = std::async(std::launch::async, [&] { return lockedSave(job, lock, progress); });
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

SaveOutcome runSaveCycle(SaveJob job, SaveQuestions& questions)
{
    ListFileLock lock(QFile::decodeName(QByteArray::fromStdString(job.path)));
    for (;;) {
        SaveOutcome out = inBackground(job, lock, questions);
        job.takeOverStale = false;
        switch (out.status) {
        case SaveOutcome::Status::Conflicts: {
            const auto choices = questions.resolveConflicts(out.conflicts);
            if (!choices || choices->size() != out.conflicts.size())
                return {};
            for (std::size_t i = 0; i < choices->size(); ++i)
                job.answers.emplace_back(out.conflicts[i], (*choices)[i]);
            break;
        }
        case SaveOutcome::Status::StaleLock:
            if (!questions.takeOverStaleLock(out.holder))
                return {};
            job.takeOverStale = true;
            break;
        case SaveOutcome::Status::Deleted:
            if (!questions.createDeletedFile())
                return {};
            job.createIfMissing = true;
            break;
        default:
            return out;
        }
    }
}
