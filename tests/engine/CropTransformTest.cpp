#include "engine/CropTransform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CropTestSupport.h"

namespace {

struct SourceKind {
    std::string name;
    TestJpegOptions options;
};

TestJpegOptions picture(int width, int height, J_COLOR_SPACE space, int h, int v) {
    TestJpegOptions options;
    options.width = width;
    options.height = height;
    options.colorSpace = space;
    options.hSamp = h;
    options.vSamp = v;
    return options;
}

std::vector<SourceKind> sourceKinds() {
    std::vector<SourceKind> kinds = {
        {"4:2:0", picture(96, 80, JCS_YCbCr, 2, 2)},
        {"4:2:2", picture(96, 80, JCS_YCbCr, 2, 1)},
        {"4:4:4", picture(72, 56, JCS_YCbCr, 1, 1)},
        {"4:4:0", picture(72, 56, JCS_YCbCr, 1, 2)},
        {"grayscale", picture(72, 56, JCS_GRAYSCALE, 1, 1)},
        {"grayscale 1x2", picture(70, 53, JCS_GRAYSCALE, 1, 2)},
        {"CMYK", picture(64, 48, JCS_CMYK, 1, 1)},
        {"YCCK 2x2", picture(67, 45, JCS_YCCK, 2, 2)},
        {"RGB", picture(64, 48, JCS_RGB, 1, 1)},
        {"odd 4:2:0", picture(61, 37, JCS_YCbCr, 2, 2)},
        {"odd 4:2:2", picture(59, 35, JCS_YCbCr, 2, 1)},
    };
    TestJpegOptions progressive = picture(97, 81, JCS_YCbCr, 2, 2);
    progressive.progressive = true;
    kinds.push_back({"progressive 4:2:0", progressive});
    TestJpegOptions restarts = picture(96, 80, JCS_YCbCr, 2, 2);
    restarts.restartInterval = 2;
    kinds.push_back({"restart interval", restarts});
    TestJpegOptions arithmetic = picture(90, 70, JCS_YCbCr, 2, 1);
    arithmetic.arithmetic = true;
    kinds.push_back({"arithmetic", arithmetic});
    TestJpegOptions arithmeticProgressive = picture(90, 70, JCS_GRAYSCALE, 1, 1);
    arithmeticProgressive.arithmetic = true;
    arithmeticProgressive.progressive = true;
    kinds.push_back({"arithmetic progressive grayscale", arithmeticProgressive});
    return kinds;
}

// Windows at the origin, on and off the grid, and reaching the right and bottom edges.
std::vector<CropSettings> windowsFor(int width, int height) {
    const uint32_t w = uint32_t(width), h = uint32_t(height);
    return {
        CropSettings(),                     // whole picture
        window(0, 0, w - 3, h - 5),         // top-left part, no workspace
        window(16, 16, 24, 16),             // aligned origin
        window(20, 5, 30, 20),              // unaligned origin
        window(9, 3, w - 9, h - 3),         // unaligned, to the right and bottom edges
        window(32, 16, w - 32, h - 16),     // aligned, to both edges
        window(w - 1, h - 1, 1, 1),         // the last pixel
        window(w - 13, 0, 13, h),           // right strip, full height
    };
}

std::string describe(const std::string& kind, const CropSettings& s) {
    std::string text = kind + (s.grayscale ? " gray" : "") + (s.progressive ? " progressive" : "");
    if (!s.crop) return text + " whole";
    return text + " " + std::to_string(s.width) + "x" + std::to_string(s.height) + "+" + std::to_string(s.left) +
           "+" + std::to_string(s.top);
}

void checkLossless(const std::string& kind, const std::vector<uint8_t>& sourceBytes, CropSettings settings) {
    const std::string label = describe(kind, settings);
    TestJpegContents source = readTestJpeg(sourceBytes);
    ASSERT_TRUE(source.ok) << label << ": " << source.error;
    CropResult result = runCrop(sourceBytes, settings);
    ASSERT_TRUE(result.ok) << label << ": " << result.errorText;
    TestJpegContents output = readTestJpeg(result.output);
    ASSERT_TRUE(output.ok) << label << ": " << output.error;
    EXPECT_EQ(output.warnings, 0) << label;
    const bool oneComponent = settings.grayscale || source.components.size() == 1;
    const uint32_t cellWidth = oneComponent ? 8 : 8 * uint32_t(source.maxHSamp);
    const uint32_t cellHeight = oneComponent ? 8 : 8 * uint32_t(source.maxVSamp);
    EXPECT_EQ(result.cellWidth, cellWidth) << label;
    EXPECT_EQ(result.cellHeight, cellHeight) << label;
    if (settings.crop) {
        EXPECT_EQ(uint32_t(output.width), settings.width + settings.left % cellWidth) << label;
        EXPECT_EQ(uint32_t(output.height), settings.height + settings.top % cellHeight) << label;
    } else {
        EXPECT_EQ(output.width, source.width) << label;
        EXPECT_EQ(output.height, source.height) << label;
    }
    EXPECT_EQ(output.components.size(), oneComponent ? 1u : source.components.size()) << label;
    EXPECT_EQ(output.progressive, settings.progressive) << label;
    if (!settings.grayscale) EXPECT_EQ(output.colorSpace, source.colorSpace) << label;
    expectBlocksCopied(source, output, int(settings.left / cellWidth), int(settings.top / cellHeight), label);
}

}  // namespace

TEST(CropTransform, EveryKindOfSourceKeepsItsBlocksInEveryWindow) {
    for (const SourceKind& kind : sourceKinds()) {
        std::vector<uint8_t> bytes = makeTestJpeg(kind.options);
        ASSERT_FALSE(bytes.empty()) << kind.name;
        for (CropSettings settings : windowsFor(kind.options.width, kind.options.height)) {
            checkLossless(kind.name, bytes, settings);
            settings.progressive = true;
            checkLossless(kind.name, bytes, settings);
        }
    }
}

TEST(CropTransform, GrayscaleSaveKeepsLuminanceBlocksOnAnEightPixelGrid) {
    for (const SourceKind& kind : sourceKinds()) {
        if (kind.options.colorSpace != JCS_YCbCr && kind.options.colorSpace != JCS_GRAYSCALE) continue;
        if (kind.options.hSamp < kind.options.vSamp) continue;  // 4:4:0 is handled below
        std::vector<uint8_t> bytes = makeTestJpeg(kind.options);
        for (CropSettings settings : windowsFor(kind.options.width, kind.options.height)) {
            settings.grayscale = true;
            checkLossless(kind.name, bytes, settings);
        }
    }
}

TEST(CropTransform, LibjpegTestImagesKeepTheirBlocks) {
    for (const char* name : {"testorig.jpg", "testimgari.jpg", "testimgint.jpg"}) {
        std::vector<uint8_t> bytes = readFileBytes(libjpegTestImage(name));
        ASSERT_FALSE(bytes.empty()) << libjpegTestImage(name);
        TestJpegContents source = readTestJpeg(bytes);
        ASSERT_TRUE(source.ok) << name;
        for (CropSettings settings : windowsFor(source.width, source.height)) {
            checkLossless(name, bytes, settings);
            settings.grayscale = true;
            checkLossless(name, bytes, settings);
        }
    }
}

TEST(CropTransform, UnalignedOriginMovesOutToTheGrid) {
    std::vector<uint8_t> bytes = makeTestJpeg(picture(160, 120, JCS_YCbCr, 2, 2));
    CropResult colour = runCrop(bytes, window(20, 5, 100, 50));
    ASSERT_TRUE(colour.ok) << colour.errorText;
    TestJpegContents output = readTestJpeg(colour.output);
    EXPECT_EQ(output.width, 104);
    EXPECT_EQ(output.height, 55);
    EXPECT_EQ(colour.cropColumns, 1u);  // source pixel (16, 0)
    EXPECT_EQ(colour.cropRows, 0u);

    CropSettings gray = window(20, 5, 100, 50);
    gray.grayscale = true;
    CropResult grayResult = runCrop(bytes, gray);
    ASSERT_TRUE(grayResult.ok) << grayResult.errorText;
    output = readTestJpeg(grayResult.output);
    EXPECT_EQ(output.width, 104);  // column 16 on the 8-pixel grid: width + 4
    EXPECT_EQ(output.height, 55);
    EXPECT_EQ(grayResult.cropColumns, 2u);
    ASSERT_EQ(output.components.size(), 1u);
    EXPECT_EQ(output.components[0].hSamp, 1);
    EXPECT_EQ(output.colorSpace, JCS_GRAYSCALE);
}

TEST(CropTransform, WindowAtTheOriginNeedsNoWorkspaceAndHasTheRequestedSize) {
    std::vector<uint8_t> bytes = makeTestJpeg(picture(100, 90, JCS_YCbCr, 2, 2));
    CropResult result = runCrop(bytes, window(0, 0, 37, 23));
    ASSERT_TRUE(result.ok) << result.errorText;
    TestJpegContents output = readTestJpeg(result.output);
    EXPECT_EQ(output.width, 37);
    EXPECT_EQ(output.height, 23);
}

TEST(CropTransform, ProgressiveAndSequentialAreChosenByTheSaveNotTheSource) {
    TestJpegOptions options = picture(64, 64, JCS_YCbCr, 2, 2);
    options.progressive = true;
    CropResult sequential = runCrop(makeTestJpeg(options), CropSettings());
    ASSERT_TRUE(sequential.ok);
    EXPECT_FALSE(readTestJpeg(sequential.output).progressive);
    options.progressive = false;
    CropSettings progressive;
    progressive.progressive = true;
    CropResult result = runCrop(makeTestJpeg(options), progressive);
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(readTestJpeg(result.output).progressive);
}
