#include "engine/PictureInfo.h"

#include <gtest/gtest.h>

#include "support/TestFiles.h"
#include "support/TestJpeg.h"

TEST(PictureInfo, ReportsTheDisplayBitmapTheSourceAndItsThumbnail) {
    TempDir dir;
    std::vector<uint8_t> thumbnail = makeTestJpeg(TestJpegOptions());
    ExifOptions exif;
    exif.bigEndian = true;
    exif.thumbnail = thumbnail;

    TestJpegOptions colour;
    colour.width = 1001;
    colour.height = 601;
    colour.progressive = true;
    colour.markers = {exifMarker(exif)};
    TestJpegOptions grey;
    grey.width = 9;
    grey.height = 7;
    grey.colorSpace = JCS_GRAYSCALE;
    TestJpegOptions cmyk;
    cmyk.colorSpace = JCS_CMYK;
    cmyk.hSamp = 2;
    cmyk.vSamp = 1;

    struct Case {
        const char* label;
        TestJpegOptions options;
        PictureInfo expected;
    };
    const Case cases[] = {
        {"colour", colour, {1001, 601, 24, 3, 16, 16, true, true, uint32_t(thumbnail.size())}},
        {"grey", grey, {9, 7, 8, 1, 8, 8, false, false, 0}},
        {"cmyk", cmyk, {64, 48, 24, 4, 16, 8, false, false, 0}},
    };
    for (const Case& c : cases) {
        std::string path = dir.file("in.jpg");
        writeFileBytes(path, makeTestJpeg(c.options));
        PictureInfo info;
        ASSERT_TRUE(readPictureInfo(u16(path).c_str(), &info)) << c.label;
        EXPECT_EQ(info.width, c.expected.width) << c.label;
        EXPECT_EQ(info.height, c.expected.height) << c.label;
        EXPECT_EQ(info.bitCount, c.expected.bitCount) << c.label;
        EXPECT_EQ(info.components, c.expected.components) << c.label;
        EXPECT_EQ(info.blockWidth, c.expected.blockWidth) << c.label;
        EXPECT_EQ(info.blockHeight, c.expected.blockHeight) << c.label;
        EXPECT_EQ(info.progressive, c.expected.progressive) << c.label;
        EXPECT_EQ(info.exif, c.expected.exif) << c.label;
        EXPECT_EQ(info.thumbnailBytes, c.expected.thumbnailBytes) << c.label;
    }
}

TEST(PictureInfo, FailsForWhatWouldNotBeShown) {
    TempDir dir;
    std::string png = dir.file("a.jpg");
    writeFileBytes(png, {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0});
    PictureInfo info;
    EXPECT_FALSE(readPictureInfo(u16(png).c_str(), &info));
    EXPECT_FALSE(readPictureInfo(u16(dir.file("missing.jpg")).c_str(), &info));
    std::vector<uint8_t> cut = makeTestJpeg(TestJpegOptions());
    cut.resize(30);
    writeFileBytes(png, cut);
    EXPECT_FALSE(readPictureInfo(u16(png).c_str(), &info));
}
