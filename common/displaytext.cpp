#include "common/displaytext.h"

#include <QtGlobal>

namespace {

// Qt decodes local 8-bit text as UTF-8 on every Unix system.
bool localeIsUtf8()
{
#ifdef Q_OS_WIN
    return false;
#else
    return true;
#endif
}

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the sequence a lead byte announces (0 for a stray byte).
int sequenceLength(unsigned char c)
{
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xF8) == 0xF0) return 4;
    return 0;
}

// Drops continuation bytes at the start and an unfinished sequence at the end.
std::string_view withoutCutCharacters(std::string_view s)
{
    std::size_t begin = 0;
    while (begin < s.size() && begin < 3 && isContinuation(static_cast<unsigned char>(s[begin])))
        ++begin;
    s.remove_prefix(begin);
    // Look back at most three bytes for the last lead byte.
    std::size_t n = s.size();
    for (std::size_t back = 1; back <= 4 && back <= n; ++back) {
        const auto c = static_cast<unsigned char>(s[n - back]);
        if (isContinuation(c))
            continue;
        const int need = sequenceLength(c);
        if (need > 1 && static_cast<std::size_t>(need) > back)
            s.remove_suffix(back);
        break;
    }
    return s;
}

} // namespace

QString displayText(std::string_view bytes)
{
    if (localeIsUtf8())
        bytes = withoutCutCharacters(bytes);
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string storedBytes(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}
