#pragma once
// Test pictures made with libjpeg inside the tests, the marker segments photographs carry (JFIF, Exif,
// XMP, ICC, MPF, comments), and a reader that returns what a file holds at coefficient level, so that
// tests compare output blocks with the source blocks they came from.

#include <cstdint>
#include <string>
#include <vector>

#include <jpeglib.h>

struct TestMarker {
    int code = 0;               // JPEG_APP0 + n or JPEG_COM
    std::vector<uint8_t> data;  // without marker and length bytes
};

struct TestJpegOptions {
    int width = 64;
    int height = 48;
    // Colour space of the file: JCS_YCbCr, JCS_GRAYSCALE, JCS_RGB, JCS_CMYK or JCS_YCCK.
    J_COLOR_SPACE colorSpace = JCS_YCbCr;
    // Sampling factors of the first component; the others are 1 x 1. 2 x 2 is 4:2:0, 2 x 1 is 4:2:2.
    int hSamp = 2;
    int vSamp = 2;
    bool progressive = false;
    bool arithmetic = false;
    bool scanPerComponent = false;  // sequential, one scan for each component instead of one for all
    int restartInterval = 0;  // in MCUs; 0 for none
    int quality = 85;
    bool writeJfif = true;  // the library's JFIF APP0 (only for YCbCr and grayscale files)
    int densityUnit = 0;    // 0 aspect ratio only, 1 dots per inch, 2 dots per cm
    int xDensity = 1;
    int yDensity = 1;
    uint32_t seed = 1;                // varies the picture
    std::vector<uint8_t> solid;       // when not empty: every pixel gets these input samples instead
    // When 4 colours (top left, top right, bottom left, bottom right): a picture of four quadrants split
    // at (splitX, splitY), the middle when 0, each with a faint texture.
    std::vector<std::vector<uint8_t>> quadrants;
    int splitX = 0;
    int splitY = 0;
    std::vector<TestMarker> markers;  // written after the library's own markers, in this order
};

// Encodes a photograph-like picture (gradients, edges and noise that differ in every block).
std::vector<uint8_t> makeTestJpeg(const TestJpegOptions& options);

struct ExifOptions {
    bool bigEndian = false;
    bool withDimensions = true;      // PixelXDimension/PixelYDimension in the Exif IFD
    bool dimensionsAsLong = false;   // type 4 (LONG) instead of 3 (SHORT)
    uint32_t pixelWidth = 0;
    uint32_t pixelHeight = 0;
    uint16_t orientation = 1;        // IFD0 tag 0x0112
    std::vector<uint8_t> thumbnail;  // a JPEG for IFD1 (JPEGInterchangeFormat); none when empty
    uint32_t ifd0OffsetOverride = 0;  // when not 0, written as the IFD0 offset instead of the real one
    uint32_t paddingBeforeThumbnail = 0;  // zero bytes between IFD1 and the thumbnail
};

// Data of an APP1 Exif segment, beginning "Exif\0\0".
std::vector<uint8_t> makeExifData(const ExifOptions& options);
TestMarker exifMarker(const ExifOptions& options);
// A 320 x 240 camera picture without JFIF whose Exif block holds its size and a 160 x 120 grey thumbnail.
std::vector<uint8_t> makeExifCameraJpeg();
TestMarker xmpMarker(const std::string& packet = "<x:xmpmeta xmlns:x='adobe:ns:meta/'/>");
// One APP2 "ICC_PROFILE" chunk of a made-up profile of `bytes` bytes.
TestMarker iccMarker(int bytes = 200, int sequence = 1, int count = 1);
// An APP2 "MPF" segment whose index points at a second image after the end of the first.
TestMarker mpfMarker(uint32_t secondImageOffset = 100000, uint32_t secondImageSize = 5000);
TestMarker commentMarker(const std::string& text);
TestMarker appMarker(int n, const std::string& data);

// What a JPEG file holds, read at coefficient level with jpeg_read_coefficients.
struct TestComponent {
    int id = 0;
    int hSamp = 0;
    int vSamp = 0;
    int quantTable = 0;
    int widthInBlocks = 0;  // blocks with picture content (downsampled width / 8, rounded up)
    int heightInBlocks = 0;
    int storedWidth = 0;  // blocks held by the library, padded to whole MCUs
    int storedHeight = 0;
    std::vector<uint16_t> quant;  // 64 values in natural order
    std::vector<int16_t> blocks;  // storedHeight x storedWidth blocks of 64 coefficients
    const int16_t* block(int row, int column) const { return &blocks[(size_t(row) * storedWidth + column) * 64]; }
};

struct TestJpegContents {
    bool ok = false;
    std::string error;  // the library's message when not ok
    int warnings = 0;
    int width = 0;
    int height = 0;
    J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
    int maxHSamp = 0;
    int maxVSamp = 0;
    bool progressive = false;
    bool arithmetic = false;
    bool scanPerComponent = false;  // sequential, one scan for each component instead of one for all
    int restartInterval = 0;
    bool sawJfif = false;
    bool sawAdobe = false;
    std::vector<TestComponent> components;
    std::vector<TestMarker> markers;  // every APPn and COM, in file order
};

TestJpegContents readTestJpeg(const std::vector<uint8_t>& bytes);

// Marker codes of the header up to and including the first SOS, walked from the bytes.
std::vector<int> headerMarkerCodes(const std::vector<uint8_t>& bytes);

// Decodes to 8-bit samples (the file's colour space, or `outSpace`), for pixel comparisons.
struct TestPixels {
    bool ok = false;
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> samples;
};
// scaleNum over 8 is the library's DCT scaling.
TestPixels decodeTestJpeg(const std::vector<uint8_t>& bytes, J_COLOR_SPACE outSpace = JCS_UNKNOWN, int scaleNum = 8);

// Path of one of libjpeg-turbo's own test images (testorig.jpg, testimgari.jpg, testimgint.jpg...),
// usable by the build's file calls: the Windows build runs under Wine, which sees / as drive Z:.
std::string libjpegTestImage(const std::string& name);

// Reads a 16-bit or 32-bit number of an Exif block in its byte order.
uint32_t exifGet16(const uint8_t* p, bool bigEndian);
uint32_t exifGet32(const uint8_t* p, bool bigEndian);
// The thumbnail JPEG of a file's first Exif segment (IFD1 tags 0x0201 and 0x0202); empty when none.
std::vector<uint8_t> exifThumbnail(const std::vector<uint8_t>& fileBytes);
// Finds a tag's 12-byte entry in the Exif IFD (tiff = first byte after "Exif\0\0"); null when absent.
const uint8_t* findExifIfdEntry(const std::vector<uint8_t>& exifData, uint16_t tag);
