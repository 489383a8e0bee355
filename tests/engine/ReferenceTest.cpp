// Our crop against jpegtran as an outside reference: both outputs, decoded by djpeg, give the same pixels.
// The tools are Linux programs, so the Windows build leaves this to the native run.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CropTestSupport.h"

namespace {

bool toolsPresent() {
#ifdef _WIN32
    return false;
#else
    return system("command -v jpegtran >/dev/null 2>&1 && command -v djpeg >/dev/null 2>&1") == 0;
#endif
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

struct ReferenceCase {
    std::string source;
    uint32_t width, height, left, top;
    bool grayscale;
    bool damaged = false;  // jpegtran reads it with warnings (exit 2)
};

// `bytes` with FF 21 inserted right after the `n`-th restart marker of its scan.
std::vector<uint8_t> withStrayCodeAfterRestart(std::vector<uint8_t> bytes, int n) {
    size_t i = 2;
    while (i + 1 < bytes.size() && !(bytes[i] == 0xFF && (bytes[i + 1] & 0xF8) == 0xD0 && --n == 0)) i++;
    EXPECT_EQ(n, 0) << "too few restart markers";
    bytes.insert(bytes.begin() + static_cast<long>(i) + 2, {0xFF, 0x21});
    return bytes;
}

}  // namespace

TEST(Reference, DecodedPixelsMatchJpegtranCrop) {
    if (!toolsPresent()) GTEST_SKIP() << "jpegtran/djpeg run natively only";
    TempDir dir;
    TestJpegOptions odd;
    odd.width = 203;
    odd.height = 117;
    odd.hSamp = 2;
    odd.vSamp = 1;
    odd.restartInterval = 3;
    writeFileBytes(dir.file("odd422.jpg"), makeTestJpeg(odd));
    TestJpegOptions cmyk;
    cmyk.width = 90;
    cmyk.height = 70;
    cmyk.colorSpace = JCS_CMYK;
    cmyk.hSamp = cmyk.vSamp = 1;
    writeFileBytes(dir.file("cmyk.jpg"), makeTestJpeg(cmyk));
    writeFileBytes(dir.file("page.jpg"), blankArithmeticPage());
    // A stray FF 21 in a restart-marked scan, far below the window: the library's resync drops it.
    TestJpegOptions marked = picture(160, 320, JCS_YCbCr, 2, 2);
    marked.restartInterval = 2;
    writeFileBytes(dir.file("stray.jpg"), withStrayCodeAfterRestart(makeTestJpeg(marked), 60));
    const std::string orig = libjpegTestImage("testorig.jpg");
    const std::string ari = libjpegTestImage("testimgari.jpg");
    const std::string progressive = libjpegTestImage("testimgint.jpg");
    const std::vector<ReferenceCase> cases = {
        {orig, 100, 50, 20, 5, false},
        {orig, 227, 149, 0, 0, false},
        {orig, 57, 33, 170, 116, false},
        {orig, 64, 40, 37, 21, true},
        {ari, 120, 100, 33, 17, false},
        {progressive, 90, 60, 100, 80, false},
        {progressive, 127, 49, 100, 100, true},
        {dir.file("odd422.jpg"), 75, 40, 128, 77, false},
        {dir.file("cmyk.jpg"), 50, 45, 17, 9, false},
        {dir.file("page.jpg"), 1000, 700, 600, 1200, false},
        {dir.file("stray.jpg"), 100, 60, 16, 32, false, true},
    };
    int index = 0;
    for (const ReferenceCase& c : cases) {
        const std::string geometry = std::to_string(c.width) + "x" + std::to_string(c.height) + "+" +
                                     std::to_string(c.left) + "+" + std::to_string(c.top);
        const std::string label = c.source + " " + geometry + (c.grayscale ? " gray" : "");
        const std::string ours = dir.file("ours" + std::to_string(index) + ".jpg");
        const std::string theirs = dir.file("ref" + std::to_string(index) + ".jpg");
        index++;
        CropSettings settings = window(c.left, c.top, c.width, c.height);
        settings.grayscale = c.grayscale;
        CropResult result = runCropOnFile(c.source, ours, settings);
        ASSERT_TRUE(result.ok) << label << ": " << result.errorText;
        std::string command = "jpegtran -crop " + geometry + " -optimize -copy none " +
                              (c.grayscale ? "-grayscale " : "") + quoted(c.source) + " > " + quoted(theirs);
        const int status = system(command.c_str());
        // system() gives the tool's exit code in the second byte.
        ASSERT_TRUE(status == 0 || (c.damaged && status == 2 << 8)) << command;
        ASSERT_EQ(system(("djpeg -pnm " + quoted(ours) + " > " + quoted(ours + ".pnm")).c_str()), 0) << label;
        ASSERT_EQ(system(("djpeg -pnm " + quoted(theirs) + " > " + quoted(theirs + ".pnm")).c_str()), 0) << label;
        std::vector<uint8_t> a = readFileBytes(ours + ".pnm");
        std::vector<uint8_t> b = readFileBytes(theirs + ".pnm");
        ASSERT_FALSE(a.empty()) << label;
        EXPECT_EQ(a.size(), b.size()) << label;
        EXPECT_TRUE(a == b) << label << ": decoded pixels differ";
    }
}

// Byte for byte what jpegtran writes, which reads every row: every kind of source, windows at every
// position (the top, middle and bottom, the left and right edges, the whole picture, one block), as
// sequential, progressive and grayscale output.
TEST(Reference, OutputBytesMatchJpegtranForEveryKindAndPosition) {
    if (!toolsPresent()) GTEST_SKIP() << "jpegtran runs natively only";
    struct Kind {
        std::string name;
        TestJpegOptions options;
    };
    std::vector<Kind> kinds = {
        {"444", picture(136, 120, JCS_YCbCr, 1, 1)},
        {"422", picture(150, 118, JCS_YCbCr, 2, 1)},
        {"420", picture(161, 131, JCS_YCbCr, 2, 2)},
        {"440", picture(120, 140, JCS_YCbCr, 1, 2)},
        {"gray", picture(129, 121, JCS_GRAYSCALE, 1, 1)},
        {"gray12", picture(120, 130, JCS_GRAYSCALE, 1, 2)},
        {"cmyk", picture(112, 104, JCS_CMYK, 1, 1)},
    };
    Kind progressive{"progressive", picture(161, 131, JCS_YCbCr, 2, 2)};
    progressive.options.progressive = true;
    Kind arithmetic{"arithmetic", picture(150, 118, JCS_YCbCr, 2, 1)};
    arithmetic.options.arithmetic = true;
    Kind restarts{"restarts", picture(161, 131, JCS_YCbCr, 2, 2)};
    restarts.options.restartInterval = 4;
    Kind progressiveArithmetic{"progressive arithmetic restarts", picture(136, 120, JCS_YCbCr, 2, 2)};
    progressiveArithmetic.options.progressive = true;
    progressiveArithmetic.options.arithmetic = true;
    progressiveArithmetic.options.restartInterval = 2;
    Kind scanEach{"scan per component", picture(150, 118, JCS_YCbCr, 2, 2)};
    scanEach.options.scanPerComponent = true;
    for (const Kind& k : {progressive, arithmetic, restarts, progressiveArithmetic, scanEach}) kinds.push_back(k);

    TempDir dir;
    int compared = 0;
    for (const Kind& kind : kinds) {
        const std::string source = dir.file(kind.name + ".jpg");
        writeFileBytes(source, makeTestJpeg(kind.options));
        const uint32_t w = uint32_t(kind.options.width), h = uint32_t(kind.options.height);
        const std::vector<CropSettings> windows = {
            window(0, 0, w / 2, h / 3),                   // top left
            window(0, 0, w, 20),                          // top strip
            window(w / 3, h / 3, w / 3, h / 3),           // middle
            window(0, h / 2 - 7, w, 24),                  // middle strip
            window(5, h - 19, w - 5, 19),                 // bottom strip
            window(0, 9, 17, h - 30),                     // left edge
            window(w - 23, 30, 23, h / 2),                // right edge
            window(w - 40, h - 33, 40, 33),               // bottom right
            window(48, 32, 8, 8),                         // one block
            CropSettings(),                               // whole picture
        };
        const bool canGray = kind.options.colorSpace == JCS_GRAYSCALE ||
                             (kind.options.colorSpace == JCS_YCbCr && kind.options.hSamp >= kind.options.vSamp);
        for (CropSettings settings : windows) {
            for (int variant = 0; variant < 3; variant++) {
                if (variant == 2 && !canGray) continue;
                settings.progressive = variant == 1;
                settings.grayscale = variant == 2;
                settings.markers = kCopyNoMarkers;
                const std::string geometry = settings.crop ? std::to_string(settings.width) + "x" +
                                                                 std::to_string(settings.height) + "+" +
                                                                 std::to_string(settings.left) + "+" +
                                                                 std::to_string(settings.top)
                                                           : std::string();
                const std::string label = kind.name + " " + (settings.crop ? geometry : "whole") +
                                          (settings.progressive ? " progressive" : "") +
                                          (settings.grayscale ? " gray" : "");
                writeFileBytes(dir.file("source.jpg"), readFileBytes(source));
                CropResult ours = runCropOnFile(dir.file("source.jpg"), dir.file("ours.jpg"), settings);
                ASSERT_TRUE(ours.ok) << label << ": " << ours.errorText;
                const std::string command = "jpegtran -optimize -copy none" +
                                            (settings.crop ? " -crop " + geometry : std::string()) +
                                            (settings.progressive ? " -progressive" : "") +
                                            (settings.grayscale ? " -grayscale" : "") + " -outfile " +
                                            quoted(dir.file("theirs.jpg")) + " " + quoted(source);
                ASSERT_EQ(system(command.c_str()), 0) << command;
                std::vector<uint8_t> theirs = readFileBytes(dir.file("theirs.jpg"));
                // The program writes its JFIF segment whatever the colour space; jpegtran none for CMYK.
                if (kind.options.colorSpace == JCS_CMYK && ours.output.size() > 20 && ours.output[3] == 0xE0) {
                    ours.output.erase(ours.output.begin() + 2, ours.output.begin() + 20);
                }
                EXPECT_EQ(ours.output.size(), theirs.size()) << label;
                EXPECT_TRUE(ours.output == theirs) << label << ": bytes differ";
                compared++;
            }
        }
    }
    EXPECT_EQ(compared, 12 * 10 * 2 + 10 * 10);  // grayscale from ten of the kinds
}
