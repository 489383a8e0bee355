#pragma once
// The small image module: bottom-up device-independent bitmaps of 8 or 24 bits per pixel, rows padded to
// 4 bytes, held in page allocations of stride × height + 4 bytes. Expansion to 24 bits, cutting out a
// rectangle, and the area-averaging reduction used for the Exif thumbnail.

#include <cstdint>

#include "engine/BitmapInfo.h"

// Inclusive on all four sides, in picture pixels, y growing downwards.
struct PixelRect {
    uint32_t left;
    uint32_t top;
    uint32_t right;
    uint32_t bottom;
};

uint32_t bitmapStride(uint32_t width, uint32_t bitCount);
// stride × height + 4 bytes, or 0 when stride × height reaches 4 GiB.
uint64_t bitmapAllocationSize(uint32_t width, uint32_t height, uint32_t bitCount);
// Zero-filled; null when too large or out of memory.
uint8_t* allocateBitmap(uint32_t width, uint32_t height, uint32_t bitCount);
void freeBitmap(uint8_t* pixels, uint32_t width, uint32_t height, uint32_t bitCount);

uint8_t* expandTo24Bit(const RgbQuad* palette, const uint8_t* pixels, uint32_t width, uint32_t height);
uint8_t* cropDisplayBitmap(const PixelRect& rect, const uint8_t* pixels, uint32_t width, uint32_t height,
                           uint32_t bitCount);
// A 24-bit bitmap reduced to newWidth × newHeight (each no larger than the source and at least 1) by area
// averaging: the columns first, then the rows, each pass only when its side shrinks.
uint8_t* reduceByAreaAveraging(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t newWidth,
                               uint32_t newHeight);
// The same over a picture that ends inside its last column and row: spanWidth × spanHeight pixels, each
// more than the side less one and at most the side, are averaged onto newWidth × newHeight. A picture
// decoded at a reduced scale covers a whole number of source pixels only by chance.
uint8_t* reduceSpanByAreaAveraging(const uint8_t* pixels, uint32_t width, uint32_t height, double spanWidth,
                                   double spanHeight, uint32_t newWidth, uint32_t newHeight);
