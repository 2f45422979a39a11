#include "app/settingsstore.h"

#include "document/settingsfile.h"

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

using SettingsFile::fileSize;
using SettingsFile::isRegularOrAbsent;
using SettingsFile::unescapedKey;

bool isHexDigit(char c)
{
    return hexDigitValue(c) >= 0;
}

// bytes quoted and escaped so that the settings file's reader gives them
// back: a text that begins with "@" is written "@@", as QSettings writes it,
// so that it never reads as a typed value.
std::string escapedValue(const std::string& bytes)
{
    std::string out = !bytes.empty() && bytes.front() == '@' ? "\"@" : "\"";
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
    : fileName_(SettingsFile::path())
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
    if (!values_)
        values_ = settings_ ? SettingsFile::read(fileName_) : std::map<QString, SettingsValue>();
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
