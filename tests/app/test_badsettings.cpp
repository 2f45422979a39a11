// Broken settings files met by the real main window: junk bytes, values of
// another type than text, a file that cannot be read, a FIFO or a link to a
// device in its place. Each start gives the described message or the
// defaults, and each close ends cleanly, writing the nine values when the
// store lets it.
#include "filepermissions.h"
#include "widgetlookup.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "app/tvantorel.h"

#include "app/projectlistmodel.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kNineValues[] = {"Current", "Disp Errors", "Maximise", "Auto Fix", "Allow",
                                   "Last Page", "Last", "Space", "Just"};

QByteArray projectList()
{
    return TestEnvironment::listBytes({QStringLiteral("001     One"), QStringLiteral("002     Two")});
}

void writeSettingsBytes(const TestEnvironment& env, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(env.settingsFile()).absolutePath());
    QFile f(env.settingsFile());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray settingsBytes(const TestEnvironment& env)
{
    QFile f(env.settingsFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The defaults of an empty store are in the controls.
void expectDefaults(const TVantorel& w)
{
    QCOMPARE(QString::fromStdString(w.CurrentListFile()), QStringLiteral("Projects.txt"));
    QVERIFY(named<QCheckBox>(&w, "JumptoLast")->isChecked());
    QVERIFY(!named<QCheckBox>(&w, "Autofix")->isChecked());
    QVERIFY(!named<QCheckBox>(&w, "MaximiseApp")->isChecked());
    QCOMPARE(named<RadioGroup>(&w, "Just")->itemIndex(), 0);
    QCOMPARE(named<UpDown>(&w, "Vspace")->position(), 60);
}

// The nine values as a closing window writes them, each as text.
void expectNineValuesWritten(const TestEnvironment& env)
{
    for (const char* name : kNineValues)
        QVERIFY2(!env.settingsValue(QString::fromLatin1(name)).isEmpty(), name);
}

// Junk made from a valid store: bytes flipped, inserted, cut, repeated.
QByteArray mangled(const QByteArray& valid, std::mt19937& random)
{
    QByteArray bytes = valid;
    const int steps = 1 + int(random() % 12);
    static const char interesting[] = "\0\r\n=[]@()\\\",%\xFF\xC3 ";
    for (int i = 0; i < steps && !bytes.isEmpty(); ++i) {
        const int at = int(random() % unsigned(bytes.size()));
        switch (random() % 4) {
        case 0:
            bytes[at] = interesting[random() % (sizeof interesting - 1)];
            break;
        case 1:
            bytes.insert(at, char(random()));
            break;
        case 2:
            bytes.remove(at, int(random() % 8));
            break;
        default:
            bytes.insert(at, bytes.mid(at, int(random() % 16)));
            break;
        }
    }
    return bytes;
}

} // namespace

class TestBadSettings : public QObject {
    Q_OBJECT
private slots:
    void junkFileGivesDefaults();
    void valuesReadAsText_data();
    void valuesReadAsText();
    void typedValueStopsTheStartUp_data();
    void typedValueStopsTheStartUp();
    void listNameNotUtf8ThroughARestart();
    void mangledFilesStartAndClose();
    void unreadableFile();
    void fifoInPlaceOfTheFile();
    void linkToADevice();
    void linkToARegularFile();
    void listPathWithNul();
};

void TestBadSettings::junkFileGivesDefaults()
{
    std::mt19937 random(5);
    QByteArray junk(64 * 1024, '\0');
    for (char& c : junk)
        c = char(random());
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), projectList());
    writeSettingsBytes(env, junk);
    ScriptedDialogs dialogs;
    {
        auto w = startMainWindow(dialogs);
        QVERIFY(dialogs.shown.isEmpty());
        expectDefaults(*w);
        QCOMPARE(w->listModel()->count(), 2);
        QVERIFY(w->close());
        QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.texts().join(QLatin1Char('|'))));
    }
    expectNineValuesWritten(env);
    // The next start reads what the close wrote.
    ScriptedDialogs again;
    auto w = startMainWindow(again);
    QVERIFY(again.shown.isEmpty());
    expectDefaults(*w);
}

// A file in the working folder named by these very bytes.
void writeFileNamedByBytes(const QByteArray& name, const QByteArray& bytes)
{
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    ::close(fd);
}

void TestBadSettings::valuesReadAsText_data()
{
    QTest::addColumn<QByteArray>("stored");
    // The list file the store names, by its bytes; it exists.
    QTest::addColumn<QByteArray>("current");
    QTest::addColumn<bool>("maximise");
    QTest::addColumn<int>("space");
    QTest::addColumn<int>("just");
    QTest::addColumn<bool>("fileKept");

    const QByteArray projects = "Projects.txt";
    QTest::newRow("a comma in a name") << QByteArray("Current=a.txt, b.txt\n") << QByteArray("a.txt, b.txt")
                                       << false << 60 << 0 << false;
    QTest::newRow("a quoted comma") << QByteArray("Current=\"x, y.txt\"\n") << QByteArray("x, y.txt") << false
                                    << 60 << 0 << false;
    QTest::newRow("a typed form not closed is a name") << QByteArray("Current=@ByteArray(other.txt\n")
                                                       << QByteArray("@ByteArray(other.txt") << false << 60 << 0
                                                       << false;
    QTest::newRow("@@ is one @") << QByteArray("Current=@@home.txt\n") << QByteArray("@home.txt") << false << 60 << 0
                                 << false;
    QTest::newRow("an escaped byte that is no UTF-8") << QByteArray("Current=\"caf\\xe9.txt\"\n")
                                                      << QByteArray("caf\xe9.txt") << false << 60 << 0 << false;
    QTest::newRow("a list in a Boolean") << QByteArray("Maximise=0,1\nSpace=42\n") << projects << false << 42 << 0
                                         << false;
    QTest::newRow("a list for a number") << QByteArray("Just=1, 0\nMaximise=1\n") << projects << true << 60 << 0
                                         << false;
    QTest::newRow("blanks round a number, names in any case")
        << QByteArray("SPACE =  42  \nmaximise=1\n") << projects << true << 42 << 0 << false;
    QTest::newRow("another section is not read") << QByteArray("Space=7\n[Other]\nSpace=9\n") << projects << false
                                                 << 7 << 0 << false;
    QTest::newRow("a file past any sane size is left alone")
        << QByteArray("Space=42\n") + QByteArray(2 * 1024 * 1024, ';') << projects << false << 60 << 0 << true;
}

// Every value is read as the text that stands in the file: no type error, the
// list named is loaded, and the close writes the nine values back, or leaves
// a file far too large to be settings as it was.
void TestBadSettings::valuesReadAsText()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, current);
    QFETCH(bool, maximise);
    QFETCH(int, space);
    QFETCH(int, just);
    QFETCH(bool, fileKept);
    TestEnvironment env;
    writeFileNamedByBytes(current, projectList());
    const QByteArray settings = "[General]\n" + stored;
    writeSettingsBytes(env, settings);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QVERIFY(dialogs.errors().isEmpty());
    QCOMPARE(dialogs.messages().size(), fileKept ? 1 : 0);
    QCOMPARE(QByteArray::fromStdString(w->CurrentListFile()), current);
    QCOMPARE(w->listModel()->count(), 2);
    QCOMPARE(named<QCheckBox>(&*w, "MaximiseApp")->isChecked(), maximise);
    QCOMPARE(named<UpDown>(&*w, "Vspace")->position(), space);
    QCOMPARE(named<RadioGroup>(&*w, "Just")->itemIndex(), just);
    QVERIFY(w->close());
    QVERIFY(dialogs.errors().isEmpty());
    if (fileKept) {
        QVERIFY(settingsBytes(env) == settings);
        return;
    }
    expectNineValuesWritten(env);
    // The next start reads what the close wrote: the same name, byte for byte.
    w.reset();
    ScriptedDialogs again;
    auto second = startMainWindow(again);
    QVERIFY(again.shown.isEmpty());
    QCOMPARE(QByteArray::fromStdString(second->CurrentListFile()), current);
    QCOMPARE(named<UpDown>(&*second, "Vspace")->position(), space);
}

void TestBadSettings::typedValueStopsTheStartUp_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("error");
    // The controls after the failed start: values read before the typed one
    // are in effect, later ones keep the window's design.
    QTest::addColumn<bool>("maximise");
    QTest::addColumn<bool>("jumpToLast");
    QTest::addColumn<int>("just");
    QTest::addColumn<int>("space");
    // The nine values the close writes, in the order written.
    QTest::addColumn<QStringList>("written");

    QTest::newRow("a variant number")
        << QByteArray("Maximise=1\nJust=1\nSpace=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n")
        << "Invalid data type for 'Space'" << true << true << 1 << 60
        << QStringList {"Projects.txt", "0", "1", "0", "0", "0", "1", "60", "1"};
    QTest::newRow("bytes for the list file")
        << QByteArray("Current=@ByteArray(other.txt)\nMaximise=1\nSpace=42\n") << "Invalid data type for 'Current'"
        << false << false << -1 << 60 << QStringList {"Projects.txt", "0", "0", "0", "0", "0", "0", "60", "-1"};
    QTest::newRow("a rectangle for a Boolean, named in another case")
        << QByteArray("Allow=1\nlast%20page=@Rect(1 2 3 4)\nSpace=42\n") << "Invalid data type for 'Last Page'"
        << false << false << -1 << 60 << QStringList {"Projects.txt", "0", "0", "0", "1", "0", "0", "60", "-1"};
}

// A value stored in a typed form: its read fails with the described message
// shown as an error, the start-up ends there (no list read, none named in the
// status bar), and the close writes all nine values as text, which the next
// start reads without a word.
void TestBadSettings::typedValueStopsTheStartUp()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, error);
    QFETCH(bool, maximise);
    QFETCH(bool, jumpToLast);
    QFETCH(int, just);
    QFETCH(int, space);
    QFETCH(QStringList, written);
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), projectList());
    writeSettingsBytes(env, "[General]\n" + stored);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QCOMPARE(dialogs.errors(), QStringList {error});
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(w->listModel()->count(), 0);
    QVERIFY(!w->statusPanel(0)->text().contains(QStringLiteral("Projects.txt")));
    QVERIFY(!w->isMaximized());
    QCOMPARE(named<QCheckBox>(&*w, "MaximiseApp")->isChecked(), maximise);
    QCOMPARE(named<QCheckBox>(&*w, "JumptoLast")->isChecked(), jumpToLast);
    QCOMPARE(named<RadioGroup>(&*w, "Just")->itemIndex(), just);
    QCOMPARE(named<UpDown>(&*w, "Vspace")->position(), space);
    dialogs.clear();
    QVERIFY(w->close());
    QVERIFY(dialogs.shown.isEmpty());
    w.reset();

    const QByteArray file = settingsBytes(env);
    for (int i = 0; i < 9; ++i) {
        QByteArray name = kNineValues[i];
        name.replace(' ', "%20");
        QVERIFY2(file.contains("\n" + name + "=" + written.at(i).toUtf8() + "\n"), qPrintable(file));
    }
    QVERIFY2(!file.contains("=@"), qPrintable(file));
    ScriptedDialogs again;
    auto second = startMainWindow(again);
    QVERIFY(again.shown.isEmpty());
    QCOMPARE(second->listModel()->count(), 2);
}

// A list named on the command line by a name that is no UTF-8 is loaded,
// shown, stored and loaded again at the next start under the same bytes.
void TestBadSettings::listNameNotUtf8ThroughARestart()
{
    TestEnvironment env;
    const QByteArray name = "caf\xe9 list.txt";
    writeFileNamedByBytes(name, projectList());
    const std::string absolute = QFile::encodeName(env.workFolder()).toStdString() + "/" + name.toStdString();
    {
        ScriptedDialogs dialogs;
        auto w = startMainWindow(dialogs, false);
        w->useListFileAtStartup(name.toStdString());
        w->FormActivate();
        QVERIFY(dialogs.shown.isEmpty());
        QCOMPARE(w->CurrentListFile(), absolute);
        QCOMPARE(w->listModel()->count(), 2);
        QVERIFY(w->statusPanel(0)->text().endsWith(QStringLiteral("/caf\u00e9 list.txt")));
        QVERIFY(w->close());
        QVERIFY(dialogs.errors().isEmpty());
    }
    QVERIFY(settingsBytes(env).contains("caf\\xe9 list.txt"));
    ScriptedDialogs again;
    auto w = startMainWindow(again);
    QVERIFY(again.shown.isEmpty());
    QCOMPARE(w->CurrentListFile(), absolute);
    QCOMPARE(w->listModel()->count(), 2);
}

// Junk made from a valid store, many times over: each start shows at most the
// type error of one of the nine values, and each close either writes the
// nine values or reports which one failed.
void TestBadSettings::mangledFilesStartAndClose()
{
    const QByteArray valid = "[General]\nCurrent=other.txt\nDisp%20Errors=1\nMaximise=0\nAuto%20Fix=0\n"
                             "Allow=1\nLast%20Page=0\nLast=1\nSpace=42\nJust=1\n";
    const QRegularExpression typeError(QStringLiteral("^Invalid data type for '(.*)'$"));
    std::mt19937 random(9);
    for (int round = 0; round < 60; ++round) {
        TestEnvironment env;
        const QByteArray bytes = mangled(valid, random);
        writeSettingsBytes(env, bytes);
        ScriptedDialogs dialogs;
        auto w = startMainWindow(dialogs);
        QVERIFY(w->firstActivationDone());
        const QStringList errors = dialogs.errors();
        QVERIFY2(errors.size() <= 1, bytes.constData());
        if (!errors.isEmpty()) {
            const QRegularExpressionMatch match = typeError.match(errors.first());
            QVERIFY2(match.hasMatch(), qPrintable(errors.first()));
        }
        dialogs.clear();
        QVERIFY(w->close());
        if (dialogs.errors().isEmpty())
            expectNineValuesWritten(env);
        else
            QVERIFY(dialogs.errors().first().startsWith(QStringLiteral("Failed to set data for '")));
    }
}

// A store file we may not read: the defaults at start; at close the store
// refuses to overwrite what it could not read, which is reported, and the
// window still closes.
void TestBadSettings::unreadableFile()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), projectList());
    const QByteArray stored = "[General]\nMaximise=1\nSpace=42\n";
    writeSettingsBytes(env, stored);
    QFile::setPermissions(env.settingsFile(), QFileDevice::WriteOwner);
    OrdinaryFileAccess ordinary;
    if (!ordinary.active())
        QSKIP("permission bits cannot be made to apply here");
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QVERIFY(dialogs.shown.isEmpty());
    expectDefaults(*w);
    QCOMPARE(w->listModel()->count(), 2);
    QVERIFY(w->close());
    QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Failed to set data for 'Current'")});
    QFile::setPermissions(env.settingsFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(settingsBytes(env), stored);
}

// A FIFO where the store's file belongs is not opened (nobody would ever
// write to it, so start-up would wait for ever): the user is told, the
// defaults apply, start-up goes on, and the close leaves the FIFO alone.
void TestBadSettings::fifoInPlaceOfTheFile()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), projectList());
    QDir().mkpath(QFileInfo(env.settingsFile()).absolutePath());
    QCOMPARE(::mkfifo(QFile::encodeName(env.settingsFile()).constData(), 0600), 0);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    const QStringList refused{QStringLiteral("Failed to create key Corvane\\Vantorel")};
    QCOMPARE(dialogs.errors(), refused);
    expectDefaults(*w);
    QCOMPARE(w->listModel()->count(), 2);
    dialogs.clear();
    QVERIFY(w->close());
    QCOMPARE(dialogs.errors(), refused);
    struct stat info {};
    QCOMPARE(::lstat(QFile::encodeName(env.settingsFile()).constData(), &info), 0);
    QVERIFY(S_ISFIFO(info.st_mode));
}

// A link to a device in the store's place: neither read nor replaced by a
// regular file at close.
void TestBadSettings::linkToADevice()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), projectList());
    QDir().mkpath(QFileInfo(env.settingsFile()).absolutePath());
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), env.settingsFile()));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    const QStringList refused{QStringLiteral("Failed to create key Corvane\\Vantorel")};
    QCOMPARE(dialogs.errors(), refused);
    expectDefaults(*w);
    QCOMPARE(w->listModel()->count(), 2);
    dialogs.clear();
    QVERIFY(w->close());
    QCOMPARE(dialogs.errors(), refused);
    QCOMPARE(QFileInfo(env.settingsFile()).symLinkTarget(), QStringLiteral("/dev/zero"));
}

// A link to a regular file is an ordinary store: read through it at start,
// written through it at close.
void TestBadSettings::linkToARegularFile()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), projectList());
    const QString real = env.path(QStringLiteral("kept-settings.conf"));
    env.writeFile(QStringLiteral("kept-settings.conf"), "[General]\nSpace=42\n");
    QDir().mkpath(QFileInfo(env.settingsFile()).absolutePath());
    QVERIFY(QFile::link(real, env.settingsFile()));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(named<UpDown>(&*w, "Vspace")->position(), 42);
    QVERIFY(w->close());
    QVERIFY(dialogs.shown.isEmpty());
    expectNineValuesWritten(env);
    QVERIFY(env.readFile(QStringLiteral("kept-settings.conf")).contains("Space=42"));
}

// A stored path with a NUL in it names no file, not the file named by the
// part before the NUL.
void TestBadSettings::listPathWithNul()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), projectList());
    writeSettingsBytes(env, "[General]\nCurrent=Projects.txt\\0.bak\n");
    ScriptedDialogs dialogs;
    QTest::ignoreMessage(QtWarningMsg, "Broken filename passed to function");
    auto w = startMainWindow(dialogs);
    const QString stored = QStringLiteral("Projects.txt") + QChar(0) + QStringLiteral(".bak");
    QCOMPARE(QString::fromStdString(w->CurrentListFile()), stored);
    QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("Cannot find list file ") + stored});
    QCOMPARE(w->listModel()->count(), 0);
    QVERIFY(w->close());
    QCOMPARE(env.settingsValue(QStringLiteral("Current")), stored);
    w.reset();  // one main window at a time

    // The repair at start-up, which loads without looking first, does not
    // repair and offer to save the file before the NUL either.
    const QByteArray faulty = "7     Garden shed\r\n";
    env.writeFile(QStringLiteral("Projects.txt"), faulty);
    writeSettingsBytes(env, "[General]\nCurrent=Projects.txt\\0.bak\nAuto%20Fix=1\n");
    ScriptedDialogs again;
    QTest::ignoreMessage(QtWarningMsg, "Broken filename passed to function");
    auto second = startMainWindow(again);
    QCOMPARE(again.messages(), (QStringList{QStringLiteral("Unable to load Project List"),
                                            QStringLiteral("Cannot find list file ") + stored}));
    QVERIFY(again.texts(QStringLiteral("ask")).isEmpty());
    QVERIFY(again.errors().isEmpty());
    QVERIFY(second->ProjectLines().empty());
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), faulty);
}

QTEST_MAIN(TestBadSettings)
#include "test_badsettings.moc"
