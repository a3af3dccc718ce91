// Figure 5: a request and its reply through a running mentix-server (TkdbDemonClient's SendTo,
// as QueryServerString uses it), beside a raw ping-pong of the same number of bytes each way over
// one Unix stream socket between two processes. Both report their median and 99th percentile.
// Figure 7: the same request while 20 peers hold connections to the server that stopped in the
// middle of a frame.
//
// The raw peer is a child forked before anything else starts; mentix-server has no raw echo of
// its own, and the pair of processes and the kernel path are what the floor is about.
#include "platform/RuntimeFolder.h"
#include "platform/posix/FileIo.h"
#include "serverlink/TMentixMessageStream.h"
#include "serverlink/TkdbDemonClient.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// What a message window puts before the block on the wire: magic, sender, destination, data word
// and length, four bytes each.
constexpr std::size_t kFrameHeader = 20;
const std::string kQuery(64, 'q');

struct Fixture
{
    TkdbDemonClient* Client = nullptr;
    int RawSocket = -1;
    std::size_t RequestBytes = 0;
    std::size_t ReplyBytes = 0;
};

Fixture* gFixture = nullptr; // set by main for the benchmarks' duration

// Whole messages through the platform's one read and write loop; false when the peer went away.
bool WriteWhole(int fd, const std::vector<char>& bytes)
{
    return WriteAll(fd, bytes) == bytes.size();
}

bool ReadWhole(int fd, std::vector<char>& buffer)
{
    return ReadAll(fd, buffer) == buffer.size();
}

// The raw peer: answers every request of `request` bytes with `reply` bytes until the socket closes.
[[noreturn]] void Echo(int fd, std::size_t request, std::size_t reply)
{
    std::vector<char> in(request);
    const std::vector<char> out(reply, 'r');
    while (ReadWhole(fd, in) && WriteWhole(fd, out)) {
    }
    ::_exit(0);
}

void ReportPercentiles(benchmark::State& state, std::vector<double>& micros)
{
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    const auto at = [&micros](double q) {
        return micros[std::min(micros.size() - 1, static_cast<std::size_t>(q * micros.size()))];
    };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
}

// One query to the server, its time added to `micros`; false (and the run skipped) on a wrong answer.
bool TimedQuery(benchmark::State& state, std::vector<double>& micros)
{
    const auto start = std::chrono::steady_clock::now();
    const std::string answer = gFixture->Client->QueryServerString(kQuery);
    micros.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    if (answer == kQuery)
        return true;
    state.SkipWithError("the server did not answer the query");
    return false;
}

void BM_SendToServer(benchmark::State& state)
{
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(state.max_iterations));
    for (auto _ : state) {
        if (!TimedQuery(state, micros))
            break;
    }
    ReportPercentiles(state, micros);
}

void BM_RawPingPong(benchmark::State& state)
{
    const std::vector<char> out(gFixture->RequestBytes, 'q');
    std::vector<char> in(gFixture->ReplyBytes);
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(state.max_iterations));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!WriteWhole(gFixture->RawSocket, out) || !ReadWhole(gFixture->RawSocket, in)) {
            state.SkipWithError("the raw peer went away");
            break;
        }
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    ReportPercentiles(state, micros);
}

// A connection to the server's window that sent part of a frame and stopped. The server drops
// such a peer after its stall time-out; Renew() connects again when it has.
class StalledPeer
{
public:
    explicit StalledPeer(std::uint32_t server) : FServer(server) { Renew(); }
    ~StalledPeer() { Close(); }
    StalledPeer(const StalledPeer&) = delete;
    StalledPeer& operator=(const StalledPeer&) = delete;

    bool Renew()
    {
        char answer = 0;
        if (FFd >= 0 && ::recv(FFd, &answer, 1, MSG_DONTWAIT) < 0 && errno == EAGAIN)
            return true; // still waiting
        Close();
        char name[16];
        std::snprintf(name, sizeof name, "%08x.sock", FServer);
        const std::string path = (RuntimeFolder() / name).string();
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        FFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (FFd < 0 || ::connect(FFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            return false;
        const char part[7] = {'M', 'X', 'F', '1', 0, 0, 0}; // a header's first bytes
        return ::send(FFd, part, sizeof part, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof part);
    }

private:
    void Close()
    {
        if (FFd >= 0)
            ::close(FFd);
        FFd = -1;
    }

    std::uint32_t FServer;
    int FFd = -1;
};

void BM_SendToServerBesideStalledPeers(benchmark::State& state)
{
    std::vector<std::unique_ptr<StalledPeer>> stalled;
    for (int i = 0; i < 20; ++i)
        stalled.push_back(std::make_unique<StalledPeer>(gFixture->Client->ServerEntity.Handle));
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(state.max_iterations));
    for (auto _ : state) {
        state.PauseTiming();
        const bool ready =
            std::all_of(stalled.begin(), stalled.end(), [](auto& peer) { return peer->Renew(); });
        state.ResumeTiming();
        if (!ready) {
            state.SkipWithError("cannot hold a stalled connection to the server");
            break;
        }
        if (!TimedQuery(state, micros))
            break;
    }
    ReportPercentiles(state, micros);
}

BENCHMARK(BM_SendToServer)->Iterations(4000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SendToServerBesideStalledPeers)->Iterations(4000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawPingPong)->Iterations(4000)->Unit(benchmark::kMicrosecond);

// The bytes of one frame of a query for kQuery, and of its answer, which carries the same string.
std::size_t QueryFrameBytes()
{
    TMentixMessageStream msg(nullptr);
    msg.WriteString(kQuery);
    return kFrameHeader + msg.ToBlock().size();
}

pid_t StartServer(const std::string& instance)
{
    std::vector<std::string> args{BYTESCOPE_MENTIX_SERVER, "--instance", instance};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return 0;
    return pid;
}

void StopChild(pid_t pid, int signalNumber)
{
    if (pid <= 0)
        return;
    if (signalNumber != 0)
        ::kill(pid, signalNumber);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

int main(int argc, char** argv)
{
    Fixture fixture;
    fixture.RequestBytes = QueryFrameBytes();
    fixture.ReplyBytes = fixture.RequestBytes;

    // Fork the raw peer while this process is still single-threaded.
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        std::perror("socketpair");
        return 1;
    }
    const pid_t echo = ::fork();
    if (echo < 0) {
        std::perror("fork");
        return 1;
    }
    if (echo == 0) {
        ::close(pair[0]);
        Echo(pair[1], fixture.RequestBytes, fixture.ReplyBytes);
    }
    ::close(pair[1]);
    fixture.RawSocket = pair[0];

    // A private runtime folder, so that no other program's windows or servers take part.
    std::string base = (std::filesystem::temp_directory_path() / "bytescope-bench-XXXXXX").string();
    if (::mkdtemp(base.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    ::setenv("XDG_RUNTIME_DIR", base.c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", base.c_str(), 1);

    const std::string instance = "bench" + std::to_string(::getpid());
    const pid_t server = StartServer(instance);
    int code = 1;
    {
        QCoreApplication application(argc, argv);
        std::unique_ptr<TkdbDemonClient> client;
        for (int attempt = 0; attempt < 500 && server != 0; ++attempt) {
            client = std::make_unique<TkdbDemonClient>(nullptr,
                                                       CommandLine({argv[0], "/serverhandle=" + instance}));
            if (client->ServerEntity.Handle != 0)
                break;
            client.reset();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (client == nullptr) {
            std::fputs("bench-serverlink: mentix-server did not come up\n", stderr);
        } else {
            client->SetAutoTranslate(false);
            client->SetMultiStart(true);
            client->SetUseValdoraServer(true);
            client->Loaded();
            fixture.Client = client.get();
            gFixture = &fixture;
            benchmark::Initialize(&argc, argv);
            if (!benchmark::ReportUnrecognizedArguments(argc, argv)) {
                benchmark::RunSpecifiedBenchmarks();
                code = 0;
            }
            benchmark::Shutdown();
            gFixture = nullptr;
            client.reset(); // unregisters while the server still runs
        }
    }
    StopChild(server, SIGTERM);
    ::close(fixture.RawSocket);
    StopChild(echo, 0);
    std::error_code ignored;
    std::filesystem::remove_all(base, ignored);
    return code;
}
