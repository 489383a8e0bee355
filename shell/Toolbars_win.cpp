// The rebar with toolbar 1 (file and zoom commands, the zoom group), toolbar 2 (save options and the crop
// button), the crop toolbar of crop mode, their tooltips, custom drawing and subclass procedures.
#include "shell/Toolbars.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <windowsx.h>

#include <cstdlib>
#include <iterator>

#include "settings/LanguageModule.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/Menus.h"
#include "shell/ShellWindows.h"
#include "shell/ZoomGroup.h"
#include "filelist/FileListWindow.h"
#include "settings/TextIds.h"
#include "view/CropMode.h"
#include "view/ImageView.h"
#include "view/ViewGeometry.h"
#include "ui/ControlFactory.h"
#include "ui/OwnerDraw.h"

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr UINT_PTR kToolbar1Subclass = 1;
constexpr UINT_PTR kPlainSubclass = 2;
constexpr DWORD kToolbarStyle = WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE;

// Window-lifetime resources of the bars.
struct BarResources {
    HIMAGELIST toolbar1Images = nullptr;
    HIMAGELIST toolbar1Disabled = nullptr;
    HIMAGELIST toolbar2Images = nullptr;
    HIMAGELIST toolbar2Disabled = nullptr;
    HIMAGELIST cropImages = nullptr;
    HIMAGELIST cropDisabled = nullptr;
    int imageSize = 16;  // side of the images in the lists above
    HBRUSH barBrush = nullptr;
};
BarResources bars;

const TBBUTTON kToolbar1Buttons[] = {
    {0, CMD_OPEN, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {1, CMD_SAVE_AS, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {0, ID_TOOLBAR_SEPARATOR, 0, BTNS_SEP, {}, 0, 0},
    {2, CMD_FILE_LIST, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {0, ID_TOOLBAR_SEPARATOR, 0, BTNS_SEP, {}, 0, 0},
    {5, CMD_SHADING_MENU, TBSTATE_ENABLED, BTNS_WHOLEDROPDOWN, {}, 0, 0},
    {0, ID_TOOLBAR_SEPARATOR, 0, BTNS_SEP, {}, 0, 0},
    {3, CMD_ZOOM_FIT, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {4, CMD_ZOOM_100, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {0, ID_ZOOM_PLACEHOLDER, 0, BTNS_SEP, {}, 0, 0},
};
const TBBUTTON kToolbar2Buttons[] = {
    {0, CMD_SAVE_GRAYSCALE, TBSTATE_ENABLED, BTNS_CHECK, {}, 0, 0},
    {1, CMD_SAVE_PROGRESSIVE, TBSTATE_ENABLED, BTNS_CHECK, {}, 0, 0},
    {0, ID_TOOLBAR_SEPARATOR, 0, BTNS_SEP, {}, 0, 0},
    {2, CMD_MARKERS_NONE, TBSTATE_ENABLED, BTNS_CHECKGROUP, {}, 0, 0},
    {3, CMD_MARKERS_COMMENTS, TBSTATE_ENABLED, BTNS_CHECKGROUP, {}, 0, 0},
    {4, CMD_MARKERS_ALL, TBSTATE_ENABLED, BTNS_CHECKGROUP, {}, 0, 0},
    {0, ID_TOOLBAR_SEPARATOR, 0, BTNS_SEP, {}, 0, 0},
    {I_IMAGENONE, CMD_CROP, TBSTATE_ENABLED, BTNS_CHECK, {}, CMD_CROP, 0},
};
const TBBUTTON kCropButtons[] = {
    {0, CMD_CROP_ACCEPT, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {1, CMD_CROP_CANCEL, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {0, ID_TOOLBAR_SEPARATOR, 0, BTNS_SEP, {}, 0, 0},
    {2, CMD_CROP_MAXIMAL, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
};
const int kToolbar1Tips[] = {CMD_OPEN, CMD_SAVE_AS, CMD_FILE_LIST, CMD_SHADING_MENU, CMD_ZOOM_FIT, CMD_ZOOM_100};
const int kToolbar2Tips[] = {CMD_SAVE_GRAYSCALE, CMD_SAVE_PROGRESSIVE, CMD_MARKERS_NONE, CMD_MARKERS_COMMENTS,
                             CMD_MARKERS_ALL};

// The strips are drawn at these sides, each at the 16-pixel strip's resource id plus 10 per step.
constexpr int kImageSides[] = {16, 20, 24, 32};
constexpr int kStripIdStep = 10;

// The drawn side nearest to 16 pixels at the frame's DPI; the smaller one on a tie.
int imageSideStep() {
    int wanted = scaled(16);
    int best = 0;
    for (int i = 1; i < int(std::size(kImageSides)); ++i)
        if (std::abs(kImageSides[i] - wanted) < std::abs(kImageSides[best] - wanted)) best = i;
    return best;
}

HIMAGELIST loadStrip(int bitmapId) {
    int step = imageSideStep();
    return ImageList_LoadImageW(appState.instance, MAKEINTRESOURCEW(bitmapId + kStripIdStep * step),
                                kImageSides[step], 0, kMagenta, IMAGE_BITMAP, LR_CREATEDIBSECTION);
}

int languageTextWidth(uint32_t id) {
    TextBuffer text;
    loadText(id, &text);
    return uiTextWidth(textChars(&text));
}

HWND createToolbar(int id, const TBBUTTON* buttons, int count, HIMAGELIST images, HIMAGELIST disabled) {
    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, kToolbarStyle, 0, 0, 0, 0, appState.rebar,
                                   reinterpret_cast<HMENU>(INT_PTR(id)), appState.instance, nullptr);
    if (!toolbar) return nullptr;
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(bars.imageSize, bars.imageSize));
    SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    if (disabled) SendMessageW(toolbar, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabled));
    SendMessageW(toolbar, TB_ADDBUTTONSW, WPARAM(count), reinterpret_cast<LPARAM>(buttons));
    SendMessageW(toolbar, TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(appState.tooltip), 0);
    return toolbar;
}

void setButtonWidth(HWND toolbar, int command, int width) {
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_SIZE;
    info.cx = WORD(width);
    SendMessageW(toolbar, TB_SETBUTTONINFOW, WPARAM(command), reinterpret_cast<LPARAM>(&info));
}

int toolbarFullWidth(HWND toolbar) {
    SIZE size = {};
    SendMessageW(toolbar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    return size.cx;
}

// Buttons are the image plus the toolbar's 7-pixel padding wide, and the metrics' button height high.
void applyButtonHeight(HWND toolbar) {
    DWORD size = DWORD(SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0));
    int width = bars.imageSize + scaled(7);
    if (HIWORD(size) != appState.metrics.buttonHeight || LOWORD(size) != width)
        SendMessageW(toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, appState.metrics.buttonHeight));
    SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
}

// Language text of `command`, then " (" modifier key ")" when `row` has a named key.
void tooltipText(int command, int row, bool withModifier, TextBuffer* text) {
    loadText(uint32_t(command), text);
    if (row < 0) return;
    const CommandItem& item = appState.commandItems[row];
    if (!item.key) return;
    textAppendAscii(text, " (");
    if (withModifier && item.modifier) textAppendZ(text, item.modifier);
    textAppendZ(text, item.key);
    textAppendChar(text, u')');
}

void setButtonTooltip(UINT message, HWND toolbar, int command, const TextBuffer& text) {
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = toolbar;
    tool.uId = UINT_PTR(command);
    SendMessageW(toolbar, TB_GETRECT, WPARAM(command), reinterpret_cast<LPARAM>(&tool.rect));
    tool.lpszText = const_cast<wchar_t*>(asWide(textChars(&text)));
    SendMessageW(appState.tooltip, message, 0, reinterpret_cast<LPARAM>(&tool));
}

void setCropTooltips(UINT message) {
    struct CropTip {
        int command;
        int row;
    } tips[] = {{CMD_CROP_ACCEPT, bindingRowOf(CMD_CROP_ACCEPT)},
                {CMD_CROP_CANCEL, bindingRowOf(CMD_CROP_CANCEL)},
                {CMD_CROP_MAXIMAL, -1}};
    for (const CropTip& tip : tips) {
        TextBuffer text;
        tooltipText(tip.command, tip.row, false, &text);
        setButtonTooltip(message, appState.cropToolbar, tip.command, text);
    }
}

LRESULT drawToolbarItem(NMTBCUSTOMDRAW* draw) {
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    HDC dc = draw->nmcd.hdc;
    UINT state = draw->nmcd.uItemState;
    if (state & CDIS_HOT) fillRoundRect(dc, draw->nmcd.rc, scaled(5), kHotFill, kHotPen);
    else if (state & CDIS_CHECKED) fillRoundRect(dc, draw->nmcd.rc, scaled(5), kCheckedFill, kCheckedPen);
    if (draw->nmcd.lItemlParam != 0) {
        TextBuffer text;
        loadText(uint32_t(draw->nmcd.lItemlParam), &text);
        bool grey = (state & (CDIS_DISABLED | CDIS_INDETERMINATE)) != 0;
        SetTextColor(dc, GetSysColor(grey ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ old = SelectObject(dc, appState.uiFont);
        RECT rect = draw->nmcd.rc;
        DrawTextW(dc, asWide(textChars(&text)), -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_HIDEPREFIX);
        SelectObject(dc, old);
    }
    return TBCDRF_NOBACKGROUND;
}

LRESULT CALLBACK toolbarSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR) {
    switch (message) {
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(bars.barBrush);
    case WM_RBUTTONDOWN: SetFocus(appState.frame); return 0;
    case WM_COMMAND:
        if (id == kToolbar1Subclass && LOWORD(wParam) == IDC_ZOOM_EDIT) {
            onZoomEditCommand(HIWORD(wParam));
            return 0;
        }
        break;
    case WM_CTLCOLOREDIT:
        if (id == kToolbar1Subclass && reinterpret_cast<HWND>(lParam) == appState.zoomEdit)
            return zoomEditColour(reinterpret_cast<HDC>(wParam));
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(window, toolbarSubclassProc, id); break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// The band record for an insertion; an update sets only the child and its sizes (band 2 also its
// text): restating the style makes Wine's rebar drop the fixed header of band 1.
REBARBANDINFOW bandInfo(HWND child, int id, int minWidth, bool insert) {
    REBARBANDINFOW band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE;
    if (insert) band.fMask |= RBBIM_STYLE | RBBIM_ID;
    band.fStyle = RBBS_NOGRIPPER | RBBS_CHILDEDGE;
    band.hwndChild = child;
    band.wID = UINT(id);
    band.cxMinChild = UINT(minWidth);
    band.cyMinChild = UINT(appState.metrics.buttonHeight + 2);
    return band;
}

void setSecondBand(HWND child, int minWidth, bool insert) {
    TextBuffer text;
    loadText(TXT_BAND2, &text);
    REBARBANDINFOW band = bandInfo(child, IDC_BAND2, minWidth, insert);
    band.fMask |= RBBIM_TEXT;
    band.lpText = const_cast<wchar_t*>(asWide(textChars(&text)));
    if (insert) SendMessageW(appState.rebar, RB_INSERTBANDW, WPARAM(-1), reinterpret_cast<LPARAM>(&band));
    else SendMessageW(appState.rebar, RB_SETBANDINFOW, 1, reinterpret_cast<LPARAM>(&band));
}

void setFirstBand(int minWidth, bool insert) {
    REBARBANDINFOW band = bandInfo(appState.toolbar1, IDC_BAND1, minWidth, insert);
    if (insert) {
        band.fMask |= RBBIM_HEADERSIZE;
        band.cxHeader = 3;
        SendMessageW(appState.rebar, RB_INSERTBANDW, WPARAM(-1), reinterpret_cast<LPARAM>(&band));
    } else {
        SendMessageW(appState.rebar, RB_SETBANDINFOW, 0, reinterpret_cast<LPARAM>(&band));
    }
}

int bandMinWidth(int index) {
    REBARBANDINFOW band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILDSIZE;
    SendMessageW(appState.rebar, RB_GETBANDINFOW, WPARAM(index), reinterpret_cast<LPARAM>(&band));
    return int(band.cxMinChild);
}

struct FontSwap {
    HFONT oldFont;
    HFONT newFont;
};

BOOL CALLBACK swapControlFont(HWND control, LPARAM context) {
    const FontSwap* swap = reinterpret_cast<const FontSwap*>(context);
    if (reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)) == swap->oldFont)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(swap->newFont), TRUE);
    return TRUE;
}

// Every control that shows the interface font, wherever it was made (bars, crop panel, file list),
// takes the new one; each is found by the font it holds rather than by name.
void giveNewUiFont(HFONT oldFont) {
    if (!oldFont) return;
    FontSwap swap = {oldFont, appState.uiFont};
    for (HWND top : {appState.frame, appState.fileListWindow})
        if (top) EnumChildWindows(top, swapControlFont, reinterpret_cast<LPARAM>(&swap));
}

void setEnabledState(HWND toolbar, int command, bool enabled) {
    SendMessageW(toolbar, TB_SETSTATE, WPARAM(command),
                 MAKELPARAM(enabled ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE, 0));
}

// Gives `toolbar` the strips `imageId` and `disabledId` at the current side in place of `images` and
// `disabled`, which are destroyed once the toolbar no longer holds them.
void swapStrips(HWND toolbar, int imageId, int disabledId, HIMAGELIST* images, HIMAGELIST* disabled) {
    if (!toolbar) return;
    HIMAGELIST newImages = loadStrip(imageId);
    HIMAGELIST newDisabled = loadStrip(disabledId);
    if (!newImages || !newDisabled) {
        if (newImages) ImageList_Destroy(newImages);
        if (newDisabled) ImageList_Destroy(newDisabled);
        return;
    }
    SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(bars.imageSize, bars.imageSize));
    SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(newImages));
    SendMessageW(toolbar, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(newDisabled));
    for (HIMAGELIST old : {*images, *disabled})
        if (old) ImageList_Destroy(old);
    *images = newImages;
    *disabled = newDisabled;
}

// After a DPI change the images come from the strip nearest the new scale.
void swapStripsForDpi() {
    int side = kImageSides[imageSideStep()];
    if (side == bars.imageSize) return;
    bars.imageSize = side;
    swapStrips(appState.toolbar1, IDB_TOOLBAR1, IDB_TOOLBAR1_DISABLED, &bars.toolbar1Images, &bars.toolbar1Disabled);
    swapStrips(appState.toolbar2, IDB_TOOLBAR2, IDB_TOOLBAR2_DISABLED, &bars.toolbar2Images, &bars.toolbar2Disabled);
    swapStrips(appState.cropToolbar, IDB_CROP_TOOLBAR, IDB_CROP_TOOLBAR_DISABLED, &bars.cropImages,
               &bars.cropDisabled);
}

}  // namespace

bool createTooltipWindow() {
    appState.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, appState.frame, nullptr,
                                       appState.instance, nullptr);
    if (!appState.tooltip) return false;
    SendMessageW(appState.tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, 300);
    SendMessageW(appState.tooltip, TTM_SETTIPBKCOLOR, RGB(255, 255, 255), 0);
    return true;
}

bool createBars() {
    bars.barBrush = CreateSolidBrush(kBarBackground);
    appState.rebar = CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
                                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER |
                                         RBS_VARHEIGHT | RBS_BANDBORDERS | RBS_FIXEDORDER | RBS_DBLCLKTOGGLE |
                                         CCS_NODIVIDER,
                                     0, 0, 0, 0, appState.frame, reinterpret_cast<HMENU>(INT_PTR(IDC_REBAR)),
                                     appState.instance, nullptr);
    if (!appState.rebar) return false;
    // Wine refuses empty theme names (its atom table takes no empty string) and leaves the rebar themed,
    // painting it in the theme's colour instead of ours; a blank name matches no theme class either.
    if (FAILED(SetWindowTheme(appState.rebar, L"", L""))) SetWindowTheme(appState.rebar, L" ", L" ");
    SendMessageW(appState.rebar, RB_SETBKCOLOR, 0, kBarBackground);
    SendMessageW(appState.rebar, WM_SETFONT, reinterpret_cast<WPARAM>(appState.uiFont), FALSE);
    REBARINFO info = {sizeof info, 0, nullptr};
    SendMessageW(appState.rebar, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info));

    bars.imageSize = kImageSides[imageSideStep()];
    bars.toolbar1Images = loadStrip(IDB_TOOLBAR1);
    bars.toolbar1Disabled = loadStrip(IDB_TOOLBAR1_DISABLED);
    appState.toolbar1 = createToolbar(IDC_TOOLBAR1, kToolbar1Buttons, int(std::size(kToolbar1Buttons)),
                                      bars.toolbar1Images, bars.toolbar1Disabled);
    if (!appState.toolbar1) return false;
    SetWindowSubclass(appState.toolbar1, toolbarSubclassProc, kToolbar1Subclass, 0);
    // The zoom group goes after the buttons at their final width, which grows with the images.
    applyButtonHeight(appState.toolbar1);
    if (!createZoomGroup()) return false;
    setButtonWidth(appState.toolbar1, ID_ZOOM_PLACEHOLDER, placeZoomGroup());
    setZoomEditTooltip(TTM_ADDTOOLW);

    bars.toolbar2Images = loadStrip(IDB_TOOLBAR2);
    // Indeterminate buttons draw from the disabled list; without one, comctl32 etches the image's
    // outline, and the grayscale picture's outline is a blank square.
    bars.toolbar2Disabled = loadStrip(IDB_TOOLBAR2_DISABLED);
    appState.toolbar2 = createToolbar(IDC_TOOLBAR2, kToolbar2Buttons, int(std::size(kToolbar2Buttons)),
                                      bars.toolbar2Images, bars.toolbar2Disabled);
    if (!appState.toolbar2) return false;
    SetWindowSubclass(appState.toolbar2, toolbarSubclassProc, kPlainSubclass, 0);
    setButtonWidth(appState.toolbar2, CMD_CROP, languageTextWidth(CMD_CROP) + scaled(10));

    applyButtonHeight(appState.toolbar2);
    setFirstBand(toolbarFullWidth(appState.toolbar1) + 1, true);
    setSecondBand(appState.toolbar2, toolbarFullWidth(appState.toolbar2), true);
    updateTooltips(TTM_ADDTOOLW);
    return true;
}

void destroyBars() {
    if (appState.toolbar1) RemoveWindowSubclass(appState.toolbar1, toolbarSubclassProc, kToolbar1Subclass);
    if (appState.toolbar2) RemoveWindowSubclass(appState.toolbar2, toolbarSubclassProc, kPlainSubclass);
    for (HIMAGELIST* list :
         {&bars.toolbar1Images, &bars.toolbar1Disabled, &bars.toolbar2Images, &bars.toolbar2Disabled}) {
        if (*list) ImageList_Destroy(*list);
        *list = nullptr;
    }
    if (bars.barBrush) DeleteObject(bars.barBrush);
    bars.barBrush = nullptr;
}

void relayoutBars() {
    // The old font is deleted only once no control holds it any more: a control left with a deleted
    // font measures and paints with whatever the handle then is.
    HFONT oldFont = appState.uiFont;
    appState.uiFont = nullptr;
    if (!createUiFont()) {
        appState.uiFont = oldFont;
        return;
    }
    giveNewUiFont(oldFont);
    swapStripsForDpi();
    SendMessageW(appState.rebar, WM_SETFONT, reinterpret_cast<WPARAM>(appState.uiFont), TRUE);
    applyButtonHeight(appState.toolbar1);
    setButtonWidth(appState.toolbar1, ID_ZOOM_PLACEHOLDER, placeZoomGroup());
    setZoomEditTooltip(TTM_SETTOOLINFOW);
    SendMessageW(appState.toolbar1, TB_AUTOSIZE, 0, 0);
    setFirstBand(toolbarFullWidth(appState.toolbar1) + 1, false);
    setButtonWidth(appState.toolbar2, CMD_CROP, languageTextWidth(CMD_CROP) + scaled(10));
    applyButtonHeight(appState.toolbar2);
    if (appState.cropToolbar) {
        // Band 2 shows the crop toolbar meanwhile; it follows the new height and keeps its width.
        applyButtonHeight(appState.cropToolbar);
        setSecondBand(appState.cropToolbar, bandMinWidth(1), false);
        if (appState.cropMode) relayoutCropPanel();
    } else {
        setSecondBand(appState.toolbar2, toolbarFullWidth(appState.toolbar2), false);
    }
    maximizeSecondBandIfOneRow();
    updateTooltips(TTM_SETTOOLINFOW);
    applyFileListFont();
    refreshToolbar1States();
    DeleteObject(oldFont);
}

void updateTooltips(UINT message) {
    for (int command : kToolbar1Tips) {
        TextBuffer text;
        tooltipText(command, bindingRowOf(uint32_t(command)), true, &text);
        setButtonTooltip(message, appState.toolbar1, command, text);
    }
    for (int command : kToolbar2Tips) {
        TextBuffer text;
        loadText(uint32_t(command), &text);
        setButtonTooltip(message, appState.toolbar2, command, text);
    }
    if (appState.cropToolbar) setCropTooltips(message);
}

void refreshToolbar1States() {
    bool image = appState.imageLoaded;
    setEnabledState(appState.toolbar1, CMD_FILE_LIST, fileListExists());
    for (int command : {CMD_SAVE_AS, CMD_ZOOM_FIT, CMD_ZOOM_100}) setEnabledState(appState.toolbar1, command, image);
    for (HWND control : {appState.zoomLabel, appState.zoomEdit, appState.zoomUpDown, appState.zoomUnit})
        EnableWindow(control, image);
}

namespace {

void destroyCropImages() {
    for (HIMAGELIST* list : {&bars.cropImages, &bars.cropDisabled}) {
        if (*list) ImageList_Destroy(*list);
        *list = nullptr;
    }
}

}  // namespace

int createCropToolbar() {
    if (appState.cropToolbar) return toolbarFullWidth(appState.cropToolbar);  // one crop toolbar at a time
    bars.cropImages = loadStrip(IDB_CROP_TOOLBAR);
    bars.cropDisabled = loadStrip(IDB_CROP_TOOLBAR_DISABLED);
    appState.cropToolbar = createToolbar(IDC_CROP_TOOLBAR, kCropButtons, int(std::size(kCropButtons)),
                                         bars.cropImages, bars.cropDisabled);
    if (!appState.cropToolbar) {
        destroyCropImages();
        return 0;
    }
    setCropTooltips(TTM_ADDTOOLW);
    SetWindowSubclass(appState.cropToolbar, toolbarSubclassProc, kPlainSubclass, 0);
    DWORD size = DWORD(SendMessageW(appState.toolbar1, TB_GETBUTTONSIZE, 0, 0));
    SendMessageW(appState.cropToolbar, TB_SETBUTTONSIZE, 0, LPARAM(size));
    SendMessageW(appState.cropToolbar, TB_AUTOSIZE, 0, 0);
    return toolbarFullWidth(appState.cropToolbar);
}

void placeCropToolbar(int minWidth) {
    if (!appState.cropToolbar) return;
    setSecondBand(appState.cropToolbar, minWidth, false);
    ShowWindow(appState.toolbar2, SW_HIDE);
    maximizeSecondBandIfOneRow();
}

void removeCropToolbar() {
    if (!appState.cropToolbar) return;
    setSecondBand(appState.toolbar2, toolbarFullWidth(appState.toolbar2), false);
    ShowWindow(appState.toolbar2, SW_SHOW);
    RemoveWindowSubclass(appState.cropToolbar, toolbarSubclassProc, kPlainSubclass);
    for (int command : {CMD_CROP_ACCEPT, CMD_CROP_CANCEL, CMD_CROP_MAXIMAL}) {
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = appState.cropToolbar;
        tool.uId = UINT_PTR(command);
        SendMessageW(appState.tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // A toolbar destroys the tooltip window it was given along with itself; the window is shared.
    SendMessageW(appState.cropToolbar, TB_SETTOOLTIPS, 0, 0);
    DestroyWindow(appState.cropToolbar);
    appState.cropToolbar = nullptr;
    destroyCropImages();
}

int rebarBottom() {
    if (!appState.rebar) return 0;
    RECT rect;
    GetWindowRect(appState.rebar, &rect);
    POINT corner = {rect.right, rect.bottom};
    ScreenToClient(appState.frame, &corner);
    return corner.y;
}

void maximizeSecondBandIfOneRow() {
    if (SendMessageW(appState.rebar, RB_GETROWCOUNT, 0, 0) == 1) SendMessageW(appState.rebar, RB_MAXIMIZEBAND, 1, 0);
}

bool toolbar2Checked(int command) {
    return (SendMessageW(appState.toolbar2, TB_GETSTATE, WPARAM(command), 0) & TBSTATE_CHECKED) != 0;
}

LRESULT onBarNotify(const NMHDR* header) {
    int id = int(header->idFrom);
    bool fromToolbar = id == IDC_TOOLBAR1 || id == IDC_TOOLBAR2 || id == IDC_CROP_TOOLBAR;
    if (fromToolbar) {
        switch (header->code) {
        case NM_CUSTOMDRAW: return drawToolbarItem(reinterpret_cast<NMTBCUSTOMDRAW*>(const_cast<NMHDR*>(header)));
        case NM_LDOWN:
        case NM_RDOWN: SetFocus(appState.frame); return 0;
        case TBN_DROPDOWN:
            if (reinterpret_cast<const NMTOOLBARW*>(header)->iItem == CMD_SHADING_MENU) showShadingMenu();
            return TBDDRET_DEFAULT;
        }
        return 0;
    }
    if (id == IDC_REBAR && appState.view) {
        switch (header->code) {
        case RBN_BEGINDRAG: return appState.cropMode && appState.cropState != 3 ? 1 : 0;
        case RBN_HEIGHTCHANGE: relayoutFrame(true); return 0;
        }
    }
    return 0;
}
