#include "support/ChildGuard.h"

#include "support/TempDir.h"
#include "support/WaitFor.h"
#include "support/WriteToChild.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::atomic<int> gChildCounter{0};

bool Names(std::string_view variable, std::string_view name)
{
    return variable.size() > name.size() && variable.starts_with(name) && variable[name.size()] == '=';
}

// Our environment less the named variables and those of `variables`, then `variables`.
std::vector<char*> EnvironmentFor(const std::vector<std::string>& names,
                                  const std::vector<std::string>& variables)
{
    std::vector<char*> kept;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view variable(*entry);
        const bool dropped =
            std::any_of(names.begin(), names.end(),
                        [variable](const std::string& name) { return Names(variable, name); }) ||
            std::any_of(variables.begin(), variables.end(), [variable](const std::string& given) {
                return Names(variable, std::string_view(given).substr(0, given.find('=')));
            });
        if (!dropped)
            kept.push_back(*entry);
    }
    for (const std::string& given : variables)
        kept.push_back(const_cast<char*>(given.c_str()));
    kept.push_back(nullptr);
    return kept;
}

} // namespace

class ChildGuard::Process
{
public:
    pid_t Pid = 0;
    int Input = -1;
    bool Reaped = false;
    int Status = 0;

    bool Reap(bool block)
    {
        if (Reaped)
            return true;
        int status = 0;
        pid_t result;
        do {
            result = ::waitpid(Pid, &status, block ? 0 : WNOHANG);
        } while (result < 0 && errno == EINTR);
        if (result == Pid) {
            Reaped = true;
            Status = status;
        }
        return Reaped;
    }
};

ChildGuard::ChildGuard(const std::vector<std::string>& argv, const std::filesystem::path& outputFolder,
                       const std::filesystem::path& workingFolder,
                       const std::vector<std::string>& withoutVariables,
                       const std::vector<std::string>& variables)
    : FProcess(std::make_unique<Process>())
{
    const int n = ++gChildCounter;
    FOut = outputFolder / ("child-" + std::to_string(n) + ".out");
    FErr = outputFolder / ("child-" + std::to_string(n) + ".err");
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, FOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, FErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<char*> environment = EnvironmentFor(withoutVariables, variables);
    const int error =
        ::posix_spawn(&FProcess->Pid, args[0], &actions, nullptr, args.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[0]);
    FProcess->Input = pipeFds[1];
    if (error != 0) {
        ::close(FProcess->Input);
        throw std::runtime_error("cannot start " + argv[0]);
    }
}

ChildGuard::~ChildGuard()
{
    CloseInput();
    if (!FProcess->Reaped) {
        ::kill(FProcess->Pid, SIGKILL);
        FProcess->Reap(true);
    }
}

int ChildGuard::Pid() const
{
    return FProcess->Pid;
}

bool ChildGuard::Running()
{
    return !FProcess->Reap(false);
}

void ChildGuard::WriteInput(const std::string& bytes)
{
    if (!WriteToChild(FProcess->Input, bytes))
        throw std::runtime_error("cannot write to the program's input");
}

void ChildGuard::CloseInput()
{
    if (FProcess->Input >= 0) {
        ::close(FProcess->Input);
        FProcess->Input = -1;
    }
}

void ChildGuard::RequestStop(Stop how)
{
    if (!FProcess->Reaped)
        ::kill(FProcess->Pid, how == Stop::Interrupt ? SIGINT : SIGTERM);
}

void ChildGuard::Kill()
{
    // Only the thread that waits reaps, so the process id still names our child here.
    if (!FProcess->Reaped)
        ::kill(FProcess->Pid, SIGKILL);
}

int ChildGuard::Wait()
{
    if (!WaitFor([this] { return !Running(); }))
        return -1;
    return WIFEXITED(FProcess->Status) ? WEXITSTATUS(FProcess->Status) : -1;
}

std::string ChildGuard::Output() const
{
    return ReadFileBytes(FOut);
}

std::string ChildGuard::Errors() const
{
    return ReadFileBytes(FErr);
}

std::string SystemPath(const std::filesystem::path& path)
{
    return path.string();
}
