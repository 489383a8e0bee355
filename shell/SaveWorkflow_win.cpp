// The open and save commands around the engine. A save writes a complete temporary file first; the
// engine's installOutputFile then puts it in place without ever leaving the destination damaged or gone,
// once the copy beside the destination has been read back and found to hold what the crop was made of.
#include "shell/SaveWorkflow.h"

#include "common/WinHeaders.h"

#include <commdlg.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <new>

#include "common/PathUtil.h"
#include "engine/FileInstall.h"
#include "engine/OsFile.h"
#include "engine/SaveVerify.h"
#include "engine/SaveWorkflow.h"
#include "settings/LanguageModule.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "filelist/FileListWindow.h"
#include "shell/PictureLoad.h"
#include "shell/Prefetch.h"
#include "shell/ShellWindows.h"

namespace {

constexpr int kDialogPathChars = 260;
constexpr uint32_t kNoTemporaryFile = 30006;
constexpr uint32_t kNoTransformMemory = 30001;
constexpr uint32_t kCopyFailed = 30007;
constexpr uint32_t kSavedFileDiffers = TXT_ERROR_SAVE_MISMATCH;

// The one entry of both dialogs' type list: the text of 21000, then "*.jpg;*.jpe;*.jpeg", each part
// ending in a null, and a closing null.
void buildFileTypes(TextBuffer* types) {
    loadText(TXT_JPEG_FILE_TYPE, types);
    textAppendChar(types, 0);
    textAppendZ(types, u"*.jpg;*.jpe;*.jpeg");
    textAppendChar(types, 0);
    textAppendChar(types, 0);
}

// Puts the save dialog's top-left corner at the rebar's bottom-left corner whenever it moves, until it
// has painted once; its own placement comes first, so the hook follows it.
UINT_PTR CALLBACK placeSaveDialog(HWND hookDialog, UINT message, WPARAM, LPARAM) {
    HWND dialog = GetParent(hookDialog);
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hookDialog, DWLP_USER, 0);
        return 0;
    }
    const bool painted = GetWindowLongPtrW(hookDialog, DWLP_USER) != 0;
    if (message == WM_PAINT || message == WM_NCPAINT) SetWindowLongPtrW(hookDialog, DWLP_USER, 1);
    if (!painted && (message == WM_WINDOWPOSCHANGED || message == WM_NOTIFY) && appState.rebar) {
        RECT rebar;
        GetWindowRect(appState.rebar, &rebar);
        RECT now;
        GetWindowRect(dialog, &now);
        if (now.left != rebar.left || now.top != rebar.bottom) {
            SetWindowPos(dialog, nullptr, rebar.left, rebar.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    return 0;
}

void showLibraryError(const TextBuffer* text) {
    FileListDisabled disabled;
    MessageBoxW(appState.frame, asWide(textChars(text)), L"JPEG Library Error", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

bool sameFolder(const char16_t* a, const char16_t* b) {
    TextBuffer first, second;
    textAssign(&first, a);
    textAssign(&second, b);
    return pathCutToFolder(&first) && pathCutToFolder(&second) &&
           compareNoCaseAscii(textChars(&first), textChars(&second)) == 0;
}

// What the open and save dialogs share: owner, JPEG file types, the path buffer and the last folder.
void prepareFileDialog(OPENFILENAMEW* dialog, wchar_t* path, const TextBuffer* types) {
    *dialog = {};
    dialog->lStructSize = sizeof *dialog;
    dialog->hwndOwner = appState.frame;
    dialog->lpstrFilter = asWide(textChars(types));
    dialog->nFilterIndex = 1;
    dialog->lpstrFile = path;
    dialog->nMaxFile = kDialogPathChars;
    dialog->lpstrInitialDir = asWide(textChars(&gSettings.lastFolder));
}

}  // namespace

void chooseAndOpen() {
    const int answer = askSaveChanges();
    if (answer == 0 || (answer == 2 && !chooseSaveTarget())) return;
    wchar_t path[kDialogPathChars] = {};
    TextBuffer types;
    buildFileTypes(&types);
    OPENFILENAMEW dialog;
    prepareFileDialog(&dialog, path, &types);
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    BOOL chosen;
    {
        FileListDisabled disabled;
        chosen = GetOpenFileNameW(&dialog);
    }
    if (!chosen) return;
    UpdateWindow(appState.frame);
    loadPicture(asText(path));
    rebuildFileList();
    showNewPicture();
    refreshFrameTitle();
}

bool chooseSaveTarget() {
    // Proposed: the open file's name without folder and extension.
    wchar_t path[kDialogPathChars] = {};
    TextBuffer name;
    const char16_t* current = textChars(&appState.currentPath);
    textAssign(&name, current + pathNameStart(current, appState.currentPath.length));
    pathCutExtension(&name);
    if (name.length < kDialogPathChars) memcpy(path, textChars(&name), name.length * sizeof(char16_t));
    TextBuffer types;
    buildFileTypes(&types);
    OPENFILENAMEW dialog;
    prepareFileDialog(&dialog, path, &types);
    dialog.lpstrDefExt = L"jpg";
    dialog.lpfnHook = placeSaveDialog;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLEHOOK | OFN_PATHMUSTEXIST |
                   OFN_EXPLORER | OFN_ENABLESIZING;
    BOOL chosen;
    {
        FileListDisabled disabled;
        chosen = GetSaveFileNameW(&dialog);
    }
    if (!chosen) return false;
    UpdateWindow(appState.frame);
    const bool saved = saveToPath(asText(path));
    TextBuffer folder;
    textAssign(&folder, asText(path));
    if (pathCutToFolder(&folder)) textAssignText(&gSettings.lastFolder, &folder);
    return saved;
}

bool saveToPath(const char16_t* destination) {
    // A read-only picture can be cropped to a new file, not saved over: said before any work is done.
    if (reloadAfterSave(destination, textChars(&appState.currentPath)) && !destinationIsFree(destination)) {
        showErrorMessage(kEngineCannotOpen);
        return false;
    }
    // The save may replace a neighbour, and it has the memory to itself as it had before the prefetch.
    discardPrefetches();
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    TextBuffer temporary;
    if (!makeTempFilePath(&temporary)) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        showErrorMessage(kNoTemporaryFile);
        return false;
    }
    SavedFileCheck check;
    const bool saved =
        saveWithEngine(textChars(&temporary), &check) && installSavedFile(textChars(&temporary), destination, &check);
    if (check.job) {
        releaseCropHold(check.job);
        delete check.job;
    }
    osDeleteFile(textChars(&temporary));
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return saved;
}

bool saveWithEngine(const char16_t* outputPath, SavedFileCheck* check) {
    auto* job = new (std::nothrow) CropTransform;
    if (!job) {
        showErrorMessage(kNoTransformMemory);
        return false;
    }
    SaveSettings settings;
    settings.markerCopyMode = gSettings.markerCopyMode;
    settings.saveGrayscale = gSettings.saveGrayscale;
    settings.saveProgressive = gSettings.saveProgressive;
    settings.cropApplied = appState.cropApplied;
    settings.crop = appState.cropRequest;
    job->holdCoefficients = check ? 1 : 0;
    const bool saved = runSaveEngine(job, textChars(&appState.currentPath), outputPath, settings, appState.picture);
    if (!saved) {
        const int32_t message = saveFailureMessage(job);
        if (message > 0) showErrorMessage(static_cast<uint32_t>(message));
        if (message == 0) showLibraryError(&job->errorText);
    }
    closeMapped(job);
    textFree(&job->errorText);
    if (saved && check) {
        check->job = job;
    } else {
        delete job;
    }
    return saved;
}

bool installSavedFile(const char16_t* temporaryPath, const char16_t* destination, SavedFileCheck* check) {
    bool existed = false;
    InstallCheck readBack = {checkSavedFile, check};
    if (!installOutputFile(temporaryPath, destination, &existed, check ? &readBack : nullptr)) {
        showErrorMessage(check && check->mismatch ? kSavedFileDiffers : kCopyFailed);
        return false;
    }
    appState.documentModified = false;
    const char16_t* current = textChars(&appState.currentPath);
    if (reloadAfterSave(destination, current)) {
        // Shown as loaded: the file's new write time, the crop no longer applied, its real bit count.
        loadPicture(nullptr);
        showNewPicture();
        refreshFrameTitle();
        return true;
    }
    if (sameFolder(destination, current)) rebuildFileList();
    if (!existed) SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH | SHCNF_FLUSHNOWAIT, destination, nullptr);
    return true;
}
