#include "common/displaytext.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QtGlobal>

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

constexpr char16_t nulMark = u'\u2400';

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

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view s)
{
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* const end = p + s.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        const int length = sequenceLength(c);
        if (length < 2 || end - p < length)
            return false;
        for (int i = 1; i < length; ++i)
            if (!isContinuation(p[i]))
                return false;
        const unsigned char second = p[1];
        if ((length == 2 && c < 0xC2) || (length == 3 && c == 0xE0 && second < 0xA0)
            || (length == 3 && c == 0xED && second >= 0xA0) || (length == 4 && c == 0xF0 && second < 0x90)
            || (length == 4 && (c > 0xF4 || (c == 0xF4 && second >= 0x90))))
            return false;
        p += length;
    }
    return true;
}

// Windows-1252 from 0x80 to 0x9F; the five bytes it leaves unassigned keep
// their own code, as Latin-1 has them.
constexpr std::array<char16_t, 32> windows1252High = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};

char16_t windows1252Character(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? windows1252High[byte - 0x80] : char16_t(byte);
}

// The byte a character has in the 8-bit coding, or -1 when it has none.
int windows1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (std::size_t i = 0; i < windows1252High.size(); ++i)
        if (windows1252High[i] == c)
            return int(0x80 + i);
    return -1;
}

QString eightBitText(std::string_view bytes, bool holdsNul)
{
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char byte : bytes)
        *out++ = QChar(holdsNul && byte == '\0' ? nulMark : windows1252Character(static_cast<unsigned char>(byte)));
    return text;
}

std::string eightBitBytes(const QString& text, bool holdsNul)
{
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const int byte = holdsNul && c == nulMark ? 0 : windows1252Byte(c);
        if (byte >= 0) {
            bytes += char(byte);
            continue;
        }
        // Typed by the user and not in the code page: kept as UTF-8, a
        // surrogate pair as one character.
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        bytes += text.mid(i, length).toUtf8().toStdString();
        i += length - 1;
    }
    return bytes;
}

// No byte at or above 0x80 and no NUL.
bool isPlainAscii(std::string_view s)
{
    const char* p = s.data();
    const char* const end = p + s.size();
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        if (_mm_movemask_epi8(_mm_or_si128(block, _mm_cmpeq_epi8(block, zero))) != 0)
            return false;
    }
#endif
    unsigned char seen = 0xFF;
    for (; p < end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        seen &= static_cast<unsigned char>(c != 0 && c < 0x80 ? 0xFF : 0);
    }
    return seen != 0;
}

} // namespace

LineCoding lineCoding(std::string_view line)
{
    // Nearly every line is plain ASCII without NULs: told apart eight bytes
    // at a time, as the view asks this of every line of a big list.
    if (isPlainAscii(line))
        return {};
    LineCoding coding;
    coding.holdsNul = line.find('\0') != std::string_view::npos;
    // A UTF-8 line that holds a NUL and the mark itself as well could not
    // tell the two apart once shown; the 8-bit coding shows both distinctly.
    coding.eightBit = !isValidUtf8(line)
        || (coding.holdsNul && line.find("\xE2\x90\x80") != std::string_view::npos);
    return coding;
}

QString displayText(std::string_view bytes, LineCoding coding)
{
    if (coding.eightBit && localeIsUtf8())
        return eightBitText(bytes, coding.holdsNul);
    if (localeIsUtf8())
        bytes = withoutCutCharacters(bytes);
    QString text;
    if (localeIsUtf8()) {
        // A byte-order mark is a character of the line like any other.
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    } else {
        text = QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    if (coding.holdsNul)
        text.replace(QChar(u'\0'), QChar(nulMark));
    return text;
}

std::string storedBytes(const QString& text, LineCoding coding)
{
    if (coding.eightBit && localeIsUtf8())
        return eightBitBytes(text, coding.holdsNul);
    std::string bytes = text.toLocal8Bit().toStdString();
    if (coding.holdsNul && text.contains(QChar(nulMark))) {
        // The mark is three bytes in UTF-8; each one shown stands for a NUL.
        static constexpr std::string_view markBytes = "\xE2\x90\x80";
        for (std::size_t at = bytes.find(markBytes); at != std::string::npos; at = bytes.find(markBytes, at + 1))
            bytes.replace(at, markBytes.size(), 1, '\0');
    }
    return bytes;
}

QString pathText(std::string_view path)
{
    LineCoding coding = lineCoding(path);
    coding.holdsNul = false;
    return displayText(path, coding);
}

QString listFileNamed(std::string_view path)
{
    return QCoreApplication::translate("TVantorel", "Project List %1").arg(pathText(path));
}
