// The rebar and its toolbars in the real frame: what they paint, how they follow a font change and a
// frame resize, the crop toolbar swapped into band 2 and back, toolbar 1's states and the tooltips.
#include "shell/Toolbars.h"

#include <uxtheme.h>

#include <cmath>
#include <set>

#include "shell/CommandIds.h"
#include "shell/Menus.h"
#include "shell/PictureLoad.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/ShellFrameFixture.h"
#include "ui/OwnerDraw.h"

namespace {

using Bars = ShellFrame;

REBARBANDINFOW bandInfo(int index) {
    static wchar_t text[64];
    text[0] = 0;
    REBARBANDINFOW band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_ID | RBBIM_STYLE | RBBIM_TEXT | RBBIM_HEADERSIZE;
    band.lpText = text;
    band.cch = 64;
    SendMessageW(appState.rebar, RB_GETBANDINFOW, WPARAM(index), reinterpret_cast<LPARAM>(&band));
    return band;
}

int fullWidth(HWND toolbar) {
    SIZE size = {};
    SendMessageW(toolbar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    return size.cx;
}

int buttonHeight(HWND toolbar) { return HIWORD(DWORD(SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0))); }

int uiTextHeight() {
    HDC dc = GetDC(appState.frame);
    HGDIOBJ old = SelectObject(dc, appState.uiFont);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(appState.frame, dc);
    return metrics.tmHeight;
}

// The tooltip tool of `id` in `owner` (a command, or a window handle for TTF_IDISHWND tools).
bool toolOf(HWND owner, UINT_PTR id, std::string* text, RECT* rect) {
    wchar_t buffer[160] = {};
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner;
    tool.uId = id;
    tool.lpszText = buffer;
    if (!SendMessageW(appState.tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) return false;
    if (text) *text = u8(asText(buffer));
    if (rect) *rect = tool.rect;
    return true;
}

std::string tooltipText(HWND owner, UINT_PTR id) {
    std::string text;
    return toolOf(owner, id, &text, nullptr) ? text : "(no tool)";
}

int toolCount() { return int(SendMessageW(appState.tooltip, TTM_GETTOOLCOUNT, 0, 0)); }

BYTE buttonState(HWND toolbar, int command) { return BYTE(SendMessageW(toolbar, TB_GETSTATE, command, 0)); }

RECT placeholderRect() {
    RECT rect = {};
    LRESULT index = SendMessageW(appState.toolbar1, TB_COMMANDTOINDEX, ID_ZOOM_PLACEHOLDER, 0);
    SendMessageW(appState.toolbar1, TB_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

int area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

// The zoom group placed from the present font: label, edit (with its up-down inside the edit's width)
// and unit label in placeholder 9920.
void expectZoomGroupPlaced(const std::string& labelText = "Zoom", const std::string& unitText = "%") {
    const UiMetrics& metrics = appState.metrics;
    RECT placeholder = placeholderRect();
    RECT label = rectInParent(appState.zoomLabel);
    RECT edit = rectInParent(appState.zoomEdit);
    RECT upDown = rectInParent(appState.zoomUpDown);
    RECT unit = rectInParent(appState.zoomUnit);
    EXPECT_EQ(label.left, placeholder.left + 11);
    EXPECT_EQ(label.top, 2);
    EXPECT_EQ(label.right - label.left, uiTextWidth(labelText.c_str()) + 4);
    EXPECT_EQ(label.bottom - label.top, metrics.lineHeight);
    EXPECT_EQ(edit.left, label.right);
    EXPECT_EQ(edit.bottom - edit.top, metrics.lineHeight);
    int editEnd = label.right + 4 * metrics.digitWidth + metrics.editExtra;
    // The up-down takes the right end of the edit's width (overlapping its border by a pixel or two).
    EXPECT_NEAR(upDown.right, editEnd, 2);
    EXPECT_LT(edit.right, upDown.right);
    EXPECT_EQ(unit.left, editEnd + 3);
    EXPECT_EQ(unit.right - unit.left, uiTextWidth(unitText.c_str()) + 2);
    EXPECT_EQ(placeholder.right, unit.right);
}

}  // namespace

TEST_F(Bars, RebarAndToolbarsShowTheBarColourNotTheTheme) {
    startWithPicture(64, 48);
    repaintNow(appState.frame);
    // Visual styles are off for the rebar, so it paints its own background colour.
    EXPECT_EQ(GetWindowTheme(appState.rebar), nullptr);
    EXPECT_EQ(COLORREF(SendMessageW(appState.rebar, RB_GETBKCOLOR, 0, 0)), kBarBackground);
    WindowPixels bar(appState.rebar);
    // Band 2 stretches to the right edge; right of the crop button only the background shows.
    RECT toolbar2 = rectInParent(appState.toolbar2);
    RECT crop = toolbarButtonRect(appState.toolbar2, CMD_CROP);
    RECT empty = {toolbar2.left + crop.right + 4, toolbar2.top + 2, toolbar2.right - 4, toolbar2.bottom - 2};
    ASSERT_GT(area(empty), 100);
    EXPECT_EQ(bar.countColour(empty, kBarBackground), area(empty));
    // An unchecked button with a transparent image: mostly background around the picture.
    RECT progressive = toolbarButtonRect(appState.toolbar2, CMD_SAVE_PROGRESSIVE);
    OffsetRect(&progressive, toolbar2.left, toolbar2.top);
    EXPECT_GT(bar.countColour(progressive, kBarBackground), area(progressive) / 2);
    EXPECT_EQ(bar.countColour(progressive, RGB(255, 255, 255)), 0);
    // The zoom label paints the same colour itself.
    RECT toolbar1 = rectInParent(appState.toolbar1);
    RECT label = rectInParent(appState.zoomLabel);
    OffsetRect(&label, toolbar1.left, toolbar1.top);
    EXPECT_GT(bar.countColour(label, kBarBackground), area(label) / 2);
}

TEST_F(Bars, CustomDrawMarksCheckedAndHotButtonsAndWritesTheCropButton) {
    startWithPicture(64, 48);
    ASSERT_EQ(gSettings.markerCopyMode, 2);  // default: button 5422 checked
    int open = int(SendMessageW(appState.toolbar1, TB_COMMANDTOINDEX, CMD_OPEN, 0));
    SendMessageW(appState.toolbar1, TB_SETHOTITEM, WPARAM(open), 0);
    repaintNow(appState.frame);
    WindowPixels toolbar2(appState.toolbar2);
    RECT all = toolbarButtonRect(appState.toolbar2, CMD_MARKERS_ALL);
    RECT none = toolbarButtonRect(appState.toolbar2, CMD_MARKERS_NONE);
    EXPECT_GT(toolbar2.countColour(all, kCheckedPen), 20);
    EXPECT_EQ(toolbar2.countColour(none, kCheckedPen), 0);
    EXPECT_EQ(toolbar2.countColour(none, kHotPen), 0);
    RECT crop = toolbarButtonRect(appState.toolbar2, CMD_CROP);
    EXPECT_EQ(crop.right - crop.left, uiTextWidth("Crop") + 10);
    EXPECT_GT(toolbar2.countDark(crop), 10);  // "Crop" in the menu text colour
    WindowPixels toolbar1(appState.toolbar1);
    RECT openRect = toolbarButtonRect(appState.toolbar1, CMD_OPEN);
    RECT saveRect = toolbarButtonRect(appState.toolbar1, CMD_SAVE_AS);
    EXPECT_GT(toolbar1.countColour(openRect, kHotPen), 20);
    EXPECT_GT(toolbar1.countColour(openRect, kHotFill), 10);
    EXPECT_EQ(toolbar1.countColour(saveRect, kHotPen), 0);
}

TEST_F(Bars, CropButtonTextIsGreyWithoutAPicture) {
    start();
    ASSERT_EQ(buttonState(appState.toolbar2, CMD_CROP), TBSTATE_INDETERMINATE);
    repaintNow(appState.frame);
    WindowPixels toolbar2(appState.toolbar2);
    RECT crop = toolbarButtonRect(appState.toolbar2, CMD_CROP);
    EXPECT_EQ(toolbar2.countDark(crop), 0);
    COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    EXPECT_GT(toolbar2.count(crop, [grey](COLORREF c) {
        return c != kBarBackground && std::abs(int(GetGValue(c)) - int(GetGValue(grey))) < 48;
    }), 10);
}

TEST_F(Bars, GrayscaleButtonOfAGreyPictureShowsItsPictureGreyedOut) {
    TestJpegOptions options;
    options.colorSpace = JCS_GRAYSCALE;
    std::string path = folder.file("grey.jpg");
    writeFileBytes(path, makeTestJpeg(options));
    start(widePath(path));
    ASSERT_EQ(buttonState(appState.toolbar2, CMD_SAVE_GRAYSCALE), TBSTATE_INDETERMINATE);
    repaintNow(appState.frame);
    WindowPixels toolbar2(appState.toolbar2);
    RECT button = toolbarButtonRect(appState.toolbar2, CMD_SAVE_GRAYSCALE);
    // The greyed picture keeps its shades; an etched outline of it would be two colours on the pattern.
    std::set<COLORREF> shades;
    toolbar2.count(button, [&shades](COLORREF c) { return shades.insert(c).second; });
    EXPECT_GE(shades.size(), 6u);
    EXPECT_NE(SendMessageW(appState.toolbar2, TB_GETDISABLEDIMAGELIST, 0, 0), 0);
}

TEST_F(Bars, RelayoutFollowsAFontChange) {
    startWithPicture();
    EXPECT_EQ(bandInfo(0).cxHeader, 3u);
    expectZoomGroupPlaced();
    int smallHeight = appState.metrics.buttonHeight;
    RECT smallRebar = rectInParent(appState.rebar);
    int smallBand1 = int(bandInfo(0).cxMinChild);

    gSettings.fontHeight = -26;
    relayoutBars();
    pumpFrameMessages();
    const UiMetrics& metrics = appState.metrics;
    EXPECT_EQ(metrics.textHeight, uiTextHeight());
    EXPECT_EQ(metrics.lineHeight, metrics.textHeight + 6);
    EXPECT_EQ(metrics.buttonHeight, std::max(22, metrics.lineHeight + 3));
    ASSERT_GT(metrics.buttonHeight, smallHeight);
    EXPECT_EQ(buttonHeight(appState.toolbar1), metrics.buttonHeight);
    EXPECT_EQ(buttonHeight(appState.toolbar2), metrics.buttonHeight);
    expectZoomGroupPlaced();
    RECT crop = toolbarButtonRect(appState.toolbar2, CMD_CROP);
    EXPECT_EQ(crop.right - crop.left, uiTextWidth("Crop") + 10);

    REBARBANDINFOW band1 = bandInfo(0);
    EXPECT_EQ(band1.wID, UINT(IDC_BAND1));
    EXPECT_EQ(band1.hwndChild, appState.toolbar1);
    EXPECT_EQ(int(band1.cxMinChild), fullWidth(appState.toolbar1) + 1);
    EXPECT_GT(int(band1.cxMinChild), smallBand1);  // the zoom group grew with the font
    EXPECT_EQ(int(band1.cyMinChild), metrics.buttonHeight + 2);
    EXPECT_EQ(band1.cxHeader, 3u);
    REBARBANDINFOW band2 = bandInfo(1);
    EXPECT_EQ(band2.wID, UINT(IDC_BAND2));
    EXPECT_EQ(band2.hwndChild, appState.toolbar2);
    EXPECT_EQ(int(band2.cxMinChild), fullWidth(appState.toolbar2));
    EXPECT_EQ(int(band2.cyMinChild), metrics.buttonHeight + 2);
    EXPECT_EQ(u8(asText(band2.lpText)), "Output");

    // The rebar grew and the view moved down with it.
    RECT rebar = rectInParent(appState.rebar);
    EXPECT_GT(rebar.bottom, smallRebar.bottom);
    EXPECT_EQ(rectInParent(appState.view).top, rebar.bottom);
    // Tooltips follow the moved buttons.
    RECT toolRect = {};
    ASSERT_TRUE(toolOf(appState.toolbar1, CMD_ZOOM_100, nullptr, &toolRect));
    RECT button = toolbarButtonRect(appState.toolbar1, CMD_ZOOM_100);
    EXPECT_TRUE(EqualRect(&toolRect, &button));
    EXPECT_EQ(buttonState(appState.toolbar1, CMD_ZOOM_FIT), TBSTATE_ENABLED);

    gSettings.fontHeight = -12;
    relayoutBars();
    pumpFrameMessages();
    EXPECT_EQ(appState.metrics.buttonHeight, smallHeight);
    EXPECT_EQ(buttonHeight(appState.toolbar1), smallHeight);
    EXPECT_EQ(int(bandInfo(0).cxMinChild), smallBand1);
    EXPECT_EQ(rectInParent(appState.rebar).bottom, smallRebar.bottom);
    EXPECT_EQ(rectInParent(appState.view).top, smallRebar.bottom);
    expectZoomGroupPlaced();
}

TEST_F(Bars, CropToolbarTakesBandTwoAndGivesItBack) {
    startWithPicture();
    int toolsBefore = toolCount();
    int width = createCropToolbar();
    HWND crop = appState.cropToolbar;
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(GetDlgCtrlID(crop), IDC_CROP_TOOLBAR);
    EXPECT_EQ(GetParent(crop), appState.rebar);
    EXPECT_EQ(SendMessageW(crop, TB_BUTTONCOUNT, 0, 0), 4);
    EXPECT_EQ(width, fullWidth(crop));
    EXPECT_EQ(SendMessageW(crop, TB_GETBUTTONSIZE, 0, 0), SendMessageW(appState.toolbar1, TB_GETBUTTONSIZE, 0, 0));
    EXPECT_NE(SendMessageW(crop, TB_GETIMAGELIST, 0, 0), 0);
    EXPECT_NE(SendMessageW(crop, TB_GETDISABLEDIMAGELIST, 0, 0), 0);
    EXPECT_EQ(toolCount(), toolsBefore + 3);
    EXPECT_EQ(tooltipText(crop, CMD_CROP_ACCEPT), "Accept Crop (Enter)");
    EXPECT_EQ(tooltipText(crop, CMD_CROP_CANCEL), "Cancel Crop (Esc)");
    EXPECT_EQ(tooltipText(crop, CMD_CROP_MAXIMAL), "Largest Selection");
    EXPECT_EQ(createCropToolbar(), width);  // a second call keeps the one there is
    EXPECT_EQ(appState.cropToolbar, crop);
    EXPECT_EQ(toolCount(), toolsBefore + 3);

    placeCropToolbar(width);
    pumpFrameMessages();
    REBARBANDINFOW band2 = bandInfo(1);
    EXPECT_EQ(band2.hwndChild, crop);
    EXPECT_EQ(int(band2.cxMinChild), width);
    EXPECT_EQ(int(band2.cyMinChild), appState.metrics.buttonHeight + 2);
    EXPECT_TRUE(IsWindowVisible(crop));
    EXPECT_FALSE(IsWindowVisible(appState.toolbar2));
    EXPECT_EQ(SendMessageW(appState.rebar, RB_GETROWCOUNT, 0, 0), 1);
    RECT band1Child = rectInParent(appState.toolbar1);
    RECT cropRect = rectInParent(crop);
    EXPECT_GE(cropRect.left, band1Child.right);  // beside band 1 on one row
    EXPECT_GE(cropRect.right - cropRect.left, width);

    // A narrow frame puts band 2 on a second row; the view stays right below the rebar.
    RECT frame;
    GetWindowRect(appState.frame, &frame);
    MoveWindow(appState.frame, frame.left, frame.top, band1Child.right + width / 2, 500, TRUE);
    pumpFrameMessages();
    EXPECT_EQ(SendMessageW(appState.rebar, RB_GETROWCOUNT, 0, 0), 2);
    cropRect = rectInParent(crop);
    EXPECT_GE(cropRect.top, rectInParent(appState.toolbar1).bottom);
    EXPECT_EQ(rectInParent(appState.view).top, rectInParent(appState.rebar).bottom);
    MoveWindow(appState.frame, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, TRUE);
    pumpFrameMessages();
    EXPECT_EQ(SendMessageW(appState.rebar, RB_GETROWCOUNT, 0, 0), 1);
    EXPECT_EQ(rectInParent(appState.view).top, rectInParent(appState.rebar).bottom);
    RECT client;
    GetClientRect(appState.rebar, &client);
    EXPECT_GE(rectInParent(crop).right, client.right - 8);  // band 2 takes the rest of the row

    // A font change in crop mode keeps the crop toolbar in band 2 with the new height.
    gSettings.fontHeight = -22;
    relayoutBars();
    EXPECT_EQ(bandInfo(1).hwndChild, crop);
    EXPECT_EQ(buttonHeight(crop), appState.metrics.buttonHeight);
    EXPECT_EQ(int(bandInfo(1).cyMinChild), appState.metrics.buttonHeight + 2);
    gSettings.fontHeight = -12;
    relayoutBars();

    removeCropToolbar();
    pumpFrameMessages();
    EXPECT_EQ(appState.cropToolbar, nullptr);
    EXPECT_FALSE(IsWindow(crop));
    band2 = bandInfo(1);
    EXPECT_EQ(band2.hwndChild, appState.toolbar2);
    EXPECT_EQ(int(band2.cxMinChild), fullWidth(appState.toolbar2));
    EXPECT_EQ(int(band2.cyMinChild), appState.metrics.buttonHeight + 2);
    EXPECT_EQ(u8(asText(band2.lpText)), "Output");
    EXPECT_TRUE(IsWindowVisible(appState.toolbar2));
    EXPECT_EQ(toolCount(), toolsBefore);
    EXPECT_EQ(tooltipText(crop, CMD_CROP_ACCEPT), "(no tool)");
    removeCropToolbar();  // a second call finds nothing to remove
    EXPECT_EQ(bandInfo(1).hwndChild, appState.toolbar2);
}

TEST_F(Bars, ToolbarOneStatesFollowThePicture) {
    start();
    // The darkest green level of the zoom label and the unit label as they show: text in the grey text
    // colour without a picture, black with one.
    auto expectStates = [](bool picture, int darkest[2]) {
        BYTE withPicture = picture ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE;
        EXPECT_EQ(buttonState(appState.toolbar1, CMD_OPEN), TBSTATE_ENABLED);
        // The picture's folder is listed: the file list can be shown.
        EXPECT_EQ(buttonState(appState.toolbar1, CMD_FILE_LIST), withPicture);
        EXPECT_EQ(buttonState(appState.toolbar1, CMD_SHADING_MENU), TBSTATE_ENABLED);
        for (int command : {CMD_SAVE_AS, CMD_ZOOM_FIT, CMD_ZOOM_100})
            EXPECT_EQ(buttonState(appState.toolbar1, command), withPicture) << command;
        for (HWND control : {appState.zoomLabel, appState.zoomEdit, appState.zoomUpDown, appState.zoomUnit})
            EXPECT_EQ(IsWindowEnabled(control) != FALSE, picture);
        UpdateWindow(appState.frame);
        HWND labels[2] = {appState.zoomLabel, appState.zoomUnit};
        for (int i = 0; i < 2; ++i) {
            WindowPixels shown(labels[i]);
            darkest[i] = 255;
            for (int y = 0; y < shown.height; ++y)
                for (int x = 0; x < shown.width; ++x) darkest[i] = std::min(darkest[i], int(GetGValue(shown.at(x, y))));
        }
    };
    int without[2], with[2], failed[2];
    expectStates(false, without);
    TestJpegOptions options;
    std::string good = folder.file("good.jpg");
    writeFileBytes(good, makeTestJpeg(options));
    openPathFromShell(asText(widePath(good).c_str()));
    ASSERT_TRUE(appState.imageLoaded);
    expectStates(true, with);
    std::string bad = folder.file("bad.jpg");
    writeFileBytes(bad, {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'});
    openPathFromShell(asText(widePath(bad).c_str()));
    ASSERT_FALSE(appState.imageLoaded);
    expectStates(false, failed);
    EXPECT_EQ(without[0], GetGValue(GetSysColor(COLOR_GRAYTEXT)));  // the zoom label paints itself
    EXPECT_EQ(with[0], 0);
    EXPECT_EQ(failed[0], without[0]);
    EXPECT_LT(with[1], without[1] - 40);  // the unit's thin glyph never reaches full black
    EXPECT_EQ(failed[1], without[1]);
}

TEST_F(Bars, TooltipsNameEveryButtonWithItsKeys) {
    start();
    struct Tip {
        HWND* toolbar;
        int command;
        const char* text;
    } defaults[] = {
        {&appState.toolbar1, CMD_OPEN, "Open (Ctrl+O)"},
        {&appState.toolbar1, CMD_SAVE_AS, "Save As (Ctrl+S)"},
        {&appState.toolbar1, CMD_FILE_LIST, "File List (Tab)"},
        {&appState.toolbar1, CMD_SHADING_MENU, "Shading"},
        {&appState.toolbar1, CMD_ZOOM_FIT, "Fit to Window"},
        {&appState.toolbar1, CMD_ZOOM_100, "Actual Size (100%)"},
        {&appState.toolbar2, CMD_SAVE_GRAYSCALE, "Save in grayscale"},
        {&appState.toolbar2, CMD_SAVE_PROGRESSIVE, "Save as progressive JPEG"},
        {&appState.toolbar2, CMD_MARKERS_NONE, "Copy no metadata"},
        {&appState.toolbar2, CMD_MARKERS_COMMENTS, "Copy comments only"},
        {&appState.toolbar2, CMD_MARKERS_ALL, "Copy all metadata (Exif and comments)"},
    };
    for (const Tip& tip : defaults) {
        std::string text;
        RECT rect = {};
        ASSERT_TRUE(toolOf(*tip.toolbar, UINT_PTR(tip.command), &text, &rect)) << tip.command;
        EXPECT_EQ(text, tip.text);
        RECT button = toolbarButtonRect(*tip.toolbar, tip.command);
        EXPECT_TRUE(EqualRect(&rect, &button)) << tip.command;
    }
    EXPECT_FALSE(toolOf(appState.toolbar2, CMD_CROP, nullptr, nullptr));  // the crop button has none
    EXPECT_EQ(tooltipText(appState.toolbar1, reinterpret_cast<UINT_PTR>(appState.zoomEdit)),
              languageText(TXT_ZOOM_TOOLTIP));

    // New bindings: the toolbar-1 tips show modifier and key, the crop tips the key alone.
    BindingTable rows = appState.bindings;
    rows.rows[bindingRowOf(CMD_SHADING_MENU)] = {kAccelVirtKey | kAccelShift, 0, VK_DELETE, CMD_SHADING_MENU};
    rows.rows[bindingRowOf(CMD_ZOOM_FIT)] = {kAccelVirtKey | kAccelControl | kAccelShift, 0, 'F', CMD_ZOOM_FIT};
    rows.rows[bindingRowOf(CMD_OPEN)].key = 0;
    rows.rows[bindingRowOf(CMD_CROP_ACCEPT)] = {kAccelVirtKey | kAccelControl | kAccelShift, 0, VK_F2, CMD_CROP_ACCEPT};
    rows.rows[bindingRowOf(CMD_CROP_CANCEL)].key = 0x07;  // a key without a name
    rebuildMenusFromRows(rows);
    updateTooltips(TTM_SETTOOLINFOW);
    EXPECT_EQ(tooltipText(appState.toolbar1, CMD_SHADING_MENU), "Shading (Shift+Delete)");
    EXPECT_EQ(tooltipText(appState.toolbar1, CMD_ZOOM_FIT), "Fit to Window (Ctrl+Shift+F)");
    EXPECT_EQ(tooltipText(appState.toolbar1, CMD_OPEN), "Open");
    createCropToolbar();
    EXPECT_EQ(tooltipText(appState.cropToolbar, CMD_CROP_ACCEPT), "Accept Crop (F2)");
    EXPECT_EQ(tooltipText(appState.cropToolbar, CMD_CROP_CANCEL), "Cancel Crop");
    removeCropToolbar();
}

TEST_F(Bars, ClicksOnAToolbarGiveTheFocusBackToTheFrame) {
    startWithPicture();
    SetFocus(appState.zoomEdit);
    pumpFrameMessages();
    ASSERT_TRUE(appState.inputLock);
    // A right click on a button does nothing but return the focus (and with it the keys) to the frame.
    double zoom = appState.zoomFactor;
    RECT fit = toolbarButtonRect(appState.toolbar1, CMD_ZOOM_100);
    POINT centre = {(fit.left + fit.right) / 2, (fit.top + fit.bottom) / 2};
    ClientToScreen(appState.toolbar1, &centre);
    mouseAt(centre);
    mouseAt(centre, MOUSEEVENTF_RIGHTDOWN);
    mouseAt(centre, MOUSEEVENTF_RIGHTUP);
    EXPECT_EQ(GetFocus(), appState.frame);
    EXPECT_FALSE(appState.inputLock);
    EXPECT_EQ(appState.zoomFactor, zoom);
    // A left click runs the button's command and leaves the focus with the frame.
    SetFocus(appState.zoomEdit);
    pumpFrameMessages();
    mouseAt(centre, MOUSEEVENTF_LEFTDOWN);
    mouseAt(centre, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(appState.zoomFactor, 1.0);
    EXPECT_EQ(GetFocus(), appState.frame);
    mouseAt({0, 0});
}

TEST_F(Bars, BandDragIsRefusedWhileACropIsBeingDrawn) {
    start();
    NMREBAR drag = {};
    drag.hdr.hwndFrom = appState.rebar;
    drag.hdr.idFrom = IDC_REBAR;
    drag.hdr.code = RBN_BEGINDRAG;
    drag.uBand = 1;
    auto beginDrag = [&drag] {
        return SendMessageW(appState.frame, WM_NOTIFY, IDC_REBAR, reinterpret_cast<LPARAM>(&drag));
    };
    EXPECT_EQ(beginDrag(), 0);
    appState.cropMode = true;
    for (int state : {0, 1, 2}) {
        appState.cropState = state;
        EXPECT_NE(beginDrag(), 0) << "crop state " << state;
    }
    appState.cropState = 3;
    EXPECT_EQ(beginDrag(), 0);
    appState.cropMode = false;
    appState.cropState = 0;
}

// The options dialog's language switch: new menus from the accelerator table, then the re-layout,
// which must bring every text of the bars into the new language.
TEST_F(Bars, LanguageSwitchRelaysTheBarsInTheNewLanguage) {
    startWithPicture();
    ASSERT_TRUE(switchLanguageModule(u"Japanese", &gSettings.languageName));
    rebuildMenusFromAccelerators();
    relayoutBars();
    pumpFrameMessages();
    EXPECT_EQ(u8(asText(bandInfo(1).lpText)), "出力");
    EXPECT_EQ(int(bandInfo(1).cxMinChild), fullWidth(appState.toolbar2));
    RECT crop = toolbarButtonRect(appState.toolbar2, CMD_CROP);
    EXPECT_EQ(crop.right - crop.left, uiTextWidth("トリミング") + 10);
    EXPECT_EQ(tooltipText(appState.toolbar1, CMD_OPEN), languageText(CMD_OPEN) + " (Ctrl+O)");
    EXPECT_EQ(languageText(CMD_OPEN), "開く");
    EXPECT_EQ(tooltipText(appState.toolbar2, CMD_SAVE_GRAYSCALE), languageText(CMD_SAVE_GRAYSCALE));
    EXPECT_EQ(tooltipText(appState.toolbar1, reinterpret_cast<UINT_PTR>(appState.zoomEdit)),
              languageText(TXT_ZOOM_TOOLTIP));
    EXPECT_EQ(windowText(appState.zoomUnit), languageText(TXT_ZOOM_UNIT));
    expectZoomGroupPlaced(languageText(TXT_ZOOM_LABEL), languageText(TXT_ZOOM_UNIT));
    EXPECT_EQ(int(bandInfo(0).cxMinChild), fullWidth(appState.toolbar1) + 1);
    ASSERT_TRUE(switchLanguageModule(u"English", &gSettings.languageName));
    rebuildMenusFromAccelerators();
    relayoutBars();
    EXPECT_EQ(u8(asText(bandInfo(1).lpText)), "Output");
    EXPECT_EQ(tooltipText(appState.toolbar1, CMD_OPEN), "Open (Ctrl+O)");
}
