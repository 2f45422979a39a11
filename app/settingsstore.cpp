#include "app/settingsstore.h"

#include "common/displaytext.h"
#include "listfile/intconversion.h"
#include "common/quindleerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

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

} // namespace

SettingsStore::SettingsStore()
{
    const QString file = userSettingsFolder() + QLatin1Char('/') + organization + QLatin1Char('/') + application
        + QStringLiteral(".conf");
    if (isRegularOrAbsent(file))
        settings_ = std::make_unique<QSettings>(file, QSettings::NativeFormat);
}

QString SettingsStore::unusableMessage()
{
    return QCoreApplication::translate("SettingsStore", "Failed to create key Corvane\\Vantorel");
}

SettingsStore::~SettingsStore() = default;

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

QString SettingsStore::readText(const QString& name, const QString& defaultValue)
{
    const QString key = storedKey(name);
    if (key.isEmpty())
        return defaultValue;
    const QVariant value = settings_->value(key);
    // An unquoted comma gives a list, "@Variant(...)" some other type: not text.
    if (value.typeId() != QMetaType::QString)
        throw QuindleError(QCoreApplication::translate("SettingsStore", "Invalid data type for '%1'").arg(name));
    return value.toString();
}

int SettingsStore::readInteger(const QString& name, int defaultValue)
{
    const QString key = storedKey(name);
    if (key.isEmpty())
        return defaultValue;
    const IntConversion read = convertInteger(storedBytes(readText(name, QString())));
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

void SettingsStore::writeText(const QString& name, const QString& value)
{
    createKey();
    // Something else may have taken the file's place since the store opened;
    // checked before anything is changed, because the store writes pending
    // changes even when it is dropped.
    if (!isRegularOrAbsent(settings_->fileName()))
        throw QuindleError(unusableMessage());
    const QString existing = storedKey(name);
    if (!existing.isEmpty() && existing != name)
        settings_->remove(existing);
    settings_->setValue(name, value);
    settings_->sync();
    if (settings_->status() != QSettings::NoError)
        throw QuindleError(QCoreApplication::translate("SettingsStore", "Failed to set data for '%1'").arg(name));
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
    createKey();
    if (!isRegularOrAbsent(settings_->fileName()))
        throw QuindleError(unusableMessage());
    settings_->remove(group);
    for (auto value = values.begin(); value != values.end(); ++value)
        settings_->setValue(group + QLatin1Char('/') + value.key(), value.value());
    settings_->sync();
    if (settings_->status() != QSettings::NoError)
        throw QuindleError(QCoreApplication::translate("SettingsStore", "Failed to set data for '%1'").arg(group));
}

void SettingsStore::writeInteger(const QString& name, int value)
{
    writeText(name, QString::number(value));
}

void SettingsStore::writeBool(const QString& name, bool value)
{
    writeText(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}
