// The about window: modal by construction (the frame disabled, a private message loop), three children
// in the interface font, Escape closing it and every other key swallowed.
#include "help/About.h"

#include "common/WinHeaders.h"

#include <initializer_list>

#include "filelist/FileListWindow.h"
#include "help/AboutText.h"
#include "help/Help.h"
#include "settings/LanguageModule.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "ui/ControlFactory.h"

namespace {

constexpr COLORREF kLinkColour = RGB(0, 0, 255);

// Built before the window opens; the window and the link label read it.
struct AboutRecord {
    bool open = false;
    const char16_t* productLine = kProductLine;
    const char16_t* makerLine = kMakerLine;
    const char16_t* linkText = kMakerSite;
};

void fillButtonFace(HWND window, HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

void paintLink(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    fillButtonFace(window, dc);
    const AboutRecord* about = reinterpret_cast<const AboutRecord*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (about) {
        RECT client;
        GetClientRect(window, &client);
        HGDIOBJ oldFont = SelectObject(dc, appState.uiFont);
        SetTextColor(dc, kLinkColour);
        SetBkMode(dc, TRANSPARENT);
        int y = (client.bottom - appState.metrics.textHeight) / 2;
        ExtTextOutW(dc, 0, y, ETO_CLIPPED, &client, asWide(about->linkText), UINT(textLength16(about->linkText)),
                    nullptr);
        SelectObject(dc, oldFont);
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK aboutLinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        return 0;
    case WM_PAINT: paintLink(window); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: {
        const AboutRecord* about = reinterpret_cast<const AboutRecord*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (about) gHelpHooks.openAddress(about->linkText);
        return 0;
    }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND createLine(HWND parent, const wchar_t* className, const char16_t* text, int id, int y, DWORD style,
                void* parameter) {
    HWND child = CreateWindowExW(0, className, text ? asWide(text) : nullptr, WS_CHILD | WS_VISIBLE | style, scaled(12),
                                 scaled(y), scaled(250), scaled(20), parent, reinterpret_cast<HMENU>(INT_PTR(id)),
                                 appState.instance, parameter);
    if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(appState.uiFont), FALSE);
    return child;
}

void onAboutCreate(HWND window, AboutRecord* about) {
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(about));
    HMENU menu = GetSystemMenu(window, FALSE);
    for (UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE}) DeleteMenu(menu, command, MF_BYCOMMAND);
    const DWORD textStyle = SS_CENTERIMAGE | SS_ENDELLIPSIS;
    createLine(window, L"Static", about->productLine, kAboutProductId, 7, textStyle, nullptr);
    createLine(window, L"Static", about->makerLine, kAboutMakerId, 27, textStyle, nullptr);
    createLine(window, kAboutLinkClass, nullptr, kAboutLinkId, 47, 0, about);
}

// The frame comes back before the window goes, as after a modal dialog: were it still disabled when the
// window is destroyed, Windows would activate another program's window instead.
void closeAbout(HWND window) {
    EnableWindow(appState.frame, TRUE);
    appState.inputLock = false;
    SetWindowPos(appState.frame, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    DestroyWindow(window);
}

LRESULT CALLBACK aboutWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    AboutRecord* about = reinterpret_cast<AboutRecord*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE:
        onAboutCreate(window, static_cast<AboutRecord*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        fillButtonFace(window, BeginPaint(window, &paint));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kAboutLinkId && HIWORD(wParam) == 0 && about) gHelpHooks.openAddress(about->linkText);
        return 0;
    case WM_CLOSE: closeAbout(window); return 0;
    case WM_DESTROY:
        if (about) about->open = false;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerAboutClass(const wchar_t* name, WNDPROC procedure, const wchar_t* cursor, UINT style) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = appState.instance;
    windowClass.hCursor = LoadCursorW(nullptr, cursor);
    windowClass.lpszClassName = name;
    return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

void showAbout() {
    destroyFileListWindow();
    AboutRecord about;
    EnableWindow(appState.frame, FALSE);
    appState.inputLock = true;
    registerAboutClass(kAboutClass, aboutWindowProc, IDC_ARROW, CS_HREDRAW | CS_VREDRAW);
    registerAboutClass(kAboutLinkClass, aboutLinkProc, IDC_HAND, 0);
    RECT frame;
    GetWindowRect(appState.frame, &frame);
    const int dpi = appState.metrics.dpi;
    const int dialogFrame = systemMetricAt(SM_CYDLGFRAME, dpi);
    AboutBox box = aboutWindowBox(frame.left, frame.top, frame.right, frame.bottom, dialogFrame,
                                  systemMetricAt(SM_CYCAPTION, dpi), dpi);
    TextBuffer title;
    loadText(CMD_ABOUT, &title);
    HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME, kAboutClass, asWide(textChars(&title)),
                                  WS_VISIBLE | WS_CLIPCHILDREN | WS_SYSMENU, box.x, box.y, box.width, box.height,
                                  appState.frame, nullptr, appState.instance, &about);
    if (window) {
        about.open = true;
        MSG message;
        while (about.open && GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        // A quit message ends the program's loop too.
        if (about.open) PostQuitMessage(int(message.wParam));
        if (IsWindow(window)) DestroyWindow(window);
    }
    UnregisterClassW(kAboutClass, appState.instance);
    UnregisterClassW(kAboutLinkClass, appState.instance);
    EnableWindow(appState.frame, TRUE);
    appState.inputLock = false;
}
