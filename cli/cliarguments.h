#pragma once
// The command line of quindle-cli: one verb, its words and its options, in
// any order; "--" ends the options, so that a description may begin with "-".
// A command line that does not fit the verb is a UsageError, which the
// program reports with exit status 2 before it touches any file.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CliArguments {
    // "ls", "show", "add", "edit", "rm", "find", "check", "fix", "merge",
    // "merge-driver", "git-setup"; "help" and "version" for --help and
    // --version.
    std::string verb;
    std::vector<std::string> words;
    // -f FILE: the list; none means the list in use.
    std::optional<std::string> listFile;
    bool json = false;
    bool matchCase = false;
    bool wholeWord = false;
    std::optional<std::string> number;
    std::optional<std::string> keep;
};

// args: the command line without the program's name. Throws UsageError.
CliArguments parseCliArguments(const std::vector<std::string>& args);

// What --help prints.
std::string cliHelpText();

// The project number text ("012") of a number given on the command line, read
// with the program's integer conversion; a number past 32 bits, a negative
// one or one beyond the largest project number is a UsageError.
std::string projectNumberArgument(const std::string& text);

// A description given on the command line as one project line takes it:
// nothing but blanks, a line break or a NUL is a UsageError.
void checkDescriptionArgument(const std::string& description);
