// Crop mode in the view: entering and leaving it, the crop state machine driven by the left button, the
// hit zones with their cursors, and the feedback. Live figures (crosshair, band, the outline during a drag)
// are XOR drawings straight onto the view, each made of line segments that exclude their end points, so
// drawing a figure a second time removes it; the outline at rest is painted with the picture.
#include "view/CropMode.h"

#include <commctrl.h>

#include <cstdlib>
#include <initializer_list>
#include <new>

#include "engine/DecodedImage.h"
#include "settings/LanguageModule.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/Toolbars.h"
#include "view/CropDisplay.h"
#include "view/CropEditor.h"
#include "view/ImageView.h"

namespace {

constexpr COLORREF kXorGrey = RGB(128, 128, 128);
constexpr int kNoPoint = -1;

ViewGeometry& geometry() { return appState.viewState.geometry; }
CropEditor* editor() { return appState.cropEditor; }

void repaintView() {
    if (!appState.view) return;
    InvalidateRect(appState.view, nullptr, FALSE);
    UpdateWindow(appState.view);
}

// The XOR pen on a DC of the view: the stock DC pen in grey.
struct XorDc {
    HDC dc;
    int oldRop;
    HGDIOBJ oldPen;
    XorDc() : dc(GetDC(appState.view)) {
        oldPen = SelectObject(dc, GetStockObject(DC_PEN));
        SetDCPenColor(dc, kXorGrey);
        oldRop = SetROP2(dc, R2_XORPEN);
    }
    ~XorDc() {
        SetROP2(dc, oldRop);
        SelectObject(dc, oldPen);
        ReleaseDC(appState.view, dc);
    }
    XorDc(const XorDc&) = delete;
    XorDc& operator=(const XorDc&) = delete;
};

// LineTo leaves out the end point, so a closed path touches each of its pixels once.
void closedPath(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    MoveToEx(dc, left, top, nullptr);
    LineTo(dc, right, top);
    LineTo(dc, right, bottom);
    LineTo(dc, left, bottom);
    LineTo(dc, left, top);
}

void xorCrosshair(int32_t x, int32_t y) {
    if (x == kNoPoint || !appState.view) return;
    const ViewGeometry& g = geometry();
    XorDc xor_;
    MoveToEx(xor_.dc, g.dstX, y, nullptr);
    LineTo(xor_.dc, g.dstX + g.dstW, y);
    MoveToEx(xor_.dc, x, g.dstY, nullptr);
    LineTo(xor_.dc, x, g.dstY + g.dstH);
}

void xorBand(int32_t x, int32_t y) {
    if (x == kNoPoint || !appState.view) return;
    XorDc xor_;
    closedPath(xor_.dc, editor()->anchorViewX, editor()->anchorViewY, x, y);
}

void paintXorOutline(HDC dc) {
    const ScreenRect& r = geometry().cropScreenRect;
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, kXorGrey);
    int oldRop = SetROP2(dc, R2_XORPEN);
    closedPath(dc, r.left, r.top, r.right, r.bottom);
    SetROP2(dc, oldRop);
    SelectObject(dc, oldPen);
}

// Black dots; the gaps show the DC's background colour, white by default.
void paintDottedOutline(HDC dc) {
    if (!editor() || !editor()->dottedPen) return;
    const ScreenRect& r = geometry().cropScreenRect;
    HGDIOBJ oldPen = SelectObject(dc, static_cast<HPEN>(editor()->dottedPen));
    int oldRop = SetROP2(dc, R2_COPYPEN);
    int oldMode = SetBkMode(dc, OPAQUE);
    closedPath(dc, r.left, r.top, r.right, r.bottom);
    SetBkMode(dc, oldMode);
    SetROP2(dc, oldRop);
    SelectObject(dc, oldPen);
}

void setOverlay(void (*painter)(HDC__*)) { appState.viewState.overlayPainter = painter; }

// A repaint wipes the live figure from the repainted part only (the paint is clipped to it): drawing the
// figure again there keeps every pixel of it on screen, as the next XOR removal expects.
void paintLiveFigure(HDC dc) {
    CropEditor* cropEditor = editor();
    if (!cropEditor || cropEditor->liveFigureHidden) return;
    const ViewGeometry& g = geometry();
    int32_t x = cropEditor->pointerX, y = cropEditor->pointerY;
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, kXorGrey);
    int oldRop = SetROP2(dc, R2_XORPEN);
    switch (appState.cropState) {
    case 0:
        if (x == kNoPoint) break;
        MoveToEx(dc, g.dstX, y, nullptr);
        LineTo(dc, g.dstX + g.dstW, y);
        MoveToEx(dc, x, g.dstY, nullptr);
        LineTo(dc, x, g.dstY + g.dstH);
        break;
    case 1:
    case 2:
        if (x != kNoPoint) closedPath(dc, cropEditor->anchorViewX, cropEditor->anchorViewY, x, y);
        break;
    case 4:
        // At the press the view is painted with the outline as its overlay; after that, here.
        if (appState.dragMode != 0) {
            const ScreenRect& r = g.cropScreenRect;
            closedPath(dc, r.left, r.top, r.right, r.bottom);
        }
        break;
    }
    SetROP2(dc, oldRop);
    SelectObject(dc, oldPen);
}

void setMainButtonsEnabled(bool enabled) {
    for (int command : {CMD_OPEN, CMD_SAVE_AS, CMD_FILE_LIST})
        SendMessageW(appState.toolbar1, TB_SETSTATE, WPARAM(command),
                     MAKELPARAM(enabled ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE, 0));
}

bool ratioLocked() { return presetLocked(editor()->ratioPresets[editor()->selectedPreset]); }

void setModeTitle() {
    TextBuffer title;
    loadText(CMD_CROP, &title);
    SetWindowTextW(appState.frame, asWide(textChars(&title)));
}

// Ends a left or right drag of the view, as leaving crop mode must: no capture and no drag state stay.
void endViewDrag() {
    if (appState.dragMode == 0) return;
    appState.dragMode = 0;
    if (GetCapture() == appState.view) ReleaseCapture();
}

void destroyEditor() {
    CropEditor* cropEditor = editor();
    if (!cropEditor) return;
    if (cropEditor->dottedPen) DeleteObject(static_cast<HPEN>(cropEditor->dottedPen));
    appState.cropEditor = nullptr;
    delete cropEditor;
}

// The press point as an image pixel, with the centre bias of a point.
int32_t pixelColumn(int32_t x) { return viewToImageX(&geometry(), x, centreBiasX(&geometry())); }
int32_t pixelRow(int32_t y) { return viewToImageY(&geometry(), y, centreBiasY(&geometry())); }

// The rectangle at rest after a commit or a maximal selection: panel, outline, shading, navigation. The
// hit zone waits for the pointer's next move over the new outline.
void showCommittedRectangle() {
    editor()->hitZone = 0;
    refreshCropScreenRect();
    writeCropFieldsAfterCommit();
    showSizeReadout(cropWidth(editor()->rect), cropHeight(editor()->rect));
    setOverlay(paintDottedOutline);
    setAcceptButtonEnabled(true);
    buildShadedDisplay(editor());
    repaintView();
    setViewNavigationEnabled(true);
}

// While the band is drawn its far edges are not yet the rectangle's: the title shows the band between
// the anchor pixel and the stored corner, which is what the commit takes.
void showBandReadout() {
    CropEditor* cropEditor = editor();
    if (cropEditor->pointerX == kNoPoint) return;
    int32_t width = std::abs(pixelColumn(cropEditor->pointerX) - cropEditor->rect.left) + 1;
    int32_t height = std::abs(pixelRow(cropEditor->pointerY) - cropEditor->rect.top) + 1;
    showSizeReadout(width, height);
}

// The band follows the pointer; a locked corner that would leave the picture keeps the band as it is.
void moveBand(int32_t x, int32_t y) {
    CropEditor* cropEditor = editor();
    BandStep band = bandStepFor(cropEditor, &geometry(), cropEditor->anchorViewX, cropEditor->anchorViewY, x, y);
    if (!band.accepted) return;
    if (band.cornerX != cropEditor->pointerX || band.cornerY != cropEditor->pointerY) {
        xorBand(cropEditor->pointerX, cropEditor->pointerY);
        xorBand(band.cornerX, band.cornerY);
        cropEditor->pointerX = band.cornerX;
        cropEditor->pointerY = band.cornerY;
    }
    showSizeReadout(band.width, band.height);
}

}  // namespace

void setViewNavigationEnabled(bool enabled) {
    for (int command : {CMD_SHADING_MENU, CMD_ZOOM_FIT, CMD_ZOOM_100})
        SendMessageW(appState.toolbar1, TB_SETSTATE, WPARAM(command),
                     MAKELPARAM(enabled ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE, 0));
    for (HWND control : {appState.zoomLabel, appState.zoomEdit, appState.zoomUpDown, appState.zoomUnit})
        if (control) EnableWindow(control, enabled);
    if (appState.view) EnableScrollBar(appState.view, SB_BOTH, enabled ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

bool enterCropMode() {
    if (appState.cropEditor || !appState.imageLoaded || !appState.picture) return false;
    CropEditor* cropEditor = new (std::nothrow) CropEditor();
    if (!cropEditor) {
        showErrorMessage(TXT_ERROR_NO_MEMORY);
        return false;
    }
    loadRatioPresets(&gSettings);
    CropEditorSetup setup;
    setup.imageWidth = int32_t(imageWidth(appState.picture));
    setup.imageHeight = int32_t(imageHeight(appState.picture));
    setup.blockWidth = int32_t(appState.picture->blockWidth);
    setup.blockHeight = int32_t(appState.picture->blockHeight);
    for (int i = 0; i < kUserPresetCount; i++) setup.userPresets[i] = gSettings.ratioPresets[i + 1];
    setup.selectedPreset = gSettings.selectedPreset;
    setup.maskShading = gSettings.maskShading;
    initCropEditor(cropEditor, setup);
    cropEditor->dottedPen = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
    cropEditor->pointerX = cropEditor->pointerY = kNoPoint;
    appState.cropEditor = cropEditor;
    appState.inputLock = true;
    appState.cropKeysEnabled = true;
    setMainButtonsEnabled(false);
    if (!makeCropDisplay(cropEditor, appState.picture)) {
        // Not yet in crop mode: undo what was done so far by hand, or the keys, the buttons and the
        // editor would stay as crop mode left them.
        showErrorMessage(TXT_ERROR_NO_DISPLAY_MEMORY);
        setMainButtonsEnabled(true);
        appState.inputLock = false;
        appState.cropKeysEnabled = false;
        destroyEditor();
        return false;
    }
    appState.cropState = 0;
    setOverlay(nullptr);
    appState.viewState.livePainter = paintLiveFigure;
    appState.cropMode = true;
    if (!buildCropPanel()) {
        bool cutFailed = false;
        endCropEditor(false, &cutFailed);
        appState.cropMode = false;
        showErrorMessage(TXT_ERROR_NO_MEMORY);
        return false;
    }
    setModeTitle();
    refreshCropScreenRect();
    setViewNavigationEnabled(false);
    repaintView();  // the 24-bit copy replaces the picture
    return true;
}

CropOutcome endCropEditor(bool accept, bool* cutFailed) {
    *cutFailed = false;
    CropOutcome outcome;
    CropEditor* cropEditor = editor();
    if (!cropEditor) return outcome;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    endViewDrag();
    closePresetsEditor();
    setOverlay(nullptr);
    appState.viewState.livePainter = nullptr;
    outcome = endCropDisplay(cropEditor, appState.picture, accept, cutFailed);
    storeRatioPresets(cropEditor, gSettings.ratioPresets + 1, &gSettings.selectedPreset);
    saveRatioPresets(gSettings);
    if (appState.cropState < 3) setViewNavigationEnabled(true);
    removeCropToolbar();
    setMainButtonsEnabled(true);
    refreshToolbar1States();
    appState.inputLock = false;
    appState.cropKeysEnabled = false;
    appState.cropState = 0;
    destroyEditor();
    geometry().currentCursorId = 0;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return outcome;
}

bool onCropLeftDown(int x, int y) {
    CropEditor* cropEditor = editor();
    if (!cropEditor) return false;
    switch (appState.cropState) {
    case 0: {
        // The crosshair goes at the point where it was drawn, before the press replaces that point.
        xorCrosshair(cropEditor->pointerX, cropEditor->pointerY);
        int32_t px = x, py = y;
        limitToDrawnImage(&geometry(), &px, &py);
        cropEditor->pointerX = cropEditor->anchorViewX = px;
        cropEditor->pointerY = cropEditor->anchorViewY = py;
        cropEditor->rect.left = pixelColumn(px);
        cropEditor->rect.top = pixelRow(py);
        appState.cropState = 1;
        return false;
    }
    case 1: commitCropBand(); return true;
    case 3:
        cropEditor->pointerX = x;
        cropEditor->pointerY = y;
        if (cropEditor->hitZone != 0) {
            if (cropEditor->hitZone == 9) {
                int32_t px = x, py = y;
                limitToDrawnImage(&geometry(), &px, &py);
                beginMove(cropEditor, pixelColumn(px), pixelRow(py));
            }
            appState.cropState = 4;
            appState.inputLock = true;
            appState.cropKeysEnabled = false;
            setOverlay(paintXorOutline);
        } else {
            setOverlay(nullptr);  // the outline hides while the button is held outside the rectangle
        }
        repaintView();
        return false;
    }
    return false;
}

void onCropHover(int x, int y) {
    CropEditor* cropEditor = editor();
    if (!cropEditor) return;
    switch (appState.cropState) {
    case 0: {
        int32_t px = x, py = y;
        limitToDrawnImage(&geometry(), &px, &py);
        if (px == cropEditor->pointerX && py == cropEditor->pointerY) return;
        xorCrosshair(cropEditor->pointerX, cropEditor->pointerY);
        xorCrosshair(px, py);
        cropEditor->pointerX = px;
        cropEditor->pointerY = py;
        break;
    }
    case 1: moveBand(x, y); break;
    case 3: {
        HitResult hit = hitTestCrop(geometry().cropScreenRect, x, y, ratioLocked(), scaled(kHitTolerance));
        cropEditor->hitZone = hit.zone;
        setViewCursor(hit.cursorId);
        break;
    }
    }
}

void updateBandForStoredCorner() {
    CropEditor* cropEditor = editor();
    if (!cropEditor || appState.cropState != 1 || cropEditor->pointerX == kNoPoint) return;
    int32_t x = cropEditor->pointerX, y = cropEditor->pointerY;
    // Remove the band first: a locked ratio may refuse the new corner, and the pointer store then
    // still names the band on screen.
    BandStep band = bandStepFor(cropEditor, &geometry(), cropEditor->anchorViewX, cropEditor->anchorViewY, x, y);
    if (!band.accepted) return;
    xorBand(x, y);
    xorBand(band.cornerX, band.cornerY);
    cropEditor->pointerX = band.cornerX;
    cropEditor->pointerY = band.cornerY;
    showSizeReadout(band.width, band.height);
}

void onCropDrag(int x, int y) {
    CropEditor* cropEditor = editor();
    if (!cropEditor) return;
    switch (appState.cropState) {
    case 1:
        if (std::abs(x - cropEditor->anchorViewX) + std::abs(y - cropEditor->anchorViewY) > scaled(kBandThreshold))
            appState.cropState = 2;
        moveBand(x, y);
        return;
    case 2: moveBand(x, y); return;
    case 4: {
        if (cropEditor->hitZone == 9) {
            ScreenRect old = geometry().cropScreenRect;
            int32_t dx = pixelColumn(x) - cropEditor->moveAnchorX;
            int32_t dy = pixelRow(y) - cropEditor->moveAnchorY;
            if (!moveCropBy(cropEditor, dx, dy)) return;
            // The fields follow; their handlers find the model already moved and draw nothing themselves.
            const CropRect& r = cropEditor->rect;
            writeCropField(kFieldLeft, r.left);
            writeCropField(kFieldRight, r.right);
            writeCropField(kFieldTop, r.top);
            writeCropField(kFieldBottom, r.bottom);
            showCropChange(old);
            return;
        }
        FieldWrites writes = zoneDragWrites(cropEditor, &geometry(), cropEditor->hitZone, x, y);
        for (int i = 0; i < writes.count && appState.cropEditor; i++) writeCropField(writes.field[i], writes.value[i]);
        return;
    }
    }
}

void onCropLeftUp() {
    CropEditor* cropEditor = editor();
    if (!cropEditor) return;
    switch (appState.cropState) {
    case 2: commitCropBand(); break;
    case 3:
        setOverlay(paintDottedOutline);
        repaintView();
        break;
    case 4:
        appState.cropKeysEnabled = true;
        appState.cropState = 3;
        appState.inputLock = false;
        showRectangleInFields();  // a refused step of the drag may have left a field ahead of the edge
        setCropFieldRanges();
        buildShadedDisplay(cropEditor);
        setOverlay(paintDottedOutline);
        repaintView();
        break;
    }
}

void commitCropBand() {
    CropEditor* cropEditor = editor();
    if (!cropEditor) return;
    appState.cropState = 3;
    appState.inputLock = false;
    geometry().currentCursorId = 0;
    commitBand(cropEditor, cropEditor->rect.left, cropEditor->rect.top, pixelColumn(cropEditor->pointerX),
               pixelRow(cropEditor->pointerY));
    cropEditor->pointerX = cropEditor->pointerY = kNoPoint;
    showCommittedRectangle();
}

// The maximal rectangle stands as computed: the commit's rebuilding from the pointer is not run. The
// readout is the committed rectangle's, which is what Enter cuts.
void selectMaximalCrop() {
    CropEditor* cropEditor = editor();
    if (!cropEditor || appState.dragMode != 0) return;
    selectMaximal(cropEditor);
    appState.cropState = 3;
    appState.inputLock = false;
    geometry().currentCursorId = 0;
    cropEditor->pointerX = cropEditor->pointerY = kNoPoint;
    showCommittedRectangle();
    if (appState.frame) SetFocus(appState.frame);
}

void xorCropOutline(const ScreenRect& outline) {
    if (!appState.view) return;
    XorDc xor_;
    closedPath(xor_.dc, outline.left, outline.top, outline.right, outline.bottom);
}

void showCropChange(const ScreenRect& oldOutline) {
    CropEditor* cropEditor = editor();
    if (!cropEditor) return;
    refreshCropScreenRect();
    if (appState.cropState == 1 || appState.cropState == 2) showBandReadout();
    else if (!(appState.cropState == 4 && cropEditor->hitZone == 9))
        showSizeReadout(cropWidth(cropEditor->rect), cropHeight(cropEditor->rect));
    if (appState.cropState == 3) {
        buildShadedDisplay(cropEditor);
        repaintView();
    } else if (appState.cropState == 4) {
        xorCropOutline(oldOutline);
        xorCropOutline(geometry().cropScreenRect);
    }
}

void toggleLiveFigure() {
    CropEditor* cropEditor = editor();
    if (!cropEditor) return;
    if (appState.cropState == 0) xorCrosshair(cropEditor->pointerX, cropEditor->pointerY);
    else if (appState.cropState == 1) xorBand(cropEditor->pointerX, cropEditor->pointerY);
    cropEditor->liveFigureHidden = !cropEditor->liveFigureHidden;
}
