#include "engine/CropTransform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "CropTestSupport.h"

namespace {

struct SourceKind {
    std::string name;
    TestJpegOptions options;
};

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
    TestJpegOptions scanEach = picture(88, 72, JCS_YCbCr, 2, 1);
    scanEach.scanPerComponent = true;
    scanEach.restartInterval = 3;
    kinds.push_back({"one scan per component", scanEach});
    TestJpegOptions progressiveRestarts = picture(100, 90, JCS_YCbCr, 1, 2);
    progressiveRestarts.progressive = true;
    progressiveRestarts.restartInterval = 5;
    kinds.push_back({"progressive 4:4:0 restarts", progressiveRestarts});
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
    if (!settings.grayscale) {
        EXPECT_EQ(output.colorSpace, source.colorSpace) << label;
    }
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

// The source is read only down to the window's last row group, and the output is, byte for byte, what
// reading every row gives; no warning of skipped data reaches the run.
TEST(CropTransform, ReadingStopsBelowTheWindowAndChangesNoByte) {
    int cut = 0;
    for (const SourceKind& kind : sourceKinds()) {
        std::vector<uint8_t> bytes = makeTestJpeg(kind.options);
        const TestJpegContents source = readTestJpeg(bytes);
        ASSERT_TRUE(source.ok) << kind.name;
        const bool canGray = kind.options.colorSpace == JCS_GRAYSCALE ||
                             (kind.options.colorSpace == JCS_YCbCr && kind.options.hSamp >= kind.options.vSamp);
        for (CropSettings settings : windowsFor(kind.options.width, kind.options.height)) {
            for (int variant = 0; variant < 3; variant++) {
                settings.progressive = variant == 1;
                settings.grayscale = variant == 2;
                if (settings.grayscale && !canGray) continue;
                const std::string label = describe(kind.name, settings);
                CropResult fewer = runCrop(bytes, settings);
                settings.readWhole = true;
                CropResult whole = runCrop(bytes, settings);
                settings.readWhole = false;
                ASSERT_TRUE(fewer.ok) << label << ": " << fewer.errorText;
                ASSERT_TRUE(whole.ok) << label << ": " << whole.errorText;
                EXPECT_TRUE(fewer.output == whole.output) << label;
                EXPECT_EQ(whole.rowsRead, uint32_t(source.height)) << label;
                const uint32_t rowGroup = 8 * uint32_t(source.maxVSamp);
                const uint32_t bottom = settings.crop ? settings.top + settings.height : uint32_t(source.height);
                const uint32_t needed = std::min((bottom + rowGroup - 1) / rowGroup * rowGroup, uint32_t(source.height));
                EXPECT_EQ(fewer.rowsRead, needed) << label;
                EXPECT_EQ(fewer.sourceWarnings, 0) << label;
                EXPECT_EQ(whole.sourceWarnings, 0) << label;
                if (needed < uint32_t(source.height)) cut++;
            }
        }
    }
    EXPECT_GT(cut, 100);  // most windows end above the last row group
}

// Segments after the data that is skipped (a comment before the end of image, an application segment
// between two scans) are still read and copied.
TEST(CropTransform, SegmentsAfterTheSkippedDataAreStillCopied) {
    for (bool progressive : {false, true}) {
        TestJpegOptions options = picture(96, 80, JCS_YCbCr, 2, 2);
        options.progressive = progressive;
        options.restartInterval = progressive ? 0 : 2;
        std::vector<uint8_t> bytes = makeTestJpeg(options);
        const std::vector<uint8_t> comment = {0xFF, 0xFE, 0x00, 0x0A, 't', 'r', 'a', 'i', 'l', 'i', 'n', 'g'};
        bytes.insert(bytes.end() - 2, comment.begin(), comment.end());
        if (progressive) {
            size_t lastScan = 0;
            for (size_t i = 0; i + 1 < bytes.size(); i++) {
                if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) lastScan = i;
            }
            const std::vector<uint8_t> app = {0xFF, 0xE9, 0x00, 0x07, 'b', 'e', 't', 'w', 'n'};
            bytes.insert(bytes.begin() + long(lastScan), app.begin(), app.end());
        }
        CropSettings settings = window(8, 0, 40, 20);
        settings.markers = kCopyAllMarkers;
        CropResult fewer = runCrop(bytes, settings);
        settings.readWhole = true;
        CropResult whole = runCrop(bytes, settings);
        ASSERT_TRUE(fewer.ok) << fewer.errorText;
        EXPECT_LT(fewer.rowsRead, 80u);
        EXPECT_TRUE(fewer.output == whole.output) << progressive;
        const std::string text(fewer.output.begin(), fewer.output.end());
        EXPECT_NE(text.find("trailing"), std::string::npos) << progressive;
        if (progressive) { EXPECT_NE(text.find("betwn"), std::string::npos); }
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

TEST(CropTransform, WindowsOutsideThePictureAreInvalidCropRequests) {
    std::vector<uint8_t> bytes = makeTestJpeg(picture(61, 37, JCS_YCbCr, 2, 2));
    // The edges themselves are fine.
    ASSERT_TRUE(runCrop(bytes, window(0, 0, 61, 37)).ok);
    ASSERT_TRUE(runCrop(bytes, window(60, 36, 1, 1)).ok);
    const std::vector<CropSettings> bad = {
        window(0, 0, 0, 10),       window(0, 0, 10, 0),           window(1, 0, 61, 37),
        window(0, 1, 61, 37),      window(61, 0, 1, 1),           window(0, 37, 1, 1),
        window(0, 0, 62, 37),      window(0, 0, 61, 38),          window(10, 10, 0xFFFFFFFFu, 5),
        window(0xFFFFFFF0u, 0, 0x20, 5), window(5, 0xFFFFFFFFu, 5, 2), window(50, 30, 12, 7),
    };
    for (const CropSettings& settings : bad) {
        CropResult result = runCrop(bytes, settings);
        EXPECT_FALSE(result.ok) << describe("bad", settings);
        EXPECT_EQ(result.errorText, "Invalid crop request") << describe("bad", settings);
        EXPECT_EQ(result.errorCode, kEngineOk);
    }
}

TEST(CropTransform, GrayscaleIsRefusedForSourcesWithoutLuminance) {
    for (J_COLOR_SPACE space : {JCS_CMYK, JCS_RGB, JCS_YCCK}) {
        CropSettings settings = window(8, 8, 20, 20);
        settings.grayscale = true;
        CropResult result = runCrop(makeTestJpeg(picture(48, 40, space, 1, 1)), settings);
        EXPECT_FALSE(result.ok) << space;
        EXPECT_EQ(result.errorText, "Unsupported color conversion request") << space;
        EXPECT_EQ(result.errorCode, kEngineOk);
    }
}

TEST(CropTransform, LibraryErrorsEndTheRunWithTheLibraryMessage) {
    std::vector<uint8_t> notJpeg = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
    CropResult result = runCrop(notJpeg, CropSettings());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.errorText, "Not a JPEG file: starts with 0x47 0x49");
    EXPECT_EQ(result.errorCode, kEngineOk);

    CropResult twelveBit = runCrop(readFileBytes(libjpegTestImage("testorig12.jpg")), CropSettings());
    EXPECT_FALSE(twelveBit.ok);
    EXPECT_EQ(twelveBit.errorText, "Unsupported JPEG data precision 12");
}

TEST(CropTransform, FileCutInsideItsHeaderFailsAndOneCutInItsScanCompletes) {
    TestJpegOptions options = picture(96, 80, JCS_YCbCr, 2, 2);
    options.markers = {exifMarker(ExifOptions()), commentMarker("note")};
    std::vector<uint8_t> whole = makeTestJpeg(options);
    size_t scanStart = 0;
    for (size_t i = 0; i + 1 < whole.size(); i++) {
        if (whole[i] == 0xFF && whole[i + 1] == 0xDA) {
            scanStart = i;
            break;
        }
    }
    ASSERT_GT(scanStart, 0u);
    // Every cut inside the header: a library error, never a crash or an output claimed complete.
    for (size_t cut = 1; cut < scanStart; cut += (cut < 40 ? 1 : 7)) {
        CropResult result = runCrop(std::vector<uint8_t>(whole.begin(), whole.begin() + long(cut)), window(16, 16, 40, 30));
        EXPECT_FALSE(result.ok) << "cut at " << cut;
        EXPECT_FALSE(result.errorText.empty()) << "cut at " << cut;
    }
    // Cut in the middle of the entropy-coded data: read to its end, then an inserted end of image.
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(scanStart + (whole.size() - scanStart) / 2));
    CropResult result = runCrop(cut, window(16, 16, 40, 30));
    ASSERT_TRUE(result.ok) << result.errorText;
    TestJpegContents output = readTestJpeg(result.output);
    ASSERT_TRUE(output.ok) << output.error;
    EXPECT_EQ(output.width, 40);
    EXPECT_EQ(output.height, 30);
}

TEST(CropTransform, SourcesThatCannotBeReadGive50004AndNoOutputButReadOnlyOnesCrop) {
    TempDir dir;
    writeFileBytes(dir.file("empty.jpg"), {});
    CropResult empty = runCropOnFile(dir.file("empty.jpg"), dir.file("out1.jpg"), CropSettings());
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.errorCode, kEngineCannotOpen);
    EXPECT_FALSE(fileExists(dir.file("out1.jpg")));

    CropResult missing = runCropOnFile(dir.file("missing.jpg"), dir.file("out2.jpg"), CropSettings());
    EXPECT_EQ(missing.errorCode, kEngineCannotOpen);
    EXPECT_FALSE(fileExists(dir.file("out2.jpg")));

    writeFileBytes(dir.file("ro.jpg"), makeTestJpeg(TestJpegOptions()));
    makeReadOnly(dir.file("ro.jpg"));
    // Read-only is no reason: the copy-on-write view needs only read access.
    CropResult readOnly = runCropOnFile(dir.file("ro.jpg"), dir.file("out3.jpg"), CropSettings());
    EXPECT_TRUE(readOnly.ok) << readOnly.errorText;
    EXPECT_TRUE(readTestJpeg(readFileBytes(dir.file("out3.jpg"))).ok);

    // Held open by another program.
    writeFileBytes(dir.file("busy.jpg"), makeTestJpeg(TestJpegOptions()));
    OsHandle holder = osOpenFile(u16(dir.file("busy.jpg")).c_str(), OpenAccess::ReadWriteExclusive);
    ASSERT_NE(holder, kInvalidOsHandle);
    CropResult busy = runCropOnFile(dir.file("busy.jpg"), dir.file("out4.jpg"), CropSettings());
    osCloseFile(holder);
    EXPECT_EQ(busy.errorCode, kEngineCannotOpen);
    EXPECT_FALSE(fileExists(dir.file("out4.jpg")));
    EXPECT_TRUE(runCropOnFile(dir.file("busy.jpg"), dir.file("out4.jpg"), CropSettings()).ok);
}

TEST(CropTransform, OutputThatCannotBeCreatedGives50005) {
    TempDir dir;
    writeFileBytes(dir.file("in.jpg"), makeTestJpeg(TestJpegOptions()));
    CropResult result = runCropOnFile(dir.file("in.jpg"), dir.file("no-such-folder/out.jpg"), CropSettings());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.errorCode, kEngineCannotCreate);
    // The source is released: it can be saved from again at once.
    EXPECT_TRUE(runCropOnFile(dir.file("in.jpg"), dir.file("out.jpg"), CropSettings()).ok);
}

// A write refused at once (/dev/full: "no space left"), or one the system held back and reports only at
// the close (a full network share), is a failed save with the library's message for it.
TEST(CropTransform, FailedWriteReportsTheLibraryMessage) {
    TempDir dir;
    writeFileBytes(dir.file("in.jpg"), makeTestJpeg(TestJpegOptions()));
#ifndef _WIN32
    CropTransform full;
    EXPECT_FALSE(transformFile(&full, u16(dir.file("in.jpg")).c_str(), u"/dev/full"));
    EXPECT_EQ(u8(textChars(&full.errorText)), "Output file write error --- out of disk space?");
    EXPECT_EQ(full.fileHandle, kInvalidOsHandle);
#endif
    CropTransform job;
    osFailNth(OsStep::Close, 2);  // the first close is the source's
    EXPECT_FALSE(transformFile(&job, u16(dir.file("in.jpg")).c_str(), u16(dir.file("out.jpg")).c_str()));
    osClearFaults();
    EXPECT_EQ(u8(textChars(&job.errorText)), "Output file write error --- out of disk space?");
}

namespace {

// Offset of the first byte of the frame header's component list (after SOFn, length, precision, size,
// count), or 0.
size_t frameComponentsAt(const std::vector<uint8_t>& bytes) {
    for (size_t i = 2; i + 10 < bytes.size();) {
        if (bytes[i] != 0xFF) return 0;
        uint8_t code = bytes[i + 1];
        if (code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC) return i + 10;
        i += 2 + (size_t(bytes[i + 2]) << 8 | bytes[i + 3]);
    }
    return 0;
}

// Runs a crop on damaged data: it may fail, but never crash; when it succeeds its output must be a JPEG
// of the size asked for.
void cropDamaged(const std::vector<uint8_t>& bytes, const CropSettings& settings, const std::string& label) {
    CropResult result = runCrop(bytes, settings);
    if (!result.ok) {
        EXPECT_FALSE(result.errorText.empty() && result.errorCode == kEngineOk) << label;
        return;
    }
    TestJpegContents output = readTestJpeg(result.output);
    EXPECT_TRUE(output.ok) << label << ": " << output.error;
}

}  // namespace

TEST(CropTransform, UnusualSamplingFactorsNeverLeadOutsideTheBlockArrays) {
    for (J_COLOR_SPACE space : {JCS_YCbCr, JCS_CMYK}) {
        TestJpegOptions options = picture(83, 61, space, 1, 1);
        std::vector<uint8_t> source = makeTestJpeg(options);
        size_t components = frameComponentsAt(source);
        ASSERT_GT(components, 0u);
        const int count = space == JCS_CMYK ? 4 : 3;
        for (int c = 0; c < count; c++) {
            for (uint8_t sampling : {0x12, 0x21, 0x22, 0x31, 0x13, 0x41, 0x14, 0x44, 0x32, 0x00, 0x55}) {
                std::vector<uint8_t> bytes = source;
                bytes[components + size_t(c) * 3 + 1] = sampling;
                for (CropSettings settings : {window(20, 5, 50, 40), window(0, 0, 83, 61), window(40, 30, 43, 31)}) {
                    settings.grayscale = c == 1;
                    cropDamaged(bytes, settings,
                                describe("component " + std::to_string(c) + " sampling " + std::to_string(sampling),
                                         settings));
                }
            }
        }
    }
}

TEST(CropTransform, RandomlyDamagedHeadersFailCleanly) {
    TestJpegOptions options = picture(70, 50, JCS_YCbCr, 2, 2);
    ExifOptions exif;
    exif.pixelWidth = 70;
    exif.pixelHeight = 50;
    exif.thumbnail = std::vector<uint8_t>(64, 0x5A);
    options.markers = {exifMarker(exif), commentMarker("c"), iccMarker(40)};
    options.writeJfif = false;
    const std::vector<uint8_t> source = makeTestJpeg(options);
    size_t header = frameComponentsAt(source) + 40;
    std::mt19937 random(7);
    for (int round = 0; round < 300; round++) {
        std::vector<uint8_t> bytes = source;
        for (int i = 0, n = 1 + int(random() % 3); i < n; i++) bytes[random() % header] = uint8_t(random());
        cropDamaged(bytes, window(20, 5, 40, 30), "round " + std::to_string(round));
    }
}
