#include "cli/cliarguments.h"

#include "listfile/intconversion.h"
#include "listfile/lineformat.h"

#include <algorithm>
#include <cstring>

namespace {

// The highest number a project can have: nine digits, as the window allows.
constexpr int32_t largestProjectNumber = 999999999;

struct VerbShape {
    const char* name;
    std::size_t leastWords;
    std::size_t mostWords;
    // The options besides -f that the verb takes.
    std::vector<std::string> options;
};

const std::vector<VerbShape>& verbShapes()
{
    static const std::vector<VerbShape> shapes = {
        {"ls", 0, 0, {"--json"}},
        {"show", 1, 1, {}},
        {"add", 1, 1, {"--number"}},
        {"edit", 2, 2, {}},
        {"rm", 1, 1, {}},
        {"find", 1, 1, {"--case", "--word"}},
        {"check", 0, 0, {}},
        {"fix", 0, 0, {}},
        {"merge", 1, 1, {"--keep"}},
        // %O %A %B, then %L and %P when git passes them.
        {"merge-driver", 3, 5, {}},
        {"git-setup", 0, 0, {}},
    };
    return shapes;
}

const VerbShape* shapeOf(const std::string& verb)
{
    for (const VerbShape& shape : verbShapes())
        if (verb == shape.name)
            return &shape;
    return nullptr;
}

bool takesOption(const VerbShape& shape, const std::string& option)
{
    return std::find(shape.options.begin(), shape.options.end(), option) != shape.options.end();
}

} // namespace

CliArguments parseCliArguments(const std::vector<std::string>& args)
{
    CliArguments parsed;
    std::vector<std::string> options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto valueOf = [&](const std::string& option) {
            if (i + 1 >= args.size())
                throw UsageError("Option '" + option + "' needs a value");
            return args[++i];
        };
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (parsed.verb.empty())
                parsed.verb = arg;
            else
                parsed.words.push_back(arg);
            continue;
        }
        std::string option = arg;
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = arg.find('='); arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            option = arg.substr(0, equals);
            inlineValue = arg.substr(equals + 1);
        }
        const auto value = [&] { return inlineValue ? *inlineValue : valueOf(option); };
        if (option == "--") {
            optionsEnded = true;
        } else if (option == "-h" || option == "--help") {
            parsed.verb = "help";
            return parsed;
        } else if (option == "--version") {
            parsed.verb = "version";
            return parsed;
        } else if (option == "-f" || option == "--file") {
            parsed.listFile = value();
        } else if (option == "--number") {
            parsed.number = value();
            options.push_back(option);
        } else if (option == "--keep") {
            parsed.keep = value();
            options.push_back(option);
        } else if (option == "--json" || option == "--case" || option == "--word") {
            if (inlineValue)
                throw UsageError("Option '" + option + "' takes no value");
            parsed.json = parsed.json || option == "--json";
            parsed.matchCase = parsed.matchCase || option == "--case";
            parsed.wholeWord = parsed.wholeWord || option == "--word";
            options.push_back(option);
        } else {
            throw UsageError("Unknown option '" + arg + "'");
        }
    }
    if (parsed.verb.empty())
        throw UsageError("No command given");
    const VerbShape* shape = shapeOf(parsed.verb);
    if (!shape)
        throw UsageError("Unknown command '" + parsed.verb + "'");
    for (const std::string& option : options)
        if (!takesOption(*shape, option))
            throw UsageError("Option '" + option + "' does not go with '" + parsed.verb + "'");
    if (parsed.words.size() < shape->leastWords)
        throw UsageError("'" + parsed.verb + "' needs more arguments");
    if (parsed.words.size() > shape->mostWords)
        throw UsageError("'" + parsed.verb + "' takes fewer arguments: '" + parsed.words[shape->mostWords]
                         + "' is one too many");
    if (parsed.keep && *parsed.keep != "theirs" && *parsed.keep != "mine" && *parsed.keep != "both")
        throw UsageError("'--keep' takes theirs, mine or both, not '" + *parsed.keep + "'");
    return parsed;
}

std::string projectNumberArgument(const std::string& text)
{
    const IntConversion read = convertInteger(text);
    if (!read.ok() || text.find('\0') != std::string::npos)
        throw UsageError("'" + text + "' is not a valid integer value");
    if (read.value < 0 || read.value > largestProjectNumber)
        throw UsageError("'" + text + "' is no project number: they go from 0 to "
                         + std::to_string(largestProjectNumber));
    return zeroPadNumber(read.value);
}

void checkDescriptionArgument(const std::string& description)
{
    if (description.find_first_of("\r\n") != std::string::npos)
        throw UsageError("A description is one line: it cannot hold a line break");
    if (description.find('\0') != std::string::npos)
        throw UsageError("A description cannot hold a NUL byte");
    if (trimmedView(description).empty())
        throw UsageError("A description cannot be blank");
}

std::string cliHelpText()
{
    return "Usage: quindle-cli [-f FILE] COMMAND [ARGUMENTS]\n"
           "Reads and changes a Quindle project list from scripts and from git.\n"
           "\n"
           "Commands:\n"
           "  ls [--json]                  the list as the file holds it; --json: one object a project\n"
           "  show N                       project N\n"
           "  add TEXT [--number N]        adds a project under the next number (or N), prints its number\n"
           "  edit N TEXT                  gives project N the description TEXT\n"
           "  rm N                         removes project N\n"
           "  find TEXT [--case] [--word]  every project whose description holds TEXT\n"
           "  check                        what Fix Errors would repair, each with its line (exit 1 if any)\n"
           "  fix                          repairs the list and saves it\n"
           "  merge COPY [--keep theirs|mine|both]\n"
           "                               merges a sync tool's conflict copy into the list\n"
           "  merge-driver %O %A %B %L %P  git's merge driver for list files\n"
           "  git-setup                    switches the merge driver on for the git repository of the list\n"
           "\n"
           "Options:\n"
           "  -f, --file FILE  the list file (default: the list in use in Quindle)\n"
           "  -h, --help       this help\n"
           "      --version    the version\n"
           "A TEXT of \"-\" is read from standard input. Every change is saved at once, under the\n"
           "list's lock, merged onto the list as others left it, as Quindle's Finish saves.\n"
           "\n"
           "Exit status: 0 done; 1 not found, a conflict, or check found something to fix;\n"
           "2 a command line that does not fit; 3 the file cannot be read or written.\n";
}
