#include "ui/CustomizeState.h"

#include "settings/TextIds.h"
#include "shell/KeyNames.h"

namespace {

constexpr int kFirstShadingRow = 11;  // rows 11 to 16 are the six shading choices
constexpr int kLastShadingRow = 16;

bool validRow(int row) { return row >= 0 && row < kBindingRowCount; }

void showKeyOfRow(CustomizeState* state, int row) {
    const CommandBinding& binding = state->rows.rows[row];
    CommandItem& item = state->items[row];
    item.modifier = binding.key != 0 ? modifierName(binding.flags) : nullptr;
    item.key = binding.key != 0 ? keyName(binding.key) : nullptr;
}

// A command keeps at most one trigger: its first slot is the one to clear.
void clearSlotOf(CustomizeState* state, uint16_t command) {
    for (int32_t& slot : state->mouse.slots) {
        if (slot == command) {
            slot = 0;
            return;
        }
    }
}

}  // namespace

void initCustomizeState(CustomizeState* state, const CommandBinding* entries, int count, const MouseBindings& mouse,
                        CustomizePage page) {
    state->rows = rowsFromAccelerators(entries, count);
    commandItemsFromRows(&state->rows, state->items);
    state->mouse = mouse;
    state->page = page;
    state->keysChanged = false;
    state->mouseChanged = false;
}

void rowLabelIds(int row, uint32_t* first, uint32_t* second) {
    *first = kBindingCommands[row];
    *second = 0;
    if (row >= kFirstShadingRow && row <= kLastShadingRow) {
        *first = CMD_SHADING_MENU;
        *second = kBindingCommands[row];
    }
}

int mouseSlotOfRow(const CustomizeState& state, int row) {
    for (int slot = 0; slot < kMouseBindingSlots; ++slot)
        if (state.mouse.slots[slot] == kBindingCommands[row]) return slot;
    return -1;
}

bool shiftAllowedWith(uint32_t virtualKey) { return (virtualKey & 0xFF) != kCapsLockKey; }

uint32_t assignKey(CustomizeState* state, int row, uint32_t virtualKey, bool ctrl, bool shift) {
    if (!validRow(row)) return TXT_NO_ROW_SELECTED;
    if (virtualKey == 0) return TXT_NO_TRIGGER_SELECTED;
    uint8_t flags = uint8_t(kAccelVirtKey | (ctrl ? kAccelControl : 0) | (shift ? kAccelShift : 0));
    const uint8_t modifiers = kAccelControl | kAccelShift;
    for (const CommandBinding& other : state->rows.rows)
        if (other.key == virtualKey && (other.flags & modifiers) == (flags & modifiers)) return TXT_BINDING_IN_USE;
    CommandBinding& binding = state->rows.rows[row];
    binding.flags = flags;
    binding.key = uint16_t(virtualKey);
    showKeyOfRow(state, row);
    state->keysChanged = true;
    return 0;
}

uint32_t assignTrigger(CustomizeState* state, int row, int trigger) {
    if (!validRow(row)) return TXT_NO_ROW_SELECTED;
    if (trigger < 0 || trigger >= kMouseBindingSlots) return TXT_NO_TRIGGER_SELECTED;
    if (state->mouse.slots[trigger] != 0) return TXT_BINDING_IN_USE;
    clearSlotOf(state, kBindingCommands[row]);
    state->mouse.slots[trigger] = kBindingCommands[row];
    state->mouseChanged = true;
    return 0;
}

uint32_t removeBinding(CustomizeState* state, int row) {
    if (!validRow(row)) return TXT_NO_ROW_SELECTED;
    if (state->page == CustomizePage::mouse) {
        clearSlotOf(state, kBindingCommands[row]);
        state->mouseChanged = true;
        return 0;
    }
    CommandBinding& binding = state->rows.rows[row];
    binding.flags = kAccelVirtKey;
    binding.key = 0;
    showKeyOfRow(state, row);
    state->keysChanged = true;
    return 0;
}

void restorePageDefaults(CustomizeState* state) {
    if (state->page == CustomizePage::mouse) {
        state->mouse = defaultMouseBindings();
        state->mouseChanged = true;
        return;
    }
    state->rows = defaultBindingTable();
    commandItemsFromRows(&state->rows, state->items);
    state->keysChanged = true;
}
