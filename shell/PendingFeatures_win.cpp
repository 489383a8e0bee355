// Placeholders for the features that come later (see PendingFeatures.h). Each does nothing and reports the
// outcome that leaves the program's state as it was.
#include "shell/PendingFeatures.h"

LRESULT CALLBACK fileListWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}
bool fileListExists() { return false; }
void showFileListWindow() {}
void destroyFileListWindow() {}
void rebuildFileList() {}
void checkFolderWatch() {}
void releaseFileList() {}


void showHelp() {}
void showAbout() {}

void initHelp() {}
void uninitHelp() {}
