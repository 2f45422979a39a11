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

// The first three characters of a line, as findProjectLine compares them.
std::string_view codeOf(std::string_view line)
{
    return line.size() >= codeLength ? line.substr(0, codeLength) : std::string_view();
}

// One project's lines as the operations leave them: the lines the list held
// for it (in order), each kept, replaced or removed, and the ones added.
struct ProjectLines {
    struct Held {
        std::size_t index;
        std::optional<std::string> replacement;
        bool removed = false;
    };
    std::vector<Held> held;
    std::vector<std::string> added;
};

} // namespace

void applyOperations(LineList& lines, const std::vector<ListOperation>& ops)
{
    if (ops.empty())
        return;
    // Only codes of three characters ever match a line.
    std::unordered_map<std::string, ProjectLines> projects;
    for (const ListOperation& op : ops)
        if (op.numberText.size() == codeLength)
            projects.emplace(op.numberText, ProjectLines());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view code = codeOf(lines[i]);
        if (code.empty())
            continue;
        if (auto found = projects.find(std::string(code)); found != projects.end())
            found->second.held.push_back({i, std::nullopt, false});
    }
    std::vector<std::string> unmatched;  // Puts under codes no line can match
    for (const ListOperation& op : ops) {
        auto found = projects.find(op.numberText);
        if (found == projects.end()) {
            if (op.kind == ListOperation::Kind::Put)
                unmatched.push_back(op.line);
            continue;
        }
        ProjectLines& project = found->second;
        // The project's first line: one the list held, else one added.
        auto held = std::find_if(project.held.begin(), project.held.end(),
                                 [](const ProjectLines::Held& h) { return !h.removed; });
        if (op.kind == ListOperation::Kind::Remove) {
            if (held != project.held.end())
                held->removed = true;
            else if (!project.added.empty())
                project.added.erase(project.added.begin());
        } else if (held != project.held.end()) {
            held->replacement = op.line;
        } else if (!project.added.empty()) {
            project.added.front() = op.line;
        } else {
            project.added.push_back(op.line);
        }
    }

    // The lines that move: replaced ones go to their new place, like added ones.
    std::vector<std::string> placed = std::move(unmatched);
    std::vector<bool> drop(lines.size(), false);
    for (auto& [code, project] : projects) {
        for (ProjectLines::Held& held : project.held) {
            if (held.removed || held.replacement) {
                drop[held.index] = true;
                if (!held.removed)
                    placed.push_back(std::move(*held.replacement));
            }
        }
        for (std::string& line : project.added)
            placed.push_back(std::move(line));
    }
    const LineComparison order;
    const auto less = [&order](std::string_view a, std::string_view b) { return order.less(a, b); };
    std::stable_sort(placed.begin(), placed.end(), less);

    bool inOrder = true;
    std::string_view previous;
    bool hasPrevious = false;
    for (std::size_t i = 0; i < lines.size() && inOrder; ++i) {
        if (drop[i])
            continue;
        if (hasPrevious && less(lines[i], previous))
            inOrder = false;
        previous = lines[i];
        hasPrevious = true;
    }
    LineList result;
    result.reserve(lines.size() + placed.size());
    if (!inOrder) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (!drop[i])
                result.push_back(lines[i]);
        for (const std::string& line : placed)
            result.push_back(line);
        sortLines(result);
    } else {
        // Both in order: one merge, a placed line after the list's lines equal to it.
        std::size_t next = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (drop[i])
                continue;
            while (next < placed.size() && less(placed[next], lines[i]))
                result.push_back(placed[next++]);
            result.push_back(lines[i]);
        }
        for (; next < placed.size(); ++next)
            result.push_back(placed[next]);
    }
    lines.swap(result);
}

namespace {

// The key a line is found under for number: its first three characters for a
// three-character number (as findProjectLine matches), else its whole
// leading digits.
std::string_view keyOf(std::string_view line, std::size_t numberSize)
{
    if (numberSize == 3)
        return line.size() >= 3 ? line.substr(0, 3) : std::string_view();
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
        ++digits;
    return line.substr(0, digits);
}

// The first line of each wanted number, in one pass.
std::unordered_map<std::string, std::optional<std::string_view>> firstLines(
    const LineList& lines, const std::vector<std::string>& numbers)
{
    std::unordered_map<std::string, std::optional<std::string_view>> found;
    bool longNumbers = false;
    for (const std::string& number : numbers) {
        found.emplace(number, std::nullopt);
        longNumbers = longNumbers || number.size() != 3;
    }
    for (std::string_view line : lines) {
        for (std::size_t size : {std::size_t(3), std::size_t(0)}) {
            if (size == 0 && !longNumbers)
                break;
            const std::string_view key = keyOf(line, size);
            if (key.empty() || (size == 0 && key.size() == 3))
                continue;
            auto entry = found.find(std::string(key));
            if (entry != found.end() && !entry->second)
                entry->second = line;
        }
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
