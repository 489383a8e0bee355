// The image view's window procedure. It only routes: zoom, scroll, pan and paint to the view, the left
// button in crop mode to the crop editor, and the button chord, middle and extra buttons to the mouse
// bindings.
#include "shell/ShellWindows.h"

#include <windowsx.h>

#include "shell/AppState.h"
#include "shell/PendingFeatures.h"
#include "shell/Menus.h"
#include "view/ImageView.h"

namespace {

bool bothButtonsOnly(WPARAM keys) {
    const WPARAM all = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2 | MK_CONTROL | MK_SHIFT;
    return (keys & all) == (MK_LBUTTON | MK_RBUTTON);
}

// One button held, the other pressed: the pending drag ends and the chord's binding runs.
void runChord(POINT point) {
    appState.dragMode = 0;
    ReleaseCapture();
    mouseBinding(kMouseSlotChord, point);
}

void onViewMouseMove(int x, int y) {
    switch (appState.dragMode) {
    case 0:
        if (appState.cropMode) onCropHover(x, y);
        break;
    case 1:
        if (appState.cropMode) onCropDrag(x, y);
        break;
    case 2: onViewPendingDragMove(x, y); break;
    case 3: onViewPanMove(x, y); break;
    }
}

void onViewLeftDown(WPARAM keys, POINT point) {
    if (appState.dragMode == 2 && bothButtonsOnly(keys)) {
        runChord(point);
        return;
    }
    if (appState.cropMode) onCropLeftDown(point.x, point.y, keys);
}

void onViewLeftUp(POINT point) {
    if (appState.dragMode != 1) return;
    appState.dragMode = 0;
    ReleaseCapture();
    if (appState.cropMode) onCropLeftUp(point.x, point.y);
}

void onViewRightDown(WPARAM keys, POINT point) {
    if (appState.dragMode == 1 && bothButtonsOnly(keys)) {
        runChord(point);
        return;
    }
    onViewRightButtonDown(point.x, point.y, uint32_t(keys));
}

}  // namespace

LRESULT CALLBACK imageViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_CREATE: appState.view = window; return 0;
    case WM_PAINT: paintImageView(window); return 0;
    case WM_SETCURSOR:
        if (appState.cropMode && appState.cropState == 3 && LOWORD(lParam) == HTCLIENT) return TRUE;
        break;
    case WM_HSCROLL: onViewScroll(SB_HORZ, LOWORD(wParam)); return 0;
    case WM_VSCROLL: onViewScroll(SB_VERT, LOWORD(wParam)); return 0;
    case WM_MOUSEMOVE: onViewMouseMove(point.x, point.y); return 0;
    case WM_LBUTTONDOWN: onViewLeftDown(wParam, point); return 0;
    case WM_LBUTTONUP: onViewLeftUp(point); return 0;
    case WM_RBUTTONDOWN: onViewRightDown(wParam, point); return 0;
    case WM_RBUTTONUP:
        if (onViewRightButtonUp()) break;  // a plain click: default processing raises WM_CONTEXTMENU
        return 0;
    case WM_MBUTTONDOWN: middleOrExtraButton(message, wParam, point); return 0;
    case WM_XBUTTONDOWN: middleOrExtraButton(message, wParam, point); return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
