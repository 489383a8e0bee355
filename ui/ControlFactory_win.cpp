#include "ui/ControlFactory.h"

#include "common/TextBuffer.h"
#include "common/WinHeaders.h"
#include "settings/LanguageModule.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"

#include <commctrl.h>

namespace {

constexpr int kToolbarRowY = 2;  // at 96 DPI

using DpiForWindowFn = UINT(WINAPI*)(HWND);
using MetricsForDpiFn = int(WINAPI*)(int, UINT);

// Windows 10 1607 and later; looked up so that the program still starts where they are missing.
void* user32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<void*>(GetProcAddress(user32, name)) : nullptr;
}

int systemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

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

int upDownWidth() { return systemMetricAt(SM_CXVSCROLL, appState.metrics.dpi); }

RECT rectInParentOf(HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The up-down attached to `edit` at the scroll-bar width of the DPI, ending where the field ends and
// overlapping the edit's border as comctl32 places it. Up-downs size themselves once, at a width of
// their own (Wine's a fixed 16 pixels), which would stay the 96-DPI width on every display.
void fitUpDown(HWND spin, HWND edit, int fieldRight) {
    constexpr int kBuddyBorder = 2;
    const int width = upDownWidth();
    RECT text = rectInParentOf(edit);
    MoveWindow(spin, fieldRight - width, text.top, width, text.bottom - text.top, TRUE);
    MoveWindow(edit, text.left, text.top, fieldRight - width + kBuddyBorder - text.left, text.bottom - text.top, TRUE);
}

}  // namespace

int windowDpi(HWND__* window) {
    static const auto dpiForWindow = reinterpret_cast<DpiForWindowFn>(user32Function("GetDpiForWindow"));
    UINT dpi = dpiForWindow && window ? dpiForWindow(window) : 0;
    return dpi > 0 ? int(dpi) : systemDpi();
}

int systemMetricAt(int index, int dpi) {
    static const auto metricsForDpi = reinterpret_cast<MetricsForDpiFn>(user32Function("GetSystemMetricsForDpi"));
    if (metricsForDpi) return metricsForDpi(index, UINT(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, systemDpi());
}

int uiTextWidth(const char16_t* text) {
    TextBuffer buffer;
    textAssign(&buffer, text);
    return textWidthInUiFont(appState.frame, buffer);
}

int numberFieldWidth(int width) {
    return width <= 9 ? width * appState.metrics.digitWidth + appState.metrics.editExtra : width;
}

HWND__* createTextLabel(HWND__* parent, uint32_t stringId, int x, int width, LabelWidth sizing) {
    TextBuffer text;
    loadText(stringId, &text);
    if (sizing == LabelWidth::FromText) width = textWidthInUiFont(parent, text) + 2;
    HWND label = CreateWindowExW(0, L"Static", asWide(textChars(&text)),
                                 WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | SS_ENDELLIPSIS, x, scaled(kToolbarRowY),
                                 width, appState.metrics.lineHeight, parent, childId(static_cast<int>(stringId)),
                                 nullptr, nullptr);
    if (label) setUiFont(label);
    return label;
}

HWND__* createNumberField(HWND__* parent, int editId, int spinId, int x, int width, int textLimit, int maximum,
                          int minimum, int position) {
    DWORD style = WS_CHILD | WS_VISIBLE | ES_RIGHT | ES_AUTOHSCROLL | (minimum >= 0 ? ES_NUMBER : 0);
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", nullptr, style, x, scaled(kToolbarRowY),
                                numberFieldWidth(width), appState.metrics.lineHeight, parent, childId(editId), nullptr,
                                nullptr);
    if (!edit) return nullptr;
    setUiFont(edit);
    SendMessageW(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(textLimit), 0);
    // UDS_AUTOBUDDY takes the previous sibling, the edit just made, and UDS_ALIGNRIGHT moves onto its edge.
    HWND spin = CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                                WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY |
                                    UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                0, 0, 0, 0, parent, childId(spinId), nullptr, nullptr);
    if (spin) {
        fitUpDown(spin, edit, x + numberFieldWidth(width));
        SendMessageW(spin, UDM_SETRANGE32, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
        SendMessageW(spin, UDM_SETPOS32, 0, static_cast<LPARAM>(position));
    }
    return edit;
}

void placeControl(HWND__* parent, int id, int x, int width, const char16_t* text) {
    HWND control = GetDlgItem(parent, id);
    if (!control) return;
    MoveWindow(control, x, scaled(kToolbarRowY), width, appState.metrics.lineHeight, TRUE);
    setUiFont(control);
    if (text) SetWindowTextW(control, asWide(text));
}

void placeNumberField(HWND__* parent, int x, int width) {
    HWND edit = GetDlgItem(parent, IDC_ZOOM_EDIT);
    if (!edit) return;
    MoveWindow(edit, x, scaled(kToolbarRowY), numberFieldWidth(width), appState.metrics.lineHeight, TRUE);
    setUiFont(edit);
    // Setting the buddy again makes the up-down move onto the edit's new right edge.
    HWND spin = GetDlgItem(parent, IDC_ZOOM_UPDOWN);
    if (spin) attachUpDown(spin, edit);
}

void attachUpDown(HWND__* spin, HWND__* edit) {
    RECT field = rectInParentOf(edit);
    SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    fitUpDown(spin, edit, field.right);
}

HWND__* createChoiceCombo(HWND__* parent, int x, int width) {
    HWND combo = CreateWindowExW(0, L"ComboBox", nullptr,
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED |
                                     CBS_HASSTRINGS,
                                 x, scaled(1), width, scaled(400), parent, childId(IDC_CROP_PRESET), nullptr, nullptr);
    if (!combo) return nullptr;
    setUiFont(combo);
    SendMessageW(combo, CB_SETEXTENDEDUI, TRUE, 0);
    int height = appState.metrics.textHeight + scaled(2);
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
    SendMessageW(list, LB_SETITEMHEIGHT, 0, appState.metrics.textHeight + scaled(2));
    return list;
}
