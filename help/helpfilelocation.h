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
