#pragma once
// The per-user settings key "Corvane\Vantorel": every value stored as text,
// names matched without regard to letter case. Opened for the length of one
// read or write pass, as the main window uses it.
//
// The key is one file, read and written only while it is a regular file or
// does not exist: a FIFO, a device or a link to one in its place is neither
// opened (reading a FIFO waits for ever) nor replaced. Such a store reads as
// empty, so every value is its default, and refuses to write.
#include <QMap>
#include <QString>
#include <memory>

class QSettings;

class SettingsStore {
public:
    SettingsStore();
    ~SettingsStore();

    // False when something other than a regular file stands where the key's
    // file belongs.
    bool usable() const { return settings_ != nullptr; }
    // The message that reports an unusable store.
    static QString unusableMessage();

    QString readText(const QString& name, const QString& defaultValue);
    int readInteger(const QString& name, int defaultValue);
    bool readBool(const QString& name, bool defaultValue);

    // Each write reaches the disk before the next one, so a failure names the
    // value it happened at ("Failed to set data for '%s'").
    void writeText(const QString& name, const QString& value);
    void writeInteger(const QString& name, int value);
    void writeBool(const QString& name, bool value);

    // A group of values of the program's own beside the nine (the recent
    // lists, the window's place): the values that are text, by name. The
    // write replaces the whole group.
    QMap<QString, QString> readGroup(const QString& group);
    void writeGroup(const QString& group, const QMap<QString, QString>& values);

private:
    // The stored key whose name equals name without regard to case, or empty.
    QString storedKey(const QString& name) const;

    // Makes the key "Corvane\Vantorel" exist before the first value is set.
    void createKey();

    std::unique_ptr<QSettings> settings_;
    bool keyCreated_ = false;
};
