#include "engine/BitmapFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/DecodedImage.h"
#include "engine/ImageOps.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"

namespace {

uint32_t get32(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}

DecodedImage* decodeFile(const std::string& path) {
    DisplayDecode decode;
    return decodeForDisplay(&decode, u16(path).c_str());
}

}  // namespace

TEST(BitmapFile, HeadersPaletteAndRowsAreWrittenAsShown) {
    TempDir dir;
    for (J_COLOR_SPACE space : {JCS_GRAYSCALE, JCS_YCbCr}) {
        TestJpegOptions options;
        options.width = 37;
        options.height = 11;
        options.colorSpace = space;
        std::string jpeg = dir.file("in.jpg"), bmp = dir.file("out.bmp");
        writeFileBytes(jpeg, makeTestJpeg(options));
        DecodedImage* image = decodeFile(jpeg);
        ASSERT_NE(image, nullptr);
        ASSERT_TRUE(writeBitmapFile(u16(bmp).c_str(), image));
        std::vector<uint8_t> bytes = readFileBytes(bmp);
        const uint32_t bits = image->header.biBitCount;
        const uint32_t offset = 54 + (bits == 8 ? 1024 : 0);
        const uint32_t pixelBytes = bitmapStride(37, bits) * 11;
        ASSERT_EQ(bytes.size(), offset + pixelBytes);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(get32(bytes, 2), bytes.size());
        EXPECT_EQ(get32(bytes, 10), offset);
        EXPECT_EQ(get32(bytes, 14), 40u);
        EXPECT_EQ(get32(bytes, 18), 37u);
        EXPECT_EQ(get32(bytes, 22), 11u);
        if (bits == 8) { EXPECT_EQ(get32(bytes, 54 + 4 * 200), 0x00C8C8C8u) << "grey palette entry 200"; }
        EXPECT_TRUE(std::equal(bytes.begin() + offset, bytes.end(), image->pixels));
        freeDecodedImage(image);
    }
}

TEST(BitmapFile, UnwritablePathFailsWithoutAFile) {
    TempDir dir;
    TestJpegOptions options;
    std::string jpeg = dir.file("in.jpg");
    writeFileBytes(jpeg, makeTestJpeg(options));
    DecodedImage* image = decodeFile(jpeg);
    ASSERT_NE(image, nullptr);
    std::string bmp = dir.file("missing-folder/out.bmp");
    EXPECT_FALSE(writeBitmapFile(u16(bmp).c_str(), image));
    EXPECT_FALSE(fileExists(bmp));
    freeDecodedImage(image);
}

// The pixels the program shows are the pixels djpeg decodes: ImageMagick counts no differing pixel.
TEST(BitmapFile, PixelsEqualDjpegBmpOutput) {
#ifdef _WIN32
    GTEST_SKIP() << "djpeg and ImageMagick run natively";
#else
    TempDir dir;
    struct Case {
        const char* name;
        J_COLOR_SPACE space;
        int width, height, hSamp, vSamp;
        bool progressive;
    };
    const Case cases[] = {{"colour-420", JCS_YCbCr, 1001, 601, 2, 2, false},
                          {"colour-422-progressive", JCS_YCbCr, 333, 97, 2, 1, true},
                          {"grey", JCS_GRAYSCALE, 129, 67, 1, 1, false}};
    for (const Case& c : cases) {
        TestJpegOptions options;
        options.width = c.width;
        options.height = c.height;
        options.colorSpace = c.space;
        options.hSamp = c.hSamp;
        options.vSamp = c.vSamp;
        options.progressive = c.progressive;
        std::string jpeg = dir.file(std::string(c.name) + ".jpg");
        std::string ours = dir.file(std::string(c.name) + "-ours.bmp");
        std::string theirs = dir.file(std::string(c.name) + "-djpeg.bmp");
        std::string result = dir.file(std::string(c.name) + ".txt");
        writeFileBytes(jpeg, makeTestJpeg(options));
        DecodedImage* image = decodeFile(jpeg);
        ASSERT_NE(image, nullptr) << c.name;
        ASSERT_TRUE(writeBitmapFile(u16(ours).c_str(), image)) << c.name;
        freeDecodedImage(image);
        ASSERT_EQ(std::system(("djpeg -bmp -outfile '" + theirs + "' '" + jpeg + "'").c_str()), 0) << c.name;
        // compare exits 1 when the pictures differ; the count goes to stderr.
        std::system(("compare -metric AE '" + ours + "' '" + theirs + "' null: 2> '" + result + "'").c_str());
        std::vector<uint8_t> text = readFileBytes(result);
        EXPECT_EQ(std::string(text.begin(), text.end()), "0") << c.name;
    }
#endif
}
