// The list files used last at the end of the File menu: their order, the
// eight kept, a gone file taken off, what survives a restart, and entries
// of the settings file that name no list.
#include "app/tvantorel.h"
#include "app/projectlistmodel.h"
#include "app/recentlistsmenu.h"
#include "document/projectlistdocument.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "testlists.h"
#include "widgetlookup.h"

#include <QtTest>

#include <sys/stat.h>

namespace {

// The entries the File menu shows, as menu text and tool tip.
QStringList recentMenu(const TVantorel& w)
{
    QStringList shown;
    for (QAction* action : named<QMenu>(&w, "File1")->actions())
        if (action->objectName().startsWith(QLatin1String("RecentList")) && action->isVisible())
            shown << action->text() + QLatin1Char('|') + action->toolTip();
    return shown;
}

} // namespace

class TestRecentLists : public QObject {
    Q_OBJECT
private slots:
    void orderAndPruning_data();
    void orderAndPruning();
    void settingsEntriesThatNameNoList_data();
    void settingsEntriesThatNameNoList();
};

void TestRecentLists::orderAndPruning_data()
{
    // Steps: "load NAME" (File > Load), "missing NAME" (Load of a file that
    // does not exist), "gone NAME" (the file is deleted), "pick N" (the Nth
    // entry), "edit" (an unsaved change), "restart" (close and start again).
    QTest::addColumn<QStringList>("steps");
    // File names, newest first: the list read at start-up was used too.
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<QString>("inUse");
    QTest::addColumn<QStringList>("told");

    const QStringList none;
    QTest::newRow("newest first") << QStringList{"load a.txt", "load b.txt", "load c.txt"}
                                  << QStringList{"c.txt", "b.txt", "a.txt", "Projects.txt"} << "c.txt" << none;
    QTest::newRow("used again goes first") << QStringList{"load a.txt", "load b.txt", "load a.txt"}
                                           << QStringList{"a.txt", "b.txt", "Projects.txt"} << "a.txt" << none;
    QStringList nine, lastEight;
    for (int i = 1; i <= 9; ++i)
        nine << QStringLiteral("load %1.txt").arg(i);
    for (int i = 9; i >= 2; --i)
        lastEight << QStringLiteral("%1.txt").arg(i);
    QTest::newRow("eight at most") << nine << lastEight << "9.txt" << none;
    QTest::newRow("picked loads and goes first") << QStringList{"load a.txt", "load b.txt", "pick 2"}
                                                 << QStringList{"a.txt", "b.txt", "Projects.txt"} << "a.txt" << none;
    QTest::newRow("gone is said and taken off")
        << QStringList{"load a.txt", "load b.txt", "gone a.txt", "pick 2"} << QStringList{"b.txt", "Projects.txt"} << "b.txt"
        << QStringList{"Cannot find list file %/a.txt"};
    QTest::newRow("missing file chosen with Load is not offered")
        << QStringList{"load a.txt", "missing z.txt"} << QStringList{"a.txt", "Projects.txt"} << "z.txt"
        << QStringList{"Cannot find list file %/z.txt"};
    QTest::newRow("kept across a restart") << QStringList{"load a.txt", "load b.txt", "restart"}
                                           << QStringList{"b.txt", "a.txt", "Projects.txt"} << "b.txt" << none;
    QTest::newRow("gone at restart is offered until picked")
        << QStringList{"load a.txt", "load b.txt", "gone a.txt", "restart"} << QStringList{"b.txt", "a.txt", "Projects.txt"}
        << "b.txt" << none;
    QTest::newRow("unsaved changes are asked about first")
        << QStringList{"load a.txt", "load b.txt", "edit", "pick 2"} << QStringList{"b.txt", "a.txt", "Projects.txt"} << "b.txt"
        << QStringList{"The changes to the Project List %/b.txt are not saved\rSave them first ?"};
    QTest::newRow("ampersand shown as such") << QStringList{"load R&D.txt"} << QStringList{"R&&D.txt", "Projects.txt"} << "R&D.txt"
                                             << none;
}

void TestRecentLists::orderAndPruning()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, offered);
    QFETCH(QString, inUse);
    QFETCH(QStringList, told);
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(2)));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    dialogs.clear();
    QStringList shown;
    for (const QString& step : steps) {
        const QString verb = step.section(QLatin1Char(' '), 0, 0);
        const QString name = step.section(QLatin1Char(' '), 1);
        if (verb == QLatin1String("load") || verb == QLatin1String("missing")) {
            if (verb == QLatin1String("load"))
                env.writeFile(name, TestEnvironment::listBytes(numberedProjects(3, QStringLiteral("In ") + name)));
            dialogs.fileNames << env.path(name);
            QVERIFY(triggerAction(&*w, "Load1"));
        } else if (verb == QLatin1String("gone")) {
            QVERIFY(QFile::remove(env.path(name)));
        } else if (verb == QLatin1String("pick")) {
            dialogs.answers << MessageButton::Cancel;
            QVERIFY(triggerAction(&*w, qPrintable(QStringLiteral("RecentList") + name)));
        } else if (verb == QLatin1String("edit")) {
            w->document().putProject("004", "004     Unsaved shed");
        } else if (verb == QLatin1String("restart")) {
            QVERIFY(w->close());
            shown += dialogs.texts();

            dialogs.clear();
            w.reset();
            w = startMainWindow(dialogs);
        }
    }
    shown += dialogs.texts();
    shown.removeAll(QStringLiteral("ARDLOW PROJECTS"));  // the Load dialog's title

    QStringList expected;
    for (int i = 0; i < offered.size(); ++i)
        expected << QStringLiteral("&%1 %2|%3").arg(i + 1).arg(offered[i], env.path(offered[i]).replace(QStringLiteral("&&"), QStringLiteral("&")));
    QCOMPARE(recentMenu(*w), expected);
    QCOMPARE(QString::fromLocal8Bit(w->CurrentListFile().c_str()), env.path(inUse));
    for (QString& text : told)
        text.replace(QLatin1Char('%'), env.workFolder());
    QCOMPARE(shown, told);
}

void TestRecentLists::settingsEntriesThatNameNoList_data()
{
    QTest::addColumn<QString>("stored");     // the group as written in the settings file
    QTest::addColumn<QStringList>("offered"); // full paths, % for the work folder

    QTest::newRow("relative, empty, duplicate")
        << "File1=a.txt\nFile2=\nFile3=%/b.txt\nFile4=%/b.txt\n" << QStringList{"%/Projects.txt", "%/b.txt"};
    QTest::newRow("enormous") << QStringLiteral("File1=/%1\nFile2=%/b.txt\n").arg(QString(6000, QLatin1Char('x')))
                              << QStringList{"%/Projects.txt", "%/b.txt"};
    QTest::newRow("not text") << "File1=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x6)\nFile2=%/b.txt, %/c.txt\nFile3=%/c.txt\n"
                              << QStringList{"%/Projects.txt", "%/c.txt"};
    QTest::newRow("a FIFO and a device are offered") << "File1=%/fifo\nFile2=/dev/zero\n"
                                                     << QStringList{"%/Projects.txt", "%/fifo", "/dev/zero"};
}

// Entries that name no list are not offered; a FIFO or a device is, and
// choosing it ends at once with Load's message, the list in use unchanged.
void TestRecentLists::settingsEntriesThatNameNoList()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, offered);
    TestEnvironment env;
    env.writeFile(QStringLiteral("Projects.txt"), TestEnvironment::listBytes(numberedProjects(2)));
    QCOMPARE(::mkfifo(QFile::encodeName(env.path(QStringLiteral("fifo"))).constData(), 0600), 0);
    for (const QString& name : {QStringLiteral("b.txt"), QStringLiteral("c.txt")})
        env.writeFile(name, TestEnvironment::listBytes(numberedProjects(1)));
    stored.replace(QLatin1Char('%'), env.workFolder());
    env.writeSettings(QStringLiteral("[General]\nLast=0\n[Recent%20Lists]\n") + stored);
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QVERIFY(dialogs.shown.isEmpty());
    for (QString& path : offered)
        path.replace(QLatin1Char('%'), env.workFolder());
    QCOMPARE(w->recentListsMenu().lists(), offered);
    for (int i = 1; i <= offered.size(); ++i) {
        if (QFileInfo(offered[i - 1]).isFile())
            continue;
        dialogs.clear();
        QVERIFY(triggerAction(&*w, qPrintable(QStringLiteral("RecentList%1").arg(i))));
        QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Cannot open file ") + offered[i - 1]});
        QCOMPARE(w->CurrentListFile(), std::string("Projects.txt"));
        QCOMPARE(w->listModel()->count(), 2);
    }
    QVERIFY(w->close());
    struct stat info {};
    QCOMPARE(::lstat(QFile::encodeName(env.path(QStringLiteral("fifo"))).constData(), &info), 0);
    QVERIFY(S_ISFIFO(info.st_mode));
}

QTEST_MAIN(TestRecentLists)
#include "test_recentlists.moc"
