#pragma once
// Options of the benchmark programs that the benchmark library must not see.
#include <cstring>
#include <string>

// Takes "--name value" out of argv, leaving the rest to the benchmark library.
inline bool takeOption(int& argc, char** argv, const char* name, std::string& value)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) != 0)
            continue;
        value = argv[i + 1];
        for (int k = i; k + 2 <= argc; ++k)
            argv[k] = argv[k + 2];
        argc -= 2;
        return true;
    }
    return false;
}
