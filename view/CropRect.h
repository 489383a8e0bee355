#pragma once
// The crop selection in image pixels. Its origin (left, top) always lies on the JPEG block grid so that the
// lossless save can cut exactly what is shown; its far edges (right, bottom) are free to any pixel. Every
// operation that changes the rectangle lives here as plain arithmetic; the mouse, the panel fields and the
// view call them.

#include <cstdint>

struct CropEditor;

// Inclusive on all four sides.
struct CropRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Locks the proportions when both numbers are positive; otherwise the entry is free ("-").
struct RatioPreset {
    int32_t width = 0;
    int32_t height = 0;
};

constexpr int kRatioPresetCount = 9;  // entry 0 is always free; 1..8 are the user's

inline int32_t cropWidth(const CropRect& rect) { return rect.right - rect.left + 1; }
inline int32_t cropHeight(const CropRect& rect) { return rect.bottom - rect.top + 1; }
inline bool operator==(const CropRect& a, const CropRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const CropRect& a, const CropRect& b) { return !(a == b); }

bool presetLocked(const RatioPreset& preset);
int32_t roundHalfAway(double value);
int32_t floorToGrid(int32_t value, int32_t cell);

// Extents (width − 1, height − 1) for the selected ratio whose sum is `extentSum`.
void splitByRatio(const CropEditor* editor, int32_t extentSum, int32_t* extentW, int32_t* extentH);
// A size of the selected locked ratio for a width + height of about `total`: the side with the smaller
// ratio number is rounded from the total and the other is derived from it, so the ratio holds to a pixel.
void sizeByRatio(const CropEditor* editor, int32_t total, int32_t* width, int32_t* height);
void commitBand(CropEditor* editor, int32_t anchorX, int32_t anchorY, int32_t cornerX, int32_t cornerY);

// Each returns whether the rectangle changed.
bool setLeftEdge(CropEditor* editor, int32_t column);
bool setTopEdge(CropEditor* editor, int32_t row);
bool setRightEdge(CropEditor* editor, int32_t column);
bool setBottomEdge(CropEditor* editor, int32_t row);

// Far edge set with the locked ratio pulling its partner along; false when refused (nothing changes).
bool followRatioFromRight(CropEditor* editor, int32_t column);
bool followRatioFromBottom(CropEditor* editor, int32_t row);

void refitToPreset(CropEditor* editor);

// A move drag: beginMove captures the extents and the anchor pixel, moveCropBy moves by the pointer's
// travel from the anchor in whole grid cells and returns whether the rectangle moved.
void beginMove(CropEditor* editor, int32_t anchorColumn, int32_t anchorRow);
bool moveCropBy(CropEditor* editor, int32_t dx, int32_t dy);

// The largest rectangle of the selected ratio, centred (or the whole picture when free), with its origin
// on the grid and its size kept.
void selectMaximal(CropEditor* editor);

// What ending crop mode hands to the save workflow: a crop only when the rectangle is smaller than the
// picture.
struct CropOutcome {
    bool cropPending = false;
    CropRect pendingCrop;
};
CropOutcome acceptCrop(const CropEditor* editor);
CropOutcome cancelCrop(const CropEditor* editor);

// The rectangle keeps its invariants: origin on the grid, inside the picture, left ≤ right, top ≤ bottom.
bool cropRectValid(const CropEditor* editor);
