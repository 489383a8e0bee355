// Start-up in its fixed order, the message loop with the accelerators and the crop-key hook, and the
// orderly shutdown that ends in the settings file.
#include "shell/ShellWindows.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "engine/LoadPicture.h"
#include "settings/LanguageModule.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/LibrarySearch.h"
#include "shell/Dispatch.h"
#include "filelist/FileListWindow.h"
#include "help/Help.h"
#include "shell/Menus.h"
#include "shell/PictureLoad.h"
#include "shell/Prefetch.h"
#include "shell/Toolbars.h"
#include "shell/WindowFit.h"

namespace {

constexpr SIZE_T kPrivateHeapSize = 16384;

struct StartupRecord {
    bool comStarted = false;
    bool shutDown = false;
    TextBuffer commandLineFile;  // the first argument as a full path, empty when there is none
};
StartupRecord startup;

void showStartFailure(const wchar_t* text) {
    MessageBoxW(nullptr, text, L"Error", MB_ICONERROR | MB_SETFOREGROUND);
}

// The stored bindings are used as stored; without any, the default rows make the table.
void loadBindings() {
    if (gSettings.keyBindingCount > 0) {
        appState.bindings = rowsFromAccelerators(gSettings.keyBindings, gSettings.keyBindingCount);
        appState.acceleratorTable =
            CreateAcceleratorTableW(reinterpret_cast<ACCEL*>(gSettings.keyBindings), gSettings.keyBindingCount);
    } else {
        appState.bindings = defaultBindingTable();
        appState.acceleratorTable = createAcceleratorTable(appState.bindings);
    }
}

WindowBox framePlacement() {
    WindowBox box{gSettings.windowLeft, gSettings.windowTop, gSettings.windowWidth, gSettings.windowHeight};
    RECT rect = {box.left, box.top, box.left + box.width, box.top + box.height};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    HMONITOR nearest = MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST);
    if (!nearest || !GetMonitorInfoW(nearest, &monitor)) return box;
    const RECT& work = monitor.rcWork;
    return fitWindowToWorkArea(box, WindowBox{work.left, work.top, work.right - work.left, work.bottom - work.top});
}

int frameShowCommand(int showCommand) {
    if (showCommand == SW_SHOWMAXIMIZED || showCommand == SW_SHOWMINNOACTIVE) return SW_SHOWNORMAL;
    return gSettings.windowMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
}

bool initCommonControls() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                                          ICC_UPDOWN_CLASS | ICC_COOL_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
}

// Locating the settings makes the program's folder current, so a relative argument is made whole first,
// against the folder it was given in. This also turns forward slashes into backslashes.
void rememberCommandLineFile(int argumentCount, wchar_t** arguments) {
    textFree(&startup.commandLineFile);
    if (argumentCount < 2 || !arguments[1][0]) return;
    DWORD length = GetFullPathNameW(arguments[1], 0, nullptr, nullptr);
    if (length == 0 || !textReserve(&startup.commandLineFile, length)) return;
    DWORD written = GetFullPathNameW(arguments[1], length, asWide(startup.commandLineFile.data), nullptr);
    if (written == 0 || written >= length) return;
    textSetLength(&startup.commandLineFile, written);
}

// Steps 6 to 15, with the reader open.
bool startWithReader(SettingsReader* reader, int showCommand) {
    reader->readText(0, &gSettings.languageName);
    if (!loadLanguageModule(&gSettings.languageName)) {
        showStartFailure(L"Language file not found.");
        return false;
    }
    loadSettings(*reader, &gSettings);
    loadBindings();
    appState.dragMode = 0;
    if (!createMenus(&appState.bindings)) return false;
    if (!registerWindowClasses(appState.instance) || !initCommonControls()) return false;
    loadWindowPlacement(*reader, &gSettings);
    if (!createFrameWindow(framePlacement())) return false;
    gSettings.fileListWidth = scaled(180);  // the list window's size is kept for one run only
    gSettings.fileListHeight = scaled(360);
    appState.keyboardHook = SetWindowsHookExW(WH_KEYBOARD, keyHookProc, nullptr, GetCurrentThreadId());
    showNewPicture();
    ShowWindow(appState.frame, frameShowCommand(showCommand));
    UpdateWindow(appState.frame);
    const char16_t* file = textChars(&startup.commandLineFile);
    if (startup.commandLineFile.length != 0 && GetFileAttributesW(asWide(file)) != INVALID_FILE_ATTRIBUTES)
        openPathFromShell(file);
    return true;
}

}  // namespace

bool startShell(HINSTANCE instance, int showCommand, int argumentCount, wchar_t** arguments) {
    startup.comStarted = false;
    startup.shutDown = false;
    appState.privateHeap = HeapCreate(0, kPrivateHeapSize, 0);
    if (!appState.privateHeap) return false;
    rememberCommandLineFile(argumentCount, arguments);
    appState.instance = instance;
    appState.osLevel = currentOsVersionClass();
    startup.comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    initHelp();
    if (appState.osLevel == 0 || !locateSettingsFile(&gSettings)) {
        showStartFailure(L"Failed to execute file.");
        return false;
    }
    SettingsReader reader;
    reader.open(textChars(&gSettings.settingsPath));
    bool started = startWithReader(&reader, showCommand);
    reader.close();
    textFree(&startup.commandLineFile);
    return started;
}

namespace {

// The frame's keys belong to the frame and its list window; a help viewer running on this thread keeps
// its own (Space, BackSpace or Ctrl+S typed into its search box must not zoom, revert or save).
bool isProgramWindow(HWND window) {
    HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    return root && (root == appState.frame || root == appState.fileListWindow);
}

}  // namespace

void handleLoopMessage(MSG* message) {
    if (helpTakesMessage(message)) return;
    if (!appState.inputLock && appState.acceleratorTable && isProgramWindow(message->hwnd) &&
        TranslateAcceleratorW(appState.frame, appState.acceleratorTable, message))
        return;
    TranslateMessage(message);
    DispatchMessageW(message);
}

int runMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) handleLoopMessage(&message);
    return 0;
}

void finishShell() {
    textFree(&startup.commandLineFile);
    releaseLanguageModule();
    uninitHelp();
    if (appState.privateHeap) HeapDestroy(appState.privateHeap);
    appState.privateHeap = nullptr;
    if (startup.comStarted) CoUninitialize();
    startup.comStarted = false;
    destroyUiFont();
    clearAppState();
}

int ShellStartup(HINSTANCE instance, int showCommand) {
    restrictLibrarySearch();
    int argumentCount = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &argumentCount);
    bool started = startShell(instance, showCommand, argumentCount, arguments);
    if (arguments) LocalFree(arguments);
    if (!started && !appState.privateHeap) return 0;  // nothing was started yet: no exit steps
    if (started) runMessageLoop();
    finishShell();
    return 0;
}

void shutdownShell() {
    if (startup.shutDown) return;
    startup.shutDown = true;
    if (appState.keyboardHook) UnhookWindowsHookEx(appState.keyboardHook);
    appState.keyboardHook = nullptr;
    shutdownPrefetch();
    releaseFileList();
    releasePicture(&appState.picture);
    appState.imageLoaded = false;
    destroyBars();
    destroyMenus();
    // Placement (maximized also when minimized from maximized) and the live accelerator table, which is
    // destroyed once stored.
    saveSettingsOnExit(gSettings);
}

// The hook runs for every window of the thread, menus and modal dialogs included: Enter and Esc there
// choose a menu item or close the dialog, so they are crop keys only while the frame itself has the input.
LRESULT CALLBACK keyHookProc(int code, WPARAM virtualKey, LPARAM keyFlags) {
    bool keyDown = (keyFlags & 0x80000000) == 0;
    bool frameHasInput = appState.frame && IsWindowEnabled(appState.frame) && !appState.menuLoop;
    if (code == HC_ACTION && appState.cropKeysEnabled && keyDown && frameHasInput) {
        if (virtualKey == VK_RETURN && appState.cropMode && appState.cropState == 3) {
            dispatchCommand(MAKELONG(CMD_CROP_ACCEPT, CMD_SOURCE_ACCELERATOR));
            return 1;
        }
        if (virtualKey == VK_ESCAPE && appState.cropMode) {
            dispatchCommand(MAKELONG(CMD_CROP_CANCEL, CMD_SOURCE_ACCELERATOR));
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, virtualKey, keyFlags);
}
