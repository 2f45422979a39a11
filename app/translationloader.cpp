#include "app/translationloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

QStringList translationFolders(const QString& executablePath)
{
    const QDir executableDir = QFileInfo(executablePath).absoluteDir();
    return {executableDir.absolutePath(),
            QDir::cleanPath(executableDir.filePath(QStringLiteral("../share/quindle/translations")))};
}

QString installTranslations(QCoreApplication& application, const QLocale& locale, const QStringList& folders)
{
    // Qt's texts (message box buttons, the command line parser's errors) in
    // the same language, when the system has them.
    auto* qtTexts = new QTranslator(&application);
    if (qtTexts->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts);
    else
        delete qtTexts;

    // The file names are tried as they stand: QTranslator's own search
    // falls back to a bare "quindle", which beside the program is the
    // program itself.
    QStringList names;
    for (QString language : locale.uiLanguages()) {
        language.replace(QLatin1Char('-'), QLatin1Char('_'));
        for (;;) {
            if (!names.contains(language))
                names << language;
            const qsizetype cut = language.lastIndexOf(QLatin1Char('_'));
            if (cut <= 0)
                break;
            language.truncate(cut);
        }
    }
    for (const QString& folder : folders) {
        for (const QString& language : std::as_const(names)) {
            const QString file = QDir(folder).filePath(QStringLiteral("quindle_%1.qm").arg(language));
            if (!QFileInfo(file).isFile())
                continue;
            auto* own = new QTranslator(&application);
            if (own->load(file)) {
                QCoreApplication::installTranslator(own);
                return file;
            }
            delete own;
        }
    }
    return QString();
}
