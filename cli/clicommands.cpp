#include "cli/clicommands.h"

#include "cli/cliarguments.h"
#include "cli/clidocument.h"
#include "cli/gitsetup.h"
#include "cli/listreport.h"
#include "cli/mergedriver.h"
#include "document/settingsfile.h"
#include "listfile/conflictcopies.h"
#include "listfile/intconversion.h"
#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"
#include "listfile/systemfile.h"
#include "listfile/textsearch.h"

#include <fstream>
#include <iostream>
#include <iterator>

namespace {

// Where merged conflict copies go, beside the list, as the window puts them.
const char mergedCopiesFolder[] = "Quindle merged copies";

// A value of the window's settings, read as the window reads it.
std::string storedSetting(const char* name, const std::string& defaultValue)
{
    const std::map<QString, SettingsValue> values = SettingsFile::read(SettingsFile::path());
    const auto found = values.find(QString::fromLatin1(name).toLower());
    if (found == values.end())
        return defaultValue;
    if (found->second.typed)
        throw ListFileError("Invalid data type for '" + std::string(name) + "'");
    return found->second.text;
}

bool duplicatesAllowed()
{
    const IntConversion read = convertInteger(storedSetting("Allow", "0"));
    return read.ok() && read.value != 0;
}

// Something stands under the name, whatever it is.
bool exists(const std::string& path)
{
    return statusOfPath(path, false).kind != FileKind::missing;
}

std::string fileNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class Verbs {
public:
    Verbs(const CliArguments& args, CliStreams io, const ProgramPath& programPath)
        : args_(args), io_(io), programPath_(programPath)
    {
    }

    int run()
    {
        const std::string& verb = args_.verb;
        if (verb == "merge-driver")
            return mergeDriver();
        // Every argument is checked before any file is touched.
        if (verb == "show" || verb == "edit" || verb == "rm")
            number_ = projectNumberArgument(args_.words[0]);
        if (verb == "add" && args_.number)
            number_ = projectNumberArgument(*args_.number);
        if (verb == "add" || verb == "edit")
            text_ = description(args_.words.back());
        path_ = args_.listFile ? *args_.listFile : listInUse();
        if (!exists(path_))
            return fail(cliNotFound, "Cannot find list file " + path_);
        if (verb == "git-setup")
            return gitSetup();
        if (verb == "add" || verb == "edit" || verb == "rm" || verb == "fix" || verb == "merge")
            return write();
        // ls and find go through the file's text once, building no lines.
        if (verb == "ls" && !args_.json) {
            // Each piece goes out in one write, not first filling the stream's buffer.
            if (io_.outFile)
                std::setvbuf(io_.outFile, nullptr, _IONBF, 0);
            LineLister lister([this](std::string_view bytes) { writeBytes(bytes); });
            readListFileText(path_, [&](std::string_view piece) { lister.take(piece); });
            lister.finish();
            return cliDone;
        }
        if (verb == "find")
            return find();
        LineList lines;
        loadListFile(path_, lines);
        if (verb == "ls")
            return print(listedJson(lines));
        if (verb == "show")
            return show(lines);
        return check(lines);
    }

private:
    int fail(int status, const std::string& message)
    {
        io_.err << message << '\n';
        return status;
    }
    int print(const std::string& text)
    {
        io_.out.write(text.data(), std::streamsize(text.size()));
        return cliDone;
    }
    // Straight to the file behind out where there is one: a million lines
    // need not pass through the stream's buffer.
    void writeBytes(std::string_view bytes)
    {
        if (!io_.outFile) {
            io_.out.write(bytes.data(), std::streamsize(bytes.size()));
            return;
        }
        if (std::fwrite(bytes.data(), 1, bytes.size(), io_.outFile) != bytes.size())
            throw ListFileError("Cannot write to standard output");
    }

    void tell(const std::vector<std::string>& texts)
    {
        for (const std::string& text : texts)
            io_.err << text << '\n';
    }

    // A description argument; "-" reads it from standard input.
    std::string description(const std::string& word)
    {
        std::string text = word;
        if (word == "-") {
            text.assign(std::istreambuf_iterator<char>(io_.in), std::istreambuf_iterator<char>());
            if (!text.empty() && text.back() == '\n')
                text.pop_back();
            if (!text.empty() && text.back() == '\r')
                text.pop_back();
        }
        checkDescriptionArgument(text);
        return text;
    }

    int show(const LineList& lines)
    {
        const int found = findProjectLine(lines, number_);
        if (found < 0)
            return fail(cliNotFound, "Project " + number_ + " is not in the list");
        return print(listedLines(lines, {std::size_t(found)}));
    }

    int find()
    {
        const std::string& text = args_.words[0];
        HitFinder finder(text, args_.matchCase, args_.wholeWord, io_.out);
        readListFileText(path_, [&](std::string_view piece) { finder.take(piece); });
        finder.finish();
        if (!finder.found())
            return fail(cliNotFound, "Search Failed (" + (args_.matchCase ? text : upperCaseAtoZ(text)) + ")");
        return cliDone;
    }

    int check(const LineList& lines)
    {
        const std::vector<LineFault> faults = listFaults(lines);
        if (faults.empty())
            return print("There were no Errors\n");
        print(faultReport(lines, faults));
        return cliNotFound;
    }

    int write()
    {
        const std::string& verb = args_.verb;
        std::string& number = number_;
        const std::string& text = text_;
        if (verb == "merge" && !exists(args_.words[0]))
            return fail(cliNotFound, "Cannot find list file " + args_.words[0]);
        if (verb == "merge" && !isConflictCopyOf(fileNameOf(args_.words[0]), fileNameOf(path_)))
            return fail(cliUsage, fileNameOf(args_.words[0]) + " is no conflict copy of the Project List " + path_);

        CliDocument document(path_);
        const LineList& lines = document.lines();
        const bool known = !number.empty() && findProjectLine(lines, number) >= 0;
        if ((verb == "edit" || verb == "rm") && !known)
            return fail(cliNotFound, "Project " + number + " is not in the list");
        if (verb == "add" && known)
            return fail(cliNotFound, "Project " + number + " is already in the list");
        if (!text.empty() && !duplicatesAllowed() && listContainsText(lines, text))
            return fail(cliNotFound, text + " is already in the list");

        std::vector<std::string> told;
        if (verb == "add") {
            const bool proposed = number.empty();
            if (proposed)
                number = document.proposedNumber();
            document.putProject(number, text, proposed);
        } else if (verb == "edit") {
            document.putProject(number, text, false);
        } else if (verb == "rm") {
            document.removeProject(number);
        } else if (verb == "fix") {
            const RepairCounts counts = document.repair();
            if (!counts.anyFault())
                return print("There were no Errors\n");
            told.push_back(std::to_string(counts.blankLines) + " Blank lines were deleted from the Project List");
            told.push_back(std::to_string(counts.rebuiltLines) + " Format errors were fixed");
        } else if (const int status = mergeCopy(document, told); status != cliDone) {
            return status;
        }

        const CliSave saved = document.save();
        tell(saved.notices);
        if (!saved.saved)
            return fail(saved.conflict ? cliNotFound : cliFileError, saved.failure);
        tell(told);
        if (verb == "add") {
            for (const auto& [was, now] : saved.renumbered)
                if (was == number)
                    number = now;
            io_.out << number << '\n';
        }
        if (verb == "merge")
            moveCopyAside();
        return cliDone;
    }

    int mergeCopy(CliDocument& document, std::vector<std::string>& told)
    {
        const std::vector<CliDocument::CopyConflict> conflicts = document.planCopyMerge(args_.words[0]);
        if (!conflicts.empty() && !args_.keep) {
            io_.err << "The conflict copy " << args_.words[0]
                    << " and the list hold these projects differently; nothing was written:\n";
            for (const CliDocument::CopyConflict& conflict : conflicts)
                io_.err << "  theirs: " << conflict.copyLine << "\n  mine:   " << conflict.listLine << '\n';
            io_.err << "Choose the text to keep with --keep theirs, --keep mine or --keep both\n";
            return cliNotFound;
        }
        const std::string keep = args_.keep.value_or("both");
        told = document.applyCopyMerge(keep == "theirs" ? CliDocument::Keep::Copy
                                       : keep == "mine" ? CliDocument::Keep::List
                                                        : CliDocument::Keep::Both);
        return cliDone;
    }

    void moveCopyAside()
    {
        // Merged and saved, the copy goes out of the way, kept for a second look.
        try {
            moveIntoBackupFolder(args_.words[0], mergedCopiesFolder);
            io_.err << "The copy was moved into the folder \"" << mergedCopiesFolder << "\" beside the list\n";
        } catch (const ListFileError& error) {
            io_.err << error.what() << '\n';
        }
    }

    int mergeDriver()
    {
        const std::vector<std::string>& words = args_.words;
        std::size_t markerLength = 7;
        if (words.size() > 3) {
            const IntConversion read = convertInteger(words[3]);
            if (!read.ok() || read.value < 1 || read.value > 1000)
                throw UsageError("'" + words[3] + "' is no conflict marker length");
            markerLength = std::size_t(read.value);
        }
        LineList base;
        LineList current;
        LineList other;
        loadListFile(words[0], base);
        loadListFile(words[1], current);
        loadListFile(words[2], other);
        std::string head(4096, '\0');
        {
            std::ifstream file(words[1], std::ios::binary);
            file.read(head.data(), std::streamsize(head.size()));
            head.resize(std::size_t(file.gcount()));
        }
        const bool byteOrderMark = head.compare(0, utf8ByteOrderMark.size(), utf8ByteOrderMark) == 0;
        const DriverMerge merged = mergeForGit(base, current, other, markerLength, lineEndOf(head), byteOrderMark);
        const std::string name = words.size() > 4 ? words[4] + ": " : std::string();
        for (const std::string& notice : merged.notices)
            io_.err << name << notice << '\n';
        std::ofstream out(words[1], std::ios::binary | std::ios::trunc);
        out.write(merged.bytes.data(), std::streamsize(merged.bytes.size()));
        out.close();
        if (!out)
            return fail(cliFileError, "Cannot create file " + words[1]);
        if (merged.conflicts > 0)
            return fail(cliNotFound, name + std::to_string(merged.conflicts)
                                         + " projects were changed differently on both branches: marked as conflicts");
        return cliDone;
    }

    int gitSetup()
    {
        const GitSetup setup = setUpGitMerge(path_, programPath_());
        if (!setup.failure.empty())
            return fail(cliFileError, setup.failure);
        for (const std::string& done : setup.done)
            io_.out << done << '\n';
        return cliDone;
    }

    const CliArguments& args_;
    CliStreams io_;
    const ProgramPath& programPath_;
    std::string path_;
    // The project number and the description the verb was given.
    std::string number_;
    std::string text_;
};

} // namespace

std::string listInUse()
{
    return storedSetting("Current", "Projects.txt");
}

int runCli(const std::vector<std::string>& args, CliStreams io, const ProgramPath& programPath)
{
    try {
        const CliArguments parsed = parseCliArguments(args);
        if (parsed.verb == "help") {
            io.out << cliHelpText();
            return cliDone;
        }
        if (parsed.verb == "version") {
            io.out << "quindle-cli " QUINDLE_VERSION "\n";
            return cliDone;
        }
        return Verbs(parsed, io, programPath).run();
    } catch (const UsageError& error) {
        io.err << error.what() << "\nTry 'quindle-cli --help' for more information.\n";
        return cliUsage;
    } catch (const ListFileError& error) {
        io.err << error.what() << '\n';
        return cliFileError;
    } catch (const std::bad_alloc&) {
        io.err << "Out of memory\n";
        return cliFileError;
    }
}
