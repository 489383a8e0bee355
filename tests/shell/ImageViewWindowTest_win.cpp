// The image view's own window procedure inside the real frame: right click and context menu, right-drag
// panning with the pan cursors, the button chord, the extra buttons, resizing the frame, and what the
// program paints for a real JPEG.
#include <gtest/gtest.h>

#include "common/WinHeaders.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "settings/Settings.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "shell/Menus.h"
#include "shell/ShellWindows.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"
#include "view/ImageView.h"
#include "view/ViewGeometry.h"

namespace {

std::wstring windowsPath(const std::string& utf8) {
    std::u16string text = u16(utf8);
    std::wstring result(text.begin(), text.end());
    for (wchar_t& c : result)
        if (c == L'/') c = L'\\';
    return result;
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) handleLoopMessage(&message);
}

// The frame's context menu is modal; the test counts the requests that reach the frame instead.
int gContextMenuRequests = 0;
HWND gContextMenuSource = nullptr;

LRESULT CALLBACK countContextMenus(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_CONTEXTMENU) {
        gContextMenuRequests++;
        gContextMenuSource = reinterpret_cast<HWND>(wParam);
        return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

class ViewInFrame : public ::testing::Test {
protected:
    void SetUp() override {
        // An empty settings file beside the program: every default, and nothing read from the prefix.
        wchar_t program[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, program, MAX_PATH);
        settingsPath = program;
        settingsPath = settingsPath.substr(0, settingsPath.find_last_of(L'\\') + 1) + L"Trimwell.ini";
        HANDLE file = CreateFileW(settingsPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
        gContextMenuRequests = 0;
        gContextMenuSource = nullptr;
    }

    void TearDown() override {
        if (appState.frame) {
            RemoveWindowSubclass(appState.frame, countContextMenus, 1);
            PostMessageW(appState.frame, WM_CLOSE, 0, 0);
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) handleLoopMessage(&message);
            finishShell();
        }
        DeleteFileW(settingsPath.c_str());
    }

    // Starts the program with a 1600 x 1200 photograph, which opens fitted.
    void startWithPicture(const TestJpegOptions& options) {
        std::string path = folder.file("picture.jpg");
        writeFileBytes(path, makeTestJpeg(options));
        std::wstring program = L"Trimwell.exe";
        std::wstring file = windowsPath(path);
        wchar_t* arguments[] = {&program[0], &file[0]};
        ASSERT_TRUE(startShell(GetModuleHandleW(nullptr), SW_SHOWNORMAL, 2, arguments));
        ASSERT_NE(appState.frame, nullptr);
        ASSERT_TRUE(appState.imageLoaded);
        SetWindowSubclass(appState.frame, countContextMenus, 1, 0);
        pumpMessages();
    }

    void startWithLargePicture() {
        TestJpegOptions options;
        options.width = 1600;
        options.height = 1200;
        options.quality = 60;
        startWithPicture(options);
    }

    const ViewGeometry& g() const { return appState.viewState.geometry; }

    LRESULT send(UINT message, WPARAM wParam, int x, int y) {
        return SendMessageW(appState.view, message, wParam, MAKELPARAM(x, y));
    }

    HCURSOR panCursor(int id) const { return LoadCursorW(appState.instance, MAKEINTRESOURCEW(id)); }

    std::wstring settingsPath;
    TempDir folder;
};

}  // namespace

TEST_F(ViewInFrame, RightClickAsksTheFrameForTheContextMenu) {
    startWithLargePicture();
    send(WM_RBUTTONDOWN, MK_RBUTTON, 100, 100);
    EXPECT_EQ(appState.dragMode, 2);
    EXPECT_EQ(GetCapture(), appState.view);
    EXPECT_EQ(GetFocus(), appState.frame);
    send(WM_MOUSEMOVE, MK_RBUTTON, 104, 104);  // 8 pixels: still a click
    send(WM_RBUTTONUP, 0, 104, 104);
    EXPECT_EQ(appState.dragMode, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(gContextMenuRequests, 1);
    EXPECT_EQ(gContextMenuSource, appState.view);
}

TEST_F(ViewInFrame, RightDragPansWithTheCursorOfTheRemainingDirections) {
    startWithLargePicture();
    dispatchCommand(CMD_ZOOM_100);
    ASSERT_EQ(appState.zoomFactor, 1.0);
    int32_t x0 = g().srcX, y0 = g().srcY;
    ASSERT_GT(x0, 0);
    ASSERT_GT(y0, 0);
    send(WM_RBUTTONDOWN, MK_RBUTTON, 200, 200);
    send(WM_MOUSEMOVE, MK_RBUTTON, 206, 203);  // 9 pixels: a pan starts, nothing moves yet
    EXPECT_EQ(appState.dragMode, 3);
    EXPECT_EQ(g().srcX, x0);
    send(WM_MOUSEMOVE, MK_RBUTTON, 196, 193);  // the hand moves up and left: so does the picture
    EXPECT_EQ(g().srcX, x0 + 10);
    EXPECT_EQ(g().srcY, y0 + 10);
    EXPECT_EQ(GetScrollPos(appState.view, SB_HORZ), x0 + 10);
    EXPECT_EQ(GetCursor(), panCursor(124));  // room in all four directions
    send(WM_MOUSEMOVE, MK_RBUTTON, 196 - 5000, 193);
    EXPECT_EQ(g().srcX, 1600 - g().srcW);
    EXPECT_EQ(GetCursor(), panCursor(120));  // at the right end: up, down and right
    send(WM_MOUSEMOVE, MK_RBUTTON, 196 - 5000, 193 - 5000);
    EXPECT_EQ(GetCursor(), panCursor(117));  // the bottom-right corner: down and right
    send(WM_RBUTTONUP, 0, 0, 0);
    EXPECT_EQ(appState.dragMode, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(gContextMenuRequests, 0);  // a drag is not a click
}

TEST_F(ViewInFrame, RightDragWithNothingToPanShowsNoEntry) {
    startWithLargePicture();  // fitted: the whole picture is visible
    send(WM_RBUTTONDOWN, MK_RBUTTON, 100, 100);
    send(WM_MOUSEMOVE, MK_RBUTTON, 130, 100);
    EXPECT_EQ(appState.dragMode, 4);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_NO));
    send(WM_RBUTTONUP, 0, 130, 100);
    EXPECT_EQ(appState.dragMode, 0);
    EXPECT_EQ(gContextMenuRequests, 0);
}

// Pressing the other button while one is held runs binding slot 1 about the pointer, even while the
// zoom edit holds the input lock; the drag ends and its release shows no menu.
TEST_F(ViewInFrame, ButtonChordRunsItsBindingAboutThePointer) {
    startWithLargePicture();
    dispatchCommand(CMD_ZOOM_100);  // both bars shown, before and after the chord's zoom
    gSettings.mouseBindings.slots[kMouseSlotChord] = CMD_ZOOM_IN;
    POINT pointer = {g().viewW / 4, g().viewH / 3};
    int32_t column = viewToImageX(&g(), pointer.x, centreBiasX(&g()));
    int32_t row = viewToImageY(&g(), pointer.y, centreBiasY(&g()));
    appState.inputLock = true;
    send(WM_RBUTTONDOWN, MK_RBUTTON, pointer.x, pointer.y);
    ASSERT_EQ(appState.dragMode, 2);
    send(WM_LBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, pointer.x, pointer.y);
    appState.inputLock = false;
    EXPECT_EQ(appState.dragMode, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_NEAR(appState.zoomFactor, 1.1, 1e-12);
    EXPECT_NEAR(viewToImageX(&g(), pointer.x, centreBiasX(&g())), column, 2);
    EXPECT_NEAR(viewToImageY(&g(), pointer.y, centreBiasY(&g())), row, 2);
    send(WM_LBUTTONUP, MK_RBUTTON, pointer.x, pointer.y);
    send(WM_RBUTTONUP, 0, pointer.x, pointer.y);
    EXPECT_EQ(gContextMenuRequests, 0);

    // The other order: the left button held (a crop drag), then the right one.
    gSettings.mouseBindings.slots[kMouseSlotChord] = CMD_ZOOM_TOGGLE;
    appState.dragMode = 1;
    send(WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 50, 50);
    EXPECT_EQ(appState.dragMode, 0);
    EXPECT_EQ(appState.zoomFactor, 1.0);

    // A third button makes it no chord; an empty slot only ends the drag.
    send(WM_RBUTTONDOWN, MK_RBUTTON, 50, 50);
    send(WM_LBUTTONDOWN, MK_LBUTTON | MK_RBUTTON | MK_MBUTTON, 50, 50);
    EXPECT_EQ(appState.dragMode, 2);
    send(WM_RBUTTONUP, 0, 50, 50);
    gSettings.mouseBindings.slots[kMouseSlotChord] = 0;
    send(WM_RBUTTONDOWN, MK_RBUTTON, 50, 50);
    send(WM_LBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 50, 50);
    EXPECT_EQ(appState.dragMode, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(appState.zoomFactor, 1.0);
}

TEST_F(ViewInFrame, ExtraButtonsRunSlotsThreeAndFour) {
    startWithLargePicture();
    dispatchCommand(CMD_ZOOM_100);
    gSettings.mouseBindings.slots[kMouseSlotX1] = CMD_ZOOM_OUT;
    gSettings.mouseBindings.slots[kMouseSlotX2] = CMD_ZOOM_IN;
    EXPECT_EQ(send(WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON1, XBUTTON1), 60, 60), TRUE);
    EXPECT_NEAR(appState.zoomFactor, 0.9, 1e-12);
    send(WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON2, XBUTTON2), 60, 60);
    send(WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON2, XBUTTON2), 60, 60);
    EXPECT_NEAR(appState.zoomFactor, 1.1, 1e-12);
    // Not alone, or while the zoom edit is being typed into: nothing.
    send(WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON2 | MK_LBUTTON, XBUTTON2), 60, 60);
    appState.inputLock = true;
    send(WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON1, XBUTTON1), 60, 60);
    send(WM_MBUTTONDOWN, MK_MBUTTON, 60, 60);
    appState.inputLock = false;
    EXPECT_NEAR(appState.zoomFactor, 1.1, 1e-12);
}

TEST_F(ViewInFrame, ResizingTheFrameKeepsTheZoomAndRedoesTheBars) {
    startWithLargePicture();
    setZoom(0.25);  // 400 x 300
    for (int width : {350, 900, 600}) {
        SetWindowPos(appState.frame, nullptr, 0, 0, width, 560, SWP_NOZORDER | SWP_NOMOVE);
        pumpMessages();
        EXPECT_EQ(appState.zoomFactor, 0.25);
        RECT outer;
        GetWindowRect(appState.view, &outer);
        // The view's inner size is its outer size less the one-pixel static edge.
        EXPECT_EQ(g().clientW, outer.right - outer.left - 2) << width;
        EXPECT_EQ(g().clientH, outer.bottom - outer.top - 2) << width;
        if (g().clientW < 400) {
            EXPECT_TRUE(g().horizontalBar) << width;
        }
        if (g().clientW >= 400 + GetSystemMetrics(SM_CXVSCROLL) && g().clientH >= 300) {
            EXPECT_FALSE(g().horizontalBar) << width;
            EXPECT_FALSE(g().verticalBar) << width;
            EXPECT_EQ(g().dstX, (g().clientW - 400) / 2) << width;
        }
        RECT client;
        GetClientRect(appState.view, &client);
        EXPECT_EQ(client.right, g().viewW) << width;
        EXPECT_EQ(client.bottom, g().viewH) << width;
    }
}

// A solid picture painted by the program: its colour in the middle of the view, grey margins around it.
TEST_F(ViewInFrame, ProgramPaintsAJpegInGreyMargins) {
    TestJpegOptions options;
    options.width = 240;
    options.height = 160;
    options.solid = {200, 60, 40};
    startWithPicture(options);
    ASSERT_EQ(appState.zoomFactor, 1.0);
    UpdateWindow(appState.frame);
    pumpMessages();
    HDC dc = GetDC(appState.view);
    COLORREF middle = GetPixel(dc, g().dstX + 120, g().dstY + 80);
    COLORREF corner = GetPixel(dc, g().dstX + 1, g().dstY + 1);
    COLORREF margin = GetPixel(dc, g().dstX - 3, g().dstY + 80);
    COLORREF above = GetPixel(dc, g().dstX + 120, g().dstY - 3);
    ReleaseDC(appState.view, dc);
    for (COLORREF c : {middle, corner}) {
        EXPECT_NEAR(GetRValue(c), 200, 4);
        EXPECT_NEAR(GetGValue(c), 60, 4);
        EXPECT_NEAR(GetBValue(c), 40, 4);
    }
    EXPECT_EQ(margin, RGB(192, 192, 192));
    EXPECT_EQ(above, RGB(192, 192, 192));
}

// The rest of the view's message table: the cursor is left to the crop editing only over a committed
// rectangle's view, a left release ends a left drag, and a settings change redoes the scroll bars.
TEST_F(ViewInFrame, CursorLeftReleaseAndSettingsChange) {
    startWithLargePicture();
    LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    HCURSOR noEntry = LoadCursorW(nullptr, IDC_NO);
    SetCursor(noEntry);
    appState.cropMode = true;
    appState.cropState = 3;
    EXPECT_EQ(SendMessageW(appState.view, WM_SETCURSOR, WPARAM(appState.view), overClient), TRUE);
    EXPECT_EQ(GetCursor(), noEntry);  // the crop editing chose it; the view leaves it alone
    appState.cropState = 2;
    SendMessageW(appState.view, WM_SETCURSOR, WPARAM(appState.view), overClient);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));  // the class cursor
    appState.cropMode = false;
    appState.cropState = 0;

    appState.dragMode = 1;
    SetCapture(appState.view);
    send(WM_LBUTTONUP, 0, 10, 10);
    EXPECT_EQ(appState.dragMode, 0);
    EXPECT_EQ(GetCapture(), nullptr);

    dispatchCommand(CMD_ZOOM_100);
    int32_t position = g().srcY;
    SetScrollPos(appState.view, SB_VERT, 0, TRUE);  // as if a metrics change had upset the bars
    SendMessageW(appState.frame, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    EXPECT_EQ(GetScrollPos(appState.view, SB_VERT), position);
    EXPECT_EQ(g().srcY, position);
}

// The pan cursors are 32 x 32 monochrome cursors with the hot spot in the middle, and each shows an arrow
// exactly for the directions in which the picture can still be dragged.
TEST(PanCursors, ShowTheArrowsOfTheirDirections) {
    enum { up = 1, down = 2, left = 4, right = 8 };
    const struct {
        int id;
        int arrows;
    } cursors[] = {
        {110, up},
        {111, down},
        {112, right},
        {113, left},
        {114, up | down},
        {115, up | right},
        {116, up | left},
        {117, down | right},
        {118, down | left},
        {119, left | right},
        {120, up | down | right},
        {121, up | down | left},
        {122, up | left | right},
        {123, down | left | right},
        {124, up | down | left | right},
    };
    HINSTANCE program = GetModuleHandleW(nullptr);
    for (const auto& c : cursors) {
        HCURSOR cursor = LoadCursorW(program, MAKEINTRESOURCEW(c.id));
        ASSERT_NE(cursor, nullptr) << c.id;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(cursor, &info)) << c.id;
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, 16u) << c.id;
        EXPECT_EQ(info.yHotspot, 16u) << c.id;
        EXPECT_EQ(info.hbmColor, nullptr) << c.id << " is not monochrome";
        // A monochrome cursor's mask holds the AND mask over the XOR mask; a drawn pixel has AND 0.
        BITMAPINFO header = {};
        header.bmiHeader.biSize = sizeof header.bmiHeader;
        header.bmiHeader.biWidth = 32;
        header.bmiHeader.biHeight = -64;
        header.bmiHeader.biPlanes = 1;
        header.bmiHeader.biBitCount = 32;
        std::vector<uint32_t> mask(32 * 64);
        HDC dc = GetDC(nullptr);
        int rows = GetDIBits(dc, info.hbmMask, 0, 64, mask.data(), &header, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        ASSERT_EQ(rows, 64) << c.id;
        auto drawn = [&](int x0, int y0, int x1, int y1) {
            int count = 0;
            for (int y = y0; y < y1; y++)
                for (int x = x0; x < x1; x++) count += (mask[y * 32 + x] & 0xFFFFFF) == 0;
            return count;
        };
        EXPECT_GT(drawn(13, 13, 19, 19), 20) << c.id << ": the centre dot";
        EXPECT_EQ(drawn(10, 2, 22, 11) > 10, (c.arrows & up) != 0) << c.id << ": up";
        EXPECT_EQ(drawn(10, 21, 22, 30) > 10, (c.arrows & down) != 0) << c.id << ": down";
        EXPECT_EQ(drawn(2, 10, 11, 22) > 10, (c.arrows & left) != 0) << c.id << ": left";
        EXPECT_EQ(drawn(21, 10, 30, 22) > 10, (c.arrows & right) != 0) << c.id << ": right";
    }
}
