#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/DecodedImage.h"
#include "engine/ReducedDecode.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"

namespace {

struct Kind {
    const char* label;
    J_COLOR_SPACE space;
    int hSamp, vSamp;
    bool progressive;
    int restartInterval;
    bool arithmetic = false;
};

const Kind kKinds[] = {
    {"4:2:0", JCS_YCbCr, 2, 2, false, 0},
    {"4:2:2", JCS_YCbCr, 2, 1, false, 0},
    {"4:4:0", JCS_YCbCr, 1, 2, false, 0},
    {"4:4:4", JCS_YCbCr, 1, 1, false, 0},
    {"progressive 4:2:0", JCS_YCbCr, 2, 2, true, 0},
    {"progressive 4:4:0", JCS_YCbCr, 1, 2, true, 0},
    {"grey", JCS_GRAYSCALE, 1, 1, false, 0},
    {"CMYK", JCS_CMYK, 1, 1, false, 0},
    {"4:2:0 with restarts", JCS_YCbCr, 2, 2, false, 3},
    {"4:1:1", JCS_YCbCr, 4, 1, false, 0},
    {"arithmetic 4:2:2", JCS_YCbCr, 2, 1, false, 0, true},
    {"arithmetic progressive 4:2:0", JCS_YCbCr, 2, 2, true, 0, true},
};

std::vector<uint8_t> pictureOf(const Kind& kind, int width, int height) {
    TestJpegOptions options;
    options.width = width;
    options.height = height;
    options.colorSpace = kind.space;
    options.hSamp = kind.hSamp;
    options.vSamp = kind.vSamp;
    options.progressive = kind.progressive;
    options.restartInterval = kind.restartInterval;
    options.arithmetic = kind.arithmetic;
    return makeTestJpeg(options);
}

// The whole picture decoded by the library at `scale`/8 as the display shows it (CMYK through its table),
// as top-down rows of 1 or 3 samples.
TestPixels displayedAtScale(const std::vector<uint8_t>& bytes, J_COLOR_SPACE space, int scale) {
    const bool cmyk = space == JCS_CMYK || space == JCS_YCCK;
    TestPixels pixels = decodeTestJpeg(bytes,
                                       space == JCS_GRAYSCALE ? JCS_GRAYSCALE
                                       : cmyk                 ? JCS_CMYK
                                                              : JCS_EXT_BGR,
                                       scale);
    if (!cmyk || !pixels.ok) return pixels;
    uint8_t* table = makeCmykTable();
    std::vector<uint8_t> bgr(size_t(pixels.width) * pixels.height * 3);
    for (int y = 0; y < pixels.height; ++y) {
        convertCmykRow(&pixels.samples[size_t(y) * pixels.width * 4], &bgr[size_t(y) * pixels.width * 3],
                       uint32_t(pixels.width), table);
    }
    free(table);
    pixels.samples = bgr;
    pixels.channels = 3;
    return pixels;
}

std::string describe(const PixelRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

}  // namespace

TEST(ReducedDecode, SmallestCoveringScaleIsTheFirstEighthThatReachesBothSides) {
    struct Case {
        uint32_t width, height, coverWidth, coverHeight, scale;
    };
    const Case cases[] = {
        {6000, 4000, 160, 107, 1}, {1280, 960, 160, 120, 1}, {1279, 960, 160, 120, 2}, {1203, 803, 160, 107, 2},
        {600, 400, 160, 107, 3},   {200, 150, 160, 120, 7},  {161, 50, 160, 50, 8},    {8, 8, 8, 8, 8},
        {1000, 10, 160, 2, 2},     {4000, 3, 160, 1, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(smallestCoveringScale(c.width, c.height, c.coverWidth, c.coverHeight), c.scale)
            << c.width << "x" << c.height << " to cover " << c.coverWidth << "x" << c.coverHeight;
    }
}

// Whatever the sampling, the scale and the window, the reduced decode holds exactly the decoded pixels of
// the window that a decode of the whole picture at the same scale gives: the columns the library adds on
// the left are left out, the skipped rows are the rows above.
TEST(ReducedDecode, WindowHoldsThePixelsOfTheWholeDecodeAtTheSameScale) {
    const int width = 203, height = 141;
    const PixelRect windows[] = {{0, 0, 202, 140},    {40, 24, 139, 93}, {64, 48, 71, 55},
                                 {120, 96, 202, 140}, {8, 0, 202, 20},   {0, 136, 7, 140}};
    TempDir dir;
    for (const Kind& kind : kKinds) {
        const std::vector<uint8_t> bytes = pictureOf(kind, width, height);
        const std::string path = dir.file("source.jpg");
        writeFileBytes(path, bytes);
        for (const PixelRect& window : windows) {
            const uint32_t w = window.right - window.left + 1, h = window.bottom - window.top + 1;
            for (uint32_t wanted : {1u, 2u, 3u, 5u, 8u}) {
                const std::string label =
                    std::string(kind.label) + " window " + describe(window) + " scale " + std::to_string(wanted);
                ReducedDecode decode;
                decode.window = window;
                decode.coverWidth = w * wanted / 8;
                decode.coverHeight = h * wanted / 8;
                DecodedImage* image = decodeReducedWindow(&decode, u16(path).c_str());
                ASSERT_NE(image, nullptr) << label << ": " << u8(textChars(&decode.errorText));
                EXPECT_EQ(decode.viewBase, nullptr) << "nothing stays mapped";
                const uint32_t scale = decode.scale;
                ASSERT_LE(scale, wanted) << label;
                EXPECT_DOUBLE_EQ(decode.spanWidth, w * scale / 8.0) << label;
                EXPECT_DOUBLE_EQ(decode.spanHeight, h * scale / 8.0) << label;
                const uint32_t left = window.left * scale / 8, top = window.top * scale / 8;
                const uint32_t columns = ((window.right + 1) * scale + 7) / 8 - left;
                const uint32_t rows = ((window.bottom + 1) * scale + 7) / 8 - top;
                ASSERT_EQ(imageWidth(image), columns) << label;
                ASSERT_EQ(imageHeight(image), rows) << label;
                const TestPixels whole = displayedAtScale(bytes, kind.space, int(scale));
                ASSERT_TRUE(whole.ok) << label;
                const uint32_t channels = uint32_t(whole.channels);
                ASSERT_EQ(imageBitCount(image), channels * 8) << label;
                const uint32_t stride = (columns * channels + 3) & ~3u;
                int differing = 0;
                for (uint32_t y = 0; y < rows && differing < 5; ++y) {
                    const uint8_t* got = image->pixels + size_t(rows - 1 - y) * stride;
                    const uint8_t* expected = &whole.samples[(size_t(top + y) * whole.width + left) * channels];
                    for (uint32_t i = 0; i < columns * channels; ++i) {
                        if (got[i] == expected[i]) continue;
                        ADD_FAILURE() << label << ": pixel " << i / channels << "," << y << " channel " << i % channels
                                      << " is " << int(got[i]) << ", the whole decode has " << int(expected[i]);
                        if (++differing == 5) break;
                    }
                }
                freeDecodedImage(image);
                textFree(&decode.errorText);
            }
        }
    }
}

TEST(ReducedDecode, RefusesWindowsOffTheGridOrOutsideAndDamagedFiles) {
    TempDir dir;
    const std::vector<uint8_t> bytes = pictureOf(kKinds[0], 64, 48);
    const std::string path = dir.file("source.jpg");
    writeFileBytes(path, bytes);
    struct Case {
        const char* label;
        PixelRect window;
        std::vector<uint8_t> file;
        int32_t errorCode;
    };
    const std::vector<uint8_t> headerOnly(bytes.begin(), bytes.begin() + 40);
    const Case cases[] = {
        {"left off the grid", {4, 0, 63, 47}, bytes, kEngineNoBitmap},
        {"top off the grid", {0, 12, 63, 47}, bytes, kEngineNoBitmap},
        {"one column past the picture", {0, 0, 64, 47}, bytes, kEngineNoBitmap},
        {"one row past the picture", {0, 0, 63, 48}, bytes, kEngineNoBitmap},
        {"right before left", {16, 0, 15, 47}, bytes, kEngineNoBitmap},
        {"cut inside the header", {0, 0, 63, 47}, headerOnly, kEngineOk},
        {"empty file", {0, 0, 63, 47}, {}, kEngineCannotOpen},
    };
    for (const Case& c : cases) {
        writeFileBytes(path, c.file);
        ReducedDecode decode;
        decode.window = c.window;
        EXPECT_EQ(decodeReducedWindow(&decode, u16(path).c_str()), nullptr) << c.label;
        EXPECT_EQ(decode.errorCode, c.errorCode) << c.label;
        // The library's own message comes back only from its error exit.
        EXPECT_EQ(decode.errorText.length != 0, c.errorCode == kEngineOk) << c.label;
        EXPECT_EQ(decode.viewBase, nullptr) << c.label;
        textFree(&decode.errorText);
    }
    ReducedDecode decode;
    decode.window = {0, 0, 63, 47};
    EXPECT_EQ(decodeReducedWindow(&decode, u16(dir.file("missing.jpg")).c_str()), nullptr);
    EXPECT_EQ(decode.errorCode, kEngineCannotOpen);
    textFree(&decode.errorText);
}

// The decode ends after the window's last row: data below it that would stop a whole decode is never read.
TEST(ReducedDecode, DataBelowTheWindowIsNeverRead) {
    TestJpegOptions options;
    options.width = 64;
    options.height = 256;
    options.colorSpace = JCS_GRAYSCALE;
    options.restartInterval = 8;  // one row of blocks between restart markers
    std::vector<uint8_t> bytes = makeTestJpeg(options);
    // Past the tenth restart marker, the rest becomes a broken table segment and the end of the file.
    size_t at = 0;
    for (int found = 0; found < 10 && at + 1 < bytes.size(); ++at) {
        if (bytes[at] == 0xFF && bytes[at + 1] >= 0xD0 && bytes[at + 1] <= 0xD7) ++found;
    }
    ASSERT_LT(at + 1, bytes.size());
    bytes.resize(at + 1);
    bytes.insert(bytes.end(), {0xFF, 0xC4, 0x00, 0x03, 0x00, 0xFF, 0xD9});
    EXPECT_FALSE(decodeTestJpeg(bytes).ok) << "a whole decode fails on it";
    TempDir dir;
    const std::string path = dir.file("source.jpg");
    writeFileBytes(path, bytes);
    for (const PixelRect& window : {PixelRect{0, 0, 63, 63}, PixelRect{16, 40, 47, 79}}) {
        ReducedDecode decode;
        decode.window = window;
        decode.coverWidth = window.right - window.left + 1;
        decode.coverHeight = window.bottom - window.top + 1;
        DecodedImage* image = decodeReducedWindow(&decode, u16(path).c_str());
        EXPECT_NE(image, nullptr) << describe(window) << ": " << u8(textChars(&decode.errorText));
        freeDecodedImage(image);
        textFree(&decode.errorText);
    }
}
