#pragma once
// What the command line's --info reports about a picture: the display bitmap it gives, its source's
// components, grid and progressiveness, and its Exif thumbnail.

#include <cstdint>

struct PictureInfo {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitCount = 0;    // of the display bitmap: 8 or 24
    uint32_t components = 0;  // of the source
    uint32_t blockWidth = 0;
    uint32_t blockHeight = 0;
    bool progressive = false;
    bool exif = false;
    uint32_t thumbnailBytes = 0;  // 0 when there is no thumbnail
};

// Decodes the picture as the program would show it; false when it would not be shown.
bool readPictureInfo(const char16_t* path, PictureInfo* info);
