#include "view/CropDisplay.h"

#include <cstring>

#include "engine/DecodedImage.h"
#include "engine/ImageOps.h"
#include "engine/LoadPicture.h"
#include "view/CropEditor.h"
#include "view/ShadedDisplay.h"

static_assert(sizeof(BitmapInfoHeader) + sizeof(RgbQuad) * kPaletteEntries == kBitmapInfoBytes,
              "the saved bitmap info holds the header and the palette");

bool makeCropDisplay(CropEditor* editor, DecodedImage* picture) {
    if (!picture || !picture->pixels) return false;
    const uint32_t width = imageWidth(picture), height = imageHeight(picture);
    uint8_t* source = picture->pixels;
    bool converted = false;
    if (imageBitCount(picture) != 24) {
        source = expandTo24Bit(picture->palette, picture->pixels, width, height);
        if (!source) return false;
        converted = true;
    }
    uint8_t* copy = allocateBitmap(width, height, 24);
    if (!copy) {
        if (converted) freeBitmap(source, width, height, 24);
        return false;
    }
    std::memcpy(copy, source, static_cast<size_t>(stride24(width)) * height);

    std::memcpy(editor->savedBitmapInfo, &picture->header, sizeof(BitmapInfoHeader));
    std::memcpy(editor->savedBitmapInfo + sizeof(BitmapInfoHeader), picture->palette,
                sizeof(RgbQuad) * kPaletteEntries);
    editor->savedBits = picture->pixels;
    editor->sourceBits = source;
    editor->sourceOwned = converted;
    editor->shadedBits = copy;
    picture->header = makeBitmapHeader(width, height, 24);
    picture->pixels = copy;
    return true;
}

void buildShadedDisplay(CropEditor* editor) {
    if (!editor->shadedBits || !editor->sourceBits) return;
    shadeOutsideCrop(editor->sourceBits, editor->shadedBits, editor->imageWidth, editor->imageHeight, editor->rect,
                     editor->shadeTable);
}

void restoreCropDisplay(CropEditor* editor, DecodedImage* picture) {
    if (!editor->savedBits) return;
    const uint32_t width = static_cast<uint32_t>(editor->imageWidth);
    const uint32_t height = static_cast<uint32_t>(editor->imageHeight);
    if (picture) {
        std::memcpy(&picture->header, editor->savedBitmapInfo, sizeof(BitmapInfoHeader));
        std::memcpy(picture->palette, editor->savedBitmapInfo + sizeof(BitmapInfoHeader),
                    sizeof(RgbQuad) * kPaletteEntries);
        picture->pixels = editor->savedBits;
    }
    if (editor->shadedBits) freeBitmap(editor->shadedBits, width, height, 24);
    if (editor->sourceOwned) freeBitmap(editor->sourceBits, width, height, 24);
    editor->shadedBits = nullptr;
    editor->sourceBits = nullptr;
    editor->sourceOwned = false;
    editor->savedBits = nullptr;
}

CropOutcome endCropDisplay(CropEditor* editor, DecodedImage* picture, bool accept, bool* cutFailed) {
    *cutFailed = false;
    restoreCropDisplay(editor, picture);
    CropOutcome outcome = accept ? acceptCrop(editor) : cancelCrop(editor);
    if (!outcome.cropPending) return outcome;
    const CropRect& rect = outcome.pendingCrop;
    PixelRect cut = {static_cast<uint32_t>(rect.left), static_cast<uint32_t>(rect.top),
                     static_cast<uint32_t>(rect.right), static_cast<uint32_t>(rect.bottom)};
    if (!picture || !installCroppedPicture(picture, cut)) {
        *cutFailed = true;
        return CropOutcome();
    }
    return outcome;
}
