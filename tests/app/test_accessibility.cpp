// What assistive technology reads from the main window: a name for every
// control, toolbar button and panel, status panels that say what they show,
// and the list offering its selected project as a whole. The events a screen
// reader hears are checked through the desktop's bus by atspi_check.sh.
#include "app/projectlistmodel.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "widgetlookup.h"
#include "app/tvantorel.h"
#include "ui_tvantorel.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

namespace {

QString accessibleName(QObject* object)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QString();
}

// Widgets a user reaches or reads: buttons, boxes, lists, pages and panels.
bool isControl(const QWidget* w)
{
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QTabWidget*>(w) ||
           qobject_cast<const QStackedWidget*>(w) || qobject_cast<const QGroupBox*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QToolBar*>(w) ||
           qobject_cast<const QStatusBar*>(w) || qobject_cast<const QMenuBar*>(w) ||
           w->inherits("UpDown") || w->inherits("TKURL2") ||
           (qobject_cast<const QFrame*>(w) && w->objectName() == QLatin1String("Panel1")) ||
           (qobject_cast<const QStackedWidget*>(w->parentWidget()));
}

const QStringList threeProjects = {
    QStringLiteral("004     Garden shed"),
    QStringLiteral("007     Ring Road survey"),
    QStringLiteral("009     Bridge"),
};

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyControlAndPanelHasAName();
    void toolbarButtonsAreNamedByTheirHints();
    void statusPanelsSayWhatTheyShow();
    void listAnnouncesTheSelectedProject();

private:
    Ui::TVantorel* ui() const { return window->parts().form; }
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<TVantorel> window;
};

void TestAccessibility::init()
{
    env = std::make_unique<TestEnvironment>();
    env->writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(threeProjects));
    dialogs = std::make_unique<ScriptedDialogs>();
    window = startMainWindow(*dialogs);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void TestAccessibility::cleanup()
{
    window.reset();
    dialogs.reset();
    env.reset();
}

void TestAccessibility::everyControlAndPanelHasAName()
{
    int checked = 0;
    QStringList unnamed;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        // Qt's own parts of its widgets (scroll bars, the list's headers, whose
        // sections the list itself reads out) are not ours to name.
        if (widget->objectName().startsWith(QLatin1String("qt_")) || !isControl(widget) ||
            qobject_cast<QAbstractItemView*>(widget->parentWidget()))
            continue;
        ++checked;
        if (accessibleName(widget).trimmed().isEmpty())
            unnamed << QStringLiteral("%1 %2").arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName());
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    QVERIFY(checked > 50);
    // Captions name themselves, without the mnemonic mark.
    QCOMPARE(accessibleName(named(window.get(), "Autofix")), QStringLiteral("Automaticaly Fix List Errors"));
    QCOMPARE(accessibleName(named(window.get(), "UtilBtn")), QStringLiteral("Apply Changes"));
    QCOMPARE(accessibleName(named(window.get(), "Wizard")), QStringLiteral("Project Wizard"));
    QCOMPARE(accessibleName(named(window.get(), "PrjDiscription")), QStringLiteral("Project Discription"));
    QCOMPARE(accessibleName(named(window.get(), "Memo2")),
             QStringLiteral("The project manager uses this name for project files by default, you can change it now if required."));
}

void TestAccessibility::toolbarButtonsAreNamedByTheirHints()
{
    QStringList names;
    for (QAction* action : ui()->ToolBar1->actions()) {
        if (QWidget* button = ui()->ToolBar1->widgetForAction(action); qobject_cast<QAbstractButton*>(button))
            names << accessibleName(button);
    }
    QCOMPARE(names, (QStringList{QStringLiteral("Exit"), QStringLiteral("Print Project List"),
                                 QStringLiteral("Edit selected project"), QStringLiteral("Delete Selected Project"),
                                 QStringLiteral("Add Project"), QStringLiteral("Insert Project Prior to selection"),
                                 QStringLiteral("Fix List Format Errors"), QStringLiteral("Swap Table View")}));
}

void TestAccessibility::statusPanelsSayWhatTheyShow()
{
    QCOMPARE(accessibleName(window->parts().statusPanel(1)), QStringLiteral("Projects in the list: 3"));
    QCOMPARE(accessibleName(window->parts().statusPanel(2)), QStringLiteral("Found project"));
    window->parts().statusPanel(2)->setText(QStringLiteral("007  "));
    QCOMPARE(accessibleName(window->parts().statusPanel(2)), QStringLiteral("Found project: 007  "));
}

void TestAccessibility::listAnnouncesTheSelectedProject()
{
    // What the list offers as its selection reads as the whole project.
    QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(ui()->Projects)->tableInterface();
    QVERIFY(table);
    ui()->Projects->selectionModel()->setCurrentIndex(window->parts().listModel->index(2, 0),
                                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QList<QAccessibleInterface*> selected = table->selectedCells();
    QCOMPARE(selected.size(), 2);
    QCOMPARE(selected.first()->text(QAccessible::Name), QStringLiteral("009 Bridge"));
}

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
