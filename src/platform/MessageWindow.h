#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// Message windows: named endpoints through which processes of one user exchange synchronous
// data-copy messages (what WM_COPYDATA carries: the sender's window handle, a 32-bit data word and
// a block of bytes).
//
// On Windows each is a hidden top-level window of the given class and window name, and the system
// carries the messages; the calling thread's message loop (Qt's event dispatcher, or ServeMessages()
// in a program without one) delivers them.
//
// POSIX: each window is a listening Unix stream socket "<handle>.sock" in RuntimeFolder() plus a
// record "<handle>.win" (process id, class name, window name) that is written atomically and kept
// under an flock for the window's life. The lock dies with the process, which is how a dead
// process's windows are recognised: they are never found, and whoever comes across them removes
// their files. Registering waits for no other process. A window takes messages from any number of
// peers at once: each connection's message is put together as its bytes come, so a peer that stalls
// or trickles delays nobody else. Every descriptor is close-on-exec, so programs we start do not
// inherit our windows. A child made by fork() without exec shares the parent's windows and must not
// use or destroy them.
//
// Threads: a window is served on the thread that made it (Windows) or that calls ServePending(),
// ServeMessages() or Send() (POSIX); window procedures and sends are meant for one (the main) thread.

using WindowHandle = std::uint32_t;

// The window procedure: the sender's window handle (as the sender stated it), the data word, and
// the bytes, valid only during the call. It may send messages itself and may destroy its own window.
// It must not throw: on Windows an exception cannot cross the system's frames and ends the program.
using WindowProcedure =
    std::function<void(WindowHandle senderHandle, std::uint32_t dataWord, std::string_view bytes)>;

// A message whose block is larger than this is refused by sender and receiver alike.
inline constexpr std::size_t kMaxMessageBytes = 64u * 1024u * 1024u;

// POSIX: how long a peer may stall in the middle of a message (header or bytes) before it is dropped.
inline constexpr int kFrameTimeoutMilliseconds = 3000;

// POSIX: how long a peer may take for a whole message (header and bytes), however steadily it sends.
inline constexpr int kFrameDeadlineMilliseconds = 10000;

// Outcome of Send(). Only Delivered means that the destination's window procedure ran and returned.
enum class SendResult
{
    Delivered,
    NoSuchWindow, // handle 0, no window with that handle, or its process has gone
    TooLarge,     // the block exceeds kMaxMessageBytes; nothing was sent
    Broken        // the destination went away, refused us or dropped the message before answering
};

class MessageWindow
{
public:
    // Registers a window under a class name and a window name (any bytes; empty is allowed). Its
    // handle is a non-zero 32-bit number that no live window holds (on POSIX a random one; on
    // Windows the window's own handle, and names end at a zero byte). Throws PlatformError when the
    // window cannot be made (POSIX: the runtime folder is refused or a socket cannot be made).
    MessageWindow(std::string_view className, std::string_view windowName, WindowProcedure procedure = {});

    // Unregisters (POSIX: closes the socket and removes both files). A peer waiting in Send() on
    // this window, not yet served, sees its send return Broken.
    ~MessageWindow();

    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    WindowHandle Handle() const;
    const std::string& ClassName() const;
    const std::string& WindowName() const;

    // Without a procedure, messages are still received and acknowledged (and dropped), as a window
    // with the default window procedure would.
    void SetWindowProcedure(WindowProcedure procedure);

    // POSIX: readable whenever the window has something to do: a peer has connected, bytes of a
    // message have come, or a peer's time is up. Watch it (QSocketNotifier, poll) and call
    // ServePending() when it is readable; never read from it yourself. It stays the same for the
    // window's life. -1 where the thread's message loop delivers the window's messages by itself
    // (Windows): there is nothing to watch.
    int FileDescriptor() const;

    // Serves, without waiting for anything, each message that has arrived whole for this window
    // (on Windows: for every window of the calling thread); the procedure runs, then the sender is
    // released. Returns at once when nothing is there, which happens when a Send() of this process
    // already served what woke the caller. Safe to call when the window procedure destroys this
    // window: serving then stops, and the senders of messages taken but not yet served see their
    // send fail.
    // POSIX: messages still coming are kept for a later call. A peer that stops in the middle of a
    // message is dropped after kFrameTimeoutMilliseconds without progress, and one that has not
    // sent its whole message within kFrameDeadlineMilliseconds is dropped too.
    void ServePending();

    struct Impl;

private:
    std::unique_ptr<Impl> FImpl;
};

// A live window whose class name and window name both equal the given ones (byte for byte), or 0.
// With several matches, the one with the smallest handle. POSIX: records of dead processes met on
// the way are removed; throws PlatformError when the runtime folder is refused.
WindowHandle FindWindow(std::string_view className, std::string_view windowName);

// Whether a live window has this handle (false for 0 and for a dead process's window).
bool IsWindow(WindowHandle handle);

// Sends synchronously: returns when the destination's window procedure has returned, or at once
// when the destination does not exist or goes away. There is no time limit while the destination
// works on the message. While it waits, the calling thread serves the messages sent to its own
// windows (so a reply sent back during the request is delivered inside the wait); nothing else is
// served. `from` is passed to the destination as the sender's handle. Sending to a window of this
// process calls its procedure directly, with a copy of the bytes.
// POSIX: it serves every window of this process while it waits. Large blocks travel in a sealed
// memory file, so a send never waits for the destination to read. Never raises SIGPIPE. When
// `from` is a window of this process, the destination is looked up in the runtime folder that
// window was registered in; otherwise RuntimeFolder() is checked, and PlatformError is thrown when
// it is refused.
[[nodiscard]] SendResult Send(WindowHandle from, WindowHandle to, std::uint32_t dataWord,
                              std::string_view bytes);

// For a program without an event loop (a resident server, a test): waits until a message for a
// window of this thread has come, or `timeoutMilliseconds` have passed (negative: no limit), and
// serves what has come, as ServePending() does for each window.
void ServeMessages(int timeoutMilliseconds);
