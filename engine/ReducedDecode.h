#pragma once
// Decoding one window of a JPEG file at a reduced scale, for a picture far smaller than the file: the
// library's DCT scaling gives scale/8 of each side, jpeg_crop_scanline leaves out the columns beside the
// window and jpeg_skip_scanlines the rows above it, and the decode stops after the window's last row.
// The command-line save makes the Exif thumbnail this way, without a displayed picture.

#include <cstdint>

#include "engine/ImageOps.h"
#include "engine/JpegFile.h"

struct DecodedImage;

struct ReducedDecode : JpegFile {
    PixelRect window = {0, 0, 0, 0};  // in source pixels; left and top on the 8-pixel block grid
    uint32_t coverWidth = 1;          // the decoded window must span at least this many pixels
    uint32_t coverHeight = 1;
    // What the decode chose: scale_num over 8, and the window's extent in decoded pixels. The bitmap is
    // the extent rounded up: its last column and row lie partly outside the window.
    uint32_t scale = 0;
    double spanWidth = 0;
    double spanHeight = 0;
};

// The smallest scale (1 to 8, over 8) at which a width × height window spans coverWidth × coverHeight.
uint32_t smallestCoveringScale(uint32_t width, uint32_t height, uint32_t coverWidth, uint32_t coverHeight);
// Decodes file->window of `path` as the display would show it (8-bit grey or 24-bit blue-green-red,
// bottom-up), at the smallest covering scale. Null on failure: errorCode 50001, 50002 or 50004, or 50000
// with the library's message in errorText.
DecodedImage* decodeReducedWindow(ReducedDecode* file, const char16_t* path);
