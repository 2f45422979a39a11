// listgen OUT LINES [BAD_PERCENT] [SEED]: writes a made-up project list with
// CR LF line ends, for benchmarks and for trying the program on big lists.
#include "listgenerator.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool parseNumber(const char* text, unsigned long long maximum, unsigned long long& value)
{
    if (*text < '0' || *text > '9')
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return errno == 0 && *end == '\0' && value <= maximum;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: listgen OUT LINES [BAD_PERCENT] [SEED]\n"
                 "  OUT          list file to write (replaced if it exists)\n"
                 "  LINES        number of lines\n"
                 "  BAD_PERCENT  share of badly laid-out lines, 0 to 100 (default 0)\n"
                 "  SEED         seed of the made-up content (default 1)\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 5)
        return usage();
    ListGeneratorOptions options;
    unsigned long long lines = 0, badPercent = 0, seed = 1;
    if (!parseNumber(argv[2], 1ull << 40, lines)
        || (argc > 3 && !parseNumber(argv[3], 100, badPercent))
        || (argc > 4 && !parseNumber(argv[4], ~0ull, seed)))
        return usage();
    options.lines = static_cast<std::size_t>(lines);
    options.badPercent = static_cast<int>(badPercent);
    options.seed = seed;

    long long bytes = writeGeneratedList(argv[1], options);
    if (bytes < 0) {
        std::fprintf(stderr, "listgen: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %llu lines, %lld bytes\n", argv[1], lines, bytes);
    return 0;
}
