#include "ui/OwnerDraw.h"

#include "common/TextBuffer.h"
#include "common/WinHeaders.h"
#include "settings/LanguageModule.h"
#include "shell/AppState.h"

#include <commctrl.h>

namespace {

constexpr UINT_PTR kHeadingRuleSubclass = 1;
constexpr UINT_PTR kScrollRepaintSubclass = 2;

// After the static has painted itself: a line from 5 pixels past its text to the right edge.
void drawHeadingRule(HWND control) {
    wchar_t text[128];
    int length = GetWindowTextW(control, text, 128);
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text, length, &extent);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, kHeadingRule);
    int y = client.bottom / 2;
    MoveToEx(dc, extent.cx + scaled(5), y, nullptr);
    LineTo(dc, client.right, y);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldFont);
    ReleaseDC(control, dc);
}

LRESULT CALLBACK paintHeadingRule(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(control, paintHeadingRule, id);
    LRESULT result = DefSubclassProc(control, message, wParam, lParam);
    if (message == WM_PAINT) drawHeadingRule(control);
    return result;
}

// The list view leaves stale grid lines behind when it scrolls by pages; a full repaint clears them.
LRESULT CALLBACK repaintAfterScroll(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(control, repaintAfterScroll, id);
    LRESULT result = DefSubclassProc(control, message, wParam, lParam);
    if (message == WM_VSCROLL && LOWORD(wParam) == SB_ENDSCROLL) {
        InvalidateRect(control, nullptr, TRUE);
        UpdateWindow(control);
    }
    return result;
}

}  // namespace

void fillRoundRect(HDC__* dc, const tagRECT& rect, int corner, uint32_t fill, uint32_t pen) {
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    COLORREF oldFill = SetDCBrushColor(dc, fill);
    COLORREF oldLine = SetDCPenColor(dc, pen);
    if (corner > 0) {
        RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner, corner);
    } else {
        Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    }
    SetDCBrushColor(dc, oldFill);
    SetDCPenColor(dc, oldLine);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

void drawCheckDiamond(HDC__* dc, const tagRECT& itemRect) {
    int x = itemRect.left;
    int t = itemRect.top + (itemRect.bottom - itemRect.top - scaled(9)) / 2;
    POINT points[4] = {{x + scaled(3), t + scaled(4)}, {x + scaled(7), t + scaled(8)}, {x + scaled(11), t + scaled(4)},
                       {x + scaled(7), t}};
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    COLORREF oldFill = SetDCBrushColor(dc, kDiamondFill);
    COLORREF oldLine = SetDCPenColor(dc, kDiamondPen);
    Polygon(dc, points, 4);
    SetDCBrushColor(dc, oldFill);
    SetDCPenColor(dc, oldLine);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

void drawComboItem(const tagDRAWITEMSTRUCT* item) {
    if (item->CtlType != ODT_COMBOBOX) return;
    HDC dc = item->hDC;
    bool disabled = (item->itemState & ODS_DISABLED) != 0;
    if (!disabled) {
        if (item->itemState & ODS_SELECTED) {
            fillRoundRect(dc, item->rcItem, 0, kHotFill, kHotPen);
        } else {
            FillRect(dc, &item->rcItem, GetSysColorBrush(COLOR_WINDOW));
        }
    }
    if (item->itemID == static_cast<UINT>(-1)) return;
    TextBuffer text;
    if (item->itemData != 0) {
        loadText(static_cast<uint32_t>(item->itemData), &text);
    } else {
        LRESULT length = SendMessageW(item->hwndItem, CB_GETLBTEXTLEN, item->itemID, 0);
        if (length > 0 && textSetLength(&text, static_cast<size_t>(length))) {
            SendMessageW(item->hwndItem, CB_GETLBTEXT, item->itemID, reinterpret_cast<LPARAM>(text.data));
        }
    }
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(item->hwndItem, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    const RECT& r = item->rcItem;
    int y = r.top + (r.bottom - r.top - metrics.tmHeight) / 2;
    ExtTextOutW(dc, r.left + scaled(2), y, ETO_CLIPPED, &r, asWide(textChars(&text)), static_cast<UINT>(text.length),
                nullptr);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

bool attachHeadingRule(HWND__* headingStatic) {
    return SetWindowSubclass(headingStatic, paintHeadingRule, kHeadingRuleSubclass, 0) != 0;
}

void detachHeadingRule(HWND__* headingStatic) {
    RemoveWindowSubclass(headingStatic, paintHeadingRule, kHeadingRuleSubclass);
}

bool attachScrollRepaint(HWND__* listView) {
    return SetWindowSubclass(listView, repaintAfterScroll, kScrollRepaintSubclass, 0) != 0;
}

void detachScrollRepaint(HWND__* listView) {
    RemoveWindowSubclass(listView, repaintAfterScroll, kScrollRepaintSubclass);
}

void paintFace(HWND__* window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    EndPaint(window, &paint);
}
