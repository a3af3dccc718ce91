#include "support/MappingCount.h"

#include <fstream>
#include <string>

int MappingCount(int pid)
{
#ifdef _WIN32
    // Wine lets a Windows program read Linux's /proc, but what it finds there is about the Wine
    // process, and a Windows process id names no Linux process.
    static_cast<void>(pid);
    return -1;
#else
    std::ifstream maps(pid == 0 ? std::string("/proc/self/maps") : "/proc/" + std::to_string(pid) + "/maps");
    if (!maps)
        return -1;
    int lines = 0;
    for (std::string line; std::getline(maps, line);)
        ++lines;
    return lines;
#endif
}
