#include "FrameHarness_win.h"

#include <commctrl.h>

#include "common/TextBuffer.h"
#include "engine/DecodedImage.h"
#include "shell/AppState.h"
#include "shell/CropHandOver.h"
#include "shell/ShellWindows.h"
#include "view/CropDisplay.h"
#include "view/CropEditor.h"

namespace {

constexpr int kMessageBoxTextId = 0xFFFF;  // the static that holds a message box's text

std::string textOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return u8(asText(text));
}

struct FoundBoxes {
    DWORD process;
    std::vector<HWND> windows;
};

BOOL CALLBACK collectBox(HWND window, LPARAM context) {
    FoundBoxes* found = reinterpret_cast<FoundBoxes*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (process == found->process && IsWindowVisible(window) && std::wstring(className) == L"#32770" &&
        GetDlgItem(window, kMessageBoxTextId))
        found->windows.push_back(window);
    return TRUE;
}

}  // namespace

std::string currentPathText() { return u8(textChars(&appState.currentPath)); }

bool endCropDisplayWith(const CropRect& rect, bool accept) {
    const DecodedImage* picture = appState.picture;
    CropEditorSetup setup;
    setup.imageWidth = int32_t(imageWidth(picture));
    setup.imageHeight = int32_t(imageHeight(picture));
    setup.blockWidth = int32_t(picture->blockWidth);
    setup.blockHeight = int32_t(picture->blockHeight);
    CropEditor editor;
    initCropEditor(&editor, setup);
    EXPECT_TRUE(makeCropDisplay(&editor, appState.picture));
    editor.rect = rect;
    bool cutFailed = false;
    CropOutcome outcome = endCropDisplay(&editor, appState.picture, accept, &cutFailed);
    EXPECT_FALSE(cutFailed);
    return applyAcceptedCrop(outcome, cutFailed);
}

MessageBoxAnswerer::MessageBoxAnswerer(int answer) : answer_(answer), thread_([this] { watch(); }) {}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    running_ = false;
    thread_.join();
}

std::vector<MessageBoxAnswerer::Box> MessageBoxAnswerer::boxes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

// A box is answered once; it may take a moment to close, so a box already answered is skipped.
void MessageBoxAnswerer::watch() {
    std::vector<HWND> answered;
    while (running_) {
        FoundBoxes found{GetCurrentProcessId(), {}};
        EnumWindows(collectBox, reinterpret_cast<LPARAM>(&found));
        for (HWND box : found.windows) {
            bool seen = false;
            for (HWND old : answered) seen = seen || old == box;
            if (seen) continue;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                boxes_.push_back({textOf(box), textOf(GetDlgItem(box, kMessageBoxTextId))});
            }
            answered.push_back(box);
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer_.load(), BN_CLICKED), 0);
        }
        for (size_t i = 0; i < answered.size();) {
            if (IsWindow(answered[i])) ++i;
            else answered.erase(answered.begin() + long(i));
        }
        Sleep(20);
    }
}

void FrameTest::SetUp() {
    // Empty, it reads as no settings at all; beside the program, it keeps the runs away from the shared
    // Wine prefix's application data.
    settingsPath = settingsBesideProgram();
    HANDLE file = CreateFileW(settingsPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
}

void FrameTest::TearDown() {
    if (appState.frame) {
        appState.documentModified = false;  // no question left to block the close
        closeFrame();
    }
    DeleteFileW(settingsPath.c_str());
}

bool FrameTest::startFrame(const std::wstring& argument, int showCommand) {
    std::wstring program = L"Trimwell.exe";
    std::wstring file = argument;
    wchar_t* arguments[] = {&program[0], &file[0]};
    bool started = startShell(GetModuleHandleW(nullptr), showCommand, argument.empty() ? 1 : 2, arguments);
    if (started) pumpFrameMessages();
    return started;
}

void FrameTest::closeFrame() {
    if (IsWindow(appState.frame)) PostMessageW(appState.frame, WM_CLOSE, 0, 0);
    MSG message;
    while (IsWindow(appState.frame) && GetMessageW(&message, nullptr, 0, 0) > 0) handleLoopMessage(&message);
    pumpFrameMessages();
    finishShell();
}

std::wstring FrameTest::writePicture(const TestJpegOptions& options, const std::string& name) {
    std::string path = folder.file(name);
    writeFileBytes(path, makeTestJpeg(options));
    return widePath(path);
}

BYTE FrameTest::toolbar2State(int command) {
    return BYTE(SendMessageW(appState.toolbar2, TB_GETSTATE, WPARAM(command), 0));
}
