// The two project searches over the list view's rows, without a window:
// number search by caption prefix from the third row with wrap-around, and
// text search in the trimmed description with the case and whole-word rules.
#include "app/projectlistmodel.h"
#include "app/projectsearch.h"

#include <QtTest>

#include <string>
#include <vector>

namespace {

std::string line(int number, const std::string& description)
{
    char code[16];
    std::snprintf(code, sizeof code, "%03d", number);
    return std::string(code) + "     " + description;
}

// Projects first..last in order, each described as "Project N".
LineList numbered(int first, int last)
{
    LineList lines;
    for (int n = first; n <= last; ++n)
        lines.push_back(line(n, "Project " + std::to_string(n)));
    return lines;
}

LineList described(const std::vector<std::string>& descriptions)
{
    LineList lines;
    int n = 1;
    for (const std::string& d : descriptions)
        lines.push_back(line(n++, d));
    return lines;
}

} // namespace

class TestSearchFunctions : public QObject {
    Q_OBJECT
private slots:
    void numberSearchMatchesCaptionPrefixFromThirdRow_data();
    void numberSearchMatchesCaptionPrefixFromThirdRow();
    void numberSearchRejectsTextThatIsNoWholeNumber_data();
    void numberSearchRejectsTextThatIsNoWholeNumber();
    void numberSearchOnShortAndEmptyLists();
    void numberSearchReadsEditedCaptions();
    void textSearchFoldsOnlyAtoZUnlessMatchCase();
    void textSearchWholeWordWantsTheTrimmedDescription();
    void textSearchTrimsDescriptionsAndTakesFirstHit();
    void textSearchMissesOnEmptyTextAndEmptyList();
};

void TestSearchFunctions::numberSearchMatchesCaptionPrefixFromThirdRow_data()
{
    QTest::addColumn<QStringList>("captions");  // empty: projects 001 to 120
    QTest::addColumn<QString>("findText");
    QTest::addColumn<int>("row");

    QTest::newRow("1 finds 100, the first after row 1") << QStringList() << "1" << 99;
    QTest::newRow("001 found after the wrap") << QStringList() << "001" << 0;
    QTest::newRow("002 found after the wrap") << QStringList() << "002" << 1;
    QTest::newRow("12 finds 120") << QStringList() << "12" << 119;
    QTest::newRow("hexadecimal is matched as typed") << QStringList() << "$1F" << -1;
    QTest::newRow("leading blank is a number but no caption has it") << QStringList() << " 12" << -1;
    QTest::newRow("00 on 001 002 003") << QStringList{"001", "002", "003"} << "00" << 2;
    QTest::newRow("00 on 003 001 002") << QStringList{"003", "001", "002"} << "00" << 2;
    QTest::newRow("1 does not find 001") << QStringList{"001", "002", "003"} << "1" << -1;
}

void TestSearchFunctions::numberSearchMatchesCaptionPrefixFromThirdRow()
{
    QFETCH(QStringList, captions);
    QFETCH(QString, findText);
    QFETCH(int, row);

    LineList lines;
    if (captions.isEmpty())
        lines = numbered(1, 120);
    for (const QString& c : captions)
        lines.push_back(c.toStdString() + "     Something");
    ProjectListModel model;
    model.fill(lines);

    const NumberSearchResult found = searchProjectNumber(model, findText.toStdString());
    QVERIFY(found.validNumber);
    QCOMPARE(found.row, row);
}

void TestSearchFunctions::numberSearchRejectsTextThatIsNoWholeNumber_data()
{
    QTest::addColumn<QString>("findText");
    QTest::addColumn<int>("valueRead");

    QTest::newRow("trailing blank") << "12 " << 12;
    QTest::newRow("trailing letter") << "12a" << 12;
    QTest::newRow("no digit at all") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("too large for 32 bits") << "99999999999" << 999999999;
}

void TestSearchFunctions::numberSearchRejectsTextThatIsNoWholeNumber()
{
    QFETCH(QString, findText);
    QFETCH(int, valueRead);

    // A caption that begins with the very text shows that no search is made.
    LineList lines = numbered(1, 3);
    lines.push_back(findText.toStdString() + "     Trap");
    ProjectListModel model;
    model.fill(lines);

    const NumberSearchResult found = searchProjectNumber(model, findText.toStdString());
    QVERIFY(!found.validNumber);
    QCOMPARE(found.value, valueRead);
    QCOMPARE(found.row, -1);
}

void TestSearchFunctions::numberSearchOnShortAndEmptyLists()
{
    ProjectListModel model;
    QCOMPARE(searchProjectNumber(model, "1").row, -1);
    QVERIFY(searchProjectNumber(model, "1").validNumber);

    model.fill(numbered(1, 1));
    QCOMPARE(searchProjectNumber(model, "001").row, 0);

    model.fill(numbered(1, 2));
    QCOMPARE(searchProjectNumber(model, "00").row, 0);
    QCOMPARE(searchProjectNumber(model, "002").row, 1);
    QCOMPARE(searchProjectNumber(model, "003").row, -1);
}

void TestSearchFunctions::numberSearchReadsEditedCaptions()
{
    ProjectListModel model;
    model.fill(numbered(1, 5));
    model.setCaption(3, "777  ");
    QCOMPARE(searchProjectNumber(model, "777").row, 3);
    QCOMPARE(searchProjectNumber(model, "004").row, -1);
    // A caption shorter than the find text is no hit.
    model.setCaption(4, "7");
    QCOMPARE(searchProjectNumber(model, "77").row, 3);
}

void TestSearchFunctions::textSearchFoldsOnlyAtoZUnlessMatchCase()
{
    ProjectListModel model;
    model.fill(described({"Garden shed", "Ring Road survey", "Caf\xC3\x89 roof"}));  // "CafÉ roof"

    QCOMPARE(searchProjectText(model, "road", false, false), 1);
    QCOMPARE(searchProjectText(model, "ROAD", false, false), 1);
    QCOMPARE(searchProjectText(model, "road", true, false), -1);
    QCOMPARE(searchProjectText(model, "Road", true, false), 1);
    // é is not folded to É: only a to z are.
    QCOMPARE(searchProjectText(model, "caf\xC3\xA9", false, false), -1);
    QCOMPARE(searchProjectText(model, "caf\xC3\x89", false, false), 2);

    // Long descriptions: near misses and hits early, late and at the very end.
    model.fill(described({"Tiny tower, town, tunes of Tunbridge",
                          "t T tu TU tun TUN tunn TUNN tunne TUNNEL" /* last byte not shown */,
                          "tunnel at the start of a long descriptio"}));
    QCOMPARE(searchProjectText(model, "tunnel", false, false), 2);
    QCOMPARE(searchProjectText(model, "tunne", false, false), 1);
    QCOMPARE(searchProjectText(model, "TUNNE", true, false), 1);
    QCOMPARE(searchProjectText(model, "tunnel", true, false), 2);
    QCOMPARE(searchProjectText(model, "TUNBRIDGE", false, false), 0);
    QCOMPARE(searchProjectText(model, "Tunbridgex", false, false), -1);
    QCOMPARE(searchProjectText(model, "DESCRIPTI", false, false), 2);
    QCOMPARE(searchProjectText(model, "DESCRIPTIO", false, false), -1);

    QCOMPARE(upperCaseAtoZ("road \xC3\xA9 az{}`@[ 09"), std::string("ROAD \xC3\xA9 AZ{}`@[ 09"));
}

void TestSearchFunctions::textSearchWholeWordWantsTheTrimmedDescription()
{
    ProjectListModel model;
    model.fill(described({"Bridge repairs", "  Bridge ", "Bridge"}));

    // Column 8 is a blank, so the second description reads "   Bridge ".
    QCOMPARE(searchProjectText(model, "bridge", false, true), 1);
    QCOMPARE(searchProjectText(model, "bridge", true, true), -1);
    QCOMPARE(searchProjectText(model, "Bridge", true, true), 1);
    QCOMPARE(searchProjectText(model, "BRIDGE ", false, true), -1);
    QCOMPARE(searchProjectText(model, "bridge", false, false), 0);
    QCOMPARE(searchProjectText(model, "repairs", false, true), -1);
}

void TestSearchFunctions::textSearchTrimsDescriptionsAndTakesFirstHit()
{
    ProjectListModel model;
    model.fill(described({"Garden shed", "Shed roof", "Garden wall"}));

    // The description shown begins with the last separator blank, which
    // trimming removes, so a find text with a leading blank misses here.
    QCOMPARE(searchProjectText(model, " Garden", true, false), -1);
    QCOMPARE(searchProjectText(model, "Garden", true, false), 0);
    QCOMPARE(searchProjectText(model, "shed", false, false), 0);
    QCOMPARE(searchProjectText(model, "wall", false, false), 2);
    QCOMPARE(searchProjectText(model, "n s", false, false), 0);
    QCOMPARE(searchProjectText(model, "Garden shed and more", false, false), -1);
    // Only columns 8 to 47 are shown, and only they are searched.
    model.fill({line(1, std::string(39, 'x') + "tail")});
    QCOMPARE(searchProjectText(model, "xtail", false, false), -1);
    QCOMPARE(searchProjectText(model, "xxx", false, false), 0);
}

void TestSearchFunctions::textSearchMissesOnEmptyTextAndEmptyList()
{
    ProjectListModel model;
    QCOMPARE(searchProjectText(model, "road", false, false), -1);
    model.fill(described({"Ring Road survey", ""}));
    QCOMPARE(searchProjectText(model, "", false, false), -1);
    QCOMPARE(searchProjectText(model, "", true, true), -1);
}

QTEST_GUILESS_MAIN(TestSearchFunctions)
#include "test_searchfunctions.moc"
