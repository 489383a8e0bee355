#include "engine/CropTransform.h"

#include <cstdlib>
#include <cstring>

#include <jerror.h>

#include "engine/HuffmanStats.h"
#include "engine/JpegIo.h"
#include "engine/LibraryError.h"
#include "engine/MarkerCopy.h"
#include "engine/MarkerScan.h"
#include "engine/PictureLimits.h"
#include "engine/WindowArrays.h"
#include "engine/WindowRead.h"

namespace {

uint32_t ignoreExif(JpegFile*, void*) { return 0; }
bool stopAtFirstExif(JpegFile*) { return true; }
void ignoreComment(JpegFile*, void*) {}

j_common_ptr common(j_decompress_ptr decompressor) { return reinterpret_cast<j_common_ptr>(decompressor); }

// The user sees what a failed write inside the library says: the library's own text for it.
void reportFailedWrite(CropTransform* job) {
    jpeg_error_mgr messages;
    jpeg_std_error(&messages);
    textClear(&job->errorText);
    osAppendLibraryMessage(&job->errorText, messages.jpeg_message_table[JERR_FILE_WRITE]);
}

// Sampling factors of output component `c`: a one-component output is always 1 x 1.
void outputSampling(const CropTransform* job, j_decompress_ptr decompressor, int c, int* h, int* v) {
    if (job->outputComponents == 1) {
        *h = 1;
        *v = 1;
    } else {
        *h = decompressor->comp_info[c].h_samp_factor;
        *v = decompressor->comp_info[c].v_samp_factor;
    }
}

}  // namespace

// The library objects and everything else changed after setjmp live here, on the heap: locals changed
// after setjmp are indeterminate after the jump, and the jump skips destructors.
struct TransformRun {
    jpeg_decompress_struct decompressor;
    jpeg_compress_struct compressor;
    LibraryErrorManager decompressorErrors;
    LibraryErrorManager compressorErrors;
    WindowArrays arrays;
    WindowRead read;
    CropTransform* job;
    OsHandle* output;
    // Both on the C heap: running short of memory for them costs the thumbnail, not the crop.
    JCOEF* dcTerms[MAX_COMPONENTS];
    uint8_t* editedExif;
    uint32_t sourceSize;
    bool decompressorCreated;
    bool compressorCreated;
};

namespace {

// A frame header is cheap to forge: before the library allocates anything for the picture, refuse a scan
// that cannot hold it, and a window the machine has no memory for (rather than paging it to its knees).
void checkPictureLimits(CropTransform* job, j_decompress_ptr decompressor, uint64_t bytesToKeep) {
    if (!scanDataCanHoldPicture(decompressor)) {
        job->errorCode = kEngineCannotOpen;
        textAssign(&job->errorText, u"the picture data is far too short for the size its header claims");
        leaveLibraryRun(common(decompressor));
    }
    if (!memoryCanHold(bytesToKeep)) {
        job->errorCode = kEngineOutOfMemory;
        textAssign(&job->errorText, u"there is not enough memory to process the picture");
        leaveLibraryRun(common(decompressor));
    }
}

// Source rows the output needs: down to the window's last row, in whole rows of grid cells.
uint32_t rowsNeeded(const CropTransform* job, j_decompress_ptr decompressor) {
    const uint64_t bottom = uint64_t(job->cropRows) * job->cellHeight + job->outputHeight;
    const uint64_t rowGroup = 8u * static_cast<uint64_t>(decompressor->max_v_samp_factor);
    const uint64_t rows = (bottom + rowGroup - 1) / rowGroup * rowGroup;
    return rows < decompressor->image_height ? static_cast<uint32_t>(rows) : decompressor->image_height;
}

// The blocks each output component takes from its source component, and where the output reads them.
void planWindow(const CropTransform* job, j_decompress_ptr decompressor, WindowPlan* plans) {
    const JDIMENSION cellsAcross = (job->outputWidth + job->cellWidth - 1) / job->cellWidth;
    const JDIMENSION cellsDown = (job->outputHeight + job->cellHeight - 1) / job->cellHeight;
    for (int c = 0; c < job->outputComponents; c++) {
        int h, v;
        outputSampling(job, decompressor, c, &h, &v);
        plans[c] = {job->cropRows * static_cast<JDIMENSION>(v), cellsDown * static_cast<JDIMENSION>(v),
                    job->cropColumns * static_cast<JDIMENSION>(h), cellsAcross * static_cast<JDIMENSION>(h)};
    }
}

HeldCrop heldOf(TransformRun* run) {
    return {&run->decompressor, &run->compressor, &run->arrays, &run->decompressorErrors, run->dcTerms};
}

// The segment that copySavedMarkers fixes the pixel size of: the first Exif APP1, if it is copied.
void editFirstExif(TransformRun* run) {
    j_decompress_ptr decompressor = &run->decompressor;
    for (jpeg_saved_marker_ptr marker = decompressor->marker_list; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1 || !markerDataBeginsWith(marker, "Exif\0\0", 6)) continue;
        if (!markerIsCopied(decompressor, &run->compressor, marker)) return;
        run->editedExif = static_cast<uint8_t*>(malloc(kSegmentDataMax));
        const HeldCrop held = heldOf(run);
        uint32_t length = 0;
        if (run->editedExif && run->job->editExif(run->job, &held, marker, run->editedExif, &length)) {
            // The held run's check compares the output with the segment as it was written.
            marker->data = run->editedExif;
            marker->data_length = length;
            run->job->exifEdited = 1;
        }
        return;
    }
}

// Room for each output block's DC term; without it they are read from the blocks.
void makeDcTerms(TransformRun* run) {
    for (int c = 0; c < run->compressor.num_components; c++) {
        const jpeg_component_info& component = run->compressor.comp_info[c];
        run->dcTerms[c] = static_cast<JCOEF*>(
            malloc(size_t(component.width_in_blocks) * component.height_in_blocks * sizeof(JCOEF)));
    }
}

void freeRun(TransformRun* run) {
    if (run->compressorCreated) jpeg_destroy_compress(&run->compressor);
    if (run->decompressorCreated) jpeg_destroy_decompress(&run->decompressor);
    for (JCOEF* terms : run->dcTerms) free(terms);
    free(run->editedExif);
    free(run);
}

void monitorRead(j_common_ptr object) {
    WindowArrays* arrays = windowArraysOf(object);
    watchRead(reinterpret_cast<j_decompress_ptr>(object), static_cast<WindowRead*>(arrays->monitorData));
}

// Steps between creating and destroying the library objects. Holds nothing with a destructor: any
// library error jumps out of it to runTransform.
bool transcode(TransformRun* run) {
    CropTransform* job = run->job;
    j_decompress_ptr decompressor = &run->decompressor;
    j_compress_ptr compressor = &run->compressor;
    decompressor->mem->max_memory_to_use = compressor->mem->max_memory_to_use;
    installMemorySource(decompressor, job->dataStart, run->sourceSize);
    bool writeJfif = true;
    if (job->markerCopyMode == kCopyAllMarkers) {
        if (job->exifFound) writeJfif = false;
        for (int n = 0; n < 16; n++) jpeg_save_markers(decompressor, JPEG_APP0 + n, 0xFFFF);
    }
    if (job->markerCopyMode == kCopyAllMarkers || job->markerCopyMode == kCopyComments) {
        jpeg_save_markers(decompressor, JPEG_COM, 0xFFFF);
    }
    jpeg_read_header(decompressor, TRUE);
    planCrop(job, decompressor);
    WindowPlan plans[MAX_COMPONENTS];
    planWindow(job, decompressor, plans);
    // A progressive source's later scans refine what earlier ones wrote: its rows are kept from the top.
    const bool keepFromTop = decompressor->progressive_mode != 0;
    const uint32_t rows = job->readWholeSource ? decompressor->image_height : rowsNeeded(job, decompressor);
    checkPictureLimits(job, decompressor,
                       windowArraysBytes(decompressor, plans, job->outputComponents, keepFromTop, rows));
    if (rows < decompressor->image_height &&
        cutFrame(job->dataStart, run->sourceSize, decompressor->image_width, decompressor->image_height, rows)) {
        // Read as a shorter picture, every scan stops at the window's last row.
        jpeg_abort_decompress(decompressor);
        installMemorySource(decompressor, job->dataStart, run->sourceSize);
        jpeg_read_header(decompressor, TRUE);
        run->read.frameCut = true;
    }
    job->rowsRead = decompressor->image_height;
    if (job->viewBase && job->dataStart == job->viewBase) {
        run->read.viewBase = job->viewBase;
        run->read.viewSize = run->sourceSize;
    }
    installWindowArrays(&run->arrays, decompressor, plans, job->outputComponents, keepFromTop, monitorRead, &run->read);
    jvirt_barray_ptr* sourceArrays = jpeg_read_coefficients(decompressor);
    settleWindowArrays(decompressor);
    job->sourceWarnings = decompressor->err->num_warnings;
    // Every coefficient the output takes is in memory now and the segments are saved: the mapped source is
    // not read again, so its pages need not stay while the output is written.
    osReleaseMappedPages(job->viewBase, run->sourceSize);
    jpeg_copy_critical_parameters(decompressor, compressor);
    adjustOutputParameters(job, decompressor, compressor);
    if (job->isProgressive) jpeg_simple_progression(compressor);
    // Optimal tables either way; a sequential output counts them here, so the library encodes in one pass.
    const bool countTables = !job->isProgressive && canCountHuffmanTables(compressor);
    compressor->optimize_coding = countTables ? FALSE : TRUE;
    // A JFIF marker makes decoders read three components as YCbCr, whatever an Adobe marker says: an RGB
    // output carrying one would decode with wrong colours.
    if (compressor->jpeg_color_space == JCS_RGB) writeJfif = false;
    compressor->write_JFIF_header = writeJfif ? TRUE : FALSE;
    installFileDestination(compressor, run->output);
    jvirt_barray_ptr* views = makeWindowViews(decompressor, compressor, sourceArrays, plans, compressor->num_components);
    jpeg_write_coefficients(compressor, views);
    if (countTables) {
        if (job->keepDcTerms && job->editExif && job->exifFound) makeDcTerms(run);
        useOptimalTables(compressor, views, run->dcTerms);
    }
    if (job->editExif && job->markerCopyMode == kCopyAllMarkers) editFirstExif(run);
    copySavedMarkers(decompressor, compressor, job->sourceWidth, job->sourceHeight);
    jpeg_finish_compress(compressor);
    // Finishing the read frees the image pool, and with it the window's blocks that a held run keeps.
    if (!job->holdCoefficients) jpeg_finish_decompress(decompressor);
    return true;
}

// Each object's errors jump back to the function that created it; the compressor's run is nested in the
// decompressor's, so a jump only ever leaves frames.
bool runCompressor(TransformRun* run) {
    if (setjmp(run->compressorErrors.jumpPoint)) return false;
    jpeg_create_compress(&run->compressor);
    run->compressorCreated = true;
    return transcode(run);
}

bool runDecompressor(TransformRun* run) {
    if (setjmp(run->decompressorErrors.jumpPoint)) return false;
    jpeg_create_decompress(&run->decompressor);
    run->decompressorCreated = true;
    return runCompressor(run);
}

}  // namespace

bool transformFile(CropTransform* job, const char16_t* sourcePath, const char16_t* outputPath) {
    job->errorCode = kEngineOk;
    job->cropColumns = 0;
    job->cropRows = 0;
    job->exifFound = 0;
    job->exifEdited = 0;
    textClear(&job->errorText);
    uint32_t size = openMappedCopyOnWrite(job, sourcePath);
    if (size == 0) return false;
    bool ok = false;
    OsHandle output = createOutputFile(job, outputPath);
    if (output != kInvalidOsHandle) ok = runTransform(job, &output, size);
    closeMapped(job);
    // A close can report a write the system held back (a full network share): that save has failed.
    if (!osCloseFile(output) && ok) {
        ok = false;
        reportFailedWrite(job);
    }
    return ok;
}

// The library work runs on a heap record (TransformRun); both objects are destroyed on every path but a
// held success.
bool runTransform(CropTransform* job, OsHandle* output, uint32_t sourceSize) {
    job->onExif = ignoreExif;
    job->stopAfterExif = stopAtFirstExif;
    job->onComment = ignoreComment;
    job->cursor = job->dataStart;
    int32_t errorCode = job->errorCode;
    scanMarkers(job, nullptr);
    // Only exifFound matters here: a broken marker structure is for the library to judge.
    job->errorCode = errorCode;
    job->cursor = job->dataStart;

    // Zero-filled, so that nothing is destroyed that was never created.
    auto* run = static_cast<TransformRun*>(calloc(1, sizeof(TransformRun)));
    if (!run) {
        job->errorCode = kEngineOutOfMemory;
        return false;
    }
    run->job = job;
    run->output = output;
    run->sourceSize = sourceSize;
    run->decompressor.err = prepareLibraryErrorManager(&run->decompressorErrors);
    run->decompressor.client_data = &job->errorText;
    run->compressor.err = prepareLibraryErrorManager(&run->compressorErrors);
    run->compressor.client_data = &job->errorText;
    const bool ok = runDecompressor(run);
    if (ok && job->holdCoefficients) {
        releaseCropHold(job);
        job->held = run;
        return true;
    }
    freeRun(run);
    return ok;
}

bool heldCrop(const CropTransform* job, HeldCrop* held) {
    if (!job->held) return false;
    *held = heldOf(job->held);
    return true;
}

void releaseCropHold(CropTransform* job) {
    TransformRun* run = job->held;
    if (!run) return;
    freeRun(run);
    job->held = nullptr;
}

void planCrop(CropTransform* job, j_decompress_ptr decompressor) {
    bool grayscaleFromColour =
        job->saveGrayscale && decompressor->jpeg_color_space == JCS_YCbCr && decompressor->num_components == 3;
    job->outputComponents = grayscaleFromColour ? 1 : decompressor->num_components;
    decompressor->scale_num = 1;
    decompressor->scale_denom = 1;
    jpeg_core_output_dimensions(decompressor);
    if (job->outputComponents > 1) {
        job->cellWidth = 8u * static_cast<uint32_t>(decompressor->max_h_samp_factor);
        job->cellHeight = 8u * static_cast<uint32_t>(decompressor->max_v_samp_factor);
    } else {
        job->cellWidth = 8;
        job->cellHeight = 8;
    }
    job->outputWidth = decompressor->image_width;
    job->outputHeight = decompressor->image_height;
    job->cropColumns = 0;
    job->cropRows = 0;
    job->sourceWidth = decompressor->image_width;
    job->sourceHeight = decompressor->image_height;
    if (job->cropEnabled) {
        const CropRequest& crop = job->crop;
        if (crop.left >= job->outputWidth || crop.top >= job->outputHeight) ERREXIT(decompressor, JERR_BAD_CROP_SPEC);
        if (crop.width == 0 || crop.width > job->outputWidth || crop.height == 0 || crop.height > job->outputHeight ||
            crop.left > job->outputWidth - crop.width || crop.top > job->outputHeight - crop.height) {
            ERREXIT(decompressor, JERR_BAD_CROP_SPEC);
        }
        job->outputWidth = crop.width + crop.left % job->cellWidth;
        job->cropColumns = crop.left / job->cellWidth;
        job->outputHeight = crop.height + crop.top % job->cellHeight;
        job->cropRows = crop.top / job->cellHeight;
    }
}

void adjustOutputParameters(CropTransform* job, j_decompress_ptr decompressor, j_compress_ptr compressor) {
    if (job->saveGrayscale) {
        bool colourToGray = compressor->jpeg_color_space == JCS_YCbCr && compressor->num_components == 3;
        bool alreadyGray = compressor->jpeg_color_space == JCS_GRAYSCALE && compressor->num_components == 1;
        // Only the luminance blocks are kept, so they must cover the picture at full resolution.
        bool lumaIsFull = decompressor->comp_info[0].h_samp_factor == decompressor->max_h_samp_factor &&
                          decompressor->comp_info[0].v_samp_factor == decompressor->max_v_samp_factor;
        if (!(colourToGray || alreadyGray) || !lumaIsFull) ERREXIT(compressor, JERR_CONVERSION_NOTIMPL);
        int table = compressor->comp_info[0].quant_tbl_no;
        jpeg_set_colorspace(compressor, JCS_GRAYSCALE);
        compressor->comp_info[0].quant_tbl_no = table;
    } else if (job->outputComponents == 1) {
        compressor->comp_info[0].h_samp_factor = 1;
        compressor->comp_info[0].v_samp_factor = 1;
    }
    compressor->jpeg_width = job->outputWidth;
    compressor->jpeg_height = job->outputHeight;
}
