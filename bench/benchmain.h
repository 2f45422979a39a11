#pragma once
// What every benchmark program does around its benchmarks: a temporary
// folder for its files, and the run of the benchmarks the command line chose.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

// A folder of its own below the system's temporary folder, removed with
// everything in it when the program ends.
class BenchFolder {
public:
    explicit BenchFolder(const char* program)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quindle-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
        else
            std::perror((std::string(program) + ": temporary folder").c_str());
    }
    ~BenchFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    bool made() const { return !path_.empty(); }
    std::string file(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Runs the benchmarks chosen on the command line. prepare, when given, makes
// what they need before any clock runs; false from it ends the program with
// status 1, as a bad option does.
inline int runBenchmarks(int argc, char** argv, const std::function<bool()>& prepare = {})
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (prepare && !prepare())
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
