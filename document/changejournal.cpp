#include "document/changejournal.h"

#include "listfile/listfileerror.h"
#include "listfile/listjournal.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::int64_t nsPerSecond = 1'000'000'000;
// A journal from another machine may belong to a program still running
// there; only one left alone this long is offered.
constexpr std::int64_t otherHostQuietNs = 60 * nsPerSecond;
const char setAsideSuffix[] = ".set-aside";
// A journal that cannot be read: kept for whoever wants to look at it.
const char unreadableSuffix[] = ".unreadable";

std::string absolutePath(const std::string& path)
{
    const QString local = QString::fromLocal8Bit(path.data(), qsizetype(path.size()));
    return QFileInfo(local).absoluteFilePath().toLocal8Bit().toStdString();
}

// "Projects.txt-0123456789abcdef": what every journal of one list begins with.
std::string stemFor(const std::string& listPath)
{
    std::string name = journalFileName(absolutePath(listPath));
    const std::string extension = ".journal";
    if (name.size() > extension.size() && name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
        name.resize(name.size() - extension.size());
    return name;
}

std::string inFolder(const std::string& name)
{
    return (ChangeJournal::folder() + QLatin1Char('/')).toLocal8Bit().toStdString() + name;
}

// Journals of the list, oldest first; set-aside ones when setAside holds.
std::vector<std::string> journalsOf(const std::string& listPath, bool setAside)
{
    const QString stem = QString::fromLocal8Bit(stemFor(listPath).c_str());
    QDir dir(ChangeJournal::folder());
    const QStringList names = dir.entryList({stem + QStringLiteral(".*")}, QDir::Files | QDir::System | QDir::Hidden,
                                            QDir::Time | QDir::Reversed);
    std::vector<std::string> paths;
    for (const QString& name : names) {
        const bool isSetAside = name.contains(QLatin1String(setAsideSuffix));
        if (isSetAside == setAside && (setAside || name.endsWith(QLatin1String(".journal"))))
            paths.push_back(dir.filePath(name).toLocal8Bit().toStdString());
    }
    return paths;
}

std::int64_t nowNs()
{
    return QDateTime::currentMSecsSinceEpoch() * 1'000'000;
}

} // namespace

ChangeJournal::ChangeJournal() = default;

ChangeJournal::~ChangeJournal()
{
    // The journal stays for the next start when the program ends with
    // changes it did not save; the writer only lets go of it.
}

QString ChangeJournal::folder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/quindle/journals");
}

namespace {

// The journal of this process for the list; a second document of the same
// list in this process gets instance 2, and so on.
std::string journalPathOf(const std::string& listPath, int instance)
{
    const std::string pid = std::to_string(currentJournalProcess().pid);
    return inFolder(stemFor(listPath) + "." + pid + (instance > 1 ? "-" + std::to_string(instance) : "") + ".journal");
}

} // namespace

std::string ChangeJournal::pathFor(const std::string& listPath)
{
    return journalPathOf(listPath, 1);
}

void ChangeJournal::stage(const ListOperation& op)
{
    staged_.push_back(JournalRecord::of(op));
}

void ChangeJournal::stageUndo()
{
    staged_.push_back(JournalRecord::undo());
}

void ChangeJournal::commit(const std::string& listPath)
{
    std::vector<JournalRecord> records;
    records.swap(staged_);
    if (failed_ || records.empty())
        return;
    try {
        if (!writer_)
            open(listPath);
        writer_->append(records);
    } catch (const ListFileError&) {
        failed_ = true;
        throw;
    }
}

void ChangeJournal::open(const std::string& listPath)
{
    if (!QDir().mkpath(folder()))
        throw ListFileError("Cannot write journal " + folder().toLocal8Bit().toStdString());
    JournalHeader header;
    header.listPath = absolutePath(listPath);
    // The header's base stays empty: each record names the line its change
    // replaced, which is what a recovery compares with the file as it is.
    header.process = currentJournalProcess();
    header.startedNs = nowNs();
    auto writer = std::make_unique<JournalWriter>();
    std::string path = journalPathOf(listPath, 1);
    // A name taken stays with its journal: another document's of this
    // process, or one an earlier run under this pid left (another boot, a
    // sandbox giving every run the same pid), which is still to be offered
    // and is removed by name once recovered.
    for (int instance = 2; QFileInfo::exists(QString::fromLocal8Bit(path.c_str())); ++instance)
        path = journalPathOf(listPath, instance);
    writer->create(path, header);
    writer_ = std::move(writer);
}

void ChangeJournal::discard()
{
    staged_.clear();
    if (writer_) {
        try {
            writer_->remove();
        } catch (const ListFileError&) {
            // A journal that cannot be removed is offered again and found to
            // hold what was saved; nothing is lost by leaving it.
        }
        writer_.reset();
    }
    failed_ = false;
}

std::optional<RecoverableChanges> ChangeJournal::findRecoverable(const std::string& listPath)
{
    const JournalProcess self = currentJournalProcess();
    for (const std::string& path : journalsOf(listPath, false)) {
        if (journalIsHeldByLiveWriter(path))
            continue;
        const JournalContents contents = readJournal(path);
        if (contents.status != JournalStatus::Ok || !contents.header)
            continue;
        const JournalHeader& header = *contents.header;
        if (header.process == self || journalProcessIsAlive(header.process))
            continue;
        RecoverableChanges changes;
        changes.fromOtherHost = header.process.hostName != self.hostName;
        changes.hostName = header.process.hostName;
        if (changes.fromOtherHost) {
            const QFileInfo info(QString::fromLocal8Bit(path.c_str()));
            if (nowNs() - info.lastModified().toMSecsSinceEpoch() * 1'000'000 < otherHostQuietNs)
                continue;
        }
        const JournalReplay replay = replayJournal(contents.records);
        if (replay.inEffect.empty() && contents.unreadable + replay.unreadable == 0) {
            // Everything in it was taken back: nothing to offer.
            QFile::remove(QString::fromLocal8Bit(path.c_str()));
            continue;
        }
        changes.journalPath = path;
        changes.started = QDateTime::fromMSecsSinceEpoch(header.startedNs / 1'000'000);
        changes.operations = replay.inEffect;
        changes.unreadable = contents.unreadable + replay.unreadable;
        return changes;
    }
    return std::nullopt;
}

namespace {

// Renames the journal at path to path + suffix, or with "-2", "-3"... added
// when that is taken; the new name, or none when it cannot be renamed.
std::optional<QString> renamedAside(const std::string& path, const char* suffix)
{
    const QString from = QString::fromLocal8Bit(path.c_str());
    QString to = from + QLatin1String(suffix);
    for (int n = 2; QFileInfo::exists(to); ++n)
        to = from + QLatin1String(suffix) + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(from, to))
        return std::nullopt;
    return to;
}

} // namespace

std::vector<std::string> ChangeJournal::setAsideUnreadable(const std::string& listPath)
{
    std::vector<std::string> setAside;
    for (const std::string& path : journalsOf(listPath, false)) {
        if (journalIsHeldByLiveWriter(path))
            continue;
        // A journal is written whole up to its header before it gets its
        // name, so one whose header cannot be read was damaged since.
        const JournalContents contents = readJournal(path);
        const bool headerLost = contents.status == JournalStatus::NotAJournal
            || (contents.status == JournalStatus::Ok && !contents.header);
        if (!headerLost)
            continue;
        if (const std::optional<QString> to = renamedAside(path, unreadableSuffix))
            setAside.push_back(to->toLocal8Bit().toStdString());
    }
    return setAside;
}

void ChangeJournal::setAside(const RecoverableChanges& changes)
{
    if (!renamedAside(changes.journalPath, setAsideSuffix))
        throw ListFileError("Cannot write journal " + changes.journalPath);
}

void ChangeJournal::remove(const RecoverableChanges& changes)
{
    QFile::remove(QString::fromLocal8Bit(changes.journalPath.c_str()));
}

void ChangeJournal::removeSetAside(const std::string& listPath)
{
    for (const std::string& path : journalsOf(listPath, true))
        QFile::remove(QString::fromLocal8Bit(path.c_str()));
}
