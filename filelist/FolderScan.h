#pragma once
// Reading a folder for the file list: FolderScan_win.cpp with the file system's own pattern match,
// FolderScan_posix.cpp with a suffix match that ignores letter case.

#include <cstddef>

// The number of non-folder entries of `folder` ("*.*"); false when it cannot be read.
bool countFolderFiles(const char16_t* folder, size_t* count);
// Calls `visit` with the name of each non-folder entry of `folder` matching "*" + `extension`, until it
// returns false. False when the folder cannot be read.
bool scanFolderFiles(const char16_t* folder, const char16_t* extension,
                     bool (*visit)(void* context, const char16_t* name), void* context);
