// Crop mode in the real frame, driven with real input: the crop button, drawing the rectangle by dragging
// and by click–move–click, the edge, corner and move drags, the panel's fields and ratio box, the
// maximal rectangle, the crop keys, and the ways crop mode ends.
#include "FrameHarness_win.h"

#include <commctrl.h>

#include <thread>

#include "engine/DecodedImage.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "shell/Menus.h"
#include "shell/Toolbars.h"
#include "view/CropEditor.h"
#include "view/CropMode.h"
#include "view/ImageView.h"

namespace {

class CropMode : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        TestJpegOptions options;  // 4:2:0: a grid of 16 × 16
        options.width = 320;
        options.height = 240;
        ASSERT_TRUE(startFrame(writePicture(options, "camera.jpg")));
        ASSERT_TRUE(appState.imageLoaded);
        SetForegroundWindow(appState.frame);
        SetFocus(appState.frame);
        pumpFrameMessages();
        ASSERT_EQ(appState.zoomFactor, 1.0) << "the picture is shown at its actual size";
    }

    void TearDown() override {
        if (GetCapture()) ReleaseCapture();
        mouseAt({0, 0});
        FrameTest::TearDown();
    }

    // The crop button clicked as a user does.
    void clickCropButton() {
        RECT button = toolbarButtonRect(appState.toolbar2, CMD_CROP);
        POINT centre = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
        ClientToScreen(appState.toolbar2, &centre);
        mouseAt(centre);
        mouseAt(centre, MOUSEEVENTF_LEFTDOWN);
        mouseAt(centre, MOUSEEVENTF_LEFTUP);
        settleInput();
    }

    // Screen point of image pixel (column, row) at 100 %.
    POINT screenOf(int column, int row) {
        const ViewGeometry& g = appState.viewState.geometry;
        POINT point = {g.dstX + column - g.srcX, g.dstY + row - g.srcY};
        ClientToScreen(appState.view, &point);
        return point;
    }

    void press(POINT p) { mouseAt(p, MOUSEEVENTF_LEFTDOWN); }
    void release(POINT p) { mouseAt(p, MOUSEEVENTF_LEFTUP); }
    void dragTo(POINT from, POINT to) {
        mouseAt(from);
        press(from);
        // Several steps, as a hand moves.
        for (int i = 1; i <= 4; i++) mouseAt({from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4});
        release(to);
        settleInput();
    }

    void drawRectangle(int left, int top, int right, int bottom) {
        dragTo(screenOf(left, top), screenOf(right, bottom));
        ASSERT_EQ(appState.cropState, 3);
    }

    CropRect rect() { return appState.cropEditor ? appState.cropEditor->rect : CropRect{-1, -1, -1, -1}; }

    std::string field(int id) { return windowText(GetDlgItem(appState.cropToolbar, id)); }

    std::string readout(int width, int height) {
        return languageText(CMD_CROP) + " W:" + std::to_string(width) + " H:" + std::to_string(height);
    }

    BYTE toolbarState(HWND toolbar, int command) {
        return BYTE(SendMessageW(toolbar, TB_GETSTATE, WPARAM(command), 0));
    }

    void typeInto(int id, const std::vector<WORD>& keys) {
        HWND edit = GetDlgItem(appState.cropToolbar, id);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        typeKeys(keys);
    }
};

// Types `key` from another thread after `delay` ms, while this thread sits in a modal loop.
void typeLater(WORD key, DWORD delay) {
    Sleep(delay);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

std::string describe(const CropRect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

#define EXPECT_RECT(actual, l, t, r, b) EXPECT_EQ(describe(actual), describe(CropRect{l, t, r, b}))

}  // namespace

TEST_F(CropMode, DrawByDraggingThenAcceptWithEnter) {
    clickCropButton();
    ASSERT_TRUE(appState.cropMode);
    EXPECT_EQ(appState.cropState, 0);
    EXPECT_EQ(windowText(appState.frame), languageText(CMD_CROP));
    EXPECT_TRUE(IsWindowVisible(appState.cropToolbar));
    EXPECT_FALSE(IsWindowVisible(appState.toolbar2));
    for (int command : {CMD_OPEN, CMD_SAVE_AS, CMD_FILE_LIST, CMD_ZOOM_FIT, CMD_ZOOM_100})
        EXPECT_EQ(toolbarState(appState.toolbar1, command), TBSTATE_INDETERMINATE) << command;
    EXPECT_EQ(toolbarState(appState.cropToolbar, CMD_CROP_ACCEPT), TBSTATE_INDETERMINATE);
    EXPECT_FALSE(IsWindowEnabled(appState.zoomEdit)) << "no navigation before the first rectangle";
    EXPECT_EQ(field(IDC_CROP_FIELD_LEFT), "0");

    // Enter before the first commit is passed on; the band is drawn from (37, 21) to (90, 70).
    typeKeys({VK_RETURN});
    EXPECT_TRUE(appState.cropMode);
    mouseAt(screenOf(37, 21));
    press(screenOf(37, 21));
    EXPECT_EQ(appState.cropState, 1);
    mouseAt(screenOf(60, 40));
    EXPECT_EQ(appState.cropState, 2) << "more than 16 pixels of travel with the button held";
    mouseAt(screenOf(90, 70));
    EXPECT_EQ(windowText(appState.frame), readout(54, 50)) << "the band's size, not yet snapped";
    release(screenOf(90, 70));
    settleInput();

    ASSERT_EQ(appState.cropState, 3);
    EXPECT_RECT(rect(), 32, 16, 90, 70);
    EXPECT_EQ(windowText(appState.frame), readout(59, 55));
    EXPECT_EQ(field(IDC_CROP_FIELD_LEFT), "32");
    EXPECT_EQ(field(IDC_CROP_FIELD_TOP), "16");
    EXPECT_EQ(field(IDC_CROP_FIELD_RIGHT), "90");
    EXPECT_EQ(field(IDC_CROP_FIELD_BOTTOM), "70");
    EXPECT_EQ(toolbarState(appState.cropToolbar, CMD_CROP_ACCEPT), TBSTATE_ENABLED);
    EXPECT_TRUE(IsWindowEnabled(appState.zoomEdit));
    EXPECT_FALSE(appState.inputLock);
    EXPECT_TRUE(appState.cropKeysEnabled);

    typeKeys({VK_RETURN});
    EXPECT_FALSE(appState.cropMode);
    EXPECT_TRUE(appState.cropApplied);
    EXPECT_EQ(appState.cropRequest.left, 32u);
    EXPECT_EQ(appState.cropRequest.width, 59u);
    EXPECT_EQ(appState.cropRequest.height, 55u);
    EXPECT_EQ(windowText(appState.frame), "camera.jpg  ( 59x55  24bit )");
    EXPECT_TRUE(IsWindowVisible(appState.toolbar2));
    EXPECT_EQ(appState.cropToolbar, nullptr);
    EXPECT_EQ(toolbarState(appState.toolbar1, CMD_OPEN), TBSTATE_ENABLED);
}

TEST_F(CropMode, ClickMoveClickAndTheDragsOfEdgesCornersAndTheWhole) {
    clickCropButton();
    ASSERT_TRUE(appState.cropMode);
    // A click leaves the band following the pointer; the second click commits it.
    mouseAt(screenOf(100, 50));
    press(screenOf(100, 50));
    release(screenOf(102, 51));
    EXPECT_EQ(appState.cropState, 1);
    mouseAt(screenOf(200, 150));
    EXPECT_EQ(windowText(appState.frame), readout(101, 101));
    press(screenOf(200, 150));
    release(screenOf(200, 150));
    settleInput();
    ASSERT_EQ(appState.cropState, 3);
    EXPECT_RECT(rect(), 96, 48, 200, 150);
    EXPECT_EQ(appState.dragMode, 0) << "the committing click is consumed";

    // The right edge moves by single pixels; the left edge in grid cells.
    dragTo(screenOf(200, 100), screenOf(230, 100));
    EXPECT_RECT(rect(), 96, 48, 230, 150);
    EXPECT_EQ(appState.cropState, 3);
    dragTo(screenOf(96, 100), screenOf(70, 100));
    EXPECT_RECT(rect(), 64, 48, 230, 150);
    // The bottom-left corner.
    dragTo(screenOf(64, 150), screenOf(40, 170));
    EXPECT_RECT(rect(), 32, 48, 230, 170);
    // A move keeps the size and jumps in whole cells.
    dragTo(screenOf(130, 100), screenOf(170, 120));
    EXPECT_RECT(rect(), 64, 64, 262, 186);
    EXPECT_EQ(field(IDC_CROP_FIELD_RIGHT), "262");
    // A move against the picture's edge stops there without shrinking.
    dragTo(screenOf(130, 100), screenOf(319, 239));
    EXPECT_EQ(rect().right - rect().left, 198);
    EXPECT_EQ(rect().bottom - rect().top, 122);
    EXPECT_LE(rect().right, 319);
    EXPECT_TRUE(cropRectValid(appState.cropEditor));

    // A press outside the rectangle hides the outline until release and changes nothing.
    CropRect before = rect();
    mouseAt(screenOf(5, 5));
    press(screenOf(5, 5));
    EXPECT_EQ(appState.viewState.overlayPainter, nullptr);
    release(screenOf(5, 5));
    EXPECT_NE(appState.viewState.overlayPainter, nullptr);
    EXPECT_RECT(rect(), before.left, before.top, before.right, before.bottom);
}

TEST_F(CropMode, FieldsClampTypedValuesAndALockedPresetRefits) {
    clickCropButton();
    // Typed before the first rectangle: clamped against the picture, never a negative size.
    typeInto(IDC_CROP_FIELD_LEFT, {'1', '0', '0'});
    EXPECT_EQ(rect().left, 96);
    typeInto(IDC_CROP_FIELD_BOTTOM, {'5', '0'});
    EXPECT_EQ(windowText(appState.frame).find('-'), std::string::npos) << windowText(appState.frame);
    EXPECT_TRUE(appState.inputLock) << "the lock stays on before the first rectangle";
    SetFocus(appState.frame);
    settleInput();
    EXPECT_TRUE(appState.inputLock) << "also once the field loses the focus";

    dispatchCommand(CMD_CROP_MAXIMAL);
    ASSERT_EQ(appState.cropState, 3);
    EXPECT_RECT(rect(), 0, 0, 319, 239);
    mouseAt(screenOf(160, 120));  // the move cursor, before the pointer goes to the panel

    // The left arrow steps by the grid cell, 4 and 16 cells once held; the right arrow by one pixel.
    HWND leftSpin = GetDlgItem(appState.cropToolbar, IDC_CROP_LEFT_SPIN);
    UDACCEL accel[4] = {};
    ASSERT_EQ(SendMessageW(leftSpin, UDM_GETACCEL, 4, LPARAM(accel)), 3);
    EXPECT_EQ(accel[0].nInc, 16u);
    EXPECT_EQ(accel[1].nSec, 2u);
    EXPECT_EQ(accel[1].nInc, 64u);
    EXPECT_EQ(accel[2].nSec, 4u);
    EXPECT_EQ(accel[2].nInc, 256u);
    RECT arrows;
    GetWindowRect(leftSpin, &arrows);
    POINT up = {(arrows.left + arrows.right) / 2, arrows.top + 3};
    mouseAt(up);
    mouseAt(up, MOUSEEVENTF_LEFTDOWN);
    mouseAt(up, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(rect().left, 16) << "one click on the up arrow";
    HWND rightSpin = GetDlgItem(appState.cropToolbar, IDC_CROP_RIGHT_SPIN);
    GetWindowRect(rightSpin, &arrows);
    POINT down = {(arrows.left + arrows.right) / 2, arrows.bottom - 3};
    mouseAt(down);
    mouseAt(down, MOUSEEVENTF_LEFTDOWN);
    mouseAt(down, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(rect().right, 318) << "one click on the down arrow";
    SetFocus(appState.frame);
    settleInput();

    // 13 with a 16-pixel grid is 0; a right edge past the picture is its last column.
    typeInto(IDC_CROP_FIELD_LEFT, {'3', '3'});
    EXPECT_EQ(rect().left, 32);
    typeInto(IDC_CROP_FIELD_RIGHT, {'9', '9', '9'});
    EXPECT_EQ(rect().right, 319);
    EXPECT_EQ(field(IDC_CROP_FIELD_RIGHT), "999") << "the typed text stays while the field has the focus";
    typeInto(IDC_CROP_FIELD_RIGHT, {'1', '9', '9'});
    SetFocus(appState.frame);
    settleInput();
    EXPECT_FALSE(appState.inputLock);
    EXPECT_EQ(field(IDC_CROP_FIELD_RIGHT), "199");
    typeInto(IDC_CROP_FIELD_LEFT, {'5', '0', '0'});
    SetFocus(appState.frame);
    settleInput();
    EXPECT_EQ(rect().left, 192) << "the grid line at or before the right edge";
    EXPECT_EQ(field(IDC_CROP_FIELD_LEFT), "192") << "losing the focus shows the model's value";

    // 1:1 chosen in the ratio list with the keyboard: Enter closes the list and is no crop key.
    typeInto(IDC_CROP_FIELD_LEFT, {'0'});
    HWND box = GetDlgItem(appState.cropToolbar, IDC_CROP_PRESET);
    SetFocus(box);
    typeKeys({VK_DOWN});  // opens the list (extended keyboard interface)
    EXPECT_TRUE(SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0));
    typeKeys({VK_DOWN, VK_DOWN, VK_RETURN});
    ASSERT_TRUE(appState.cropMode) << "Enter closed the list";
    EXPECT_EQ(appState.cropEditor->selectedPreset, 2);
    CropRect r = rect();
    EXPECT_EQ(r.right - r.left, r.bottom - r.top) << describe(r);
    EXPECT_EQ(r.left, 0);
    ScreenRect expected = cropScreenRectFor(&appState.viewState.geometry, r);
    EXPECT_EQ(appState.viewState.geometry.cropScreenRect.right, expected.right) << "the outline follows the refit";
    EXPECT_EQ(appState.viewState.geometry.cropScreenRect.bottom, expected.bottom);

    EXPECT_RECT(r, 0, 0, 219, 219);

    // With 1:1 locked a typed right edge pulls the bottom along; past the last row it is refused.
    typeInto(IDC_CROP_FIELD_RIGHT, {'1', '0', '0'});
    EXPECT_RECT(rect(), 0, 0, 100, 100);
    SetDlgItemTextW(appState.cropToolbar, IDC_CROP_FIELD_RIGHT, L"300");  // pasted at once
    EXPECT_RECT(rect(), 0, 0, 100, 100);
    SetFocus(appState.frame);
    settleInput();
    EXPECT_EQ(field(IDC_CROP_FIELD_RIGHT), "100");
    mouseAt(screenOf(50, 50));
    EXPECT_EQ(GetCursor(), LoadCursorW(appState.instance, MAKEINTRESOURCEW(140))) << "the zone's cursor again";
}

TEST_F(CropMode, RatioListAppliesOnlyTheFinalChoiceAndEscClosesItOnly) {
    clickCropButton();
    dispatchCommand(CMD_CROP_MAXIMAL);
    ASSERT_EQ(appState.cropState, 3);
    HWND box = GetDlgItem(appState.cropToolbar, IDC_CROP_PRESET);
    EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 10);
    SetFocus(box);
    typeKeys({VK_DOWN, VK_DOWN, VK_DOWN});  // open, then over 1024:768 and 1:1
    // The items are drawn: the selected one in the highlight colour.
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(box, &info));
    RECT list;
    GetWindowRect(info.hwndList, &list);
    int highlighted = 0;
    HDC screen = GetDC(nullptr);
    for (int y = list.top; y < list.bottom; y += 2)
        for (int x = list.left; x < list.right; x += 4) highlighted += GetPixel(screen, x, y) == RGB(232, 255, 255);
    ReleaseDC(nullptr, screen);
    EXPECT_GT(highlighted, 20) << "the owner-drawn items reach the drawing code";
    typeKeys({VK_ESCAPE});
    EXPECT_TRUE(appState.cropMode) << "Esc closed the list, not crop mode";
    EXPECT_EQ(appState.cropEditor->selectedPreset, 0);
    EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), 0);
    EXPECT_RECT(rect(), 0, 0, 319, 239);
}

TEST_F(CropMode, MaximalRectangleOfALockedRatioStandsAsComputed) {
    clickCropButton();
    mouseAt(screenOf(150, 100));  // the pointer store holds a crosshair point
    appState.cropEditor->selectedPreset = 2;  // 1:1
    appState.cropEditor->ratioOrientation = 2;
    dispatchCommand(CMD_CROP_MAXIMAL);
    // 240 × 240 centred: left (320 − 240) / 2 = 40, snapped to 32, and the size kept.
    EXPECT_RECT(rect(), 32, 0, 271, 239);
    EXPECT_EQ(windowText(appState.frame), readout(240, 240));
    EXPECT_EQ(field(IDC_CROP_FIELD_RIGHT), "271");
    EXPECT_EQ(GetFocus(), appState.frame);
    typeKeys({VK_RETURN});
    EXPECT_EQ(appState.cropRequest.width, 240u) << "Enter cuts what the title shows";
}

TEST_F(CropMode, EscapeLeavesInEveryStateButADrag) {
    // 0: crosshair only.
    clickCropButton();
    typeKeys({VK_ESCAPE});
    EXPECT_FALSE(appState.cropMode);
    EXPECT_EQ(toolbar2State(CMD_CROP), TBSTATE_ENABLED);
    EXPECT_EQ(windowText(appState.frame), "camera.jpg  ( 320x240  24bit )");
    // 1: a band after a click; a left edge typed meanwhile moves its anchor, and the title shows the band.
    clickCropButton();
    mouseAt(screenOf(50, 50));
    press(screenOf(50, 50));
    release(screenOf(50, 50));
    ASSERT_EQ(appState.cropState, 1);
    typeInto(IDC_CROP_FIELD_LEFT, {'3', '2'});
    EXPECT_EQ(windowText(appState.frame), readout(19, 1));
    SetFocus(appState.frame);
    typeKeys({VK_ESCAPE});
    EXPECT_FALSE(appState.cropMode);
    for (int state : {1, 2}) {  // with the button held
        clickCropButton();
        mouseAt(screenOf(50, 50));
        press(screenOf(50, 50));
        mouseAt(screenOf(50 + 40 * (state - 1) + 5, 50));
        ASSERT_EQ(appState.cropState, state);
        typeKeys({VK_ESCAPE});
        EXPECT_FALSE(appState.cropMode) << state;
        release(screenOf(50, 50));
        EXPECT_FALSE(appState.cropApplied);
    }
    // 3 and 4: a drag ignores Esc; at rest it leaves without a crop.
    clickCropButton();
    drawRectangle(40, 40, 200, 150);
    mouseAt(screenOf(200, 100));
    press(screenOf(200, 100));
    mouseAt(screenOf(210, 100));
    ASSERT_EQ(appState.cropState, 4);
    typeKeys({VK_ESCAPE});
    EXPECT_TRUE(appState.cropMode);
    release(screenOf(210, 100));
    typeKeys({VK_ESCAPE});
    EXPECT_FALSE(appState.cropMode);
    EXPECT_FALSE(appState.cropApplied);
    EXPECT_FALSE(appState.inputLock);
    EXPECT_FALSE(appState.cropKeysEnabled);
    EXPECT_EQ(imageBitCount(appState.picture), 24u);
}

TEST_F(CropMode, MenusAndDialogsKeepTheirEnterAndEscape) {
    clickCropButton();
    drawRectangle(40, 40, 200, 150);
    // Esc closing the shading drop-down.
    std::thread escape(typeLater, WORD(VK_ESCAPE), DWORD(400));
    showShadingMenu();
    escape.join();
    settleInput();
    EXPECT_TRUE(appState.cropMode) << "Esc closed the menu only";
    EXPECT_FALSE(appState.menuLoop);
    // Enter closing a modal box of the frame is not the accept key.
    std::thread enter(typeLater, WORD(VK_RETURN), DWORD(600));
    MessageBoxW(appState.frame, L"Enter closes this box", L"Trimwell", MB_OK);
    enter.join();
    settleInput();
    EXPECT_TRUE(appState.cropMode);
    EXPECT_FALSE(appState.cropApplied);
    // Accept reaching the dispatcher before a rectangle is committed does nothing.
    typeKeys({VK_ESCAPE});
    clickCropButton();
    mouseAt(screenOf(50, 50));
    press(screenOf(50, 50));
    release(screenOf(50, 50));
    dispatchCommand(CMD_CROP_ACCEPT);
    EXPECT_TRUE(appState.cropMode);
    EXPECT_FALSE(appState.cropApplied);
}

TEST_F(CropMode, ALostCaptureEndsTheDragAsAReleaseWould) {
    clickCropButton();
    drawRectangle(40, 40, 200, 150);
    mouseAt(screenOf(200, 100));
    press(screenOf(200, 100));
    mouseAt(screenOf(220, 100));
    ASSERT_EQ(appState.cropState, 4);
    ASSERT_FALSE(appState.cropKeysEnabled);
    ReleaseCapture();  // as Alt+Tab or a message box would take it
    settleInput();
    EXPECT_EQ(appState.dragMode, 0);
    EXPECT_EQ(appState.cropState, 3);
    EXPECT_FALSE(appState.inputLock);
    EXPECT_TRUE(appState.cropKeysEnabled);
    release(screenOf(220, 100));
    // A system command mid-drag (tapping Alt) keeps the rectangle.
    mouseAt(screenOf(220, 100));
    press(screenOf(220, 100));
    mouseAt(screenOf(230, 100));
    ASSERT_EQ(appState.cropState, 4);
    SendMessageW(appState.frame, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(appState.cropMode);
    release(screenOf(230, 100));
    EXPECT_EQ(rect().right, 230);
    typeKeys({VK_RETURN});
    EXPECT_TRUE(appState.cropApplied) << "Enter works again after the drag";

    // A right-drag that loses the capture gives the accelerators back.
    appState.zoomFactor = 1.0;
    dispatchCommand(CMD_ZOOM_100);
    POINT centre = screenOf(100, 100);
    mouseAt(centre);
    mouseAt(centre, MOUSEEVENTF_RIGHTDOWN);
    mouseAt({centre.x + 30, centre.y + 30});
    ASSERT_GE(appState.dragMode, 2);
    ReleaseCapture();
    settleInput();
    EXPECT_EQ(appState.dragMode, 0);
    mouseAt({centre.x + 30, centre.y + 30}, MOUSEEVENTF_RIGHTUP);
    settleInput();
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu && IsWindowVisible(menu)) typeKeys({VK_ESCAPE});
}

TEST_F(CropMode, CropModeEndingUnderThePresetsEditorClosesIt) {
    clickCropButton();
    // The editor comes up from the ratio list's last item; a system command arrives meanwhile.
    SetTimer(appState.frame, 77, 300, [](HWND frame, UINT, UINT_PTR id, DWORD) {
        KillTimer(frame, id);
        EXPECT_TRUE(cropPresetsDialogOpen());
        SendMessageW(frame, WM_SYSCOMMAND, SC_RESTORE, 0);
    });
    HWND box = GetDlgItem(appState.cropToolbar, IDC_CROP_PRESET);
    SendMessageW(box, CB_SETCURSEL, 9, 0);
    SendMessageW(appState.cropToolbar, WM_COMMAND, MAKEWPARAM(IDC_CROP_PRESET, CBN_SELCHANGE), LPARAM(box));
    EXPECT_FALSE(appState.cropMode);
    EXPECT_EQ(appState.cropEditor, nullptr);
    EXPECT_FALSE(appState.cropKeysEnabled);
    EXPECT_TRUE(IsWindowEnabled(appState.frame));
}

TEST_F(CropMode, PresetsEditorOpensBelowTheBoxAndItsOkRefitsTheRectangle) {
    clickCropButton();
    dispatchCommand(CMD_CROP_MAXIMAL);
    SetTimer(appState.frame, 78, 300, [](HWND frame, UINT, UINT_PTR id, DWORD) {
        KillTimer(frame, id);
        HWND dialog = static_cast<HWND>(appState.cropEditor->presetsDialog);
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(appState.cropKeysEnabled);
        RECT box, placed;
        GetWindowRect(GetDlgItem(appState.cropToolbar, IDC_CROP_PRESET), &box);
        GetWindowRect(dialog, &placed);
        EXPECT_EQ(placed.left, box.left);
        EXPECT_EQ(placed.top, box.bottom);
        EXPECT_EQ(windowText(GetDlgItem(dialog, IDC_PRESET_WIDTH_FIRST)), "1024");
        // The free entry 0 stays selected; preset 3 becomes 2:1 and preset 1 is cleared.
        SetDlgItemTextW(dialog, IDC_PRESET_WIDTH_FIRST, L"");
        SetDlgItemTextW(dialog, IDC_PRESET_WIDTH_FIRST + 2, L"20000");
        SetDlgItemTextW(dialog, IDC_PRESET_HEIGHT_FIRST + 2, L"1");
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        (void)frame;
    });
    HWND box = GetDlgItem(appState.cropToolbar, IDC_CROP_PRESET);
    SendMessageW(box, CB_SETCURSEL, 9, 0);
    SendMessageW(appState.cropToolbar, WM_COMMAND, MAKEWPARAM(IDC_CROP_PRESET, CBN_SELCHANGE), LPARAM(box));
    ASSERT_TRUE(appState.cropMode);
    EXPECT_TRUE(appState.cropKeysEnabled);
    EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(appState.cropEditor->ratioPresets[1].width, 0);
    EXPECT_EQ(appState.cropEditor->ratioPresets[3].width, 9999);
    EXPECT_EQ(appState.cropEditor->ratioPresets[3].height, 1);
    wchar_t item[32] = {};
    SendMessageW(box, CB_GETLBTEXT, 3, LPARAM(item));
    EXPECT_STREQ(item, L"9999:1");
    SendMessageW(box, CB_GETLBTEXT, 1, LPARAM(item));
    EXPECT_STREQ(item, L"-");
    // The presets are stored when crop mode ends.
    typeKeys({VK_ESCAPE});
    EXPECT_EQ(gSettings.ratioPresets[3].width, 9999);
    loadRatioPresets(&gSettings);
    EXPECT_EQ(gSettings.ratioPresets[3].width, 9999) << "written to the settings file";
}

namespace {

COLORREF screenPixel(POINT point) {
    HDC dc = GetDC(nullptr);
    COLORREF colour = GetPixel(dc, point.x, point.y);
    ReleaseDC(nullptr, dc);
    return colour;
}

}  // namespace

TEST_F(CropMode, APressRemovesTheCrosshairWhereItWasAndStartsInsideThePicture) {
    clickCropButton();
    // Over the grey margin the crosshair stays on the picture's first row and column; a press there
    // must remove it where it was drawn, not at the press point, and start the band on the picture.
    const POINT onFirstRow = screenOf(300, 0), onFirstColumn = screenOf(0, 150);
    const COLORREF rowClean = screenPixel(onFirstRow), columnClean = screenPixel(onFirstColumn);
    POINT margin = screenOf(0, 0);
    margin.x -= 20;
    margin.y -= 20;
    mouseAt(screenOf(200, 100));
    mouseAt(margin);
    ASSERT_NE(screenPixel(onFirstRow), rowClean) << "the crosshair runs along the first row";
    ASSERT_NE(screenPixel(onFirstColumn), columnClean);
    press(margin);
    EXPECT_EQ(screenPixel(onFirstRow), rowClean) << "no crosshair stays behind";
    EXPECT_EQ(screenPixel(onFirstColumn), columnClean) << "no crosshair stays behind";
    EXPECT_EQ(rect().left, 0);
    EXPECT_EQ(rect().top, 0);
    release(margin);
    mouseAt(screenOf(100, 80));
    press(screenOf(100, 80));
    release(screenOf(100, 80));
    EXPECT_RECT(rect(), 0, 0, 100, 80);
}

TEST_F(CropMode, ALockedEdgeDragPullsThePartnerAndLeavesNoStrayOutline) {
    clickCropButton();
    drawRectangle(40, 40, 200, 150);
    HWND box = GetDlgItem(appState.cropToolbar, IDC_CROP_PRESET);
    SendMessageW(box, CB_SETCURSEL, 2, 0);  // 1:1, picked with the list closed (the wheel)
    SendMessageW(appState.cropToolbar, WM_COMMAND, MAKEWPARAM(IDC_CROP_PRESET, CBN_SELCHANGE), LPARAM(box));
    settleInput();
    // (32, 32)–(200, 150): t = 288, so 144 × 144.
    ASSERT_EQ(describe(rect()), describe(CropRect{32, 32, 175, 175}));
    const POINT passedColumn = screenOf(185, 100), passedRow = screenOf(100, 185);
    const POINT newColumn = screenOf(195, 100), newRow = screenOf(100, 195);
    const COLORREF columnBefore = screenPixel(passedColumn), rowBefore = screenPixel(passedRow);
    const COLORREF newColumnBefore = screenPixel(newColumn), newRowBefore = screenPixel(newRow);
    mouseAt(screenOf(175, 100));
    press(screenOf(175, 100));
    mouseAt(screenOf(185, 100));
    mouseAt(screenOf(195, 100));
    ASSERT_EQ(appState.cropState, 4);
    EXPECT_EQ(screenPixel(passedColumn), columnBefore) << "the outline of the step before is gone";
    EXPECT_EQ(screenPixel(passedRow), rowBefore) << "the outline of the step before is gone";
    EXPECT_NE(screenPixel(newColumn), newColumnBefore) << "the outline shows where the edges are now";
    EXPECT_NE(screenPixel(newRow), newRowBefore) << "the outline shows where the edges are now";
    // Past the last row the bottom cannot follow: the step is refused and the field keeps the edge.
    mouseAt(screenOf(230, 100));
    mouseAt(screenOf(300, 100));
    EXPECT_EQ(field(IDC_CROP_FIELD_RIGHT), "230");
    EXPECT_EQ(windowText(appState.frame), readout(199, 199));
    release(screenOf(300, 100));
    EXPECT_RECT(rect(), 32, 32, 230, 230);
    EXPECT_EQ(field(IDC_CROP_FIELD_BOTTOM), "230");
}

TEST_F(CropMode, DeactivationWhileDrawingEndsTheDragWithCropMode) {
    clickCropButton();
    mouseAt(screenOf(40, 40));
    press(screenOf(40, 40));
    mouseAt(screenOf(100, 100));
    ASSERT_EQ(appState.cropState, 2);
    ASSERT_EQ(GetCapture(), appState.view);
    SendMessageW(appState.frame, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(appState.cropMode);
    EXPECT_EQ(appState.dragMode, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    release(screenOf(100, 100));
    EXPECT_FALSE(appState.cropMode);
}

TEST_F(CropMode, DisplayCopyFailureUndoesEverythingCropModeHadStarted) {
    MessageBoxAnswerer answerer(IDOK);
    uint8_t* pixels = appState.picture->pixels;
    appState.picture->pixels = nullptr;  // the display copy cannot be made
    SendMessageW(appState.toolbar2, TB_CHECKBUTTON, CMD_CROP, TRUE);
    SendMessageW(appState.frame, WM_COMMAND, CMD_CROP, 0);
    appState.picture->pixels = pixels;
    std::vector<MessageBoxAnswerer::Box> boxes = answerer.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, languageText(TXT_ERROR_NO_DISPLAY_MEMORY));
    EXPECT_FALSE(appState.cropMode);
    EXPECT_EQ(appState.cropEditor, nullptr);
    EXPECT_FALSE(appState.inputLock);
    EXPECT_FALSE(appState.cropKeysEnabled);
    EXPECT_EQ(toolbarState(appState.toolbar1, CMD_OPEN), TBSTATE_ENABLED);
    EXPECT_EQ(toolbar2State(CMD_CROP), TBSTATE_ENABLED) << "shown unchecked again";
    // Nothing is left blocking the next try.
    clickCropButton();
    EXPECT_TRUE(appState.cropMode);
}

TEST_F(CropMode, ARepaintedPartKeepsTheCrosshairAndTheBandThatTheNextMoveRemoves) {
    clickCropButton();
    const POINT onRow = screenOf(300, 100), onBandEdge = screenOf(300, 150);
    const COLORREF rowClean = screenPixel(onRow), bandClean = screenPixel(onBandEdge);
    mouseAt(screenOf(200, 100));
    ASSERT_NE(screenPixel(onRow), rowClean);
    // Part of the view painted again for an outside reason (a window that covered it went away).
    const ViewGeometry& g = appState.viewState.geometry;
    RECT part = {g.dstX + 250, g.dstY + 50, g.dstX + 350, g.dstY + 200};
    InvalidateRect(appState.view, &part, FALSE);
    UpdateWindow(appState.view);
    EXPECT_NE(screenPixel(onRow), rowClean) << "the crosshair is still shown after the repaint";
    mouseAt(screenOf(220, 130));
    EXPECT_EQ(screenPixel(onRow), rowClean) << "moving on leaves nothing of the old crosshair";

    // The band the same way.
    mouseAt(screenOf(40, 40));
    press(screenOf(40, 40));
    release(screenOf(40, 40));
    mouseAt(screenOf(300, 150));
    InvalidateRect(appState.view, &part, FALSE);
    UpdateWindow(appState.view);
    mouseAt(screenOf(200, 120));
    EXPECT_EQ(screenPixel(onBandEdge), bandClean) << "moving on leaves nothing of the old band";
}

TEST_F(CropMode, ALargerInterfaceFontReachesThePanelWhichIsPlacedAgain) {
    clickCropButton();
    drawRectangle(40, 40, 200, 150);
    HWND left = GetDlgItem(appState.cropToolbar, IDC_CROP_FIELD_LEFT);
    HWND box = GetDlgItem(appState.cropToolbar, IDC_CROP_PRESET);
    const RECT boxBefore = rectInParent(box);
    const int32_t height = gSettings.fontHeight;
    gSettings.fontHeight = height < 0 ? height - 6 : -18;
    relayoutBars();
    for (int id : {IDC_CROP_FIELD_LEFT, IDC_CROP_FIELD_TOP, IDC_CROP_FIELD_RIGHT, IDC_CROP_FIELD_BOTTOM, IDC_CROP_PRESET,
                   int(TXT_CROP_LEFT), int(TXT_RATIO_LABEL)}) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(appState.cropToolbar, id), WM_GETFONT, 0, 0));
        LOGFONTW described = {};
        EXPECT_EQ(font, appState.uiFont) << "control " << id;
        EXPECT_NE(GetObjectW(font, sizeof described, &described), 0) << "control " << id << " holds a live font";
    }
    EXPECT_GT(rectInParent(box).left, boxBefore.left) << "wider labels and fields push the ratio box right";
    EXPECT_EQ(rectInParent(left).bottom - rectInParent(left).top, appState.metrics.lineHeight);
    EXPECT_EQ(windowText(appState.frame), readout(169, 119)) << "the readout stays";
    gSettings.fontHeight = height;
    relayoutBars();
}
