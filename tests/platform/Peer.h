#pragma once

#include "platform/MessageWindow.h"

#include <string>
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

    // Kills with SIGKILL and reaps; returns the wait status. Safe to call twice.
    int Kill();

    // Reaps after the peer ended by itself; returns the wait status.
    int Wait();

private:
    int FPid = 0;
    int FInput = -1;
    int FOutput = -1;
    std::string FPending;
    int FStatus = 0;
};

std::string PeerProgram();
