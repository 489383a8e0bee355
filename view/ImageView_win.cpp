// The Win32 side of the image view: applies the view geometry to the window's scroll bars, cursor and
// painting, and turns scroll-bar, right-button and zoom requests into geometry changes.
#include "view/ImageView.h"

#include <cstdlib>

#include "common/WinHeaders.h"
#include "engine/DecodedImage.h"
#include "settings/LanguageModule.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "view/CropDisplay.h"
#include "view/CropEditor.h"

// The shell's (shell/Dispatch.h, shell/Toolbars.h): the dispatcher, and the zoom edit of toolbar 1, which
// shows the percentage unless the user is typing it.
void dispatchCommand(uint32_t value);
void showZoomPercent();

namespace {

constexpr int32_t kPanThreshold = 8;  // view pixels of travel (at 96 DPI) before a right press becomes a pan
constexpr COLORREF kFailedTextColour = RGB(0, 0, 0);

ViewGeometry& geometry() { return appState.viewState.geometry; }

bool pictureShown() { return appState.imageLoaded && appState.picture && appState.picture->pixels; }

// A new picture (a load, an accepted crop) can be painted before resetViewForNewImage has laid it out:
// moving the view repaints at once. The old layout's source rectangle may lie outside the new bitmap.
bool layoutMatchesPicture() {
    const ViewGeometry& g = geometry();
    return pictureShown() && g.imageW > 0 && g.imageW == static_cast<int32_t>(imageWidth(appState.picture)) &&
           g.imageH == static_cast<int32_t>(imageHeight(appState.picture));
}

// The zoom is the shell's zoomFactor, which the zoom label and the dispatcher may have changed.
void syncZoom() {
    ViewGeometry& g = geometry();
    if (g.zoomFactor == appState.zoomFactor) return;
    g.zoomFactor = appState.zoomFactor;
    if (g.imageW > 0) recomputeZoomedSize(&g);
}

void repaintNow() {
    if (!appState.view) return;
    InvalidateRect(appState.view, nullptr, FALSE);
    UpdateWindow(appState.view);
}

// A hidden bar gets the range 0..0, which hides it.
void setBar(int bar, bool shown, int32_t maximum, int32_t page, int32_t position) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (shown) {
        info.nMax = maximum;
        info.nPage = static_cast<UINT>(page);
        info.nPos = position;
    }
    SetScrollInfo(appState.view, bar, &info, TRUE);
}

// The system hides a bar whose page covers its range; the geometry shows a bar only with something to
// scroll, so the window's client area always matches viewW × viewH.
void setBars() {
    if (!appState.view) return;
    const ViewGeometry& g = geometry();
    setBar(SB_HORZ, g.horizontalBar, g.imageW - 1, g.srcW, g.srcX);
    setBar(SB_VERT, g.verticalBar, g.imageH - 1, g.srcH, g.srcY);
}

ScrollRequest scrollRequestOf(int code) {
    switch (code) {
    case SB_LINEUP: return ScrollRequest::lineBack;  // also SB_LINELEFT
    case SB_LINEDOWN: return ScrollRequest::lineForward;
    case SB_PAGEUP: return ScrollRequest::pageBack;
    case SB_PAGEDOWN: return ScrollRequest::pageForward;
    case SB_THUMBTRACK: return ScrollRequest::thumbTrack;
    case SB_TOP: return ScrollRequest::toStart;
    case SB_BOTTOM: return ScrollRequest::toEnd;
    }
    return ScrollRequest::other;  // thumb position, end scroll
}

uint32_t mouseButtonsOf(uint32_t keys) {
    return keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2);
}

void fillRect(HDC dc, HBRUSH brush, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    RECT rect = {left, top, right, bottom};
    FillRect(dc, &rect, brush);
}

void paintEmpty(HDC dc, HWND window, HBRUSH brush) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, brush);
    if (!appState.loadFailed) return;
    // Read at every paint: the options dialog can switch the language module meanwhile. A file that is
    // no readable JPEG says so; the memory text stays for memory, and for modules without the other.
    TextBuffer text;
    const bool unreadable = !appState.loadOutOfMemory && loadText(TXT_ERROR_CANNOT_READ, &text) && text.length != 0;
    if (!unreadable && (!loadText(TXT_ERROR_NO_DISPLAY_MEMORY, &text) || text.length == 0)) return;
    SetTextColor(dc, kFailedTextColour);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = appState.uiFont ? SelectObject(dc, appState.uiFont) : nullptr;
    const ViewGeometry& g = geometry();
    RECT line = {0, (g.viewH - appState.metrics.lineHeight) / 2, g.viewW, g.viewH};
    DrawTextW(dc, asWide(textChars(&text)), static_cast<int>(text.length), &line,
              DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    if (oldFont) SelectObject(dc, oldFont);
}

void paintPicture(HDC dc, HBRUSH brush) {
    const ViewGeometry& g = geometry();
    if (g.viewW > g.zoomedW) {
        fillRect(dc, brush, 0, 0, g.dstX, g.viewH);
        fillRect(dc, brush, g.dstX + g.dstW, 0, g.viewW, g.viewH);
    }
    if (g.viewH > g.zoomedH) {
        fillRect(dc, brush, g.dstX, 0, g.dstX + g.dstW, g.dstY);
        fillRect(dc, brush, g.dstX, g.dstY + g.dstH, g.dstX + g.dstW, g.viewH);
    }
    // Halftone is smooth but slow; panning and zoom-label drags at reduced zoom use the fast mode.
    if (appState.dragMode == 3 || (g.zoomedW >= g.imageW && g.zoomedH >= g.imageH)) {
        SetStretchBltMode(dc, COLORONCOLOR);
    } else {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
    }
    const DecodedImage* picture = appState.picture;
    // Rows are stored bottom-up, so the source rectangle's y counts from the bottom.
    StretchDIBits(dc, g.dstX, g.dstY, g.dstW, g.dstH, g.srcX, g.imageH - g.srcY - g.srcH, g.srcW, g.srcH,
                  picture->pixels, reinterpret_cast<const BITMAPINFO*>(&picture->header), DIB_RGB_COLORS, SRCCOPY);
    if (appState.cropMode && appState.viewState.livePainter) appState.viewState.livePainter(dc);
    if (appState.cropMode && appState.dragMode == 0 && appState.viewState.overlayPainter) {
        appState.viewState.overlayPainter(dc);
    }
}

}  // namespace

void viewInnerSize(int32_t* width, int32_t* height) {
    *width = *height = 0;
    if (!appState.view) return;
    RECT client;
    GetClientRect(appState.view, &client);
    // The client rectangle already lacks the bars the view shows; their style bits say which.
    LONG_PTR style = GetWindowLongPtrW(appState.view, GWL_STYLE);
    *width = client.right + ((style & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    *height = client.bottom + ((style & WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0);
}

// The horizontal bar's height is SM_CYHSCROLL (SM_CXHSCROLL is the width of its arrow buttons; the two are
// equal in the default metrics but need not be).
void updateScrollBars() {
    if (!appState.view) return;
    syncZoom();
    placeScrollBars(&geometry(), GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL));
    setBars();
}

// The id is always what is shown, the system's no-entry cursor included: a later request for the cursor
// that was there before must load it again.
void setViewCursor(int id) {
    ViewGeometry& g = geometry();
    if (id == g.currentCursorId) return;
    HCURSOR cursor = id == kNoEntryCursorId ? LoadCursorW(nullptr, IDC_NO)
                     : id == 0              ? LoadCursorW(nullptr, IDC_ARROW)
                                            : LoadCursorW(appState.instance, MAKEINTRESOURCEW(id));
    if (cursor) SetCursor(cursor);
    g.currentCursorId = id;
}

void scrollViewBy(int32_t dx, int32_t dy) {
    if (!pictureShown()) return;
    syncZoom();
    ViewGeometry& g = geometry();
    scrollGeometryBy(&g, dx, dy);
    if (appState.dragMode == 3) setViewCursor(panCursorId(&g));
    if (appState.cropMode) refreshCropScreenRect();
    repaintNow();
    setBars();
}

void onViewScroll(int bar, int code) {
    if (!pictureShown() || !appState.view) return;
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(appState.view, bar, &info)) return;
    ScrollBarState state;
    state.maximum = info.nMax;
    state.page = static_cast<int32_t>(info.nPage);
    state.position = info.nPos;
    state.trackPosition = info.nTrackPos;
    int32_t delta = scrollRequestDelta(scrollRequestOf(code), state);
    const ViewGeometry& g = geometry();
    bool horizontal = bar == SB_HORZ;
    int32_t current = horizontal ? g.srcX : g.srcY;
    int32_t limit = horizontal ? scrollLimitX(&g) : scrollLimitY(&g);
    int32_t target = current + delta;
    if (target < 0) target = 0;
    if (target > limit) target = limit;
    if (target == current) return;
    if (horizontal) {
        scrollViewBy(delta, 0);
    } else {
        scrollViewBy(0, delta);
    }
}

void refreshCropScreenRect() {
    if (!appState.cropMode || !appState.cropEditor) return;
    geometry().cropScreenRect = cropScreenRectFor(&geometry(), appState.cropEditor->rect);
}

void setZoom(double zoom) {
    syncZoom();
    applyZoom(&geometry(), zoom);
    appState.zoomFactor = geometry().zoomFactor;
    updateScrollBars();
    if (appState.cropMode) refreshCropScreenRect();
    repaintNow();
    showZoomPercent();
}

void fitZoom() {
    syncZoom();
    applyZoom(&geometry(), fitZoomFor(&geometry()));
    appState.zoomFactor = geometry().zoomFactor;
}

void runZoomCommand(int command) {
    if (!pictureShown()) return;
    syncZoom();
    double zoom = appState.zoomFactor;
    switch (command) {
    case CMD_ZOOM_FIT:
        fitZoom();
        setZoom(appState.zoomFactor);
        break;
    case CMD_ZOOM_100: setZoom(1.0); break;
    case CMD_ZOOM_TOGGLE:
        if (zoom != 1.0) {
            setZoom(1.0);
        } else {
            fitZoom();
            setZoom(appState.zoomFactor);
        }
        break;
    case CMD_ZOOM_IN:
        if (zoom != kMaxZoom) setZoom(zoomInStep(zoom));
        break;
    case CMD_ZOOM_OUT:
        if (zoom != kMinZoom) setZoom(zoomOutStep(zoom));
        break;
    }
}

void zoomAboutPoint(int slot, int32_t x, int32_t y) {
    if (!pictureShown() || slot < 0 || slot >= kMouseBindingSlots) return;
    syncZoom();
    int command = gSettings.mouseBindings.slots[slot] & 0xFFFF;
    double target;
    if (!zoomTargetForCommand(command, appState.zoomFactor, &target)) return;
    recentreForZoomAbout(&geometry(), x, y, target);
}

void resetViewForNewImage() {
    ViewGeometry& g = geometry();
    int32_t width, height;
    viewInnerSize(&width, &height);
    resizeGeometry(&g, width, height);
    if (pictureShown()) {
        resetGeometryForImage(&g, static_cast<int32_t>(imageWidth(appState.picture)),
                              static_cast<int32_t>(imageHeight(appState.picture)));
    } else {
        clearGeometryImage(&g);
    }
    appState.zoomFactor = g.zoomFactor;
    updateScrollBars();
    if (appState.cropMode) refreshCropScreenRect();
    repaintNow();
    showZoomPercent();
}

void onViewResize(int32_t clientW, int32_t clientH) {
    if (appState.view) viewInnerSize(&clientW, &clientH);
    syncZoom();
    resizeGeometry(&geometry(), clientW, clientH);
    updateScrollBars();
    if (appState.cropMode) refreshCropScreenRect();
    repaintNow();
}

void onViewRightButtonDown(int32_t x, int32_t y, uint32_t keys) {
    if (appState.dragMode != 0 || mouseButtonsOf(keys) != MK_RBUTTON) return;
    if (appState.frame) SetFocus(appState.frame);
    appState.dragMode = 2;
    if (appState.cropMode && appState.cropState != 3) {
        // No rectangle yet: the right button leaves crop mode.
        appState.dragMode = 0;
        dispatchCommand(CMD_CROP_CANCEL);
        return;
    }
    if (appState.cropMode) repaintNow();  // paint leaves the outline out while the button is down
    if (appState.view) SetCapture(appState.view);
    geometry().panAnchorX = x;
    geometry().panAnchorY = y;
}

void onViewPendingDragMove(int32_t x, int32_t y) {
    if (appState.dragMode != 2) return;
    ViewGeometry& g = geometry();
    if (std::abs(x - g.panAnchorX) + std::abs(y - g.panAnchorY) <= scaled(kPanThreshold)) return;
    syncZoom();
    if (pictureShown() && (g.zoomedW > g.viewW || g.zoomedH > g.viewH)) {
        appState.dragMode = 3;
        g.currentCursorId = 0;
        g.panAnchorX = x;
        g.panAnchorY = y;
        if (g.zoomedW < g.imageW || g.zoomedH < g.imageH) repaintNow();  // switches to the fast stretch mode
    } else {
        appState.dragMode = 4;
        g.currentCursorId = 0;  // the class cursor may have come back since an earlier drag
        setViewCursor(kNoEntryCursorId);
    }
}

// The delta in view pixels is applied as image pixels: the picture follows the hand exactly at 100 %.
void onViewPanMove(int32_t x, int32_t y) {
    if (appState.dragMode != 3) return;
    ViewGeometry& g = geometry();
    int32_t dx = g.panAnchorX - x, dy = g.panAnchorY - y;
    g.panAnchorX = x;
    g.panAnchorY = y;
    scrollViewBy(dx, dy);
}

bool onViewRightButtonUp() {
    switch (appState.dragMode) {
    case 2:
        appState.dragMode = 0;
        ReleaseCapture();
        if (!appState.cropMode) return true;
        repaintNow();  // the outline returns; no menu in crop mode
        return false;
    case 3:
        appState.dragMode = 0;
        ReleaseCapture();
        if (appState.cropMode) refreshCropScreenRect();
        repaintNow();  // the smooth stretch mode returns
        return false;
    case 4:
        appState.dragMode = 0;
        ReleaseCapture();
        repaintNow();
        return false;
    }
    return false;
}

// The view's own invalidations never erase: the margins and the bitmap cover the whole view.
void paintImageView(HWND__* window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    if (layoutMatchesPicture()) {
        paintPicture(dc, brush);
    } else {
        paintEmpty(dc, window, brush);
    }
    EndPaint(window, &paint);
}

void showShadedDisplay() {
    if (!appState.cropMode || !appState.cropEditor) return;
    buildShadedDisplay(appState.cropEditor);
    repaintNow();
}

void applyShadingChange(int maskShading) {
    if (!appState.cropMode || appState.cropState != 3 || !appState.cropEditor) return;
    buildShadeTable(appState.cropEditor->shadeTable, maskShading);
    showShadedDisplay();
}
