#include "view/ShadedDisplay.h"

#include <gtest/gtest.h>

#include <vector>

#include "view/CropEditor.h"

TEST(ShadedDisplay, OutsideIsShadedInsideCopiedRowsBottomUp) {
    const int32_t width = 5, height = 4;
    const uint32_t stride = stride24(width);
    ASSERT_EQ(stride, 16u);
    std::vector<uint8_t> source(stride * height + 4);
    for (size_t i = 0; i < source.size(); i++) source[i] = static_cast<uint8_t>(37 + i * 7);
    const CropRect rect{1, 1, 3, 2};
    const int settings[] = {1, 3, 0, 128, 255};
    for (int setting : settings) {
        uint8_t table[256];
        buildShadeTable(table, setting);
        std::vector<uint8_t> dest(source.size(), 0xEE);
        shadeOutsideCrop(source.data(), dest.data(), width, height, rect, table);
        for (int32_t row = 0; row < height; row++) {
            for (int32_t col = 0; col < width; col++) {
                bool inside = col >= rect.left && col <= rect.right && row >= rect.top && row <= rect.bottom;
                size_t at = (height - 1 - row) * stride + col * 3;
                for (int b = 0; b < 3; b++) {
                    uint8_t v = source[at + b];
                    ASSERT_EQ(dest[at + b], inside ? v : table[v])
                        << "setting " << setting << " pixel " << col << "," << row << " byte " << b;
                }
            }
        }
    }
}

TEST(ShadedDisplay, GreyAndEighthShadesLookAsNamed) {
    const int32_t width = 3, height = 2;
    std::vector<uint8_t> source(stride24(width) * height + 4, 200);
    std::vector<uint8_t> dest(source.size());
    uint8_t table[256];
    buildShadeTable(table, 128);
    shadeOutsideCrop(source.data(), dest.data(), width, height, CropRect{0, 0, 0, 0}, table);
    EXPECT_EQ(dest[0], 128);             // stored row 0 is the bottom row: outside
    EXPECT_EQ(dest[stride24(width)], 200);  // top-left pixel: inside
    EXPECT_EQ(dest[stride24(width) + 3], 128);
    buildShadeTable(table, 3);
    shadeOutsideCrop(source.data(), dest.data(), width, height, CropRect{0, 0, 0, 0}, table);
    EXPECT_EQ(dest[0], 25);
}
