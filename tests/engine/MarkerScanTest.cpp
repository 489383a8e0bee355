#include "engine/MarkerScan.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/JpegFile.h"
#include "support/TestJpeg.h"

namespace {

// What the hooks saw during one walk.
struct WalkLog {
    int exifCalls = 0;
    int comments = 0;
    bool stop = false;
    uint32_t ifd0Count = 0;
    uint32_t firstTag = 0;
    long cursorOffset = -1;  // of `cursor` from tiffStart at the onExif call
    long segmentRoom = 0;    // bytes from tiffStart to the end of the data
};

uint32_t logExif(JpegFile* file, void* argument) {
    auto* log = static_cast<WalkLog*>(argument);
    log->exifCalls++;
    log->cursorOffset = long(file->cursor - file->tiffStart);
    log->segmentRoom = long(file->dataEnd - file->tiffStart);
    if (file->dataEnd - file->cursor >= 4) {
        log->ifd0Count = file->read16(file);
        log->firstTag = file->read16(file);
    }
    return 100 + uint32_t(log->exifCalls);
}

bool stopHere(JpegFile*) { return true; }
bool goOn(JpegFile*) { return false; }

void logComment(JpegFile*, void* argument) { static_cast<WalkLog*>(argument)->comments++; }

struct Walk {
    JpegFile file;
    WalkLog log;
    uint32_t result = 0;
};

// Walks `bytes` as if they were a mapped file.
void walk(std::vector<uint8_t>& bytes, Walk* w, bool stopAfterExif) {
    w->file.dataStart = w->file.cursor = bytes.data();
    w->file.dataEnd = bytes.data() + bytes.size();
    w->file.onExif = logExif;
    w->file.stopAfterExif = stopAfterExif ? stopHere : goOn;
    w->file.onComment = logComment;
    w->result = scanMarkers(&w->file, &w->log);
}

std::vector<uint8_t> cameraBytes(bool bigEndian) {
    ExifOptions exif;
    exif.bigEndian = bigEndian;
    TestJpegOptions options;
    options.writeJfif = false;
    options.markers = {commentMarker("before"), exifMarker(exif), commentMarker("after"), exifMarker(exif)};
    return makeTestJpeg(options);
}

}  // namespace

TEST(MarkerScan, ReadersFollowTheByteOrder) {
    std::vector<uint8_t> bytes = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    JpegFile file;
    file.cursor = bytes.data();
    EXPECT_EQ(readLittle16(&file), 0x3412u);
    EXPECT_EQ(readLittle32(&file), 0xBC9A7856u);
    EXPECT_EQ(file.cursor, bytes.data() + 6);
    file.cursor = bytes.data();
    EXPECT_EQ(readBig16(&file), 0x1234u);
    EXPECT_EQ(readBig32(&file), 0x56789ABCu);
    EXPECT_EQ(file.cursor, bytes.data() + 6);
}

TEST(MarkerScan, ExifHookStartsAtIfd0InEitherByteOrder) {
    for (bool bigEndian : {false, true}) {
        std::vector<uint8_t> bytes = cameraBytes(bigEndian);
        Walk w;
        walk(bytes, &w, true);
        EXPECT_EQ(w.log.exifCalls, 1);
        EXPECT_EQ(w.result, 101u);
        EXPECT_EQ(w.file.exifFound, 1);
        EXPECT_EQ(w.file.exifBigEndian, bigEndian ? 1 : 0);
        EXPECT_EQ(w.file.exifLength, makeExifData(ExifOptions()).size() + 2);
        ASSERT_NE(w.file.tiffStart, nullptr);
        EXPECT_EQ(w.file.tiffStart[0], bigEndian ? 'M' : 'I');
        EXPECT_EQ(w.log.cursorOffset, 8);  // IFD0 follows the TIFF header
        EXPECT_EQ(w.log.ifd0Count, 2u);
        EXPECT_EQ(w.log.firstTag, 0x0112u);
        EXPECT_EQ(w.log.comments, 1);  // the walk ended after the first Exif segment
        EXPECT_EQ(w.file.errorCode, kEngineOk);
    }
}

TEST(MarkerScan, WalkWithoutStoppingSeesEveryCommentAndReturnsTheLastExifResult) {
    std::vector<uint8_t> bytes = cameraBytes(false);
    Walk w;
    walk(bytes, &w, false);
    EXPECT_EQ(w.log.exifCalls, 2);
    EXPECT_EQ(w.result, 102u);
    EXPECT_EQ(w.log.comments, 2);
    EXPECT_EQ(w.file.errorCode, kEngineOk);
}

TEST(MarkerScan, BrokenSegmentsEndTheWalk) {
    // SOI, fill bytes, then a DQT whose length runs past the end: 50004.
    std::vector<uint8_t> pastEnd = {0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xDB, 0x00, 0x40, 1, 2, 3};
    Walk a;
    walk(pastEnd, &a, false);
    EXPECT_EQ(a.file.errorCode, kEngineCannotOpen);

    std::vector<uint8_t> tooShort = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x01, 0xFF, 0xD9};
    Walk b;
    walk(tooShort, &b, false);
    EXPECT_EQ(b.file.errorCode, kEngineCannotOpen);

    std::vector<uint8_t> lengthCut = {0xFF, 0xD8, 0xFF, 0xC4, 0x00};
    Walk c;
    walk(lengthCut, &c, false);
    EXPECT_EQ(c.file.errorCode, kEngineCannotOpen);

    // A malformed APP1 ends the walk quietly.
    std::vector<uint8_t> app1 = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x30, 'E', 'x', 'i', 'f', 0, 0};
    Walk d;
    walk(app1, &d, false);
    EXPECT_EQ(d.file.errorCode, kEngineOk);
    EXPECT_EQ(d.log.exifCalls, 0);
}

TEST(MarkerScan, ExifTooShortForItsHeaderOrPointingOutsideIsHandledSafely) {
    // "Exif\0\0" and two bytes: no room for the TIFF header, so not taken as Exif.
    std::vector<uint8_t> shortExif = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x0A, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I'};
    Walk a;
    walk(shortExif, &a, false);
    EXPECT_EQ(a.log.exifCalls, 0);
    EXPECT_EQ(a.file.exifFound, 0);

    // IFD0 far past the end: the hook gets a cursor inside the segment, never beyond the data.
    ExifOptions exif;
    exif.ifd0OffsetOverride = 0xFFFFFFF0u;
    TestJpegOptions options;
    options.markers = {exifMarker(exif)};
    std::vector<uint8_t> bytes = makeTestJpeg(options);
    Walk b;
    walk(bytes, &b, true);
    ASSERT_EQ(b.log.exifCalls, 1);
    EXPECT_GE(b.log.cursorOffset, 0);
    EXPECT_LE(b.log.cursorOffset, b.log.segmentRoom);
}

TEST(MarkerScan, DamagedHeadersNeverLeadOutsideTheData) {
    std::mt19937 random(99);
    const std::vector<uint8_t> good = cameraBytes(true);
    for (int round = 0; round < 4000; round++) {
        std::vector<uint8_t> bytes(good.begin(), good.begin() + long(std::min<size_t>(good.size(), 400)));
        for (int i = 0, n = 1 + int(random() % 3); i < n; i++) bytes[random() % bytes.size()] = uint8_t(random());
        bytes.resize(1 + random() % bytes.size());
        // Exactly sized on the heap, so a read past the end trips the sanitizer.
        std::vector<uint8_t> exact(bytes);
        Walk w;
        walk(exact, &w, round % 2 == 0);
        EXPECT_GE(w.file.cursor, exact.data());
        EXPECT_LE(w.file.cursor, exact.data() + exact.size());
    }
}
