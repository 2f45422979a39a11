#include "app/recentlists.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The longest path the system takes, in bytes.
constexpr qsizetype longestPath = 4096;

bool namesAListFile(const QString& entry)
{
    return !entry.isEmpty() && QDir::isAbsolutePath(entry) && !entry.contains(QChar(0))
        && entry.toLocal8Bit().size() < longestPath;
}

} // namespace

namespace RecentLists {

QStringList withListUsed(QStringList lists, const QString& path)
{
    lists.removeAll(path);
    lists.prepend(path);
    while (lists.size() > most)
        lists.removeLast();
    return lists;
}

QStringList usableEntries(const QStringList& stored)
{
    QStringList lists;
    for (const QString& entry : stored) {
        if (lists.size() == most)
            break;
        if (namesAListFile(entry) && !lists.contains(entry))
            lists << entry;
    }
    return lists;
}

QString menuText(int index, const QString& path)
{
    QString name = QFileInfo(path).fileName();
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
}

} // namespace RecentLists
