// Start-up and exit of the real frame: the stored placement fitted to the work area, the launcher's show
// request, the placement written at exit, the end of the session, the close question, the missing
// language module, and the layout of the view under the rebar.
#include "FrameHarness_win.h"

#include <cstdio>

#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/ShellWindows.h"
#include "shell/WindowFit.h"

namespace {

struct StoredPlacement {
    int32_t maximized, left, top, width, height;
};

void writePlacement(const std::wstring& path, const StoredPlacement& stored) {
    SettingsWriter writer;
    ASSERT_TRUE(writer.open(asText(path.c_str())));
    writer.writeInt(1, stored.maximized);
    writer.writeInt(2, stored.left);
    writer.writeInt(3, stored.top);
    writer.writeInt(4, stored.width);
    writer.writeInt(5, stored.height);
    writer.close();
}

StoredPlacement readPlacement(const std::wstring& path) {
    SettingsReader reader;
    EXPECT_TRUE(reader.open(asText(path.c_str())));
    return {reader.readInt(1, -1), reader.readInt(2, -1), reader.readInt(3, -1), reader.readInt(4, -1),
            reader.readInt(5, -1)};
}

RECT workAreaNear(const RECT& rect) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

// The language modules beside the test program, moved aside for one test and always put back.
class LanguageModulesHidden {
public:
    LanguageModulesHidden() {
        wchar_t program[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, program, MAX_PATH);
        folder_ = program;
        folder_ = folder_.substr(0, folder_.find_last_of(L'\\') + 1);
        for (const wchar_t* name : {L"English", L"Japanese"}) {
            std::wstring from = folder_ + name + L".dll", to = folder_ + name + L".hidden";
            if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) moved_.push_back(name);
        }
    }
    ~LanguageModulesHidden() {
        for (const std::wstring& name : moved_)
            MoveFileExW((folder_ + name + L".hidden").c_str(), (folder_ + name + L".dll").c_str(),
                        MOVEFILE_REPLACE_EXISTING);
    }
    size_t count() const { return moved_.size(); }

private:
    std::wstring folder_;
    std::vector<std::wstring> moved_;
};

}  // namespace

TEST_F(FrameTest, StoredRectangleLargerThanTheWorkAreaBecomesTheWorkArea) {
    writePlacement(settingsPath, {0, -300, -200, 9000, 7000});
    ASSERT_TRUE(startFrame());
    RECT stored = {-300, -200, 8700, 6800};
    RECT work = workAreaNear(stored);
    RECT frame;
    GetWindowRect(appState.frame, &frame);
    EXPECT_EQ(frame.left, work.left);
    EXPECT_EQ(frame.top, work.top);
    EXPECT_EQ(frame.right, work.right);
    EXPECT_EQ(frame.bottom, work.bottom);
}

TEST_F(FrameTest, StoredRectanglePastTheRightAndBottomEdgesIsMovedBack) {
    RECT probe = {0, 0, 100, 100};
    RECT work = workAreaNear(probe);
    writePlacement(settingsPath, {0, work.right - 100, work.bottom - 50, 400, 300});
    ASSERT_TRUE(startFrame());
    RECT frame;
    GetWindowRect(appState.frame, &frame);
    EXPECT_EQ(frame.right, work.right);
    EXPECT_EQ(frame.bottom, work.bottom);
    EXPECT_EQ(frame.right - frame.left, 400);
    EXPECT_EQ(frame.bottom - frame.top, 300);
}

TEST_F(FrameTest, LauncherShowRequestDecidesBeforeTheStoredMaximizedFlag) {
    struct Case {
        int launcher;
        bool zoomed;
    } cases[] = {{SW_SHOWNORMAL, true}, {SW_SHOWDEFAULT, true}, {SW_SHOWMAXIMIZED, false}, {SW_SHOWMINNOACTIVE, false}};
    for (const Case& c : cases) {
        writePlacement(settingsPath, {1, 200, 100, 800, 600});
        ASSERT_TRUE(startFrame(std::wstring(), c.launcher));
        EXPECT_EQ(IsZoomed(appState.frame) != 0, c.zoomed) << "launcher show command " << c.launcher;
        EXPECT_FALSE(IsIconic(appState.frame)) << "launcher show command " << c.launcher;
        EXPECT_TRUE(IsWindowVisible(appState.frame));
        closeFrame();
    }
}

TEST_F(FrameTest, ExitStoresTheRestoredRectangleAndTheMaximizedState) {
    struct Case {
        const char* what;
        int first, second;
        int maximized;
    } cases[] = {{"normal", SW_RESTORE, SW_RESTORE, 0},
                 {"maximized", SW_MAXIMIZE, SW_MAXIMIZE, 1},
                 {"minimized from maximized", SW_MAXIMIZE, SW_MINIMIZE, 1},
                 {"minimized from normal", SW_RESTORE, SW_MINIMIZE, 0}};
    for (const Case& c : cases) {
        ASSERT_TRUE(startFrame());
        MoveWindow(appState.frame, 120, 80, 640, 480, TRUE);
        ShowWindow(appState.frame, c.first);
        ShowWindow(appState.frame, c.second);
        pumpFrameMessages();
        closeFrame();
        StoredPlacement stored = readPlacement(settingsPath);
        EXPECT_EQ(stored.maximized, c.maximized) << c.what;
        EXPECT_EQ(stored.left, 120) << c.what;
        EXPECT_EQ(stored.top, 80) << c.what;
        EXPECT_EQ(stored.width, 640) << c.what;
        EXPECT_EQ(stored.height, 480) << c.what;
    }
}

TEST_F(FrameTest, EndOfSessionShutsDownOnceWithoutAQuestion) {
    TestJpegOptions options;
    ASSERT_TRUE(startFrame(writePicture(options, "open.jpg")));
    ASSERT_TRUE(appState.imageLoaded);
    appState.documentModified = true;
    MessageBoxAnswerer answerer(IDCANCEL);
    SendMessageW(appState.frame, WM_ENDSESSION, FALSE, 0);  // the session goes on: nothing happens
    EXPECT_NE(appState.keyboardHook, nullptr);
    EXPECT_TRUE(appState.imageLoaded);

    gSettings.maskShading = 2;
    appState.cropMode = true;
    SendMessageW(appState.frame, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(appState.cropMode) << "crop mode is left without a crop";
    EXPECT_EQ(appState.keyboardHook, nullptr);
    EXPECT_FALSE(appState.imageLoaded);
    EXPECT_EQ(appState.picture, nullptr);
    EXPECT_EQ(appState.acceleratorTable, nullptr);
    EXPECT_EQ(readPlacement(settingsPath).left, 200) << "settings written at the end of the session";
    SettingsReader reader;
    ASSERT_TRUE(reader.open(asText(settingsPath.c_str())));
    EXPECT_EQ(reader.readInt(6, -1), 2);
    reader.close();

    // The window itself goes later; the shutdown does not run a second time.
    gSettings.maskShading = 3;
    appState.documentModified = false;
    DestroyWindow(appState.frame);
    pumpFrameMessages();
    finishShell();
    ASSERT_TRUE(reader.open(asText(settingsPath.c_str())));
    EXPECT_EQ(reader.readInt(6, -1), 2);
    EXPECT_TRUE(answerer.boxes().empty());
}

TEST_F(FrameTest, CloseAsksOnlyAfterAnAcceptedCropAndCancelKeepsTheWindow) {
    TestJpegOptions options;
    ASSERT_TRUE(startFrame(writePicture(options, "kept.jpg")));
    MessageBoxAnswerer answerer(IDCANCEL);
    appState.documentModified = true;
    SendMessageW(appState.frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(appState.frame));
    EXPECT_NE(appState.keyboardHook, nullptr) << "no shutdown after Cancel";
    std::vector<MessageBoxAnswerer::Box> boxes = answerer.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "kept.jpg");
    EXPECT_EQ(boxes[0].text, languageText(TXT_SAVE_QUESTION));

    // Closing in crop mode leaves it first; with nothing accepted there is no question.
    appState.documentModified = false;
    appState.cropMode = true;
    appState.inputLock = true;
    PostMessageW(appState.frame, WM_CLOSE, 0, 0);
    MSG message;
    while (IsWindow(appState.frame) && GetMessageW(&message, nullptr, 0, 0) > 0) handleLoopMessage(&message);
    EXPECT_FALSE(IsWindow(appState.frame));
    EXPECT_FALSE(appState.cropMode);
    EXPECT_FALSE(appState.inputLock);
    EXPECT_EQ(answerer.boxes().size(), 1u);
    pumpFrameMessages();
    finishShell();
}

TEST_F(FrameTest, NoAnswerClosesTheModifiedPicture) {
    TestJpegOptions options;
    ASSERT_TRUE(startFrame(writePicture(options, "dropped crop.jpg")));
    MessageBoxAnswerer answerer(IDNO);
    appState.documentModified = true;
    PostMessageW(appState.frame, WM_CLOSE, 0, 0);
    MSG message;
    while (IsWindow(appState.frame) && GetMessageW(&message, nullptr, 0, 0) > 0) handleLoopMessage(&message);
    EXPECT_FALSE(IsWindow(appState.frame));
    EXPECT_EQ(answerer.boxes().size(), 1u);
    EXPECT_EQ(readPlacement(settingsPath).width, 800) << "settings written after the question";
    pumpFrameMessages();
    finishShell();
}

TEST_F(FrameTest, MissingLanguageModuleStopsWithTheBuiltInText) {
    LanguageModulesHidden hidden;
    ASSERT_EQ(hidden.count(), 2u);
    MessageBoxAnswerer answerer(IDOK);
    EXPECT_FALSE(startFrame());
    EXPECT_EQ(appState.frame, nullptr);
    finishShell();
    std::vector<MessageBoxAnswerer::Box> boxes = answerer.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, "Language file not found.");
}

TEST_F(FrameTest, ViewFillsTheClientAreaBelowTheRebarAtEverySize) {
    TestJpegOptions options;
    options.width = 1200;
    options.height = 900;
    ASSERT_TRUE(startFrame(writePicture(options, "wide.jpg")));
    for (SIZE size : {SIZE{800, 600}, SIZE{420, 360}, SIZE{1000, 700}}) {
        MoveWindow(appState.frame, 40, 30, size.cx, size.cy, TRUE);
        pumpFrameMessages();
        RECT client, rebar, view;
        GetClientRect(appState.frame, &client);
        GetWindowRect(appState.rebar, &rebar);
        GetWindowRect(appState.view, &view);
        POINT viewTop = {view.left, view.top};
        ScreenToClient(appState.frame, &viewTop);
        EXPECT_EQ(view.top, rebar.bottom) << size.cx << "x" << size.cy;
        EXPECT_EQ(viewTop.x, 0);
        EXPECT_EQ(view.right - view.left, client.right) << size.cx << "x" << size.cy;
        EXPECT_EQ(viewTop.y + (view.bottom - view.top), client.bottom) << size.cx << "x" << size.cy;
        // The rebar follows the frame's width too (its edges may lie just outside the client area).
        POINT rebarLeft = {rebar.left, rebar.top}, rebarRight = {rebar.right, rebar.bottom};
        ScreenToClient(appState.frame, &rebarLeft);
        ScreenToClient(appState.frame, &rebarRight);
        EXPECT_LE(rebarLeft.x, 0);
        EXPECT_GE(rebarRight.x, client.right) << size.cx << "x" << size.cy;
    }
    // Minimizing does not lay anything out.
    RECT before;
    GetWindowRect(appState.view, &before);
    SendMessageW(appState.frame, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
    RECT after;
    GetWindowRect(appState.view, &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

TEST_F(FrameTest, SettingChangeSetsTheScrollBarsAgain) {
    TestJpegOptions options;
    options.width = 1600;
    options.height = 1200;
    options.quality = 60;
    ASSERT_TRUE(startFrame(writePicture(options, "large.jpg")));
    SendMessageW(appState.frame, WM_COMMAND, CMD_ZOOM_100, 0);  // both bars in use
    SCROLLINFO expected = {sizeof expected, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(appState.view, SB_HORZ, &expected);
    ASSERT_GT(expected.nMax, 0);
    SCROLLINFO wrong = {sizeof wrong, SIF_RANGE | SIF_PAGE, 0, 5, 2, 0, 0};
    SetScrollInfo(appState.view, SB_HORZ, &wrong, FALSE);
    SendMessageW(appState.frame, WM_SETTINGCHANGE, 0, 0);
    SCROLLINFO now = {sizeof now, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(appState.view, SB_HORZ, &now);
    EXPECT_EQ(now.nMax, expected.nMax);
    EXPECT_EQ(now.nPage, expected.nPage);
    EXPECT_EQ(now.nPos, expected.nPos);
}

TEST_F(FrameTest, RelativeOrSlashedCommandLineFileIsFoundWhereItWasGiven) {
    TestJpegOptions options;
    options.width = 24;
    options.height = 16;
    std::wstring path = writePicture(options, "relative photo.jpg");
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(widePath(folder.path).c_str()));
    bool started = startFrame(L"relative photo.jpg");  // start-up makes the program's folder current
    SetCurrentDirectoryW(before);
    ASSERT_TRUE(started);
    EXPECT_EQ(windowText(appState.frame), "relative photo.jpg  ( 24x16  24bit )");
    EXPECT_EQ(currentPathText(), u8(std::u16string(path.begin(), path.end())));
    closeFrame();

    std::wstring slashed = path;
    for (wchar_t& c : slashed)
        if (c == L'\\') c = L'/';
    ASSERT_TRUE(startFrame(slashed));
    EXPECT_EQ(windowText(appState.frame), "relative photo.jpg  ( 24x16  24bit )");
}
