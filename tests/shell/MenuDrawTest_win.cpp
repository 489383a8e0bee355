// The owner-drawn popups shown for real: while TrackPopupMenu runs its loop, a timer reads the menu
// window's pixels back, moves the selection with a key and closes the menu. A subclass of the frame
// records the WM_MEASUREITEM and WM_DRAWITEM messages the menu sent.
#include "shell/Menus.h"

#include <algorithm>
#include <memory>

#include "settings/Settings.h"
#include "shell/CommandIds.h"
#include "shell/ShellFrameFixture.h"
#include "ui/OwnerDraw.h"

namespace {

struct MenuProbe {
    std::vector<MEASUREITEMSTRUCT> measured;
    std::vector<DRAWITEMSTRUCT> drawn;
    std::unique_ptr<WindowPixels> resting;   // as the menu first shows
    std::unique_ptr<WindowPixels> selected;  // after one Down key
    RECT menuRect = {};
    int ticks = 0;
    bool pressDown = true;
};
MenuProbe* probe = nullptr;

LRESULT CALLBACK recordOwnerDraw(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_MEASUREITEM && wParam == 0) probe->measured.push_back(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    if (message == WM_DRAWITEM && wParam == 0) probe->drawn.push_back(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    return result;
}

HWND openMenuWindow() {
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// Runs inside the menu's own message loop.
void CALLBACK menuTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    ++probe->ticks;
    HWND menu = openMenuWindow();
    if (menu && !probe->resting && probe->ticks >= 3) {
        RedrawWindow(menu, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        probe->resting = std::make_unique<WindowPixels>(menu);
        GetWindowRect(menu, &probe->menuRect);
        if (probe->pressDown) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    } else if (menu && probe->resting && probe->pressDown && !probe->selected && probe->ticks >= 6) {
        RedrawWindow(menu, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        probe->selected = std::make_unique<WindowPixels>(menu);
    }
    bool done = probe->resting && (probe->selected || !probe->pressDown);
    if (done || probe->ticks > 100) {
        KillTimer(nullptr, timer);
        EndMenu();
    }
}

class MenuDraw : public ShellFrame {
protected:
    void TearDown() override {
        probe = nullptr;
        ShellFrame::TearDown();
    }

    // Shows a popup the way the program does and collects what it drew.
    template <class Show>
    void showAndProbe(Show show, bool pressDown) {
        state.pressDown = pressDown;
        probe = &state;
        SetWindowSubclass(appState.frame, recordOwnerDraw, 1, 0);
        UINT_PTR timer = SetTimer(nullptr, 0, 50, menuTimer);
        show();
        KillTimer(nullptr, timer);
        RemoveWindowSubclass(appState.frame, recordOwnerDraw, 1);
        pumpFrameMessages();
        ASSERT_NE(state.resting, nullptr) << "the menu window never showed";
    }

    // The first drawing of `command`, as the menu first showed.
    const DRAWITEMSTRUCT* firstDraw(int command) {
        for (const DRAWITEMSTRUCT& draw : state.drawn)
            if (draw.itemID == UINT(command)) return &draw;
        return nullptr;
    }

    std::vector<UINT> measuredIds() {
        std::vector<UINT> ids;
        for (const MEASUREITEMSTRUCT& measure : state.measured) ids.push_back(measure.itemID);
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        return ids;
    }

    MenuProbe state;
};

std::vector<UINT> contextCommands() { return {CMD_REVERT, CMD_SAVE, CMD_CUSTOMIZE, CMD_OPTIONS, CMD_HELP, CMD_ABOUT}; }

// Where a right-aligned key name of `width` pixels lands in an item.
RECT keyArea(const RECT& item, int width) { return {item.right - 4 - width, item.top + 1, item.right - 3, item.bottom - 1}; }
// The start of the label.
RECT labelArea(const RECT& item) { return {item.left + 15, item.top + 1, item.left + 45, item.bottom - 1}; }

}  // namespace

TEST_F(MenuDraw, ContextMenuShowsItsItemsWithTheirKeysAtTheViewCorner) {
    startWithPicture(64, 48);
    showAndProbe([] { showContextMenu(appState.frame, POINT{-1, -1}); }, true);

    // Every item was measured and drawn with its CommandItem, as owner-drawn menu items.
    std::vector<UINT> expected = contextCommands();
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(measuredIds(), expected);
    for (const MEASUREITEMSTRUCT& measure : state.measured) {
        EXPECT_EQ(measure.CtlType, UINT(ODT_MENU));
        int row = bindingRowOf(measure.itemID);
        ASSERT_GE(row, 0);
        EXPECT_EQ(measure.itemData, reinterpret_cast<ULONG_PTR>(&appState.commandItems[row]));
        EXPECT_EQ(int(measure.itemHeight), appState.metrics.textHeight + 6) << measure.itemID;
    }
    // The revert item is measured with its key name, the others with their labels only.
    for (const MEASUREITEMSTRUCT& measure : state.measured) {
        std::string text = languageText(measure.itemID) + languageText(measure.itemID + 10000);
        if (measure.itemID == CMD_CUSTOMIZE || measure.itemID == CMD_OPTIONS) text += "...";
        if (measure.itemID == CMD_REVERT) text += "BackSpace";
        EXPECT_EQ(int(measure.itemWidth), uiTextWidth(text) + 14) << measure.itemID;
    }

    // Opened from the keyboard: at the top-left corner of the view's client area.
    POINT corner = {0, 0};
    ClientToScreen(appState.view, &corner);
    EXPECT_EQ(state.menuRect.left, corner.x);
    EXPECT_EQ(state.menuRect.top, corner.y);

    // What was drawn: every label, "BackSpace" right-aligned beside the revert item only, nothing
    // highlighted until the Down key selects the first item.
    const WindowPixels& resting = *state.resting;
    int keyWidth = uiTextWidth("BackSpace");
    for (UINT command : contextCommands()) {
        const DRAWITEMSTRUCT* draw = firstDraw(int(command));
        ASSERT_NE(draw, nullptr) << command;
        EXPECT_EQ(draw->hwndItem, reinterpret_cast<HWND>(appState.contextMenu));
        EXPECT_EQ(draw->itemState & (ODS_SELECTED | ODS_GRAYED | ODS_DISABLED), 0u) << command;
        EXPECT_GT(resting.countDark(labelArea(draw->rcItem)), 10) << command;
        if (command == CMD_REVERT) {
            EXPECT_GT(resting.countDark(keyArea(draw->rcItem, keyWidth)), 10);
        } else {
            // Nothing right of the label.
            std::string label = languageText(command) + languageText(command + 10000);
            if (command == CMD_CUSTOMIZE || command == CMD_OPTIONS) label += "...";
            RECT rest = {draw->rcItem.left + 15 + uiTextWidth(label) + 2, draw->rcItem.top, draw->rcItem.right,
                         draw->rcItem.bottom};
            EXPECT_EQ(resting.countDark(rest), 0) << command;
        }
        EXPECT_EQ(resting.countColour(draw->rcItem, kHotPen), 0) << command;
    }
    ASSERT_NE(state.selected, nullptr);
    const DRAWITEMSTRUCT* revert = firstDraw(CMD_REVERT);
    const DRAWITEMSTRUCT* save = firstDraw(CMD_SAVE);
    EXPECT_GT(state.selected->countColour(revert->rcItem, kHotPen), 20);
    EXPECT_GT(state.selected->countColour(revert->rcItem, kHotFill), 20);
    EXPECT_EQ(state.selected->countColour(save->rcItem, kHotPen), 0);
    EXPECT_GT(state.selected->countDark(keyArea(revert->rcItem, keyWidth)), 10);  // the key stays on the highlight
    bool drawnSelected = false;
    for (const DRAWITEMSTRUCT& draw : state.drawn)
        drawnSelected |= draw.itemID == UINT(CMD_REVERT) && (draw.itemState & ODS_SELECTED);
    EXPECT_TRUE(drawnSelected);
}

TEST_F(MenuDraw, ContextMenuWithoutAPictureGreysTheFileItems) {
    start();
    showAndProbe([] { showContextMenu(appState.frame, POINT{-1, -1}); }, false);
    const WindowPixels& resting = *state.resting;
    for (int command : {CMD_REVERT, CMD_SAVE}) {
        const DRAWITEMSTRUCT* draw = firstDraw(command);
        ASSERT_NE(draw, nullptr) << command;
        EXPECT_NE(draw->itemState & (ODS_GRAYED | ODS_DISABLED), 0u) << command;
        EXPECT_EQ(resting.countDark(draw->rcItem), 0) << command;  // grey text only
        EXPECT_GT(resting.countColour(draw->rcItem, GetSysColor(COLOR_GRAYTEXT)), 5) << command;
    }
    const DRAWITEMSTRUCT* help = firstDraw(CMD_HELP);
    ASSERT_NE(help, nullptr);
    EXPECT_GT(resting.countDark(labelArea(help->rcItem)), 10);
}

TEST_F(MenuDraw, ShadingMenuOpensBelowItsButtonWithTheModeChecked) {
    start();
    gSettings.maskShading = 128;
    showAndProbe([] { showShadingMenu(); }, false);
    RECT button;
    SendMessageW(appState.toolbar1, TB_GETRECT, CMD_SHADING_MENU, reinterpret_cast<LPARAM>(&button));
    POINT below = {button.left, button.bottom};
    ClientToScreen(appState.toolbar1, &below);
    EXPECT_EQ(state.menuRect.left, below.x);
    EXPECT_EQ(state.menuRect.top, below.y);
    const WindowPixels& resting = *state.resting;
    for (int command : {CMD_SHADE_HALF, CMD_SHADE_QUARTER, CMD_SHADE_EIGHTH, CMD_SHADE_BLACK, CMD_SHADE_GREY,
                        CMD_SHADE_WHITE}) {
        const DRAWITEMSTRUCT* draw = firstDraw(command);
        ASSERT_NE(draw, nullptr) << command;
        EXPECT_EQ(draw->hwndItem, reinterpret_cast<HWND>(appState.shadingMenu));
        bool checked = command == CMD_SHADE_GREY;
        EXPECT_EQ((draw->itemState & ODS_CHECKED) != 0, checked) << command;
        RECT mark = {draw->rcItem.left, draw->rcItem.top, draw->rcItem.left + 14, draw->rcItem.bottom};
        if (checked) {
            EXPECT_GT(resting.countColour(mark, kDiamondFill), 5);
            EXPECT_GT(resting.countColour(mark, kDiamondPen), 5);
        } else {
            EXPECT_EQ(resting.countColour(mark, kDiamondFill), 0) << command;
        }
        EXPECT_GT(resting.countDark(labelArea(draw->rcItem)), 10) << command;
    }
}

TEST_F(MenuDraw, ShadingButtonOpensTheMenu) {
    start();
    gSettings.maskShading = 3;
    RECT button = toolbarButtonRect(appState.toolbar1, CMD_SHADING_MENU);
    POINT centre = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    ClientToScreen(appState.toolbar1, &centre);
    // The whole button is the drop-down: pressing it opens the popup below it.
    showAndProbe([centre] {
        mouseAt(centre);
        mouseAt(centre, MOUSEEVENTF_LEFTDOWN);
    }, false);
    mouseAt(centre, MOUSEEVENTF_LEFTUP);
    mouseAt({0, 0});
    POINT below = {button.left, button.bottom};
    ClientToScreen(appState.toolbar1, &below);
    EXPECT_EQ(state.menuRect.left, below.x);
    EXPECT_EQ(state.menuRect.top, below.y);
    const DRAWITEMSTRUCT* eighth = firstDraw(CMD_SHADE_EIGHTH);
    ASSERT_NE(eighth, nullptr);
    EXPECT_NE(eighth->itemState & ODS_CHECKED, 0u);
    EXPECT_EQ(gSettings.maskShading, 3);  // closed without a choice
}

// After a language or font change the rows come back from the live accelerator table. An entry for a
// command without a row still works as a key but shows nowhere; the first entry of a command wins.
TEST_F(MenuDraw, MenusRebuiltFromTheAcceleratorTableKeepTheirKeys) {
    start();
    ACCEL entries[] = {
        {FVIRTKEY | FCONTROL | FSHIFT, VK_F5, CMD_HELP},
        {FVIRTKEY, VK_F9, CMD_SHADE_GREY},
        {FVIRTKEY, VK_F6, CMD_SHADE_GREY},
        {FVIRTKEY | FCONTROL, 'M', CMD_CROP_MAXIMAL},
    };
    HACCEL old = appState.acceleratorTable;
    appState.acceleratorTable = CreateAcceleratorTableW(entries, 4);
    DestroyAcceleratorTable(old);
    HMENU oldContext = appState.contextMenu;
    rebuildMenusFromAccelerators();
    EXPECT_NE(appState.contextMenu, nullptr);
    EXPECT_FALSE(IsMenu(oldContext));
    EXPECT_EQ(GetSubMenu(appState.containerMenu, 0), appState.contextMenu);
    EXPECT_EQ(GetSubMenu(appState.containerMenu, 1), appState.shadingMenu);
    const CommandBinding& help = appState.bindings.rows[bindingRowOf(CMD_HELP)];
    EXPECT_EQ(help.flags, kAccelVirtKey | kAccelControl | kAccelShift);
    EXPECT_EQ(help.key, VK_F5);
    EXPECT_EQ(appState.bindings.rows[bindingRowOf(CMD_SHADE_GREY)].key, VK_F9);
    EXPECT_EQ(appState.bindings.rows[bindingRowOf(CMD_REVERT)].key, 0);  // not in the table: unbound

    // The help item draws "Ctrl+Shift+F5" at its right end.
    showAndProbe([] { showContextMenu(appState.frame, POINT{-1, -1}); }, false);
    const DRAWITEMSTRUCT* drawn = firstDraw(CMD_HELP);
    ASSERT_NE(drawn, nullptr);
    EXPECT_GT(state.resting->countDark(keyArea(drawn->rcItem, uiTextWidth("Ctrl+Shift+F5"))), 20);
    const DRAWITEMSTRUCT* revert = firstDraw(CMD_REVERT);
    ASSERT_NE(revert, nullptr);
    EXPECT_EQ(state.resting->countDark(keyArea(revert->rcItem, uiTextWidth("BackSpace"))), 0);

    // Both F9 and F6 still choose grey; the rowless entry is kept in the table.
    gSettings.maskShading = 1;
    SetFocus(appState.frame);
    typeKeys({VK_F6});
    EXPECT_EQ(gSettings.maskShading, 128);
    CommandBinding copied[kBindingRowCount];
    EXPECT_EQ(copyAcceleratorTable(appState.acceleratorTable, copied), 4);
    EXPECT_EQ(copied[3].command, CMD_CROP_MAXIMAL);
}
