// The integer conversion on any text: it stops within the text or just past
// its end, reports success exactly when it read the whole text, and agrees
// with a plain 64-bit reading of the same rules. Numbers it writes back read
// as themselves.
#include "fuzzcheck.h"

#include "listfile/intconversion.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

int digitValue(char c, int base)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

// Blanks, sign, "$" / "x" / "X" / "0x" / "0X", digits; decimal within the
// signed 32-bit range, hexadecimal up to 0xFFFFFFFF taken as a bit pattern.
IntConversion plainReading(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    IntConversion result;
    if (i >= text.size()) {
        result.stopPosition = static_cast<int>(text.size() + 1);
        return result;
    }
    const int64_t limit = base == 16 ? 0xFFFFFFFFll : (negative ? 0x80000000ll : 0x7FFFFFFFll);
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int d = digitValue(text[i], base);
        if (d < 0 || magnitude * base + d > limit)
            break;
        magnitude = magnitude * base + d;
    }
    const uint32_t bits = static_cast<uint32_t>(negative ? -magnitude : magnitude);
    result.value = static_cast<int32_t>(bits);
    result.stopPosition = i < text.size() ? static_cast<int>(i + 1) : 0;
    return result;
}

int32_t fromBytes(const uint8_t* data, size_t size)
{
    uint32_t bits = 0;
    std::memcpy(&bits, data, size < 4 ? size : 4);
    return static_cast<int32_t>(bits);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const IntConversion read = convertInteger(text);
    FUZZ_CHECK(read.stopPosition >= 0 && static_cast<size_t>(read.stopPosition) <= size + 1);
    FUZZ_CHECK(read.ok() == (read.stopPosition == 0));
    FUZZ_CHECK(size > 0 || read.stopPosition == 1);
    const IntConversion expected = plainReading(text);
    FUZZ_CHECK(read.stopPosition == expected.stopPosition);
    FUZZ_CHECK(read.value == expected.value);

    // Whatever number the bytes spell, its decimal and hexadecimal texts read back.
    const int32_t number = fromBytes(data, size);
    const std::string decimal = std::to_string(number);
    FUZZ_CHECK(convertInteger(decimal).ok() && convertInteger(decimal).value == number);
    FUZZ_CHECK(convertInteger("  " + decimal).value == number);
    char hex[16];
    std::snprintf(hex, sizeof hex, "$%X", static_cast<uint32_t>(number));
    FUZZ_CHECK(convertInteger(hex).ok() && convertInteger(hex).value == number);
    // A trailing blank is never read.
    FUZZ_CHECK(convertInteger(decimal + " ").stopPosition == static_cast<int>(decimal.size() + 1));
    return 0;
}
