// The working copy's start from the accelerator entries, and its fixed tables. The rules of the buttons
// are worked through the real dialog in CustomizeDialogTest_win.cpp.
#include "ui/CustomizeState.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "settings/TextIds.h"
#include "shell/KeyNames.h"

namespace {

constexpr uint8_t kCtrl = kAccelVirtKey | kAccelControl;
constexpr uint8_t kShift = kAccelVirtKey | kAccelShift;
constexpr uint8_t kCtrlShift = kAccelVirtKey | kAccelControl | kAccelShift;

int rowOf(uint32_t command) { return bindingRowOf(command); }

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

// The user tells the rows apart by their labels: no two rows may read the same, and each must name the
// command it binds (a shading choice joined to the shading menu's name).
TEST(CustomizeState, EveryRowLabelIsDistinctAndNamesItsOwnCommand) {
    std::set<std::pair<uint32_t, uint32_t>> labels;
    for (int row = 0; row < kBindingRowCount; ++row) {
        uint32_t first = 0, second = 0;
        rowLabelIds(row, &first, &second);
        EXPECT_TRUE(labels.insert({first, second}).second) << "row " << row << " reads as an earlier row";
        EXPECT_TRUE(first == kBindingCommands[row] || second == kBindingCommands[row]) << "row " << row;
        EXPECT_TRUE(second == 0 || first == CMD_SHADING_MENU) << "row " << row;
    }
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
