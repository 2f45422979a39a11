// Project numbers past 999 through the real main window: Add, Edit and
// Finish on the list 001 to 1000 as older saves ordered it (1000 between 100
// and 101), and the number search and the selected number over lists of
// three- to six-digit numbers.
#include "scripteddialogs.h"
#include "testlists.h"
#include "widgetlookup.h"
#include "testenvironment.h"
#include "app/tvantorel.h"

#include "app/projectlistmodel.h"
#include "app/projectsearch.h"
#include "wizard/wizardcontroller.h"

#include <QtTest>

#include <algorithm>
#include <set>

namespace {

// "001     Project 1" to "1000     Project 1000", sorted as text.
QStringList thousandAsText()
{
    std::vector<std::string> lines;
    for (int n = 1; n <= 1000; ++n)
        lines.push_back(QStringLiteral("%1     Project %2").arg(n, 3, 10, QLatin1Char('0')).arg(n).toStdString());
    std::sort(lines.begin(), lines.end());
    QStringList list;
    for (const std::string& line : lines)
        list << QString::fromStdString(line);
    return list;
}

int rowOfCaption(const TVantorel& w, const QString& number)
{
    for (int row = 0; row < w.listModel()->count(); ++row)
        if (w.listModel()->captionText(row).trimmed() == number)
            return row;
    return -1;
}

void select(TVantorel& w, int row)
{
    named<QTableView>(&w, "Projects")->setCurrentIndex(w.listModel()->index(row, 0));
}

// Each number at most once, and the lines in the order of their numbers.
void expectEachNumberOnceInOrder(const QByteArray& file)
{
    std::set<long long> seen;
    long long previous = -1;
    for (const QByteArray& line : file.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        const long long number = line.left(line.indexOf(' ')).toLongLong();
        QVERIFY2(seen.insert(number).second, line.constData());
        QVERIFY2(number > previous, line.constData());
        previous = number;
    }
}

} // namespace

class TestLongNumbers : public QObject {
    Q_OBJECT
private slots:
    void addEditFinishOnAThousandProjects();
    void numberSearchAndSelection_data();
    void numberSearchAndSelection();
};

void TestLongNumbers::addEditFinishOnAThousandProjects()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(thousandAsText()));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QObject* f = &*w;
    QCOMPARE(w->listModel()->count(), 1000);

    // Add proposes the number after the highest, not after the last row (999).
    QVERIFY(triggerAction(f, "AddBtn"));
    QCOMPARE(named<QLineEdit>(f, "CurrentProject")->text(), QStringLiteral("1001"));
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), QString());
    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("Added"));
    named<QPushButton>(f, "UtilBtn")->click();
    QCOMPARE(linesInMemory(*w).last(), QStringLiteral("1001     Added"));
    named<QPushButton>(f, "Next4")->click();
    QCOMPARE(w->listModel()->count(), 1001);

    // Edit of 1000 shows and replaces its own line, not that of 100.
    select(*w, rowOfCaption(*w, QStringLiteral("1000")));
    QCOMPARE(w->SelectedProjectNumber(), 1000);
    QVERIFY(triggerAction(f, "EditBtn"));
    QCOMPARE(named<UpDown>(f, "PrjSelect")->position(), 1000);
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), QStringLiteral("Project 1000"));
    named<QLineEdit>(f, "PrjDiscription")->setText(QStringLiteral("Edited thousand"));
    named<QPushButton>(f, "UtilBtn")->click();
    // The selector steps down to 100: its own project.
    named<QLineEdit>(f, "Project")->setText(QStringLiteral("100"));
    QCOMPARE(named<QLineEdit>(f, "CurrentProject")->text(), QStringLiteral("100"));
    QCOMPARE(named<QLineEdit>(f, "PrjDiscription")->text(), QStringLiteral("Project 100"));
    named<QPushButton>(f, "Next4")->click();
    QVERIFY(dialogs.shown.isEmpty());

    const QByteArray saved = env.readFile(QStringLiteral("Projects.txt"));
    QCOMPARE(saved.count('\n'), 1001);
    expectEachNumberOnceInOrder(saved);
    QVERIFY(saved.contains("\r\n1000     Edited thousand\r\n1001     Added\r\n"));
    QVERIFY(saved.contains("\r\n100     Project 100\r\n101     Project 101\r\n"));

    // A second Add goes on from there.
    QVERIFY(triggerAction(f, "AddBtn"));
    QCOMPARE(named<QLineEdit>(f, "CurrentProject")->text(), QStringLiteral("1002"));
}

void TestLongNumbers::numberSearchAndSelection_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("findText");
    // The caption found, or empty for none.
    QTest::addColumn<QString>("found");
    QTest::addColumn<int>("selectedNumber");

    const QStringList mixed = {"001     One", "100     Hut", "1000     Shed", "10000     Barn", "100000     Farm",
                               "99999     Nines"};
    QTest::newRow("100 is not 1000") << mixed << "100" << "100" << 100;
    QTest::newRow("1000 whole") << mixed << "1000" << "1000" << 1000;
    QTest::newRow("10000 whole") << mixed << "10000" << "10000" << 10000;
    QTest::newRow("100000, six digits") << mixed << "100000" << "100000" << 100000;
    QTest::newRow("no part of 99999") << mixed << "9999" << QString() << 0;
    QTest::newRow("a prefix finds three digits, as ever") << mixed << "1" << "100" << 100;
    QTest::newRow("a prefix never finds four") << QStringList {"001     A", "002     B", "1000     C"} << "10"
                                                 << QString() << 0;
    QTest::newRow("three digits only: prefixes as ever")
        << QStringList {"001     A", "002     B", "120     C"} << "12" << "120" << 120;
}

void TestLongNumbers::numberSearchAndSelection()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, findText);
    QFETCH(QString, found);
    QFETCH(int, selectedNumber);
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(lines));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);

    const NumberSearchResult result = searchProjectNumber(*w->listModel(), findText.toStdString());
    QVERIFY(result.validNumber);
    if (found.isEmpty()) {
        QCOMPARE(result.row, -1);
        return;
    }
    QVERIFY(result.row >= 0);
    QCOMPARE(w->listModel()->captionText(result.row).trimmed(), found);
    select(*w, result.row);
    QCOMPARE(w->SelectedProjectNumber(), selectedNumber);
}

QTEST_MAIN(TestLongNumbers)
#include "test_longnumbers.moc"
