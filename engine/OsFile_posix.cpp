#include "engine/OsFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "common/PathUtil.h"
#include "common/TextBuffer.h"

namespace {

// Owns the UTF-8 form of a path for the length of one call.
struct NativePath {
    char* bytes;
    explicit NativePath(const char16_t* path) : bytes(utf8FromText(path, textLength16(path))) {}
    ~NativePath() { free(bytes); }
    NativePath(const NativePath&) = delete;
    NativePath& operator=(const NativePath&) = delete;
};

// Seconds between 1601-01-01 and 1970-01-01.
constexpr uint64_t kEpochDelta = 11644473600ULL;

}  // namespace

OsHandle osOpenFile(const char16_t* path, OpenAccess access) {
    NativePath name(path);
    if (!name.bytes) return kInvalidOsHandle;
    bool exclusive = access == OpenAccess::ReadWriteExclusive;
    int fd = open(name.bytes, (exclusive ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) return kInvalidOsHandle;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return kInvalidOsHandle;
    }
    // A shared lock: other readers are welcome, an exclusive opener is kept out while it is held.
    if (access == OpenAccess::ReadDenyWriters && flock(fd, LOCK_SH | LOCK_NB) != 0) {
        close(fd);
        return kInvalidOsHandle;
    }
    if (exclusive) {
        // Root may open a file without write permission; treat it as Windows treats a read-only file.
        // The advisory lock stands in for share mode 0 against other cooperating openers.
        if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            return kInvalidOsHandle;
        }
    }
    return fd;
}

OsHandle osCreateFile(const char16_t* path) {
    NativePath name(path);
    if (!name.bytes) return kInvalidOsHandle;
    int fd = open(name.bytes, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd < 0 ? kInvalidOsHandle : fd;
}

bool osCloseFile(OsHandle file) {
    if (file == kInvalidOsHandle) return true;
    // The descriptor is gone even when close reports an error (EINTR included): never close it twice.
    const bool closed = close(static_cast<int>(file)) == 0;
    return !osStepFails(OsStep::Close) && closed;
}

bool osFlushFile(OsHandle file) {
    if (osStepFails(OsStep::Flush)) {
        errno = EIO;
        return false;
    }
    return fsync(static_cast<int>(file)) == 0;
}

bool osFlushFileAt(const char16_t* path) {
    NativePath name(path);
    if (!name.bytes) return false;
    int fd = open(name.bytes, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = osFlushFile(fd);
    return osCloseFile(fd) && flushed;
}

bool osFlushFolder(const char16_t* folder) {
    NativePath name(*folder ? folder : u".");
    if (!name.bytes) return false;
    int fd = open(name.bytes, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = fsync(fd) == 0;
    close(fd);
    return flushed;
}

bool osFileSize(OsHandle file, uint64_t* size) {
    struct stat info;
    if (fstat(static_cast<int>(file), &info) != 0) return false;
    *size = static_cast<uint64_t>(info.st_size);
    return true;
}

bool osMapFile(OsHandle file, uint32_t size, bool copyOnWrite, intptr_t* mapping, uint8_t** view) {
    *mapping = 0;
    int protection = copyOnWrite ? PROT_READ | PROT_WRITE : PROT_READ;
    void* base = mmap(nullptr, size, protection, MAP_PRIVATE, static_cast<int>(file), 0);
    if (base == MAP_FAILED) return false;
    *view = static_cast<uint8_t*>(base);
    return true;
}

void osUnmapFile(intptr_t mapping, uint8_t* view, uint32_t size) {
    if (view) munmap(view, size);
}

void osReleaseMappedPages(uint8_t* view, uint32_t size) {
    if (view) madvise(view, size, MADV_DONTNEED);
}

bool osWriteFile(OsHandle file, const void* data, uint32_t bytes) {
    bool damagedWritten = false;
    if (osWriteDamaged(file, data, bytes, &damagedWritten)) return damagedWritten;
    if (osStepFails(OsStep::Write)) {
        errno = ENOSPC;
        return false;
    }
    const char* p = static_cast<const char*>(data);
    while (bytes > 0) {
        ssize_t n = write(static_cast<int>(file), p, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        bytes -= static_cast<uint32_t>(n);
    }
    return true;
}

bool osFileWriteTime(OsHandle file, uint64_t* time) {
    struct stat info;
    if (fstat(static_cast<int>(file), &info) != 0) return false;
    *time = (static_cast<uint64_t>(info.st_mtim.tv_sec) + kEpochDelta) * 10000000ULL +
            static_cast<uint64_t>(info.st_mtim.tv_nsec) / 100;
    return true;
}

bool osSetFileWriteTime(const char16_t* path, uint64_t time) {
    NativePath name(path);
    if (!name.bytes) return false;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(time / 10000000ULL - kEpochDelta);
    times[1].tv_nsec = static_cast<long>((time % 10000000ULL) * 100);
    return utimensat(AT_FDCWD, name.bytes, times, 0) == 0;
}

static bool makeUniqueFile(const char* folder, TextBuffer* path) {
    size_t n = strlen(folder);
    char* pattern = static_cast<char*>(malloc(n + 16));
    if (!pattern) return false;
    snprintf(pattern, n + 16, "%s%stmpXXXXXX", folder, (n && folder[n - 1] == '/') ? "" : "/");
    int fd = mkstemp(pattern);
    bool ok = fd >= 0;
    if (ok) {
        close(fd);
        ok = textAssignUtf8(path, pattern);
        if (!ok) unlink(pattern);
    }
    free(pattern);
    return ok;
}

bool osMakeTempFile(TextBuffer* path) {
    const char* folder = getenv("TMPDIR");
    if (!folder || !*folder) folder = "/tmp";
    return makeUniqueFile(folder, path);
}

bool osMakeTempFileIn(const char16_t* folder, TextBuffer* path) {
    NativePath name(folder);
    if (!name.bytes) return false;
    return makeUniqueFile(*name.bytes ? name.bytes : ".", path);
}

bool osDeleteFile(const char16_t* path) {
    NativePath name(path);
    return name.bytes && unlink(name.bytes) == 0;
}

bool osReplaceFile(const char16_t* from, const char16_t* to) {
    if (osStepFails(OsStep::Rename)) return false;
    NativePath source(from), target(to);
    return source.bytes && target.bytes && rename(source.bytes, target.bytes) == 0;
}

bool osRecyclesReplacedFiles() { return false; }

bool osTakeAccessOf(const char16_t* model, const char16_t* file) {
    NativePath from(model), to(file);
    if (!from.bytes || !to.bytes) return false;
    struct stat info;
    if (stat(from.bytes, &info) != 0) {
        // mkstemp made `file` private to its owner; a new file gets what open(…, 0666) would give it.
        const mode_t mask = umask(0);
        umask(mask);
        return chmod(to.bytes, 0666 & ~mask) == 0;
    }
    // Owner and group first (only root may give a file away; a group of one's own is allowed): chown
    // may clear the set-id bits, which the mode then puts back. A group that cannot be kept gets none of
    // the model's group rights: they were meant for other people.
    mode_t mode = info.st_mode & 07777;
    const bool grouped = chown(to.bytes, info.st_uid, info.st_gid) == 0 ||
                         chown(to.bytes, static_cast<uid_t>(-1), info.st_gid) == 0;
    if (!grouped) mode &= ~static_cast<mode_t>(S_IRWXG | S_ISGID);
    return chmod(to.bytes, mode) == 0;
}

// No recycle bin here: the file is removed, as Windows does on a volume without one.
bool osRecycleFile(const char16_t* path) {
    if (osStepFails(OsStep::Recycle)) return false;
    NativePath name(path);
    return name.bytes && unlink(name.bytes) == 0;
}

bool osLinkFile(const char16_t* existing, const char16_t* link) {
    if (osStepFails(OsStep::Link)) return false;
    NativePath source(existing), target(link);
    if (!source.bytes || !target.bytes) return false;
    unlink(target.bytes);
    return ::link(source.bytes, target.bytes) == 0;
}

bool osFileExists(const char16_t* path) {
    NativePath name(path);
    struct stat info;
    return name.bytes && stat(name.bytes, &info) == 0 && S_ISREG(info.st_mode);
}

void* osAllocPages(size_t bytes) {
    void* pages = mmap(nullptr, bytes ? bytes : 1, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return pages == MAP_FAILED ? nullptr : pages;
}

void osFreePages(void* pages, size_t bytes) {
    if (pages) munmap(pages, bytes ? bytes : 1);
}

bool osAppendLibraryMessage(TextBuffer* text, const char* message) {
    return textAppendUtf8(text, message, strlen(message));
}

OsHandle osOpenOrCreateExclusive(const char16_t* path) {
    NativePath name(path);
    if (!name.bytes) return kInvalidOsHandle;
    int fd = open(name.bytes, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return kInvalidOsHandle;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
        flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return kInvalidOsHandle;
    }
    return fd;
}

bool osReadAt(OsHandle file, uint64_t offset, void* data, uint32_t bytes, uint32_t* got) {
    *got = 0;
    char* p = static_cast<char*>(data);
    while (*got < bytes) {
        ssize_t n = pread(static_cast<int>(file), p + *got, bytes - *got, static_cast<off_t>(offset + *got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        *got += static_cast<uint32_t>(n);
    }
    return true;
}

bool osWriteAt(OsHandle file, uint64_t offset, const void* data, uint32_t bytes, uint32_t* written) {
    *written = 0;
    const char* p = static_cast<const char*>(data);
    while (*written < bytes) {
        ssize_t n = pwrite(static_cast<int>(file), p + *written, bytes - *written, static_cast<off_t>(offset + *written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        *written += static_cast<uint32_t>(n);
    }
    return true;
}

bool osSetFileSize(OsHandle file, uint64_t size) { return ftruncate(static_cast<int>(file), static_cast<off_t>(size)) == 0; }

bool osFolderExists(const char16_t* path) {
    NativePath name(path);
    struct stat info;
    return name.bytes && stat(name.bytes, &info) == 0 && S_ISDIR(info.st_mode);
}

bool osCreateFolder(const char16_t* path) {
    NativePath name(path);
    if (!name.bytes) return false;
    if (mkdir(name.bytes, 0777) == 0) return true;
    struct stat info;
    return errno == EEXIST && stat(name.bytes, &info) == 0 && S_ISDIR(info.st_mode);
}
