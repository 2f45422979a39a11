// The print preview: Qt's preview dialog shows the very pages Print sends
// (one layout, two surfaces), and prints them from the preview.
#include "app/listprinter.h"
#include "app/printcommands.h"
#include "app/tvantorel.h"
#include "pdftext.h"
#include "printingdialogs.h"
#include "testenvironment.h"
#include "testlists.h"
#include "widgetlookup.h"

#include <QtTest>

class TestPrintPreview : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // No print system answers here: the only printers are the ones a test chooses.
        qputenv("CUPS_SERVER", "/nonexistent/quindle-test/cups.sock");
    }

    void previewShowsThePagesPrintSends_data();
    void previewShowsThePagesPrintSends();
    void previewWaitsForAListLikePrint();
};

void TestPrintPreview::previewShowsThePagesPrintSends_data()
{
    QTest::addColumn<bool>("lastPageOnly");
    QTest::addColumn<bool>("rightJustify");
    QTest::addColumn<int>("pages");
    QTest::newRow("whole list") << false << false << 3;
    QTest::newRow("last page, right-justified") << true << true << 1;
}

// 130 projects through both surfaces: the texts of the preview's pages, as
// it paints them, are those of the printed PDF, page by page, line by line;
// and a print from the preview sends those pages again.
void TestPrintPreview::previewShowsThePagesPrintSends()
{
    QFETCH(bool, lastPageOnly);
    QFETCH(bool, rightJustify);
    QFETCH(int, pages);
    if (!popplerToolsAvailable())
        QSKIP("pdftotext and pdfinfo (poppler-utils) are not installed");
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"),
                  TestEnvironment::listBytes(numberedProjects(130, QStringLiteral("Project number %2 \xe9t\xe9"))));
    PrintingDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->startDelay()->stop();
    const QDateTime when(QDate(2024, 3, 9), QTime(14, 5, 6));
    w->printing().setClock([when] { return when; });
    named<QCheckBox>(&*w, "LastPage")->setChecked(lastPageOnly);
    named<RadioGroup>(&*w, "Just")->setItemIndex(rightJustify ? 1 : 0);

    const QString printed = env.path(QStringLiteral("printed.pdf"));
    dialogs.printAnswers = {true};
    dialogs.choosePrinter = printToPdfFile(printed);
    QVERIFY(triggerAction(&*w, "Print1"));

    const QString fromPreview = env.path(QStringLiteral("from-preview.pdf"));
    dialogs.printFromPreview = true;
    dialogs.choosePrinter = printToPdfFile(fromPreview);
    QVERIFY(triggerAction(&*w, "PrintPreview1"));
    QVERIFY2(dialogs.messages().isEmpty(), qPrintable(dialogs.messages().join(QLatin1Char('|'))));

    QCOMPARE(pdfPageCount(printed), pages);
    QCOMPARE(dialogs.previewPageCounts, QList<int>{pages});
    QCOMPARE(dialogs.previewedPages.size(), pages);
    QCOMPARE(pdfPageCount(fromPreview), pages);
    const QList<PdfWord> onPaper = pdfWords(printed);
    const QList<PdfWord> again = pdfWords(fromPreview);
    for (int page = 0; page < pages; ++page) {
        const QStringList lines = pdfPageLines(onPaper, page);
        QVERIFY(!lines.isEmpty());
        QCOMPARE(dialogs.previewedPages[page], lines);
        QCOMPARE(pdfPageLines(again, page), lines);
    }
    QCOMPARE(pdfPageLines(onPaper, 0).first(), listHeading(when).simplified());
    QVERIFY(pdfPageLines(onPaper, pages - 1).contains(QStringLiteral("130 130 Project number 130 \u00e9t\u00e9")));
}

// Like Print, the preview waits for a list with at least one line.
void TestPrintPreview::previewWaitsForAListLikePrint()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), QByteArray());
    PrintingDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QVERIFY(!named<QAction>(&*w, "PrintPreview1")->isEnabled());
    env.writeFile(QStringLiteral("one.txt"), TestEnvironment::listBytes(numberedProjects(1)));
    w->openListFile(env.path(QStringLiteral("one.txt")));
    QVERIFY(named<QAction>(&*w, "PrintPreview1")->isEnabled());
    const QList<QAction*> file = named<QMenu>(&*w, "File1")->actions();
    QCOMPARE(file.indexOf(named<QAction>(&*w, "PrintPreview1")) + 1, file.indexOf(named<QAction>(&*w, "Print1")));
}

QTEST_MAIN(TestPrintPreview)
#include "test_printpreview.moc"
