#include "cli/CliRun.h"

#include <cstdio>
#include <cstdlib>

#include "common/PathUtil.h"
#include "engine/BitmapFile.h"
#include "engine/CropThumbnail.h"
#include "engine/DecodedImage.h"
#include "engine/ExifThumbnail.h"
#include "engine/FileInstall.h"
#include "engine/LoadPicture.h"
#include "engine/OsFile.h"
#include "engine/PictureInfo.h"
#include "engine/SaveVerify.h"

namespace {

void printText(FILE* stream, const char16_t* text) {
    char* bytes = utf8FromText(text, textLength16(text));
    if (bytes) fputs(bytes, stream);
    free(bytes);
}

const char16_t* engineErrorMeaning(int32_t code) {
    switch (code) {
    case kEngineCannotOpen:
        return u"cannot be opened (missing, empty, 4 GiB or larger, or being changed by another program)";
    case kEngineCannotCreate: return u"the output file cannot be created";
    case kEngineOutOfMemory: return u"there is not enough memory to process the picture";
    default: return u"failed";
    }
}

// The folder that receives the temporary file: OUTPUT's own, so that the final rename stays on one volume.
bool outputFolder(const char16_t* output, TextBuffer* folder) {
    if (!textAssign(folder, output)) return false;
    if (!pathCutToFolder(folder)) return textAssign(folder, u".");
    if (folder->length == 0) return textAppendChar(folder, kPathSeparator);  // a file in the root folder
    return !folder->failed;
}

// As the program's save does, the new thumbnail shows the window the engine wrote (its origin moved to
// the output's grid), but from the blocks the crop holds (renewThumbnailFromBlocks, while it writes): a
// decode costs more than the crop itself. A window too small for that is decoded from the output here.
// A failure keeps the old thumbnail.
void regenerateThumbnail(const CliOptions* options, const CropTransform* job, const char16_t* output) {
    HeldCrop held;
    if (job->exifEdited || options->markerCopyMode != kCopyAllMarkers || !heldCrop(job, &held) ||
        !cropRenewsThumbnail(job, held.source->num_components)) {
        return;
    }
    // Only when there is a thumbnail to renew.
    bool hasExif = false;
    uint32_t thumbnailBytes = 0;
    if (!readExifThumbnailInfo(output, &hasExif, &thumbnailBytes) || thumbnailBytes == 0) return;
    const PixelRect whole = {0, 0, job->outputWidth - 1, job->outputHeight - 1};
    regenerateThumbnailFromSource(output, output, whole, options->grayscale);
}

}  // namespace

int runInfoCommand(const CliOptions* options) {
    PictureInfo info;
    if (!readPictureInfo(options->input, &info)) {
        printCliError(options->input, u"is not a picture the program can show");
        return kCliFailed;
    }
    printf("width %u\nheight %u\nbits %u\ncomponents %u\ngrid %ux%u\nprogressive %s\nexif %s\n", info.width,
           info.height, info.bitCount, info.components, info.blockWidth, info.blockHeight,
           info.progressive ? "yes" : "no", info.exif ? "yes" : "no");
    if (info.thumbnailBytes) {
        printf("thumbnail %u\n", info.thumbnailBytes);
    } else {
        printf("thumbnail none\n");
    }
    return kCliDone;
}

int runBitmapCommand(const CliOptions* options) {
    DecodedImage* shown = nullptr;
    uint32_t errorCode = kEngineOk;
    if (!loadPictureFile(&shown, options->input, &errorCode)) {
        printCliError(options->input, errorCode == kEngineOutOfMemory
                                          ? u"there is not enough memory to show the picture"
                                          : u"is not a picture the program can show");
        return kCliFailed;
    }
    bool written = writeBitmapFile(options->bitmapPath, shown);
    releasePicture(&shown);
    if (!written) {
        printCliError(options->bitmapPath, u"cannot be written");
        return kCliFailed;
    }
    return kCliDone;
}

void printCliError(const char16_t* path, const char16_t* message) {
    fputs("trimwell-crop: ", stderr);
    if (path) {
        printText(stderr, path);
        fputs(": ", stderr);
    }
    printText(stderr, message);
    fputs("\n", stderr);
}

int runCropCommand(const CliOptions* options) {
    // A read-only OUTPUT, or one another program holds open, is left as it is, as the program's save
    // leaves it: on POSIX the rename would replace it regardless, on Windows it would fail after the crop.
    if (osFileExists(options->output) && !destinationIsFree(options->output)) {
        printCliError(options->output, u"is read-only or in use and cannot be replaced");
        return kCliFailed;
    }
    TextBuffer folder;
    TextBuffer temporary;
    if (!outputFolder(options->output, &folder) || !osMakeTempFileIn(textChars(&folder), &temporary)) {
        printCliError(textChars(&folder), u"cannot create a temporary file in this folder");
        return kCliFailed;
    }
    CropTransform job;
    job.markerCopyMode = options->markerCopyMode;
    job.saveGrayscale = options->grayscale;
    job.isProgressive = options->progressive;
    job.cropEnabled = options->cropEnabled;
    job.crop = options->crop;
    // The thumbnail and the check both read what the crop made the output of.
    job.holdCoefficients = 1;
    job.editExif = renewThumbnailFromBlocks;
    job.keepDcTerms = 1;
    if (!transformFile(&job, options->input, textChars(&temporary))) {
        osDeleteFile(textChars(&temporary));
        if (job.errorCode == kEngineCannotCreate) {
            printCliError(textChars(&temporary), engineErrorMeaning(job.errorCode));
        } else if (job.errorCode != kEngineOk) {
            // The engine's own refusals of a damaged file say why in errorText.
            printCliError(options->input,
                          job.errorText.length ? textChars(&job.errorText) : engineErrorMeaning(job.errorCode));
        } else {
            printCliError(options->input, job.errorText.length ? textChars(&job.errorText) : u"failed");
        }
        return kCliFailed;
    }
    regenerateThumbnail(options, &job, textChars(&temporary));
    const bool matches = !options->verify || verifySavedFile(&job, textChars(&temporary));
    releaseCropHold(&job);
    if (!matches) {
        osDeleteFile(textChars(&temporary));
        printCliError(options->output, u"The saved picture does not match the original; nothing was replaced.");
        return kCliFailed;
    }
    // OUTPUT keeps its access (a new one gets a new file's), and the file is on the disk before the rename.
    if (!installFileBeside(textChars(&temporary), options->output)) {
        osDeleteFile(textChars(&temporary));
        printCliError(options->output, u"cannot be replaced");
        return kCliFailed;
    }
    return kCliDone;
}

int runCli(int count, const char16_t* const* arguments) {
    CliOptions options;
    parseCliOptions(count, arguments, &options);
    switch (options.action) {
    case CliAction::Help: fputs(cliUsageText(), stdout); return kCliDone;
    case CliAction::Usage:
        printCliError(nullptr, textChars(&options.problem));
        fputs(cliUsageText(), stderr);
        return kCliBadUsage;
    case CliAction::Crop: return runCropCommand(&options);
    case CliAction::Info: return runInfoCommand(&options);
    case CliAction::Bitmap: return runBitmapCommand(&options);
    }
    return kCliBadUsage;
}
