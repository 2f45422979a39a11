#pragma once
// Switches the list's merge driver on for the git repository the list lies
// in: a line in the repository's .gitattributes that names the list's merge
// driver, and the driver's command in the repository's git configuration.
// Running it again changes nothing.
#include <string>
#include <vector>

struct GitSetup {
    // What was written, one text each.
    std::vector<std::string> done;
    // Why nothing could be: no git, no repository, a file not writable.
    std::string failure;
};

// The .gitattributes pattern for a path relative to the repository's top:
// "/" in front so it names that one file, quoted as git reads quoted
// patterns when it holds a blank or a special character.
std::string gitAttributesPattern(const std::string& relativePath);

// programPath: the command git is to run for the driver.
GitSetup setUpGitMerge(const std::string& listPath, const std::string& programPath);
