#pragma once
// The mapping between view pixels and image pixels: zoom, the part of the picture that is drawn and where,
// the scroll positions and their limits, and the conversions the crop editing relies on. Plain arithmetic;
// ImageView_win.cpp applies it to the window.

#include <cstdint>

#include "view/CropRect.h"

constexpr double kMinZoom = 0.01;
constexpr double kMaxZoom = 16.0;
constexpr double kZoomStep = 0.1;
constexpr int32_t kScrollLineStep = 20;  // image pixels per scroll-bar arrow click
// The system's no-entry cursor in `currentCursorId`: never one of the program's cursor resources.
constexpr int kNoEntryCursorId = -1;
// In `currentCursorId` once the pointer has left the view: what shows was set by another window, so the
// next request sets its cursor whatever it is.
constexpr int kForeignCursorId = -2;

struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct ViewGeometry {
    int32_t imageW = 0;  // the displayed picture; 0 when none is loaded
    int32_t imageH = 0;
    int32_t clientW = 0;  // the view's inner size without scroll bars
    int32_t clientH = 0;
    int32_t viewW = 0;  // less the scroll bars shown
    int32_t viewH = 0;
    double zoomFactor = 1.0;
    int32_t zoomedW = 1;
    int32_t zoomedH = 1;
    int32_t dstX = 0, dstY = 0, dstW = 0, dstH = 0;  // view pixels the bitmap is drawn to
    int32_t srcX = 0, srcY = 0, srcW = 0, srcH = 0;  // image pixels drawn; srcX, srcY are the scroll positions
    int32_t centreX = 0, centreY = 0;                // image point kept in the middle of the view
    bool horizontalBar = false;
    bool verticalBar = false;
    ScreenRect cropScreenRect;  // the crop outline in view pixels, inclusive
    int32_t panAnchorX = 0, panAnchorY = 0;
    int currentCursorId = 0;  // the cursor resource the view set last; 0 = the arrow
};

// Sizes computed from the zoom are rounded half up and at least 1.
int32_t zoomedExtent(int32_t extent, double zoom);
void recomputeZoomedSize(ViewGeometry* geometry);

void layoutView(ViewGeometry* geometry);
// Decides which bars are shown, sets viewW/H and lays the view out. Bar thicknesses in view pixels.
void placeScrollBars(ViewGeometry* geometry, int32_t verticalBarWidth, int32_t horizontalBarHeight);

// Largest scroll positions (0 when the whole extent is drawn).
int32_t scrollLimitX(const ViewGeometry* geometry);
int32_t scrollLimitY(const ViewGeometry* geometry);
// Moves the scroll positions by image pixels within their limits and recentres.
void scrollGeometryBy(ViewGeometry* geometry, int32_t dx, int32_t dy);

enum class ScrollRequest { lineBack, lineForward, pageBack, pageForward, thumbTrack, toStart, toEnd, other };
struct ScrollBarState {
    int32_t maximum = 0;
    int32_t page = 0;
    int32_t position = 0;
    int32_t trackPosition = 0;
};
// The delta a scroll-bar request asks for on that bar's axis; 0 for requests that are ignored.
int32_t scrollRequestDelta(ScrollRequest request, const ScrollBarState& bar);

// Zoom arithmetic. Steps add to the current value, so 1 - 0.1 × 9 gives 0.1 and the next step 0.01.
double zoomInStep(double zoom);
double zoomOutStep(double zoom);
double fitZoomFor(const ViewGeometry* geometry);
int32_t zoomPercent(double zoom);  // what the zoom edit shows
// Sets the zoom (limited to 0.01..16) and the zoomed size; the caller refreshes.
void applyZoom(ViewGeometry* geometry, double zoom);
// The zoom a mouse-binding command aims at, when it zooms about the pointer. False for every other
// command and for the fit/100 % toggle at exactly 100 % (which then fits about the centre).
bool zoomTargetForCommand(int command, double zoom, double* target);
// Moves the centre so that the image point under (x, y) stays under it once the new zoom is laid out.
void recentreForZoomAbout(ViewGeometry* geometry, int32_t x, int32_t y, double newZoom);

// The zoom label's drag: 500 pixels of travel cover 0.01..16 on a quadratic scale.
int32_t zoomLabelPosition(double zoom);
double zoomForLabelPosition(int32_t position);

// A new picture (also after an accepted crop): actual size when it fits the client, else fitted.
void resetGeometryForImage(ViewGeometry* geometry, int32_t imageW, int32_t imageH);
void clearGeometryImage(ViewGeometry* geometry);
// The view window's new inner size; the zoom stays.
void resizeGeometry(ViewGeometry* geometry, int32_t clientW, int32_t clientH);

// Centre bias for a point such as the band corners and the move anchor.
int32_t centreBiasX(const ViewGeometry* geometry);
int32_t centreBiasY(const ViewGeometry* geometry);
int32_t viewToImageX(const ViewGeometry* geometry, int32_t x, int32_t bias);
int32_t viewToImageY(const ViewGeometry* geometry, int32_t y, int32_t bias);
// edge 0: the left (top) edge of the pixel, 1: its right (bottom) edge.
int32_t imageToViewX(const ViewGeometry* geometry, int32_t column, int32_t edge);
int32_t imageToViewY(const ViewGeometry* geometry, int32_t row, int32_t edge);
ScreenRect cropScreenRectFor(const ViewGeometry* geometry, const CropRect& rect);

// The pan cursor (resources 110–124) whose arrows show where the picture can still be dragged.
int panCursorId(const ViewGeometry* geometry);
