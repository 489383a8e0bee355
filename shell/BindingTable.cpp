#include "shell/BindingTable.h"

#include "shell/CommandIds.h"
#include "shell/KeyNames.h"

const uint16_t kBindingCommands[kBindingRowCount] = {
    CMD_OPEN, CMD_REVERT, CMD_SAVE, CMD_SAVE_AS, CMD_FILE_LIST, CMD_ZOOM_FIT, CMD_ZOOM_100, CMD_ZOOM_TOGGLE,
    CMD_ZOOM_IN, CMD_ZOOM_OUT, CMD_SHADING_MENU, CMD_SHADE_HALF, CMD_SHADE_QUARTER, CMD_SHADE_EIGHTH,
    CMD_SHADE_BLACK, CMD_SHADE_GREY, CMD_SHADE_WHITE, CMD_CUSTOMIZE, CMD_OPTIONS, CMD_HELP, CMD_ABOUT,
    CMD_CROP, CMD_CROP_ACCEPT, CMD_CROP_CANCEL,
};

namespace {

struct DefaultKey {
    uint16_t command;
    uint8_t flags;
    uint16_t key;
};

const DefaultKey kDefaultKeys[] = {
    {CMD_OPEN, kAccelVirtKey | kAccelControl, 0x4F},     // Ctrl+O
    {CMD_REVERT, kAccelVirtKey, 0x08},                    // BackSpace
    {CMD_SAVE_AS, kAccelVirtKey | kAccelControl, 0x53},  // Ctrl+S
    {CMD_FILE_LIST, kAccelVirtKey, 0x09},                 // Tab
    {CMD_ZOOM_TOGGLE, kAccelVirtKey, 0x20},               // Space
    {CMD_CROP, kAccelVirtKey, 0xF0},                      // CapsLock
    {CMD_CROP_ACCEPT, kAccelVirtKey, 0x0D},               // Enter
    {CMD_CROP_CANCEL, kAccelVirtKey, 0x1B},               // Esc
};

BindingTable unboundTable() {
    BindingTable table;
    for (int row = 0; row < kBindingRowCount; ++row) table.rows[row].command = kBindingCommands[row];
    return table;
}

}  // namespace

BindingTable defaultBindingTable() {
    BindingTable table = unboundTable();
    for (const DefaultKey& entry : kDefaultKeys) {
        CommandBinding& row = table.rows[bindingRowOf(entry.command)];
        row.flags = entry.flags;
        row.key = entry.key;
    }
    return table;
}

MouseBindings defaultMouseBindings() { return MouseBindings{{0, 0, CMD_ZOOM_TOGGLE, 0, 0, CMD_ZOOM_OUT, CMD_ZOOM_IN}}; }

int bindingRowOf(uint32_t command) {
    for (int row = 0; row < kBindingRowCount; ++row)
        if (kBindingCommands[row] == command) return row;
    return -1;
}

BindingTable rowsFromAccelerators(const CommandBinding* entries, int count) {
    BindingTable table = unboundTable();
    for (int row = 0; row < kBindingRowCount; ++row) {
        for (int i = 0; i < count; ++i) {
            if (entries[i].command != kBindingCommands[row]) continue;
            table.rows[row].flags = uint8_t(entries[i].flags & 0x0F);
            table.rows[row].key = uint16_t(entries[i].key & 0xFF);
            break;
        }
    }
    return table;
}

int acceleratorsFromRows(const BindingTable& rows, CommandBinding* entries) {
    int count = 0;
    for (const CommandBinding& row : rows.rows)
        if (row.key != 0) entries[count++] = row;
    return count;
}

void commandItemsFromRows(const BindingTable* rows, CommandItem items[kBindingRowCount]) {
    for (int row = 0; row < kBindingRowCount; ++row) {
        CommandItem& item = items[row];
        item = CommandItem{};
        item.labelId = kBindingCommands[row];
        item.ellipsis = kBindingCommands[row] == CMD_CUSTOMIZE || kBindingCommands[row] == CMD_OPTIONS;
        if (rows && rows->rows[row].key != 0) {
            item.modifier = modifierName(rows->rows[row].flags);
            item.key = keyName(rows->rows[row].key);
        }
    }
}
