#include "engine/ExifThumbnail.h"

#include <cstdlib>
#include <cstring>

#include "engine/DecodedImage.h"
#include "engine/ImageOps.h"
#include "engine/JpegIo.h"
#include "engine/LibraryError.h"
#include "engine/MarkerScan.h"
#include "engine/ReducedDecode.h"

namespace {

constexpr uint32_t kTagThumbnailOffset = 0x0201;  // JPEGInterchangeFormat
constexpr uint32_t kTagThumbnailLength = 0x0202;  // JPEGInterchangeFormatLength
constexpr uint32_t kExifIdentifierSize = 6;      // "Exif" 0 0
constexpr uint32_t kLargestThumbnailEnd = 0xFFF7;  // 65,535 − 2 (length field) − 6 (identifier)

size_t bytesLeft(const JpegFile* file) { return file->cursor < file->dataEnd ? file->dataEnd - file->cursor : 0; }

bool stopAfterExif(JpegFile*) { return true; }

void ignoreComment(JpegFile*, void*) {}

void storeExif32(uint8_t* at, uint32_t value, bool bigEndian) {
    for (int i = 0; i < 4; ++i) at[bigEndian ? 3 - i : i] = static_cast<uint8_t>(value >> (8 * i));
}

// Locals of the function that calls setjmp must not change after it; everything lives here instead.
struct EncodeRun {
    jpeg_compress_struct compressor;
    LibraryErrorManager errors;
    bool created;
};

bool runEncode(EncodeRun* run, ThumbnailEncoder* encoder, const uint8_t* pixels) {
    jpeg_compress_struct* compressor = &run->compressor;
    if (setjmp(run->errors.jumpPoint)) return false;
    jpeg_create_compress(compressor);
    run->created = true;
    installMemoryDestination(compressor, encoder->output, encoder->capacity);
    compressor->image_width = encoder->width;
    compressor->image_height = encoder->height;
    compressor->input_components = 3;
    compressor->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(compressor);
    compressor->optimize_coding = TRUE;
    if (encoder->isGrayscale) {
        jpeg_set_colorspace(compressor, JCS_GRAYSCALE);
    } else {
        compressor->comp_info[0].h_samp_factor = encoder->hSampling;
        compressor->comp_info[0].v_samp_factor = encoder->vSampling;
    }
    jpeg_set_quality(compressor, encoder->quality, TRUE);
    if (encoder->isProgressive) jpeg_simple_progression(compressor);
    jpeg_start_compress(compressor, TRUE);
    // The bitmap stores its bottom row first; the library wants the top row first.
    while (compressor->next_scanline < encoder->height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels) +
                       static_cast<size_t>(encoder->height - 1 - compressor->next_scanline) * encoder->stride;
        jpeg_write_scanlines(compressor, &row, 1);
    }
    jpeg_finish_compress(compressor);
    encoder->produced = static_cast<uint32_t>(encoder->capacity - compressor->dest->free_in_buffer);
    return true;
}

// Maps the output, finds the thumbnail and copies the Exif segment into the job. False when there is no
// thumbnail that can be replaced in place.
bool copyExifSegment(ThumbnailJob* job, const char16_t* outputPath) {
    JpegFile* file = &job->file;
    if (openMappedRead(file, outputPath) == 0) return false;
    file->onExif = findExifThumbnail;
    file->stopAfterExif = stopAfterExif;
    file->onComment = ignoreComment;
    const uint32_t thumbnailOffset = scanMarkers(file, job);
    bool ok = false;
    if (thumbnailOffset != 0 && file->exifFound && file->exifLength >= 2 + kExifIdentifierSize &&
        file->exifLength <= kExifSegmentMax) {
        const uint32_t dataLength = file->exifLength - 2;
        // The thumbnail must start inside the segment, and the length entry must lie before it: everything
        // from the thumbnail on is replaced.
        const uint64_t thumbnailStart = kExifIdentifierSize + static_cast<uint64_t>(thumbnailOffset);
        const uint64_t lengthEntry = kExifIdentifierSize + static_cast<uint64_t>(job->lengthEntryOffset);
        if (thumbnailStart < dataLength && job->lengthEntryOffset != 0 && lengthEntry + 4 <= thumbnailStart) {
            memcpy(job->exifCopy, file->tiffStart - kExifIdentifierSize, dataLength);
            job->thumbnailAt = job->exifCopy + thumbnailStart;
            job->lengthEntryAt = job->exifCopy + lengthEntry;
            job->thumbnailLimit = kLargestThumbnailEnd - thumbnailOffset;
            ok = true;
        }
    }
    closeMapped(file);
    return ok;
}

// Reduces `picture` to the thumbnail size, encodes it into the first half of the buffer and puts it into
// the segment copy. The picture covers spanWidth × spanHeight of the thumbnail's source: its last column
// and row may lie partly outside (a reduced decode), or it is the whole picture at its own size.
bool makeThumbnail(ThumbnailJob* job, const DecodedImage* picture, double spanWidth, double spanHeight,
                   uint32_t thumbnailWidth, uint32_t thumbnailHeight, bool grayscale) {
    uint32_t width = imageWidth(picture);
    uint32_t height = imageHeight(picture);
    uint32_t bitCount = imageBitCount(picture);
    const uint8_t* pixels = picture->pixels;
    uint8_t* reduced = nullptr;
    if (thumbnailWidth == 0 || thumbnailHeight == 0) return false;
    if (thumbnailWidth != width || thumbnailHeight != height) {
        uint8_t* expanded = nullptr;
        if (bitCount == 8) {
            expanded = expandTo24Bit(picture->palette, pixels, width, height);
            if (!expanded) return false;
        }
        reduced = reduceSpanByAreaAveraging(expanded ? expanded : pixels, width, height, spanWidth, spanHeight,
                                            thumbnailWidth, thumbnailHeight);
        freeBitmap(expanded, width, height, 24);
        if (!reduced) return false;
        pixels = reduced;
        bitCount = 24;
        width = thumbnailWidth;
        height = thumbnailHeight;
    }

    ThumbnailEncoder encoder;
    encoder.width = width;
    encoder.height = height;
    encoder.sourceBitCount = bitCount;
    encoder.stride = bitmapStride(width, 24);
    const uint64_t imageSize = static_cast<uint64_t>(encoder.stride) * height;
    encoder.imageSize = imageSize < 0x100000000ull ? static_cast<uint32_t>(imageSize) : 0;
    encoder.isGrayscale = grayscale ? 1 : 0;
    uint32_t size = kExifSegmentMax;
    bool encoded = encodeWithinSize(&encoder, job->buffer, &size, picture->palette, pixels, job->thumbnailLimit);
    textFree(&encoder.errorText);
    freeBitmap(reduced, width, height, 24);
    if (!encoded) return false;
    job->newSize = size;
    memcpy(job->thumbnailAt, job->buffer, size);
    storeExif32(job->lengthEntryAt, size, job->file.exifBigEndian != 0);
    return true;
}

// Finds the thumbnail of `outputPath`, makes the new one from `picture` and rewrites the file.
bool replaceThumbnail(const char16_t* outputPath, const DecodedImage* picture, double spanWidth, double spanHeight,
                      uint32_t thumbnailWidth, uint32_t thumbnailHeight, bool grayscale) {
    ThumbnailJob job;
    job.buffer = static_cast<uint8_t*>(calloc(2, kExifSegmentMax));
    if (!job.buffer) return false;
    job.exifCopy = job.buffer + kExifSegmentMax;
    bool rewritten = copyExifSegment(&job, outputPath) &&
                     makeThumbnail(&job, picture, spanWidth, spanHeight, thumbnailWidth, thumbnailHeight, grayscale) &&
                     rewriteExifSegment(outputPath, &job);
    textFree(&job.file.errorText);
    free(job.buffer);
    return rewritten;
}

}  // namespace

void chooseThumbnailSize(uint32_t width, uint32_t height, uint32_t* thumbnailWidth, uint32_t* thumbnailHeight) {
    *thumbnailWidth = width;
    *thumbnailHeight = height;
    if (width <= kThumbnailSide && height <= kThumbnailSide) return;
    if (width < height) {
        *thumbnailWidth = static_cast<uint32_t>(static_cast<double>(width) * kThumbnailSide / height + 0.5);
        *thumbnailHeight = kThumbnailSide;
    } else {
        *thumbnailWidth = kThumbnailSide;
        *thumbnailHeight = static_cast<uint32_t>(static_cast<double>(height) * kThumbnailSide / width + 0.5);
    }
}

uint32_t findExifThumbnail(JpegFile* file, void* argument) {
    auto* job = static_cast<ThumbnailJob*>(argument);
    if (bytesLeft(file) < 2) return 0;
    const uint32_t entries = file->read16(file);
    if (bytesLeft(file) < static_cast<size_t>(entries) * 12 + 4) return 0;
    file->cursor += static_cast<size_t>(entries) * 12;
    const uint32_t ifd1 = file->read32(file);
    if (ifd1 == 0 || ifd1 >= static_cast<size_t>(file->dataEnd - file->tiffStart)) return 0;
    file->cursor = file->tiffStart + ifd1;
    if (bytesLeft(file) < 2) return 0;
    uint32_t count = file->read16(file);
    uint32_t thumbnailOffset = 0;
    for (; count > 0 && bytesLeft(file) >= 12; --count) {
        const uint32_t tag = file->read16(file);
        if (tag == kTagThumbnailOffset) {
            file->cursor += 6;
            thumbnailOffset = file->read32(file);
        } else if (tag == kTagThumbnailLength) {
            file->cursor += 6;
            if (job) job->lengthEntryOffset = static_cast<uint32_t>(file->cursor - file->tiffStart);
            file->read32(file);
        } else {
            file->cursor += 10;
        }
    }
    return thumbnailOffset;
}

bool encodeThumbnail(ThumbnailEncoder* encoder, const uint8_t* pixels) {
    auto* run = static_cast<EncodeRun*>(calloc(1, sizeof(EncodeRun)));
    if (!run) {
        encoder->errorCode = kEngineOutOfMemory;
        return false;
    }
    run->compressor.err = prepareLibraryErrorManager(&run->errors);
    run->compressor.client_data = &encoder->errorText;
    bool ok = runEncode(run, encoder, pixels);
    if (run->created) jpeg_destroy_compress(&run->compressor);
    free(run);
    return ok;
}

// Searches the quality that fits `limit`: down by halves from 80, then back up, keeping the last fit.
bool encodeWithinSize(ThumbnailEncoder* encoder, uint8_t* output, uint32_t* capacity, const RgbQuad* palette,
                      const uint8_t* pixels, uint32_t limit) {
    uint8_t* expanded = nullptr;
    if (encoder->sourceBitCount != 24) {
        expanded = expandTo24Bit(palette, pixels, encoder->width, encoder->height);
        if (!expanded) {
            encoder->errorCode = kEngineOutOfMemory;
            return false;
        }
        pixels = expanded;
    }
    encoder->output = output;
    encoder->capacity = *capacity;
    int quality = encoder->quality;
    bool ok = encodeThumbnail(encoder, pixels);
    if (ok && encoder->produced > limit && quality > 1) {
        int step = quality / 2;
        int lastGood = 1;
        quality -= step;
        do {
            encoder->quality = quality;
            ok = encodeThumbnail(encoder, pixels);
            if (!ok || quality == 1) break;
            if (step > 1) step /= 2;
            if (encoder->produced > limit) {
                quality -= step;
            } else if (lastGood == quality) {
                break;
            } else {
                lastGood = quality;
                quality += step;
            }
        } while (quality >= 1);
    }
    freeBitmap(expanded, encoder->width, encoder->height, 24);
    *capacity = encoder->produced;
    // Not even quality 1 fits: the old thumbnail stays.
    return ok && encoder->produced <= limit;
}

bool locateExifSegment(const uint8_t* data, uint32_t size, ExifSegmentPlace* place) {
    uint32_t at = 0;
    for (;;) {
        while (at < size && data[at] != 0xFF) ++at;
        while (at < size && data[at] == 0xFF) ++at;
        if (at >= size) return false;
        const uint8_t code = data[at++];
        if (code == JPEG_EOI || code == 0xDA) return false;
        if (code == 0xD8) continue;
        if (size - at < 2) return false;
        const uint32_t length = (data[at] << 8) | data[at + 1];
        // The first APP1 that is Exif (as scanMarkers finds it: identifier and TIFF header inside it);
        // an XMP APP1 before it is stepped over like any other segment.
        if (code == JPEG_APP0 + 1 && length >= 2 + 6 + 8 && size - at >= 8 &&
            memcmp(data + at + 2, "Exif\0\0", 6) == 0) {
            if (length > size - at) return false;
            place->start = at;
            place->end = at + length;
            return true;
        }
        if (length < 2 || length > size - at) return false;
        at += length;
    }
}

// The new bytes from the segment on are built in memory and written in one go; when that write (or the
// new end of file) fails, the old bytes are written back, so the file never keeps a segment length that
// disagrees with what follows.
bool rewriteExifSegment(const char16_t* path, const ThumbnailJob* job) {
    OsHandle file = osOpenFile(path, OpenAccess::ReadWriteExclusive);
    if (file == kInvalidOsHandle) return false;
    uint64_t size64 = 0;
    uint8_t* data = nullptr;
    uint8_t* tail = nullptr;
    bool ok = false;
    ExifSegmentPlace place;
    if (osFileSize(file, &size64) && size64 > 0 && size64 < 0xFFFFFFFFull) {
        const uint32_t size = static_cast<uint32_t>(size64);
        data = static_cast<uint8_t*>(malloc(size));
        const uint32_t before = static_cast<uint32_t>(job->thumbnailAt - job->exifCopy);
        const uint32_t length = before + job->newSize + 2;
        uint32_t got = 0;
        if (data && osReadAt(file, 0, data, size, &got) && got == size && locateExifSegment(data, size, &place) &&
            place.end - place.start == job->file.exifLength && length <= 0xFFFF) {
            const uint32_t rest = size - place.end;
            const uint32_t tailSize = length + rest;
            tail = static_cast<uint8_t*>(malloc(tailSize));
            if (tail) {
                tail[0] = static_cast<uint8_t>(length >> 8);
                tail[1] = static_cast<uint8_t>(length);
                memcpy(tail + 2, job->exifCopy, length - 2);
                memcpy(tail + length, data + place.end, rest);
                uint32_t written = 0;
                ok = osWriteAt(file, place.start, tail, tailSize, &written) && osSetFileSize(file, place.start + tailSize);
                if (!ok) {
                    osWriteAt(file, place.start, data + place.start, size - place.start, &written);
                    osSetFileSize(file, size);
                }
            }
        }
    }
    free(tail);
    free(data);
    return osCloseFile(file) && ok;
}

bool exifThumbnailPlace(const uint8_t* data, uint32_t length, uint32_t* thumbnailStart, uint32_t* lengthEntry,
                        bool* bigEndian) {
    if (length < kExifIdentifierSize + 8 || length > kExifSegmentMax) return false;
    ThumbnailJob job;
    JpegFile* file = &job.file;
    // Only read, as a file's mapping is.
    file->dataStart = const_cast<uint8_t*>(data);
    file->dataEnd = file->dataStart + length;
    file->tiffStart = file->dataStart + kExifIdentifierSize;
    const bool little = file->tiffStart[0] == 'I' && file->tiffStart[1] == 'I';
    file->read16 = little ? readLittle16 : readBig16;
    file->read32 = little ? readLittle32 : readBig32;
    file->cursor = file->tiffStart + 4;
    const uint32_t ifd0 = file->read32(file);
    if (ifd0 >= length - kExifIdentifierSize) return false;
    file->cursor = file->tiffStart + ifd0;
    const uint64_t start = kExifIdentifierSize + uint64_t(findExifThumbnail(file, &job));
    const uint64_t entry = kExifIdentifierSize + uint64_t(job.lengthEntryOffset);
    if (start == kExifIdentifierSize || job.lengthEntryOffset == 0 || start >= length || entry + 4 > start) {
        return false;
    }
    *thumbnailStart = static_cast<uint32_t>(start);
    *lengthEntry = static_cast<uint32_t>(entry);
    *bigEndian = !little;
    return true;
}

bool segmentHasThumbnail(const uint8_t* data, uint32_t length, uint32_t* thumbnailStart, uint32_t* lengthEntry,
                         bool* bigEndian) {
    if (!exifThumbnailPlace(data, length, thumbnailStart, lengthEntry, bigEndian)) return false;
    // A length of 0 says there is no thumbnail, as readExifThumbnailInfo reads it.
    const uint8_t* oldLength = data + *lengthEntry;
    return (oldLength[0] | oldLength[1] | oldLength[2] | oldLength[3]) != 0;
}

bool renewSegmentThumbnail(const uint8_t* data, uint32_t length, uint8_t* renewed, uint32_t* renewedLength,
                           const DecodedImage* picture, double spanWidth, double spanHeight, uint32_t thumbnailWidth,
                           uint32_t thumbnailHeight, bool grayscale) {
    uint32_t start = 0, entry = 0;
    bool bigEndian = false;
    if (!picture || !picture->pixels || !segmentHasThumbnail(data, length, &start, &entry, &bigEndian)) return false;
    ThumbnailJob job;
    job.buffer = static_cast<uint8_t*>(malloc(kExifSegmentMax));
    if (!job.buffer) return false;
    memcpy(renewed, data, start);
    job.exifCopy = renewed;
    job.thumbnailAt = renewed + start;
    job.lengthEntryAt = renewed + entry;
    job.thumbnailLimit = kLargestThumbnailEnd - (start - kExifIdentifierSize);
    job.file.exifBigEndian = bigEndian ? 1 : 0;
    const bool ok = makeThumbnail(&job, picture, spanWidth, spanHeight, thumbnailWidth, thumbnailHeight, grayscale);
    if (ok) *renewedLength = start + job.newSize;
    free(job.buffer);
    return ok;
}

bool regenerateExifThumbnail(const char16_t* outputPath, const DecodedImage* shown, bool grayscale) {
    if (!shown || !shown->pixels) return false;
    const uint32_t width = imageWidth(shown), height = imageHeight(shown);
    uint32_t thumbnailWidth = 0, thumbnailHeight = 0;
    chooseThumbnailSize(width, height, &thumbnailWidth, &thumbnailHeight);
    return replaceThumbnail(outputPath, shown, width, height, thumbnailWidth, thumbnailHeight, grayscale);
}

bool regenerateReducedThumbnail(const char16_t* outputPath, const DecodedImage* reduced, const ReducedDecode* decode,
                                bool grayscale) {
    if (!reduced || !reduced->pixels || decode->scale == 0) return false;
    const PixelRect& window = decode->window;
    uint32_t thumbnailWidth = 0, thumbnailHeight = 0;
    chooseThumbnailSize(window.right - window.left + 1, window.bottom - window.top + 1, &thumbnailWidth,
                        &thumbnailHeight);
    return replaceThumbnail(outputPath, reduced, decode->spanWidth, decode->spanHeight, thumbnailWidth, thumbnailHeight,
                            grayscale);
}

bool prepareThumbnailDecode(ReducedDecode* decode, const PixelRect& window) {
    decode->window = window;
    if (window.left > window.right || window.top > window.bottom) return false;
    chooseThumbnailSize(window.right - window.left + 1, window.bottom - window.top + 1, &decode->coverWidth,
                        &decode->coverHeight);
    return decode->coverWidth != 0 && decode->coverHeight != 0;
}

bool regenerateThumbnailFromSource(const char16_t* sourcePath, const char16_t* outputPath, const PixelRect& window,
                                   bool grayscale) {
    ReducedDecode decode;
    DecodedImage* reduced =
        prepareThumbnailDecode(&decode, window) ? decodeReducedWindow(&decode, sourcePath) : nullptr;
    bool ok = reduced && regenerateReducedThumbnail(outputPath, reduced, &decode, grayscale);
    freeDecodedImage(reduced);
    textFree(&decode.errorText);
    return ok;
}

bool readExifThumbnailInfo(const char16_t* path, bool* hasExif, uint32_t* thumbnailBytes) {
    *hasExif = false;
    *thumbnailBytes = 0;
    ThumbnailJob job;
    JpegFile* file = &job.file;
    if (openMappedRead(file, path) == 0) return false;
    file->onExif = findExifThumbnail;
    file->stopAfterExif = stopAfterExif;
    file->onComment = ignoreComment;
    const uint32_t offset = scanMarkers(file, &job);
    *hasExif = file->exifFound != 0;
    if (offset != 0 && job.lengthEntryOffset != 0 &&
        job.lengthEntryOffset + 4ull <= static_cast<uint64_t>(file->dataEnd - file->tiffStart)) {
        file->cursor = file->tiffStart + job.lengthEntryOffset;
        *thumbnailBytes = file->read32(file);
    }
    closeMapped(file);
    textFree(&file->errorText);
    return true;
}
