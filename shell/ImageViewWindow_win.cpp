// The image view's window procedure. It only routes: zoom, scroll, pan and paint to the view, the left
// button in crop mode to the crop editor, and the button chord, middle and extra buttons to the mouse
// bindings.
#include "shell/ShellWindows.h"

#include <windowsx.h>

#include "shell/AppState.h"
#include "shell/Menus.h"
#include "view/CropMode.h"
#include "view/ImageView.h"

namespace {

bool bothButtonsOnly(WPARAM keys) {
    const WPARAM all = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2 | MK_CONTROL | MK_SHIFT;
    return (keys & all) == (MK_LBUTTON | MK_RBUTTON);
}

uint32_t buttonsOf(WPARAM keys) { return uint32_t(keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2)); }

// The left drag ends, by a release or because the capture went elsewhere (Alt+Tab, a message box, a
// chord): either way the crop editing gets its release, or its state would stay locked.
void endLeftDrag() {
    if (appState.dragMode != 1) return;
    appState.dragMode = 0;
    if (GetCapture() == appState.view) ReleaseCapture();
    if (appState.cropMode) onCropLeftUp();
}

// A right drag ends without its click: no context menu.
void endRightDrag() {
    if (appState.dragMode < 2) return;
    onViewRightButtonUp();
}

// One button held, the other pressed: the pending drag ends and the chord's binding runs.
void runChord(POINT point) {
    endLeftDrag();
    endRightDrag();
    mouseBinding(kMouseSlotChord, point);
}

// The cursor the view set last is forgotten when the pointer leaves: an edit field or the panel shows
// its own, and coming back over a zone must set the zone's cursor again.
void trackLeave(HWND view) {
    if (appState.viewState.leaveTracked) return;
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, view, 0};
    appState.viewState.leaveTracked = TrackMouseEvent(&track) != FALSE;
}

void onViewMouseLeave() {
    appState.viewState.leaveTracked = false;
    appState.viewState.geometry.currentCursorId = kForeignCursorId;
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
    if (appState.dragMode != 0 || buttonsOf(keys) != MK_LBUTTON) return;
    if (appState.frame) SetFocus(appState.frame);
    if (appState.cropMode && onCropLeftDown(point.x, point.y)) return;
    appState.dragMode = 1;
    SetCapture(appState.view);
}

void onViewLeftUp() { endLeftDrag(); }

void onViewRightDown(WPARAM keys, POINT point) {
    if (appState.dragMode == 1 && bothButtonsOnly(keys)) {
        runChord(point);
        return;
    }
    onViewRightButtonDown(point.x, point.y, uint32_t(keys));
}

void onViewCaptureChanged(HWND newOwner) {
    if (newOwner == appState.view) return;
    endLeftDrag();
    endRightDrag();
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
    case WM_MOUSEMOVE:
        trackLeave(window);
        onViewMouseMove(point.x, point.y);
        return 0;
    case WM_MOUSELEAVE: onViewMouseLeave(); return 0;
    case WM_LBUTTONDOWN: onViewLeftDown(wParam, point); return 0;
    case WM_LBUTTONUP: onViewLeftUp(); return 0;
    case WM_CAPTURECHANGED: onViewCaptureChanged(reinterpret_cast<HWND>(lParam)); return 0;
    case WM_RBUTTONDOWN: onViewRightDown(wParam, point); return 0;
    case WM_RBUTTONUP:
        if (onViewRightButtonUp()) break;  // a plain click: default processing raises WM_CONTEXTMENU
        return 0;
    case WM_MBUTTONDOWN: middleOrExtraButton(message, wParam, point); return 0;
    case WM_XBUTTONDOWN: middleOrExtraButton(message, wParam, point); return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
