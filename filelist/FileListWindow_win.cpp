// The file list window: a tool window owned by the frame with one owner-drawn, no-data list box, placed
// left of the frame; choosing an entry (click or keyboard) opens that file. Also the folder watch.
#include "filelist/FileListWindow.h"

#include <initializer_list>

#include "common/PathUtil.h"
#include "filelist/FileList.h"
#include "settings/LanguageModule.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/PictureLoad.h"
#include "shell/Prefetch.h"
#include "shell/ShellWindows.h"
#include "ui/ControlFactory.h"
#include "ui/OwnerDraw.h"

namespace {

constexpr DWORD kListWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr COLORREF kSelectedFill = RGB(232, 255, 255);
constexpr COLORREF kSelectedOutline = RGB(72, 144, 144);

HWND listBox() { return appState.fileListWindow ? GetDlgItem(appState.fileListWindow, IDC_FILE_LIST_BOX) : nullptr; }

void closeWatch() {
    HANDLE watch = gFileList.watchHandle;
    if (watch) FindCloseChangeNotification(watch);
    gFileList.watchHandle = nullptr;
}

// The open picture's name within its path.
const char16_t* openName() {
    const char16_t* path = textChars(&appState.currentPath);
    return path + pathNameStart(path, appState.currentPath.length);
}

// The widest name in the interface font, plus what the static edge adds to a rectangle.
int horizontalExtent(HWND box) {
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, appState.uiFont);
    int widest = 0;
    for (size_t i = 0; i < gFileList.count; ++i) {
        SIZE size = {};
        const TextBuffer& name = gFileList.names[i];
        GetTextExtentPoint32W(dc, asWide(textChars(&name)), int(name.length), &size);
        if (size.cx > widest) widest = size.cx;
    }
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    RECT border = {0, 0, 0, 0};
    AdjustWindowRectEx(&border, 0, FALSE, WS_EX_STATICEDGE);
    return widest + (border.right - border.left);
}

void fillListBox() {
    HWND box = listBox();
    if (!box) return;
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    if (!fileListPresent(&gFileList)) {
        SendMessageW(box, LB_SETHORIZONTALEXTENT, 0, 0);
        return;
    }
    SendMessageW(box, LB_SETCOUNT, gFileList.count, 0);
    SendMessageW(box, LB_SETHORIZONTALEXTENT, WPARAM(horizontalExtent(box)), 0);
    SendMessageW(box, LB_SETCURSEL, WPARAM(gFileList.selectedIndex), 0);
}

void selectEntry(int index) {
    if (HWND box = listBox()) SendMessageW(box, LB_SETCURSEL, WPARAM(index), 0);
}

// Selection change of the list box. The name is taken before the save question: a save into this folder,
// or an activation while the question or the save dialog is up, may rebuild the list meanwhile.
void chooseEntry() {
    int chosen = int(SendMessageW(listBox(), LB_GETCURSEL, 0, 0));
    if (chosen < 0 || size_t(chosen) >= gFileList.count) return;
    TextBuffer name;
    if (!textAssignText(&name, &gFileList.names[chosen])) return;
    // A list box reports every click, also one on the open picture: nothing to open, nothing to ask.
    if (appState.imageLoaded && findListedName(&gFileList, openName()) == chosen) return;
    if (!settlePendingChanges()) {
        selectEntry(findListedName(&gFileList, openName()));
        return;
    }
    int index = findListedName(&gFileList, textChars(&name));
    if (index < 0) {
        selectEntry(findListedName(&gFileList, openName()));
        return;
    }
    TextBuffer path;
    if (!fileListFolder(textChars(&appState.currentPath), &path) || !pathJoin(&path, textChars(&name))) return;
    gFileList.selectedIndex = index;
    selectEntry(index);
    loadPicture(textChars(&path));
    showNewPicture();
    refreshFrameTitle();
}

void drawEntry(const DRAWITEMSTRUCT* item) {
    if (item->itemID == UINT(-1) || item->itemID >= gFileList.count) return;
    HDC dc = item->hDC;
    RECT rect = item->rcItem;
    SetBkMode(dc, TRANSPARENT);
    if (item->itemState & ODS_SELECTED) {
        int extent = int(SendMessageW(item->hwndItem, LB_GETHORIZONTALEXTENT, 0, 0));
        if (rect.right - rect.left < extent) rect.right = rect.left + extent;
        fillRoundRect(dc, rect, 0, kSelectedFill, kSelectedOutline);
    } else {
        FillRect(dc, &rect, GetSysColorBrush(COLOR_WINDOW));
    }
    HGDIOBJ old = SelectObject(dc, appState.uiFont);
    SetTextColor(dc, RGB(0, 0, 0));
    const TextBuffer& name = gFileList.names[item->itemID];
    int y = (rect.top + rect.bottom - appState.metrics.textHeight) / 2;
    ExtTextOutW(dc, rect.left + scaled(2), y, ETO_CLIPPED, &rect, asWide(textChars(&name)), UINT(name.length), nullptr);
    SelectObject(dc, old);
}

bool onListCreate(HWND window) {
    appState.fileListWindow = window;
    HMENU menu = GetSystemMenu(window, FALSE);
    for (UINT command : {SC_RESTORE, SC_MINIMIZE, SC_MAXIMIZE}) DeleteMenu(menu, command, MF_BYCOMMAND);
    RECT client;
    GetClientRect(window, &client);
    return createFileListBox(window, client.right, client.bottom) != nullptr;
}

// However it goes (closed by the user, or by crop mode and the about window), its outer size is kept for
// the rest of the run, so the next show brings back the size the user gave it.
void onListDestroy(HWND window) {
    RECT outer;
    if (GetWindowRect(window, &outer) && outer.right > outer.left && outer.bottom > outer.top) {
        gSettings.fileListWidth = outer.right - outer.left;
        gSettings.fileListHeight = outer.bottom - outer.top;
    }
    if (appState.fileListWindow == window) appState.fileListWindow = nullptr;
    discardPrefetches();  // none held while the list is closed
}

}  // namespace

LRESULT CALLBACK fileListWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return onListCreate(window) ? 0 : -1;
    case WM_SETFOCUS: SetFocus(GetDlgItem(window, IDC_FILE_LIST_BOX)); return 0;  // the keys walk the list
    case WM_SIZE: MoveWindow(GetDlgItem(window, IDC_FILE_LIST_BOX), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE); return 0;
    case WM_DRAWITEM:
        if (wParam == IDC_FILE_LIST_BOX) drawEntry(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FILE_LIST_BOX && HIWORD(wParam) == LBN_SELCHANGE) chooseEntry();
        return 0;
    case WM_DESTROY: onListDestroy(window); return 0;
    case WM_DPICHANGED: {
        // On a monitor of another scale: the size the system suggests; the frame re-lays out the font.
        const RECT* to = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window, nullptr, to->left, to->top, to->right - to->left, to->bottom - to->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void rebuildFileList() {
    discardPrefetches();  // the neighbours may be other files now, or changed
    closeWatch();
    TextBuffer folder;
    bool haveFolder = appState.imageLoaded && fileListFolder(textChars(&appState.currentPath), &folder);
    if (haveFolder) {
        // A failed watch never signals: the list then simply is not refreshed on activation.
        HANDLE watch = FindFirstChangeNotificationW(asWide(textChars(&folder)), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
        gFileList.watchHandle = watch == INVALID_HANDLE_VALUE ? nullptr : watch;
        collectFileList(&gFileList, textChars(&folder), openName());
    } else {
        releaseFileNames(&gFileList);
    }
    fillListBox();
    schedulePrefetch();
}

void checkFolderWatch() {
    HANDLE watch = gFileList.watchHandle;
    if (appState.imageLoaded && watch && WaitForSingleObject(watch, 0) == WAIT_OBJECT_0) rebuildFileList();
}

void showFileListWindow() {
    if (!fileListPresent(&gFileList)) return;
    HWND window = appState.fileListWindow;
    RECT frame, rebar, list = {0, 0, gSettings.fileListWidth, gSettings.fileListHeight};
    GetWindowRect(appState.frame, &frame);
    GetWindowRect(appState.rebar, &rebar);
    if (window) GetWindowRect(window, &list);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    RECT work;
    HMONITOR nearest = MonitorFromWindow(appState.frame, MONITOR_DEFAULTTONEAREST);
    if (nearest && GetMonitorInfoW(nearest, &monitor)) work = monitor.rcWork;
    else SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // The window's own width: one the user resized without closing it still ends at the frame.
    ListPosition at = placeFileListWindow({frame.left, frame.top, int(list.right - list.left), int(work.left),
                                           int(rebar.left), int(rebar.bottom)});
    if (!window) {
        // Made where it goes: a window manager may keep a new window where it was first mapped.
        TextBuffer caption;
        loadText(TXT_FILE_LIST_CAPTION, &caption);
        window = CreateWindowExW(WS_EX_TOOLWINDOW, kListClass, asWide(textChars(&caption)), kListWindowStyle, at.x,
                                 at.y, gSettings.fileListWidth, gSettings.fileListHeight, appState.frame, nullptr,
                                 appState.instance, nullptr);
        if (!window) return;
        fillListBox();
    }
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window, SW_SHOW);
}

void destroyFileListWindow() {
    if (appState.fileListWindow) DestroyWindow(appState.fileListWindow);
    appState.fileListWindow = nullptr;
}

void releaseFileList() {
    closeWatch();
    releaseFileNames(&gFileList);
}

bool fileListExists() { return fileListPresent(&gFileList); }

void applyFileListFont() {
    HWND box = listBox();
    if (!box) return;
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(appState.uiFont), FALSE);
    SendMessageW(box, LB_SETITEMHEIGHT, 0, appState.metrics.textHeight + scaled(2));
    if (fileListPresent(&gFileList)) SendMessageW(box, LB_SETHORIZONTALEXTENT, WPARAM(horizontalExtent(box)), 0);
    InvalidateRect(box, nullptr, TRUE);
}
