// The presets editor: a modal dialog from the language module's template, opened from the ratio box's
// last item, where the user edits the eight ratio presets. It opens under the ratio box.
#include "view/CropMode.h"

#include <commctrl.h>

#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "ui/DialogRunner.h"
#include "view/CropEditor.h"

namespace {

constexpr int kPresetDigits = 5;
constexpr int32_t kMaxPresetNumber = 9999;

void initPresetsDialog(HWND dialog) {
    CropEditor* editor = appState.cropEditor;
    editor->presetsDialog = dialog;
    for (int i = 0; i < kUserPresetCount; i++) {
        const RatioPreset& preset = editor->ratioPresets[i + 1];
        HWND width = GetDlgItem(dialog, IDC_PRESET_WIDTH_FIRST + i);
        HWND height = GetDlgItem(dialog, IDC_PRESET_HEIGHT_FIRST + i);
        SendMessageW(width, EM_SETLIMITTEXT, kPresetDigits, 0);
        SendMessageW(height, EM_SETLIMITTEXT, kPresetDigits, 0);
        if (preset.width != 0 && preset.height != 0) {
            SetDlgItemInt(dialog, IDC_PRESET_WIDTH_FIRST + i, UINT(preset.width), TRUE);
            SetDlgItemInt(dialog, IDC_PRESET_HEIGHT_FIRST + i, UINT(preset.height), TRUE);
        }
    }
    RECT box;
    HWND ratioBox = appState.cropToolbar ? GetDlgItem(appState.cropToolbar, IDC_CROP_PRESET) : nullptr;
    if (ratioBox && GetWindowRect(ratioBox, &box))
        SetWindowPos(dialog, nullptr, box.left, box.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int32_t readNumber(HWND dialog, int id) {
    BOOL converted = FALSE;
    int32_t value = int32_t(GetDlgItemInt(dialog, id, &converted, TRUE));
    return converted ? value : 0;
}

void acceptPresets(HWND dialog) {
    CropEditor* editor = appState.cropEditor;
    for (int i = 0; i < kUserPresetCount; i++) {
        RatioPreset preset;
        preset.width = readNumber(dialog, IDC_PRESET_WIDTH_FIRST + i);
        if (preset.width != 0) preset.height = readNumber(dialog, IDC_PRESET_HEIGHT_FIRST + i);
        if (preset.width != 0 && preset.height != 0) {
            if (preset.width > kMaxPresetNumber) preset.width = kMaxPresetNumber;
            if (preset.height > kMaxPresetNumber) preset.height = kMaxPresetNumber;
        } else {
            preset = RatioPreset();
        }
        editor->ratioPresets[i + 1] = preset;
    }
    // The entry in force may have changed its numbers, or become free.
    selectRatioPreset(editor, editor->selectedPreset);
    fillRatioBox();
}

intptr_t presetsDialogProc(HWND__* dialog, unsigned int message, uintptr_t wParam, intptr_t) {
    switch (message) {
    case WM_INITDIALOG:
        if (!appState.cropEditor) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        initPresetsDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (appState.cropEditor) acceptPresets(dialog);
            if (appState.cropEditor) appState.cropEditor->presetsDialog = nullptr;
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            if (appState.cropEditor) appState.cropEditor->presetsDialog = nullptr;
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

// The crop keys stay off while the dialog runs and come back in every case; a dialog that cannot be
// shown reports false.
bool runPresetsEditor() {
    if (!appState.cropEditor) return false;
    bool keys = appState.cropKeysEnabled;
    appState.cropKeysEnabled = false;
    intptr_t result = runDialog(IDD_RATIO_PRESETS, presetsDialogProc, 0, gSettings.largeDialogFont != 0);
    if (appState.cropEditor) {
        appState.cropEditor->presetsDialog = nullptr;
        appState.cropKeysEnabled = keys;
    }
    return result == IDOK || result == IDCANCEL;
}

void closePresetsEditor() {
    CropEditor* editor = appState.cropEditor;
    if (!editor || !editor->presetsDialog) return;
    HWND dialog = static_cast<HWND>(editor->presetsDialog);
    editor->presetsDialog = nullptr;
    EndDialog(dialog, IDCANCEL);
}

bool cropPresetsDialogOpen() { return appState.cropEditor && appState.cropEditor->presetsDialog != nullptr; }
