#include "platform/ProcessHalt.h"

#include <cstdio>
#include <iostream>
#include <windows.h>

void HaltProcess(int exitCode)
{
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // Ends every thread where it stands: no DLL is told to clean up, so Qt's libraries are left as
    // they are. The process's windows go with it.
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
    ::ExitProcess(static_cast<UINT>(exitCode)); // not reached; says so to the compiler
}
