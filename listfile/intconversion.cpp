#include "listfile/intconversion.h"

// Reading goes: blanks, sign, hexadecimal prefix, digits. Wherever it stops
// short of the end, the column of the character that stopped it is reported
// with the value of the digits before it. When the text runs out before a
// single digit (empty, blanks only, a lone sign or prefix), the column just
// past the end is reported, so a caller that deletes the offending character
// and tries again can tell that there is nothing left to delete.
//
// Decimal numbers must fit a signed 32-bit integer (-2147483648 is read).
// Hexadecimal numbers are a 32-bit pattern: up to 0xFFFFFFFF is read, and
// values above 0x7FFFFFFF come out negative ("$FFFFFFFF" is -1), as a
// 32-bit conversion has always done. A digit that would need more than
// 32 bits is not read.

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

namespace {

int decimalDigitValue(char c)
{
    return (c >= '0' && c <= '9') ? c - '0' : -1;
}

// Applies the sign in unsigned arithmetic so that no value can overflow.
int32_t signedValue(uint32_t magnitude, bool negative)
{
    uint32_t bits = negative ? 0u - magnitude : magnitude;
    return static_cast<int32_t>(bits);
}

} // namespace

IntConversion convertInteger(std::string_view text)
{
    const std::size_t length = text.size();
    std::size_t i = 0;

    while (i < length && text[i] == ' ')
        ++i;

    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }

    bool hex = false;
    if (i < length && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < length && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }

    IntConversion result;
    if (i >= length) {
        // Nothing but blanks, a sign or a prefix: stop just past the end.
        result.stopPosition = static_cast<int>(length + 1);
        return result;
    }

    // Decimal allows one more for the negative side: 2147483648 is -2^31.
    const uint32_t base = hex ? 16u : 10u;
    const uint32_t limit = hex ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    uint32_t magnitude = 0;
    for (; i < length; ++i) {
        int digit = hex ? hexDigitValue(text[i]) : decimalDigitValue(text[i]);
        if (digit < 0 || magnitude > (limit - static_cast<uint32_t>(digit)) / base)
            break;
        magnitude = magnitude * base + static_cast<uint32_t>(digit);
    }

    result.value = signedValue(magnitude, negative);
    if (i < length)
        result.stopPosition = static_cast<int>(i + 1);
    return result;
}
