#include "engine/MarkerCopy.h"

#include <cstring>

namespace {

constexpr uint16_t kExifIfdPointer = 0x8769;
constexpr uint16_t kPixelXDimension = 0xA002;
constexpr uint16_t kPixelYDimension = 0xA003;
constexpr size_t kEntrySize = 12;

uint32_t get16(const uint8_t* p, bool bigEndian) {
    return bigEndian ? uint32_t(p[0]) << 8 | p[1] : uint32_t(p[1]) << 8 | p[0];
}

uint32_t get32(const uint8_t* p, bool bigEndian) {
    return bigEndian ? get16(p, true) << 16 | get16(p + 2, true) : get16(p + 2, false) << 16 | get16(p, false);
}

void put16(uint8_t* p, uint32_t value, bool bigEndian) {
    p[bigEndian ? 0 : 1] = uint8_t(value >> 8);
    p[bigEndian ? 1 : 0] = uint8_t(value);
}

void put32(uint8_t* p, uint32_t value, bool bigEndian) {
    put16(p + (bigEndian ? 0 : 2), value >> 16, bigEndian);
    put16(p + (bigEndian ? 2 : 0), value & 0xFFFF, bigEndian);
}

// The library's own JFIF and Adobe markers replace the source's; copying both would leave two of each.
bool isDuplicateOfLibraryMarker(j_compress_ptr compressor, const jpeg_saved_marker_ptr marker) {
    if (compressor->write_JFIF_header && marker->marker == JPEG_APP0 && markerDataBeginsWith(marker, "JFIF", 5)) {
        return true;
    }
    return compressor->write_Adobe_marker && marker->marker == JPEG_APP0 + 14 &&
           markerDataBeginsWith(marker, "Adobe", 5);
}

// Segments whose content would be wrong in the output: a multi-picture index describes pictures stored
// after the end of the source, which the output does not carry, so its offsets point past the new file's
// end; a colour profile of a 3- or 4-component source does not describe a one-component output.
bool isInvalidInOutput(j_decompress_ptr decompressor, j_compress_ptr compressor, const jpeg_saved_marker_ptr marker) {
    if (marker->marker != JPEG_APP0 + 2) return false;
    if (markerDataBeginsWith(marker, "MPF", 4)) return true;
    return compressor->num_components == 1 && decompressor->num_components >= 3 &&
           markerDataBeginsWith(marker, "ICC_PROFILE", 12);
}

}  // namespace

bool markerDataBeginsWith(const jpeg_saved_marker_ptr marker, const char* identifier, size_t identifierLength) {
    return marker->data_length >= identifierLength && memcmp(marker->data, identifier, identifierLength) == 0;
}

bool markerIsCopied(j_decompress_ptr decompressor, j_compress_ptr compressor, const jpeg_saved_marker_ptr marker) {
    return !isDuplicateOfLibraryMarker(compressor, marker) && !isInvalidInOutput(decompressor, compressor, marker);
}

// The Exif pixel size of a cropped output is that of the first APP1 that is Exif, wherever it stands:
// photo-management software often puts an XMP APP1 first.
void copySavedMarkers(j_decompress_ptr decompressor, j_compress_ptr compressor, uint32_t sourceWidth,
                      uint32_t sourceHeight) {
    const bool resized = compressor->jpeg_width != sourceWidth || compressor->jpeg_height != sourceHeight;
    bool exifSeen = false;
    for (jpeg_saved_marker_ptr marker = decompressor->marker_list; marker; marker = marker->next) {
        if (!markerIsCopied(decompressor, compressor, marker)) continue;
        if (!exifSeen && marker->marker == JPEG_APP0 + 1 && markerDataBeginsWith(marker, "Exif\0\0", 6)) {
            exifSeen = true;
            if (resized) {
                fixExifDimensions(marker->data + 6, marker->data_length - 6, compressor->jpeg_width,
                                  compressor->jpeg_height);
            }
        }
        jpeg_write_m_header(compressor, marker->marker, marker->data_length);
        for (unsigned int i = 0; i < marker->data_length; i++) jpeg_write_m_byte(compressor, marker->data[i]);
    }
}

// Every offset is checked against `length` before it is used: the data comes from the file as it is.
void fixExifDimensions(uint8_t* tiff, size_t length, uint32_t width, uint32_t height) {
    if (length < 12) return;
    bool bigEndian;
    if (tiff[0] == 0x49 && tiff[1] == 0x49) {
        bigEndian = false;
    } else if (tiff[0] == 0x4D && tiff[1] == 0x4D) {
        bigEndian = true;
    } else {
        return;
    }
    if (get16(tiff + 2, bigEndian) != 0x2A) return;
    uint32_t ifd0 = get32(tiff + 4, bigEndian);
    if ((ifd0 >> 16) != 0 || ifd0 > length - 2) return;
    uint32_t count = get16(tiff + ifd0, bigEndian);
    if (count == 0) return;
    size_t entry = size_t(ifd0) + 2;
    for (;;) {
        if (entry > length - kEntrySize) return;
        if (get16(tiff + entry, bigEndian) == kExifIfdPointer) break;
        if (--count == 0) return;
        entry += kEntrySize;
    }
    uint32_t exifIfd = get32(tiff + entry + 8, bigEndian);
    if ((exifIfd >> 16) != 0 || exifIfd > length - 2) return;
    count = get16(tiff + exifIfd, bigEndian);
    if (count < 2) return;
    entry = size_t(exifIfd) + 2;
    for (; count > 0 && entry <= length - kEntrySize; count--, entry += kEntrySize) {
        uint32_t tag = get16(tiff + entry, bigEndian);
        if (tag != kPixelXDimension && tag != kPixelYDimension) continue;
        put16(tiff + entry + 2, 4, bigEndian);
        put32(tiff + entry + 4, 1, bigEndian);
        put32(tiff + entry + 8, (tag == kPixelXDimension ? width : height) & 0xFFFF, bigEndian);
    }
}
