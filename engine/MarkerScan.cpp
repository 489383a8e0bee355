#include "engine/MarkerScan.h"

#include <cstring>

#include "engine/JpegFile.h"

uint32_t readLittle16(JpegFile* file) {
    const uint8_t* p = file->cursor;
    file->cursor += 2;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

uint32_t readLittle32(JpegFile* file) {
    const uint8_t* p = file->cursor;
    file->cursor += 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint32_t readBig16(JpegFile* file) {
    const uint8_t* p = file->cursor;
    file->cursor += 2;
    return uint32_t(p[0]) << 8 | uint32_t(p[1]);
}

uint32_t readBig32(JpegFile* file) {
    const uint8_t* p = file->cursor;
    file->cursor += 4;
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

static size_t bytesLeft(const JpegFile* file) { return static_cast<size_t>(file->dataEnd - file->cursor); }

// Sets up the Exif readers for the segment at `cursor` (just after its length field) and calls onExif
// with `cursor` at IFD0. The TIFF header must lie inside the segment, which ends at `segmentEnd`.
static uint32_t visitExif(JpegFile* file, uint32_t length, uint8_t* segmentEnd, void* argument) {
    file->exifFound = 1;
    file->exifLength = length;
    file->tiffStart = file->cursor + 6;
    if (file->tiffStart[0] == 'I' && file->tiffStart[1] == 'I') {
        file->read16 = readLittle16;
        file->read32 = readLittle32;
        file->exifBigEndian = 0;
    } else {
        file->read16 = readBig16;
        file->read32 = readBig32;
        file->exifBigEndian = 1;
    }
    file->cursor = file->tiffStart + 4;
    uint32_t ifd0 = file->read32(file);
    // An offset past the segment would leave the hooks a cursor outside the data; they still check
    // every read against dataEnd, but they get a position no further than the segment's end.
    file->cursor = ifd0 < static_cast<size_t>(segmentEnd - file->tiffStart) ? file->tiffStart + ifd0 : segmentEnd;
    return file->onExif(file, argument);
}

// Walks the marker segments from `cursor` until the first SOS or EOI or the end of the data.
uint32_t scanMarkers(JpegFile* file, void* argument) {
    uint32_t result = 0;
    for (;;) {
        while (file->cursor < file->dataEnd && *file->cursor != 0xFF) file->cursor++;
        while (file->cursor < file->dataEnd && *file->cursor == 0xFF) file->cursor++;
        if (file->cursor >= file->dataEnd) return result;
        uint8_t code = *file->cursor++;
        if (code == 0xD8) continue;
        if (code == 0xD9 || code == 0xDA) return result;
        if (code == 0xE1) {
            if (bytesLeft(file) < 2) return result;
            uint32_t length = uint32_t(file->cursor[0]) << 8 | file->cursor[1];
            if (length < 2 || length > bytesLeft(file)) return result;
            uint8_t* segmentEnd = file->cursor + length;
            // The identifier and the 8-byte TIFF header must lie inside the segment.
            if (length >= 2 + 6 + 8 && memcmp(file->cursor + 2, "Exif\0\0", 6) == 0) {
                file->cursor += 2;
                result = visitExif(file, length, segmentEnd, argument);
                if (file->stopAfterExif(file)) return result;
            }
            file->cursor = segmentEnd;
            continue;
        }
        if (code == 0xFE) file->onComment(file, argument);
        if (bytesLeft(file) < 2) {
            file->errorCode = kEngineCannotOpen;
            return result;
        }
        uint32_t length = uint32_t(file->cursor[0]) << 8 | file->cursor[1];
        if (length < 2 || length > bytesLeft(file)) {
            file->errorCode = kEngineCannotOpen;
            return result;
        }
        file->cursor += length;
    }
}
