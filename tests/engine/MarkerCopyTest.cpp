#include "engine/MarkerCopy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "CropTestSupport.h"

namespace {

constexpr int kApp0 = JPEG_APP0;
constexpr int kApp1 = JPEG_APP0 + 1;
constexpr int kApp2 = JPEG_APP0 + 2;
constexpr int kApp14 = JPEG_APP0 + 14;

bool beginsWith(const TestMarker& marker, const char* text, size_t length) {
    return marker.data.size() >= length && memcmp(marker.data.data(), text, length) == 0;
}

std::string describeMarkers(const std::vector<TestMarker>& markers) {
    std::string text;
    for (const TestMarker& marker : markers) {
        char name[16];
        snprintf(name, sizeof name, "%02X", marker.code);
        text += std::string(name) + ":";
        for (size_t i = 0; i < marker.data.size() && i < 6; i++) {
            char c = char(marker.data[i]);
            text += (c >= 32 && c < 127) ? c : '.';
        }
        text += " ";
    }
    return text;
}

int countMarkers(const std::vector<TestMarker>& markers, int code, const char* prefix, size_t length) {
    int count = 0;
    for (const TestMarker& marker : markers) count += marker.code == code && beginsWith(marker, prefix, length);
    return count;
}

// A camera-like file: no JFIF, Exif first, then XMP, a comment, a vendor APP13.
TestJpegOptions cameraFile(const ExifOptions& exif) {
    TestJpegOptions options;
    options.width = 96;
    options.height = 64;
    options.writeJfif = false;
    options.markers = {exifMarker(exif), xmpMarker(), commentMarker("first"), appMarker(13, "Photoshop 3.0"),
                       commentMarker("second")};
    return options;
}

ExifOptions exifFor(int width, int height, bool bigEndian, bool asLong) {
    ExifOptions exif;
    exif.pixelWidth = uint32_t(width);
    exif.pixelHeight = uint32_t(height);
    exif.bigEndian = bigEndian;
    exif.dimensionsAsLong = asLong;
    return exif;
}

CropSettings withMarkers(CropSettings settings, int mode) {
    settings.markers = mode;
    return settings;
}

}  // namespace

TEST(MarkerCopy, ModeZeroKeepsOnlyTheLibraryJfif) {
    CropResult result = runCrop(makeTestJpeg(cameraFile(exifFor(96, 64, false, false))),
                                withMarkers(window(16, 16, 40, 30), kCopyNoMarkers));
    ASSERT_TRUE(result.ok) << result.errorText;
    TestJpegContents output = readTestJpeg(result.output);
    ASSERT_EQ(output.markers.size(), 1u) << describeMarkers(output.markers);
    EXPECT_EQ(output.markers[0].code, kApp0);
    EXPECT_TRUE(beginsWith(output.markers[0], "JFIF\0", 5));
}

TEST(MarkerCopy, ModeOneKeepsBothCommentsAndNoExif) {
    CropResult result = runCrop(makeTestJpeg(cameraFile(exifFor(96, 64, false, false))),
                                withMarkers(window(16, 16, 40, 30), kCopyComments));
    ASSERT_TRUE(result.ok) << result.errorText;
    TestJpegContents output = readTestJpeg(result.output);
    ASSERT_EQ(output.markers.size(), 3u) << describeMarkers(output.markers);
    EXPECT_TRUE(beginsWith(output.markers[0], "JFIF\0", 5));
    EXPECT_EQ(output.markers[1].code, JPEG_COM);
    EXPECT_EQ(std::string(output.markers[1].data.begin(), output.markers[1].data.end()), "first");
    EXPECT_EQ(std::string(output.markers[2].data.begin(), output.markers[2].data.end()), "second");
}

TEST(MarkerCopy, ModeTwoOnACameraFileKeepsEveryMarkerInOrderWithoutJfif) {
    TestJpegOptions options = cameraFile(exifFor(96, 64, false, false));
    TestJpegContents source = readTestJpeg(makeTestJpeg(options));
    CropResult result = runCrop(makeTestJpeg(options), window(0, 0, 96, 64));
    ASSERT_TRUE(result.ok) << result.errorText;
    TestJpegContents output = readTestJpeg(result.output);
    // Same size: nothing to fix, every segment byte for byte and in order.
    ASSERT_EQ(output.markers.size(), source.markers.size()) << describeMarkers(output.markers);
    for (size_t i = 0; i < source.markers.size(); i++) {
        EXPECT_EQ(output.markers[i].code, source.markers[i].code) << i;
        EXPECT_EQ(output.markers[i].data, source.markers[i].data) << i;
    }
    EXPECT_FALSE(output.sawJfif);
    std::vector<int> codes = headerMarkerCodes(result.output);
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(codes[1], kApp1);  // the Exif segment directly after SOI
}

TEST(MarkerCopy, ExifDimensionsAreRewrittenAsLongInBothByteOrders) {
    for (bool bigEndian : {false, true}) {
        for (bool asLong : {false, true}) {
            TestJpegOptions options = cameraFile(exifFor(96, 64, bigEndian, asLong));
            CropResult result = runCrop(makeTestJpeg(options), window(20, 5, 50, 40));
            ASSERT_TRUE(result.ok) << result.errorText;
            TestJpegContents output = readTestJpeg(result.output);
            ASSERT_FALSE(output.markers.empty());
            const TestMarker& exif = output.markers[0];
            ASSERT_TRUE(beginsWith(exif, "Exif\0\0", 6)) << describeMarkers(output.markers);
            const uint8_t* x = findExifIfdEntry(exif.data, 0xA002);
            const uint8_t* y = findExifIfdEntry(exif.data, 0xA003);
            ASSERT_TRUE(x && y);
            const std::string label = std::string(bigEndian ? "MM" : "II") + (asLong ? " LONG" : " SHORT");
            EXPECT_EQ(exifGet16(x + 2, bigEndian), 4u) << label;
            EXPECT_EQ(exifGet32(x + 4, bigEndian), 1u) << label;
            EXPECT_EQ(exifGet32(x + 8, bigEndian), uint32_t(output.width)) << label;
            EXPECT_EQ(exifGet32(y + 8, bigEndian), uint32_t(output.height)) << label;
            EXPECT_EQ(output.width, 54);  // 50 + 20 mod 16
            EXPECT_EQ(output.height, 45);
            if (bigEndian) {
                const std::vector<uint8_t> expected = {0xA0, 0x02, 0, 4, 0, 0, 0, 1, 0, 0, 0, 54};
                EXPECT_EQ(std::vector<uint8_t>(x, x + 12), expected);
            }
        }
    }
    // The whole width down to a row-group boundary: the source is read as a picture of the output's own
    // size, yet its Exif size is still the source's and is rewritten.
    CropResult strip = runCrop(makeTestJpeg(cameraFile(exifFor(96, 64, false, false))), window(0, 0, 96, 32));
    ASSERT_TRUE(strip.ok) << strip.errorText;
    TestJpegContents output = readTestJpeg(strip.output);
    ASSERT_FALSE(output.markers.empty());
    const uint8_t* y = findExifIfdEntry(output.markers[0].data, 0xA003);
    ASSERT_TRUE(y);
    EXPECT_EQ(exifGet32(y + 8, false), 32u);
}

// The source's JFIF must differ from what the library would write (here: version 1.02 with a 1 × 1
// thumbnail), or a lost JFIF rule would go unseen: the library's own segment would look the same.
TEST(MarkerCopy, FirstExifApp1IsFixedWhereverItStandsAndAnyExifKeepsTheSourceJfif) {
    const TestMarker ownJfif = appMarker(0, std::string("JFIF\0\1\2\1\0\x48\0\x48\1\1\x10\x20\x30", 17));
    struct Case {
        const char* label;
        bool xmpFirst;
    };
    const Case cases[] = {{"Exif first", false}, {"XMP before Exif", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TestJpegOptions options = cameraFile(exifFor(96, 64, false, false));
        if (c.xmpFirst) std::swap(options.markers[0], options.markers[1]);
        options.markers.insert(options.markers.begin(), ownJfif);
        TestJpegContents source = readTestJpeg(makeTestJpeg(options));
        CropResult result = runCrop(makeTestJpeg(options), window(0, 0, 40, 30));
        ASSERT_TRUE(result.ok) << result.errorText;
        TestJpegContents output = readTestJpeg(result.output);
        // The source's own JFIF is kept byte for byte (the library writes none), the rest in source order.
        ASSERT_EQ(output.markers.size(), source.markers.size()) << describeMarkers(output.markers);
        EXPECT_EQ(countMarkers(output.markers, kApp0, "JFIF\0", 5), 1);
        EXPECT_EQ(output.markers[0].data, ownJfif.data);
        const size_t exifAt = c.xmpFirst ? 2 : 1;
        for (size_t i = 0; i < source.markers.size(); i++) {
            if (i != exifAt) { EXPECT_EQ(output.markers[i].data, source.markers[i].data) << i; }
        }
        ASSERT_TRUE(beginsWith(output.markers[exifAt], "Exif\0\0", 6)) << describeMarkers(output.markers);
        const uint8_t* x = findExifIfdEntry(output.markers[exifAt].data, 0xA002);
        const uint8_t* y = findExifIfdEntry(output.markers[exifAt].data, 0xA003);
        ASSERT_TRUE(x && y);
        EXPECT_EQ(exifGet16(x + 2, false), 4u);
        EXPECT_EQ(exifGet32(x + 8, false), uint32_t(output.width));
        EXPECT_EQ(exifGet32(y + 8, false), uint32_t(output.height));
        EXPECT_EQ(output.width, 40);
    }
}

// Without Exif the source's JFIF (different from the library's) gives way to the library's fresh one.
TEST(MarkerCopy, SourceJfifWithoutExifIsReplacedByTheLibrarys) {
    TestJpegOptions options;
    options.writeJfif = false;
    options.markers = {appMarker(0, std::string("JFIF\0\1\2\1\0\x48\0\x48\1\1\x10\x20\x30", 17)), xmpMarker()};
    CropResult result = runCrop(makeTestJpeg(options), window(8, 8, 30, 20));
    ASSERT_TRUE(result.ok) << result.errorText;
    TestJpegContents output = readTestJpeg(result.output);
    ASSERT_EQ(countMarkers(output.markers, kApp0, "JFIF\0", 5), 1) << describeMarkers(output.markers);
    const std::vector<uint8_t> library = {'J', 'F', 'I', 'F', 0, 1, 2, 1, 0, 0x48, 0, 0x48, 0, 0};
    EXPECT_EQ(output.markers[0].data, library);
}

TEST(MarkerCopy, ExifWithAFarIfd0OffsetIsLeftAlone) {
    ExifOptions exif = exifFor(96, 64, false, false);
    exif.ifd0OffsetOverride = 0x10008;
    TestJpegOptions options = cameraFile(exif);
    CropResult result = runCrop(makeTestJpeg(options), window(16, 0, 40, 30));
    ASSERT_TRUE(result.ok) << result.errorText;
    TestJpegContents output = readTestJpeg(result.output);
    ASSERT_FALSE(output.markers.empty());
    EXPECT_EQ(output.markers[0].data, makeExifData(exif));
}

TEST(MarkerCopy, JfifIsRenewedWithTheSourceDensityAndNeverDuplicated) {
    TestJpegOptions options;
    options.densityUnit = 1;
    options.xDensity = 300;
    options.yDensity = 240;
    options.markers = {commentMarker("c")};
    CropResult result = runCrop(makeTestJpeg(options), window(8, 8, 30, 20));
    ASSERT_TRUE(result.ok) << result.errorText;
    TestJpegContents output = readTestJpeg(result.output);
    ASSERT_EQ(countMarkers(output.markers, kApp0, "JFIF\0", 5), 1) << describeMarkers(output.markers);
    const std::vector<uint8_t>& jfif = output.markers[0].data;
    ASSERT_GE(jfif.size(), 12u);
    EXPECT_EQ(jfif[7], 1);  // dots per inch
    EXPECT_EQ(jfif[8] << 8 | jfif[9], 300);
    EXPECT_EQ(jfif[10] << 8 | jfif[11], 240);
}

TEST(MarkerCopy, AdobeMarkerIsReplacedForCmykAndCopiedForYCbCr) {
    TestJpegOptions cmyk;
    cmyk.colorSpace = JCS_CMYK;
    cmyk.hSamp = cmyk.vSamp = 1;
    for (int mode : {kCopyNoMarkers, kCopyAllMarkers}) {
        CropResult result = runCrop(makeTestJpeg(cmyk), withMarkers(window(8, 8, 30, 20), mode));
        ASSERT_TRUE(result.ok) << result.errorText;
        TestJpegContents output = readTestJpeg(result.output);
        EXPECT_EQ(countMarkers(output.markers, kApp14, "Adobe", 5), 1) << describeMarkers(output.markers);
        EXPECT_EQ(countMarkers(output.markers, kApp0, "JFIF\0", 5), 1) << describeMarkers(output.markers);
        EXPECT_EQ(output.colorSpace, JCS_CMYK);
    }
    // A YCbCr file with an Adobe segment of its own: the library writes none, so it is copied.
    TestJpegOptions ycc;
    ycc.markers = {appMarker(14, std::string("Adobe\0\x64\0\0\0\0\x01", 12))};
    CropResult result = runCrop(makeTestJpeg(ycc), window(16, 16, 30, 20));
    ASSERT_TRUE(result.ok) << result.errorText;
    TestJpegContents output = readTestJpeg(result.output);
    EXPECT_EQ(countMarkers(output.markers, kApp14, "Adobe", 5), 1) << describeMarkers(output.markers);
}

TEST(MarkerCopy, RgbOutputCarriesNoJfifSoItsColoursSurvive) {
    TestJpegOptions rgb;
    rgb.colorSpace = JCS_RGB;
    rgb.hSamp = rgb.vSamp = 1;
    std::vector<uint8_t> source = makeTestJpeg(rgb);
    for (int mode : {kCopyNoMarkers, kCopyComments, kCopyAllMarkers}) {
        CropResult result = runCrop(source, withMarkers(CropSettings(), mode));
        ASSERT_TRUE(result.ok) << result.errorText;
        TestJpegContents output = readTestJpeg(result.output);
        EXPECT_FALSE(output.sawJfif) << mode;
        EXPECT_EQ(output.colorSpace, JCS_RGB) << mode;
        TestPixels before = decodeTestJpeg(source, JCS_RGB);
        TestPixels after = decodeTestJpeg(result.output, JCS_RGB);
        ASSERT_TRUE(before.ok && after.ok);
        EXPECT_TRUE(before.samples == after.samples) << "mode " << mode;
    }
}

TEST(MarkerCopy, MultiPictureIndexIsNeverCopied) {
    TestJpegOptions options = cameraFile(exifFor(96, 64, false, false));
    options.markers.push_back(mpfMarker());
    options.markers.push_back(appMarker(2, std::string("MPF\0", 4)));  // nothing but its identifier
    options.markers.push_back(appMarker(2, "FPXR"));
    CropResult result = runCrop(makeTestJpeg(options), CropSettings());
    ASSERT_TRUE(result.ok) << result.errorText;
    TestJpegContents output = readTestJpeg(result.output);
    EXPECT_EQ(countMarkers(output.markers, kApp2, "MPF\0", 4), 0) << describeMarkers(output.markers);
    EXPECT_EQ(countMarkers(output.markers, kApp2, "FPXR", 4), 1) << describeMarkers(output.markers);
}

TEST(MarkerCopy, ColourProfileIsDroppedOnlyFromAGrayscaleSaveOfAColourSource) {
    TestJpegOptions colour;
    colour.markers = {iccMarker(300, 1, 2), iccMarker(100, 2, 2)};
    CropSettings gray;
    gray.grayscale = true;
    for (bool grayscale : {false, true}) {
        CropSettings settings;
        settings.grayscale = grayscale;
        CropResult result = runCrop(makeTestJpeg(colour), settings);
        ASSERT_TRUE(result.ok) << result.errorText;
        TestJpegContents output = readTestJpeg(result.output);
        EXPECT_EQ(countMarkers(output.markers, kApp2, "ICC_PROFILE\0", 12), grayscale ? 0 : 2)
            << describeMarkers(output.markers);
    }
    // A gray profile of a one-component source stays with it.
    TestJpegOptions grayscaleSource;
    grayscaleSource.colorSpace = JCS_GRAYSCALE;
    grayscaleSource.hSamp = grayscaleSource.vSamp = 1;
    grayscaleSource.markers = {iccMarker(120)};
    CropResult result = runCrop(makeTestJpeg(grayscaleSource), gray);
    ASSERT_TRUE(result.ok) << result.errorText;
    EXPECT_EQ(countMarkers(readTestJpeg(result.output).markers, kApp2, "ICC_PROFILE\0", 12), 1);
}

TEST(MarkerCopy, ExiftoolReadsTheFixedDimensions) {
#ifdef _WIN32
    GTEST_SKIP() << "exiftool runs on the host; the native build checks this";
#else
    if (system("exiftool -ver >/dev/null 2>&1") != 0) GTEST_SKIP() << "exiftool is not installed";
    TempDir dir;
    ExifOptions exif = exifFor(96, 64, true, false);
    exif.thumbnail = makeTestJpeg(TestJpegOptions());
    writeFileBytes(dir.file("in.jpg"), makeTestJpeg(cameraFile(exif)));
    CropResult result = runCropOnFile(dir.file("in.jpg"), dir.file("out.jpg"), window(20, 5, 50, 40));
    ASSERT_TRUE(result.ok) << result.errorText;
    std::string command = "exiftool -s3 -n -ExifImageWidth -ExifImageHeight -ImageWidth -ImageHeight -Warning '" +
                          dir.file("out.jpg") + "' > '" + dir.file("tags.txt") + "'";
    ASSERT_EQ(system(command.c_str()), 0);
    std::vector<uint8_t> text = readFileBytes(dir.file("tags.txt"));
    EXPECT_EQ(std::string(text.begin(), text.end()), "54\n45\n54\n45\n");
#endif
}

// Every check of the Exif walk: data that fails one is left exactly as it was.
TEST(MarkerCopy, ExifFixLeavesMalformedDataUnchanged) {
    const std::vector<uint8_t> good = makeExifData(exifFor(96, 64, false, true));
    std::vector<uint8_t> tiff(good.begin() + 6, good.end());
    auto unchangedAfterFix = [](std::vector<uint8_t> data, size_t length) {
        // Exactly `length` bytes on the heap, so that a read or write past the end trips the sanitizer.
        std::vector<uint8_t> exact(data.begin(), data.begin() + long(length));
        std::vector<uint8_t> before = exact;
        fixExifDimensions(exact.data(), exact.size(), 1234, 567);
        return exact == before;
    };
    EXPECT_FALSE(unchangedAfterFix(tiff, tiff.size()));  // the well-formed case is edited
    std::vector<uint8_t> bad = tiff;
    bad[0] = 'X';
    EXPECT_TRUE(unchangedAfterFix(bad, bad.size()));  // byte order
    bad = tiff;
    bad[2] = 0x2B;
    EXPECT_TRUE(unchangedAfterFix(bad, bad.size()));  // magic number
    bad = tiff;
    bad[6] = 1;
    EXPECT_TRUE(unchangedAfterFix(bad, bad.size()));  // IFD0 offset >= 0x10000
    bad = tiff;
    bad[4] = uint8_t(bad.size() - 1);
    EXPECT_TRUE(unchangedAfterFix(bad, bad.size()));  // IFD0 offset past the end
    bad = tiff;
    bad[8] = 0;
    EXPECT_TRUE(unchangedAfterFix(bad, bad.size()));  // empty IFD0
    bad = tiff;
    bad[10 + 12] = 0x68;  // the second IFD0 entry is the Exif pointer: make it another tag
    EXPECT_TRUE(unchangedAfterFix(bad, bad.size()));
    bad = tiff;
    bad[8] = 1;
    EXPECT_TRUE(unchangedAfterFix(bad, bad.size()));  // the Exif pointer lies after IFD0's one counted entry
    bad = tiff;
    bad[10 + 12 + 8] = 0xF0;
    EXPECT_TRUE(unchangedAfterFix(bad, bad.size()));  // Exif IFD offset past the end
    const size_t exifIfd = 8 + 2 + 2 * 12 + 4;
    bad = tiff;
    bad[exifIfd] = 1;
    EXPECT_TRUE(unchangedAfterFix(bad, bad.size()));  // fewer than two entries
    bad = tiff;
    bad[exifIfd] = 1;  // a lone PixelXDimension entry, the other dimension renamed away
    std::copy(tiff.begin() + long(exifIfd + 2 + 2 * 12), tiff.begin() + long(exifIfd + 2 + 3 * 12),
              bad.begin() + long(exifIfd + 2));
    bad[exifIfd + 2 + 2 * 12] = bad[exifIfd + 2 + 3 * 12] = 0x05;
    EXPECT_TRUE(unchangedAfterFix(bad, bad.size()));
    {
        // PixelYDimension's entry ends exactly where the data ends: it is still rewritten.
        const size_t end = exifIfd + 2 + 4 * 12;
        std::vector<uint8_t> exact(tiff.begin(), tiff.begin() + long(end));
        fixExifDimensions(exact.data(), exact.size(), 1234, 567);
        EXPECT_EQ(exifGet32(&exact[end - 4], false), 567u);
        EXPECT_EQ(exifGet16(&exact[end - 10], false), 4u);
    }
    for (size_t length = 0; length < tiff.size(); length++) {
        // Cut short, the walk must stop at the end; only dimension entries that fit may change.
        std::vector<uint8_t> exact(tiff.begin(), tiff.begin() + long(length));
        fixExifDimensions(exact.data(), exact.size(), 1234, 567);
        EXPECT_TRUE(std::equal(exact.begin(), exact.end(), tiff.begin()) || length >= exifIfd + 2 + 3 * 12)
            << "length " << length;
    }
}

TEST(MarkerCopy, ExifFixSurvivesRandomDamage) {
    std::mt19937 random(1234);
    for (bool bigEndian : {false, true}) {
        ExifOptions options = exifFor(96, 64, bigEndian, false);
        options.thumbnail = std::vector<uint8_t>(40, 0xAB);
        const std::vector<uint8_t> good = makeExifData(options);
        for (int round = 0; round < 3000; round++) {
            std::vector<uint8_t> data(good.begin() + 6, good.end());
            int changes = 1 + int(random() % 4);
            for (int i = 0; i < changes; i++) data[random() % data.size()] = uint8_t(random());
            data.resize(random() % (data.size() + 1));
            std::vector<uint8_t> exact(data);
            fixExifDimensions(exact.data(), exact.size(), 4000, 3000);
            ASSERT_EQ(exact.size(), data.size());
        }
    }
}
