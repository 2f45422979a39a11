#include "app/settingsstore.h"

#include "common/displaytext.h"
#include "listfile/intconversion.h"
#include "common/quindleerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStringDecoder>

#include <cerrno>
#include <sys/stat.h>

namespace {

const QString organization = QStringLiteral("Corvane");
const QString application = QStringLiteral("Vantorel");

// The folder where Qt keeps per-user settings (the one QSettings::setPath
// chose, if any). Qt does not tell it without opening a store, so a store of
// a name nobody uses is asked: it has no file to read.
QString userSettingsFolder()
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

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isHexDigit(char c)
{
    return hexDigitValue(c) >= 0;
}

// The value of the hexadecimal digits text holds from at, count of them, or -1.
int hexNumber(std::string_view text, std::size_t at, std::size_t count)
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

void appendCode(std::string& out, unsigned code)
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
std::string unescapedValue(std::string_view value)
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

bool startsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

// What the file's format makes of a value's text: one that begins with "@"
// may be a value of another type than text ("@Variant(...)", "@Rect(...)"),
// the text inside "@String(...)", or a text that begins with "@" ("@@").
SettingsValue valueOfText(std::string text)
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

// bytes quoted and escaped so that unescapedValue and valueOfText give them
// back: a text that begins with "@" is written "@@", as QSettings writes it,
// so that it never reads as a typed value.
std::string escapedValue(const std::string& bytes)
{
    std::string out = startsWith(bytes, "@") ? "\"@" : "\"";
    bool afterHexEscape = false;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
            afterHexEscape = false;
        } else if (byte < 0x20 || byte >= 0x7F || (afterHexEscape && isHexDigit(c))) {
            static const char digits[] = "0123456789abcdef";
            out += "\\x";
            out += digits[byte >> 4];
            out += digits[byte & 0xF];
            afterHexEscape = true;
        } else {
            out += c;
            afterHexEscape = false;
        }
    }
    out += '"';
    return out;
}

bool isUtf8(const std::string& bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8);
    const QString decoded = decoder(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return !decoder.hasError();
}

} // namespace

SettingsStore::SettingsStore()
    : fileName_(userSettingsFolder() + QLatin1Char('/') + organization + QLatin1Char('/') + application
                + QStringLiteral(".conf"))
{
    if (!isRegularOrAbsent(fileName_))
        return;
    // Checked before QSettings opens it: QSettings reads the whole file at
    // once, and again as it closes.
    fileSize_ = fileSize(fileName_);
    tooLarge_ = fileSize_ > largestFile;
    if (!tooLarge_)
        settings_ = std::make_unique<QSettings>(fileName_, QSettings::NativeFormat);
}

QString SettingsStore::tooLargeMessage() const
{
    return QCoreApplication::translate("SettingsStore",
                                       "The settings file %1 is %2 bytes long, far more than settings take.\r"
                                       "It was not read and will not be changed: the options are at their "
                                       "defaults until it is removed or made smaller.")
        .arg(fileName_)
        .arg(fileSize_);
}

const std::map<QString, SettingsValue>& SettingsStore::storedValues()
{
    if (!values_) {
        QFile file(fileName_);
        values_.emplace();
        // Opened only as a regular file: a FIFO put in its place since would block.
        if (settings_ && isRegularOrAbsent(fileName_) && fileSize(fileName_) <= largestFile
            && file.open(QIODevice::ReadOnly))
            *values_ = topLevelValues(file.read(largestFile));
    }
    return *values_;
}

bool SettingsStore::putEscapedValue(const QString& name, const std::string& value)
{
    QFile in(fileName_);
    if (!isRegularOrAbsent(fileName_) || !in.open(QIODevice::ReadOnly))
        return false;
    QList<QByteArray> lines = in.read(largestFile).split('\n');
    in.close();
    bool topLevel = true;
    bool put = false;
    for (QByteArray& line : lines) {
        const QByteArray trimmedLine = line.trimmed();
        if (trimmedLine.startsWith('['))
            topLevel = trimmedLine.startsWith("[General]");
        const qsizetype equals = line.indexOf('=');
        if (!topLevel || equals < 0
            || unescapedKey(std::string_view(line.constData(), std::size_t(equals))).trimmed()
                       .compare(name, Qt::CaseInsensitive) != 0)
            continue;
        line = line.left(equals + 1) + QByteArray::fromStdString(escapedValue(value));
        put = true;
    }
    if (!put)
        return false;
    QSaveFile out(fileName_);
    if (!out.open(QIODevice::WriteOnly) || out.write(lines.join('\n')) < 0 || !out.commit())
        return false;
    values_.reset();
    return true;
}

QString SettingsStore::unusableMessage()
{
    return QCoreApplication::translate("SettingsStore", "Failed to create key Corvane\\Vantorel");
}

SettingsStore::~SettingsStore()
{
    // QSettings writes the whole file again whenever it writes: the values it
    // cannot write as they are go back in once it is done.
    settings_.reset();
    for (const auto& [name, value] : escapedWrites_)
        putEscapedValue(name, value);
}

QString SettingsStore::storedKey(const QString& name) const
{
    if (!settings_)
        return {};
    const QStringList keys = settings_->childKeys();
    for (const QString& key : keys)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return key;
    return {};
}

const SettingsValue* SettingsStore::storedValue(const QString& name)
{
    const std::map<QString, SettingsValue>& values = storedValues();
    const auto found = values.find(name.toLower());
    if (found == values.end())
        return nullptr;
    if (found->second.typed)
        throw QuindleError(QCoreApplication::translate("SettingsStore", "Invalid data type for '%1'").arg(name));
    return &found->second;
}

std::string SettingsStore::readBytes(const QString& name, const std::string& defaultValue)
{
    const SettingsValue* value = storedValue(name);
    return value ? value->text : defaultValue;
}

QString SettingsStore::readText(const QString& name, const QString& defaultValue)
{
    const SettingsValue* value = storedValue(name);
    return value ? QString::fromStdString(value->text) : defaultValue;
}

int SettingsStore::readInteger(const QString& name, int defaultValue)
{
    const SettingsValue* value = storedValue(name);
    if (!value)
        return defaultValue;
    const IntConversion read = convertInteger(value->text);
    return read.ok() ? read.value : defaultValue;
}

bool SettingsStore::readBool(const QString& name, bool defaultValue)
{
    return readInteger(name, defaultValue ? 1 : 0) != 0;
}

void SettingsStore::createKey()
{
    if (keyCreated_)
        return;
    if (!settings_)
        throw QuindleError(unusableMessage());
    // The key is the folder of the settings file.
    const QString folder = QFileInfo(settings_->fileName()).absolutePath();
    if (!QDir().mkpath(folder))
        throw QuindleError(unusableMessage());
    keyCreated_ = true;
}

bool SettingsStore::beginWrite()
{
    // The user's oversized file is left as it is.
    if (tooLarge_)
        return false;
    createKey();
    // Something else may have taken the file's place since the store opened;
    // checked before anything is changed, because the store writes pending
    // changes even when it is dropped.
    if (!isRegularOrAbsent(settings_->fileName()))
        throw QuindleError(unusableMessage());
    return true;
}

void SettingsStore::finishWrite(const QString& name)
{
    settings_->sync();
    values_.reset();
    // A FormatError tells of the junk the file held when read, not of this write.
    if (settings_->status() == QSettings::AccessError)
        throw QuindleError(QCoreApplication::translate("SettingsStore", "Failed to set data for '%1'").arg(name));
}

void SettingsStore::writeText(const QString& name, const QString& value)
{
    if (!beginWrite())
        return;
    const QString existing = storedKey(name);
    if (!existing.isEmpty() && existing != name)
        settings_->remove(existing);
    settings_->setValue(name, value);
    finishWrite(name);
}

QMap<QString, QString> SettingsStore::readGroup(const QString& group)
{
    QMap<QString, QString> values;
    if (!settings_)
        return values;
    settings_->beginGroup(group);
    for (const QString& key : settings_->childKeys())
        if (const QVariant value = settings_->value(key); value.typeId() == QMetaType::QString)
            values.insert(key, value.toString());
    settings_->endGroup();
    return values;
}

void SettingsStore::writeGroup(const QString& group, const QMap<QString, QString>& values)
{
    if (!beginWrite())
        return;
    settings_->remove(group);
    for (auto value = values.begin(); value != values.end(); ++value)
        settings_->setValue(group + QLatin1Char('/') + value.key(), value.value());
    finishWrite(group);
}

void SettingsStore::writeBytes(const QString& name, const std::string& value)
{
    if (isUtf8(value)) {
        escapedWrites_.erase(name);
        writeText(name, QString::fromStdString(value));
        return;
    }
    // QSettings takes the bytes as Latin-1 text; the escaped bytes then
    // replace what it wrote.
    writeText(name, QString::fromLatin1(value.data(), qsizetype(value.size())));
    if (tooLarge_)
        return;
    if (!putEscapedValue(name, value))
        throw QuindleError(QCoreApplication::translate("SettingsStore", "Failed to set data for '%1'").arg(name));
    escapedWrites_[name] = value;
}

void SettingsStore::writeInteger(const QString& name, int value)
{
    writeText(name, QString::number(value));
}

void SettingsStore::writeBool(const QString& name, bool value)
{
    writeText(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}
