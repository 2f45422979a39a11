// Saves that fail, through both commands that write the list (Fix Errors
// answered Yes, and the wizard's Finish): a read-only folder, a read-only
// file, a full disk and a folder put in the file's place each show "Cannot
// create file <path>", leave the previous file byte for byte and nothing else
// in its folder, keep the changes in memory, and the window closes cleanly
// once the user lets unsaved changes go.
#include "filepermissions.h"
#include "widgetlookup.h"
#include "scripteddialogs.h"
#include "smallfilesystem.h"
#include "testenvironment.h"
#include "app/tvantorel.h"

#include "app/projectlistmodel.h"

#include <QtTest>

#include <optional>

namespace {

const QStringList listLines = {QStringLiteral("001     Harbour wall"), QStringLiteral("7     Garden shed"),
                               QStringLiteral("012     Old pier")};

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace

class TestSaveFailures : public QObject {
    Q_OBJECT
private slots:
    void failedSaveLosesNothing_data();
    void failedSaveLosesNothing();
};

void TestSaveFailures::failedSaveLosesNothing_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("byRepair");
    for (const char* failure : {"read-only folder", "read-only file", "full disk", "folder in place"}) {
        QTest::addRow("%s, Fix Errors", failure) << QString::fromLatin1(failure) << true;
        QTest::addRow("%s, Finish", failure) << QString::fromLatin1(failure) << false;
    }
}

void TestSaveFailures::failedSaveLosesNothing()
{
    QFETCH(QString, failure);
    QFETCH(bool, byRepair);
    TestEnvironment env;
    const QString folder = env.path(QStringLiteral("lists"));
    QVERIFY(QDir().mkpath(folder));
    std::optional<SmallFileSystem> disk;
    if (failure == QLatin1String("full disk")) {
        disk.emplace(folder, QStringLiteral("128k"));
        if (!disk->mounted())
            QSKIP("cannot mount a small tmpfs here");
    }
    const QString path = QDir(folder).filePath(QStringLiteral("Projects.txt"));
    const QByteArray original = TestEnvironment::listBytes(listLines);
    env.writeFile(QStringLiteral("lists/Projects.txt"), original);
    env.writeSettings(QStringLiteral("[General]\nCurrent=%1\nLast=0\n").arg(path));

    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(w->listModel()->count(), 3);

    std::optional<OrdinaryFileAccess> ordinary;
    if (failure == QLatin1String("read-only folder")) {
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        ordinary.emplace();
    } else if (failure == QLatin1String("read-only file")) {
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        ordinary.emplace();
    } else if (failure == QLatin1String("full disk")) {
        disk->fill(QStringLiteral("filler"));
    } else {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path));
        env.writeFile(QStringLiteral("lists/Projects.txt/inside.txt"), "inside");
    }
    if (ordinary && !ordinary->active())
        QSKIP("permission bits cannot be made to apply here");
    const QStringList entriesBefore = entriesOf(folder);

    QObject* f = &*w;
    QStringList expectedMemory;
    if (byRepair) {
        dialogs.answers << MessageButton::Yes;
        QVERIFY(triggerAction(f, "FixErrors1"));
        expectedMemory = {QStringLiteral("001     Harbour wall"), QStringLiteral("007     Garden shed"),
                          QStringLiteral("012     Old pier")};
    } else {
        QVERIFY(triggerAction(f, "AddBtn"));
        named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("Quay steps"));
        named<QPushButton>(f, "UtilBtn")->click();
        named<QPushButton>(f, "Next4")->click();
        // Applied and sorted: the badly laid-out line goes last.
        expectedMemory = {QStringLiteral("001     Harbour wall"), QStringLiteral("012     Old pier"),
                          QStringLiteral("013     Quay steps"), QStringLiteral("7     Garden shed")};
    }
    ordinary.reset();

    if (failure == QLatin1String("folder in place") && byRepair) {
        // The repair reads the file afresh first: there is none to read.
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("Unable to load Project List")});
        QVERIFY(dialogs.errors().isEmpty());
    } else {
        // No lock can be made in a read-only folder: the list is read-only
        // here. A folder in the file's place cannot be read to merge onto.
        if (failure == QLatin1String("read-only folder"))
            QCOMPARE(dialogs.messages(),
                     QStringList{QStringLiteral("Project List %1 is in a folder where no lock can be made: the list is "
                                                "read-only for you\rYour changes are kept, not saved")
                                     .arg(path)});
        else if (failure == QLatin1String("folder in place"))
            QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Cannot open file ") + path});
        else
            QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Cannot create file ") + path});
        QStringList memory;
        for (std::string_view line : w->ProjectLines())
            memory << QString::fromStdString(std::string(line));
        QCOMPARE(memory, expectedMemory);
    }
    // The view still shows the file as it was.
    QCOMPARE(w->listModel()->count(), 3);
    QCOMPARE(w->listModel()->captionText(1), QStringLiteral("7    "));
    if (failure == QLatin1String("folder in place"))
        QCOMPARE(env.readFile(QStringLiteral("lists/Projects.txt/inside.txt")), QByteArray("inside"));
    else
        QCOMPARE(env.readFile(QStringLiteral("lists/Projects.txt")), original);
    QCOMPARE(entriesOf(folder), entriesBefore);

    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    dialogs.clear();
    // The project applied and not saved is asked about; the user lets it go.
    dialogs.answers = {MessageButton::No};
    QVERIFY(w->close());
    QCOMPARE(dialogs.texts(QStringLiteral("ask")).size(), byRepair ? 0 : 1);
    QVERIFY(dialogs.errors().isEmpty());
    QCOMPARE(env.settingsValue(QStringLiteral("Current")), path);
}

QTEST_MAIN(TestSaveFailures)
#include "test_savefailures.moc"
