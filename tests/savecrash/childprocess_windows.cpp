#include "childprocess.h"

#include <algorithm>
#include <chrono>
#include <thread>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

HANDLE handleOf(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

std::wstring wide(const std::string& text)
{
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

// The arguments as one command line, each quoted (none holds a quote).
std::wstring commandLine(const std::vector<std::string>& args)
{
    std::wstring line;
    for (const std::string& arg : args)
        line += (line.empty() ? L"\"" : L" \"") + wide(arg) + L"\"";
    return line;
}

constexpr UINT killedExitCode = 0xDEAD;

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& args)
{
    SECURITY_ATTRIBUTES inherited {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE childInput = nullptr;
    HANDLE toChild = nullptr;
    HANDLE fromChild = nullptr;
    HANDLE childOutput = nullptr;
    if (!::CreatePipe(&childInput, &toChild, &inherited, 0) || !::CreatePipe(&fromChild, &childOutput, &inherited, 0))
        return;
    // Only the child's ends are inherited.
    ::SetHandleInformation(toChild, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(fromChild, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = childOutput;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started {};
    std::wstring line = commandLine(args);
    if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
        ::CloseHandle(started.hThread);
        process_ = reinterpret_cast<std::intptr_t>(started.hProcess);
    }
    ::CloseHandle(childInput);
    ::CloseHandle(childOutput);
    input_ = reinterpret_cast<std::intptr_t>(toChild);
    output_ = reinterpret_cast<std::intptr_t>(fromChild);
}

ChildProcess::~ChildProcess()
{
    if (running()) {
        ::TerminateProcess(handleOf(process_), killedExitCode);
        ::WaitForSingleObject(handleOf(process_), INFINITE);
        ::CloseHandle(handleOf(process_));
    }
    if (input_ != noProcess)
        ::CloseHandle(handleOf(input_));
    if (output_ != noProcess)
        ::CloseHandle(handleOf(output_));
}

// Anonymous pipes cannot be waited on: the pipe is looked at every
// millisecond until bytes are there, it is closed, or the time is up.
long long ChildProcess::readOutput(char* buffer, std::size_t size, int timeoutMs)
{
    const auto giveUpAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(handleOf(output_), nullptr, 0, nullptr, &available, nullptr))
            return 0;  // the child's end is closed
        if (available > 0)
            break;
        if (std::chrono::steady_clock::now() >= giveUpAt)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    DWORD got = 0;
    if (!::ReadFile(handleOf(output_), buffer, static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20)), &got, nullptr))
        return 0;
    return got;
}

bool ChildProcess::writeInput(std::string_view bytes)
{
    DWORD written = 0;
    return ::WriteFile(handleOf(input_), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
        && written == bytes.size();
}

bool ChildProcess::kill()
{
    const HANDLE process = handleOf(process_);
    process_ = noProcess;
    const bool wasRunning = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::TerminateProcess(process, killedExitCode);
    ::WaitForSingleObject(process, INFINITE);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process, &exitCode);
    ::CloseHandle(process);
    return wasRunning && exitCode == killedExitCode;
}

int ChildProcess::finish()
{
    const HANDLE process = handleOf(process_);
    process_ = noProcess;
    ::WaitForSingleObject(process, INFINITE);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process, &exitCode);
    ::CloseHandle(process);
    return static_cast<int>(exitCode);
}

bool replaceFailsWhileOthersHoldTheFile()
{
    return true;
}
