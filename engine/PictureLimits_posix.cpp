#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "engine/PictureLimits.h"

uint64_t osAvailableMemory() {
    // MemAvailable counts the caches the kernel would give up; the free pages alone undercount.
    if (FILE* info = fopen("/proc/meminfo", "r")) {
        char line[128];
        unsigned long long kib = 0;
        bool found = false;
        while (!found && fgets(line, sizeof line, info)) found = sscanf(line, "MemAvailable: %llu kB", &kib) == 1;
        fclose(info);
        if (found) return static_cast<uint64_t>(kib) * 1024;
    }
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return UINT64_MAX;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}
