#include "view/CropRect.h"

#include <cstdlib>

#include "view/CropEditor.h"

namespace {

int32_t clampTo(int32_t v, int32_t low, int32_t high) { return v < low ? low : (v > high ? high : v); }

const RatioPreset& selectedRatio(const CropEditor* editor) { return editor->ratioPresets[editor->selectedPreset]; }

}  // namespace

// Preset numbers come from the user's editor and the settings file, where zero or negative values can
// appear; only two positive numbers make a usable ratio (anything else would divide by zero or by a
// negative sum).
bool presetLocked(const RatioPreset& preset) { return preset.width > 0 && preset.height > 0; }

int32_t roundHalfAway(double value) {
    return static_cast<int32_t>(value < 0 ? value - 0.5 : value + 0.5);
}

int32_t floorToGrid(int32_t value, int32_t cell) { return cell * (value / cell); }

// The rounding goes to the side with the smaller ratio number and the other side takes the remainder, so
// width + height stays what the pointer asked for. The product is formed before the division: t × (rw ÷ sum)
// rounds the quotient first and lands just below an exact half (7:13 at t = 90 gives 31.4999…).
void splitByRatio(const CropEditor* editor, int32_t extentSum, int32_t* extentW, int32_t* extentH) {
    const RatioPreset& ratio = selectedRatio(editor);
    int32_t total = extentSum + 2;
    if (!presetLocked(ratio)) {
        *extentW = extentSum;
        *extentH = 0;
        return;
    }
    double sum = static_cast<double>(ratio.width) + ratio.height;
    int32_t width, height;
    if (editor->ratioOrientation == 1) {
        width = roundHalfAway(static_cast<double>(total) * ratio.width / sum);
        height = total - width;
    } else {
        height = roundHalfAway(static_cast<double>(total) * ratio.height / sum);
        width = total - height;
    }
    // An extreme ratio on a tiny band rounds one side to nothing; keep both at least one pixel.
    if (width < 1) {
        width = 1;
        height = total - 1;
    } else if (height < 1) {
        height = 1;
        width = total - 1;
    }
    *extentW = width - 1;
    *extentH = height - 1;
}

void sizeByRatio(const CropEditor* editor, int32_t total, int32_t* width, int32_t* height) {
    const RatioPreset& ratio = selectedRatio(editor);
    if (!presetLocked(ratio)) {  // callers check the lock; a free entry would divide by zero
        *width = total > 1 ? total - 1 : 1;
        *height = 1;
        return;
    }
    // Deriving the side with the larger number keeps its rounding the smaller part of it.
    const bool widthRounded = editor->ratioOrientation == 1;
    const double first = widthRounded ? ratio.width : ratio.height;
    const double second = widthRounded ? ratio.height : ratio.width;
    int32_t rounded = roundHalfAway(total * first / (first + second));
    if (rounded < 1) rounded = 1;
    int32_t derived = roundHalfAway(rounded * second / first);
    if (derived < 1) derived = 1;
    *width = widthRounded ? rounded : derived;
    *height = widthRounded ? derived : rounded;
}

void commitBand(CropEditor* editor, int32_t anchorX, int32_t anchorY, int32_t cornerX, int32_t cornerY) {
    int32_t lastColumn = editor->imageWidth - 1;
    int32_t lastRow = editor->imageHeight - 1;
    anchorX = clampTo(anchorX, 0, lastColumn);
    cornerX = clampTo(cornerX, 0, lastColumn);
    anchorY = clampTo(anchorY, 0, lastRow);
    cornerY = clampTo(cornerY, 0, lastRow);
    CropRect& rect = editor->rect;
    rect.left = floorToGrid(anchorX < cornerX ? anchorX : cornerX, editor->blockWidth);
    rect.right = anchorX < cornerX ? cornerX : anchorX;
    rect.top = floorToGrid(anchorY < cornerY ? anchorY : cornerY, editor->blockHeight);
    rect.bottom = anchorY < cornerY ? cornerY : anchorY;
}

bool setLeftEdge(CropEditor* editor, int32_t column) {
    int32_t left = floorToGrid(clampTo(column, 0, editor->rect.right), editor->blockWidth);
    if (left == editor->rect.left) return false;
    editor->rect.left = left;
    return true;
}

bool setTopEdge(CropEditor* editor, int32_t row) {
    int32_t top = floorToGrid(clampTo(row, 0, editor->rect.bottom), editor->blockHeight);
    if (top == editor->rect.top) return false;
    editor->rect.top = top;
    return true;
}

bool setRightEdge(CropEditor* editor, int32_t column) {
    int32_t right = clampTo(column, editor->rect.left, editor->imageWidth - 1);
    if (right == editor->rect.right) return false;
    editor->rect.right = right;
    return true;
}

bool setBottomEdge(CropEditor* editor, int32_t row) {
    int32_t bottom = clampTo(row, editor->rect.top, editor->imageHeight - 1);
    if (bottom == editor->rect.bottom) return false;
    editor->rect.bottom = bottom;
    return true;
}

// The partner extent is computed in 64 bits: a preset read from a damaged settings file can be large
// enough to overflow the 32-bit product.
bool followRatioFromRight(CropEditor* editor, int32_t column) {
    const RatioPreset& ratio = selectedRatio(editor);
    if (!presetLocked(ratio)) {
        setRightEdge(editor, column);
        return true;
    }
    CropRect& rect = editor->rect;
    column = clampTo(column, rect.left, editor->imageWidth - 1);
    int64_t width = static_cast<int64_t>(column) - rect.left + 1;
    double height = static_cast<double>(ratio.height * width) / ratio.width + 0.5;
    double bottom = rect.top + static_cast<double>(static_cast<int64_t>(height)) - 1;
    if (bottom >= editor->imageHeight) return false;
    rect.right = column;
    rect.bottom = clampTo(static_cast<int32_t>(bottom), rect.top, editor->imageHeight - 1);
    return true;
}

bool followRatioFromBottom(CropEditor* editor, int32_t row) {
    const RatioPreset& ratio = selectedRatio(editor);
    if (!presetLocked(ratio)) {
        setBottomEdge(editor, row);
        return true;
    }
    CropRect& rect = editor->rect;
    row = clampTo(row, rect.top, editor->imageHeight - 1);
    int64_t height = static_cast<int64_t>(row) - rect.top + 1;
    double width = static_cast<double>(ratio.width * height) / ratio.height + 0.5;
    double right = rect.left + static_cast<double>(static_cast<int64_t>(width)) - 1;
    if (right >= editor->imageWidth) return false;
    rect.bottom = row;
    rect.right = clampTo(static_cast<int32_t>(right), rect.left, editor->imageWidth - 1);
    return true;
}

// The origin never moves. The size is derived from the ratio rather than split from the sum, which
// would leave a 1:1 rectangle a pixel off square whenever the sum is odd.
void refitToPreset(CropEditor* editor) {
    const RatioPreset& ratio = selectedRatio(editor);
    if (!presetLocked(ratio)) return;
    CropRect& rect = editor->rect;
    double rw = ratio.width, rh = ratio.height;
    int32_t roomW = editor->imageWidth - rect.left;
    int32_t roomH = editor->imageHeight - rect.top;
    int32_t total = (rect.right - rect.left) + (rect.bottom - rect.top) + 2;
    int32_t width, height;
    sizeByRatio(editor, total, &width, &height);
    if (width > roomW) {
        width = roomW;
        height = static_cast<int32_t>(roomW / rw * rh + 0.5);
    }
    if (height > roomH) {
        height = roomH;
        width = static_cast<int32_t>(roomH / rh * rw + 0.5);
    }
    // Extreme ratios can round a side to zero or, after the second limit, past the room again.
    width = clampTo(width, 1, roomW);
    height = clampTo(height, 1, roomH);
    rect.right = rect.left + width - 1;
    rect.bottom = rect.top + height - 1;
}

void beginMove(CropEditor* editor, int32_t anchorColumn, int32_t anchorRow) {
    editor->moveAnchorX = anchorColumn;
    editor->moveAnchorY = anchorRow;
    editor->moveExtentW = editor->rect.right - editor->rect.left;
    editor->moveExtentH = editor->rect.bottom - editor->rect.top;
}

namespace {

// One axis of a move. Both edges are set together: writing the near edge first through its clamp to the
// old far edge would widen the rectangle whenever one step is longer than the rectangle.
bool moveAxis(int32_t delta, int32_t extent, int32_t limit, int32_t cell, int32_t* nearEdge, int32_t* farEdge,
              int32_t* anchor) {
    int32_t start = *nearEdge + delta;
    if (start < 0) start = 0;
    if (start + extent > limit - 1) start = limit - 1 - extent;
    if (start < 0) start = 0;
    start = floorToGrid(start, cell);
    if (start == *nearEdge) return false;
    // The part of the pointer's travel that the grid swallowed is carried over to later steps.
    *anchor += start - *nearEdge;
    int32_t end = start + extent;
    if (end > limit - 1) end = limit - 1;
    *nearEdge = start;
    *farEdge = end;
    return true;
}

}  // namespace

bool moveCropBy(CropEditor* editor, int32_t dx, int32_t dy) {
    CropRect& rect = editor->rect;
    bool movedX = moveAxis(dx, editor->moveExtentW, editor->imageWidth, editor->blockWidth, &rect.left,
                           &rect.right, &editor->moveAnchorX);
    bool movedY = moveAxis(dy, editor->moveExtentH, editor->imageHeight, editor->blockHeight, &rect.top,
                           &rect.bottom, &editor->moveAnchorY);
    return movedX || movedY;
}

// The origin is snapped first and the size kept: snapping a centred origin while keeping the far corner
// would widen the rectangle by up to a grid cell and lose the ratio. Snapping only moves the origin up
// and left, so the rectangle still fits.
void selectMaximal(CropEditor* editor) {
    const RatioPreset& ratio = selectedRatio(editor);
    int32_t imageW = editor->imageWidth, imageH = editor->imageHeight;
    int32_t width = imageW, height = imageH, left = 0, top = 0;
    if (presetLocked(ratio)) {
        double rw = ratio.width, rh = ratio.height;
        if (imageH / rh > imageW / rw) {
            height = static_cast<int32_t>(rh * (imageW / rw) + 0.5);
        } else {
            width = static_cast<int32_t>(imageH / rh * rw + 0.5);
        }
        // A ratio far from the picture's own can round one side to nothing.
        width = clampTo(width, 1, imageW);
        height = clampTo(height, 1, imageH);
        left = (imageW - width) >> 1;
        top = (imageH - height) >> 1;
    }
    CropRect& rect = editor->rect;
    rect.left = floorToGrid(left, editor->blockWidth);
    rect.top = floorToGrid(top, editor->blockHeight);
    rect.right = rect.left + width - 1;
    rect.bottom = rect.top + height - 1;
}

CropOutcome acceptCrop(const CropEditor* editor) {
    CropOutcome outcome;
    const CropRect& rect = editor->rect;
    if (rect.left != 0 || rect.top != 0 || rect.right != editor->imageWidth - 1 ||
        rect.bottom != editor->imageHeight - 1) {
        outcome.cropPending = true;
        outcome.pendingCrop = rect;
    }
    return outcome;
}

CropOutcome cancelCrop(const CropEditor*) { return CropOutcome(); }

bool cropRectValid(const CropEditor* editor) {
    const CropRect& rect = editor->rect;
    return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
           rect.right <= editor->imageWidth - 1 && rect.bottom <= editor->imageHeight - 1 &&
           rect.left % editor->blockWidth == 0 && rect.top % editor->blockHeight == 0;
}
