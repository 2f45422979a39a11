#pragma once
// The program's own translation and Qt's, for the user's language, when one
// is there: beside the program in the build tree, in
// ../share/quindle/translations relative to it once installed.
#include <QLocale>
#include <QString>
#include <QStringList>

class QCoreApplication;

// The folders looked in for quindle_<language>.qm, in order.
QStringList translationFolders(const QString& executablePath);

// Installs the first quindle_<language>.qm found for locale in folders, and
// Qt's own translation for it. Returns the file installed, empty when none
// was (the English source texts then stay).
QString installTranslations(QCoreApplication& application, const QLocale& locale, const QStringList& folders);
