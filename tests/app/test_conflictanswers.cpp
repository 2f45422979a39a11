// The conflict window's rows and answers against a merge's sides: the text
// shown in the column the user picks is the text the merge keeps, whichever
// of the merge's sides is the user's own (a save, a conflict copy's merge).
#include "app/conflictanswers.h"

#include <QtTest>

Q_DECLARE_METATYPE(MineSide)
Q_DECLARE_METATYPE(ConflictAnswer)
Q_DECLARE_METATYPE(ConflictChoice)

namespace {

QString shown(std::string_view line)
{
    return QString::fromUtf8(line.data(), qsizetype(line.size()));
}

MergeConflict conflict(const char* number, const char* ours, const char* theirs)
{
    MergeConflict c;
    c.numberText = number;
    c.ours = ours;
    c.theirs = theirs;
    return c;
}

} // namespace

class TestConflictAnswers : public QObject {
    Q_OBJECT
private slots:
    void choiceForEachAnswer_data();
    void choiceForEachAnswer();
    void rowsShowEachSideInItsColumn_data();
    void rowsShowEachSideInItsColumn();
    void theColumnPickedIsTheTextKept_data();
    void theColumnPickedIsTheTextKept();
    void answersKeepTheirOrder();
};

void TestConflictAnswers::choiceForEachAnswer_data()
{
    QTest::addColumn<MineSide>("mine");
    QTest::addColumn<ConflictAnswer>("answer");
    QTest::addColumn<ConflictChoice>("choice");
    QTest::newRow("save: theirs") << MineSide::Ours << ConflictAnswer::KeepTheirs << ConflictChoice::KeepTheirs;
    QTest::newRow("save: mine") << MineSide::Ours << ConflictAnswer::KeepMine << ConflictChoice::KeepMine;
    QTest::newRow("save: both") << MineSide::Ours << ConflictAnswer::KeepBoth << ConflictChoice::KeepBoth;
    QTest::newRow("copy: theirs is the copy, the merge's ours")
        << MineSide::Theirs << ConflictAnswer::KeepTheirs << ConflictChoice::KeepMine;
    QTest::newRow("copy: mine is the list in memory, the merge's theirs")
        << MineSide::Theirs << ConflictAnswer::KeepMine << ConflictChoice::KeepTheirs;
    QTest::newRow("copy: both") << MineSide::Theirs << ConflictAnswer::KeepBoth << ConflictChoice::KeepBoth;
}

void TestConflictAnswers::choiceForEachAnswer()
{
    QFETCH(MineSide, mine);
    QFETCH(ConflictAnswer, answer);
    QFETCH(ConflictChoice, choice);
    QCOMPARE(conflictChoices({answer}, mine), std::vector<ConflictChoice> {choice});
}

void TestConflictAnswers::rowsShowEachSideInItsColumn_data()
{
    QTest::addColumn<MineSide>("mine");
    QTest::addColumn<QString>("theirsColumn");
    QTest::addColumn<QString>("mineColumn");
    QTest::newRow("save: the list in memory is mine") << MineSide::Ours << "002     On disk" << "002     In memory";
    QTest::newRow("copy: the list in memory is mine") << MineSide::Theirs << "002     In memory" << "002     On disk";
}

void TestConflictAnswers::rowsShowEachSideInItsColumn()
{
    QFETCH(MineSide, mine);
    QFETCH(QString, theirsColumn);
    QFETCH(QString, mineColumn);
    const QList<ConflictRow> rows =
        conflictRows({conflict("002", "002     In memory", "002     On disk")}, mine, shown);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].number, QStringLiteral("002"));
    QCOMPARE(rows[0].theirs, theirsColumn);
    QCOMPARE(rows[0].mine, mineColumn);
}

void TestConflictAnswers::theColumnPickedIsTheTextKept_data()
{
    QTest::addColumn<MineSide>("mine");
    QTest::addColumn<ConflictAnswer>("answer");
    for (MineSide side : {MineSide::Ours, MineSide::Theirs})
        for (ConflictAnswer answer : {ConflictAnswer::KeepTheirs, ConflictAnswer::KeepMine})
            QTest::addRow("%s, %s", side == MineSide::Ours ? "save" : "copy",
                          answer == ConflictAnswer::KeepTheirs ? "theirs" : "mine")
                << side << answer;
}

void TestConflictAnswers::theColumnPickedIsTheTextKept()
{
    QFETCH(MineSide, mine);
    QFETCH(ConflictAnswer, answer);
    const MergeConflict c = conflict("007", "007     Ours", "007     Theirs");
    const ConflictRow row = conflictRows({c}, mine, shown).first();
    const ConflictChoice choice = conflictChoices({answer}, mine).front();
    const std::string kept = choice == ConflictChoice::KeepMine ? c.ours : c.theirs;
    QCOMPARE(shown(kept), answer == ConflictAnswer::KeepTheirs ? row.theirs : row.mine);
}

void TestConflictAnswers::answersKeepTheirOrder()
{
    const QList<ConflictAnswer> answers = {ConflictAnswer::KeepMine, ConflictAnswer::KeepBoth,
                                           ConflictAnswer::KeepTheirs};
    QCOMPARE(conflictChoices(answers, MineSide::Ours),
             (std::vector<ConflictChoice> {ConflictChoice::KeepMine, ConflictChoice::KeepBoth,
                                           ConflictChoice::KeepTheirs}));
    const QList<ConflictRow> rows = conflictRows(
        {conflict("001", "001     a", "001     b"), conflict("1000", "1000     c", "1000     d")}, MineSide::Ours, shown);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].number, QStringLiteral("1000"));
    QCOMPARE(rows[1].mine, QStringLiteral("1000     c"));
}

QTEST_GUILESS_MAIN(TestConflictAnswers)
#include "test_conflictanswers.moc"
