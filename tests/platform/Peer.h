#pragma once

#include "platform/MessageWindow.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One run of the platform_peer program with pipes on its standard input and output. The object
// kills and reaps the process when it goes away, also when a test fails half-way.
class Peer
{
public:
    explicit Peer(const std::vector<std::string>& arguments);
    ~Peer();
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    int Pid() const { return FPid; }

    // The next line of output without its line end; empty when the peer ends or stays silent for
    // a generous while (a safety net against hanging, not a timing check).
    std::string ReadLine();

    // Reads the peer's "ready HANDLE" line and returns the window handle it names; 0 (with a
    // test failure) when the line is anything else.
    WindowHandle ReadReadyHandle();

    // Everything the peer writes until it closes its output.
    std::string ReadToEnd();

    // Writes a line (a line end is added) to the peer's input.
    void WriteLine(const std::string& line);

    // Closes the peer's input (the peers end on that).
    void CloseInput();

    // Kills and reaps; returns what Wait() returns. Safe to call twice.
    int Kill();

    // Reaps after the peer ended by itself; returns its exit code (-1 when a signal ended it).
    int Wait();

private:
    // Appends what the peer writes next to FPending; false when it ended or stayed silent for
    // the safety net's while.
    bool ReadMore();

    int FPid = 0;
    std::intptr_t FProcess = -1; // the process handle (Windows)
    std::intptr_t FInput = -1;
    std::intptr_t FOutput = -1;
    std::string FPending;
    int FExitCode = 0;
};

std::string PeerProgram();

// A class or window name that no test running at the same time uses: on Windows every process of
// the desktop sees every window.
std::string ProcessUnique(std::string_view name);
