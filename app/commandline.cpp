#include "app/commandline.h"

#include "common/apptitle.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {

const QString fileArgument = QStringLiteral("FILE");

// The name the program was started by, as the title rule reads it: the
// executable file itself, not a link to it.
QString executableName(const QStringList& arguments)
{
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!self.isEmpty())
        return QFileInfo(self).fileName();
    return arguments.isEmpty() ? QStringLiteral("quindle") : QFileInfo(arguments.first()).fileName();
}

struct Parser {
    QCommandLineParser parser;
    QCommandLineOption help;
    QCommandLineOption version;

    Parser()
        : help({QStringLiteral("h"), QStringLiteral("help")}, QCoreApplication::translate("CommandLine", "Show this help and end.")),
          version({QStringLiteral("v"), QStringLiteral("version")}, QCoreApplication::translate("CommandLine", "Show the version and end."))
    {
        parser.setApplicationDescription(
            QCoreApplication::translate("CommandLine",
                                        "Keeps a numbered list of projects in a plain text file, one project a line.\n"
                                        "Without FILE it opens the list file used last time, or Projects.txt in the\n"
                                        "current folder."));
        // "-stylesheet" and "-reverse" are the toolkit's, not bundles of
        // one-letter options hiding -h or -v.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOption(help);
        parser.addOption(version);
        parser.addPositionalArgument(fileArgument, QCoreApplication::translate("CommandLine", "The list file to open, as File > Load would."),
                                     QCoreApplication::translate("CommandLine", "[FILE]"));
    }

    CommandLine answer(const QStringList& arguments, const QString& versionText) const
    {
        CommandLine result;
        const QString name = executableName(arguments);
        if (parser.isSet(help)) {
            result.action = CommandLine::Action::PrintHelp;
            // Qt's usage line names the program as it was called (the path
            // typed), or only by a placeholder without an application object.
            result.text = parser.helpText();
            const QString called = QCoreApplication::instance() ? QCoreApplication::arguments().constFirst()
                                                                : QStringLiteral("<executable_name>");
            const qsizetype at = result.text.indexOf(called);
            if (at >= 0)
                result.text.replace(at, called.size(), name);
        } else if (parser.isSet(version)) {
            result.action = CommandLine::Action::PrintVersion;
            result.text = titleFromExecutableName(name) + QLatin1Char(' ') + versionText + QLatin1Char('\n');
        }
        return result;
    }
};

} // namespace

CommandLine readEarlyCommandLine(const QStringList& arguments, const QString& version)
{
    Parser p;
    // Unknown options may be the toolkit's own (-platform, -style...): they
    // are not errors yet.
    p.parser.parse(arguments);
    return p.answer(arguments, version);
}

CommandLine readCommandLine(const QStringList& arguments, const QString& version,
                            const std::vector<std::string>& rawArguments)
{
    Parser p;
    const QString usage = QCoreApplication::translate("CommandLine", "Try '%1 --help' for more.\n").arg(executableName(arguments));
    if (!p.parser.parse(arguments)) {
        CommandLine failed;
        failed.action = CommandLine::Action::Fail;
        failed.text = p.parser.errorText() + QLatin1Char('\n') + usage;
        return failed;
    }
    CommandLine result = p.answer(arguments, version);
    if (result.action != CommandLine::Action::Run)
        return result;
    const QStringList files = p.parser.positionalArguments();
    if (files.size() > 1) {
        result.action = CommandLine::Action::Fail;
        result.text = QCoreApplication::translate("CommandLine", "Only one list file can be opened at a time.\n") + usage;
        return result;
    }
    if (!files.isEmpty()) {
        result.listFile = files.first();
        // The file is the last argument that reads as its name.
        if (rawArguments.size() == std::size_t(arguments.size()))
            for (qsizetype i = arguments.size() - 1; i > 0 && result.listFileBytes.empty(); --i)
                if (arguments[i] == result.listFile)
                    result.listFileBytes = rawArguments[std::size_t(i)];
    }
    return result;
}

QStringList commandLineArguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    return arguments;
}
