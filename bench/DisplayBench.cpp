// One operation per process, so that an outside timer and peak-memory reader see exactly that operation:
//   display_bench decode INPUT                    decode for display, as loading a picture does
//   display_bench crop INPUT OUTPUT L T W H       lossless crop with all markers
//   display_bench crop-thumbnail INPUT OUTPUT L T W H   the same, then the Exif thumbnail regenerated
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/TextBuffer.h"
#include "engine/CropTransform.h"
#include "engine/DecodedImage.h"
#include "engine/ExifThumbnail.h"
#include "engine/LoadPicture.h"

namespace {

struct Path {
    TextBuffer text;
    explicit Path(const char* utf8) { textAssignUtf8(&text, utf8); }
    const char16_t* chars() const { return textChars(&text); }
};

bool crop(const Path& input, const Path& output, char** window, bool thumbnail) {
    CropTransform job;
    job.markerCopyMode = kCopyAllMarkers;
    job.cropEnabled = 1;
    job.crop.left = static_cast<uint32_t>(atoi(window[0]));
    job.crop.top = static_cast<uint32_t>(atoi(window[1]));
    job.crop.width = static_cast<uint32_t>(atoi(window[2]));
    job.crop.height = static_cast<uint32_t>(atoi(window[3]));
    if (!transformFile(&job, input.chars(), output.chars())) return false;
    if (!thumbnail) return true;
    DecodedImage* shown = nullptr;
    if (!loadPictureFile(&shown, input.chars())) return false;
    const PixelRect rect = {job.crop.left, job.crop.top, job.crop.left + job.crop.width - 1,
                            job.crop.top + job.crop.height - 1};
    bool ok = installCroppedPicture(shown, rect) && regenerateExifThumbnail(output.chars(), shown, false);
    releasePicture(&shown);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "decode") == 0) {
        Path input(argv[2]);
        DisplayDecode decode;
        DecodedImage* image = decodeForDisplay(&decode, input.chars());
        if (!image) return 1;
        freeDecodedImage(image);
        return 0;
    }
    if (argc == 8 && (strcmp(argv[1], "crop") == 0 || strcmp(argv[1], "crop-thumbnail") == 0)) {
        return crop(Path(argv[2]), Path(argv[3]), argv + 4, argv[1][4] == '-') ? 0 : 1;
    }
    fprintf(stderr, "usage: display_bench decode INPUT | crop[-thumbnail] INPUT OUTPUT LEFT TOP WIDTH HEIGHT\n");
    return 2;
}
