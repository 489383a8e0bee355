#include "ui/ControlFactory.h"

#include "common/TextBuffer.h"
#include "common/WinHeaders.h"
#include "settings/LanguageModule.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"

#include <commctrl.h>

namespace {

constexpr int kToolbarRowY = 2;

void setUiFont(HWND control) { SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(appState.uiFont), FALSE); }

int textWidthInUiFont(HWND window, const TextBuffer& text) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, appState.uiFont ? static_cast<HGDIOBJ>(appState.uiFont) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, asWide(textChars(&text)), static_cast<int>(text.length), &extent);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return extent.cx;
}

HMENU childId(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

}  // namespace

int numberFieldWidth(int width) {
    return width <= 9 ? width * appState.metrics.digitWidth + appState.metrics.editExtra : width;
}

HWND__* createTextLabel(HWND__* parent, uint32_t stringId, int x, int width, LabelWidth sizing) {
    TextBuffer text;
    loadText(stringId, &text);
    if (sizing == LabelWidth::FromText) width = textWidthInUiFont(parent, text) + 2;
    HWND label = CreateWindowExW(0, L"Static", asWide(textChars(&text)),
                                 WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | SS_ENDELLIPSIS, x, kToolbarRowY, width,
                                 appState.metrics.lineHeight, parent, childId(static_cast<int>(stringId)), nullptr,
                                 nullptr);
    if (label) setUiFont(label);
    return label;
}

HWND__* createNumberField(HWND__* parent, int editId, int spinId, int x, int width, int textLimit, int maximum,
                          int minimum, int position) {
    DWORD style = WS_CHILD | WS_VISIBLE | ES_RIGHT | ES_AUTOHSCROLL | (minimum >= 0 ? ES_NUMBER : 0);
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", nullptr, style, x, kToolbarRowY, numberFieldWidth(width),
                                appState.metrics.lineHeight, parent, childId(editId), nullptr, nullptr);
    if (!edit) return nullptr;
    setUiFont(edit);
    SendMessageW(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(textLimit), 0);
    // UDS_AUTOBUDDY takes the previous sibling, the edit just made, and UDS_ALIGNRIGHT moves onto its edge.
    HWND spin = CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                                WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY |
                                    UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                0, 0, 0, 0, parent, childId(spinId), nullptr, nullptr);
    if (spin) {
        SendMessageW(spin, UDM_SETRANGE32, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
        SendMessageW(spin, UDM_SETPOS32, 0, static_cast<LPARAM>(position));
    }
    return edit;
}

void placeControl(HWND__* parent, int id, int x, int width, const char16_t* text) {
    HWND control = GetDlgItem(parent, id);
    if (!control) return;
    MoveWindow(control, x, kToolbarRowY, width, appState.metrics.lineHeight, TRUE);
    setUiFont(control);
    if (text) SetWindowTextW(control, asWide(text));
}

void placeNumberField(HWND__* parent, int x, int width) {
    HWND edit = GetDlgItem(parent, IDC_ZOOM_EDIT);
    if (!edit) return;
    MoveWindow(edit, x, kToolbarRowY, numberFieldWidth(width), appState.metrics.lineHeight, TRUE);
    setUiFont(edit);
    // Setting the buddy again makes the up-down move onto the edit's new right edge.
    HWND spin = GetDlgItem(parent, IDC_ZOOM_UPDOWN);
    if (spin) SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
}

HWND__* createChoiceCombo(HWND__* parent, int x, int width) {
    HWND combo = CreateWindowExW(0, L"ComboBox", nullptr,
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED |
                                     CBS_HASSTRINGS,
                                 x, 1, width, 400, parent, childId(IDC_CROP_PRESET), nullptr, nullptr);
    if (!combo) return nullptr;
    setUiFont(combo);
    SendMessageW(combo, CB_SETEXTENDEDUI, TRUE, 0);
    int height = appState.metrics.textHeight + 2;
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
    SendMessageW(combo, CB_SETITEMHEIGHT, 0, height);
    return combo;
}

void fitDialogComboHeight(HWND__* dialog, int id) {
    RECT units = {0, 0, 0, 12};
    MapDialogRect(dialog, &units);
    int height = units.bottom - 4;
    HWND combo = GetDlgItem(dialog, id);
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
    SendMessageW(combo, CB_SETITEMHEIGHT, 0, height);
}

HWND__* createFileListBox(HWND__* parent, int width, int height) {
    HWND list = CreateWindowExW(WS_EX_STATICEDGE, L"ListBox", nullptr,
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED |
                                    LBS_NOINTEGRALHEIGHT | LBS_NODATA,
                                0, 0, width, height, parent, childId(IDC_FILE_LIST_BOX), nullptr, nullptr);
    if (!list) return nullptr;
    setUiFont(list);
    SendMessageW(list, LB_SETITEMHEIGHT, 0, appState.metrics.textHeight + 2);
    return list;
}
