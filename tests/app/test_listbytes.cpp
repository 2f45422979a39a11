// Lines keep their bytes on the real main window: a NUL shows as a visible
// mark, is searched and printed like any other character, and Finish writes
// it back; a line in an 8-bit code page is shown and edited without losing a
// byte; a UTF-16 or UTF-32 list is refused and never written, at start-up,
// by the repair, by Finish and by Load.
#include "app/finddialog.h"
#include "printingdialogs.h"
#include "app/projectlistmodel.h"
#include "app/settingsstore.h"
#include "app/printcommands.h"
#include "app/tvantorel.h"
#include "document/projectlistdocument.h"
#include "common/displaytext.h"
#include "recordingprintsurface.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "widgetlookup.h"
#include "wizard/wizardcontroller.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QString listName = QStringLiteral("Projects.txt");
const QChar nulMark(u'\u2400');

QByteArray crlfLines(const QList<QByteArray>& lines)
{
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// Searches the descriptions for text through the find dialog; the row found
// or -1, from the status bar.
int searchText(TVantorel& w, const QString& text)
{
    triggerAction(&w, "Text1");
    auto* find = w.findChild<TFindDialog*>(QStringLiteral("FindDialog1"));
    find->findTextBox()->setText(text);
    find->findNextButton()->click();
    const bool found = !find->isVisible();
    find->hide();
    return found ? w.statusPanel(3)->text().toInt() : -1;
}

// Opens page 4 on a project, types a new description, applies and finishes.
void editAndFinish(TVantorel& w, int number, const std::function<QString(const QString&)>& edit)
{
    w.wizardPages().ShowWizard(mdEdit, 4, number);
    auto* description = named<QLineEdit>(&w, "PrjDiscription");
    description->setText(edit(description->text()));
    named<QPushButton>(&w, "UtilBtn")->click();
    named<QPushButton>(&w, "Next4")->click();
}

} // namespace

class TestListBytes : public QObject {
    Q_OBJECT
private slots:
    void everyByteShowsAndStoresBackInItsLineCoding();
    void aRefilledViewShowsEachRowInItsNewLinesCoding();
    void nulLineRoundTrip();
    void eightBitLineEditedKeepsItsOtherBytes();
    void utf8LineStaysUtf8();
    void wideTextIsRefusedAndNeverWritten_data();
    void wideTextIsRefusedAndNeverWritten();
    void loadingWideTextKeepsTheListShown();
    void utf8MarkBelongsToTheFileNotToLineOne();
};

void TestListBytes::everyByteShowsAndStoresBackInItsLineCoding()
{
    // Every byte value in an 8-bit line: one character each, back to the same byte.
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all += char(byte);
    const LineCoding eightBit = lineCoding(all);
    QVERIFY(eightBit.eightBit);
    QVERIFY(eightBit.holdsNul);
    const QString shown = displayText(all, eightBit);
    QCOMPARE(shown.size(), 256);
    QCOMPARE(shown.at(0), nulMark);
    QCOMPARE(shown.at(0x80), QChar(u'\u20AC'));
    QCOMPARE(shown.at(0x81), QChar(u'\u0081'));
    QCOMPARE(shown.at(0xE9), QChar(u'\u00E9'));
    QCOMPARE(storedBytes(shown, eightBit), all);

    // A UTF-8 line with a NUL: the NUL shows as the mark and stores back as a
    // NUL; a mark typed into a line without NULs stays a mark.
    const std::string withNul("Cr\xC3\xA8me \0 br\xC3\xBBl\xC3\xA9" "e", 17);
    const LineCoding utf8 = lineCoding(withNul);
    QVERIFY(!utf8.eightBit);
    QCOMPARE(displayText(withNul, utf8), QStringLiteral("Cr\u00E8me \u2400 br\u00FBl\u00E9e"));
    QCOMPARE(storedBytes(displayText(withNul, utf8), utf8), withNul);
    QCOMPARE(storedBytes(QStringLiteral("a\u2400"), lineCoding("plain")), std::string("a\xE2\x90\x80"));
    // Both a NUL and a mark in one line: shown byte by byte, so the two stay apart.
    const std::string both("\xE2\x90\x80\0", 4);
    QVERIFY(lineCoding(both).eightBit);
    QCOMPARE(storedBytes(displayText(both, lineCoding(both)), lineCoding(both)), both);

    // Not UTF-8: overlong forms, surrogates, code points past U+10FFFF, cut sequences.
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\x80"})
        QVERIFY2(lineCoding(bad).eightBit, bad);
    for (const char* good : {"", "plain", "\xEF\xBB\xBF" "001", "\xF4\x8F\xBF\xBF", "\xE2\x82\xAC"})
        QVERIFY2(!lineCoding(good).eightBit, good);
    // A byte-order mark at the start of a line is one of its characters.
    QCOMPARE(displayText("\xEF\xBB\xBF" "001", {}), QStringLiteral("\uFEFF001"));
}

void TestListBytes::aRefilledViewShowsEachRowInItsNewLinesCoding()
{
    // A row's coding is decided when it is first shown; a refill with other
    // lines must not show them in the codings of the lines before.
    ProjectListModel model;
    model.fill(LineList{"001     Caf\xE9", std::string("002     Be\0ta", 13)});
    QCOMPARE(model.descriptionText(0), QStringLiteral(" Caf\u00E9"));
    QCOMPARE(model.descriptionText(1), QStringLiteral(" Be\u2400ta"));
    model.fill(LineList{"001     Zo\xC3\xAB", "002     Plain \xE2\x90\x80"});
    QCOMPARE(model.descriptionText(0), QStringLiteral(" Zo\u00EB"));
    QCOMPARE(model.descriptionText(1), QStringLiteral(" Plain \u2400"));
    // An edit in place stores back in the row's own coding.
    QVERIFY(model.setData(model.index(1, 0), QStringLiteral("\u2400\u00E902"), Qt::EditRole));
    QCOMPARE(model.caption(1), std::string_view("\xE2\x90\x80\xC3\xA9" "02"));
}

void TestListBytes::nulLineRoundTrip()
{
    TestEnvironment env;
    const QByteArray nulLine("002     Be\0ta", 13);
    env.writeFile(listName, crlfLines({"001     Alpha", nulLine, "003     Gamma"}));
    PrintingDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->startDelay()->stop();
    QVERIFY(dialogs.shown.isEmpty());
    const ProjectListModel* model = w->listModel();
    QCOMPARE(model->count(), 3);
    QCOMPARE(w->statusPanel(1)->text(), QStringLiteral("3"));
    QCOMPARE(model->descriptionText(1), QStringLiteral(" Be\u2400ta"));
    QCOMPARE(model->data(model->index(1, 1), Qt::DisplayRole).toString(), QStringLiteral(" Be\u2400ta"));

    // Text search reads past the NUL, and the mark as typed finds it.
    QCOMPARE(searchText(*w, QStringLiteral("TA")), 1);
    QCOMPARE(w->statusPanel(2)->text(), QStringLiteral("002  "));
    QCOMPARE(w->statusPanel(4)->text(), QStringLiteral(" Be\u2400ta"));
    QCOMPARE(searchText(*w, QStringLiteral("e\u2400t")), 1);
    QVERIFY(dialogs.messages().isEmpty());

    // The print shows the mark where the NUL is, and the lines after it.
    auto surface = std::make_shared<RecordingPrintSurface>();
    w->printing().setSurfaceFactory([surface](QPrinter&) { return surface; });
    dialogs.printAnswers = {true};
    w->Print1Click();
    QVERIFY(surface->ended);
    QVERIFY(surface->find(QStringLiteral(" Be\u2400ta")));
    QVERIFY(surface->find(QStringLiteral(" Gamma")));

    // Another line edited: the NUL line is written back byte for byte.
    editAndFinish(*w, 3, [](const QString&) { return QStringLiteral("Delta"); });
    QCOMPARE(env.readFile(listName), crlfLines({"001     Alpha", nulLine, "003     Delta"}));
    QCOMPARE(w->listModel()->count(), 3);

    // The NUL line itself edited: page 4 shows the mark and the NUL stays.
    QString shownOnPage4;
    editAndFinish(*w, 2, [&](const QString& shown) {
        shownOnPage4 = shown;
        return shown + QStringLiteral("s");
    });
    QCOMPARE(shownOnPage4, QStringLiteral("Be\u2400ta"));
    QCOMPARE(env.readFile(listName), crlfLines({"001     Alpha", QByteArray("002     Be\0tas", 14), "003     Delta"}));
    QVERIFY(dialogs.errors().isEmpty());
}

void TestListBytes::eightBitLineEditedKeepsItsOtherBytes()
{
    TestEnvironment env;
    const QByteArray cafe = "001     Caf\xE9 cr\xE8me";
    const QByteArray unassigned = "002     \x81\x8D\x8F\x90\x9D \x80 \x93quoted\x94";
    env.writeFile(listName, crlfLines({cafe, unassigned, "003     Plain"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QCOMPARE(w->listModel()->descriptionText(0), QStringLiteral(" Caf\u00E9 cr\u00E8me"));
    QCOMPARE(w->listModel()->descriptionText(1), QStringLiteral(" \u0081\u008D\u008F\u0090\u009D \u20AC \u201Cquoted\u201D"));
    // Found as shown: the text typed is searched for in the line's own bytes.
    QCOMPARE(searchText(*w, QStringLiteral("cr\u00E8me")), 0);
    QCOMPARE(searchText(*w, QStringLiteral("\u20AC \u201Cquoted")), 1);

    // Typed characters the code page has are stored in it; one it lacks as UTF-8.
    QString shownOnPage4;
    editAndFinish(*w, 1, [&](const QString& shown) {
        shownOnPage4 = shown;
        return shown + QStringLiteral(" br\u00FBl\u00E9e \u65E5");
    });
    QCOMPARE(shownOnPage4, QStringLiteral("Caf\u00E9 cr\u00E8me"));
    QCOMPARE(env.readFile(listName),
             crlfLines({cafe + " br\xFBl\xE9" "e \xE6\x97\xA5", unassigned, "003     Plain"}));

    // The unassigned bytes come back as they were.
    editAndFinish(*w, 2, [](const QString& shown) { return shown + QStringLiteral(" ok"); });
    QCOMPARE(env.readFile(listName),
             crlfLines({cafe + " br\xFBl\xE9" "e \xE6\x97\xA5", unassigned + " ok", "003     Plain"}));

    // A caption edited in place is stored in its line's coding too.
    w->listModel()->setData(w->listModel()->index(1, 0), QStringLiteral("\u00E9\u20AC"), Qt::EditRole);
    QCOMPARE(w->listModel()->caption(1), std::string_view("\xE9\x80"));
    QCOMPARE(dialogs.texts(), QStringList());
}

void TestListBytes::utf8LineStaysUtf8()
{
    TestEnvironment env;
    env.writeFile(listName, crlfLines({"001     Cr\xC3\xA8me", "002     Caf\xE9"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QCOMPARE(w->listModel()->descriptionText(0), QStringLiteral(" Cr\u00E8me"));
    QCOMPARE(searchText(*w, QStringLiteral("Caf\u00E9")), 1);
    QCOMPARE(searchText(*w, QStringLiteral("cr\u00E8me")), 0);
    editAndFinish(*w, 1, [](const QString& shown) { return shown + QStringLiteral(" br\u00FBl\u00E9e"); });
    QCOMPARE(env.readFile(listName),
             crlfLines({"001     Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e", "002     Caf\xE9"}));
    QVERIFY(dialogs.shown.isEmpty());
}

void TestListBytes::wideTextIsRefusedAndNeverWritten_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoding");
    const QString text = QStringLiteral("001     Alpha\r\n002 Beta\r\n");
    auto wide = [&](const char* mark, QStringConverter::Encoding encoding) {
        return QByteArray(mark, qsizetype(std::strlen(mark) ? std::strlen(mark) : 4)) + QStringEncoder(encoding)(text);
    };
    QTest::newRow("UTF-16LE") << wide("\xFF\xFE", QStringConverter::Utf16LE) << QStringLiteral("UTF-16");
    QTest::newRow("UTF-16BE") << wide("\xFE\xFF", QStringConverter::Utf16BE) << QStringLiteral("UTF-16");
    QTest::newRow("UTF-32LE") << QByteArray("\xFF\xFE\0\0", 4) + QStringEncoder(QStringConverter::Utf32LE)(text)
                              << QStringLiteral("UTF-32");
    QTest::newRow("UTF-32BE") << QByteArray("\0\0\xFE\xFF", 4) + QStringEncoder(QStringConverter::Utf32BE)(text)
                              << QStringLiteral("UTF-32");
    // Without a mark, told by a NUL in every second (or three of four) bytes.
    QTest::newRow("UTF-16LE without mark") << QByteArray(QStringEncoder(QStringConverter::Utf16LE)(text))
                                           << QStringLiteral("UTF-16");
    QTest::newRow("UTF-16BE without mark") << QByteArray(QStringEncoder(QStringConverter::Utf16BE)(text))
                                           << QStringLiteral("UTF-16");
    QTest::newRow("UTF-32LE without mark") << QByteArray(QStringEncoder(QStringConverter::Utf32LE)(text))
                                           << QStringLiteral("UTF-32");
}

void TestListBytes::wideTextIsRefusedAndNeverWritten()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoding);
    TestEnvironment env;
    env.writeFile(listName, bytes);
    // With the start-up repair on, whose Yes once turned such a list into "000     ".
    SettingsStore().writeBool(QStringLiteral("Auto Fix"), true);
    ScriptedDialogs dialogs;
    dialogs.answers = {MessageButton::Yes, MessageButton::Yes, MessageButton::Yes};
    auto w = startMainWindow(dialogs);
    const QString refusal = QStringLiteral("The file Projects.txt is ") + encoding
        + QStringLiteral(" text, not a list this program can edit. It is left as it is.");
    QCOMPARE(dialogs.texts(), QStringList{refusal});
    QCOMPARE(w->listModel()->count(), 0);
    QCOMPARE(env.readFile(listName), bytes);

    dialogs.clear();
    QVERIFY(triggerAction(&*w, "FixErrors1"));
    QCOMPARE(dialogs.texts(), QStringList{refusal});
    QCOMPARE(env.readFile(listName), bytes);

    dialogs.clear();
    editAndFinish(*w, 1, [](const QString&) { return QStringLiteral("Typed anyway"); });
    QCOMPARE(dialogs.errors(), QStringList{refusal});
    QCOMPARE(env.readFile(listName), bytes);
    // The typed change could not be saved, so closing asks about it: No drops it.
    dialogs.clear();
    dialogs.answers = {MessageButton::No};
    QVERIFY(w->close());
    QCOMPARE(env.readFile(listName), bytes);
}

void TestListBytes::loadingWideTextKeepsTheListShown()
{
    TestEnvironment env;
    const QByteArray list = crlfLines({"001     Alpha", "002     Beta"});
    env.writeFile(listName, list);
    env.writeFile(QStringLiteral("Wide.txt"), QByteArray("\xFF\xFE" "0\0" "0\0" "1\0", 8));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    dialogs.fileNames = {QStringLiteral("Wide.txt")};
    QVERIFY(triggerAction(&*w, "Load1"));
    QCOMPARE(dialogs.errors(), QStringList{QStringLiteral(
        "The file Wide.txt is UTF-16 text, not a list this program can edit. It is left as it is.")});
    QCOMPARE(w->listModel()->count(), 2);
    QCOMPARE(w->CurrentListFile(), std::string("Projects.txt"));
    editAndFinish(*w, 2, [](const QString&) { return QStringLiteral("Gamma"); });
    QCOMPARE(env.readFile(listName), crlfLines({"001     Alpha", "002     Gamma"}));
}

// As older editors write it: line 1 is project 001 all the same, the repair
// finds nothing wrong, and Finish keeps the mark where it was.
void TestListBytes::utf8MarkBelongsToTheFileNotToLineOne()
{
    TestEnvironment env;
    env.writeFile(listName, "\xEF\xBB\xBF" + crlfLines({"001     Alpha", "002     Beta"}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(w->listModel()->captionText(0), QStringLiteral("001  "));
    named<QTableView>(&*w, "Projects")->setCurrentIndex(w->listModel()->index(0, 0));
    QCOMPARE(w->SelectedProjectNumber(), 1);
    QVERIFY(triggerAction(&*w, "FixErrors1"));
    QCOMPARE(dialogs.texts(), QStringList {QStringLiteral("There were no Errors")});

    dialogs.clear();
    editAndFinish(*w, 1, [](const QString&) { return QStringLiteral("Gamma"); });
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(env.readFile(listName), "\xEF\xBB\xBF" + crlfLines({"001     Gamma", "002     Beta"}));
    QVERIFY(!w->document().hasUnsavedChanges());
}

QTEST_MAIN(TestListBytes)
#include "test_listbytes.moc"
