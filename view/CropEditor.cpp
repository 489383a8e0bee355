#include "view/CropEditor.h"

// A fresh installation offers 1024:768 and 1:1.
const RatioPreset kDefaultUserPresets[kUserPresetCount] = {{1024, 768}, {1, 1}, {0, 0}, {0, 0},
                                                           {0, 0},      {0, 0}, {0, 0}, {0, 0}};

void initCropEditor(CropEditor* editor, const CropEditorSetup& setup) {
    *editor = CropEditor();
    editor->imageWidth = setup.imageWidth;
    editor->imageHeight = setup.imageHeight;
    // A zero or negative cell would divide by zero in every snap; the decode never reports one.
    editor->blockWidth = setup.blockWidth > 0 ? setup.blockWidth : 8;
    editor->blockHeight = setup.blockHeight > 0 ? setup.blockHeight : 8;
    for (int i = 0; i < kUserPresetCount; i++) editor->ratioPresets[i + 1] = setup.userPresets[i];
    selectRatioPreset(editor, setup.selectedPreset);
    buildShadeTable(editor->shadeTable, setup.maskShading);
}

int ratioOrientationOf(const RatioPreset& preset) {
    if (!presetLocked(preset)) return 0;
    return preset.width < preset.height ? 1 : 2;
}

// A stored selection outside the table falls back to the free entry.
void selectRatioPreset(CropEditor* editor, int index) {
    if (index < 0 || index >= kRatioPresetCount) index = 0;
    editor->selectedPreset = index;
    editor->ratioOrientation = ratioOrientationOf(editor->ratioPresets[index]);
}

int normalizeMaskShading(int maskShading) {
    switch (maskShading) {
    case 0: case 1: case 2: case 3: case 128: case 255: return maskShading;
    }
    return 1;
}

void buildShadeTable(uint8_t table[256], int maskShading) {
    int shading = normalizeMaskShading(maskShading);
    for (int v = 0; v < 256; v++) {
        switch (shading) {
        case 0: table[v] = 0; break;
        case 128: table[v] = 128; break;
        case 255: table[v] = 255; break;
        default: table[v] = static_cast<uint8_t>(v >> shading); break;
        }
    }
}

void storeRatioPresets(const CropEditor* editor, RatioPreset userPresets[kUserPresetCount], int* selectedPreset) {
    for (int i = 0; i < kUserPresetCount; i++) userPresets[i] = editor->ratioPresets[i + 1];
    *selectedPreset = editor->selectedPreset;
}
