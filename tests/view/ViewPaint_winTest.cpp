// What the view puts on the screen: its client area is copied with BitBlt into a top-down 32-bit DIB and
// compared pixel by pixel with what a user should see. With TW_CAPTURE_DIR set (a Windows path such as
// Z:/tmp/captures) every capture is also written there as a BMP file to look at.
#include "view/ImageView.h"

#include <cstdlib>
#include <cstdio>
#include <sstream>

#include "support/TestFiles.h"
#include "view/ImageViewFixture.h"

namespace {

struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first

    Rgb at(int x, int y) const {
        uint32_t p = pixels[static_cast<size_t>(y) * width + x];
        return {static_cast<int>((p >> 16) & 255), static_cast<int>((p >> 8) & 255), static_cast<int>(p & 255)};
    }
};

void saveCapture(const Capture& capture, const char* name) {
    const char* folder = std::getenv("TW_CAPTURE_DIR");
    if (!folder || !*folder) return;
    std::string path = std::string(folder) + "/" + name + ".bmp";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = capture.width;
    header.biHeight = -capture.height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    uint32_t bytes = static_cast<uint32_t>(capture.pixels.size() * 4);
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = fileHeader.bfOffBits + bytes;
    std::fwrite(&fileHeader, sizeof fileHeader, 1, file);
    std::fwrite(&header, sizeof header, 1, file);
    std::fwrite(capture.pixels.data(), 1, bytes, file);
    std::fclose(file);
}

// The client area as it is on the screen once every pending paint has run.
Capture captureClient(HWND window, const char* name) {
    UpdateWindow(window);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    RECT client;
    GetClientRect(window, &client);
    Capture capture;
    capture.width = client.right;
    capture.height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) return capture;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t* words = static_cast<const uint32_t*>(bits);
    capture.pixels.assign(words, words + static_cast<size_t>(capture.width) * capture.height);
    for (uint32_t& p : capture.pixels) p &= 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    DeleteObject(dib);
    saveCapture(capture, name);
    return capture;
}

std::string describe(Rgb c) {
    std::ostringstream text;
    text << "(" << c.r << ", " << c.g << ", " << c.b << ")";
    return text.str();
}

// Compares every pixel with `want(x, y)`; reports how many differ and the first few of them.
template <typename Want>
void expectCaptureShows(const Capture& capture, Want want, const std::string& what) {
    int wrong = 0;
    std::ostringstream first;
    for (int y = 0; y < capture.height; y++) {
        for (int x = 0; x < capture.width; x++) {
            Rgb got = capture.at(x, y), expected = want(x, y);
            if (got == expected) continue;
            if (wrong++ < 5) first << " (" << x << ", " << y << ") " << describe(got) << " want " << describe(expected);
        }
    }
    EXPECT_EQ(wrong, 0) << what << ":" << first.str();
}

bool inside(int x, int y, int left, int top, int right, int bottom) {
    return x >= left && x < right && y >= top && y < bottom;
}

// A picture of one-pixel black and white squares: any averaging of neighbours shows as grey.
DecodedImage* makeCheckerPicture(uint32_t width, uint32_t height) {
    DecodedImage* picture = makeGradientPicture(width, height);
    uint32_t stride = bitmapStride(width, 24);
    for (uint32_t y = 0; y < height; y++) {
        for (uint32_t x = 0; x < width; x++) {
            uint8_t v = ((x ^ y) & 1) ? 255 : 0;
            uint8_t* p = picture->pixels + y * stride + x * 3;
            p[0] = p[1] = p[2] = v;
        }
    }
    return picture;
}

// An 8-bit picture through the grey palette, as the display decode makes it for grey JPEGs.
DecodedImage* makeGreyRampPicture(uint32_t width, uint32_t height) {
    auto* picture = static_cast<DecodedImage*>(calloc(1, sizeof(DecodedImage)));
    picture->header = makeBitmapHeader(width, height, 8);
    for (int i = 0; i < kPaletteEntries; i++) {
        picture->palette[i].rgbBlue = picture->palette[i].rgbGreen = picture->palette[i].rgbRed = uint8_t(i);
    }
    picture->pixels = allocateBitmap(width, height, 8);
    uint32_t stride = bitmapStride(width, 8);
    for (uint32_t y = 0; y < height; y++) {
        for (uint32_t x = 0; x < width; x++)
            picture->pixels[(height - 1 - y) * stride + x] = uint8_t((x + 3 * y) & 255);
    }
    return picture;
}

using ViewPaint = ImageViewWindow;

}  // namespace

TEST_F(ViewPaint, EmptyViewIsLightGreyFromEdgeToEdge) {
    Capture capture = captureClient(view, "empty");
    ASSERT_EQ(capture.width, 400);
    ASSERT_EQ(capture.height, 300);
    expectCaptureShows(
        capture, [](int, int) { return kGrey; }, "empty view");
}

TEST_F(ViewPaint, SmallPictureSitsInTheMiddleOfGreyMargins) {
    showPicture(makeGradientPicture(100, 60));  // at 100 %: drawn at (150, 120) to (250, 180)
    Capture capture = captureClient(view, "small-centred");
    ASSERT_EQ(capture.width, 400);
    ASSERT_EQ(capture.height, 300);
    expectCaptureShows(
        capture, [](int x, int y) { return inside(x, y, 150, 120, 250, 180) ? gradientAt(x - 150, y - 120) : kGrey; },
        "100 x 60 picture at 100 %");
}

TEST_F(ViewPaint, ActualSizeShowsThePictureFromTheScrollPosition) {
    showPicture(makeGradientPicture(1000, 800));
    setZoom(1.0);
    scrollViewBy(123 - g().srcX, 45 - g().srcY);
    ASSERT_EQ(g().srcX, 123);
    ASSERT_EQ(g().srcY, 45);
    Capture capture = captureClient(view, "actual-size-scrolled");
    // Both bars take their room: the picture covers what is left, with no margin.
    ASSERT_EQ(capture.width, 400 - GetSystemMetrics(SM_CXVSCROLL));
    ASSERT_EQ(capture.height, 300 - GetSystemMetrics(SM_CYHSCROLL));
    expectCaptureShows(
        capture, [](int x, int y) { return gradientAt(123 + x, 45 + y); }, "at (123, 45)");

    // Scrolling to the far corner shows the picture's last row and column in the last view pixels.
    SendMessageW(view, WM_HSCROLL, SB_RIGHT, 0);
    SendMessageW(view, WM_VSCROLL, SB_BOTTOM, 0);
    capture = captureClient(view, "actual-size-far-corner");
    int32_t left = 1000 - capture.width, top = 800 - capture.height;
    expectCaptureShows(
        capture, [&](int x, int y) { return gradientAt(left + x, top + y); }, "at the far corner");
}

// Moving the view repaints at once, so a new picture can be painted before it is laid out. The old
// layout must not be applied to it: its source rectangle can lie outside the new, smaller bitmap.
TEST_F(ViewPaint, NewPictureIsNotPaintedWithTheOldLayout) {
    showPicture(makeGradientPicture(1000, 800));
    setZoom(1.0);
    SendMessageW(view, WM_HSCROLL, SB_RIGHT, 0);
    SendMessageW(view, WM_VSCROLL, SB_BOTTOM, 0);
    releasePicture(&appState.picture);
    appState.picture = makeGradientPicture(100, 60);  // as a load or an accepted crop leaves it
    InvalidateRect(view, nullptr, FALSE);
    expectCaptureShows(captureClient(view, "new-picture-old-layout"), [](int, int) { return kGrey; }, "before reset");
    resetViewForNewImage();
    expectCaptureShows(
        captureClient(view, "new-picture-laid-out"),
        [](int x, int y) { return inside(x, y, 150, 120, 250, 180) ? gradientAt(x - 150, y - 120) : kGrey; },
        "after reset");
}

TEST_F(ViewPaint, EnlargedPictureRepeatsEachPixel) {
    showPicture(makeGradientPicture(50, 40));
    setZoom(3.0);  // 150 x 120, centred at (125, 90)
    ASSERT_EQ(g().dstX, 125);
    ASSERT_EQ(g().dstY, 90);
    Capture capture = captureClient(view, "enlarged-3x");
    expectCaptureShows(
        capture,
        [](int x, int y) { return inside(x, y, 125, 90, 275, 210) ? gradientAt((x - 125) / 3, (y - 90) / 3) : kGrey; },
        "50 x 40 at 300 %");
}

TEST_F(ViewPaint, GreyPictureIsPaintedThroughItsPalette) {
    showPicture(makeGreyRampPicture(300, 200));
    Capture capture = captureClient(view, "grey-ramp");
    expectCaptureShows(
        capture,
        [](int x, int y) {
            if (!inside(x, y, 50, 50, 350, 250)) return kGrey;
            int v = ((x - 50) + 3 * (y - 50)) & 255;
            return Rgb{v, v, v};
        },
        "8-bit ramp at 100 %");
}

// Reduced pictures are smoothed (HALFTONE, brush origin at 0, 0); pictures at 100 % or more, and any
// picture while it is panned, are painted fast (COLORONCOLOR). Wine stretches HALFTONE like COLORONCOLOR,
// so the mode is read from the paint's DC, through the crop mode's overlay hook that paint calls with it.
TEST_F(ViewPaint, ReducedPictureIsSmoothedExceptWhilePanning) {
    static int stretchMode = 0;
    static POINT brushOrigin = {-1, -1};
    showPicture(makeCheckerPicture(1600, 1200));  // fitted at 25 %: 400 x 300
    ASSERT_DOUBLE_EQ(appState.zoomFactor, 0.25);
    appState.cropMode = true;
    appState.cropState = 3;
    appState.viewState.overlayPainter = [](HDC__* dc) {
        stretchMode = GetStretchBltMode(dc);
        GetBrushOrgEx(dc, &brushOrigin);
    };
    InvalidateRect(view, nullptr, FALSE);
    captureClient(view, "reduced-fitted");
    EXPECT_EQ(stretchMode, HALFTONE);
    EXPECT_EQ(brushOrigin.x, 0);
    EXPECT_EQ(brushOrigin.y, 0);
    setZoom(1.0);
    captureClient(view, "checker-actual-size");
    EXPECT_EQ(stretchMode, COLORONCOLOR);
    setZoom(0.5);  // 800 x 600: larger than the view, so a right drag pans
    captureClient(view, "reduced-half");
    EXPECT_EQ(stretchMode, HALFTONE);
    appState.cropMode = false;
    appState.viewState.overlayPainter = nullptr;

    // While panning each view pixel shows one picture pixel: the checkerboard stays black and white.
    send(WM_RBUTTONDOWN, MK_RBUTTON, 200, 150);
    send(WM_MOUSEMOVE, MK_RBUTTON, 220, 150);
    ASSERT_EQ(appState.dragMode, 3);
    Capture fast = captureClient(view, "reduced-while-panning");
    int blended = 0;
    for (int y = 0; y < fast.height; y++) {
        for (int x = 0; x < fast.width; x++) {
            Rgb c = fast.at(x, y);
            if (!(c == Rgb{0, 0, 0}) && !(c == Rgb{255, 255, 255})) blended++;
        }
    }
    EXPECT_EQ(blended, 0);
    send(WM_RBUTTONUP, 0, 220, 150);
    EXPECT_EQ(appState.dragMode, 0);
}

TEST_F(ViewPaint, FailedLoadShowsItsReasonCentredInBlack) {
    std::string modulePath = std::string(TW_BINARY_DIR) + "/bin/English.dll";
    appState.languageModule =
        reinterpret_cast<HINSTANCE>(LoadLibraryExW(asWide(u16(modulePath).c_str()), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(appState.languageModule) << modulePath;
    // The program's interface font and its line height (text height + 6).
    appState.uiFont = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    ASSERT_TRUE(appState.uiFont);
    HDC dc = GetDC(view);
    HGDIOBJ old = SelectObject(dc, appState.uiFont);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    // A file that is no readable JPEG and a load that ran out of memory say different things.
    struct Case {
        bool outOfMemory;
        const wchar_t* text;
    } cases[] = {{false, L"The picture file could not be read."},
                 {true, L"There is not enough memory to display the picture."}};
    SIZE extents[2] = {};
    for (int i = 0; i < 2; i++) GetTextExtentPoint32W(dc, cases[i].text, static_cast<int>(wcslen(cases[i].text)), &extents[i]);
    SelectObject(dc, old);
    ReleaseDC(view, dc);
    ASSERT_GT(std::abs(extents[0].cx - extents[1].cx), 20);
    appState.metrics.lineHeight = metrics.tmHeight + 6;

    for (int i = 0; i < 2; i++) {
        SCOPED_TRACE(i);
        appState.loadFailed = true;
        appState.loadOutOfMemory = cases[i].outOfMemory;
        resetViewForNewImage();
        Capture capture = captureClient(view, i == 0 ? "failed-load" : "failed-load-memory");
        int left = capture.width, right = -1, top = capture.height, bottom = -1, darkest = 255, other = 0;
        for (int y = 0; y < capture.height; y++) {
            for (int x = 0; x < capture.width; x++) {
                Rgb c = capture.at(x, y);
                if (c == kGrey) continue;
                if (c.r != c.g || c.g != c.b || c.r > 192) other++;  // only black and its blends over grey
                if (c.r < darkest) darkest = c.r;
                if (x < left) left = x;
                if (x > right) right = x;
                if (y < top) top = y;
                if (y > bottom) bottom = y;
            }
        }
        ASSERT_GE(right, 0) << "no text drawn";
        EXPECT_EQ(other, 0);
        EXPECT_LE(darkest, 32);
        // Horizontally centred on the view's middle; the line starts (300 - line height) / 2 from the top.
        EXPECT_NEAR((left + right + 1) / 2.0, 200.0, 2.0) << left << ".." << right;
        EXPECT_NEAR(right - left + 1, extents[i].cx, 3);
        int lineTop = (300 - appState.metrics.lineHeight) / 2;
        EXPECT_GE(top, lineTop);
        EXPECT_LT(bottom, lineTop + metrics.tmHeight);
    }
    appState.loadOutOfMemory = false;

    // The next load attempt that does not fail clears the text.
    appState.loadFailed = false;
    resetViewForNewImage();
    expectCaptureShows(
        captureClient(view, "after-failed-load"), [](int, int) { return kGrey; }, "cleared");

    DeleteObject(appState.uiFont);
    appState.uiFont = nullptr;
    FreeLibrary(appState.languageModule);
    appState.languageModule = nullptr;
}
