#include "engine/PictureLimits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CropTestSupport.h"
#include "engine/DecodedImage.h"
#include "engine/EngineError.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"

namespace {

TestJpegOptions photograph(int width, int height, bool progressive) {
    TestJpegOptions options;
    options.width = width;
    options.height = height;
    options.progressive = progressive;
    options.quality = 90;
    return options;
}

// The frame header made to claim `width` x `height`, the data left as it was.
std::vector<uint8_t> claimSize(std::vector<uint8_t> bytes, uint16_t width, uint16_t height) {
    for (size_t i = 2; i + 9 < bytes.size(); i++) {
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2 || bytes[i + 1] == 0xC9)) {
            bytes[i + 5] = static_cast<uint8_t>(height >> 8);
            bytes[i + 6] = static_cast<uint8_t>(height);
            bytes[i + 7] = static_cast<uint8_t>(width >> 8);
            bytes[i + 8] = static_cast<uint8_t>(width);
            return bytes;
        }
    }
    ADD_FAILURE() << "no frame header";
    return bytes;
}

struct DecodeOutcome {
    bool shown = false;
    int32_t errorCode = 0;
    uint32_t width = 0;
};

DecodeOutcome decode(const std::vector<uint8_t>& bytes) {
    TempDir dir;
    writeFileBytes(dir.file("in.jpg"), bytes);
    DisplayDecode file;
    DecodedImage* image = decodeForDisplay(&file, u16(dir.file("in.jpg")).c_str());
    DecodeOutcome outcome{image != nullptr, file.errorCode, image ? imageWidth(image) : 0};
    freeDecodedImage(image);
    textFree(&file.errorText);
    return outcome;
}

struct CeilingGuard {
    explicit CeilingGuard(uint64_t bytes) { setMemoryCeiling(bytes); }
    ~CeilingGuard() { setMemoryCeiling(0); }
};

// Both sides of the line, for the crop and the display decode: a forged 65,500 x 65,500 frame over a few
// kilobytes of data is refused as damaged before anything is allocated, while a real photograph cut
// short, even to a tenth, still opens and crops.
TEST(PictureLimits, ForgedSizeIsRefusedAndAPhotographCutShortStillOpensAndCrops) {
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "sequential");
        const std::vector<uint8_t> real = makeTestJpeg(photograph(512, 384, progressive));
        const std::vector<uint8_t> forged = claimSize(real, 65500, 65500);

        DecodeOutcome shown = decode(forged);
        EXPECT_FALSE(shown.shown);
        EXPECT_EQ(shown.errorCode, kEngineNoBitmap);  // its bitmap alone would pass 4 GiB
        // 40,000 x 35,000 stays under 4 GiB of bitmap: refused for its data, 2,500 x 2,188 chroma blocks
        // over far fewer bytes.
        const std::vector<uint8_t> small = makeTestJpeg(photograph(128, 96, progressive));
        ASSERT_LT(small.size() * 64, 2500u * 2188u);
        DecodeOutcome forgedShown = decode(claimSize(small, 40000, 35000));
        EXPECT_FALSE(forgedShown.shown);
        EXPECT_EQ(forgedShown.errorCode, kEngineCannotOpen);
        CropResult cropped = runCrop(forged, window(16, 16, 640, 480));
        EXPECT_FALSE(cropped.ok);
        EXPECT_EQ(cropped.errorCode, kEngineCannotOpen);
        EXPECT_NE(cropped.errorText.find("far too short"), std::string::npos) << cropped.errorText;
        // The whole picture is refused the same way.
        EXPECT_EQ(runCrop(forged, CropSettings()).errorCode, kEngineCannotOpen);

        for (size_t keep : {real.size() * 2 / 5, real.size() / 10}) {
            SCOPED_TRACE(keep);
            const std::vector<uint8_t> cut(real.begin(), real.begin() + static_cast<long>(keep));
            DecodeOutcome cutShown = decode(cut);
            EXPECT_TRUE(cutShown.shown);
            EXPECT_EQ(cutShown.width, 512u);
            CropResult cutCropped = runCrop(cut, window(32, 16, 200, 100));
            EXPECT_TRUE(cutCropped.ok) << cutCropped.errorText;
            TestJpegContents output = readTestJpeg(cutCropped.output);
            EXPECT_EQ(output.width, 200);
            EXPECT_EQ(output.height, 100);
        }
    }
}

// An arithmetic-coded frame can code a flat block in a fraction of a bit: a flat picture, and a blank
// grey A4 page whose few bytes hold 136,000 blocks, open and crop, while the library's arithmetic test
// image claiming 65,500 x 65,500 is refused on an 8 GB machine (its data could just hold a flat picture
// of that size, but not in memory).
TEST(PictureLimits, ArithmeticCodingHasItsOwnFloor) {
    TestJpegOptions flat = photograph(2000, 1200, false);
    flat.arithmetic = true;
    flat.solid = {128, 128, 128};
    for (const std::vector<uint8_t>& flatBytes : {makeTestJpeg(flat), blankArithmeticPage()}) {
        EXPECT_TRUE(decode(flatBytes).shown) << flatBytes.size() << " bytes";
        EXPECT_TRUE(runCrop(flatBytes, window(16, 16, 300, 200)).ok) << flatBytes.size() << " bytes";
    }
    const std::vector<uint8_t> testImage = readFileBytes(libjpegTestImage("testimgari.jpg"));
    ASSERT_FALSE(testImage.empty());
    CeilingGuard laptop(8ull << 30);
    const std::vector<uint8_t> forged = claimSize(testImage, 65500, 65500);
    CropResult cropped = runCrop(forged, CropSettings());
    EXPECT_FALSE(cropped.ok);
    EXPECT_EQ(cropped.errorCode, kEngineOutOfMemory);
    // A window keeps only its own blocks: whatever the data holds, memory is not what stops it.
    EXPECT_NE(runCrop(forged, window(16, 16, 300, 200)).errorCode, kEngineOutOfMemory);
    DecodeOutcome shown = decode(forged);
    EXPECT_FALSE(shown.shown);
    EXPECT_EQ(shown.errorCode, kEngineNoBitmap);
    // Far beyond even arithmetic coding's floor: 1 x 65,500 blocks of data claiming 65,500 x 65,500.
    std::vector<uint8_t> starved = forged;
    const size_t scan = std::string(starved.begin(), starved.end()).find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    starved.resize(scan + 2 + (starved[scan + 2] << 8 | starved[scan + 3]) + 100);
    EXPECT_EQ(runCrop(starved, window(16, 16, 300, 200)).errorCode, kEngineCannotOpen);
}

// A size the data could hold but the machine cannot: the out-of-memory refusal, before allocating.
TEST(PictureLimits, PictureBeyondTheAvailableMemoryFailsWithOutOfMemory) {
    const std::vector<uint8_t> real = makeTestJpeg(photograph(512, 384, false));
    {
        // 512 x 384 at 4:2:0 holds 4,608 blocks of 128 bytes: 589,824 bytes of coefficients, as many for
        // the 24-bit bitmap. At most half of the available memory is taken.
        CeilingGuard ceiling(1000000);
        DecodeOutcome shown = decode(real);
        EXPECT_FALSE(shown.shown);
        EXPECT_EQ(shown.errorCode, kEngineOutOfMemory);
        CropResult cropped = runCrop(real, CropSettings());
        EXPECT_FALSE(cropped.ok);
        EXPECT_EQ(cropped.errorCode, kEngineOutOfMemory);
        // A window keeps its own 294 blocks and one row group of scratch (192 blocks): 62,208 bytes.
        EXPECT_TRUE(runCrop(real, window(16, 16, 100, 100)).ok);
    }
    {
        CeilingGuard ceiling(124000);
        EXPECT_EQ(runCrop(real, window(16, 16, 100, 100)).errorCode, kEngineOutOfMemory);
    }
    {
        CeilingGuard ceiling(1200000);
        EXPECT_TRUE(decode(real).shown);
        EXPECT_TRUE(runCrop(real, CropSettings()).ok);
    }
    EXPECT_TRUE(runCrop(real, window(16, 16, 100, 100)).ok);
    EXPECT_GT(availableMemory(), 0u);
}

}  // namespace
