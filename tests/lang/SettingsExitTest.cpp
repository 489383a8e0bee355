#include "settings/Settings.h"

#include <gtest/gtest.h>

#include "common/WinHeaders.h"
#include "settings/SettingsFile.h"
#include "shell/AppState.h"
#include "support/TestFiles.h"

namespace {

struct FrameForExit : ::testing::Test {
    TempDir dir;
    Settings settings;

    void SetUp() override {
        textAssign(&settings.settingsPath, u16(dir.file("Trimwell.ini")).c_str());
        textAssign(&settings.languageName, u"English");
        appState.frame = CreateWindowExW(0, L"Static", L"frame", WS_OVERLAPPEDWINDOW, 50, 60, 400, 300, nullptr,
                                         nullptr, nullptr, nullptr);
        ASSERT_NE(appState.frame, nullptr);
        ShowWindow(appState.frame, SW_SHOWNORMAL);
    }
    void TearDown() override {
        DestroyWindow(appState.frame);
        appState.frame = nullptr;
        if (appState.acceleratorTable) DestroyAcceleratorTable(appState.acceleratorTable);
        appState.acceleratorTable = nullptr;
    }
    void loadBack(SettingsReader* reader) { ASSERT_TRUE(reader->open(textChars(&settings.settingsPath))); }
};

}  // namespace

TEST_F(FrameForExit, StoresPlacementAndAcceleratorsThenDestroysThem) {
    ACCEL entries[2] = {{FVIRTKEY | FCONTROL, 'O', 5100}, {FVIRTKEY, VK_BACK, 5000}};
    appState.acceleratorTable = CreateAcceleratorTableW(entries, 2);
    ASSERT_TRUE(saveSettingsOnExit(settings));
    EXPECT_EQ(appState.acceleratorTable, nullptr);

    SettingsReader reader;
    loadBack(&reader);
    EXPECT_EQ(reader.readInt(1, -1), 0);
    EXPECT_EQ(reader.readInt(2, 0), 50);
    EXPECT_EQ(reader.readInt(3, 0), 60);
    EXPECT_EQ(reader.readInt(4, 0), 400);
    EXPECT_EQ(reader.readInt(5, 0), 300);
    uint8_t block[144];
    uint32_t length = 0;
    ASSERT_TRUE(reader.readData(30, block, sizeof block, &length));
    ASSERT_EQ(length, 12u);
    EXPECT_EQ(block[0], FVIRTKEY | FCONTROL);
    EXPECT_EQ(block[2], 'O');
    EXPECT_EQ(block[4] | block[5] << 8, 5100);
    EXPECT_EQ(block[8], VK_BACK);
}

TEST_F(FrameForExit, MaximizedEvenWhenMinimizedFromMaximized) {
    ShowWindow(appState.frame, SW_SHOWMAXIMIZED);
    ASSERT_TRUE(saveSettingsOnExit(settings));
    {
        SettingsReader reader;
        loadBack(&reader);
        EXPECT_EQ(reader.readInt(1, -1), 1);
        EXPECT_EQ(reader.readInt(4, 0), 400);  // the restored rectangle, not the maximized one
        EXPECT_EQ(reader.readInt(30, 7), 7);
        EXPECT_EQ(reader.dataLength(30), 6u);  // no accelerator table: one unbound record keeps "no keys"
    }
    ShowWindow(appState.frame, SW_MINIMIZE);
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(appState.frame, &placement);
    if (placement.showCmd != SW_SHOWMINIMIZED || !(placement.flags & WPF_RESTORETOMAXIMIZED)) {
        GTEST_SKIP() << "this window manager does not minimize from maximized";
    }
    ASSERT_TRUE(saveSettingsOnExit(settings));
    SettingsReader reader;
    loadBack(&reader);
    EXPECT_EQ(reader.readInt(1, -1), 1);
}
