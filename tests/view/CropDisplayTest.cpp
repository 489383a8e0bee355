#include "view/CropDisplay.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "engine/DecodedImage.h"
#include "engine/ImageOps.h"
#include "view/CropEditor.h"
#include "view/ShadedDisplay.h"

namespace {

// A picture as the decode leaves it, with pixel values that differ from pixel to pixel.
DecodedImage* makePicture(uint32_t width, uint32_t height, uint32_t bitCount) {
    auto* picture = static_cast<DecodedImage*>(calloc(1, sizeof(DecodedImage)));
    picture->header = makeBitmapHeader(width, height, bitCount);
    if (bitCount == 8) fillGreyPalette(picture->palette);
    picture->pixels = allocateBitmap(width, height, bitCount);
    uint32_t stride = bitmapStride(width, bitCount);
    for (uint32_t row = 0; row < height; row++) {
        for (uint32_t byte = 0; byte < width * (bitCount / 8); byte++) {
            picture->pixels[row * stride + byte] = static_cast<uint8_t>(40 + row * 31 + byte * 9);
        }
    }
    return picture;
}

CropEditor editorFor(const DecodedImage* picture, int maskShading) {
    CropEditorSetup setup;
    setup.imageWidth = imageWidth(picture);
    setup.imageHeight = imageHeight(picture);
    setup.maskShading = maskShading;
    setup.blockWidth = 1;  // lets the tiny test rectangles start anywhere
    setup.blockHeight = 1;
    CropEditor editor;
    initCropEditor(&editor, setup);
    return editor;
}

}  // namespace

TEST(CropDisplay, GreyPictureIsShownAsShadedColourCopyAndRestored) {
    DecodedImage* picture = makePicture(5, 3, 8);
    uint8_t* original = picture->pixels;
    std::vector<uint8_t> before(original, original + bitmapStride(5, 8) * 3);
    CropEditor editor = editorFor(picture, 128);
    ASSERT_TRUE(makeCropDisplay(&editor, picture));
    EXPECT_EQ(imageBitCount(picture), 24u);
    EXPECT_NE(picture->pixels, original);
    EXPECT_TRUE(editor.sourceOwned);
    // Before the first commit the copy is the plain picture.
    for (uint32_t row = 0; row < 3; row++) {
        for (uint32_t col = 0; col < 5; col++) {
            uint8_t grey = original[row * bitmapStride(5, 8) + col];
            for (int b = 0; b < 3; b++) ASSERT_EQ(picture->pixels[row * stride24(5) + col * 3 + b], grey);
        }
    }
    commitBand(&editor, 1, 0, 2, 1);
    buildShadedDisplay(&editor);
    for (uint32_t stored = 0; stored < 3; stored++) {
        int32_t row = 2 - static_cast<int32_t>(stored);
        for (int32_t col = 0; col < 5; col++) {
            bool inside = col >= 1 && col <= 2 && row <= 1;
            uint8_t grey = original[stored * bitmapStride(5, 8) + col];
            ASSERT_EQ(picture->pixels[stored * stride24(5) + col * 3], inside ? grey : 128) << col << "," << row;
        }
    }
    restoreCropDisplay(&editor, picture);
    EXPECT_EQ(picture->pixels, original);
    EXPECT_EQ(imageBitCount(picture), 8u);
    EXPECT_EQ(picture->palette[200].rgbGreen, 200);
    EXPECT_EQ(std::memcmp(original, before.data(), before.size()), 0);
    EXPECT_EQ(editor.shadedBits, nullptr);
    restoreCropDisplay(&editor, picture);  // a second end changes nothing
    EXPECT_EQ(picture->pixels, original);
    freeDecodedImage(picture);
}

TEST(CropDisplay, ColourPictureIsItsOwnSource) {
    DecodedImage* picture = makePicture(4, 4, 24);
    uint8_t* original = picture->pixels;
    CropEditor editor = editorFor(picture, 3);
    ASSERT_TRUE(makeCropDisplay(&editor, picture));
    EXPECT_EQ(editor.sourceBits, original);
    EXPECT_FALSE(editor.sourceOwned);
    commitBand(&editor, 0, 0, 3, 3);
    setRightEdge(&editor, 2);
    buildShadedDisplay(&editor);
    // Column 3 is outside in every row: one eighth of the original bytes.
    for (uint32_t stored = 0; stored < 4; stored++) {
        for (int b = 0; b < 3; b++) {
            size_t at = stored * stride24(4) + 3 * 3 + b;
            ASSERT_EQ(picture->pixels[at], original[at] >> 3);
            ASSERT_EQ(picture->pixels[at - 3], original[at - 3]);
        }
    }
    restoreCropDisplay(&editor, picture);
    EXPECT_EQ(picture->pixels, original);
    freeDecodedImage(picture);
}

TEST(CropDisplay, AcceptingCutsThePictureAsLoaded) {
    DecodedImage* picture = makePicture(40, 30, 24);
    std::vector<uint8_t> original(picture->pixels, picture->pixels + bitmapStride(40, 24) * 30);
    CropEditor editor = editorFor(picture, 0);
    ASSERT_TRUE(makeCropDisplay(&editor, picture));
    commitBand(&editor, 8, 4, 27, 19);
    buildShadedDisplay(&editor);  // the shown copy is shaded; the cut must come from the unshaded picture
    bool cutFailed = true;
    CropOutcome outcome = endCropDisplay(&editor, picture, true, &cutFailed);
    EXPECT_FALSE(cutFailed);
    ASSERT_TRUE(outcome.cropPending);
    EXPECT_EQ(outcome.pendingCrop, (CropRect{8, 4, 27, 19}));
    ASSERT_EQ(imageWidth(picture), 20u);
    ASSERT_EQ(imageHeight(picture), 16u);
    EXPECT_EQ(imageBitCount(picture), 24u);
    for (uint32_t row = 0; row < 16; row++) {
        for (uint32_t byte = 0; byte < 20 * 3; byte++) {
            size_t from = (30 - 1 - (4 + row)) * bitmapStride(40, 24) + 8 * 3 + byte;
            size_t to = (16 - 1 - row) * bitmapStride(20, 24) + byte;
            ASSERT_EQ(picture->pixels[to], original[from]) << "row " << row << " byte " << byte;
        }
    }
    freeDecodedImage(picture);
}

TEST(CropDisplay, WholePictureOrCancelLeavesThePictureAlone) {
    DecodedImage* picture = makePicture(16, 8, 8);
    uint8_t* original = picture->pixels;
    CropEditor editor = editorFor(picture, 1);
    ASSERT_TRUE(makeCropDisplay(&editor, picture));
    commitBand(&editor, 0, 0, 15, 7);
    bool cutFailed = true;
    EXPECT_FALSE(endCropDisplay(&editor, picture, true, &cutFailed).cropPending);
    EXPECT_FALSE(cutFailed);
    EXPECT_EQ(picture->pixels, original);
    EXPECT_EQ(imageBitCount(picture), 8u);

    ASSERT_TRUE(makeCropDisplay(&editor, picture));
    commitBand(&editor, 0, 0, 3, 3);
    EXPECT_FALSE(endCropDisplay(&editor, picture, false, &cutFailed).cropPending);
    EXPECT_EQ(picture->pixels, original);
    EXPECT_EQ(imageWidth(picture), 16u);
    freeDecodedImage(picture);
}
