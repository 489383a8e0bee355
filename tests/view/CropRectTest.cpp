#include "view/CropRect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "view/CropEditor.h"

namespace {

CropEditor makeEditor(int32_t width, int32_t height, int32_t blockW, int32_t blockH,
                      RatioPreset first = {0, 0}, int selected = 0) {
    CropEditorSetup setup;
    setup.imageWidth = width;
    setup.imageHeight = height;
    setup.blockWidth = blockW;
    setup.blockHeight = blockH;
    setup.userPresets[0] = first;
    setup.selectedPreset = selected;
    CropEditor editor;
    initCropEditor(&editor, setup);
    return editor;
}

std::string describe(const CropRect& r) {
    std::ostringstream out;
    out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
    return out.str();
}

void expectRect(const CropEditor& editor, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    CropRect want{left, top, right, bottom};
    EXPECT_EQ(editor.rect, want) << "got " << describe(editor.rect) << " want " << describe(want);
}

}  // namespace

TEST(CropRect, RoundingIsHalfAwayFromZero) {
    EXPECT_EQ(roundHalfAway(2.5), 3);
    EXPECT_EQ(roundHalfAway(2.4999), 2);
    EXPECT_EQ(roundHalfAway(-2.5), -3);
    EXPECT_EQ(roundHalfAway(-2.4999), -2);
    EXPECT_EQ(roundHalfAway(0.0), 0);
    EXPECT_EQ(floorToGrid(37, 16), 32);
    EXPECT_EQ(floorToGrid(32, 16), 32);
    EXPECT_EQ(floorToGrid(15, 16), 0);
}

TEST(CropRect, BandSnapsOriginAndKeepsFarCorner) {
    CropEditor editor = makeEditor(100, 80, 16, 16);
    commitBand(&editor, 37, 21, 90, 70);
    expectRect(editor, 32, 16, 90, 70);
    EXPECT_EQ(cropWidth(editor.rect), 59);
    EXPECT_EQ(cropHeight(editor.rect), 55);

    CropEditor reversed = makeEditor(100, 80, 16, 16);
    commitBand(&reversed, 90, 70, 37, 21);
    EXPECT_EQ(reversed.rect, editor.rect);

    CropEditor mixed = makeEditor(100, 80, 16, 16);
    commitBand(&mixed, 90, 21, 37, 70);
    EXPECT_EQ(mixed.rect, editor.rect);
}

TEST(CropRect, SinglePixelBandAndUnevenGrids) {
    CropEditor editor = makeEditor(100, 80, 16, 8);  // 4:2:2
    commitBand(&editor, 50, 50, 50, 50);
    expectRect(editor, 48, 48, 50, 50);
    commitBand(&editor, 23, 23, 23, 23);
    expectRect(editor, 16, 16, 23, 23);
    commitBand(&editor, 99, 79, 0, 0);
    expectRect(editor, 0, 0, 99, 79);
}

TEST(CropRect, BandCornersOutsideThePictureAreLimited) {
    CropEditor editor = makeEditor(100, 80, 8, 8);
    commitBand(&editor, -5, -9, 250, 300);
    expectRect(editor, 0, 0, 99, 79);
}

TEST(CropRect, LeftAndTopFieldsFloorToTheGrid) {
    CropEditor editor = makeEditor(200, 100, 8, 8);
    commitBand(&editor, 16, 16, 60, 50);
    EXPECT_TRUE(setLeftEdge(&editor, 13));
    EXPECT_EQ(editor.rect.left, 8);
    EXPECT_FALSE(setLeftEdge(&editor, 15));  // same grid line: no change reported
    EXPECT_TRUE(setLeftEdge(&editor, 500));  // past right: the grid line at or before right
    EXPECT_EQ(editor.rect.left, 56);
    EXPECT_TRUE(setLeftEdge(&editor, -40));
    EXPECT_EQ(editor.rect.left, 0);
    EXPECT_TRUE(setTopEdge(&editor, 49));
    EXPECT_EQ(editor.rect.top, 48);
    EXPECT_TRUE(setTopEdge(&editor, 7));
    EXPECT_EQ(editor.rect.top, 0);
    expectRect(editor, 0, 0, 60, 50);
}

TEST(CropRect, RightAndBottomFieldsAreLimitedButNotSnapped) {
    CropEditor editor = makeEditor(200, 100, 16, 16);
    commitBand(&editor, 32, 32, 60, 50);
    EXPECT_TRUE(setRightEdge(&editor, 77));
    EXPECT_EQ(editor.rect.right, 77);
    EXPECT_TRUE(setRightEdge(&editor, 5));  // below left: the minimum width of one pixel
    EXPECT_EQ(editor.rect.right, 32);
    EXPECT_TRUE(setRightEdge(&editor, 1000));
    EXPECT_EQ(editor.rect.right, 199);
    EXPECT_FALSE(setRightEdge(&editor, 199));
    EXPECT_TRUE(setBottomEdge(&editor, 0));
    EXPECT_EQ(editor.rect.bottom, 32);
    EXPECT_TRUE(setBottomEdge(&editor, 101));
    EXPECT_EQ(editor.rect.bottom, 99);
}

TEST(CropRect, PresetsWithAZeroOrNegativeNumberAreFree) {
    EXPECT_TRUE(presetLocked({4, 3}));
    EXPECT_FALSE(presetLocked({0, 3}));
    EXPECT_FALSE(presetLocked({4, 0}));
    EXPECT_FALSE(presetLocked({-1, 1}));  // would make the ratio's sum zero
    EXPECT_EQ(ratioOrientationOf({0, 3}), 0);
    EXPECT_EQ(ratioOrientationOf({3, 4}), 1);
    EXPECT_EQ(ratioOrientationOf({4, 3}), 2);
    EXPECT_EQ(ratioOrientationOf({5, 5}), 2);

    CropEditor editor = makeEditor(400, 300, 8, 8, {0, 7}, 1);
    EXPECT_EQ(editor.ratioOrientation, 0);
    commitBand(&editor, 0, 0, 99, 49);
    refitToPreset(&editor);  // free: nothing changes
    expectRect(editor, 0, 0, 99, 49);
    selectMaximal(&editor);
    expectRect(editor, 0, 0, 399, 299);
}

TEST(CropRect, StoredSelectionOutsideTheTableFallsBackToFree) {
    CropEditor editor = makeEditor(100, 100, 8, 8, {4, 3}, 12);
    EXPECT_EQ(editor.selectedPreset, 0);
    EXPECT_EQ(editor.ratioOrientation, 0);
    selectRatioPreset(&editor, -1);
    EXPECT_EQ(editor.selectedPreset, 0);
    selectRatioPreset(&editor, 1);
    EXPECT_EQ(editor.ratioOrientation, 2);
}

TEST(CropRect, DefaultPresetsAndTheirWriteBack) {
    CropEditorSetup setup;
    setup.imageWidth = 10;
    setup.imageHeight = 10;
    for (int i = 0; i < kUserPresetCount; i++) setup.userPresets[i] = kDefaultUserPresets[i];
    setup.selectedPreset = 2;
    CropEditor editor;
    initCropEditor(&editor, setup);
    EXPECT_EQ(editor.ratioPresets[0].width, 0);
    EXPECT_EQ(editor.ratioPresets[1].width, 1024);
    EXPECT_EQ(editor.ratioPresets[1].height, 768);
    EXPECT_EQ(editor.ratioPresets[2].width, 1);
    EXPECT_EQ(editor.ratioPresets[2].height, 1);
    EXPECT_EQ(editor.ratioOrientation, 2);
    editor.ratioPresets[5] = {16, 9};
    selectRatioPreset(&editor, 5);
    RatioPreset stored[kUserPresetCount];
    int selected = -1;
    storeRatioPresets(&editor, stored, &selected);
    EXPECT_EQ(selected, 5);
    EXPECT_EQ(stored[4].width, 16);
    EXPECT_EQ(stored[4].height, 9);
    EXPECT_EQ(stored[0].width, 1024);
}

TEST(CropRect, SplitRoundsTheSmallerSideAndKeepsTheSum) {
    CropEditor landscape = makeEditor(2000, 2000, 8, 8, {4, 3}, 1);
    int32_t ew, eh;
    splitByRatio(&landscape, 698, &ew, &eh);  // t = 700
    EXPECT_EQ(ew, 399);
    EXPECT_EQ(eh, 299);
    splitByRatio(&landscape, 0, &ew, &eh);  // t = 2: height = round(6 / 7) = 1
    EXPECT_EQ(ew, 0);
    EXPECT_EQ(eh, 0);

    CropEditor portrait = makeEditor(2000, 2000, 8, 8, {3, 4}, 1);
    splitByRatio(&portrait, 698, &ew, &eh);
    EXPECT_EQ(ew, 299);
    EXPECT_EQ(eh, 399);

    splitByRatio(&portrait, 4, &ew, &eh);  // t = 6: width = round(18 / 7) = 3
    EXPECT_EQ(ew, 2);
    EXPECT_EQ(eh, 2);
    for (int32_t s = 0; s < 3000; s += 5) {
        splitByRatio(&portrait, s, &ew, &eh);
        EXPECT_EQ(ew + eh, s);
        EXPECT_LE(std::fabs((ew + 1) - (s + 2) * 3.0 / 7.0), 0.5) << "s=" << s;
    }

    CropEditor square = makeEditor(2000, 2000, 8, 8, {1, 1}, 1);
    splitByRatio(&square, 1, &ew, &eh);  // t = 3: height = round(1.5) = 2 on the square's rounded side
    EXPECT_EQ(ew, 0);
    EXPECT_EQ(eh, 1);

    for (int32_t s = 0; s < 3000; s += 7) {
        splitByRatio(&landscape, s, &ew, &eh);
        EXPECT_EQ(ew + eh, s);
        EXPECT_LE(std::fabs((eh + 1) - (s + 2) * 3.0 / 7.0), 0.5) << "s=" << s;
    }
}

// The rounded side is round(t × r ÷ (rw + rh)) with the product taken first: exact halves go up. Rows that
// land on a half are where rounding the quotient rw ÷ (rw + rh) first drops a pixel.
TEST(CropRect, SplitRoundsExactHalvesUp) {
    struct Row {
        int32_t rw, rh, t;  // t = width + height
        int32_t width, height;
    };
    const Row rows[] = {
        {7, 13, 90, 32, 58},     // 31.5
        {3, 19, 55, 8, 47},      // 7.5
        {1, 97, 147, 2, 145},    // 1.5
        {13, 7, 90, 58, 32},     // the same halves on the height side
        {19, 3, 55, 47, 8},
        {97, 1, 147, 145, 2},
        {1, 3, 6, 2, 4},         // 1.5
        {3, 5, 4, 2, 2},         // 1.5
        {1, 1, 3, 1, 2},         // the square rounds its height: 1.5
        {1, 1, 5, 2, 3},
        {4, 3, 700, 400, 300},   // no rounding at all
        {7, 13, 91, 32, 59},     // 31.85, next to a half
        {7, 13, 89, 31, 58},     // 31.15
    };
    for (const Row& row : rows) {
        CropEditor editor = makeEditor(2000, 2000, 8, 8, {row.rw, row.rh}, 1);
        int32_t ew = -1, eh = -1;
        splitByRatio(&editor, row.t - 2, &ew, &eh);
        EXPECT_EQ(ew, row.width - 1) << row.rw << ":" << row.rh << " t=" << row.t;
        EXPECT_EQ(eh, row.height - 1) << row.rw << ":" << row.rh << " t=" << row.t;
    }
}

// Every preset with both numbers up to 100 against exact integer rounding of t × r ÷ (rw + rh).
TEST(CropRect, SplitMatchesExactRoundingForSmallPresets) {
    CropEditor editor = makeEditor(2000, 2000, 8, 8, {1, 1}, 1);
    int mismatches = 0;
    for (int32_t rw = 1; rw <= 100; rw++) {
        for (int32_t rh = 1; rh <= 100; rh++) {
            editor.ratioPresets[1] = {rw, rh};
            selectRatioPreset(&editor, 1);
            const bool widthRounded = rw < rh;
            const int32_t sum = rw + rh, r = widthRounded ? rw : rh;
            for (int32_t t = 2; t <= 160; t++) {
                int32_t rounded = (2 * t * r + sum) / (2 * sum);  // half up, in integers
                if (rounded < 1) rounded = 1;
                if (rounded > t - 1) rounded = t - 1;
                const int32_t wantW = widthRounded ? rounded : t - rounded;
                int32_t ew, eh;
                splitByRatio(&editor, t - 2, &ew, &eh);
                if ((ew != wantW - 1 || eh != t - wantW - 1) && ++mismatches <= 5) {
                    ADD_FAILURE() << rw << ":" << rh << " t=" << t << " gave " << ew + 1 << "x" << eh + 1;
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(CropRect, ExtremeRatioNeverGivesANegativeExtent) {
    CropEditor editor = makeEditor(2000, 2000, 8, 8, {1, 9999}, 1);
    for (int32_t s = 0; s < 50; s++) {
        int32_t ew, eh;
        splitByRatio(&editor, s, &ew, &eh);
        EXPECT_GE(ew, 0) << "s=" << s;
        EXPECT_GE(eh, 0) << "s=" << s;
        EXPECT_EQ(ew + eh, s);
    }
}

TEST(CropRect, RatioFollowsFromTheFarEdges) {
    CropEditor editor = makeEditor(300, 200, 8, 8, {1, 1}, 1);
    commitBand(&editor, 10, 20, 60, 70);  // left 8, top 16
    EXPECT_TRUE(followRatioFromRight(&editor, 100));
    expectRect(editor, 8, 16, 100, 16 + (101 - 8) - 1);
    // The bottom would pass the last row: refused, nothing changes.
    CropRect before = editor.rect;
    EXPECT_FALSE(followRatioFromRight(&editor, 200));
    EXPECT_EQ(editor.rect, before);
    EXPECT_TRUE(followRatioFromBottom(&editor, 49));
    expectRect(editor, 8, 16, 8 + (49 - 16 + 1) - 1, 49);
    CropEditor narrow = makeEditor(100, 200, 8, 8, {1, 1}, 1);
    commitBand(&narrow, 0, 0, 10, 10);
    EXPECT_FALSE(followRatioFromBottom(&narrow, 150));  // the right edge would pass the last column
    expectRect(narrow, 0, 0, 10, 10);
    EXPECT_TRUE(followRatioFromBottom(&narrow, 99));
    expectRect(narrow, 0, 0, 99, 99);

    CropEditor fourThree = makeEditor(1000, 1000, 16, 16, {4, 3}, 1);
    commitBand(&fourThree, 0, 0, 10, 10);
    EXPECT_TRUE(followRatioFromRight(&fourThree, 399));  // width 400: height 300
    expectRect(fourThree, 0, 0, 399, 299);
    EXPECT_TRUE(followRatioFromRight(&fourThree, 2));  // width 3: height trunc(2.25 + 0.5) = 2
    expectRect(fourThree, 0, 0, 2, 1);
    EXPECT_TRUE(followRatioFromBottom(&fourThree, 0));  // height 1: width trunc(1.333 + 0.5) = 1
    expectRect(fourThree, 0, 0, 0, 0);
}

TEST(CropRect, RatioFollowOnHugeStoredPresetDoesNotOverflow) {
    CropEditor editor = makeEditor(60000, 60000, 8, 8, {2000000000, 1999999999}, 1);
    commitBand(&editor, 0, 0, 10, 10);
    EXPECT_TRUE(followRatioFromRight(&editor, 49999));
    EXPECT_EQ(editor.rect.right, 49999);
    EXPECT_NEAR(editor.rect.bottom, 49999, 1);
}

TEST(CropRect, RefitKeepsTheOriginAndLimitsToThePicture) {
    CropEditor editor = makeEditor(1000, 800, 8, 8, {1024, 768}, 1);
    commitBand(&editor, 0, 0, 399, 299);
    refitToPreset(&editor);
    expectRect(editor, 0, 0, 399, 299);

    commitBand(&editor, 400, 400, 599, 599);  // t = 400: height 171, width 171 × 4 / 3 = 228
    refitToPreset(&editor);
    expectRect(editor, 400, 400, 400 + 228 - 1, 400 + 171 - 1);

    commitBand(&editor, 800, 600, 999, 799);  // t = 400 again, but only 200 columns of room
    refitToPreset(&editor);
    expectRect(editor, 800, 600, 999, 600 + 150 - 1);

    commitBand(&editor, 900, 0, 999, 799);  // t = 900: width 515 > room 104
    refitToPreset(&editor);
    expectRect(editor, 896, 0, 999, 77);  // width 104, height trunc(104 / 1024 * 768 + 0.5) = 78

    commitBand(&editor, 0, 760, 999, 799);  // t = 1040: width 595, height 446 > room 40
    refitToPreset(&editor);
    expectRect(editor, 0, 760, 52, 799);  // height 40, width trunc(40 / 768 * 1024 + 0.5) = 53
}

// The origin snaps and the size stays, so the ratio holds.
TEST(CropRect, MaximalSelectionIsCentredSnappedAndKeepsItsSize) {
    CropEditor editor = makeEditor(1000, 1000, 8, 8, {1024, 768}, 1);
    selectMaximal(&editor);  // 1000 × 750 at top 125
    expectRect(editor, 0, 120, 999, 869);

    CropEditor tall = makeEditor(600, 1000, 16, 16, {1, 1}, 1);
    selectMaximal(&tall);
    expectRect(tall, 0, 192, 599, 791);

    CropEditor wide = makeEditor(1000, 300, 16, 16, {1, 1}, 1);
    selectMaximal(&wide);
    expectRect(wide, 336, 0, 635, 299);  // left (700 >> 1) = 350 snaps to 336
    CropEditor odd = makeEditor(1001, 601, 16, 16, {1, 1}, 1);
    selectMaximal(&odd);
    expectRect(odd, 192, 0, 792, 600);

    CropEditor free = makeEditor(123, 45, 16, 16);
    commitBand(&free, 40, 20, 50, 30);
    selectMaximal(&free);
    expectRect(free, 0, 0, 122, 44);

    CropEditor extreme = makeEditor(1, 1, 8, 8, {1, 9999}, 1);
    selectMaximal(&extreme);
    expectRect(extreme, 0, 0, 0, 0);
}

TEST(CropRect, MoveJumpsInGridCellsWithoutLosingTravel) {
    CropEditor editor = makeEditor(400, 300, 16, 16);
    commitBand(&editor, 32, 32, 79, 63);  // 48 x 32
    beginMove(&editor, 50, 40);
    int32_t pointer = 50;
    for (int step = 0; step < 40; step++) {
        pointer++;
        moveCropBy(&editor, pointer - editor.moveAnchorX, 0);
        EXPECT_EQ(editor.rect.left, floorToGrid(32 + (pointer - 50), 16)) << "pointer " << pointer;
        EXPECT_EQ(cropWidth(editor.rect), 48);
    }
    EXPECT_EQ(editor.rect.left, 64);
    EXPECT_EQ(editor.rect.top, 32);
}

TEST(CropRect, MoveLongerThanTheRectangleKeepsItsSize) {
    CropEditor editor = makeEditor(400, 300, 16, 16);
    commitBand(&editor, 0, 0, 15, 15);
    beginMove(&editor, 5, 5);
    EXPECT_TRUE(moveCropBy(&editor, 100, 70));
    expectRect(editor, 96, 64, 111, 79);
    EXPECT_EQ(editor.moveAnchorX, 5 + 96);
    EXPECT_EQ(editor.moveAnchorY, 5 + 64);
    EXPECT_TRUE(moveCropBy(&editor, -90, -70));
    expectRect(editor, 0, 0, 15, 15);
}

TEST(CropRect, MoveStopsAtThePictureEdges) {
    CropEditor editor = makeEditor(100, 90, 8, 8);
    commitBand(&editor, 40, 40, 69, 59);  // 30 x 20
    beginMove(&editor, 50, 50);
    moveCropBy(&editor, 1000, 1000);
    // Left limited to 100 - 1 - 29 = 70, floored to 64; top to 90 - 1 - 19 = 70, floored to 64.
    expectRect(editor, 64, 64, 93, 83);
    moveCropBy(&editor, -1000, -1000);
    expectRect(editor, 0, 0, 29, 19);
    EXPECT_FALSE(moveCropBy(&editor, -5, -5));
}

TEST(CropRect, AcceptHandsOverOnlyARealCrop) {
    CropEditor editor = makeEditor(100, 80, 8, 8);
    commitBand(&editor, 0, 0, 99, 79);
    EXPECT_FALSE(acceptCrop(&editor).cropPending);
    setRightEdge(&editor, 98);
    CropOutcome outcome = acceptCrop(&editor);
    EXPECT_TRUE(outcome.cropPending);
    EXPECT_EQ(outcome.pendingCrop, (CropRect{0, 0, 98, 79}));
    EXPECT_FALSE(cancelCrop(&editor).cropPending);
    commitBand(&editor, 8, 0, 99, 79);
    EXPECT_TRUE(acceptCrop(&editor).cropPending);
}

TEST(CropRect, ShadeTablesForEachSetting) {
    uint8_t table[256];
    buildShadeTable(table, 1);
    EXPECT_EQ(table[255], 127);
    EXPECT_EQ(table[3], 1);
    buildShadeTable(table, 2);
    EXPECT_EQ(table[255], 63);
    buildShadeTable(table, 3);
    EXPECT_EQ(table[200], 25);
    buildShadeTable(table, 0);
    EXPECT_EQ(table[200], 0);
    buildShadeTable(table, 128);
    EXPECT_EQ(table[0], 128);
    EXPECT_EQ(table[255], 128);
    buildShadeTable(table, 255);
    EXPECT_EQ(table[0], 255);
    buildShadeTable(table, 7);  // not a setting: half brightness
    EXPECT_EQ(table[200], 100);
    EXPECT_EQ(normalizeMaskShading(4), 1);
    EXPECT_EQ(normalizeMaskShading(-1), 1);
    EXPECT_EQ(normalizeMaskShading(128), 128);
}

// Random sequences of every operation keep the invariants; ratio-changing operations hold the ratio
// within their rounding.
TEST(CropRect, InvariantsHoldUnderRandomOperations) {
    std::mt19937 random(20261208);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const int32_t cells[] = {8, 16};
    for (int round = 0; round < 300; round++) {
        CropEditorSetup setup;
        setup.imageWidth = pick(1, 700);
        setup.imageHeight = pick(1, 700);
        setup.blockWidth = cells[pick(0, 1)];
        setup.blockHeight = cells[pick(0, 1)];
        for (int i = 0; i < kUserPresetCount; i++) setup.userPresets[i] = {pick(-1, 20), pick(-1, 20)};
        setup.selectedPreset = pick(0, 8);
        CropEditor editor;
        initCropEditor(&editor, setup);
        int32_t w = setup.imageWidth, h = setup.imageHeight;
        commitBand(&editor, pick(0, w - 1), pick(0, h - 1), pick(0, w - 1), pick(0, h - 1));
        ASSERT_TRUE(cropRectValid(&editor)) << describe(editor.rect);
        for (int step = 0; step < 60; step++) {
            int op = pick(0, 10);
            CropRect before = editor.rect;
            const RatioPreset ratio = editor.ratioPresets[editor.selectedPreset];
            switch (op) {
            case 0:
                commitBand(&editor, pick(-20, w + 20), pick(-20, h + 20), pick(-20, w + 20), pick(-20, h + 20));
                break;
            case 1: setLeftEdge(&editor, pick(-50, w + 50)); break;
            case 2: setTopEdge(&editor, pick(-50, h + 50)); break;
            case 3: setRightEdge(&editor, pick(-50, w + 50)); break;
            case 4: setBottomEdge(&editor, pick(-50, h + 50)); break;
            case 5: {
                bool accepted = followRatioFromRight(&editor, pick(editor.rect.left, w - 1));
                if (!accepted) {
                    EXPECT_EQ(editor.rect, before);
                } else if (presetLocked(ratio) && cropHeight(editor.rect) > 1) {
                    double exact = double(ratio.height) * cropWidth(editor.rect) / ratio.width;
                    EXPECT_LE(std::fabs(cropHeight(editor.rect) - exact), 0.5) << describe(editor.rect);
                }
                break;
            }
            case 6: {
                bool accepted = followRatioFromBottom(&editor, pick(editor.rect.top, h - 1));
                if (!accepted) {
                    EXPECT_EQ(editor.rect, before);
                } else if (presetLocked(ratio) && cropWidth(editor.rect) > 1) {
                    double exact = double(ratio.width) * cropHeight(editor.rect) / ratio.height;
                    EXPECT_LE(std::fabs(cropWidth(editor.rect) - exact), 0.5) << describe(editor.rect);
                }
                break;
            }
            case 7: {
                refitToPreset(&editor);
                EXPECT_EQ(editor.rect.left, before.left);
                EXPECT_EQ(editor.rect.top, before.top);
                int32_t cw = cropWidth(editor.rect), ch = cropHeight(editor.rect);
                if (presetLocked(ratio) && cw > 1 && ch > 1) {
                    double skew = std::fabs(double(cw) * ratio.height - double(ch) * ratio.width);
                    EXPECT_LE(skew, 0.5 * std::max(ratio.width, ratio.height) + 1e-9)  // one side derived
                        << describe(editor.rect) << " ratio " << ratio.width << ":" << ratio.height;
                } else if (!presetLocked(ratio)) {
                    EXPECT_EQ(editor.rect, before);
                }
                break;
            }
            case 8: {
                beginMove(&editor, pick(0, w - 1), pick(0, h - 1));
                for (int m = 0; m < 5; m++) {
                    moveCropBy(&editor, pick(-300, 300), pick(-300, 300));
                    EXPECT_EQ(cropWidth(editor.rect), cropWidth(before));
                    EXPECT_EQ(cropHeight(editor.rect), cropHeight(before));
                    ASSERT_TRUE(cropRectValid(&editor)) << describe(editor.rect);
                }
                break;
            }
            case 9: {
                selectMaximal(&editor);
                if (!presetLocked(ratio)) {
                    EXPECT_EQ(editor.rect, (CropRect{0, 0, w - 1, h - 1}));
                }
                break;
            }
            case 10: selectRatioPreset(&editor, pick(-1, 9)); break;
            }
            ASSERT_TRUE(cropRectValid(&editor))
                << "op " << op << " from " << describe(before) << " to " << describe(editor.rect) << " image "
                << w << "x" << h << " grid " << editor.blockWidth << "x" << editor.blockHeight;
        }
    }
}
