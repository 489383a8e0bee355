#pragma once
// Entry points of the features that come later: crop editing and the crop panel, and the option
// dialogs. The dispatcher and the window procedures already route to them with their gates; until they
// are built they do nothing (PendingFeatures_win.cpp), and each moves to its own module when it is written.

#include "common/WinHeaders.h"
#include "view/CropRect.h"

// Crop editing: entering crop mode (false: crop mode did not start), the view's mouse work in crop mode,
// and ending the editor, which puts the picture back (cut to an accepted rectangle) and destroys the
// editor. `accept` asks for the selection; `cutFailed` is set when the cut picture could not be made.
bool enterCropMode();
CropOutcome endCropEditor(bool accept, bool* cutFailed);
void onCropHover(int x, int y);
void onCropDrag(int x, int y);
void onCropLeftDown(int x, int y, WPARAM keys);
void onCropLeftUp(int x, int y);
bool cropPresetsDialogOpen();
void onCropPanelCommand(int id, int notification, HWND control);

// Option dialogs.
void showCustomizeDialog();
void showOptionsDialog();

// Open and save dialogs and the save itself: SaveWorkflow_win.cpp.
#include "shell/SaveWorkflow.h"

// Crop mode only: the largest centred selection, with the panel's readouts.
void selectMaximalCrop();
