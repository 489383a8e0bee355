#include "ui/ControlFactory.h"

#include "settings/TextIds.h"
#include "ui/DialogRunner.h"
#include "ui/UiWindowFixture.h"

namespace {

std::wstring windowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

using ControlFactory = UiWindow;

// An up-down aligned to the right of its buddy covers the buddy's 2-pixel border.
constexpr int kUpDownOverlap = 2;

// Wine reports the selection field 2 pixels higher than it was set (its border); Windows reports the value set.
void expectFieldHeight(HWND combo, int height) {
    LRESULT field = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    EXPECT_TRUE(field == height || field == height + 2) << field << " for " << height;
}

}  // namespace

TEST_F(ControlFactory, TextLabelsAreMeasuredOrGiven) {
    HWND measured = createTextLabel(window, 5100, 10, 999, LabelWidth::FromText);
    ASSERT_NE(measured, nullptr);
    EXPECT_EQ(GetDlgCtrlID(measured), 5100);
    EXPECT_EQ(windowText(measured), L"Test open");
    RECT r = childRect(measured);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right - r.left, uiTextWidth(L"Test open") + 2);
    EXPECT_EQ(r.bottom - r.top, appState.metrics.lineHeight);
    LONG style = GetWindowLongW(measured, GWL_STYLE);
    EXPECT_EQ(style & SS_CENTERIMAGE, SS_CENTERIMAGE);
    EXPECT_EQ(style & SS_ENDELLIPSIS, SS_ENDELLIPSIS);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(measured, WM_GETFONT, 0, 0)), appState.uiFont);

    HWND given = createTextLabel(window, 4242, 50, 77, LabelWidth::Given);  // no such text: empty label
    ASSERT_NE(given, nullptr);
    EXPECT_EQ(windowText(given), L"");
    EXPECT_EQ(childRect(given).right - childRect(given).left, 77);
}

TEST_F(ControlFactory, NumberFieldsCountCharactersAndGuardTheirInput) {
    HWND digitsOnly = createNumberField(window, IDC_CROP_FIELD_LEFT, IDC_CROP_LEFT_SPIN, 20, 4, 5, 99999, 0, 12);
    ASSERT_NE(digitsOnly, nullptr);
    RECT r = childRect(digitsOnly);
    // The up-down sits on the edit's right edge, so the pair spans the field width.
    HWND spin = GetDlgItem(window, IDC_CROP_LEFT_SPIN);
    ASSERT_NE(spin, nullptr);
    RECT s = childRect(spin);
    EXPECT_NEAR(s.right - r.left, 4 * appState.metrics.digitWidth + appState.metrics.editExtra, kUpDownOverlap);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0)), digitsOnly);
    int low = 0, high = 0;
    SendMessageW(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 99999);
    EXPECT_EQ(windowText(digitsOnly), L"12");
    EXPECT_EQ(SendMessageW(digitsOnly, EM_GETLIMITTEXT, 0, 0), 5);
    EXPECT_EQ(GetWindowLongW(digitsOnly, GWL_STYLE) & ES_NUMBER, ES_NUMBER);
    EXPECT_EQ(GetWindowLongW(digitsOnly, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);

    HWND signedField = createNumberField(window, IDC_CROP_FIELD_TOP, IDC_CROP_TOP_SPIN, 120, 60, 6, 50, -50, -3);
    ASSERT_NE(signedField, nullptr);
    EXPECT_EQ(GetWindowLongW(signedField, GWL_STYLE) & ES_NUMBER, 0);
    EXPECT_EQ(windowText(signedField), L"-3");
    s = childRect(GetDlgItem(window, IDC_CROP_TOP_SPIN));
    EXPECT_NEAR(s.right - childRect(signedField).left, 60, kUpDownOverlap);  // wider than 9: pixels

    // Typed characters: the digits-only field refuses the minus sign, the signed one takes it.
    for (HWND edit : {digitsOnly, signedField}) {
        SetWindowTextW(edit, L"");
        SendMessageW(edit, WM_CHAR, L'-', 0);
        SendMessageW(edit, WM_CHAR, L'7', 0);
    }
    EXPECT_EQ(windowText(digitsOnly), L"7");
    EXPECT_EQ(windowText(signedField), L"-7");
}

TEST_F(ControlFactory, PlacingMovesAndReattaches) {
    HWND edit = createNumberField(window, IDC_ZOOM_EDIT, IDC_ZOOM_UPDOWN, 10, 4, 4, 1600, 1, 100);
    ASSERT_NE(edit, nullptr);
    placeNumberField(window, 200, 5);
    RECT r = childRect(edit);
    EXPECT_EQ(r.left, 200);
    HWND spin = GetDlgItem(window, IDC_ZOOM_UPDOWN);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0)), edit);
    EXPECT_NEAR(childRect(spin).right - 200, 5 * appState.metrics.digitWidth + appState.metrics.editExtra,
                kUpDownOverlap);

    HWND label = createTextLabel(window, 5100, 0, 10, LabelWidth::Given);
    placeControl(window, 5100, 300, 44, u"Zoom");
    r = childRect(label);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right - r.left, 44);
    EXPECT_EQ(r.bottom - r.top, appState.metrics.lineHeight);
    EXPECT_EQ(windowText(label), L"Zoom");
    placeControl(window, 5100, 310, 44, nullptr);
    EXPECT_EQ(windowText(label), L"Zoom");
}

TEST_F(ControlFactory, ChoiceComboAndFileListBox) {
    HWND combo = createChoiceCombo(window, 40, 120);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(GetDlgCtrlID(combo), IDC_CROP_PRESET);
    RECT placed = childRect(combo);
    EXPECT_EQ(placed.left, 40);
    EXPECT_EQ(placed.top, 1);
    EXPECT_EQ(placed.right - placed.left, 120);
    EXPECT_TRUE(SendMessageW(combo, CB_GETEXTENDEDUI, 0, 0));
    expectFieldHeight(combo, appState.metrics.textHeight + 2);
    EXPECT_EQ(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0), appState.metrics.textHeight + 2);
    LONG style = GetWindowLongW(combo, GWL_STYLE);
    EXPECT_EQ(style & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(style & (CBS_OWNERDRAWFIXED | CBS_HASSTRINGS), CBS_OWNERDRAWFIXED | CBS_HASSTRINGS);

    HWND list = createFileListBox(window, 180, 360);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(GetDlgCtrlID(list), IDC_FILE_LIST_BOX);
    EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), appState.metrics.textHeight + 2);
    style = GetWindowLongW(list, GWL_STYLE);
    EXPECT_EQ(style & (LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT),
              LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT);
    EXPECT_EQ(GetWindowLongW(list, GWL_EXSTYLE) & WS_EX_STATICEDGE, WS_EX_STATICEDGE);
}

TEST_F(ControlFactory, DialogComboHeightFollowsDialogUnits) {
    releaseLanguageModule();
    std::u16string english = zPath(std::string(TW_PROGRAM_DIR) + "/English.dll");
    appState.languageModule = LoadLibraryExW(asWide(english.c_str()), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    for (uint16_t points : {9, 11}) {
        DialogTemplateCopy copy;
        ASSERT_TRUE(loadDialogTemplate(IDD_OPTIONS, &copy));
        memcpy(copy.bytes + copy.pointSizeOffset, &points, sizeof points);
        HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(copy.bytes),
                                                 window, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        freeDialogTemplate(&copy);
        ASSERT_NE(dialog, nullptr);
        fitDialogComboHeight(dialog, IDC_OPTIONS_LANGUAGE);
        RECT units = {0, 0, 0, 12};
        MapDialogRect(dialog, &units);
        HWND combo = GetDlgItem(dialog, IDC_OPTIONS_LANGUAGE);
        expectFieldHeight(combo, units.bottom - 4);
        EXPECT_EQ(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0), units.bottom - 4) << points;
        DestroyWindow(dialog);
    }
}
