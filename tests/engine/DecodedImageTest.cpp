#include "engine/DecodedImage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>

#include "engine/ImageOps.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"

namespace {

struct Decoded {
    DisplayDecode decode;
    DecodedImage* image = nullptr;
    ~Decoded() { freeDecodedImage(image); }
};

void decodeBytes(Decoded* out, const std::vector<uint8_t>& bytes) {
    TempDir dir;
    std::string path = dir.file("picture.jpg");
    writeFileBytes(path, bytes);
    out->image = decodeForDisplay(&out->decode, u16(path).c_str());
}

TestJpegOptions picture(int width, int height, J_COLOR_SPACE space, int hSamp, int vSamp) {
    TestJpegOptions options;
    options.width = width;
    options.height = height;
    options.colorSpace = space;
    options.hSamp = hSamp;
    options.vSamp = vSamp;
    return options;
}

// Compares every pixel of the bitmap with the library's own top-down decode in the same byte order.
void expectSameAsLibrary(const DecodedImage* image, const std::vector<uint8_t>& bytes, const char* label) {
    const bool grey = image->header.biBitCount == 8;
    TestPixels reference = decodeTestJpeg(bytes, grey ? JCS_GRAYSCALE : JCS_EXT_BGR);
    ASSERT_TRUE(reference.ok) << label;
    ASSERT_EQ(image->header.biWidth, reference.width) << label;
    ASSERT_EQ(image->header.biHeight, reference.height) << label;
    const uint32_t stride = bitmapStride(reference.width, image->header.biBitCount);
    const size_t rowBytes = size_t(reference.width) * reference.channels;
    for (int y = 0; y < reference.height; ++y) {
        const uint8_t* stored = image->pixels + size_t(reference.height - 1 - y) * stride;
        ASSERT_EQ(memcmp(stored, &reference.samples[rowBytes * y], rowBytes), 0) << label << ": picture row " << y;
    }
}

}  // namespace

TEST(DecodedImage, OneByOneGreyIsAnEightBitBitmapWithStrideFourAndAnEightByEightGrid) {
    std::vector<uint8_t> bytes = makeTestJpeg(picture(1, 1, JCS_GRAYSCALE, 1, 1));
    Decoded result;
    decodeBytes(&result, bytes);
    ASSERT_NE(result.image, nullptr);
    const BitmapInfoHeader& header = result.image->header;
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 1);
    EXPECT_EQ(header.biHeight, 1);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biCompression, 0u);
    EXPECT_EQ(header.biSizeImage, 0u);
    EXPECT_EQ(header.biClrUsed, 0u);
    EXPECT_EQ(bitmapStride(1, 8), 4u);
    EXPECT_EQ(result.decode.isGrayscale, 1);
    EXPECT_EQ(result.decode.sourceComponents, 1u);
    EXPECT_EQ(result.decode.blockWidth, 8u);
    EXPECT_EQ(result.decode.blockHeight, 8u);
    EXPECT_EQ(result.image->blockWidth, 8u);
    EXPECT_EQ(result.decode.errorCode, kEngineOk);
    for (int i = 0; i < kPaletteEntries; ++i) {
        const RgbQuad& entry = result.image->palette[i];
        ASSERT_TRUE(entry.rgbBlue == i && entry.rgbGreen == i && entry.rgbRed == i && entry.rgbReserved == 0) << i;
    }
    expectSameAsLibrary(result.image, bytes, "1x1 grey");
}

TEST(DecodedImage, ColourPicturesAreBottomUpBgrWithTheSourceGrid) {
    struct Case {
        int width, height, hSamp, vSamp;
        uint32_t gridWidth, gridHeight;
    };
    const Case cases[] = {{1001, 601, 2, 2, 16, 16}, {99, 37, 2, 1, 16, 8}, {40, 30, 1, 1, 8, 8}, {33, 65, 1, 2, 8, 16}};
    for (const Case& c : cases) {
        std::string label = std::to_string(c.width) + "x" + std::to_string(c.height);
        std::vector<uint8_t> bytes = makeTestJpeg(picture(c.width, c.height, JCS_YCbCr, c.hSamp, c.vSamp));
        Decoded result;
        decodeBytes(&result, bytes);
        ASSERT_NE(result.image, nullptr) << label;
        EXPECT_EQ(result.image->header.biBitCount, 24) << label;
        EXPECT_EQ(result.decode.isGrayscale, 0) << label;
        EXPECT_EQ(result.decode.sourceComponents, 3u) << label;
        EXPECT_EQ(result.decode.blockWidth, c.gridWidth) << label;
        EXPECT_EQ(result.decode.blockHeight, c.gridHeight) << label;
        EXPECT_EQ(result.image->palette[255].rgbRed, 0) << label << ": the palette stays empty for 24 bits";
        expectSameAsLibrary(result.image, bytes, label.c_str());
    }
    EXPECT_EQ(bitmapStride(1001, 24), 3004u);
}

TEST(DecodedImage, OneComponentSourceHasAnEightByEightGridWhateverItsSampling) {
    Decoded result;
    decodeBytes(&result, makeTestJpeg(picture(50, 40, JCS_GRAYSCALE, 2, 2)));
    ASSERT_NE(result.image, nullptr);
    EXPECT_EQ(result.decode.blockWidth, 8u);
    EXPECT_EQ(result.decode.blockHeight, 8u);
}

// A prefetch no longer wanted is stopped from another thread: the flag is seen while rows are read (one
// scan) and while the scans are buffered (progressive), after the bitmap exists; a clear flag changes nothing.
TEST(DecodedImage, ProgressiveSourceIsFlaggedAndDecodesLikeAnyOtherUnlessStopped) {
    for (bool progressive : {false, true}) {
        TestJpegOptions options = picture(75, 45, JCS_YCbCr, 2, 2);
        options.progressive = progressive;
        std::vector<uint8_t> bytes = makeTestJpeg(options);
        const char* label = progressive ? "progressive" : "sequential";
        std::atomic<bool> stop{false};
        Decoded result, stopped;
        result.decode.stop = stopped.decode.stop = &stop;
        decodeBytes(&result, bytes);
        ASSERT_NE(result.image, nullptr);
        EXPECT_EQ(result.decode.isProgressive, progressive ? 1 : 0);
        EXPECT_EQ(result.decode.fileSize, bytes.size()) << label;
        expectSameAsLibrary(result.image, bytes, label);
        stop = true;
        decodeBytes(&stopped, bytes);
        EXPECT_EQ(stopped.image, nullptr) << label;
        EXPECT_EQ(stopped.decode.errorCode, kEngineCannotOpen) << label;
    }
}

TEST(DecodedImage, CmykIsShownThroughTheProductTable) {
    struct Case {
        std::vector<uint8_t> cmyk;
        uint8_t blue, green, red;
    };
    // Stored values as Adobe-style files carry them (inverted): all 255 is white, black 0 is black.
    const Case cases[] = {{{255, 255, 255, 255}, 255, 255, 255},
                          {{255, 255, 255, 0}, 0, 0, 0},
                          {{200, 100, 50, 128}, 50 * 128 / 255, 100 * 128 / 255, 200 * 128 / 255}};
    for (J_COLOR_SPACE space : {JCS_CMYK, JCS_YCCK}) {
        for (const Case& c : cases) {
            TestJpegOptions options = picture(17, 9, space, 1, 1);
            options.quality = 100;
            options.solid = c.cmyk;
            Decoded result;
            decodeBytes(&result, makeTestJpeg(options));
            ASSERT_NE(result.image, nullptr);
            ASSERT_EQ(result.image->header.biBitCount, 24);
            EXPECT_EQ(result.decode.sourceComponents, 4u);
            const uint32_t stride = bitmapStride(17, 24);
            for (int y = 0; y < 9; ++y) {
                for (int x = 0; x < 17; ++x) {
                    const uint8_t* p = result.image->pixels + y * stride + x * 3;
                    // YCCK goes through a colour conversion; one level of rounding is the library's.
                    const int slack = space == JCS_YCCK ? 1 : 0;
                    ASSERT_NEAR(p[0], c.blue, slack) << "at " << x << "," << y << " space " << space;
                    ASSERT_NEAR(p[1], c.green, slack) << "at " << x << "," << y << " space " << space;
                    ASSERT_NEAR(p[2], c.red, slack) << "at " << x << "," << y << " space " << space;
                }
            }
        }
    }
}

TEST(DecodedImage, PixelsPerMetreComeFromTheJfifDensity) {
    struct Case {
        int unit, x, y;
        int32_t xPerMetre, yPerMetre;
    };
    const Case cases[] = {{1, 72, 72, 2835, 2835}, {2, 28, 28, 2800, 2800}, {1, 300, 96, 11811, 3780}, {0, 1, 1, 0, 0}};
    for (const Case& c : cases) {
        TestJpegOptions options = picture(16, 16, JCS_YCbCr, 2, 2);
        options.densityUnit = c.unit;
        options.xDensity = c.x;
        options.yDensity = c.y;
        Decoded result;
        decodeBytes(&result, makeTestJpeg(options));
        ASSERT_NE(result.image, nullptr);
        EXPECT_EQ(result.image->header.biXPelsPerMeter, c.xPerMetre) << "unit " << c.unit << " density " << c.x;
        EXPECT_EQ(result.image->header.biYPelsPerMeter, c.yPerMetre) << "unit " << c.unit << " density " << c.y;
    }
}

TEST(DecodedImage, FileCutInsideItsScanDecodesWithWhatTheLibraryProduced) {
    TestJpegOptions options = picture(160, 120, JCS_YCbCr, 2, 2);
    std::vector<uint8_t> whole = makeTestJpeg(options);
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + whole.size() * 6 / 10);
    Decoded full, partial;
    decodeBytes(&full, whole);
    decodeBytes(&partial, cut);
    ASSERT_NE(full.image, nullptr);
    ASSERT_NE(partial.image, nullptr) << "a warning must not fail the decode";
    EXPECT_EQ(partial.decode.errorCode, kEngineOk);
    // The top rows come before the cut and match the whole file's.
    const uint32_t stride = bitmapStride(160, 24);
    for (int y = 0; y < 16; ++y) {
        ASSERT_EQ(memcmp(full.image->pixels + (119 - y) * stride, partial.image->pixels + (119 - y) * stride, 160 * 3), 0)
            << "picture row " << y;
    }
}

TEST(DecodedImage, FileCutInsideItsHeaderFailsThroughTheLibraryErrorPath) {
    std::vector<uint8_t> whole = makeTestJpeg(picture(64, 48, JCS_YCbCr, 2, 2));
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + 40);
    Decoded result;
    decodeBytes(&result, cut);
    EXPECT_EQ(result.image, nullptr);
    EXPECT_EQ(result.decode.errorCode, kEngineOk) << "library errors leave the code alone";
    EXPECT_GT(result.decode.errorText.length, 0u);
    EXPECT_EQ(result.decode.fileHandle, kInvalidOsHandle);
    EXPECT_EQ(result.decode.viewBase, nullptr);
}

TEST(DecodedImage, MissingOrEmptyFileGives50004) {
    TempDir dir;
    writeFileBytes(dir.file("empty.jpg"), {});
    for (const char* name : {"missing.jpg", "empty.jpg"}) {
        DisplayDecode decode;
        EXPECT_EQ(decodeForDisplay(&decode, u16(dir.file(name)).c_str()), nullptr) << name;
        EXPECT_EQ(decode.errorCode, kEngineCannotOpen) << name;
    }
}

TEST(DecodedImage, LastWriteTimeIsReadFromTheFile) {
    TempDir dir;
    std::string path = dir.file("timed.jpg");
    writeFileBytes(path, makeTestJpeg(picture(8, 8, JCS_GRAYSCALE, 1, 1)));
    const uint64_t time = 0x01DA123456789A00ULL;
    ASSERT_TRUE(osSetFileWriteTime(u16(path).c_str(), time));
    DisplayDecode decode;
    DecodedImage* image = decodeForDisplay(&decode, u16(path).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->lastWriteTime, time);
    freeDecodedImage(image);
}

// A frame header claiming 65500 × 65500 colour pixels needs a 12 GB bitmap: refused before allocating.
TEST(DecodedImage, BitmapOfFourGibibytesOrMoreGives50002) {
    std::vector<uint8_t> bytes = makeTestJpeg(picture(16, 16, JCS_YCbCr, 2, 2));
    size_t sof = 2;
    while (sof + 9 < bytes.size() && !(bytes[sof] == 0xFF && bytes[sof + 1] == 0xC0)) ++sof;
    ASSERT_LT(sof + 9, bytes.size());
    for (size_t at : {sof + 5, sof + 7}) {
        bytes[at] = 0xFF;
        bytes[at + 1] = 0xDC;
    }
    Decoded result;
    decodeBytes(&result, bytes);
    EXPECT_EQ(result.image, nullptr);
    EXPECT_EQ(result.decode.errorCode, kEngineNoBitmap);
}
