// dispatchCommand: every command of the program passes here, is checked against the application state
// and handed to the part that owns it. Also the crop toggle, leaving crop mode and toolbar 2's states.
#include "shell/Dispatch.h"

#include "common/WinHeaders.h"

#include <commctrl.h>

#include "engine/DecodedImage.h"
#include "engine/JpegFile.h"
#include "settings/LanguageModule.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/CommandGates.h"
#include "shell/CommandIds.h"
#include "shell/CropHandOver.h"
#include "filelist/FileListWindow.h"
#include "help/About.h"
#include "help/Help.h"
#include "shell/Menus.h"
#include "shell/PictureLoad.h"
#include "shell/Prefetch.h"
#include "shell/SaveWorkflow.h"
#include "shell/ShellWindows.h"
#include "shell/Toolbars.h"
#include "view/CropMode.h"
#include "ui/OptionDialogs.h"
#include "view/ImageView.h"

namespace {

void revertToFile() {
    if (!settlePendingChanges()) return;
    loadPicture(nullptr);
    rebuildFileList();
    showNewPicture();
    refreshFrameTitle();
}

void reportSourceCheck(int check) {
    if (check == 1) showErrorMessage(TXT_ERROR_CHANGED_ON_DISK);
    else if (check == -1) showErrorMessage(TXT_ERROR_CANNOT_REOPEN);
}

void saveOverOpenFile() {
    int check = checkSourceUnchanged(textChars(&appState.currentPath), appState.openedWriteTime);
    if (check == 0) saveToPath(textChars(&appState.currentPath));
    else reportSourceCheck(check);
}

void saveUnderNewName() {
    int check = checkSourceUnchanged(textChars(&appState.currentPath), appState.openedWriteTime);
    if (check == 0) chooseSaveTarget();
    else reportSourceCheck(check);
}

void setShading(int value) {
    gSettings.maskShading = value;
    applyShadingChange(value);
}

// The crop button's check state decides: checked enters crop mode, unchecked undoes an accepted crop.
bool toggleCrop() {
    if (toolbar2Checked(CMD_CROP)) return enterCropMode();
    if (!settlePendingChanges()) return false;
    loadPicture(nullptr);
    showNewPicture();
    refreshFrameTitle();
    return !appState.loadFailed;
}

// A click toggles the check button before its command arrives, so the button then differs from
// cropApplied. The crop key and a mouse binding find it unchanged: they do what a click would do, and only
// where the button can be clicked (a picture, not in crop mode, no editor), flipping it first so that crop
// mode never starts over an editor or an accepted crop; with a crop applied they revert it.
void cropButtonCommand() {
    destroyFileListWindow();
    const bool clicked =
        appState.imageLoaded && !appState.cropMode && toolbar2Checked(CMD_CROP) != appState.cropApplied;
    if (!clicked) {
        if (appState.cropMode || appState.cropEditor || !appState.imageLoaded) return;
        SendMessageW(appState.toolbar2, TB_CHECKBUTTON, CMD_CROP, MAKELPARAM(!appState.cropApplied, 0));
    }
    if (!toggleCrop()) refreshToolbar2States();
}

void setButtonState(int command, BYTE state) { SendMessageW(appState.toolbar2, TB_SETSTATE, WPARAM(command), MAKELPARAM(state, 0)); }

}  // namespace

void dispatchCommand(uint32_t value) {
    if (acceleratorIgnored(value, appState)) return;
    uint32_t command = value & 0xFFFF;
    if (!commandGateOpen(command, appState, fileListExists())) return;
    switch (command) {
    case CMD_REVERT: revertToFile(); break;
    case CMD_SAVE: saveOverOpenFile(); break;
    case CMD_CUSTOMIZE: showCustomizeDialog(); break;
    case CMD_OPTIONS: showOptionsDialog(); break;
    case CMD_HELP: showHelp(); break;
    case CMD_ABOUT: showAbout(); break;
    case CMD_OPEN: chooseAndOpen(); break;
    case CMD_SAVE_AS: saveUnderNewName(); break;
    case CMD_FILE_LIST:
        showFileListWindow();
        schedulePrefetch();
        break;
    case CMD_SHADING_MENU: showShadingMenu(); break;
    case CMD_SHADE_HALF:
    case CMD_SHADE_QUARTER:
    case CMD_SHADE_EIGHTH:
    case CMD_SHADE_BLACK:
    case CMD_SHADE_GREY:
    case CMD_SHADE_WHITE: setShading(maskShadingOf(command)); break;
    case CMD_ZOOM_FIT:
    case CMD_ZOOM_100:
    case CMD_ZOOM_TOGGLE:
    case CMD_ZOOM_IN:
    case CMD_ZOOM_OUT: runZoomCommand(int(command)); break;
    case CMD_SAVE_GRAYSCALE: gSettings.saveGrayscale = toolbar2Checked(CMD_SAVE_GRAYSCALE); break;
    case CMD_SAVE_PROGRESSIVE: gSettings.saveProgressive = toolbar2Checked(CMD_SAVE_PROGRESSIVE); break;
    case CMD_MARKERS_NONE:
    case CMD_MARKERS_COMMENTS:
    case CMD_MARKERS_ALL:
        if (toolbar2Checked(int(command))) gSettings.markerCopyMode = int32_t(command - CMD_MARKERS_NONE);
        break;
    case CMD_CROP: cropButtonCommand(); break;
    case CMD_CROP_ACCEPT:
        // Only a committed rectangle at rest is a selection; a band still being drawn is not.
        if (appState.cropMode && appState.cropState == 3) leaveCropMode(CropExit::accept);
        break;
    case CMD_CROP_CANCEL: leaveCropMode(CropExit::cancel); break;
    case CMD_CROP_MAXIMAL: selectMaximalCrop(); break;
    }
}

void leaveCropMode(CropExit exit) {
    if (!appState.cropMode) return;
    CropOutcome outcome;
    bool cutFailed = false;
    if (appState.cropEditor) outcome = endCropEditor(exit == CropExit::accept, &cutFailed);
    appState.cropMode = false;
    if (!applyAcceptedCrop(outcome, cutFailed)) {
        setButtonState(CMD_CROP, TBSTATE_ENABLED);
        InvalidateRect(appState.view, nullptr, FALSE);
        UpdateWindow(appState.view);
        refreshFrameTitle();
    }
    appState.inputLock = false;
}

void refreshToolbar2States() {
    bool gray = appState.imageLoaded && appState.picture && imageBitCount(appState.picture) == 8;
    setButtonState(CMD_SAVE_GRAYSCALE, gray ? TBSTATE_INDETERMINATE
                                            : BYTE(TBSTATE_ENABLED | (gSettings.saveGrayscale ? TBSTATE_CHECKED : 0)));
    setButtonState(CMD_SAVE_PROGRESSIVE, BYTE(TBSTATE_ENABLED | (gSettings.saveProgressive ? TBSTATE_CHECKED : 0)));
    for (int mode = 0; mode < 3; ++mode)
        setButtonState(CMD_MARKERS_NONE + mode,
                       BYTE(TBSTATE_ENABLED | (gSettings.markerCopyMode == mode ? TBSTATE_CHECKED : 0)));
    setButtonState(CMD_CROP, !appState.imageLoaded ? TBSTATE_INDETERMINATE
                                                   : BYTE(TBSTATE_ENABLED | (appState.cropApplied ? TBSTATE_CHECKED : 0)));
}
