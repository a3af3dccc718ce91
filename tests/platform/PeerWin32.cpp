#include "Peer.h"
#include "platform/WindowsWords.h"

#include <windows.h>

#include <stdexcept>

namespace {

HANDLE H(std::intptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

std::intptr_t Value(HANDLE handle)
{
    return reinterpret_cast<std::intptr_t>(handle);
}

// A pipe whose end for the child is inheritable and whose end for us is not.
void MakePipe(HANDLE& read, HANDLE& write, bool childReads)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!::CreatePipe(&read, &write, &inherit, 0))
        throw std::runtime_error("pipe");
    ::SetHandleInformation(childReads ? write : read, HANDLE_FLAG_INHERIT, 0);
}

} // namespace

std::string ProcessUnique(std::string_view name)
{
    return std::string(name) + "." + std::to_string(::GetCurrentProcessId());
}

Peer::Peer(const std::vector<std::string>& arguments)
{
    HANDLE inputRead = nullptr;
    HANDLE inputWrite = nullptr;
    HANDLE outputRead = nullptr;
    HANDLE outputWrite = nullptr;
    MakePipe(inputRead, inputWrite, true);
    try {
        MakePipe(outputRead, outputWrite, false);
    } catch (...) {
        ::CloseHandle(inputRead);
        ::CloseHandle(inputWrite);
        throw;
    }
    std::vector<std::string> argv{PeerProgram()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::string commandLine = JoinWindowsCommandLine(argv);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead;
    startup.hStdOutput = outputWrite;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started{};
    const BOOL ok = ::CreateProcessA(PeerProgram().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                     nullptr, nullptr, &startup, &started);
    ::CloseHandle(inputRead);
    ::CloseHandle(outputWrite);
    FInput = Value(inputWrite);
    FOutput = Value(outputRead);
    if (!ok) {
        CloseInput();
        ::CloseHandle(outputRead);
        FOutput = -1;
        throw std::runtime_error("cannot start platform_peer");
    }
    ::CloseHandle(started.hThread);
    FProcess = Value(started.hProcess);
    FPid = static_cast<int>(started.dwProcessId);
}

Peer::~Peer()
{
    Kill();
    CloseInput();
    if (FOutput != -1)
        ::CloseHandle(H(FOutput));
}

bool Peer::ReadMore()
{
    // An anonymous pipe cannot be waited on with a time limit: look for bytes now and then.
    for (int waited = 0; waited < 60000; waited += 10) {
        DWORD available = 0;
        if (!::PeekNamedPipe(H(FOutput), nullptr, 0, nullptr, &available, nullptr))
            return false; // the peer closed its end
        if (available > 0) {
            char buffer[256];
            DWORD n = 0;
            if (!::ReadFile(H(FOutput), buffer, sizeof buffer, &n, nullptr) || n == 0)
                return false;
            FPending.append(buffer, n);
            return true;
        }
        ::Sleep(10);
    }
    return false;
}

void Peer::CloseInput()
{
    if (FInput != -1)
        ::CloseHandle(H(FInput));
    FInput = -1;
}

int Peer::Kill()
{
    if (FProcess != -1)
        ::TerminateProcess(H(FProcess), 1);
    return Wait();
}

int Peer::Wait()
{
    if (FProcess != -1) {
        ::WaitForSingleObject(H(FProcess), INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(H(FProcess), &code);
        ::CloseHandle(H(FProcess));
        FProcess = -1;
        FPid = 0;
        FExitCode = static_cast<int>(code);
    }
    return FExitCode;
}
