#include "Peer.h"

#include "support/WriteToChild.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

int Fd(std::intptr_t value)
{
    return static_cast<int>(value);
}

} // namespace

std::string ProcessUnique(std::string_view name)
{
    return std::string(name) + "." + std::to_string(::getpid());
}

Peer::Peer(const std::vector<std::string>& arguments)
{
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    if (::pipe2(output, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    std::vector<std::string> argv{PeerProgram()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    const int result = ::posix_spawn(&FPid, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    FInput = input[1];
    FOutput = output[0];
    if (result != 0) {
        FPid = 0;
        throw std::runtime_error("cannot start platform_peer");
    }
}

Peer::~Peer()
{
    Kill();
    CloseInput();
    if (FOutput >= 0)
        ::close(Fd(FOutput));
}

bool Peer::ReadMore()
{
    pollfd wait{Fd(FOutput), POLLIN, 0};
    if (::poll(&wait, 1, 60000) <= 0)
        return false;
    char buffer[256];
    const ssize_t n = ::read(Fd(FOutput), buffer, sizeof buffer);
    if (n <= 0)
        return false;
    FPending.append(buffer, static_cast<std::size_t>(n));
    return true;
}

void Peer::WriteLine(const std::string& line)
{
    // A peer that has died shows in what it answers (nothing), which the test checks.
    WriteToChild(Fd(FInput), line + "\n");
}

void Peer::CloseInput()
{
    if (FInput >= 0)
        ::close(Fd(FInput));
    FInput = -1;
}

int Peer::Kill()
{
    if (FPid != 0)
        ::kill(FPid, SIGKILL);
    return Wait();
}

int Peer::Wait()
{
    if (FPid != 0) {
        int status = 0;
        while (::waitpid(FPid, &status, 0) < 0 && errno == EINTR) {
        }
        FPid = 0;
        FExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return FExitCode;
}
