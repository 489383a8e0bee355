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
    // The restored rectangle comes in workspace coordinates, which start at the work area; start-up reads
    // the stored numbers as screen coordinates, so without the shift a taskbar at the top or left would
    // move the window by its size at every start.
    LONG shiftX = 0, shiftY = 0;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromWindow(frame, MONITOR_DEFAULTTONEAREST), &monitor)) {
        shiftX = monitor.rcWork.left - monitor.rcMonitor.left;
        shiftY = monitor.rcWork.top - monitor.rcMonitor.top;
    }
    placement.left = window.rcNormalPosition.left + shiftX;
    placement.top = window.rcNormalPosition.top + shiftY;
    placement.right = window.rcNormalPosition.right + shiftX;
    placement.bottom = window.rcNormalPosition.bottom + shiftY;
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
