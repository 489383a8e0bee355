// Renders the three dialogs of each language module at 9 and 11 points into BMP files, with sample
// contents, so that cut or overlapping labels can be seen: dialog_shot OUTPUT_FOLDER MODULE.dll...
// Run by scripts/dialog-screenshots under Wine and Xvfb.
#include <cstdio>
#include <string>

#include "common/WinHeaders.h"
#include "settings/LanguageModule.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "support/WindowBitmap_win.h"
#include "ui/DialogRunner.h"

#include <commctrl.h>

namespace {

std::wstring text(uint32_t id) {
    TextBuffer buffer;
    loadText(id, &buffer);
    return std::wstring(asWide(textChars(&buffer)), buffer.length);
}

void addColumn(HWND list, int index, uint32_t textId, int width) {
    std::wstring heading = text(textId);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = &heading[0];
    column.cx = width;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void setCell(HWND list, int row, int column, const std::wstring& value) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(value.c_str());
    if (column == 0) {
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    } else {
        SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
}

void fillCustomize(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_CUSTOMIZE_COMMANDS);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    RECT client;
    GetClientRect(list, &client);
    // Column widths as the customisation dialog measures them.
    HDC dc = GetDC(list);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    SIZE extent;
    GetTextExtentPoint32W(dc, L"BackSpace", 9, &extent);
    int key = extent.cx + 12;
    int mouse = 0;
    for (uint32_t id : {20201u, 20206u}) {
        std::wstring name = text(id);
        GetTextExtentPoint32W(dc, name.c_str(), static_cast<int>(name.size()), &extent);
        if (extent.cx > mouse) mouse = extent.cx;
    }
    mouse += 12;
    SelectObject(dc, oldFont);
    ReleaseDC(list, dc);
    addColumn(list, 0, TXT_COLUMN_COMMAND, client.right - key - mouse - GetSystemMetrics(SM_CXVSCROLL) - 12);
    addColumn(list, 1, TXT_COLUMN_KEY, key);
    addColumn(list, 2, TXT_COLUMN_MOUSE, mouse);
    const struct {
        uint32_t command;
        const wchar_t* key;
        int mouse;
    } rows[] = {{5100, L"Ctrl+O", -1}, {5000, L"BackSpace", -1}, {5010, L"", -1}, {5110, L"Ctrl+S", -1},
                {5120, L"Tab", -1}, {5200, L"", -1}, {5210, L"", -1}, {5220, L"Space", 2}, {5230, L"", 6},
                {5231, L"", 5}, {5130, L"", -1}, {5020, L"", -1}, {5030, L"", -1}, {5040, L"", -1},
                {5050, L"", -1}, {5430, L"CapsLock", -1}, {5500, L"Enter", -1}, {5501, L"Esc", -1}};
    int row = 0;
    for (const auto& r : rows) {
        setCell(list, row, 0, text(r.command));
        setCell(list, row, 1, r.key);
        setCell(list, row, 2, r.mouse >= 0 ? text(20200 + r.mouse) : L"");
        row++;
    }
    for (const wchar_t* name : {L"BackSpace", L"Tab", L"Enter", L"Esc", L"Space", L"PageUp", L"PageDown", L"End",
                                L"Home", L"Left", L"Up", L"Right", L"Down", L"Insert", L"Delete", L"CapsLock"}) {
        SendDlgItemMessageW(dialog, IDC_CUSTOMIZE_KEYS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendDlgItemMessageW(dialog, IDC_CUSTOMIZE_KEYS, LB_SETCURSEL, 4, 0);
    CheckRadioButton(dialog, IDC_CUSTOMIZE_KEYBOARD_PAGE, IDC_CUSTOMIZE_MOUSE_PAGE, IDC_CUSTOMIZE_KEYBOARD_PAGE);
    CheckDlgButton(dialog, IDC_CUSTOMIZE_CTRL, BST_CHECKED);
}

void fillOptions(HWND dialog) {
    for (const wchar_t* name : {L"English", L"Japanese"}) {
        SendDlgItemMessageW(dialog, IDC_OPTIONS_LANGUAGE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendDlgItemMessageW(dialog, IDC_OPTIONS_LANGUAGE, CB_SETCURSEL, 1, 0);
    for (const wchar_t* name : {L"Tahoma", L"MS UI Gothic", L"Noto Sans CJK JP"}) {
        SendDlgItemMessageW(dialog, IDC_OPTIONS_FONT_FACE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendDlgItemMessageW(dialog, IDC_OPTIONS_FONT_FACE, CB_SETCURSEL, 1, 0);
    CheckRadioButton(dialog, IDC_OPTIONS_HEIGHT_12, IDC_OPTIONS_HEIGHT_16, IDC_OPTIONS_HEIGHT_14);
    CheckRadioButton(dialog, IDC_OPTIONS_WEIGHT_NORMAL, IDC_OPTIONS_WEIGHT_BOLD, IDC_OPTIONS_WEIGHT_NORMAL);
    CheckRadioButton(dialog, IDC_OPTIONS_DIALOG_NORMAL, IDC_OPTIONS_DIALOG_LARGE, IDC_OPTIONS_DIALOG_LARGE);
}

void fillPresets(HWND dialog) {
    const int presets[][2] = {{1024, 768}, {1, 1}, {16, 9}, {3, 2}, {0, 0}, {9999, 9999}, {0, 0}, {4, 3}};
    for (int i = 0; i < 8; i++) {
        if (!presets[i][0]) continue;
        SetDlgItemInt(dialog, IDC_PRESET_WIDTH_FIRST + i, presets[i][0], TRUE);
        SetDlgItemInt(dialog, IDC_PRESET_HEIGHT_FIRST + i, presets[i][1], TRUE);
    }
}

// The owner-drawn combo boxes show their own text, as the program's drawing does.
void drawComboText(const DRAWITEMSTRUCT* item) {
    if (item->CtlType != ODT_COMBOBOX || item->itemID == static_cast<UINT>(-1)) return;
    wchar_t name[128] = {};
    SendMessageW(item->hwndItem, CB_GETLBTEXT, item->itemID, reinterpret_cast<LPARAM>(name));
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkMode(item->hDC, TRANSPARENT);
    RECT r = item->rcItem;
    r.left += 2;
    DrawTextW(item->hDC, name, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

INT_PTR CALLBACK sampleDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        if (lParam == IDD_CUSTOMIZE) fillCustomize(dialog);
        if (lParam == IDD_OPTIONS) fillOptions(dialog);
        if (lParam == IDD_RATIO_PRESETS) fillPresets(dialog);
        return TRUE;
    case WM_DRAWITEM: drawComboText(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    }
    return FALSE;
}

void pumpFor(DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: dialog_shot OUTPUT_FOLDER MODULE.dll...\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    int failures = 0;
    for (int m = 2; m < argc; m++) {
        appState.languageModule = LoadLibraryExW(argv[m], nullptr, LOAD_LIBRARY_AS_DATAFILE);
        std::wstring moduleName = argv[m];
        moduleName = moduleName.substr(moduleName.find_last_of(L"\\/") + 1);
        moduleName = moduleName.substr(0, moduleName.find(L'.'));
        for (uint32_t dialog : {IDD_CUSTOMIZE, IDD_OPTIONS, IDD_RATIO_PRESETS}) {
            for (uint16_t points : {9, 11}) {
                DialogTemplateCopy copy;
                if (!loadDialogTemplate(dialog, &copy)) {
                    failures++;
                    continue;
                }
                memcpy(copy.bytes + copy.pointSizeOffset, &points, sizeof points);
                HWND window = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                                         reinterpret_cast<DLGTEMPLATE*>(copy.bytes), nullptr,
                                                         sampleDialog, dialog);
                freeDialogTemplate(&copy);
                if (!window) {
                    failures++;
                    continue;
                }
                SetWindowPos(window, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
                pumpFor(400);
                std::wstring path = std::wstring(argv[1]) + L"\\" + moduleName + L"-" + std::to_wstring(dialog) + L"-" +
                                    std::to_wstring(points) + L"pt.bmp";
                if (!saveWindowBitmap(window, path)) failures++;
                DestroyWindow(window);
            }
        }
        releaseLanguageModule();
    }
    return failures == 0 ? 0 : 1;
}
