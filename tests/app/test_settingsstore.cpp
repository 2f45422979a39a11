// The settings store's reading of the forms a value may take in its file:
// typed forms are values of another type than text and fail their read;
// hand-edited, escaped and 8-bit values are the text they stand for; a value
// the store writes reads back as the very bytes written.
#include "testenvironment.h"
#include "app/settingsstore.h"
#include "common/quindleerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {

void writeSettingsBytes(const TestEnvironment& env, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(env.settingsFile()).absolutePath());
    QFile f(env.settingsFile());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// What a read of name gives: the bytes read, or the error's message.
QByteArray readOutcome(const QString& name)
{
    SettingsStore store;
    try {
        return QByteArray::fromStdString(store.readBytes(name, "(default)"));
    } catch (const QuindleError& error) {
        return "error: " + error.message().toUtf8();
    }
}

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT
private slots:
    void formsOfAValue_data();
    void formsOfAValue();
    void writtenBytesReadBack_data();
    void writtenBytesReadBack();
};

void TestSettingsStore::formsOfAValue_data()
{
    QTest::addColumn<QByteArray>("line");   // below "[General]"
    QTest::addColumn<QString>("name");      // the name read
    QTest::addColumn<QByteArray>("outcome");

    const QByteArray typedSpace = "error: Invalid data type for 'Space'";
    const QByteArray typedCurrent = "error: Invalid data type for 'Current'";
    // Typed: the forms QSettings writes for values that are not text.
    QTest::newRow("typed: a variant number") << QByteArray("Space=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)") << "Space"
                                             << typedSpace;
    QTest::newRow("typed: bytes") << QByteArray("Current=@ByteArray(other.txt)") << "Current" << typedCurrent;
    QTest::newRow("typed: a rectangle") << QByteArray("Space=@Rect(1 2 3 4)") << "Space" << typedSpace;
    QTest::newRow("typed: a size") << QByteArray("Space=@Size(3 4)") << "Space" << typedSpace;
    QTest::newRow("typed: a point") << QByteArray("Space=@Point(1 2)") << "Space" << typedSpace;
    QTest::newRow("typed: a date") << QByteArray("Space=@DateTime(\\0\\0\\0\\x10)") << "Space" << typedSpace;
    QTest::newRow("typed: no value") << QByteArray("Space=@Invalid()") << "Space" << typedSpace;
    QTest::newRow("typed: quoted") << QByteArray("Space=\"@Variant(\\0\\0\\0\\x1\\x1)\"") << "Space" << typedSpace;
    QTest::newRow("typed: blanks around") << QByteArray("Space =  @Size(3 4)  ") << "Space" << typedSpace;
    QTest::newRow("typed: the name as read, in another case")
        << QByteArray("DISP%20ERRORS=@Variant(\\0\\0\\0\\x1\\x1)") << "Disp errors"
        << QByteArray("error: Invalid data type for 'Disp errors'");
    QTest::newRow("typed: only the value read fails") << QByteArray("Space=@Rect(1 2 3 4)\nJust=1") << "Just"
                                                       << QByteArray("1");
    // Hand-edited: what a person types is text.
    QTest::newRow("hand-edited: a comma") << QByteArray("Current=a.txt, b.txt") << "Current"
                                          << QByteArray("a.txt, b.txt");
    QTest::newRow("hand-edited: a typed form not closed") << QByteArray("Current=@Variant(x.txt") << "Current"
                                                          << QByteArray("@Variant(x.txt");
    QTest::newRow("hand-edited: text after a typed form") << QByteArray("Current=@Rect(1 2 3 4).txt") << "Current"
                                                          << QByteArray("@Rect(1 2 3 4).txt");
    QTest::newRow("hand-edited: an unknown form") << QByteArray("Current=@Projects(2026)") << "Current"
                                                  << QByteArray("@Projects(2026)");
    QTest::newRow("hand-edited: missing") << QByteArray("Space=42") << "Current" << QByteArray("(default)");
    // Escaped: the format's own ways of writing text.
    QTest::newRow("escaped: @@ is one @") << QByteArray("Current=@@Variant(x)") << "Current"
                                          << QByteArray("@Variant(x)");
    QTest::newRow("escaped: quoted @@") << QByteArray("Current=\"@@Rect(1 2 3 4)\"") << "Current"
                                        << QByteArray("@Rect(1 2 3 4)");
    QTest::newRow("escaped: a text form") << QByteArray("Current=@String(x.txt)") << "Current" << QByteArray("x.txt");
    QTest::newRow("escaped: a quoted comma") << QByteArray("Current=\"x, y.txt\"") << "Current"
                                             << QByteArray("x, y.txt");
    QTest::newRow("escaped: a tab and a quote") << QByteArray("Current=\"a\\tb\\\"c\"") << "Current"
                                                << QByteArray("a\tb\"c");
    // 8-bit: a file name in any encoding, escaped or as raw bytes.
    QTest::newRow("8-bit: escaped Latin-1") << QByteArray("Current=\"caf\\xe9.txt\"") << "Current"
                                            << QByteArray("caf\xe9.txt");
    QTest::newRow("8-bit: raw Latin-1") << QByteArray("Current=caf\xe9.txt") << "Current"
                                        << QByteArray("caf\xe9.txt");
    QTest::newRow("8-bit: raw UTF-8") << QByteArray("Current=caf\xc3\xa9.txt") << "Current"
                                      << QByteArray("caf\xc3\xa9.txt");
    QTest::newRow("8-bit: a typed form is typed whatever its bytes") << QByteArray("Current=@ByteArray(\xe9)")
                                                                     << "Current" << typedCurrent;
}

void TestSettingsStore::formsOfAValue()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, name);
    QFETCH(QByteArray, outcome);
    TestEnvironment env;
    writeSettingsBytes(env, "[General]\n" + line + "\n");
    QCOMPARE(readOutcome(name), outcome);
}

void TestSettingsStore::writtenBytesReadBack_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("a plain name") << QByteArray("Projects.txt");
    QTest::newRow("a name that looks typed") << QByteArray("@Rect(1 2 3 4)");
    QTest::newRow("a name that looks typed, not UTF-8") << QByteArray("@Variant(caf\xe9)");
    QTest::newRow("a name that begins with @@") << QByteArray("@@x.txt");
    QTest::newRow("a name not UTF-8") << QByteArray("caf\xe9 list.txt");
    QTest::newRow("a comma") << QByteArray("a.txt, b.txt");
}

// What the close writes, the next start reads as the same bytes, never as a
// value of another type.
void TestSettingsStore::writtenBytesReadBack()
{
    QFETCH(QByteArray, bytes);
    TestEnvironment env;
    {
        SettingsStore store;
        store.writeBytes(QStringLiteral("Current"), bytes.toStdString());
        store.writeInteger(QStringLiteral("Space"), 42);
    }
    QCOMPARE(readOutcome(QStringLiteral("Current")), bytes);
    QCOMPARE(readOutcome(QStringLiteral("Space")), QByteArray("42"));
}

QTEST_MAIN(TestSettingsStore)
#include "test_settingsstore.moc"
