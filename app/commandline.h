#pragma once
// The program's command line. "--help" and "--version" are answered before
// any application object exists, so they work without a display; the one
// optional argument names the list file to open.
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

struct CommandLine {
    enum class Action {
        Run,          // start the program
        PrintHelp,    // print text to standard output and end
        PrintVersion, // print text to standard output and end
        Fail,         // print text to standard error and end with failure
    };
    Action action = Action::Run;
    QString text;
    // The list file named on the command line; empty when none.
    QString listFile;
    // Its name's own bytes, when the raw command line was given: a name that
    // is no UTF-8 does not survive listFile.
    std::string listFileBytes;
};

// arguments: the whole command line, the program's path first. Options the
// parser does not know are reported as a failure, so options meant for the
// toolkit must have been taken out before (QApplication does that).
// rawArguments: the same arguments as the process received them, for the
// list file's name byte for byte.
CommandLine readCommandLine(const QStringList& arguments, const QString& version,
                            const std::vector<std::string>& rawArguments = {});

// The same before any application object exists: only "--help" and
// "--version" count, everything else is left for the second reading.
CommandLine readEarlyCommandLine(const QStringList& arguments, const QString& version);

// The command line as the process received it, decoded like file names.
QStringList commandLineArguments(int argc, char* argv[]);
