// The frame window: its classes, its creation with the children, layout, title and the window procedure.
#include "shell/ShellWindows.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include "settings/Settings.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "shell/FrameTitle.h"
#include "shell/Menus.h"
#include "shell/PictureLoad.h"
#include "shell/Toolbars.h"
#include "shell/ZoomGroup.h"
#include "shell/WindowFit.h"
#include "filelist/FileListWindow.h"
#include "engine/DecodedImage.h"
#include "view/CropMode.h"
#include "view/ImageView.h"
#include "ui/ControlFactory.h"
#include "ui/OwnerDraw.h"

namespace {

constexpr DWORD kFrameStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kViewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL;

bool registerClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HICON icon, HCURSOR cursor) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = cursor;
    windowClass.lpszClassName = name;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void measureUiFont() {
    UiMetrics& metrics = appState.metrics;
    HDC dc = GetDC(appState.frame);
    HGDIOBJ old = SelectObject(dc, appState.uiFont);
    TEXTMETRICW textMetrics = {};
    GetTextMetricsW(dc, &textMetrics);
    SIZE digit = {};
    GetTextExtentPoint32W(dc, L"0", 1, &digit);
    SelectObject(dc, old);
    ReleaseDC(appState.frame, dc);
    metrics.textHeight = textMetrics.tmHeight;
    metrics.lineHeight = textMetrics.tmHeight + scaled(6);
    metrics.internalLeading = textMetrics.tmInternalLeading;
    metrics.digitWidth = digit.cx;
    metrics.editExtra = systemMetricAt(SM_CXVSCROLL, metrics.dpi) + scaled(10);
    metrics.checkWidth = systemMetricAt(SM_CXMENUCHECK, metrics.dpi) + scaled(7);
    metrics.buttonHeight = metrics.lineHeight + scaled(3) > scaled(22) ? metrics.lineHeight + scaled(3) : scaled(22);
}

// WM_CREATE of the frame: font, tooltip, bars, then the view below the rebar.
bool onFrameCreate(HWND window, const CREATESTRUCTW* create) {
    appState.frame = window;
    appState.metrics.dpi = windowDpi(window);
    if (!createUiFont()) return false;
    if (!createTooltipWindow() || !createBars()) return false;
    RECT border = {0, 0, 0, 0};
    AdjustWindowRectEx(&border, kFrameStyle, FALSE, WS_EX_ACCEPTFILES);
    int clientWidth = create->cx - (border.right - border.left);
    int clientHeight = create->cy - (border.bottom - border.top);
    int top = rebarBottom();
    appState.view = CreateWindowExW(WS_EX_STATICEDGE, kViewClass, nullptr, kViewStyle, 0, top, clientWidth,
                                    clientHeight - top > 0 ? clientHeight - top : 0, window,
                                    reinterpret_cast<HMENU>(INT_PTR(IDC_IMAGE_VIEW)), appState.instance, nullptr);
    if (!appState.view) return false;
    SCROLLINFO empty = {sizeof empty, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    SetScrollInfo(appState.view, SB_HORZ, &empty, FALSE);
    SetScrollInfo(appState.view, SB_VERT, &empty, FALSE);
    return true;
}

void onFrameSize(WPARAM kind, int width, int height) {
    if (kind == SIZE_MINIMIZED) return;
    SendMessageW(appState.rebar, WM_SIZE, kind, MAKELPARAM(width, height));
    maximizeSecondBandIfOneRow();
    layoutChildren(width, height, true);
}

LRESULT onFrameClose(HWND window) {
    leaveCropMode(CropExit::cancel);
    if (!settlePendingChanges()) return 0;
    shutdownShell();
    return DefWindowProcW(window, WM_CLOSE, 0, 0);
}

void onFrameActivateApp(bool active) {
    if (active) {
        checkFolderWatch();
        return;
    }
    if (appState.cropMode && appState.cropState < 3 && !cropPresetsDialogOpen()) leaveCropMode(CropExit::cancel);
}

LRESULT onFrameCommand(WPARAM wParam, LPARAM lParam) {
    int id = LOWORD(wParam);
    if (id >= 5000) {
        dispatchCommand(uint32_t(wParam));
        return 0;
    }
    switch (id) {
    case IDC_CROP_FIELD_LEFT:
    case IDC_CROP_FIELD_TOP:
    case IDC_CROP_FIELD_RIGHT:
    case IDC_CROP_FIELD_BOTTOM:
    case IDC_CROP_PRESET: onCropPanelCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam)); break;
    }
    return 0;
}

LRESULT onFrameContextMenu(HWND window, WPARAM wParam, LPARAM lParam) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (showContextMenu(reinterpret_cast<HWND>(wParam), point))
        return DefWindowProcW(window, WM_CONTEXTMENU, wParam, lParam);
    return 0;
}

// The frame moved to a monitor of another scale (or the scale changed): it takes the rectangle the
// system suggests and lays out its font, bars, crop panel and the file list again at the new DPI.
void onFrameDpiChanged(HWND window, int dpi, const RECT* suggested) {
    if (dpi <= 0 || dpi == appState.metrics.dpi) return;
    appState.metrics.dpi = dpi;
    relayoutBars();
    if (suggested)
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    relayoutFrame(true);
}

void onFrameDropFiles(HWND window, HDROP drop) {
    if (IsWindowEnabled(window) && !appState.cropMode) {
        handleDroppedFiles(drop);
        return;
    }
    DragFinish(drop);
}

}  // namespace

bool createUiFont() {
    LOGFONTW font = {};
    // The settings keep the 96-DPI height, so a settings file reads the same on every display.
    font.lfHeight = scaled(gSettings.fontHeight);
    font.lfWeight = gSettings.fontWeight;
    font.lfCharSet = DEFAULT_CHARSET;
    const char16_t* face = textChars(&gSettings.fontFace);
    for (int i = 0; i < LF_FACESIZE - 1 && face[i]; ++i) font.lfFaceName[i] = wchar_t(face[i]);
    appState.uiFont = CreateFontIndirectW(&font);
    if (!appState.uiFont) return false;
    measureUiFont();
    return true;
}

void destroyUiFont() {
    if (appState.uiFont) DeleteObject(appState.uiFont);
    appState.uiFont = nullptr;
}

bool registerWindowClasses(HINSTANCE instance) {
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TRIMWELL));
    return registerClass(instance, kFrameClass, frameWindowProc, icon, arrow) &&
           registerClass(instance, kViewClass, imageViewWindowProc, nullptr, arrow) &&
           registerClass(instance, kListClass, fileListWindowProc, nullptr, arrow) &&
           registerZoomLabelClass(instance);
}

HWND createFrameWindow(const WindowBox& placement) {
    return CreateWindowExW(WS_EX_ACCEPTFILES, kFrameClass, L"Trimwell", kFrameStyle, placement.left, placement.top,
                           placement.width, placement.height, nullptr, nullptr, appState.instance, nullptr);
}

void layoutChildren(int clientWidth, int clientHeight, bool recomputeView) {
    if (!appState.view) return;
    int top = rebarBottom();
    int height = clientHeight - top > 0 ? clientHeight - top : 0;
    MoveWindow(appState.view, 0, top, clientWidth, height, TRUE);
    RECT inner;
    GetClientRect(appState.view, &inner);
    if (recomputeView) onViewResize(inner.right, inner.bottom);
}

void relayoutFrame(bool recomputeView) {
    RECT client;
    GetClientRect(appState.frame, &client);
    layoutChildren(client.right, client.bottom, recomputeView);
}

void refreshFrameTitle() {
    if (appState.cropMode) return;  // the crop panel owns the title meanwhile
    TextBuffer title;
    const DecodedImage* picture = appState.picture;
    bool shown = appState.imageLoaded && picture;
    formatFrameTitle(textChars(&appState.currentPath), shown, shown ? imageWidth(picture) : 0,
                     shown ? imageHeight(picture) : 0, shown ? imageBitCount(picture) : 0, &title);
    SetWindowTextW(appState.frame, asWide(textChars(&title)));
}

LRESULT CALLBACK frameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return onFrameCreate(window, reinterpret_cast<CREATESTRUCTW*>(lParam)) ? 0 : -1;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_SIZE: onFrameSize(wParam, LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_CLOSE: return onFrameClose(window);
    case WM_ENDSESSION:
        if (wParam) {
            leaveCropMode(CropExit::cancel);
            shutdownShell();
        }
        return 0;
    case WM_SETTINGCHANGE:
        if (appState.imageLoaded) updateScrollBars();
        return 0;
    case WM_ACTIVATEAPP: onFrameActivateApp(wParam != 0); return 0;
    case WM_DRAWITEM:
        if (wParam == 0) drawMenuItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        else drawComboItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return 1;
    case WM_MEASUREITEM:
        if (wParam == 0) measureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return 1;
    case WM_NOTIFY: return onBarNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU: return onFrameContextMenu(window, wParam, lParam);
    case WM_COMMAND: return onFrameCommand(wParam, lParam);
    case WM_SYSCOMMAND:
        // Only before a rectangle exists: tapping Alt during a drag must not throw the rectangle away.
        if (appState.cropMode && appState.cropState < 3) leaveCropMode(CropExit::cancel);
        break;
    case WM_ENTERMENULOOP: appState.menuLoop = true; return 0;
    case WM_EXITMENULOOP: appState.menuLoop = false; return 0;
    case WM_INITMENU: initMenuStates(reinterpret_cast<HMENU>(wParam)); return 0;
    case WM_MOUSEWHEEL: onFrameMouseWheel(wParam, lParam); return 0;
    case WM_DPICHANGED: onFrameDpiChanged(window, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_DROPFILES: onFrameDropFiles(window, reinterpret_cast<HDROP>(wParam)); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
