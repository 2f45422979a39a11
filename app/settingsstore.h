#pragma once
// The per-user settings key "Corvane\Vantorel": every value stored as text,
// names matched without regard to letter case. Opened for the length of one
// read or write pass, as the main window uses it.
//
// The key is one file, read and written only while it is a regular file or
// does not exist: a FIFO, a device or a link to one in its place is neither
// opened (reading a FIFO waits for ever) nor replaced. Such a store reads as
// empty, so every value is its default, and refuses to write.
//
// Values are read from the file's own text, not through QSettings' types: a
// hand-edited "a.txt, b.txt" is the text that is there, and a file name is
// kept byte for byte, whatever its encoding. A value the file holds in a
// typed form ("@Variant(...)", "@ByteArray(...)", "@Rect(...)"...) is of
// another type than text, and its read fails ("Invalid data type for '%s'"). A file far
// larger than settings ever are is neither read nor written: the defaults
// hold and the user's file stays as it is.
#include "document/settingsfile.h"

#include <QMap>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <string>

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

    // A settings file past any sane size: left alone, read as empty, never
    // written. tooLargeMessage() says so.
    static constexpr qint64 largestFile = SettingsFile::largestFile;
    bool tooLarge() const { return tooLarge_; }
    QString tooLargeMessage() const;

    // The stored value's own bytes: what stands after "name=" in the file,
    // with the file format's quotes and escapes undone. Each read throws
    // QuindleError "Invalid data type for '<name>'" when the value is stored
    // in a typed form.
    std::string readBytes(const QString& name, const std::string& defaultValue);
    QString readText(const QString& name, const QString& defaultValue);
    int readInteger(const QString& name, int defaultValue);
    bool readBool(const QString& name, bool defaultValue);

    // Each write reaches the disk before the next one, so a failure names the
    // value it happened at ("Failed to set data for '%s'").
    void writeText(const QString& name, const QString& value);
    // Bytes that are no UTF-8 (a file name) are written with the format's
    // "\\x" escapes, which readBytes turns back into those very bytes.
    void writeBytes(const QString& name, const std::string& value);
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
    // Whether a write may go ahead (not into an oversized file); throws when
    // the file cannot be written. finishWrite stores what was set.
    bool beginWrite();
    void finishWrite(const QString& name);

    // The file's values by name in lower case, read once and again after a write.
    const std::map<QString, SettingsValue>& storedValues();
    // The value stored under name, or null; throws for a typed one.
    const SettingsValue* storedValue(const QString& name);
    // Writes value escaped in place of what QSettings wrote for name.
    bool putEscapedValue(const QString& name, const std::string& value);

    QString fileName_;
    std::unique_ptr<QSettings> settings_;
    bool keyCreated_ = false;
    bool tooLarge_ = false;
    qint64 fileSize_ = 0;
    std::optional<std::map<QString, SettingsValue>> values_;
    // Values written with escapes, put back after QSettings last wrote the file.
    std::map<QString, std::string> escapedWrites_;
};
