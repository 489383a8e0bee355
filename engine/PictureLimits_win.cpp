#include <windows.h>

#include "engine/PictureLimits.h"

uint64_t osAvailableMemory() {
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return UINT64_MAX;
    return status.ullAvailPhys;
}
