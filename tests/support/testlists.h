#pragma once
// Project lists for the GUI tests and what the main window holds of them.
#include <QString>
#include <QStringList>

class TVantorel;

// count project lines: numbers first, first + step, ... zero padded to three
// digits, five blanks, then describe with %1 the project's number and %2 its
// place in the list (1 for the first line).
QStringList numberedProjects(int count, const QString& describe = QStringLiteral("Project number %1"),
                             int first = 1, int step = 1);
// One project line per description, numbered 001, 002...
QStringList numberedDescriptions(const QStringList& descriptions);

// The lines of the list document, and the captions the list view shows.
QStringList linesInMemory(const TVantorel& window);
QStringList captionsShown(const TVantorel& window);
