#include "view/CropGestures.h"

#include <gtest/gtest.h>

#include <string>

#include "common/DpiScale.h"
#include "common/TextBuffer.h"
#include "view/CropEditor.h"

namespace {

// 800 × 600 drawn at 100 % with its top-left corner at view (10, 20): image pixel = view − offset.
ViewGeometry actualSizeAt10And20() {
    ViewGeometry g;
    g.imageW = 800;
    g.imageH = 600;
    g.dstX = 10;
    g.dstY = 20;
    g.dstW = g.srcW = 800;
    g.dstH = g.srcH = 600;
    return g;
}

CropEditor editorWith(RatioPreset preset, CropRect rect) {
    CropEditorSetup setup;
    setup.imageWidth = 800;
    setup.imageHeight = 600;
    setup.blockWidth = 16;
    setup.blockHeight = 16;
    setup.userPresets[0] = preset;
    setup.selectedPreset = preset.width ? 1 : 0;
    CropEditor editor;
    initCropEditor(&editor, setup);
    editor.rect = rect;
    return editor;
}

const RatioPreset kFree = {0, 0};
const RatioPreset kFourThree = {1024, 768};
const RatioPreset kSquare = {1, 1};

}  // namespace

// Outline (100, 50)–(200, 150); the tolerance reaches 6 pixels either side of an edge.
TEST(CropGestures, HitZonesAndCursorsWithAFreeRatio) {
    const ScreenRect r = {100, 50, 200, 150};
    struct Case { int32_t x, y; int zone, cursor; } cases[] = {
        {93, 100, 0, 0},    {94, 100, 1, 130},  {106, 100, 1, 130}, {107, 100, 9, 140}, {193, 100, 9, 140},
        {194, 100, 3, 130}, {206, 100, 3, 130}, {207, 100, 0, 0},   {150, 43, 0, 0},    {150, 44, 2, 131},
        {150, 156, 4, 131}, {150, 157, 0, 0},   {100, 50, 5, 132},  {200, 50, 6, 133},  {200, 150, 7, 132},
        {100, 150, 8, 133}, {94, 44, 5, 132},   {206, 156, 7, 132}, {150, 100, 9, 140},
    };
    for (const Case& c : cases) {
        HitResult hit = hitTestCrop(r, c.x, c.y, false);
        EXPECT_EQ(hit.zone, c.zone) << "at " << c.x << "," << c.y;
        EXPECT_EQ(hit.cursorId, c.cursor) << "at " << c.x << "," << c.y;
    }
    // Narrower and shorter than twice the tolerance: the left and top edges win.
    const ScreenRect thin = {100, 50, 108, 58};
    EXPECT_EQ(hitTestCrop(thin, 104, 54, false).zone, 5);
    EXPECT_EQ(hitTestCrop({100, 50, 108, 150}, 104, 100, false).zone, 1);
    EXPECT_EQ(hitTestCrop({100, 50, 200, 58}, 150, 54, false).zone, 2);
    // The window side scales the tolerance with the display: at 200 % the reach is 13 device pixels.
    for (int32_t tolerance : {kHitTolerance, int32_t(scaleToDpi(kHitTolerance, 192))}) {
        EXPECT_EQ(hitTestCrop(r, 101 - tolerance, 100, false, tolerance).zone, 1) << tolerance;
        EXPECT_EQ(hitTestCrop(r, 100 - tolerance, 100, false, tolerance).zone, 0) << tolerance;
        EXPECT_EQ(hitTestCrop(r, 199 + tolerance, 100, false, tolerance).zone, 3) << tolerance;
        EXPECT_EQ(hitTestCrop(r, 100 + tolerance, 100, false, tolerance).zone, 9) << tolerance;
    }
}

TEST(CropGestures, ALockedRatioOffersOnlyTheFarEdgesTheirCornerAndAMove) {
    const ScreenRect r = {100, 50, 200, 150};
    struct Case { int32_t x, y; int zone, cursor; } cases[] = {
        {100, 100, 9, 140}, {100, 50, 9, 140},  {150, 50, 9, 140},  {200, 50, 3, 130}, {200, 100, 3, 130},
        {200, 150, 7, 132}, {150, 150, 4, 131}, {100, 150, 4, 131}, {93, 100, 0, 0},   {150, 100, 9, 140},
    };
    for (const Case& c : cases) {
        HitResult hit = hitTestCrop(r, c.x, c.y, true);
        EXPECT_EQ(hit.zone, c.zone) << "at " << c.x << "," << c.y;
        EXPECT_EQ(hit.cursorId, c.cursor) << "at " << c.x << "," << c.y;
    }
    // A short rectangle near its top is near its bottom too: the far edge, never a top edge.
    EXPECT_EQ(hitTestCrop({100, 50, 200, 58}, 150, 54, true).zone, 4);
}

TEST(CropGestures, BandFollowsThePointerAndKeepsALockedRatioInsideThePicture) {
    const ViewGeometry g = actualSizeAt10And20();
    struct Case {
        const char* what;
        RatioPreset preset;
        int32_t anchorLeft, anchorTop, x, y;
        bool accepted;
        int32_t cornerX, cornerY, width, height;
    } cases[] = {
        {"free, down right", kFree, 100, 100, 210, 170, true, 210, 170, 101, 51},
        {"free, limited to the picture", kFree, 100, 100, 900, 700, true, 809, 619, 700, 500},
        {"free, up left", kFree, 100, 100, 60, 70, true, 60, 70, 51, 51},
        // dx + dy = 150, t = 152: height round(152 × 768 / 1792) = 65, width 87.
        {"4:3, down right", kFourThree, 100, 100, 210, 170, true, 196, 184, 87, 65},
        // dx + dy = 100, t = 102: height 44, width 58; the corner lies up and left of the anchor.
        {"4:3, up left", kFourThree, 100, 100, 60, 70, true, 53, 77, 58, 44},
        // The 4:3 corner would lie past column 799.
        {"4:3, past the right edge", kFourThree, 780, 100, 809, 300, false, 0, 0, 0, 0},
        {"1:1, down right", kSquare, 0, 0, 110, 60, true, 80, 90, 71, 71},
    };
    for (const Case& c : cases) {
        CropEditor editor = editorWith(c.preset, {c.anchorLeft, c.anchorTop, 0, 0});
        BandStep band = bandStepFor(&editor, &g, c.anchorLeft + 10, c.anchorTop + 20, c.x, c.y);
        EXPECT_EQ(band.accepted, c.accepted) << c.what;
        if (!c.accepted || !band.accepted) continue;
        EXPECT_EQ(band.cornerX, c.cornerX) << c.what;
        EXPECT_EQ(band.cornerY, c.cornerY) << c.what;
        EXPECT_EQ(band.width, c.width) << c.what;
        EXPECT_EQ(band.height, c.height) << c.what;
    }
}

TEST(CropGestures, EdgeAndCornerDragsWriteClampedChangedValuesInOrder) {
    const ViewGeometry g = actualSizeAt10And20();
    const CropRect rect = {32, 16, 400, 300};
    struct Case {
        const char* what;
        RatioPreset preset;
        int zone;
        int32_t col, row;  // image pixel under the pointer
        int count;
        CropField field0;
        int32_t value0;
        CropField field1;
        int32_t value1;
    } cases[] = {
        {"left within its grid cell: nothing", kFree, 1, 45, 0, 0, kFieldLeft, 0, kFieldLeft, 0},
        {"left snaps down", kFree, 1, 50, 0, 1, kFieldLeft, 48, kFieldLeft, 0},
        {"left stops at the right edge's cell", kFree, 1, 500, 0, 1, kFieldLeft, 400, kFieldLeft, 0},
        {"top", kFree, 2, 0, 40, 1, kFieldTop, 32, kFieldLeft, 0},
        {"right to any pixel", kFree, 3, 501, 0, 1, kFieldRight, 501, kFieldLeft, 0},
        {"right stops at the left edge", kFree, 3, 0, 0, 1, kFieldRight, 32, kFieldLeft, 0},
        {"bottom to the last row", kFree, 4, 0, 599, 1, kFieldBottom, 599, kFieldLeft, 0},
        {"top-left corner", kFree, 5, 70, 70, 2, kFieldLeft, 64, kFieldTop, 64},
        {"top-right corner", kFree, 6, 450, 70, 2, kFieldRight, 450, kFieldTop, 64},
        {"bottom-right corner", kFree, 7, 450, 350, 2, kFieldRight, 450, kFieldBottom, 350},
        {"bottom-left corner", kFree, 8, 0, 350, 2, kFieldLeft, 0, kFieldBottom, 350},
        // Sum 388 + 314 = 702, t = 704: height round(704 × 768 / 1792) = 302, width round(302 × 4 / 3) = 403.
        {"4:3 corner keeps the ratio", kFourThree, 7, 420, 330, 2, kFieldRight, 434, kFieldBottom, 317},
        // Sum 169 + 184 = 353, t = 355 is odd: a split would give 178 × 177; the ratio gives 178 × 178.
        {"1:1 corner stays square", kSquare, 7, 201, 200, 2, kFieldRight, 209, kFieldBottom, 193},
        {"4:3 corner past the picture", kFourThree, 7, 799, 599, 0, kFieldLeft, 0, kFieldLeft, 0},
    };
    for (const Case& c : cases) {
        CropEditor editor = editorWith(c.preset, rect);
        FieldWrites writes = zoneDragWrites(&editor, &g, c.zone, c.col + 10, c.row + 20);
        ASSERT_EQ(writes.count, c.count) << c.what;
        if (c.count > 0) {
            EXPECT_EQ(writes.field[0], c.field0) << c.what;
            EXPECT_EQ(writes.value[0], c.value0) << c.what;
        }
        if (c.count > 1) {
            EXPECT_EQ(writes.field[1], c.field1) << c.what;
            EXPECT_EQ(writes.value[1], c.value1) << c.what;
        }
    }
}

TEST(CropGestures, UpDownsStepByGridCellsFasterTheLongerTheArrowIsHeld) {
    struct Case { CropField field; uint32_t heldMs; int32_t step; } cases[] = {
        {kFieldLeft, 0, 16},      {kFieldLeft, 1999, 16},  {kFieldLeft, 2000, 64},   {kFieldLeft, 3999, 64},
        {kFieldLeft, 4000, 256},  {kFieldLeft, 60000, 256}, {kFieldTop, 0, 8},       {kFieldTop, 2500, 32},
        {kFieldTop, 4000, 128},   {kFieldRight, 5000, 1},  {kFieldBottom, 5000, 1},
    };
    for (const Case& c : cases) {
        UpDownStep steps[kMaxUpDownSteps];
        int count = cropUpDownSteps(c.field, 16, 8, steps);
        EXPECT_EQ(upDownStepAfter(steps, count, c.heldMs), c.step) << "field " << c.field << " after " << c.heldMs;
    }
}

TEST(CropGestures, SizeReadoutFollowsTheModeName) {
    TextBuffer title;
    formatSizeReadout(u"Crop", 640, 480, &title);
    EXPECT_TRUE(textEquals(&title, u"Crop W:640 H:480"));
}
