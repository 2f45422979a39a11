// Runs a fuzz target without libFuzzer, so that the normal build compiles
// every target and CTest exercises it: first every seed input given on the
// command line (files, or folders of files), then a bounded number of inputs
// made by mutating the seeds. The same seed number gives the same inputs, so
// a failure reproduces; the input that failed is written out.
//
//   fuzz_<name> [-runs=N] [-seed=N] [-max_len=N] SEED_FILE_OR_FOLDER...
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <csignal>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

const Bytes* current = nullptr;

// The input being run when a check aborts lands in a file for replay.
void saveCurrentInput(int signal)
{
    if (current) {
        if (FILE* out = std::fopen("fuzz-crash-input", "wb")) {
            std::fwrite(current->data(), 1, current->size(), out);
            std::fclose(out);
            std::fprintf(stderr, "input written to fuzz-crash-input (%zu bytes)\n", current->size());
        }
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Each input gets a buffer of exactly its size, so that a sanitizer build
// sees any read past its end.
void runOne(const Bytes& input)
{
    current = &input;
    std::unique_ptr<uint8_t[]> exact(new uint8_t[input.size() ? input.size() : 1]);
    if (!input.empty())
        std::memcpy(exact.get(), input.data(), input.size());
    LLVMFuzzerTestOneInput(exact.get(), input.size());
    current = nullptr;
}

class Mutator {
public:
    Mutator(uint64_t seed, std::size_t maxLength) : random_(seed), maxLength_(maxLength) {}

    Bytes mutate(const std::vector<Bytes>& seeds)
    {
        Bytes out = seeds.empty() ? Bytes() : seeds[below(seeds.size())];
        const std::size_t steps = 1 + below(8);
        for (std::size_t i = 0; i < steps; ++i)
            step(out, seeds);
        if (out.size() > maxLength_)
            out.resize(maxLength_);
        return out;
    }

private:
    std::size_t below(std::size_t bound) { return bound == 0 ? 0 : random_() % bound; }

    // Bytes that matter to the program's parsers turn up more often than chance.
    uint8_t interestingByte()
    {
        static const uint8_t bytes[] = {'\r', '\n', '\0', ' ', '\t', '0', '1', '9', '-', '+', '$',
                                        'x',  'X',  'f',  'F', 0x7F, 0x80, 0xC3, 0xFF, '[', ']', '=', '#'};
        return below(2) ? bytes[below(sizeof bytes)] : static_cast<uint8_t>(random_());
    }

    void step(Bytes& out, const std::vector<Bytes>& seeds)
    {
        switch (below(7)) {
        case 0:  // flip a bit
            if (!out.empty())
                out[below(out.size())] ^= static_cast<uint8_t>(1u << below(8));
            break;
        case 1:  // overwrite a byte
            if (!out.empty())
                out[below(out.size())] = interestingByte();
            break;
        case 2:  // insert bytes
            for (std::size_t n = 1 + below(4); n > 0; --n)
                out.insert(out.begin() + static_cast<std::ptrdiff_t>(below(out.size() + 1)), interestingByte());
            break;
        case 3:  // erase a run
            if (!out.empty()) {
                const std::size_t at = below(out.size());
                const std::size_t n = 1 + below(std::min<std::size_t>(16, out.size() - at));
                out.erase(out.begin() + static_cast<std::ptrdiff_t>(at),
                          out.begin() + static_cast<std::ptrdiff_t>(at + n));
            }
            break;
        case 4:  // repeat a run, to grow long lines and many lines
            if (!out.empty()) {
                const std::size_t at = below(out.size());
                const std::size_t n = 1 + below(std::min<std::size_t>(32, out.size() - at));
                const Bytes run(out.begin() + static_cast<std::ptrdiff_t>(at),
                                out.begin() + static_cast<std::ptrdiff_t>(at + n));
                for (std::size_t times = 1 + below(64); times > 0 && out.size() < maxLength_; --times)
                    out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), run.begin(), run.end());
            }
            break;
        case 5:  // splice in a piece of another seed
            if (!seeds.empty()) {
                const Bytes& other = seeds[below(seeds.size())];
                if (!other.empty()) {
                    const std::size_t from = below(other.size());
                    const std::size_t n = 1 + below(other.size() - from);
                    out.insert(out.begin() + static_cast<std::ptrdiff_t>(below(out.size() + 1)),
                               other.begin() + static_cast<std::ptrdiff_t>(from),
                               other.begin() + static_cast<std::ptrdiff_t>(from + n));
                }
            }
            break;
        default:  // cut short
            if (!out.empty())
                out.resize(below(out.size() + 1));
            break;
        }
    }

    std::mt19937_64 random_;
    std::size_t maxLength_;
};

bool numericOption(const char* arg, const char* name, unsigned long long& value)
{
    const std::size_t length = std::strlen(name);
    if (std::strncmp(arg, name, length) != 0)
        return false;
    value = std::strtoull(arg + length, nullptr, 10);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    unsigned long long runs = 100000;
    unsigned long long seed = 1;
    unsigned long long maxLength = 4096;
    std::vector<Bytes> seeds;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (numericOption(arg, "-runs=", runs) || numericOption(arg, "-seed=", seed)
            || numericOption(arg, "-max_len=", maxLength))
            continue;
        const fs::path path(arg);
        if (fs::is_directory(path)) {
            std::vector<fs::path> files;
            for (const auto& entry : fs::directory_iterator(path))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            std::sort(files.begin(), files.end());  // the same order on every machine
            for (const fs::path& file : files)
                seeds.push_back(readFile(file));
        } else if (fs::is_regular_file(path)) {
            seeds.push_back(readFile(path));
        } else {
            std::fprintf(stderr, "no such seed file or folder: %s\n", arg);
            return 2;
        }
    }
    std::signal(SIGABRT, saveCurrentInput);
    std::signal(SIGSEGV, saveCurrentInput);

    runOne(Bytes());
    for (const Bytes& input : seeds)
        runOne(input);
    Mutator mutator(seed, static_cast<std::size_t>(maxLength));
    for (unsigned long long i = 0; i < runs; ++i)
        runOne(mutator.mutate(seeds));
    std::printf("%zu seed inputs and %llu mutated inputs (seed %llu) ran without a finding\n", seeds.size(), runs,
                seed);
    return 0;
}
