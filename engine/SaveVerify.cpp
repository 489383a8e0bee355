#include "engine/SaveVerify.h"

#include <cstdlib>
#include <cstring>

#include "engine/CropTransform.h"
#include "engine/ExifThumbnail.h"
#include "engine/JpegIo.h"
#include "engine/LibraryError.h"
#include "engine/MarkerCopy.h"
#include "engine/MarkerScan.h"
#include "engine/WindowArrays.h"

namespace {

constexpr uint32_t kExifIdentifierSize = 6;  // "Exif" 0 0

// The reader and everything changed after setjmp live here, on the heap (the setjmp rule of
// CropTransform.cpp).
struct VerifyRun {
    jpeg_decompress_struct reader;
    LibraryErrorManager readerErrors;
    HeldCrop held;
    CropTransform* job;
    const uint8_t* data;
    uint32_t size;
    bool created;
};

bool sameSegment(const jpeg_saved_marker_ptr a, const jpeg_saved_marker_ptr b) {
    return a->marker == b->marker && a->data_length == b->data_length &&
           memcmp(a->data, b->data, a->data_length) == 0;
}

// Where the save would renew the thumbnail of Exif segment data (from "Exif" on): the thumbnail's start
// and its length entry, by the rules of the renewal itself. False when it would not renew it.
bool thumbnailPlace(const jpeg_saved_marker_ptr exif, uint32_t* thumbnailStart, uint32_t* lengthEntry) {
    const uint32_t length = exif->data_length;
    if (length < kExifIdentifierSize + 8) return false;
    ThumbnailJob job;
    JpegFile* file = &job.file;
    file->dataStart = exif->data;
    file->dataEnd = exif->data + length;
    file->tiffStart = exif->data + kExifIdentifierSize;
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
    return true;
}

// The Exif segment whose thumbnail the save renewed differs in the thumbnail, in what followed it inside
// the segment and in the length entry; every other byte before the thumbnail is the source's.
bool sameExifSegment(const jpeg_saved_marker_ptr expected, const jpeg_saved_marker_ptr written) {
    if (sameSegment(expected, written)) return true;
    uint32_t start = 0, entry = 0;
    if (written->marker != expected->marker || !thumbnailPlace(expected, &start, &entry) ||
        written->data_length < start) {
        return false;
    }
    return memcmp(expected->data, written->data, entry) == 0 &&
           memcmp(expected->data + entry + 4, written->data + entry + 4, start - entry - 4) == 0;
}

// The written file's segments: the library's own JFIF and Adobe segments first, then exactly the
// source's segments that the save copied, in order.
bool sameSegments(j_decompress_ptr reader, const HeldCrop& held) {
    jpeg_saved_marker_ptr written = reader->marker_list;
    if (held.output->write_JFIF_header && written && written->marker == JPEG_APP0) written = written->next;
    if (held.output->write_Adobe_marker && written && written->marker == JPEG_APP0 + 14) written = written->next;
    bool exifSeen = false;
    for (jpeg_saved_marker_ptr expected = held.source->marker_list; expected; expected = expected->next) {
        if (!markerIsCopied(held.source, held.output, expected)) continue;
        if (!written) return false;
        const bool renewed =
            !exifSeen && expected->marker == JPEG_APP0 + 1 && markerDataBeginsWith(expected, "Exif\0\0", 6);
        exifSeen = exifSeen || renewed;
        if (!(renewed ? sameExifSegment(expected, written) : sameSegment(expected, written))) return false;
        written = written->next;
    }
    return written == nullptr;
}

bool sameFrame(j_decompress_ptr reader, const CropTransform* job, const HeldCrop& held) {
    if (reader->image_width != job->outputWidth || reader->image_height != job->outputHeight ||
        reader->num_components != held.output->num_components ||
        (reader->progressive_mode != 0) != (job->isProgressive != 0)) {
        return false;
    }
    for (int c = 0; c < reader->num_components; c++) {
        const jpeg_component_info& read = reader->comp_info[c];
        const jpeg_component_info& written = held.output->comp_info[c];
        if (read.h_samp_factor != written.h_samp_factor || read.v_samp_factor != written.v_samp_factor) return false;
    }
    return true;
}

// Every block of every component against the blocks the compressor read, and each component's table
// against the one its source component was quantized with.
bool sameBlocks(j_decompress_ptr reader, jvirt_barray_ptr* arrays, const HeldCrop& held) {
    for (int c = 0; c < reader->num_components; c++) {
        const jpeg_component_info& component = reader->comp_info[c];
        const JQUANT_TBL* table = component.quant_table;
        const JQUANT_TBL* expected = held.source->comp_info[c].quant_table;
        if (!table || !expected || memcmp(table->quantval, expected->quantval, sizeof table->quantval) != 0) {
            return false;
        }
        const size_t rowBytes = static_cast<size_t>(component.width_in_blocks) * sizeof(JBLOCK);
        for (JDIMENSION row = 0; row < component.height_in_blocks; row++) {
            JBLOCKARRAY read =
                (*reader->mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(reader), arrays[c], row, 1, FALSE);
            JBLOCKROW kept = windowViewRow(held.arrays, c, row);
            if (!kept || memcmp(read[0], kept, rowBytes) != 0) return false;
        }
    }
    return true;
}

// Steps between creating and destroying the reader; holds nothing with a destructor.
bool compareWithHeld(VerifyRun* run) {
    j_decompress_ptr reader = &run->reader;
    installMemorySource(reader, run->data, run->size);
    for (int n = 0; n < 16; n++) jpeg_save_markers(reader, JPEG_APP0 + n, 0xFFFF);
    jpeg_save_markers(reader, JPEG_COM, 0xFFFF);
    if (jpeg_read_header(reader, TRUE) != JPEG_HEADER_OK || !sameFrame(reader, run->job, run->held)) return false;
    jvirt_barray_ptr* arrays = jpeg_read_coefficients(reader);
    return arrays && sameBlocks(reader, arrays, run->held) && sameSegments(reader, run->held);
}

bool runReader(VerifyRun* run) {
    if (setjmp(run->readerErrors.jumpPoint)) return false;
    jpeg_create_decompress(&run->reader);
    run->created = true;
    return compareWithHeld(run);
}

// The held source's errors (reading one of the library's own arrays) must not jump into the frames of
// the run that made it, long gone: they come here.
bool runWithHeld(VerifyRun* run) {
    if (setjmp(run->held.sourceErrors->jumpPoint)) return false;
    return runReader(run);
}

}  // namespace

bool verifySavedFile(CropTransform* job, const char16_t* path) {
    auto* run = static_cast<VerifyRun*>(calloc(1, sizeof(VerifyRun)));
    if (!run) return false;
    bool same = false;
    JpegFile file;
    if (heldCrop(job, &run->held)) {
        run->job = job;
        run->size = openMappedRead(&file, path);
        run->data = file.dataStart;
    }
    if (run->size != 0) {
        run->reader.err = prepareLibraryErrorManager(&run->readerErrors);
        run->reader.client_data = nullptr;
        same = runWithHeld(run);
        if (run->created) jpeg_destroy_decompress(&run->reader);
    }
    closeMapped(&file);
    textFree(&file.errorText);
    free(run);
    return same;
}

bool checkSavedFile(const char16_t* path, void* context) {
    auto* check = static_cast<SavedFileCheck*>(context);
    if (!check->job) return true;
    check->mismatch = !verifySavedFile(check->job, path);
    return !check->mismatch;
}
