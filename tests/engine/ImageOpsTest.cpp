#include "engine/ImageOps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A bottom-up bitmap owned by the test, addressed in picture coordinates (y grows downwards).
struct TestBitmap {
    uint32_t width, height, bitCount;
    uint8_t* pixels;
    TestBitmap(uint32_t w, uint32_t h, uint32_t bits) : width(w), height(h), bitCount(bits) {
        pixels = allocateBitmap(w, h, bits);
    }
    TestBitmap(uint8_t* adopted, uint32_t w, uint32_t h, uint32_t bits) : width(w), height(h), bitCount(bits), pixels(adopted) {}
    ~TestBitmap() { freeBitmap(pixels, width, height, bitCount); }
    uint8_t* at(uint32_t x, uint32_t y) const {
        return pixels + static_cast<size_t>(height - 1 - y) * bitmapStride(width, bitCount) + x * (bitCount / 8);
    }
};

// Deterministic content that differs in every pixel and channel.
void fillPattern(TestBitmap* bitmap, uint32_t seed) {
    const uint32_t bytes = bitmap->bitCount / 8;
    for (uint32_t y = 0; y < bitmap->height; ++y) {
        for (uint32_t x = 0; x < bitmap->width; ++x) {
            for (uint32_t c = 0; c < bytes; ++c) {
                uint32_t v = (x * 7 + y * 13 + c * 61 + seed) * 2654435761u;
                bitmap->at(x, y)[c] = static_cast<uint8_t>(v >> 24);
            }
        }
    }
}

// Smooth content with an edge, like a photograph.
void fillPhoto(TestBitmap* bitmap) {
    for (uint32_t y = 0; y < bitmap->height; ++y) {
        for (uint32_t x = 0; x < bitmap->width; ++x) {
            uint8_t* p = bitmap->at(x, y);
            p[0] = static_cast<uint8_t>(255 * x / bitmap->width);
            p[1] = static_cast<uint8_t>(255 * y / bitmap->height);
            p[2] = x * 3 > bitmap->width ? 230 : 20;
        }
    }
}

// The plain reduction: every output pixel is the exact area-weighted mean of the input it covers. The input
// ends at spanWidth × spanHeight (its own size when 0).
std::vector<double> referenceReduction(const TestBitmap& in, uint32_t newWidth, uint32_t newHeight,
                                       double spanWidth = 0, double spanHeight = 0) {
    std::vector<double> out(static_cast<size_t>(newWidth) * newHeight * 3);
    const double dx = (spanWidth ? spanWidth : in.width) / newWidth;
    const double dy = (spanHeight ? spanHeight : in.height) / newHeight;
    for (uint32_t oy = 0; oy < newHeight; ++oy) {
        for (uint32_t ox = 0; ox < newWidth; ++ox) {
            double sum[3] = {0, 0, 0}, area = 0;
            const double x0 = ox * dx, x1 = (ox + 1) * dx, y0 = oy * dy, y1 = (oy + 1) * dy;
            for (uint32_t y = static_cast<uint32_t>(y0); y < in.height && y < y1; ++y) {
                double wy = std::fmin(y + 1.0, y1) - std::fmax(static_cast<double>(y), y0);
                for (uint32_t x = static_cast<uint32_t>(x0); x < in.width && x < x1; ++x) {
                    double w = wy * (std::fmin(x + 1.0, x1) - std::fmax(static_cast<double>(x), x0));
                    for (int c = 0; c < 3; ++c) sum[c] += w * in.at(x, y)[c];
                    area += w;
                }
            }
            for (int c = 0; c < 3; ++c) out[(static_cast<size_t>(oy) * newWidth + ox) * 3 + c] = sum[c] / area;
        }
    }
    return out;
}

}  // namespace

TEST(ImageOps, StrideIsPaddedToFourBytesAndHugeBitmapsAreRefused) {
    EXPECT_EQ(bitmapStride(1, 8), 4u);
    EXPECT_EQ(bitmapStride(4, 8), 4u);
    EXPECT_EQ(bitmapStride(5, 8), 8u);
    EXPECT_EQ(bitmapStride(1, 24), 4u);
    EXPECT_EQ(bitmapStride(1001, 24), 3004u);
    EXPECT_EQ(bitmapStride(65535, 24), 196608u);
    EXPECT_EQ(bitmapAllocationSize(1001, 601, 24), 3004ull * 601 + 4);
    // 196608 × 21846 is just past 4 GiB; one row fewer fits.
    EXPECT_EQ(bitmapAllocationSize(65535, 21846, 24), 0u);
    EXPECT_EQ(bitmapAllocationSize(65535, 21845, 24), 196608ull * 21845 + 4);
    EXPECT_EQ(allocateBitmap(65535, 65535, 24), nullptr);
}

TEST(ImageOps, ExpandTo24BitLooksEveryPixelUpInThePalette) {
    RgbQuad palette[kPaletteEntries];
    for (int i = 0; i < kPaletteEntries; ++i) palette[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i ^ 0x5A), 0};
    for (uint32_t width : {1u, 3u, 4u, 7u}) {
        TestBitmap grey(width, 3, 8);
        fillPattern(&grey, width);
        TestBitmap colour(expandTo24Bit(palette, grey.pixels, width, 3), width, 3, 24);
        ASSERT_NE(colour.pixels, nullptr);
        for (uint32_t y = 0; y < 3; ++y) {
            for (uint32_t x = 0; x < width; ++x) {
                const RgbQuad& expected = palette[*grey.at(x, y)];
                const uint8_t* p = colour.at(x, y);
                EXPECT_EQ(p[0], expected.rgbBlue) << "width " << width << " at " << x << "," << y;
                EXPECT_EQ(p[1], expected.rgbGreen) << "width " << width << " at " << x << "," << y;
                EXPECT_EQ(p[2], expected.rgbRed) << "width " << width << " at " << x << "," << y;
            }
        }
    }
}

TEST(ImageOps, CropDisplayBitmapCutsTheInclusiveRectangleFromBottomUpRows) {
    for (uint32_t bits : {8u, 24u}) {
        TestBitmap source(9, 7, bits);
        fillPattern(&source, bits);
        const PixelRect rect = {2, 1, 6, 4};  // 5 × 4
        TestBitmap cut(cropDisplayBitmap(rect, source.pixels, 9, 7, bits), 5, 4, bits);
        ASSERT_NE(cut.pixels, nullptr);
        for (uint32_t y = 0; y < 4; ++y) {
            for (uint32_t x = 0; x < 5; ++x) {
                EXPECT_EQ(memcmp(cut.at(x, y), source.at(x + 2, y + 1), bits / 8), 0)
                    << bits << " bits at " << x << "," << y;
            }
        }
    }
}

TEST(ImageOps, CropDisplayBitmapRefusesRectanglesOutsideThePictureAndOtherBitCounts) {
    TestBitmap source(9, 7, 24);
    EXPECT_EQ(cropDisplayBitmap({0, 0, 9, 6}, source.pixels, 9, 7, 24), nullptr);   // one column past
    EXPECT_EQ(cropDisplayBitmap({0, 0, 8, 7}, source.pixels, 9, 7, 24), nullptr);   // one row past
    EXPECT_EQ(cropDisplayBitmap({5, 0, 4, 6}, source.pixels, 9, 7, 24), nullptr);   // left after right
    EXPECT_EQ(cropDisplayBitmap({0, 0, 8, 6}, source.pixels, 9, 7, 16), nullptr);
    TestBitmap whole(cropDisplayBitmap({0, 0, 8, 6}, source.pixels, 9, 7, 24), 9, 7, 24);
    EXPECT_NE(whole.pixels, nullptr);
}

TEST(ImageOps, AreaAveragingMatchesAnExactAreaMeanWithinOneLevel) {
    struct Size {
        uint32_t w, h, newW, newH;
    };
    const Size sizes[] = {{800, 600, 160, 120}, {600, 800, 120, 160}, {333, 97, 160, 47},
                          {161, 50, 160, 50},   {1000, 3, 160, 1},    {50, 480, 17, 160},
                          {400, 400, 160, 160}, {7, 5, 3, 2}};
    for (const Size& size : sizes) {
        for (int content = 0; content < 2; ++content) {
            TestBitmap source(size.w, size.h, 24);
            if (content == 0) fillPhoto(&source); else fillPattern(&source, size.w);
            TestBitmap reduced(reduceByAreaAveraging(source.pixels, size.w, size.h, size.newW, size.newH), size.newW,
                               size.newH, 24);
            ASSERT_NE(reduced.pixels, nullptr);
            std::vector<double> expected = referenceReduction(source, size.newW, size.newH);
            double total = 0, worst = 0;
            for (uint32_t y = 0; y < size.newH; ++y) {
                for (uint32_t x = 0; x < size.newW; ++x) {
                    for (int c = 0; c < 3; ++c) {
                        double diff = std::fabs(reduced.at(x, y)[c] - expected[(size_t(y) * size.newW + x) * 3 + c]);
                        total += diff;
                        worst = std::fmax(worst, diff);
                    }
                }
            }
            double mean = total / (size.newW * size.newH * 3.0);
            EXPECT_LE(mean, 1.0) << size.w << "x" << size.h << " -> " << size.newW << "x" << size.newH
                                 << " content " << content << " worst " << worst;
        }
    }
}

// Sizes with a footprint just above one sample, or far above, push the carried sums to the table's ends;
// the rounded carries may move a uniform level by one, never more.
TEST(ImageOps, AreaAveragingKeepsUniformPicturesWithinOneLevelAtAnyRatio) {
    for (uint8_t level : {uint8_t(0), uint8_t(1), uint8_t(128), uint8_t(254), uint8_t(255)}) {
        for (uint32_t n : {2u, 3u, 161u, 999u, 4001u}) {
            const uint32_t m = n > 160 ? 160 : n - 1;
            TestBitmap source(n, 2, 24);
            for (uint32_t x = 0; x < n; ++x) memset(source.at(x, 0), level, 3), memset(source.at(x, 1), level, 3);
            TestBitmap reduced(reduceByAreaAveraging(source.pixels, n, 2, m, 1), m, 1, 24);
            ASSERT_NE(reduced.pixels, nullptr);
            for (uint32_t x = 0; x < m; ++x) {
                ASSERT_LE(std::abs(reduced.at(x, 0)[0] - level), 1) << "level " << int(level) << " n " << n << " at " << x;
                ASSERT_LE(std::abs(reduced.at(x, 0)[2] - level), 1) << "level " << int(level) << " n " << n << " at " << x;
            }
        }
    }
}

TEST(ImageOps, AreaAveragingRefusesEmptyOrGrowingTargets) {
    TestBitmap source(10, 10, 24);
    EXPECT_EQ(reduceByAreaAveraging(source.pixels, 10, 10, 0, 5), nullptr);
    EXPECT_EQ(reduceByAreaAveraging(source.pixels, 10, 10, 5, 0), nullptr);
    EXPECT_EQ(reduceByAreaAveraging(source.pixels, 10, 10, 11, 5), nullptr);
}

// A picture decoded at a reduced scale ends inside its last column and row: only the part inside counts.
TEST(ImageOps, SpanAveragingWeighsTheLastColumnAndRowByThePartInside) {
    struct Size {
        uint32_t w, h;
        double spanW, spanH;
        uint32_t newW, newH;
    };
    const Size sizes[] = {{301, 201, 300.125, 200.875, 160, 107}, {226, 151, 225.375, 150.25, 160, 107},
                          {161, 3, 160.5, 2.25, 160, 2},          {11, 201, 10.75, 200.5, 10, 160},
                          {40, 30, 39.5, 30, 40 - 1, 30},         {9, 9, 8.125, 8.875, 3, 8}};
    for (const Size& size : sizes) {
        for (int content = 0; content < 2; ++content) {
            TestBitmap source(size.w, size.h, 24);
            if (content == 0) fillPhoto(&source); else fillPattern(&source, size.w);
            TestBitmap reduced(
                reduceSpanByAreaAveraging(source.pixels, size.w, size.h, size.spanW, size.spanH, size.newW, size.newH),
                size.newW, size.newH, 24);
            ASSERT_NE(reduced.pixels, nullptr) << size.w << "x" << size.h;
            std::vector<double> expected = referenceReduction(source, size.newW, size.newH, size.spanW, size.spanH);
            double total = 0, worst = 0;
            for (uint32_t y = 0; y < size.newH; ++y) {
                for (uint32_t x = 0; x < size.newW; ++x) {
                    for (int c = 0; c < 3; ++c) {
                        double diff = std::fabs(reduced.at(x, y)[c] - expected[(size_t(y) * size.newW + x) * 3 + c]);
                        total += diff;
                        worst = std::fmax(worst, diff);
                    }
                }
            }
            EXPECT_LE(total / (size.newW * size.newH * 3.0), 1.0)
                << size.spanW << "x" << size.spanH << " -> " << size.newW << "x" << size.newH << " content " << content;
            EXPECT_LE(worst, 2.5) << size.spanW << "x" << size.spanH << " content " << content;
        }
    }
}

TEST(ImageOps, SpanAveragingRefusesSpansOutsideTheLastPixelOrBelowTheTarget) {
    TestBitmap source(10, 10, 24);
    fillPattern(&source, 3);
    EXPECT_EQ(reduceSpanByAreaAveraging(source.pixels, 10, 10, 10.5, 10, 5, 5), nullptr) << "past the last column";
    EXPECT_EQ(reduceSpanByAreaAveraging(source.pixels, 10, 10, 9, 10, 5, 5), nullptr) << "the last column left out";
    EXPECT_EQ(reduceSpanByAreaAveraging(source.pixels, 10, 10, 10, 9.0, 5, 5), nullptr) << "the last row left out";
    EXPECT_EQ(reduceSpanByAreaAveraging(source.pixels, 10, 10, 9.5, 10, 10, 5), nullptr) << "below the target";
    // A whole span is the plain reduction, byte for byte.
    TestBitmap plain(reduceByAreaAveraging(source.pixels, 10, 10, 7, 3), 7, 3, 24);
    TestBitmap spanned(reduceSpanByAreaAveraging(source.pixels, 10, 10, 10, 10, 7, 3), 7, 3, 24);
    ASSERT_TRUE(plain.pixels && spanned.pixels);
    EXPECT_EQ(memcmp(plain.pixels, spanned.pixels, bitmapStride(7, 24) * 3), 0);
}
