// The zoom group of toolbar 1 driven with real input: digits typed into the zoom edit, its colours as
// painted, the up-down arrows, and the zoom label dragged with the mouse.
#include "shell/Toolbars.h"

#include <cmath>

#include "shell/CommandIds.h"
#include "shell/ShellFrameFixture.h"
#include "ui/OwnerDraw.h"
#include "view/ImageView.h"

namespace {

constexpr COLORREF kLimitBlue = RGB(0, 96, 255);
constexpr COLORREF kCrimson = RGB(208, 0, 80);

class ZoomGroup : public ShellFrame {
protected:
    // The edit focused as a click would, its text selected so that typing replaces it.
    void focusEdit() {
        SetForegroundWindow(appState.frame);
        SetFocus(appState.zoomEdit);
        pumpFrameMessages();
        SendMessageW(appState.zoomEdit, EM_SETSEL, 0, -1);
    }

    void typeText(const char* text) {
        std::vector<WORD> keys;
        for (const char* c = text; *c; ++c) keys.push_back(*c == '-' ? VK_OEM_MINUS : WORD(*c));
        typeKeys(keys);
    }

    // The text colour the toolbar gives the edit, asked the way the edit asks before it paints.
    COLORREF editTextColour() {
        HDC dc = CreateCompatibleDC(nullptr);
        const COLORREF untouched = RGB(1, 2, 3);
        SetTextColor(dc, untouched);
        SetBkColor(dc, untouched);
        LRESULT brush = SendMessageW(appState.toolbar1, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(appState.zoomEdit));
        EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
        EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
        COLORREF colour = GetTextColor(dc);
        DeleteDC(dc);
        return colour;
    }

    // Pixels of the edit tinted like `colour` (smoothed glyph edges included): crimson reads as red over
    // green, the limit blue as blue over red. Black digits on white are neither.
    int paintedPixels(COLORREF colour) {
        repaintNow(appState.zoomEdit);
        WindowPixels edit(appState.zoomEdit);
        bool crimson = colour == kCrimson;
        return edit.count({0, 0, edit.width, edit.height}, [crimson](COLORREF c) {
            int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            return crimson ? r - g > 60 && r > b : b - r > 60 && b > g;
        });
    }

    POINT screenCentre(HWND window) {
        RECT rect;
        GetWindowRect(window, &rect);
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
};

// Where the quadratic label mapping puts a zoom, and the zoom of a position (0..500 pixels of travel).
int labelPositionOf(double zoom) { return int(std::sqrt((zoom - 0.01) / 15.99) * 500 + 0.5); }
double zoomAtLabelPosition(int position) {
    double share = position / 500.0;
    return share * share * 15.99 + 0.01;
}

}  // namespace

TEST_F(ZoomGroup, TypedDigitsZoomAsTheyArriveAndKeysStayInTheEdit) {
    startWithPicture();
    setZoom(1.0);
    focusEdit();
    EXPECT_TRUE(appState.inputLock);
    typeText("250");
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 2.5);
    EXPECT_EQ(windowText(appState.zoomEdit), "250");  // not rewritten under the caret
    DWORD end = 0;
    SendMessageW(appState.zoomEdit, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(end, 3u);
    EXPECT_EQ(appState.viewState.geometry.zoomFactor, 2.5);  // the view was refreshed with it

    // Space is bound to the fit / 100 % toggle, but while the edit has the focus it goes to the edit,
    // which takes digits only.
    typeKeys({VK_SPACE});
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 2.5);
    EXPECT_EQ(windowText(appState.zoomEdit), "250");
    EXPECT_EQ(GetWindowLongW(appState.zoomEdit, GWL_STYLE) & ES_NUMBER, ES_NUMBER);
    typeKeys({VK_RETURN});
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 2.5);
    EXPECT_EQ(windowText(appState.zoomEdit), "250");
    EXPECT_EQ(GetFocus(), appState.zoomEdit);

    // The text limit is four characters.
    SendMessageW(appState.zoomEdit, EM_SETSEL, 0, -1);
    typeText("12345");
    EXPECT_EQ(windowText(appState.zoomEdit), "1234");
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 12.34);

    // Leaving the edit unlocks the keys and rewrites the percentage; Space toggles again.
    SendMessageW(appState.zoomEdit, EM_SETSEL, 0, -1);
    typeText("33");
    SetFocus(appState.frame);
    pumpFrameMessages();
    EXPECT_FALSE(appState.inputLock);
    EXPECT_EQ(windowText(appState.zoomEdit), "33");
    typeKeys({VK_SPACE});
    EXPECT_EQ(appState.zoomFactor, 1.0);
    EXPECT_EQ(windowText(appState.zoomEdit), "100");
}

TEST_F(ZoomGroup, OutOfRangeValuesClampAndShowTheirColour) {
    startWithPicture();
    setZoom(1.0);
    struct Case {
        const char* typed;
        double zoom;
        COLORREF colour;  // RGB(1, 2, 3): the edit's own colour is left alone
    } cases[] = {
        {"0", 0.01, kCrimson},   {"1", 0.01, kLimitBlue},     {"75", 0.75, RGB(1, 2, 3)},
        {"1600", 16.0, kLimitBlue}, {"2000", 16.0, kCrimson}, {"1599", 15.99, RGB(1, 2, 3)},
    };
    focusEdit();
    for (const Case& c : cases) {
        SendMessageW(appState.zoomEdit, EM_SETSEL, 0, -1);
        typeText(c.typed);
        EXPECT_EQ(windowText(appState.zoomEdit), c.typed);
        EXPECT_DOUBLE_EQ(appState.zoomFactor, c.zoom) << c.typed;
        EXPECT_EQ(editTextColour(), c.colour) << c.typed;
        // What the user sees: the digits painted in that colour, or in neither.
        if (c.colour == RGB(1, 2, 3)) {
            EXPECT_EQ(paintedPixels(kCrimson) + paintedPixels(kLimitBlue), 0) << c.typed;
        } else {
            EXPECT_GT(paintedPixels(c.colour), 3) << c.typed;
        }
    }
    // Clearing the field is no value yet: the zoom stays. A minus sign is refused.
    setZoom(0.5);
    focusEdit();
    typeKeys({VK_DELETE});
    EXPECT_EQ(windowText(appState.zoomEdit), "");
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 0.5);
    typeText("-");
    EXPECT_EQ(windowText(appState.zoomEdit), "");
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 0.5);
    EXPECT_EQ(editTextColour(), RGB(1, 2, 3));
    SetFocus(appState.frame);
    pumpFrameMessages();
    EXPECT_EQ(windowText(appState.zoomEdit), "50");
}

TEST_F(ZoomGroup, UpDownArrowsStepThePercentage) {
    startWithPicture();
    setZoom(1.0);
    RECT arrows;
    GetWindowRect(appState.zoomUpDown, &arrows);
    POINT up = {(arrows.left + arrows.right) / 2, arrows.top + (arrows.bottom - arrows.top) / 4};
    mouseAt(up);
    mouseAt(up, MOUSEEVENTF_LEFTDOWN);
    mouseAt(up, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(windowText(appState.zoomEdit), "101");
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 1.01);
    POINT down = {up.x, arrows.bottom - (arrows.bottom - arrows.top) / 4};
    for (int i = 0; i < 2; ++i) {
        mouseAt(down, MOUSEEVENTF_LEFTDOWN);
        mouseAt(down, MOUSEEVENTF_LEFTUP);
    }
    EXPECT_EQ(windowText(appState.zoomEdit), "99");
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 0.99);
    SetFocus(appState.frame);
    pumpFrameMessages();
}

TEST_F(ZoomGroup, DraggingTheZoomLabelCoversTheWholeRange) {
    startWithPicture();
    // Room for 500 pixels of travel to either side of the label.
    POINT label = screenCentre(appState.zoomLabel);
    RECT frame;
    GetWindowRect(appState.frame, &frame);
    int screenCentreX = GetSystemMetrics(SM_CXSCREEN) / 2;
    MoveWindow(appState.frame, frame.left + screenCentreX - label.x, frame.top, 800, 600, TRUE);
    pumpFrameMessages();
    label = screenCentre(appState.zoomLabel);
    ASSERT_GE(label.x, 500);
    ASSERT_LT(label.x + 500, GetSystemMetrics(SM_CXSCREEN));
    setZoom(1.0);

    mouseAt(label);  // hovering makes the label hot
    repaintNow(appState.zoomLabel);
    {
        WindowPixels hot(appState.zoomLabel);
        EXPECT_GT(hot.countColour({1, 1, hot.width - 1, hot.height - 1}, kHotFill), 10);
    }
    mouseAt(label, MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(appState.dragMode, 3);
    EXPECT_EQ(GetCapture(), appState.zoomLabel);
    int start = labelPositionOf(1.0);
    mouseAt({label.x + 100, label.y});
    EXPECT_NEAR(appState.zoomFactor, zoomAtLabelPosition(start + 100), 1e-9);
    EXPECT_EQ(windowText(appState.zoomEdit), std::to_string(int(appState.zoomFactor * 100 + 0.5)));
    mouseAt({label.x + 40, label.y});
    EXPECT_NEAR(appState.zoomFactor, zoomAtLabelPosition(start + 40), 1e-9);
    // Accelerators wait while the label is dragged: Space does not toggle.
    double dragged = appState.zoomFactor;
    typeKeys({VK_SPACE});
    EXPECT_EQ(appState.zoomFactor, dragged);
    mouseAt({label.x + 450, label.y});
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 16.0);
    mouseAt({label.x - start - 30, label.y});
    EXPECT_DOUBLE_EQ(appState.zoomFactor, 0.01);
    mouseAt(label, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(appState.dragMode, 0);
    EXPECT_EQ(GetCapture(), nullptr);

    // From any position, 500 pixels to the right end at 1600 %; 500 to the left at 1 %.
    for (double zoom : {0.3, 4.0}) {
        setZoom(zoom);
        mouseAt(label);
        mouseAt(label, MOUSEEVENTF_LEFTDOWN);
        mouseAt({label.x + 500, label.y});
        EXPECT_DOUBLE_EQ(appState.zoomFactor, 16.0) << zoom;
        mouseAt({label.x + 500, label.y}, MOUSEEVENTF_LEFTUP);
        setZoom(zoom);
        mouseAt(label);
        mouseAt(label, MOUSEEVENTF_LEFTDOWN);
        mouseAt({label.x - 500, label.y});
        EXPECT_DOUBLE_EQ(appState.zoomFactor, 0.01) << zoom;
        mouseAt({label.x - 500, label.y}, MOUSEEVENTF_LEFTUP);
        EXPECT_EQ(appState.dragMode, 0);
    }
}

TEST_F(ZoomGroup, LosingTheCaptureEndsTheLabelDrag) {
    startWithPicture();
    setZoom(1.0);
    POINT label = screenCentre(appState.zoomLabel);
    mouseAt(label);
    mouseAt(label, MOUSEEVENTF_LEFTDOWN);
    ASSERT_EQ(appState.dragMode, 3);
    SetCapture(appState.frame);  // another window takes the mouse before the button comes up
    pumpFrameMessages();
    EXPECT_EQ(appState.dragMode, 0);
    ReleaseCapture();
    mouseAt(label, MOUSEEVENTF_LEFTUP);
    // The keys work again.
    SetFocus(appState.frame);
    typeKeys({VK_SPACE});
    EXPECT_NE(appState.zoomFactor, 1.0);
}
