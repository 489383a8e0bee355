#pragma once
// The accepted crop handed to the engine: a window in source pixels, its numbers in the order width,
// height, left, top. The engine moves left and top out to the block grid at or before them.

#include <cstdint>

struct CropRequest {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t left = 0;
    uint32_t top = 0;
};
