// The help context map on any help project text and any stored table: the
// "[MAP]" reader keeps only named entries, the table sorts by hash and
// survives being stored and read back, a stored table of any bytes reads as
// whole records only, a lookup finds what the table holds for a name's hash
// and nothing else, and names hash without regard to the case of ASCII
// letters.
#include "fuzzcheck.h"

#include "help/helpcontextmap_core.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

using helpmap::ContextPair;

namespace {

std::vector<std::string> wordsOf(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (static_cast<unsigned char>(c) <= 32 || c == '=') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

std::string withAsciiCase(std::string text, bool upper)
{
    for (char& c : text) {
        if (upper && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::istringstream in(text);
    std::vector<ContextPair> pairs = helpmap::ReadMapSection(in);
    for (const ContextPair& pair : pairs)
        FUZZ_CHECK(pair.first != 0);  // an empty name is never kept

    std::vector<ContextPair> sorted = pairs;
    helpmap::sortPairs(sorted);
    FUZZ_CHECK(std::is_sorted(sorted.begin(), sorted.end(),
                              [](const ContextPair& a, const ContextPair& b) { return a.first < b.first; }));
    std::vector<ContextPair> sameAgain = pairs;
    std::stable_sort(sameAgain.begin(), sameAgain.end(),
                     [](const ContextPair& a, const ContextPair& b) { return a.first < b.first; });
    FUZZ_CHECK(sorted == sameAgain);

    const std::string stored = helpmap::encodeTable(sorted);
    FUZZ_CHECK(stored.size() == 4 + 8 * sorted.size());
    FUZZ_CHECK(helpmap::decodeTable(stored) == sorted);

    // Any bytes as a stored table: whole records only, and stable once re-stored.
    const std::vector<ContextPair> decoded = helpmap::decodeTable(text);
    FUZZ_CHECK(size < 4 || decoded.size() <= (size - 4) / 8);
    FUZZ_CHECK(helpmap::decodeTable(helpmap::encodeTable(decoded)) == decoded);

    for (const std::string& word : wordsOf(text)) {
        const std::int32_t hash = helpmap::HashName(word);
        FUZZ_CHECK(helpmap::HashName(withAsciiCase(word, true)) == helpmap::HashName(withAsciiCase(word, false)));
        const std::int32_t found = helpmap::LookupContext(sorted, word);
        const auto range = std::equal_range(sorted.begin(), sorted.end(), ContextPair(hash, 0),
                                            [](const ContextPair& a, const ContextPair& b) { return a.first < b.first; });
        if (range.first == range.second) {
            FUZZ_CHECK(found == 0);
        } else {
            bool held = false;
            for (auto it = range.first; it != range.second; ++it)
                held = held || it->second == found;
            FUZZ_CHECK(held);
        }

        const std::string key = helpmap::contextMapKey(word, "Owner", "Part", false);
        FUZZ_CHECK(key.empty() || key == "Owner.Part" || key == "Owner_Part");
        FUZZ_CHECK(helpmap::contextMapKey(word, "Owner", "Part", true).empty());
    }
    FUZZ_CHECK(helpmap::HashName("") == 0);
    FUZZ_CHECK(helpmap::LookupContext(sorted, "") == 0);
    return 0;
}
