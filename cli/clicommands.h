#pragma once
// quindle-cli's verbs: each reads the list (the one named with -f, else the
// list in use that the window would open), prints what it found or makes
// one change and saves it, and tells how it went in its exit status.
#include <cstdio>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

enum CliExit {
    cliDone = 0,
    // Not found, a conflict, or a check that found something to fix.
    cliNotFound = 1,
    cliUsage = 2,
    // The file cannot be read or written.
    cliFileError = 3,
};

struct CliStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // The file out writes to, when ls may write a million lines there
    // directly, or none.
    std::FILE* outFile = nullptr;
};

// How git is to call this program (for git-setup). Asked only then: finding
// it looks through the search path, which a plain listing need not wait for.
using ProgramPath = std::function<std::string()>;

// args: the command line without the program's name.
int runCli(const std::vector<std::string>& args, CliStreams io,
    const ProgramPath& programPath = [] { return std::string("quindle-cli"); });

// The list in use: "Current" of the window's settings, "Projects.txt" when
// none is stored.
std::string listInUse();
