#pragma once
// The device-independent bitmap header and palette entry, byte for byte the Win32 BITMAPINFOHEADER and
// RGBQUAD, defined here so that portable code can build and test bitmaps without <windows.h>.
// BitmapInfo_win.cpp checks the layouts against the real ones; Win32 code passes them on by cast.

#include <cstddef>
#include <cstdint>

struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;  // positive: rows stored bottom-up
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

struct RgbQuad {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

constexpr uint32_t kBitmapHeaderSize = 40;
constexpr uint32_t kBitmapRgb = 0;  // BI_RGB
constexpr int kPaletteEntries = 256;

static_assert(sizeof(BitmapInfoHeader) == kBitmapHeaderSize, "BITMAPINFOHEADER is 40 bytes");
static_assert(sizeof(RgbQuad) == 4, "RGBQUAD is 4 bytes");

// A fresh header: size 40, one plane, BI_RGB, the given size and bit count, everything else 0.
BitmapInfoHeader makeBitmapHeader(uint32_t width, uint32_t height, uint32_t bitCount);
// Entry i is blue = green = red = i.
void fillGreyPalette(RgbQuad* palette);
