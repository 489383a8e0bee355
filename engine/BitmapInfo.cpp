#include "engine/BitmapInfo.h"

BitmapInfoHeader makeBitmapHeader(uint32_t width, uint32_t height, uint32_t bitCount) {
    BitmapInfoHeader header = {};
    header.biSize = kBitmapHeaderSize;
    header.biWidth = static_cast<int32_t>(width);
    header.biHeight = static_cast<int32_t>(height);
    header.biPlanes = 1;
    header.biBitCount = static_cast<uint16_t>(bitCount);
    header.biCompression = kBitmapRgb;
    return header;
}

void fillGreyPalette(RgbQuad* palette) {
    for (int i = 0; i < kPaletteEntries; ++i) {
        palette[i].rgbBlue = palette[i].rgbGreen = palette[i].rgbRed = static_cast<uint8_t>(i);
        palette[i].rgbReserved = 0;
    }
}
