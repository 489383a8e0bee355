#pragma once
// Entry points of the features that come later: the folder file list, the option dialogs, help and
// about. The dispatcher and the window
// procedures already route to them with their gates; until they are built they do nothing
// (PendingFeatures_win.cpp), and each moves to its own module when it is written.

#include "common/WinHeaders.h"

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

// Help's use of the HTML Help control at start and exit.
void initHelp();
void uninitHelp();
