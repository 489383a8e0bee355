#pragma once
// The persistent settings of the program: one process-wide record, filled from Trimwell.ini at start-up
// and written back at exit. The slot of each field, its default and its load-time bounds live in
// Settings.cpp; the code that uses a field gives its meaning.

#include <cstdint>

#include "common/TextBuffer.h"
#include "shell/BindingTable.h"
#include "view/CropRect.h"  // RatioPreset and kRatioPresetCount (entry 0, the free choice, is never stored)

struct SettingsReader;

constexpr int kMaxKeyBindings = kBindingRowCount;  // stored accelerator entries

// Frame window placement for the exit save, taken by the shell from the live window.
struct FramePlacement {
    bool maximized = false;  // also when minimized from the maximized state
    int32_t left = 200, top = 100, right = 1000, bottom = 700;  // the restored-window rectangle
};

struct Settings {
    TextBuffer languageName;                 // slot 0
    bool windowMaximized = false;            // slots 1 to 5, read by the shell when it creates the frame
    int32_t windowLeft = 200;
    int32_t windowTop = 100;
    int32_t windowWidth = 800;
    int32_t windowHeight = 600;
    int32_t maskShading = 1;                 // 6
    int32_t fontHeight = -12;                // 7
    int32_t fontWeight = 400;                // 8
    TextBuffer lastFolder;                   // 9
    bool saveGrayscale = false;              // 10
    bool saveProgressive = false;            // 11
    int32_t markerCopyMode = 2;              // 12
    RatioPreset ratioPresets[kRatioPresetCount] = {{0, 0}, {1024, 768}, {1, 1}};  // 13 to 28
    int32_t selectedPreset = 0;              // 29
    // Slot 30: the stored accelerator entries exactly as stored; a count of 0 means the default bindings.
    CommandBinding keyBindings[kMaxKeyBindings];
    int32_t keyBindingCount = 0;
    MouseBindings mouseBindings = {{0, 0, 5220, 0, 0, 5231, 5230}};  // 31 to 37
    bool customizeMousePage = false;         // 38
    TextBuffer fontFace;                     // 39
    bool largeDialogFont = false;            // 40

    // Run-time values, never stored.
    TextBuffer settingsPath;
    int32_t fileListWidth = 180;
    int32_t fileListHeight = 360;
};

extern Settings gSettings;

// Reads slots 31 to 37, 6, 38, 39, 7, 8, 40, 9, 10, 11, 12 and 30, in this order, with the load rules.
void loadSettings(const SettingsReader& reader, Settings* settings);
// Slots 1 to 5.
void loadWindowPlacement(const SettingsReader& reader, Settings* settings);
// The exit save. `accelerators` is the live accelerator table copied out (at most 24 entries are stored).
bool saveSettings(const Settings& settings, const FramePlacement& placement, const CommandBinding* accelerators,
                  int32_t acceleratorCount);
// Windows: the exit save with appState.frame's placement and the live accelerator table of appState,
// which is destroyed afterwards.
bool saveSettingsOnExit(const Settings& settings);
// Slots 13 to 29, each time crop mode begins and ends.
void loadRatioPresets(Settings* settings);
bool saveRatioPresets(const Settings& settings);

// Steps 3 and 4 of locating the settings file, given the program's folder and the user's roaming
// application-data folder: Trimwell.ini beside the program when it exists there, else in a "Trimwell"
// folder of the application data, created one level deep. False when that folder cannot be made.
bool chooseSettingsPath(const char16_t* programFolder, const char16_t* appDataFolder, TextBuffer* path);
// Takes the program's folder as the current directory and decides settings->settingsPath once.
bool locateSettingsFile(Settings* settings);

// Class of the platform version: 0 unsupported (below 5, or 5.x other than 5.1 and 5.2), 1 for 5.1 and
// 5.2, 2 for 6.0, 3 for 6.1, 4 for 6.2, 5 for 6.3, later 6.x and everything above 6.
int osVersionClass(uint32_t major, uint32_t minor);
int currentOsVersionClass();

// Where the platform keeps the user's folders and the menu font (SettingsPlatform_win.cpp / _posix.cpp).
bool queryDocumentsFolder(TextBuffer* path);
bool queryRoamingAppDataFolder(TextBuffer* path);
bool queryMenuFontFace(TextBuffer* face);
bool queryProgramFolder(TextBuffer* path);
bool setCurrentFolder(const char16_t* path);
