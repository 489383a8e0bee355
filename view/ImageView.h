#pragma once
// The image view's behaviour: zoom, scroll, right-button panning and painting of the displayed picture,
// with the crop mode's shaded copy and outline. The shell's view window procedure and dispatcher call these
// (ImageView_win.cpp); they act on the process-wide AppState, whose `viewState` is declared here so that
// portable code can include AppState.h.

#include <cstdint>

#include "common/TextBuffer.h"
#include "view/ViewGeometry.h"

struct HDC__;

struct ViewState {
    ViewGeometry geometry;
    // Paints the crop outline over the picture in crop mode while no drag is on; set by the crop editing.
    void (*overlayPainter)(HDC__* dc) = nullptr;
    TextBuffer failedLoadText;  // string 30003, shown in the empty view after a failed load
};

// What a mouse press in the view asks the caller to do next.
enum class ViewMouseAction {
    none,
    cancelCropMode,  // dispatch command 5501
    buttonChord,     // both buttons pressed together: run the slot-1 binding at the pointer
};

// Geometry and scroll bars.
void updateScrollBars();
void scrollViewBy(int32_t dx, int32_t dy);
// WM_HSCROLL / WM_VSCROLL: `horizontal` for the horizontal bar, `code` the low word of wParam.
void onViewScroll(bool horizontal, int code);
void refreshCropScreenRect();

// Zoom.
void setZoom(double zoom);
void fitZoom();
// Commands 5200, 5210, 5220, 5230 and 5231; nothing without a picture.
void runZoomCommand(int command);
// Before a mouse binding's command is dispatched: moves the centre so that the picture point under the
// pointer (view pixels) stays under it.
void zoomAboutPoint(int command, int32_t x, int32_t y);

// A new picture (after every load and accepted crop), and the view window's new inner size.
void resetViewForNewImage();
void onViewResize(int32_t clientW, int32_t clientH);

// Right-button panning and the two-button chord. `buttons` is the MK_ flags of the message.
ViewMouseAction onViewRightButtonDown(int32_t x, int32_t y, uint32_t buttons);
ViewMouseAction onViewLeftButtonChord(uint32_t buttons);
void onViewPanMove(int32_t x, int32_t y);  // WM_MOUSEMOVE with dragMode 2 or 3
// True for a plain right click outside crop mode: the caller passes the message on for the context menu.
bool onViewRightButtonUp();

void paintImageView();

// Shading commands: in crop mode with a committed rectangle the table and the copy are rebuilt at once.
void applyShadingChange(int maskShading);
