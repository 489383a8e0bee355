#include "view/ViewGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "shell/CommandIds.h"

namespace {

constexpr int32_t kBar = 17;

ViewGeometry shownImage(int32_t imageW, int32_t imageH, int32_t clientW, int32_t clientH) {
    ViewGeometry g;
    resizeGeometry(&g, clientW, clientH);
    resetGeometryForImage(&g, imageW, imageH);
    placeScrollBars(&g, kBar, kBar);
    return g;
}

ViewGeometry atZoom(int32_t imageW, int32_t imageH, int32_t clientW, int32_t clientH, double zoom) {
    ViewGeometry g = shownImage(imageW, imageH, clientW, clientH);
    applyZoom(&g, zoom);
    placeScrollBars(&g, kBar, kBar);
    return g;
}

}  // namespace

TEST(ViewGeometry, SmallPictureIsCentredWithoutBars) {
    ViewGeometry g = shownImage(100, 100, 400, 300);
    EXPECT_EQ(g.zoomFactor, 1.0);
    EXPECT_FALSE(g.horizontalBar);
    EXPECT_FALSE(g.verticalBar);
    EXPECT_EQ(g.dstX, 150);
    EXPECT_EQ(g.dstY, 100);
    EXPECT_EQ(g.dstW, 100);
    EXPECT_EQ(g.dstH, 100);
    EXPECT_EQ(g.srcX, 0);
    EXPECT_EQ(g.srcW, 100);
    EXPECT_EQ(g.centreX, 50);
}

TEST(ViewGeometry, ZoomedSizesRoundHalfUpAndStayPositive) {
    EXPECT_EQ(zoomedExtent(15, 0.1), 2);
    EXPECT_EQ(zoomedExtent(14, 0.1), 1);
    EXPECT_EQ(zoomedExtent(3, 0.1), 1);
    EXPECT_EQ(zoomedExtent(1, 0.01), 1);
    EXPECT_EQ(zoomedExtent(1000, 16), 16000);
}

TEST(ViewGeometry, EachScrollBarCaseOfTheTable) {
    struct Case {
        int32_t zoomedW, zoomedH;
        bool horizontal, vertical;
    } cases[] = {
        {500, 290, true, true},    // wider, and taller than the room the horizontal bar leaves
        {500, 200, true, false},   // wider only
        {400, 600, true, true},    // exactly as wide but taller: the vertical bar makes it too wide
        {390, 300, false, false},  // fits the full width, not taller
        {300, 400, false, true},   // taller only
        {300, 200, false, false},
    };
    for (const Case& c : cases) {
        ViewGeometry g = shownImage(c.zoomedW, c.zoomedH, 10000, 10000);
        resizeGeometry(&g, 400, 300);
        placeScrollBars(&g, kBar, kBar);
        EXPECT_EQ(g.horizontalBar, c.horizontal) << c.zoomedW << "x" << c.zoomedH;
        EXPECT_EQ(g.verticalBar, c.vertical) << c.zoomedW << "x" << c.zoomedH;
        EXPECT_EQ(g.viewW, 400 - (c.vertical ? kBar : 0));
        EXPECT_EQ(g.viewH, 300 - (c.horizontal ? kBar : 0));
        EXPECT_EQ(g.dstW, c.horizontal ? g.viewW : c.zoomedW);
        EXPECT_EQ(g.srcW, c.horizontal ? g.viewW : c.zoomedW);  // zoom 1
    }
}

TEST(ViewGeometry, LargePictureShowsTheViewsWorthAroundTheCentre) {
    ViewGeometry g = atZoom(1000, 800, 400, 300, 2.0);
    EXPECT_TRUE(g.horizontalBar);
    EXPECT_TRUE(g.verticalBar);
    EXPECT_EQ(g.dstX, 0);
    EXPECT_EQ(g.dstW, 383);
    EXPECT_EQ(g.srcW, 192);  // trunc(383 / 2 + 0.5)
    EXPECT_EQ(g.srcX, 500 - 96);
    EXPECT_EQ(g.centreX, 500);
    EXPECT_EQ(g.srcH, 142);  // trunc(283 / 2 + 0.5)
    EXPECT_EQ(g.srcY, 400 - 71);
}

TEST(ViewGeometry, ScrollStepsAndLimits) {
    ViewGeometry g = atZoom(1000, 1000, 400, 300, 1.0);
    ScrollBarState bar;
    bar.maximum = 999;
    bar.page = g.srcW;
    bar.position = g.srcX;
    bar.trackPosition = 250;
    EXPECT_EQ(scrollRequestDelta(ScrollRequest::lineForward, bar), 20);
    EXPECT_EQ(scrollRequestDelta(ScrollRequest::lineBack, bar), -20);
    EXPECT_EQ(scrollRequestDelta(ScrollRequest::pageForward, bar), g.srcW);
    EXPECT_EQ(scrollRequestDelta(ScrollRequest::pageBack, bar), -g.srcW);
    EXPECT_EQ(scrollRequestDelta(ScrollRequest::thumbTrack, bar), 250 - g.srcX);
    EXPECT_EQ(scrollRequestDelta(ScrollRequest::toStart, bar), -g.srcX);
    EXPECT_EQ(scrollRequestDelta(ScrollRequest::toEnd, bar), 999 - g.srcX);
    EXPECT_EQ(scrollRequestDelta(ScrollRequest::other, bar), 0);

    int32_t before = g.srcX;
    scrollGeometryBy(&g, 20, 0);
    EXPECT_EQ(g.srcX, before + 20);
    EXPECT_EQ(g.centreX, g.srcX + (g.srcW >> 1));
    scrollGeometryBy(&g, -100000, 100000);
    EXPECT_EQ(g.srcX, 0);
    EXPECT_EQ(g.srcY, 1000 - g.srcH);
    EXPECT_EQ(scrollLimitY(&g), g.srcY);
    // The scroll position survives a relayout.
    placeScrollBars(&g, kBar, kBar);
    EXPECT_EQ(g.srcX, 0);
    EXPECT_EQ(g.srcY, 1000 - g.srcH);
}

TEST(ViewGeometry, ZoomStepsAddToTheCurrentValue) {
    double zoom = 1.0;
    for (int i = 0; i < 9; i++) zoom = zoomOutStep(zoom);
    EXPECT_NEAR(zoom, 0.1, 1e-9);
    zoom = zoomOutStep(zoom);
    EXPECT_NEAR(zoom, 0.01, 1e-12);
    EXPECT_EQ(zoomOutStep(kMinZoom), kMinZoom);
    EXPECT_NEAR(zoomOutStep(0.15), 0.05, 1e-12);
    EXPECT_EQ(zoomOutStep(0.05), 0.01);
    EXPECT_EQ(zoomInStep(15.95), 16.0);
    EXPECT_EQ(zoomInStep(16.0), 16.0);
    EXPECT_NEAR(zoomInStep(0.01), 0.11, 1e-12);
    EXPECT_NEAR(zoomInStep(zoomInStep(0.01)), 0.21, 1e-12);
    EXPECT_EQ(zoomPercent(0.11), 11);
    EXPECT_EQ(zoomPercent(0.015), 2);
    EXPECT_EQ(zoomPercent(16.0), 1600);
}

TEST(ViewGeometry, FitAndActualSizeToggle) {
    ViewGeometry g = shownImage(1000, 500, 400, 300);  // larger than the client: fitted
    EXPECT_DOUBLE_EQ(g.zoomFactor, 0.4);
    EXPECT_FALSE(g.horizontalBar);
    EXPECT_FALSE(g.verticalBar);
    EXPECT_EQ(g.dstW, 400);
    EXPECT_EQ(g.dstH, 200);
    double target = 0;
    EXPECT_TRUE(zoomTargetForCommand(CMD_ZOOM_TOGGLE, g.zoomFactor, &target));
    EXPECT_EQ(target, 1.0);
    EXPECT_FALSE(zoomTargetForCommand(CMD_ZOOM_TOGGLE, 1.0, &target));
    EXPECT_TRUE(zoomTargetForCommand(CMD_ZOOM_100, 3.0, &target));
    EXPECT_EQ(target, 1.0);
    EXPECT_TRUE(zoomTargetForCommand(CMD_ZOOM_IN, 15.95, &target));
    EXPECT_EQ(target, 16.0);
    EXPECT_FALSE(zoomTargetForCommand(CMD_ZOOM_FIT, 1.0, &target));
    EXPECT_FALSE(zoomTargetForCommand(CMD_OPEN, 1.0, &target));

    ViewGeometry small = shownImage(50, 40, 400, 300);  // never enlarged
    EXPECT_EQ(small.zoomFactor, 1.0);
    EXPECT_DOUBLE_EQ(fitZoomFor(&small), 7.5);
    ViewGeometry tiny = shownImage(1, 1, 400, 300);
    EXPECT_EQ(fitZoomFor(&tiny), kMaxZoom);
    ViewGeometry huge = shownImage(100000, 10, 400, 300);
    EXPECT_EQ(huge.zoomFactor, kMinZoom);
}

TEST(ViewGeometry, ResizeKeepsTheZoom) {
    ViewGeometry g = atZoom(1000, 1000, 400, 300, 0.5);
    resizeGeometry(&g, 800, 700);
    placeScrollBars(&g, kBar, kBar);
    EXPECT_EQ(g.zoomFactor, 0.5);
    EXPECT_FALSE(g.horizontalBar);
    EXPECT_EQ(g.dstW, 500);
    EXPECT_EQ(g.dstX, 150);
}

TEST(ViewGeometry, ConversionsRoundTrip) {
    const double zooms[] = {0.01, 0.13, 0.25, 0.5, 0.77, 1.0, 1.5, 2.0, 3.7, 16.0};
    for (double zoom : zooms) {
        ViewGeometry g = atZoom(1237, 911, 640, 480, zoom);
        scrollGeometryBy(&g, 37, 11);
        if (zoom >= 1.0) {
            // Each visible pixel maps to view pixels and back to itself, from either edge.
            for (int32_t col = g.srcX; col < g.srcX + g.srcW; col++) {
                int32_t left = imageToViewX(&g, col, 0);
                int32_t right = imageToViewX(&g, col, 1);
                ASSERT_EQ(viewToImageX(&g, left, 0), col) << "zoom " << zoom;
                ASSERT_EQ(viewToImageX(&g, right, g.dstW - g.srcW), col) << "zoom " << zoom;
                ASSERT_GE(right, left);
            }
            for (int32_t row = g.srcY; row < g.srcY + g.srcH; row++) {
                ASSERT_EQ(viewToImageY(&g, imageToViewY(&g, row, 0), 0), row) << "zoom " << zoom;
            }
        }
        if (zoom <= 1.0) {
            // Several pixels share a view pixel: the view pixel comes back instead.
            for (int32_t x = g.dstX; x < g.dstX + g.dstW; x++) {
                ASSERT_EQ(imageToViewX(&g, viewToImageX(&g, x, 0), 0), x) << "zoom " << zoom;
            }
            for (int32_t y = g.dstY; y < g.dstY + g.dstH; y++) {
                ASSERT_EQ(imageToViewY(&g, viewToImageY(&g, y, 0), 0), y) << "zoom " << zoom;
            }
        }
        // Points outside the drawn picture are limited to it.
        EXPECT_EQ(viewToImageX(&g, -50000, 0), 0);
        EXPECT_EQ(viewToImageX(&g, 50000, 0), 1236);
        EXPECT_EQ(viewToImageY(&g, 50000, 0), 910);
    }
}

TEST(ViewGeometry, ConversionsWithoutADrawnPictureGiveZero) {
    ViewGeometry g;
    resizeGeometry(&g, 400, 300);
    placeScrollBars(&g, kBar, kBar);
    EXPECT_EQ(viewToImageX(&g, 100, 0), 0);
    EXPECT_EQ(viewToImageY(&g, 100, 0), 0);
    EXPECT_EQ(imageToViewX(&g, 10, 1), 0);
    EXPECT_EQ(imageToViewY(&g, 10, 0), 0);
    EXPECT_FALSE(g.horizontalBar);
    EXPECT_EQ(g.viewW, 400);
}

TEST(ViewGeometry, CropOutlineCoversThePixelsItEncloses) {
    ViewGeometry g = atZoom(200, 100, 800, 600, 2.0);  // drawn at 400 x 200 from (200, 200)
    ScreenRect r = cropScreenRectFor(&g, CropRect{16, 8, 99, 49});
    EXPECT_EQ(r.left, 200 + 32);
    EXPECT_EQ(r.top, 200 + 16);
    EXPECT_EQ(r.right, 200 + 200 - 1);
    EXPECT_EQ(r.bottom, 200 + 100 - 1);
}

TEST(ViewGeometry, PointUnderThePointerStaysPutWhenZooming) {
    const double starts[] = {0.3, 0.5, 1.0, 2.0, 4.0};
    const int32_t points[][2] = {{10, 10}, {600, 150}, {320, 240}, {700, 500}};
    const int commands[] = {CMD_ZOOM_IN, CMD_ZOOM_OUT, CMD_ZOOM_100};
    for (double start : starts) {
        for (const auto& p : points) {
            for (int command : commands) {
                ViewGeometry g = atZoom(20000, 15000, 800, 600, start);
                double target;
                ASSERT_TRUE(zoomTargetForCommand(command, g.zoomFactor, &target));
                int32_t before = viewToImageX(&g, p[0], centreBiasX(&g));
                int32_t beforeY = viewToImageY(&g, p[1], centreBiasY(&g));
                recentreForZoomAbout(&g, p[0], p[1], target);
                applyZoom(&g, target);
                placeScrollBars(&g, kBar, kBar);
                int32_t after = viewToImageX(&g, p[0], centreBiasX(&g));
                int32_t afterY = viewToImageY(&g, p[1], centreBiasY(&g));
                // Within the rounding of the centre and of srcW: a view pixel of the new zoom, plus the old
                // layout's srcW rounding magnified by the zoom ratio.
                double slack = 1.0 / target + 0.5 * start / target + 2.0;
                EXPECT_LE(std::abs(after - before), slack) << start << " -> " << target << " at " << p[0];
                EXPECT_LE(std::abs(afterY - beforeY), slack) << start << " -> " << target << " at " << p[1];
            }
        }
    }
}

TEST(ViewGeometry, PanCursorShowsTheRemainingDirections) {
    ViewGeometry g = atZoom(1000, 1000, 400, 300, 1.0);
    int32_t mx = scrollLimitX(&g), my = scrollLimitY(&g);
    auto cursorAt = [&](int32_t x, int32_t y) {
        g.srcX = x;
        g.srcY = y;
        return panCursorId(&g);
    };
    EXPECT_EQ(cursorAt(0, 0), 116);
    EXPECT_EQ(cursorAt(0, my), 118);
    EXPECT_EQ(cursorAt(0, 5), 121);
    EXPECT_EQ(cursorAt(mx, 0), 115);
    EXPECT_EQ(cursorAt(mx, my), 117);
    EXPECT_EQ(cursorAt(mx, 5), 120);
    EXPECT_EQ(cursorAt(5, 0), 122);
    EXPECT_EQ(cursorAt(5, my), 123);
    EXPECT_EQ(cursorAt(5, 5), 124);

    ViewGeometry tall = atZoom(300, 1000, 400, 300, 1.0);  // no horizontal range
    tall.srcY = 0;
    EXPECT_EQ(panCursorId(&tall), 110);
    tall.srcY = scrollLimitY(&tall);
    EXPECT_EQ(panCursorId(&tall), 111);
    tall.srcY = 3;
    EXPECT_EQ(panCursorId(&tall), 114);

    ViewGeometry wide = atZoom(1000, 200, 400, 300, 1.0);  // no vertical range
    wide.srcX = 0;
    EXPECT_EQ(panCursorId(&wide), 113);
    wide.srcX = scrollLimitX(&wide);
    EXPECT_EQ(panCursorId(&wide), 112);
    wide.srcX = 3;
    EXPECT_EQ(panCursorId(&wide), 119);
}

TEST(ViewGeometry, ZoomLabelDragCoversTheRangeQuadratically) {
    EXPECT_EQ(zoomLabelPosition(kMinZoom), 0);
    EXPECT_EQ(zoomLabelPosition(kMaxZoom), 500);
    EXPECT_EQ(zoomLabelPosition(0.0), 0);
    EXPECT_EQ(zoomForLabelPosition(0), kMinZoom);
    EXPECT_EQ(zoomForLabelPosition(500), kMaxZoom);
    EXPECT_EQ(zoomForLabelPosition(900), kMaxZoom);
    EXPECT_DOUBLE_EQ(zoomForLabelPosition(250), 0.25 * 15.99 + 0.01);
    for (int32_t p = 0; p <= 500; p += 13) EXPECT_EQ(zoomLabelPosition(zoomForLabelPosition(p)), p);
    EXPECT_LT(zoomForLabelPosition(10) - zoomForLabelPosition(9), zoomForLabelPosition(491) - zoomForLabelPosition(490));
}
