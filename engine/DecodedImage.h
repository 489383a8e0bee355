#pragma once
// Decoding a JPEG file once, at full size, into the bottom-up device-independent bitmap that the view
// paints: 8-bit grey with a grey palette, or 24-bit blue-green-red. The same record is the application's
// displayed picture, replaced by each load or accepted crop (LoadPicture.h).

#include <atomic>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

#include "engine/BitmapInfo.h"
#include "engine/JpegFile.h"

struct DecodedImage {
    BitmapInfoHeader header;
    RgbQuad palette[kPaletteEntries];  // follows the header directly, as in a BITMAPINFO
    uint8_t* pixels;                   // page allocation of stride × height + 4 bytes
    uint64_t lastWriteTime;            // FILETIME of the file, read while it was mapped
    uint32_t blockWidth;               // the JPEG grid cell (iMCU) of the source, in pixels
    uint32_t blockHeight;
};

// The decode's JpegFile with what it reports besides the bitmap.
struct DisplayDecode : JpegFile {
    uint32_t blockWidth = 0;  // one grid cell (iMCU) of the source, in pixels
    uint32_t blockHeight = 0;
    uint32_t sourceComponents = 0;
    uint32_t fileSize = 0;  // bytes of the file as it was mapped
    // Set by another thread to end the decode early (a prefetch no longer wanted): the decode then fails
    // with 50000 at its next row. May be null.
    const std::atomic<bool>* stop = nullptr;
};

inline uint32_t imageWidth(const DecodedImage* image) { return static_cast<uint32_t>(image->header.biWidth); }
inline uint32_t imageHeight(const DecodedImage* image) { return static_cast<uint32_t>(image->header.biHeight); }
inline uint32_t imageBitCount(const DecodedImage* image) { return image->header.biBitCount; }

// Null on failure, with errorCode 50001, 50002 or 50004, or 50000 after a library error.
DecodedImage* decodeForDisplay(DisplayDecode* file, const char16_t* path);
// The same decode over `size` bytes already in memory; lastWriteTime stays 0.
DecodedImage* decodeBytesForDisplay(DisplayDecode* file, const uint8_t* data, uint32_t size);
// Frees the record and the pixel buffer it still holds.
void freeDecodedImage(DecodedImage* image);

// What the display asks the library for, after jpeg_read_header: blue-green-red for YCbCr and RGB, the
// four inks for CMYK and YCCK (turned into blue-green-red by the table below), grey for grey.
void setDisplayColorSpace(j_decompress_ptr decompressor);
// T[k × 256 + c] = c × k div 255, the product of an ink and the black channel (Adobe's inverted CMYK);
// malloc'd, null when out of memory.
uint8_t* makeCmykTable();
void convertCmykRow(const uint8_t* cmyk, uint8_t* bgr, uint32_t width, const uint8_t* table);
