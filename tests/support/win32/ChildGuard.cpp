#include "support/ChildGuard.h"

#include "platform/WindowsWords.h"
#include "support/TempDir.h"
#include "support/WriteToChild.h"
#include "support/win32/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <stdexcept>
#include <string_view>

namespace {

std::atomic<int> gChildCounter{0};

constexpr DWORD kWaitBoundMilliseconds = 60000;

bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string_view NameOf(std::string_view variable)
{
    return variable.substr(0, variable.find('=', 1)); // "=C:=C:\\..." entries start with "="
}

// Our environment block less the named variables and those of `variables` (names compare without
// letter case, as Windows does), then `variables`; empty when there is nothing to change, so the
// program simply inherits ours.
std::string EnvironmentFor(const std::vector<std::string>& names, const std::vector<std::string>& variables)
{
    if (names.empty() && variables.empty())
        return {};
    char* const strings = ::GetEnvironmentStringsA();
    std::string block;
    for (const char* entry = strings; *entry != '\0'; entry += std::string_view(entry).size() + 1) {
        const std::string_view variable(entry);
        const std::string_view name = NameOf(variable);
        const bool dropped =
            std::any_of(names.begin(), names.end(),
                        [name](const std::string& drop) { return SameNameIgnoringCase(name, drop); }) ||
            std::any_of(variables.begin(), variables.end(), [name](const std::string& given) {
                return SameNameIgnoringCase(name, NameOf(given));
            });
        if (!dropped) {
            block.append(variable);
            block.push_back('\0');
        }
    }
    ::FreeEnvironmentStringsA(strings);
    for (const std::string& given : variables) {
        block.append(given);
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

UniqueHandle CreateOutputFile(const std::filesystem::path& path)
{
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    // Shared for reading while the program writes, and for deletion with the test's folder.
    UniqueHandle file(::CreateFileA(path.string().c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw std::runtime_error("cannot create " + path.string());
    return file;
}

// A job that takes the program and whatever it starts down with it when its last handle closes,
// also when the test program itself dies.
UniqueHandle CreateKillingJob()
{
    UniqueHandle job(::CreateJobObjectA(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job ||
        !::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        throw std::runtime_error("cannot create a job object");
    return job;
}

// CreateProcess looks a relative program up from our folder, not from the one it is started in.
std::string ApplicationName(const std::string& program, const std::filesystem::path& workingFolder)
{
    const std::filesystem::path path(program);
    if (workingFolder.empty() || path.is_absolute() || path.has_root_directory() || !path.has_parent_path())
        return {};
    return (workingFolder / path).lexically_normal().string();
}

BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM processId)
{
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    // Sent, not posted: a program that is itself waiting in a SendMessage still handles it.
    if (owner == static_cast<DWORD>(processId))
        ::SendNotifyMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// The C runtime writes a program's text lines to its standard streams with CR LF; the tests
// compare them as lines, as on Linux.
std::string TextLines(std::string text)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            text[kept++] = text[i];
    }
    text.resize(kept);
    return text;
}

} // namespace

class ChildGuard::Process
{
public:
    UniqueHandle Job;
    UniqueHandle Handle;
    UniqueHandle Input;
    DWORD Id = 0;
    std::atomic<bool> Killed{false};

    bool Ended() const { return ::WaitForSingleObject(Handle.Get(), 0) == WAIT_OBJECT_0; }
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
    FProcess->Job = CreateKillingJob();

    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherited, 0))
        throw std::runtime_error("pipe failed");
    const UniqueHandle childInput(readEnd);
    FProcess->Input = UniqueHandle(writeEnd);
    ::SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
    const UniqueHandle output = CreateOutputFile(FOut);
    const UniqueHandle errors = CreateOutputFile(FErr);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput.Get();
    startup.hStdOutput = output.Get();
    startup.hStdError = errors.Get();
    std::string commandLine = JoinWindowsCommandLine(argv);
    std::string environment = EnvironmentFor(withoutVariables, variables);
    const std::string application = ApplicationName(argv.at(0), workingFolder);
    const std::string folder = workingFolder.string();
    PROCESS_INFORMATION started{};
    // Suspended until it is in the job, so nothing it starts can slip out.
    if (!::CreateProcessA(application.empty() ? nullptr : application.c_str(), commandLine.data(), nullptr,
                          nullptr, TRUE, CREATE_SUSPENDED | CREATE_NEW_PROCESS_GROUP,
                          environment.empty() ? nullptr : environment.data(),
                          folder.empty() ? nullptr : folder.c_str(), &startup, &started))
        throw std::runtime_error("cannot start " + argv[0]);
    FProcess->Handle = UniqueHandle(started.hProcess);
    const UniqueHandle thread(started.hThread);
    FProcess->Id = started.dwProcessId;
    if (!::AssignProcessToJobObject(FProcess->Job.Get(), started.hProcess)) {
        ::TerminateProcess(started.hProcess, 1);
        throw std::runtime_error("cannot put " + argv[0] + " into a job");
    }
    ::ResumeThread(thread.Get());
}

ChildGuard::~ChildGuard()
{
    CloseInput();
    if (!FProcess->Ended()) {
        FProcess->Killed = true;
        ::TerminateProcess(FProcess->Handle.Get(), 1);
        ::WaitForSingleObject(FProcess->Handle.Get(), kWaitBoundMilliseconds);
    }
    // Closing the job ends what the program left running.
}

int ChildGuard::Pid() const
{
    return static_cast<int>(FProcess->Id);
}

bool ChildGuard::Running()
{
    return !FProcess->Ended();
}

void ChildGuard::WriteInput(const std::string& bytes)
{
    if (!WriteToChild(reinterpret_cast<std::intptr_t>(FProcess->Input.Get()), bytes))
        throw std::runtime_error("cannot write to the program's input");
}

void ChildGuard::CloseInput()
{
    FProcess->Input.Reset();
}

void ChildGuard::RequestStop(Stop)
{
    if (!FProcess->Ended())
        ::EnumWindows(CloseWindowsOf, static_cast<LPARAM>(FProcess->Id));
}

void ChildGuard::Kill()
{
    FProcess->Killed = true;
    ::TerminateProcess(FProcess->Handle.Get(), 1);
}

int ChildGuard::Wait()
{
    if (::WaitForSingleObject(FProcess->Handle.Get(), kWaitBoundMilliseconds) != WAIT_OBJECT_0 ||
        FProcess->Killed)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(FProcess->Handle.Get(), &code);
    return static_cast<int>(code);
}

std::string ChildGuard::Output() const
{
    return TextLines(ReadFileBytes(FOut));
}

std::string ChildGuard::Errors() const
{
    return TextLines(ReadFileBytes(FErr));
}

std::string SystemPath(const std::filesystem::path& path)
{
    std::string text = path.string();
    // Wine shows the Linux root as drive Z:.
    if (text.starts_with('/'))
        text = "Z:" + text;
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}
