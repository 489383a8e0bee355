// The crop panel in the crop toolbar: the four edge fields with their up-downs and the ratio box. Every
// change of an edge, typed, stepped or dragged (the mouse editing writes the field), reaches the rectangle
// through the field's update handler here.
#include "view/CropMode.h"

#include <commctrl.h>
#include <imm.h>

#include "settings/LanguageModule.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/Toolbars.h"
#include "ui/ControlFactory.h"
#include "ui/OwnerDraw.h"
#include "view/CropEditor.h"
#include "view/ImageView.h"

namespace {

constexpr UINT_PTR kPanelSubclass = 0x7050;
constexpr int kFieldChars = 5;
constexpr int kFieldLimit = 5;
constexpr int kFieldMaximum = 99999;

const int kFieldIds[kFieldCount] = {IDC_CROP_FIELD_LEFT, IDC_CROP_FIELD_TOP, IDC_CROP_FIELD_RIGHT,
                                    IDC_CROP_FIELD_BOTTOM};
const int kUpDownIds[kFieldCount] = {IDC_CROP_LEFT_SPIN, IDC_CROP_TOP_SPIN, IDC_CROP_RIGHT_SPIN,
                                     IDC_CROP_BOTTOM_SPIN};
const uint32_t kLabelIds[kFieldCount] = {TXT_CROP_LEFT, TXT_CROP_TOP, TXT_CROP_RIGHT, TXT_CROP_BOTTOM};

struct PanelState {
    bool listOpen = false;
    bool keysBeforeList = false;
    bool appliedAtClose = false;  // a selection change that follows the close-up repeats the choice
};
PanelState panel;

CropEditor* editor() { return appState.cropEditor; }
ViewGeometry& geometry() { return appState.viewState.geometry; }
HWND control(int id) { return appState.cropToolbar ? GetDlgItem(appState.cropToolbar, id) : nullptr; }
HWND ratioBox() { return control(IDC_CROP_PRESET); }

int32_t clampTo(int32_t v, int32_t low, int32_t high) { return v < low ? low : (v > high ? high : v); }

bool selectedLocked() { return presetLocked(editor()->ratioPresets[editor()->selectedPreset]); }
bool rectangleExists() { return appState.cropState >= 3; }

// The lock follows the crop state, whoever had the focus: on until a rectangle is committed and during
// a drag, off at rest.
void restoreInputLock() { appState.inputLock = appState.cropMode && appState.cropState != 3; }

void closeInputMethod() {
    HIMC context = ImmGetContext(appState.frame);
    if (!context) return;
    if (ImmGetOpenStatus(context)) ImmSetOpenStatus(context, FALSE);
    ImmReleaseContext(appState.frame, context);
}

void writeFieldQuietly(CropField field, int32_t value) {
    bool guard = appState.inputGuard;
    appState.inputGuard = false;
    writeCropField(field, value);
    appState.inputGuard = guard;
}

int32_t modelValue(CropField field) {
    const CropRect& r = editor()->rect;
    switch (field) {
    case kFieldLeft: return r.left;
    case kFieldTop: return r.top;
    case kFieldRight: return r.right;
    default: return r.bottom;
    }
}

void setRange(CropField field, int32_t low, int32_t high) {
    if (HWND spin = control(kUpDownIds[field])) SendMessageW(spin, UDM_SETRANGE32, WPARAM(low), LPARAM(high));
}

CropField fieldOf(int id) {
    for (int i = 0; i < kFieldCount; i++)
        if (kFieldIds[i] == id) return CropField(i);
    return kFieldCount;
}

// A typed left or top: before the first commit it is clamped against the picture (in state 1 it moves
// the band's anchor); afterwards against the far edge.
void onNearEdgeUpdate(CropField field, int32_t value) {
    CropEditor* e = editor();
    CropRect& r = e->rect;
    const bool horizontal = field == kFieldLeft;
    const int32_t cell = horizontal ? e->blockWidth : e->blockHeight;
    const int32_t limit = rectangleExists() ? (horizontal ? r.right : r.bottom)
                                            : (horizontal ? e->imageWidth : e->imageHeight) - 1;
    const int32_t edge = floorToGrid(clampTo(value, 0, limit), cell);
    int32_t& nearEdge = horizontal ? r.left : r.top;
    int32_t& farEdge = horizontal ? r.right : r.bottom;
    if (edge == nearEdge) return;
    ScreenRect old = geometry().cropScreenRect;
    const bool band = appState.cropState == 1;
    if (band) toggleLiveFigure();
    nearEdge = edge;
    if (!rectangleExists() && farEdge < nearEdge) farEdge = nearEdge;  // no negative size in the readout
    if (band) {
        if (horizontal) e->anchorViewX = imageToViewX(&geometry(), edge, 0);
        else e->anchorViewY = imageToViewY(&geometry(), edge, 0);
        toggleLiveFigure();
    }
    showCropChange(old);
}

// A far edge: free, or set directly during a corner or move drag, which writes both far edges itself;
// otherwise the locked ratio pulls the partner edge along, only for the user's own writes.
void onFarEdgeUpdate(CropField field, int32_t value) {
    CropEditor* e = editor();
    CropRect& r = e->rect;
    const bool horizontal = field == kFieldRight;
    const int32_t first = horizontal ? r.left : r.top;
    const int32_t last = (horizontal ? e->imageWidth : e->imageHeight) - 1;
    const int32_t edge = clampTo(value, first, last);
    int32_t& farEdge = horizontal ? r.right : r.bottom;
    if (edge == farEdge) return;
    ScreenRect old = geometry().cropScreenRect;
    const bool direct = !selectedLocked() || (appState.dragMode != 0 && e->hitZone > 4);
    if (direct) {
        farEdge = edge;
        showCropChange(old);
        return;
    }
    if (!appState.inputGuard) return;
    // A refused follow would put the partner past the picture: nothing changes. A value the user is
    // typing stays until the field loses the focus; one written by a drag or an up-down goes at once, or
    // the field would show an edge the rectangle does not have.
    if (!(horizontal ? followRatioFromRight(e, edge) : followRatioFromBottom(e, edge))) {
        if (GetFocus() != control(kFieldIds[field])) writeFieldQuietly(field, farEdge);
        return;
    }
    writeFieldQuietly(horizontal ? kFieldBottom : kFieldRight, horizontal ? r.bottom : r.right);
    showCropChange(old);
}

void onFieldUpdate(CropField field) {
    if (!editor()) return;
    BOOL converted = FALSE;
    int32_t value = int32_t(GetDlgItemInt(appState.cropToolbar, kFieldIds[field], &converted, TRUE));
    if (!converted) value = 0;
    if (field == kFieldLeft || field == kFieldTop) onNearEdgeUpdate(field, value);
    else onFarEdgeUpdate(field, value);
}

void onFieldFocusLost(CropField field) {
    restoreInputLock();
    if (!editor()) return;
    writeFieldQuietly(field, modelValue(field));  // what was clamped or refused disappears
    const CropEditor* e = editor();
    const CropRect& r = e->rect;
    switch (field) {
    case kFieldLeft: setRange(kFieldRight, r.left, e->imageWidth - 1); break;
    case kFieldRight: setRange(kFieldLeft, 0, r.right); break;
    case kFieldTop: setRange(kFieldBottom, r.top, e->imageHeight - 1); break;
    default: setRange(kFieldTop, 0, r.bottom); break;
    }
}

void applyRatioChoice(int index) {
    if (!editor()) return;
    if (index < 0 || index >= kRatioPresetCount) {
        if (appState.frame) SetFocus(appState.frame);
        bool shown = runPresetsEditor();
        if (!editor()) return;  // crop mode ended while the editor was up
        SendMessageW(ratioBox(), CB_SETCURSEL, WPARAM(editor()->selectedPreset), 0);
        if (!shown) return;
        index = editor()->selectedPreset;
    }
    CropEditor* e = editor();
    selectRatioPreset(e, index);
    switch (appState.cropState) {
    case 0: return;
    case 1: updateBandForStoredCorner(); return;
    }
    if (!selectedLocked()) return;
    refitToPreset(e);
    writeFieldQuietly(kFieldRight, e->rect.right);
    writeFieldQuietly(kFieldBottom, e->rect.bottom);
    refreshCropScreenRect();  // the writes found the model already refitted
    showSizeReadout(cropWidth(e->rect), cropHeight(e->rect));
    showShadedDisplay();
}

void onRatioBoxCommand(int notification) {
    HWND box = ratioBox();
    switch (notification) {
    case CBN_SETFOCUS:
        appState.inputLock = true;
        closeInputMethod();
        break;
    case CBN_KILLFOCUS: restoreInputLock(); break;
    case CBN_DROPDOWN:
        // Enter and Esc belong to the list while it is open.
        panel.listOpen = true;
        panel.keysBeforeList = appState.cropKeysEnabled;
        appState.cropKeysEnabled = false;
        panel.appliedAtClose = false;
        toggleLiveFigure();
        break;
    case CBN_CLOSEUP: {
        panel.listOpen = false;
        toggleLiveFigure();
        appState.cropKeysEnabled = panel.keysBeforeList;
        int index = int(SendMessageW(box, CB_GETCURSEL, 0, 0));
        if (editor() && index != editor()->selectedPreset && index >= 0) {
            panel.appliedAtClose = true;
            applyRatioChoice(index);
        }
        break;
    }
    case CBN_SELENDCANCEL:
        // Arrowing through the open list chose nothing.
        if (editor()) SendMessageW(box, CB_SETCURSEL, WPARAM(editor()->selectedPreset), 0);
        break;
    case CBN_SELCHANGE: {
        if (panel.listOpen) break;  // applied when the list closes with this selection
        int index = int(SendMessageW(box, CB_GETCURSEL, 0, 0));
        if (panel.appliedAtClose && editor() && index == editor()->selectedPreset) {
            panel.appliedAtClose = false;
            break;
        }
        panel.appliedAtClose = false;
        applyRatioChoice(index);
        break;
    }
    }
}

// The panel's controls are children of the crop toolbar, which would keep their notifications and owner
// drawing to itself: pass them on.
LRESULT CALLBACK panelSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    switch (message) {
    case WM_COMMAND: {
        int control = LOWORD(wParam);
        if (fieldOf(control) != kFieldCount || control == IDC_CROP_PRESET) {
            onCropPanelCommand(control, HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        }
        break;
    }
    case WM_DRAWITEM:
        if (wParam == IDC_CROP_PRESET) {
            drawComboItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_MEASUREITEM:
        if (wParam == IDC_CROP_PRESET) {
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = UINT(appState.metrics.textHeight + scaled(2));
            return TRUE;
        }
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(window, panelSubclassProc, id); break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

int textWidthOf(uint32_t id) {
    TextBuffer text;
    loadText(id, &text);
    HDC dc = GetDC(appState.frame);
    HGDIOBJ old = SelectObject(dc, appState.uiFont);
    SIZE size = {};
    GetTextExtentPoint32W(dc, asWide(textChars(&text)), int(text.length), &size);
    SelectObject(dc, old);
    ReleaseDC(appState.frame, dc);
    return size.cx;
}

int colonWidth() {
    HDC dc = GetDC(appState.frame);
    HGDIOBJ old = SelectObject(dc, appState.uiFont);
    SIZE size = {};
    GetTextExtentPoint32W(dc, L":", 1, &size);
    SelectObject(dc, old);
    ReleaseDC(appState.frame, dc);
    return size.cx;
}

int ratioBoxWidth() { return 10 * appState.metrics.digitWidth + colonWidth() + appState.metrics.editExtra; }

int buttonsWidth() {
    SIZE size = {};
    RECT last = {};
    int count = int(SendMessageW(appState.cropToolbar, TB_BUTTONCOUNT, 0, 0));
    if (count > 0 && SendMessageW(appState.cropToolbar, TB_GETITEMRECT, WPARAM(count - 1), LPARAM(&last)))
        return last.right;
    SendMessageW(appState.cropToolbar, TB_GETMAXSIZE, 0, LPARAM(&size));
    return size.cx;
}

// Lays the controls out from the buttons' end; creates them the first time. Returns the total width.
int layoutPanel(bool create) {
    HWND bar = appState.cropToolbar;
    int x = buttonsWidth() + scaled(4);
    const int fieldWidth = numberFieldWidth(kFieldChars);
    for (int i = 0; i < kFieldCount; i++) {
        int labelWidth = textWidthOf(kLabelIds[i]) + scaled(2);
        if (create) {
            if (!createTextLabel(bar, kLabelIds[i], x, labelWidth, LabelWidth::Given)) return 0;
        } else {
            TextBuffer text;
            loadText(kLabelIds[i], &text);
            placeControl(bar, int(kLabelIds[i]), x, labelWidth, textChars(&text));
        }
        x += labelWidth + scaled(1);
        if (create) {
            if (!createNumberField(bar, kFieldIds[i], kUpDownIds[i], x, kFieldChars, kFieldLimit, kFieldMaximum, 0, 0))
                return 0;
        } else {
            HWND edit = control(kFieldIds[i]);
            MoveWindow(edit, x, scaled(2), fieldWidth, appState.metrics.lineHeight, TRUE);
            SendMessageW(edit, WM_SETFONT, WPARAM(appState.uiFont), TRUE);
            attachUpDown(control(kUpDownIds[i]), edit);
        }
        x += fieldWidth + scaled(i + 1 < kFieldCount ? 8 : 12);
    }
    int labelWidth = textWidthOf(TXT_RATIO_LABEL) + scaled(2);
    if (create) {
        if (!createTextLabel(bar, TXT_RATIO_LABEL, x, labelWidth, LabelWidth::Given)) return 0;
    } else {
        TextBuffer text;
        loadText(TXT_RATIO_LABEL, &text);
        placeControl(bar, TXT_RATIO_LABEL, x, labelWidth, textChars(&text));
    }
    x += labelWidth + scaled(1);
    if (create) {
        if (!createChoiceCombo(bar, x, ratioBoxWidth())) return 0;
    } else {
        HWND box = ratioBox();
        MoveWindow(box, x, scaled(1), ratioBoxWidth(), scaled(400), TRUE);
        SendMessageW(box, WM_SETFONT, WPARAM(appState.uiFont), TRUE);
        int height = appState.metrics.textHeight + scaled(2);
        SendMessageW(box, CB_SETITEMHEIGHT, WPARAM(-1), height);
        SendMessageW(box, CB_SETITEMHEIGHT, 0, height);
    }
    return x + ratioBoxWidth();
}

void setAcceleration() {
    for (int i = 0; i < kFieldCount; i++) {
        UpDownStep steps[kMaxUpDownSteps];
        int count = cropUpDownSteps(CropField(i), editor()->blockWidth, editor()->blockHeight, steps);
        UDACCEL accel[kMaxUpDownSteps];
        for (int s = 0; s < count; s++) accel[s] = {UINT(steps[s].afterSeconds), UINT(steps[s].step)};
        SendMessageW(control(kUpDownIds[i]), UDM_SETACCEL, WPARAM(count), LPARAM(accel));
    }
}

}  // namespace

bool buildCropPanel() {
    panel = PanelState();
    if (!createCropToolbar() || !editor()) return false;
    SetWindowSubclass(appState.cropToolbar, panelSubclassProc, kPanelSubclass, 0);
    setAcceptButtonEnabled(false);
    int width = layoutPanel(true);
    if (width == 0) return false;
    setAcceleration();
    fillRatioBox();
    placeCropToolbar(width);
    return true;
}

void relayoutCropPanel() {
    if (!appState.cropToolbar || !editor()) return;
    int width = layoutPanel(false);
    fillRatioBox();
    placeCropToolbar(width);
    // The mode's name in the title follows a change of language.
    if (appState.cropState >= 3) {
        showSizeReadout(cropWidth(editor()->rect), cropHeight(editor()->rect));
    } else {
        TextBuffer title;
        loadText(CMD_CROP, &title);
        SetWindowTextW(appState.frame, asWide(textChars(&title)));
    }
}

void fillRatioBox() {
    HWND box = ratioBox();
    if (!box || !editor()) return;
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    SendMessageW(box, CB_ADDSTRING, 0, LPARAM(L"-"));
    for (int i = 1; i < kRatioPresetCount; i++) {
        const RatioPreset& preset = editor()->ratioPresets[i];
        TextBuffer item;
        if (presetLocked(preset)) {
            textAppendNumber(&item, preset.width);
            textAppendAscii(&item, ":");
            textAppendNumber(&item, preset.height);
        } else {
            textAppendAscii(&item, "-");
        }
        SendMessageW(box, CB_ADDSTRING, 0, LPARAM(asWide(textChars(&item))));
    }
    // The editor's item carries its text id, so that it follows a change of language.
    TextBuffer editItem;
    loadText(TXT_RATIO_EDIT_ITEM, &editItem);
    LRESULT last = SendMessageW(box, CB_ADDSTRING, 0, LPARAM(asWide(textChars(&editItem))));
    SendMessageW(box, CB_SETITEMDATA, WPARAM(last), LPARAM(TXT_RATIO_EDIT_ITEM));
    SendMessageW(box, CB_SETCURSEL, WPARAM(editor()->selectedPreset), 0);
}

void onCropPanelCommand(int id, int notification, HWND) {
    if (!appState.cropMode || !editor()) return;
    if (id == IDC_CROP_PRESET) {
        onRatioBoxCommand(notification);
        return;
    }
    CropField field = fieldOf(id);
    if (field == kFieldCount) return;
    switch (notification) {
    case EN_SETFOCUS:
        appState.inputLock = true;
        closeInputMethod();
        break;
    case EN_KILLFOCUS: onFieldFocusLost(field); break;
    case EN_UPDATE: onFieldUpdate(field); break;
    }
}

void writeCropField(CropField field, int32_t value) {
    if (!appState.cropToolbar) return;
    SetDlgItemInt(appState.cropToolbar, kFieldIds[field], UINT(value), TRUE);
}

void writeCropFieldsAfterCommit() {
    if (!editor()) return;
    setCropFieldRanges();
    bool guard = appState.inputGuard;
    appState.inputGuard = false;
    for (int i = 0; i < kFieldCount; i++) {
        int32_t value = modelValue(CropField(i));
        if (HWND spin = control(kUpDownIds[i])) SendMessageW(spin, UDM_SETPOS32, 0, LPARAM(value));
        writeCropField(CropField(i), value);
    }
    appState.inputGuard = guard;
}

void showRectangleInFields() {
    if (!editor()) return;
    for (int i = 0; i < kFieldCount; i++) {
        BOOL converted = FALSE;
        int32_t shown = int32_t(GetDlgItemInt(appState.cropToolbar, kFieldIds[i], &converted, TRUE));
        int32_t value = modelValue(CropField(i));
        if (!converted || shown != value) writeFieldQuietly(CropField(i), value);
    }
}

void setCropFieldRanges() {
    const CropEditor* e = editor();
    if (!e) return;
    const CropRect& r = e->rect;
    setRange(kFieldLeft, 0, r.right);
    setRange(kFieldTop, 0, r.bottom);
    setRange(kFieldRight, r.left, e->imageWidth - 1);
    setRange(kFieldBottom, r.top, e->imageHeight - 1);
}

void showSizeReadout(int32_t width, int32_t height) {
    TextBuffer name, title;
    loadText(CMD_CROP, &name);
    formatSizeReadout(textChars(&name), width, height, &title);
    SetWindowTextW(appState.frame, asWide(textChars(&title)));
}

void setAcceptButtonEnabled(bool enabled) {
    if (!appState.cropToolbar) return;
    SendMessageW(appState.cropToolbar, TB_SETSTATE, CMD_CROP_ACCEPT,
                 MAKELPARAM(enabled ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE, 0));
}
