#pragma once
// The image view's behaviour: zoom, scroll, right-button panning and painting of the displayed picture,
// with the crop mode's shaded copy and outline. The shell's view window procedure, frame and dispatcher
// call these (ImageView_win.cpp); they act on the process-wide AppState, whose `viewState` is declared
// here so that portable code can include AppState.h. The zoom itself is AppState's `zoomFactor`; the
// geometry keeps a copy that every entry point brings up to date first.

#include <cstdint>

#include "view/ViewGeometry.h"

struct HDC__;
struct HWND__;

struct ViewState {
    ViewGeometry geometry;
    // Paints the crop outline over the picture in crop mode while no drag is on; set by the crop editing.
    void (*overlayPainter)(HDC__* dc) = nullptr;
    // Draws the crop editing's live XOR figure (crosshair, band, dragged outline) again over a repainted
    // part, so that the screen keeps matching what the editing will remove next.
    void (*livePainter)(HDC__* dc) = nullptr;
    bool leaveTracked = false;  // the view is told when the pointer leaves it
};

// Geometry and scroll bars.
void updateScrollBars();
void scrollViewBy(int32_t dx, int32_t dy);
// WM_HSCROLL / WM_VSCROLL: `bar` is SB_HORZ or SB_VERT, `code` the low word of wParam.
void onViewScroll(int bar, int code);
// CropScreenRect from the crop rectangle (crop mode only).
void refreshCropScreenRect();

// Zoom. fitZoom only computes the fitted zoom into zoomFactor; setZoom sets it and refreshes the view,
// its scroll bars and the zoom edit.
void setZoom(double zoom);
void fitZoom();
// Commands 5200, 5210, 5220, 5230 and 5231; nothing without a picture.
void runZoomCommand(int command);
// Run before the command of mouse-binding `slot` is dispatched, with the pointer in view pixels: the
// picture point under the pointer stays under it once the command has zoomed.
void zoomAboutPoint(int slot, int32_t x, int32_t y);

// After every load and accepted crop: actual size when the picture fits, else fitted; centred.
void resetViewForNewImage();
// The view window was resized. The window is measured here (outer size less its edge): its client
// rectangle excludes the scroll bars it shows, and the geometry needs the size without them. The
// arguments are used only while the view window does not exist.
void onViewResize(int32_t clientW, int32_t clientH);
void viewInnerSize(int32_t* width, int32_t* height);

// Shows cursor resource `id` (0: the arrow; kNoEntryCursorId: the system's no-entry cursor) unless it is
// the one the view set last.
void setViewCursor(int id);

// Right-button panning. `keys` is the MK_ flags of the message. A right press before the first crop
// rectangle is committed dispatches command 5501 instead. The button chord is the caller's.
void onViewRightButtonDown(int32_t x, int32_t y, uint32_t keys);
void onViewPendingDragMove(int32_t x, int32_t y);  // WM_MOUSEMOVE with dragMode 2
void onViewPanMove(int32_t x, int32_t y);          // WM_MOUSEMOVE with dragMode 3
// True for a plain right click outside crop mode: the caller passes the message on for the context menu.
bool onViewRightButtonUp();

void paintImageView(HWND__* window);

// Crop mode: rebuild the shaded copy from the rectangle and repaint (a rectangle at rest), and the same
// after a shading command, which also rebuilds the table (only with a committed rectangle).
void showShadedDisplay();
void applyShadingChange(int maskShading);
