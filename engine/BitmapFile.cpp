#include "engine/BitmapFile.h"

#include <cstring>

#include "engine/DecodedImage.h"
#include "engine/ImageOps.h"
#include "engine/OsFile.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;  // BITMAPFILEHEADER, packed

void put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void put32(uint8_t* at, uint32_t value) {
    put16(at, value);
    put16(at + 2, value >> 16);
}

}  // namespace

bool writeBitmapFile(const char16_t* path, const DecodedImage* image) {
    if (!image || !image->pixels) return false;
    const uint32_t width = imageWidth(image);
    const uint32_t height = imageHeight(image);
    const uint32_t bitCount = imageBitCount(image);
    const uint64_t pixelBytes = static_cast<uint64_t>(bitmapStride(width, bitCount)) * height;
    const uint32_t paletteBytes = bitCount == 8 ? kPaletteEntries * sizeof(RgbQuad) : 0;
    const uint32_t offset = kFileHeaderSize + kBitmapHeaderSize + paletteBytes;
    if (pixelBytes + offset > 0xFFFFFFFFull) return false;

    uint8_t header[kFileHeaderSize + kBitmapHeaderSize];
    header[0] = 'B';
    header[1] = 'M';
    put32(header + 2, static_cast<uint32_t>(pixelBytes + offset));
    put32(header + 6, 0);
    put32(header + 10, offset);
    // The record is little-endian and packed on every platform the program builds for.
    memcpy(header + kFileHeaderSize, &image->header, kBitmapHeaderSize);

    OsHandle file = osCreateFile(path);
    if (file == kInvalidOsHandle) return false;
    bool ok = osWriteFile(file, header, sizeof(header)) &&
              (paletteBytes == 0 || osWriteFile(file, image->palette, paletteBytes)) &&
              osWriteFile(file, image->pixels, static_cast<uint32_t>(pixelBytes));
    osCloseFile(file);
    if (!ok) osDeleteFile(path);
    return ok;
}
