// Renders the two option dialogs as the program shows them (their own procedures over the real frame),
// each page, in English and Japanese at 9 and 11 points, into BMP files, so that cut, overlapping or
// unreadable texts can be seen: option_dialog_shot OUTPUT_FOLDER. Run by scripts/dialog-screenshots
// under Wine and Xvfb, beside the language modules.
#include <string>

#include "common/WinHeaders.h"

#include <commctrl.h>

#include "settings/LanguageModule.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/Menus.h"
#include "shell/ShellWindows.h"
#include "shell/Toolbars.h"
#include "support/WindowBitmap_win.h"
#include "ui/DialogDriver.h"
#include "ui/OptionDialogs.h"

namespace {

std::wstring folder;
std::wstring prefix;  // language and point size
int failures = 0;

void capture(HWND dialog, const wchar_t* name) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(200);
    if (!saveWindowBitmap(dialog, folder + L"\\" + prefix + L"-" + name + L".bmp")) failures++;
}

void selectRow(HWND list, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

void shootDialogs() {
    bool ran = withDialog(showOptionsDialog, [](HWND dialog) {
        capture(dialog, L"options");
        clickButton(dialog, IDCANCEL);
    });
    ran = withDialog(showCustomizeDialog, [](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_CUSTOMIZE_COMMANDS);
        SetFocus(list);
        selectRow(list, 7);
        SendDlgItemMessageW(dialog, IDC_CUSTOMIZE_KEYS, LB_SETCURSEL, 4, 0);
        capture(dialog, L"customize-keys");
        clickButton(dialog, IDC_CUSTOMIZE_MOUSE_PAGE);
        SetFocus(list);
        SendDlgItemMessageW(dialog, IDC_CUSTOMIZE_TRIGGERS, LB_SETCURSEL, 2, 0);
        capture(dialog, L"customize-mouse");
        clickButton(dialog, IDC_CUSTOMIZE_KEYBOARD_PAGE);
        clickButton(dialog, IDC_CUSTOMIZE_CLOSE);
    }) && ran;
    if (!ran) failures++;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    folder = argv[1];
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring settings(program);
    settings = settings.substr(0, settings.find_last_of(L'\\') + 1) + L"Trimwell.ini";
    for (const wchar_t* language : {L"English", L"Japanese"}) {
        for (bool large : {false, true}) {
            CloseHandle(CreateFileW(settings.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            wchar_t* arguments[] = {program};
            if (!startShell(GetModuleHandleW(nullptr), SW_SHOWNORMAL, 1, arguments)) return 1;
            switchLanguageModule(asText(language), &gSettings.languageName);
            rebuildMenusFromAccelerators();
            relayoutBars();
            gSettings.largeDialogFont = large;
            prefix = std::wstring(language) + (large ? L"-11pt" : L"-9pt");
            shootDialogs();
            PostMessageW(appState.frame, WM_CLOSE, 0, 0);
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) handleLoopMessage(&message);
            finishShell();
        }
    }
    DeleteFileW(settings.c_str());
    return failures == 0 ? 0 : 1;
}
