#include "engine/ImageOps.h"

#include <cstdlib>
#include <cstring>

#include "engine/OsFile.h"

uint32_t bitmapStride(uint32_t width, uint32_t bitCount) {
    uint64_t bytes = bitCount == 8 ? static_cast<uint64_t>(width) : 3ull * width;
    return static_cast<uint32_t>((bytes + 3) & ~3ull);
}

uint64_t bitmapAllocationSize(uint32_t width, uint32_t height, uint32_t bitCount) {
    uint64_t pixelBytes = static_cast<uint64_t>(bitmapStride(width, bitCount)) * height;
    if (pixelBytes >= 0x100000000ull) return 0;
    return pixelBytes + 4;
}

uint8_t* allocateBitmap(uint32_t width, uint32_t height, uint32_t bitCount) {
    uint64_t bytes = bitmapAllocationSize(width, height, bitCount);
    if (bytes == 0 || bytes > SIZE_MAX) return nullptr;
    return static_cast<uint8_t*>(osAllocPages(static_cast<size_t>(bytes)));
}

void freeBitmap(uint8_t* pixels, uint32_t width, uint32_t height, uint32_t bitCount) {
    if (pixels) osFreePages(pixels, static_cast<size_t>(bitmapAllocationSize(width, height, bitCount)));
}

uint8_t* expandTo24Bit(const RgbQuad* palette, const uint8_t* pixels, uint32_t width, uint32_t height) {
    uint8_t* expanded = allocateBitmap(width, height, 24);
    if (!expanded) return nullptr;
    const uint32_t sourceStride = bitmapStride(width, 8);
    const uint32_t stride = bitmapStride(width, 24);
    for (uint32_t row = 0; row < height; ++row) {
        const uint8_t* in = pixels + static_cast<size_t>(row) * sourceStride;
        uint8_t* out = expanded + static_cast<size_t>(row) * stride;
        for (uint32_t x = 0; x < width; ++x) {
            const RgbQuad& colour = palette[in[x]];
            out[0] = colour.rgbBlue;
            out[1] = colour.rgbGreen;
            out[2] = colour.rgbRed;
            out += 3;
        }
    }
    return expanded;
}

uint8_t* cropDisplayBitmap(const PixelRect& rect, const uint8_t* pixels, uint32_t width, uint32_t height,
                           uint32_t bitCount) {
    if (bitCount != 8 && bitCount != 24) return nullptr;
    // A rectangle reaching outside the picture would read outside the buffer.
    if (rect.left > rect.right || rect.top > rect.bottom || rect.right >= width || rect.bottom >= height) return nullptr;
    const uint32_t newWidth = rect.right - rect.left + 1;
    const uint32_t newHeight = rect.bottom - rect.top + 1;
    uint8_t* cut = allocateBitmap(newWidth, newHeight, bitCount);
    if (!cut) return nullptr;
    const uint32_t bytesPerPixel = bitCount / 8;
    const uint32_t sourceStride = bitmapStride(width, bitCount);
    const uint32_t stride = bitmapStride(newWidth, bitCount);
    const uint8_t* in = pixels + static_cast<size_t>(height - 1 - rect.bottom) * sourceStride +
                        static_cast<size_t>(rect.left) * bytesPerPixel;
    for (uint32_t row = 0; row < newHeight; ++row) {
        memcpy(cut + static_cast<size_t>(row) * stride, in + static_cast<size_t>(row) * sourceStride,
               static_cast<size_t>(newWidth) * bytesPerPixel);
    }
    return cut;
}

namespace {

// One pass from n samples to m along a line: d = n / m input samples make one output sample, and the table
// turns a sum over a footprint into its rounded average.
struct AreaPass {
    double step = 0;     // d
    double partWeight = 1;  // of the input sample at the span's end, which may lie partly outside it
    uint8_t* table = nullptr;
    uint32_t lastIndex = 0;  // L + 1, which holds 255
};

bool prepareAreaPass(AreaPass* pass, uint32_t n, double span, uint32_t m) {
    pass->step = span / m;
    pass->partWeight = span - (n - 1);
    const uint32_t last = static_cast<uint32_t>(pass->step * 255 + 0.5);
    pass->table = static_cast<uint8_t*>(malloc(static_cast<size_t>(last) + 2));
    if (!pass->table) return false;
    for (uint32_t i = 0; i <= last; ++i) {
        uint32_t value = static_cast<uint32_t>(i / pass->step + 0.5);
        pass->table[i] = static_cast<uint8_t>(value > 255 ? 255 : value);
    }
    pass->table[last + 1] = 255;
    pass->lastIndex = last + 1;
    return true;
}

// Rounding of the carried parts can push a sum a little past the table (or below 0); such a sum is clamped
// rather than read from outside it.
inline uint8_t areaAverage(const AreaPass* pass, int64_t sum) {
    if (sum <= 0) return pass->table[0];
    if (sum >= pass->lastIndex) return pass->table[pass->lastIndex];
    return pass->table[sum];
}

// The part of the sample at the span's end that lies inside the span, added to a sum.
inline int64_t partInside(const AreaPass* pass, uint8_t sample) {
    return pass->partWeight == 1 ? sample : static_cast<int64_t>(sample * pass->partWeight + 0.5);
}

// Reduces the height: all columns advance together, since the coverage depends only on the row. The walk
// starts at the stored first row, the picture's bottom, which is where a span ends.
uint8_t* reduceColumns(const uint8_t* pixels, uint32_t width, uint32_t height, double span, uint32_t newHeight) {
    AreaPass pass;
    const uint32_t stride = bitmapStride(width, 24);
    const uint32_t samples = width * 3;
    int64_t* sums = static_cast<int64_t*>(calloc(samples ? samples : 1, sizeof(int64_t)));
    uint8_t* out = allocateBitmap(width, newHeight, 24);
    if (!sums || !out || !prepareAreaPass(&pass, height, span, newHeight)) {
        free(sums);
        freeBitmap(out, width, newHeight, 24);
        return nullptr;
    }
    double coverage = 0;
    uint32_t emitted = 0;
    for (uint32_t row = 0; row + 1 < height; ++row) {
        const uint8_t* in = pixels + static_cast<size_t>(row) * stride;
        if (row == 0) {
            coverage += pass.partWeight;
            for (uint32_t i = 0; i < samples; ++i) sums[i] += partInside(&pass, in[i]);
        } else {
            coverage += 1;
            for (uint32_t i = 0; i < samples; ++i) sums[i] += in[i];
        }
        if (coverage >= pass.step) {
            coverage -= pass.step;
            uint8_t* target = emitted < newHeight ? out + static_cast<size_t>(emitted) * stride : nullptr;
            for (uint32_t i = 0; i < samples; ++i) {
                int64_t carried = static_cast<int64_t>(in[i] * coverage + 0.5);
                if (target) target[i] = areaAverage(&pass, sums[i] - carried);
                sums[i] = carried;
            }
            ++emitted;
        }
    }
    const uint8_t* last = pixels + static_cast<size_t>(height - 1) * stride;
    // Accumulated rounding of the coverage can leave the last rows unemitted; they repeat the final one.
    if (emitted > newHeight - 1) emitted = newHeight - 1;
    uint8_t* target = out + static_cast<size_t>(emitted) * stride;
    for (uint32_t i = 0; i < samples; ++i) target[i] = areaAverage(&pass, sums[i] + last[i]);
    for (uint32_t row = emitted + 1; row < newHeight; ++row) memcpy(out + static_cast<size_t>(row) * stride, target, samples);
    free(sums);
    free(pass.table);
    return out;
}

// Reduces the width of every row; a span ends in the last column.
uint8_t* reduceRows(const uint8_t* pixels, uint32_t width, uint32_t height, double span, uint32_t newWidth) {
    AreaPass pass;
    const uint32_t stride = bitmapStride(width, 24);
    const uint32_t newStride = bitmapStride(newWidth, 24);
    uint8_t* out = allocateBitmap(newWidth, height, 24);
    if (!out || !prepareAreaPass(&pass, width, span, newWidth)) {
        freeBitmap(out, newWidth, height, 24);
        return nullptr;
    }
    for (uint32_t row = 0; row < height; ++row) {
        const uint8_t* in = pixels + static_cast<size_t>(row) * stride;
        uint8_t* target = out + static_cast<size_t>(row) * newStride;
        double coverage = 0;
        int64_t sums[3] = {0, 0, 0};
        uint32_t emitted = 0;
        for (uint32_t x = 0; x + 1 < width; ++x, in += 3) {
            coverage += 1;
            for (int c = 0; c < 3; ++c) sums[c] += in[c];
            if (coverage < pass.step) continue;
            coverage -= pass.step;
            for (int c = 0; c < 3; ++c) {
                int64_t carried = static_cast<int64_t>(in[c] * coverage + 0.5);
                if (emitted < newWidth) target[emitted * 3 + c] = areaAverage(&pass, sums[c] - carried);
                sums[c] = carried;
            }
            ++emitted;
        }
        if (emitted > newWidth - 1) emitted = newWidth - 1;
        for (int c = 0; c < 3; ++c) target[emitted * 3 + c] = areaAverage(&pass, sums[c] + partInside(&pass, in[c]));
        for (uint32_t x = emitted + 1; x < newWidth; ++x) memcpy(target + x * 3, target + emitted * 3, 3);
    }
    free(pass.table);
    return out;
}

}  // namespace

uint8_t* reduceByAreaAveraging(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t newWidth,
                               uint32_t newHeight) {
    return reduceSpanByAreaAveraging(pixels, width, height, width, height, newWidth, newHeight);
}

uint8_t* reduceSpanByAreaAveraging(const uint8_t* pixels, uint32_t width, uint32_t height, double spanWidth,
                                   double spanHeight, uint32_t newWidth, uint32_t newHeight) {
    if (newWidth == 0 || newHeight == 0 || newWidth > width || newHeight > height) return nullptr;
    // The span ends inside the last column and row, and must still cover the target.
    if (!(spanWidth > width - 1.0 && spanWidth <= width && spanWidth >= newWidth)) return nullptr;
    if (!(spanHeight > height - 1.0 && spanHeight <= height && spanHeight >= newHeight)) return nullptr;
    const uint8_t* current = pixels;
    uint8_t* columns = nullptr;
    if (newHeight < height) {
        columns = reduceColumns(pixels, width, height, spanHeight, newHeight);
        if (!columns) return nullptr;
        current = columns;
    }
    uint8_t* result = nullptr;
    if (newWidth < width) {
        result = reduceRows(current, width, newHeight, spanWidth, newWidth);
        freeBitmap(columns, width, newHeight, 24);
        return result;
    }
    if (columns) return columns;
    // Nothing shrinks: still hand back a bitmap of its own, so the caller always frees what it gets.
    result = allocateBitmap(width, height, 24);
    if (result) memcpy(result, pixels, static_cast<size_t>(bitmapStride(width, 24)) * height);
    return result;
}
