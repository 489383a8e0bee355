#include "engine/SaveVerify.h"

#include <cstdlib>
#include <cstring>

#include <jerror.h>

#include "engine/CropTransform.h"
#include "engine/ExifThumbnail.h"
#include "engine/JpegIo.h"
#include "engine/LibraryError.h"
#include "engine/MarkerCopy.h"
#include "engine/WindowArrays.h"

namespace {


// One component's coefficient array of a sequential reader: a single row group, compared with the held
// blocks once the decoder has moved past it.
struct StreamArray {
    JDIMENSION blocksPerRow;
    JDIMENSION maxAccess;
    JBLOCKARRAY scratch;
    JDIMENSION pendingRow;
    JDIMENSION pendingCount;
    JDIMENSION comparedTo;  // every row above it has been compared
};

// A sequential output's blocks are compared as they are decoded, so that reading back makes no second
// copy of the window (the decoder of a progressive output needs its whole arrays: later scans refine).
// The reader reaches this record through its progress field, the first member.
struct StreamCompare {
    jpeg_progress_mgr progress;
    const HeldCrop* held;
    StreamArray arrays[MAX_COMPONENTS];
    int requested;
    bool differs;
    jvirt_barray_ptr (*libraryRequest)(j_common_ptr, int, boolean, JDIMENSION, JDIMENSION, JDIMENSION);
    void (*libraryRealize)(j_common_ptr);
    JBLOCKARRAY (*libraryAccess)(j_common_ptr, jvirt_barray_ptr, JDIMENSION, JDIMENSION, boolean);
};

// The reader and everything changed after setjmp live here, on the heap (the setjmp rule of
// CropTransform.cpp).
struct VerifyRun {
    StreamCompare stream;
    jpeg_decompress_struct reader;
    LibraryErrorManager readerErrors;
    HeldCrop held;
    const CropTransform* job;
    const uint8_t* data;
    uint32_t size;
    bool created;
};

bool sameSegment(const jpeg_saved_marker_ptr a, const jpeg_saved_marker_ptr b) {
    return a->marker == b->marker && a->data_length == b->data_length &&
           memcmp(a->data, b->data, a->data_length) == 0;
}

// The Exif segment whose thumbnail the save renewed differs in the thumbnail, in what followed it inside
// the segment and in the length entry; every other byte before the thumbnail is the source's.
bool sameExifSegment(const jpeg_saved_marker_ptr expected, const jpeg_saved_marker_ptr written) {
    if (sameSegment(expected, written)) return true;
    uint32_t start = 0, entry = 0;
    bool bigEndian = false;
    if (written->marker != expected->marker ||
        !exifThumbnailPlace(expected->data, expected->data_length, &start, &entry, &bigEndian) ||
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

bool sameRow(const jpeg_component_info& component, const HeldCrop& held, int c, JDIMENSION row, JBLOCKROW read) {
    JBLOCKROW kept = windowViewRow(held.arrays, c, row);
    return kept && memcmp(read, kept, static_cast<size_t>(component.width_in_blocks) * sizeof(JBLOCK)) == 0;
}

// Each component's table against the one its source component was quantized with, and, unless they were
// compared while they were read, every block against the blocks the compressor read.
bool sameBlocks(j_decompress_ptr reader, jvirt_barray_ptr* arrays, const HeldCrop& held, bool streamed) {
    for (int c = 0; c < reader->num_components; c++) {
        const jpeg_component_info& component = reader->comp_info[c];
        const JQUANT_TBL* table = component.quant_table;
        const JQUANT_TBL* expected = held.source->comp_info[c].quant_table;
        if (!table || !expected || memcmp(table->quantval, expected->quantval, sizeof table->quantval) != 0) {
            return false;
        }
        for (JDIMENSION row = 0; !streamed && row < component.height_in_blocks; row++) {
            JBLOCKARRAY read =
                (*reader->mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(reader), arrays[c], row, 1, FALSE);
            if (!sameRow(component, held, c, row, read[0])) return false;
        }
    }
    return true;
}

StreamCompare* streamOf(j_common_ptr object) { return reinterpret_cast<StreamCompare*>(object->progress); }

StreamArray* streamArray(StreamCompare* stream, jvirt_barray_ptr handle) {
    for (int c = 0; c < stream->requested; c++) {
        if (reinterpret_cast<jvirt_barray_ptr>(&stream->arrays[c]) == handle) return &stream->arrays[c];
    }
    return nullptr;
}

void comparePending(j_decompress_ptr reader, StreamCompare* stream, int c) {
    StreamArray* array = &stream->arrays[c];
    const jpeg_component_info& component = reader->comp_info[c];
    for (JDIMENSION i = 0; i < array->pendingCount; i++) {
        const JDIMENSION row = array->pendingRow + i;
        if (row < component.height_in_blocks && !sameRow(component, *stream->held, c, row, array->scratch[i])) {
            stream->differs = true;
        }
    }
    if (array->pendingCount && array->pendingRow + array->pendingCount > array->comparedTo) {
        array->comparedTo = array->pendingRow + array->pendingCount;
    }
    array->pendingCount = 0;
}

jvirt_barray_ptr requestStream(j_common_ptr object, int pool, boolean preZero, JDIMENSION blocksPerRow,
                               JDIMENSION rowCount, JDIMENSION maxAccess) {
    StreamCompare* stream = streamOf(object);
    const int c = stream->requested;
    // The coefficient controller asks once per component, in order; anything else is the library's.
    if (pool != JPOOL_IMAGE || c >= reinterpret_cast<j_decompress_ptr>(object)->num_components) {
        return stream->libraryRequest(object, pool, preZero, blocksPerRow, rowCount, maxAccess);
    }
    stream->arrays[c] = StreamArray{blocksPerRow, maxAccess, nullptr, 0, 0, 0};
    stream->requested = c + 1;
    return reinterpret_cast<jvirt_barray_ptr>(&stream->arrays[c]);
}

void realizeStream(j_common_ptr object) {
    StreamCompare* stream = streamOf(object);
    stream->libraryRealize(object);
    for (int c = 0; c < stream->requested; c++) {
        StreamArray& array = stream->arrays[c];
        if (!array.scratch) {
            array.scratch = (*object->mem->alloc_barray)(object, JPOOL_IMAGE, array.blocksPerRow, array.maxAccess);
        }
    }
}

JBLOCKARRAY accessStream(j_common_ptr object, jvirt_barray_ptr handle, JDIMENSION startRow, JDIMENSION numRows,
                         boolean writable) {
    StreamCompare* stream = streamOf(object);
    StreamArray* array = streamArray(stream, handle);
    if (!array) return stream->libraryAccess(object, handle, startRow, numRows, writable);
    if (!array->scratch || numRows == 0 || numRows > array->maxAccess) ERREXIT(object, JERR_BAD_VIRTUAL_ACCESS);
    comparePending(reinterpret_cast<j_decompress_ptr>(object), stream, static_cast<int>(array - stream->arrays));
    // The decoder writes only the coefficients it finds: the rest must read as zeros.
    for (JDIMENSION i = 0; i < numRows; i++) {
        memset(array->scratch[i], 0, static_cast<size_t>(array->blocksPerRow) * sizeof(JBLOCK));
    }
    array->pendingRow = startRow;
    array->pendingCount = numRows;
    return array->scratch;
}

void monitorNothing(j_common_ptr) {}

void ignoreMessage(j_common_ptr) {}

void installStream(j_decompress_ptr reader, StreamCompare* stream, const HeldCrop* held) {
    stream->progress.progress_monitor = monitorNothing;
    stream->held = held;
    reader->progress = &stream->progress;
    jpeg_memory_mgr* memory = reader->mem;
    stream->libraryRequest = memory->request_virt_barray;
    stream->libraryRealize = memory->realize_virt_arrays;
    stream->libraryAccess = memory->access_virt_barray;
    memory->request_virt_barray = requestStream;
    memory->realize_virt_arrays = realizeStream;
    memory->access_virt_barray = accessStream;
}

// After the read: the last groups compared, and every row of every component reached.
bool streamedSame(j_decompress_ptr reader, StreamCompare* stream) {
    if (stream->requested != reader->num_components) return false;
    for (int c = 0; c < stream->requested; c++) {
        comparePending(reader, stream, c);
        if (stream->arrays[c].comparedTo < reader->comp_info[c].height_in_blocks) return false;
    }
    return !stream->differs;
}

// Steps between creating and destroying the reader; holds nothing with a destructor.
bool compareWithHeld(VerifyRun* run) {
    j_decompress_ptr reader = &run->reader;
    installMemorySource(reader, run->data, run->size);
    for (int n = 0; n < 16; n++) jpeg_save_markers(reader, JPEG_APP0 + n, 0xFFFF);
    jpeg_save_markers(reader, JPEG_COM, 0xFFFF);
    if (jpeg_read_header(reader, TRUE) != JPEG_HEADER_OK || !sameFrame(reader, run->job, run->held)) return false;
    const bool streamed = !reader->progressive_mode;
    if (streamed) installStream(reader, &run->stream, &run->held);
    jvirt_barray_ptr* arrays = jpeg_read_coefficients(reader);
    return arrays && (!streamed || streamedSame(reader, &run->stream)) &&
           sameBlocks(reader, arrays, run->held, streamed) && sameSegments(reader, run->held);
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

bool verifySavedFile(const CropTransform* job, const char16_t* path) {
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
        // A damaged file's warnings are the mismatch the caller reports, not messages of their own.
        run->readerErrors.base.output_message = ignoreMessage;
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
