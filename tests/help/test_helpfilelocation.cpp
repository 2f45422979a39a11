// Where the help file is looked for: beside the executable first (the build
// tree), then in ../share/quindle/ (an installed tree), and the message when
// neither place holds it; which files are help files the viewer can open.
#include "help/helpfilelocation.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString builtHelpFile()
{
    return qEnvironmentVariable("QUINDLE_BUILD_DIR", QCoreApplication::applicationDirPath())
        + QStringLiteral("/Quindle.qch");
}

// Runs statements on the SQLite file at path, made when missing.
bool runOn(const QString& path, const QStringList& statements)
{
    bool done = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("helpfile"));
        db.setDatabaseName(path);
        done = db.open();
        for (const QString& statement : statements)
            done = done && QSqlQuery(db).exec(statement);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("helpfile"));
    return done;
}

} // namespace

class HelpFileLocationTest : public QObject {
    Q_OBJECT
private slots:
    void readableHelpFiles_data()
    {
        QTest::addColumn<bool>("fromBuilt");            // the built help file, or bytes
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("statements");    // then run on it
        QTest::addColumn<bool>("readable");

        const QStringList none;
        QTest::newRow("the help file") << true << QByteArray() << none << true;
        QTest::newRow("empty") << false << QByteArray() << none << false;
        QTest::newRow("random bytes") << false << QByteArray("SQLite format 3 and then nothing a database has \x01\xfe")
                                      << none << false;
        QTest::newRow("another kind of database")
            << false << QByteArray() << QStringList {"CREATE TABLE Projects (Num TEXT, Name TEXT)"} << false;
        QTest::newRow("a database with a help file's namespace and nothing more")
            << false << QByteArray()
            << QStringList {"CREATE TABLE NamespaceTable (Id INTEGER PRIMARY KEY, Name TEXT)",
                            "INSERT INTO NamespaceTable VALUES (1, 'com.example.other')",
                            "CREATE TABLE Orders (Id INTEGER, Item TEXT)"}
            << false;
        QTest::newRow("the help file without its pages")
            << true << QByteArray() << QStringList {"DELETE FROM FileDataTable"} << false;
        QTest::newRow("the help file without its start page")
            << true << QByteArray() << QStringList {"DELETE FROM FileNameTable WHERE Name LIKE '%index.html'"}
            << false;
        QTest::newRow("the help file with its start page emptied")
            << true << QByteArray()
            << QStringList {"UPDATE FileDataTable SET Data = X'00000000' WHERE Id IN (SELECT FileId FROM FileNameTable "
                            "WHERE Name LIKE '%index.html')"}
            << false;
    }

    void readableHelpFiles()
    {
        QFETCH(bool, fromBuilt);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, statements);
        QFETCH(bool, readable);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("Quindle.qch"));
        if (fromBuilt) {
            QVERIFY2(QFile::copy(builtHelpFile(), path), qPrintable(builtHelpFile()));
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(bytes), bytes.size());
        }
        if (!statements.isEmpty())
            QVERIFY(runOn(path, statements));
        QCOMPARE(isReadableHelpFile(path), readable);
        QCOMPARE(helpFileProblem(path, folder.filePath(QStringLiteral("quindle")), QStringLiteral("Quindle.qch")),
                 readable ? QString() : QStringLiteral("Cannot read help file ") + path);
    }

    void besideTheProgramThenTheSharedFolder()
    {
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/quindle")));
        const QString program = prefix.filePath(QStringLiteral("bin/quindle"));
        const QString beside = prefix.filePath(QStringLiteral("bin/Quindle.qch"));
        const QString shared = prefix.filePath(QStringLiteral("share/quindle/Quindle.qch"));
        const QString name = QStringLiteral("Quindle.qch");

        // Neither: the usual place, and a message naming both.
        QCOMPARE(locateHelpFile(program, name), beside);
        QCOMPARE(missingHelpFileMessage(program, name),
                 QStringLiteral("Cannot find help file ") + beside + QStringLiteral(" or ") + shared);

        auto touch = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write("qch") == 3;
        };
        QVERIFY(touch(shared));
        QCOMPARE(locateHelpFile(program, name), shared);
        QVERIFY(touch(beside));
        QCOMPARE(locateHelpFile(program, name), beside);

        // A folder of that name is no help file.
        QVERIFY(QFile::remove(beside));
        QVERIFY(QDir().mkpath(beside));
        QCOMPARE(locateHelpFile(program, name), shared);
    }
};

QTEST_GUILESS_MAIN(HelpFileLocationTest)
#include "test_helpfilelocation.moc"
