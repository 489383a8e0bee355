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
};

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
    };
    int index = 0;
    for (const ReferenceCase& c : cases) {
        const std::string geometry = std::to_string(c.width) + "x" + std::to_string(c.height) + "+" +
                                     std::to_string(c.left) + "+" + std::to_string(c.top);
        const std::string label = c.source + " " + geometry + (c.grayscale ? " gray" : "");
        const std::string ours = dir.file("ours" + std::to_string(index) + ".jpg");
        const std::string theirs = dir.file("ref" + std::to_string(index) + ".jpg");
        index++;
        // Our engine opens its source for writing; work on a copy of the read-only test image.
        writeFileBytes(dir.file("source.jpg"), readFileBytes(c.source));
        CropSettings settings = window(c.left, c.top, c.width, c.height);
        settings.grayscale = c.grayscale;
        CropResult result = runCropOnFile(dir.file("source.jpg"), ours, settings);
        ASSERT_TRUE(result.ok) << label << ": " << result.errorText;
        std::string command = "jpegtran -crop " + geometry + " -optimize -copy none " +
                              (c.grayscale ? "-grayscale " : "") + quoted(c.source) + " > " + quoted(theirs);
        ASSERT_EQ(system(command.c_str()), 0) << command;
        ASSERT_EQ(system(("djpeg -pnm " + quoted(ours) + " > " + quoted(ours + ".pnm")).c_str()), 0) << label;
        ASSERT_EQ(system(("djpeg -pnm " + quoted(theirs) + " > " + quoted(theirs + ".pnm")).c_str()), 0) << label;
        std::vector<uint8_t> a = readFileBytes(ours + ".pnm");
        std::vector<uint8_t> b = readFileBytes(theirs + ".pnm");
        ASSERT_FALSE(a.empty()) << label;
        EXPECT_EQ(a.size(), b.size()) << label;
        EXPECT_TRUE(a == b) << label << ": decoded pixels differ";
    }
}
