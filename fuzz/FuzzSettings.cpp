// The settings reader with every setting and the key-binding block, on the input as a settings file.
#include <cstdint>

#include "FuzzFile.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = fuzzScratchPath("Trimwell.ini");
    if (!writeScratch(path, data, size)) return 0;
    const std::u16string name = widen(path);
    SettingsReader reader;
    reader.open(name.c_str());
    Settings settings;
    loadSettings(reader, &settings);
    loadWindowPlacement(reader, &settings);
    for (int32_t i = 0; i < settings.keyBindingCount; i++) {
        if (settings.keyBindings[i].command == 0xFFFF) return 0;  // reads every entry it reports
    }
    return 0;
}
