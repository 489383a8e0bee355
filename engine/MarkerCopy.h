#pragma once
// Which of the source's saved marker segments reach the output, and the one edit made to them: the Exif
// pixel dimensions set to the size of the cropped picture.

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

// Writes the decompressor's saved markers to the compressor, in source order. Call right after
// jpeg_write_coefficients. `sourceWidth` × `sourceHeight` is the picture's size as its frame header
// first gave it (the crop may read a frame cut short).
void copySavedMarkers(j_decompress_ptr decompressor, j_compress_ptr compressor, uint32_t sourceWidth,
                      uint32_t sourceHeight);

// Whether copySavedMarkers writes `marker` to the output `compressor` was set up for.
bool markerIsCopied(j_decompress_ptr decompressor, j_compress_ptr compressor, const jpeg_saved_marker_ptr marker);

// Rewrites PixelXDimension/PixelYDimension of the Exif IFD as LONG values, in place. `tiff` is the
// TIFF header and what follows (the Exif segment after "Exif\0\0"), `length` its size in bytes. Data
// that does not pass every check is left as it is.
void fixExifDimensions(uint8_t* tiff, size_t length, uint32_t width, uint32_t height);

// Whether saved segment data begins with `identifier` (given with its length, so that it may hold zeros).
bool markerDataBeginsWith(const jpeg_saved_marker_ptr marker, const char* identifier, size_t identifierLength);
