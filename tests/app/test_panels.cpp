// The panels over the list and the list they edit: wizard and options pages
// never show together and hide the list beneath them; page 4 always edits the
// list in use (a Load while it is open closes it as Cancel would); the view
// keeps the rows of its last refill, and a caption edited in place is what
// search and print see until the next refill.
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "testlists.h"
#include "widgetlookup.h"
#include "recordingprintsurface.h"

#include "app/listprinter.h"
#include "app/projectlistmodel.h"
#include "app/projectsearch.h"
#include "app/tvantorel.h"
#include "document/projectlistdocument.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

namespace {

QStackedWidget* wizardOf(const TVantorel& w)
{
    return named<QStackedWidget>(&w, "Wizard");
}

QTabWidget* optionsOf(const TVantorel& w)
{
    return named<QTabWidget>(&w, "OptionsTabs");
}

void select(TVantorel& w, int row)
{
    named<QTableView>(&w, "Projects")->setCurrentIndex(w.listModel()->index(row, 0));
}

QStringList descriptionsShown(const TVantorel& w)
{
    QStringList out;
    for (int row = 0; row < w.listModel()->count(); ++row)
        out << w.listModel()->descriptionText(row);
    return out;
}

} // namespace

class TestPanels : public QObject {
    Q_OBJECT
private slots:
    void onlyOnePanelAtATime();
    void panelsHideTheListBeneath_data();
    void panelsHideTheListBeneath();
    void nothingOnAPanelIsCutOff_data();
    void nothingOnAPanelIsCutOff();
    void loadWhilePage4IsOpenClosesTheWizard();
    void repairWhilePage4IsOpenClosesTheWizard();
    void viewKeepsItsRowsUntilFinish();
    void captionEditedInPlaceIsWhatSearchAndPrintSee();
};

void TestPanels::onlyOnePanelAtATime()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(5)));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->show();

    QVERIFY(triggerAction(&*w, "General1"));
    QVERIFY(optionsOf(*w)->isVisible());
    QVERIFY(triggerAction(&*w, "New1"));
    QVERIFY(wizardOf(*w)->isVisible());
    QVERIFY(!optionsOf(*w)->isVisible());
    QVERIFY(triggerAction(&*w, "General1"));
    QVERIFY(optionsOf(*w)->isVisible());
    QVERIFY(!wizardOf(*w)->isVisible());
    select(*w, 1);
    QVERIFY(triggerAction(&*w, "EditBtn"));
    QVERIFY(wizardOf(*w)->isVisible());
    QVERIFY(!optionsOf(*w)->isVisible());
    QVERIFY(dialogs.shown.isEmpty());
}

void TestPanels::panelsHideTheListBeneath_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<bool>("dark");
    QTest::newRow("wizard, light") << "New1" << "Wizard" << false;
    QTest::newRow("wizard, dark") << "New1" << "Wizard" << true;
    QTest::newRow("options, light") << "General1" << "OptionsTabs" << false;
    QTest::newRow("options, dark") << "General1" << "OptionsTabs" << true;
}

// The panel's own top right corner (beside the tabs, above a wizard page) is
// painted in the panel's window colour, not in the colours of the list rows
// beneath it.
void TestPanels::panelsHideTheListBeneath()
{
    QFETCH(QString, command);
    QFETCH(QString, panel);
    QFETCH(bool, dark);
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(300)));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    if (dark) {
        QPalette palette = w->palette();
        palette.setColor(QPalette::Window, QColor(0x20, 0x20, 0x28));
        palette.setColor(QPalette::WindowText, Qt::white);
        palette.setColor(QPalette::Base, QColor(0x30, 0x10, 0x10));
        palette.setColor(QPalette::Text, Qt::white);
        w->setPalette(palette);
    }
    w->show();
    QVERIFY(triggerAction(&*w, command.toLatin1().constData()));
    QWidget* shownPanel = named<QWidget>(&*w, panel.toLatin1().constData());
    QVERIFY(shownPanel->isVisible());
    QVERIFY(shownPanel->autoFillBackground());
    const QImage image = w->grab().toImage();
    const QColor window = shownPanel->palette().color(QPalette::Window);
    QVERIFY(window != named<QTableView>(&*w, "Projects")->palette().color(QPalette::Base));
    const QPoint corner = shownPanel->mapTo(w.get(), QPoint(shownPanel->width() - 2, 1));
    QCOMPARE(image.pixelColor(corner * image.devicePixelRatio()).rgb(), window.rgb());
}

void TestPanels::nothingOnAPanelIsCutOff_data()
{
    QTest::addColumn<int>("pointSize");
    QTest::newRow("design font") << 0;
    QTest::newRow("14 pt") << 14;
}

// Every caption, picture and text box of every page gets at least the room it
// asks for, inside its panel, and the panel stays over the list.
void TestPanels::nothingOnAPanelIsCutOff()
{
    QFETCH(int, pointSize);
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(30)));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    if (pointSize) {
        QFont font = w->font();
        font.setPointSize(pointSize);
        w->setFont(font);
    }
    w->show();
    const QWidget* area = named<QWidget>(&*w, "centralwidget");
    struct Page {
        const char* command;
        const char* panel;
        const char* page;
    };
    for (const Page& p : {Page {"New1", "Wizard", "Page1"}, Page {"New1", "Wizard", "Page2"},
                          Page {"New1", "Wizard", "page3"}, Page {"New1", "Wizard", "Page4"},
                          Page {"General1", "OptionsTabs", "GenTab"}, Page {"General1", "OptionsTabs", "PrinterTab"}}) {
        QVERIFY(triggerAction(&*w, p.command));
        QWidget* panel = named<QWidget>(&*w, p.panel);
        QWidget* page = named<QWidget>(&*w, p.page);
        if (auto* stack = qobject_cast<QStackedWidget*>(panel))
            stack->setCurrentWidget(page);
        else
            qobject_cast<QTabWidget*>(panel)->setCurrentWidget(page);
        QCoreApplication::processEvents();
        QVERIFY(area->rect().contains(QRect(panel->mapTo(area, QPoint()), panel->size())));
        for (QWidget* child : page->findChildren<QWidget*>()) {
            const bool content = qobject_cast<QAbstractButton*>(child) || qobject_cast<QLabel*>(child)
                || qobject_cast<QLineEdit*>(child) || qobject_cast<QPlainTextEdit*>(child);
            if (!content || child->isHidden() || child->objectName().isEmpty())
                continue;
            // What a layout gives at least: the minimum size where one is set,
            // else the minimum size hint.
            const QSize set = child->minimumSize();
            const QSize hint = child->minimumSizeHint();
            const QSize needed(set.width() > 0 ? set.width() : hint.width(), set.height() > 0 ? set.height() : hint.height());
            const QRect placed(child->mapTo(page, QPoint()), child->size());
            const QByteArray where = child->objectName().toLatin1() + " at " + QByteArray::number(placed.x()) + ","
                + QByteArray::number(placed.y()) + " " + QByteArray::number(placed.width()) + "x"
                + QByteArray::number(placed.height()) + " on a page of " + QByteArray::number(page->width()) + "x"
                + QByteArray::number(page->height());
            QVERIFY2(child->width() >= needed.width() && child->height() >= needed.height(), where.constData());
            QVERIFY2(page->rect().contains(placed), where.constData());
        }
    }
}

// A Load while page 4 edits list A: the wizard closes as Cancel would, and
// list B in memory and on disk keeps its own lines.
void TestPanels::loadWhilePage4IsOpenClosesTheWizard()
{
    TestEnvironment env;
    const QByteArray listA = TestEnvironment::listBytes(numberedDescriptions({"Alpha", "Anchor"}));
    const QByteArray listB = TestEnvironment::listBytes(numberedDescriptions({"Bravo", "Bridge"}));
    env.writeFile(QStringLiteral("Projects.txt"), listA);
    env.writeFile(QStringLiteral("B.txt"), listB);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    select(*w, 0);
    QVERIFY(triggerAction(&*w, "EditProject1"));
    QVERIFY(!wizardOf(*w)->isHidden());
    named<QLineEdit>(&*w, "PrjDiscription")->setText(QStringLiteral("Changed in A"));

    dialogs.fileNames << env.path(QStringLiteral("B.txt"));
    QVERIFY(triggerAction(&*w, "Load1"));
    QVERIFY(wizardOf(*w)->isHidden());
    QCOMPARE(QString::fromStdString(w->CurrentListFile()), env.path(QStringLiteral("B.txt")));
    QCOMPARE(linesInMemory(*w), numberedDescriptions({"Bravo", "Bridge"}));

    // Opened again, page 4 names the list in use and counts its projects.
    select(*w, 0);
    QVERIFY(triggerAction(&*w, "EditProject1"));
    QCOMPARE(named<QLabel>(&*w, "Message4")->text(), QStringLiteral("Editing ") + env.path(QStringLiteral("B.txt")));
    QCOMPARE(named<QLineEdit>(&*w, "PrjDiscription")->text(), QStringLiteral("Bravo"));
    QCOMPARE(named<QLabel>(&*w, "Pros")->text(), QStringLiteral("2 Projects"));
    named<QPushButton>(&*w, "Next4")->click();
    QCOMPARE(env.readFile(QStringLiteral("B.txt")), listB);
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), listA);
    QVERIFY(dialogs.errors().isEmpty());
}

// The same after "Apply Changes": asked first, the user lets the applied edit
// of list A go; the repair's fresh reading of the file replaces it, and page 4
// is gone with it.
void TestPanels::repairWhilePage4IsOpenClosesTheWizard()
{
    TestEnvironment env;
    const QByteArray listA = TestEnvironment::listBytes(numberedDescriptions({"Alpha", "Anchor"}));
    env.writeFile(QStringLiteral("Projects.txt"), listA);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    select(*w, 0);
    QVERIFY(triggerAction(&*w, "EditProject1"));
    named<QLineEdit>(&*w, "PrjDiscription")->setText(QStringLiteral("Changed"));
    named<QPushButton>(&*w, "UtilBtn")->click();
    QCOMPARE(linesInMemory(*w).first(), QStringLiteral("001     Changed"));

    dialogs.answers = {MessageButton::No};
    QVERIFY(triggerAction(&*w, "FixErrors1"));
    QCOMPARE(dialogs.texts(QStringLiteral("ask")).size(), 1);
    QCOMPARE(dialogs.messages(), QStringList {QStringLiteral("There were no Errors")});
    QVERIFY(wizardOf(*w)->isHidden());
    QCOMPARE(linesInMemory(*w), numberedDescriptions({"Alpha", "Anchor"}));
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), listA);
}

void TestPanels::viewKeepsItsRowsUntilFinish()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedDescriptions({"Alpha", "Beta"})));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    select(*w, 1);
    QVERIFY(triggerAction(&*w, "EditProject1"));
    named<QLineEdit>(&*w, "PrjDiscription")->setText(QStringLiteral("Changed"));
    named<QPushButton>(&*w, "UtilBtn")->click();
    named<QLineEdit>(&*w, "Project")->setText(QStringLiteral("3"));
    named<QLineEdit>(&*w, "PrjDiscription")->setText(QStringLiteral("Gamma"));
    named<QPushButton>(&*w, "UtilBtn")->click();
    QCOMPARE(linesInMemory(*w), numberedDescriptions({"Alpha", "Changed", "Gamma"}));
    QCOMPARE(descriptionsShown(*w), (QStringList {" Alpha", " Beta"}));
    QCOMPARE(w->statusPanel(1)->text(), QStringLiteral("2"));

    named<QPushButton>(&*w, "Next4")->click();
    QCOMPARE(descriptionsShown(*w), (QStringList {" Alpha", " Changed", " Gamma"}));
    QCOMPARE(w->statusPanel(1)->text(), QStringLiteral("3"));
}

void TestPanels::captionEditedInPlaceIsWhatSearchAndPrintSee()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(5)));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    ProjectListModel& view = *w->listModel();
    QVERIFY(view.setData(view.index(2, 0), QStringLiteral("777  "), Qt::EditRole));
    QCOMPARE(view.captionText(2), QStringLiteral("777  "));
    QCOMPARE(linesInMemory(*w).at(2), QStringLiteral("003     Project number 3"));

    QCOMPARE(searchProjectNumber(view, "777").row, 2);
    QCOMPARE(searchProjectNumber(view, "003").row, -1);
    RecordingPrintSurface surface;
    ListPrinter printer(surface, [] { return QDateTime(QDate(2024, 3, 9), QTime(12, 0)); });
    printer.print(view, PrintOptions {});
    QVERIFY(surface.find(QStringLiteral("777  ")));

    w->refillView();
    QCOMPARE(view.captionText(2), QStringLiteral("003  "));
    QCOMPARE(searchProjectNumber(view, "777").row, -1);
    QCOMPARE(searchProjectNumber(view, "003").row, 2);
}

QTEST_MAIN(TestPanels)
#include "test_panels.moc"
