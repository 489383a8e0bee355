#include "ui/CustomizeState.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/TextIds.h"
#include "shell/KeyNames.h"

namespace {

constexpr uint8_t kCtrl = kAccelVirtKey | kAccelControl;
constexpr uint8_t kShift = kAccelVirtKey | kAccelShift;
constexpr uint8_t kCtrlShift = kAccelVirtKey | kAccelControl | kAccelShift;

int rowOf(uint32_t command) { return bindingRowOf(command); }

// The working copy as the dialog makes it from the default accelerators and mouse bindings.
CustomizeState defaultState(CustomizePage page = CustomizePage::keyboard) {
    CommandBinding entries[kBindingRowCount];
    int count = acceleratorsFromRows(defaultBindingTable(), entries);
    CustomizeState state;
    initCustomizeState(&state, entries, count, defaultMouseBindings(), page);
    return state;
}

std::string keyColumn(const CustomizeState& state, int row) {
    const CommandItem& item = state.items[row];
    std::u16string text;
    if (item.key) {
        if (item.modifier) text += item.modifier;
        text += item.key;
    }
    return std::string(text.begin(), text.end());
}

}  // namespace

TEST(CustomizeState, StartsFromTheFirstEntryOfEachCommandWithMasksApplied) {
    CommandBinding entries[] = {
        {uint8_t(kCtrl | 0x10), 0, 0x14F, CMD_OPEN},  // Alt bit and a high key byte are dropped
        {kShift, 0, 0x4F, CMD_OPEN},                  // a second entry of a command is not shown
        {kAccelVirtKey, 0, 0x74, CMD_HELP},
        {kCtrlShift, 0, 0x41, 4242},                  // no row has this command
    };
    MouseBindings mouse = {{0, 5040, 0, 0, 0, 0, 0}};
    CustomizeState state;
    initCustomizeState(&state, entries, 4, mouse, CustomizePage::mouse);
    EXPECT_EQ(state.rows.rows[0].flags, kCtrl);
    EXPECT_EQ(state.rows.rows[0].key, 0x4F);
    EXPECT_EQ(keyColumn(state, 0), "Ctrl+O");
    EXPECT_EQ(keyColumn(state, rowOf(CMD_HELP)), "F5");
    EXPECT_EQ(state.rows.rows[rowOf(CMD_REVERT)].key, 0) << "a row without an entry is unbound";
    EXPECT_EQ(state.rows.rows[rowOf(CMD_REVERT)].flags, kAccelVirtKey);
    EXPECT_EQ(keyColumn(state, rowOf(CMD_REVERT)), "");
    EXPECT_EQ(mouseSlotOfRow(state, rowOf(CMD_HELP)), 1);
    EXPECT_EQ(mouseSlotOfRow(state, rowOf(CMD_ZOOM_TOGGLE)), -1);
    EXPECT_EQ(state.page, CustomizePage::mouse);
    EXPECT_FALSE(state.keysChanged);
    EXPECT_FALSE(state.mouseChanged);
}

TEST(CustomizeState, RowLabelsJoinTheShadingMenuWithItsChoice) {
    struct Case {
        int row;
        uint32_t first, second;
    } cases[] = {
        {0, CMD_OPEN, 0},           {10, CMD_SHADING_MENU, 0},           {11, CMD_SHADING_MENU, CMD_SHADE_HALF},
        {12, CMD_SHADING_MENU, CMD_SHADE_QUARTER}, {13, CMD_SHADING_MENU, CMD_SHADE_EIGHTH},
        {14, CMD_SHADING_MENU, CMD_SHADE_BLACK},   {15, CMD_SHADING_MENU, CMD_SHADE_GREY},
        {16, CMD_SHADING_MENU, CMD_SHADE_WHITE},   {17, CMD_CUSTOMIZE, 0}, {23, CMD_CROP_CANCEL, 0},
    };
    for (const Case& c : cases) {
        uint32_t first = 1, second = 1;
        rowLabelIds(c.row, &first, &second);
        EXPECT_EQ(first, c.first) << "row " << c.row;
        EXPECT_EQ(second, c.second) << "row " << c.row;
    }
}

TEST(CustomizeState, KeyAssignmentsAreRefusedWhileTheCombinationIsInUse) {
    CustomizeState state = defaultState();
    const int open = rowOf(CMD_OPEN), fit = rowOf(CMD_ZOOM_FIT), toggle = rowOf(CMD_ZOOM_TOGGLE);
    const int help = rowOf(CMD_HELP);

    // Nothing selected: the row is asked for first, then the key.
    EXPECT_EQ(assignKey(&state, -1, 0, false, false), uint32_t(TXT_NO_ROW_SELECTED));
    EXPECT_EQ(assignKey(&state, open, 0, false, false), uint32_t(TXT_NO_TRIGGER_SELECTED));
    // Ctrl+O on the row that has it, and Space while the toggle row has it.
    EXPECT_EQ(assignKey(&state, open, 0x4F, true, false), uint32_t(TXT_BINDING_IN_USE));
    EXPECT_EQ(assignKey(&state, fit, 0x20, false, false), uint32_t(TXT_BINDING_IN_USE));
    EXPECT_FALSE(state.keysChanged) << "refusals leave the copy as it was";
    EXPECT_EQ(keyColumn(state, fit), "");

    // The same key with other modifiers is free.
    EXPECT_EQ(assignKey(&state, fit, 0x4F, false, false), 0u);
    EXPECT_EQ(keyColumn(state, fit), "O");
    EXPECT_EQ(assignKey(&state, fit, 0x4F, true, true), 0u);
    EXPECT_EQ(state.rows.rows[fit].flags, kCtrlShift);
    EXPECT_EQ(keyColumn(state, fit), "Ctrl+Shift+O");
    EXPECT_EQ(assignKey(&state, help, 0x4F, false, false), 0u) << "plain O was given up by the fit row";
    EXPECT_EQ(assignKey(&state, help, 0x74, false, true), 0u);
    EXPECT_EQ(keyColumn(state, help), "Shift+F5");
    EXPECT_TRUE(state.keysChanged);

    // Space moves from the toggle row to the fit row once it is removed there.
    EXPECT_EQ(removeBinding(&state, toggle), 0u);
    EXPECT_EQ(state.rows.rows[toggle].key, 0);
    EXPECT_EQ(state.rows.rows[toggle].flags, kAccelVirtKey);
    EXPECT_EQ(keyColumn(state, toggle), "");
    EXPECT_EQ(assignKey(&state, fit, 0x20, false, false), 0u);
    EXPECT_EQ(state.rows.rows[fit].flags, kAccelVirtKey);
    EXPECT_EQ(keyColumn(state, fit), "Space");
    EXPECT_EQ(removeBinding(&state, -1), uint32_t(TXT_NO_ROW_SELECTED));
}

TEST(CustomizeState, ShiftGoesWithEveryOfferedKeyButCapsLock) {
    int withoutShift = 0;
    for (uint8_t key : kNamedKeys) {
        if (!shiftAllowedWith(key)) {
            withoutShift++;
            EXPECT_EQ(std::u16string(keyName(key)), u"CapsLock");
        }
    }
    EXPECT_EQ(withoutShift, 1);
    EXPECT_TRUE(shiftAllowedWith(0)) << "no key selected";
}

TEST(CustomizeState, TriggersMoveOnlyIntoFreeSlots) {
    CustomizeState state = defaultState(CustomizePage::mouse);
    const int zoomIn = rowOf(CMD_ZOOM_IN), toggle = rowOf(CMD_ZOOM_TOGGLE);
    EXPECT_EQ(mouseSlotOfRow(state, zoomIn), 6) << "wheel backward";

    EXPECT_EQ(assignTrigger(&state, -1, 2), uint32_t(TXT_NO_ROW_SELECTED));
    EXPECT_EQ(assignTrigger(&state, zoomIn, -1), uint32_t(TXT_NO_TRIGGER_SELECTED));
    EXPECT_EQ(assignTrigger(&state, zoomIn, 2), uint32_t(TXT_BINDING_IN_USE)) << "the middle button runs 5220";
    EXPECT_EQ(assignTrigger(&state, toggle, 2), uint32_t(TXT_BINDING_IN_USE)) << "even for its own command";
    EXPECT_FALSE(state.mouseChanged);

    EXPECT_EQ(removeBinding(&state, toggle), 0u);
    EXPECT_EQ(state.mouse.slots[2], 0);
    EXPECT_TRUE(state.mouseChanged);
    EXPECT_EQ(assignTrigger(&state, zoomIn, 2), 0u);
    const MouseBindings moved = {{0, 0, CMD_ZOOM_IN, 0, 0, CMD_ZOOM_OUT, 0}};
    for (int slot = 0; slot < kMouseBindingSlots; ++slot) EXPECT_EQ(state.mouse.slots[slot], moved.slots[slot]) << slot;
    EXPECT_EQ(mouseSlotOfRow(state, zoomIn), 2);
    EXPECT_FALSE(state.keysChanged) << "the mouse page leaves the keys alone";
    EXPECT_EQ(keyColumn(state, toggle), "Space");

    // The reserved slot 0 takes a command like the others.
    EXPECT_EQ(assignTrigger(&state, rowOf(CMD_ABOUT), 0), 0u);
    EXPECT_EQ(state.mouse.slots[0], CMD_ABOUT);
}

TEST(CustomizeState, RestoringDefaultsResetsOnlyThePageShown) {
    CustomizeState state = defaultState();
    const int open = rowOf(CMD_OPEN), save = rowOf(CMD_SAVE), toggle = rowOf(CMD_ZOOM_TOGGLE);
    ASSERT_EQ(removeBinding(&state, open), 0u);
    ASSERT_EQ(assignKey(&state, save, 0x53, false, false), 0u);
    state.page = CustomizePage::mouse;
    ASSERT_EQ(removeBinding(&state, toggle), 0u);
    ASSERT_EQ(assignTrigger(&state, save, 4), 0u);

    restorePageDefaults(&state);  // mouse page
    const MouseBindings defaults = defaultMouseBindings();
    for (int slot = 0; slot < kMouseBindingSlots; ++slot) EXPECT_EQ(state.mouse.slots[slot], defaults.slots[slot]);
    EXPECT_EQ(keyColumn(state, open), "") << "the keys keep their changes";
    EXPECT_EQ(keyColumn(state, save), "S");

    ASSERT_EQ(assignTrigger(&state, save, 3), 0u);
    state.page = CustomizePage::keyboard;
    restorePageDefaults(&state);
    const BindingTable table = defaultBindingTable();
    for (int row = 0; row < kBindingRowCount; ++row) {
        EXPECT_EQ(state.rows.rows[row].flags, table.rows[row].flags) << row;
        EXPECT_EQ(state.rows.rows[row].key, table.rows[row].key) << row;
    }
    EXPECT_EQ(keyColumn(state, open), "Ctrl+O");
    EXPECT_EQ(keyColumn(state, save), "");
    EXPECT_EQ(keyColumn(state, rowOf(CMD_CROP)), "CapsLock");
    EXPECT_EQ(state.mouse.slots[3], CMD_SAVE) << "the mouse keeps its change";
    EXPECT_TRUE(state.keysChanged);
    EXPECT_TRUE(state.mouseChanged);
}
