#include "engine/ReducedDecode.h"

#include <cstdlib>
#include <cstring>

#include "engine/DecodedImage.h"
#include "engine/JpegIo.h"
#include "engine/LibraryError.h"
#include "engine/PictureLimits.h"

namespace {

// Everything the decode changes after setjmp lives here: locals changed after setjmp are indeterminate
// after the jump, and the jump skips destructors.
struct ReducedRun {
    jpeg_decompress_struct decompressor;
    LibraryErrorManager errors;
    ReducedDecode* file;
    DecodedImage* image;
    uint8_t* cmykTable;
    uint32_t size;  // bytes from dataStart
    bool created;
};

// A block of 8 source pixels gives `scale` decoded ones: the first decoded pixel at or after a source
// position on the block grid, and the first one wholly past a window's end.
uint32_t scaledStart(uint32_t position, uint32_t scale) {
    return static_cast<uint32_t>(uint64_t(position) * scale / 8);
}
uint32_t scaledEnd(uint32_t position, uint32_t scale) {
    return static_cast<uint32_t>((uint64_t(position) * scale + 7) / 8);
}

bool decodeWindowPixels(ReducedRun* run) {
    jpeg_decompress_struct* decompressor = &run->decompressor;
    ReducedDecode* file = run->file;
    DecodedImage* image = run->image;
    if (setjmp(run->errors.jumpPoint)) return false;

    jpeg_create_decompress(decompressor);
    run->created = true;
    installMemorySource(decompressor, file->dataStart, run->size);
    jpeg_read_header(decompressor, TRUE);
    if (!scanDataCanHoldPicture(decompressor)) {
        file->errorCode = kEngineCannotOpen;
        return false;
    }
    // Off the block grid the window's edges would fall inside decoded pixels.
    const PixelRect& window = file->window;
    if (window.left > window.right || window.top > window.bottom || window.right >= decompressor->image_width ||
        window.bottom >= decompressor->image_height || window.left % DCTSIZE != 0 || window.top % DCTSIZE != 0) {
        file->errorCode = kEngineNoBitmap;
        return false;
    }
    const uint32_t windowWidth = window.right - window.left + 1;
    const uint32_t windowHeight = window.bottom - window.top + 1;
    const uint32_t scale = smallestCoveringScale(windowWidth, windowHeight, file->coverWidth, file->coverHeight);
    const uint32_t left = scaledStart(window.left, scale);
    const uint32_t top = scaledStart(window.top, scale);
    const uint32_t columns = scaledEnd(window.right + 1, scale) - left;
    const uint32_t rows = scaledEnd(window.bottom + 1, scale) - top;
    const uint32_t claimedBits = decompressor->num_components == 1 ? 8 : 24;
    uint64_t needed = bitmapAllocationSize(columns, rows, claimedBits);
    if (needed == 0) {
        file->errorCode = kEngineNoBitmap;
        return false;
    }
    needed += bufferedCoefficientBytes(decompressor);
    if (!memoryCanHold(needed)) {
        file->errorCode = kEngineOutOfMemory;
        return false;
    }
    decompressor->scale_num = scale;
    decompressor->scale_denom = 8;
    setDisplayColorSpace(decompressor);
    jpeg_start_decompress(decompressor);

    const int components = decompressor->output_components;
    uint32_t bitCount = 24;
    if (components == 1) {
        bitCount = 8;
        fillGreyPalette(image->palette);
    } else if (components != 3 && components != 4) {
        file->errorCode = kEngineNoBitmap;
        return false;
    }
    // The library treats the first and last columns it is asked for as the picture's edges, and smoothly
    // upsampled colour there would differ from the whole decode's: one grid column more is asked for on
    // each side, where the picture has one. The library then moves the left edge back to its own column
    // grid and widens the width to match: the decoded rows begin `extra` pixels before the window.
    const uint32_t gridColumn = static_cast<uint32_t>(decompressor->max_h_samp_factor) * scale;
    const uint32_t askedLeft = left > gridColumn ? left - gridColumn : 0;
    const uint32_t askedEnd = left + columns + gridColumn;
    JDIMENSION cropLeft = askedLeft;
    JDIMENSION cropWidth = (askedEnd < decompressor->output_width ? askedEnd : decompressor->output_width) - askedLeft;
    jpeg_crop_scanline(decompressor, &cropLeft, &cropWidth);
    const uint32_t extra = left - cropLeft;
    if (top > 0 && jpeg_skip_scanlines(decompressor, top) != top) {
        file->errorCode = kEngineNoBitmap;
        return false;
    }
    image->header = makeBitmapHeader(columns, rows, bitCount);
    image->pixels = allocateBitmap(columns, rows, bitCount);
    if (!image->pixels) {
        file->errorCode = kEngineOutOfMemory;
        return false;
    }
    if (components == 4) {
        run->cmykTable = makeCmykTable();
        if (!run->cmykTable) {
            file->errorCode = kEngineOutOfMemory;
            return false;
        }
    }
    JSAMPARRAY row = (*decompressor->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(decompressor), JPOOL_IMAGE,
                                                        cropWidth * static_cast<JDIMENSION>(components), 1);
    const uint32_t stride = bitmapStride(columns, bitCount);
    for (uint32_t y = 0; y < rows; ++y) {
        if (jpeg_read_scanlines(decompressor, row, 1) != 1) break;
        uint8_t* target = image->pixels + static_cast<size_t>(rows - 1 - y) * stride;
        const uint8_t* from = row[0] + static_cast<size_t>(extra) * components;
        if (components == 4) {
            convertCmykRow(from, target, columns, run->cmykTable);
        } else {
            memcpy(target, from, static_cast<size_t>(columns) * components);
        }
    }
    // The rows below the window are never decoded (nor, in a sequential file, read).
    jpeg_abort_decompress(decompressor);

    file->isGrayscale = components == 1 ? 1 : 0;
    file->isProgressive = decompressor->progressive_mode ? 1 : 0;
    file->scale = scale;
    file->spanWidth = static_cast<double>(windowWidth) * scale / 8;
    file->spanHeight = static_cast<double>(windowHeight) * scale / 8;
    return true;
}

}  // namespace

uint32_t smallestCoveringScale(uint32_t width, uint32_t height, uint32_t coverWidth, uint32_t coverHeight) {
    for (uint32_t scale = 1; scale < 8; ++scale) {
        if (uint64_t(width) * scale >= uint64_t(coverWidth) * 8 &&
            uint64_t(height) * scale >= uint64_t(coverHeight) * 8) {
            return scale;
        }
    }
    return 8;
}

DecodedImage* decodeReducedWindow(ReducedDecode* file, const char16_t* path) {
    file->errorCode = kEngineOk;
    file->scale = 0;
    textClear(&file->errorText);
    auto* image = static_cast<DecodedImage*>(calloc(1, sizeof(DecodedImage)));
    auto* run = static_cast<ReducedRun*>(calloc(1, sizeof(ReducedRun)));
    if (!image || !run) {
        file->errorCode = kEngineOutOfMemory;
        free(image);
        free(run);
        return nullptr;
    }
    const uint32_t size = openMappedRead(file, path);
    bool decoded = false;
    if (size != 0) {
        run->file = file;
        run->image = image;
        run->size = size;
        run->decompressor.err = prepareLibraryErrorManager(&run->errors);
        run->decompressor.client_data = &file->errorText;
        decoded = decodeWindowPixels(run);
        if (run->created) jpeg_destroy_decompress(&run->decompressor);
        closeMapped(file);
    }
    free(run->cmykTable);
    free(run);
    if (!decoded) {
        freeDecodedImage(image);
        return nullptr;
    }
    return image;
}
