#include "engine/SaveWorkflow.h"

#include "common/TextBuffer.h"
#include "engine/DecodedImage.h"
#include "engine/ExifThumbnail.h"

bool thumbnailNeeded(const SaveSettings& settings, const DecodedImage* shown) {
    if (settings.markerCopyMode != kCopyAllMarkers || !shown) return false;
    return settings.cropApplied || (settings.saveGrayscale && imageBitCount(shown) == 24);
}

bool runSaveEngine(CropTransform* job, const char16_t* sourcePath, const char16_t* outputPath,
                   const SaveSettings& settings, const DecodedImage* shown) {
    job->fileHandle = kInvalidOsHandle;
    textClear(&job->errorText);
    job->markerCopyMode = settings.markerCopyMode;
    job->saveGrayscale = settings.saveGrayscale ? 1 : 0;
    job->isProgressive = settings.saveProgressive ? 1 : 0;
    job->cropEnabled = settings.cropApplied ? 1 : 0;
    if (settings.cropApplied) job->crop = settings.crop;
    if (!transformFile(job, sourcePath, outputPath)) return false;
    // The save has succeeded whatever becomes of the thumbnail.
    if (thumbnailNeeded(settings, shown)) regenerateExifThumbnail(outputPath, shown, settings.saveGrayscale);
    return true;
}

int32_t saveFailureMessage(const CropTransform* job) {
    switch (job->errorCode) {
    case kEngineOutOfMemory:
    case 50003:
    case kEngineCannotOpen:
    case kEngineCannotCreate:
    case kEngineConversionFailed: return job->errorCode;
    }
    return job->errorText.length != 0 ? 0 : -1;
}

bool reloadAfterSave(const char16_t* destination, const char16_t* currentPath) {
    return compareNoCaseAscii(destination, currentPath) == 0;
}
