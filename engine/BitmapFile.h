#pragma once
// Writing a displayed picture as a Windows .bmp file: file header, the 40-byte bitmap header, the palette
// of an 8-bit picture, and the bottom-up rows exactly as they are shown.

struct DecodedImage;

// False when the file cannot be created or written; a partial file is deleted.
bool writeBitmapFile(const char16_t* path, const DecodedImage* image);
