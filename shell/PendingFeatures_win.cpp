// Placeholders for the features that come later (see PendingFeatures.h). Each does nothing and reports the
// outcome that leaves the program's state as it was.
#include "shell/PendingFeatures.h"

bool enterCropMode() { return false; }
CropOutcome endCropEditor(bool, bool* cutFailed) {
    *cutFailed = false;
    return CropOutcome();
}
void onCropHover(int, int) {}
void onCropDrag(int, int) {}
void onCropLeftDown(int, int, WPARAM) {}
void onCropLeftUp(int, int) {}
bool cropPresetsDialogOpen() { return false; }
void onCropPanelCommand(int, int, HWND) {}

void showCustomizeDialog() {}
void showOptionsDialog() {}

void selectMaximalCrop() {}
