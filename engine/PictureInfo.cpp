#include "engine/PictureInfo.h"

#include "engine/DecodedImage.h"
#include "engine/ExifThumbnail.h"
#include "engine/LoadPicture.h"

bool readPictureInfo(const char16_t* path, PictureInfo* info) {
    *info = PictureInfo();
    if (!hasJpegSignature(path)) return false;
    DisplayDecode decode;
    DecodedImage* image = decodeForDisplay(&decode, path);
    textFree(&decode.errorText);
    if (!image) return false;
    info->width = imageWidth(image);
    info->height = imageHeight(image);
    info->bitCount = imageBitCount(image);
    info->components = decode.sourceComponents;
    info->blockWidth = decode.blockWidth;
    info->blockHeight = decode.blockHeight;
    info->progressive = decode.isProgressive != 0;
    freeDecodedImage(image);
    return readExifThumbnailInfo(path, &info->exif, &info->thumbnailBytes);
}
