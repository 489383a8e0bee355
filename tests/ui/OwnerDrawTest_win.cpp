#include "ui/OwnerDraw.h"

#include "ui/UiWindowFixture.h"

namespace {

// A 24-bit memory canvas whose pixels can be read back.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    Canvas(int width, int height) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        oldBitmap = SelectObject(dc, bitmap);
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ~Canvas() {
        SelectObject(dc, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
    int countNot(COLORREF colour, const RECT& r) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; y++) {
            for (int x = r.left; x < r.right; x++) n += at(x, y) != colour;
        }
        return n;
    }
};

using OwnerDraw = UiWindow;

}  // namespace

TEST_F(OwnerDraw, RoundRectFillsAndRestoresTheDc) {
    Canvas canvas(60, 40);
    HGDIOBJ brushBefore = GetCurrentObject(canvas.dc, OBJ_BRUSH);
    HGDIOBJ penBefore = GetCurrentObject(canvas.dc, OBJ_PEN);
    RECT rect = {10, 10, 50, 30};
    fillRoundRect(canvas.dc, rect, 5, kHotFill, kHotPen);
    EXPECT_EQ(canvas.at(30, 20), kHotFill);
    EXPECT_EQ(canvas.at(30, 10), kHotPen);
    EXPECT_EQ(canvas.at(10, 20), kHotPen);
    EXPECT_EQ(canvas.at(10, 10), RGB(0, 0, 0));  // the rounded corner leaves the background
    EXPECT_EQ(canvas.at(50, 20), RGB(0, 0, 0));  // right edge exclusive
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_BRUSH), brushBefore);
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_PEN), penBefore);

    RECT square = {0, 0, 8, 8};
    fillRoundRect(canvas.dc, square, 0, kCheckedFill, kCheckedPen);
    EXPECT_EQ(canvas.at(0, 0), kCheckedPen);  // corner 0: square corners
    EXPECT_EQ(canvas.at(4, 4), kCheckedFill);
}

TEST_F(OwnerDraw, CheckDiamondIsCentredInTheItem) {
    Canvas canvas(40, 40);
    RECT item = {5, 0, 40, 21};  // t = (21 - 9) / 2 = 6
    drawCheckDiamond(canvas.dc, item);
    EXPECT_EQ(canvas.at(5 + 7, 6), kDiamondPen);       // top point
    EXPECT_EQ(canvas.at(5 + 7, 6 + 4), kDiamondFill);  // centre
    EXPECT_EQ(canvas.at(5 + 3, 6 + 4), kDiamondPen);   // left point
    EXPECT_EQ(canvas.at(5 + 7, 6 - 1), RGB(0, 0, 0));
    EXPECT_EQ(canvas.at(5 + 7, 6 + 9), RGB(0, 0, 0));
}

TEST_F(OwnerDraw, ComboItemsDrawTheirLanguageTextOrOwnText) {
    HWND combo = CreateWindowExW(0, L"ComboBox", nullptr,
                                 WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 0, 0,
                                 200, 200, window, nullptr, nullptr, nullptr);
    ASSERT_NE(combo, nullptr);
    SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(appState.uiFont), 0);
    LRESULT byId = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
    SendMessageW(combo, CB_SETITEMDATA, byId, 5100);  // "Test open"
    LRESULT own = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Own"));
    LRESULT missing = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
    SendMessageW(combo, CB_SETITEMDATA, missing, 4242);  // no such text

    Canvas canvas(200, 20);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_COMBOBOX;
    item.hwndItem = combo;
    item.hDC = canvas.dc;
    item.rcItem = {0, 0, 200, 20};
    const COLORREF window = GetSysColor(COLOR_WINDOW);

    item.itemID = static_cast<UINT>(byId);
    item.itemData = 5100;
    item.itemState = ODS_SELECTED;
    drawComboItem(&item);
    EXPECT_EQ(canvas.at(150, 10), kHotFill);
    EXPECT_EQ(canvas.at(0, 0), kHotPen);
    int selectedInk = canvas.countNot(kHotFill, {2, 2, 120, 18});

    item.itemState = 0;
    drawComboItem(&item);
    EXPECT_EQ(canvas.at(150, 10), window);
    int textInk = canvas.countNot(window, {0, 0, 200, 20});
    EXPECT_GT(textInk, 20);
    EXPECT_GT(selectedInk, 20);
    EXPECT_EQ(canvas.countNot(window, {0, 0, 2, 20}), 0);  // the text starts 2 pixels in

    item.itemID = static_cast<UINT>(own);
    item.itemData = 0;
    drawComboItem(&item);
    int ownInk = canvas.countNot(window, {0, 0, 200, 20});
    EXPECT_GT(ownInk, 10);
    EXPECT_LT(ownInk, textInk);  // "Own" is shorter than "Test open"

    item.itemID = static_cast<UINT>(missing);
    item.itemData = 4242;
    drawComboItem(&item);
    EXPECT_EQ(canvas.countNot(window, {0, 0, 200, 20}), 0);

    // Disabled: no background, grey text over whatever was there.
    RECT all = {0, 0, 200, 20};
    FillRect(canvas.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    item.itemID = static_cast<UINT>(own);
    item.itemData = 0;
    item.itemState = ODS_DISABLED | ODS_SELECTED;
    drawComboItem(&item);
    EXPECT_EQ(canvas.at(150, 10), RGB(0, 0, 0));
    EXPECT_GT(canvas.countNot(RGB(0, 0, 0), all), 5);
}

TEST_F(OwnerDraw, HeadingRuleFollowsTheText) {
    ShowWindow(window, SW_SHOW);
    HWND heading = CreateWindowExW(0, L"Static", L"Language", WS_CHILD | WS_VISIBLE, 10, 10, 300, 16, window, nullptr,
                                   nullptr, nullptr);
    SendMessageW(heading, WM_SETFONT, reinterpret_cast<WPARAM>(appState.uiFont), 0);
    ASSERT_TRUE(attachHeadingRule(heading));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC dc = GetDC(heading);
    int textEnd = uiTextWidth(L"Language");
    EXPECT_EQ(GetPixel(dc, textEnd + 5, 8), kHeadingRule);
    EXPECT_EQ(GetPixel(dc, 299, 8), kHeadingRule);
    EXPECT_NE(GetPixel(dc, textEnd + 3, 8), kHeadingRule);
    EXPECT_NE(GetPixel(dc, 200, 4), kHeadingRule);
    ReleaseDC(heading, dc);

    detachHeadingRule(heading);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    dc = GetDC(heading);
    EXPECT_NE(GetPixel(dc, 200, 8), kHeadingRule);
    ReleaseDC(heading, dc);
}

TEST_F(OwnerDraw, ScrollEndRepaintsTheWholeList) {
    ShowWindow(window, SW_SHOW);
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 200, 100, window,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    UpdateWindow(list);
    static int paints;
    paints = 0;
    auto counter = [](HWND w, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) -> LRESULT {
        if (message == WM_PAINT) paints++;
        return DefSubclassProc(w, message, wParam, lParam);
    };
    SetWindowSubclass(list, counter, 99, 0);
    ASSERT_TRUE(attachScrollRepaint(list));
    SendMessageW(list, WM_VSCROLL, SB_THUMBTRACK, 0);
    EXPECT_EQ(paints, 0);
    SendMessageW(list, WM_VSCROLL, SB_ENDSCROLL, 0);
    EXPECT_GE(paints, 1);
    RECT pending;
    EXPECT_FALSE(GetUpdateRect(list, &pending, FALSE));
}
