// The help's keys page of each language against the running program: every command the page names is
// where the page says (a menu, a toolbar, the crop panel, a mouse button) with the standard key it gives,
// read from the frame's own menus, toolbars, accelerator rows and mouse bindings; none is left out.
#include <gtest/gtest.h>

#include "common/WinHeaders.h"

#include <commctrl.h>

#include <fstream>
#include <regex>
#include <set>

#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/Dispatch.h"
#include "shell/KeyNames.h"
#include "shell/ShellFrameFixture.h"

namespace {

// The page's words for the places: context menu, shading drop-down, first and second toolbar, crop panel.
struct HelpLanguage {
    const char16_t* module;
    const char* page;
    const char* places[5];
};
const HelpLanguage kLanguages[] = {
    {u"English", "/help/chm/keys.html",
     {"Context menu", "Shading drop-down", "First toolbar", "Second toolbar", "Crop panel"}},
    {u"Japanese", "/help/chm-ja/keys.html",
     {"コンテキスト メニュー", "範囲外の表示のドロップダウン", "1 段目のツール バー", "2 段目のツール バー", "トリミング パネル"}},
};

std::set<int> commandsOf(HMENU menu, HWND toolbar) {
    std::set<int> commands;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) commands.insert(int(GetMenuItemID(menu, i)));
    for (int i = 0; toolbar && i < int(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0)); ++i) {
        TBBUTTON button = {};
        SendMessageW(toolbar, TB_GETBUTTON, WPARAM(i), reinterpret_cast<LPARAM>(&button));
        commands.insert(button.idCommand);
    }
    return commands;
}

// The command the page calls `name` in the loaded language: its text, alone or with its menu suffix.
int commandNamed(const std::string& name) {
    for (int command : kBindingCommands)
        if (name == languageText(command) || name == languageText(command) + languageText(command + TXT_MENU_SUFFIX))
            return command;
    return name == languageText(CMD_CROP_MAXIMAL) ? CMD_CROP_MAXIMAL : 0;
}

int triggerNamed(const std::string& name) {
    for (int slot = 1; slot < kMouseBindingSlots; ++slot)
        if (name == languageText(TXT_MOUSE_TRIGGER_FIRST + slot)) return slot;
    return 0;
}

// The rows of the page's tables with `columns` cells, tags taken out.
std::vector<std::vector<std::string>> pageRows(const std::string& page, int columns) {
    std::string pattern = "<tr>";
    for (int i = 0; i < columns; ++i) pattern += "<td>((?:(?!</td>).)*)</td>";
    std::regex row(pattern + "</tr>"), tag("<[^>]*>");
    std::vector<std::vector<std::string>> rows;
    for (auto match = std::sregex_iterator(page.begin(), page.end(), row); match != std::sregex_iterator(); ++match) {
        rows.emplace_back();
        for (int i = 1; i <= columns; ++i) rows.back().push_back(std::regex_replace((*match)[i].str(), tag, ""));
    }
    return rows;
}

std::string standardKey(int command) {
    int row = bindingRowOf(uint32_t(command));
    if (row < 0 || appState.bindings.rows[row].key == 0) return "-";
    const char16_t* modifier = modifierName(appState.bindings.rows[row].flags);
    return (modifier ? u8(modifier) : std::string()) + u8(keyName(appState.bindings.rows[row].key));
}

using KeysPage = ShellFrame;

}  // namespace

TEST_F(KeysPage, EveryCommandIsWhereThePageSaysInEveryLanguage) {
    startWithPicture(640, 480);
    std::set<int> places[5] = {commandsOf(appState.contextMenu, nullptr), commandsOf(appState.shadingMenu, nullptr),
                               commandsOf(nullptr, appState.toolbar1), commandsOf(nullptr, appState.toolbar2)};
    dispatchCommand(CMD_CROP);
    places[4] = commandsOf(nullptr, appState.cropToolbar);
    dispatchCommand(CMD_CROP_CANCEL);
    const int32_t* mouse = gSettings.mouseBindings.slots;

    for (const HelpLanguage& language : kLanguages) {
        SCOPED_TRACE(language.page);
        ASSERT_TRUE(switchLanguageModule(language.module, &gSettings.languageName));
        std::ifstream file(std::string(TW_SOURCE_DIR) + language.page, std::ios::binary);
        std::string page((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::set<int> named;
        for (const std::vector<std::string>& row : pageRows(page, 3)) {  // command, standard key, where
            int command = commandNamed(row[0]);
            named.insert(command);
            EXPECT_NE(command, 0) << "\"" << row[0] << "\" is no command";
            EXPECT_EQ(row[1], standardKey(command)) << row[0];
            int place = int(std::find(language.places, language.places + 5, row[2]) - language.places);
            if (place < 5) EXPECT_EQ(places[place].count(command), 1u) << row[0] << " is not on the " << row[2];
            else EXPECT_EQ(mouse[triggerNamed(row[2])], command) << row[0] << " is not on \"" << row[2] << "\"";
        }
        for (int command : kBindingCommands) EXPECT_EQ(named.count(command), 1u) << languageText(command) << " left out";

        std::set<int> triggers;
        for (const std::vector<std::string>& row : pageRows(page, 2)) {  // mouse trigger, its command or "-"
            triggers.insert(triggerNamed(row[0]));
            EXPECT_EQ(row[1] == "-" ? 0 : commandNamed(row[1]), mouse[triggerNamed(row[0])]) << row[0];
        }
        EXPECT_EQ(triggers.size(), size_t(kMouseBindingSlots - 1));
        EXPECT_EQ(triggers.count(0), 0u) << "the mouse table names a trigger the program does not have";
    }
}
