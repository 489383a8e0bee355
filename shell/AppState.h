#pragma once
// The process-wide state of the program: window handles, the UI font and its metrics, the accelerator
// table and keyboard hook, and the flags every command is checked against. One instance, `appState`,
// lives for the whole run. The handle types are forward-declared exactly as <windows.h> declares them
// (STRICT handles), so portable code may include this header and Win32 code uses the fields as HWND etc.

#include <cstdint>

#include "common/DpiScale.h"
#include "common/TextBuffer.h"
#include "engine/CropRequest.h"
#include "view/ImageView.h"
#include "shell/BindingTable.h"

struct HWND__;
struct HFONT__;
struct HACCEL__;
struct HHOOK__;
struct HMENU__;
struct HINSTANCE__;
struct DecodedImage;
struct CropEditor;

// Measured with `uiFont` at frame creation; shared by menus, toolbars and the control factory.
struct UiMetrics {
    int textHeight = 0;
    int lineHeight = 0;       // text height + 6
    int internalLeading = 0;
    int digitWidth = 0;       // width of "0"
    int editExtra = 0;        // vertical scroll bar width + 10
    int checkWidth = 0;       // menu check-mark width + 7
    int buttonHeight = 22;    // max(22 scaled, line height + 3)
    int dpi = 96;             // of the frame: every size below that is given at 96 DPI follows it
};

struct AppState {
    void* privateHeap = nullptr;  // HANDLE of the growable heap for short-lived shell blocks
    HINSTANCE__* instance = nullptr;
    HINSTANCE__* languageModule = nullptr;
    int osLevel = 0;

    HWND__* frame = nullptr;
    HWND__* view = nullptr;
    HWND__* rebar = nullptr;
    HWND__* toolbar1 = nullptr;
    HWND__* toolbar2 = nullptr;
    HWND__* cropToolbar = nullptr;
    HWND__* tooltip = nullptr;
    HWND__* zoomLabel = nullptr;
    HWND__* zoomEdit = nullptr;
    HWND__* zoomUpDown = nullptr;
    HWND__* zoomUnit = nullptr;
    HWND__* fileListWindow = nullptr;

    HFONT__* uiFont = nullptr;
    UiMetrics metrics;
    HACCEL__* acceleratorTable = nullptr;
    HHOOK__* keyboardHook = nullptr;
    HMENU__* containerMenu = nullptr;
    HMENU__* contextMenu = nullptr;  // item 0 of the container
    HMENU__* shadingMenu = nullptr;  // item 1 of the container
    BindingTable bindings;               // the 24 rows shown in menus and tooltips
    CommandItem commandItems[kBindingRowCount];  // owner-draw data of the menu items, one per row

    bool imageLoaded = false;
    bool cropMode = false;
    int cropState = 0;
    int dragMode = 0;  // 0 idle, 1 left drag, 2 right press, 3 pan or zoom-label drag, 4 nothing to pan
    bool inputLock = false;
    bool inputGuard = true;   // off while the program itself writes a field or the zoom edit
    bool cropKeysEnabled = false;
    bool menuLoop = false;  // a menu of the frame is open: its keys are the menu's
    bool documentModified = false;
    bool cropApplied = false;
    bool loadFailed = false;
    bool loadOutOfMemory = false;  // the failed load ran out of memory, rather than finding no readable JPEG
    double zoomFactor = 1.0;
    int32_t wheelRemainder = 0;  // the part of a wheel notch not yet turned into a binding step

    TextBuffer currentPath;
    uint64_t openedWriteTime = 0;  // FILETIME units
    DecodedImage* picture = nullptr;  // the displayed picture, replaced by each load or accepted crop
    CropRequest cropRequest;           // the accepted crop, applied by the save while cropApplied is set
    CropEditor* cropEditor = nullptr;  // exists exactly while crop mode is on
    ViewState viewState;  // zoom, scroll and paint state of the image view
};

extern AppState appState;

// A 96-DPI size at the frame's DPI.
inline int scaled(int pixels) { return scaleToDpi(pixels, appState.metrics.dpi); }

// Back to the state before start-up, releasing the path; the handles must already be destroyed.
void clearAppState();
