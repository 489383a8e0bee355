// The display decode on an in-memory file, as loading a picture runs it.
#include <cstdint>
#include <vector>

#include "engine/DecodedImage.h"
#include "engine/PictureLimits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 0x7FFFFFFF) return 0;
    setMemoryCeiling(256u << 20);
    std::vector<uint8_t> bytes(data, data + size);
    DisplayDecode decode;
    DecodedImage* image = decodeBytesForDisplay(&decode, bytes.data(), static_cast<uint32_t>(bytes.size()));
    freeDecodedImage(image);
    textFree(&decode.errorText);
    return 0;
}
