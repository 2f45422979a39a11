#include "listfile/listdifference.h"

#include "listfile/lineformat.h"

#include <string_view>
#include <unordered_map>

namespace {

constexpr std::size_t codeLength = 3;

struct Projects {
    std::unordered_map<std::string_view, std::string_view> first;
    // Further lines, counted.
    std::unordered_map<std::string_view, std::size_t> further;
};

Projects projectsOf(const LineList& lines)
{
    Projects projects;
    projects.first.reserve(lines.size());
    for (std::string_view line : lines) {
        if (line.size() >= codeLength && projects.first.emplace(numberKey(line), line).second)
            continue;
        ++projects.further[line];
    }
    return projects;
}

} // namespace

std::vector<ListOperation> operationsBetweenLists(const LineList& from, const LineList& to)
{
    const Projects before = projectsOf(from);
    Projects after = projectsOf(to);
    std::vector<ListOperation> ops;
    for (std::string_view line : from) {
        if (line.size() < codeLength)
            continue;
        const std::string_view code = numberKey(line);
        auto first = before.first.find(code);
        if (first->second.data() != line.data() || after.first.count(code) != 0)
            continue;
        ListOperation remove;
        remove.kind = ListOperation::Kind::Remove;
        remove.numberText = std::string(code);
        remove.replaced = std::string(line);
        ops.push_back(std::move(remove));
    }
    for (std::string_view line : to) {
        ListOperation put;
        put.line = std::string(line);
        auto mine = line.size() >= codeLength ? after.first.find(numberKey(line)) : after.first.end();
        if (mine != after.first.end() && mine->second.data() == line.data()) {
            const std::string_view code = mine->first;
            auto was = before.first.find(code);
            if (was != before.first.end() && was->second == line)
                continue;
            put.numberText = std::string(code);
            if (was != before.first.end())
                put.replaced = std::string(was->second);
        } else {
            // A further line: added once for each time `to` holds it more often.
            auto held = before.further.find(line);
            std::size_t& wanted = after.further[line];
            const std::size_t had = held == before.further.end() ? 0 : held->second;
            if (wanted <= had)
                continue;
            --wanted;
        }
        ops.push_back(std::move(put));
    }
    return ops;
}
