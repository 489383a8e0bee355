#pragma once
// The open and save commands around the engine (Win32 only): the open and save dialogs, the save into a
// temporary file, its installation in place of the destination (engine/FileInstall.h), and what the
// program shows afterwards. The engine run itself is engine/SaveWorkflow.h.

struct SavedFileCheck;

// The open command: the save question, the open dialog in lastFolder, then the load.
void chooseAndOpen();
// Save under a new name; true when a file was saved (false also when the dialog was cancelled).
bool chooseSaveTarget();
// True when `destination` holds the saved picture.
bool saveToPath(const char16_t* destination);
// True when `outputPath` holds a complete output; failures are reported with a message box. With `check`,
// the crop's blocks are kept there for the check of the file beside the destination (the caller releases).
bool saveWithEngine(const char16_t* outputPath, SavedFileCheck* check = nullptr);
// With `check`, the copy beside the destination is read back and compared before anything is replaced.
bool installSavedFile(const char16_t* temporaryPath, const char16_t* destination, SavedFileCheck* check = nullptr);
