// Figure 6: from starting the trainer to its About box shown, and its resident memory then,
// beside a minimal Qt program that shows one dialog. Both report the moment through the same
// probe (src/app/StartupProbe.h); the time runs from posix_spawn to the probe's line arriving.
#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kTimeoutMilliseconds = 60000;

struct Start
{
    bool Ok = false;
    double Seconds = 0;
    double ResidentKiB = 0;
};

// The environment of the started program: ours, on the offscreen platform, with the probe on and
// a private runtime folder so that no other instance of the trainer takes part.
std::vector<std::string> ChildEnvironment(const std::string& runtime)
{
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("QT_QPA_PLATFORM=", 0) != 0 && entry.rfind("XDG_RUNTIME_DIR=", 0) != 0 &&
            entry.rfind("BYTESCOPE_STARTUP_PROBE=", 0) != 0)
            env.push_back(entry);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("BYTESCOPE_STARTUP_PROBE=1");
    env.push_back("XDG_RUNTIME_DIR=" + runtime);
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

Start RunOnce(const char* program, const std::string& runtime)
{
    Start result;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_addchdir_np(&actions, runtime.c_str());
    std::vector<std::string> args{program};
    std::vector<std::string> env = ChildEnvironment(runtime);
    const auto argv = Pointers(args);
    const auto envp = Pointers(env);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program, &actions, nullptr, argv.data(), envp.data());
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return result;
    }

    std::string text;
    for (;;) {
        pollfd wait{out[0], POLLIN, 0};
        const int ready = ::poll(&wait, 1, kTimeoutMilliseconds);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char buffer[256];
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
        const auto line = text.find("startup-probe shown rss_kb=");
        if (line != std::string::npos && text.find('\n', line) != std::string::npos) {
            result.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            result.ResidentKiB =
                std::strtod(text.c_str() + line + std::strlen("startup-probe shown rss_kb="), nullptr);
            result.Ok = true;
            break;
        }
    }
    ::close(out[0]);
    if (!result.Ok)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return result;
}

void BM_Startup(benchmark::State& state, const char* program)
{
    std::string runtime = (std::filesystem::temp_directory_path() / "bytescope-startup-XXXXXX").string();
    if (::mkdtemp(runtime.data()) == nullptr) {
        state.SkipWithError("no private runtime folder");
        return;
    }
    double resident = 0;
    for (auto _ : state) {
        const Start run = RunOnce(program, runtime);
        if (!run.Ok) {
            state.SkipWithError("the program did not report its first show");
            break;
        }
        state.SetIterationTime(run.Seconds);
        resident += run.ResidentKiB;
    }
    if (state.iterations() > 0)
        state.counters["rss_kib"] = resident / static_cast<double>(state.iterations());
    std::error_code ignored;
    std::filesystem::remove_all(runtime, ignored);
}

} // namespace

BENCHMARK_CAPTURE(BM_Startup, bytescope, BYTESCOPE_TRAINER)
    ->UseManualTime()
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Startup, baseline, BYTESCOPE_BASELINE)
    ->UseManualTime()
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);
