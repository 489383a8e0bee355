// The real frame, created in this process and driven with real messages: start-up, titles, commands,
// menus, accelerators, toolbar states and the settings file written at exit.
#include <gtest/gtest.h>

#include "common/WinHeaders.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ShellFrameFixture.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "shell/Menus.h"
#include "shell/ShellWindows.h"
#include "shell/Toolbars.h"
#include "shell/WindowFit.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"
#include "view/ImageView.h"
#include "view/ViewGeometry.h"

namespace {

// The shared frame fixture, started without its foreground and pointer set-up.
class ShellWindow : public ShellFrame {
protected:
    void start(const std::wstring& argument = std::wstring()) {
        std::wstring program = L"Trimwell.exe";
        std::wstring file = argument;
        wchar_t* arguments[] = {&program[0], &file[0]};
        ASSERT_TRUE(startShell(GetModuleHandleW(nullptr), SW_SHOWNORMAL, argument.empty() ? 1 : 2, arguments));
        ASSERT_NE(appState.frame, nullptr);
        pumpFrameMessages();
    }

    std::string writePicture(const TestJpegOptions& options, const std::string& name) {
        std::string path = folder.file(name);
        writeFileBytes(path, makeTestJpeg(options));
        return path;
    }

    BYTE toolbar2State(int command) { return BYTE(SendMessageW(appState.toolbar2, TB_GETSTATE, command, 0)); }

    bool menuChecked(int command) {
        return (GetMenuState(appState.containerMenu, UINT(command), MF_BYCOMMAND) & MF_CHECKED) != 0;
    }

    const CommandItem* menuItem(int command) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA;
        if (!GetMenuItemInfoW(appState.containerMenu, UINT(command), FALSE, &info)) return nullptr;
        return reinterpret_cast<const CommandItem*>(info.dwItemData);
    }

};

std::string shownKeys(const CommandItem* item) {
    std::string text;
    if (item && item->modifier) text += u8(item->modifier);
    if (item && item->key) text += u8(item->key);
    return text;
}

}  // namespace

TEST_F(ShellWindow, StartsWithDefaultPlacementFittedToTheWorkArea) {  // settings file empty: all defaults
    start();
    EXPECT_EQ(windowText(appState.frame), "Trimwell");
    RECT stored = {200, 100, 1000, 700};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromRect(&stored, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& work = monitor.rcWork;
    WindowBox expected = fitWindowToWorkArea({200, 100, 800, 600},
                                             {work.left, work.top, work.right - work.left, work.bottom - work.top});
    RECT frame;
    GetWindowRect(appState.frame, &frame);
    EXPECT_EQ(frame.left, expected.left);
    EXPECT_EQ(frame.top, expected.top);
    EXPECT_EQ(frame.right - frame.left, expected.width);
    EXPECT_EQ(frame.bottom - frame.top, expected.height);
    EXPECT_EQ(gSettings.maskShading, 1);
    EXPECT_EQ(gSettings.markerCopyMode, 2);
    EXPECT_FALSE(appState.imageLoaded);
    // The view sits directly below the rebar and fills the rest of the client area.
    RECT rebar, view, client;
    GetWindowRect(appState.rebar, &rebar);
    GetWindowRect(appState.view, &view);
    GetClientRect(appState.frame, &client);
    EXPECT_EQ(view.top, rebar.bottom);
    EXPECT_EQ(view.right - view.left, client.right);
}

TEST_F(ShellWindow, CommandLineFileIsOpenedAndTitled) {
    TestJpegOptions options;
    options.width = 64;
    options.height = 48;
    start(widePath(writePicture(options, "photo one.jpg")));
    EXPECT_TRUE(appState.imageLoaded);
    EXPECT_EQ(windowText(appState.frame), "photo one.jpg  ( 64x48  24bit )");
}

TEST_F(ShellWindow, GrayPictureTitleAndGrayscaleButton) {
    TestJpegOptions options;
    options.width = 40;
    options.height = 24;
    options.colorSpace = JCS_GRAYSCALE;
    options.hSamp = options.vSamp = 1;
    start(widePath(writePicture(options, "grey.jpg")));
    EXPECT_EQ(windowText(appState.frame), "grey.jpg  ( 40x24  8bit )");
    EXPECT_EQ(toolbar2State(CMD_SAVE_GRAYSCALE), TBSTATE_INDETERMINATE);
    EXPECT_EQ(toolbar2State(CMD_CROP), TBSTATE_ENABLED);
}

TEST_F(ShellWindow, MissingCommandLineFileLeavesTheFrameEmpty) {
    start(widePath(folder.file("not there.jpg")));
    EXPECT_FALSE(appState.imageLoaded);
    EXPECT_EQ(windowText(appState.frame), "Trimwell");
    EXPECT_EQ(appState.currentPath.length, 0u);
}

TEST_F(ShellWindow, NonJpegFileFailsToLoadAndKeepsPlainTitle) {
    std::string path = folder.file("notes.jpg");
    writeFileBytes(path, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    start(widePath(path));
    EXPECT_FALSE(appState.imageLoaded);
    EXPECT_TRUE(appState.loadFailed);
    EXPECT_EQ(windowText(appState.frame), "Trimwell");
    EXPECT_EQ(toolbar2State(CMD_CROP), TBSTATE_INDETERMINATE);
}

TEST_F(ShellWindow, ToolbarTwoFollowsTheSaveOptions) {
    TestJpegOptions options;
    start(widePath(writePicture(options, "colour.jpg")));
    EXPECT_EQ(toolbar2State(CMD_SAVE_GRAYSCALE), TBSTATE_ENABLED);
    EXPECT_EQ(toolbar2State(CMD_MARKERS_ALL), TBSTATE_ENABLED | TBSTATE_CHECKED);
    EXPECT_EQ(toolbar2State(CMD_MARKERS_NONE), TBSTATE_ENABLED);
    // A marker command from a button that is not checked changes nothing.
    SendMessageW(appState.frame, WM_COMMAND, CMD_MARKERS_NONE, 0);
    EXPECT_EQ(gSettings.markerCopyMode, 2);
    SendMessageW(appState.toolbar2, TB_CHECKBUTTON, CMD_MARKERS_COMMENTS, TRUE);
    SendMessageW(appState.frame, WM_COMMAND, CMD_MARKERS_COMMENTS, 0);
    EXPECT_EQ(gSettings.markerCopyMode, 1);
    SendMessageW(appState.toolbar2, TB_CHECKBUTTON, CMD_SAVE_GRAYSCALE, TRUE);
    SendMessageW(appState.frame, WM_COMMAND, CMD_SAVE_GRAYSCALE, 0);
    EXPECT_TRUE(gSettings.saveGrayscale);
    refreshToolbar2States();
    EXPECT_EQ(toolbar2State(CMD_SAVE_GRAYSCALE), TBSTATE_ENABLED | TBSTATE_CHECKED);
    EXPECT_EQ(toolbar2State(CMD_MARKERS_COMMENTS), TBSTATE_ENABLED | TBSTATE_CHECKED);
    EXPECT_EQ(toolbar2State(CMD_MARKERS_ALL), TBSTATE_ENABLED);
}

TEST_F(ShellWindow, ContextMenuShowsDefaultKeysAndGraysFileItemsWithoutPicture) {
    start();
    EXPECT_EQ(shownKeys(menuItem(CMD_REVERT)), "BackSpace");
    EXPECT_EQ(shownKeys(menuItem(CMD_SAVE)), "");
    EXPECT_EQ(shownKeys(menuItem(CMD_HELP)), "");
    for (int shade : {CMD_SHADE_HALF, CMD_SHADE_QUARTER, CMD_SHADE_EIGHTH, CMD_SHADE_BLACK, CMD_SHADE_GREY, CMD_SHADE_WHITE})
        EXPECT_EQ(shownKeys(menuItem(shade)), "") << shade;
    ASSERT_NE(menuItem(CMD_OPTIONS), nullptr);
    EXPECT_TRUE(menuItem(CMD_OPTIONS)->ellipsis);
    SendMessageW(appState.frame, WM_INITMENU, reinterpret_cast<WPARAM>(appState.contextMenu), 0);
    EXPECT_TRUE(GetMenuState(appState.containerMenu, CMD_REVERT, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(appState.containerMenu, CMD_SAVE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(appState.containerMenu, CMD_HELP, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(ShellWindow, RebuiltBindingsShowModifierAndKeyOnTheMenuItem) {
    start();
    BindingTable rows = appState.bindings;
    CommandBinding& help = rows.rows[bindingRowOf(CMD_HELP)];
    help.flags = kAccelVirtKey | kAccelControl | kAccelShift;
    help.key = VK_F5;
    rebuildMenusFromRows(rows);
    EXPECT_EQ(shownKeys(menuItem(CMD_HELP)), "Ctrl+Shift+F5");
    // The owner-drawn item is wider with its key than the label alone would need.
    MEASUREITEMSTRUCT withKey = {ODT_MENU, 0, CMD_HELP, 0, 0, reinterpret_cast<ULONG_PTR>(menuItem(CMD_HELP))};
    SendMessageW(appState.frame, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&withKey));
    CommandItem bare = *menuItem(CMD_HELP);
    bare.modifier = bare.key = nullptr;
    MEASUREITEMSTRUCT without = {ODT_MENU, 0, CMD_HELP, 0, 0, reinterpret_cast<ULONG_PTR>(&bare)};
    SendMessageW(appState.frame, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&without));
    EXPECT_GT(withKey.itemWidth, without.itemWidth);
    EXPECT_GE(without.itemWidth, 14u);
}

TEST_F(ShellWindow, ShadingMenuChecksTheCurrentMode) {
    start();
    struct Case {
        int shading;
        int checked;
    } cases[] = {{1, CMD_SHADE_HALF}, {2, CMD_SHADE_QUARTER}, {3, CMD_SHADE_EIGHTH},
                 {0, CMD_SHADE_BLACK}, {128, CMD_SHADE_GREY}, {255, CMD_SHADE_WHITE}};
    for (const Case& c : cases) {
        gSettings.maskShading = c.shading;
        SendMessageW(appState.frame, WM_INITMENU, reinterpret_cast<WPARAM>(appState.shadingMenu), 0);
        for (int command : {CMD_SHADE_HALF, CMD_SHADE_QUARTER, CMD_SHADE_EIGHTH, CMD_SHADE_BLACK, CMD_SHADE_GREY,
                            CMD_SHADE_WHITE})
            EXPECT_EQ(menuChecked(command), command == c.checked) << "shading " << c.shading << " item " << command;
    }
    // The shading commands record the choice outside crop mode.
    SendMessageW(appState.frame, WM_COMMAND, CMD_SHADE_GREY, 0);
    EXPECT_EQ(gSettings.maskShading, 128);
    SendMessageW(appState.frame, WM_COMMAND, CMD_SHADE_EIGHTH, 0);
    EXPECT_EQ(gSettings.maskShading, 3);
}

TEST_F(ShellWindow, AcceleratorsAreIgnoredDuringDrags) {
    start();
    BindingTable rows = appState.bindings;
    rows.rows[bindingRowOf(CMD_SHADE_GREY)].key = VK_F7;
    rebuildMenusFromRows(rows);
    gSettings.maskShading = 1;
    for (int drag : {2, 3}) {
        appState.dragMode = drag;
        PostMessageW(appState.frame, WM_KEYDOWN, VK_F7, 1);
        pumpFrameMessages();
        EXPECT_EQ(gSettings.maskShading, 1) << "drag mode " << drag;
    }
    // The same command from a menu still runs during the drag.
    SendMessageW(appState.frame, WM_COMMAND, CMD_SHADE_WHITE, 0);
    EXPECT_EQ(gSettings.maskShading, 255);
    appState.dragMode = 0;
    PostMessageW(appState.frame, WM_KEYDOWN, VK_F7, 1);
    pumpFrameMessages();
    EXPECT_EQ(gSettings.maskShading, 128);
    // While the zoom edit has the focus (inputLock) keys are not translated.
    gSettings.maskShading = 1;
    appState.inputLock = true;
    PostMessageW(appState.frame, WM_KEYDOWN, VK_F7, 1);
    pumpFrameMessages();
    EXPECT_EQ(gSettings.maskShading, 1);
    appState.inputLock = false;
}

TEST_F(ShellWindow, ExitWritesTheSettingsFile) {
    start();
    MoveWindow(appState.frame, 150, 90, 700, 500, TRUE);
    gSettings.maskShading = 3;
    gSettings.markerCopyMode = 0;
    std::wstring written(asWide(textChars(&gSettings.settingsPath)));
    EXPECT_EQ(written, settingsPath);
    closeShell();
    SettingsReader reader;
    ASSERT_TRUE(reader.open(asText(written.c_str())));
    EXPECT_EQ(reader.readInt(1, -1), 0);
    EXPECT_EQ(reader.readInt(2, -1), 150);
    EXPECT_EQ(reader.readInt(3, -1), 90);
    EXPECT_EQ(reader.readInt(4, -1), 700);
    EXPECT_EQ(reader.readInt(5, -1), 500);
    EXPECT_EQ(reader.readInt(6, -1), 3);
    EXPECT_EQ(reader.readInt(12, -1), 0);
    EXPECT_EQ(reader.dataLength(30), 8u * 6u);  // the eight default key bindings
    CommandBinding stored[kBindingRowCount];
    uint32_t length = 0;
    ASSERT_TRUE(reader.readData(30, stored, sizeof stored, &length));
    BindingTable rows = rowsFromAccelerators(stored, int(length / 6));
    BindingTable defaults = defaultBindingTable();
    for (int row = 0; row < kBindingRowCount; ++row) {
        EXPECT_EQ(rows.rows[row].key, defaults.rows[row].key) << "row " << row;
        EXPECT_EQ(rows.rows[row].flags, defaults.rows[row].flags) << "row " << row;
    }
    TextBuffer language;
    reader.readText(0, &language);
    EXPECT_GT(language.length, 0u);
}

namespace {

std::string zoomEditText() {
    wchar_t text[16] = {};
    GetWindowTextW(appState.zoomEdit, text, 16);
    return u8(asText(text));
}

TestJpegOptions largePicture() {
    TestJpegOptions options;
    options.width = 1600;
    options.height = 1200;
    options.quality = 60;
    return options;
}

}  // namespace

TEST_F(ShellWindow, ZoomCommandsStepToTheLimitsAndToggle) {
    start(widePath(writePicture(largePicture(), "large.jpg")));
    ASSERT_TRUE(appState.imageLoaded);
    double fitted = appState.zoomFactor;
    EXPECT_LT(fitted, 1.0);  // a picture larger than the view opens fitted
    dispatchCommand(CMD_ZOOM_TOGGLE);
    EXPECT_EQ(appState.zoomFactor, 1.0);
    EXPECT_EQ(zoomEditText(), "100");
    dispatchCommand(CMD_ZOOM_TOGGLE);
    EXPECT_EQ(appState.zoomFactor, fitted);
    dispatchCommand(CMD_ZOOM_100);
    EXPECT_EQ(appState.zoomFactor, 1.0);
    dispatchCommand(CMD_ZOOM_FIT);
    EXPECT_EQ(appState.zoomFactor, fitted);

    setZoom(15.95);
    dispatchCommand(CMD_ZOOM_IN);
    EXPECT_EQ(appState.zoomFactor, 16.0);
    EXPECT_EQ(zoomEditText(), "1600");
    dispatchCommand(CMD_ZOOM_IN);
    EXPECT_EQ(appState.zoomFactor, 16.0);
    setZoom(0.05);
    dispatchCommand(CMD_ZOOM_OUT);
    EXPECT_EQ(appState.zoomFactor, 0.01);
    EXPECT_EQ(zoomEditText(), "1");
    dispatchCommand(CMD_ZOOM_OUT);
    EXPECT_EQ(appState.zoomFactor, 0.01);
    setZoom(1.0);
    dispatchCommand(CMD_ZOOM_OUT);
    EXPECT_NEAR(appState.zoomFactor, 0.9, 1e-12);
    EXPECT_EQ(zoomEditText(), "90");
}

TEST_F(ShellWindow, ZoomCommandsNeedAPicture) {
    start();
    for (int command : {CMD_ZOOM_FIT, CMD_ZOOM_100, CMD_ZOOM_TOGGLE, CMD_ZOOM_IN, CMD_ZOOM_OUT}) {
        appState.zoomFactor = 0.5;
        dispatchCommand(uint32_t(command));
        EXPECT_EQ(appState.zoomFactor, 0.5) << command;
    }
}

TEST_F(ShellWindow, WheelZoomKeepsThePointUnderThePointer) {
    start(widePath(writePicture(largePicture(), "large.jpg")));
    setZoom(1.0);
    const ViewGeometry& geometry = appState.viewState.geometry;
    POINT inView = {geometry.viewW / 4, geometry.viewH / 3};
    int32_t columnBefore = viewToImageX(&geometry, inView.x, centreBiasX(&geometry));
    int32_t rowBefore = viewToImageY(&geometry, inView.y, centreBiasY(&geometry));
    POINT onScreen = inView;
    ClientToScreen(appState.view, &onScreen);
    // Forward with the default bindings: zoom out by 0.1 about the pointer.
    SendMessageW(appState.frame, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(onScreen.x, onScreen.y));
    EXPECT_NEAR(appState.zoomFactor, 0.9, 1e-12);
    EXPECT_NEAR(viewToImageX(&geometry, inView.x, centreBiasX(&geometry)), columnBefore, 2);
    EXPECT_NEAR(viewToImageY(&geometry, inView.y, centreBiasY(&geometry)), rowBefore, 2);
    // Backward: zoom in again, the same point still under the pointer.
    SendMessageW(appState.frame, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(onScreen.x, onScreen.y));
    EXPECT_NEAR(appState.zoomFactor, 1.0, 1e-12);
    EXPECT_NEAR(viewToImageX(&geometry, inView.x, centreBiasX(&geometry)), columnBefore, 2);
    EXPECT_NEAR(viewToImageY(&geometry, inView.y, centreBiasY(&geometry)), rowBefore, 2);
    // With a key held the wheel does nothing.
    SendMessageW(appState.frame, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), MAKELPARAM(onScreen.x, onScreen.y));
    EXPECT_NEAR(appState.zoomFactor, 1.0, 1e-12);
    // Nor while the zoom edit has the focus.
    appState.inputLock = true;
    SendMessageW(appState.frame, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(onScreen.x, onScreen.y));
    EXPECT_NEAR(appState.zoomFactor, 1.0, 1e-12);
    appState.inputLock = false;
}

// A fine wheel sends a notch in pieces: the zoom steps once per whole notch, a reversal answers within one
// notch of the new direction, and a turn with a key held drops the pieces gathered before it.
TEST_F(ShellWindow, FineWheelStepsOncePerNotch) {
    start(widePath(writePicture(largePicture(), "large.jpg")));
    setZoom(1.0);
    POINT onScreen = {appState.viewState.geometry.viewW / 2, appState.viewState.geometry.viewH / 2};
    ClientToScreen(appState.view, &onScreen);
    auto wheel = [&](WORD keys, int delta) {
        SendMessageW(appState.frame, WM_MOUSEWHEEL, MAKEWPARAM(keys, WORD(short(delta))),
                     MAKELPARAM(onScreen.x, onScreen.y));
    };
    struct Row {
        WORD keys;
        int delta;
        double zoom;  // after the message
    };
    const Row rows[] = {
        {0, 30, 1.0}, {0, 30, 1.0}, {0, 30, 1.0}, {0, 30, 0.9},           // forward: out by one step
        {0, 30, 0.9}, {0, 30, 0.9},                                       // half a notch forward ...
        {0, -30, 0.9}, {0, -30, 0.9}, {0, -30, 0.9}, {0, -30, 1.0},       // ... is not owed by a turn back
        {0, 240, 0.8}, {0, 10, 0.8}, {0, 110, 0.7},                       // two notches in one message
        {0, 90, 0.7}, {MK_CONTROL, 30, 0.7}, {0, 30, 0.7}, {0, 90, 0.6},  // the key drops the 90
    };
    int i = 0;
    for (const Row& row : rows) {
        wheel(row.keys, row.delta);
        EXPECT_NEAR(appState.zoomFactor, row.zoom, 1e-9) << "message " << i++ << ", delta " << row.delta;
    }
}

TEST_F(ShellWindow, ScrollBarArrowsMoveTwentyPixels) {
    start(widePath(writePicture(largePicture(), "large.jpg")));
    setZoom(1.0);
    int32_t startX = appState.viewState.geometry.srcX;
    int32_t startY = appState.viewState.geometry.srcY;
    SendMessageW(appState.view, WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(appState.viewState.geometry.srcX, startX + 20);
    EXPECT_EQ(GetScrollPos(appState.view, SB_HORZ), startX + 20);
    SendMessageW(appState.view, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(appState.viewState.geometry.srcY, startY - 20);
    EXPECT_EQ(GetScrollPos(appState.view, SB_VERT), startY - 20);
    SendMessageW(appState.view, WM_HSCROLL, SB_LEFT, 0);
    EXPECT_EQ(appState.viewState.geometry.srcX, 0);
}

TEST_F(ShellWindow, MiddleButtonTogglesFitAndActualSize) {
    start(widePath(writePicture(largePicture(), "large.jpg")));
    double fitted = appState.zoomFactor;
    SendMessageW(appState.view, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(50, 50));
    EXPECT_EQ(appState.zoomFactor, 1.0);
    SendMessageW(appState.view, WM_MBUTTONDOWN, MK_MBUTTON | MK_SHIFT, MAKELPARAM(50, 50));
    EXPECT_EQ(appState.zoomFactor, 1.0);  // with Shift held nothing happens
    SendMessageW(appState.view, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(50, 50));
    EXPECT_EQ(appState.zoomFactor, fitted);
}

namespace {

std::string tooltipOf(HWND toolbar, UINT_PTR command) {
    wchar_t text[128] = {};
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = toolbar;
    tool.uId = command;
    tool.lpszText = text;
    SendMessageW(appState.tooltip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    return u8(asText(text));
}

}  // namespace

TEST_F(ShellWindow, TooltipsCarryTheShortcutKeys) {
    start();
    EXPECT_EQ(tooltipOf(appState.toolbar1, CMD_OPEN), "Open (Ctrl+O)");
    EXPECT_EQ(tooltipOf(appState.toolbar1, CMD_ZOOM_FIT), "Fit to Window");
    BindingTable rows = appState.bindings;
    CommandBinding& fit = rows.rows[bindingRowOf(CMD_ZOOM_FIT)];
    fit.flags = kAccelVirtKey | kAccelControl | kAccelShift;
    fit.key = 'F';
    rebuildMenusFromRows(rows);
    updateTooltips(TTM_SETTOOLINFOW);
    EXPECT_EQ(tooltipOf(appState.toolbar1, CMD_ZOOM_FIT), "Fit to Window (Ctrl+Shift+F)");
}

TEST_F(ShellWindow, CropButtonAndCropKeyStartOneCropModeAndCancelEndsIt) {
    start(widePath(writePicture(TestJpegOptions{}, "colour.jpg")));
    // A click checks the button first, then its command starts crop mode.
    SendMessageW(appState.toolbar2, TB_CHECKBUTTON, CMD_CROP, TRUE);
    SendMessageW(appState.frame, WM_COMMAND, CMD_CROP, 0);
    ASSERT_TRUE(appState.cropMode);
    CropEditor* editor = appState.cropEditor;
    EXPECT_NE(editor, nullptr);
    // The key in crop mode starts nothing more.
    dispatchCommand(MAKELONG(CMD_CROP, CMD_SOURCE_ACCELERATOR));
    EXPECT_EQ(appState.cropEditor, editor);
    dispatchCommand(CMD_CROP_CANCEL);
    EXPECT_FALSE(appState.cropMode);
    EXPECT_EQ(toolbar2State(CMD_CROP), TBSTATE_ENABLED);
    // The key does what the click does.
    dispatchCommand(MAKELONG(CMD_CROP, CMD_SOURCE_ACCELERATOR));
    EXPECT_TRUE(appState.cropMode);
    dispatchCommand(CMD_CROP_CANCEL);
    EXPECT_FALSE(appState.cropMode);
    // Leaving crop mode outside it changes nothing.
    dispatchCommand(CMD_CROP_CANCEL);
    dispatchCommand(CMD_CROP_ACCEPT);
    EXPECT_FALSE(appState.documentModified);
    EXPECT_EQ(windowText(appState.frame), "colour.jpg  ( 64x48  24bit )");
}

namespace {

}  // namespace

TEST_F(ShellWindow, DropOpensOnlyTheFirstFileAndIsIgnoredInCropMode) {
    start();
    TestJpegOptions first;
    first.width = 32;
    first.height = 16;
    TestJpegOptions second;
    second.width = 48;
    second.height = 40;
    std::wstring firstPath = widePath(writePicture(first, "first.jpg"));
    std::wstring secondPath = widePath(writePicture(second, "second.jpg"));
    SendMessageW(appState.frame, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({firstPath, secondPath})), 0);
    EXPECT_EQ(windowText(appState.frame), "first.jpg  ( 32x16  24bit )");
    appState.cropMode = true;
    SendMessageW(appState.frame, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({secondPath})), 0);
    appState.cropMode = false;
    EXPECT_EQ(u8(textChars(&appState.currentPath)), u8(asText(firstPath.c_str())));
    SendMessageW(appState.frame, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({secondPath})), 0);
    EXPECT_EQ(windowText(appState.frame), "second.jpg  ( 48x40  24bit )");
}

namespace {

void typeKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    for (int i = 0; i < 20; ++i) {
        Sleep(10);
        pumpFrameMessages();
    }
}

}  // namespace

TEST_F(ShellWindow, CropModeEndsOnEscapeSystemCommandsAndDeactivation) {
    start(widePath(writePicture(TestJpegOptions{}, "colour.jpg")));
    // Escape through the crop-key hook: with Esc unbound, only the hook can end crop mode.
    BindingTable rows = appState.bindings;
    rows.rows[bindingRowOf(CMD_CROP_CANCEL)].key = 0;
    rebuildMenusFromRows(rows);
    // The hook sees typed keys only, not posted messages: the key is typed into the frame.
    SetForegroundWindow(appState.frame);
    SetFocus(appState.frame);
    pumpFrameMessages();
    appState.cropMode = true;
    appState.cropState = 3;
    typeKey(VK_ESCAPE);
    EXPECT_TRUE(appState.cropMode);  // the hook acts only while the crop keys are enabled
    appState.cropKeysEnabled = true;
    typeKey(VK_ESCAPE);
    EXPECT_FALSE(appState.cropMode);
    appState.cropKeysEnabled = false;
    // A system command ends crop mode unless a committed rectangle is being edited.
    appState.cropMode = true;
    appState.cropState = 3;
    SendMessageW(appState.frame, WM_SYSCOMMAND, SC_KEYMENU, 0);
    EXPECT_TRUE(appState.cropMode);
    appState.cropState = 1;
    SendMessageW(appState.frame, WM_SYSCOMMAND, SC_KEYMENU, 0);
    EXPECT_FALSE(appState.cropMode);
    // So does switching to another program while the first rectangle is not committed.
    appState.cropMode = true;
    appState.cropState = 2;
    SendMessageW(appState.frame, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(appState.cropMode);
    appState.cropMode = true;
    appState.cropState = 3;
    SendMessageW(appState.frame, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_TRUE(appState.cropMode);
    appState.cropMode = false;
    appState.cropState = 0;
    EXPECT_FALSE(appState.documentModified);
}
