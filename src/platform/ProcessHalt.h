#pragma once

// Ends the process at once with `exitCode`, as a second instance of the program must: before any
// window is shown and without unwinding, so no destructor and no atexit handler runs (a running
// QApplication would not survive those). C stdio and the standard C++ streams are flushed first;
// on POSIX the files of this process's message windows are removed; windows, locks and sockets go
// with the process.
[[noreturn]] void HaltProcess(int exitCode = 0);
