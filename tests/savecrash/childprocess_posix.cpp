#include "childprocess.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

ChildProcess::ChildProcess(const std::vector<std::string>& args)
{
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        process_ = pid;
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    input_ = toChild[1];
    output_ = fromChild[0];
}

ChildProcess::~ChildProcess()
{
    if (running()) {
        ::kill(static_cast<pid_t>(process_), SIGKILL);
        ::waitpid(static_cast<pid_t>(process_), nullptr, 0);
    }
    ::close(static_cast<int>(input_));
    ::close(static_cast<int>(output_));
}

long long ChildProcess::readOutput(char* buffer, std::size_t size, int timeoutMs)
{
    pollfd ready {static_cast<int>(output_), POLLIN, 0};
    if (::poll(&ready, 1, timeoutMs) != 1)
        return -1;
    const ssize_t got = ::read(static_cast<int>(output_), buffer, size);
    return got < 0 ? -1 : got;
}

bool ChildProcess::writeInput(std::string_view bytes)
{
    return ::write(static_cast<int>(input_), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

bool ChildProcess::kill()
{
    int status = 0;
    ::kill(static_cast<pid_t>(process_), SIGKILL);
    ::waitpid(static_cast<pid_t>(process_), &status, 0);
    process_ = noProcess;
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

int ChildProcess::finish()
{
    int status = 0;
    ::waitpid(static_cast<pid_t>(process_), &status, 0);
    process_ = noProcess;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool replaceFailsWhileOthersHoldTheFile()
{
    return false;
}
