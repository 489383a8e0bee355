#pragma once
// A frame with a view window whose procedure routes like the shell's, for the view's window tests. The
// shell's dispatcher and zoom edit are replaced by recorders (defined in ImageView_winTest.cpp).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/WinHeaders.h"

#include <windowsx.h>

#include "engine/DecodedImage.h"
#include "engine/ImageOps.h"
#include "engine/LoadPicture.h"
#include "shell/AppState.h"
#include "view/ImageView.h"

extern std::vector<uint32_t> gDispatched;
extern std::vector<int32_t> gZoomPercentShown;

inline int gContextMenus = 0;
inline int gOverlayPaints = 0;

inline LRESULT CALLBACK testViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
        case WM_PAINT:
            paintImageView(window);
            return 0;
        case WM_HSCROLL:
            onViewScroll(SB_HORZ, LOWORD(wParam));
            return 0;
        case WM_VSCROLL:
            onViewScroll(SB_VERT, LOWORD(wParam));
            return 0;
        case WM_MOUSEMOVE:
            if (appState.dragMode == 2) onViewPendingDragMove(x, y);
            if (appState.dragMode == 3) onViewPanMove(x, y);
            return 0;
        case WM_RBUTTONDOWN:
            onViewRightButtonDown(x, y, static_cast<uint32_t>(wParam));
            return 0;
        case WM_RBUTTONUP:
            if (onViewRightButtonUp()) break;
            return 0;
        case WM_CONTEXTMENU:
            gContextMenus++;
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

inline void countOverlay(HDC__*) { gOverlayPaints++; }

struct Rgb {
    int r, g, b;
};

inline bool operator==(const Rgb& a, const Rgb& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

// Each pixel tells where it came from: red and green are the low bytes of x and y, blue their high nibbles.
inline Rgb gradientAt(int32_t x, int32_t y) { return {x & 255, y & 255, ((x >> 8) << 4) | (y >> 8)}; }

inline DecodedImage* makeGradientPicture(uint32_t width, uint32_t height) {
    auto* picture = static_cast<DecodedImage*>(calloc(1, sizeof(DecodedImage)));
    picture->header = makeBitmapHeader(width, height, 24);
    picture->pixels = allocateBitmap(width, height, 24);
    uint32_t stride = bitmapStride(width, 24);
    for (uint32_t y = 0; y < height; y++) {
        uint8_t* row = picture->pixels + (height - 1 - y) * stride;  // bottom-up
        for (uint32_t x = 0; x < width; x++) {
            Rgb c = gradientAt(x, y);
            row[x * 3] = static_cast<uint8_t>(c.b);
            row[x * 3 + 1] = static_cast<uint8_t>(c.g);
            row[x * 3 + 2] = static_cast<uint8_t>(c.r);
        }
    }
    return picture;
}

class ImageViewWindow : public ::testing::Test {
protected:
    HWND frame = nullptr;
    HWND view = nullptr;

    void SetUp() override {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        static bool registered = false;
        if (!registered) {
            WNDCLASSW frameClass = {};
            frameClass.lpfnWndProc = DefWindowProcW;
            frameClass.hInstance = instance;
            frameClass.lpszClassName = L"TwTestFrame";
            ASSERT_TRUE(RegisterClassW(&frameClass));
            WNDCLASSW viewClass = {};
            viewClass.style = CS_HREDRAW | CS_VREDRAW;
            viewClass.lpfnWndProc = testViewProc;
            viewClass.hInstance = instance;
            viewClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            viewClass.lpszClassName = L"TwTestView";
            ASSERT_TRUE(RegisterClassW(&viewClass));
            registered = true;
        }
        frame = CreateWindowExW(0, L"TwTestFrame", L"view test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 700, 600,
                                nullptr, nullptr, instance, nullptr);
        ASSERT_TRUE(frame);
        view = CreateWindowExW(WS_EX_STATICEDGE, L"TwTestView", nullptr,
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL, 0,
                               0, 402, 302, frame, reinterpret_cast<HMENU>(1000), instance, nullptr);
        ASSERT_TRUE(view);
        appState.frame = frame;
        appState.view = view;
        appState.instance = instance;
        appState.imageLoaded = false;
        appState.loadFailed = false;
        appState.cropMode = false;
        appState.cropState = 0;
        appState.dragMode = 0;
        appState.zoomFactor = 1.0;
        appState.cropEditor = nullptr;
        appState.zoomEdit = nullptr;
        appState.viewState.overlayPainter = nullptr;
        gDispatched.clear();
        gZoomPercentShown.clear();
        gContextMenus = 0;
        gOverlayPaints = 0;
        ShowWindow(frame, SW_SHOWNORMAL);
        SetForegroundWindow(frame);
        resetViewForNewImage();  // no picture: both bars empty
        pumpMessages();
    }

    void TearDown() override {
        appState.imageLoaded = false;
        releasePicture(&appState.picture);
        if (frame) DestroyWindow(frame);
        appState.frame = appState.view = nullptr;
    }

    static void pumpMessages() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }

    void showPicture(DecodedImage* picture) {
        releasePicture(&appState.picture);
        appState.picture = picture;
        appState.imageLoaded = true;
        resetViewForNewImage();
        pumpMessages();
    }

    const ViewGeometry& g() const { return appState.viewState.geometry; }

    Rgb pixelAt(int x, int y) const {
        HDC dc = GetDC(view);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(view, dc);
        return {GetRValue(c), GetGValue(c), GetBValue(c)};
    }

    // The picture pixel a view pixel shows, read from the gradient's colour.
    POINT picturePointAt(int x, int y) const {
        Rgb c = pixelAt(x, y);
        return {c.r + ((c.b >> 4) << 8), c.g + ((c.b & 15) << 8)};
    }

    bool barShown(int bar) const {
        LONG_PTR style = GetWindowLongPtrW(view, GWL_STYLE);
        return (style & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) != 0;
    }

    // What the window really has left after the bars must be what the geometry computed.
    void expectClientMatchesGeometry() const {
        RECT client;
        GetClientRect(view, &client);
        EXPECT_EQ(client.right, g().viewW);
        EXPECT_EQ(client.bottom, g().viewH);
        EXPECT_EQ(barShown(SB_HORZ), g().horizontalBar);
        EXPECT_EQ(barShown(SB_VERT), g().verticalBar);
    }

    SCROLLINFO barInfo(int bar) const {
        SCROLLINFO info = {};
        info.cbSize = sizeof(info);
        info.fMask = SIF_ALL;
        GetScrollInfo(view, bar, &info);
        return info;
    }

    void send(UINT message, WPARAM wParam, int x, int y) { SendMessageW(view, message, wParam, MAKELPARAM(x, y)); }
};

inline void expectColour(Rgb got, Rgb want, int tolerance, const std::string& where) {
    EXPECT_LE(std::abs(got.r - want.r), tolerance) << where << ": red " << got.r << " want " << want.r;
    EXPECT_LE(std::abs(got.g - want.g), tolerance) << where << ": green " << got.g << " want " << want.g;
    EXPECT_LE(std::abs(got.b - want.b), tolerance) << where << ": blue " << got.b << " want " << want.b;
}

constexpr Rgb kGrey = {192, 192, 192};  // the stock light grey brush of the margins
