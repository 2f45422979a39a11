#include "document/settingsfile.h"

#include "listfile/intconversion.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cerrno>
#include <sys/stat.h>

namespace SettingsFile {

// The folder where Qt keeps per-user settings (the one QSettings::setPath
// chose, if any). Qt does not tell it without opening a store, so a store of
// a name nobody uses is asked: it has no file to read.
static QString userSettingsFolder()
{
    const QSettings probe(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Corvane-quindle-probe"),
                          QStringLiteral("Vantorel-quindle-probe"));
    return QFileInfo(QFileInfo(probe.fileName()).absolutePath()).absolutePath();
}

// A regular file (through links) or nothing at all.
bool isRegularOrAbsent(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR;
    return ::stat(name.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

qint64 fileSize(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? qint64(info.st_size) : 0;
}

static bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

static bool isHexDigit(char c)
{
    return hexDigitValue(c) >= 0;
}

// The value of the hexadecimal digits text holds from at, count of them, or -1.
static int hexNumber(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (hexDigitValue(text[i]) < 0)
            return -1;
        value = value * 16 + hexDigitValue(text[i]);
    }
    return value;
}

static void appendCode(std::string& out, unsigned code)
{
    // A code of one byte is that byte; a larger one the character's UTF-8.
    if (code <= 0xFF) {
        out += char(code);
    } else if (code <= 0x10FFFF) {
        const char32_t character = code;
        out += QString::fromUcs4(&character, 1).toStdString();
    }
}

// A key as the file writes it: "%20" for a blank, "%U20AC" for a character
// past Latin-1, "\\" for the "/" of a group.
QString unescapedKey(std::string_view key)
{
    QString name;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char c = key[i];
        if (c == '%' && i + 1 < key.size() && key[i + 1] == 'U') {
            if (const int code = hexNumber(key, i + 2, 4); code >= 0) {
                name += QChar(char16_t(code));
                i += 5;
                continue;
            }
        }
        if (c == '%') {
            if (const int code = hexNumber(key, i + 1, 2); code >= 0) {
                name += QChar(char16_t(code));
                i += 2;
                continue;
            }
        }
        name += c == '\\' ? QChar(u'/') : QChar::fromLatin1(c);
    }
    return name;
}

// A value as the file writes it, read as text: quotes and escapes undone, a
// comma no more than the character it is.
static std::string unescapedValue(std::string_view value)
{
    std::string out;
    std::size_t kept = 0;  // what the trailing blanks are cut back to
    bool quoted = false;
    std::size_t i = 0;
    while (i < value.size() && isBlank(value[i]))
        ++i;
    for (; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '"') {
            quoted = !quoted;
            kept = out.size();
            continue;
        }
        if (c != '\\' || i + 1 >= value.size()) {
            out += c;
            if (quoted || !isBlank(c))
                kept = out.size();
            continue;
        }
        const char e = value[++i];
        if (e == 'x') {
            unsigned code = 0;
            while (i + 1 < value.size() && isHexDigit(value[i + 1]) && code <= 0x10FFFF)
                code = code * 16 + unsigned(hexDigitValue(value[++i]));
            appendCode(out, code);
        } else if (e >= '0' && e <= '7') {
            unsigned code = unsigned(e - '0');
            while (i + 1 < value.size() && value[i + 1] >= '0' && value[i + 1] <= '7' && code <= 0x10FFFF)
                code = code * 8 + unsigned(value[++i] - '0');
            appendCode(out, code);
        } else {
            static const std::string_view named = "a\ab\bf\fn\nr\rt\tv\v";
            const std::size_t at = named.find(e);
            out += at != std::string_view::npos && at % 2 == 0 ? named[at + 1] : e;
        }
        kept = out.size();
    }
    out.resize(kept);
    return out;
}

static bool startsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

// What the file's format makes of a value's text: one that begins with "@"
// may be a value of another type than text ("@Variant(...)", "@Rect(...)"),
// the text inside "@String(...)", or a text that begins with "@" ("@@").
static SettingsValue valueOfText(std::string text)
{
    if (!startsWith(text, "@"))
        return {std::move(text), false};
    if (text.back() == ')') {
        static constexpr std::string_view typedForms[] = {"@ByteArray(", "@Variant(", "@DateTime(",
                                                          "@Rect(",      "@Size(",    "@Point("};
        for (std::string_view form : typedForms)
            if (startsWith(text, form))
                return {std::move(text), true};
        if (text == "@Invalid()")
            return {std::move(text), true};
        static constexpr std::string_view textForm = "@String(";
        if (startsWith(text, textForm))
            return {text.substr(textForm.size(), text.size() - textForm.size() - 1), false};
    }
    if (startsWith(text, "@@"))
        text.erase(0, 1);
    return {std::move(text), false};
}

// The values of the file's top level ("[General]" or before any section),
// by name in lower case; a name given twice has its last value.
std::map<QString, SettingsValue> topLevelValues(const QByteArray& file)
{
    std::map<QString, SettingsValue> values;
    bool topLevel = true;
    for (const QByteArray& rawLine : file.split('\n')) {
        std::string_view line(rawLine.constData(), std::size_t(rawLine.size()));
        while (!line.empty() && (line.back() == '\r' || isBlank(line.back())))
            line.remove_suffix(1);
        while (!line.empty() && isBlank(line.front()))
            line.remove_prefix(1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const std::size_t end = line.find(']');
            const QString section = unescapedKey(line.substr(1, end == std::string_view::npos ? end : end - 1));
            topLevel = section.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!topLevel || equals == std::string_view::npos)
            continue;
        std::string_view key = line.substr(0, equals);
        while (!key.empty() && isBlank(key.back()))
            key.remove_suffix(1);
        const QString name = unescapedKey(key);
        if (!name.contains(QLatin1Char('/')))
            values[name.toLower()] = valueOfText(unescapedValue(line.substr(equals + 1)));
    }
    return values;
}

QString path()
{
    return userSettingsFolder() + QStringLiteral("/Corvane/Vantorel.conf");
}

std::map<QString, SettingsValue> read(const QString& path)
{
    // Opened only as a regular file: a FIFO in its place would block.
    QFile file(path);
    if (!isRegularOrAbsent(path) || fileSize(path) > largestFile || !file.open(QIODevice::ReadOnly))
        return {};
    return topLevelValues(file.read(largestFile));
}

} // namespace SettingsFile
