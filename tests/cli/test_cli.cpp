// quindle-cli in process: its command line, each verb against the file it
// leaves, its printed output and its exit status, and git's merge of three
// versions of a list by project number.
#include "cli/cliarguments.h"
#include "cli/clicommands.h"
#include "cli/gitsetup.h"
#include "cli/listreport.h"
#include "cli/mergedriver.h"
#include "listfile/listfileio.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "clitestfiles.h"

#include <sstream>

namespace {

std::vector<std::string> words(const QStringList& list)
{
    std::vector<std::string> out;
    for (const QString& word : list)
        out.push_back(word.toStdString());
    return out;
}

LineList linesOf(const QByteArrayList& lines)
{
    LineList out;
    for (const QByteArray& line : lines)
        out.push_back(std::string_view(line.constData(), std::size_t(line.size())));
    return out;
}

const QByteArrayList threeProjects = {"001     Alpha", "002     Beta road", "003     Gamma road"};

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The list in use, the options and the journals: this test's own.
        QVERIFY(config_.isValid() && state_.isValid());
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        qputenv("XDG_STATE_HOME", state_.path().toLocal8Bit());
    }

    void arguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QString>("error");
        QTest::newRow("verb and word") << QStringList{"show", "12"} << "show" << "";
        QTest::newRow("file before the verb") << QStringList{"-f", "a.txt", "ls"} << "ls" << "";
        QTest::newRow("file after the words") << QStringList{"find", "x", "--file=a.txt"} << "find" << "";
        QTest::newRow("option value joined") << QStringList{"add", "x", "--number=5"} << "add" << "";
        QTest::newRow("dash description after --") << QStringList{"add", "--", "-x"} << "add" << "";
        QTest::newRow("help wins") << QStringList{"frobnicate", "--help"} << "help" << "";
        QTest::newRow("no verb") << QStringList{} << "" << "No command given";
        QTest::newRow("unknown verb") << QStringList{"list"} << "" << "Unknown command 'list'";
        QTest::newRow("unknown option") << QStringList{"ls", "--all"} << "" << "Unknown option '--all'";
        QTest::newRow("option of another verb") << QStringList{"show", "1", "--json"} << ""
                                                << "Option '--json' does not go with 'show'";
        QTest::newRow("missing word") << QStringList{"edit", "1"} << "" << "'edit' needs more arguments";
        QTest::newRow("word too many") << QStringList{"rm", "1", "2"} << ""
                                       << "'rm' takes fewer arguments: '2' is one too many";
        QTest::newRow("option without value") << QStringList{"ls", "-f"} << "" << "Option '-f' needs a value";
        QTest::newRow("keep what") << QStringList{"merge", "c", "--keep", "all"} << ""
                                   << "'--keep' takes theirs, mine or both, not 'all'";
        QTest::newRow("flag with value") << QStringList{"ls", "--json=1"} << "" << "Option '--json' takes no value";
        QTest::newRow("driver without its files") << QStringList{"merge-driver", "a", "b"} << ""
                                                  << "'merge-driver' needs more arguments";
    }
    void arguments()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, verb);
        QFETCH(QString, error);
        try {
            const CliArguments parsed = parseCliArguments(words(args));
            QVERIFY2(error.isEmpty(), "a usage error was expected");
            QCOMPARE(QString::fromStdString(parsed.verb), verb);
        } catch (const UsageError& e) {
            QCOMPARE(QString::fromStdString(e.what()), error);
        }
    }

    void numbersAndDescriptions_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("numberText");
        QTest::newRow("padded") << "7" << "007";
        QTest::newRow("leading zeros") << "0012" << "012";
        QTest::newRow("hexadecimal") << "$1F" << "031";
        QTest::newRow("four digits") << "1000" << "1000";
        QTest::newRow("largest") << "999999999" << "999999999";
        QTest::newRow("past 32 bits") << "4294967296" << "'4294967296' is not a valid integer value";
        QTest::newRow("past the largest") << "1000000000" << "'1000000000' is no project number: they go from 0 to 999999999";
        QTest::newRow("negative") << "-5" << "'-5' is no project number: they go from 0 to 999999999";
        QTest::newRow("letters") << "12a" << "'12a' is not a valid integer value";
    }
    void numbersAndDescriptions()
    {
        QFETCH(QString, number);
        QFETCH(QString, numberText);
        try {
            QCOMPARE(QString::fromStdString(projectNumberArgument(number.toStdString())), numberText);
        } catch (const UsageError& e) {
            QCOMPARE(QString::fromStdString(e.what()), numberText);
        }
    }

    void verbs_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        const QByteArray three = crlf(threeProjects);
        const QByteArray lf = "001     Alpha\n002     Beta\n";
        const QByteArray drifted = crlf({"001     Alpha", "  ", "7     Garden shed", "003     Gamma"});

        QTest::newRow("ls prints the lines as stored") << lf << QStringList{"ls"} << lf << 0 << lf << QByteArray();
        QTest::newRow("ls cuts lines as a read does")
            << QByteArray("\xEF\xBB\xBF" "001     A\r002     B\r\n003     C\n\n\r\r\n004     D") << QStringList{"ls"}
            << QByteArray("\xEF\xBB\xBF" "001     A\r002     B\r\n003     C\n\n\r\r\n004     D") << 0
            << QByteArray("001     A\n002     B\n003     C\n\n\n\n004     D\n") << QByteArray();
        QTest::newRow("ls keeps NUL and 8-bit bytes") << QByteArray("001     A\0B\xE9\r\n", 14) << QStringList{"ls"}
                                                      << QByteArray("001     A\0B\xE9\r\n", 14) << 0
                                                      << QByteArray("001     A\0B\xE9\n", 13) << QByteArray();
        QTest::newRow("ls of an empty list") << QByteArray() << QStringList{"ls"} << QByteArray() << 0 << QByteArray()
                                             << QByteArray();
        QTest::newRow("ls --json") << crlf({"001     Al\"pha\\", "", "1000     Caf\xC3\xA9 \xE9\t"})
                                   << QStringList{"ls", "--json"}
                                   << crlf({"001     Al\"pha\\", "", "1000     Caf\xC3\xA9 \xE9\t"}) << 0
                                   << QByteArray("[\n{\"number\": \"001\", \"description\": \"Al\\\"pha\\\\\", \"line\": 1},\n"
                                                 "{\"number\": \"1000\", \"description\": \"Caf\xC3\xA9 \\u00e9\\u0009\", \"line\": 3}\n]\n")
                                   << QByteArray();
        QTest::newRow("show") << three << QStringList{"show", "2"} << three << 0 << QByteArray("002     Beta road\n")
                              << QByteArray();
        QTest::newRow("show of a missing project") << three << QStringList{"show", "9"} << three << 1 << QByteArray()
                                                   << QByteArray("Project 009 is not in the list\n");
        QTest::newRow("add under the next number")
            << three << QStringList{"add", "Quay steps"} << crlf(threeProjects + QByteArrayList{"004     Quay steps"}) << 0
            << QByteArray("004\n") << QByteArray();
        QTest::newRow("add past the highest, wherever it stands")
            << crlf({"010     Ten", "002     Two"}) << QStringList{"add", "Eleven"}
            << crlf({"002     Two", "010     Ten", "011     Eleven"}) << 0 << QByteArray("011\n") << QByteArray();
        QTest::newRow("add after a four-digit number")
            << crlf({"999     A", "1000     B"}) << QStringList{"add", "C"} << crlf({"999     A", "1000     B", "1001     C"})
            << 0 << QByteArray("1001\n") << QByteArray();
        QTest::newRow("add to an empty list") << QByteArray() << QStringList{"add", "First"} << crlf({"001     First"}) << 0
                                              << QByteArray("001\n") << QByteArray();
        QTest::newRow("add under a free number")
            << three << QStringList{"add", "Pier", "--number", "0x10"}
            << crlf(threeProjects + QByteArrayList{"016     Pier"}) << 0 << QByteArray("016\n") << QByteArray();
        QTest::newRow("add under a number in use") << three << QStringList{"add", "Pier", "--number", "2"} << three << 1
                                                   << QByteArray() << QByteArray("Project 002 is already in the list\n");
        QTest::newRow("add a description already there") << three << QStringList{"add", "road"} << three << 1
                                                         << QByteArray() << QByteArray("road is already in the list\n");
        QTest::newRow("add keeps the other lines' bytes")
            << QByteArray("001     Caf\xE9\n002\t\tdrifted\n") << QStringList{"add", "New"}
            << QByteArray("001     Caf\xE9\r\n002\t\tdrifted\r\n003     New\r\n") << 0 << QByteArray("003\n") << QByteArray();
        QTest::newRow("edit") << three << QStringList{"edit", "2", "Harbour wall"}
                              << crlf({"001     Alpha", "002     Harbour wall", "003     Gamma road"}) << 0 << QByteArray()
                              << QByteArray();
        QTest::newRow("edit of a missing project") << three << QStringList{"edit", "4", "X"} << three << 1 << QByteArray()
                                                   << QByteArray("Project 004 is not in the list\n");
        QTest::newRow("rm") << three << QStringList{"rm", "002"} << crlf({"001     Alpha", "003     Gamma road"}) << 0
                            << QByteArray() << QByteArray();
        QTest::newRow("rm of a missing project") << three << QStringList{"rm", "7"} << three << 1 << QByteArray()
                                                 << QByteArray("Project 007 is not in the list\n");
        QTest::newRow("find every hit, case folded") << three << QStringList{"find", "ROAD"} << three << 0
                                                     << QByteArray("002     Beta road\n003     Gamma road\n") << QByteArray();
        QTest::newRow("find with --case misses") << three << QStringList{"find", "Road", "--case"} << three << 1
                                                 << QByteArray() << QByteArray("Search Failed (Road)\n");
        QTest::newRow("find miss says the folded text") << three << QStringList{"find", "pier"} << three << 1
                                                        << QByteArray() << QByteArray("Search Failed (PIER)\n");
        QTest::newRow("find --word takes the whole description")
            << three << QStringList{"find", "beta road", "--word"} << three << 0 << QByteArray("002     Beta road\n")
            << QByteArray();
        QTest::newRow("find looks only where the list view shows the description")
            << QByteArray("001     Alpha road\n002     road\n003     " + QByteArray(40, 'x') + "road\nroad    x\n")
            << QStringList{"find", "road"}
            << QByteArray("001     Alpha road\n002     road\n003     " + QByteArray(40, 'x') + "road\nroad    x\n") << 0
            << QByteArray("001     Alpha road\n002     road\n") << QByteArray();
        QTest::newRow("find a text holding a line break") << three << QStringList{"find", "Beta\nroad"} << three << 1
                                                          << QByteArray() << QByteArray("Search Failed (BETA\nROAD)\n");
        QTest::newRow("find does not look in the number") << three << QStringList{"find", "002"} << three << 1
                                                          << QByteArray() << QByteArray("Search Failed (002)\n");
        QTest::newRow("check of a good list") << three << QStringList{"check"} << three << 0
                                              << QByteArray("There were no Errors\n") << QByteArray();
        QTest::newRow("check lists what fix would do")
            << drifted << QStringList{"check"} << drifted << 1
            << QByteArray("line 2: blank, to be deleted\nline 3: '7     Garden shed' to be rebuilt as '007     Garden shed'\n")
            << QByteArray();
        QTest::newRow("fix") << drifted << QStringList{"fix"}
                             << crlf({"001     Alpha", "007     Garden shed", "003     Gamma"}) << 0 << QByteArray()
                             << QByteArray("1 Blank lines were deleted from the Project List\n1 Format errors were fixed\n");
        QTest::newRow("fix of a good list writes nothing") << lf << QStringList{"fix"} << lf << 0
                                                           << QByteArray("There were no Errors\n") << QByteArray();
    }
    void verbs()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, after);
        QFETCH(int, exit);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QTemporaryDir folder;
        const QString list = folder.filePath("Projects.txt");
        QVERIFY(writeFile(list, before));
        std::istringstream in;
        std::ostringstream outText;
        std::ostringstream errText;
        const int status = runCli(words(args + QStringList{"-f", list}), {in, outText, errText});
        QCOMPARE(QByteArray::fromStdString(errText.str()), err);
        QCOMPARE(QByteArray::fromStdString(outText.str()), out);
        QCOMPARE(status, exit);
        QCOMPARE(readFile(list), after);
        // Nothing is left beside the list: no temporary file, no lock.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Projects.txt"});
    }

    // ls and find read the file in pieces that end anywhere: cut at every
    // place, they print what they print of the text in one piece.
    void piecesEndAnywhere_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("listed");
        QTest::addColumn<QByteArray>("hits");
        QTest::newRow("CR LF") << QByteArray("001     Road one\r\n002     Lane\r\n003     road two\r\n")
                               << QByteArray("001     Road one\n002     Lane\n003     road two\n")
                               << QByteArray("001     Road one\n003     road two\n");
        QTest::newRow("CR, LF, blank lines, no last line end")
            << QByteArray("001     road\r\r002     x\n\n003     ROAD")
            << QByteArray("001     road\n\n002     x\n\n003     ROAD\n") << QByteArray("001     road\n003     ROAD\n");
        // Line ends at every place of a block of sixteen, of all three kinds.
        QByteArray text;
        QByteArray listed;
        for (int length = 0; length < 40; ++length) {
            const QByteArray line = QByteArray::number(length).rightJustified(3, '0') + QByteArray(length, 'x');
            text += line + (length % 3 == 0 ? "\r\n" : length % 3 == 1 ? "\r" : "\n");
            listed += line + "\n";
        }
        QTest::newRow("lines of every length") << text << listed << QByteArray();
        // Lines longer than a block, CR CR LF and runs of line ends, at every
        // place of the blocks the listing takes at once.
        const char* const ends[][2] = {{"\r\r\n", "\n\n"}, {"\r\r", "\n\n"}, {"\n\r", "\n\n"}, {"\r\n\r\n", "\n\n"}, {"\r", "\n"}};
        QByteArray runs;
        QByteArray runsListed;
        for (int length = 0; length < 150; length += 7) {
            const QByteArray line(length, 'y');
            runs += line + ends[length % 5][0];
            runsListed += line + ends[length % 5][1];
        }
        QTest::newRow("long lines and runs of line ends") << runs << runsListed << QByteArray();
    }
    void piecesEndAnywhere()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, listed);
        QFETCH(QByteArray, hits);
        for (qsizetype cut = 0; cut <= text.size(); ++cut) {
            const std::string_view first(text.constData(), std::size_t(cut));
            const std::string_view second(text.constData() + cut, std::size_t(text.size() - cut));
            std::string lines;
            LineLister lister([&](std::string_view bytes) { lines += bytes; });
            lister.take(first);
            lister.take(second);
            lister.finish();
            QCOMPARE(QByteArray::fromStdString(lines), listed);
            std::ostringstream found;
            HitFinder finder("road", false, false, found);
            finder.take(first);
            finder.take(second);
            finder.finish();
            QCOMPARE(QByteArray::fromStdString(found.str()), hits);
            QCOMPARE(finder.found(), !hits.isEmpty());
        }
    }

    void listInUseComesFromTheSettings()
    {
        QTemporaryDir folder;
        const QString list = folder.filePath("Ours.txt");
        QVERIFY(writeFile(list, crlf(threeProjects)));
        QDir().mkpath(config_.filePath("Corvane"));
        // As the window's store writes it: quoted, with escapes.
        QVERIFY(writeFile(config_.filePath("Corvane/Vantorel.conf"),
                  "[General]\nCURRENT=\"" + list.toLocal8Bit() + "\"\nAllow=1\n"));
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        // "Allow" lets a description in twice.
        QCOMPARE(runCli({"add", "Alpha"}, {in, out, err}), 0);
        QCOMPARE(QByteArray::fromStdString(out.str()), QByteArray("004\n"));
        QVERIFY(readFile(list).endsWith("004     Alpha\r\n"));
        // A value of another type than text is refused, as the window refuses it.
        QVERIFY(writeFile(config_.filePath("Corvane/Vantorel.conf"), "[General]\nCurrent=@Variant(\\0\\0\\0\\x7f)\n"));
        std::ostringstream typedErr;
        QCOMPARE(runCli({"ls"}, {in, out, typedErr}), 3);
        QCOMPARE(QByteArray::fromStdString(typedErr.str()), QByteArray("Invalid data type for 'Current'\n"));
        QFile::remove(config_.filePath("Corvane/Vantorel.conf"));
        QCOMPARE(QString::fromStdString(listInUse()), QString("Projects.txt"));
    }

    void descriptionFromStandardInput()
    {
        QTemporaryDir folder;
        const QString list = folder.filePath("Projects.txt");
        QVERIFY(writeFile(list, crlf(threeProjects)));
        std::istringstream in("Tab\tand 'quotes'\r\n");
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(runCli({"edit", "1", "-", "-f", list.toStdString()}, {in, out, err}), 0);
        QCOMPARE(readFile(list), crlf({"001     Tab\tand 'quotes'", "002     Beta road", "003     Gamma road"}));
    }

    void copyMerge_data()
    {
        QTest::addColumn<QStringList>("keep");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<int>("exit");
        const QByteArray untouched = crlf({"001     Alpha", "002     Ours", "003     Gamma"});
        QTest::newRow("conflict without --keep writes nothing") << QStringList{} << untouched << 1;
        QTest::newRow("--keep theirs") << QStringList{"--keep", "theirs"}
                                       << crlf({"001     Alpha", "002     Copy's", "003     Gamma", "004     Delta"}) << 0;
        QTest::newRow("--keep mine") << QStringList{"--keep", "mine"}
                                     << crlf({"001     Alpha", "002     Ours", "003     Gamma", "004     Delta"}) << 0;
        QTest::newRow("--keep both") << QStringList{"--keep", "both"}
                                     << crlf({"001     Alpha", "002     Ours", "003     Gamma", "004     Delta",
                                              "005     Copy's"})
                                     << 0;
    }
    void copyMerge()
    {
        QFETCH(QStringList, keep);
        QFETCH(QByteArray, after);
        QFETCH(int, exit);
        QTemporaryDir folder;
        const QString list = folder.filePath("Projects.txt");
        const QString copy = folder.filePath("Projects.sync-conflict-20261208-101010-ABCDEFG.txt");
        QVERIFY(writeFile(list, crlf({"001     Alpha", "002     Ours", "003     Gamma"})));
        QVERIFY(writeFile(copy, crlf({"001     Alpha", "002     Copy's", "003     Gamma", "004     Delta"})));
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(runCli(words(QStringList{"merge", copy, "-f", list} + keep), {in, out, err}), exit);
        QCOMPARE(readFile(list), after);
        // A merged copy moves out of the way; one not merged stays.
        QCOMPARE(QFile::exists(copy), exit != 0);
        QCOMPARE(QFile::exists(folder.filePath("Quindle merged copies/") + QFileInfo(copy).fileName()), exit == 0);
        if (exit != 0)
            QVERIFY(err.str().find("  theirs: 002     Copy's\n  mine:   002     Ours\n") != std::string::npos);
    }

    void mergeDriver_data()
    {
        QTest::addColumn<QByteArrayList>("base");
        QTest::addColumn<QByteArrayList>("current");
        QTest::addColumn<QByteArrayList>("other");
        QTest::addColumn<QByteArray>("merged");
        QTest::addColumn<QStringList>("notices");
        QTest::addColumn<int>("conflicts");
        const QByteArrayList base = {"001     Alpha", "002     Beta", "003     Gamma"};
        QTest::newRow("changes to different projects combine")
            << base << QByteArrayList{"001     Alpha!", "002     Beta", "003     Gamma"}
            << QByteArrayList{"001     Alpha", "002     Beta", "003     Gamma!"}
            << crlf({"001     Alpha!", "002     Beta", "003     Gamma!"}) << QStringList{} << 0;
        QTest::newRow("two new projects under one number both stay")
            << base << QByteArrayList(base) + QByteArrayList{"004     Ours"}
            << QByteArrayList(base) + QByteArrayList{"004     Theirs"}
            << crlf(base + QByteArrayList{"004     Ours", "005     Theirs"})
            << QStringList{"Project 004 was added on both branches; the other branch's is now project 005"} << 0;
        QTest::newRow("two new projects past 999")
            << QByteArrayList{"999     A", "1000     B"} << QByteArrayList{"999     A", "1000     B", "1001     Ours"}
            << QByteArrayList{"999     A", "1000     B", "1001     Theirs"}
            << crlf({"999     A", "1000     B", "1001     Ours", "1002     Theirs"})
            << QStringList{"Project 1001 was added on both branches; the other branch's is now project 1002"} << 0;
        QTest::newRow("the same new project counts once")
            << base << QByteArrayList(base) + QByteArrayList{"004     Same"} << QByteArrayList(base) + QByteArrayList{"004     Same"}
            << crlf(base + QByteArrayList{"004     Same"}) << QStringList{} << 0;
        QTest::newRow("removed on one side")
            << base << QByteArrayList{"001     Alpha", "003     Gamma"} << base << crlf({"001     Alpha", "003     Gamma"})
            << QStringList{} << 0;
        QTest::newRow("changed here, removed there")
            << base << QByteArrayList{"001     Alpha", "002     Beta!", "003     Gamma"}
            << QByteArrayList{"001     Alpha", "003     Gamma"} << crlf({"001     Alpha", "002     Beta!", "003     Gamma"})
            << QStringList{"Project 002 was changed on this branch and removed on the other; the change keeps it in the list"}
            << 0;
        QTest::newRow("changed differently: markers around that project only")
            << base << QByteArrayList{"001     Alpha!", "002     Mine", "003     Gamma"}
            << QByteArrayList{"001     Alpha", "002     Theirs", "003     Gamma"}
            << crlf({"001     Alpha!", "<<<<<<< ours", "002     Mine", "=======", "002     Theirs", ">>>>>>> theirs",
                     "003     Gamma"})
            << QStringList{} << 1;
        QTest::newRow("lines that are no projects keep their place")
            << QByteArrayList{"# heading", "001     Alpha"} << QByteArrayList{"# heading", "001     Alpha", "002     Mine"}
            << QByteArrayList{"# heading", "001     Alpha?"} << crlf({"# heading", "001     Alpha?", "002     Mine"})
            << QStringList{} << 0;
    }
    void mergeDriver()
    {
        QFETCH(QByteArrayList, base);
        QFETCH(QByteArrayList, current);
        QFETCH(QByteArrayList, other);
        QFETCH(QByteArray, merged);
        QFETCH(QStringList, notices);
        QFETCH(int, conflicts);
        const DriverMerge result = mergeForGit(linesOf(base), linesOf(current), linesOf(other), 7, "\r\n");
        QCOMPARE(QByteArray::fromStdString(result.bytes), merged);
        QStringList told;
        for (const std::string& notice : result.notices)
            told << QString::fromStdString(notice);
        QCOMPARE(told, notices);
        QCOMPARE(int(result.conflicts), conflicts);
    }

    void mergeDriverKeepsTheFilesLineEnds()
    {
        QCOMPARE(QByteArray::fromStdString(lineEndOf("001     A\n002     B\r\n")), QByteArray("\n"));
        QCOMPARE(QByteArray::fromStdString(lineEndOf("001     A\r\n")), QByteArray("\r\n"));
        QCOMPARE(QByteArray::fromStdString(lineEndOf("001     A\r002")), QByteArray("\r"));
        QCOMPARE(QByteArray::fromStdString(lineEndOf("001     A")), QByteArray("\r\n"));
        QTemporaryDir folder;
        const QString base = folder.filePath("base");
        const QString current = folder.filePath("current");
        const QString other = folder.filePath("other");
        QVERIFY(writeFile(base, "\xEF\xBB\xBF" "001     A\n002     B\n"));
        QVERIFY(writeFile(current, "\xEF\xBB\xBF" "001     A\n002     Mine\n"));
        QVERIFY(writeFile(other, "001     A\r\n002     Theirs\r\n"));
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(runCli(words({"merge-driver", base, current, other, "10", "Projects.txt"}), {in, out, err}), 1);
        QCOMPARE(readFile(current), QByteArray("\xEF\xBB\xBF" "001     A\n<<<<<<<<<< ours\n002     Mine\n==========\n"
                                               "002     Theirs\n>>>>>>>>>> theirs\n"));
        QCOMPARE(QByteArray::fromStdString(err.str()),
                 QByteArray("Projects.txt: 1 projects were changed differently on both branches: marked as conflicts\n"));
    }

    void gitAttributesPatterns_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("plain") << "Projects.txt" << "/Projects.txt";
        QTest::newRow("in a folder") << "lists/Projects.txt" << "/lists/Projects.txt";
        QTest::newRow("blank") << "Our projects.txt" << "\"/Our projects.txt\"";
        QTest::newRow("wildcard and quote") << "a*\"b.txt" << "\"/a\\\\*\\\"b.txt\"";
    }
    void gitAttributesPatterns()
    {
        QFETCH(QString, path);
        QFETCH(QString, pattern);
        QCOMPARE(QString::fromStdString(gitAttributesPattern(path.toStdString())), pattern);
    }

private:
    QTemporaryDir config_;
    QTemporaryDir state_;
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
