#include "platform/ProcessHalt.h"

#include "Internal.h"

#include <cstdio>
#include <iostream>
#include <unistd.h>

void HaltProcess(int exitCode)
{
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    RemoveWindowFilesOfThisProcess();
    ::_exit(exitCode);
}
