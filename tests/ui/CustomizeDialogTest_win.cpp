// The customisation dialog over the real frame, opened by its command and worked with real messages:
// what it lists, the refusals and their warnings, the two pages, restoring defaults, and what reaches
// the program when it closes (accelerators, menus, tooltips, mouse bindings, the page), also across a
// restart.
#include "ui/OptionDialogs.h"

#include "shell/FrameHarness_win.h"
#include "ui/DialogDriver.h"

#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "shell/KeyNames.h"
#include "shell/Menus.h"

namespace {

const int kOpenRow = bindingRowOf(CMD_OPEN);
const int kFitRow = bindingRowOf(CMD_ZOOM_FIT);
const int kToggleRow = bindingRowOf(CMD_ZOOM_TOGGLE);
const int kZoomInRow = bindingRowOf(CMD_ZOOM_IN);
const int kHelpRow = bindingRowOf(CMD_HELP);

HWND listView(HWND dialog) { return GetDlgItem(dialog, IDC_CUSTOMIZE_COMMANDS); }

std::string cell(HWND dialog, int row, int column) {
    wchar_t text[128] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 128;
    SendMessageW(listView(dialog), LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    return u8(asText(text));
}

void selectRow(HWND dialog, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(listView(dialog), LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

// As a click on an entry does it: the selection, then the list's notification to the dialog.
void chooseEntry(HWND dialog, int listId, const std::string& text) {
    HWND list = GetDlgItem(dialog, listId);
    int count = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
    int index = 0;
    while (index < count && itemText(list, index, false) != text) ++index;
    ASSERT_LT(index, count) << text;
    SendMessageW(list, LB_SETCURSEL, WPARAM(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void setCheck(HWND dialog, int id, bool on) {
    if (isChecked(dialog, id) != on) clickButton(dialog, id);
}

// Assigns and reports the warning shown, empty when there was none.
std::string assign(HWND dialog, MessageBoxAnswerer& boxes) {
    size_t before = boxes.boxes().size();
    clickButton(dialog, IDC_CUSTOMIZE_ASSIGN);
    std::vector<MessageBoxAnswerer::Box> all = boxes.boxes();
    if (all.size() == before) return "";
    EXPECT_EQ(all.back().caption, languageText(TXT_CUSTOMIZE_WARNING));
    return all.back().text;
}

int columnWidth(HWND dialog, int column) {
    return int(SendMessageW(listView(dialog), LVM_GETCOLUMNWIDTH, WPARAM(column), 0));
}

int listTextWidth(HWND dialog, const std::string& text) {
    HWND list = listView(dialog);
    std::u16string wide = u16(text);
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(dc, asWide(wide.c_str()), int(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    return size.cx;
}

struct CellInk {
    int dark;  // text in the window-text colour
    int grey;  // text in the inactive column's grey
};

// The pixels of a cell of the command list as it is painted now.
CellInk cellInk(HWND dialog, int row, int column) {
    HWND list = listView(dialog);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT cell = {};
    cell.top = column;
    cell.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETSUBITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&cell));
    WindowPixels pixels(list);
    return {pixels.countDark(cell), pixels.countColour(cell, RGB(128, 128, 128))};
}

std::vector<CommandBinding> liveAccelerators() {
    CommandBinding entries[kBindingRowCount];
    int count = copyAcceleratorTable(appState.acceleratorTable, entries);
    return std::vector<CommandBinding>(entries, entries + count);
}

bool hasBinding(const std::vector<CommandBinding>& entries, uint8_t flags, uint16_t key, uint16_t command) {
    for (const CommandBinding& entry : entries)
        if (entry.flags == flags && entry.key == key && entry.command == command) return true;
    return false;
}

std::string itemKeys(int row) {
    const CommandItem& item = appState.commandItems[row];
    std::string text = item.modifier ? u8(item.modifier) : "";
    return text + (item.key ? u8(item.key) : "");
}

using CustomizeDialog = FrameTest;

}  // namespace

TEST_F(CustomizeDialog, ListsTheBindingsAndRefusesWhatIsInUse) {
    ASSERT_TRUE(startFrame());
    MessageBoxAnswerer boxes(IDOK);
    HACCEL tableBefore = appState.acceleratorTable;
    bool ran = withDialog(showCustomizeDialog, [&](HWND dialog) {
        HWND list = listView(dialog);
        DWORD extended = DWORD(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        EXPECT_EQ(extended & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT), DWORD(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));
        ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), kBindingRowCount);
        // Three columns that fill the client width less a scroll bar.
        int key = listTextWidth(dialog, "BackSpace");
        int mouse =
            std::max(listTextWidth(dialog, languageText(20201)), listTextWidth(dialog, languageText(20206))) + 12;
        RECT client;
        GetClientRect(list, &client);
        EXPECT_EQ(columnWidth(dialog, 1), key + 12);
        EXPECT_EQ(columnWidth(dialog, 2), mouse);
        int scrollBar = (GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL) ? 0 : GetSystemMetrics(SM_CXVSCROLL);
        EXPECT_EQ(columnWidth(dialog, 0) + columnWidth(dialog, 1) + columnWidth(dialog, 2), client.right - scrollBar);
        EXPECT_EQ(cell(dialog, kOpenRow, 0), languageText(CMD_OPEN));
        EXPECT_EQ(cell(dialog, kOpenRow, 1), "Ctrl+O");
        EXPECT_EQ(cell(dialog, kOpenRow, 2), "");
        EXPECT_EQ(cell(dialog, 11, 0), languageText(CMD_SHADING_MENU) + " - " + languageText(CMD_SHADE_HALF));
        EXPECT_EQ(cell(dialog, 16, 0), languageText(CMD_SHADING_MENU) + " - " + languageText(CMD_SHADE_WHITE));
        EXPECT_EQ(cell(dialog, kToggleRow, 1), "Space");
        EXPECT_EQ(cell(dialog, kToggleRow, 2), languageText(20202));
        EXPECT_EQ(cell(dialog, kZoomInRow, 2), languageText(20206));
        // The key list in its fixed order, the trigger list hidden on the keyboard page.
        HWND keys = GetDlgItem(dialog, IDC_CUSTOMIZE_KEYS);
        ASSERT_EQ(SendMessageW(keys, LB_GETCOUNT, 0, 0), kNamedKeyCount);
        for (int i = 0; i < kNamedKeyCount; ++i) EXPECT_EQ(itemText(keys, i, false), u8(keyName(kNamedKeys[i]))) << i;
        HWND triggers = GetDlgItem(dialog, IDC_CUSTOMIZE_TRIGGERS);
        ASSERT_EQ(SendMessageW(triggers, LB_GETCOUNT, 0, 0), kMouseBindingSlots);
        EXPECT_EQ(itemText(triggers, 6, false), languageText(20206));
        EXPECT_TRUE(IsWindowVisible(keys));
        EXPECT_FALSE(IsWindowVisible(triggers));
        EXPECT_TRUE(isChecked(dialog, IDC_CUSTOMIZE_KEYBOARD_PAGE));
        // The mouse column is grey on the keyboard page; keys and commands are in the text colour.
        EXPECT_GT(cellInk(dialog, kOpenRow, 1).dark, 10);
        EXPECT_GT(cellInk(dialog, kOpenRow, 0).dark, 10);
        EXPECT_EQ(cellInk(dialog, kZoomInRow, 2).dark, 0);
        EXPECT_GT(cellInk(dialog, kZoomInRow, 2).grey, 0);

        // Nothing chosen: the row is asked for, then the key.
        EXPECT_EQ(assign(dialog, boxes), languageText(TXT_NO_ROW_SELECTED));
        selectRow(dialog, kOpenRow);
        EXPECT_EQ(assign(dialog, boxes), languageText(TXT_NO_TRIGGER_SELECTED));
        // Ctrl+O on the row that has it.
        chooseEntry(dialog, IDC_CUSTOMIZE_KEYS, "O");
        setCheck(dialog, IDC_CUSTOMIZE_CTRL, true);
        EXPECT_EQ(assign(dialog, boxes), languageText(TXT_BINDING_IN_USE));
        // Space for fit while the toggle row has it; once removed there, it moves.
        setCheck(dialog, IDC_CUSTOMIZE_CTRL, false);
        chooseEntry(dialog, IDC_CUSTOMIZE_KEYS, "Space");
        selectRow(dialog, kFitRow);
        EXPECT_EQ(assign(dialog, boxes), languageText(TXT_BINDING_IN_USE));
        EXPECT_EQ(cell(dialog, kFitRow, 1), "");
        selectRow(dialog, kToggleRow);
        clickButton(dialog, IDC_CUSTOMIZE_REMOVE);
        EXPECT_EQ(cell(dialog, kToggleRow, 1), "");
        EXPECT_EQ(cell(dialog, kToggleRow, 2), languageText(20202)) << "the keyboard page removes keys only";
        selectRow(dialog, kFitRow);
        EXPECT_EQ(assign(dialog, boxes), "");
        EXPECT_EQ(cell(dialog, kFitRow, 1), "Space");

        // CapsLock takes no Shift: the box is cleared and disabled, and comes back with another key.
        HWND shift = GetDlgItem(dialog, IDC_CUSTOMIZE_SHIFT);
        setCheck(dialog, IDC_CUSTOMIZE_SHIFT, true);
        chooseEntry(dialog, IDC_CUSTOMIZE_KEYS, "CapsLock");
        EXPECT_FALSE(isChecked(dialog, IDC_CUSTOMIZE_SHIFT));
        EXPECT_FALSE(IsWindowEnabled(shift));
        chooseEntry(dialog, IDC_CUSTOMIZE_KEYS, "F5");
        EXPECT_TRUE(IsWindowEnabled(shift));
        setCheck(dialog, IDC_CUSTOMIZE_SHIFT, true);
        setCheck(dialog, IDC_CUSTOMIZE_CTRL, true);
        selectRow(dialog, kHelpRow);
        EXPECT_EQ(assign(dialog, boxes), "");
        EXPECT_EQ(cell(dialog, kHelpRow, 1), "Ctrl+Shift+F5");
        pressKey(VK_ESCAPE);  // closing with Esc keeps all of it
    });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(IsWindowEnabled(appState.frame));
    EXPECT_EQ(boxes.boxes().size(), 4u);

    // One new accelerator table made of the rows; the old one is gone.
    EXPECT_NE(appState.acceleratorTable, tableBefore);
    EXPECT_EQ(CopyAcceleratorTableW(tableBefore, nullptr, 0), 0) << "the replaced table was destroyed";
    std::vector<CommandBinding> live = liveAccelerators();
    EXPECT_EQ(live.size(), 9u);
    EXPECT_TRUE(hasBinding(live, 9, 0x4F, CMD_OPEN));
    EXPECT_TRUE(hasBinding(live, 1, 0x20, CMD_ZOOM_FIT));
    EXPECT_TRUE(hasBinding(live, 13, 0x74, CMD_HELP));
    EXPECT_FALSE(hasBinding(live, 1, 0x20, CMD_ZOOM_TOGGLE));
    // Menus and tooltips show the new keys.
    EXPECT_EQ(itemKeys(kHelpRow), "Ctrl+Shift+F5");
    EXPECT_EQ(itemKeys(kToggleRow), "");
    EXPECT_EQ(gSettings.mouseBindings.slots[2], CMD_ZOOM_TOGGLE) << "the mouse was not touched";
    TTTOOLINFOW tool = {};
    wchar_t text[128] = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = appState.toolbar1;
    tool.uId = CMD_ZOOM_FIT;
    tool.lpszText = text;
    ASSERT_TRUE(SendMessageW(appState.tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(u8(asText(text)), languageText(CMD_ZOOM_FIT) + " (Space)");
    EXPECT_FALSE(gSettings.customizeMousePage);
}

TEST_F(CustomizeDialog, MousePageMovesTriggersAndEachPageRestoresOnlyItself) {
    ASSERT_TRUE(startFrame());
    MessageBoxAnswerer boxes(IDYES);
    bool ran = withDialog(showCustomizeDialog, [&](HWND dialog) {
        clickButton(dialog, IDC_CUSTOMIZE_MOUSE_PAGE);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_CUSTOMIZE_KEYS)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_CUSTOMIZE_TRIGGERS)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CUSTOMIZE_CTRL)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CUSTOMIZE_SHIFT)));
        // Now the key column is the grey one.
        EXPECT_EQ(cellInk(dialog, kOpenRow, 1).dark, 0);
        EXPECT_GT(cellInk(dialog, kOpenRow, 1).grey, 0);
        EXPECT_GT(cellInk(dialog, kOpenRow, 0).dark, 10);
        EXPECT_GT(cellInk(dialog, kZoomInRow, 2).dark, 10);
        // The middle button runs 5220: refused for zoom in until it is removed there.
        selectRow(dialog, kZoomInRow);
        chooseEntry(dialog, IDC_CUSTOMIZE_TRIGGERS, languageText(20202));
        EXPECT_EQ(assign(dialog, boxes), languageText(TXT_BINDING_IN_USE));
        selectRow(dialog, kToggleRow);
        clickButton(dialog, IDC_CUSTOMIZE_REMOVE);
        EXPECT_EQ(cell(dialog, kToggleRow, 2), "");
        EXPECT_EQ(cell(dialog, kToggleRow, 1), "Space") << "the mouse page removes triggers only";
        selectRow(dialog, kZoomInRow);
        EXPECT_EQ(assign(dialog, boxes), "");
        EXPECT_EQ(cell(dialog, kZoomInRow, 2), languageText(20202)) << "moved from the wheel";

        // Keyboard page: a key removed, then that page's defaults restored; the mouse keeps its move.
        clickButton(dialog, IDC_CUSTOMIZE_KEYBOARD_PAGE);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CUSTOMIZE_CTRL)));
        selectRow(dialog, kOpenRow);
        clickButton(dialog, IDC_CUSTOMIZE_REMOVE);
        EXPECT_EQ(cell(dialog, kOpenRow, 1), "");
        size_t asked = boxes.boxes().size();
        clickButton(dialog, IDC_CUSTOMIZE_DEFAULTS);
        ASSERT_EQ(boxes.boxes().size(), asked + 1);
        EXPECT_EQ(boxes.boxes().back().caption, languageText(TXT_RESTORE_CAPTION));
        EXPECT_EQ(boxes.boxes().back().text, languageText(TXT_RESTORE_QUESTION));
        EXPECT_EQ(cell(dialog, kOpenRow, 1), "Ctrl+O");
        EXPECT_EQ(cell(dialog, kZoomInRow, 2), languageText(20202));
        EXPECT_EQ(cell(dialog, kToggleRow, 2), "");
        // The close box applies the working copy too.
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_TRUE(ran);
    const int32_t moved[kMouseBindingSlots] = {0, 0, CMD_ZOOM_IN, 0, 0, CMD_ZOOM_OUT, 0};
    for (int slot = 0; slot < kMouseBindingSlots; ++slot) EXPECT_EQ(gSettings.mouseBindings.slots[slot], moved[slot]);
    EXPECT_TRUE(hasBinding(liveAccelerators(), 9, 0x4F, CMD_OPEN));
    EXPECT_FALSE(gSettings.customizeMousePage) << "closed on the keyboard page";

    // Reopened, the mouse page's defaults come back and the keys stay as they are; the dialog remembers
    // the page it was closed on, and opens on it next time.
    boxes.setAnswer(IDNO);
    ran = withDialog(showCustomizeDialog, [&](HWND dialog) {
        EXPECT_EQ(cell(dialog, kZoomInRow, 2), languageText(20202));
        clickButton(dialog, IDC_CUSTOMIZE_MOUSE_PAGE);
        selectRow(dialog, kHelpRow);
        chooseEntry(dialog, IDC_CUSTOMIZE_TRIGGERS, languageText(20203));
        EXPECT_EQ(assign(dialog, boxes), "");
        clickButton(dialog, IDC_CUSTOMIZE_DEFAULTS);  // answered No: nothing restored
        EXPECT_EQ(cell(dialog, kHelpRow, 2), languageText(20203));
        boxes.setAnswer(IDYES);
        clickButton(dialog, IDC_CUSTOMIZE_DEFAULTS);
        EXPECT_EQ(cell(dialog, kHelpRow, 2), "");
        EXPECT_EQ(cell(dialog, kToggleRow, 2), languageText(20202));
        EXPECT_EQ(cell(dialog, kZoomInRow, 2), languageText(20206));
        clickButton(dialog, IDC_CUSTOMIZE_CLOSE);
    });
    EXPECT_TRUE(ran);
    const MouseBindings defaults = defaultMouseBindings();
    for (int slot = 0; slot < kMouseBindingSlots; ++slot)
        EXPECT_EQ(gSettings.mouseBindings.slots[slot], defaults.slots[slot]);
    EXPECT_TRUE(gSettings.customizeMousePage);
    ran = withDialog(showCustomizeDialog, [&](HWND dialog) {
        EXPECT_TRUE(isChecked(dialog, IDC_CUSTOMIZE_MOUSE_PAGE));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_CUSTOMIZE_TRIGGERS)));
        pressKey(VK_ESCAPE);
    });
    EXPECT_TRUE(ran);
}

// Every key removed stays removed after a restart: the settings file keeps "no keys".
TEST_F(CustomizeDialog, RemovingEveryKeySurvivesARestart) {
    ASSERT_TRUE(startFrame());
    bool ran = withDialog(showCustomizeDialog, [&](HWND dialog) {
        for (int row = 0; row < kBindingRowCount; ++row) {
            selectRow(dialog, row);
            clickButton(dialog, IDC_CUSTOMIZE_REMOVE);
        }
        clickButton(dialog, IDC_CUSTOMIZE_CLOSE);
    });
    ASSERT_TRUE(ran);
    EXPECT_TRUE(liveAccelerators().empty());
    for (int row = 0; row < kBindingRowCount; ++row) EXPECT_EQ(itemKeys(row), "") << row;
    closeFrame();

    ASSERT_TRUE(startFrame());
    for (int row = 0; row < kBindingRowCount; ++row) EXPECT_EQ(appState.bindings.rows[row].key, 0) << row;
    for (const CommandBinding& entry : liveAccelerators()) EXPECT_EQ(entry.key, 0);
    EXPECT_EQ(itemKeys(kOpenRow), "");
    ran = withDialog(showCustomizeDialog, [&](HWND dialog) {
        EXPECT_EQ(cell(dialog, kOpenRow, 1), "");
        EXPECT_EQ(cell(dialog, kToggleRow, 1), "");
        pressKey(VK_ESCAPE);
    });
    EXPECT_TRUE(ran);
}

TEST_F(CustomizeDialog, MissingTemplateShowsNothing) {
    ASSERT_TRUE(startFrame());
    HMODULE shipped = appState.languageModule;
    std::u16string module = u16(std::string("Z:") + TW_TEST_MODULE_DIR + "/TestTexts.dll");
    for (char16_t& c : module)
        if (c == u'/') c = u'\\';
    appState.languageModule = LoadLibraryExW(asWide(module.c_str()), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(appState.languageModule, nullptr);
    HACCEL table = appState.acceleratorTable;
    int shown = 0;
    auto close = [&](HWND dialog) {
        shown++;
        EndDialog(dialog, 0);
    };
    withDialog([] { dispatchCommand(CMD_CUSTOMIZE); }, close, 2000);
    withDialog([] { dispatchCommand(CMD_OPTIONS); }, close, 2000);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(appState.acceleratorTable, table);
    FreeLibrary(appState.languageModule);
    appState.languageModule = shipped;
}
