// "Fix Errors" in the real main window: the report and its question, what Yes
// and No leave behind, the repair at start-up, the messages for a missing
// file and for bad lines, a failed save, and closing the window mid-repair.
#include "listfile/listrepair.h"
#include "testlists.h"
#include "app/projectlistmodel.h"
#include "scripteddialogs.h"
#include "app/settingsstore.h"
#include "testenvironment.h"
#include "app/listrepaircommand.h"
#include "app/tvantorel.h"
#include "document/projectlistdocument.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>
#include <memory>

#include <sys/resource.h>

namespace {

const QString fileName = QStringLiteral("Projects.txt");
const QStringList faultyList = {
    QStringLiteral("001     Alpha"), QStringLiteral(""), QStringLiteral("2 Beta"), QStringLiteral(" \t "),
    QStringLiteral("003     Gamma"), QStringLiteral("4  Delta"), QStringLiteral(""),
};
const QStringList repairedList = {
    QStringLiteral("001     Alpha"), QStringLiteral("002     Beta"), QStringLiteral("003     Gamma"),
    QStringLiteral("004     Delta"),
};
const QString faultyReport = QStringLiteral(
    "3 Blank lines were deleted from the Project List\r2 Format errors were fixed\rClick Yes to save changes");

// Scripted dialogs that also run a piece of the test whenever a plain
// message is shown, as a user acting while the message is up would.
class HookedDialogs : public ScriptedDialogs {
public:
    std::function<void(const QString&)> onMessage;
    void showMessage(const QString& text) override
    {
        ScriptedDialogs::showMessage(text);
        if (onMessage)
            onMessage(text);
    }
};

// Lowers the largest file this process may write, so that a save fails even
// for a user whom file permissions do not stop.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = previous_;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

} // namespace

class TestRepair : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        dialogs = std::make_unique<HookedDialogs>();
    }
    void cleanup()
    {
        window.reset();
        dialogs.reset();
        env.reset();
    }

    void countsAreReportedInOneQuestionWithCarriageReturns()
    {
        env->writeFile(fileName, TestEnvironment::listBytes(faultyList));
        startWithoutMessages();
        fixErrors();
        QCOMPARE(dialogs->shown.size(), 1);
        const ShownDialog& question = dialogs->shown.first();
        QCOMPARE(question.kind, QStringLiteral("ask"));
        QCOMPARE(question.text, faultyReport);
        QCOMPARE(question.messageKind, MessageKind::Information);
        QCOMPARE(question.buttons, (QList<MessageButton>{MessageButton::Yes, MessageButton::No}));
    }

    void bothCountsAreReportedEvenWhenOneIsZero()
    {
        env->writeFile(fileName, TestEnvironment::listBytes({"001     A", "", "", "", "002     B"}));
        startWithoutMessages();
        fixErrors();
        QCOMPARE(dialogs->texts(QStringLiteral("ask")),
                 QStringList{QStringLiteral("3 Blank lines were deleted from the Project List\r"
                                            "0 Format errors were fixed\rClick Yes to save changes")});

        env->writeFile(fileName, TestEnvironment::listBytes({"100000   Big", "7     Garden shed"}));
        dialogs->clear();
        fixErrors();
        QCOMPARE(dialogs->texts(QStringLiteral("ask")),
                 QStringList{QStringLiteral("0 Blank lines were deleted from the Project List\r"
                                            "2 Format errors were fixed\rClick Yes to save changes")});
    }

    void yesSavesTheRepairedListAndRefreshesTheView()
    {
        env->writeFile(fileName, TestEnvironment::listBytes(faultyList));
        startWithoutMessages();
        QCOMPARE(window->parts().listModel->count(), faultyList.size());

        dialogs->answers << MessageButton::Yes;
        fixErrors();
        QCOMPARE(env->readFile(fileName), TestEnvironment::listBytes(repairedList));
        QCOMPARE(linesInMemory(*window), repairedList);
        QCOMPARE(captionsShown(*window), (QStringList{"001  ", "002  ", "003  ", "004  "}));
        QCOMPARE(window->parts().statusPanel(1)->text(), QStringLiteral("4"));
        QCOMPARE(dialogs->messages(), QStringList());

        // The saved list has nothing left to repair.
        dialogs->clear();
        fixErrors();
        QCOMPARE(dialogs->messages(), QStringList{QStringLiteral("There were no Errors")});
        QCOMPARE(dialogs->texts(QStringLiteral("ask")), QStringList());
    }

    void noLeavesFileAndViewWhileMemoryHoldsTheRepair()
    {
        const QByteArray original = TestEnvironment::listBytes(faultyList);
        env->writeFile(fileName, original);
        startWithoutMessages();
        const QStringList captionsBefore = captionsShown(*window);

        dialogs->answers << MessageButton::No;
        fixErrors();
        QCOMPARE(env->readFile(fileName), original);
        QCOMPARE(captionsShown(*window), captionsBefore);
        QCOMPARE(window->parts().statusPanel(1)->text(), QString::number(faultyList.size()));
        QCOMPARE(linesInMemory(*window), repairedList);
    }

    void repairReadsTheFileAfresh()
    {
        env->writeFile(fileName, TestEnvironment::listBytes({"001     A"}));
        startWithoutMessages();
        env->writeFile(fileName, TestEnvironment::listBytes({"001     A", "2 B"}));
        dialogs->answers << MessageButton::No;
        fixErrors();
        QCOMPARE(linesInMemory(*window), (QStringList{"001     A", "002     B"}));
    }

    void aListWithoutFaultsIsNeitherAskedAboutNorSaved()
    {
        // LF only: a save would change it. Numbers of four and more digits
        // laid out right are no fault either.
        const QByteArray clean = "001     Alpha\n002     Beta\n1000     Four\n123456     Six\n";
        env->writeFile(fileName, clean);
        startWithoutMessages();
        fixErrors();
        QCOMPARE(dialogs->messages(), QStringList{QStringLiteral("There were no Errors")});
        QCOMPARE(dialogs->texts(QStringLiteral("ask")), QStringList());
        QCOMPARE(env->readFile(fileName), clean);
    }

    void anUnreadableFileKeepsTheListInMemory()
    {
        env->writeFile(fileName, TestEnvironment::listBytes(faultyList));
        startWithoutMessages();
        const QStringList before = linesInMemory(*window);
        QVERIFY(QFile::remove(env->path(fileName)));

        fixErrors();
        QCOMPARE(dialogs->messages(), QStringList{QStringLiteral("Unable to load Project List")});
        QCOMPARE(dialogs->texts(QStringLiteral("ask")), QStringList());
        QCOMPARE(dialogs->errors(), QStringList());
        QCOMPARE(linesInMemory(*window), before);
        QCOMPARE(window->parts().listModel->count(), faultyList.size());
    }

    void badLinesAreShownLastToFirstBeforeTheQuestion()
    {
        env->writeFile(fileName, TestEnvironment::listBytes({"001     A", "2 B", "003     C", "004     D", "5   E"}));
        startWithoutMessages();
        option("DisplayAllErrors")->setChecked(true);
        fixErrors();
        QCOMPARE(dialogs->texts(), (QStringList{QStringLiteral("error in line 5   E"),
                                               QStringLiteral("error in line 2 B"),
                                               QStringLiteral("0 Blank lines were deleted from the Project List\r"
                                                              "2 Format errors were fixed\rClick Yes to save changes")}));

        option("DisplayAllErrors")->setChecked(false);
        dialogs->clear();
        fixErrors();
        QCOMPARE(dialogs->messages(), QStringList());
    }

    void startUpRepairIsFollowedByTheReload_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void startUpRepairIsFollowedByTheReload()
    {
        QFETCH(bool, save);
        const QByteArray original = TestEnvironment::listBytes(faultyList);
        env->writeFile(fileName, original);
        SettingsStore().writeBool(QStringLiteral("Auto Fix"), true);
        dialogs->answers << (save ? MessageButton::Yes : MessageButton::No);

        window = startMainWindow(*dialogs);
        QVERIFY(option("Autofix")->isChecked());
        QCOMPARE(dialogs->texts(QStringLiteral("ask")), QStringList{faultyReport});
        const QStringList shownList = save ? repairedList : faultyList;
        QCOMPARE(env->readFile(fileName), save ? TestEnvironment::listBytes(repairedList) : original);
        QCOMPARE(linesInMemory(*window), shownList);
        QCOMPARE(window->parts().listModel->count(), shownList.size());
        QCOMPARE(window->parts().statusPanel(0)->text(), fileName);
        QCOMPARE(dialogs->messages(), QStringList());
    }

    void startUpRepairOfAGoodListSaysSo()
    {
        env->writeFile(fileName, TestEnvironment::listBytes(repairedList));
        SettingsStore().writeBool(QStringLiteral("Auto Fix"), true);
        window = startMainWindow(*dialogs);
        QCOMPARE(dialogs->texts(), QStringList{QStringLiteral("There were no Errors")});
        QCOMPARE(window->parts().listModel->count(), repairedList.size());
    }

    void missingFileAtStartUpGivesBothMessages()
    {
        SettingsStore().writeBool(QStringLiteral("Auto Fix"), true);
        window = startMainWindow(*dialogs);
        QCOMPARE(dialogs->texts(), (QStringList{QStringLiteral("Unable to load Project List"),
                                               QStringLiteral("Cannot find list file Projects.txt")}));
        QCOMPARE(window->parts().listModel->count(), 0);
    }

    void aFailedSaveIsReportedAndTheViewIsNotRefreshed()
    {
        const QByteArray original = TestEnvironment::listBytes(faultyList);
        env->writeFile(fileName, original);
        startWithoutMessages();
        dialogs->answers << MessageButton::Yes;
        {
            FileSizeLimit limit(8);
            action("ListFixBtn")->trigger();
        }
        QCOMPARE(dialogs->errors(), QStringList{QStringLiteral("Cannot create file Projects.txt")});
        QCOMPARE(env->readFile(fileName), original);
        QCOMPARE(window->parts().listModel->count(), faultyList.size());
        QCOMPARE(linesInMemory(*window), repairedList);
        QVERIFY(action("FixErrors1")->isEnabled());
    }

    void aFailedSaveAtStartUpEndsTheStartUp()
    {
        env->writeFile(fileName, TestEnvironment::listBytes(faultyList));
        SettingsStore().writeBool(QStringLiteral("Auto Fix"), true);
        SettingsStore().writeBool(QStringLiteral("Last"), true);
        dialogs->answers << MessageButton::Yes;
        {
            FileSizeLimit limit(8);
            window = startMainWindow(*dialogs);
        }
        QCOMPARE(dialogs->errors(), QStringList{QStringLiteral("Cannot create file Projects.txt")});
        QCOMPARE(window->parts().statusPanel(0)->text(), QStringLiteral("Current Project List"));
        QCOMPARE(window->parts().listModel->count(), 0);
        QVERIFY(!window->parts().startDelay->isActive());
        QCOMPARE(linesInMemory(*window), repairedList);
    }

    void commandsThatChangeTheListWaitForTheRepair()
    {
        env->writeFile(fileName, TestEnvironment::listBytes({"1 A", "2 B"}));
        startWithoutMessages();
        QWidget* wizard = window->findChild<QWidget*>(QStringLiteral("Wizard"));
        QVERIFY(wizard);
        option("DisplayAllErrors")->setChecked(true);
        QList<QAction*> locked;
        for (const char* name : {"Load1", "New1", "Addproject1", "AddBtn", "InsertProject1", "InsertBtn",
                                 "EditProject1", "EditBtn", "RemoveProject1", "DeleteBtn", "FixErrors1",
                                 "ListFixBtn"})
            locked << action(name);
        bool allLocked = false;
        dialogs->onMessage = [&](const QString&) {
            allLocked = !wizard->isEnabled();
            for (QAction* action : locked)
                allLocked = allLocked && !action->isEnabled();
            // A second repair asked for meanwhile does not start.
            window->parts().repair->run();
        };
        fixErrors();
        QVERIFY(allLocked);
        QCOMPARE(dialogs->messages(), (QStringList{"error in line 2 B", "error in line 1 A"}));
        QCOMPARE(dialogs->texts(QStringLiteral("ask")).size(), 1);
        QVERIFY(wizard->isEnabled());
        for (QAction* action : locked)
            QVERIFY2(action->isEnabled(), qPrintable(action->objectName()));
    }

    void closingDuringARepairCancelsItAndThenCloses()
    {
        env->writeFile(fileName, TestEnvironment::listBytes({"1 A", "2 B", "3 C"}));
        startWithoutMessages();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        option("DisplayAllErrors")->setChecked(true);
        const QStringList before = linesInMemory(*window);
        bool stillOpenDuringRepair = false;
        dialogs->onMessage = [&](const QString&) {
            if (dialogs->messages().size() == 1) {
                window->close();
                stillOpenDuringRepair = window->isVisible() && !window->document().lines().empty();
            }
        };
        fixErrors();
        QVERIFY(stillOpenDuringRepair);
        // The repair stopped at once, changed nothing and asked nothing.
        QCOMPARE(dialogs->messages(), QStringList{QStringLiteral("error in line 3 C")});
        QCOMPARE(dialogs->texts(QStringLiteral("ask")), QStringList());
        QCOMPARE(linesInMemory(*window), before);
        // Then the window closes as it was asked to: list released, settings stored.
        QTRY_VERIFY(!window->isVisible());
        QVERIFY(window->document().lines().empty());
        QCOMPARE(env->settingsValue(QStringLiteral("Current")), fileName);
    }

private:
    QAction* action(const char* name) const
    {
        auto* found = window->findChild<QAction*>(QLatin1String(name));
        if (!found)
            qFatal("no action %s", name);
        return found;
    }
    QCheckBox* option(const char* name) const
    {
        auto* found = window->findChild<QCheckBox*>(QLatin1String(name));
        if (!found)
            qFatal("no check box %s", name);
        return found;
    }
    void startWithoutMessages()
    {
        window = startMainWindow(*dialogs);
        QCOMPARE(dialogs->texts(), QStringList());
    }
    // Through the menu item, as the user does.
    void fixErrors()
    {
        QVERIFY(action("FixErrors1")->isEnabled());
        action("FixErrors1")->trigger();
    }

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<HookedDialogs> dialogs;
    std::unique_ptr<TVantorel> window;
};

QTEST_MAIN(TestRepair)
#include "test_repair.moc"
