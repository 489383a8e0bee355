// The Exif thumbnail finder and the rewrite of the segment with a new thumbnail, on the input as a file,
// and the renewal in memory that the command line's crop makes, on its Exif segment's data.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "FuzzFile.h"
#include "engine/DecodedImage.h"
#include "engine/ExifThumbnail.h"
#include "engine/ImageOps.h"

namespace {

// A small picture to make thumbnails from, as the save passes the picture shown.
DecodedImage* shownPicture() {
    static DecodedImage* image = [] {
        auto* made = static_cast<DecodedImage*>(calloc(1, sizeof(DecodedImage)));
        made->header = makeBitmapHeader(48, 32, 24);
        made->pixels = allocateBitmap(48, 32, 24);
        for (uint32_t i = 0; i < bitmapStride(48, 24) * 32; i++) made->pixels[i] = static_cast<uint8_t>(i * 7);
        return made;
    }();
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = fuzzScratchPath("exif.jpg");
    if (!writeScratch(path, data, size)) return 0;
    const std::u16string name = widen(path);
    bool hasExif = false;
    uint32_t thumbnailBytes = 0;
    if (readExifThumbnailInfo(name.c_str(), &hasExif, &thumbnailBytes) && thumbnailBytes != 0) {
        regenerateExifThumbnail(name.c_str(), shownPicture(), size % 2 == 0);
        readExifThumbnailInfo(name.c_str(), &hasExif, &thumbnailBytes);
    }
    ExifSegmentPlace place;
    if (size < 0xFFFFFFFFu && locateExifSegment(data, static_cast<uint32_t>(size), &place)) {
        static uint8_t renewed[kExifSegmentMax];
        uint32_t length = 0;
        if (renewSegmentThumbnail(data + place.start + 2, place.end - place.start - 2, renewed, &length, shownPicture(),
                                  48, 32, 48, 32, size % 2 == 0) &&
            length > kExifSegmentMax) {
            abort();
        }
    }
    return 0;
}
