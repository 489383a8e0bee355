#pragma once
// The lossless crop: the quantized DCT blocks inside the crop window are copied into a new JPEG with
// optimised Huffman tables, optionally one-component (grayscale) and progressive, with the chosen source
// markers. No pixel is decoded or encoded. The source is read only down to the window's last row, and
// only the blocks the output takes are kept (engine/WindowRead, engine/WindowArrays).

#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

#include "engine/CropRequest.h"
#include "engine/JpegFile.h"

struct HeldCrop;
struct LibraryErrorManager;
struct TransformRun;
struct WindowArrays;

constexpr uint32_t kSegmentDataMax = 65533;  // after a segment's length field

enum MarkerCopyMode : int32_t {
    kCopyNoMarkers = 0,
    kCopyComments = 1,
    kCopyAllMarkers = 2,  // every APPn and COM
};

struct CropTransform : JpegFile {
    int32_t markerCopyMode = kCopyAllMarkers;
    uint8_t saveGrayscale = 0;
    uint8_t cropEnabled = 0;
    CropRequest crop;
    uint8_t readWholeSource = 0;  // read every row, as without a window: a reference for tests and benchmarks
    int32_t outputComponents = 0;
    uint32_t sourceWidth = 0;
    uint32_t sourceHeight = 0;
    uint32_t rowsRead = 0;        // source rows decoded: the window's last row group, or all
    int32_t sourceWarnings = 0;   // the library's warnings while reading the source
    uint32_t outputWidth = 0;
    uint32_t outputHeight = 0;
    uint32_t cropColumns = 0;  // aligned window origin, in grid cells
    uint32_t cropRows = 0;
    uint32_t cellWidth = 0;  // one grid cell (iMCU) in pixels
    uint32_t cellHeight = 0;
    uint8_t holdCoefficients = 0;  // after a successful run, keep what the output was made of (releaseCropHold)
    TransformRun* held = nullptr;
    // Called once the output's blocks are laid out and before the saved segments are written, with the
    // first Exif segment the output copies: true when it wrote the segment's new data to `renewed` (room
    // for kSegmentDataMax bytes) and its length; exifEdited tells the caller. editArgument is the caller's.
    bool (*editExif)(CropTransform* job, const HeldCrop* held, const jpeg_marker_struct* exif, uint8_t* renewed,
                     uint32_t* renewedLength) = nullptr;
    const void* editArgument = nullptr;
    uint8_t exifEdited = 0;
    uint8_t keepDcTerms = 0;  // editExif wants each output block's DC term (HeldCrop::dcTerms)
};

// What a held run still has for reading its output back: the source's header, latched quantization
// tables and saved segments (the Exif one as written), the output's parameters, and the window's blocks.
// Their library errors jump to `sourceErrors`, whose jump point the reader sets again.
struct HeldCrop {
    j_decompress_ptr source = nullptr;
    j_compress_ptr output = nullptr;
    WindowArrays* arrays = nullptr;
    LibraryErrorManager* sourceErrors = nullptr;
    // With keepDcTerms, where the output was counted as it is written: per output component, the DC
    // terms of its blocks row by row (width_in_blocks to a row). Null where they were not gathered.
    JCOEF* const* dcTerms = nullptr;
};

// Writes the cropped picture of `sourcePath` to `outputPath`. The caller sets markerCopyMode,
// saveGrayscale, isProgressive (write progressive), cropEnabled and crop. False on failure: errorCode
// 50004/50005, or 50000 with the library's message in errorText. A partial output is left for the
// caller to delete.
bool transformFile(CropTransform* job, const char16_t* sourcePath, const char16_t* outputPath);
// False when the job holds nothing.
bool heldCrop(const CropTransform* job, HeldCrop* held);
// Destroys what holdCoefficients kept; nothing when nothing is held.
void releaseCropHold(CropTransform* job);
// The library sequence over the mapped source; both library objects are destroyed on every path, except
// after a successful run that holdCoefficients keeps in `held`.
bool runTransform(CropTransform* job, OsHandle* output, uint32_t sourceSize);
// After jpeg_read_header: output size, grid and window origin; raises JERR_BAD_CROP_SPEC on a bad window.
void planCrop(CropTransform* job, j_decompress_ptr decompressor);
// After jpeg_copy_critical_parameters: grayscale, sampling and output size.
void adjustOutputParameters(CropTransform* job, j_decompress_ptr decompressor, j_compress_ptr compressor);
