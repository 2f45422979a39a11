#include "listfile/listoperation.h"

#include "listfile/lineformat.h"
#include "listfile/listedit.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

bool applyOperation(LineList& lines, const ListOperation& op)
{
    if (op.kind == ListOperation::Kind::Remove) {
        const int found = findProjectLine(lines, op.numberText);
        if (found < 0)
            return false;
        lines.erase(static_cast<std::size_t>(found));
        return true;
    }
    std::optional<std::size_t> insertAt;
    if (op.insertAt)
        insertAt = static_cast<std::size_t>(*op.insertAt);
    keepSorted(lines, putProjectLine(lines, op.numberText, op.line, insertAt));
    return true;
}

ListOperation inverseOperation(const ListOperation& op)
{
    ListOperation inverse;
    inverse.numberText = op.numberText;
    if (op.kind == ListOperation::Kind::Remove) {
        inverse.kind = ListOperation::Kind::Put;
        inverse.line = op.replaced.value_or(std::string());
    } else if (op.replaced) {
        inverse.kind = ListOperation::Kind::Put;
        inverse.line = *op.replaced;
        inverse.replaced = op.line;
    } else {
        inverse.kind = ListOperation::Kind::Remove;
        inverse.replaced = op.line;
    }
    return inverse;
}

namespace {

constexpr std::size_t codeLength = 3;

// A line's number key, as findProjectLine compares it.
std::string_view codeOf(std::string_view line)
{
    return numberKey(line);
}

// The width the list's order compares numbers at once the operations are
// applied: that of the list or of a line put, whichever is widest.
std::size_t numberWidthAfter(const LineList& lines, const std::vector<ListOperation>& ops)
{
    std::size_t width = numberWidthOf(lines);
    for (const ListOperation& op : ops)
        if (op.kind == ListOperation::Kind::Put)
            width = std::max(width, numberWidthOf(op.line));
    return width;
}

// Operations applied one by one, followed only through the lines that
// matter: those whose number key some operation names. Which of
// them is a project's first line depends on their order among themselves
// alone: the list's own order until the first Put, the sorted order from
// then on. So each such group is kept in that order, and the other lines
// are merged back once at the end.
class OperationRun {
public:
    OperationRun(const LineList& lines, const std::vector<ListOperation>& ops)
        : lines_(lines), order_(numberWidthAfter(lines, ops))
    {
        for (const ListOperation& op : ops)
            if (op.numberText.size() >= codeLength)
                groups_.emplace(op.numberText, Group());
        grouped_.assign(lines.size(), false);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (Group* group = groupOf(lines[i])) {
                group->push_back(i);
                grouped_[i] = true;
            }
        }
        for (const ListOperation& op : ops)
            apply(op);
    }

    // What each operation met: its project's first line then, if any.
    const std::vector<std::optional<std::string>>& met() const { return met_; }

    // The lines as the operations leave them.
    void finish(LineList& lines)
    {
        // The list's lines that stay: those no operation touched, and those
        // still in their group.
        std::vector<bool> kept(lines_.size());
        for (std::size_t i = 0; i < lines_.size(); ++i)
            kept[i] = !grouped_[i];
        std::vector<std::string> placed = std::move(elsewhere_);
        for (const auto& [code, group] : groups_) {
            for (const Entry entry : group) {
                if (entry < lines_.size())
                    kept[entry] = true;
                else
                    placed.push_back(std::move(puts_[entry - lines_.size()]));
            }
        }
        std::stable_sort(placed.begin(), placed.end(),
                         [this](const std::string& a, const std::string& b) { return order_.less(a, b); });

        LineList result;
        result.reserve(lines_.size() + placed.size());
        bool inOrder = true;
        std::string_view previous;
        bool hasPrevious = false;
        for (std::size_t i = 0; i < lines_.size() && inOrder; ++i) {
            if (!kept[i])
                continue;
            inOrder = !hasPrevious || !order_.less(lines_[i], previous);
            previous = lines_[i];
            hasPrevious = true;
        }
        if (!inOrder && sorted_) {
            for (std::size_t i = 0; i < lines_.size(); ++i)
                if (kept[i])
                    result.push_back(lines_[i]);
            for (const std::string& line : placed)
                result.push_back(line);
            sortLines(result);
        } else {
            // One merge, a placed line after the list's lines equal to it;
            // with no Put nothing is placed and the list keeps its order.
            std::size_t next = 0;
            for (std::size_t i = 0; i < lines_.size(); ++i) {
                if (!kept[i])
                    continue;
                while (next < placed.size() && order_.less(placed[next], lines_[i]))
                    result.push_back(placed[next++]);
                result.push_back(lines_[i]);
            }
            for (; next < placed.size(); ++next)
                result.push_back(placed[next]);
        }
        lines.swap(result);
    }

private:
    // A line of a group: one the list held (its index), or one put (the
    // list's size and its index in puts_).
    using Entry = std::size_t;
    using Group = std::vector<Entry>;

    Group* groupOf(std::string_view line)
    {
        const std::string_view code = codeOf(line);
        if (code.empty())
            return nullptr;
        const auto found = groups_.find(std::string(code));
        return found == groups_.end() ? nullptr : &found->second;
    }
    std::string_view text(Entry entry) const
    {
        return entry < lines_.size() ? lines_[entry] : std::string_view(puts_[entry - lines_.size()]);
    }

    void apply(const ListOperation& op)
    {
        Group* group = op.numberText.size() >= codeLength ? &groups_.at(op.numberText) : nullptr;
        const bool found = group && !group->empty();
        met_.push_back(found ? std::optional<std::string>(text(group->front())) : std::nullopt);
        if (found)
            group->erase(group->begin());
        if (op.kind == ListOperation::Kind::Remove)
            return;
        Group* goesTo = groupOf(op.line);
        if (!goesTo) {
            elsewhere_.push_back(op.line);
        } else {
            const Entry entry = lines_.size() + puts_.size();
            puts_.push_back(op.line);
            const auto less = [this](Entry a, Entry b) { return order_.less(text(a), text(b)); };
            goesTo->insert(sorted_ ? std::upper_bound(goesTo->begin(), goesTo->end(), entry, less) : goesTo->end(),
                           entry);
        }
        if (!sorted_) {
            // The first Put sorts a list read out of order.
            sorted_ = true;
            const auto less = [this](Entry a, Entry b) { return order_.less(text(a), text(b)); };
            for (auto& [code, lines] : groups_)
                if (!std::is_sorted(lines.begin(), lines.end(), less))
                    std::stable_sort(lines.begin(), lines.end(), less);
        }
    }

    const LineList& lines_;
    const LineComparison order_;
    std::unordered_map<std::string, Group> groups_;
    // The list's lines that were in a group at the start.
    std::vector<bool> grouped_;
    // Lines put into a group, and those whose number key no operation names.
    std::vector<std::string> puts_;
    std::vector<std::string> elsewhere_;
    std::vector<std::optional<std::string>> met_;
    bool sorted_ = false;
};

} // namespace

std::vector<std::optional<std::string>> linesMet(const LineList& lines, const std::vector<ListOperation>& ops)
{
    return OperationRun(lines, ops).met();
}

void applyOperations(LineList& lines, const std::vector<ListOperation>& ops)
{
    if (!ops.empty())
        OperationRun(lines, ops).finish(lines);
}

namespace {

// The first line of each wanted number, in one pass.
std::unordered_map<std::string, std::optional<std::string_view>> firstLines(
    const LineList& lines, const std::vector<std::string>& numbers)
{
    std::unordered_map<std::string, std::optional<std::string_view>> found;
    for (const std::string& number : numbers)
        found.emplace(number, std::nullopt);
    for (std::string_view line : lines) {
        const std::string_view key = numberKey(line);
        if (key.empty())
            continue;
        auto entry = found.find(std::string(key));
        if (entry != found.end() && !entry->second)
            entry->second = line;
    }
    return found;
}

} // namespace

std::vector<ListOperation> operationsBetween(const LineList& from, const LineList& to,
                                             const std::vector<std::string>& numbers)
{
    const auto before = firstLines(from, numbers);
    const auto after = firstLines(to, numbers);
    std::vector<ListOperation> ops;
    std::unordered_set<std::string> done;
    for (const std::string& number : numbers) {
        if (!done.insert(number).second)
            continue;
        const std::optional<std::string_view>& was = before.at(number);
        const std::optional<std::string_view>& is = after.at(number);
        if (was == is)
            continue;
        ListOperation op;
        op.numberText = number;
        if (was)
            op.replaced = std::string(*was);
        if (is) {
            op.line = std::string(*is);
        } else {
            op.kind = ListOperation::Kind::Remove;
        }
        ops.push_back(std::move(op));
    }
    return ops;
}
