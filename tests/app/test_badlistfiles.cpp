// Bad list files met by the real main window, at start-up and through Load:
// junk bytes, NULs, CRs only, a 10 MB line, 8-bit text, two million lines
// load as the file's lines and show without harm; a folder, an unreadable
// file, a socket or device, and a file that vanishes between the existence
// check and the load give their messages and leave the list as it was. The
// window closes cleanly after each.
#include "filepermissions.h"
#include "testlists.h"
#include "widgetlookup.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "app/tvantorel.h"
#include "app/windowhost.h"
#include "document/projectlistdocument.h"

#include "listfile/lineformat.h"
#include "listfile/listfileio.h"
#include "app/projectlistmodel.h"
#include "app/loadprogress.h"

#include <QLabel>
#include <QProgressDialog>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QByteArray randomBytes(int size, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

LineList linesOf(const QByteArray& bytes)
{
    return splitListText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// Asks the view for every cell, as painting would; captions are at most five
// bytes (and the rest of a longer number), descriptions at most forty.
void readEveryRow(const TVantorel& w)
{
    const ProjectListModel* model = w.parts().listModel;
    for (int row = 0; row < model->count(); ++row) {
        QVERIFY(model->caption(row).size() <= 5 + numberOverhang(model->caption(row)));
        QVERIFY(model->description(row).size() <= 40);
        model->data(model->index(row, 0), Qt::DisplayRole);
        model->data(model->index(row, 1), Qt::DisplayRole);
    }
}

// Starts the window on a Projects.txt holding bytes; expects no message.
std::unique_ptr<TVantorel> startOn(TestEnvironment& env, ScriptedDialogs& dialogs, const QByteArray& bytes)
{
    env.writeFile(QStringLiteral("Projects.txt"), bytes);
    auto w = startMainWindow(dialogs);
    return w;
}

// Closes the window and checks that the settings were written as at any close.
void closeCleanly(TestEnvironment& env, TVantorel& w, const QString& current = QStringLiteral("Projects.txt"))
{
    QVERIFY(w.close());
    QCOMPARE(env.settingsValue(QStringLiteral("Current")), current);
    QCOMPARE(env.settingsValue(QStringLiteral("Space")), QStringLiteral("60"));
}

} // namespace

class TestBadListFiles : public QObject {
    Q_OBJECT
private slots:
    void junkBytesLoadAsTheirLines();
    void nulByteIsKept();
    void carriageReturnsOnly();
    void tenMegabyteLine();
    void invalidUtf8IsKeptAndShown();
    void folderInsteadOfList();
    void unreadableList();
    void socketAndDeviceAreNotRead();
    void fileVanishingBeforeTheLoad();
    void twoMillionLines();
    void fileTooBigForAList_data();
    void fileTooBigForAList();
    void cancelledLoadKeepsTheListAndItsFile();
};

void TestBadListFiles::junkBytesLoadAsTheirLines()
{
    // Junk as it comes (NULs are bytes like any other) and junk without NULs.
    QByteArray junk = randomBytes(1 << 20, 11);
    QByteArray noNul = randomBytes(1 << 20, 12);
    noNul.replace('\0', '\x01');
    for (const QByteArray& bytes : {junk, noNul}) {
        TestEnvironment env;
        ScriptedDialogs dialogs;
        auto w = startOn(env, dialogs, bytes);
        QVERIFY(dialogs.shown.isEmpty());
        const LineList expected = linesOf(bytes);
        QVERIFY(w->document().lines() == expected);
        QCOMPARE(w->parts().listModel->count(), int(expected.size()));
        QCOMPARE(w->parts().statusPanel(1)->text(), QString::number(expected.size()));
        readEveryRow(*w);
        named<QTableView>(&*w, "Projects")->selectAll();
        w->parts().host->selectedProjectNumber();
        closeCleanly(env, *w);
    }
}

// A NUL inside a line is kept: the lines after it are still there, and the
// line holding it keeps every byte.
void TestBadListFiles::nulByteIsKept()
{
    TestEnvironment env;
    QByteArray bytes = TestEnvironment::listBytes(numberedProjects(12));
    const QByteArray fifth = numberedProjects(12).at(4).toLatin1();
    bytes.insert(bytes.indexOf("005") + 9, '\0');
    ScriptedDialogs dialogs;
    auto w = startOn(env, dialogs, bytes);
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(w->parts().listModel->count(), 12);
    const std::string_view withNul = w->document().lines()[4];
    QCOMPARE(QByteArray(withNul.data(), qsizetype(withNul.size())), QByteArray(fifth).insert(9, '\0'));
    QCOMPARE(w->parts().listModel->captionText(11), QStringLiteral("012  "));
    closeCleanly(env, *w);
}

void TestBadListFiles::carriageReturnsOnly()
{
    TestEnvironment env;
    ScriptedDialogs dialogs;
    auto w = startOn(env, dialogs, QByteArray(100000, '\r'));
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(w->parts().listModel->count(), 100000);
    QCOMPARE(w->parts().statusPanel(1)->text(), QStringLiteral("100000"));
    QCOMPARE(w->parts().listModel->captionText(99999), QString());
    QCOMPARE(w->parts().host->selectedProjectNumber(), -1);
    named<QTableView>(&*w, "Projects")->setCurrentIndex(w->parts().listModel->index(500, 0));
    QCOMPARE(w->parts().host->selectedProjectNumber(), 0);
    closeCleanly(env, *w);
}

void TestBadListFiles::tenMegabyteLine()
{
    TestEnvironment env;
    const QByteArray line = "042     " + QByteArray(10 << 20, 'x');
    ScriptedDialogs dialogs;
    auto w = startOn(env, dialogs, "001     First\r\n" + line + "\r\n003     Last");
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(w->parts().listModel->count(), 3);
    QCOMPARE(w->document().lines()[1].size(), std::size_t(line.size()));
    QCOMPARE(w->parts().listModel->captionText(1), QStringLiteral("042  "));
    QCOMPARE(w->parts().listModel->descriptionText(1), QStringLiteral(" ") + QString(39, QLatin1Char('x')));
    named<QTableView>(&*w, "Projects")->setCurrentIndex(w->parts().listModel->index(1, 0));
    QCOMPARE(w->parts().host->selectedProjectNumber(), 42);
    closeCleanly(env, *w);
}

void TestBadListFiles::invalidUtf8IsKeptAndShown()
{
    TestEnvironment env;
    // A Latin-1 letter, a stray continuation byte, an overlong form, a
    // surrogate, a code point above U+10FFFF and a lead byte with no end.
    const QByteArray lines[] = {"001     Caf\xE9 au lait", "002     \x80\x80 stray", "003     \xC0\xAF overlong",
                                "004     \xED\xA0\x80 surrogate", "005     \xF4\x90\x80\x80 too high",
                                "\xFF\xFE" "6     \xE2\x82"};
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    ScriptedDialogs dialogs;
    auto w = startOn(env, dialogs, bytes);
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(w->parts().listModel->count(), 6);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(QByteArray::fromStdString(std::string(w->document().lines()[std::size_t(i)])), lines[i]);
    readEveryRow(*w);
    // A line that is no UTF-8 shows one character for each byte, as the
    // 8-bit code page has it; no byte is lost to a replacement character.
    QCOMPARE(w->parts().listModel->descriptionText(0), QStringLiteral(" Caf\u00E9 au lait"));
    QCOMPARE(w->parts().listModel->descriptionText(1), QStringLiteral(" \u20AC\u20AC stray"));
    QCOMPARE(w->parts().listModel->descriptionText(3), QStringLiteral(" \u00ED\u00A0\u20AC surrogate"));
    QCOMPARE(w->parts().listModel->captionText(5), QStringLiteral("\u00FF\u00FE6  "));
    named<QTableView>(&*w, "Projects")->setCurrentIndex(w->parts().listModel->index(5, 0));
    QCOMPARE(w->parts().host->selectedProjectNumber(), 0);
    closeCleanly(env, *w);
}

void TestBadListFiles::folderInsteadOfList()
{
    TestEnvironment env;
    QDir(env.workFolder()).mkdir(QStringLiteral("Projects.txt"));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Cannot open file Projects.txt")});
    QCOMPARE(w->parts().listModel->count(), 0);
    // The start-up ended at the failed load.
    QVERIFY(!w->parts().startDelay->isActive());
    closeCleanly(env, *w);
    QVERIFY(QFileInfo(env.path(QStringLiteral("Projects.txt"))).isDir());
}

void TestBadListFiles::unreadableList()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(12)));
    env.writeFile(QStringLiteral("Locked.txt"), TestEnvironment::listBytes({QStringLiteral("001     Secret")}));
    QFile::setPermissions(env.path(QStringLiteral("Locked.txt")), QFileDevice::WriteOwner);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QCOMPARE(w->parts().listModel->count(), 12);
    {
        OrdinaryFileAccess ordinary;
        if (!ordinary.active())
            QSKIP("permission bits cannot be made to apply here");
        dialogs.fileNames << env.path(QStringLiteral("Locked.txt"));
        w->Load1Click();
    }
    QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Cannot open file ") + env.path(QStringLiteral("Locked.txt"))});
    QCOMPARE(w->parts().listModel->count(), 12);
    QCOMPARE(w->document().lines().size(), std::size_t(12));
    QCOMPARE(QString::fromStdString(w->document().currentListFile()), QStringLiteral("Projects.txt"));
    closeCleanly(env, *w);
    w.reset();  // one main window at a time: it owns the process's help router

    // The same file as the list of the start.
    env.writeSettings(QStringLiteral("[General]\nCurrent=Locked.txt\n"));
    ScriptedDialogs again;
    OrdinaryFileAccess ordinary;
    auto second = startMainWindow(again);
    QCOMPARE(again.errors(), QStringList{QStringLiteral("Cannot open file Locked.txt")});
    QCOMPARE(second->parts().listModel->count(), 0);
    closeCleanly(env, *second, QStringLiteral("Locked.txt"));
}

void TestBadListFiles::socketAndDeviceAreNotRead()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(12)));
    // A socket exists but cannot be opened; a device would never end.
    const QString socketPath = env.path(QStringLiteral("socket.txt"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(socketPath);
    if (encoded.size() >= int(sizeof address.sun_path))
        QSKIP("temporary path too long for a socket");
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", encoded.constData());
    QCOMPARE(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    for (const QString& path : {socketPath, QStringLiteral("/dev/zero")}) {
        dialogs.clear();
        dialogs.fileNames << path;
        w->Load1Click();
        QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Cannot open file ") + path});
        QCOMPARE(w->parts().listModel->count(), 12);
        QCOMPARE(QString::fromStdString(w->document().currentListFile()), QStringLiteral("Projects.txt"));
    }
    ::close(sock);
    closeCleanly(env, *w);
}

// The file is renamed away and back without pause while Load runs again and
// again: each Load either loads it whole, finds it missing, or reports that
// it cannot open it when it went between the existence check and the load.
void TestBadListFiles::fileVanishingBeforeTheLoad()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(12)));
    const QStringList threeLines = {QStringLiteral("001     One"), QStringLiteral("002     Two"),
                                    QStringLiteral("003     Three")};
    env.writeFile(QStringLiteral("vanishing.txt"), TestEnvironment::listBytes(threeLines));
    const QString path = env.path(QStringLiteral("vanishing.txt"));
    const QByteArray here = QFile::encodeName(path);
    const QByteArray away = QFile::encodeName(env.path(QStringLiteral("away.txt")));

    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    std::atomic<bool> stop {false};
    std::thread mover([&] {
        while (!stop) {
            ::rename(here.constData(), away.constData());
            ::rename(away.constData(), here.constData());
        }
    });
    int loaded = 0;
    int missing = 0;
    int unopened = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((unopened < 3 || loaded == 0 || missing == 0) && std::chrono::steady_clock::now() < deadline) {
        const std::size_t linesBefore = w->document().lines().size();
        w->document().setCurrentListFile("Projects.txt");
        dialogs.clear();
        dialogs.fileNames << path;
        w->Load1Click();
        const QStringList messages = dialogs.messages();
        const QStringList errors = dialogs.errors();
        if (messages.isEmpty() && errors.isEmpty()) {
            ++loaded;
            QCOMPARE(w->document().lines().size(), std::size_t(3));
            QCOMPARE(QString::fromStdString(w->document().currentListFile()), path);
        } else if (messages == QStringList{QStringLiteral("Cannot find list file ") + path} && errors.isEmpty()) {
            ++missing;
            QCOMPARE(w->document().lines().size(), linesBefore);
            QCOMPARE(QString::fromStdString(w->document().currentListFile()), path);
        } else {
            QCOMPARE(errors, QStringList{QStringLiteral("Cannot open file ") + path});
            QVERIFY(messages.isEmpty());
            ++unopened;
            QCOMPARE(w->document().lines().size(), linesBefore);
            QCOMPARE(QString::fromStdString(w->document().currentListFile()), QStringLiteral("Projects.txt"));
        }
        QCOMPARE(w->parts().listModel->count(), int(w->document().lines().size()));
    }
    stop = true;
    mover.join();
    qInfo("%d loads, %d missing, %d vanished between the check and the load", loaded, missing, unopened);
    if (unopened == 0)
        QSKIP("the file never vanished between the check and the load in the time allowed");
    // The list in use is whichever the last round left.
    closeCleanly(env, *w, QString::fromStdString(w->document().currentListFile()));
}

void TestBadListFiles::twoMillionLines()
{
    TestEnvironment env;
    constexpr int count = 2000000;
    QByteArray bytes;
    bytes.reserve(count * 36);
    char line[64];
    for (int i = 1; i <= count; ++i) {
        // Every line end the reader knows, in turn.
        static const char* const ends[] = {"\r\n", "\n", "\r"};
        bytes += QByteArray(line, std::snprintf(line, sizeof line, "%03d     Project number %d%s", i, i, ends[i % 3]));
    }
    ScriptedDialogs dialogs;
    auto w = startOn(env, dialogs, bytes);
    bytes.clear();
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(w->document().lines().size(), std::size_t(count));
    QCOMPARE(w->parts().listModel->count(), count);
    QCOMPARE(w->parts().statusPanel(1)->text(), QStringLiteral("2000000"));
    QCOMPARE(QString::fromStdString(std::string(w->document().lines().back())), QStringLiteral("2000000     Project number 2000000"));
    QCOMPARE(w->parts().listModel->captionText(count - 1), QStringLiteral("2000000  "));
    named<QTableView>(&*w, "Projects")->setCurrentIndex(w->parts().listModel->index(count - 1, 0));
    QCOMPARE(w->parts().host->selectedProjectNumber(), 2000000);
    named<QTableView>(&*w, "Projects")->setCurrentIndex(w->parts().listModel->index(1233, 0));
    QCOMPARE(w->parts().host->selectedProjectNumber(), 1234);
    closeCleanly(env, *w);
}

// A sparse file far past any list is refused before it is read, with its
// size, at start-up and through Load; the list in use stays.
void TestBadListFiles::fileTooBigForAList_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("told");
    QTest::newRow("just past 2 GB") << (qint64(2) << 30) + 1 << QStringLiteral("2049 MB");
    QTest::newRow("10 GB") << (qint64(10) << 30) << QStringLiteral("10240 MB");
    QTest::newRow("8 TB") << (qint64(8) << 40) << QStringLiteral("8388608 MB");
}

void TestBadListFiles::fileTooBigForAList()
{
    QFETCH(qint64, size);
    QFETCH(QString, told);
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(12)));
    env.writeFile(QStringLiteral("Image.txt"), "001     Alpha\r\n002     Beta");
    QVERIFY(QFile::resize(env.path(QStringLiteral("Image.txt")), size));
    const auto refusal = [&](const QString& path) {
        return QStringLiteral("The file %1 is %2, too big for a project list (at most ").arg(path, told);
    };
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    dialogs.fileNames << env.path(QStringLiteral("Image.txt"));
    w->Load1Click();
    QCOMPARE(dialogs.errors().size(), 1);
    QVERIFY2(dialogs.errors().at(0).startsWith(refusal(env.path(QStringLiteral("Image.txt")))),
             qPrintable(dialogs.errors().at(0)));
    QCOMPARE(w->parts().listModel->count(), 12);
    QCOMPARE(w->document().lines().size(), std::size_t(12));
    QCOMPARE(QString::fromStdString(w->document().currentListFile()), QStringLiteral("Projects.txt"));
    closeCleanly(env, *w);
    w.reset();

    env.writeSettings(QStringLiteral("[General]\nCurrent=Image.txt\n"));
    ScriptedDialogs again;
    auto second = startMainWindow(again);
    QCOMPARE(again.texts().size(), 1);
    QVERIFY2(again.texts().at(0).startsWith(refusal(QStringLiteral("Image.txt"))), qPrintable(again.texts().at(0)));
    QCOMPARE(second->parts().listModel->count(), 0);
    QCOMPARE(QFileInfo(env.path(QStringLiteral("Image.txt"))).size(), size);
}

// Cancel on the progress of a long load: the list shown, the list file in
// use and every file stay as they were, and nothing more is said.
void TestBadListFiles::cancelledLoadKeepsTheListAndItsFile()
{
    TestEnvironment env;
    const QByteArray list = TestEnvironment::listBytes(numberedProjects(12));
    env.writeFile(QStringLiteral("Projects.txt"), list);
    const QByteArray big(64 << 20, '\n');
    env.writeFile(QStringLiteral("Big.txt"), big);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    const int moment = LoadProgress::momentMilliseconds;
    LoadProgress::momentMilliseconds = 0;
    bool cancelled = false;
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        if (auto* progress = w->findChild<QProgressDialog*>(QStringLiteral("LoadProgress"))) {
            if (progress->isVisible() && !cancelled) {
                QCOMPARE(progress->labelText(), QStringLiteral("Reading the Project List %1 ...")
                                                    .arg(env.path(QStringLiteral("Big.txt"))));
                progress->cancel();
                cancelled = true;
            }
        }
    });
    canceller.start(0);
    dialogs.fileNames << env.path(QStringLiteral("Big.txt"));
    w->Load1Click();
    LoadProgress::momentMilliseconds = moment;
    QVERIFY(cancelled);
    QVERIFY(dialogs.errors().isEmpty());
    QVERIFY(dialogs.messages().isEmpty());
    QCOMPARE(w->parts().listModel->count(), 12);
    QCOMPARE(w->document().lines().size(), std::size_t(12));
    QCOMPARE(QString::fromStdString(w->document().currentListFile()), QStringLiteral("Projects.txt"));
    QCOMPARE(env.readFile(QStringLiteral("Big.txt")), big);
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), list);

    // Not cancelled, the same load goes through.
    canceller.stop();
    LoadProgress::momentMilliseconds = 0;
    dialogs.fileNames << env.path(QStringLiteral("Big.txt"));
    w->Load1Click();
    LoadProgress::momentMilliseconds = moment;
    QCOMPARE(w->document().lines().size(), std::size_t(big.size()));
    QCOMPARE(QString::fromStdString(w->document().currentListFile()), env.path(QStringLiteral("Big.txt")));
    closeCleanly(env, *w, env.path(QStringLiteral("Big.txt")));
}

QTEST_MAIN(TestBadListFiles)
#include "test_badlistfiles.moc"
