// What the process's own status file says, for the whole-process measurements.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

// A value of /proc/self/status in KiB ("VmRSS", "VmHWM"), or -1.
inline long StatusKiB(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, key.size() + 1, key + ":") == 0)
            return std::strtol(line.c_str() + key.size() + 1, nullptr, 10);
    return -1;
}
