// The help's keys page of each language against the running program: every command the page names is
// where the page says it is (a menu, a toolbar, the crop panel, a mouse button, its standard key), read
// from the frame's own menus, toolbars, accelerator rows and mouse bindings, and no command is left out.
#include <gtest/gtest.h>

#include "common/WinHeaders.h"

#include <commctrl.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "shell/KeyNames.h"
#include "shell/ShellFrameFixture.h"

namespace {

enum class Place { contextMenu, shadingMenu, toolbar1, toolbar2, cropPanel };

struct HelpLanguage {
    const char* module;
    const char* page;
    const char* places[5];  // the page's words for each Place, in its order
};
const HelpLanguage kLanguages[] = {
    {"English.dll", "/help/chm/keys.html",
     {"Context menu", "Shading drop-down", "First toolbar", "Second toolbar", "Crop panel"}},
    {"Japanese.dll", "/help/chm-ja/keys.html",
     {"コンテキスト メニュー", "範囲外の表示のドロップダウン", "1 段目のツール バー", "2 段目のツール バー", "トリミング パネル"}},
};

// What the page may name: the bindable commands, the crop panel's own one and the save options.
std::vector<uint16_t> namedCommands() {
    std::vector<uint16_t> commands(std::begin(kBindingCommands), std::end(kBindingCommands));
    for (uint16_t command : {CMD_CROP_MAXIMAL, CMD_SAVE_GRAYSCALE, CMD_SAVE_PROGRESSIVE, CMD_MARKERS_NONE,
                             CMD_MARKERS_COMMENTS, CMD_MARKERS_ALL})
        commands.push_back(command);
    return commands;
}

std::set<int> menuCommands(HMENU menu) {
    std::set<int> commands;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) commands.insert(int(GetMenuItemID(menu, i)));
    return commands;
}

std::set<int> toolbarCommands(HWND toolbar) {
    std::set<int> commands;
    int count = int(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        SendMessageW(toolbar, TB_GETBUTTON, WPARAM(i), reinterpret_cast<LPARAM>(&button));
        if (!(button.fsStyle & BTNS_SEP)) commands.insert(button.idCommand);
    }
    return commands;
}

// A language module's texts, read as data beside the test program.
class ModuleTexts {
public:
    explicit ModuleTexts(const char* name) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring beside(path);
        beside = beside.substr(0, beside.find_last_of(L'\\') + 1) + widePath(name);
        module_ = LoadLibraryExW(beside.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~ModuleTexts() {
        if (module_) FreeLibrary(module_);
    }
    ModuleTexts(const ModuleTexts&) = delete;
    ModuleTexts& operator=(const ModuleTexts&) = delete;
    bool loaded() const { return module_ != nullptr; }
    std::string text(UINT id) const {
        wchar_t buffer[kTextBufferUnits] = {};
        LoadStringW(module_, id, buffer, int(kTextBufferUnits));
        return u8(asText(buffer));
    }
    // The command a page calls `name`: its text alone or with its menu suffix; 0 for none.
    int command(const std::string& name) const {
        for (uint16_t command : namedCommands())
            if (name == text(command) || name == text(command) + text(command + TXT_MENU_SUFFIX)) return command;
        return 0;
    }

private:
    HMODULE module_ = nullptr;
};

std::string stripTags(const std::string& cell) { return std::regex_replace(cell, std::regex("<[^>]*>"), ""); }

// The cells of each row of the page's tables with `columns` data cells.
std::vector<std::vector<std::string>> pageRows(const std::string& page, int columns) {
    std::string cell = "<td>((?:(?!</td>).)*)</td>";
    std::string pattern = "<tr>";
    for (int i = 0; i < columns; ++i) pattern += cell;
    pattern += "</tr>";
    std::vector<std::vector<std::string>> rows;
    std::regex row(pattern);
    for (auto match = std::sregex_iterator(page.begin(), page.end(), row); match != std::sregex_iterator(); ++match) {
        std::vector<std::string> cells;
        for (int i = 1; i <= columns; ++i) cells.push_back(stripTags((*match)[i].str()));
        rows.push_back(cells);
    }
    return rows;
}

std::string standardKey(int command) {
    int row = bindingRowOf(uint32_t(command));
    if (row < 0 || appState.bindings.rows[row].key == 0) return "-";
    const CommandBinding& binding = appState.bindings.rows[row];
    const char16_t* modifier = modifierName(binding.flags);
    return (modifier ? u8(modifier) : std::string()) + u8(keyName(binding.key));
}

class KeysPage : public ShellFrame {};

}  // namespace

TEST_F(KeysPage, EveryCommandIsWhereThePageSaysInEveryLanguage) {
    startWithPicture(640, 480);
    std::set<int> places[5] = {menuCommands(appState.contextMenu), menuCommands(appState.shadingMenu),
                               toolbarCommands(appState.toolbar1), toolbarCommands(appState.toolbar2)};
    dispatchCommand(CMD_CROP);
    ASSERT_TRUE(appState.cropMode);
    places[int(Place::cropPanel)] = toolbarCommands(appState.cropToolbar);
    dispatchCommand(CMD_CROP_CANCEL);
    const MouseBindings mouse = gSettings.mouseBindings;

    for (const HelpLanguage& language : kLanguages) {
        SCOPED_TRACE(language.page);
        ModuleTexts texts(language.module);
        ASSERT_TRUE(texts.loaded());
        std::ifstream file(std::string(TW_SOURCE_DIR) + language.page, std::ios::binary);
        std::stringstream page;
        page << file.rdbuf();

        std::set<int> named;
        for (const std::vector<std::string>& row : pageRows(page.str(), 3)) {
            const std::string& name = row[0];
            const std::string& where = row[2];
            int command = texts.command(name);
            if (command == 0) {
                ADD_FAILURE() << "the page names \"" << name << "\", which is no command";
                continue;
            }
            named.insert(command);
            EXPECT_EQ(row[1], standardKey(command)) << name;
            int place = -1, slot = -1;
            for (int i = 0; i < 5; ++i)
                if (where == language.places[i]) place = i;
            for (int i = 1; i < kMouseBindingSlots; ++i)
                if (where == texts.text(TXT_MOUSE_TRIGGER_FIRST + i)) slot = i;
            if (place >= 0) EXPECT_EQ(places[place].count(command), 1u) << name << " is not on the " << where;
            else if (slot >= 0) EXPECT_EQ(mouse.slots[slot], command) << name << " is not on the " << where;
            else ADD_FAILURE() << name << ": \"" << where << "\" is no place the program has";
        }
        for (uint16_t command : kBindingCommands)
            EXPECT_EQ(named.count(command), 1u) << "the page leaves out " << texts.text(command);
        EXPECT_EQ(named.count(CMD_CROP_MAXIMAL), 1u);

        // The mouse table: each assignable trigger with its standard command, or "-".
        int triggers = 0;
        for (const std::vector<std::string>& row : pageRows(page.str(), 2)) {
            int slot = -1;
            for (int i = 1; i < kMouseBindingSlots; ++i)
                if (row[0] == texts.text(TXT_MOUSE_TRIGGER_FIRST + i)) slot = i;
            if (slot < 0) {
                ADD_FAILURE() << "\"" << row[0] << "\" is no mouse trigger";
                continue;
            }
            ++triggers;
            EXPECT_EQ(row[1] == "-" ? 0 : texts.command(row[1]), mouse.slots[slot]) << row[0];
        }
        EXPECT_EQ(triggers, kMouseBindingSlots - 1);
    }
}
