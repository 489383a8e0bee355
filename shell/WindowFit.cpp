#include "shell/WindowFit.h"

namespace {

void fitAxis(int32_t* start, int32_t* extent, int32_t areaStart, int32_t areaExtent) {
    if (*extent > areaExtent) *extent = areaExtent;
    if (*start < areaStart) {
        *start = areaStart;
    } else if (int64_t(*start) + *extent > int64_t(areaStart) + areaExtent) {
        *start = areaStart + areaExtent - *extent;
    }
}

}  // namespace

WindowBox fitWindowToWorkArea(WindowBox box, WindowBox workArea) {
    fitAxis(&box.left, &box.width, workArea.left, workArea.width);
    fitAxis(&box.top, &box.height, workArea.top, workArea.height);
    return box;
}
