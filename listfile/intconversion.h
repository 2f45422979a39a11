#pragma once
// The integer conversion used wherever the program reads a number from text:
// leading blanks are skipped, then an optional sign and decimal digits, or a
// hexadecimal number introduced by "$", "x", "X", "0x" or "0X".
#include <cstdint>
#include <string_view>

struct IntConversion {
    int32_t value = 0;     // the value of the digits read before the stop
    int stopPosition = 0;  // 0 when the whole text was read, else the 1-based column
    bool ok() const { return stopPosition == 0; }
};

IntConversion convertInteger(std::string_view text);

// The value of a hexadecimal digit (either case), or -1.
int hexDigitValue(char c);
