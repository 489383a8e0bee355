#include "engine/LoadPicture.h"

#include "engine/DecodedImage.h"

void releasePicture(DecodedImage** shown) {
    freeDecodedImage(*shown);
    *shown = nullptr;
}

bool hasJpegSignature(const char16_t* path) {
    JpegFile file;
    uint32_t size = openMappedRead(&file, path);
    bool jpeg = size >= 8 && file.dataStart[0] == 0xFF && file.dataStart[1] == 0xD8;
    closeMapped(&file);
    return jpeg;
}

bool loadPictureFile(DecodedImage** shown, const char16_t* path, uint32_t* errorCode) {
    DecodedImage* image = nullptr;
    DisplayDecode decode;
    // Anything else (a PNG named .jpg, say) is refused before the library sees it.
    if (hasJpegSignature(path)) image = decodeForDisplay(&decode, path);
    if (errorCode) *errorCode = static_cast<uint32_t>(decode.errorCode);
    textFree(&decode.errorText);
    releasePicture(shown);
    *shown = image;
    return image != nullptr;
}

bool installCroppedPicture(DecodedImage* shown, const PixelRect& rect) {
    if (!shown || !shown->pixels) return false;
    const uint32_t bitCount = imageBitCount(shown);
    uint8_t* cut = cropDisplayBitmap(rect, shown->pixels, imageWidth(shown), imageHeight(shown), bitCount);
    if (!cut) return false;
    freeBitmap(shown->pixels, imageWidth(shown), imageHeight(shown), bitCount);
    shown->header = makeBitmapHeader(rect.right - rect.left + 1, rect.bottom - rect.top + 1, bitCount);
    shown->pixels = cut;
    return true;
}
