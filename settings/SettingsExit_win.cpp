#include "settings/Settings.h"

#include "common/WinHeaders.h"
#include "shell/AppState.h"

static_assert(sizeof(ACCEL) == sizeof(CommandBinding), "stored bindings are copied accelerator entries");

namespace {

// Maximized also when minimized from the maximized state, so that the next start comes back maximized.
FramePlacement placementOf(HWND frame) {
    FramePlacement placement;
    WINDOWPLACEMENT window = {};
    window.length = sizeof window;
    if (!frame || !GetWindowPlacement(frame, &window)) return placement;
    placement.maximized = window.showCmd == SW_SHOWMAXIMIZED ||
                          (window.showCmd == SW_SHOWMINIMIZED && (window.flags & WPF_RESTORETOMAXIMIZED));
    placement.left = window.rcNormalPosition.left;
    placement.top = window.rcNormalPosition.top;
    placement.right = window.rcNormalPosition.right;
    placement.bottom = window.rcNormalPosition.bottom;
    return placement;
}

}  // namespace

bool saveSettingsOnExit(const Settings& settings) {
    CommandBinding entries[kMaxKeyBindings];
    int count = 0;
    if (appState.acceleratorTable) {
        count = CopyAcceleratorTableW(appState.acceleratorTable, reinterpret_cast<ACCEL*>(entries), kMaxKeyBindings);
        if (count > kMaxKeyBindings) count = kMaxKeyBindings;
        if (count < 0) count = 0;
    }
    bool saved = saveSettings(settings, placementOf(appState.frame), entries, count);
    if (appState.acceleratorTable) DestroyAcceleratorTable(appState.acceleratorTable);
    appState.acceleratorTable = nullptr;
    return saved;
}
