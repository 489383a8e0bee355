#include "engine/WindowRead.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/JpegIo.h"

namespace {

std::vector<uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

// SOI, the given segments, then a baseline frame header of 300 x 200.
std::vector<uint8_t> fileWith(const std::vector<uint8_t>& before) {
    std::vector<uint8_t> file = bytes({0xFF, 0xD8});
    file.insert(file.end(), before.begin(), before.end());
    const std::vector<uint8_t> frame = bytes({0xFF, 0xC0, 0x00, 0x11, 8, 0x00, 200, 0x01, 0x2C, 3, 1, 0x22, 0, 2,
                                              0x11, 1, 3, 0x11, 1});
    file.insert(file.end(), frame.begin(), frame.end());
    return file;
}

}  // namespace

// Where the frame header's height lies, only when every segment before it is laid out cleanly: anything
// else reads the whole picture, as the library would.
TEST(WindowRead, FrameHeightIsFoundOnlyBehindCleanSegments) {
    struct Case {
        const char* what;
        std::vector<uint8_t> before;
        uint32_t expected;  // 0: not found
    } cases[] = {
        {"frame right after SOI", {}, 7},
        {"after an APP0", bytes({0xFF, 0xE0, 0x00, 0x04, 1, 2}), 13},
        {"fill bytes before a marker", bytes({0xFF, 0xFF, 0xFF, 0xE1, 0x00, 0x02}), 13},
        {"after tables", bytes({0xFF, 0xDB, 0x00, 0x03, 0, 0xFF, 0xC4, 0x00, 0x02}), 16},
        {"garbage between segments", bytes({0x00, 0xFF, 0xE0, 0x00, 0x02}), 0},
        {"a restart marker before the frame", bytes({0xFF, 0xD0}), 0},
        {"a scan before the frame", bytes({0xFF, 0xDA, 0x00, 0x02}), 0},
        {"a length below 2", bytes({0xFF, 0xE0, 0x00, 0x01}), 0},
        {"a length past the end", bytes({0xFF, 0xE0, 0x7F, 0xFF}), 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> file = fileWith(c.before);
        EXPECT_EQ(frameHeightOffset(file.data(), uint32_t(file.size())), c.expected) << c.what;
    }
    std::vector<uint8_t> file = fileWith({});
    EXPECT_EQ(frameHeightOffset(file.data(), 10), 0u) << "a frame header cut short";
    EXPECT_EQ(frameHeightOffset(bytes({0xFF, 0xD9, 0xFF, 0xC0}).data(), 4), 0u) << "no SOI";

    // The height is rewritten only when the header holds what the library read.
    EXPECT_FALSE(cutFrame(file.data(), uint32_t(file.size()), 300, 201, 64));
    EXPECT_FALSE(cutFrame(file.data(), uint32_t(file.size()), 301, 200, 64));
    EXPECT_FALSE(cutFrame(file.data(), uint32_t(file.size()), 300, 200, 200));
    EXPECT_EQ(file[7], 0x00);
    EXPECT_EQ(file[8], 200);
    EXPECT_TRUE(cutFrame(file.data(), uint32_t(file.size()), 300, 200, 64));
    EXPECT_EQ(file[7], 0x00);
    EXPECT_EQ(file[8], 64);
    EXPECT_EQ(file[9], 0x01) << "the width stays";
}

// The skip passes stuffed zeros, restart markers and fill bytes, and stops at the 0xFF of the next real
// marker; with none left the source is used up, so the inserted end of image follows.
TEST(WindowRead, SkipStopsAtTheNextMarkerThatIsNotARestart) {
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
        long expected;  // offset where the source is left; -1 used up
    } cases[] = {
        {"plain data then EOI", bytes({1, 2, 3, 0xFF, 0xD9}), 3},
        {"stuffed zeros", bytes({0xFF, 0x00, 7, 0xFF, 0x00, 0xFF, 0xDA}), 5},
        {"restart markers", bytes({5, 0xFF, 0xD0, 6, 0xFF, 0xD7, 0xFF, 0xC4}), 6},
        {"fill bytes before a marker", bytes({9, 0xFF, 0xFF, 0xFF, 0xDA}), 3},
        {"at a marker already", bytes({0xFF, 0xDB, 0, 4}), 0},
        {"no marker left", bytes({1, 0xFF, 0x00, 0xFF, 0xD1, 2}), -1},
        {"ends in 0xFF", bytes({1, 2, 0xFF}), -1},
        {"nothing", {}, -1},
    };
    for (const Case& c : cases) {
        jpeg_decompress_struct decompressor{};
        jpeg_error_mgr errors{};
        decompressor.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&decompressor);
        installMemorySource(&decompressor, c.data.data(), uint32_t(c.data.size()));
        skipToNextMarker(&decompressor, nullptr);
        if (c.expected < 0) {
            EXPECT_EQ(decompressor.src->bytes_in_buffer, 0u) << c.what;
        } else {
            EXPECT_EQ(decompressor.src->next_input_byte, c.data.data() + c.expected) << c.what;
            EXPECT_EQ(decompressor.src->bytes_in_buffer, c.data.size() - size_t(c.expected)) << c.what;
        }
        jpeg_destroy_decompress(&decompressor);
    }
}
