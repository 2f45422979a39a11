// Printing from the main window: the print and printer setup commands, the
// options on the "Printer" tab, real PDF output and the failure message.
#include "app/listprinter.h"
#include "testlists.h"
#include "pdftext.h"
#include "printingdialogs.h"
#include "app/projectlistmodel.h"
#include "recordingprintsurface.h"
#include "testenvironment.h"
#include "common/radiogroup.h"
#include "app/printcommands.h"
#include "app/tvantorel.h"
#include "common/updown.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QString failureMessage = QStringLiteral(
    "There was an error attempting to print the project list\rPlease check Network printer");

struct PrintSetup {
    TestEnvironment env;
    PrintingDialogs dialogs;
    std::unique_ptr<TVantorel> window;
    std::shared_ptr<RecordingPrintSurface> surface;

    explicit PrintSetup(int items)
    {
        env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(items, QStringLiteral("Project number %2"), 5, 5)));
        window = startMainWindow(dialogs);
        window->startDelay()->stop();
        dialogs.clear();
    }
    // Jobs go to a recording surface instead of the printer.
    void record()
    {
        surface = std::make_shared<RecordingPrintSurface>();
        window->printing().setSurfaceFactory([this](QPrinter&) { return surface; });
    }
    template <typename T>
    T* find(const char* name) const
    {
        T* found = window->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no %s in the main window", name);
        return found;
    }
    QAction* action(const char* name) const { return find<QAction>(name); }
    UpDown* spacing() const { return find<UpDown>("Vspace"); }
    RadioGroup* justify() const { return find<RadioGroup>("Just"); }
    QCheckBox* lastPage() const { return find<QCheckBox>("LastPage"); }
};

QList<int> rowTops(const RecordingPrintSurface& s)
{
    QList<int> tops;
    for (const DrawnText& d : s.drawn)
        if (d.x == percentOfWidth(s.width, 5) && d.family != QLatin1String("Times new roman"))
            tops << d.y;
    return tops;
}

} // namespace

class TestPrintWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // No print system answers here: the only printers are the ones a test
        // chooses, whatever queues the machine has.
        qputenv("CUPS_SERVER", "/nonexistent/quindle-test/cups.sock");
    }

    void cancelledDialogPrintsNothing()
    {
        PrintSetup t(5);
        t.record();
        t.action("printerBtn")->trigger();
        QCOMPARE(t.dialogs.texts(), QStringList{QString()});
        QCOMPARE(t.dialogs.shown.first().kind, QStringLiteral("print"));
        QVERIFY(!t.surface->begun);
    }

    void optionsOfThePrinterTabReachThePrint()
    {
        PrintSetup t(61);
        t.record();
        t.dialogs.printAnswers = {true, true};
        t.spacing()->setPosition(300);
        t.justify()->setItemIndex(-1);  // nothing chosen prints "Right"
        QFont chosen(QStringLiteral("DejaVu Serif"), 12);
        chosen.setItalic(true);
        t.dialogs.fonts = {chosen};
        t.window->Font1Click();
        // An edit in place reaches the print: the rows come from the view.
        t.window->listModel()->setCaption(0, "999  ");

        t.window->Print1Click();
        const RecordingPrintSurface& s = *t.surface;
        QVERIFY(s.ended);
        QCOMPARE(s.pages, 2);
        const QList<int> tops = rowTops(s);
        QCOMPARE(tops.size(), 61);
        QCOMPARE(tops[1] - tops[0], s.height / 300);
        QVERIFY(s.find(QStringLiteral("999  "), 0));
        QCOMPARE(s.find(QStringLiteral("Name"), 0)->x, percentOfWidth(s.width, 45));
        const DrawnText* description = s.find(QStringLiteral(" Project number 2"));
        QCOMPARE(description->x, percentOfWidth(s.width, 50) - int(description->text.size()) * s.characterWidth);
        QCOMPARE(description->family, QStringLiteral("DejaVu Serif"));
        QCOMPARE(description->pointSize, 8);

        // "Left" and "Only print Last Page", read again at the next print.
        t.justify()->setItemIndex(0);
        t.lastPage()->setChecked(true);
        t.record();
        t.action("Print1")->trigger();
        const RecordingPrintSurface& last = *t.surface;
        QCOMPARE(last.pages, 1);
        QCOMPARE(rowTops(last), QList<int>{200});
        QCOMPARE(last.find(QStringLiteral("61"))->y, 200);
        QCOMPARE(last.find(QStringLiteral(" Project number 61"))->x, percentOfWidth(last.width, 15));
        QVERIFY(t.dialogs.messages().isEmpty());
    }

    void spacingTypedIntoItsEditBoxCounts()
    {
        PrintSetup t(61);
        t.record();
        t.dialogs.printAnswers = {true};
        QLineEdit* edit = t.find<QLineEdit>("Spacing");
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("120"));
        QCOMPARE(t.spacing()->position(), 120);
        t.window->Print1Click();
        const QList<int> tops = rowTops(*t.surface);
        QCOMPARE(tops[1] - tops[0], t.surface->height / 120);
    }

    void printsARealPdf()
    {
        if (!popplerToolsAvailable())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are not installed");
        PrintSetup t(61);
        const QString pdf = t.env.path(QStringLiteral("list.pdf"));
        t.dialogs.printAnswers = {true};
        t.dialogs.choosePrinter = printToPdfFile(pdf);
        const QDateTime when(QDate(2024, 3, 9), QTime(14, 5, 6));
        t.window->printing().setClock([when] { return when; });

        t.action("Print1")->trigger();
        QVERIFY2(t.dialogs.messages().isEmpty(), qPrintable(t.dialogs.messages().join(QLatin1Char('|'))));
        QCOMPARE(pdfPageCount(pdf), 2);

        const QList<PdfWord> words = pdfWords(pdf);
        QStringList first = pdfPageLines(words, 0);
        QCOMPARE(first.size(), 62);
        QCOMPARE(first[0], listHeading(when).simplified());
        QCOMPARE(first[1], QStringLiteral("Number Proj Name"));
        for (int k = 1; k <= 60; ++k)
            QCOMPARE(first[k + 1], QStringLiteral("%1 %2 Project number %1").arg(k).arg(k * 5, 3, 10, QLatin1Char('0')));
        QCOMPARE(pdfPageLines(words, 1), (QStringList{QStringLiteral("Number Proj Name"),
                                                      QStringLiteral("61 305 Project number 61")}));

        // Device pixels from the printable area's corner, in points on the page.
        const QRectF area = t.window->printing().printer().pageLayout().paintRectPoints();
        const double pointsPerPixel = 72.0 / t.window->printing().printer().resolution();
        const int width = t.window->printing().printer().width();
        const auto at = [&](const QString& text, int page) {
            for (const PdfWord& w : words)
                if (w.text == text && w.page == page)
                    return w;
            return PdfWord{};
        };
        const PdfWord number = at(QStringLiteral("Number"), 1);
        const PdfWord row61 = at(QStringLiteral("61"), 1);
        QVERIFY(qAbs(number.xMin - (area.left() + percentOfWidth(width, 4) * pointsPerPixel)) < 1.0);
        QVERIFY(qAbs(number.yMin - area.top()) < 2.0);
        QVERIFY(qAbs(row61.xMin - (area.left() + percentOfWidth(width, 5) * pointsPerPixel)) < 1.0);
        QVERIFY2(qAbs(row61.yMin - (area.top() + 100 * pointsPerPixel)) < 2.0, qPrintable(QString::number(row61.yMin)));
        const PdfWord heading = at(QStringLiteral("ARDLOW"), 0);
        QVERIFY(qAbs(heading.xMin - (area.left() + 100 * pointsPerPixel)) < 1.0);
        // Every row stays on its page.
        for (const PdfWord& w : words)
            QVERIFY(w.yMax <= area.bottom() + 1.0);
    }

    void rightJustifiedDescriptionsEndAtMidPageOnPaper()
    {
        if (!popplerToolsAvailable())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are not installed");
        PrintSetup t(4);
        const QString pdf = t.env.path(QStringLiteral("right.pdf"));
        t.dialogs.printAnswers = {true};
        t.dialogs.choosePrinter = printToPdfFile(pdf);
        t.justify()->setItemIndex(1);
        t.window->Print1Click();
        QVERIFY(t.dialogs.messages().isEmpty());

        const QRectF area = t.window->printing().printer().pageLayout().paintRectPoints();
        const double middle = area.left() + percentOfWidth(t.window->printing().printer().width(), 50) * 72.0
                / t.window->printing().printer().resolution();
        int descriptions = 0;
        const QList<PdfWord> words = pdfWords(pdf);
        for (int i = 0; i + 1 < words.size(); ++i) {
            if (words[i].text != QLatin1String("number"))
                continue;
            // The description's last word ends where the measured width says.
            QVERIFY2(qAbs(words[i + 1].xMax - middle) < 1.5, qPrintable(QString::number(words[i + 1].xMax - middle)));
            ++descriptions;
        }
        QCOMPARE(descriptions, 4);
    }

    void failureShowsTheMessage()
    {
        PrintSetup t(3);
        t.dialogs.printAnswers = {true};
        const QString unwritable = t.env.path(QStringLiteral("no-such-folder/list.pdf"));
        t.dialogs.choosePrinter = printToPdfFile(unwritable);
        t.window->Print1Click();
        QCOMPARE(t.dialogs.messages(), QStringList{failureMessage});
        QVERIFY(t.dialogs.errors().isEmpty());
        QVERIFY(!QFile::exists(unwritable));

        // No printer at all and no file chosen.
        PrintSetup none(3);
        none.dialogs.printAnswers = {true};
        none.window->Print1Click();
        QCOMPARE(none.dialogs.messages(), QStringList{failureMessage});
    }

    void failureAfterBeginAbandonsTheJob()
    {
        PrintSetup t(61);
        t.record();
        t.surface->failAtNewPage = 1;
        t.dialogs.printAnswers = {true};
        t.window->Print1Click();
        QCOMPARE(t.dialogs.messages(), QStringList{failureMessage});
        QVERIFY(t.surface->abandoned);
        QVERIFY(!t.surface->ended);
    }

    void abortedJobSaysSo()
    {
        PrintSetup t(10);
        t.record();
        t.surface->abortedAfterTexts = 6;
        t.dialogs.printAnswers = {true};
        t.window->Print1Click();
        QCOMPARE(t.dialogs.messages(), QStringList{QStringLiteral("Print aborted")});
        QVERIFY(!t.surface->ended);
    }

    void printerSetupAndPrintShareOnePrinter()
    {
        if (!popplerToolsAvailable())
            QSKIP("pdfinfo (poppler-utils) is not installed");
        PrintSetup t(3);
        t.dialogs.printerSetupAnswers = {true, false};
        t.dialogs.setUpPrinter = [](QPrinter& printer) { printer.setPageOrientation(QPageLayout::Landscape); };
        t.action("PrinterSetup1")->trigger();
        t.find<QPushButton>("PrintSetup")->click();
        QCOMPARE(t.dialogs.setupPrinters.size(), 2);

        const QString pdf = t.env.path(QStringLiteral("landscape.pdf"));
        t.dialogs.printAnswers = {true};
        t.dialogs.choosePrinter = printToPdfFile(pdf);
        t.window->Print1Click();
        QCOMPARE(t.dialogs.printDialogPrinters.size(), 1);
        QCOMPARE(t.dialogs.printDialogPrinters[0], &t.window->printing().printer());
        QCOMPARE(t.dialogs.setupPrinters[0], &t.window->printing().printer());
        QCOMPARE(t.dialogs.setupPrinters[1], &t.window->printing().printer());
        // The setup chosen earlier holds for the job.
        const QSizeF page = pdfPageSize(pdf);
        QVERIFY2(page.width() > page.height(), qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
        QVERIFY(t.dialogs.messages().isEmpty());
    }
};

QTEST_MAIN(TestPrintWindow)
#include "test_printwindow.moc"
