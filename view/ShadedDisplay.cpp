#include "view/ShadedDisplay.h"

#include <cstring>

uint32_t stride24(int32_t width) { return (static_cast<uint32_t>(width) * 3 + 3) & ~3u; }

namespace {

void shadeBytes(const uint8_t* from, uint8_t* to, size_t count, const uint8_t table[256]) {
    for (size_t i = 0; i < count; i++) to[i] = table[from[i]];
}

}  // namespace

// Stored rows run bottom-up: the rows below the rectangle come first, then the rectangle's own rows (shaded
// left part, copied middle, shaded right part), then the rows above it.
void shadeOutsideCrop(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height, const CropRect& rect,
                      const uint8_t table[256]) {
    size_t stride = stride24(width);
    size_t rowBytes = static_cast<size_t>(width) * 3;
    int32_t left = rect.left < 0 ? 0 : rect.left;
    int32_t right = rect.right > width - 1 ? width - 1 : rect.right;
    for (int32_t stored = 0; stored < height; stored++) {
        const uint8_t* from = source + stored * stride;
        uint8_t* to = dest + stored * stride;
        int32_t row = height - 1 - stored;
        if (row < rect.top || row > rect.bottom || left > right) {
            shadeBytes(from, to, rowBytes, table);
            continue;
        }
        size_t insideStart = static_cast<size_t>(left) * 3;
        size_t insideEnd = static_cast<size_t>(right + 1) * 3;
        shadeBytes(from, to, insideStart, table);
        std::memcpy(to + insideStart, from + insideStart, insideEnd - insideStart);
        shadeBytes(from + insideEnd, to + insideEnd, rowBytes - insideEnd, table);
    }
}
