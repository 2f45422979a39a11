// Undo and Redo in the real main window: the Projects menu names the step
// it would take, Ctrl+Z in the description box takes back the typing before
// the list's changes, page 4 shows each step, Finish saves and the journal
// goes. Then the changes a run that died left in its journal, offered at
// start: Yes recovers them unsaved, No sets them aside until the next
// Finish, Cancel leaves them to be offered again.
#include "deadjournal.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "testlists.h"
#include "widgetlookup.h"

#include "app/projectlistmodel.h"
#include "app/tvantorel.h"
#include "document/changejournal.h"
#include "document/projectlistdocument.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QtTest>

namespace {

const QStringList ourList = numberedDescriptions({"Harbour wall", "Garden shed", "Old pier"});
const QStringList recoveredList = numberedDescriptions({"Harbour wall", "Recovered shed", "Old pier", "Quay steps"});

// Undo1 and Redo1 as the Projects menu shows them: text, and enabled or not.
QStringList menuState(const TVantorel& w)
{
    QStringList state;
    for (const char* name : {"Undo1", "Redo1"}) {
        const QAction* action = named<QAction>(&w, name);
        state << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (disabled)"));
    }
    return state;
}

QStringList journalFiles(const TestEnvironment& env)
{
    return QDir(env.stateFolder() + QStringLiteral("/quindle/journals")).entryList(QDir::Files | QDir::Hidden);
}

void pressUndo(QWidget* focus)
{
    QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier);
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT
private slots:
    void undoAndRedoThroughTheWindow();
    void recoveryAtStart_data();
    void recoveryAtStart();
};

void TestUndo::undoAndRedoThroughTheWindow()
{
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(ourList));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->show();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(w.get()));
    QCOMPARE(menuState(*w), (QStringList {"&Undo (disabled)", "Re&do (disabled)"}));

    // Add project 4 by typing its description, and apply.
    QVERIFY(triggerAction(&*w, "AddBtn"));
    auto* description = named<QLineEdit>(&*w, "PrjDiscription");
    auto* count = named<QLabel>(&*w, "Pros");
    description->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(description));
    QTest::keyClicks(description, QStringLiteral("Quay steps"));
    named<QPushButton>(&*w, "UtilBtn")->click();
    const QStringList withQuay = ourList + QStringList {"004     Quay steps"};
    QCOMPARE(linesInMemory(*w), withQuay);
    QCOMPARE(menuState(*w), (QStringList {"&Undo Apply Changes to 004", "Re&do (disabled)"}));

    // Ctrl+Z takes back the typing first, the list stays...
    description->setFocus();
    QVERIFY(description->isUndoAvailable());
    for (int press = 0; press < 20 && description->isUndoAvailable(); ++press)
        pressUndo(description);
    QCOMPARE(description->text(), QString());
    QCOMPARE(linesInMemory(*w), withQuay);
    // ...then, with no typing left to take back, the list's change.
    pressUndo(description);
    QCOMPARE(linesInMemory(*w), ourList);
    QCOMPARE(menuState(*w), (QStringList {"&Undo (disabled)", "Re&do Apply Changes to 004"}));
    QCOMPARE(named<QLineEdit>(&*w, "CurrentProject")->text(), QStringLiteral("004"));
    QCOMPARE(description->text(), QString());
    QCOMPARE(count->text(), QStringLiteral("3 Projects"));
    QVERIFY(!w->document().hasUnsavedChanges());

    QVERIFY(triggerAction(&*w, "Redo1"));
    QCOMPARE(linesInMemory(*w), withQuay);
    QCOMPARE(description->text(), QStringLiteral("Quay steps"));
    QCOMPARE(count->text(), QStringLiteral("4 Projects"));
    QCOMPARE(menuState(*w), (QStringList {"&Undo Apply Changes to 004", "Re&do (disabled)"}));

    // Remove project 1 and close the wizard: its undo opens page 4 on it.
    named<QPushButton>(&*w, "Button3")->click();
    named<QTableView>(&*w, "Projects")->setCurrentIndex(w->parts().listModel->index(0, 0));
    QVERIFY(triggerAction(&*w, "DeleteBtn"));
    dialogs.answers = {MessageButton::Ok};
    named<QPushButton>(&*w, "Remove")->click();
    QCOMPARE(linesInMemory(*w), withQuay.mid(1));
    QCOMPARE(menuState(*w), (QStringList {"&Undo Remove Project 001", "Re&do (disabled)"}));
    named<QPushButton>(&*w, "Button3")->click();
    QVERIFY(named<QStackedWidget>(&*w, "Wizard")->isHidden());
    QVERIFY(triggerAction(&*w, "Undo1"));
    QCOMPARE(linesInMemory(*w), withQuay);
    QVERIFY(!named<QStackedWidget>(&*w, "Wizard")->isHidden());
    QCOMPARE(named<QStackedWidget>(&*w, "Wizard")->currentWidget(), named<QWidget>(&*w, "Page4"));
    QCOMPARE(named<QLineEdit>(&*w, "CurrentProject")->text(), QStringLiteral("001"));
    QCOMPARE(description->text(), QStringLiteral("Harbour wall"));
    QCOMPARE(count->text(), QStringLiteral("4 Projects"));
    QCOMPARE(menuState(*w), (QStringList {"&Undo Apply Changes to 004", "Re&do Remove Project 001"}));

    // Finish writes the list as it is now, and the journal goes.
    QCOMPARE(journalFiles(env).size(), 1);
    named<QPushButton>(&*w, "Next4")->click();
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(withQuay));
    QVERIFY(!w->document().hasUnsavedChanges());
    QCOMPARE(journalFiles(env), QStringList());
    QCOMPARE(dialogs.errors(), QStringList());
}

void TestUndo::recoveryAtStart_data()
{
    QTest::addColumn<MessageButton>("answer");
    QTest::newRow("Yes recovers") << MessageButton::Yes;
    QTest::newRow("No sets aside") << MessageButton::No;
    QTest::newRow("Cancel leaves") << MessageButton::Cancel;
}

void TestUndo::recoveryAtStart()
{
    QFETCH(MessageButton, answer);
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(ourList));
    // A run made two changes and died.
    {
        ProjectListDocument run;
        run.load("Projects.txt");
        run.putProject("002", "002     Recovered shed");
        run.putProject("004", "004     Quay steps");
    }
    const std::optional<JournalHeader> header = makeJournalOfDeadRun(ChangeJournal::pathFor("Projects.txt"));
    QVERIFY(header);
    const QString when =
        QLocale().toString(QDateTime::fromMSecsSinceEpoch(header->startedNs / 1000000), QLocale::ShortFormat);
    const QString question = QStringLiteral("The changes to the Project List Projects.txt of %1 were not saved "
                                            "(2 changes). Recover them ?")
                                 .arg(when);

    ScriptedDialogs dialogs;
    dialogs.answers = {answer};
    auto w = startMainWindow(dialogs);
    QCOMPARE(dialogs.texts().value(0), question);
    QCOMPARE(dialogs.shown.first().buttons,
             (QList<MessageButton> {MessageButton::Yes, MessageButton::No, MessageButton::Cancel}));
    const bool recovered = answer == MessageButton::Yes;
    QCOMPARE(linesInMemory(*w), recovered ? recoveredList : ourList);
    QCOMPARE(w->document().hasUnsavedChanges(), recovered);
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")), TestEnvironment::listBytes(ourList));
    if (recovered) {
        QCOMPARE(dialogs.texts().mid(1),
                 QStringList {"The recovered changes are not saved yet: look them over, then press Finish"});
        QCOMPARE(named<QStackedWidget>(&*w, "Wizard")->currentWidget(), named<QWidget>(&*w, "Page4"));
        QCOMPARE(named<QLineEdit>(&*w, "PrjDiscription")->text(), QStringLiteral("Recovered shed"));
        // The recovery is one step to take back, and page 4 follows it.
        QCOMPARE(named<QAction>(&*w, "Undo1")->text(), QStringLiteral("&Undo Recover Changes"));
        QVERIFY(triggerAction(&*w, "Undo1"));
        QCOMPARE(linesInMemory(*w), ourList);
        QCOMPARE(named<QLineEdit>(&*w, "PrjDiscription")->text(), QStringLiteral("Garden shed"));
        QVERIFY(triggerAction(&*w, "Redo1"));
        QCOMPARE(linesInMemory(*w), recoveredList);
    } else {
        QCOMPARE(dialogs.texts().size(), 1);
    }

    // One journal: this run's own with the recovered changes, the one set
    // aside, or the one left.
    const QStringList journals = journalFiles(env);
    QCOMPARE(journals.size(), 1);
    QCOMPARE(journals.first().endsWith(QStringLiteral(".set-aside")), answer == MessageButton::No);

    // At the next start only changes left with Cancel are offered again.
    {
        ScriptedDialogs again;
        auto next = startMainWindow(again);
        QCOMPARE(again.texts().contains(question), answer == MessageButton::Cancel);
    }

    // Finish saves what is in memory and takes the journals set aside with it.
    w->Next4Click();
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")),
             TestEnvironment::listBytes(recovered ? recoveredList : ourList));
    QCOMPARE(journalFiles(env).size(), answer == MessageButton::Cancel ? 1 : 0);
}

QTEST_MAIN(TestUndo)
#include "test_undo.moc"
