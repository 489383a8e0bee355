#include "engine/SaveWorkflow.h"

#include "common/TextBuffer.h"
#include "engine/DecodedImage.h"
#include "engine/ExifThumbnail.h"

namespace {

// The crop's editExif: the thumbnail of the displayed picture (editArgument), whole.
bool renewThumbnailFromShown(CropTransform* job, const HeldCrop*, const jpeg_marker_struct* exif, uint8_t* renewed,
                             uint32_t* renewedLength) {
    const auto* shown = static_cast<const DecodedImage*>(job->editArgument);
    const uint32_t width = imageWidth(shown), height = imageHeight(shown);
    uint32_t thumbnailWidth = 0, thumbnailHeight = 0;
    chooseThumbnailSize(width, height, &thumbnailWidth, &thumbnailHeight);
    return renewSegmentThumbnail(exif->data, exif->data_length, renewed, renewedLength, shown, width, height,
                                 thumbnailWidth, thumbnailHeight, job->saveGrayscale != 0);
}

}  // namespace

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
    // The thumbnail goes in as the Exif segment is written, so the file is written once; the save succeeds
    // whatever becomes of it.
    job->editExif = thumbnailNeeded(settings, shown) ? renewThumbnailFromShown : nullptr;
    job->editArgument = shown;
    return transformFile(job, sourcePath, outputPath);
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
