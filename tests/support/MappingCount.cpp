#include "support/MappingCount.h"

#include <fstream>
#include <string>

int MappingCount(int pid)
{
    std::ifstream maps(pid == 0 ? std::string("/proc/self/maps") : "/proc/" + std::to_string(pid) + "/maps");
    if (!maps)
        return -1;
    int lines = 0;
    for (std::string line; std::getline(maps, line);)
        ++lines;
    return lines;
}
