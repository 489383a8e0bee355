#pragma once
// The working copy that the customisation dialog edits: the 24 binding rows with their shown names, the
// mouse bindings and the page shown, and the rules of its buttons (what may be assigned, what a removal
// clears, what the defaults of a page are). Portable; CustomizeDialog_win.cpp shows it and applies it
// when the dialog closes.

#include <cstdint>

#include "shell/BindingTable.h"

enum class CustomizePage { keyboard = 0, mouse = 1 };

struct CustomizeState {
    BindingTable rows;
    CommandItem items[kBindingRowCount];  // modifier and key names of the key column
    MouseBindings mouse;
    CustomizePage page = CustomizePage::keyboard;
    bool keysChanged = false;
    bool mouseChanged = false;
};

constexpr uint8_t kCapsLockKey = 0xF0;

// From the live accelerator entries (first entry of each row's command) and the live mouse bindings.
void initCustomizeState(CustomizeState* state, const CommandBinding* entries, int count, const MouseBindings& mouse,
                        CustomizePage page);
// The row's label is text `first`, followed by " - " and text `second` when that is not 0.
void rowLabelIds(int row, uint32_t* first, uint32_t* second);
// The first mouse slot holding the row's command, -1 when none does.
int mouseSlotOfRow(const CustomizeState& state, int row);
// Shift is offered with every key but CapsLock.
bool shiftAllowedWith(uint32_t virtualKey);

// Each returns 0 when the working copy changed, else the text id of the warning to show (no row
// selected, nothing selected in the key or trigger list, already in use); the copy is then unchanged.
// `row` -1, `virtualKey` 0 and `trigger` -1 mean nothing selected.
uint32_t assignKey(CustomizeState* state, int row, uint32_t virtualKey, bool ctrl, bool shift);
uint32_t assignTrigger(CustomizeState* state, int row, int trigger);
// Removes the row's key or trigger, by the page shown.
uint32_t removeBinding(CustomizeState* state, int row);
// The defaults of the page shown; the other page keeps its assignments.
void restorePageDefaults(CustomizeState* state);
