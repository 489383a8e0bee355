#include "shell/AppState.h"

AppState appState;

void clearAppState() {
    textFree(&appState.currentPath);
    AppState& s = appState;
    s.privateHeap = nullptr;
    s.instance = s.languageModule = nullptr;
    s.osLevel = 0;
    s.frame = s.view = s.rebar = s.toolbar1 = s.toolbar2 = s.cropToolbar = s.tooltip = nullptr;
    s.zoomLabel = s.zoomEdit = s.zoomUpDown = s.zoomUnit = s.fileListWindow = nullptr;
    s.uiFont = nullptr;
    s.metrics = UiMetrics{};
    s.acceleratorTable = nullptr;
    s.keyboardHook = nullptr;
    s.containerMenu = s.contextMenu = s.shadingMenu = nullptr;
    s.bindings = BindingTable{};
    for (CommandItem& item : s.commandItems) item = CommandItem{};
    s.imageLoaded = s.cropMode = s.inputLock = s.cropKeysEnabled = false;
    s.documentModified = s.cropApplied = s.loadFailed = s.loadOutOfMemory = false;
    s.inputGuard = true;
    s.cropState = s.dragMode = 0;
    s.zoomFactor = 1.0;
    s.wheelRemainder = 0;
    s.openedWriteTime = 0;
    s.picture = nullptr;
    s.cropRequest = CropRequest{};
    s.cropEditor = nullptr;
    s.viewState = ViewState{};
}
