#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "common/PathUtil.h"
#include "engine/OsFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsFileImage.h"
#include "support/TestFiles.h"

namespace {

std::u16string str(const TextBuffer& text) { return std::u16string(textChars(&text), text.length); }

// Loads a settings record from the file at `path` exactly as start-up does.
void loadFrom(const std::string& path, Settings* settings) {
    textAssign(&settings->settingsPath, u16(path).c_str());
    SettingsReader reader;
    reader.open(u16(path).c_str());
    reader.readText(0, &settings->languageName);
    loadSettings(reader, settings);
    loadWindowPlacement(reader, settings);
}

std::u16string documentsFolder() {
    TextBuffer folder;
    queryDocumentsFolder(&folder);
    return str(folder);
}

}  // namespace

TEST(Settings, NoFileGivesDefaultsAndExitSaveLayout) {
    TempDir dir;
    std::string path = dir.file("Trimwell.ini");
    Settings settings;
    loadFrom(path, &settings);
    loadRatioPresets(&settings);
    EXPECT_EQ(str(settings.languageName), u"");
    EXPECT_FALSE(settings.windowMaximized);
    EXPECT_EQ(settings.windowLeft, 200);
    EXPECT_EQ(settings.windowTop, 100);
    EXPECT_EQ(settings.windowWidth, 800);
    EXPECT_EQ(settings.windowHeight, 600);
    EXPECT_EQ(settings.maskShading, 1);
    EXPECT_EQ(settings.fontHeight, -12);
    EXPECT_EQ(settings.fontWeight, 400);
    TextBuffer menuFace;
    queryMenuFontFace(&menuFace);
    EXPECT_EQ(str(settings.fontFace), str(menuFace));
    EXPECT_NE(settings.fontFace.length, 0u);
    EXPECT_EQ(str(settings.lastFolder), documentsFolder());
    EXPECT_EQ(settings.markerCopyMode, 2);
    EXPECT_EQ(settings.keyBindingCount, 0);
    const int32_t mouse[7] = {0, 0, 5220, 0, 0, 5231, 5230};
    for (int i = 0; i < 7; i++) EXPECT_EQ(settings.mouseBindings.slots[i], mouse[i]) << i;
    EXPECT_EQ(settings.ratioPresets[1].width, 1024);
    EXPECT_EQ(settings.ratioPresets[1].height, 768);
    EXPECT_EQ(settings.ratioPresets[2].width, 1);
    EXPECT_EQ(settings.ratioPresets[2].height, 1);
    for (int i = 3; i < 9; i++) EXPECT_EQ(settings.ratioPresets[i].width | settings.ratioPresets[i].height, 0);
    EXPECT_EQ(settings.selectedPreset, 0);
    EXPECT_FALSE(fileExists(path));

    textAssign(&settings.languageName, u"English");
    FramePlacement placement;
    placement.maximized = true;
    placement.left = -8;
    placement.top = 20;
    placement.right = 1016;
    placement.bottom = 788;
    CommandBinding accelerators[2];
    accelerators[0].flags = 9;
    accelerators[0].reserved = 0xAA;  // not stored
    accelerators[0].key = 0x4F;
    accelerators[0].command = 5100;
    accelerators[1].key = 0x08;
    accelerators[1].command = 5000;
    ASSERT_TRUE(saveSettings(settings, placement, accelerators, 2));

    SettingsFileImage expected(41);
    expected.text(0, u"English");
    expected.integer(1, 1);
    expected.integer(2, -8);
    expected.integer(3, 20);
    expected.integer(4, 1024);
    expected.integer(5, 768);
    expected.integer(6, 1);
    expected.text(39, str(settings.fontFace));
    expected.integer(7, -12);
    expected.integer(8, 400);
    expected.integer(40, 0);
    expected.text(9, str(settings.lastFolder));
    for (int i = 0; i < 7; i++) expected.integer(31 + i, mouse[i]);
    expected.integer(38, 0);
    expected.integer(10, 0);
    expected.integer(11, 0);
    expected.integer(12, 2);
    expected.data(30, {9, 0, 0x4F, 0, 0xEC, 0x13, 1, 0, 0x08, 0, 0x88, 0x13});
    std::vector<uint8_t> bytes = readFileBytes(path);
    EXPECT_EQ(bytes, expected.bytes);
    // Data of slots 0, 39, 9 and 30, in that order, right after the table.
    EXPECT_EQ(slotPosition(bytes, 0), 332u);
    EXPECT_LT(slotPosition(bytes, 0), slotPosition(bytes, 39));
    EXPECT_LT(slotPosition(bytes, 39), slotPosition(bytes, 9));
    EXPECT_LT(slotPosition(bytes, 9), slotPosition(bytes, 30));

    Settings again;
    loadFrom(path, &again);
    EXPECT_EQ(str(again.languageName), u"English");
    EXPECT_TRUE(again.windowMaximized);
    EXPECT_EQ(again.windowWidth, 1024);
    ASSERT_EQ(again.keyBindingCount, 2);
    EXPECT_EQ(again.keyBindings[0].flags, 9);
    EXPECT_EQ(again.keyBindings[0].key, 0x4F);
    EXPECT_EQ(again.keyBindings[0].command, 5100);
    EXPECT_EQ(again.keyBindings[1].command, 5000);
}

TEST(Settings, OutOfRangeValuesTakeTheirDefaults) {
    TempDir dir;
    std::string path = dir.file("Trimwell.ini");
    struct Case {
        int32_t shading, height, weight, mode, flag, preset;
        int32_t wantShading, wantHeight, wantWeight, wantMode;
        bool wantFlag;
        int32_t wantPreset;
    };
    const Case cases[] = {
        {4, -13, 600, -1, 2, 9, 1, -12, 400, 2, false, 0},
        {128, -16, 700, 1, 3, 8, 128, -16, 700, 1, true, 8},
        {255, -14, 400, 0, 1, -1, 255, -14, 400, 0, true, 0},
        {0, 12, 0, 3, -2, 4, 0, -12, 400, 2, false, 4},
        {-1, -12, 401, INT32_MIN, INT32_MIN + 1, INT32_MAX, 1, -12, 400, 2, true, 0},
    };
    for (const Case& c : cases) {
        SettingsFileImage image(41);
        image.integer(6, c.shading);
        image.integer(7, c.height);
        image.integer(8, c.weight);
        image.integer(12, c.mode);
        for (uint32_t slot : {10u, 11u, 38u, 40u}) image.integer(slot, c.flag);
        image.integer(29, c.preset);
        writeFileBytes(path, image.bytes);
        Settings settings;
        loadFrom(path, &settings);
        loadRatioPresets(&settings);
        SCOPED_TRACE(::testing::Message() << "stored " << c.shading << ", " << c.height << ", " << c.weight << ", "
                                          << c.mode << ", " << c.flag << ", " << c.preset);
        EXPECT_EQ(settings.maskShading, c.wantShading);
        EXPECT_EQ(settings.fontHeight, c.wantHeight);
        EXPECT_EQ(settings.fontWeight, c.wantWeight);
        EXPECT_EQ(settings.markerCopyMode, c.wantMode);
        EXPECT_EQ(settings.saveGrayscale, c.wantFlag);
        EXPECT_EQ(settings.saveProgressive, c.wantFlag);
        EXPECT_EQ(settings.customizeMousePage, c.wantFlag);
        EXPECT_EQ(settings.largeDialogFont, c.wantFlag);
        EXPECT_EQ(settings.selectedPreset, c.wantPreset);
    }
}

TEST(Settings, KeyBindingBlocks) {
    TempDir dir;
    std::string path = dir.file("Trimwell.ini");
    std::vector<uint8_t> one = {13, 7, 0x74, 0, 0xC0, 0x13};
    struct Case {
        std::vector<uint8_t> block;
        int32_t wantCount;
    };
    std::vector<uint8_t> full, tooLong, eleven;
    for (int i = 0; i < 24; i++) full.insert(full.end(), one.begin(), one.end());
    tooLong = full;
    tooLong.insert(tooLong.end(), one.begin(), one.end());
    eleven = one;
    eleven.insert(eleven.end(), one.begin(), one.begin() + 5);
    const Case cases[] = {{{1, 0, 8, 0, 0x88}, 0}, {one, 1}, {eleven, 1}, {full, 24}, {tooLong, 0}};
    for (const Case& c : cases) {
        SettingsFileImage image(41);
        image.data(30, c.block);
        writeFileBytes(path, image.bytes);
        Settings settings;
        loadFrom(path, &settings);
        ASSERT_EQ(settings.keyBindingCount, c.wantCount) << c.block.size() << " bytes";
        for (int i = 0; i < c.wantCount; i++) {
            EXPECT_EQ(settings.keyBindings[i].flags, 13);
            EXPECT_EQ(settings.keyBindings[i].key, 0x74);
            EXPECT_EQ(settings.keyBindings[i].command, 5056);
        }
    }
    // A block that claims more bytes than the file holds.
    SettingsFileImage image(41);
    image.data(30, one);
    image.slot(30, 332, 12);
    writeFileBytes(path, image.bytes);
    Settings settings;
    loadFrom(path, &settings);
    EXPECT_EQ(settings.keyBindingCount, 0);

    // No accelerator at exit (every key removed): one unbound record is stored, so that the next start
    // has no keys rather than the defaults, and stores it again.
    textAssign(&settings.settingsPath, u16(path).c_str());
    ASSERT_TRUE(saveSettings(settings, FramePlacement(), nullptr, 0));
    std::vector<uint8_t> bytes = readFileBytes(path);
    EXPECT_GE(slotPosition(bytes, 30), 332u);
    EXPECT_EQ(slotValue(bytes, 30), 6u);
    for (int round = 0; round < 2; round++) {
        Settings next;
        loadFrom(path, &next);
        ASSERT_EQ(next.keyBindingCount, 1) << "round " << round;
        EXPECT_EQ(next.keyBindings[0].key, 0);
        EXPECT_EQ(next.keyBindings[0].flags, 1);
        BindingTable rows = rowsFromAccelerators(next.keyBindings, next.keyBindingCount);
        for (const CommandBinding& row : rows.rows) EXPECT_EQ(row.key, 0) << "command " << row.command;
        ASSERT_TRUE(saveSettings(next, FramePlacement(), next.keyBindings, next.keyBindingCount));
    }
}

TEST(Settings, LastFolderMustExist) {
    TempDir dir;
    std::string path = dir.file("Trimwell.ini");
    SettingsFileImage image(41);
    image.text(9, u16(dir.path));
    image.text(39, u"Meiryo UI");
    writeFileBytes(path, image.bytes);
    Settings settings;
    loadFrom(path, &settings);
    EXPECT_EQ(str(settings.lastFolder), u16(dir.path));
    EXPECT_EQ(str(settings.fontFace), u"Meiryo UI");

    SettingsFileImage gone(41);
    gone.text(9, u16(dir.file("no-such-folder")));
    writeFileBytes(path, gone.bytes);
    loadFrom(path, &settings);
    EXPECT_EQ(str(settings.lastFolder), documentsFolder());
}

TEST(Settings, CropModeSaveKeepsTextsAndBindings) {
    TempDir dir;
    std::string path = dir.file("Trimwell.ini");
    Settings settings;
    loadFrom(path, &settings);
    textAssign(&settings.languageName, u"Japanese");
    textAssign(&settings.fontFace, u"MS UI Gothic");
    textAssign(&settings.lastFolder, u16(dir.path).c_str());
    settings.maskShading = 128;
    CommandBinding binding;
    binding.flags = 1;
    binding.key = 0x20;
    binding.command = 5220;
    ASSERT_TRUE(saveSettings(settings, FramePlacement(), &binding, 1));

    settings.ratioPresets[3] = {16, 9};
    settings.ratioPresets[1] = {0, 5};
    settings.selectedPreset = 3;
    ASSERT_TRUE(saveRatioPresets(settings));

    Settings loaded;
    loadFrom(path, &loaded);
    loadRatioPresets(&loaded);
    EXPECT_EQ(str(loaded.languageName), u"Japanese");
    EXPECT_EQ(str(loaded.fontFace), u"MS UI Gothic");
    EXPECT_EQ(str(loaded.lastFolder), u16(dir.path));
    EXPECT_EQ(loaded.maskShading, 128);
    ASSERT_EQ(loaded.keyBindingCount, 1);
    EXPECT_EQ(loaded.keyBindings[0].command, 5220);
    EXPECT_EQ(loaded.ratioPresets[3].width, 16);
    EXPECT_EQ(loaded.ratioPresets[3].height, 9);
    EXPECT_EQ(loaded.ratioPresets[1].width, 0);
    EXPECT_EQ(loaded.ratioPresets[1].height, 5);
    EXPECT_EQ(loaded.ratioPresets[2].width, 1);
    EXPECT_EQ(loaded.selectedPreset, 3);
}

// Whatever the file holds, every loaded field stays inside the bounds that other parts rely on.
TEST(Settings, GarbageFilesLoadWithinBounds) {
    TempDir dir;
    std::string path = dir.file("Trimwell.ini");
    std::mt19937 random(41);
    for (int round = 0; round < 200; round++) {
        SettingsFileImage image(41);
        for (uint32_t slot = 0; slot < 41; slot++) {
            switch (random() % 4) {
            case 0: break;
            case 1: image.integer(slot, static_cast<int32_t>(random())); break;
            case 2: image.slot(slot, random() % 400, random() % 300); break;
            default: image.data(slot, std::vector<uint8_t>(random() % 160, static_cast<uint8_t>(random())));
            }
        }
        image.bytes.resize(image.bytes.size() - random() % 40);
        writeFileBytes(path, image.bytes);
        Settings settings;
        loadFrom(path, &settings);
        loadRatioPresets(&settings);
        const int32_t shades[] = {0, 1, 2, 3, 128, 255};
        EXPECT_NE(std::find(std::begin(shades), std::end(shades), settings.maskShading), std::end(shades));
        EXPECT_TRUE(settings.fontHeight == -12 || settings.fontHeight == -14 || settings.fontHeight == -16);
        EXPECT_TRUE(settings.fontWeight == 400 || settings.fontWeight == 700);
        EXPECT_GE(settings.markerCopyMode, 0);
        EXPECT_LE(settings.markerCopyMode, 2);
        EXPECT_GE(settings.selectedPreset, 0);
        EXPECT_LE(settings.selectedPreset, 8);
        EXPECT_GE(settings.keyBindingCount, 0);
        EXPECT_LE(settings.keyBindingCount, 24);
        EXPECT_NE(settings.fontFace.length, 0u);
        if (HasFailure()) break;
    }
}

TEST(SettingsLocation, BesideTheProgramElseApplicationData) {
    TempDir dir;
    std::string program = dir.file("program");
    std::string appData = dir.file("appdata");
    const std::string sep(1, static_cast<char>(kPathSeparator));
    ASSERT_TRUE(osCreateFolder(u16(program).c_str()));
    ASSERT_TRUE(osCreateFolder(u16(appData).c_str()));
    TextBuffer path;

    // Nothing beside the program: the "Trimwell" folder is made in the application data.
    ASSERT_TRUE(chooseSettingsPath(u16(program).c_str(), u16(appData).c_str(), &path));
    EXPECT_EQ(u8(textChars(&path)), appData + sep + "Trimwell" + sep + "Trimwell.ini");
    EXPECT_TRUE(osFolderExists(u16(dir.file("appdata/Trimwell")).c_str()));
    // Again, with the folder already there.
    ASSERT_TRUE(chooseSettingsPath(u16(program).c_str(), u16(appData).c_str(), &path));

    // A file beside the program wins and no application-data folder is made.
    writeFileBytes(dir.file("program/Trimwell.ini"), {});
    std::string otherData = dir.file("other");
    ASSERT_TRUE(osCreateFolder(u16(otherData).c_str()));
    ASSERT_TRUE(chooseSettingsPath(u16(program).c_str(), u16(otherData).c_str(), &path));
    EXPECT_EQ(u8(textChars(&path)), program + sep + "Trimwell.ini");
    EXPECT_FALSE(osFolderExists(u16(dir.file("other/Trimwell")).c_str()));

    // Only one level is created; a missing parent, or a file in the way, stops start-up.
    EXPECT_FALSE(chooseSettingsPath(u16(otherData).c_str(), u16(dir.file("missing/deeper")).c_str(), &path));
    writeFileBytes(dir.file("blocked"), {});
    EXPECT_FALSE(chooseSettingsPath(u16(otherData).c_str(), u16(dir.file("blocked")).c_str(), &path));
    EXPECT_FALSE(chooseSettingsPath(u16(otherData).c_str(), u"", &path));
}

TEST(SettingsLocation, OsVersionClasses) {
    struct Case {
        uint32_t major, minor;
        int want;
    };
    const Case cases[] = {{4, 10, 0}, {5, 0, 0}, {5, 1, 1}, {5, 2, 1}, {5, 3, 0}, {6, 0, 2}, {6, 1, 3},
                          {6, 2, 4},  {6, 3, 5}, {6, 4, 5}, {10, 0, 5}, {0, 0, 0}};
    for (const Case& c : cases) EXPECT_EQ(osVersionClass(c.major, c.minor), c.want) << c.major << "." << c.minor;
    EXPECT_GT(currentOsVersionClass(), 0);
}
