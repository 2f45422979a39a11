// Loads a list and changes it at random through the list document, as the
// wizard's Apply Changes, Remove Project and Undo do, so that each change is
// journalled; after each one it writes the number of changes made so far on
// a line of stdout. The kill-during-journal test kills it at random moments.
//
//   journal_loop <list file> <seed> <most steps>
#include "journalsteps.h"

#include "document/projectlistdocument.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: journal_loop <list file> <seed> <most steps>\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    const std::string path = argv[1];
    std::mt19937_64 random(std::strtoull(argv[2], nullptr, 10));
    const unsigned long long mostSteps = std::strtoull(argv[3], nullptr, 10);
    try {
        ProjectListDocument document;
        document.load(path);
        document.setCurrentListFile(path);
        // Steps in effect, which undo can take back.
        std::size_t undoable = 0;
        QObject::connect(&document, &ProjectListDocument::journalFailed, [](const QString& message) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            std::exit(1);
        });
        for (unsigned long long step = 1; step <= mostSteps; ++step) {
            const JournalStep next = nextJournalStep(random, document.lines(), undoable, step);
            const ListOperation& op = next.operation;
            if (next.undo) {
                document.undo();
                --undoable;
            } else if (op.kind == ListOperation::Kind::Remove) {
                document.removeProject(op.numberText);
                ++undoable;
            } else {
                std::optional<std::size_t> insertAt;
                if (op.insertAt)
                    insertAt = std::size_t(*op.insertAt);
                document.putProject(op.numberText, op.line, insertAt);
                ++undoable;
            }
            const std::string done = std::to_string(step) + "\n";
            if (::write(STDOUT_FILENO, done.data(), done.size()) != ssize_t(done.size()))
                return 3;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
