#include "shell/BindingTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/CommandIds.h"
#include "support/TestFiles.h"

namespace {

CommandBinding entry(uint8_t flags, uint16_t key, uint16_t command) {
    CommandBinding binding;
    binding.flags = flags;
    binding.key = key;
    binding.command = command;
    return binding;
}

std::string shown(const CommandItem& item) {
    std::string text;
    if (item.modifier) text += u8(item.modifier);
    if (item.key) text += u8(item.key);
    return text;
}

}  // namespace

TEST(BindingTable, DefaultsInRowOrder) {
    BindingTable table = defaultBindingTable();
    struct Expected {
        int row;
        uint16_t command;
        uint8_t flags;
        uint16_t key;
    } expected[] = {
        {0, CMD_OPEN, 9, 0x4F},     {1, CMD_REVERT, 1, 0x08},      {2, CMD_SAVE, 1, 0},
        {3, CMD_SAVE_AS, 9, 0x53},  {4, CMD_FILE_LIST, 1, 0x09},   {7, CMD_ZOOM_TOGGLE, 1, 0x20},
        {10, CMD_SHADING_MENU, 1, 0}, {11, CMD_SHADE_HALF, 1, 0},  {16, CMD_SHADE_WHITE, 1, 0},
        {17, CMD_CUSTOMIZE, 1, 0},  {20, CMD_ABOUT, 1, 0},         {21, CMD_CROP, 1, 0xF0},
        {22, CMD_CROP_ACCEPT, 1, 0x0D}, {23, CMD_CROP_CANCEL, 1, 0x1B},
    };
    for (const Expected& e : expected) {
        const CommandBinding& row = table.rows[e.row];
        EXPECT_EQ(row.command, e.command) << "row " << e.row;
        EXPECT_EQ(row.flags, e.flags) << "row " << e.row;
        EXPECT_EQ(row.key, e.key) << "row " << e.row;
    }
    int bound = 0;
    for (const CommandBinding& row : table.rows) bound += row.key != 0;
    EXPECT_EQ(bound, 8);
}

TEST(BindingTable, AcceleratorsRoundTripThroughRows) {
    BindingTable table = defaultBindingTable();
    CommandBinding entries[kBindingRowCount];
    int count = acceleratorsFromRows(table, entries);
    ASSERT_EQ(count, 8);
    EXPECT_EQ(entries[0].command, CMD_OPEN);     // row order
    EXPECT_EQ(entries[7].command, CMD_CROP_CANCEL);
    BindingTable back = rowsFromAccelerators(entries, count);
    EXPECT_EQ(std::memcmp(&back, &table, sizeof table), 0);
}

TEST(BindingTable, RowsTakeFirstEntryAndMaskFlagsAndKey) {
    CommandBinding entries[] = {
        entry(1 | 4 | 8 | 16, 0x1274, CMD_HELP),  // Alt masked off, key cut to 8 bits
        entry(1, 0x41, CMD_HELP),                       // a second entry for the same command is not shown
        entry(9, 0x42, 6000),                           // a command without a row
    };
    BindingTable table = rowsFromAccelerators(entries, 3);
    const CommandBinding& help = table.rows[bindingRowOf(CMD_HELP)];
    EXPECT_EQ(help.flags, 13);
    EXPECT_EQ(help.key, 0x74);
    for (int row = 0; row < kBindingRowCount; ++row) {
        if (table.rows[row].command == CMD_HELP) continue;
        EXPECT_EQ(table.rows[row].flags, 1) << "row " << row;
        EXPECT_EQ(table.rows[row].key, 0) << "row " << row;
    }
    CommandItem items[kBindingRowCount];
    commandItemsFromRows(&table, items);
    EXPECT_EQ(shown(items[bindingRowOf(CMD_HELP)]), "Ctrl+Shift+F5");
}

TEST(BindingTable, CommandItemsShowKeysOnlyForBoundRows) {
    BindingTable table = defaultBindingTable();
    CommandItem items[kBindingRowCount];
    commandItemsFromRows(&table, items);
    EXPECT_EQ(shown(items[bindingRowOf(CMD_REVERT)]), "BackSpace");
    EXPECT_EQ(shown(items[bindingRowOf(CMD_SAVE)]), "");
    EXPECT_EQ(shown(items[bindingRowOf(CMD_OPEN)]), "Ctrl+O");
    EXPECT_EQ(shown(items[bindingRowOf(CMD_CROP)]), "CapsLock");
    for (int row = 0; row < kBindingRowCount; ++row) {
        EXPECT_EQ(items[row].labelId, kBindingCommands[row]);
        EXPECT_EQ(items[row].ellipsis, kBindingCommands[row] == CMD_CUSTOMIZE || kBindingCommands[row] == CMD_OPTIONS);
    }
    commandItemsFromRows(nullptr, items);
    for (const CommandItem& item : items) EXPECT_EQ(shown(item), "");
}

TEST(BindingTable, EmptyAcceleratorListLeavesEveryRowUnbound) {
    BindingTable table = rowsFromAccelerators(nullptr, 0);
    CommandBinding entries[kBindingRowCount];
    EXPECT_EQ(acceleratorsFromRows(table, entries), 0);
    EXPECT_EQ(bindingRowOf(CMD_CROP_MAXIMAL), -1);
    EXPECT_EQ(bindingRowOf(CMD_SHADE_HALF), 11);
}

TEST(BindingTable, MouseDefaults) {
    MouseBindings mouse = defaultMouseBindings();
    const int32_t expected[kMouseBindingSlots] = {0, 0, 5220, 0, 0, 5231, 5230};
    for (int slot = 0; slot < kMouseBindingSlots; ++slot) EXPECT_EQ(mouse.slots[slot], expected[slot]) << slot;
}

TEST(BindingTable, NoInvertFlagIsKeptButNamesNoModifier) {
    CommandBinding entries[] = {entry(1 | 2 | 8, 0x41, CMD_OPEN)};
    BindingTable table = rowsFromAccelerators(entries, 1);
    EXPECT_EQ(table.rows[0].flags, 11);
    CommandItem items[kBindingRowCount];
    commandItemsFromRows(&table, items);
    EXPECT_EQ(shown(items[0]), "A");
}
