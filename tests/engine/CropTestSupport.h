#pragma once
// Runs the crop engine on test pictures in a temporary folder and compares outputs with their sources
// block by block.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CropTransform.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"

struct CropSettings {
    bool crop = false;
    uint32_t left = 0;
    uint32_t top = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    bool grayscale = false;
    bool progressive = false;
    int markers = kCopyAllMarkers;
    bool readWhole = false;  // every source row, as without a window
};

// A test picture of the given size, colour space and first-component sampling.
inline TestJpegOptions picture(int width, int height, J_COLOR_SPACE space, int h, int v) {
    TestJpegOptions options;
    options.width = width;
    options.height = height;
    options.colorSpace = space;
    options.hSamp = h;
    options.vSamp = v;
    return options;
}

// A blank A4 page at 300 dpi, grayscale and arithmetic-coded: a few bytes of data for 136,000 blocks.
inline std::vector<uint8_t> blankArithmeticPage() {
    TestJpegOptions page = picture(2480, 3508, JCS_GRAYSCALE, 1, 1);
    page.arithmetic = true;
    page.solid = {255};
    return makeTestJpeg(page);
}

inline CropSettings window(uint32_t left, uint32_t top, uint32_t width, uint32_t height) {
    CropSettings settings;
    settings.crop = true;
    settings.left = left;
    settings.top = top;
    settings.width = width;
    settings.height = height;
    return settings;
}

struct CropResult {
    bool ok = false;
    int32_t errorCode = 0;
    std::string errorText;
    std::vector<uint8_t> output;
    uint32_t cropColumns = 0;
    uint32_t cropRows = 0;
    uint32_t cellWidth = 0;
    uint32_t cellHeight = 0;
    uint32_t rowsRead = 0;
    int32_t sourceWarnings = 0;
};

inline CropResult runCropOnFile(const std::string& sourcePath, const std::string& outputPath,
                                const CropSettings& settings) {
    CropTransform job;
    job.markerCopyMode = settings.markers;
    job.saveGrayscale = settings.grayscale;
    job.isProgressive = settings.progressive;
    job.cropEnabled = settings.crop;
    job.crop.left = settings.left;
    job.crop.top = settings.top;
    job.crop.width = settings.width;
    job.crop.height = settings.height;
    job.readWholeSource = settings.readWhole;
    CropResult result;
    result.ok = transformFile(&job, u16(sourcePath).c_str(), u16(outputPath).c_str());
    result.errorCode = job.errorCode;
    result.errorText = u8(textChars(&job.errorText));
    if (fileExists(outputPath)) result.output = readFileBytes(outputPath);
    result.cropColumns = job.cropColumns;
    result.cropRows = job.cropRows;
    result.cellWidth = job.cellWidth;
    result.cellHeight = job.cellHeight;
    result.rowsRead = job.rowsRead;
    result.sourceWarnings = job.sourceWarnings;
    // Nothing may stay open or mapped after the operation.
    EXPECT_EQ(job.fileHandle, kInvalidOsHandle);
    EXPECT_EQ(job.viewBase, nullptr);
    return result;
}

inline CropResult runCrop(const std::vector<uint8_t>& source, const CropSettings& settings) {
    TempDir dir;
    writeFileBytes(dir.file("in.jpg"), source);
    return runCropOnFile(dir.file("in.jpg"), dir.file("out.jpg"), settings);
}

// Every output block with picture content equals the source block it was copied from, quantization
// tables are equal, and the output is Huffman-coded without restart markers.
inline void expectBlocksCopied(const TestJpegContents& source, const TestJpegContents& output, int columnCells,
                               int rowCells, const std::string& label) {
    ASSERT_TRUE(output.ok) << label << ": " << output.error;
    EXPECT_FALSE(output.arithmetic) << label;
    EXPECT_EQ(output.restartInterval, 0) << label;
    ASSERT_LE(output.components.size(), source.components.size()) << label;
    const bool oneComponent = output.components.size() == 1;
    for (size_t c = 0; c < output.components.size(); c++) {
        const TestComponent& out = output.components[c];
        const TestComponent& in = source.components[c];
        EXPECT_EQ(out.quant, in.quant) << label << " component " << c;
        const int h = oneComponent ? 1 : in.hSamp;
        const int v = oneComponent ? 1 : in.vSamp;
        EXPECT_EQ(out.hSamp, h) << label;
        EXPECT_EQ(out.vSamp, v) << label;
        const int xBlocks = columnCells * h;
        const int yBlocks = rowCells * v;
        int differing = 0;
        for (int row = 0; row < out.heightInBlocks; row++) {
            for (int column = 0; column < out.widthInBlocks; column++) {
                const int16_t* a = out.block(row, column);
                const int16_t* b = in.block(row + yBlocks, column + xBlocks);
                if (std::equal(a, a + 64, b)) continue;
                if (differing++ < 3) {
                    std::string dump;
                    for (int k = 0; k < 8; k++) dump += std::to_string(a[k]) + "/" + std::to_string(b[k]) + " ";
                    ADD_FAILURE() << label << ": component " << c << " output block (" << row << "," << column
                                  << ") differs from source block (" << row + yBlocks << "," << column + xBlocks
                                  << "); first coefficients out/in: " << dump;
                }
            }
        }
        EXPECT_EQ(differing, 0) << label << " component " << c;
    }
}
