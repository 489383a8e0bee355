#pragma once
// The Exif thumbnail of a save without a displayed picture (the command line), from what the crop already
// holds. Each block's DC term is the mean of its 8 × 8 pixels: together they are the window's picture at
// 1/8 scale, enough for a 160-pixel thumbnail of any window eight times as large, and free once the crop
// has its blocks. A smaller window is decoded from the output file, which holds nothing else.

struct CropTransform;
struct DecodedImage;

// The output's picture at 1/8 scale from the DC terms the held crop (holdCoefficients) kept: 8-bit grey
// when the source is grey, else 24-bit blue-green-red (a grayscale output of a colour source as grey in
// all three). Null when nothing is held, for colour spaces the display does not show, or without memory.
DecodedImage* decodeDcPicture(const CropTransform* job);
// Replaces the thumbnail of `outputPath`, the crop `job` wrote and still holds, as
// regenerateThumbnailFromSource would from the source. False (file unchanged) when there is no thumbnail
// to replace or any step fails.
bool regenerateThumbnailFromCrop(const CropTransform* job, const char16_t* outputPath, bool grayscale);
