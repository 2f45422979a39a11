// Translations: where the program looks for them, which file a language
// takes, and a translation reaching the forms, the messages and the command
// line of the real program.
#include "app/translationloader.h"
#include "app/tvantorel.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "ui_tvantorel.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

// The build compiles the test translation only where Qt's translation tools
// (qt6-l10n-tools) are installed.
#ifndef QUINDLE_TEST_TRANSLATIONS
#define QUINDLE_TEST_TRANSLATIONS ""
#define QUINDLE_NO_TRANSLATION_TOOLS
#endif

namespace {

QString germanTranslation()
{
    return QStringLiteral(QUINDLE_TEST_TRANSLATIONS "/quindle_de.qm");
}

void copyFile(const QString& from, const QString& to)
{
    QVERIFY(QDir().mkpath(QFileInfo(to).absolutePath()));
    QFile::remove(to);
    QVERIFY2(QFile::copy(from, to), qPrintable(to));
}

// Takes back what installTranslations installed, so that each case starts
// from the English source texts.
void removeTranslations()
{
    const QList<QTranslator*> translators = qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly);
    for (QTranslator* translator : translators) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

// The program's --help in the given locale, with no display.
QString helpText(const QString& executable, const QString& locale)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE", "LC_MESSAGES", "LANG"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LC_ALL"), locale);
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(executable, {QStringLiteral("--help")});
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return QStringLiteral("(did not end)");
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
#ifdef QUINDLE_NO_TRANSLATION_TOOLS
        QSKIP("lrelease was not found when the build was set up (Debian: qt6-l10n-tools)");
#endif
        QVERIFY2(QFileInfo(germanTranslation()).isFile(), qPrintable(germanTranslation()));
    }
    void cleanup() { removeTranslations(); }

    void foldersBesideTheProgramThenTheSharedFolder()
    {
        QCOMPARE(translationFolders(QStringLiteral("/opt/q/bin/quindle")),
                 QStringList({QStringLiteral("/opt/q/bin"), QStringLiteral("/opt/q/share/quindle/translations")}));
    }

    void aLanguageTakesItsFileOrNone()
    {
        QTemporaryDir first;
        QTemporaryDir second;
        const QStringList folders{first.path(), second.path()};
        copyFile(germanTranslation(), second.filePath(QStringLiteral("quindle_de.qm")));
        // A file that is no translation is passed over, as a missing one is.
        QFile broken(first.filePath(QStringLiteral("quindle_de.qm")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a translation");
        broken.close();

        // Austrian German takes the German file; the broken one is skipped.
        QCOMPARE(installTranslations(*qApp, QLocale(QStringLiteral("de_AT")), folders),
                 second.filePath(QStringLiteral("quindle_de.qm")));
        QCOMPARE(QCoreApplication::translate("TVantorel", "&File"), QStringLiteral("&Datei"));
        removeTranslations();
        QCOMPARE(QCoreApplication::translate("TVantorel", "&File"), QStringLiteral("&File"));

        // The first folder wins when both hold the language.
        copyFile(germanTranslation(), first.filePath(QStringLiteral("quindle_de.qm")));
        QCOMPARE(installTranslations(*qApp, QLocale(QStringLiteral("de_DE")), folders),
                 first.filePath(QStringLiteral("quindle_de.qm")));
        removeTranslations();

        // Languages without a file keep the English texts; the program itself,
        // named "quindle" beside the files, is never taken for one.
        copyFile(germanTranslation(), first.filePath(QStringLiteral("quindle")));
        for (const char* name : {"fr_FR", "en_US", "C"}) {
            QCOMPARE(installTranslations(*qApp, QLocale(QString::fromLatin1(name)), folders), QString());
            QCOMPARE(QCoreApplication::translate("TVantorel", "&File"), QStringLiteral("&File"));
        }
    }

    void theMainWindowSpeaksTheTranslation()
    {
        QVERIFY(!installTranslations(*qApp, QLocale(QStringLiteral("de_DE")),
                                     {QStringLiteral(QUINDLE_TEST_TRANSLATIONS)})
                     .isEmpty());
        TestEnvironment env;
        ScriptedDialogs dialogs;
        std::unique_ptr<TVantorel> window = startMainWindow(dialogs);
        QCOMPARE(window->parts().form->File1->title(), QStringLiteral("&Datei"));
        // The file name takes its place in the translated message.
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("Die Listendatei Projects.txt ist nicht zu finden")});
        // Texts the translation leaves out stay English.
        QCOMPARE(window->parts().form->Projects1->title(), QStringLiteral("&Projects"));

        // The list store's own messages are translated where they are shown.
        QVERIFY(QDir(env.workFolder()).mkdir(QStringLiteral("folder.txt")));
        const QString folder = env.path(QStringLiteral("folder.txt"));
        dialogs.fileNames << folder;
        window->Load1Click();
        QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Die Datei %1 kann nicht geöffnet werden").arg(folder)});
        window->close();
    }

    void theProgramFindsItsTranslationBesideItAndInstalled()
    {
        const QString built = qEnvironmentVariable("QUINDLE_BUILD_DIR") + QStringLiteral("/quindle");
        QTemporaryDir prefix;
        const QString beside = prefix.filePath(QStringLiteral("build/quindle"));
        copyFile(built, beside);
        copyFile(germanTranslation(), prefix.filePath(QStringLiteral("build/quindle_de.qm")));
        const QString installed = prefix.filePath(QStringLiteral("usr/bin/quindle"));
        copyFile(built, installed);
        copyFile(germanTranslation(), prefix.filePath(QStringLiteral("usr/share/quindle/translations/quindle_de.qm")));

        for (const QString& program : {beside, installed}) {
            const QString german = helpText(program, QStringLiteral("de_DE.UTF-8"));
            QVERIFY2(german.contains(QStringLiteral("Zeigt die Version und endet.")), qPrintable(program + german));
            const QString english = helpText(program, QStringLiteral("C"));
            QVERIFY2(english.contains(QStringLiteral("Show the version and end.")), qPrintable(program + english));
        }
    }
};

QTEST_MAIN(TranslationsTest)
#include "test_translations.moc"
