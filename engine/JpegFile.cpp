#include "engine/JpegFile.h"

static uint32_t openMapped(JpegFile* file, const char16_t* path, OpenAccess access, bool copyOnWrite) {
    if (file->fileHandle != kInvalidOsHandle) {
        osCloseFile(file->fileHandle);
        file->fileHandle = kInvalidOsHandle;
    }
    file->fileHandle = osOpenFile(path, access);
    uint64_t size = 0;
    uint8_t* view = nullptr;
    // Zero-byte files cannot be mapped and are no picture; files of 4 GiB or more are out of the
    // engine's 32-bit sizes.
    if (file->fileHandle != kInvalidOsHandle && osFileSize(file->fileHandle, &size) && size > 0 &&
        size <= 0xFFFFFFFFu &&
        osMapFile(file->fileHandle, static_cast<uint32_t>(size), copyOnWrite, &file->mappingHandle, &view)) {
        file->viewBase = view;
        file->dataStart = view;
        file->cursor = view;
        file->dataEnd = view + size;
        return static_cast<uint32_t>(size);
    }
    file->mappingHandle = 0;
    osCloseFile(file->fileHandle);
    file->fileHandle = kInvalidOsHandle;
    file->errorCode = kEngineCannotOpen;
    return 0;
}

uint32_t openMappedRead(JpegFile* file, const char16_t* path, OpenAccess access) {
    return openMapped(file, path, access, false);
}

// A copy-on-write view needs only read access, so a read-only source can be cropped; nobody may change
// the file while the save reads it.
uint32_t openMappedCopyOnWrite(JpegFile* file, const char16_t* path) {
    return openMapped(file, path, OpenAccess::ReadDenyWriters, true);
}

uint32_t mappedSize(const JpegFile* file) { return static_cast<uint32_t>(file->dataEnd - file->viewBase); }

void closeMapped(JpegFile* file) {
    if (file->viewBase || file->mappingHandle) osUnmapFile(file->mappingHandle, file->viewBase, mappedSize(file));
    file->viewBase = nullptr;
    file->dataStart = nullptr;
    file->cursor = nullptr;
    file->dataEnd = nullptr;
    file->mappingHandle = 0;
    if (file->fileHandle != kInvalidOsHandle) {
        osCloseFile(file->fileHandle);
        file->fileHandle = kInvalidOsHandle;
    }
}

OsHandle createOutputFile(JpegFile* file, const char16_t* path) {
    OsHandle output = osCreateFile(path);
    if (output == kInvalidOsHandle) file->errorCode = kEngineCannotCreate;
    return output;
}

bool makeTempFilePath(TextBuffer* out) { return osMakeTempFile(out); }

int checkSourceUnchanged(const char16_t* currentPath, uint64_t openedWriteTime) {
    OsHandle file = osOpenFile(currentPath, OpenAccess::ReadShared);
    if (file == kInvalidOsHandle) return -1;
    uint64_t written = 0;
    bool ok = osFileWriteTime(file, &written);
    osCloseFile(file);
    if (!ok) return -1;
    return written == openedWriteTime ? 0 : 1;
}
