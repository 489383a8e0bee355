// The command line's thumbnail decode: a window of a file decoded at the smallest scale that covers a
// thumbnail, columns cropped and rows skipped by the library. The first four bytes choose the window (its
// origin on the 8-pixel grid), the rest is the file, written where the decode maps it from. Half a
// megabyte to give, as for the display decode; what comes back is checked whole.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/DecodedImage.h"
#include "engine/ExifThumbnail.h"
#include "engine/ImageOps.h"
#include "engine/PictureLimits.h"
#include "engine/ReducedDecode.h"

namespace {

constexpr uint64_t kCeiling = 512u << 10;

std::u16string scratchPath() {
    const std::string path = "/tmp/fuzz-reduced-" + std::to_string(getpid()) + ".jpg";
    return std::u16string(path.begin(), path.end());
}

void checkResult(const ReducedDecode& decode, const DecodedImage* image) {
    if (!image) {
        if (decode.errorCode == kEngineOk && decode.errorText.length == 0) abort();
        return;
    }
    const uint32_t bitCount = imageBitCount(image);
    if (!image->pixels || (bitCount != 8 && bitCount != 24)) abort();
    if (imageWidth(image) == 0 || imageHeight(image) == 0) abort();
    // The bitmap holds the window's span, rounded up.
    if (decode.spanWidth <= 0 || decode.spanWidth > imageWidth(image) || decode.spanHeight <= 0 ||
        decode.spanHeight > imageHeight(image)) {
        abort();
    }
    const uint64_t bytes = bitmapAllocationSize(imageWidth(image), imageHeight(image), bitCount);
    if (bytes == 0 || bytes > kCeiling / 2) abort();
    volatile uint8_t sink = 0;
    for (uint64_t i = 0; i < bytes; i += 97) sink = sink ^ image->pixels[i];
    sink = sink ^ image->pixels[bytes - 1];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5 || size > 0x7FFFFFFF) return 0;
    setMemoryCeiling(kCeiling);
    static const std::u16string path = scratchPath();
    static const std::string narrow(path.begin(), path.end());
    FILE* file = fopen(narrow.c_str(), "wb");
    if (!file) return 0;
    const bool written = fwrite(data + 4, 1, size - 4, file) == size - 4;
    fclose(file);
    if (!written) return 0;
    const uint32_t left = (data[0] & 0x1Fu) * 8, top = (data[1] & 0x1Fu) * 8;
    const PixelRect window = {left, top, left + data[2], top + data[3]};
    ReducedDecode decode;
    if (prepareThumbnailDecode(&decode, window)) {
        DecodedImage* image = decodeReducedWindow(&decode, path.c_str());
        checkResult(decode, image);
        freeDecodedImage(image);
    }
    textFree(&decode.errorText);
    return 0;
}
