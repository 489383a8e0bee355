#pragma once
// Regenerating the JPEG thumbnail inside the Exif segment (IFD1), so that it shows what the file now holds:
// in the segment's data before the crop writes it, or in a saved file, which is then rewritten from the
// Exif segment on (a rewrite that fails part-way puts the old bytes back).

#include <cstdint>

#include "engine/BitmapInfo.h"
#include "engine/ImageOps.h"
#include "engine/JpegFile.h"

struct DecodedImage;
struct ReducedDecode;

constexpr uint32_t kExifSegmentMax = 65533;    // 0xFFFD: the most data after a segment's length field
constexpr uint32_t kThumbnailSide = 160;
constexpr int kThumbnailQuality = 80;

// The encoder's context: a JpegFile (isGrayscale, isProgressive, errorCode, errorText) plus its settings.
struct ThumbnailEncoder : JpegFile {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t sourceBitCount = 24;  // 8 or 24
    uint32_t stride = 0;           // of the 24-bit rows
    uint32_t imageSize = 0;        // stride × height, 0 when 4 GiB or more
    uint8_t* output = nullptr;
    uint32_t capacity = 0;
    uint32_t produced = 0;  // bytes of the last encoding
    int quality = kThumbnailQuality;
    int hSampling = 2;  // of the first component
    int vSampling = 2;
};

struct ThumbnailJob {
    uint8_t* buffer = nullptr;          // 2 × 65,533 bytes: encoder output, then the Exif segment copy
    uint8_t* exifCopy = nullptr;        // the segment's data from "Exif" on
    uint8_t* thumbnailAt = nullptr;     // 6 + the thumbnail offset into exifCopy
    uint8_t* lengthEntryAt = nullptr;   // value of the JPEGInterchangeFormatLength entry in exifCopy
    uint32_t thumbnailLimit = 0;        // the largest thumbnail that keeps the segment within 65,535 bytes
    uint32_t newSize = 0;
    uint32_t lengthEntryOffset = 0;     // from findExifThumbnail, relative to the TIFF header; 0 when none
    JpegFile file;
};

// Where the Exif APP1 segment lies in a file: from its length field to one past its last byte.
struct ExifSegmentPlace {
    uint32_t start = 0;
    uint32_t end = 0;
};

// Replaces the thumbnail of `outputPath` by one made from `shown`. True when the file was rewritten;
// false (file unchanged) when there is no thumbnail to replace or any step fails.
bool regenerateExifThumbnail(const char16_t* outputPath, const DecodedImage* shown, bool grayscale);
// For a save without a displayed picture (the command line): the thumbnail of `window` (source pixels,
// left and top on the 8-pixel grid) from a reduced decode of that window of the source alone.
bool regenerateThumbnailFromSource(const char16_t* sourcePath, const char16_t* outputPath, const PixelRect& window,
                                   bool grayscale);
// Its two halves. Fills in the window and the size the decode must cover (the thumbnail's); false when a
// side of the thumbnail would be 0.
bool prepareThumbnailDecode(ReducedDecode* decode, const PixelRect& window);
// From what decodeReducedWindow gave: the exact window is averaged onto the thumbnail.
bool regenerateReducedThumbnail(const char16_t* outputPath, const DecodedImage* reduced, const ReducedDecode* decode,
                                bool grayscale);
// Where a renewal would put the thumbnail of Exif segment data (`data` from "Exif" on): the thumbnail's
// start, its length entry and the byte order. False when there is no thumbnail that can be replaced.
bool exifThumbnailPlace(const uint8_t* data, uint32_t length, uint32_t* thumbnailStart, uint32_t* lengthEntry,
                        bool* bigEndian);
// exifThumbnailPlace, and the thumbnail's length is not 0: there is a thumbnail to renew.
bool segmentHasThumbnail(const uint8_t* data, uint32_t length, uint32_t* thumbnailStart, uint32_t* lengthEntry,
                         bool* bigEndian);
// Exif segment data with its thumbnail renewed in memory, before the segment is written: `renewed`
// (kExifSegmentMax bytes) gets `data` up to the thumbnail, then a thumbnail of the given size made from
// spanWidth × spanHeight of `picture`. False (nothing to use) when there is no thumbnail or a step fails.
bool renewSegmentThumbnail(const uint8_t* data, uint32_t length, uint8_t* renewed, uint32_t* renewedLength,
                           const DecodedImage* picture, double spanWidth, double spanHeight, uint32_t thumbnailWidth,
                           uint32_t thumbnailHeight, bool grayscale);
// Whether the file carries an Exif segment, and the byte length of its thumbnail (0 when it has none).
bool readExifThumbnailInfo(const char16_t* path, bool* hasExif, uint32_t* thumbnailBytes);
// The onExif hook of scanMarkers, with `cursor` at IFD0 and `argument` the ThumbnailJob: yields the
// thumbnail offset (relative to the TIFF header), 0 when there is none.
uint32_t findExifThumbnail(JpegFile* file, void* argument);
// The thumbnail size for a w × h picture: at most 160 on the longer side; a side may come out 0.
void chooseThumbnailSize(uint32_t width, uint32_t height, uint32_t* thumbnailWidth, uint32_t* thumbnailHeight);
bool encodeWithinSize(ThumbnailEncoder* encoder, uint8_t* output, uint32_t* capacity, const RgbQuad* palette,
                      const uint8_t* pixels, uint32_t limit);
bool encodeThumbnail(ThumbnailEncoder* encoder, const uint8_t* pixels);
bool locateExifSegment(const uint8_t* data, uint32_t size, ExifSegmentPlace* place);
bool rewriteExifSegment(const char16_t* path, const ThumbnailJob* job);
