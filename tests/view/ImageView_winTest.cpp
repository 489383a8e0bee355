// The view's Win32 side on a real window under Wine: real scroll, mouse and size messages go through a
// view window procedure that routes like the shell's, and what the view paints is read back pixel by pixel.
#include "view/ImageView.h"

#include "engine/DecodedImage.h"
#include "engine/ImageOps.h"
#include "engine/LoadPicture.h"
#include "settings/Settings.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"
#include "view/CropDisplay.h"
#include "view/CropEditor.h"
#include "view/ImageViewFixture.h"

// The shell's dispatcher and zoom edit: record what the view asks of them.
std::vector<uint32_t> gDispatched;
void dispatchCommand(uint32_t value) { gDispatched.push_back(value); }
std::vector<int32_t> gZoomPercentShown;
void showZoomPercent() { gZoomPercentShown.push_back(zoomPercent(appState.zoomFactor)); }

TEST_F(ImageViewWindow, SmallPictureIsCentredAtActualSizeWithGreyMargins) {
    int32_t innerW, innerH;
    viewInnerSize(&innerW, &innerH);
    EXPECT_EQ(innerW, 400);
    EXPECT_EQ(innerH, 300);
    showPicture(makeGradientPicture(100, 100));
    EXPECT_EQ(appState.zoomFactor, 1.0);
    EXPECT_EQ(g().dstX, 150);
    EXPECT_EQ(g().dstY, 100);
    expectClientMatchesGeometry();
    EXPECT_FALSE(g().horizontalBar);
    POINT p = picturePointAt(150 + 5, 100 + 7);
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 7);
    p = picturePointAt(249, 199);
    EXPECT_EQ(p.x, 99);
    EXPECT_EQ(p.y, 99);
    expectColour(pixelAt(1, 1), kGrey, 0, "top-left margin");
    expectColour(pixelAt(250, 150), kGrey, 0, "right margin");
    expectColour(pixelAt(200, 200), kGrey, 0, "bottom margin");
}

TEST_F(ImageViewWindow, LargePictureIsFittedAndTheToggleGoesToActualSize) {
    showPicture(makeGradientPicture(1000, 800));
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 0.375);  // min(400 / 1000, 300 / 800)
    expectClientMatchesGeometry();
    EXPECT_FALSE(g().horizontalBar);
    EXPECT_FALSE(g().verticalBar);

    runZoomCommand(CMD_ZOOM_TOGGLE);
    EXPECT_EQ(appState.zoomFactor, 1.0);
    expectClientMatchesGeometry();
    ASSERT_TRUE(g().horizontalBar);
    ASSERT_TRUE(g().verticalBar);
    SCROLLINFO h = barInfo(SB_HORZ);
    EXPECT_EQ(h.nMin, 0);
    EXPECT_EQ(h.nMax, 999);
    EXPECT_EQ(static_cast<int32_t>(h.nPage), g().srcW);
    EXPECT_EQ(h.nPos, g().srcX);
    EXPECT_EQ(g().srcX, 500 - (g().srcW >> 1));  // centred on the picture's middle
    SCROLLINFO v = barInfo(SB_VERT);
    EXPECT_EQ(v.nMax, 799);
    EXPECT_EQ(v.nPos, g().srcY);
    POINT p = picturePointAt(0, 0);
    EXPECT_EQ(p.x, g().srcX);
    EXPECT_EQ(p.y, g().srcY);

    runZoomCommand(CMD_ZOOM_TOGGLE);
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 0.375);
    runZoomCommand(CMD_ZOOM_100);
    EXPECT_EQ(appState.zoomFactor, 1.0);
    runZoomCommand(CMD_ZOOM_FIT);
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 0.375);
}

TEST_F(ImageViewWindow, ZoomStepsStopAtTheLimitsAndShowInTheZoomEdit) {
    showPicture(makeGradientPicture(300, 200));
    ASSERT_FALSE(gZoomPercentShown.empty());
    EXPECT_EQ(gZoomPercentShown.back(), 100);  // the new picture's zoom
    appState.zoomFactor = 15.95;
    runZoomCommand(CMD_ZOOM_IN);
    EXPECT_EQ(appState.zoomFactor, 16.0);
    EXPECT_EQ(gZoomPercentShown.back(), 1600);
    size_t shown = gZoomPercentShown.size();
    runZoomCommand(CMD_ZOOM_IN);
    EXPECT_EQ(appState.zoomFactor, 16.0);
    EXPECT_EQ(gZoomPercentShown.size(), shown);  // nothing to do at the limit
    EXPECT_EQ(g().zoomedW, 4800);
    expectClientMatchesGeometry();

    appState.zoomFactor = 0.05;
    runZoomCommand(CMD_ZOOM_OUT);
    EXPECT_EQ(appState.zoomFactor, 0.01);
    runZoomCommand(CMD_ZOOM_OUT);
    EXPECT_EQ(appState.zoomFactor, 0.01);
    EXPECT_EQ(gZoomPercentShown.back(), 1);
    EXPECT_EQ(g().zoomedW, 3);

    // Nothing happens without a picture.
    appState.imageLoaded = false;
    runZoomCommand(CMD_ZOOM_IN);
    EXPECT_EQ(appState.zoomFactor, 0.01);
}

TEST_F(ImageViewWindow, ScrollBarMessagesMoveByTheirSteps) {
    showPicture(makeGradientPicture(1000, 800));
    runZoomCommand(CMD_ZOOM_100);
    int32_t x0 = g().srcX, y0 = g().srcY;
    SendMessageW(view, WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(g().srcX, x0 + 20);
    EXPECT_EQ(GetScrollPos(view, SB_HORZ), x0 + 20);
    POINT p = picturePointAt(0, 0);
    EXPECT_EQ(p.x, x0 + 20);
    SendMessageW(view, WM_HSCROLL, SB_LINELEFT, 0);
    SendMessageW(view, WM_HSCROLL, SB_LINELEFT, 0);
    EXPECT_EQ(g().srcX, x0 - 20);
    SendMessageW(view, WM_VSCROLL, SB_TOP, 0);
    SendMessageW(view, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(g().srcY, g().srcH);
    SendMessageW(view, WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(g().srcY, 0);
    SendMessageW(view, WM_VSCROLL, SB_LINEUP, 0);  // already at the top: nothing to do
    EXPECT_EQ(g().srcY, 0);
    EXPECT_GT(y0, 0);
    SendMessageW(view, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(g().srcY, 800 - g().srcH);
    SendMessageW(view, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(g().srcY, 800 - g().srcH);
    p = picturePointAt(10, g().viewH - 1);
    EXPECT_EQ(p.y, 799);
    SendMessageW(view, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(g().srcY, 0);
    EXPECT_EQ(GetScrollPos(view, SB_VERT), 0);
    SendMessageW(view, WM_HSCROLL, SB_ENDSCROLL, 0);
    SendMessageW(view, WM_HSCROLL, SB_THUMBPOSITION, 0);
    EXPECT_EQ(g().srcX, x0 - 20);
}

TEST_F(ImageViewWindow, WheelBindingZoomsAboutThePointer) {
    showPicture(makeGradientPicture(3000, 2500));
    runZoomCommand(CMD_ZOOM_100);
    const int slots[] = {6, 6, 5, 5, 5};  // default bindings: 6 zooms in, 5 zooms out
    const POINT pointers[] = {{123, 77}, {300, 250}, {20, 260}, {370, 30}, {200, 140}};
    for (int i = 0; i < 5; i++) {
        POINT pointer = pointers[i];
        POINT before = picturePointAt(pointer.x, pointer.y);
        double zoomBefore = appState.zoomFactor;
        zoomAboutPoint(slots[i], pointer.x, pointer.y);
        runZoomCommand(gSettings.mouseBindings.slots[slots[i]]);
        ASSERT_NE(appState.zoomFactor, zoomBefore);
        POINT after = picturePointAt(pointer.x, pointer.y);
        EXPECT_LE(std::abs(after.x - before.x), 2) << "step " << i << " zoom " << appState.zoomFactor;
        EXPECT_LE(std::abs(after.y - before.y), 2) << "step " << i << " zoom " << appState.zoomFactor;
    }
}

TEST_F(ImageViewWindow, ResizeKeepsTheZoomAndRedoesTheBars) {
    showPicture(makeGradientPicture(1000, 800));
    setZoom(0.5);  // 500 x 400 in 400 x 300: both bars
    expectClientMatchesGeometry();
    EXPECT_TRUE(g().horizontalBar);
    MoveWindow(view, 0, 0, 602, 452, TRUE);
    onViewResize(0, 0);
    EXPECT_EQ(appState.zoomFactor, 0.5);
    EXPECT_EQ(g().clientW, 600);
    EXPECT_EQ(g().clientH, 450);
    EXPECT_FALSE(g().horizontalBar);
    EXPECT_FALSE(g().verticalBar);
    EXPECT_EQ(g().dstX, 50);
    EXPECT_EQ(g().dstY, 25);
    expectClientMatchesGeometry();
}

// At 1600 % a picture 24 pixels wide needs 384 view pixels, one more than is left beside the vertical bar,
// yet those 383 show all 24 columns: no horizontal bar, and the bottom strip it would take is painted.
// Likewise for 18 rows against the 283 left above the horizontal bar.
TEST_F(ImageViewWindow, NoIdleScrollBarAtHighZoom) {
    struct Row {
        uint32_t width, height;
        int32_t x, y;  // a view pixel in the strip an idle bar's room would take
    };
    const Row rows[] = {{24, 100, 200, 295}, {100, 18, 395, 150}};
    for (const Row& row : rows) {
        showPicture(makeGradientPicture(row.width, row.height));
        setZoom(16.0);
        pumpMessages();
        expectClientMatchesGeometry();
        EXPECT_NE(g().horizontalBar, row.width == 24);
        EXPECT_NE(g().verticalBar, row.height == 18);
        RECT client;
        GetClientRect(view, &client);
        EXPECT_EQ(client.right, 400 - (g().verticalBar ? GetSystemMetrics(SM_CXVSCROLL) : 0));
        EXPECT_EQ(client.bottom, 300 - (g().horizontalBar ? GetSystemMetrics(SM_CYHSCROLL) : 0));
        InvalidateRect(view, nullptr, FALSE);
        UpdateWindow(view);
        POINT shown = picturePointAt(row.x, row.y);
        EXPECT_NEAR(shown.x, viewToImageX(&g(), row.x, 0), 1) << row.width << "x" << row.height;
        EXPECT_NEAR(shown.y, viewToImageY(&g(), row.y, 0), 1) << row.width << "x" << row.height;
    }
}

TEST_F(ImageViewWindow, RightDragPansAndAPlainClickOpensTheMenu) {
    showPicture(makeGradientPicture(1000, 800));
    runZoomCommand(CMD_ZOOM_100);
    int32_t x0 = g().srcX, y0 = g().srcY;
    send(WM_RBUTTONDOWN, MK_RBUTTON, 200, 150);
    EXPECT_EQ(appState.dragMode, 2);
    EXPECT_EQ(GetCapture(), view);
    send(WM_MOUSEMOVE, MK_RBUTTON, 204, 154);  // 8 pixels: not yet a drag
    EXPECT_EQ(appState.dragMode, 2);
    send(WM_MOUSEMOVE, MK_RBUTTON, 220, 160);
    EXPECT_EQ(appState.dragMode, 3);
    EXPECT_EQ(g().srcX, x0);
    send(WM_MOUSEMOVE, MK_RBUTTON, 200, 150);  // the hand moves up-left: the picture follows it
    EXPECT_EQ(g().srcX, x0 + 20);
    EXPECT_EQ(g().srcY, y0 + 10);
    EXPECT_EQ(g().currentCursorId, 124);  // room in all four directions
    send(WM_MOUSEMOVE, MK_RBUTTON, 5000, 5000);
    EXPECT_EQ(g().srcX, 0);
    EXPECT_EQ(g().srcY, 0);
    EXPECT_EQ(g().currentCursorId, 116);  // at the top-left corner: up and left
    send(WM_RBUTTONUP, 0, 5000, 5000);
    EXPECT_EQ(appState.dragMode, 0);
    EXPECT_NE(GetCapture(), view);
    EXPECT_EQ(gContextMenus, 0);

    send(WM_RBUTTONDOWN, MK_RBUTTON, 100, 100);
    send(WM_MOUSEMOVE, MK_RBUTTON, 103, 102);
    send(WM_RBUTTONUP, 0, 103, 102);
    EXPECT_EQ(gContextMenus, 1);
    EXPECT_EQ(g().srcX, 0);

    // Another button held: not a pan.
    send(WM_RBUTTONDOWN, MK_RBUTTON | MK_MBUTTON, 100, 100);
    EXPECT_EQ(appState.dragMode, 0);
}

// The no-entry cursor is recorded as what the view shows, so a later request for the cursor shown before
// the drag loads it again; a second such drag shows it again although the arrow came back in between.
TEST_F(ImageViewWindow, RightDragOverAWhollyVisiblePictureHasNothingToPan) {
    const HCURSOR noEntry = LoadCursorW(nullptr, IDC_NO), arrow = LoadCursorW(nullptr, IDC_ARROW);
    showPicture(makeGradientPicture(100, 100));
    appState.viewState.geometry.currentCursorId = 0;
    SetCursor(arrow);
    for (int drag = 0; drag < 2; drag++) {
        send(WM_RBUTTONDOWN, MK_RBUTTON, 200, 150);
        send(WM_MOUSEMOVE, MK_RBUTTON, 230, 150);
        EXPECT_EQ(appState.dragMode, 4);
        EXPECT_EQ(GetCursor(), noEntry) << "drag " << drag;
        EXPECT_EQ(g().currentCursorId, kNoEntryCursorId);
        send(WM_RBUTTONUP, 0, 230, 150);
        EXPECT_EQ(appState.dragMode, 0);
        EXPECT_EQ(gContextMenus, 0);
        SetCursor(arrow);  // what the class cursor does at the next move
    }
    SetCursor(noEntry);
    setViewCursor(0);  // the arrow was the view's choice before the drags: it is loaded again
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(g().currentCursorId, 0);
}

TEST_F(ImageViewWindow, RightPressBeforeTheFirstRectangleCancelsCropMode) {
    showPicture(makeGradientPicture(100, 100));
    appState.cropMode = true;
    appState.cropState = 1;
    send(WM_RBUTTONDOWN, MK_RBUTTON, 200, 150);
    EXPECT_EQ(appState.dragMode, 0);
    ASSERT_EQ(gDispatched.size(), 1u);
    EXPECT_EQ(gDispatched[0], static_cast<uint32_t>(CMD_CROP_CANCEL));
    EXPECT_NE(GetCapture(), view);

    appState.cropState = 3;  // a committed rectangle: the press may pan, and a click shows no menu
    send(WM_RBUTTONDOWN, MK_RBUTTON, 200, 150);
    EXPECT_EQ(appState.dragMode, 2);
    send(WM_RBUTTONUP, 0, 200, 150);
    EXPECT_EQ(appState.dragMode, 0);
    EXPECT_EQ(gContextMenus, 0);
    EXPECT_EQ(gDispatched.size(), 1u);
    appState.cropMode = false;
}

TEST_F(ImageViewWindow, CropModePaintsTheOutsideShaded) {
    DecodedImage* picture = makeGradientPicture(200, 150);
    showPicture(picture);  // centred at (100, 75)
    CropEditorSetup setup;
    setup.imageWidth = 200;
    setup.imageHeight = 150;
    setup.maskShading = 1;
    CropEditor editor;
    initCropEditor(&editor, setup);
    ASSERT_TRUE(makeCropDisplay(&editor, picture));
    appState.cropEditor = &editor;
    appState.cropMode = true;
    appState.cropState = 3;
    appState.viewState.overlayPainter = countOverlay;
    commitBand(&editor, 45, 42, 119, 99);  // left 40, top 40
    refreshCropScreenRect();
    EXPECT_EQ(g().cropScreenRect.left, 100 + 40);
    EXPECT_EQ(g().cropScreenRect.bottom, 75 + 99);

    applyShadingChange(128);
    expectColour(pixelAt(100 + 10, 75 + 10), {128, 128, 128}, 0, "outside, grey");
    expectColour(pixelAt(100 + 130, 75 + 60), {128, 128, 128}, 0, "outside right, grey");
    expectColour(pixelAt(100 + 50, 75 + 120), {128, 128, 128}, 0, "outside below, grey");
    expectColour(pixelAt(100 + 50, 75 + 60), gradientAt(50, 60), 0, "inside");
    expectColour(pixelAt(100 + 40, 75 + 40), gradientAt(40, 40), 0, "inside corner");
    expectColour(pixelAt(100 + 119, 75 + 99), gradientAt(119, 99), 0, "inside far corner");
    EXPECT_GT(gOverlayPaints, 0);

    applyShadingChange(3);
    Rgb source = gradientAt(150, 20);
    expectColour(pixelAt(100 + 150, 75 + 20), {source.r >> 3, source.g >> 3, source.b >> 3}, 0, "outside, eighth");
    expectColour(pixelAt(100 + 60, 75 + 50), gradientAt(60, 50), 0, "inside");

    // Before the first commit a shading command only records the choice: the copy stays as it was.
    appState.cropState = 2;
    applyShadingChange(255);
    expectColour(pixelAt(100 + 150, 75 + 20), {source.r >> 3, source.g >> 3, source.b >> 3}, 0, "unchanged");

    // No overlay while a drag is on.
    appState.dragMode = 3;
    int painted = gOverlayPaints;
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);
    EXPECT_EQ(gOverlayPaints, painted);
    appState.dragMode = 0;

    restoreCropDisplay(&editor, picture);
    appState.cropMode = false;
    appState.cropEditor = nullptr;
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);
    expectColour(pixelAt(100 + 150, 75 + 20), source, 0, "restored");
}

TEST_F(ImageViewWindow, FailedLoadShowsItsTextInTheEmptyView) {
    // The text comes from the language module, as in the program.
    std::string modulePath = std::string(TW_BINARY_DIR) + "/bin/English.dll";
    appState.languageModule = reinterpret_cast<HINSTANCE>(
        LoadLibraryExW(asWide(u16(modulePath).c_str()), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(appState.languageModule) << modulePath;
    appState.metrics.lineHeight = 20;
    auto darkPixelsInBand = [&]() {
        int dark = 0;
        for (int y = 140; y < 162; y += 1) {
            for (int x = 100; x < 300; x += 1) {
                Rgb c = pixelAt(x, y);
                if (c.r < 64 && c.g < 64 && c.b < 64) dark++;
            }
        }
        return dark;
    };
    appState.loadFailed = false;
    resetViewForNewImage();
    expectColour(pixelAt(200, 150), kGrey, 0, "empty view");
    EXPECT_EQ(darkPixelsInBand(), 0);
    appState.loadFailed = true;
    resetViewForNewImage();
    EXPECT_GT(darkPixelsInBand(), 20);
    expectColour(pixelAt(5, 5), kGrey, 0, "corner");
    appState.loadFailed = false;
    FreeLibrary(appState.languageModule);
    appState.languageModule = nullptr;
}

TEST_F(ImageViewWindow, LoadedGreyJpegIsShrunkToFit) {
    TempDir dir;
    TestJpegOptions options;
    options.width = 800;
    options.height = 600;
    options.colorSpace = JCS_GRAYSCALE;
    options.hSamp = options.vSamp = 1;
    options.solid = {200};
    std::string path = dir.file("grey.jpg");
    writeFileBytes(path, makeTestJpeg(options));
    DecodedImage* picture = nullptr;
    ASSERT_TRUE(loadPictureFile(&picture, u16(path).c_str()));
    EXPECT_EQ(imageBitCount(picture), 8u);
    showPicture(picture);
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 0.5);
    EXPECT_EQ(g().dstW, 400);
    EXPECT_EQ(g().dstH, 300);
    expectClientMatchesGeometry();
    expectColour(pixelAt(200, 150), {200, 200, 200}, 3, "grey picture at half size");
    expectColour(pixelAt(3, 3), {200, 200, 200}, 3, "its corner");
}
