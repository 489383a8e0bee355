#pragma once
// The parsers that open a path read the fuzz input from one scratch file per process, in memory-backed
// /dev/shm when there is one.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

inline const std::string& fuzzScratchPath(const char* name) {
    static std::string path = [name] {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(folder) + "/trimwell-fuzz-" + std::to_string(getpid()) + "-" + name;
    }();
    return path;
}

inline bool writeScratch(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = fwrite(data, 1, size, file) == size;
    return fclose(file) == 0 && ok;
}

inline std::u16string widen(const std::string& path) { return std::u16string(path.begin(), path.end()); }
