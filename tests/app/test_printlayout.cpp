// The printed listing's layout, drawn on a recording surface.
#include "app/listprinter.h"
#include "app/projectlistmodel.h"
#include "common/quindleerror.h"
#include "recordingprintsurface.h"

#include "listfile/lineformat.h"

#include <QtTest>

namespace {

// n items: numbers 5, 10, 15... so that ordinals and project numbers differ.
std::unique_ptr<ProjectListModel> listOf(int n)
{
    LineList lines;
    for (int k = 1; k <= n; ++k)
        lines.push_back(zeroPadNumber(k * 5) + "     Project number " + std::to_string(k));
    auto model = std::make_unique<ProjectListModel>();
    model->fill(lines);
    return model;
}

const QDateTime noon(QDate(2024, 3, 9), QTime(12, 30, 15));

PrintOutcome printList(RecordingPrintSurface& surface, int n, PrintOptions options = {},
                       QDateTime now = noon)
{
    auto model = listOf(n);
    ListPrinter printer(surface, [now] { return now; });
    return printer.print(*model, options);
}

// The rows drawn: texts at the ordinal column, as (page, y, ordinal).
struct RowAt {
    int page, y, ordinal;
};
QList<RowAt> rows(const RecordingPrintSurface& surface)
{
    QList<RowAt> out;
    const int ordinalX = percentOfWidth(surface.width, 5);
    for (const DrawnText& d : surface.drawn)
        if (d.x == ordinalX && d.family != QLatin1String("Times new roman"))
            out.append({d.page, d.y, d.text.toInt()});
    return out;
}

void verifyColumnHeadings(const RecordingPrintSurface& s, int page, int y, int nameX)
{
    const DrawnText* number = s.find(QStringLiteral("Number"), page);
    const DrawnText* proj = s.find(QStringLiteral("Proj"), page);
    const DrawnText* name = s.find(QStringLiteral("Name"), page);
    QVERIFY(number && proj && name);
    QCOMPARE(number->y, y);
    QCOMPARE(proj->y, y);
    QCOMPARE(name->y, y);
    QCOMPARE(number->x, percentOfWidth(s.width, 4));
    QCOMPARE(proj->x, percentOfWidth(s.width, 10));
    QCOMPARE(name->x, nameX);
}

} // namespace

class TestPrintLayout : public QObject {
    Q_OBJECT
private slots:
    void emptyListPrintsHeadingsOnOnePage()
    {
        RecordingPrintSurface s;
        QCOMPARE(printList(s, 0), PrintOutcome::Printed);
        QCOMPARE(s.pages, 1);
        QVERIFY(s.ended);
        QCOMPARE(s.drawn.size(), 4);
        const DrawnText& heading = s.drawn.first();
        QCOMPARE(heading.text, listHeading(noon));
        QVERIFY(heading.text.startsWith(QLatin1String("ARDLOW PROJECT LIST: ")));
        QCOMPARE(heading.x, 100);
        QCOMPARE(heading.y, 0);
        QCOMPARE(heading.family, QStringLiteral("Times new roman"));
        QCOMPARE(heading.pointSize, 14);
        verifyColumnHeadings(s, 0, 100, percentOfWidth(s.width, 25));
    }

    void positionsArePercentagesRoundedToThePixel()
    {
        QCOMPARE(percentOfWidth(2436, 4), 97);   // 97.44
        QCOMPARE(percentOfWidth(2436, 10), 244); // 243.6
        QCOMPARE(percentOfWidth(2436, 15), 365); // 365.4
        RecordingPrintSurface s;
        s.width = 2436;
        printList(s, 1);
        const QList<DrawnText> page = s.onPage(0);
        QCOMPARE(page[1].x, 97);
        QCOMPARE(page[4].text, QStringLiteral("1"));
        QCOMPARE(page[4].x, 122);                // 121.8
        QCOMPARE(page[5].x, 244);
        QCOMPARE(page[6].x, 365);
    }

    void sixtyItemsEndWithAPageOfHeadingsOnly()
    {
        RecordingPrintSurface s;
        s.height = 15000;  // room for 60 rows at a 60th of the page
        printList(s, 60);
        QCOMPARE(s.pages, 2);
        const QList<RowAt> r = rows(s);
        QCOMPARE(r.size(), 60);
        for (int k = 1; k <= 60; ++k) {
            QCOMPARE(r[k - 1].ordinal, k);
            QCOMPARE(r[k - 1].page, 0);
            QCOMPARE(r[k - 1].y, 200 + (k - 1) * 250);
        }
        QCOMPARE(s.onPage(1).size(), 3);
        verifyColumnHeadings(s, 1, 0, percentOfWidth(s.width, 25));
        QVERIFY(s.ended);
    }

    void sixtyFirstItemStartsPageTwo()
    {
        RecordingPrintSurface s;
        printList(s, 61);
        QCOMPARE(s.pages, 2);
        const QList<DrawnText> page2 = s.onPage(1);
        QCOMPARE(page2.size(), 6);
        verifyColumnHeadings(s, 1, 0, percentOfWidth(s.width, 25));
        QCOMPARE(page2[3].text, QStringLiteral("61"));
        QCOMPARE(page2[4].text, QStringLiteral("305  "));
        QCOMPARE(page2[5].text, QStringLiteral(" Project number 61"));
        for (int i = 3; i < 6; ++i)
            QCOMPARE(page2[i].y, 100);
        QCOMPARE(page2[3].x, percentOfWidth(s.width, 5));
        QCOMPARE(page2[4].x, percentOfWidth(s.width, 10));
        QCOMPARE(page2[5].x, percentOfWidth(s.width, 15));
        QCOMPARE(page2[5].pointSize, 8);
    }

    void ordinalsCountTheViewNotTheProjectNumbers()
    {
        RecordingPrintSurface s;
        printList(s, 3);
        const QList<DrawnText> page = s.onPage(0);
        QCOMPARE(page.size(), 4 + 9);
        const QStringList expected = {"1", "005  ", " Project number 1", "2", "010  ", " Project number 2",
                                      "3", "015  ", " Project number 3"};
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(page[4 + i].text, expected[i]);
    }

    void lastPageOnlyPrintsTheRowsAFullPrintEndsWith()
    {
        PrintOptions lastPage;
        lastPage.lastPageOnly = true;

        RecordingPrintSurface s61;
        printList(s61, 61, lastPage);
        QCOMPARE(s61.pages, 1);
        QCOMPARE(s61.drawn.size(), 4 + 3);
        QCOMPARE(s61.drawn[0].text, listHeading(noon));
        verifyColumnHeadings(s61, 0, 100, percentOfWidth(s61.width, 25));
        QCOMPARE(s61.drawn[4].text, QStringLiteral("61"));
        QCOMPARE(s61.drawn[4].y, 200);
        QCOMPARE(s61.drawn[5].text, QStringLiteral("305  "));

        RecordingPrintSurface s59, full59;
        printList(s59, 59, lastPage);
        printList(full59, 59);
        QCOMPARE(s59.drawn.size(), 4 + 59 * 3);
        for (int i = 0; i < s59.drawn.size(); ++i) {
            QCOMPARE(s59.drawn[i].text, full59.drawn[i].text);
            QCOMPARE(s59.drawn[i].y, full59.drawn[i].y);
        }

        RecordingPrintSurface s120;
        printList(s120, 120, lastPage);
        QCOMPARE(s120.pages, 1);
        QCOMPARE(s120.drawn.size(), 4);
        QVERIFY(s120.ended);
    }

    void rightJustifiedDescriptionsEndAtMidPage()
    {
        PrintOptions right;
        right.rightJustify = true;
        RecordingPrintSurface s;
        printList(s, 61, right);
        verifyColumnHeadings(s, 0, 100, percentOfWidth(s.width, 45));
        verifyColumnHeadings(s, 1, 0, percentOfWidth(s.width, 45));
        const DrawnText* d = s.find(QStringLiteral(" Project number 7"));
        QVERIFY(d);
        QCOMPARE(d->x, percentOfWidth(s.width, 50) - int(d->text.size()) * s.characterWidth);

        // Wider than half the page: starts left of the printable area.
        RecordingPrintSurface wide;
        wide.characterWidth = 100;
        printList(wide, 1, right);
        const DrawnText* w = wide.find(QStringLiteral(" Project number 1"));
        QVERIFY(w);
        QCOMPARE(w->x, 1200 - 17 * 100);
        QVERIFY(w->x < 0);
    }

    void headingDateAloneAtMidnight()
    {
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QDateTime midnight(QDate(2024, 3, 9), QTime(0, 0), Qt::UTC);
        QCOMPARE(listHeading(midnight, us), QStringLiteral("ARDLOW PROJECT LIST: ") + us.toString(midnight.date(), QLocale::ShortFormat));
        QVERIFY(listHeading(midnight, us).endsWith(QLatin1String("24")));
        const QString oneSecondLater = listHeading(midnight.addSecs(1), us);
        QVERIFY2(oneSecondLater.startsWith(listHeading(midnight, us) + QLatin1Char(' ')), qPrintable(oneSecondLater));
        QVERIFY2(oneSecondLater.contains(QLatin1String("12:00:01")), qPrintable(oneSecondLater));
        // A millisecond past midnight is not exactly midnight.
        QVERIFY(listHeading(midnight.addMSecs(1), us) != listHeading(midnight, us));

        // The printed heading takes its time from the clock it is given.
        RecordingPrintSurface s;
        const QDateTime localMidnight(QDate(2031, 12, 31), QTime(0, 0));
        printList(s, 2, {}, localMidnight);
        QCOMPARE(s.drawn.first().text, QStringLiteral("ARDLOW PROJECT LIST: ")
                     + QLocale::system().toString(localMidnight.date(), QLocale::ShortFormat));
    }

    void spacingDividesThePageHeight_data()
    {
        QTest::addColumn<int>("spacing");
        QTest::addColumn<int>("firstPageAdvance");
        QTest::addColumn<int>("laterPageAdvance");
        // Page 15000 high, rows 40 high.
        QTest::newRow("300") << 300 << 50 << 50;
        QTest::newRow("60") << 60 << 250 << 250;
        // A whole page per row would put every row but the first off the
        // page: the advance shrinks to what fits.
        QTest::newRow("1") << 1 << (15000 - 40 - 200) / 59 << (15000 - 40 - 100) / 59;
    }
    void spacingDividesThePageHeight()
    {
        QFETCH(int, spacing);
        QFETCH(int, firstPageAdvance);
        QFETCH(int, laterPageAdvance);
        PrintOptions options;
        options.spacing = spacing;
        RecordingPrintSurface s;
        s.height = 15000;
        printList(s, 130, options);
        QCOMPARE(s.pages, 3);
        const QList<RowAt> r = rows(s);
        QCOMPARE(r.size(), 130);
        QCOMPARE(r[0].y, 200);
        QCOMPARE(r[1].y - r[0].y, firstPageAdvance);
        QCOMPARE(r[59].y, 200 + 59 * firstPageAdvance);
        QCOMPARE(r[60].page, 1);
        QCOMPARE(r[60].y, 100);
        QCOMPARE(r[61].y - r[60].y, laterPageAdvance);
        QCOMPARE(r[120].page, 2);
        QCOMPARE(r[129].y, 100 + 9 * laterPageAdvance);
    }

    void noRowFallsOffThePage_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("spacing");
        for (int height : {3400, 3507, 9000, 15000})
            for (int spacing : {1, 2, 7, 30, 59, 60, 61, 120, 300})
                QTest::addRow("h%d s%d", height, spacing) << height << spacing;
    }
    void noRowFallsOffThePage()
    {
        QFETCH(int, height);
        QFETCH(int, spacing);
        PrintOptions options;
        options.spacing = spacing;
        RecordingPrintSurface s;
        s.height = height;
        printList(s, 150, options);
        QCOMPARE(s.pages, 3);
        const QList<RowAt> r = rows(s);
        QCOMPARE(r.size(), 150);
        for (int i = 0; i < r.size(); ++i) {
            QCOMPARE(r[i].page, i / 60);  // page breaks go by count alone
            QVERIFY2(r[i].y + s.lineHeight <= height, qPrintable(QString::number(i + 1)));
        }
        // Each page keeps the described advance unless it does not fit, and
        // then shrinks no more than needed.
        for (int first : {0, 60}) {
            const int advance = r[first + 1].y - r[first].y;
            const int top = r[first].y;
            QVERIFY(advance <= height / spacing);
            QVERIFY(advance == height / spacing || top + 59 * (advance + 1) + s.lineHeight > height);
            for (int i = first + 1; i < first + 60; ++i)
                QCOMPARE(r[i].y - r[i - 1].y, advance);
        }
    }

    void listFontAndHeadingFontKeepTheChosenStyle()
    {
        PrintOptions options;
        options.font = QFont(QStringLiteral("DejaVu Sans"), 11);
        options.font.setBold(true);
        RecordingPrintSurface s;
        printList(s, 1, options);
        QCOMPARE(s.drawn[0].family, QStringLiteral("Times new roman"));
        QCOMPARE(s.drawn[0].pointSize, 14);
        QVERIFY(s.drawn[0].bold);
        for (int i = 1; i < s.drawn.size(); ++i) {
            QCOMPARE(s.drawn[i].family, QStringLiteral("DejaVu Sans"));
            QCOMPARE(s.drawn[i].pointSize, 8);
            QVERIFY(s.drawn[i].bold);
        }
    }

    void failureAfterBeginAbandonsTheDocument()
    {
        RecordingPrintSurface s;
        s.failAtNewPage = 1;
        QVERIFY_THROWS_EXCEPTION(QuindleError, printList(s, 61));
        QVERIFY(s.abandoned);
        QVERIFY(!s.ended);

        RecordingPrintSurface unreachable;
        unreachable.failAtBegin = true;
        QVERIFY_THROWS_EXCEPTION(QuindleError, printList(unreachable, 5));
        QVERIFY(unreachable.drawn.isEmpty());
        QVERIFY(!unreachable.ended);
    }

    void abortedJobStopsAtOnce()
    {
        RecordingPrintSurface s;
        s.abortedAfterTexts = 4 + 3 * 2 + 1;  // in the middle of the third row
        QCOMPARE(printList(s, 10), PrintOutcome::Aborted);
        QCOMPARE(s.drawn.size(), 11);
        QVERIFY(!s.ended);
    }
};

QTEST_MAIN(TestPrintLayout)
#include "test_printlayout.moc"
