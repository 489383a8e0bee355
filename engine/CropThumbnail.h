#pragma once
// The Exif thumbnail of a save without a displayed picture (the command line), from what the crop already
// holds. Each block's DC term is the mean of its 8 × 8 pixels: together they are the window's picture at
// 1/8 scale, enough for a 160-pixel thumbnail of any window eight times as large, and free once the crop
// has its blocks. The thumbnail goes into the Exif segment before the segment is written, so the output is
// written once. A smaller window is decoded from the output file afterwards (regenerateThumbnailFromSource
// with the output as its source), which holds nothing else.

#include <cstdint>

struct CropTransform;
struct DecodedImage;
struct HeldCrop;
struct jpeg_marker_struct;

// Whether the crop renews the thumbnail: a cut, or a grey copy of a colour picture (a grayscale copy of a
// grey picture keeps its thumbnail, as the program's save decides).
bool cropRenewsThumbnail(const CropTransform* job, int sourceComponents);
// CropTransform's editExif: the new thumbnail from the DC terms of the blocks laid out for the output.
// False (segment unchanged) when the crop keeps its thumbnail, the segment has none, the window is less
// than 8× the thumbnail, for colour spaces the display does not show, or when a step fails.
bool renewThumbnailFromBlocks(CropTransform* job, const HeldCrop* held, const jpeg_marker_struct* exif,
                              uint8_t* renewed, uint32_t* renewedLength);
