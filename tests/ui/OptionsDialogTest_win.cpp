// The options dialog over the real frame: what it offers, how OK applies a language, a font weight or the
// dialog font size and how Cancel applies nothing; and the interface font changed in crop mode, which
// must reach every control that shows it before the old font is deleted.
#include "ui/OptionDialogs.h"

#include "shell/FrameHarness_win.h"
#include "ui/DialogDriver.h"

#include <set>

#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "shell/Menus.h"
#include "shell/Toolbars.h"
#include "ui/ControlFactory.h"
#include "ui/OwnerDraw.h"

namespace {

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

std::string selectedItem(HWND dialog, int id) {
    HWND combo = GetDlgItem(dialog, id);
    LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? "" : itemText(combo, int(index), true);
}

void chooseItem(HWND dialog, int id, const std::string& text) {
    HWND combo = GetDlgItem(dialog, id);
    int count = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    int index = 0;
    while (index < count && itemText(combo, index, true) != text) ++index;
    ASSERT_LT(index, count) << text;
    SendMessageW(combo, CB_SETCURSEL, WPARAM(index), 0);
}

LOGFONTW fontOf(HWND control, bool* live) {
    LOGFONTW font = {};
    HFONT handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    *live = GetObjectW(handle, sizeof font, &font) == sizeof font;
    return font;
}

int pixelsForPoints(int points) {
    HDC screen = GetDC(nullptr);
    int pixels = MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::string bandText(int index) {
    wchar_t text[64] = {};
    REBARBANDINFOW band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_TEXT | RBBIM_CHILD;
    band.lpText = text;
    band.cch = 64;
    SendMessageW(appState.rebar, RB_GETBANDINFOW, WPARAM(index), reinterpret_cast<LPARAM>(&band));
    return u8(asText(text));
}

HWND bandChild(int index) {
    REBARBANDINFOW band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILD;
    SendMessageW(appState.rebar, RB_GETBANDINFOW, WPARAM(index), reinterpret_cast<LPARAM>(&band));
    return band.hwndChild;
}

using OptionsDialog = FrameTest;

}  // namespace

TEST_F(OptionsDialog, OffersModulesFacesAndTheCurrentChoices) {
    ASSERT_TRUE(startFrame());
    gSettings.fontHeight = -16;
    gSettings.fontWeight = 700;
    gSettings.largeDialogFont = true;
    textAssign(&gSettings.fontFace, u"liberation sans");  // an installed family, in other letter case
    bool ran = withDialog(showOptionsDialog, [&](HWND dialog) {
        HWND languages = GetDlgItem(dialog, IDC_OPTIONS_LANGUAGE);
        std::set<std::string> modules;
        int listed = int(SendMessageW(languages, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < listed; ++i) modules.insert(itemText(languages, i, true));
        EXPECT_EQ(modules, (std::set<std::string>{"English", "Japanese"}));
        EXPECT_EQ(selectedItem(dialog, IDC_OPTIONS_LANGUAGE), "English");
        // Faces: no vertical variants, no name twice (A to Z folded), the current one selected.
        HWND faces = GetDlgItem(dialog, IDC_OPTIONS_FONT_FACE);
        int count = int(SendMessageW(faces, CB_GETCOUNT, 0, 0));
        EXPECT_GT(count, 1);
        std::set<std::string> folded;
        for (int i = 0; i < count; ++i) {
            std::string name = itemText(faces, i, true);
            EXPECT_NE(name[0], '@') << name;
            EXPECT_TRUE(folded.insert(lowerAscii(name)).second) << name << " twice";
        }
        EXPECT_EQ(selectedItem(dialog, IDC_OPTIONS_FONT_FACE), "Liberation Sans");
        EXPECT_TRUE(isChecked(dialog, IDC_OPTIONS_HEIGHT_16));
        EXPECT_TRUE(isChecked(dialog, IDC_OPTIONS_WEIGHT_BOLD));
        EXPECT_TRUE(isChecked(dialog, IDC_OPTIONS_DIALOG_LARGE));
        // Both lists' items: 12 dialog units, less 4 (the selection field too; Wine reports it with its
        // border, as the control factory's tests show).
        RECT units = {0, 0, 0, 12};
        MapDialogRect(dialog, &units);
        for (HWND combo : {languages, faces}) EXPECT_EQ(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0), units.bottom - 4);
        // The headings: blue text with a rule after it.
        HWND heading = GetDlgItem(dialog, IDC_OPTIONS_FONT_HEADING);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        WindowPixels pixels(heading);
        RECT all = {0, 0, pixels.width, pixels.height};
        EXPECT_GT(pixels.countColour(all, RGB(72, 104, 200)), 10) << "heading text";
        EXPECT_GT(pixels.countColour(all, kHeadingRule), pixels.width / 3) << "heading rule";
        // Whatever is chosen, Cancel keeps every setting.
        chooseItem(dialog, IDC_OPTIONS_LANGUAGE, "Japanese");
        clickButton(dialog, IDC_OPTIONS_HEIGHT_12);
        clickButton(dialog, IDC_OPTIONS_DIALOG_NORMAL);
        clickButton(dialog, IDCANCEL);
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(u8(textChars(&gSettings.languageName)), "English");
    EXPECT_EQ(gSettings.fontHeight, -16);
    EXPECT_TRUE(gSettings.largeDialogFont);
    EXPECT_EQ(languageText(CMD_OPEN), "Open");
}

// The language list keeps the platform's order even when its template asks for sorting: the returned
// position is where the current module is.
TEST_F(OptionsDialog, LanguageListIsNeverSorted) {
    ASSERT_TRUE(startFrame());
    // More modules beside the program. Wine lists a folder sorted by code unit, and a sorting list box
    // orders "-", "_" and letters otherwise: these names come out in another order if the list sorts.
    struct ExtraModules {
        std::vector<std::wstring> names{L"Zulu.dll", L"Mike_Z.dll", L"MikeA.dll", L"Mike-Z.dll"};
        ExtraModules() {
            for (const std::wstring& name : names) CopyFileW(L"English.dll", name.c_str(), FALSE);
        }
        ~ExtraModules() {
            for (const std::wstring& name : names) DeleteFileW(name.c_str());
        }
    } extra;
    HWND sorted = CreateWindowExW(0, L"ComboBox", nullptr, WS_CHILD | CBS_DROPDOWNLIST | CBS_SORT | CBS_HASSTRINGS,
                                  0, 0, 100, 100, appState.frame, nullptr, nullptr, nullptr);
    std::vector<std::string> order;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"*.dll", &found);  // the program's folder is the current one
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        std::string name = u8(asText(found.cFileName));
        order.push_back(name.substr(0, name.size() - 4));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    ASSERT_EQ(order.size(), 6u);
    for (const char16_t* current : {u"English", u"Japanese", u"Mike_Z", u"Mike-Z"}) {
        SendMessageW(sorted, CB_RESETCONTENT, 0, 0);
        int position = listLanguageModules(sorted, current);
        ASSERT_GE(position, 0);
        EXPECT_EQ(itemText(sorted, position, true), u8(current));
        ASSERT_EQ(SendMessageW(sorted, CB_GETCOUNT, 0, 0), LRESULT(order.size()));
        for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(itemText(sorted, int(i), true), order[i]);
    }
    DestroyWindow(sorted);
}

TEST_F(OptionsDialog, LanguageSwitchesAtOnceUnlessOnlyItsCaseDiffers) {
    ASSERT_TRUE(startFrame());
    // The same module under another case: nothing is rebuilt.
    textAssign(&gSettings.languageName, u"ENGLISH");
    textAssign(&gSettings.fontFace, u"Liberation Sans");  // listed: an empty face would count as a change
    HMODULE module = appState.languageModule;
    HMENU menus = appState.containerMenu;
    HFONT font = appState.uiFont;
    bool ran = withDialog(showOptionsDialog, [&](HWND dialog) {
        EXPECT_EQ(selectedItem(dialog, IDC_OPTIONS_LANGUAGE), "English");
        clickButton(dialog, IDOK);
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(appState.languageModule, module);
    EXPECT_EQ(u8(textChars(&gSettings.languageName)), "ENGLISH");
    EXPECT_EQ(appState.containerMenu, menus);
    EXPECT_TRUE(IsMenu(menus));
    EXPECT_EQ(appState.uiFont, font);

    ran = withDialog(showOptionsDialog, [&](HWND dialog) {
        chooseItem(dialog, IDC_OPTIONS_LANGUAGE, "Japanese");
        clickButton(dialog, IDOK);
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(u8(textChars(&gSettings.languageName)), "Japanese");
    EXPECT_EQ(languageText(CMD_OPEN), "開く");
    EXPECT_FALSE(IsMenu(menus)) << "the menus were made again";
    wchar_t label[64] = {};
    GetMenuStringW(appState.containerMenu, CMD_OPTIONS, label, 64, MF_BYCOMMAND);
    EXPECT_EQ(u8(asText(label)), languageText(CMD_OPTIONS) + languageText(CMD_OPTIONS + TXT_MENU_SUFFIX));
    EXPECT_EQ(bandText(1), "出力");
    TTTOOLINFOW tool = {};
    wchar_t tip[128] = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = appState.toolbar1;
    tool.uId = CMD_OPEN;
    tool.lpszText = tip;
    ASSERT_TRUE(SendMessageW(appState.tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(u8(asText(tip)), "開く (Ctrl+O)");
}

TEST_F(OptionsDialog, DialogFontSizeWaitsForTheNextDialog) {
    ASSERT_TRUE(startFrame());
    textAssign(&gSettings.fontFace, u"Liberation Sans");
    HMENU menus = appState.containerMenu;
    HFONT font = appState.uiFont;
    int shownHeight = 0;
    bool ran = withDialog(showOptionsDialog, [&](HWND dialog) {
        bool live = false;
        shownHeight = -fontOf(dialog, &live).lfHeight;
        clickButton(dialog, IDC_OPTIONS_DIALOG_LARGE);
        clickButton(dialog, IDOK);
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(shownHeight, pixelsForPoints(9));
    EXPECT_TRUE(gSettings.largeDialogFont);
    EXPECT_EQ(appState.containerMenu, menus) << "the menus are not made again";
    EXPECT_EQ(appState.uiFont, font);
    ran = withDialog(showOptionsDialog, [&](HWND dialog) {
        bool live = false;
        shownHeight = -fontOf(dialog, &live).lfHeight;
        pressKey(VK_ESCAPE);
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(shownHeight, pixelsForPoints(11));
    EXPECT_TRUE(gSettings.largeDialogFont) << "Esc cancels";
}

// Bold chosen in crop mode: menus and bars are made again with the new font, the crop toolbar stays in
// band 2, and every control that showed the old font (made by the control factory, like the crop
// panel's) holds the new one, which is alive; the old font is gone.
TEST_F(OptionsDialog, BoldInCropModeReachesEveryControlBeforeTheOldFontGoes) {
    TestJpegOptions options;
    options.width = 320;
    options.height = 240;
    ASSERT_TRUE(startFrame(writePicture(options, "photo.jpg")));
    int width = createCropToolbar();
    HWND crop = appState.cropToolbar;
    ASSERT_NE(crop, nullptr);
    HWND label = createTextLabel(crop, TXT_CROP_LEFT, width + 4, 0, LabelWidth::FromText);
    RECT labelRect;
    GetWindowRect(label, &labelRect);
    int x = width + 8 + (labelRect.right - labelRect.left);
    HWND field = createNumberField(crop, IDC_CROP_FIELD_LEFT, IDC_CROP_LEFT_SPIN, x, 5, 5, 99999, 0, 0);
    HWND ratio = createChoiceCombo(crop, x + numberFieldWidth(5) + 4, 80);
    ASSERT_TRUE(label && field && ratio);
    placeCropToolbar(x + numberFieldWidth(5) + 88);
    appState.cropMode = true;
    appState.cropState = 3;
    pumpFrameMessages();

    HFONT oldFont = appState.uiFont;
    HMODULE module = appState.languageModule;
    HMENU menus = appState.containerMenu;
    int oldButtonHeight = appState.metrics.buttonHeight;
    gSettings.fontHeight = -12;
    // Opened by its command: the options are allowed in crop mode.
    bool ran = withDialog([] { dispatchCommand(CMD_OPTIONS); }, [&](HWND dialog) {
        EXPECT_TRUE(isChecked(dialog, IDC_OPTIONS_WEIGHT_NORMAL));
        clickButton(dialog, IDC_OPTIONS_WEIGHT_BOLD);
        clickButton(dialog, IDC_OPTIONS_HEIGHT_16);
        clickButton(dialog, IDOK);
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(gSettings.fontWeight, 700);
    EXPECT_EQ(gSettings.fontHeight, -16);
    EXPECT_EQ(appState.languageModule, module) << "the language module stays";
    EXPECT_EQ(u8(textChars(&gSettings.languageName)), "English");
    EXPECT_FALSE(IsMenu(menus)) << "the menus were made again";
    EXPECT_NE(appState.uiFont, oldFont);
    LOGFONTW gone = {};
    EXPECT_EQ(GetObjectW(oldFont, sizeof gone, &gone), 0) << "the old font was deleted";

    struct Control {
        const char* name;
        HWND window;
    } controls[] = {{"crop label", label}, {"crop field", field}, {"ratio box", ratio},
                    {"zoom edit", appState.zoomEdit}, {"unit label", appState.zoomUnit}, {"rebar", appState.rebar}};
    for (const Control& control : controls) {
        bool live = false;
        LOGFONTW font = fontOf(control.window, &live);
        EXPECT_TRUE(live) << control.name << " holds a deleted font";
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control.window, WM_GETFONT, 0, 0)), appState.uiFont)
            << control.name;
        EXPECT_EQ(font.lfWeight, 700) << control.name;
    }
    EXPECT_GT(appState.metrics.buttonHeight, oldButtonHeight);
    EXPECT_EQ(bandChild(1), crop) << "band 2 keeps the crop toolbar";
    EXPECT_FALSE(IsWindowVisible(appState.toolbar2));
    EXPECT_EQ(HIWORD(DWORD(SendMessageW(crop, TB_GETBUTTONSIZE, 0, 0))), appState.metrics.buttonHeight);

    appState.cropMode = false;
    appState.cropState = 0;
    removeCropToolbar();
}
