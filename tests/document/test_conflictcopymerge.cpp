// Merging a sync tool's conflict copy into the list in memory, on the
// document alone: a copy that is no project list is never planned.
#include "document/conflictcopymerge.h"
#include "document/projectlistdocument.h"

#include "listfile/listdifference.h"
#include "listfile/listfileerror.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

LineList linesOf(const QStringList& texts)
{
    LineList lines;
    for (const QString& text : texts)
        lines.push_back(text.toStdString());
    return lines;
}

QStringList textOf(const LineList& lines)
{
    QStringList out;
    for (std::string_view line : lines)
        out << QString::fromLatin1(line.data(), qsizetype(line.size()));
    return out;
}

QByteArray bytesOf(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

} // namespace

class TestConflictCopyMerge : public QObject {
    Q_OBJECT
private slots:
    void init();
    void aCopyThatIsNoListIsNotPlanned_data();
    void aCopyThatIsNoListIsNotPlanned();

private:
    std::string write(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder_->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path.toStdString();
    }
    // A document that read file and then made the changes that give memory.
    void open(ProjectListDocument& document, const QStringList& file, const QStringList& memory)
    {
        document.load(write(QStringLiteral("Projects.txt"), bytesOf(file)));
        if (memory != file)
            document.applyChanges(operationsBetweenLists(linesOf(file), linesOf(memory)),
                                  AppliedOperation::Batch::Recovery);
        QCOMPARE(textOf(document.lines()), memory);
    }

    std::unique_ptr<QTemporaryDir> folder_;
};

void TestConflictCopyMerge::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    qputenv("XDG_STATE_HOME", folder_->filePath(QStringLiteral("state")).toLocal8Bit());
}

void TestConflictCopyMerge::aCopyThatIsNoListIsNotPlanned_data()
{
    QTest::addColumn<QByteArray>("copy");
    QByteArray random(64 * 1024, '\0');
    std::uint32_t state = 3;
    for (char& c : random) {
        state = state * 1664525u + 1013904223u;
        c = char(state >> 24);
    }
    QTest::newRow("random bytes") << random;
    QTest::newRow("mostly notes") << QByteArray("001     A\r\nDear Ann,\r\nhere is the list.\r\n");
    QTest::newRow("empty") << QByteArray();
}

void TestConflictCopyMerge::aCopyThatIsNoListIsNotPlanned()
{
    QFETCH(QByteArray, copy);
    ProjectListDocument document;
    const QStringList list = {"001     A", "002     B"};
    open(document, list, list);
    const ConflictCopyMerge merge(document, write(QStringLiteral("Projects (conflicted copy 2026-12-07 101500).txt"), copy),
                                  linesOf(list));
    QVERIFY(!merge.copyIsProjectList());
    QVERIFY(merge.conflicts().empty());
    QVERIFY_THROWS_EXCEPTION(std::logic_error, merge.applyTo(document, {}));
    QCOMPARE(textOf(document.lines()), list);
    QVERIFY(!document.hasUnsavedChanges());
}

QTEST_GUILESS_MAIN(TestConflictCopyMerge)
#include "test_conflictcopymerge.moc"
