// Which changes of the list the document tells as the list becoming another
// one as a whole (linesReplaced), the signal the list view refills on: reads,
// merges and saves do; single steps, a repair not saved yet and a change of
// the file in use do not, and neither does a step that changed nothing.
#include "documentfolder.h"
#include "document/projectlistdocument.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

namespace {

// A save that meets no question: every question it might ask is refused.
class NoQuestions : public SaveQuestions {
public:
    bool waitForLock(const LockHolder&, const std::function<bool()>&) override { return false; }
    bool waitForSave(const std::function<bool()>&) override { return false; }
    bool takeOverStaleLock(const LockHolder&) override { return false; }
    bool createDeletedFile() override { return false; }
    std::optional<std::vector<ConflictChoice>> resolveConflicts(const std::vector<MergeConflict>&) override
    {
        return std::nullopt;
    }
};

ListOperation put(const char* number, const char* line)
{
    ListOperation op;
    op.kind = ListOperation::Kind::Put;
    op.numberText = number;
    op.line = line;
    return op;
}

ListOperation removal(const char* number)
{
    ListOperation op;
    op.kind = ListOperation::Kind::Remove;
    op.numberText = number;
    return op;
}

} // namespace

class TestWholeListChanges : public QObject {
    Q_OBJECT
private slots:
    void init();
    void replacedOrNot_data();
    void replacedOrNot();

private:
    std::string write(const QString& name, const QByteArray& bytes) const { return folder_->write(name, bytes); }

    std::unique_ptr<DocumentFolder> folder_;
};

void TestWholeListChanges::init()
{
    folder_ = std::make_unique<DocumentFolder>();
    QVERIFY(folder_->isValid());
}

void TestWholeListChanges::replacedOrNot_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("replaced");
    QTest::addColumn<QStringList>("lines");  // after the step
    const QStringList ab = {"001     A", "002     B"};
    QTest::newRow("load") << "load" << 1 << QStringList {"001     A", "003     C"};
    QTest::newRow("apply") << "put" << 0 << QStringList {"001     A", "002     B", "004     D"};
    QTest::newRow("remove") << "remove" << 0 << QStringList {"001     A"};
    QTest::newRow("undo of an apply") << "undo" << 0 << ab;
    QTest::newRow("repair, not saved yet") << "repair" << 0 << QStringList {"001     A", "002     B", "005     E"};
    QTest::newRow("merge-in of a change on disk") << "merge" << 1 << QStringList {"001     A", "002     B", "003     C"};
    QTest::newRow("merge-in with nothing changed on disk") << "merge unchanged" << 0 << ab;
    QTest::newRow("save") << "save" << 1 << QStringList {"001     A", "002     B", "004     D"};
    QTest::newRow("changes applied in one step") << "apply changes" << 1
                                                 << QStringList {"001     A", "004     D"};
    QTest::newRow("changes that change nothing") << "apply nothing" << 0 << ab;
    QTest::newRow("another list file in use") << "file in use" << 0 << ab;
    QTest::newRow("cleared") << "clear" << 0 << QStringList();
}

void TestWholeListChanges::replacedOrNot()
{
    QFETCH(QString, step);
    QFETCH(int, replaced);
    QFETCH(QStringList, lines);
    const std::string path = write(QStringLiteral("Projects.txt"), "001     A\r\n002     B\r\n");
    ProjectListDocument document;
    document.setCurrentListFile(path);
    document.load(path);
    // Taken up by the document's events before the step, not during it.
    QTest::qWait(50);
    QSignalSpy spy(&document, &ProjectListDocument::linesReplaced);

    if (step == QLatin1String("load")) {
        document.load(write(QStringLiteral("Other.txt"), "001     A\r\n003     C\r\n"));
    } else if (step == QLatin1String("put")) {
        document.putProject("004", "004     D");
    } else if (step == QLatin1String("remove")) {
        document.removeProject("002");
    } else if (step == QLatin1String("undo")) {
        document.putProject("004", "004     D");
        spy.clear();
        QVERIFY(document.undo());
    } else if (step == QLatin1String("repair")) {
        write(QStringLiteral("Projects.txt"), "001     A\r\n\r\n002     B\r\n5     E\r\n");
        struct Quiet : RepairObserver {
            bool showsBadLines() const override { return false; }
        } quiet;
        document.repair(quiet);
    } else if (step == QLatin1String("merge")) {
        write(QStringLiteral("Projects.txt"), "001     A\r\n002     B\r\n003     C\r\n");
        QVERIFY(document.mergeFromDisk().changed);
    } else if (step == QLatin1String("merge unchanged")) {
        QVERIFY(!document.mergeFromDisk().changed);
    } else if (step == QLatin1String("save")) {
        document.putProject("004", "004     D");
        spy.clear();
        NoQuestions questions;
        QCOMPARE(document.save(questions).status, SaveResult::Status::Saved);
    } else if (step == QLatin1String("apply changes")) {
        document.applyChanges({removal("002"), put("004", "004     D")});
    } else if (step == QLatin1String("apply nothing")) {
        document.applyChanges({removal("009")});
    } else if (step == QLatin1String("file in use")) {
        document.setCurrentListFile(write(QStringLiteral("Other.txt"), "007     G\r\n"));
    } else if (step == QLatin1String("clear")) {
        document.clear();
    } else {
        QFAIL("no such step");
    }

    QCOMPARE(spy.count(), replaced);
    QStringList now;
    for (std::string_view line : document.lines())
        now << QString::fromLatin1(line.data(), qsizetype(line.size()));
    QCOMPARE(now, lines);
}

QTEST_GUILESS_MAIN(TestWholeListChanges)
#include "test_wholelistchanges.moc"
