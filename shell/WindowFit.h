#pragma once
// Fitting the stored frame rectangle to the work area of its monitor.

#include <cstdint>

struct WindowBox {
    int32_t left = 0, top = 0, width = 0, height = 0;
};

// Width and height are cut to the work area's; then the box is moved inside it: raised to the left
// (top) edge when it starts before it, else moved back so that it does not pass the right (bottom) edge.
WindowBox fitWindowToWorkArea(WindowBox box, WindowBox workArea);
