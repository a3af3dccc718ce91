#pragma once

// A request to close one of this process's message windows (WM_CLOSE, as a task list sends it to a
// program's windows): in a program that watches for stop requests (StopRequest), a stop request
// like Ctrl+C, so a second one ends a shutdown stuck on a peer; elsewhere the end of the thread's
// message loop (WM_QUIT), as for a main window. Implemented beside StopRequest.
void RequestStopByClose();
