#include "engine/DecodedImage.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "engine/ImageOps.h"
#include "engine/JpegIo.h"
#include "engine/LibraryError.h"
#include "engine/PictureLimits.h"

namespace {

// Everything the decode changes after setjmp lives here: locals changed after setjmp are indeterminate
// after the jump, and the jump skips destructors.
struct DecodeRun {
    jpeg_decompress_struct decompressor;
    LibraryErrorManager errors;
    jpeg_progress_mgr progress;  // the stop check; installed only when the decode has a stop flag
    DisplayDecode* file;
    DecodedImage* image;
    uint8_t* cmykTable;  // T[a][b] = a × b div 255
    uint32_t size;       // bytes from dataStart
    bool created;
};

// The library calls this once per row read and once per scan row a multi-scan source buffers, so a
// stop request ends even a progressive decode within a row's time.
void stopWhenAsked(j_common_ptr object) {
    DecodeRun* run = reinterpret_cast<DecodeRun*>(reinterpret_cast<uint8_t*>(object->progress) -
                                                  offsetof(DecodeRun, progress));
    if (!run->file->stop->load(std::memory_order_relaxed)) return;
    run->file->errorCode = kEngineCannotOpen;
    leaveLibraryRun(object);
}

bool decodePixels(DecodeRun* run) {
    jpeg_decompress_struct* decompressor = &run->decompressor;
    DecodedImage* image = run->image;
    DisplayDecode* file = run->file;
    if (setjmp(run->errors.jumpPoint)) return false;

    jpeg_create_decompress(decompressor);
    run->created = true;
    if (file->stop) {
        run->progress.progress_monitor = stopWhenAsked;
        decompressor->progress = &run->progress;
    }
    installMemorySource(decompressor, file->dataStart, run->size);
    jpeg_read_header(decompressor, TRUE);
    // A forged frame header must not make the library allocate the picture: see PictureLimits.h. A bitmap
    // of 4 GiB or more is refused as such first, before the library buffers anything.
    const uint32_t claimedBits = decompressor->num_components == 1 ? 8 : 24;
    uint64_t needed = bitmapAllocationSize(decompressor->image_width, decompressor->image_height, claimedBits);
    if (needed == 0 && decompressor->image_width != 0 && decompressor->image_height != 0) {
        file->errorCode = kEngineNoBitmap;
        return false;
    }
    if (!scanDataCanHoldPicture(decompressor)) {
        file->errorCode = kEngineCannotOpen;
        return false;
    }
    needed += bufferedCoefficientBytes(decompressor);
    if (!memoryCanHold(needed)) {
        file->errorCode = kEngineOutOfMemory;
        return false;
    }
    setDisplayColorSpace(decompressor);
    jpeg_start_decompress(decompressor);

    const uint32_t width = decompressor->output_width;
    const uint32_t height = decompressor->output_height;
    const int components = decompressor->output_components;
    if (width == 0 || height == 0) {
        file->errorCode = kEngineNoBitmap;
        return false;
    }
    uint32_t bitCount = 24;
    if (components == 1) {
        file->isGrayscale = 1;
        bitCount = 8;
        fillGreyPalette(image->palette);
    } else if (components != 3 && components != 4) {
        file->errorCode = kEngineNoBitmap;
        return false;
    }
    if (bitmapAllocationSize(width, height, bitCount) == 0) {
        file->errorCode = kEngineNoBitmap;
        return false;
    }
    image->header = makeBitmapHeader(width, height, bitCount);
    image->pixels = allocateBitmap(width, height, bitCount);
    if (!image->pixels) {
        file->errorCode = kEngineOutOfMemory;
        return false;
    }
    const uint32_t stride = bitmapStride(width, bitCount);
    if (components == 4) {
        run->cmykTable = makeCmykTable();
        if (!run->cmykTable) {
            file->errorCode = kEngineOutOfMemory;
            return false;
        }
        JSAMPARRAY row = (*decompressor->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(decompressor),
                                                             JPOOL_IMAGE, width * 4, 1);
        while (decompressor->output_scanline < height) {
            uint8_t* target = image->pixels + static_cast<size_t>(height - 1 - decompressor->output_scanline) * stride;
            if (jpeg_read_scanlines(decompressor, row, 1) != 1) break;
            convertCmykRow(row[0], target, width, run->cmykTable);
        }
    } else {
        // Grey and BGR rows are already in the bitmap's byte order: the library writes them straight into
        // their stored row, which spares a copy of every row.
        while (decompressor->output_scanline < height) {
            JSAMPROW target = image->pixels + static_cast<size_t>(height - 1 - decompressor->output_scanline) * stride;
            if (jpeg_read_scanlines(decompressor, &target, 1) != 1) break;
        }
    }
    jpeg_finish_decompress(decompressor);

    file->isProgressive = decompressor->progressive_mode ? 1 : 0;
    if (decompressor->density_unit == 1) {
        image->header.biXPelsPerMeter = static_cast<int32_t>(decompressor->X_density / 0.0254 + 0.5);
        image->header.biYPelsPerMeter = static_cast<int32_t>(decompressor->Y_density / 0.0254 + 0.5);
    } else if (decompressor->density_unit == 2) {
        image->header.biXPelsPerMeter = decompressor->X_density * 100;
        image->header.biYPelsPerMeter = decompressor->Y_density * 100;
    }
    file->sourceComponents = static_cast<uint32_t>(decompressor->num_components);
    if (decompressor->num_components == 1) {
        file->blockWidth = DCTSIZE;
        file->blockHeight = DCTSIZE;
    } else {
        file->blockWidth = static_cast<uint32_t>(decompressor->max_h_samp_factor) * DCTSIZE;
        file->blockHeight = static_cast<uint32_t>(decompressor->max_v_samp_factor) * DCTSIZE;
    }
    image->blockWidth = file->blockWidth;
    image->blockHeight = file->blockHeight;
    return true;
}

}  // namespace

void setDisplayColorSpace(j_decompress_ptr decompressor) {
    if (decompressor->jpeg_color_space == JCS_YCbCr || decompressor->jpeg_color_space == JCS_RGB) {
        decompressor->out_color_space = JCS_EXT_BGR;
    } else if (decompressor->jpeg_color_space == JCS_CMYK || decompressor->jpeg_color_space == JCS_YCCK) {
        decompressor->out_color_space = JCS_CMYK;
    }
}

uint8_t* makeCmykTable() {
    auto* table = static_cast<uint8_t*>(malloc(256 * 256));
    if (!table) return nullptr;
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t b = 0; b < 256; ++b) table[b * 256 + a] = static_cast<uint8_t>(a * b / 255);
    }
    return table;
}

void convertCmykRow(const uint8_t* cmyk, uint8_t* bgr, uint32_t width, const uint8_t* table) {
    for (uint32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const uint8_t* byBlack = table + cmyk[3] * 256;
        bgr[0] = byBlack[cmyk[2]];
        bgr[1] = byBlack[cmyk[1]];
        bgr[2] = byBlack[cmyk[0]];
    }
}

void freeDecodedImage(DecodedImage* image) {
    if (!image) return;
    freeBitmap(image->pixels, imageWidth(image), imageHeight(image), imageBitCount(image));
    free(image);
}

namespace {

void startDecode(DisplayDecode* file) {
    file->errorCode = kEngineOk;
    file->isGrayscale = 0;
    file->isProgressive = 0;
    file->exifFound = 0;
    file->exifLength = 0;
    textClear(&file->errorText);
}

// Decodes the bytes from dataStart to dataEnd into `image`.
bool decodeInto(DisplayDecode* file, DecodedImage* image, uint32_t size) {
    file->image = image;
    auto* run = static_cast<DecodeRun*>(calloc(1, sizeof(DecodeRun)));
    bool decoded = false;
    if (!run) {
        file->errorCode = kEngineOutOfMemory;
    } else {
        run->file = file;
        run->image = image;
        run->size = size;
        run->decompressor.err = prepareLibraryErrorManager(&run->errors);
        run->decompressor.client_data = &file->errorText;
        decoded = decodePixels(run);
        if (run->created) jpeg_destroy_decompress(&run->decompressor);
        free(run->cmykTable);
        free(run);
    }
    file->image = nullptr;
    return decoded;
}

}  // namespace

DecodedImage* decodeForDisplay(DisplayDecode* file, const char16_t* path) {
    startDecode(file);
    auto* image = static_cast<DecodedImage*>(calloc(1, sizeof(DecodedImage)));
    if (!image) {
        file->errorCode = kEngineOutOfMemory;
        return nullptr;
    }
    // A decode that can be stopped runs in the background, unasked: its file stays free to delete.
    const uint32_t size = openMappedRead(file, path, file->stop ? OpenAccess::ReadBackground : OpenAccess::ReadShared);
    if (size == 0) {
        free(image);
        return nullptr;
    }
    file->fileSize = size;
    osFileWriteTime(file->fileHandle, &image->lastWriteTime);
    const bool decoded = decodeInto(file, image, size);
    closeMapped(file);
    if (!decoded) {
        freeDecodedImage(image);
        return nullptr;
    }
    return image;
}

DecodedImage* decodeBytesForDisplay(DisplayDecode* file, const uint8_t* data, uint32_t size) {
    startDecode(file);
    auto* image = static_cast<DecodedImage*>(calloc(1, sizeof(DecodedImage)));
    if (!image) {
        file->errorCode = kEngineOutOfMemory;
        return nullptr;
    }
    file->dataStart = const_cast<uint8_t*>(data);
    file->dataEnd = file->dataStart + size;
    const bool decoded = decodeInto(file, image, size);
    file->dataStart = nullptr;
    file->dataEnd = nullptr;
    if (!decoded) {
        freeDecodedImage(image);
        return nullptr;
    }
    return image;
}
