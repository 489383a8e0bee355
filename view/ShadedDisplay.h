#pragma once
// The crop mode's display: the picture with everything outside the crop rectangle passed through the
// shading table, so the rectangle stands out. 24-bit bottom-up rows, as the view paints them.

#include <cstdint>

#include "view/CropRect.h"

uint32_t stride24(int32_t width);
// Writes `dest` from `source` (both width × height at 24 bits per pixel): pixels inside `rect` copied,
// every byte outside replaced by table[byte]. The rectangle is inclusive, rows counted from the top.
void shadeOutsideCrop(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height, const CropRect& rect,
                      const uint8_t table[256]);
