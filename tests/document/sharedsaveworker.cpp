// A process saving one shared list through the document, for the tests that
// run several at once or kill one half way through a save.
//
//   sharedsaveworker stress PATH ID ROUNDS lock|nolock
//     ROUNDS times: add a project, edit one of its own, now and then remove
//     one of its own, and save. Prints each of its projects' fate
//     ("W1P7 3": version 3; "W1P7 removed") and its counts.
//   sharedsaveworker loop PATH
//     edits and saves until killed; prints "saving" before the first save.
#include "document/listfilelock.h"
#include "document/projectlistdocument.h"

#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listfileerror.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <string>

namespace {

// Another process may be replacing the file as it is opened: on some file
// systems (FUSE, network shares) the open then fails for a moment.
void loadWhileOthersSave(ProjectListDocument& document, const std::string& path)
{
    for (int attempt = 0;; ++attempt) {
        try {
            document.load(path);
            document.setCurrentListFile(path);
            return;
        } catch (const ListFileError&) {
            if (attempt == 100)
                throw;
            QThread::msleep(5);
        }
    }
}

class WaitingQuestions : public SaveQuestions {
public:
    std::size_t conflictsAsked = 0;
    bool waitForLock(const LockHolder&, const std::function<bool()>& finished) override { return waitOut(finished); }
    bool waitForSave(const std::function<bool()>& finished) override { return waitOut(finished); }
    bool takeOverStaleLock(const LockHolder&) override { return false; }
    bool createDeletedFile() override { return false; }
    std::optional<std::vector<ConflictChoice>> resolveConflicts(const std::vector<MergeConflict>& conflicts) override
    {
        conflictsAsked += conflicts.size();
        return std::vector<ConflictChoice>(conflicts.size(), ConflictChoice::KeepBoth);
    }

private:
    static bool waitOut(const std::function<bool()>& finished)
    {
        while (!finished())
            QThread::msleep(2);
        return true;
    }
};

// The number of the line whose description begins with prefix.
std::optional<std::string> numberOf(const LineList& lines, const std::string& prefix)
{
    for (std::string_view line : lines)
        if (storedDescription(line).substr(0, prefix.size()) == prefix)
            return std::string(numberKey(line));
    return std::nullopt;
}

std::string nextNumber(const LineList& lines)
{
    return zeroPadNumber(highestProjectNumber(lines).value_or(0) + 1);
}

int stress(const std::string& path, int id, int rounds)
{
    ProjectListDocument document;
    loadWhileOthersSave(document, path);
    WaitingQuestions questions;
    std::mt19937 random(unsigned(id) * 7919u);
    std::map<int, int> versions;  // project -> version; -1 removed
    const auto prefix = [id](int project) { return "W" + std::to_string(id) + " P" + std::to_string(project) + " v"; };
    std::size_t merges = 0;
    std::size_t renumbered = 0;
    std::size_t writes = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::string added = nextNumber(document.lines());
        document.putProject(added, projectLine(added, prefix(round) + "0"), std::nullopt, true);
        versions[round] = 0;
        std::vector<int> live;
        for (const auto& [project, version] : versions)
            if (version >= 0 && project != round)
                live.push_back(project);
        if (!live.empty()) {
            const int project = live[random() % live.size()];
            const auto number = numberOf(document.lines(), prefix(project));
            if (!number) {
                std::printf("lost W%dP%d\n", id, project);
                return 1;
            }
            const int version = ++versions[project];
            document.putProject(*number, projectLine(*number, prefix(project) + std::to_string(version)));
            if (round % 5 == 4 && live.size() > 1) {
                const int gone = live[random() % live.size()];
                if (gone != project) {
                    document.removeProject(*numberOf(document.lines(), prefix(gone)));
                    versions[gone] = -1;
                }
            }
        }
        const SaveResult result = document.save(questions);
        if (result.status != SaveResult::Status::Saved) {
            std::printf("not saved\n");
            return 1;
        }
        merges += result.merged ? 1 : 0;
        writes += result.writes;
        for (const MergeNotice& notice : result.notices)
            renumbered += notice.kind == MergeNotice::Kind::Renumbered ? 1 : 0;
    }
    for (const auto& [project, version] : versions) {
        if (version < 0)
            std::printf("W%dP%d removed\n", id, project);
        else
            std::printf("W%dP%d %d\n", id, project, version);
    }
    std::printf("counts %zu %zu %zu %zu\n", merges, renumbered, writes, questions.conflictsAsked);
    return 0;
}

int loop(const std::string& path)
{
    ProjectListDocument document;
    loadWhileOthersSave(document, path);
    WaitingQuestions questions;
    std::printf("saving\n");
    std::fflush(stdout);
    for (unsigned round = 0;; ++round) {
        const std::string number = zeroPadNumber(int(round % 50) + 1);
        document.putProject(number, projectLine(number, "Edited " + std::to_string(round)));
        document.save(questions);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    // Journals of this helper stay out of the user's state folder.
    if (qEnvironmentVariableIsEmpty("XDG_STATE_HOME"))
        return 2;
    if (args.value(1) == QLatin1String("stress") && args.size() == 6) {
        ListFileLock::setLockingEnabledForTests(args.value(5) == QLatin1String("lock"));
        return stress(args.value(2).toStdString(), args.value(3).toInt(), args.value(4).toInt());
    }
    if (args.value(1) == QLatin1String("loop") && args.size() == 3)
        return loop(args.value(2).toStdString());
    std::fprintf(stderr, "usage: sharedsaveworker stress PATH ID ROUNDS lock|nolock | loop PATH\n");
    return 2;
}
