#pragma once
// The JPEG files of the open picture's folder in natural order, and which of them is open. The names are
// collected in three passes (.jpg, .jpe, .jpeg) so that each file is taken once, by its real extension.
// The folder reading is FolderScan_win.cpp / FolderScan_posix.cpp; the window and the folder watch are
// FileListWindow_win.cpp.

#include <cstddef>

#include "common/TextBuffer.h"

struct FileList {
    TextBuffer* names = nullptr;  // `capacity` entries, the first `count` filled; null when the list is absent
    size_t count = 0;
    size_t capacity = 0;           // the folder's non-folder entries when the rebuild began
    int selectedIndex = -1;        // the open picture's entry; -1 when it is not listed
    void* watchHandle = nullptr;   // the folder change notification (Windows), or none
};

extern FileList gFileList;

constexpr int kJpegPassCount = 3;
// The extension of collection pass 0, 1 or 2: ".jpg", ".jpe", ".jpeg".
const char16_t* jpegPassExtension(int pass);
// Whether pass `pass` takes the file `name`: longer than the extension, which it ends in (A to Z without
// regard to case) right after a dot. A name matched only through its short form ("X~1.JPE" for x.jpeg)
// or a longer extension (c.jpgx) is not taken.
bool takenInPass(const char16_t* name, size_t length, int pass);

// The folder to list for `picturePath`: everything before its last separator. A drive root stays a root
// ("C:\x.jpg" lists "C:\", not "C:", which names the drive's current folder). False without a separator.
bool fileListFolder(const char16_t* picturePath, TextBuffer* folder);

// Lists the JPEG files of `folder` in natural order and selects `openName` (compared A to Z without
// regard to case). False, with the list absent, when the folder holds none or memory runs out.
bool collectFileList(FileList* list, const char16_t* folder, const char16_t* openName);
// The entry named `name` (same length, A to Z without regard to case), or -1.
int findListedName(const FileList* list, const char16_t* name);
void releaseFileNames(FileList* list);
inline bool fileListPresent(const FileList* list) { return list->names && list->count > 0; }

// Where the list window goes: left of the frame, top edges level; when that leaves the work area, at
// the lower-left corner of the rebar. Screen coordinates.
struct ListPlacementInput {
    int frameLeft, frameTop;
    int windowWidth;
    int workLeft;
    int rebarLeft, rebarBottom;
};
struct ListPosition {
    int x, y;
};
ListPosition placeFileListWindow(const ListPlacementInput& input);
