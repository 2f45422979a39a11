#include "listfile/textsearch.h"

#include "listfile/lineformat.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char upperCased(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
}

bool foldedMatchAt(const char* at, std::string_view upperNeedle)
{
    for (std::size_t k = 1; k < upperNeedle.size(); ++k)
        if (upperCased(at[k]) != upperNeedle[k])
            return false;
    return true;
}

char lowerCased(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
}

// Case-blind search for a needle that is already upper-cased. Places where
// both its first and its last byte stand, in either case, are found sixteen
// at a time, so a miss costs little more than reading the text once, even
// for a needle whose first letter is common.
std::size_t findFolded(std::string_view haystack, std::string_view upperNeedle)
{
    if (upperNeedle.empty() || haystack.size() < upperNeedle.size())
        return std::string_view::npos;
    const std::size_t lastAt = upperNeedle.size() - 1;
    const char first = upperNeedle.front();
    const char last = upperNeedle.back();
    const char firstLower = lowerCased(first);
    const char lastLower = lowerCased(last);
    const char* text = haystack.data();
    const std::size_t starts = haystack.size() - upperNeedle.size() + 1;
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i firstUpper = _mm_set1_epi8(first);
    const __m128i firstLowerBytes = _mm_set1_epi8(firstLower);
    const __m128i lastUpper = _mm_set1_epi8(last);
    const __m128i lastLowerBytes = _mm_set1_epi8(lastLower);
    for (; i + 16 <= starts; i += 16) {
        const __m128i firsts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i lasts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + lastAt));
        const __m128i firstHit = _mm_or_si128(_mm_cmpeq_epi8(firsts, firstUpper), _mm_cmpeq_epi8(firsts, firstLowerBytes));
        const __m128i lastHit = _mm_or_si128(_mm_cmpeq_epi8(lasts, lastUpper), _mm_cmpeq_epi8(lasts, lastLowerBytes));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(firstHit, lastHit)));
        while (mask) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (foldedMatchAt(text + at, upperNeedle))
                return at;
            mask &= mask - 1;
        }
    }
#endif
    for (; i < starts; ++i) {
        const char c = text[i];
        if ((c == first || c == firstLower) && foldedMatchAt(text + i, upperNeedle))
            return i;
    }
    return std::string_view::npos;
}

bool equalsFolded(std::string_view text, std::string_view upperNeedle)
{
    return text.size() == upperNeedle.size()
        && std::equal(text.begin(), text.end(), upperNeedle.begin(),
                      [](char a, char b) { return upperCased(a) == b; });
}

} // namespace

std::string upperCaseAtoZ(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = upperCased(c);
    return out;
}

bool descriptionMatches(std::string_view description, std::string_view needle, bool matchCase, bool wholeWord)
{
    description = trimmedView(description);
    if (needle.empty() || description.size() < needle.size())
        return false;
    if (wholeWord)
        return matchCase ? description == needle : equalsFolded(description, needle);
    return findText(description, needle, matchCase) != std::string_view::npos;
}

std::size_t findText(std::string_view haystack, std::string_view needle, bool matchCase)
{
    return matchCase ? haystack.find(needle) : findFolded(haystack, needle);
}
