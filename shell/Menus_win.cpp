// The context and shading popups with owner-drawn items that show their shortcut keys, the accelerator
// table made from the binding rows, and the mouse bindings.
#include "shell/Menus.h"

#include <commctrl.h>
#include <windowsx.h>

#include <iterator>

#include "settings/LanguageModule.h"
#include "settings/Settings.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "shell/WheelNotches.h"
#include "view/ImageView.h"
#include "ui/OwnerDraw.h"

namespace {

constexpr uint32_t kMenuSuffix = 10000;

const int kContextItems[] = {CMD_REVERT, CMD_SAVE, 0, CMD_CUSTOMIZE, CMD_OPTIONS, 0, CMD_HELP, CMD_ABOUT};
const int kShadingItems[] = {CMD_SHADE_HALF, CMD_SHADE_QUARTER, CMD_SHADE_EIGHTH, 0,
                             CMD_SHADE_BLACK, CMD_SHADE_GREY, CMD_SHADE_WHITE};

// The label of a menu item: the command's text directly followed by the text of its number + 10000.
void menuLabel(uint32_t command, TextBuffer* label) {
    loadText(command, label);
    TextBuffer suffix;
    loadText(command + kMenuSuffix, &suffix);
    textAppend(label, textChars(&suffix), suffix.length);
}

void fillPopup(HMENU menu, const int* commands, int count, bool radio) {
    for (int i = 0; i < count; ++i) {
        if (commands[i] == 0) {
            AppendMenuW(menu, MF_SEPARATOR, ID_MENU_SEPARATOR, nullptr);
            continue;
        }
        int row = bindingRowOf(uint32_t(commands[i]));
        TextBuffer label;
        menuLabel(uint32_t(commands[i]), &label);
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_DATA | MIIM_STRING;
        item.fType = MFT_OWNERDRAW | (radio ? MFT_RADIOCHECK : 0);
        item.wID = UINT(commands[i]);
        item.dwItemData = reinterpret_cast<ULONG_PTR>(row >= 0 ? &appState.commandItems[row] : nullptr);
        item.dwTypeData = const_cast<wchar_t*>(asWide(textChars(&label)));
        InsertMenuItemW(menu, UINT(GetMenuItemCount(menu)), TRUE, &item);
    }
}

// The text an owner-drawn item shows on its left: the label with "..." for the two dialogs.
void itemLabel(const CommandItem* item, TextBuffer* text) {
    menuLabel(item->labelId, text);
    if (item->ellipsis) textAppendAscii(text, "...");
}

bool exactlyButtons(WPARAM keys, WPARAM wanted) {
    const WPARAM all = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2 | MK_CONTROL | MK_SHIFT;
    return (keys & all) == wanted;
}

}  // namespace

bool createMenus(const BindingTable* rows) {
    appState.containerMenu = CreateMenu();
    appState.contextMenu = CreatePopupMenu();
    appState.shadingMenu = CreatePopupMenu();
    if (!appState.containerMenu || !appState.contextMenu || !appState.shadingMenu) return false;
    buildMenus(rows);
    return true;
}

void buildMenus(const BindingTable* rows) {
    commandItemsFromRows(rows, appState.commandItems);
    fillPopup(appState.contextMenu, kContextItems, int(std::size(kContextItems)), false);
    fillPopup(appState.shadingMenu, kShadingItems, int(std::size(kShadingItems)), true);
    AppendMenuW(appState.containerMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(appState.contextMenu), nullptr);
    AppendMenuW(appState.containerMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(appState.shadingMenu), nullptr);
}

void destroyMenus() {
    // Destroying the container destroys its two popups with it.
    if (appState.containerMenu) DestroyMenu(appState.containerMenu);
    appState.containerMenu = appState.contextMenu = appState.shadingMenu = nullptr;
}

HACCEL createAcceleratorTable(const BindingTable& rows) {
    CommandBinding entries[kBindingRowCount];
    int count = acceleratorsFromRows(rows, entries);
    if (count == 0) return nullptr;
    static_assert(sizeof(ACCEL) == sizeof(CommandBinding), "binding rows are accelerator entries");
    return CreateAcceleratorTableW(reinterpret_cast<ACCEL*>(entries), count);
}

int copyAcceleratorTable(HACCEL table, CommandBinding* entries) {
    if (!table) return 0;
    int count = CopyAcceleratorTableW(table, nullptr, 0);
    if (count <= 0) return 0;
    ACCEL all[256];
    if (count > 256) count = 256;
    CopyAcceleratorTableW(table, all, count);
    if (count > kBindingRowCount) count = kBindingRowCount;
    for (int i = 0; i < count; ++i) {
        entries[i].flags = all[i].fVirt;
        entries[i].reserved = 0;
        entries[i].key = all[i].key;
        entries[i].command = all[i].cmd;
    }
    return count;
}

void rebuildMenusFromRows(const BindingTable& rows) {
    HACCEL table = createAcceleratorTable(rows);
    if (appState.acceleratorTable) DestroyAcceleratorTable(appState.acceleratorTable);
    appState.acceleratorTable = table;
    appState.bindings = rows;
    destroyMenus();
    createMenus(&appState.bindings);
}

void rebuildMenusFromAccelerators() {
    CommandBinding entries[kBindingRowCount];
    int count = copyAcceleratorTable(appState.acceleratorTable, entries);
    appState.bindings = rowsFromAccelerators(entries, count);
    destroyMenus();
    createMenus(&appState.bindings);
}

void initMenuStates(HMENU menu) {
    if (menu == appState.contextMenu) {
        UINT state = appState.imageLoaded ? MF_ENABLED : (MF_GRAYED | MF_DISABLED);
        EnableMenuItem(appState.containerMenu, CMD_REVERT, MF_BYCOMMAND | state);
        EnableMenuItem(appState.containerMenu, CMD_SAVE, MF_BYCOMMAND | state);
        return;
    }
    int checked = CMD_SHADE_HALF;
    switch (gSettings.maskShading) {
    case 0: checked = CMD_SHADE_BLACK; break;
    case 2: checked = CMD_SHADE_QUARTER; break;
    case 3: checked = CMD_SHADE_EIGHTH; break;
    case 128: checked = CMD_SHADE_GREY; break;
    case 255: checked = CMD_SHADE_WHITE; break;
    }
    for (int command : kShadingItems)
        if (command != 0)
            CheckMenuItem(appState.containerMenu, UINT(command), MF_BYCOMMAND | (command == checked ? MF_CHECKED : MF_UNCHECKED));
}

bool showContextMenu(HWND sourceWindow, POINT screenPoint) {
    if (screenPoint.x == -1 && screenPoint.y == -1) {
        POINT corner = {0, 0};
        ClientToScreen(appState.view, &corner);
        screenPoint = corner;
    } else if (sourceWindow != appState.view) {
        return true;
    }
    TrackPopupMenu(appState.contextMenu, TPM_NOANIMATION, screenPoint.x, screenPoint.y, 0, appState.frame, nullptr);
    return false;
}

void showShadingMenu() {
    RECT button;
    SendMessageW(appState.toolbar1, TB_GETRECT, CMD_SHADING_MENU, reinterpret_cast<LPARAM>(&button));
    POINT corner = {button.left, button.bottom};
    ClientToScreen(appState.toolbar1, &corner);
    TrackPopupMenu(appState.shadingMenu, TPM_NOANIMATION, corner.x, corner.y, 0, appState.frame, nullptr);
}

void measureMenuItem(MEASUREITEMSTRUCT* measure) {
    const CommandItem* item = reinterpret_cast<const CommandItem*>(measure->itemData);
    if (!item) return;
    TextBuffer text;
    itemLabel(item, &text);
    if (item->modifier) textAppendZ(&text, item->modifier);
    if (item->key) textAppendZ(&text, item->key);
    HDC dc = GetDC(appState.frame);
    HGDIOBJ old = SelectObject(dc, appState.uiFont);
    RECT rect = {0, 0, 0, 0};
    DrawTextW(dc, asWide(textChars(&text)), -1, &rect, DT_CALCRECT | DT_HIDEPREFIX);
    SelectObject(dc, old);
    ReleaseDC(appState.frame, dc);
    measure->itemWidth = UINT(rect.right - rect.left + scaled(14));
    measure->itemHeight = UINT(rect.bottom - rect.top + scaled(6));
}

void drawMenuItem(const DRAWITEMSTRUCT* draw) {
    const CommandItem* item = reinterpret_cast<const CommandItem*>(draw->itemData);
    if (!item) return;
    HDC dc = draw->hDC;
    RECT rect = draw->rcItem;
    bool disabled = (draw->itemState & (ODS_DISABLED | ODS_GRAYED)) != 0;
    if (!disabled) {
        if (draw->itemState & ODS_SELECTED) {
            fillRoundRect(dc, rect, scaled(5), kHotFill, kHotPen);
        } else {
            FillRect(dc, &rect, GetSysColorBrush(COLOR_MENU));
        }
        if (draw->itemState & ODS_CHECKED) drawCheckDiamond(dc, rect);
    }
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, appState.uiFont);
    rect.left += scaled(15);
    rect.right -= scaled(4);
    TextBuffer label;
    itemLabel(item, &label);
    DrawTextW(dc, asWide(textChars(&label)), -1, &rect, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_HIDEPREFIX);
    if (item->key) {
        TextBuffer keys;
        if (item->modifier) textAppendZ(&keys, item->modifier);
        textAppendZ(&keys, item->key);
        DrawTextW(dc, asWide(textChars(&keys)), -1, &rect, DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_HIDEPREFIX);
    }
    SelectObject(dc, old);
}

void mouseBinding(int slot, POINT viewPoint) {
    int32_t command = gSettings.mouseBindings.slots[slot];
    if (command == 0) return;
    if (appState.imageLoaded) zoomAboutPoint(slot, viewPoint.x, viewPoint.y);
    dispatchCommand(uint32_t(command) & 0xFFFF);
}

// One binding step per whole notch: a fine wheel sends many small deltas for each. A turn that is ignored
// (a key or button held, the input lock on) also drops the part of a notch gathered before it.
void onFrameMouseWheel(WPARAM wParam, LPARAM lParam) {
    if (appState.inputLock || GET_KEYSTATE_WPARAM(wParam) != 0) {
        appState.wheelRemainder = 0;
        return;
    }
    int32_t notches = takeWheelNotches(&appState.wheelRemainder, GET_WHEEL_DELTA_WPARAM(wParam));
    if (notches == 0) return;
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(appState.view, &point);
    int slot = notches > 0 ? kMouseSlotWheelForward : kMouseSlotWheelBackward;
    for (int32_t step = notches > 0 ? notches : -notches; step > 0; step--) mouseBinding(slot, point);
}

bool middleOrExtraButton(UINT message, WPARAM wParam, POINT viewPoint) {
    if (appState.inputLock) return message != WM_MBUTTONDOWN;  // the extra buttons are always handled
    WPARAM keys = GET_KEYSTATE_WPARAM(wParam);
    if (message == WM_MBUTTONDOWN) {
        SetFocus(appState.frame);
        if (exactlyButtons(keys, MK_MBUTTON)) mouseBinding(kMouseSlotMiddle, viewPoint);
        return true;
    }
    WORD button = GET_XBUTTON_WPARAM(wParam);
    if (button == XBUTTON1 && exactlyButtons(keys, MK_XBUTTON1)) mouseBinding(kMouseSlotX1, viewPoint);
    if (button == XBUTTON2 && exactlyButtons(keys, MK_XBUTTON2)) mouseBinding(kMouseSlotX2, viewPoint);
    return true;
}
