#pragma once
// The engine's context for one operation on one mapped JPEG file. Records that extend it (CropTransform,
// the display decode, the thumbnail job) derive from it so that it is their first part.

#include <cstdint>

#include "common/TextBuffer.h"
#include "engine/EngineError.h"
#include "engine/OsFile.h"

struct DecodedImage;
struct JpegFile;

using ExifHook = uint32_t (*)(JpegFile* file, void* argument);
using StopAfterExifHook = bool (*)(JpegFile* file);
using CommentHook = void (*)(JpegFile* file, void* argument);
using ExifRead16 = uint32_t (*)(JpegFile* file);
using ExifRead32 = uint32_t (*)(JpegFile* file);

struct JpegFile {
    OsHandle fileHandle = kInvalidOsHandle;
    intptr_t mappingHandle = 0;
    uint8_t* viewBase = nullptr;
    uint8_t* dataStart = nullptr;
    uint8_t* cursor = nullptr;   // position of the marker walk
    uint8_t* dataEnd = nullptr;  // one past the last mapped byte
    DecodedImage* image = nullptr;
    int32_t errorCode = kEngineOk;
    int32_t exifBigEndian = 0;
    ExifRead16 read16 = nullptr;
    ExifRead32 read32 = nullptr;
    uint8_t isGrayscale = 0;
    uint8_t isProgressive = 0;
    uint8_t exifFound = 0;
    uint32_t exifLength = 0;      // the APP1 length field, counting its own two bytes
    uint8_t* tiffStart = nullptr;  // first byte of the TIFF header in the Exif segment
    TextBuffer errorText;         // the library's last message
    ExifHook onExif = nullptr;
    StopAfterExifHook stopAfterExif = nullptr;
    CommentHook onComment = nullptr;
};

// Maps the whole file read-only. Returns its size, 0 on failure (errorCode 50004, nothing left open).
// ReadBackground for a read the user did not ask for (a prefetch): it must not stop a delete or rename.
uint32_t openMappedRead(JpegFile* file, const char16_t* path, OpenAccess access = OpenAccess::ReadShared);
// Opens the file exclusively for reading and writing and maps a private copy-on-write view of it:
// writes into the view never reach the file. Fails on a read-only or busy file.
uint32_t openMappedCopyOnWrite(JpegFile* file, const char16_t* path);
void closeMapped(JpegFile* file);
// Creates (or truncates) the output file, not shared; failure sets errorCode 50005.
OsHandle createOutputFile(JpegFile* file, const char16_t* path);
uint32_t mappedSize(const JpegFile* file);

// A new empty file named by the system in the user's temporary folder.
bool makeTempFilePath(TextBuffer* out);
// -1 when the file cannot be opened or its time read, 0 when its last-write time equals
// `openedWriteTime`, 1 when it differs.
int checkSourceUnchanged(const char16_t* currentPath, uint64_t openedWriteTime);
