#include "view/ViewGeometry.h"

#include <cmath>

#include "shell/CommandIds.h"

namespace {

int32_t clampTo(int32_t v, int32_t low, int32_t high) { return v < low ? low : (v > high ? high : v); }
double clampZoom(double zoom) { return zoom < kMinZoom ? kMinZoom : (zoom > kMaxZoom ? kMaxZoom : zoom); }

// One axis of layoutView.
void layoutAxis(int32_t view, int32_t zoomed, int32_t image, double zoom, int32_t* dst, int32_t* dstSize,
                int32_t* src, int32_t* srcSize, int32_t* centre) {
    if (view < zoomed) {
        *dstSize = view;
        *dst = 0;
        // Never more than the picture: a view narrower than one zoomed pixel would otherwise round past it.
        int32_t size = static_cast<int32_t>(view / zoom + 0.5);
        *srcSize = clampTo(size, 0, image);
        int32_t start = *centre - (*srcSize >> 1);
        if (start < 0) start = 0;
        if (start > image - *srcSize) start = image - *srcSize;
        *src = start;
    } else {
        *srcSize = image;
        *src = 0;
        *dstSize = zoomed;
        *dst = (view - zoomed) >> 1;
    }
    *centre = *src + (*srcSize >> 1);
}

int32_t toImage(int32_t v, int32_t dst, int32_t dstSize, int32_t src, int32_t srcSize, int32_t image, int32_t bias) {
    if (dstSize == 0 || image <= 0) return 0;
    double scaled = (static_cast<double>(v - dst) * srcSize - bias) / dstSize;
    return clampTo(roundHalfAway(scaled) + src, 0, image - 1);
}

int32_t toView(int32_t pixel, int32_t edge, int32_t dst, int32_t dstSize, int32_t src, int32_t srcSize) {
    if (srcSize == 0) return 0;
    return dst + roundHalfAway(static_cast<double>(pixel + edge - src) * dstSize / srcSize) - edge;
}

}  // namespace

int32_t zoomedExtent(int32_t extent, double zoom) {
    int32_t size = static_cast<int32_t>(extent * zoom + 0.5);
    return size < 1 ? 1 : size;
}

void recomputeZoomedSize(ViewGeometry* geometry) {
    geometry->zoomedW = zoomedExtent(geometry->imageW, geometry->zoomFactor);
    geometry->zoomedH = zoomedExtent(geometry->imageH, geometry->zoomFactor);
}

void layoutView(ViewGeometry* geometry) {
    ViewGeometry& g = *geometry;
    if (g.imageW <= 0 || g.imageH <= 0) {
        g.dstX = g.dstY = g.dstW = g.dstH = 0;
        g.srcX = g.srcY = g.srcW = g.srcH = 0;
        return;
    }
    layoutAxis(g.viewW, g.zoomedW, g.imageW, g.zoomFactor, &g.dstX, &g.dstW, &g.srcX, &g.srcW, &g.centreX);
    layoutAxis(g.viewH, g.zoomedH, g.imageH, g.zoomFactor, &g.dstY, &g.dstH, &g.srcY, &g.srcH, &g.centreY);
}

// Each bar takes room from the other axis, so a bar can become necessary only because the other one is
// shown; the conditions are evaluated in this order.
void placeScrollBars(ViewGeometry* geometry, int32_t verticalBarWidth, int32_t horizontalBarHeight) {
    ViewGeometry& g = *geometry;
    bool horizontal = false, vertical = false;
    if (g.imageW > 0 && g.imageH > 0) {
        if (g.zoomedW > g.clientW && g.zoomedH > g.clientH - horizontalBarHeight) {
            horizontal = vertical = true;
        } else if (g.zoomedW > g.clientW) {
            horizontal = true;
        } else if (g.zoomedW > g.clientW - verticalBarWidth && g.zoomedH > g.clientH) {
            horizontal = vertical = true;
        } else if (g.zoomedW > g.clientW - verticalBarWidth) {
            // Fits the full width; no vertical bar needed, so none takes the room.
        } else if (g.zoomedH > g.clientH) {
            vertical = true;
        }
    }
    // Above 100 % the source extent can round up to the whole picture while the zoomed extent still exceeds
    // the view by less than a zoomed pixel. Such a bar would have nothing to scroll, and the system hides a
    // bar whose page covers its range: keeping its room would leave an unpainted strip. Dropping a bar only
    // widens the other axis, so this ends.
    const int32_t centreX = g.centreX, centreY = g.centreY;
    for (;;) {
        g.viewW = g.clientW - (vertical ? verticalBarWidth : 0);
        g.viewH = g.clientH - (horizontal ? horizontalBarHeight : 0);
        if (g.viewW < 0) g.viewW = 0;
        if (g.viewH < 0) g.viewH = 0;
        g.centreX = centreX;
        g.centreY = centreY;
        layoutView(geometry);
        const bool idleHorizontal = horizontal && g.srcW >= g.imageW;
        const bool idleVertical = vertical && g.srcH >= g.imageH;
        if (!idleHorizontal && !idleVertical) break;
        if (idleHorizontal) horizontal = false;
        if (idleVertical) vertical = false;
    }
    g.horizontalBar = horizontal;
    g.verticalBar = vertical;
}

int32_t scrollLimitX(const ViewGeometry* geometry) {
    int32_t limit = geometry->imageW - geometry->srcW;
    return limit > 0 ? limit : 0;
}

int32_t scrollLimitY(const ViewGeometry* geometry) {
    int32_t limit = geometry->imageH - geometry->srcH;
    return limit > 0 ? limit : 0;
}

void scrollGeometryBy(ViewGeometry* geometry, int32_t dx, int32_t dy) {
    ViewGeometry& g = *geometry;
    g.srcX = clampTo(g.srcX + dx, 0, scrollLimitX(geometry));
    g.srcY = clampTo(g.srcY + dy, 0, scrollLimitY(geometry));
    g.centreX = g.srcX + (g.srcW >> 1);
    g.centreY = g.srcY + (g.srcH >> 1);
}

int32_t scrollRequestDelta(ScrollRequest request, const ScrollBarState& bar) {
    switch (request) {
    case ScrollRequest::lineBack: return -kScrollLineStep;
    case ScrollRequest::lineForward: return kScrollLineStep;
    case ScrollRequest::pageBack: return -bar.page;
    case ScrollRequest::pageForward: return bar.page;
    case ScrollRequest::thumbTrack: return bar.trackPosition - bar.position;
    case ScrollRequest::toStart: return -bar.position;
    case ScrollRequest::toEnd: return bar.maximum - bar.position;
    case ScrollRequest::other: return 0;
    }
    return 0;
}

double zoomInStep(double zoom) {
    if (zoom == kMaxZoom) return zoom;
    double next = zoom + kZoomStep;
    return next > kMaxZoom ? kMaxZoom : next;
}

double zoomOutStep(double zoom) {
    if (zoom == kMinZoom) return zoom;
    double next = zoom - kZoomStep;
    return next < kMinZoom ? kMinZoom : next;
}

// Uses the client size without scroll bars, so a fitted picture never needs one.
double fitZoomFor(const ViewGeometry* geometry) {
    double byWidth = static_cast<double>(geometry->clientW) / (geometry->imageW > 1 ? geometry->imageW : 1);
    double byHeight = static_cast<double>(geometry->clientH) / (geometry->imageH > 1 ? geometry->imageH : 1);
    return clampZoom(byWidth < byHeight ? byWidth : byHeight);
}

int32_t zoomPercent(double zoom) { return static_cast<int32_t>(zoom * 100 + 0.5); }

void applyZoom(ViewGeometry* geometry, double zoom) {
    geometry->zoomFactor = clampZoom(zoom);
    recomputeZoomedSize(geometry);
}

bool zoomTargetForCommand(int command, double zoom, double* target) {
    switch (command) {
    case CMD_ZOOM_100: *target = 1.0; return true;
    case CMD_ZOOM_TOGGLE:
        if (zoom == 1.0) return false;
        *target = 1.0;
        return true;
    case CMD_ZOOM_IN: *target = zoomInStep(zoom); return true;
    case CMD_ZOOM_OUT: *target = zoomOutStep(zoom); return true;
    }
    return false;
}

void recentreForZoomAbout(ViewGeometry* geometry, int32_t x, int32_t y, double newZoom) {
    ViewGeometry& g = *geometry;
    if (g.imageW <= 0 || g.imageH <= 0 || newZoom <= 0) return;
    double ratio = g.zoomFactor / newZoom;
    double px = viewToImageX(geometry, x, centreBiasX(geometry));
    double py = viewToImageY(geometry, y, centreBiasY(geometry));
    g.centreX = static_cast<int32_t>(px - (px - g.centreX) * ratio + 0.5);
    g.centreY = static_cast<int32_t>(py - (py - g.centreY) * ratio + 0.5);
}

int32_t zoomLabelPosition(double zoom) {
    double share = (zoom - kMinZoom) / (kMaxZoom - kMinZoom);
    if (share < 0) share = 0;
    return static_cast<int32_t>(std::sqrt(share) * 500 + 0.5);
}

double zoomForLabelPosition(int32_t position) {
    double share = clampTo(position, 0, 500) / 500.0;
    return clampZoom(share * share * (kMaxZoom - kMinZoom) + kMinZoom);
}

void resetGeometryForImage(ViewGeometry* geometry, int32_t imageW, int32_t imageH) {
    ViewGeometry& g = *geometry;
    g.imageW = imageW;
    g.imageH = imageH;
    g.zoomFactor = 1.0;
    recomputeZoomedSize(geometry);
    if (g.clientW < g.zoomedW || g.clientH < g.zoomedH) applyZoom(geometry, fitZoomFor(geometry));
    g.centreX = imageW >> 1;
    g.centreY = imageH >> 1;
}

void clearGeometryImage(ViewGeometry* geometry) {
    geometry->imageW = geometry->imageH = 0;
    geometry->centreX = geometry->centreY = 0;
    recomputeZoomedSize(geometry);
}

void resizeGeometry(ViewGeometry* geometry, int32_t clientW, int32_t clientH) {
    geometry->clientW = clientW > 0 ? clientW : 0;
    geometry->clientH = clientH > 0 ? clientH : 0;
    geometry->viewW = geometry->clientW;
    geometry->viewH = geometry->clientH;
    if (geometry->imageW > 0) recomputeZoomedSize(geometry);
}

int32_t centreBiasX(const ViewGeometry* geometry) { return (geometry->dstW - geometry->srcW) / 2; }
int32_t centreBiasY(const ViewGeometry* geometry) { return (geometry->dstH - geometry->srcH) / 2; }

int32_t viewToImageX(const ViewGeometry* g, int32_t x, int32_t bias) {
    return toImage(x, g->dstX, g->dstW, g->srcX, g->srcW, g->imageW, bias);
}

int32_t viewToImageY(const ViewGeometry* g, int32_t y, int32_t bias) {
    return toImage(y, g->dstY, g->dstH, g->srcY, g->srcH, g->imageH, bias);
}

int32_t imageToViewX(const ViewGeometry* g, int32_t column, int32_t edge) {
    return toView(column, edge, g->dstX, g->dstW, g->srcX, g->srcW);
}

int32_t imageToViewY(const ViewGeometry* g, int32_t row, int32_t edge) {
    return toView(row, edge, g->dstY, g->dstH, g->srcY, g->srcH);
}

ScreenRect cropScreenRectFor(const ViewGeometry* geometry, const CropRect& rect) {
    ScreenRect screen;
    screen.left = imageToViewX(geometry, rect.left, 0);
    screen.top = imageToViewY(geometry, rect.top, 0);
    screen.right = imageToViewX(geometry, rect.right, 1);
    screen.bottom = imageToViewY(geometry, rect.bottom, 1);
    return screen;
}

int panCursorId(const ViewGeometry* geometry) {
    int32_t mx = geometry->imageW - geometry->srcW;
    int32_t my = geometry->imageH - geometry->srcH;
    int32_t x = geometry->srcX, y = geometry->srcY;
    // Rows of the table: at the top, at the bottom, in between.
    auto byRow = [&](int atTop, int atBottom, int between) { return y <= 0 ? atTop : (y == my ? atBottom : between); };
    if (mx <= 0) return byRow(110, 111, 114);
    if (my <= 0) return x <= 0 ? 113 : (x == mx ? 112 : 119);
    if (x <= 0) return byRow(116, 118, 121);
    if (x == mx) return byRow(115, 117, 120);
    return byRow(122, 123, 124);
}
