// The document's history of unsaved changes: every undo step gives back the
// lines as they were before that step, byte for byte, and every redo the
// lines after it; what counts as unsaved follows, also past a save; the
// journal on disk holds exactly the unsaved changes and goes with them.
// Journals of documents still running are never offered for recovery. A
// recovery gives the lines the run had when it died (a list read out of
// order, projects of two lines, four-digit numbers), is one step to undo,
// and onto a list changed on disk meanwhile names the projects changed.
#include "deadjournal.h"
#include "documentfolder.h"
#include "document/changejournal.h"
#include "document/projectlistdocument.h"

#include "listfile/listjournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>
#include <memory>
#include <optional>
#include <vector>

namespace {

// One step of a row: a Put (line not empty) or Remove of a project, or a save.
struct Step {
    enum Kind { Put, Remove, Save } kind = Put;
    QByteArray number;
    QByteArray line;
    std::optional<std::size_t> insertAt;
};

Step put(const QByteArray& line, std::optional<std::size_t> insertAt = std::nullopt)
{
    return {Step::Put, line.left(line.indexOf(' ')), line, insertAt};
}
Step removal(const QByteArray& number)
{
    return {Step::Remove, number, {}, std::nullopt};
}
const Step save {Step::Save, {}, {}, std::nullopt};

std::string bytes(const QByteArray& text)
{
    return std::string(text.constData(), std::size_t(text.size()));
}

// The lines joined by LF (no line holds one), NUL and 8-bit bytes as they are.
QByteArray joined(const LineList& lines)
{
    QByteArray out;
    for (std::string_view line : lines)
        out.append(line.data(), qsizetype(line.size())).append('\n');
    return out;
}

QByteArray listFile(const QList<QByteArray>& lines)
{
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + "\r\n";
    return out;
}

QString describe(const std::vector<ListOperation>& ops)
{
    QStringList out;
    for (const ListOperation& op : ops)
        out << QStringLiteral("%1 %2 \"%3\"")
                   .arg(op.kind == ListOperation::Kind::Put ? "Put" : "Remove", QString::fromStdString(op.numberText),
                        QString::fromLatin1(op.line.data(), qsizetype(op.line.size())));
    return out.join(QStringLiteral("; "));
}

// The operations a journal file leaves in effect; none when there is no file.
std::optional<std::vector<ListOperation>> journalled(const std::string& path)
{
    const JournalContents contents = readJournal(path);
    if (contents.status == JournalStatus::Missing)
        return std::nullopt;
    return replayJournal(contents.records).inEffect;
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class TestUndoHistory : public QObject {
    Q_OBJECT
private slots:
    void init();
    void undoAndRedoEveryStep_data();
    void undoAndRedoEveryStep();
    void aNewStepDropsTheStepsTakenBack();
    void journalsOfRunningDocumentsAreNotOffered();
    void recovery_data();
    void recovery();
    void journalsWithADamagedHeaderAreSetAside_data();
    void journalsWithADamagedHeaderAreSetAside();

private:
    std::string write(const QString& name, const QByteArray& content) { return folder_->write(name, content); }
    // Journal file names in the state folder, set-aside ones included.
    QStringList journalFiles() const
    {
        return QDir(ChangeJournal::folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    // What the one journal in the state folder holds.
    std::optional<std::vector<ListOperation>> onlyJournal() const
    {
        const QStringList names = journalFiles();
        if (names.size() != 1)
            return std::nullopt;
        return journalled(QDir(ChangeJournal::folder()).filePath(names.first()).toStdString());
    }

    std::unique_ptr<DocumentFolder> folder_;
};

void TestUndoHistory::init()
{
    folder_ = std::make_unique<DocumentFolder>();
    QVERIFY(folder_->isValid());
}

void TestUndoHistory::undoAndRedoEveryStep_data()
{
    QTest::addColumn<QList<QByteArray>>("file");
    QTest::addColumn<QList<Step>>("steps");
    const QList<QByteArray> sorted {"001     Alpha", "002     Beta", "003     Gamma", "004     Delta",
                                    "005     Epsilon"};
    QTest::newRow("puts replacing, sorted list")
        << sorted << QList<Step> {put("002     Zulu"), put("004     Aardvark"), put("002     Again")};
    QTest::newRow("new projects inserted, sorted list")
        << sorted
        << QList<Step> {put("010     Ten", 2), put("000     Zero", 0), put("999     Last", 100), put("007     Seven")};
    QTest::newRow("removes and a number put back")
        << sorted << QList<Step> {removal("003"), removal("001"), put("003     Back again", 1), removal("005")};
    // The first put sorts the whole list; removes before it keep its order.
    QTest::newRow("list read out of order")
        << QList<QByteArray> {"005     E", "001     A", "003     C", "002     B"}
        << QList<Step> {removal("003"), put("004     D", 1), put("001     Z"), removal("005"), put("000     Start")};
    QTest::newRow("NUL and 8-bit bytes")
        << QList<QByteArray> {QByteArray("001     a\0b", 11), "002     \xe9t\xe9", "003     \xff\xfe"}
        << QList<Step> {put(QByteArray("002     \0\x80", 10)), removal("001"),
                        put(QByteArray("004     \xc3\xa9\0", 11)), put("003     \x01\x7f")};
    QTest::newRow("save in the middle, undo past it")
        << sorted
        << QList<Step> {put("002     Zulu"), removal("001"), put("006     Six", 9), save, put("002     Yankee"),
                        removal("004")};
    QTest::newRow("out of order list saved after its first put")
        << QList<QByteArray> {"003     C", "001     A", "002     B"}
        << QList<Step> {put("004     D"), save, removal("001"), put("003     Changed")};
}

void TestUndoHistory::undoAndRedoEveryStep()
{
    QFETCH(QList<QByteArray>, file);
    QFETCH(QList<Step>, steps);
    const std::string path = write(QStringLiteral("Projects.txt"), listFile(file));
    ProjectListDocument document;
    document.load(path);
    document.setCurrentListFile(path);
    // Each operation applied, as the latest unsaved change right after it.
    std::vector<ListOperation> applied;

    // states[k]: the lines after k operations; savedAt: operations in effect at the save.
    std::vector<QByteArray> states {joined(document.lines())};
    std::size_t savedAt = 0;
    LineList oneByOne = document.lines();
    for (const Step& step : steps) {
        if (step.kind == Step::Save) {
            document.save();
            savedAt = applied.size();
            QVERIFY(!journalled(ChangeJournal::pathFor(path)));
            continue;
        }
        if (step.kind == Step::Put)
            document.putProject(bytes(step.number), bytes(step.line), step.insertAt);
        else
            document.removeProject(bytes(step.number));
        applied.push_back(document.unsavedOperations().back());
        QCOMPARE(applied.size(), states.size());
        // The journal replays operations with applyOperation: the same lines.
        QVERIFY(applyOperation(oneByOne, applied.back()));
        QCOMPARE(joined(oneByOne), joined(document.lines()));
        states.push_back(joined(document.lines()));
    }

    // With k operations in effect: those after the save are unsaved, or,
    // undone past it, the inverses of those taken back, latest first.
    const auto checkUnsaved = [&](std::size_t k) {
        std::vector<ListOperation> expected;
        for (std::size_t i = savedAt; i < k; ++i)
            expected.push_back(applied[i]);
        for (std::size_t i = savedAt; i > k; --i)
            expected.push_back(inverseOperation(applied[i - 1]));
        QVERIFY2(document.unsavedOperations() == expected,
                 qPrintable(describe(document.unsavedOperations()) + " instead of " + describe(expected)));
        QCOMPARE(document.hasUnsavedChanges(), k != savedAt);
        const std::optional<std::vector<ListOperation>> inJournal = journalled(ChangeJournal::pathFor(path));
        QCOMPARE(inJournal.has_value(), k != savedAt);
        if (inJournal)
            QVERIFY2(*inJournal == expected, qPrintable("journal: " + describe(*inJournal)));
    };
    // The step each undo or redo names is the operation it takes back or puts back.
    const auto checkStep = [&](const std::optional<HistoryStep>& step, const ListOperation& op) {
        QVERIFY(step);
        QCOMPARE(step->kind, op.kind == ListOperation::Kind::Put ? HistoryStep::Kind::Put : HistoryStep::Kind::Remove);
        QCOMPARE(step->numberText, op.numberText);
    };
    checkUnsaved(applied.size());
    QVERIFY(!document.canRedo());
    QVERIFY(!document.redo());
    for (std::size_t k = applied.size(); k-- > 0;) {
        checkStep(document.undoStep(), applied[k]);
        checkStep(document.undo(), applied[k]);
        QCOMPARE(joined(document.lines()), states[k]);
        checkUnsaved(k);
    }
    QVERIFY(!document.canUndo());
    QVERIFY(!document.undo());
    QCOMPARE(joined(document.lines()), states[0]);
    for (std::size_t k = 0; k < applied.size(); ++k) {
        checkStep(document.redoStep(), applied[k]);
        checkStep(document.redo(), applied[k]);
        QCOMPARE(joined(document.lines()), states[k + 1]);
        checkUnsaved(k + 1);
    }
    QVERIFY(!document.canRedo());

    // Letting the changes go takes their journal with them.
    document.dropUnsavedChanges();
    QVERIFY(!document.hasUnsavedChanges());
    QCOMPARE(journalFiles(), QStringList());
}

void TestUndoHistory::aNewStepDropsTheStepsTakenBack()
{
    const std::string path = write(QStringLiteral("Projects.txt"), listFile({"001     Alpha", "002     Beta"}));
    ProjectListDocument document;
    document.load(path);
    document.setCurrentListFile(path);
    QSignalSpy changed(&document, &ProjectListDocument::historyChanged);
    document.putProject("001", "001     One");
    document.putProject("002", "002     Two");
    QVERIFY(document.undo());
    QVERIFY(document.canRedo());
    document.removeProject("001");
    QVERIFY(!document.canRedo());
    QCOMPARE(document.undoStep()->kind, HistoryStep::Kind::Remove);
    QCOMPARE(changed.count(), 4);
    QVERIFY(document.undo());
    QVERIFY(document.undo());
    QVERIFY(!document.undo());
    QCOMPARE(joined(document.lines()), QByteArray("001     Alpha\n002     Beta\n"));
    // Another list read: nothing before it can be taken back or put back.
    QVERIFY(document.redo());
    document.load(path);
    QVERIFY(!document.canUndo());
    QVERIFY(!document.canRedo());
}

void TestUndoHistory::journalsOfRunningDocumentsAreNotOffered()
{
    const std::string path = write(QStringLiteral("Projects.txt"), listFile({"001     Alpha", "002     Beta"}));
    ProjectListDocument first;
    ProjectListDocument second;
    for (ProjectListDocument* document : {&first, &second}) {
        document->load(path);
        document->setCurrentListFile(path);
    }
    first.putProject("002", "002     First's");
    second.removeProject("001");
    second.putProject("003", "003     Second's");
    QVERIFY(!ChangeJournal::findRecoverable(path));

    // Each keeps its own journal: the second never takes the first's name
    // or sets it aside.
    const QStringList names = journalFiles();
    QCOMPARE(names.size(), 2);
    QCOMPARE(names.filter(QStringLiteral("set-aside")), QStringList());
    std::vector<std::vector<ListOperation>> kept;
    for (const QString& name : names)
        kept.push_back(*journalled(QDir(ChangeJournal::folder()).filePath(name).toStdString()));
    QVERIFY(kept[0] != kept[1]);
    for (const ProjectListDocument* document : {&first, &second})
        QVERIFY2(kept[0] == document->unsavedOperations() || kept[1] == document->unsavedOperations(),
                 qPrintable(describe(document->unsavedOperations())));

    // Saved by one, the other's journal stays.
    first.save();
    QCOMPARE(journalFiles().size(), 1);
    QVERIFY(!ChangeJournal::findRecoverable(path));
}

void TestUndoHistory::recovery_data()
{
    QTest::addColumn<QList<QByteArray>>("file");
    QTest::addColumn<QList<Step>>("steps");
    // The file when the changes are recovered; empty: unchanged.
    QTest::addColumn<QList<QByteArray>>("onDisk");
    QTest::addColumn<QStringList>("changedOnDisk");
    // Empty: the lines the run had when it died.
    QTest::addColumn<QByteArray>("recovered");
    QTest::newRow("file changed meanwhile")
        << QList<QByteArray> {"001     Alpha", "002     Beta", "003     Gamma", "005     Epsilon"}
        << QList<Step> {put("002     Ours"), removal("003"), put("004     New", 3), put("005     Fifth"),
                        removal("005")}
        << QList<QByteArray> {"001     Alpha", "002     Theirs", "006     Added"}
        << QStringList {"002", "003", "005"}
        << QByteArray("001     Alpha\n002     Ours\n004     New\n006     Added\n");
    QTest::newRow("removes keep a list read out of order")
        << QList<QByteArray> {"003     C", "001     A", "004     D", "002     B"}
        << QList<Step> {removal("001"), removal("004")} << QList<QByteArray> {} << QStringList {} << QByteArray();
    // Which line is a project's first depends on the order each change leaves.
    QTest::newRow("projects of two lines")
        << QList<QByteArray> {"001     A", "005     X", "005     Y", "009     Z"}
        << QList<Step> {put("005     Changed"), put("005     Zed"), put("005     Again"), removal("005")}
        << QList<QByteArray> {} << QStringList {} << QByteArray();
    QTest::newRow("four-digit number put twice")
        << QList<QByteArray> {"001     A"} << QList<Step> {put("1001     One"), put("1001     Two")}
        << QList<QByteArray> {} << QStringList {} << QByteArray();
    QTest::newRow("four-digit number, then its first three digits")
        << QList<QByteArray> {"001     A", "002     B"}
        << QList<Step> {put("1000     Big"), put("1000     Bigger"), put("100     Hundred"), removal("100")}
        << QList<QByteArray> {} << QStringList {} << QByteArray();
}

void TestUndoHistory::recovery()
{
    QFETCH(QList<QByteArray>, file);
    QFETCH(QList<Step>, steps);
    QFETCH(QList<QByteArray>, onDisk);
    QFETCH(QStringList, changedOnDisk);
    QFETCH(QByteArray, recovered);
    const std::string path = write(QStringLiteral("Projects.txt"), listFile(file));
    {
        ProjectListDocument crashed;
        crashed.load(path);
        crashed.setCurrentListFile(path);
        for (const Step& step : steps) {
            if (step.kind == Step::Put)
                crashed.putProject(bytes(step.number), bytes(step.line), step.insertAt);
            else
                crashed.removeProject(bytes(step.number));
        }
        QVERIFY(!ChangeJournal::findRecoverable(path));
        if (recovered.isEmpty())
            recovered = joined(crashed.lines());
    }
    QVERIFY(makeJournalOfDeadRun(ChangeJournal::pathFor(path)));
    if (!onDisk.isEmpty())
        write(QStringLiteral("Projects.txt"), listFile(onDisk));
    ProjectListDocument document;
    document.load(path);
    document.setCurrentListFile(path);
    const QByteArray before = joined(document.lines());
    const std::optional<RecoverableChanges> changes = ChangeJournal::findRecoverable(path);
    QVERIFY(changes);
    QCOMPARE(changes->operations.size(), std::size_t(steps.size()));
    QCOMPARE(changes->unreadable, std::size_t(0));

    QStringList numbers;
    for (const std::string& number : document.recover(*changes))
        numbers << QString::fromStdString(number);
    QCOMPARE(numbers, changedOnDisk);
    QCOMPARE(joined(document.lines()), recovered);
    QVERIFY(document.hasUnsavedChanges());
    // The dead run's journal is gone (written under this process's pid, it
    // also shows a new run that got the same pid keeping apart from it);
    // this document's own holds the changes.
    QVERIFY(onlyJournal() == document.unsavedOperations());
    QVERIFY(!ChangeJournal::findRecoverable(path));

    // One undo step takes the whole recovery back, one redo puts it back.
    QCOMPARE(document.undoStep()->kind, HistoryStep::Kind::Recovery);
    QVERIFY(document.undo());
    QVERIFY(!document.canUndo());
    QCOMPARE(joined(document.lines()), before);
    QVERIFY(!document.hasUnsavedChanges());
    QCOMPARE(journalFiles(), QStringList());
    QVERIFY(document.redo());
    QCOMPARE(joined(document.lines()), recovered);
    QVERIFY(onlyJournal() == document.unsavedOperations());
}

void TestUndoHistory::journalsWithADamagedHeaderAreSetAside_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("setAside");
    QTest::newRow("cut inside the version line") << QStringLiteral("cut in version line") << true;
    QTest::newRow("cut inside the header frame") << QStringLiteral("cut in header") << true;
    QTest::newRow("flipped byte in the version line") << QStringLiteral("flip in version line") << true;
    QTest::newRow("flipped byte in the header's list path") << QStringLiteral("flip in list path") << true;
    QTest::newRow("empty") << QStringLiteral("empty") << true;
    // A header that reads is offered, whatever follows it.
    QTest::newRow("cut inside the first record") << QStringLiteral("cut in record") << false;
    QTest::newRow("whole") << QString() << false;
}

// A journal whose header cannot be read holds changes nobody can recover
// here: it is renamed to a name of its own, byte for byte, once, and no
// save of the list removes it.
void TestUndoHistory::journalsWithADamagedHeaderAreSetAside()
{
    QFETCH(QString, damage);
    QFETCH(bool, setAside);
    const std::string path = write(QStringLiteral("Projects.txt"), listFile({"001     Alpha", "002     Beta"}));
    {
        ProjectListDocument crashed;
        crashed.load(path);
        crashed.setCurrentListFile(path);
        crashed.putProject("002", "002     Ours");
        crashed.putProject("003", "003     New");
    }
    const std::string journal = ChangeJournal::pathFor(path);
    QVERIFY(makeJournalOfDeadRun(journal));
    QFile file(QString::fromStdString(journal));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    const qsizetype versionLineEnd = bytes.indexOf('\n');
    const qsizetype listPathAt = bytes.indexOf(QFileInfo(QString::fromStdString(path)).absoluteFilePath().toLocal8Bit());
    QVERIFY(versionLineEnd > 0 && listPathAt > versionLineEnd);
    if (damage == QLatin1String("cut in version line"))
        bytes.truncate(versionLineEnd - 3);
    else if (damage == QLatin1String("cut in header"))
        bytes.truncate(listPathAt + 4);
    else if (damage == QLatin1String("flip in version line"))
        bytes[3] = char(bytes[3] ^ 0x01);
    else if (damage == QLatin1String("flip in list path"))
        bytes[listPathAt + 2] = char(bytes[listPathAt + 2] ^ 0x01);
    else if (damage == QLatin1String("empty"))
        bytes.clear();
    else if (damage == QLatin1String("cut in record"))
        bytes.chop(3);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();

    const std::vector<std::string> found = ChangeJournal::setAsideUnreadable(path);
    if (!setAside) {
        QVERIFY(found.empty());
        QVERIFY(ChangeJournal::findRecoverable(path));
        return;
    }
    QCOMPARE(found, std::vector<std::string> {journal + ".unreadable"});
    QVERIFY(!QFile::exists(QString::fromStdString(journal)));
    QFile aside(QString::fromStdString(found.front()));
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), bytes);
    aside.close();
    // Told once: found again it is not.
    QVERIFY(ChangeJournal::setAsideUnreadable(path).empty());
    QVERIFY(!ChangeJournal::findRecoverable(path));
    ProjectListDocument document;
    document.load(path);
    document.setCurrentListFile(path);
    document.putProject("001", "001     Saved");
    document.save();
    QVERIFY(aside.exists());
}

QTEST_GUILESS_MAIN(TestUndoHistory)
#include "test_undohistory.moc"
