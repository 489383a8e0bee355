#include "view/CropGestures.h"

#include <cstdlib>

#include "common/TextBuffer.h"
#include "view/CropEditor.h"

namespace {

int32_t clampTo(int32_t v, int32_t low, int32_t high) { return v < low ? low : (v > high ? high : v); }

bool selectedLocked(const CropEditor* editor) { return presetLocked(editor->ratioPresets[editor->selectedPreset]); }

const int kCursorHorizontal = 130, kCursorVertical = 131, kCursorDiagonalDown = 132, kCursorDiagonalUp = 133,
          kCursorMove = 140;

}  // namespace

// Near-left is tested before near-right and near-top before near-bottom, so on a rectangle narrower than
// twice the tolerance the left and top zones win.
HitResult hitTestCrop(const ScreenRect& r, int32_t x, int32_t y, bool ratioLocked, int32_t tolerance) {
    HitResult hit;
    if (!(r.left - tolerance < x && x < r.right + tolerance && r.top - tolerance < y &&
          y < r.bottom + tolerance))
        return hit;
    bool nearLeft = x < r.left + tolerance;
    bool nearRight = !nearLeft && x > r.right - tolerance;
    bool nearTop = y < r.top + tolerance;
    bool nearBottom = y > r.bottom - tolerance;
    if (ratioLocked) {
        // Only the far edges can follow the ratio; near the left or top the rectangle moves instead.
        if (nearRight) {
            hit = nearBottom ? HitResult{7, kCursorDiagonalDown} : HitResult{3, kCursorHorizontal};
        } else {
            hit = nearBottom ? HitResult{4, kCursorVertical} : HitResult{9, kCursorMove};
        }
        return hit;
    }
    nearBottom = nearBottom && !nearTop;
    if (nearLeft) {
        hit = nearTop ? HitResult{5, kCursorDiagonalDown}
                      : (nearBottom ? HitResult{8, kCursorDiagonalUp} : HitResult{1, kCursorHorizontal});
    } else if (nearRight) {
        hit = nearTop ? HitResult{6, kCursorDiagonalUp}
                      : (nearBottom ? HitResult{7, kCursorDiagonalDown} : HitResult{3, kCursorHorizontal});
    } else {
        hit = nearTop ? HitResult{2, kCursorVertical}
                      : (nearBottom ? HitResult{4, kCursorVertical} : HitResult{9, kCursorMove});
    }
    return hit;
}

void limitToDrawnImage(const ViewGeometry* g, int32_t* x, int32_t* y) {
    *x = clampTo(*x, g->dstX, g->dstX + g->dstW - 1);
    *y = clampTo(*y, g->dstY, g->dstY + g->dstH - 1);
}

BandStep bandStepFor(const CropEditor* editor, const ViewGeometry* g, int32_t anchorViewX, int32_t anchorViewY,
                     int32_t x, int32_t y) {
    BandStep band;
    limitToDrawnImage(g, &x, &y);
    int32_t left = editor->rect.left, top = editor->rect.top;
    int32_t col = viewToImageX(g, x, centreBiasX(g));
    int32_t row = viewToImageY(g, y, centreBiasY(g));
    int32_t dx = std::abs(left - col), dy = std::abs(top - row);
    if (!selectedLocked(editor)) {
        band = {true, x, y, dx + 1, dy + 1};
        return band;
    }
    int32_t ew, eh;
    splitByRatio(editor, dx + dy, &ew, &eh);
    int32_t cornerX = x < anchorViewX ? imageToViewX(g, left - ew, 0) : imageToViewX(g, left + ew, 1);
    int32_t cornerY = y < anchorViewY ? imageToViewY(g, top - eh, 0) : imageToViewY(g, top + eh, 1);
    // A corner pixel outside the picture would also have a view point outside the drawn image.
    bool insideX = x < anchorViewX ? left - ew >= 0 : left + ew <= editor->imageWidth - 1;
    bool insideY = y < anchorViewY ? top - eh >= 0 : top + eh <= editor->imageHeight - 1;
    if (!insideX || !insideY || cornerX < g->dstX || cornerX > g->dstX + g->dstW - 1 || cornerY < g->dstY ||
        cornerY > g->dstY + g->dstH - 1)
        return band;
    band = {true, cornerX, cornerY, ew + 1, eh + 1};
    return band;
}

namespace {

void addWrite(FieldWrites* writes, CropField field, int32_t value, int32_t current) {
    if (value == current) return;
    writes->field[writes->count] = field;
    writes->value[writes->count] = value;
    writes->count++;
}

}  // namespace

FieldWrites zoneDragWrites(const CropEditor* editor, const ViewGeometry* g, int zone, int32_t x, int32_t y) {
    FieldWrites writes;
    const CropRect& rect = editor->rect;
    const int32_t lastColumn = editor->imageWidth - 1, lastRow = editor->imageHeight - 1;
    const int32_t left = floorToGrid(clampTo(viewToImageX(g, x, 0), 0, rect.right), editor->blockWidth);
    const int32_t top = floorToGrid(clampTo(viewToImageY(g, y, 0), 0, rect.bottom), editor->blockHeight);
    const int32_t column = viewToImageX(g, x, g->dstW - g->srcW);
    const int32_t row = viewToImageY(g, y, g->dstH - g->srcH);
    const int32_t right = clampTo(column, rect.left, lastColumn);
    const int32_t bottom = clampTo(row, rect.top, lastRow);
    switch (zone) {
    case 1: addWrite(&writes, kFieldLeft, left, rect.left); break;
    case 2: addWrite(&writes, kFieldTop, top, rect.top); break;
    case 3: addWrite(&writes, kFieldRight, right, rect.right); break;
    case 4: addWrite(&writes, kFieldBottom, bottom, rect.bottom); break;
    case 5:
        addWrite(&writes, kFieldLeft, left, rect.left);
        addWrite(&writes, kFieldTop, top, rect.top);
        break;
    case 6:
        addWrite(&writes, kFieldRight, right, rect.right);
        addWrite(&writes, kFieldTop, top, rect.top);
        break;
    case 7:
        if (selectedLocked(editor)) {
            // The pointer's width + height, sized by the ratio rather than split, so the ratio holds.
            int32_t sum = (column - rect.left) + (row - rect.top);
            int32_t width, height;
            sizeByRatio(editor, (sum > 0 ? sum : 0) + 2, &width, &height);
            int32_t newRight = rect.left + width - 1, newBottom = rect.top + height - 1;
            if (newRight > lastColumn || newBottom > lastRow) break;
            addWrite(&writes, kFieldRight, newRight, rect.right);
            addWrite(&writes, kFieldBottom, newBottom, rect.bottom);
        } else {
            addWrite(&writes, kFieldRight, right, rect.right);
            addWrite(&writes, kFieldBottom, bottom, rect.bottom);
        }
        break;
    case 8:
        addWrite(&writes, kFieldLeft, left, rect.left);
        addWrite(&writes, kFieldBottom, bottom, rect.bottom);
        break;
    }
    return writes;
}

int cropUpDownSteps(CropField field, int32_t blockWidth, int32_t blockHeight, UpDownStep steps[kMaxUpDownSteps]) {
    if (field == kFieldRight || field == kFieldBottom) {
        steps[0] = {0, 1};
        return 1;
    }
    int32_t cell = field == kFieldLeft ? blockWidth : blockHeight;
    if (cell < 1) cell = 1;
    steps[0] = {0, cell};
    steps[1] = {2, 4 * cell};
    steps[2] = {4, 16 * cell};
    return 3;
}

int32_t upDownStepAfter(const UpDownStep* steps, int count, uint32_t heldMilliseconds) {
    int32_t step = count > 0 ? steps[0].step : 1;
    for (int i = 1; i < count; i++)
        if (heldMilliseconds >= steps[i].afterSeconds * 1000u) step = steps[i].step;
    return step;
}

void formatSizeReadout(const char16_t* modeName, int32_t width, int32_t height, TextBuffer* title) {
    textAssign(title, modeName);
    textAppendAscii(title, " W:");
    textAppendNumber(title, width);
    textAppendAscii(title, " H:");
    textAppendNumber(title, height);
}
