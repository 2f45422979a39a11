#pragma once
// The list files used last, as the File menu offers them: newest first, each
// once, at most eight, each an absolute path.
#include <QString>
#include <QStringList>

namespace RecentLists {

constexpr int most = 8;

// lists with path put first.
QStringList withListUsed(QStringList lists, const QString& path);
// What of the entries read from the settings can name a list file written
// there: absolute paths of a length a path can have, without NUL, each once,
// in their order, at most eight.
QStringList usableEntries(const QStringList& stored);
// The menu text of the entry at index (from 0): "&1 Projects.txt".
QString menuText(int index, const QString& path);

} // namespace RecentLists
