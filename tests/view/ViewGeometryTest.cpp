#include "view/ViewGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

// Above 100 % the source extent can round up to the whole picture while the zoomed picture is still wider
// than the view by less than a zoomed pixel. No bar is kept for an axis with nothing to scroll: the system
// would hide it, and the room kept for it would stay unpainted.
TEST(ViewGeometry, NoBarForAnAxisThatShowsTheWholePicture) {
    struct Row {
        int32_t imageW, imageH, clientW, clientH;
        double zoom;
        bool horizontal, vertical;
        int32_t viewW, viewH, srcW, srcH;
    };
    const Row rows[] = {
        // 24 × 16 = 384 exceeds the 383 beside the vertical bar, yet 383 ÷ 16 rounds up to all 24 columns.
        {24, 100, 400, 300, 16.0, false, true, 383, 300, 24, 19},
        // 18 × 16 = 288 exceeds the 283 above the horizontal bar; 283 ÷ 16 rounds up to all 18 rows.
        {100, 18, 400, 300, 16.0, true, false, 400, 283, 25, 18},
        {100, 1000, 266, 300, 2.5, false, true, 249, 300, 100, 120},  // 249 ÷ 2.5 = 99.6
        {100, 1000, 265, 300, 2.5, true, true, 248, 283, 99, 113},    // 248 ÷ 2.5 = 99.2: a column to scroll
        {100, 24, 400, 300, 16.0, true, true, 383, 283, 24, 18},      // 283 ÷ 16 = 17.7: rows to scroll
    };
    for (const Row& row : rows) {
        ViewGeometry g = atZoom(row.imageW, row.imageH, row.clientW, row.clientH, row.zoom);
        std::string where = std::to_string(row.imageW) + "x" + std::to_string(row.imageH) + " in " +
                            std::to_string(row.clientW) + "x" + std::to_string(row.clientH);
        EXPECT_EQ(g.horizontalBar, row.horizontal) << where;
        EXPECT_EQ(g.verticalBar, row.vertical) << where;
        EXPECT_EQ(g.viewW, row.viewW) << where;
        EXPECT_EQ(g.viewH, row.viewH) << where;
        EXPECT_EQ(g.srcW, row.srcW) << where;
        EXPECT_EQ(g.srcH, row.srcH) << where;
        EXPECT_EQ(g.dstW, row.horizontal || g.zoomedW > g.viewW ? g.viewW : g.zoomedW) << where;
    }
}

// Over many zooms and sizes: a shown bar always has something to scroll, an axis without one shows the
// whole picture, and the drawn picture or its margins cover the view.
TEST(ViewGeometry, BarsAndLayoutAgreeAtEveryZoomAndSize) {
    const int32_t pictures[][2] = {{24, 100}, {100, 24}, {97, 61}, {10, 10}, {333, 257}};
    int checked = 0;
    for (const auto& picture : pictures) {
        for (int step = 0; step <= 150; step++) {
            const double zoom = 1.0 + step * 0.1;
            for (int32_t size = 150; size <= 700; size += 7) {
                for (int32_t other : {size, 300}) {
                    ViewGeometry g = atZoom(picture[0], picture[1], size, other, zoom);
                    ViewGeometry t = atZoom(picture[0], picture[1], other, size, zoom);
                    for (const ViewGeometry* v : {&g, &t}) {
                        const bool scrollX = v->srcW < v->imageW, scrollY = v->srcH < v->imageH;
                        ASSERT_EQ(v->horizontalBar, scrollX) << picture[0] << "x" << picture[1] << " zoom " << zoom
                                                             << " in " << v->clientW << "x" << v->clientH;
                        ASSERT_EQ(v->verticalBar, scrollY) << picture[0] << "x" << picture[1] << " zoom " << zoom
                                                           << " in " << v->clientW << "x" << v->clientH;
                        ASSERT_EQ(v->viewW, v->clientW - (v->verticalBar ? kBar : 0));
                        ASSERT_EQ(v->viewH, v->clientH - (v->horizontalBar ? kBar : 0));
                        ASSERT_LE(v->dstX + v->dstW, v->viewW);
                        ASSERT_LE(v->dstY + v->dstH, v->viewH);
                        checked++;
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 100000);
}

// Edges of the layout that a probe of planted faults found untested.
TEST(ViewGeometry, PictureExactlyAsWideAsTheViewBelowActualSize) {
    // 1334 × 0.3 rounds to 400, the client's width: the whole picture is drawn, no bar. Laid out as wider
    // than the view, 400 ÷ 0.3 would round to 1333 columns and lose the last.
    ViewGeometry g = atZoom(1334, 600, 400, 300, 0.3);
    EXPECT_EQ(g.zoomedW, 400);
    EXPECT_FALSE(g.horizontalBar);
    EXPECT_FALSE(g.verticalBar);
    EXPECT_EQ(g.srcX, 0);
    EXPECT_EQ(g.srcW, 1334);
    EXPECT_EQ(g.dstX, 0);
    EXPECT_EQ(g.dstW, 400);
    EXPECT_EQ(g.centreX, 667);
    EXPECT_EQ(viewToImageX(&g, 399, g.dstW - g.srcW), 1333);

    // The same beside the other axis's bar, where at 100 % or more the bar's test and the layout agree
    // anyway: below it, a bar taken for an exact fit would keep all but one column scrollable.
    struct Row {
        int32_t imageW, imageH, clientW, clientH;
        bool horizontal, vertical;
    };
    const Row rows[] = {
        {1334, 3000, 417, 300, false, true},  // 400 wide beside the vertical bar
        {3000, 1334, 400, 417, true, false},  // 400 tall above the horizontal bar
    };
    for (const Row& row : rows) {
        ViewGeometry b = atZoom(row.imageW, row.imageH, row.clientW, row.clientH, 0.3);
        EXPECT_EQ(b.horizontalBar, row.horizontal) << row.imageW << "x" << row.imageH;
        EXPECT_EQ(b.verticalBar, row.vertical) << row.imageW << "x" << row.imageH;
        EXPECT_EQ(row.horizontal ? b.srcH : b.srcW, 1334) << row.imageW << "x" << row.imageH;
    }
}

TEST(ViewGeometry, BarBoundariesAtTheRoomTheOtherBarLeaves) {
    struct Row {
        int32_t imageW, imageH;  // at 100 % in 400 × 300 with 17-pixel bars
        bool horizontal, vertical;
        int32_t dstX, dstY;
    };
    const Row rows[] = {
        {383, 1000, false, true, 0, 0},  // exactly the width beside the vertical bar: no horizontal bar
        {384, 1000, true, true, 0, 0},   // one more
        {1000, 283, true, false, 0, 0},  // exactly the height above the horizontal bar: no vertical bar
        {1000, 284, true, true, 0, 0},
        {400, 300, false, false, 0, 0},  // exactly the client
        {401, 300, true, true, 0, 0},    // the horizontal bar leaves 283 rows for 300
        {384, 300, false, false, 8, 0},  // wider than 383 but not taller than the client
        {383, 301, false, true, 0, 0},
        {101, 99, false, false, 149, 100},  // odd margins round down
    };
    for (const Row& row : rows) {
        ViewGeometry g = atZoom(row.imageW, row.imageH, 400, 300, 1.0);
        EXPECT_EQ(g.horizontalBar, row.horizontal) << row.imageW << "x" << row.imageH;
        EXPECT_EQ(g.verticalBar, row.vertical) << row.imageW << "x" << row.imageH;
        EXPECT_EQ(g.dstW, row.horizontal ? g.viewW : row.imageW) << row.imageW << "x" << row.imageH;
        EXPECT_EQ(g.dstX, row.dstX) << row.imageW << "x" << row.imageH;
        EXPECT_EQ(g.dstY, row.dstY) << row.imageW << "x" << row.imageH;
    }
}

// Scrolled to the far end, then the window grows: the centre is past what the wider view allows, and the
// layout brings the source back inside the picture at its last column.
TEST(ViewGeometry, GrowingViewScrolledToTheEndStaysInsideThePicture) {
    ViewGeometry g = atZoom(1000, 1000, 400, 300, 1.0);
    scrollGeometryBy(&g, 100000, 100000);
    EXPECT_EQ(g.srcX, 1000 - 383);
    EXPECT_EQ(g.centreX, 1000 - 383 + 191);
    resizeGeometry(&g, 700, 600);
    placeScrollBars(&g, kBar, kBar);
    EXPECT_EQ(g.srcW, 683);
    EXPECT_EQ(g.srcX, 1000 - 683);
    EXPECT_EQ(g.srcY, 1000 - 583);
    EXPECT_EQ(g.centreX, 1000 - 683 + 341);
    EXPECT_EQ(g.centreY, 1000 - 583 + 291);
    scrollGeometryBy(&g, -100000, -100000);
    resizeGeometry(&g, 900, 800);
    placeScrollBars(&g, kBar, kBar);
    EXPECT_EQ(g.srcX, 0);
    EXPECT_EQ(g.srcY, 0);
    EXPECT_EQ(g.centreX, 441);
}

// The centre follows each layout: a zoom out and back that keeps the picture larger than the view returns
// to the same place; one that shows the whole picture recentres it on the picture's middle.
TEST(ViewGeometry, CentreIsTakenFromEachLayout) {
    ViewGeometry g = atZoom(2000, 1500, 800, 600, 1.0);
    scrollGeometryBy(&g, -300, 200);
    const int32_t x = g.srcX, y = g.srcY, cx = g.centreX, cy = g.centreY;
    applyZoom(&g, 0.7);
    placeScrollBars(&g, kBar, kBar);
    EXPECT_EQ(g.centreX, cx);
    EXPECT_EQ(g.centreY, cy);
    applyZoom(&g, 1.0);
    placeScrollBars(&g, kBar, kBar);
    EXPECT_EQ(g.srcX, x);
    EXPECT_EQ(g.srcY, y);

    applyZoom(&g, 0.25);  // 500 × 375: all of it
    placeScrollBars(&g, kBar, kBar);
    EXPECT_EQ(g.centreX, 1000);
    EXPECT_EQ(g.centreY, 750);
    applyZoom(&g, 1.0);
    placeScrollBars(&g, kBar, kBar);
    EXPECT_EQ(g.srcX, 1000 - (783 >> 1));
    EXPECT_EQ(g.srcY, 750 - (583 >> 1));
}

// The new centre is trunc(px − (px − centre) × z ÷ z′ + 0.5) exactly, px the pixel under the pointer with
// the centre bias; the scroll position is then laid out from it. A 2000 × 1500 picture in 800 × 600 from
// its middle.
TEST(ViewGeometry, ZoomAboutThePointerRoundsTheCentreExactly) {
    struct Row {
        double zoom, target;
        int32_t x, y;
        int32_t centreX, centreY, srcX, srcY;
    };
    const Row rows[] = {
        {1.0, 1.1, 100, 50, 974, 728, 618, 463},    // under the pointer: 709, 509
        {1.0, 0.9, 700, 500, 966, 727, 531, 403},   // 1309, 959
        {0.5, 0.6, 10, 580, 873, 846, 221, 360},    // 237, 1327
        {2.0, 2.1, 391, 291, 1000, 750, 814, 611},  // the middle stays
        {0.3, 1.0, 650, 120, 1585, 331, 1194, 40},  // 1835, 151 from the whole picture
        {4.0, 3.9, 5, 5, 1002, 752, 902, 678},      // 903, 678
        {1.3, 1.0, 777, 333, 911, 740, 520, 449},   // 1296, 782
        // 783 view pixels show 1740 columns: the bias −478.5 truncates to −478, and (4 × 1740 + 478) ÷ 783
        // = 9.4994 puts column 130 + 9 under the pointer; a bias floored to −479 would give 9.5006.
        {0.45, 0.55, 4, 300, 843, 754, 131, 224},
    };
    for (const Row& row : rows) {
        ViewGeometry g = atZoom(2000, 1500, 800, 600, row.zoom);
        recentreForZoomAbout(&g, row.x, row.y, row.target);
        EXPECT_EQ(g.centreX, row.centreX) << row.zoom << " -> " << row.target;
        EXPECT_EQ(g.centreY, row.centreY) << row.zoom << " -> " << row.target;
        applyZoom(&g, row.target);
        placeScrollBars(&g, kBar, kBar);
        EXPECT_EQ(g.srcX, row.srcX) << row.zoom << " -> " << row.target;
        EXPECT_EQ(g.srcY, row.srcY) << row.zoom << " -> " << row.target;
    }
}

TEST(ViewGeometry, HorizontalScrollStopsAtItsUpperLimit) {
    ViewGeometry g = atZoom(1000, 800, 400, 300, 1.0);
    const int32_t limit = 1000 - g.srcW;
    EXPECT_EQ(scrollLimitX(&g), limit);
    scrollGeometryBy(&g, limit - 1 - g.srcX, 0);
    EXPECT_EQ(g.srcX, limit - 1);
    scrollGeometryBy(&g, 1, 0);
    EXPECT_EQ(g.srcX, limit);
    scrollGeometryBy(&g, 1, 0);
    EXPECT_EQ(g.srcX, limit);
    EXPECT_EQ(g.centreX, limit + (g.srcW >> 1));
    scrollGeometryBy(&g, 50000, 0);
    EXPECT_EQ(g.srcX, limit);
    EXPECT_EQ(imageToViewX(&g, 999, 1), g.viewW - 1);  // the last column ends at the view's edge
}
