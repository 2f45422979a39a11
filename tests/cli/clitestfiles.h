#pragma once
// Files for the command line's tests: lists written and read as bytes.
#include <QByteArray>
#include <QByteArrayList>
#include <QFile>
#include <QString>

// Lines joined with CR LF, each line ended.
inline QByteArray crlf(const QByteArrayList& lines)
{
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}
