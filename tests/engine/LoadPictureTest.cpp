#include "engine/LoadPicture.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/DecodedImage.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"

namespace {

std::string writePicture(const TempDir& dir, const char* name, int width, int height, J_COLOR_SPACE space) {
    TestJpegOptions options;
    options.width = width;
    options.height = height;
    options.colorSpace = space;
    std::string path = dir.file(name);
    writeFileBytes(path, makeTestJpeg(options));
    return path;
}

struct Shown {
    DecodedImage* image = nullptr;
    ~Shown() { releasePicture(&image); }
};

}  // namespace

TEST(LoadPicture, PngNamedJpgIsRefusedBeforeDecodingAndNothingIsShown) {
    TempDir dir;
    Shown shown;
    ASSERT_TRUE(loadPictureFile(&shown.image, u16(writePicture(dir, "a.jpg", 32, 32, JCS_YCbCr)).c_str()));
    std::string png = dir.file("photo.jpg");
    writeFileBytes(png, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'});
    EXPECT_FALSE(hasJpegSignature(u16(png).c_str()));
    uint32_t code = 0;
    EXPECT_FALSE(loadPictureFile(&shown.image, u16(png).c_str(), &code));
    EXPECT_EQ(shown.image, nullptr) << "a failed load leaves no picture";
    EXPECT_EQ(code, 50000u) << "not a JPEG, not a lack of memory";
}

TEST(LoadPicture, SignatureNeedsEightReadableBytesStartingFfD8) {
    TempDir dir;
    std::string shortFile = dir.file("short.jpg");
    writeFileBytes(shortFile, {0xFF, 0xD8, 0xFF, 0xD9});
    EXPECT_FALSE(hasJpegSignature(u16(shortFile).c_str()));
    EXPECT_FALSE(hasJpegSignature(u16(dir.file("missing.jpg")).c_str()));
    // A JPEG signature followed by garbage passes the check and then fails in the library.
    std::string garbage = dir.file("garbage.jpg");
    writeFileBytes(garbage, {0xFF, 0xD8, 1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_TRUE(hasJpegSignature(u16(garbage).c_str()));
    Shown shown;
    uint32_t code = 0;
    EXPECT_FALSE(loadPictureFile(&shown.image, u16(garbage).c_str(), &code));
    EXPECT_EQ(shown.image, nullptr);
    EXPECT_EQ(code, 50000u) << "a library error, not a lack of memory";
}

TEST(LoadPicture, EachLoadReplacesThePictureWithItsGridAndWriteTime) {
    TempDir dir;
    std::string grey = writePicture(dir, "grey.jpg", 20, 10, JCS_GRAYSCALE);
    std::string colour = writePicture(dir, "colour.jpg", 70, 50, JCS_YCbCr);
    ASSERT_TRUE(osSetFileWriteTime(u16(colour).c_str(), 0x01D9000011112222ULL));
    Shown shown;
    ASSERT_TRUE(loadPictureFile(&shown.image, u16(grey).c_str()));
    EXPECT_EQ(shown.image->header.biBitCount, 8);
    EXPECT_EQ(shown.image->palette[77].rgbGreen, 77);
    ASSERT_TRUE(loadPictureFile(&shown.image, u16(colour).c_str()));
    EXPECT_EQ(shown.image->header.biWidth, 70);
    EXPECT_EQ(shown.image->header.biBitCount, 24);
    EXPECT_EQ(shown.image->blockWidth, 16u);
    EXPECT_EQ(shown.image->blockHeight, 16u);
    EXPECT_EQ(shown.image->lastWriteTime, 0x01D9000011112222ULL);
}

TEST(LoadPicture, AcceptedCropInstallsTheCutWithAFreshHeader) {
    TempDir dir;
    for (J_COLOR_SPACE space : {JCS_GRAYSCALE, JCS_YCbCr}) {
        TestJpegOptions options;
        options.width = 70;
        options.height = 50;
        options.colorSpace = space;
        options.densityUnit = 1;
        options.xDensity = options.yDensity = 72;
        std::string path = dir.file("p.jpg");
        writeFileBytes(path, makeTestJpeg(options));
        Shown shown;
        ASSERT_TRUE(loadPictureFile(&shown.image, u16(path).c_str()));
        const uint32_t bits = shown.image->header.biBitCount;
        const uint32_t bytes = bits / 8;
        std::vector<uint8_t> before(shown.image->pixels, shown.image->pixels + bitmapStride(70, bits) * 50);

        EXPECT_FALSE(installCroppedPicture(shown.image, {10, 5, 70, 20})) << "right edge outside";
        EXPECT_EQ(shown.image->header.biWidth, 70);

        ASSERT_TRUE(installCroppedPicture(shown.image, {16, 8, 45, 27}));
        const BitmapInfoHeader& header = shown.image->header;
        EXPECT_EQ(header.biWidth, 30);
        EXPECT_EQ(header.biHeight, 20);
        EXPECT_EQ(header.biBitCount, bits);
        EXPECT_EQ(header.biXPelsPerMeter, 0) << "a fresh header";
        EXPECT_EQ(header.biSize, 40u);
        if (bits == 8) { EXPECT_EQ(shown.image->palette[200].rgbRed, 200); }
        for (uint32_t y = 0; y < 20; ++y) {
            const uint8_t* row = shown.image->pixels + (19 - y) * bitmapStride(30, bits);
            const uint8_t* old = before.data() + (49 - (y + 8)) * bitmapStride(70, bits) + 16 * bytes;
            ASSERT_EQ(memcmp(row, old, 30 * bytes), 0) << bits << " bits, picture row " << y;
        }
    }
}
