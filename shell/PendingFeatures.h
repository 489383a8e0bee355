#pragma once
// Entry points of the features that come later: crop editing and the crop panel, the folder
// file list, the option dialogs, help and about. The dispatcher and the window
// procedures already route to them with their gates; until they are built they do nothing
// (PendingFeatures_win.cpp), and each moves to its own module when it is written.

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

// Folder file list.
LRESULT CALLBACK fileListWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool fileListExists();
void showFileListWindow();
void destroyFileListWindow();
void rebuildFileList();
void checkFolderWatch();
void releaseFileList();


// Help and about.
void showHelp();
void showAbout();

// Open and save dialogs and the save itself: SaveWorkflow_win.cpp.
#include "shell/SaveWorkflow.h"

// Crop mode only: the largest centred selection, with the panel's readouts.
void selectMaximalCrop();
// Crop mode only: the panel's controls placed again with the metrics of a new interface font.
void relayoutCropPanel();

// Help's use of the HTML Help control at start and exit.
void initHelp();
void uninitHelp();
