// The engine's marker walk with the Exif dimension fix as the crop applies it: every Exif segment it meets
// has its pixel size rewritten in a private copy.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/JpegFile.h"
#include "engine/MarkerCopy.h"
#include "engine/MarkerScan.h"

namespace {

uint32_t fixDimensions(JpegFile* file, void*) {
    // As the crop does: the segment's data after the identifier, length counting its own two bytes.
    if (file->exifLength < 8) return 0;
    const uint8_t* tiff = file->tiffStart;
    const size_t available = static_cast<size_t>(file->dataEnd - tiff);
    const size_t length = file->exifLength - 8u < available ? file->exifLength - 8u : available;
    std::vector<uint8_t> copy(tiff, tiff + length);
    fixExifDimensions(copy.data(), copy.size(), 321, 123);
    return 1;
}
bool keepWalking(JpegFile*) { return false; }
void countComment(JpegFile*, void* argument) { ++*static_cast<int*>(argument); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    JpegFile file;
    file.dataStart = bytes.data();
    file.cursor = bytes.data();
    file.dataEnd = bytes.data() + bytes.size();
    file.onExif = fixDimensions;
    file.stopAfterExif = keepWalking;
    int comments = 0;
    file.onComment = countComment;
    scanMarkers(&file, &comments);
    return 0;
}
