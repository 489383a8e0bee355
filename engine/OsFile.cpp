// The parts of the OS layer that are the same on every platform: the whole-file copy, built on the
// primitives so that a failed write, flush or close inside it is one of the OS layer, and the fault seam.
#include "engine/OsFile.h"

#include <cstdlib>
#include <cstring>

namespace {

// One countdown per operation; the process-wide fault record of the tests.
struct OsFaults {
    int remaining[static_cast<int>(OsStep::Count)];
    int flipInWrite;
    uint32_t flipFromEnd;
};
OsFaults gOsFaults;

constexpr uint32_t kCopyChunk = 1u << 20;

}  // namespace

void osFailNth(OsStep step, int n) { gOsFaults.remaining[static_cast<int>(step)] = n; }

void osClearFaults() { gOsFaults = OsFaults(); }

bool osStepFails(OsStep step) {
    int& remaining = gOsFaults.remaining[static_cast<int>(step)];
    if (remaining <= 0) return false;
    return --remaining == 0;
}

void osFlipBitInNthWrite(int n, uint32_t fromEnd) {
    gOsFaults.flipInWrite = n;
    gOsFaults.flipFromEnd = fromEnd;
}

bool osWriteDamaged(OsHandle file, const void* data, uint32_t bytes, bool* written) {
    if (gOsFaults.flipInWrite <= 0 || --gOsFaults.flipInWrite != 0 || bytes == 0) return false;
    auto* copy = static_cast<uint8_t*>(malloc(bytes));
    if (!copy) return false;
    memcpy(copy, data, bytes);
    const uint32_t fromEnd = gOsFaults.flipFromEnd < bytes ? gOsFaults.flipFromEnd : bytes - 1;
    copy[bytes - 1 - fromEnd] ^= 0x10;
    *written = osWriteFile(file, copy, bytes);
    free(copy);
    return true;
}

bool osCopyFile(const char16_t* from, const char16_t* to) {
    if (osStepFails(OsStep::Copy)) return false;
    OsHandle source = osOpenFile(from, OpenAccess::ReadShared);
    if (source == kInvalidOsHandle) return false;
    uint64_t size = 0;
    OsHandle target = kInvalidOsHandle;
    void* chunk = nullptr;
    bool ok = osFileSize(source, &size) && (target = osCreateFile(to)) != kInvalidOsHandle &&
              (chunk = malloc(kCopyChunk)) != nullptr;
    for (uint64_t done = 0; ok && done < size;) {
        uint32_t got = 0;
        const uint64_t left = size - done;
        ok = osReadAt(source, done, chunk, left < kCopyChunk ? static_cast<uint32_t>(left) : kCopyChunk, &got) &&
             got != 0 && osWriteFile(target, chunk, got);
        done += got;
    }
    free(chunk);
    // The copy is on the disk before anyone relies on it (the caller may let the original go next).
    ok = ok && osFlushFile(target);
    ok = osCloseFile(target) && ok;
    osCloseFile(source);
    return ok;
}
