#pragma once
// Crop mode's window side: entering and leaving it, the mouse editing of the rectangle in the view with
// its XOR feedback and painted outline (CropEditor_win.cpp), and the crop panel in the crop toolbar with
// the presets editor (CropPanel_win.cpp, PresetsEditor_win.cpp). Windows only.

#include "common/WinHeaders.h"
#include "view/CropGestures.h"
#include "view/CropRect.h"

// Called by the dispatcher for the crop button; false when crop mode did not start (the failure has been
// shown and everything made on the way undone).
bool enterCropMode();
// Puts the picture back (cut to an accepted rectangle), stores the presets, removes the panel and destroys
// the editor. `cutFailed` is set when the cut picture could not be made.
CropOutcome endCropEditor(bool accept, bool* cutFailed);

// The view's left button and moves in crop mode. onCropLeftDown returns true when the press is consumed
// (no capture and no drag).
bool onCropLeftDown(int x, int y);
void onCropHover(int x, int y);
void onCropDrag(int x, int y);
// After dragMode went from 1 to 0 (a release, or a lost capture, which ends the drag the same way).
void onCropLeftUp();
// Command 5502: the largest rectangle of the selected ratio, committed.
void selectMaximalCrop();

// Between the editor and the panel.
void commitCropBand();
void showCropChange(const ScreenRect& oldOutline);
void xorCropOutline(const ScreenRect& outline);
// The live figure of states 0 and 1 (crosshair or band) drawn once more: removed when it is shown.
void toggleLiveFigure();
// State 1: the band redrawn for the stored corner, as after a move of the pointer.
void updateBandForStoredCorner();
void setViewNavigationEnabled(bool enabled);

// The crop panel.
bool buildCropPanel();
void onCropPanelCommand(int id, int notification, HWND control);
void writeCropField(CropField field, int32_t value);
// After a commit: ranges and positions of all four up-downs (which write the fields).
void writeCropFieldsAfterCommit();
// After a drag: only the ranges.
void setCropFieldRanges();
// Every field rewritten with the rectangle's edge where it shows another value.
void showRectangleInFields();
void showSizeReadout(int32_t width, int32_t height);
void setAcceptButtonEnabled(bool enabled);
// The font or language changed: new texts, font and places for the panel's controls.
void relayoutCropPanel();
// True while the ratio box's list or the presets editor is up.
bool cropPresetsDialogOpen();
void fillRatioBox();
// Runs the presets editor below the ratio box; false when it could not be shown. Ends as cancelled when
// crop mode ends meanwhile.
bool runPresetsEditor();
void closePresetsEditor();
