#include "app/settingsstore.h"

#include "common/displaytext.h"
#include "listfile/intconversion.h"
#include "common/quindleerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QStringLiteral("Corvane"), QStringLiteral("Vantorel")))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::storedKey(const QString& name) const
{
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
    // The key is the folder of the settings file.
    const QString folder = QFileInfo(settings_->fileName()).absolutePath();
    if (!QDir().mkpath(folder))
        throw QuindleError(QCoreApplication::translate("SettingsStore", "Failed to create key Corvane\\Vantorel"));
    keyCreated_ = true;
}

void SettingsStore::writeText(const QString& name, const QString& value)
{
    createKey();
    const QString existing = storedKey(name);
    if (!existing.isEmpty() && existing != name)
        settings_->remove(existing);
    settings_->setValue(name, value);
    settings_->sync();
    if (settings_->status() != QSettings::NoError)
        throw QuindleError(QCoreApplication::translate("SettingsStore", "Failed to set data for '%1'").arg(name));
}

void SettingsStore::writeInteger(const QString& name, int value)
{
    writeText(name, QString::number(value));
}

void SettingsStore::writeBool(const QString& name, bool value)
{
    writeText(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}
