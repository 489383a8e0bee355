#pragma once
// What the mouse asks of the crop rectangle, as plain arithmetic: the hit zones of a committed rectangle
// with their cursors, the rubber band's corner while the first rectangle is drawn, the edge values an
// edge or corner drag writes into the panel's fields, the up-down steps of the panel, and the size
// readout of the title. The window side (CropEditor_win.cpp, CropPanel_win.cpp) applies the results.

#include <cstdint>

#include "view/ViewGeometry.h"

struct CropEditor;
struct TextBuffer;

// At 96 DPI; the window side scales them to the display.
constexpr int32_t kHitTolerance = 7;    // view pixels around an edge that still grab it
constexpr int32_t kBandThreshold = 16;  // view pixels of travel before a held press draws by dragging

enum CropField { kFieldLeft, kFieldTop, kFieldRight, kFieldBottom, kFieldCount };

struct HitResult {
    int zone = 0;      // 0 none, 1–4 left/top/right/bottom edge, 5–8 corners clockwise from top-left, 9 inside
    int cursorId = 0;  // 0: the arrow
};
// Zones offered at view point (x, y) over `screen`; a locked ratio offers only the right and bottom edges,
// the bottom-right corner and the inside. `tolerance`: view pixels around an edge that still grab it.
HitResult hitTestCrop(const ScreenRect& screen, int32_t x, int32_t y, bool ratioLocked,
                      int32_t tolerance = kHitTolerance);

// Limits a view point to the drawn picture.
void limitToDrawnImage(const ViewGeometry* geometry, int32_t* x, int32_t* y);

struct BandStep {
    bool accepted = false;  // false: a locked corner would leave the drawn picture; the band stays
    int32_t cornerX = 0;    // view pixels
    int32_t cornerY = 0;
    int32_t width = 0;  // image pixels, for the size readout
    int32_t height = 0;
};
// The band for pointer (x, y), from the anchor pixel (the editor's left and top) whose view point is
// (anchorViewX, anchorViewY).
BandStep bandStepFor(const CropEditor* editor, const ViewGeometry* geometry, int32_t anchorViewX,
                     int32_t anchorViewY, int32_t x, int32_t y);

// The field writes of an edge or corner drag (zones 1–8) for pointer (x, y), in the order they are made.
// Values equal to the rectangle's are left out; a locked corner that would leave the picture writes nothing.
struct FieldWrites {
    int count = 0;
    CropField field[2] = {};
    int32_t value[2] = {};
};
FieldWrites zoneDragWrites(const CropEditor* editor, const ViewGeometry* geometry, int zone, int32_t x, int32_t y);

// The up-down steps of an edge field: the left and top edges move in grid cells, 4 cells after the
// arrow has been held 2 s and 16 after 4 s; the right and bottom edges by single pixels.
struct UpDownStep {
    uint32_t afterSeconds = 0;
    int32_t step = 1;
};
constexpr int kMaxUpDownSteps = 3;
int cropUpDownSteps(CropField field, int32_t blockWidth, int32_t blockHeight, UpDownStep steps[kMaxUpDownSteps]);
int32_t upDownStepAfter(const UpDownStep* steps, int count, uint32_t heldMilliseconds);

// The title in crop mode: the mode's name, " W:", width, " H:", height.
void formatSizeReadout(const char16_t* modeName, int32_t width, int32_t height, TextBuffer* title);
