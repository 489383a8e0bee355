#pragma once
// Saving the open picture: the engine run from the source into an output file (lossless crop, with a new
// Exif thumbnail when all markers are copied), and what the workflow around it decides from the result.

#include <cstdint>

#include "engine/CropTransform.h"

struct DecodedImage;

struct SaveSettings {
    int32_t markerCopyMode = kCopyAllMarkers;
    bool saveGrayscale = false;
    bool saveProgressive = false;
    bool cropApplied = false;
    CropRequest crop;  // used when cropApplied
};

// The engine half of saveWithEngine: fills `job` and writes `outputPath` from `sourcePath`, with the Exif
// thumbnail made anew from `shown` (the displayed picture) when that is asked for. True when the output is
// complete; on failure `job` holds errorCode and errorText.
bool runSaveEngine(CropTransform* job, const char16_t* sourcePath, const char16_t* outputPath,
                   const SaveSettings& settings, const DecodedImage* shown);
// All markers copied, and a crop applied or a 24-bit picture saved in grayscale.
bool thumbnailNeeded(const SaveSettings& settings, const DecodedImage* shown);
// After a failed run: the engine message to show (50001, 50003 to 50006), 0 to show the library's text,
// or -1 when there is nothing to show.
int32_t saveFailureMessage(const CropTransform* job);
// After a successful save over the open file, the picture is reloaded from it: what is shown is then
// what is on disk (the crop, or the grayscale picture), and the next save does not crop the crop again.
bool reloadAfterSave(const char16_t* destination, const char16_t* currentPath);
