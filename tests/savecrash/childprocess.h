#pragma once
// A helper program the kill tests start, talk to through pipes and kill:
// one implementation per system (childprocess_posix.cpp,
// childprocess_windows.cpp), chosen when building.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

class ChildProcess {
public:
    // Starts the program args[0] with its stdin and stdout on pipes to this
    // process; it inherits the environment.
    explicit ChildProcess(const std::vector<std::string>& args);
    // Kills the child if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running() const { return process_ != noProcess; }
    // Bytes the child wrote to its stdout, waiting up to timeoutMs for the
    // first: their count, 0 once it has closed it (or ended), -1 when
    // nothing came in time.
    long long readOutput(char* buffer, std::size_t size, int timeoutMs);
    bool writeInput(std::string_view bytes);

    // Kills the child at once, as a power cut or the task manager would, and
    // says whether it was still running.
    bool kill();
    // Waits for the child to end by itself; its exit code.
    int finish();

private:
    static constexpr std::intptr_t noProcess = -1;
    std::intptr_t process_ = noProcess;
    std::intptr_t input_ = noProcess;
    std::intptr_t output_ = noProcess;
};

// A number from the environment (the kill tests' counts and seeds).
inline long environmentNumber(const char* name, long fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atol(value) : fallback;
}

// Whether replacing a file fails while another process has it open (as on
// Windows): a save there waits a while and may then fail with its message,
// leaving the old list whole.
bool replaceFailsWhileOthersHoldTheFile();
