#include "help/helpcontextmap_core.h"

#include <algorithm>
#include <array>

namespace helpmap {
namespace {

std::array<std::int32_t, 256> makeHashTable()
{
    std::array<std::int32_t, 256> t{};
    t[0] = 0;
    for (int b = 1; b <= 31; ++b)
        t[b] = b + 208;
    const std::pair<char, std::int32_t> punctuation[] = {
        {' ', -16}, {'!', 11}, {'"', -14}, {'#', 243}, {'$', 244}, {'%', 245}, {'&', -10}, {'\'', -9},
        {'(', -8},  {')', -7}, {'*', 250}, {'+', 251}, {',', -4},  {'-', -3},  {'.', 12},  {'/', -1},
        {'0', 10},  {'[', 11}, {'\\', 12}, {']', 13},  {'^', 14},  {'_', 13},
    };
    for (const auto& [ch, value] : punctuation)
        t[static_cast<unsigned char>(ch)] = value;
    for (int b = '1'; b <= '9'; ++b)
        t[b] = b - '0';
    for (int b = 58; b <= 90; ++b)
        t[b] = b - 48;
    for (int b = 96; b <= 127; ++b)
        t[b] = b - 80;
    for (int b = 128; b <= 144; ++b)
        t[b] = b - 304;
    for (int b = 145; b <= 151; ++b)
        t[b] = b - 48;
    for (int b = 152; b <= 255; ++b)
        t[b] = b - 304;
    return t;
}

const std::array<std::int32_t, 256>& hashTable()
{
    static const std::array<std::int32_t, 256> table = makeHashTable();
    return table;
}

bool isTrimmed(unsigned char c)
{
    return c <= 32;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isTrimmed(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && isTrimmed(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool startsWith(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// A whole decimal integer with an optional sign, within 32 bits.
bool readDecimal(std::string_view text, std::int32_t& value)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
        if (v > 2147483648LL)
            return false;
    }
    if (negative)
        v = -v;
    if (v > 2147483647LL)
        return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

// Splits a map line into its name and value parts.
void splitLine(std::string_view line, std::string& name, std::string& value)
{
    std::string* part = &name;
    for (char c : line) {
        if (c == '\t' || c == ' ') {
            if (!name.empty())
                part = &value;
        } else if (c == '=') {
            part = &value;
        } else if (c == '#' || c == ';') {
            break;
        } else {
            part->push_back(c);
        }
    }
}

void putInt32(std::string& out, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((u >> shift) & 0xFF));
}

std::int32_t getInt32(std::string_view bytes, std::size_t at)
{
    std::uint32_t u = 0;
    for (int k = 3; k >= 0; --k)
        u = (u << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(k)]);
    return static_cast<std::int32_t>(u);
}

} // namespace

std::int32_t HashName(std::string_view name)
{
    std::uint32_t h = 0;  // unsigned arithmetic wraps like the signed original
    for (char c : name)
        h = h * 43u + static_cast<std::uint32_t>(hashTable()[static_cast<unsigned char>(c)]);
    return static_cast<std::int32_t>(h);
}

std::vector<ContextPair> ReadMapSection(std::istream& in)
{
    std::vector<ContextPair> pairs;
    bool inSection = false;
    std::string raw;
    while (std::getline(in, raw)) {
        std::string_view line = trim(raw);
        if (inSection && !line.empty()) {
            if (line.front() == '[')
                break;
            if (startsWith(line, "#define"))
                line.remove_prefix(std::min<std::size_t>(8, line.size()));
            std::string name;
            std::string value;
            splitLine(line, name, value);
            std::int32_t number = 0;
            if (name.empty() || value.empty() || !readDecimal(value, number))
                continue;
            const std::int32_t hash = HashName(name);
            if (hash != 0)
                pairs.emplace_back(hash, number);
            continue;
        }
        inSection = startsWith(line, "[MAP]");
    }
    return pairs;
}

void sortPairs(std::vector<ContextPair>& pairs)
{
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const ContextPair& a, const ContextPair& b) { return a.first < b.first; });
}

std::string encodeTable(const std::vector<ContextPair>& sortedPairs)
{
    std::string out;
    out.reserve(4 + sortedPairs.size() * 8);
    putInt32(out, static_cast<std::int32_t>(sortedPairs.size() * 8));
    for (const ContextPair& p : sortedPairs) {
        putInt32(out, p.first);
        putInt32(out, p.second);
    }
    return out;
}

std::vector<ContextPair> decodeTable(std::string_view bytes)
{
    std::vector<ContextPair> pairs;
    if (bytes.size() < 4)
        return pairs;
    const std::int32_t count = getInt32(bytes, 0);
    if (count <= 0)
        return pairs;
    const std::size_t available = std::min<std::size_t>(static_cast<std::size_t>(count), bytes.size() - 4);
    const std::size_t records = available / 8;
    pairs.reserve(records);
    for (std::size_t r = 0; r < records; ++r)
        pairs.emplace_back(getInt32(bytes, 4 + r * 8), getInt32(bytes, 8 + r * 8));
    return pairs;
}

std::int32_t LookupContext(const std::vector<ContextPair>& sortedPairs, std::string_view name)
{
    const std::int32_t h = HashName(name);
    if (h == 0 || sortedPairs.empty())
        return 0;
    std::ptrdiff_t low = 0;
    std::ptrdiff_t high = static_cast<std::ptrdiff_t>(sortedPairs.size()) - 1;
    while (low <= high) {
        const std::ptrdiff_t middle = (low + high) / 2;
        const std::int32_t stored = sortedPairs[static_cast<std::size_t>(middle)].first;
        if (stored == h)
            return sortedPairs[static_cast<std::size_t>(middle)].second;
        if (stored < h)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return 0;
}

std::string contextMapKey(std::string_view projectFile, std::string_view ownerName, std::string_view componentName,
                          bool sameObject)
{
    if (sameObject)
        return std::string();
    std::string extension;
    const std::size_t dot = projectFile.find_last_of('.');
    const std::size_t separator = projectFile.find_last_of("/\\");
    if (dot != std::string_view::npos && (separator == std::string_view::npos || dot > separator))
        extension = std::string(projectFile.substr(dot));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    std::string key(ownerName);
    if (extension == ".hpj")
        key += '.';
    else if (extension == ".hhp")
        key += '_';
    else
        return std::string();
    key += componentName;
    return key;
}

} // namespace helpmap
