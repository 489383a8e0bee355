#include "engine/ExifThumbnail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "CropTestSupport.h"
#include "engine/CropThumbnail.h"
#include "engine/DecodedImage.h"
#include "engine/ImageOps.h"
#include "engine/LoadPicture.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

// The thumbnail as a reader of the file finds it: first Exif APP1, IFD0, IFD1, tags 0x0201 and 0x0202.
struct ThumbnailInFile {
    bool found = false;
    size_t segmentStart = 0;  // the length field
    uint32_t segmentLength = 0;
    uint32_t offset = 0;
    uint32_t length = 0;
    std::vector<uint8_t> bytes;
};

ThumbnailInFile thumbnailIn(const std::vector<uint8_t>& file) {
    ThumbnailInFile out;
    size_t at = 2;
    while (at + 10 <= file.size() && file[at] == 0xFF && file[at + 1] != 0xDA) {
        const uint32_t length = exifGet16(&file[at + 2], true);
        if (file[at + 1] == 0xE1 && memcmp(&file[at + 4], "Exif\0\0", 6) == 0) {
            out.segmentStart = at + 2;
            out.segmentLength = length;
            const size_t tiff = at + 10;
            const bool be = file[tiff] == 'M';
            const uint32_t ifd0 = exifGet32(&file[tiff + 4], be);
            const uint32_t ifd1 = exifGet32(&file[tiff + ifd0 + 2 + 12 * exifGet16(&file[tiff + ifd0], be)], be);
            if (ifd1 == 0) return out;
            const uint32_t entries = exifGet16(&file[tiff + ifd1], be);
            for (uint32_t i = 0; i < entries; ++i) {
                const uint8_t* entry = &file[tiff + ifd1 + 2 + 12 * i];
                if (exifGet16(entry, be) == 0x0201) out.offset = exifGet32(entry + 8, be);
                if (exifGet16(entry, be) == 0x0202) out.length = exifGet32(entry + 8, be);
            }
            if (out.offset == 0 || tiff + out.offset + out.length > file.size()) return out;
            out.found = true;
            out.bytes.assign(file.begin() + tiff + out.offset, file.begin() + tiff + out.offset + out.length);
            return out;
        }
        at += 2 + length;
    }
    return out;
}

// A solid grey picture stands for the thumbnail of the whole, uncropped photograph.
std::vector<uint8_t> oldThumbnail() {
    TestJpegOptions options;
    options.width = 160;
    options.height = 120;
    options.solid = {128, 128, 128};
    return makeTestJpeg(options);
}

std::vector<uint8_t> photoWithExif(int width, int height, bool bigEndian, const std::vector<uint8_t>& thumbnail,
                                   uint32_t padding = 0) {
    ExifOptions exif;
    exif.bigEndian = bigEndian;
    exif.pixelWidth = width;
    exif.pixelHeight = height;
    exif.thumbnail = thumbnail;
    exif.paddingBeforeThumbnail = padding;
    TestJpegOptions options;
    options.width = width;
    options.height = height;
    options.writeJfif = false;
    options.markers = {exifMarker(exif), commentMarker("after the Exif segment")};
    return makeTestJpeg(options);
}

// A shown picture of any size without decoding one: a diagonal colour pattern.
DecodedImage* syntheticPicture(uint32_t width, uint32_t height, uint32_t bitCount) {
    auto* image = static_cast<DecodedImage*>(calloc(1, sizeof(DecodedImage)));
    image->header = makeBitmapHeader(width, height, bitCount);
    image->pixels = allocateBitmap(width, height, bitCount);
    fillGreyPalette(image->palette);
    const uint32_t stride = bitmapStride(width, bitCount);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width * bitCount / 8; ++x) image->pixels[y * stride + x] = uint8_t((x / 3 + y) * 255 / (width + height));
    }
    return image;
}

struct Picture {
    DecodedImage* image;
    explicit Picture(DecodedImage* shown) : image(shown) {}
    ~Picture() { freeDecodedImage(image); }
};

// Mean absolute difference between a decoded thumbnail and the exact area reduction of a decoded picture
// (both BGR, top-down), compared over 4 × 4 cells of the thumbnail: the thumbnail's own JPEG loss on a
// busy test picture averages out there, a wrong picture does not.
double differenceFromReduction(const TestPixels& thumbnail, const TestPixels& picture) {
    const double dx = double(picture.width) / thumbnail.width, dy = double(picture.height) / thumbnail.height;
    std::vector<double> reference(size_t(thumbnail.width) * thumbnail.height * 3);
    for (int ty = 0; ty < thumbnail.height; ++ty) {
        for (int tx = 0; tx < thumbnail.width; ++tx) {
            double sum[3] = {0, 0, 0}, area = 0;
            for (int y = int(ty * dy); y < picture.height && y < (ty + 1) * dy; ++y) {
                double wy = std::fmin(y + 1.0, (ty + 1) * dy) - std::fmax(double(y), ty * dy);
                for (int x = int(tx * dx); x < picture.width && x < (tx + 1) * dx; ++x) {
                    double w = wy * (std::fmin(x + 1.0, (tx + 1) * dx) - std::fmax(double(x), tx * dx));
                    for (int c = 0; c < 3; ++c) sum[c] += w * picture.samples[(size_t(y) * picture.width + x) * 3 + c];
                    area += w;
                }
            }
            for (int c = 0; c < 3; ++c) reference[(size_t(ty) * thumbnail.width + tx) * 3 + c] = sum[c] / area;
        }
    }
    double total = 0;
    int cells = 0;
    for (int cy = 0; cy + 4 <= thumbnail.height; cy += 4) {
        for (int cx = 0; cx + 4 <= thumbnail.width; cx += 4) {
            for (int c = 0; c < 3; ++c) {
                double shown = 0, expected = 0;
                for (int y = cy; y < cy + 4; ++y) {
                    for (int x = cx; x < cx + 4; ++x) {
                        shown += thumbnail.samples[(size_t(y) * thumbnail.width + x) * 3 + c];
                        expected += reference[(size_t(y) * thumbnail.width + x) * 3 + c];
                    }
                }
                total += std::fabs(shown - expected) / 16;
            }
            ++cells;
        }
    }
    return total / (cells * 3.0);
}

// Overwrites the first IFD1 tag `from` with `to` (the IFD1 entries of the test Exif data follow 0x0103).
void renameIfd1Tag(std::vector<uint8_t>* file, uint16_t from, uint16_t to, bool bigEndian) {
    for (size_t i = 0; i + 38 < file->size(); ++i) {
        if (exifGet16(&(*file)[i], bigEndian) != 0x0103 || exifGet16(&(*file)[i + 2], bigEndian) != 3) continue;
        for (size_t entry = i + 12; entry <= i + 24; entry += 12) {
            if (exifGet16(&(*file)[entry], bigEndian) != from) continue;
            (*file)[entry] = uint8_t(bigEndian ? to >> 8 : to);
            (*file)[entry + 1] = uint8_t(bigEndian ? to : to >> 8);
            return;
        }
    }
    FAIL() << "IFD1 tag not found";
}

}  // namespace

TEST(ExifThumbnail, ThumbnailSizeFollowsTheLongerSideOfTheShownPicture) {
    struct Case {
        uint32_t width, height, bitCount;
        int thumbnailWidth, thumbnailHeight;
    };
    const Case cases[] = {{4000, 3000, 24, 160, 120}, {3000, 4000, 24, 120, 160}, {100, 80, 24, 100, 80},
                          {161, 50, 24, 160, 50},     {50, 161, 24, 50, 160},     {400, 300, 8, 160, 120},
                          {100, 80, 8, 100, 80}};
    TempDir dir;
    for (const Case& c : cases) {
        std::string label = std::to_string(c.width) + "x" + std::to_string(c.height) + "/" + std::to_string(c.bitCount);
        std::string path = dir.file("out.jpg");
        writeFileBytes(path, photoWithExif(64, 48, false, oldThumbnail()));
        Picture shown(syntheticPicture(c.width, c.height, c.bitCount));
        ASSERT_TRUE(regenerateExifThumbnail(u16(path).c_str(), shown.image, false)) << label;
        ThumbnailInFile thumbnail = thumbnailIn(readFileBytes(path));
        ASSERT_TRUE(thumbnail.found) << label;
        TestJpegContents contents = readTestJpeg(thumbnail.bytes);
        ASSERT_TRUE(contents.ok) << label << ": " << contents.error;
        EXPECT_EQ(contents.width, c.thumbnailWidth) << label;
        EXPECT_EQ(contents.height, c.thumbnailHeight) << label;
        ASSERT_EQ(contents.components.size(), 3u) << label;
        EXPECT_EQ(contents.components[0].hSamp, 2) << label;
        EXPECT_EQ(contents.components[0].vSamp, 2) << label;
        EXPECT_FALSE(contents.progressive) << label;
    }
}

TEST(ExifThumbnail, GrayscaleSaveGivesAOneComponentThumbnail) {
    TempDir dir;
    std::string path = dir.file("out.jpg");
    writeFileBytes(path, photoWithExif(64, 48, true, oldThumbnail()));
    Picture shown(syntheticPicture(640, 480, 24));
    ASSERT_TRUE(regenerateExifThumbnail(u16(path).c_str(), shown.image, true));
    TestJpegContents contents = readTestJpeg(thumbnailIn(readFileBytes(path)).bytes);
    ASSERT_TRUE(contents.ok);
    EXPECT_EQ(contents.components.size(), 1u);
    EXPECT_EQ(contents.colorSpace, JCS_GRAYSCALE);
}

TEST(ExifThumbnail, PictureWhoseThumbnailWouldHaveNoHeightKeepsTheOldOne) {
    TempDir dir;
    std::string path = dir.file("out.jpg");
    std::vector<uint8_t> before = photoWithExif(64, 48, false, oldThumbnail());
    writeFileBytes(path, before);
    Picture shown(syntheticPicture(2000, 2, 24));
    EXPECT_FALSE(regenerateExifThumbnail(u16(path).c_str(), shown.image, false));
    EXPECT_EQ(readFileBytes(path), before);
}

TEST(ExifThumbnail, FilesWithoutAReplaceableThumbnailAreLeftAlone) {
    TempDir dir;
    Picture shown(syntheticPicture(320, 240, 24));
    for (bool be : {false, true}) {
        std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
        files.push_back({"no IFD1", photoWithExif(64, 48, be, {})});
        std::vector<uint8_t> noOffset = photoWithExif(64, 48, be, oldThumbnail());
        renameIfd1Tag(&noOffset, 0x0201, 0x011A, be);
        files.push_back({"IFD1 without 0x0201", noOffset});
        std::vector<uint8_t> noLength = photoWithExif(64, 48, be, oldThumbnail());
        renameIfd1Tag(&noLength, 0x0202, 0x011A, be);
        files.push_back({"IFD1 without 0x0202", noLength});
        TestJpegOptions plain;
        files.push_back({"no Exif", makeTestJpeg(plain)});
        for (const auto& [label, bytes] : files) {
            std::string path = dir.file("out.jpg");
            writeFileBytes(path, bytes);
            EXPECT_FALSE(regenerateExifThumbnail(u16(path).c_str(), shown.image, false)) << label << (be ? " BE" : " LE");
            EXPECT_EQ(readFileBytes(path), bytes) << label << (be ? " BE" : " LE");
        }
    }
}

TEST(ExifThumbnail, NewSegmentLengthIsTheBytesBeforeTheThumbnailPlusTheNewThumbnailPlusTwo) {
    TempDir dir;
    Picture shown(syntheticPicture(800, 600, 24));
    for (bool be : {false, true}) {
        std::string path = dir.file("out.jpg");
        std::vector<uint8_t> before = photoWithExif(96, 64, be, oldThumbnail());
        writeFileBytes(path, before);
        ThumbnailInFile old = thumbnailIn(before);
        ASSERT_TRUE(old.found);
        ASSERT_TRUE(regenerateExifThumbnail(u16(path).c_str(), shown.image, false));
        std::vector<uint8_t> after = readFileBytes(path);
        ThumbnailInFile now = thumbnailIn(after);
        ASSERT_TRUE(now.found);
        EXPECT_EQ(now.offset, old.offset) << "the offset stays";
        EXPECT_NE(now.length, old.length);
        EXPECT_EQ(now.segmentLength, 6 + now.offset + now.length + 2) << (be ? "BE" : "LE");
        // The thumbnail is the whole rest of the segment and a complete JPEG.
        ASSERT_GE(now.length, 4u);
        EXPECT_EQ(now.bytes[0], 0xFF);
        EXPECT_EQ(now.bytes[1], 0xD8);
        EXPECT_EQ(now.bytes[now.length - 2], 0xFF);
        EXPECT_EQ(now.bytes[now.length - 1], 0xD9);
        // Before the thumbnail only the length entry changed; after the segment nothing changed.
        const size_t oldEnd = old.segmentStart + old.segmentLength, newEnd = now.segmentStart + now.segmentLength;
        EXPECT_TRUE(std::equal(before.begin() + oldEnd, before.end(), after.begin() + newEnd, after.end()));
        size_t differing = 0;
        for (size_t i = 0; i < old.segmentStart + 8 + old.offset; ++i) differing += before[i] != after[i];
        EXPECT_LE(differing, 2u + 4u) << "segment length and thumbnail length only";
        TestPixels original = decodeTestJpeg(before), rewritten = decodeTestJpeg(after);
        ASSERT_TRUE(rewritten.ok);
        EXPECT_EQ(original.samples, rewritten.samples);
    }
}

// The whole road of a save: crop the file losslessly, cut the shown picture the same way, regenerate.
TEST(ExifThumbnail, CroppedSaveGetsAThumbnailOfTheCropReadableByExiftool) {
    TempDir dir;
    for (bool be : {false, true}) {
        const char* order = be ? "BE" : "LE";
        std::string source = dir.file(be ? "source-be.jpg" : "source-le.jpg");
        std::string output = dir.file(be ? "out-be.jpg" : "out-le.jpg");
        writeFileBytes(source, photoWithExif(640, 480, be, oldThumbnail()));
        CropResult crop = runCropOnFile(source, output, window(64, 32, 400, 300));
        ASSERT_TRUE(crop.ok) << crop.errorText;
        DecodedImage* shown = nullptr;
        ASSERT_TRUE(loadPictureFile(&shown, u16(source).c_str()));
        ASSERT_TRUE(installCroppedPicture(shown, {64, 32, 463, 331}));
        bool regenerated = regenerateExifThumbnail(u16(output).c_str(), shown, false);
        releasePicture(&shown);
        ASSERT_TRUE(regenerated) << order;

        std::vector<uint8_t> thumbnail = thumbnailIn(readFileBytes(output)).bytes;
#ifndef _WIN32
        std::string extracted = dir.file("thumb.jpg");
        std::string command = "exiftool -b -ThumbnailImage '" + output + "' > '" + extracted + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_EQ(readFileBytes(extracted), thumbnail) << order << ": exiftool reads the same thumbnail";
#endif
        TestPixels small = decodeTestJpeg(thumbnail, JCS_EXT_BGR);
        TestPixels cropped = decodeTestJpeg(readFileBytes(output), JCS_EXT_BGR);
        TestPixels whole = decodeTestJpeg(readFileBytes(source), JCS_EXT_BGR);
        ASSERT_TRUE(small.ok && cropped.ok && whole.ok) << order;
        ASSERT_EQ(small.width, 160) << order;
        ASSERT_EQ(small.height, 120) << order;
        double toCrop = differenceFromReduction(small, cropped);
        double toWhole = differenceFromReduction(small, whole);
        // The test picture's saturated stripes cost a few levels in a quality-80 4:2:0 thumbnail.
        EXPECT_LE(toCrop, 8.0) << order << ": the thumbnail shows the crop; whole " << toWhole;
        EXPECT_GT(toWhole, 4 * toCrop) << order << ": and not the whole picture";
    }
}

TEST(ExifThumbnail, QualitySearchEndsOnTheHighestQualityThatFits) {
    Picture shown(syntheticPicture(160, 120, 24));
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 480; ++x) shown.image->pixels[y * 480 + x] = uint8_t((x * 37 + y * 11 + (x * y) % 53) & 0xFF);
    }
    std::vector<uint8_t> buffer(kExifSegmentMax + 16, 0xEE);
    auto encodeAt = [&](int quality) {
        ThumbnailEncoder encoder;
        encoder.width = 160;
        encoder.height = 120;
        encoder.stride = bitmapStride(160, 24);
        encoder.quality = quality;
        encoder.output = buffer.data();
        encoder.capacity = kExifSegmentMax;
        EXPECT_TRUE(encodeThumbnail(&encoder, shown.image->pixels)) << quality;
        return std::vector<uint8_t>(buffer.begin(), buffer.begin() + encoder.produced);
    };
    auto search = [&](uint32_t limit, uint32_t capacity, uint32_t* size) {
        ThumbnailEncoder encoder;
        encoder.width = 160;
        encoder.height = 120;
        encoder.stride = bitmapStride(160, 24);
        *size = capacity;
        bool ok = encodeWithinSize(&encoder, buffer.data(), size, shown.image->palette, shown.image->pixels, limit);
        textFree(&encoder.errorText);
        return ok;
    };
    std::vector<uint8_t> at53 = encodeAt(53), at54 = encodeAt(54), at80 = encodeAt(80), at1 = encodeAt(1);
    ASSERT_LT(at53.size(), at54.size());
    ASSERT_LT(at54.size(), at80.size());

    // 80, 60, 55 and 54 too large; 40, 50 and 53 fit: the search settles on 53.
    uint32_t size = 0;
    ASSERT_TRUE(search(static_cast<uint32_t>(at53.size()), kExifSegmentMax, &size));
    EXPECT_EQ(size, at53.size());
    EXPECT_TRUE(std::equal(at53.begin(), at53.end(), buffer.begin())) << "the buffer holds the last encoding";

    ASSERT_TRUE(search(static_cast<uint32_t>(at80.size()), kExifSegmentMax, &size));
    EXPECT_EQ(size, at80.size());

    // An even answer: 80, 60 and 55 too large; 40, 50, 53 and 54 fit.
    ASSERT_TRUE(search(static_cast<uint32_t>(at54.size()), kExifSegmentMax, &size));
    EXPECT_EQ(size, at54.size());
    EXPECT_TRUE(std::equal(at54.begin(), at54.end(), buffer.begin()));

    // Not even quality 1 fits the limit, or quality 80 the buffer: no thumbnail, nothing past the buffer.
    EXPECT_FALSE(search(static_cast<uint32_t>(at1.size() - 1), kExifSegmentMax, &size));
    std::fill(buffer.begin(), buffer.end(), 0xEE);
    EXPECT_FALSE(search(kExifSegmentMax, static_cast<uint32_t>(at80.size() - 1), &size));
    EXPECT_EQ(buffer[at80.size() - 1], 0xEE) << "nothing written past the capacity";
}

TEST(ExifThumbnail, RoomLeftInTheSegmentDecidesTheNewThumbnail) {
    TempDir dir;
    std::string path = dir.file("out.jpg");
    Picture shown(syntheticPicture(160, 120, 24));
    // A made-up old thumbnail of 100 bytes, placed so far into the segment that only `room` bytes fit.
    std::vector<uint8_t> fake(100, 0x55);
    fake[0] = 0xFF, fake[1] = 0xD8, fake[98] = 0xFF, fake[99] = 0xD9;
    std::vector<uint8_t> probe = photoWithExif(64, 48, false, fake);
    const uint32_t offset = thumbnailIn(probe).offset;
    // What quality 80 gives when there is room enough.
    writeFileBytes(path, probe);
    ASSERT_TRUE(regenerateExifThumbnail(u16(path).c_str(), shown.image, false));
    const std::vector<uint8_t> atEighty = thumbnailIn(readFileBytes(path)).bytes;
    ASSERT_FALSE(atEighty.empty());
    struct Case {
        const char* label;
        uint32_t room;
        bool rewritten;
        bool eighty;  // the new thumbnail is the quality-80 one
    };
    const Case cases[] = {
        {"exactly the quality-80 size: the segment ends at 0xFFF7", uint32_t(atEighty.size()), true, true},
        {"one byte less: a lower quality", uint32_t(atEighty.size() - 1), true, false},
        {"not even quality 1 fits: the old one stays", 150, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<uint8_t> before = photoWithExif(64, 48, false, fake, 0xFFF7 - c.room - offset);
        ASSERT_EQ(thumbnailIn(before).offset, 0xFFF7u - c.room);
        writeFileBytes(path, before);
        EXPECT_EQ(regenerateExifThumbnail(u16(path).c_str(), shown.image, false), c.rewritten);
        const std::vector<uint8_t> after = readFileBytes(path);
        if (!c.rewritten) {
            EXPECT_EQ(after, before);
            continue;
        }
        ThumbnailInFile thumbnail = thumbnailIn(after);
        ASSERT_TRUE(thumbnail.found);
        EXPECT_LE(thumbnail.bytes.size(), c.room);
        EXPECT_LE(thumbnail.segmentLength, 0xFFFFu);
        EXPECT_EQ(thumbnail.bytes == atEighty, c.eighty);
        EXPECT_TRUE(readTestJpeg(thumbnail.bytes).ok);
    }
}

TEST(ExifThumbnail, RewriteThatFailsPartWayLeavesTheFileAsItWas) {
#ifdef _WIN32
    GTEST_SKIP() << "the failing write is made with a POSIX file size limit";
#else
    TempDir dir;
    std::string path = dir.file("out.jpg");
    std::vector<uint8_t> fake(100, 0x55);
    fake[0] = 0xFF, fake[1] = 0xD8, fake[98] = 0xFF, fake[99] = 0xD9;
    std::vector<uint8_t> before = photoWithExif(64, 48, false, fake);
    writeFileBytes(path, before);
    Picture shown(syntheticPicture(640, 480, 24));
    // The new thumbnail is larger than the old: the file may grow by 50 bytes, then writes fail.
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = before.size() + 50;
    setrlimit(RLIMIT_FSIZE, &limited);
    bool rewritten = regenerateExifThumbnail(u16(path).c_str(), shown.image, false);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_FALSE(rewritten);
    std::vector<uint8_t> after = readFileBytes(path);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(after, before);
    // Without the limit the same rewrite succeeds, so the failure above came from the write.
    EXPECT_TRUE(regenerateExifThumbnail(u16(path).c_str(), shown.image, false));
#endif
}

TEST(ExifThumbnail, LocateExifSegmentFindsTheFirstApp1ThatIsExif) {
    TestJpegOptions options;
    options.markers = {appMarker(0, std::string("JFIF\0\1\2\0\0\1\0\1\0\0", 14)), exifMarker(ExifOptions())};
    std::vector<uint8_t> file = makeTestJpeg(options);
    ExifSegmentPlace place;
    ASSERT_TRUE(locateExifSegment(file.data(), uint32_t(file.size()), &place));
    EXPECT_EQ(file[place.start - 1], 0xE1);
    EXPECT_EQ(memcmp(&file[place.start + 2], "Exif\0\0", 6), 0);
    EXPECT_EQ(place.end - place.start, exifGet16(&file[place.start], true));

    // Photo-management software puts XMP first; a too-short "Exif" APP1 is not one either.
    options.markers = {xmpMarker(), appMarker(1, std::string("Exif\0\0II*\0", 10)), exifMarker(ExifOptions())};
    file = makeTestJpeg(options);
    ASSERT_TRUE(locateExifSegment(file.data(), uint32_t(file.size()), &place)) << "XMP first";
    EXPECT_EQ(place.end - place.start, exifGet16(&file[place.start], true));
    EXPECT_EQ(place.end - place.start, 2 + makeExifData(ExifOptions()).size());

    options.markers = {commentMarker("no Exif")};
    file = makeTestJpeg(options);
    EXPECT_FALSE(locateExifSegment(file.data(), uint32_t(file.size()), &place)) << "stops at SOS";

    options.markers = {exifMarker(ExifOptions())};
    file = makeTestJpeg(options);
    ASSERT_TRUE(locateExifSegment(file.data(), uint32_t(file.size()), &place));
    EXPECT_FALSE(locateExifSegment(file.data(), place.end - 1, &place)) << "segment past the end";

    // A segment claiming a length of 1 before the Exif APP1: the structure is broken, nothing is found.
    const std::vector<uint8_t> broken = {0xFF, 0xE0, 0x00, 0x01};
    file.insert(file.begin() + 2, broken.begin(), broken.end());
    EXPECT_FALSE(locateExifSegment(file.data(), uint32_t(file.size()), &place)) << "length below 2";
}

// With XMP before the Exif segment, a crop's saved file still gets a thumbnail of the crop, not the old
// thumbnail of the whole picture; a file with one Exif segment and no XMP gets the very same bytes.
TEST(ExifThumbnail, ThumbnailAfterAnXmpSegmentIsReplacedToo) {
    TempDir dir;
    Picture shown(syntheticPicture(320, 240, 24));
    ExifOptions exif;
    exif.thumbnail = oldThumbnail();
    TestJpegOptions options;
    options.writeJfif = false;
    options.markers = {exifMarker(exif), commentMarker("c")};
    const std::string plainPath = dir.file("plain.jpg"), xmpPath = dir.file("xmp.jpg");
    writeFileBytes(plainPath, makeTestJpeg(options));
    options.markers.insert(options.markers.begin(), xmpMarker());
    writeFileBytes(xmpPath, makeTestJpeg(options));
    ASSERT_TRUE(regenerateExifThumbnail(u16(plainPath).c_str(), shown.image, false));
    ASSERT_TRUE(regenerateExifThumbnail(u16(xmpPath).c_str(), shown.image, false));
    ThumbnailInFile plain = thumbnailIn(readFileBytes(plainPath)), xmp = thumbnailIn(readFileBytes(xmpPath));
    ASSERT_TRUE(plain.found && xmp.found);
    EXPECT_NE(xmp.bytes, oldThumbnail());
    EXPECT_EQ(xmp.bytes, plain.bytes);
    EXPECT_EQ(readTestJpeg(xmp.bytes).width, 160);
}

// Exif segments cut short at every length: offsets then point past the segment or the file.
TEST(ExifThumbnail, DamagedExifDataNeverBreaksTheFile) {
    TempDir dir;
    Picture shown(syntheticPicture(320, 240, 24));
    for (bool be : {false, true}) {
        ExifOptions exif;
        exif.bigEndian = be;
        exif.thumbnail = oldThumbnail();
        std::vector<uint8_t> data = makeExifData(exif);
        for (size_t cut = 8; cut < data.size(); cut += (cut < 220 ? 3 : 397)) {
            TestJpegOptions options;
            options.writeJfif = false;
            TestMarker marker;
            marker.code = JPEG_APP0 + 1;
            marker.data.assign(data.begin(), data.begin() + cut);
            options.markers = {marker};
            std::vector<uint8_t> bytes = makeTestJpeg(options);
            std::string path = dir.file("out.jpg");
            writeFileBytes(path, bytes);
            regenerateExifThumbnail(u16(path).c_str(), shown.image, false);
            std::vector<uint8_t> after = readFileBytes(path);
            TestPixels original = decodeTestJpeg(bytes), now = decodeTestJpeg(after);
            ASSERT_TRUE(now.ok) << "cut at " << cut << (be ? " BE" : " LE");
            EXPECT_EQ(now.samples, original.samples) << "cut at " << cut;
        }
    }
}

namespace {

struct ThumbnailCase {
    const char* label;
    J_COLOR_SPACE space;
    int hSamp, vSamp;
    bool progressive;
    CropSettings crop;
    bool grayscale;
    double tolerance;  // of the mean difference; 0: the same bytes (a window small enough for full scale)
};

// Mean absolute difference of two decoded thumbnails of the same size, over every sample.
double meanDifference(const TestPixels& a, const TestPixels& b) {
    double total = 0;
    for (size_t i = 0; i < a.samples.size(); ++i) total += std::abs(int(a.samples[i]) - int(b.samples[i]));
    return total / double(a.samples.size());
}

// The window the engine wrote, in source pixels: the request's origin moved back to the output's grid.
PixelRect writtenWindow(const CropResult& crop, const CropSettings& settings, uint32_t width, uint32_t height) {
    if (!settings.crop) return {0, 0, width - 1, height - 1};
    const uint32_t left = crop.cropColumns * crop.cellWidth, top = crop.cropRows * crop.cellHeight;
    return {left, top, left + settings.width + settings.left % crop.cellWidth - 1,
            top + settings.height + settings.top % crop.cellHeight - 1};
}

// The thumbnail of `output` made the way the program makes it: the whole display decode, cut, averaged.
TestPixels thumbnailTheShownWay(const std::string& source, const std::string& output, const PixelRect& window,
                                bool grayscale) {
    DecodedImage* shown = nullptr;
    EXPECT_TRUE(loadPictureFile(&shown, u16(source).c_str()));
    EXPECT_TRUE(installCroppedPicture(shown, window));
    EXPECT_TRUE(regenerateExifThumbnail(u16(output).c_str(), shown, grayscale));
    releasePicture(&shown);
    return decodeTestJpeg(exifThumbnail(readFileBytes(output)), grayscale ? JCS_GRAYSCALE : JCS_EXT_BGR);
}

// The quadrant picture of a case, `scale` times its 1203 × 803 pixels, with an Exif thumbnail to renew.
TestJpegOptions quadrantPicture(const ThumbnailCase& c, uint32_t scale) {
    TestJpegOptions options;
    options.width = int(1203 * scale);
    options.height = int(803 * scale);
    options.colorSpace = c.space;
    options.hSamp = c.hSamp;
    options.vSamp = c.vSamp;
    options.progressive = c.progressive;
    options.writeJfif = false;
    options.splitX = int(507 * scale);
    options.splitY = int(311 * scale);
    options.quadrants = {{220, 40, 40, 30}, {40, 200, 60, 90}, {50, 60, 210, 0}, {230, 210, 40, 160}};
    ExifOptions exif;
    exif.thumbnail = oldThumbnail();
    options.markers = {exifMarker(exif)};
    return options;
}
}  // namespace

// Four coloured quadrants split off-centre, in each kind of source, cut at the split, across it, at the
// edges and whole: a window in the wrong place, a swapped axis or a wrong colour conversion gives a
// thumbnail far from the one the program makes from the displayed picture. The two are not the same bytes
// (a scaled decode is not an average of full pixels), but close. The command line's thumbnail from what
// the crop holds is checked on the picture three times as large, so that the larger windows take the DC
// terms (1/8 scale covers the thumbnail) and the smaller ones a decode of the output: within each case's
// tolerance of the reduced decode of the source (3.5 where that one equals the program's bytes).
TEST(ExifThumbnail, ThumbnailFromAReducedDecodeOrFromTheCropsBlocksMatchesTheShownPicturesOne) {
    const uint32_t width = 1203, height = 803;
    const CropSettings whole;
    // A picture's decode reduced to 2/8 to 7/8 is not a box average near hard edges (1/8 is): a
    // thumbnail only six rows high across the split shows that most.
    const ThumbnailCase cases[] = {
        {"4:2:0, across the middle", JCS_YCbCr, 2, 2, false, window(413, 250, 600, 400), false, 3.5},
        {"4:2:0, whole picture", JCS_YCbCr, 2, 2, false, whole, false, 3.5},
        {"4:2:0, one block at the split", JCS_YCbCr, 2, 2, false, window(504, 304, 8, 8), false, 0},
        {"4:2:0, small enough for full scale", JCS_YCbCr, 2, 2, false, window(433, 250, 150, 100), false, 0},
        {"4:2:0, bottom right, odd size", JCS_YCbCr, 2, 2, false, window(870, 582, 333, 221), false, 3.5},
        {"4:2:0, tall strip", JCS_YCbCr, 2, 2, false, window(480, 0, 50, 803), false, 3.5},
        {"4:2:0, grayscale save", JCS_YCbCr, 2, 2, false, window(413, 250, 600, 400), true, 3.5},
        {"4:2:0, grayscale save of the whole", JCS_YCbCr, 2, 2, false, whole, true, 3.5},
        {"4:2:2, across the middle", JCS_YCbCr, 2, 1, false, window(413, 250, 600, 400), false, 3.5},
        {"4:4:0, across the middle", JCS_YCbCr, 1, 2, false, window(413, 250, 600, 400), false, 3.5},
        {"4:4:0, bottom right, odd size", JCS_YCbCr, 1, 2, false, window(870, 582, 333, 221), false, 3.5},
        {"4:4:4, wide strip six rows high", JCS_YCbCr, 1, 1, false, window(0, 290, 1203, 41), false, 8},
        {"progressive 4:2:0, across the middle", JCS_YCbCr, 2, 2, true, window(413, 250, 600, 400), false, 3.5},
        {"progressive 4:2:2, whole picture", JCS_YCbCr, 2, 1, true, whole, false, 3.5},
        {"grey, across the middle", JCS_GRAYSCALE, 1, 1, false, window(413, 250, 600, 400), false, 3.5},
        {"grey, bottom right, odd size", JCS_GRAYSCALE, 1, 1, false, window(870, 582, 333, 221), false, 3.5},
        {"CMYK, across the middle", JCS_CMYK, 1, 1, false, window(413, 250, 600, 400), false, 3.5},
        {"CMYK, whole picture", JCS_CMYK, 1, 1, false, whole, false, 3.5},
        {"YCCK, across the middle", JCS_YCCK, 2, 2, false, window(413, 250, 600, 400), false, 3.5},
    };
    TempDir dir;
    for (const ThumbnailCase& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string source = dir.file("source.jpg"), shownWay = dir.file("a.jpg"), reducedWay = dir.file("b.jpg");
        writeFileBytes(source, makeTestJpeg(quadrantPicture(c, 1)));
        CropSettings settings = c.crop;
        settings.grayscale = c.grayscale;
        const CropResult crop = runCropOnFile(source, shownWay, settings);
        ASSERT_TRUE(crop.ok) << crop.errorText;
        writeFileBytes(reducedWay, crop.output);
        const PixelRect rect = writtenWindow(crop, settings, width, height);

        const TestPixels expected = thumbnailTheShownWay(source, shownWay, rect, c.grayscale);
        ASSERT_TRUE(regenerateThumbnailFromSource(u16(source).c_str(), u16(reducedWay).c_str(), rect, c.grayscale));
        const std::vector<uint8_t> thumbnail = exifThumbnail(readFileBytes(reducedWay));
        const TestPixels got = decodeTestJpeg(thumbnail, c.grayscale ? JCS_GRAYSCALE : JCS_EXT_BGR);
        ASSERT_TRUE(expected.ok && got.ok);
        ASSERT_EQ(got.width, expected.width);
        ASSERT_EQ(got.height, expected.height);
        ASSERT_EQ(readTestJpeg(thumbnail).components.size(), c.grayscale ? 1u : 3u);
        const double difference = meanDifference(got, expected);
        if (c.tolerance == 0) {
            EXPECT_EQ(thumbnail, exifThumbnail(readFileBytes(shownWay))) << "the same pixels, the same thumbnail";
        }
        EXPECT_LE(difference, c.tolerance) << got.width << "x" << got.height;
        // The same comparison tells a window a quarter of its size off from the right one.
        const uint32_t shift = ((rect.right - rect.left + 1) / 4) & ~15u;
        if (rect.left < 507 && rect.right >= 507 && rect.top < 311 && rect.bottom >= 311 && shift != 0 &&
            rect.left >= shift) {
            const TestPixels shifted = thumbnailTheShownWay(
                source, shownWay, {rect.left - shift, rect.top, rect.right - shift, rect.bottom}, c.grayscale);
            EXPECT_GT(meanDifference(got, shifted), 4 * c.tolerance + 5) << "a shifted window";
        }

        writeFileBytes(source, makeTestJpeg(quadrantPicture(c, 3)));
        const CropSettings& w = c.crop;
        CropTransform job;
        job.saveGrayscale = c.grayscale;
        // The whole picture as a crop: a copy without a cut keeps its thumbnail.
        job.cropEnabled = 1;
        job.crop = w.crop ? CropRequest{w.width * 3, w.height * 3, w.left * 3, w.top * 3}
                          : CropRequest{width * 3, height * 3, 0, 0};
        job.editExif = renewThumbnailFromBlocks;
        job.keepDcTerms = 1;
        job.isProgressive = c.progressive;  // not counted as written: the DC terms are taken from the blocks
        ASSERT_TRUE(transformFile(&job, u16(source).c_str(), u16(shownWay).c_str()));
        const uint32_t longer = std::max(job.outputWidth, job.outputHeight);
        EXPECT_TRUE(job.exifEdited || longer < 8 * kThumbnailSide) << "from the blocks, as it is written";
        const PixelRect output = {0, 0, job.outputWidth - 1, job.outputHeight - 1};
        EXPECT_TRUE(job.exifEdited || regenerateThumbnailFromSource(u16(shownWay).c_str(), u16(shownWay).c_str(),
                                                                    output, c.grayscale));
        writeFileBytes(reducedWay, readFileBytes(shownWay));
        const uint32_t left = job.cropColumns * job.cellWidth, top = job.cropRows * job.cellHeight;
        const PixelRect large = {left, top, left + job.outputWidth - 1, top + job.outputHeight - 1};
        ASSERT_TRUE(regenerateThumbnailFromSource(u16(source).c_str(), u16(reducedWay).c_str(), large, c.grayscale));
        const J_COLOR_SPACE space = c.grayscale ? JCS_GRAYSCALE : JCS_EXT_BGR;
        const TestPixels fromBlocks = decodeTestJpeg(exifThumbnail(readFileBytes(shownWay)), space);
        const TestPixels reduced = decodeTestJpeg(exifThumbnail(readFileBytes(reducedWay)), space);
        ASSERT_TRUE(fromBlocks.ok && reduced.ok);
        ASSERT_TRUE(fromBlocks.width == reduced.width && fromBlocks.height == reduced.height);
        EXPECT_LE(meanDifference(fromBlocks, reduced), c.tolerance == 0 ? 3.5 : c.tolerance)
            << "from the crop's blocks, " << fromBlocks.width << "x" << fromBlocks.height;
    }
}

TEST(ExifThumbnail, RegeneratingFromTheSourceKeepsTheOldThumbnailOnFailure) {
    TempDir dir;
    const std::string source = dir.file("source.jpg"), output = dir.file("out.jpg");
    writeFileBytes(source, photoWithExif(320, 240, true, oldThumbnail()));
    ASSERT_TRUE(runCropOnFile(source, output, window(32, 16, 200, 150)).ok);
    const std::vector<uint8_t> before = readFileBytes(output);
    struct Case {
        const char* label;
        std::string source;
        PixelRect window;
    };
    const Case cases[] = {{"missing source", dir.file("missing.jpg"), {32, 16, 231, 165}},
                          {"window past the picture", source, {32, 16, 320, 165}},
                          {"window off the block grid", source, {36, 16, 231, 165}},
                          {"source cut inside its header", dir.file("cut.jpg"), {32, 16, 231, 165}}};
    const std::vector<uint8_t> whole = readFileBytes(source);
    writeFileBytes(dir.file("cut.jpg"), std::vector<uint8_t>(whole.begin(), whole.begin() + 300));
    for (const Case& c : cases) {
        EXPECT_FALSE(regenerateThumbnailFromSource(u16(c.source).c_str(), u16(output).c_str(), c.window, false))
            << c.label;
        EXPECT_EQ(readFileBytes(output), before) << c.label;
    }
}

TEST(ExifThumbnail, InfoReportsExifAndTheThumbnailLength) {
    TempDir dir;
    struct Case {
        const char* label;
        std::vector<uint8_t> bytes;
        bool exif;
        uint32_t thumbnail;
    };
    std::vector<uint8_t> thumbnail = oldThumbnail();
    TestJpegOptions plain;
    const Case cases[] = {{"LE", photoWithExif(64, 48, false, thumbnail), true, uint32_t(thumbnail.size())},
                          {"BE", photoWithExif(64, 48, true, thumbnail), true, uint32_t(thumbnail.size())},
                          {"no IFD1", photoWithExif(64, 48, false, {}), true, 0},
                          {"no Exif", makeTestJpeg(plain), false, 0}};
    for (const Case& c : cases) {
        std::string path = dir.file("info.jpg");
        writeFileBytes(path, c.bytes);
        bool exif = !c.exif;
        uint32_t bytes = 12345;
        ASSERT_TRUE(readExifThumbnailInfo(u16(path).c_str(), &exif, &bytes)) << c.label;
        EXPECT_EQ(exif, c.exif) << c.label;
        EXPECT_EQ(bytes, c.thumbnail) << c.label;
    }
    bool exif = true;
    uint32_t bytes = 1;
    EXPECT_FALSE(readExifThumbnailInfo(u16(dir.file("missing.jpg")).c_str(), &exif, &bytes));
}
