// Help through the HTML Help control found in the registry (a stand-in registered under its class id for
// this process), the online page otherwise, the help viewer's own keys, and the about window.
#include <gtest/gtest.h>

#include "common/WinHeaders.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "HelpControlStandIn.h"
#include "filelist/FileListWindow.h"
#include "help/About.h"
#include "help/AboutText.h"
#include "help/Help.h"
#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "shell/ShellFrameFixture.h"

namespace {

constexpr const wchar_t* kControlKey = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr const wchar_t* kTestRoot = L"Software\\TrimwellHelpTest";

std::vector<std::string> openedAddresses;
void recordAddress(const char16_t* address) { openedAddresses.push_back(u8(address)); }

std::wstring besideProgram(const std::wstring& name) {
    std::wstring ini = settingsBesideProgram();
    return ini.substr(0, ini.find_last_of(L'\\') + 1) + name;
}

// HKEY_CLASSES_ROOT of this process points to a private key holding only the help control's entry, so that
// the program finds the DLL the test chose, as it would find the system's control.
class HelpControlRegistry {
public:
    HelpControlRegistry(const wchar_t* value, DWORD type) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
        RegCreateKeyExW(HKEY_CURRENT_USER, kTestRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_, nullptr);
        HKEY control = nullptr;
        RegCreateKeyExW(root_, kControlKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &control, nullptr);
        RegSetValueExW(control, nullptr, 0, type, reinterpret_cast<const BYTE*>(value),
                       DWORD((wcslen(value) + 1) * sizeof(wchar_t)));
        RegCloseKey(control);
        RegOverridePredefKey(HKEY_CLASSES_ROOT, root_);
    }
    ~HelpControlRegistry() {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegCloseKey(root_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
    }
    HelpControlRegistry(const HelpControlRegistry&) = delete;
    HelpControlRegistry& operator=(const HelpControlRegistry&) = delete;

private:
    HKEY root_ = nullptr;
};

class HelpAndAbout : public ShellFrame {
protected:
    void SetUp() override {
        ShellFrame::SetUp();
        openedAddresses.clear();
        gHelpHooks.openAddress = recordAddress;
        helpFile = besideProgram(L"help_window_tests.chm");
        DeleteFileW(helpFile.c_str());
    }
    void TearDown() override {
        ShellFrame::TearDown();
        gHelpHooks.openAddress = openAddressInShell;
        DeleteFileW(helpFile.c_str());
    }
    void writeHelpFile() { writeFileBytes(u8(asText(helpFile.c_str())), {'I', 'T', 'S', 'F'}); }
    StandInLog* standIn() {
        HMODULE module = GetModuleHandleW(L"HelpControlStandIn.dll");
        if (!module) return nullptr;
        auto record = reinterpret_cast<StandInLog* (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "standInRecord")));
        return record ? record() : nullptr;
    }
    std::wstring helpFile;
};

// Runs `steps` on a second thread once the about window is up, while the main thread sits in its loop.
HWND waitForAbout() {
    for (int i = 0; i < 300; ++i) {
        HWND window = FindWindowW(kAboutClass, nullptr);
        if (window && IsWindowVisible(window)) return window;
        Sleep(10);
    }
    return nullptr;
}

// Whether the frame was enabled, and input unlocked, when the about window received WM_DESTROY.
int frameEnabledAtDestroy = -1;
LRESULT CALLBACK watchAboutDestroy(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_DESTROY) {
        wchar_t className[32] = {};
        GetClassNameW(call->hwnd, className, 32);
        if (std::wstring(className) == kAboutClass)
            frameEnabledAtDestroy = IsWindowEnabled(appState.frame) && !appState.inputLock ? 1 : 0;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void pressKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    Sleep(150);
}

}  // namespace

// With the help file beside the program the registered control shows it (its path, no owner); without it,
// or when the control shows nothing, the online page goes to the shell. Start and exit pair up with the
// control's cookie; the control is found through an expandable registry string.
TEST_F(HelpAndAbout, HelpFileThroughTheRegisteredControlElseTheOnlinePage) {
    SetEnvironmentVariableW(L"TW_HELP_TEST_DIR", besideProgram(L"").c_str());
    HelpControlRegistry registry(L"%TW_HELP_TEST_DIR%HelpControlStandIn.dll", REG_EXPAND_SZ);
    writeHelpFile();
    startWithPicture();
    StandInLog* log = standIn();
    ASSERT_NE(log, nullptr) << "the registered control was not loaded";
    EXPECT_EQ(log->initialized, 1);

    dispatchCommand(CMD_HELP);
    EXPECT_EQ(log->displayed, 1);
    EXPECT_EQ(log->displayOwner, nullptr);
    EXPECT_EQ(std::wstring(log->displayFile), helpFile);
    EXPECT_TRUE(openedAddresses.empty());

    DeleteFileW(helpFile.c_str());
    dispatchCommand(CMD_HELP);
    EXPECT_EQ(log->displayed, 1);
    EXPECT_EQ(openedAddresses, (std::vector<std::string>{u8(kOnlineHelpPage)}));

    // A help file the control cannot show: the online page all the same.
    writeHelpFile();
    log->displayFails = true;
    dispatchCommand(CMD_HELP);
    EXPECT_EQ(log->displayed, 2);
    EXPECT_EQ(openedAddresses.size(), 2u);
    log->displayFails = false;

    // Ignored in crop mode.
    appState.cropMode = true;
    dispatchCommand(CMD_HELP);
    appState.cropMode = false;
    EXPECT_EQ(log->displayed, 2);

    // Exit frees the control; the test keeps its own reference to read the log afterwards.
    HMODULE kept = LoadLibraryW(besideProgram(L"HelpControlStandIn.dll").c_str());
    closeShell();
    EXPECT_EQ(log->uninitialized, 1);
    EXPECT_EQ(log->uninitializeCookie, DWORD_PTR(0x5EED));
    FreeLibrary(kept);
}

// A registered library without the entry point: help opens the online page, and the failure stands for the
// run even when the right control is registered afterwards.
TEST_F(HelpAndAbout, ControlWithoutTheEntryPointFallsBackToTheOnlinePage) {
    {
        HelpControlRegistry registry(besideProgram(L"English.dll").c_str(), REG_SZ);
        writeHelpFile();
        startWithPicture();
        dispatchCommand(CMD_HELP);
        EXPECT_EQ(openedAddresses, (std::vector<std::string>{u8(kOnlineHelpPage)}));
    }
    HelpControlRegistry registry(besideProgram(L"HelpControlStandIn.dll").c_str(), REG_SZ);
    dispatchCommand(CMD_HELP);
    EXPECT_EQ(openedAddresses.size(), 2u);
    EXPECT_EQ(GetModuleHandleW(L"HelpControlStandIn.dll"), nullptr);
}

// The help viewer runs on the program's thread: it sees messages first, and the frame's keys reach only the
// frame's own windows. Space, BackSpace and Ctrl+S typed into another window of the thread stay there.
TEST_F(HelpAndAbout, HelpViewerKeepsItsKeys) {
    HelpControlRegistry registry(besideProgram(L"HelpControlStandIn.dll").c_str(), REG_SZ);
    startWithPicture(1600, 1200);
    StandInLog* log = standIn();
    ASSERT_NE(log, nullptr);
    // The viewer's search box: a top-level window of this thread, not owned by the frame.
    HWND viewer = CreateWindowExW(0, L"Edit", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 80, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(viewer, nullptr);
    SetForegroundWindow(viewer);
    SetFocus(viewer);
    pumpFrameMessages();
    double zoom = appState.zoomFactor;
    typeKeys({VK_SPACE, 'A', VK_SPACE, VK_BACK});
    EXPECT_EQ(appState.zoomFactor, zoom) << "Space in the viewer zoomed the picture";
    EXPECT_EQ(windowText(viewer), " a");
    EXPECT_GT(log->pretranslated, 0);
    // A key the viewer takes for itself is not typed.
    log->claimedKey = 'B';
    typeKeys({'B'});
    EXPECT_EQ(log->claimed, 1);
    EXPECT_EQ(windowText(viewer), " a");
    DestroyWindow(viewer);

    // The frame still has its keys.
    SetForegroundWindow(appState.frame);
    pumpFrameMessages();
    typeKeys({VK_SPACE});
    EXPECT_NE(appState.zoomFactor, zoom);
}

// The about window: centred on the frame, the product, maker and link lines, the frame disabled and the
// list window gone meanwhile; Enter does nothing, the link opens the maker's site, Escape closes it; the
// frame is enabled, on top, and its keys work again.
TEST_F(HelpAndAbout, AboutWindowIsModalAndClosesWithEscape) {
    startWithPicture(1600, 1200);
    dispatchCommand(CMD_FILE_LIST);
    ASSERT_NE(appState.fileListWindow, nullptr);
    // Another program's window: were the frame still disabled when the about window goes, the system
    // would activate this one instead.
    HWND other = CreateWindowExW(0, L"Static", L"another program", WS_OVERLAPPEDWINDOW, 20, 20, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ShowWindow(other, SW_SHOWNOACTIVATE);
    SetForegroundWindow(appState.frame);
    pumpFrameMessages();
    RECT frame;
    GetWindowRect(appState.frame, &frame);

    struct Seen {
        RECT rect = {};
        std::string title, product, maker;
        bool frameEnabled = true, inputLock = false, listGone = false;
        bool openAfterEnter = false, openAfterClick = false;
        int bluePixels = 0;
    } seen;
    std::thread user([&seen] {
        HWND about = waitForAbout();
        if (!about) return;
        GetWindowRect(about, &seen.rect);
        seen.title = windowText(about);
        seen.product = windowText(GetDlgItem(about, kAboutProductId));
        seen.maker = windowText(GetDlgItem(about, kAboutMakerId));
        seen.frameEnabled = IsWindowEnabled(appState.frame) != FALSE;
        seen.inputLock = appState.inputLock;
        seen.listGone = appState.fileListWindow == nullptr;
        Sleep(200);
        {
            WindowPixels pixels(GetDlgItem(about, kAboutLinkId));
            seen.bluePixels = pixels.countColour({0, 0, pixels.width, pixels.height}, RGB(0, 0, 255));
        }
        pressKey(VK_RETURN);
        seen.openAfterEnter = IsWindow(about) != FALSE;
        RECT link;
        GetWindowRect(GetDlgItem(about, kAboutLinkId), &link);
        mouseAt({link.left + 20, (link.top + link.bottom) / 2}, MOUSEEVENTF_LEFTDOWN);
        mouseAt({link.left + 20, (link.top + link.bottom) / 2}, MOUSEEVENTF_LEFTUP);
        Sleep(150);
        seen.openAfterClick = IsWindow(about) != FALSE;
        pressKey(VK_ESCAPE);
        for (int i = 0; i < 100 && IsWindow(about); ++i) Sleep(10);
    });
    frameEnabledAtDestroy = -1;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, watchAboutDestroy, nullptr, GetCurrentThreadId());
    dispatchCommand(CMD_ABOUT);
    user.join();
    UnhookWindowsHookEx(hook);
    // Enabled before the window goes, as after a modal dialog; else the system activates another program.
    EXPECT_EQ(frameEnabledAtDestroy, 1);

    AboutBox expected = aboutWindowBox(frame.left, frame.top, frame.right, frame.bottom,
                                       GetSystemMetrics(SM_CYDLGFRAME), GetSystemMetrics(SM_CYCAPTION));
    EXPECT_EQ(seen.rect.left, expected.x);
    EXPECT_EQ(seen.rect.top, expected.y);
    EXPECT_EQ(seen.rect.right - seen.rect.left, expected.width);
    EXPECT_EQ(seen.rect.bottom - seen.rect.top, expected.height);
    EXPECT_EQ(seen.title, languageText(CMD_ABOUT));
    EXPECT_EQ(seen.product, "Trimwell version 1.2.5.0 (64-bit)");
    EXPECT_EQ(seen.maker, u8(kMakerLine));
    EXPECT_FALSE(seen.frameEnabled);
    EXPECT_TRUE(seen.inputLock);
    EXPECT_TRUE(seen.listGone);
    EXPECT_GT(seen.bluePixels, 20);
    EXPECT_TRUE(seen.openAfterEnter) << "Enter closed the about window";
    EXPECT_TRUE(seen.openAfterClick);
    EXPECT_EQ(openedAddresses, (std::vector<std::string>{u8(kMakerSite)}));
    EXPECT_EQ(FindWindowW(kAboutClass, nullptr), nullptr);

    EXPECT_TRUE(IsWindowEnabled(appState.frame));
    EXPECT_FALSE(appState.inputLock);
    // Under X the activation comes back through the window manager, a moment later.
    for (int i = 0; i < 100 && GetForegroundWindow() != appState.frame; ++i) settleInput(2);
    EXPECT_EQ(GetForegroundWindow(), appState.frame);
    double zoom = appState.zoomFactor;
    typeKeys({VK_SPACE});
    EXPECT_NE(appState.zoomFactor, zoom) << "the frame's keys do not work after the about window";
    DestroyWindow(other);
    // The classes go with the window.
    WNDCLASSEXW info = {};
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetClassInfoExW(appState.instance, kAboutClass, &info));
    EXPECT_FALSE(GetClassInfoExW(appState.instance, kAboutLinkClass, &info));
}
