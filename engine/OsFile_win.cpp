#include "engine/OsFile.h"

#include "common/PathUtil.h"
#include "common/TextBuffer.h"
#include "common/WinHeaders.h"

#include <shellapi.h>

#include <cstdlib>

static HANDLE asHandle(OsHandle file) { return reinterpret_cast<HANDLE>(file); }

OsHandle osOpenFile(const char16_t* path, OpenAccess access) {
    // ReadShared and ReadDenyWriters are one open here: FILE_SHARE_READ alone already keeps writers out.
    bool exclusive = access == OpenAccess::ReadWriteExclusive;
    DWORD share = FILE_SHARE_READ;
    if (exclusive) share = 0;
    else if (access == OpenAccess::ReadBackground) share |= FILE_SHARE_DELETE;
    HANDLE file = CreateFileW(asWide(path), exclusive ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, share, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (exclusive && file != INVALID_HANDLE_VALUE) {
        // Windows refuses a write open of a read-only file by itself; Wine running as root does not.
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
            CloseHandle(file);
            return kInvalidOsHandle;
        }
    }
    return reinterpret_cast<OsHandle>(file);
}

OsHandle osCreateFile(const char16_t* path) {
    HANDLE file = CreateFileW(asWide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return reinterpret_cast<OsHandle>(file);
}

bool osCloseFile(OsHandle file) {
    if (file == kInvalidOsHandle) return true;
    const bool closed = CloseHandle(asHandle(file)) != 0;
    return !osStepFails(OsStep::Close) && closed;
}

bool osFlushFile(OsHandle file) {
    if (osStepFails(OsStep::Flush)) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return FlushFileBuffers(asHandle(file)) != 0;
}

bool osFlushFileAt(const char16_t* path) {
    // FlushFileBuffers needs a handle with write access.
    HANDLE file = CreateFileW(asWide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool flushed = osFlushFile(reinterpret_cast<OsHandle>(file));
    return osCloseFile(reinterpret_cast<OsHandle>(file)) && flushed;
}

// The volume journals its names itself; the rename into place is written through (osReplaceFile).
bool osFlushFolder(const char16_t*) { return true; }

bool osFileSize(OsHandle file, uint64_t* size) {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(asHandle(file), &value)) return false;
    *size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

bool osMapFile(OsHandle file, uint32_t size, bool copyOnWrite, intptr_t* mapping, uint8_t** view) {
    HANDLE map = CreateFileMappingW(asHandle(file), nullptr, copyOnWrite ? PAGE_WRITECOPY : PAGE_READONLY, 0, 0, nullptr);
    *mapping = reinterpret_cast<intptr_t>(map);
    if (!map) return false;
    void* base = MapViewOfFile(map, copyOnWrite ? FILE_MAP_COPY : FILE_MAP_READ, 0, 0, 0);
    if (!base) {
        CloseHandle(map);
        *mapping = 0;
        return false;
    }
    *view = static_cast<uint8_t*>(base);
    return true;
}

void osUnmapFile(intptr_t mapping, uint8_t* view, uint32_t size) {
    if (view) UnmapViewOfFile(view);
    if (mapping) CloseHandle(reinterpret_cast<HANDLE>(mapping));
}

void osReleaseMappedPages(uint8_t* view, uint32_t size) {
    // Unlocking pages that are not locked takes them out of the working set.
    if (view) VirtualUnlock(view, size);
}

bool osWriteFile(OsHandle file, const void* data, uint32_t bytes) {
    bool damagedWritten = false;
    if (osWriteDamaged(file, data, bytes, &damagedWritten)) return damagedWritten;
    if (osStepFails(OsStep::Write)) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    DWORD written = 0;
    return WriteFile(asHandle(file), data, bytes, &written, nullptr) && written == bytes;
}

bool osFileWriteTime(OsHandle file, uint64_t* time) {
    FILETIME written;
    if (!GetFileTime(asHandle(file), nullptr, nullptr, &written)) return false;
    *time = (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    return true;
}

bool osSetFileWriteTime(const char16_t* path, uint64_t time) {
    HANDLE file = CreateFileW(asWide(path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME written;
    written.dwLowDateTime = static_cast<DWORD>(time);
    written.dwHighDateTime = static_cast<DWORD>(time >> 32);
    bool ok = SetFileTime(file, nullptr, nullptr, &written) != 0;
    CloseHandle(file);
    return ok;
}

static bool makeUniqueFile(const wchar_t* folder, TextBuffer* path) {
    wchar_t name[MAX_PATH];
    if (!GetTempFileNameW(folder, L"tmp", 0, name)) return false;
    return textAssign(path, asText(name));
}

bool osMakeTempFile(TextBuffer* path) {
    wchar_t folder[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length > MAX_PATH) return false;
    return makeUniqueFile(folder, path);
}

bool osMakeTempFileIn(const char16_t* folder, TextBuffer* path) {
    return makeUniqueFile(*folder ? asWide(folder) : L".", path);
}

bool osDeleteFile(const char16_t* path) { return DeleteFileW(asWide(path)) != 0; }

bool osReplaceFile(const char16_t* from, const char16_t* to) {
    if (osStepFails(OsStep::Rename)) return false;
    return MoveFileExW(asWide(from), asWide(to),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != 0;
}

bool osRecyclesReplacedFiles() { return true; }

bool osTakeAccessOf(const char16_t* model, const char16_t* file) {
    // A file made in the destination's folder already has what the folder gives a new file.
    const DWORD attributes = GetFileAttributesW(asWide(model));
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (!SetFileAttributesW(asWide(file), kept ? kept : FILE_ATTRIBUTE_NORMAL)) return false;
    // What ReplaceFileW keeps: who may read and write the file. A volume without security (FAT) has no
    // descriptor to read, and nothing to keep.
    const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION;
    DWORD needed = 0;
    GetFileSecurityW(asWide(model), what, nullptr, 0, &needed);
    if (needed == 0) return true;
    void* descriptor = malloc(needed);
    bool ok = descriptor && GetFileSecurityW(asWide(model), what, descriptor, needed, &needed) &&
              SetFileSecurityW(asWide(file), what, descriptor);
    if (ok) {
        // The owner and group too where the process may set them (another user's needs a privilege).
        DWORD ownerNeeded = 0;
        const SECURITY_INFORMATION owners = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION;
        GetFileSecurityW(asWide(model), owners, nullptr, 0, &ownerNeeded);
        void* ownership = ownerNeeded ? malloc(ownerNeeded) : nullptr;
        if (ownership && GetFileSecurityW(asWide(model), owners, ownership, ownerNeeded, &ownerNeeded)) {
            SetFileSecurityW(asWide(file), owners, ownership);
        }
        free(ownership);
    }
    free(descriptor);
    return ok;
}

bool osRecycleFile(const char16_t* path) {
    if (osStepFails(OsStep::Recycle)) return false;
    // A list of one name, ended by two nulls.
    TextBuffer list;
    if (!textAssign(&list, path) || !textAppendChar(&list, 0)) return false;
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = asWide(textChars(&list));
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI | FOF_NO_CONNECTED_ELEMENTS;
    const int result = SHFileOperationW(&operation);
    return result == 0 && !operation.fAnyOperationsAborted && !osFileExists(path);
}

bool osLinkFile(const char16_t* existing, const char16_t* link) {
    if (osStepFails(OsStep::Link)) return false;
    DeleteFileW(asWide(link));
    return CreateHardLinkW(asWide(link), asWide(existing), nullptr) != 0;
}

bool osFileExists(const char16_t* path) {
    DWORD attributes = GetFileAttributesW(asWide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void* osAllocPages(size_t bytes) {
    return VirtualAlloc(nullptr, bytes ? bytes : 1, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void osFreePages(void* pages, size_t bytes) {
    if (!pages) return;
    VirtualFree(pages, bytes ? bytes : 1, MEM_DECOMMIT);
    VirtualFree(pages, 0, MEM_RELEASE);
}

bool osAppendLibraryMessage(TextBuffer* text, const char* message) {
    // The library's longest message is 200 characters.
    if (!textReserve(text, text->length + 200)) return false;
    int converted = MultiByteToWideChar(CP_ACP, 0, message, -1, asWide(text->data + text->length), 200);
    if (converted <= 0) return false;
    return textSetLength(text, text->length + static_cast<size_t>(converted) - 1);
}

OsHandle osOpenOrCreateExclusive(const char16_t* path) {
    HANDLE file = CreateFileW(asWide(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        // As in osOpenFile: Wine running as root opens a read-only file for writing.
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
            CloseHandle(file);
            return kInvalidOsHandle;
        }
    }
    return reinterpret_cast<OsHandle>(file);
}

static OVERLAPPED overlappedAt(uint64_t offset) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

bool osReadAt(OsHandle file, uint64_t offset, void* data, uint32_t bytes, uint32_t* got) {
    OVERLAPPED at = overlappedAt(offset);
    DWORD read = 0;
    bool ok = ReadFile(asHandle(file), data, bytes, &read, &at) != 0;
    // Reading at or past the end of a synchronous file reports ERROR_HANDLE_EOF.
    if (!ok && GetLastError() == ERROR_HANDLE_EOF) ok = true;
    *got = ok ? read : 0;
    return ok;
}

bool osWriteAt(OsHandle file, uint64_t offset, const void* data, uint32_t bytes, uint32_t* written) {
    OVERLAPPED at = overlappedAt(offset);
    DWORD count = 0;
    bool ok = WriteFile(asHandle(file), data, bytes, &count, &at) != 0;
    *written = ok ? count : 0;
    return ok && count == bytes;
}

bool osSetFileSize(OsHandle file, uint64_t size) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(asHandle(file), position, nullptr, FILE_BEGIN) && SetEndOfFile(asHandle(file));
}

bool osFolderExists(const char16_t* path) {
    DWORD attributes = GetFileAttributesW(asWide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool osCreateFolder(const char16_t* path) {
    if (CreateDirectoryW(asWide(path), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS && osFolderExists(path);
}
