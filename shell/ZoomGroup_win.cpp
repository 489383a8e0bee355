// The zoom group on toolbar 1: the "Zoom" label, which zooms as it is dragged, the percentage edit with
// its up-down, and the unit.
#include "shell/ZoomGroup.h"

#include <commctrl.h>
#include <imm.h>

#include <initializer_list>

#include "settings/LanguageModule.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/ShellWindows.h"
#include "ui/ControlFactory.h"
#include "ui/OwnerDraw.h"
#include "view/ImageView.h"
#include "view/ViewGeometry.h"

namespace {

constexpr COLORREF kZoomLimitColour = RGB(0, 96, 255);
constexpr COLORREF kZoomOutOfRangeColour = RGB(208, 0, 80);
constexpr int kMinZoomPercent = 1;
constexpr int kMaxZoomPercent = 1600;
constexpr int kZoomEditChars = 4;  // "1600"
constexpr int kZoomLabelTravel = 500;  // pixels of drag covering the whole zoom range (at 96 DPI)

struct ZoomGroupState {
    HWND hotLabel = nullptr;
    bool applyingTypedZoom = false;  // the zoom change comes from the zoom edit: leave its text alone
    int labelDragStartX = 0;
    int labelDragStartPosition = 0;
};
ZoomGroupState zoomGroup;

// Zoom edit, as the user types: clamp to 1..1600 and apply unless the program wrote the value itself.
// Text that is no number yet (empty, a lone minus) changes nothing: clearing the field to type a new
// value must not zoom to 1 % on the way.
void onZoomEditUpdate() {
    InvalidateRect(appState.zoomEdit, nullptr, TRUE);
    BOOL converted = FALSE;
    int value = int(GetDlgItemInt(appState.toolbar1, IDC_ZOOM_EDIT, &converted, TRUE));
    if (!converted) return;
    if (value < kMinZoomPercent) value = kMinZoomPercent;
    if (value > kMaxZoomPercent) value = kMaxZoomPercent;
    if (!appState.inputGuard || value == zoomPercent(appState.zoomFactor)) return;
    if (!appState.imageLoaded) return;
    // Rewriting the edit from the new zoom would put the caret back to the start and turn the
    // typed 0 of an out-of-range value into 1 under the user's hands.
    zoomGroup.applyingTypedZoom = true;
    setZoom(value / 100.0);
    zoomGroup.applyingTypedZoom = false;
}

void closeInputMethod() {
    HIMC context = ImmGetContext(appState.frame);
    if (!context) return;
    if (ImmGetOpenStatus(context)) ImmSetOpenStatus(context, FALSE);
    ImmReleaseContext(appState.frame, context);
}

void paintZoomLabel(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT rect;
    GetClientRect(window, &rect);
    if (zoomGroup.hotLabel == window) fillRoundRect(dc, rect, 0, kHotFill, kHotPen);
    else {
        SetDCBrushColor(dc, kBarBackground);
        FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    TextBuffer text;
    loadText(uint32_t(GetWindowLongPtrW(window, GWLP_USERDATA)), &text);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(window) ? RGB(0, 0, 0) : GetSysColor(COLOR_GRAYTEXT));
    HGDIOBJ oldFont = SelectObject(dc, appState.uiFont);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    ExtTextOutW(dc, rect.right / 2, (rect.bottom - appState.metrics.textHeight) / 2, ETO_CLIPPED, &rect,
                asWide(textChars(&text)), UINT(text.length), nullptr);
    SelectObject(dc, oldFont);
    EndPaint(window, &paint);
}

void onZoomLabelMouseMove(HWND window, WPARAM keys) {
    if (keys == 0 && zoomGroup.hotLabel != window) {
        zoomGroup.hotLabel = window;
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        InvalidateRect(window, nullptr, FALSE);
        return;
    }
    if (keys == MK_LBUTTON && appState.dragMode == 3 && appState.imageLoaded) {
        POINT point;
        GetCursorPos(&point);
        // Positions count 96-DPI pixels: the whole range takes the same hand travel at every scale.
        int position = zoomGroup.labelDragStartPosition + MulDiv(point.x - zoomGroup.labelDragStartX, 96, appState.metrics.dpi);
        if (position < 0) position = 0;
        if (position > kZoomLabelTravel) position = kZoomLabelTravel;
        double zoom = zoomForLabelPosition(position);
        if (zoom != appState.zoomFactor) setZoom(zoom);
    }
}

void onZoomLabelLeftDown(HWND window) {
    if (zoomGroup.hotLabel != window || !appState.imageLoaded) return;
    appState.dragMode = 3;
    SetFocus(window);
    SetCapture(window);
    POINT point;
    GetCursorPos(&point);
    zoomGroup.labelDragStartX = point.x;
    zoomGroup.labelDragStartPosition = zoomLabelPosition(appState.zoomFactor);
}

// The capture can go without a button release (another window takes it, the program is switched away
// from); the drag then ends here, else dragMode 3 would keep every accelerator locked.
void onZoomLabelCaptureLost(HWND window) {
    if (appState.dragMode != 3) return;
    appState.dragMode = 0;
    zoomGroup.hotLabel = nullptr;
    InvalidateRect(window, nullptr, FALSE);
    InvalidateRect(appState.view, nullptr, FALSE);
}

void onZoomLabelLeftUp(HWND window) {
    if (zoomGroup.hotLabel != window || appState.dragMode != 3) return;
    appState.dragMode = 0;
    ReleaseCapture();
    InvalidateRect(appState.view, nullptr, FALSE);
    UpdateWindow(appState.view);
}

LRESULT CALLBACK zoomLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        break;
    case WM_PAINT: paintZoomLabel(window); return 0;
    case WM_MOUSEMOVE: onZoomLabelMouseMove(window, wParam); return 0;
    case WM_MOUSELEAVE:
        if (appState.dragMode != 3) {
            zoomGroup.hotLabel = nullptr;
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONDOWN: onZoomLabelLeftDown(window); return 0;
    case WM_LBUTTONUP: onZoomLabelLeftUp(window); return 0;
    case WM_CAPTURECHANGED: onZoomLabelCaptureLost(window); return 0;
    case WM_ENABLE: InvalidateRect(window, nullptr, FALSE); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool registerZoomLabelClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = zoomLabelProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_ZOOM_DRAG));
    windowClass.lpszClassName = kZoomLabelClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

int placeZoomGroup() {
    const UiMetrics& metrics = appState.metrics;
    RECT placeholder = {};
    LRESULT index = SendMessageW(appState.toolbar1, TB_COMMANDTOINDEX, ID_ZOOM_PLACEHOLDER, 0);
    SendMessageW(appState.toolbar1, TB_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&placeholder));
    int y = scaled(2);
    int labelX = placeholder.left + scaled(11);
    TextBuffer label;
    loadText(TXT_ZOOM_LABEL, &label);
    int labelWidth = uiTextWidth(textChars(&label)) + scaled(4);
    int editX = labelX + labelWidth;
    int editWidth = numberFieldWidth(kZoomEditChars);
    TextBuffer unit;
    loadText(TXT_ZOOM_UNIT, &unit);
    int unitX = editX + editWidth + scaled(3);
    int unitWidth = uiTextWidth(textChars(&unit)) + scaled(2);
    MoveWindow(appState.zoomLabel, labelX, y, labelWidth, metrics.lineHeight, TRUE);
    placeNumberField(appState.toolbar1, editX, kZoomEditChars);
    // A static draws its text at the top; lowered by the edit's inner margin, the unit sits on the
    // same line as the number.
    int unitTop = y + (metrics.lineHeight - metrics.textHeight) / 2;
    MoveWindow(appState.zoomUnit, unitX, unitTop, unitWidth, metrics.textHeight, TRUE);
    SetWindowTextW(appState.zoomUnit, asWide(textChars(&unit)));
    for (HWND control : {appState.zoomLabel, appState.zoomEdit, appState.zoomUnit})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(appState.uiFont), TRUE);
    return unitX + unitWidth - placeholder.left;
}

bool createZoomGroup() {
    HWND parent = appState.toolbar1;
    appState.zoomLabel = CreateWindowExW(0, kZoomLabelClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                                         reinterpret_cast<HMENU>(INT_PTR(IDC_ZOOM_LABEL)), appState.instance,
                                         reinterpret_cast<void*>(INT_PTR(TXT_ZOOM_LABEL)));
    // Digits only (the range starts at 1), four of them, with the up-down on its right.
    appState.zoomEdit = createNumberField(parent, IDC_ZOOM_EDIT, IDC_ZOOM_UPDOWN, 0, kZoomEditChars, kZoomEditChars,
                                          kMaxZoomPercent, kMinZoomPercent, 100);
    appState.zoomUpDown = GetDlgItem(parent, IDC_ZOOM_UPDOWN);
    appState.zoomUnit = CreateWindowExW(0, L"Static", nullptr, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, parent,
                                        reinterpret_cast<HMENU>(INT_PTR(IDC_ZOOM_UNIT)), appState.instance, nullptr);
    if (!appState.zoomLabel || !appState.zoomEdit || !appState.zoomUpDown || !appState.zoomUnit) return false;
    return true;
}

void setZoomEditTooltip(UINT message) {
    TextBuffer text;
    loadText(TXT_ZOOM_TOOLTIP, &text);
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = appState.toolbar1;
    tool.uId = reinterpret_cast<UINT_PTR>(appState.zoomEdit);
    tool.lpszText = const_cast<wchar_t*>(asWide(textChars(&text)));
    SendMessageW(appState.tooltip, message, 0, reinterpret_cast<LPARAM>(&tool));
}

void onZoomEditCommand(int notification) {
    switch (notification) {
    case EN_SETFOCUS:
        appState.inputLock = true;
        closeInputMethod();
        break;
    case EN_KILLFOCUS:
        appState.inputLock = appState.cropMode && appState.cropState != 3;
        showZoomPercent();
        break;
    case EN_UPDATE: onZoomEditUpdate(); break;
    }
}

LRESULT zoomEditColour(HDC dc) {
    BOOL converted = FALSE;
    int value = int(GetDlgItemInt(appState.toolbar1, IDC_ZOOM_EDIT, &converted, TRUE));
    if (converted && (value == kMinZoomPercent || value == kMaxZoomPercent)) SetTextColor(dc, kZoomLimitColour);
    else if (converted && (value < kMinZoomPercent || value > kMaxZoomPercent)) SetTextColor(dc, kZoomOutOfRangeColour);
    SetBkColor(dc, RGB(255, 255, 255));
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

void showZoomPercent() {
    if (zoomGroup.applyingTypedZoom) return;
    appState.inputGuard = false;
    SetDlgItemInt(appState.toolbar1, IDC_ZOOM_EDIT, UINT(zoomPercent(appState.zoomFactor)), TRUE);
    appState.inputGuard = true;
}
