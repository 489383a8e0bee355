#pragma once
// A top-level window (hidden: under Wine without a window manager, destroying a shown one takes two
// seconds; tests that paint show it) with the UI font and its metrics set up as the frame does, and the test
// language module loaded, for the control factory and owner-draw tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/WinHeaders.h"
#include "settings/LanguageModule.h"
#include "shell/AppState.h"
#include "support/TestFiles.h"

#include <commctrl.h>

inline std::u16string zPath(const std::string& posix) {
    std::string path = "Z:" + posix;
    std::replace(path.begin(), path.end(), '/', '\\');
    return u16(path);
}

class UiWindow : public ::testing::Test {
protected:
    HWND window = nullptr;

    static LRESULT CALLBACK windowProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(w, message, wParam, lParam);
    }

    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = L"TrimwellUiTest";
        RegisterClassW(&windowClass);
        window = CreateWindowExW(0, L"TrimwellUiTest", L"test", WS_OVERLAPPEDWINDOW, 0, 0, 600, 300,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        appState.uiFont = CreateFontW(-12, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
        HDC dc = GetDC(window);
        HGDIOBJ old = SelectObject(dc, appState.uiFont);
        TEXTMETRICW metrics;
        GetTextMetricsW(dc, &metrics);
        SIZE digit;
        GetTextExtentPoint32W(dc, L"0", 1, &digit);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        appState.metrics.textHeight = metrics.tmHeight;
        appState.metrics.lineHeight = metrics.tmHeight + 6;
        appState.metrics.digitWidth = digit.cx;
        appState.metrics.editExtra = GetSystemMetrics(SM_CXVSCROLL) + 10;
        std::u16string module = zPath(std::string(TW_TEST_MODULE_DIR) + "/TestTexts.dll");
        appState.languageModule = LoadLibraryExW(asWide(module.c_str()), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(appState.languageModule, nullptr);
    }

    void TearDown() override {
        if (window) DestroyWindow(window);
        releaseLanguageModule();
        DeleteObject(appState.uiFont);
        appState.uiFont = nullptr;
    }

    // Child rectangle in the parent's client coordinates.
    static RECT childRect(HWND child) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    int uiTextWidth(const wchar_t* text) {
        HDC dc = GetDC(window);
        HGDIOBJ old = SelectObject(dc, appState.uiFont);
        SIZE extent;
        GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &extent);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        return extent.cx;
    }
};
