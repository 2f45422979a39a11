// Where the help file is looked for: beside the executable first (the build
// tree), then in ../share/quindle/ (an installed tree), and the message when
// neither place holds it.
#include "help/helpfilelocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class HelpFileLocationTest : public QObject {
    Q_OBJECT
private slots:
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
