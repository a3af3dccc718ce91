#include "ServerlinkTestSupport.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::string GetEnv(const char* name, bool& had)
{
    const char* value = std::getenv(name);
    had = value != nullptr;
    return had ? value : "";
}

void RestoreEnv(const char* name, const std::string& value, bool had)
{
    if (had)
        ::setenv(name, value.c_str(), 1);
    else
        ::unsetenv(name);
}

std::atomic<int> gChildCounter{0};

} // namespace

PrivateEnvironment::PrivateEnvironment()
{
    FSavedRuntime = GetEnv("XDG_RUNTIME_DIR", FHadRuntime);
    FSavedConfig = GetEnv("XDG_CONFIG_DIRS", FHadConfig);
    ::chmod(FBase.Path().c_str(), 0700);
    std::filesystem::create_directories(FBase / "config" / "Norvane");
    ::setenv("XDG_RUNTIME_DIR", FBase.Path().c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (FBase / "config").c_str(), 1);
}

PrivateEnvironment::~PrivateEnvironment()
{
    RestoreEnv("XDG_RUNTIME_DIR", FSavedRuntime, FHadRuntime);
    RestoreEnv("XDG_CONFIG_DIRS", FSavedConfig, FHadConfig);
}

void PrivateEnvironment::WriteViewerHandle(const std::string& line)
{
    WriteFileBytes(FBase / "config" / "Norvane" / "valdora.conf", "[demon]\n" + line + "\n");
}

ChildGuard::ChildGuard(const std::vector<std::string>& argv, const std::filesystem::path& outputFolder,
                       const std::filesystem::path& workingFolder)
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
    const int error = ::posix_spawn(&FPid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[0]);
    FInput = pipeFds[1];
    if (error != 0) {
        ::close(FInput);
        throw std::runtime_error("cannot start " + argv[0]);
    }
}

ChildGuard::~ChildGuard()
{
    CloseInput();
    if (!FReaped) {
        ::kill(FPid, SIGKILL);
        Reap(true);
    }
}

bool ChildGuard::Reap(bool block)
{
    if (FReaped)
        return true;
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(FPid, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == FPid) {
        FReaped = true;
        FStatus = status;
    }
    return FReaped;
}

bool ChildGuard::Running()
{
    return !Reap(false);
}

void ChildGuard::CloseInput()
{
    if (FInput >= 0) {
        ::close(FInput);
        FInput = -1;
    }
}

void ChildGuard::Signal(int signalNumber)
{
    if (!FReaped)
        ::kill(FPid, signalNumber);
}

int ChildGuard::Wait()
{
    if (!WaitFor([this] { return !Running(); }))
        return -1;
    return WIFEXITED(FStatus) ? WEXITSTATUS(FStatus) : -1;
}

std::string ChildGuard::Output() const
{
    return ReadFileBytes(FOut);
}

std::string ChildGuard::Errors() const
{
    return ReadFileBytes(FErr);
}

bool WaitFor(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
