// The help context map: the name hash, the "[MAP]" reader, the stored table
// and its lookup, the key schemes, and the map component of the main window.
#include "help/helpcontextmap_core.h"
#include "common/quindleerror.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "help/thelpcontextmap.h"
#include "app/contexthelp.h"
#include "app/tvantorel.h"

#include <QTemporaryDir>
#include <QtTest>
#include <sstream>

using helpmap::ContextPair;

namespace {
std::vector<ContextPair> readMap(const std::string& text)
{
    std::istringstream in(text);
    return helpmap::ReadMapSection(in);
}
} // namespace

class HelpContextMapTest : public QObject {
    Q_OBJECT
private slots:
    void hashOfKnownNames();
    void mapSectionLines();
    void mapSectionBoundaries();
    void lookupInTheSortedTable();
    void storedTableBytes();
    void keySchemes();
    void mapComponentReadsAProjectFile();
    void mainWindowMapIsEmpty();
};

void HelpContextMapTest::hashOfKnownNames()
{
    QCOMPARE(helpmap::HashName(""), 0);
    QCOMPARE(helpmap::HashName("a"), 17);
    QCOMPARE(helpmap::HashName("Z9"), 42 * 43 + 9);
    QCOMPARE(helpmap::HashName(" "), -16);
    QCOMPARE(helpmap::HashName("\x01"), 209);
    QCOMPARE(helpmap::HashName("\x96"), 102);   // byte 150
    QCOMPARE(helpmap::HashName("\xC8"), -104);  // byte 200
    QCOMPARE(helpmap::HashName("_0"), 13 * 43 + 10);
    // Letter case does not count.
    QCOMPARE(helpmap::HashName("Autofix"), helpmap::HashName("AUTOFIX"));
    QCOMPARE(helpmap::HashName("Vantorel_Projects"), helpmap::HashName("vantorel_projects"));
    // Signed 32-bit wrap-around: eight "z" give 43^8 - 1 modulo 2^32.
    QCOMPARE(helpmap::HashName("zzzzzzzz"), 1594265184);
    QCOMPARE(helpmap::HashName("Vantorel_Projects"), -1409104416);
    QCOMPARE(THelpContextMap::HashName(QStringLiteral("Vantorel_Projects")), -1409104416);
}

void HelpContextMapTest::mapSectionLines()
{
    const std::vector<ContextPair> pairs = readMap(
        "; a help project\r\n"
        "[OPTIONS]\r\n"
        "Compiled file=Quindle.qch\r\n"
        "[MAP]\r\n"
        "#define IDH_PROJECTS 10\r\n"
        "Autofix=7 ; the option\r\n"
        "  Indented\t= 12  \r\n"
        "Spaced 1 2\r\n"
        "Neg=-4\r\n"
        "Bad=seven\r\n"
        "Hex=0x1F\r\n"
        "Huge=4294967296\r\n"
        "#include \"ids.h\"\r\n"
        "=5\r\n"
        "NoValue=\r\n"
        "Commented#=3\r\n");
    const std::vector<ContextPair> expected = {
        {helpmap::HashName("IDH_PROJECTS"), 10}, {helpmap::HashName("Autofix"), 7},
        {helpmap::HashName("Indented"), 12},     {helpmap::HashName("Spaced"), 12},
        {helpmap::HashName("Neg"), -4},
    };
    QCOMPARE(pairs.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(pairs[i].first, expected[i].first);
        QCOMPARE(pairs[i].second, expected[i].second);
    }
}

void HelpContextMapTest::mapSectionBoundaries()
{
    // An empty line ends the section until the next "[MAP]"; a "[" line
    // inside the section stops the reading for good.
    const std::vector<ContextPair> pairs = readMap(
        "First=1\n"
        "[map]\n"
        "Lower=2\n"
        "[MAP] extra\n"
        "Second=3\n"
        "\n"
        "Outside=4\n"
        "[MAP]\n"
        "Third=5\n"
        "[ALIAS]\n"
        "[MAP]\n"
        "Late=6\n");
    QCOMPARE(pairs.size(), std::size_t(2));
    QCOMPARE(pairs[0], ContextPair(helpmap::HashName("Second"), 3));
    QCOMPARE(pairs[1], ContextPair(helpmap::HashName("Third"), 5));
    QVERIFY(readMap("").empty());
    QVERIFY(readMap("[MAP]").empty());
}

void HelpContextMapTest::lookupInTheSortedTable()
{
    std::vector<ContextPair> pairs = readMap(
        "[MAP]\n"
        "Projects=1\n"
        "Autofix=26\n"
        "$=44\n"
        "UtilBtn=166\n"
        "Vantorel_Projects=-17\n");
    helpmap::sortPairs(pairs);
    for (std::size_t i = 1; i < pairs.size(); ++i)
        QVERIFY(pairs[i - 1].first <= pairs[i].first);
    QCOMPARE(helpmap::LookupContext(pairs, "Projects"), 1);
    QCOMPARE(helpmap::LookupContext(pairs, "AUTOFIX"), 26);
    QCOMPARE(helpmap::LookupContext(pairs, "UtilBtn"), 166);
    QCOMPARE(helpmap::LookupContext(pairs, "Vantorel_Projects"), -17);
    QCOMPARE(helpmap::LookupContext(pairs, "Remove"), 0);
    QCOMPARE(helpmap::LookupContext(pairs, ""), 0);
    QCOMPARE(helpmap::LookupContext({}, "Projects"), 0);
    // "5m" hashes like "$": the table cannot tell them apart.
    QCOMPARE(helpmap::HashName("5m"), helpmap::HashName("$"));
    QCOMPARE(helpmap::LookupContext(pairs, "5m"), 44);
    // Equal hashes keep their file order when sorted.
    std::vector<ContextPair> same = readMap("[MAP]\n$=1\n5m=2\n");
    helpmap::sortPairs(same);
    QCOMPARE(same[0].second, 1);
    QCOMPARE(same[1].second, 2);
}

void HelpContextMapTest::storedTableBytes()
{
    const std::vector<ContextPair> pairs = {{-5, 7}, {300, -1}};
    const std::string bytes = helpmap::encodeTable(pairs);
    const std::string expected("\x10\x00\x00\x00"
                               "\xFB\xFF\xFF\xFF\x07\x00\x00\x00"
                               "\x2C\x01\x00\x00\xFF\xFF\xFF\xFF",
                               20);
    QCOMPARE(bytes, expected);
    QCOMPARE(helpmap::decodeTable(bytes), pairs);
    // Damaged tables give what is whole in them and never read past the end.
    QVERIFY(helpmap::decodeTable("").empty());
    QVERIFY(helpmap::decodeTable(std::string("\xFF\xFF\xFF\xFF", 4)).empty());
    QCOMPARE(helpmap::decodeTable(bytes.substr(0, 15)).size(), std::size_t(1));
    std::string longCount = bytes;
    longCount[0] = '\x7F';
    QCOMPARE(helpmap::decodeTable(longCount), pairs);
    std::string shortCount = bytes;
    shortCount[0] = '\x0C';
    QCOMPARE(helpmap::decodeTable(shortCount).size(), std::size_t(1));

    THelpContextMap map;
    QVERIFY(map.FileData().isEmpty());
    // A stored table out of order is put in order for the lookup.
    map.setFileData(QByteArray(helpmap::encodeTable({{helpmap::HashName("b"), 2}, {helpmap::HashName("a"), 1}}).c_str(), 20));
    QCOMPARE(map.LookupContext(QStringLiteral("a")), 1);
    QCOMPARE(map.LookupContext(QStringLiteral("b")), 2);
    QCOMPARE(map.FileData().size(), 20);
}

void HelpContextMapTest::keySchemes()
{
    QCOMPARE(helpmap::contextMapKey("/help/Quindle.hhp", "Vantorel", "Projects", false), std::string("Vantorel_Projects"));
    QCOMPARE(helpmap::contextMapKey("C:\\help\\QUINDLE.HPJ", "Vantorel", "Projects", false), std::string("Vantorel.Projects"));
    QCOMPARE(helpmap::contextMapKey("Quindle.hhp", "", "N1", false), std::string("_N1"));
    QCOMPARE(helpmap::contextMapKey("Quindle.hhp", "Vantorel", "Vantorel", true), std::string());
    QCOMPARE(helpmap::contextMapKey("Quindle.txt", "Vantorel", "Projects", false), std::string());
    QCOMPARE(helpmap::contextMapKey("help.d/Quindle", "Vantorel", "Projects", false), std::string());
}

void HelpContextMapTest::mapComponentReadsAProjectFile()
{
    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("Quindle.hhp"));
    QFile file(project);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[MAP]\r\nVantorel_Projects=1\r\nVantorel_UtilBtn=166\r\n");
    file.close();

    THelpContextMap map;
    QCOMPARE(map.setFileName(project), 2);
    QCOMPARE(map.LookupContext(QStringLiteral("Vantorel_UtilBtn")), 166);
    QCOMPARE(map.FileData().size(), 4 + 2 * 8);

    // A missing file leaves the name and the table as they were.
    const QString missing = dir.filePath(QStringLiteral("gone.hhp"));
    try {
        map.setFileName(missing);
        QFAIL("a missing file was taken");
    } catch (const QuindleError& e) {
        QCOMPARE(e.message(), QStringLiteral("File ") + missing + QStringLiteral(" not found."));
    }
    QCOMPARE(map.FileName(), project);
    QCOMPARE(map.count(), 2);

    // While the form is read the name is only stored.
    map.setLoading(true);
    QCOMPARE(map.setFileName(missing), -1);
    QCOMPARE(map.FileName(), missing);
    QCOMPARE(map.count(), 2);
    map.setLoading(false);
    QCOMPARE(map.setFileName(QString()), -1);
    QCOMPARE(map.count(), 2);
}

void HelpContextMapTest::mainWindowMapIsEmpty()
{
    TestEnvironment env;
    ScriptedDialogs dialogs;
    auto window = startMainWindow(dialogs);
    THelpContextMap* map = window->contextHelp().contextMap();
    QVERIFY(map);
    QCOMPARE(map->objectName(), QStringLiteral("HelpContextMap1"));
    QVERIFY(map->FileName().endsWith(QStringLiteral(".hhp")));
    QCOMPARE(map->count(), 0);
    QVERIFY(map->FileData().isEmpty());
    QCOMPARE(map->LookupContext(QStringLiteral("Vantorel_Projects")), 0);
}

QTEST_MAIN(HelpContextMapTest)
#include "test_helpcontextmap.moc"
