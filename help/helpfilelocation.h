#pragma once
// Where the help file lies: beside the executable in the build tree, in
// ../share/quindle/ relative to the executable once installed
// (bin/quindle, share/quindle/Quindle.qch).
#include <QString>
#include <QStringList>

// The places looked at, in order.
QStringList helpFileCandidates(const QString& executablePath, const QString& fileName);
// The first place that holds the file; the first place looked at when none
// does, so the help router still names the usual place.
QString locateHelpFile(const QString& executablePath, const QString& fileName);
// What the user is told when no place holds the file.
QString missingHelpFileMessage(const QString& executablePath, const QString& fileName);
// Whether the file is a help file the viewer can read: one from which the
// help engine opens the start page. An empty or damaged file, a database of
// another kind, or a help file without that page is none. True when the
// viewer cannot tell (no SQLite driver), as help then ends silently anyway.
bool isReadableHelpFile(const QString& helpFile);
// What the user is told when the file is there but cannot be read.
QString unreadableHelpFileMessage(const QString& helpFile);
// The message for a help file that cannot be used, missing or unreadable;
// empty when the file can be used.
QString helpFileProblem(const QString& helpFile, const QString& executablePath, const QString& fileName);
