// A small program that the platform tests start as the other side of cross-process cases.
//   echo CLASS NAME    registers a window whose procedure answers every message with a message back
//                      to the sender (data word + 1, "re:" + bytes) before it returns; prints
//                      "ready <handle>"; serves until standard input closes
//   hang CLASS NAME    registers a window whose procedure prints "got" and never returns
//   mutex NAME         prints "got" or "busy" for the named mutex and holds it until input closes
//   wait PID           waits for the process as a client would; prints its recorded code, "none"
//                      when it cannot be opened, or "unknown"
//   exit CODE          ends with that exit code
//   halt CLASS         registers a window, prints "halting" without a line end and halts
//   fdlimit CLASS NAME (POSIX only) registers a window that prints "got" per message, then uses up every
//                      descriptor it may have; prints "ready <handle>". After serving what woke it
//                      it prints "served", or "stuck" (and ends) when the window stays readable
//                      (a connection left pending). The input line "free" gives the descriptors
//                      back and prints "freed".
//   swap CLASS NAME SIZE
//                      registers a window that prints "got <size> intact|corrupt" for each message
//                      (checked against PatternBytes(size, 1)); prints "ready <handle>"; on an input
//                      line "go <handle>" sends PatternBytes(SIZE, 2) there and prints "sent <0|1>"
//                      (1 = delivered); serves until standard input closes
// With PLATFORM_PEER_RECORD set it only writes its arguments, one a line, into that file (a fake
// web-address opener).
#include "PeerPattern.h"
#include "platform/MessageWindow.h"
#include "platform/NamedMutex.h"
#include "platform/ProcessHalt.h"
#include "platform/ProcessWait.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

// Standard input, read line by line on a thread of its own, so the main thread can serve its
// window meanwhile the same way on every system.
class InputLines
{
public:
    InputLines() : FState(std::make_shared<State>())
    {
        // Left to run: it may be blocked in a read when the program ends, and owns its state.
        std::thread([state = FState] { Read(*state); }).detach();
    }

    // The next whole line, or nothing yet; `closed` tells that no more will come.
    std::optional<std::string> Take(bool& closed)
    {
        std::lock_guard lock(FState->Mutex);
        closed = FState->Closed && FState->Lines.empty();
        if (FState->Lines.empty())
            return std::nullopt;
        std::string line = std::move(FState->Lines.front());
        FState->Lines.pop_front();
        return line;
    }

private:
    struct State
    {
        std::mutex Mutex;
        std::deque<std::string> Lines;
        bool Closed = false;
    };

    static void Read(State& state)
    {
        std::string line;
        for (int c = std::fgetc(stdin); c != EOF; c = std::fgetc(stdin)) {
            if (c != '\n') {
                line += static_cast<char>(c);
                continue;
            }
            std::lock_guard lock(state.Mutex);
            state.Lines.push_back(std::exchange(line, std::string()));
        }
        std::lock_guard lock(state.Mutex);
        state.Closed = true;
    }

    std::shared_ptr<State> FState;
};

// Serves this thread's windows, handing each input line to `onLine`, until the input closes.
template <typename OnLine>
void ServeUntilInputCloses(OnLine onLine)
{
    InputLines input;
    for (;;) {
        bool closed = false;
        while (const auto line = input.Take(closed))
            onLine(*line);
        if (closed)
            return;
        // Input wakes no wait for messages: look at it now and then.
        ServeMessages(20);
    }
}

void WaitForInputToClose()
{
    ServeUntilInputCloses([](const std::string&) {});
}

int Echo(const char* className, const char* windowName)
{
    MessageWindow window(className, windowName);
    const WindowHandle own = window.Handle();
    window.SetWindowProcedure([own](WindowHandle sender, std::uint32_t word, std::string_view bytes) {
        // A sender that is gone misses its echo, and a test on its side sees that.
        static_cast<void>(Send(own, sender, word + 1, "re:" + std::string(bytes)));
    });
    std::printf("ready %u\n", own);
    std::fflush(stdout);
    WaitForInputToClose();
    return 0;
}

int Swap(const char* className, const char* windowName, const char* sizeText)
{
    MessageWindow window(className, windowName, [](WindowHandle, std::uint32_t, std::string_view bytes) {
        const bool intact = bytes == PatternBytes(bytes.size(), 1);
        std::printf("got %zu %s\n", bytes.size(), intact ? "intact" : "corrupt");
        std::fflush(stdout);
    });
    const std::string block = PatternBytes(std::strtoul(sizeText, nullptr, 10), 2);
    std::printf("ready %u\n", window.Handle());
    std::fflush(stdout);
    ServeUntilInputCloses([&](const std::string& line) {
        if (line.rfind("go ", 0) != 0)
            return;
        const auto to = static_cast<WindowHandle>(std::strtoul(line.c_str() + 3, nullptr, 10));
        const bool delivered = Send(window.Handle(), to, 2, block) == SendResult::Delivered;
        std::printf("sent %d\n", delivered ? 1 : 0);
        std::fflush(stdout);
    });
    return 0;
}

#ifndef _WIN32
// Descriptors and their limit are POSIX's; a Windows window has no connections to run out of.
int FdLimit(const char* className, const char* windowName)
{
    MessageWindow window(className, windowName, [](WindowHandle, std::uint32_t, std::string_view) {
        std::printf("got\n");
        std::fflush(stdout);
    });
    const rlimit limit{64, 64};
    ::setrlimit(RLIMIT_NOFILE, &limit);
    std::vector<int> filler;
    for (int fd = ::dup(STDIN_FILENO); fd >= 0; fd = ::dup(STDIN_FILENO))
        filler.push_back(fd);
    std::printf("ready %u\n", window.Handle());
    std::fflush(stdout);
    for (;;) {
        pollfd waits[2] = {{STDIN_FILENO, POLLIN, 0}, {window.FileDescriptor(), POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0)
            continue;
        if (waits[1].revents != 0) {
            // Bytes may arrive between two rounds; a connection left pending keeps the window
            // readable however often it is served.
            bool stuck = true;
            for (int round = 0; round < 1000 && stuck; ++round) {
                window.ServePending();
                pollfd again{window.FileDescriptor(), POLLIN, 0};
                stuck = ::poll(&again, 1, 0) > 0;
            }
            std::printf("%s\n", stuck ? "stuck" : "served");
            std::fflush(stdout);
            if (stuck)
                return 1;
        }
        if (waits[0].revents != 0) {
            char buffer[64];
            if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
                return 0;
            for (const int fd : filler)
                ::close(fd);
            filler.clear();
            std::printf("freed\n");
            std::fflush(stdout);
        }
    }
}
#endif

int Hang(const char* className, const char* windowName)
{
    MessageWindow window(className, windowName, [](WindowHandle, std::uint32_t, std::string_view) {
        std::printf("got\n");
        std::fflush(stdout);
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    });
    std::printf("ready %u\n", window.Handle());
    std::fflush(stdout);
    WaitForInputToClose();
    return 0;
}

int Mutex(const char* name)
{
    const auto mutex = NamedMutex::TryAcquire(name);
    std::printf("%s\n", mutex ? "got" : "busy");
    std::fflush(stdout);
    WaitForInputToClose();
    return 0;
}

int Wait(const char* pidText)
{
    const auto waiter = ProcessWaiter::Open(static_cast<ProcessId>(std::atol(pidText)));
    if (!waiter) {
        std::printf("none\n");
        return 0;
    }
    const auto code = waiter->WaitForExitCode();
    if (code)
        std::printf("%d\n", *code);
    else
        std::printf("unknown\n");
    return 0;
}

int Halt(const char* className)
{
    MessageWindow window(className, "halt");
    std::printf("halting");
    HaltProcess(0);
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* record = std::getenv("PLATFORM_PEER_RECORD")) {
        std::ofstream out(record);
        for (int i = 1; i < argc; ++i)
            out << argv[i] << '\n';
        return 0;
    }
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "echo" && argc == 4)
        return Echo(argv[2], argv[3]);
#ifndef _WIN32
    if (mode == "fdlimit" && argc == 4)
        return FdLimit(argv[2], argv[3]);
#endif
    if (mode == "swap" && argc == 5)
        return Swap(argv[2], argv[3], argv[4]);
    if (mode == "hang" && argc == 4)
        return Hang(argv[2], argv[3]);
    if (mode == "mutex" && argc == 3)
        return Mutex(argv[2]);
    if (mode == "wait" && argc == 3)
        return Wait(argv[2]);
    if (mode == "exit" && argc == 3)
        return std::atoi(argv[2]);
    if (mode == "halt" && argc == 3)
        return Halt(argv[2]);
    std::fprintf(stderr, "platform_peer: unknown mode\n");
    return 64;
}
