#include "cli/mergedriver.h"

#include "listfile/lineformat.h"
#include "listfile/listfileio.h"
#include "listfile/listmerge.h"

#include <unordered_map>

namespace {

std::string noticeText(const MergeNotice& notice)
{
    // The plan's "ours" is the other branch, its "theirs" this one.
    switch (notice.kind) {
    case MergeNotice::Kind::Renumbered:
        return "Project " + notice.numberText + " was added on both branches; the other branch's is now project "
            + notice.newNumberText;
    case MergeNotice::Kind::OurEditKeptOverTheirRemoval:
        return "Project " + notice.numberText
            + " was removed on this branch and changed on the other; the change keeps it in the list";
    case MergeNotice::Kind::TheirEditKeptOverOurRemoval:
        return "Project " + notice.numberText
            + " was changed on this branch and removed on the other; the change keeps it in the list";
    }
    return {};
}

} // namespace

std::string lineEndOf(std::string_view bytes)
{
    const std::size_t end = bytes.find_first_of("\r\n");
    if (end == std::string_view::npos)
        return "\r\n";
    if (bytes[end] == '\n')
        return "\n";
    return end + 1 < bytes.size() && bytes[end + 1] == '\n' ? "\r\n" : "\r";
}

DriverMerge mergeForGit(const LineList& base, const LineList& current, const LineList& other,
                        std::size_t markerLength, const std::string& lineEnd, bool withByteOrderMark)
{
    DriverMerge result;
    // planFullMerge puts "ours" onto "theirs": the other branch onto this one.
    const MergePlan plan = planFullMerge(base, other, current);
    std::vector<MergeNotice> notices = plan.notices;
    // Each conflict keeps this branch's line in its place, to be marked.
    const LineList merged =
        applyMerge(current, plan, std::vector<ConflictChoice>(plan.conflicts.size(), ConflictChoice::KeepTheirs), notices);
    for (const MergeNotice& notice : notices)
        result.notices.push_back(noticeText(notice));
    std::unordered_map<std::string_view, const MergeConflict*> conflicted;
    for (const MergeConflict& conflict : plan.conflicts)
        conflicted.emplace(conflict.numberText, &conflict);

    std::string& out = result.bytes;
    std::size_t size = withByteOrderMark ? utf8ByteOrderMark.size() : 0;
    for (std::string_view line : merged)
        size += line.size() + lineEnd.size();
    out.reserve(size + plan.conflicts.size() * (3 * (markerLength + 8 + lineEnd.size())) + 256);
    if (withByteOrderMark)
        out += utf8ByteOrderMark;
    const std::string ours(markerLength, '<');
    const std::string middle(markerLength, '=');
    const std::string theirs(markerLength, '>');
    const auto markConflict = [&](std::string_view mine, const MergeConflict& conflict) {
        out += ours + " ours" + lineEnd;
        if (!mine.empty()) {
            out += mine;
            out += lineEnd;
        }
        out += middle + lineEnd;
        out += conflict.ours;
        out += lineEnd + theirs + " theirs" + lineEnd;
        ++result.conflicts;
    };
    for (std::string_view line : merged) {
        const auto found = conflicted.empty() ? conflicted.end() : conflicted.find(numberKey(line));
        if (found == conflicted.end()) {
            out += line;
            out += lineEnd;
            continue;
        }
        // Only the first line of the number is the project's.
        markConflict(line, *found->second);
        conflicted.erase(found);
    }
    // This branch's line is always kept for a conflict; should one be missed,
    // the other's line is still written, marked, at the end.
    for (const MergeConflict& conflict : plan.conflicts)
        if (conflicted.count(conflict.numberText))
            markConflict({}, conflict);
    return result;
}
