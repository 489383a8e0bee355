#include "engine/CropThumbnail.h"

#include <cstdlib>

#include "engine/CropTransform.h"
#include "engine/DecodedImage.h"
#include "engine/ExifThumbnail.h"
#include "engine/ReducedDecode.h"
#include "engine/WindowArrays.h"

namespace {

// One output component's DC terms as samples, one per block.
struct DcPlane {
    uint8_t* samples = nullptr;
    uint32_t width = 0;
    int h = 1;
    int v = 1;
};

uint8_t clampSample(int value) { return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value); }

// As the library's 1 × 1 inverse DCT gives it: DC × the table's first entry, over 8 rounded (an arithmetic
// shift, as the library's DESCALE), level-shifted by 128.
bool fillPlane(const HeldCrop& held, int c, DcPlane* plane) {
    const jpeg_component_info& component = held.output->comp_info[c];
    const JQUANT_TBL* table = held.source->comp_info[c].quant_table;
    if (!table) return false;
    plane->width = component.width_in_blocks;
    plane->h = component.h_samp_factor;
    plane->v = component.v_samp_factor;
    plane->samples = static_cast<uint8_t*>(malloc(size_t(component.width_in_blocks) * component.height_in_blocks));
    if (!plane->samples) return false;
    const int q = table->quantval[0];
    const JCOEF* kept = held.dcTerms ? held.dcTerms[c] : nullptr;
    for (JDIMENSION row = 0; row < component.height_in_blocks; row++) {
        uint8_t* to = plane->samples + size_t(row) * plane->width;
        if (kept) {
            const JCOEF* dc = kept + size_t(row) * component.width_in_blocks;
            for (JDIMENSION column = 0; column < component.width_in_blocks; column++) {
                to[column] = clampSample(((dc[column] * q + 4) >> 3) + 128);
            }
            continue;
        }
        JBLOCKROW blocks = windowViewRow(held.arrays, c, row);
        if (!blocks) return false;
        for (JDIMENSION column = 0; column < component.width_in_blocks; column++) {
            to[column] = clampSample(((blocks[column][0] * q + 4) >> 3) + 128);
        }
    }
    return true;
}

// The library's YCbCr to RGB conversion, in its 16-bit fixed point.
void yccToBgr(int y, int cb, int cr, uint8_t* bgr) {
    constexpr int kHalf = 1 << 15;
    cb -= 128;
    cr -= 128;
    bgr[2] = clampSample(y + ((91881 * cr + kHalf) >> 16));            // 1.40200
    bgr[1] = clampSample(y + ((-22554 * cb - 46802 * cr + kHalf) >> 16));  // 0.34414, 0.71414
    bgr[0] = clampSample(y + ((116130 * cb + kHalf) >> 16));           // 1.77200
}

// One pixel from its components' samples, by the output's colour space, as the display shows it.
void convertPixel(J_COLOR_SPACE space, const uint8_t* s, const uint8_t* cmykTable, uint8_t* to, uint32_t bits) {
    switch (space) {
    case JCS_GRAYSCALE:
        to[0] = s[0];
        if (bits == 24) to[1] = to[2] = s[0];
        return;
    case JCS_RGB:
        to[0] = s[2];
        to[1] = s[1];
        to[2] = s[0];
        return;
    case JCS_YCbCr: yccToBgr(s[0], s[1], s[2], to); return;
    case JCS_YCCK: {
        // The library turns YCC into the inverse of RGB; black passes through.
        uint8_t bgr[3];
        yccToBgr(s[0], s[1], s[2], bgr);
        const uint8_t cmyk[4] = {uint8_t(255 - bgr[2]), uint8_t(255 - bgr[1]), uint8_t(255 - bgr[0]), s[3]};
        convertCmykRow(cmyk, to, 1, cmykTable);
        return;
    }
    default: convertCmykRow(s, to, 1, cmykTable); return;
    }
}

int componentsOf(J_COLOR_SPACE space) {
    switch (space) {
    case JCS_GRAYSCALE: return 1;
    case JCS_RGB:
    case JCS_YCbCr: return 3;
    case JCS_CMYK:
    case JCS_YCCK: return 4;
    default: return 0;
    }
}

bool paintPicture(const HeldCrop& held, const CropTransform* job, DecodedImage* image) {
    const J_COLOR_SPACE space = held.output->jpeg_color_space;
    const int count = held.output->num_components;
    if (componentsOf(space) != count) return false;
    const uint32_t width = (job->outputWidth + 7) / 8, height = (job->outputHeight + 7) / 8;
    const uint32_t bits = held.source->num_components == 1 ? 8 : 24;
    DcPlane planes[4];
    uint8_t* cmykTable = count == 4 ? makeCmykTable() : nullptr;
    bool ok = count != 4 || cmykTable;
    for (int c = 0; ok && c < count; c++) ok = fillPlane(held, c, &planes[c]);
    // The sample each column takes from each component, worked out once: no division per pixel.
    auto* columns = ok ? static_cast<uint32_t*>(malloc(sizeof(uint32_t) * width * count)) : nullptr;
    if (ok) {
        image->header = makeBitmapHeader(width, height, bits);
        image->pixels = allocateBitmap(width, height, bits);
        ok = image->pixels != nullptr && columns != nullptr;
    }
    if (ok) {
        if (bits == 8) fillGreyPalette(image->palette);
        const int maxH = held.output->max_h_samp_factor, maxV = held.output->max_v_samp_factor;
        for (int c = 0; c < count; c++) {
            for (uint32_t x = 0; x < width; x++) columns[c * width + x] = x * planes[c].h / maxH;
        }
        const uint32_t stride = bitmapStride(width, bits);
        for (uint32_t y = 0; y < height; y++) {
            uint8_t* row = image->pixels + size_t(height - 1 - y) * stride;
            const uint8_t* from[4];
            for (int c = 0; c < count; c++) from[c] = planes[c].samples + size_t(y * planes[c].v / maxV) * planes[c].width;
            for (uint32_t x = 0; x < width; x++) {
                uint8_t samples[4];
                for (int c = 0; c < count; c++) samples[c] = from[c][columns[c * width + x]];
                convertPixel(space, samples, cmykTable, row + x * (bits / 8), bits);
            }
        }
    }
    free(columns);
    for (DcPlane& plane : planes) free(plane.samples);
    free(cmykTable);
    return ok;
}

}  // namespace

bool cropRenewsThumbnail(const CropTransform* job, int sourceComponents) {
    return job->cropEnabled || (job->saveGrayscale && sourceComponents != 1);
}

static_assert(kSegmentDataMax == kExifSegmentMax, "an edited Exif segment fits the room the crop gives it");

bool renewThumbnailFromBlocks(CropTransform* job, const HeldCrop* held, const jpeg_marker_struct* exif,
                              uint8_t* renewed, uint32_t* renewedLength) {
    uint32_t start = 0, entry = 0;
    bool bigEndian = false;
    if (!cropRenewsThumbnail(job, held->source->num_components) ||
        !segmentHasThumbnail(exif->data, exif->data_length, &start, &entry, &bigEndian)) {
        return false;
    }
    ReducedDecode decode;
    const PixelRect whole = {0, 0, job->outputWidth - 1, job->outputHeight - 1};
    if (job->outputWidth == 0 || job->outputHeight == 0 || !prepareThumbnailDecode(&decode, whole) ||
        smallestCoveringScale(job->outputWidth, job->outputHeight, decode.coverWidth, decode.coverHeight) != 1) {
        return false;
    }
    auto* picture = static_cast<DecodedImage*>(calloc(1, sizeof(DecodedImage)));
    const bool ok = picture && paintPicture(*held, job, picture) &&
                    renewSegmentThumbnail(exif->data, exif->data_length, renewed, renewedLength, picture,
                                          job->outputWidth / 8.0, job->outputHeight / 8.0, decode.coverWidth,
                                          decode.coverHeight, job->saveGrayscale != 0);
    freeDecodedImage(picture);
    return ok;
}
