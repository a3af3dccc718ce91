#pragma once

#include "FrameReader.h"
#include "UniqueFd.h"
#include "WireFrame.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A frame that has arrived whole, with the connection on which its sender waits for the
// acknowledgement.
struct CompletedFrame
{
    UniqueFd Connection;
    WireFrame Frame;
    std::string Bytes;
};

// The connections of one window's listening socket, each assembling its frame on its own, so that
// a peer that stalls or trickles holds up nobody else. One descriptor (an epoll set of the
// listening socket, the connections and a timer) is readable whenever there is something to do:
// a peer to accept, bytes that arrived, or a peer whose time is up.
class ConnectionSet
{
public:
    // Watches `listening` for connections to the window `window`. Throws PlatformError.
    ConnectionSet(int listening, std::uint32_t window);

    int Descriptor() const { return FEpoll.Get(); }
    // No connection in progress and no time-out to watch: only the listening socket can wake the
    // set.
    bool Idle() const { return FIncoming.empty() && FArmedFor == Clock::time_point{}; }

    // Accepts what is pending, reads what has arrived and drops peers that stalled for
    // kFrameTimeoutMilliseconds or took longer than kFrameDeadlineMilliseconds for their frame;
    // returns the frames that are whole now. Never waits.
    // `everyPending`: accept every pending connection, rather than one (the caller, which watches
    // the set, then comes back for the others).
    std::vector<CompletedFrame> Collect(bool everyPending);

private:
    using Clock = std::chrono::steady_clock;

    struct Incoming
    {
        UniqueFd Connection;
        FrameReader Reader;
        Clock::time_point WholeBy;
        Clock::time_point NextBytesBy;
    };

    void AcceptPending(std::vector<CompletedFrame>& done, bool everyPending);
    void Watch(Incoming incoming);
    void Advance(int fd, std::vector<CompletedFrame>& done);
    void DropExpired();
    void ArmTimer();

    int FListening;
    std::uint32_t FWindow;
    UniqueFd FEpoll;
    UniqueFd FTimer;
    std::map<int, Incoming> FIncoming; // by descriptor
    Clock::time_point FArmedFor{};     // the timer's expiry; the epoch while it is disarmed
};
