#pragma once
// The program's command line. "--help" and "--version" are answered before
// any application object exists, so they work without a display; the one
// optional argument names the list file to open.
#include <QString>
#include <QStringList>

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
};

// arguments: the whole command line, the program's path first. Options the
// parser does not know are reported as a failure, so options meant for the
// toolkit must have been taken out before (QApplication does that).
CommandLine readCommandLine(const QStringList& arguments, const QString& version);

// The same before any application object exists: only "--help" and
// "--version" count, everything else is left for the second reading.
CommandLine readEarlyCommandLine(const QStringList& arguments, const QString& version);

// The command line as the process received it, decoded like file names.
QStringList commandLineArguments(int argc, char* argv[]);
