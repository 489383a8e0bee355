#pragma once
// The crop-mode object: exists exactly while crop mode is on. Holds the rectangle with the picture size and
// grid it is kept on, the ratio presets, the drag bookkeeping of the mouse editing, the shading table and
// the display copies that the view paints while cropping.

#include <cstdint>

#include "view/CropRect.h"

constexpr int kUserPresetCount = 8;
constexpr int kBitmapInfoBytes = 40 + 256 * 4;  // bitmap header and palette as the decode lays them out

extern const RatioPreset kDefaultUserPresets[kUserPresetCount];

struct CropEditor {
    CropRect rect;
    int32_t imageWidth = 0;
    int32_t imageHeight = 0;
    int32_t blockWidth = 8;
    int32_t blockHeight = 8;

    RatioPreset ratioPresets[kRatioPresetCount];
    int selectedPreset = 0;
    int ratioOrientation = 0;  // 0 free, 1 ratio width < ratio height, 2 otherwise

    int hitZone = 0;  // 0 none, 1–4 edges, 5–8 corners, 9 inside
    // The mouse editing's live figure: the crosshair point or band corner in view pixels (−1 when none),
    // and the band anchor's view point.
    int32_t pointerX = -1;
    int32_t pointerY = -1;
    int32_t anchorViewX = 0;
    int32_t anchorViewY = 0;
    bool liveFigureHidden = false;  // the ratio list is open over the view: the live figure is off
    void* dottedPen = nullptr;  // pen handle of the outline at rest, created and deleted with crop mode
    int32_t moveExtentW = 0;
    int32_t moveExtentH = 0;
    int32_t moveAnchorX = 0;  // image pixels, advanced by the grid steps a move makes
    int32_t moveAnchorY = 0;

    uint8_t shadeTable[256] = {};

    // Display copies (filled by the view): the unshaded 24-bit source (the display bits themselves, or a
    // conversion the editor owns), the shaded copy the view paints, and the display as it was loaded.
    uint8_t* sourceBits = nullptr;
    bool sourceOwned = false;
    uint8_t* shadedBits = nullptr;
    uint8_t* savedBits = nullptr;
    uint8_t savedBitmapInfo[kBitmapInfoBytes] = {};

    void* presetsDialog = nullptr;  // window handle while the preset editor is open
};

struct CropEditorSetup {
    int32_t imageWidth = 0;
    int32_t imageHeight = 0;
    int32_t blockWidth = 8;
    int32_t blockHeight = 8;
    RatioPreset userPresets[kUserPresetCount];
    int selectedPreset = 0;
    int maskShading = 1;
};

void initCropEditor(CropEditor* editor, const CropEditorSetup& setup);
void selectRatioPreset(CropEditor* editor, int index);
int ratioOrientationOf(const RatioPreset& preset);

// The stored setting as the table reads it: anything but 0, 1, 2, 3, 128 or 255 is 1 (half brightness).
int normalizeMaskShading(int maskShading);
void buildShadeTable(uint8_t table[256], int maskShading);

// The user's presets and selection, to be written back to the settings when crop mode ends.
void storeRatioPresets(const CropEditor* editor, RatioPreset userPresets[kUserPresetCount], int* selectedPreset);
