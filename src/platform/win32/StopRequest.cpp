#include "platform/StopRequest.h"

#include "platform/LastError.h"
#include "platform/MessageWindow.h"
#include "platform/PlatformError.h"

#include <windows.h>

namespace {

// The console's handler runs on a thread of its own and can reach nothing but these: the event
// the main loop waits for, the number of stop requests so far, and the event that says the main
// loop has stopped watching. The events live to the end of the process, as the handler does.
HANDLE gStopEvent = nullptr;     // NOLINT
HANDLE gStoppedEvent = nullptr;  // NOLINT
volatile LONG gStopRequests = 0; // NOLINT

// Counts a request; true for the first one.
bool FirstRequest()
{
    return ::InterlockedExchange(&gStopRequests, 1) == 0;
}

BOOL WINAPI OnConsoleControl(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        if (FirstRequest()) {
            ::SetEvent(gStopEvent);
            // The system ends the program as soon as this returns: give the main loop its time to
            // shut down in order (the system allows only so much of it).
            ::WaitForSingleObject(gStoppedEvent, INFINITE);
            return TRUE;
        }
        ::TerminateProcess(::GetCurrentProcess(), 0);
        return TRUE;
    default:
        return FALSE;
    }
    if (!FirstRequest())
        ::TerminateProcess(::GetCurrentProcess(), 0);
    ::SetEvent(gStopEvent);
    return TRUE;
}

HANDLE ProcessEvent(HANDLE& event)
{
    if (event == nullptr)
        event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return event;
}

// Whether a WM_QUIT is among the thread's posted messages; the others are dispatched, and what is
// sent to the thread's windows is served on the way.
bool QuitPosted()
{
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return true;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return false;
}

} // namespace

StopRequest::StopRequest()
{
    if (ProcessEvent(gStopEvent) == nullptr || ProcessEvent(gStoppedEvent) == nullptr)
        throw PlatformError("cannot watch for stop requests: " + LastErrorText());
    ::ResetEvent(gStopEvent);
    ::ResetEvent(gStoppedEvent);
    gStopRequests = 0;
    if (!::SetConsoleCtrlHandler(OnConsoleControl, TRUE))
        throw PlatformError("cannot watch for stop requests: " + LastErrorText());
    FWakeUp = reinterpret_cast<std::intptr_t>(gStopEvent);
}

StopRequest::~StopRequest()
{
    // No loop waits for a request any more: from now on one ends the process at once.
    gStopRequests = 1;
    ::SetEvent(gStoppedEvent);
}

bool StopRequest::Wait(const MessageWindow&)
{
    // The thread's queue holds what comes for its windows; the event holds the console's requests.
    const HANDLE stop = reinterpret_cast<HANDLE>(FWakeUp);
    const DWORD woken = ::MsgWaitForMultipleObjectsEx(1, &stop, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_OBJECT_0)
        return false;
    if (woken != WAIT_OBJECT_0 + 1)
        throw PlatformError("waiting for messages: " + LastErrorText());
    if (QuitPosted()) {
        FirstRequest(); // a later request ends the program at once
        return false;
    }
    return true;
}
