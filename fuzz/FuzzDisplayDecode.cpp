// The display decode on an in-memory file, as loading a picture runs it, on a machine with half a
// megabyte to give: a picture that does not fit must be refused before anything is allocated, so a
// forged size costs no more than the seeds (the largest, 227 x 149 progressive, needs about 220 KiB) and
// the fuzzer keeps its pace. What the decode hands back is checked whole.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/DecodedImage.h"
#include "engine/ImageOps.h"
#include "engine/PictureLimits.h"

namespace {

constexpr uint64_t kCeiling = 512u << 10;

// A decoded picture is a bitmap of its own size that fits the ceiling, every byte readable (ASan sees a
// short buffer), with a grid cell of whole blocks; a refusal says why.
void checkResult(const DisplayDecode& decode, const DecodedImage* image) {
    if (!image) {
        // A library error keeps 50000 and leaves its message.
        if (decode.errorCode == kEngineOk && decode.errorText.length == 0) abort();
        return;
    }
    const uint32_t bitCount = imageBitCount(image);
    if (decode.errorCode != kEngineOk || !image->pixels || (bitCount != 8 && bitCount != 24)) abort();
    if (imageWidth(image) == 0 || imageHeight(image) == 0) abort();
    const uint64_t bytes = bitmapAllocationSize(imageWidth(image), imageHeight(image), bitCount);
    if (bytes == 0 || bytes > kCeiling / 2) abort();
    volatile uint8_t sink = 0;
    for (uint64_t i = 0; i < bytes; i += 97) sink = sink ^ image->pixels[i];
    sink = sink ^ image->pixels[bytes - 1];
    if (image->blockWidth == 0 || image->blockWidth % 8 || image->blockHeight == 0 || image->blockHeight % 8) {
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 0x7FFFFFFF) return 0;
    setMemoryCeiling(kCeiling);
    std::vector<uint8_t> bytes(data, data + size);
    DisplayDecode decode;
    DecodedImage* image = decodeBytesForDisplay(&decode, bytes.data(), static_cast<uint32_t>(bytes.size()));
    checkResult(decode, image);
    freeDecodedImage(image);
    textFree(&decode.errorText);
    return 0;
}
