#pragma once
// The engine's part of loading and replacing the displayed picture, a DecodedImage owned by the
// application (the shell keeps the cursor, the flags and currentPath).

#include <cstdint>

#include "engine/ImageOps.h"

struct DecodedImage;

// Whether the file's first 8 bytes can be read and begin with 0xFF 0xD8.
bool hasJpegSignature(const char16_t* path);
// Checks the signature and decodes; on success the new picture replaces `*shown` (the old one is freed).
// On failure `*shown` is freed and set to null, so that no picture is shown. `errorCode`, when given,
// gets the decode's code: 50001 when memory ran out, 50000 for a file that is not a readable JPEG.
bool loadPictureFile(DecodedImage** shown, const char16_t* path, uint32_t* errorCode = nullptr);
// Cuts the shown picture to `rect` and installs the cut with a fresh header (palette kept for 8 bits).
// False, with nothing changed, when the rectangle is not inside the picture or memory runs out.
bool installCroppedPicture(DecodedImage* shown, const PixelRect& rect);
void releasePicture(DecodedImage** shown);
