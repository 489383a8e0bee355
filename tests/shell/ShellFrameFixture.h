#pragma once
// The real frame started in the test process (an empty settings file beside the test program: every
// default), real input typed and moved with SendInput, and window pixels read back as painted. Shared by
// the window tests of the bars, the zoom group and the menus.

#include <gtest/gtest.h>

#include "common/WinHeaders.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/LanguageModule.h"
#include "shell/AppState.h"
#include "shell/ShellWindows.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"

inline std::wstring widePath(const std::string& utf8) {
    std::u16string text = u16(utf8);
    std::wstring result(text.begin(), text.end());
    for (wchar_t& c : result)
        if (c == L'/') c = L'\\';
    return result;
}

// The program's own loop step, so that accelerators and the inputLock rule apply as in the program.
inline void pumpFrameMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) handleLoopMessage(&message);
}

// Input from SendInput reaches the queue asynchronously under Wine: give it a moment.
inline void settleInput(int rounds = 15) {
    for (int i = 0; i < rounds; ++i) {
        Sleep(10);
        pumpFrameMessages();
    }
}

inline void typeKeys(const std::vector<WORD>& keys) {
    for (WORD key : keys) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = key;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
        settleInput(5);
    }
    settleInput();
}

// Moves the pointer to a screen point with the given button transitions (MOUSEEVENTF_LEFTDOWN...).
inline void mouseAt(POINT screen, DWORD buttons = 0) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = LONG((screen.x * 65535 + GetSystemMetrics(SM_CXSCREEN) / 2) / (GetSystemMetrics(SM_CXSCREEN) - 1));
    input.mi.dy = LONG((screen.y * 65535 + GetSystemMetrics(SM_CYSCREEN) / 2) / (GetSystemMetrics(SM_CYSCREEN) - 1));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    SendInput(1, &input, sizeof input);
    settleInput(8);
}

inline std::string windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return u8(asText(text));
}

inline std::string languageText(uint32_t id) {
    TextBuffer text;
    loadText(id, &text);
    return u8(textChars(&text));
}

// Rectangle of a child window in its parent's client coordinates.
inline RECT rectInParent(HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

inline RECT toolbarButtonRect(HWND toolbar, int command) {
    RECT rect = {};
    SendMessageW(toolbar, TB_GETRECT, WPARAM(command), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

// What a window shows on screen, copied out of its device context.
class WindowPixels {
public:
    explicit WindowPixels(HWND window) {
        RECT client;
        GetClientRect(window, &client);
        width = client.right;
        height = client.bottom;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        HDC source = GetDC(window);
        memoryDc = CreateCompatibleDC(source);
        bitmap = CreateDIBSection(memoryDc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        oldBitmap = SelectObject(memoryDc, bitmap);
        BitBlt(memoryDc, 0, 0, width, height, source, 0, 0, SRCCOPY);
        GdiFlush();
        ReleaseDC(window, source);
    }
    ~WindowPixels() {
        SelectObject(memoryDc, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(memoryDc);
    }
    WindowPixels(const WindowPixels&) = delete;
    WindowPixels& operator=(const WindowPixels&) = delete;

    COLORREF at(int x, int y) const {
        uint32_t pixel = bits[size_t(y) * size_t(width) + size_t(x)];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    template <class Test>
    int count(RECT area, Test test) const {
        area.left = area.left < 0 ? 0 : area.left;
        area.top = area.top < 0 ? 0 : area.top;
        area.right = area.right > width ? width : area.right;
        area.bottom = area.bottom > height ? height : area.bottom;
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) n += test(at(x, y)) ? 1 : 0;
        return n;
    }
    int countColour(const RECT& area, COLORREF colour) const {
        return count(area, [colour](COLORREF c) { return c == colour; });
    }
    // Text-like pixels: every channel below `limit`.
    int countDark(const RECT& area, int limit = 96) const {
        return count(area, [limit](COLORREF c) {
            return GetRValue(c) < limit && GetGValue(c) < limit && GetBValue(c) < limit;
        });
    }

    int width = 0;
    int height = 0;

private:
    HDC memoryDc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    uint32_t* bits = nullptr;
};

// Forces a full repaint now, children included, so that what is read back is current.
inline void repaintNow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    pumpFrameMessages();
}

// Width of `text` in the program's interface font, as the frame measures it.
inline int uiTextWidth(const std::string& text) {
    std::u16string wide = u16(text);
    HDC dc = GetDC(appState.frame);
    HGDIOBJ old = SelectObject(dc, appState.uiFont);
    SIZE size = {};
    GetTextExtentPoint32W(dc, asWide(wide.c_str()), int(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(appState.frame, dc);
    return size.cx;
}

// A drop of `paths` as the shell hands it to the window: a DROPFILES block with wide names.
inline HDROP makeDrop(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const std::wstring& path : paths) chars += path.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    DROPFILES* files = static_cast<DROPFILES*>(GlobalLock(block));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    wchar_t* names = reinterpret_cast<wchar_t*>(files + 1);
    for (const std::wstring& path : paths) {
        std::copy(path.begin(), path.end(), names);
        names += path.size() + 1;
    }
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

inline std::wstring settingsBesideProgram() {
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring path(program);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"Trimwell.ini";
}

// The frame of Trimwell.exe, started and shut down in the test process as the program does it. The
// empty settings file beside the test program keeps the runs away from the shared prefix's application
// data folder and reads as no settings at all.
class ShellFrame : public ::testing::Test {
protected:
    void SetUp() override {
        settingsPath = settingsBesideProgram();
        HANDLE file = CreateFileW(settingsPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }

    void TearDown() override {
        if (appState.frame) closeShell();
        DeleteFileW(settingsPath.c_str());
    }

    void start(const std::wstring& argument = std::wstring()) {
        std::wstring program = L"Trimwell.exe";
        std::wstring file = argument;
        wchar_t* arguments[] = {&program[0], &file[0]};
        ASSERT_TRUE(startShell(GetModuleHandleW(nullptr), SW_SHOWNORMAL, argument.empty() ? 1 : 2, arguments));
        ASSERT_NE(appState.frame, nullptr);
        SetForegroundWindow(appState.frame);
        // The pointer keeps its place between tests; over the new frame it would make a control hot.
        mouseAt({0, 0});
        pumpFrameMessages();
    }

    void startWithPicture(int width = 1600, int height = 1200) {
        TestJpegOptions options;
        options.width = width;
        options.height = height;
        options.quality = 60;
        std::string path = folder.file("picture.jpg");
        writeFileBytes(path, makeTestJpeg(options));
        start(widePath(path));
        ASSERT_TRUE(appState.imageLoaded);
    }

    void closeShell() {
        PostMessageW(appState.frame, WM_CLOSE, 0, 0);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) handleLoopMessage(&message);
        finishShell();
    }

    std::wstring settingsPath;
    TempDir folder;
};
