#include "settings/Settings.h"

#include "common/PathUtil.h"
#include "engine/OsFile.h"
#include "settings/SettingsFile.h"
#include "shell/CommandIds.h"

Settings gSettings;

namespace {

enum SettingsSlotIndex : uint32_t {
    kSlotLanguageName = 0,
    kSlotWindowMaximized = 1,
    kSlotWindowLeft = 2,
    kSlotWindowTop = 3,
    kSlotWindowWidth = 4,
    kSlotWindowHeight = 5,
    kSlotMaskShading = 6,
    kSlotFontHeight = 7,
    kSlotFontWeight = 8,
    kSlotLastFolder = 9,
    kSlotSaveGrayscale = 10,
    kSlotSaveProgressive = 11,
    kSlotMarkerCopyMode = 12,
    kSlotPresetWidths = 13,   // presets 1 to 8
    kSlotPresetHeights = 21,  // presets 1 to 8
    kSlotSelectedPreset = 29,
    kSlotKeyBindings = 30,
    kSlotMouseBindings = 31,  // 31 to 37
    kSlotCustomizeMousePage = 38,
    kSlotFontFace = 39,
    kSlotLargeDialogFont = 40,
};

constexpr int32_t kDefaultMouseBindings[kMouseBindingSlots] = {0, 0, 5220, 0, 0, 5231, 5230};
constexpr RatioPreset kDefaultPresets[kRatioPresetCount] = {{0, 0}, {1024, 768}, {1, 1}};

bool isMaskShading(int32_t value) {
    return value == 0 || value == 1 || value == 2 || value == 3 || value == 128 || value == 255;
}

bool readBool(const SettingsReader& reader, uint32_t slot) { return (reader.readInt(slot, 0) & 1) != 0; }

// Slot 30. Only a block of at most 24 entries that was read in full gives bindings; anything else, an
// empty block included, leaves the count at 0 so that the shell takes the default bindings.
void loadKeyBindings(const SettingsReader& reader, Settings* settings) {
    settings->keyBindingCount = 0;
    uint8_t block[6 * kMaxKeyBindings];
    uint32_t length = 0;
    if (!reader.readData(kSlotKeyBindings, block, sizeof block, &length)) return;
    int32_t count = static_cast<int32_t>(length / 6);
    for (int32_t i = 0; i < count; i++) {
        const uint8_t* p = block + 6 * i;
        CommandBinding& binding = settings->keyBindings[i];
        binding.flags = p[0];
        binding.reserved = p[1];
        binding.key = static_cast<uint16_t>(p[2] | p[3] << 8);
        binding.command = static_cast<uint16_t>(p[4] | p[5] << 8);
    }
    settings->keyBindingCount = count;
}

bool writeTextSlot(SettingsWriter* writer, uint32_t slot, const TextBuffer& text) {
    return writer->writeText(slot, textChars(&text), static_cast<uint32_t>(text.length));
}

}  // namespace

void loadSettings(const SettingsReader& reader, Settings* settings) {
    for (int i = 0; i < kMouseBindingSlots; i++) {
        settings->mouseBindings.slots[i] = reader.readInt(kSlotMouseBindings + i, kDefaultMouseBindings[i]);
    }
    int32_t shading = reader.readInt(kSlotMaskShading, 1);
    settings->maskShading = isMaskShading(shading) ? shading : 1;
    settings->customizeMousePage = readBool(reader, kSlotCustomizeMousePage);

    reader.readText(kSlotFontFace, &settings->fontFace);
    if (settings->fontFace.length == 0) queryMenuFontFace(&settings->fontFace);
    int32_t height = reader.readInt(kSlotFontHeight, -12);
    settings->fontHeight = (height == -12 || height == -14 || height == -16) ? height : -12;
    int32_t weight = reader.readInt(kSlotFontWeight, 400);
    settings->fontWeight = (weight == 400 || weight == 700) ? weight : 400;
    settings->largeDialogFont = readBool(reader, kSlotLargeDialogFont);

    reader.readText(kSlotLastFolder, &settings->lastFolder);
    if (settings->lastFolder.length == 0 || !osFolderExists(textChars(&settings->lastFolder))) {
        textClear(&settings->lastFolder);
        if (!queryDocumentsFolder(&settings->lastFolder)) textClear(&settings->lastFolder);
    }

    settings->saveGrayscale = readBool(reader, kSlotSaveGrayscale);
    settings->saveProgressive = readBool(reader, kSlotSaveProgressive);
    uint32_t mode = static_cast<uint32_t>(reader.readInt(kSlotMarkerCopyMode, 2));
    settings->markerCopyMode = mode <= 2 ? static_cast<int32_t>(mode) : 2;
    loadKeyBindings(reader, settings);
}

void loadWindowPlacement(const SettingsReader& reader, Settings* settings) {
    settings->windowMaximized = reader.readInt(kSlotWindowMaximized, 0) != 0;
    settings->windowLeft = reader.readInt(kSlotWindowLeft, 200);
    settings->windowTop = reader.readInt(kSlotWindowTop, 100);
    settings->windowWidth = reader.readInt(kSlotWindowWidth, 800);
    settings->windowHeight = reader.readInt(kSlotWindowHeight, 600);
}

bool saveSettings(const Settings& settings, const FramePlacement& placement, const CommandBinding* accelerators,
                  int32_t acceleratorCount) {
    SettingsWriter writer;
    if (!writer.open(textChars(&settings.settingsPath))) return false;
    writeTextSlot(&writer, kSlotLanguageName, settings.languageName);
    writer.writeInt(kSlotWindowMaximized, placement.maximized ? 1 : 0);
    writer.writeInt(kSlotWindowLeft, placement.left);
    writer.writeInt(kSlotWindowTop, placement.top);
    writer.writeInt(kSlotWindowWidth, placement.right - placement.left);
    writer.writeInt(kSlotWindowHeight, placement.bottom - placement.top);
    writer.writeInt(kSlotMaskShading, settings.maskShading);
    writeTextSlot(&writer, kSlotFontFace, settings.fontFace);
    writer.writeInt(kSlotFontHeight, settings.fontHeight);
    writer.writeInt(kSlotFontWeight, settings.fontWeight);
    writer.writeInt(kSlotLargeDialogFont, settings.largeDialogFont ? 1 : 0);
    writeTextSlot(&writer, kSlotLastFolder, settings.lastFolder);
    for (int i = 0; i < kMouseBindingSlots; i++) writer.writeInt(kSlotMouseBindings + i, settings.mouseBindings.slots[i]);
    writer.writeInt(kSlotCustomizeMousePage, settings.customizeMousePage ? 1 : 0);
    writer.writeInt(kSlotSaveGrayscale, settings.saveGrayscale ? 1 : 0);
    writer.writeInt(kSlotSaveProgressive, settings.saveProgressive ? 1 : 0);
    writer.writeInt(kSlotMarkerCopyMode, settings.markerCopyMode);

    int32_t count = acceleratorCount < 0 ? 0 : acceleratorCount > kMaxKeyBindings ? kMaxKeyBindings : acceleratorCount;
    // An empty slot reads back as "use the defaults": a user who removed every key would get them all
    // back. One unbound record (key 0) keeps "no keys" instead.
    CommandBinding unbound;
    unbound.command = CMD_OPEN;
    if (count == 0) {
        accelerators = &unbound;
        count = 1;
    }
    uint8_t block[6 * kMaxKeyBindings];
    for (int32_t i = 0; i < count; i++) {
        uint8_t* p = block + 6 * i;
        p[0] = accelerators[i].flags;
        p[1] = 0;
        p[2] = static_cast<uint8_t>(accelerators[i].key);
        p[3] = static_cast<uint8_t>(accelerators[i].key >> 8);
        p[4] = static_cast<uint8_t>(accelerators[i].command);
        p[5] = static_cast<uint8_t>(accelerators[i].command >> 8);
    }
    writer.writeData(kSlotKeyBindings, block, static_cast<uint32_t>(6 * count));
    writer.close();
    return true;
}

// A stored selection outside the nine entries would index past the table; it falls back to the free entry.
void loadRatioPresets(Settings* settings) {
    SettingsReader reader;
    reader.open(textChars(&settings->settingsPath));
    settings->ratioPresets[0] = RatioPreset();
    for (int i = 1; i < kRatioPresetCount; i++) {
        settings->ratioPresets[i].width = reader.readInt(kSlotPresetWidths + i - 1, kDefaultPresets[i].width);
        settings->ratioPresets[i].height = reader.readInt(kSlotPresetHeights + i - 1, kDefaultPresets[i].height);
    }
    int32_t selected = reader.readInt(kSlotSelectedPreset, 0);
    settings->selectedPreset = (selected >= 0 && selected < kRatioPresetCount) ? selected : 0;
}

bool saveRatioPresets(const Settings& settings) {
    SettingsWriter writer;
    if (!writer.open(textChars(&settings.settingsPath))) return false;
    for (int i = 1; i < kRatioPresetCount; i++) {
        writer.writeInt(kSlotPresetWidths + i - 1, settings.ratioPresets[i].width);
        writer.writeInt(kSlotPresetHeights + i - 1, settings.ratioPresets[i].height);
    }
    writer.writeInt(kSlotSelectedPreset, settings.selectedPreset);
    writer.close();
    return true;
}

bool chooseSettingsPath(const char16_t* programFolder, const char16_t* appDataFolder, TextBuffer* path) {
    textClear(path);
    textAssign(path, programFolder);
    pathJoin(path, u"Trimwell.ini");
    if (!path->failed && osFileExists(textChars(path))) return true;
    textClear(path);
    if (!appDataFolder[0]) return false;
    textAssign(path, appDataFolder);
    pathJoin(path, u"Trimwell");
    if (path->failed || !osCreateFolder(textChars(path))) {
        textClear(path);
        return false;
    }
    pathJoin(path, u"Trimwell.ini");
    return !path->failed;
}

bool locateSettingsFile(Settings* settings) {
    TextBuffer programFolder;
    if (!queryProgramFolder(&programFolder)) return false;
    setCurrentFolder(textChars(&programFolder));
    TextBuffer appData;
    queryRoamingAppDataFolder(&appData);
    return chooseSettingsPath(textChars(&programFolder), textChars(&appData), &settings->settingsPath);
}

int osVersionClass(uint32_t major, uint32_t minor) {
    if (major < 5) return 0;
    if (major == 5) return (minor == 1 || minor == 2) ? 1 : 0;
    if (major > 6) return 5;
    switch (minor) {
    case 0: return 2;
    case 1: return 3;
    case 2: return 4;
    default: return 5;
    }
}
