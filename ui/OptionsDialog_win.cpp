// The options dialog (template 2300): the language module, the interface font (face, height, weight)
// and the dialog font size. OK applies a changed language or font at once (menus, bars); the dialog
// font size takes effect at the next dialog that opens.
#include "ui/OptionDialogs.h"

#include "common/TextBuffer.h"
#include "common/WinHeaders.h"

#include "settings/LanguageModule.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/Menus.h"
#include "shell/Toolbars.h"
#include "ui/ControlFactory.h"
#include "ui/DialogRunner.h"
#include "ui/OwnerDraw.h"

namespace {

constexpr COLORREF kHeadingText = RGB(72, 104, 200);
constexpr int kHeadings[] = {IDC_OPTIONS_LANGUAGE_HEADING, IDC_OPTIONS_FONT_HEADING, IDC_OPTIONS_DIALOG_HEADING};
constexpr int kFaceUnits = 64;  // a face name has at most 31 units

bool sameName(const TextBuffer& a, const TextBuffer& b) {
    return a.length == b.length && compareNoCaseAscii(textChars(&a), textChars(&b)) == 0;
}

bool itemIs(HWND combo, LRESULT index, const wchar_t* face) {
    if (SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(index), 0) >= kFaceUnits) return false;
    wchar_t text[kFaceUnits] = {};
    SendMessageW(combo, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text));
    return compareNoCaseAscii(asText(text), asText(face)) == 0;
}

// Position of the whole name `face` (A to Z without regard to case), -1 when absent. CB_FINDSTRINGEXACT
// folds more than A to Z, so each of its hits is checked again; its search wraps round to the first hit.
LRESULT findFace(HWND combo, const wchar_t* face) {
    LRESULT first = SendMessageW(combo, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(face));
    for (LRESULT at = first; at != CB_ERR;) {
        if (itemIs(combo, at, face)) return at;
        at = SendMessageW(combo, CB_FINDSTRINGEXACT, WPARAM(at), reinterpret_cast<LPARAM>(face));
        if (at == first) break;
    }
    return -1;
}

// Families come once per character set; vertical ("@") variants are not faces a user picks.
int CALLBACK addFontFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM combo) {
    HWND list = reinterpret_cast<HWND>(combo);
    const wchar_t* face = font->lfFaceName;
    if (!(type & (TRUETYPE_FONTTYPE | DEVICE_FONTTYPE)) || face[0] == L'@' || face[0] == 0) return 1;
    if (findFace(list, face) < 0) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face));
    return 1;
}

void fillFontFaces(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_OPTIONS_FONT_FACE);
    LOGFONTW all = {};
    all.lfCharSet = DEFAULT_CHARSET;
    HDC dc = GetDC(dialog);
    EnumFontFamiliesExW(dc, &all, addFontFamily, reinterpret_cast<LPARAM>(combo), 0);
    ReleaseDC(dialog, dc);
    LRESULT current = findFace(combo, asWide(textChars(&gSettings.fontFace)));
    SendMessageW(combo, CB_SETCURSEL, WPARAM(current), 0);
}

bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// The selected entry's text, empty without a selection.
void selectedText(HWND dialog, int id, TextBuffer* text) {
    textClear(text);
    LRESULT index = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return;
    LRESULT length = SendDlgItemMessageW(dialog, id, CB_GETLBTEXTLEN, WPARAM(index), 0);
    if (length <= 0 || !textSetLength(text, size_t(length))) return;
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text->data));
}

void setRadios(HWND dialog) {
    int height = gSettings.fontHeight == -14 ? IDC_OPTIONS_HEIGHT_14
                 : gSettings.fontHeight == -12 ? IDC_OPTIONS_HEIGHT_12
                                               : IDC_OPTIONS_HEIGHT_16;
    CheckRadioButton(dialog, IDC_OPTIONS_HEIGHT_12, IDC_OPTIONS_HEIGHT_16, height);
    CheckRadioButton(dialog, IDC_OPTIONS_WEIGHT_NORMAL, IDC_OPTIONS_WEIGHT_BOLD,
                     gSettings.fontWeight == 400 ? IDC_OPTIONS_WEIGHT_NORMAL : IDC_OPTIONS_WEIGHT_BOLD);
    CheckRadioButton(dialog, IDC_OPTIONS_DIALOG_NORMAL, IDC_OPTIONS_DIALOG_LARGE,
                     gSettings.largeDialogFont ? IDC_OPTIONS_DIALOG_LARGE : IDC_OPTIONS_DIALOG_NORMAL);
}

BOOL onOptionsInit(HWND dialog) {
    for (int heading : kHeadings) attachHeadingRule(GetDlgItem(dialog, heading));
    HWND languages = GetDlgItem(dialog, IDC_OPTIONS_LANGUAGE);
    int current = listLanguageModules(languages, textChars(&gSettings.languageName));
    SendMessageW(languages, CB_SETCURSEL, WPARAM(current), 0);
    fitDialogComboHeight(dialog, IDC_OPTIONS_LANGUAGE);
    fillFontFaces(dialog);
    fitDialogComboHeight(dialog, IDC_OPTIONS_FONT_FACE);
    setRadios(dialog);
    return TRUE;
}

// An empty choice counts as a change without a new name: the menus and bars are made again as they are.
void applyOptions(HWND dialog) {
    TextBuffer language, face;
    selectedText(dialog, IDC_OPTIONS_LANGUAGE, &language);
    selectedText(dialog, IDC_OPTIONS_FONT_FACE, &face);
    bool newLanguage = language.length != 0 && !sameName(language, gSettings.languageName);
    bool newFace = face.length != 0 && !sameName(face, gSettings.fontFace);
    int height = isChecked(dialog, IDC_OPTIONS_HEIGHT_12) ? -12 : isChecked(dialog, IDC_OPTIONS_HEIGHT_14) ? -14 : -16;
    int weight = isChecked(dialog, IDC_OPTIONS_WEIGHT_NORMAL) ? 400 : 700;
    bool changed = newLanguage || newFace || language.length == 0 || face.length == 0 ||
                   height != gSettings.fontHeight || weight != gSettings.fontWeight;
    if (changed) {
        if (newLanguage) switchLanguageModule(textChars(&language), &gSettings.languageName);
        if (newFace) textAssignText(&gSettings.fontFace, &face);
        gSettings.fontHeight = height;
        gSettings.fontWeight = weight;
        rebuildMenusFromAccelerators();
        relayoutBars();
        // Texts the view draws itself use the interface font and the language too.
        if (appState.view) InvalidateRect(appState.view, nullptr, FALSE);
    }
    gSettings.largeDialogFont = isChecked(dialog, IDC_OPTIONS_DIALOG_LARGE);
}

void closeOptionsDialog(HWND dialog, bool apply) {
    if (apply) applyOptions(dialog);
    for (int heading : kHeadings) detachHeadingRule(GetDlgItem(dialog, heading));
    EndDialog(dialog, apply ? IDOK : IDCANCEL);
}

INT_PTR headingColour(HWND control, HDC dc) {
    int id = GetDlgCtrlID(control);
    if (id != IDC_OPTIONS_LANGUAGE_HEADING && id != IDC_OPTIONS_FONT_HEADING && id != IDC_OPTIONS_DIALOG_HEADING)
        return FALSE;
    SetTextColor(dc, kHeadingText);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

INT_PTR CALLBACK optionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return onOptionsInit(dialog);
    case WM_CTLCOLORSTATIC: return headingColour(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
    case WM_DRAWITEM: drawComboItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            closeOptionsDialog(dialog, LOWORD(wParam) == IDOK);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

void showOptionsDialog() {
    runDialog(IDD_OPTIONS, optionsDialogProc, 0, gSettings.largeDialogFont);
}
