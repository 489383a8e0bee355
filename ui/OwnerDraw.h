#pragma once
// The shared look of menus, toolbars, combo boxes and dialog headings. Windows only; the colours are
// COLORREF values (0x00BBGGRR).

#include <cstdint>

struct HDC__;
struct HWND__;
struct tagRECT;
struct tagDRAWITEMSTRUCT;

constexpr uint32_t kHotFill = 0x00FFFFE8;        // RGB(232, 255, 255)
constexpr uint32_t kHotPen = 0x00909048;         // RGB(72, 144, 144)
constexpr uint32_t kCheckedFill = 0x00FFFFFF;    // RGB(255, 255, 255)
constexpr uint32_t kCheckedPen = 0x00904890;     // RGB(144, 72, 144)
constexpr uint32_t kDiamondFill = 0x00FFE0FF;    // RGB(255, 224, 255)
constexpr uint32_t kDiamondPen = 0x00904890;     // RGB(144, 72, 144)
constexpr uint32_t kBarBackground = 0x00F0F0F0;  // RGB(240, 240, 240)
constexpr uint32_t kHeadingRule = 0x00E0B0A0;    // RGB(160, 176, 224)

// Rounded rectangle (corner 0: square) in the DC brush and pen colours; the DC's objects are restored.
void fillRoundRect(HDC__* dc, const tagRECT& rect, int corner, uint32_t fill, uint32_t pen);
// The check mark of menu items, vertically centred in the item.
void drawCheckDiamond(HDC__* dc, const tagRECT& itemRect);
// WM_DRAWITEM of the owner-drawn combo boxes: the item data is a language text id, or 0 for the item's text.
void drawComboItem(const tagDRAWITEMSTRUCT* item);
// Subclasses of dialog controls, removed again by detach or when the control is destroyed.
bool attachHeadingRule(HWND__* headingStatic);
void detachHeadingRule(HWND__* headingStatic);
bool attachScrollRepaint(HWND__* listView);
void detachScrollRepaint(HWND__* listView);
// WM_PAINT of a window that shows only the button face colour.
void paintFace(HWND__* window);
