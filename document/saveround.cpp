#include "document/saveround.h"

#include "listfile/lineformat.h"
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"
#include "listfile/listoperation.h"

#include <chrono>
#include <future>
#include <thread>

#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

// Where the lock may lock nothing, how long after its read-back a save looks
// at the file again: a writer that checked the file just before our rename
// replaces it within this time.
constexpr auto settleTime = 20ms;
// Reads of a file being replaced that may fail in a row before the file is
// taken as unreadable.
constexpr std::size_t mostFailedReads = 20;

// Whether something that is no plain file (a folder, a pipe, a device) is
// at path, links followed.
bool isNoPlainFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
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
    // A file of the size read or written that holds the very lines read is
    // unchanged: compared as it is read, no lines are built for it.
    if (job.baseIsFile && read.before.size == stamp.identity.size && listFileHolds(job.path, job.base)) {
        read.changed = false;
        return true;
    }
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
void writeAndReadBack(const SaveJob& job, const FileRead& read, LineList merged, SaveRound& round)
{
    const FileIdentity& before = read.before;
    if (round.result.merged && merged == read.theirs) {
        // Ours is already in the file: nothing to write.
        ListFileStamp stamp = ListFileStamp::of(job.path, std::make_shared<LinesHash>(merged));
        if (stamp.identity != before) {
            round.needs = SaveRound::Needs::AnotherRound;
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
        round.needs = SaveRound::Needs::AnotherRound;
        return;
    }
    round.result.writes = 1;
    ListFileStamp written = ListFileStamp::of(job.path, std::make_shared<LinesHash>(merged));
    const bool landed = listFileHolds(job.path, merged);
    if (!job.lockTrusted)
        std::this_thread::sleep_for(settleTime);
    if (!landed || identityOf(job.path) != written.identity) {
        round.needs = SaveRound::Needs::AnotherRound;
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

} // namespace

SaveRound lockedRound(const SaveJob& job, const ListFileStamp& stamp, const std::function<bool()>& cancelled,
                      std::size_t& failedReads)
{
    FileRead read;
    read.before = identityOf(job.path);
    RoundPlan plan;
    if (!read.before.exists) {
        if (job.baseExisted && !job.createIfMissing)
            return needing(SaveRound::Needs::DeletedAnswer);
        plan.merged = job.ours;
    } else {
        if (!readList(job, stamp, failedReads, read))
            return needing(SaveRound::Needs::AnotherRound);
        plan = planRound(job, read);
        if (!plan.unanswered.empty()) {
            SaveRound round = needing(SaveRound::Needs::Answers);
            round.conflicts = std::move(plan.unanswered);
            return round;
        }
    }
    SaveRound round;
    round.result.merged = plan.changed;
    round.result.notices = std::move(plan.notices);
    round.result.mergedOthers = plan.mergedOthers;
    if (cancelled())
        return round;
    writeAndReadBack(job, read, std::move(plan.merged), round);
    return round;
}

