#include "ui/DialogRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/WinHeaders.h"

#include <commctrl.h>

#include "settings/LanguageModule.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "support/TestFiles.h"

namespace {

std::u16string modulePath(const std::string& folder, const char* name) {
    std::string path = "Z:" + folder + "/" + name + ".dll";
    std::replace(path.begin(), path.end(), '/', '\\');
    return u16(path);
}

// Ends at once with the character height of the font the dialog got.
INT_PTR CALLBACK reportFontHeight(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EndDialog(dialog, -font.lfHeight);
    return TRUE;
}

struct UsingModule {
    explicit UsingModule(const std::u16string& path) {
        appState.languageModule = LoadLibraryExW(asWide(path.c_str()), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~UsingModule() { releaseLanguageModule(); }
};

int pixelsForPoints(int points) {
    HDC screen = GetDC(nullptr);
    int pixels = MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

TEST(DialogRunner, PointSizeFollowsTheLargeFontSetting) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    for (const char* language : {"English", "Japanese"}) {
        UsingModule module(modulePath(TW_PROGRAM_DIR, language));
        ASSERT_NE(appState.languageModule, nullptr);
        for (uint32_t dialog : {IDD_CUSTOMIZE, IDD_OPTIONS, IDD_RATIO_PRESETS}) {
            EXPECT_EQ(runDialog(dialog, reportFontHeight, 0, false), pixelsForPoints(9)) << language << " " << dialog;
            EXPECT_EQ(runDialog(dialog, reportFontHeight, 0, true), pixelsForPoints(11)) << language << " " << dialog;
        }
    }
}

TEST(DialogRunner, MissingOrFontlessTemplatesAreNotShown) {
    UsingModule module(modulePath(TW_TEST_MODULE_DIR, "TestTexts"));
    ASSERT_NE(appState.languageModule, nullptr);
    EXPECT_EQ(runDialog(100, reportFontHeight, 0, false), 0);  // no font of its own
    EXPECT_EQ(runDialog(2200, reportFontHeight, 0, false), 0);  // absent
    EXPECT_EQ(runDialog(101, reportFontHeight, 0, true), pixelsForPoints(11));

    DialogTemplateCopy copy;
    ASSERT_TRUE(loadDialogTemplate(101, &copy));
    EXPECT_EQ(copy.bytes[copy.pointSizeOffset], 8);
    freeDialogTemplate(&copy);
    EXPECT_EQ(copy.bytes, nullptr);
    EXPECT_FALSE(loadDialogTemplate(100, &copy));
    EXPECT_EQ(copy.bytes, nullptr);

    releaseLanguageModule();
    EXPECT_EQ(runDialog(101, reportFontHeight, 0, false), 0);
}
