// Any bytes loaded, shown, one line edited through its shown text and saved:
// every line not edited is saved as the very bytes it was read as, and the
// edited line changes only by the characters typed. The first input byte
// picks the line to edit and the text typed; the rest is the file.
#include "fuzzcheck.h"

#include "common/displaytext.h"
#include "listfile/listedit.h"
#include "listfile/listfileio.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// Texts a user might type: plain, accented, the NUL mark, outside any code
// page, a character beyond the Basic Multilingual Plane.
const QString typedTexts[] = {
    QStringLiteral(" ok"),
    QStringLiteral(" br\u00FBl\u00E9e \u20AC"),
    QStringLiteral(" \u2400"),
    QStringLiteral(" \u65E5\u672C"),
    QString::fromUtf8("\xF0\x9F\x8C\x8A wave"),
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const unsigned char choice = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const LineList read = splitListText(bytes);

    // A whole line shows and stores back as itself.
    for (std::string_view line : read) {
        const LineCoding coding = lineCoding(line);
        FUZZ_CHECK(storedBytes(displayText(line, coding), coding) == line);
    }
    if (read.empty())
        return 0;

    const std::size_t edited = choice % read.size();
    const std::string_view line = read[edited];
    const LineCoding coding = lineCoding(line);
    const std::string_view description = storedDescription(line);
    const QString typed = typedTexts[(choice / 16) % std::size(typedTexts)];
    const std::string stored = storedBytes(displayText(description, coding) + typed, coding);
    // A description cut from a UTF-8 line inside a character loses the cut
    // piece; any other keeps all its bytes, followed by what was typed.
    if (coding.eightBit || !lineCoding(description).eightBit)
        FUZZ_CHECK(stored == std::string(description) + storedBytes(typed, coding));
    // What was typed reads back as typed, where the coding has it.
    if (!coding.eightBit)
        FUZZ_CHECK(displayText(storedBytes(typed, coding), coding) == typed);

    LineList lines = read;
    lines.set(edited, projectLine(line.substr(0, 3), stored));
    const LineList saved = splitListText(joinListText(lines));
    FUZZ_CHECK(saved.size() == read.size());
    for (std::size_t i = 0; i < read.size(); ++i)
        FUZZ_CHECK(i == edited ? saved[i] == lines[i] : saved[i] == read[i]);
    return 0;
}
