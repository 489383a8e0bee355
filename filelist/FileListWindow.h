#pragma once
// The file list's window beside the frame, the folder watch, and the rebuild that keeps the list and the
// window in step with the open picture's folder. Windows only.

#include "common/WinHeaders.h"
#include "shell/AppState.h"

LRESULT CALLBACK fileListWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Lists the open picture's folder anew and re-arms the watch on it.
void rebuildFileList();
// On activation: rebuilds when the watched folder had files created, deleted or renamed.
void checkFolderWatch();
// Command 5120: creates the window when needed, places it beside the frame and shows it.
void showFileListWindow();
// Crop mode and the about window: gone, its size kept for the next show.
void destroyFileListWindow();
// At shutdown: the watch closed, the names released.
void releaseFileList();
bool fileListExists();
// After a font change: the list box takes the new font, item height and horizontal extent.
void applyFileListFont();

// Keeps the list window disabled while a modal loop of the frame runs (message boxes, dialogs, a drop),
// so that a click in it cannot start a load inside another operation. A window that was disabled already
// (an outer loop) stays disabled.
class FileListDisabled {
public:
    FileListDisabled() : window_(appState.fileListWindow) {
        if (window_) reEnable_ = !EnableWindow(window_, FALSE);
    }
    ~FileListDisabled() {
        if (reEnable_ && IsWindow(window_)) EnableWindow(window_, TRUE);
    }
    FileListDisabled(const FileListDisabled&) = delete;
    FileListDisabled& operator=(const FileListDisabled&) = delete;

private:
    HWND window_;
    bool reEnable_ = false;
};
