#pragma once
// The 24 command bindings in their fixed order, the display records that menus and tooltips read, and
// the conversion between the rows and the platform's accelerator entries (same 6-byte layout).

#include <cstdint>

constexpr int kBindingRowCount = 24;
constexpr int kMouseBindingSlots = 7;
constexpr uint8_t kAccelVirtKey = 1;  // FVIRTKEY, always set
constexpr uint8_t kAccelShift = 4;    // FSHIFT
constexpr uint8_t kAccelControl = 8;  // FCONTROL

// One row, laid out like the platform's ACCEL entry: flags, one padding byte, key, command.
struct CommandBinding {
    uint8_t flags = kAccelVirtKey;
    uint8_t reserved = 0;
    uint16_t key = 0;  // 0: unbound; only the low 8 bits are a virtual key
    uint16_t command = 0;
};
static_assert(sizeof(CommandBinding) == 6, "a binding row is an accelerator entry");

struct BindingTable {
    CommandBinding rows[kBindingRowCount];
};

// What a menu item or tooltip shows for one row.
struct CommandItem {
    int displayKind = 0;             // 0: the label is a language string
    uint32_t labelId = 0;            // the command identifier
    bool ellipsis = false;           // "..." after the label (the two dialogs)
    const char16_t* modifier = nullptr;
    const char16_t* key = nullptr;
};

struct MouseBindings {
    int32_t slots[kMouseBindingSlots];
};

// The commands of the rows, in row order.
extern const uint16_t kBindingCommands[kBindingRowCount];

BindingTable defaultBindingTable();
MouseBindings defaultMouseBindings();
// Row index of `command`, -1 when no row has it.
int bindingRowOf(uint32_t command);
// For each row the first entry with its command (flags & 0x0F, key & 0xFF); unbound when there is none.
BindingTable rowsFromAccelerators(const CommandBinding* entries, int count);
// One entry per bound row, in row order; returns how many were written (at most 24).
int acceleratorsFromRows(const BindingTable& rows, CommandBinding* entries);
// The display records of all rows; with `rows` null the modifier and key names are left empty.
void commandItemsFromRows(const BindingTable* rows, CommandItem items[kBindingRowCount]);
