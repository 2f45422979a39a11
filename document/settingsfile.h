#pragma once
// The per-user settings file of the key "Corvane\Vantorel"
// (~/.config/Corvane/Vantorel.conf), read as the text it holds: the window's
// settings store and the command line both take their values from here, so
// that both see the same list in use.
//
// Values are the file's own text, not QSettings' types: quotes and escapes
// are undone, a hand-edited "a.txt, b.txt" stays the text it is, a file name
// keeps its bytes whatever their encoding; a value of another type than text
// is marked as such. Names are
// matched without regard to letter case (they are kept in lower case). A FIFO
// or device in the file's place is never opened, and a file far larger than
// settings ever are is never read.
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <map>
#include <string>
#include <string_view>

// A value as the file holds it: its text, or a value of another type
// ("@Variant(...)", "@Rect(...)"), which no value of this program is.
struct SettingsValue {
    std::string text;
    bool typed = false;
};

namespace SettingsFile {

inline constexpr qint64 largestFile = 1024 * 1024;

// Where QSettings keeps the user's native settings of "Corvane\Vantorel".
QString path();

// A regular file (through links) or nothing at all.
bool isRegularOrAbsent(const QString& path);
// The size of the file at path, 0 when there is none.
qint64 fileSize(const QString& path);

// A key as the file writes it: "%20" for a blank, "%U20AC" for a character
// past Latin-1, "\\" for the "/" of a group.
QString unescapedKey(std::string_view key);
// The values of the file's top level ("[General]" or before any section),
// by name in lower case; a name given twice has its last value.
std::map<QString, SettingsValue> topLevelValues(const QByteArray& file);

// The top-level values of the file at path; none when it is missing, no
// regular file, too large or unreadable.
std::map<QString, SettingsValue> read(const QString& path);

} // namespace SettingsFile
