// The customisation dialog (template 2200): the 24 commands with their key and mouse trigger in a list
// view, the key list (keyboard page) or the trigger list (mouse page) beside it, and the buttons that
// edit the working copy. Closing it in any way applies the copy: there is nothing to discard.
#include "ui/OptionDialogs.h"

#include "common/TextBuffer.h"
#include "common/WinHeaders.h"

#include <commctrl.h>

#include "settings/LanguageModule.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/KeyNames.h"
#include "shell/Menus.h"
#include "shell/Toolbars.h"
#include "ui/CustomizeState.h"
#include "ui/DialogRunner.h"
#include "ui/OwnerDraw.h"

namespace {

constexpr COLORREF kInactiveColumn = RGB(128, 128, 128);
constexpr int kKeyColumn = 1;
constexpr int kMouseColumn = 2;
constexpr int kColumnPadding = 12;

struct CustomizeDialog {
    CustomizeState state;
    TextBuffer labels[kBindingRowCount];
    HWND list = nullptr;
};

CustomizeDialog* dialogRecord(HWND dialog) {
    return reinterpret_cast<CustomizeDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

int textWidthIn(HWND control, const char16_t* text, size_t length) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, asWide(text), int(length), &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return extent.cx;
}

int languageTextWidthIn(HWND control, uint32_t id) {
    TextBuffer text;
    loadText(id, &text);
    return textWidthIn(control, textChars(&text), text.length);
}

void insertColumn(HWND list, int index, uint32_t headingId, int width) {
    TextBuffer heading;
    loadText(headingId, &heading);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = asWide(const_cast<char16_t*>(textChars(&heading)));
    SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(index), reinterpret_cast<LPARAM>(&column));
}

// Key column width from "BackSpace", mouse column from the longer of two trigger names; the command
// column takes the rest of the client width less a scroll bar.
void insertColumns(HWND list) {
    int key = textWidthIn(list, u"BackSpace", 9);
    int mouse = languageTextWidthIn(list, TXT_MOUSE_TRIGGER_FIRST + 1);
    int wheel = languageTextWidthIn(list, TXT_MOUSE_TRIGGER_LAST);
    if (wheel > mouse) mouse = wheel;
    mouse += kColumnPadding;
    RECT client;
    GetClientRect(list, &client);
    insertColumn(list, 0, TXT_COLUMN_COMMAND,
                 client.right - key - mouse - GetSystemMetrics(SM_CXVSCROLL) - kColumnPadding);
    insertColumn(list, kKeyColumn, TXT_COLUMN_KEY, key + kColumnPadding);
    insertColumn(list, kMouseColumn, TXT_COLUMN_MOUSE, mouse);
}

void setCell(HWND list, int row, int column, const TextBuffer& text) {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = asWide(const_cast<char16_t*>(textChars(&text)));
    SendMessageW(list, LVM_SETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

void refreshRow(const CustomizeDialog& record, int row) {
    TextBuffer key;
    const CommandItem& item = record.state.items[row];
    if (item.key) {
        if (item.modifier) textAppendZ(&key, item.modifier);
        textAppendZ(&key, item.key);
    }
    setCell(record.list, row, kKeyColumn, key);
    TextBuffer trigger;
    int slot = mouseSlotOfRow(record.state, row);
    if (slot >= 0) loadText(TXT_MOUSE_TRIGGER_FIRST + uint32_t(slot), &trigger);
    setCell(record.list, row, kMouseColumn, trigger);
}

void refreshAllRows(const CustomizeDialog& record) {
    for (int row = 0; row < kBindingRowCount; ++row) refreshRow(record, row);
}

void insertRows(CustomizeDialog* record) {
    for (int row = 0; row < kBindingRowCount; ++row) {
        uint32_t first, second;
        rowLabelIds(row, &first, &second);
        TextBuffer& label = record->labels[row];
        loadText(first, &label);
        if (second != 0) {
            textAppendAscii(&label, " - ");
            appendText(second, &label);
        }
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = asWide(const_cast<char16_t*>(textChars(&label)));
        SendMessageW(record->list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        refreshRow(*record, row);
    }
}

// The item data carries the key or slot: the choice never depends on where an entry ended up, even
// when a translated template gives the list a sorting style.
void appendListEntry(HWND listBox, const char16_t* text, LPARAM data) {
    LRESULT index = SendMessageW(listBox, LB_INSERTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(asWide(text)));
    if (index >= 0) SendMessageW(listBox, LB_SETITEMDATA, WPARAM(index), data);
}

void fillChoiceLists(HWND dialog) {
    HWND keys = GetDlgItem(dialog, IDC_CUSTOMIZE_KEYS);
    for (uint8_t key : kNamedKeys) appendListEntry(keys, keyName(key), key);
    HWND triggers = GetDlgItem(dialog, IDC_CUSTOMIZE_TRIGGERS);
    for (int slot = 0; slot < kMouseBindingSlots; ++slot) {
        TextBuffer name;
        loadText(TXT_MOUSE_TRIGGER_FIRST + uint32_t(slot), &name);
        appendListEntry(triggers, textChars(&name), slot);
    }
}

// The selected entry's data, or -1 when nothing is selected.
LPARAM selectedEntry(HWND dialog, int id) {
    LRESULT index = SendDlgItemMessageW(dialog, id, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return -1;
    return SendDlgItemMessageW(dialog, id, LB_GETITEMDATA, WPARAM(index), 0);
}

uint32_t selectedKey(HWND dialog) {
    LPARAM key = selectedEntry(dialog, IDC_CUSTOMIZE_KEYS);
    return key > 0 ? uint32_t(key) : 0;
}

int selectedRow(const CustomizeDialog& record) {
    return int(SendMessageW(record.list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
}

void applyShiftRule(HWND dialog, const CustomizeDialog& record) {
    HWND shift = GetDlgItem(dialog, IDC_CUSTOMIZE_SHIFT);
    if (record.state.page == CustomizePage::mouse) {
        EnableWindow(shift, FALSE);
        return;
    }
    bool allowed = shiftAllowedWith(selectedKey(dialog));
    if (!allowed) CheckDlgButton(dialog, IDC_CUSTOMIZE_SHIFT, BST_UNCHECKED);
    EnableWindow(shift, allowed);
}

void showPage(HWND dialog, const CustomizeDialog& record) {
    bool mouse = record.state.page == CustomizePage::mouse;
    ShowWindow(GetDlgItem(dialog, IDC_CUSTOMIZE_KEYS), mouse ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(dialog, IDC_CUSTOMIZE_TRIGGERS), mouse ? SW_SHOW : SW_HIDE);
    EnableWindow(GetDlgItem(dialog, IDC_CUSTOMIZE_CTRL), !mouse);
    applyShiftRule(dialog, record);
    InvalidateRect(record.list, nullptr, TRUE);
}

void warn(HWND dialog, uint32_t textId) {
    TextBuffer caption, text;
    loadText(TXT_CUSTOMIZE_WARNING, &caption);
    loadText(textId, &text);
    MessageBoxW(dialog, asWide(textChars(&text)), asWide(textChars(&caption)), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void onAssign(HWND dialog, CustomizeDialog* record) {
    int row = selectedRow(*record);
    uint32_t refusal;
    if (record->state.page == CustomizePage::mouse) {
        refusal = assignTrigger(&record->state, row, int(selectedEntry(dialog, IDC_CUSTOMIZE_TRIGGERS)));
    } else {
        bool ctrl = IsDlgButtonChecked(dialog, IDC_CUSTOMIZE_CTRL) == BST_CHECKED;
        bool shift = IsDlgButtonChecked(dialog, IDC_CUSTOMIZE_SHIFT) == BST_CHECKED;
        refusal = assignKey(&record->state, row, selectedKey(dialog), ctrl, shift);
    }
    if (refusal) {
        warn(dialog, refusal);
        return;
    }
    // A trigger moved to this row may have left another row.
    if (record->state.page == CustomizePage::mouse) refreshAllRows(*record);
    else refreshRow(*record, row);
}

void onRemove(HWND dialog, CustomizeDialog* record) {
    int row = selectedRow(*record);
    uint32_t refusal = removeBinding(&record->state, row);
    if (refusal) warn(dialog, refusal);
    else refreshRow(*record, row);
}

void onRestoreDefaults(HWND dialog, CustomizeDialog* record) {
    TextBuffer caption, question;
    loadText(TXT_RESTORE_CAPTION, &caption);
    loadText(TXT_RESTORE_QUESTION, &question);
    if (MessageBoxW(dialog, asWide(textChars(&question)), asWide(textChars(&caption)), MB_YESNO | MB_SETFOREGROUND) !=
        IDYES)
        return;
    restorePageDefaults(&record->state);
    refreshAllRows(*record);
}

void onPageRadio(HWND dialog, CustomizeDialog* record, CustomizePage page) {
    if (record->state.page == page) return;
    record->state.page = page;
    showPage(dialog, *record);
}

// The new rows make one accelerator table, which replaces (and destroys) the old one.
void closeCustomizeDialog(HWND dialog, CustomizeDialog* record) {
    detachScrollRepaint(record->list);
    if (record->state.keysChanged) {
        rebuildMenusFromRows(record->state.rows);
        updateTooltips(TTM_SETTOOLINFOW);
    }
    if (record->state.mouseChanged) gSettings.mouseBindings = record->state.mouse;
    gSettings.customizeMousePage = IsDlgButtonChecked(dialog, IDC_CUSTOMIZE_MOUSE_PAGE) == BST_CHECKED;
    EndDialog(dialog, IDOK);
}

BOOL onCustomizeInit(HWND dialog, CustomizeDialog* record) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(record));
    CommandBinding entries[kBindingRowCount];
    int count = copyAcceleratorTable(appState.acceleratorTable, entries);
    initCustomizeState(&record->state, entries, count, gSettings.mouseBindings,
                       gSettings.customizeMousePage ? CustomizePage::mouse : CustomizePage::keyboard);
    record->list = GetDlgItem(dialog, IDC_CUSTOMIZE_COMMANDS);
    SendMessageW(record->list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    insertColumns(record->list);
    insertRows(record);
    attachScrollRepaint(record->list);
    fillChoiceLists(dialog);
    bool mouse = record->state.page == CustomizePage::mouse;
    CheckRadioButton(dialog, IDC_CUSTOMIZE_KEYBOARD_PAGE, IDC_CUSTOMIZE_MOUSE_PAGE,
                     mouse ? IDC_CUSTOMIZE_MOUSE_PAGE : IDC_CUSTOMIZE_KEYBOARD_PAGE);
    showPage(dialog, *record);
    return TRUE;
}

// The column of the page not shown is grey; the command column keeps the list's own colours.
LRESULT drawListItem(const CustomizeDialog& record, NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        bool mouse = record.state.page == CustomizePage::mouse;
        if (draw->iSubItem == kKeyColumn) draw->clrText = mouse ? kInactiveColumn : GetSysColor(COLOR_WINDOWTEXT);
        if (draw->iSubItem == kMouseColumn) draw->clrText = mouse ? GetSysColor(COLOR_WINDOWTEXT) : kInactiveColumn;
        return CDRF_NEWFONT;
    }
    }
    return CDRF_DODEFAULT;
}

INT_PTR onCustomizeNotify(HWND dialog, const NMHDR* header) {
    CustomizeDialog* record = dialogRecord(dialog);
    if (!record || header->hwndFrom != record->list || header->code != NM_CUSTOMDRAW) return FALSE;
    NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header));
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, drawListItem(*record, draw));
    return TRUE;
}

INT_PTR onCustomizeCommand(HWND dialog, int id, int notification) {
    CustomizeDialog* record = dialogRecord(dialog);
    if (!record) return FALSE;
    if (id != IDC_CUSTOMIZE_KEYS && notification != BN_CLICKED) return FALSE;
    switch (id) {
    case IDC_CUSTOMIZE_KEYS:
        if (notification == LBN_SELCHANGE) applyShiftRule(dialog, *record);
        return TRUE;
    case IDC_CUSTOMIZE_KEYBOARD_PAGE: onPageRadio(dialog, record, CustomizePage::keyboard); return TRUE;
    case IDC_CUSTOMIZE_MOUSE_PAGE: onPageRadio(dialog, record, CustomizePage::mouse); return TRUE;
    case IDC_CUSTOMIZE_ASSIGN: onAssign(dialog, record); return TRUE;
    case IDC_CUSTOMIZE_REMOVE: onRemove(dialog, record); return TRUE;
    case IDC_CUSTOMIZE_DEFAULTS: onRestoreDefaults(dialog, record); return TRUE;
    case IDC_CUSTOMIZE_CLOSE:
    case IDCANCEL: closeCustomizeDialog(dialog, record); return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK customizeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return onCustomizeInit(dialog, reinterpret_cast<CustomizeDialog*>(lParam));
    case WM_NOTIFY: return onCustomizeNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND: return onCustomizeCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

}  // namespace

void showCustomizeDialog() {
    CustomizeDialog record;
    runDialog(IDD_CUSTOMIZE, customizeDialogProc, reinterpret_cast<intptr_t>(&record), gSettings.largeDialogFont);
}
