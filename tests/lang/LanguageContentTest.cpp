// Reads the built English and Japanese modules back: the signature, every text the program asks for,
// and the three dialog templates with the controls their dialog procedures address.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "common/TextBuffer.h"
#include "common/WinHeaders.h"
#include "settings/LanguageModule.h"
#include "settings/TextIds.h"
#include "support/TestFiles.h"
#include "ui/DialogTemplate.h"

#include <commctrl.h>

namespace {

std::u16string programModulePath(const char* name) {
    std::string path = std::string("Z:") + TW_PROGRAM_DIR + "/" + name + ".dll";
    std::replace(path.begin(), path.end(), '/', '\\');
    return u16(path);
}

std::vector<uint32_t> programTextIds() {
    std::vector<uint32_t> ids = {TXT_BAND2, TXT_ZOOM_LABEL, TXT_ZOOM_TOOLTIP, TXT_ZOOM_UNIT, TXT_CROP_LEFT,
                                 TXT_CROP_TOP, TXT_CROP_RIGHT, TXT_CROP_BOTTOM, TXT_RATIO_LABEL, TXT_FILE_LIST_CAPTION,
                                 TXT_RATIO_EDIT_ITEM, TXT_SAVE_QUESTION, TXT_JPEG_FILE_TYPE};
    const uint32_t commands[] = {5000, 5010, 5020, 5030, 5040, 5050, 5100, 5110, 5120, 5130, 5132, 5133,
                                 5134, 5135, 5136, 5200, 5210, 5220, 5230, 5231, 5300, 5400, 5410, 5420,
                                 5421, 5422, 5430, 5500, 5501, 5502};
    ids.insert(ids.end(), std::begin(commands), std::end(commands));
    const uint32_t menuCommands[] = {5000, 5010, 5020, 5030, 5040, 5050, 5132, 5133, 5134, 5135, 5136, 5300};
    for (uint32_t command : menuCommands) ids.push_back(command + TXT_MENU_SUFFIX);
    for (uint32_t id = 20100; id <= 20108; id++) ids.push_back(id);
    for (uint32_t id = 20200; id <= 20206; id++) ids.push_back(id);
    for (uint32_t id = 30000; id <= 30008; id++) ids.push_back(id);
    for (uint32_t id = 50000; id <= 50024; id++) ids.push_back(id);
    return ids;
}

enum ControlKind { Static, Combo, ListBox, Edit, PushButton, Radio, CheckBox, ListView };

const char* kindName(ControlKind kind) {
    const char* names[] = {"static", "combo box", "list box", "edit", "push button", "radio", "check box",
                           "list view"};
    return names[kind];
}

bool isKind(const DialogItemInfo& item, ControlKind kind) {
    uint32_t buttonType = item.style & 0x0F;
    switch (kind) {
    case Static: return item.classOrdinal == 0x82;
    case Combo: return item.classOrdinal == 0x85 && (item.style & 3) == CBS_DROPDOWNLIST;
    case ListBox: return item.classOrdinal == 0x83;
    case Edit: return item.classOrdinal == 0x81;
    case PushButton: return item.classOrdinal == 0x80 && (buttonType == BS_PUSHBUTTON || buttonType == BS_DEFPUSHBUTTON);
    case Radio: return item.classOrdinal == 0x80 && (buttonType == BS_AUTORADIOBUTTON || buttonType == BS_RADIOBUTTON);
    case CheckBox: return item.classOrdinal == 0x80 && (buttonType == BS_AUTOCHECKBOX || buttonType == BS_CHECKBOX);
    case ListView:
        return item.classOrdinal == 0 && compareNoCaseAscii(item.className, u"SysListView32") == 0 &&
               (item.style & LVS_TYPEMASK) == LVS_REPORT;
    }
    return false;
}

std::map<uint32_t, std::vector<ControlKind>> expectedControls(uint32_t dialog) {
    std::map<uint32_t, std::vector<ControlKind>> controls;
    if (dialog == IDD_CUSTOMIZE) {
        controls[IDC_CUSTOMIZE_COMMANDS] = {ListView};
        controls[IDC_CUSTOMIZE_KEYS] = {ListBox};
        controls[IDC_CUSTOMIZE_TRIGGERS] = {ListBox};
        controls[IDC_CUSTOMIZE_CTRL] = {CheckBox};
        controls[IDC_CUSTOMIZE_SHIFT] = {CheckBox};
        for (uint32_t id = IDC_CUSTOMIZE_ASSIGN; id <= IDC_CUSTOMIZE_CLOSE; id++) controls[id] = {PushButton};
        controls[IDC_CUSTOMIZE_KEYBOARD_PAGE] = {Radio};
        controls[IDC_CUSTOMIZE_MOUSE_PAGE] = {Radio};
    } else if (dialog == IDD_OPTIONS) {
        for (uint32_t id : {2310u, 2320u, 2350u}) controls[id] = {Static};
        controls[IDC_OPTIONS_LANGUAGE] = {Combo};
        controls[IDC_OPTIONS_FONT_FACE] = {Combo};
        for (uint32_t id : {2331u, 2332u, 2333u, 2341u, 2342u, 2351u, 2352u}) controls[id] = {Radio};
        controls[IDOK] = {PushButton};
        controls[IDCANCEL] = {PushButton};
    } else {
        for (uint32_t i = 0; i < 8; i++) {
            controls[IDC_PRESET_WIDTH_FIRST + i] = {Edit};
            controls[IDC_PRESET_HEIGHT_FIRST + i] = {Edit};
        }
        controls[IDOK] = {PushButton};
        controls[IDCANCEL] = {PushButton};
    }
    return controls;
}

struct ItemList {
    std::vector<DialogItemInfo> items;
    static void visit(void* context, const DialogItemInfo& item) { static_cast<ItemList*>(context)->items.push_back(item); }
};

class BuiltModule : public ::testing::TestWithParam<const char*> {
protected:
    HMODULE module = nullptr;
    void SetUp() override {
        module = LoadLibraryExW(asWide(programModulePath(GetParam()).c_str()), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << GetParam();
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
};

}  // namespace

TEST_P(BuiltModule, CarriesTheSignature) { EXPECT_TRUE(moduleHasSignature(module)); }

TEST_P(BuiltModule, HoldsEveryTextTheProgramUses) {
    for (uint32_t id : programTextIds()) {
        const wchar_t* text = nullptr;
        int length = LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
        EXPECT_GT(length, 0) << GetParam() << ": text " << id << " is missing";
        // Texts are shown through a 127-unit buffer.
        EXPECT_LE(length, 126) << GetParam() << ": text " << id << " would be cut";
    }
}

TEST_P(BuiltModule, HoldsTheThreeDialogTemplates) {
    for (uint32_t dialog : {IDD_CUSTOMIZE, IDD_OPTIONS, IDD_RATIO_PRESETS}) {
        HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(dialog), MAKEINTRESOURCEW(5));
        ASSERT_NE(resource, nullptr) << GetParam() << ": template " << dialog;
        const uint8_t* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, resource)));
        DialogTemplateLayout layout;
        ItemList list;
        ASSERT_TRUE(measureDialogTemplate(bytes, SizeofResource(module, resource), &layout, ItemList::visit, &list))
            << GetParam() << ": template " << dialog;
        EXPECT_TRUE(layout.hasFont) << dialog;
        EXPECT_EQ(bytes[layout.pointSizeOffset], 9) << dialog;
        for (const auto& [id, kinds] : expectedControls(dialog)) {
            auto found = std::find_if(list.items.begin(), list.items.end(),
                                      [id = id](const DialogItemInfo& item) { return item.id == id; });
            ASSERT_NE(found, list.items.end()) << GetParam() << ": template " << dialog << " lacks control " << id;
            EXPECT_TRUE(isKind(*found, kinds[0]))
                << GetParam() << ": control " << id << " of template " << dialog << " is not a " << kindName(kinds[0]);
            EXPECT_EQ(std::count_if(list.items.begin(), list.items.end(),
                                    [id = id](const DialogItemInfo& item) { return item.id == id; }),
                      1)
                << "control " << id << " appears more than once";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(LanguageModules, BuiltModule, ::testing::Values("English", "Japanese"));
