#pragma once
// The thin OS layer under the engine: whole-file mappings, output files, temporary files, file times and
// page allocations. OsFile_win.cpp uses the Win32 calls; OsFile_posix.cpp the POSIX equivalents.

#include <cstddef>
#include <cstdint>

struct TextBuffer;

// A Win32 HANDLE or a POSIX descriptor. Both use -1 for "none" (INVALID_HANDLE_VALUE and a failed open()).
using OsHandle = intptr_t;
constexpr OsHandle kInvalidOsHandle = -1;

enum class OpenAccess {
    ReadShared,          // read; others may read too
    ReadBackground,      // read; others may also rename or delete it meanwhile (the open view keeps its bytes)
    ReadDenyWriters,     // read; others may read, nobody may write meanwhile; a read-only file is fine
    ReadWriteExclusive,  // read and write, nobody else may open it; fails on a read-only file
};

OsHandle osOpenFile(const char16_t* path, OpenAccess access);
// Creates or truncates `path` for writing, not shared.
OsHandle osCreateFile(const char16_t* path);
// False when the close reports an error: data the system was still holding may not have reached the file.
bool osCloseFile(OsHandle file);
// Sends what the system holds of the file to the disk; true only when the disk has it all.
bool osFlushFile(OsHandle file);
// The same for a file by its name (opened for writing meanwhile).
bool osFlushFileAt(const char16_t* path);
// Makes the names in `folder` durable (a rename into it), where the system needs that asked for.
bool osFlushFolder(const char16_t* folder);
bool osFileSize(OsHandle file, uint64_t* size);
// Maps the whole file. A copy-on-write view may be written; the writes never reach the file.
// `mapping` receives the mapping object where the OS has one (null on POSIX).
bool osMapFile(OsHandle file, uint32_t size, bool copyOnWrite, intptr_t* mapping, uint8_t** view);
void osUnmapFile(intptr_t mapping, uint8_t* view, uint32_t size);
// Lets the OS drop the pages of a read (never written) view from memory; a later read brings them back.
void osReleaseMappedPages(uint8_t* view, uint32_t size);
// True only when every byte was written.
bool osWriteFile(OsHandle file, const void* data, uint32_t bytes);
// Last-write time in 100 ns units since 1601 (a FILETIME), so that both halves compare as on Windows.
bool osFileWriteTime(OsHandle file, uint64_t* time);
bool osSetFileWriteTime(const char16_t* path, uint64_t time);
// A new, empty, uniquely named file "tmp…" in the user's temporary folder; its full path goes to `path`.
bool osMakeTempFile(TextBuffer* path);
// A new, empty, uniquely named file in `folder` (for writing beside a destination, then renaming).
bool osMakeTempFileIn(const char16_t* folder, TextBuffer* path);
bool osDeleteFile(const char16_t* path);
// Renames `from` over `to`, replacing it (on POSIX in one step: `to` names its old file or the new one).
bool osReplaceFile(const char16_t* from, const char16_t* to);
// True where replacing a file must first send its old version to the recycle bin under its own name
// (Windows); false where there is no recycle bin and the rename itself lets the old version go.
bool osRecyclesReplacedFiles();
// Gives `file` the access of `model`: its permission bits, and its owner and group where the process may
// set them (POSIX); its attributes and security descriptor (Windows). Without a `model` file, `file` gets
// what a newly created file there would get. False when `file` would be left more open than that.
bool osTakeAccessOf(const char16_t* model, const char16_t* file);
// Copies the whole of `from` into `to` (created or truncated), in large writes. A failed copy may leave a
// partial `to`; the caller removes it.
bool osCopyFile(const char16_t* from, const char16_t* to);
// Sends a file to the recycle bin where the volume has one (Windows deletes it for good where it has
// none; the POSIX build has none). True only when the file is gone from its place.
bool osRecycleFile(const char16_t* path);
// Gives the file `existing` the second name `link` on the same volume, without copying; an empty file
// already at `link` is replaced. False where the volume has no hard links.
bool osLinkFile(const char16_t* existing, const char16_t* link);
bool osFileExists(const char16_t* path);
// Page allocations for pixel buffers: reserved and committed at once, zero-filled.
void* osAllocPages(size_t bytes);
void osFreePages(void* pages, size_t bytes);
// Appends a message of the JPEG library (narrow text) to `text`: the ANSI code page on Windows, UTF-8 elsewhere.
bool osAppendLibraryMessage(TextBuffer* text, const char* message);

// Random-access reads and writes for small record files (the settings file).
// Read and write, not shared, like ReadWriteExclusive, but creating a missing file.
OsHandle osOpenOrCreateExclusive(const char16_t* path);
// Reads up to `bytes` at `offset`; `got` receives how many arrived. False only on an I/O error.
bool osReadAt(OsHandle file, uint64_t offset, void* data, uint32_t bytes, uint32_t* got);
// Writes at `offset`; `written` receives how many bytes reached the file. True only when all did.
bool osWriteAt(OsHandle file, uint64_t offset, const void* data, uint32_t bytes, uint32_t* written);
bool osSetFileSize(OsHandle file, uint64_t size);
bool osFolderExists(const char16_t* path);
// Creates one folder level; true when it exists afterwards.
bool osCreateFolder(const char16_t* path);

// Fault injection for tests: the n-th call (counted from now, from 1) of one operation fails as the OS
// would make it fail. 0 turns it off. Product code never arms it.
enum class OsStep { Copy, Write, Recycle, Rename, Link, Flush, Close, Count };
void osFailNth(OsStep step, int n);
void osClearFaults();
// Counts one call of `step`; true when it is the one chosen to fail.
bool osStepFails(OsStep step);
// Fault injection for tests: the n-th osWriteFile from now reports success but delivers its data with
// one bit flipped, `fromEnd` bytes before the end of that write (as a failing card, cable or memory
// does). 0 turns it off; osClearFaults too.
void osFlipBitInNthWrite(int n, uint32_t fromEnd);
// Counts one write; when it is the chosen one, writes the damaged copy itself and returns true, with
// `*written` what that write gave.
bool osWriteDamaged(OsHandle file, const void* data, uint32_t bytes, bool* written);
