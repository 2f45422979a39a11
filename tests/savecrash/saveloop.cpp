// Saves one of two large lists to a file, in turns, until it is killed or has
// made the number of saves asked for (-1: no end). The kill-during-save test
// runs it and kills it at random moments. With --wait it builds the lists,
// says so with one byte on stdout and waits for one byte on stdin before it
// saves, so that the test can have the next one ready while it kills this one.
//
//   save_loop <list file> <lines> <saves> [--wait]
#include "savecrashlists.h"

#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: save_loop <list file> <lines> <saves> [--wait]\n");
        return 2;
    }
    const std::string path = argv[1];
    const std::size_t lines = std::strtoull(argv[2], nullptr, 10);
    const long long saves = std::atoll(argv[3]);
    const bool wait = argc > 4 && std::string(argv[4]) == "--wait";
    const LineList lists[2] = {saveCrashList(false, lines), saveCrashList(true, lines)};
    if (wait) {
        char go = 0;
        if (::write(STDOUT_FILENO, "+", 1) != 1 || ::read(STDIN_FILENO, &go, 1) != 1)
            return 3;
    }
    try {
        for (long long i = 0; saves < 0 || i < saves; ++i)
            saveListFile(path, lists[i % 2]);
    } catch (const ListFileError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
