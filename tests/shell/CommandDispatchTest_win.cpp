// Commands of the dispatcher that move between the application states in the real frame: the checks
// before a save, revert, the crop button undoing an accepted crop, the crop command from its key or a
// mouse binding, and the file commands ignored in crop mode.
#include "FrameHarness_win.h"

#include <commctrl.h>

#include "engine/DecodedImage.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "shell/Menus.h"
#include "settings/Settings.h"

namespace {

class CommandDispatch : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        original.width = 160;
        original.height = 96;
        path = writePicture(original, "street.jpg");
        ASSERT_TRUE(startFrame(path));
        ASSERT_TRUE(appState.imageLoaded);
    }

    void cropIt() {
        ASSERT_TRUE(endCropDisplayWith({16, 16, 111, 79}, true));
        ASSERT_EQ(windowText(appState.frame), "street.jpg  ( 96x64  24bit )");
    }

    void expectReloaded(const char* what) {
        EXPECT_TRUE(appState.imageLoaded) << what;
        EXPECT_FALSE(appState.cropApplied) << what;
        EXPECT_FALSE(appState.documentModified) << what;
        EXPECT_FALSE(appState.cropMode) << what;
        EXPECT_EQ(windowText(appState.frame), "street.jpg  ( 160x96  24bit )") << what;
        EXPECT_EQ(toolbar2State(CMD_CROP), TBSTATE_ENABLED) << what;
    }

    void expectStillCropped(const char* what) {
        EXPECT_TRUE(appState.cropApplied) << what;
        EXPECT_TRUE(appState.documentModified) << what;
        EXPECT_EQ(windowText(appState.frame), "street.jpg  ( 96x64  24bit )") << what;
        EXPECT_EQ(toolbar2State(CMD_CROP), TBSTATE_ENABLED | TBSTATE_CHECKED) << what;
    }

    void clickCropButton() {
        // A click toggles the check button before the command arrives.
        bool checked = (toolbar2State(CMD_CROP) & TBSTATE_CHECKED) != 0;
        SendMessageW(appState.toolbar2, TB_CHECKBUTTON, CMD_CROP, MAKELPARAM(!checked, 0));
        SendMessageW(appState.frame, WM_COMMAND, MAKEWPARAM(CMD_CROP, BN_CLICKED), LPARAM(appState.toolbar2));
    }

    TestJpegOptions original;
    std::wstring path;
};

void setWriteTime(const std::wstring& path, uint64_t fileTime) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME time = {DWORD(fileTime), DWORD(fileTime >> 32)};
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

}  // namespace

TEST_F(CommandDispatch, SavesAreRefusedWhenTheFileChangedOrVanished) {
    MessageBoxAnswerer answerer(IDOK);
    std::vector<uint8_t> before = readFileBytes(u8(asText(path.c_str())));
    setWriteTime(path, appState.openedWriteTime + 10000000ull * 3600);  // an hour later
    dispatchCommand(CMD_SAVE);
    dispatchCommand(CMD_SAVE_AS);  // the check comes before the dialog
    EXPECT_EQ(readFileBytes(u8(asText(path.c_str()))), before);
    DeleteFileW(path.c_str());
    dispatchCommand(CMD_SAVE);
    dispatchCommand(CMD_SAVE_AS);
    std::vector<MessageBoxAnswerer::Box> boxes = answerer.boxes();
    ASSERT_EQ(boxes.size(), 4u);
    const uint32_t expected[] = {TXT_ERROR_CHANGED_ON_DISK, TXT_ERROR_CHANGED_ON_DISK, TXT_ERROR_CANNOT_REOPEN,
                                 TXT_ERROR_CANNOT_REOPEN};
    for (size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].caption, languageText(TXT_ERROR_CAPTION)) << i;
        EXPECT_EQ(boxes[i].text, languageText(expected[i])) << i;
    }
    EXPECT_NE(languageText(TXT_ERROR_CHANGED_ON_DISK), languageText(TXT_ERROR_CANNOT_REOPEN));
    EXPECT_FALSE(fileExists(u8(asText(path.c_str())))) << "nothing was written";
}

TEST_F(CommandDispatch, FileCommandsAreIgnoredInCropMode) {
    cropIt();
    MessageBoxAnswerer answerer(IDNO);
    DeleteFileW(path.c_str());  // a save would report it, a revert would ask and fail to load
    appState.cropMode = true;
    for (int command : {CMD_SAVE, CMD_SAVE_AS, CMD_REVERT}) dispatchCommand(uint32_t(command));
    appState.cropMode = false;
    EXPECT_TRUE(answerer.boxes().empty());
    expectStillCropped("after file commands in crop mode");
}

TEST_F(CommandDispatch, RevertAsksFirstAndReloadsTheFile) {
    cropIt();
    MessageBoxAnswerer answerer(IDCANCEL);
    dispatchCommand(CMD_REVERT);
    expectStillCropped("revert cancelled");
    answerer.setAnswer(IDNO);
    dispatchCommand(CMD_REVERT);
    expectReloaded("revert");
    std::vector<MessageBoxAnswerer::Box> boxes = answerer.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].caption, "street.jpg");
    EXPECT_EQ(boxes[1].text, languageText(TXT_SAVE_QUESTION));
    // Without a modification there is nothing to ask.
    dispatchCommand(CMD_REVERT);
    EXPECT_EQ(answerer.boxes().size(), 2u);
    expectReloaded("second revert");
}

TEST_F(CommandDispatch, RevertOfAVanishedFileLeavesTheFrameEmpty) {
    cropIt();
    MessageBoxAnswerer answerer(IDNO);
    DeleteFileW(path.c_str());
    dispatchCommand(CMD_REVERT);
    EXPECT_FALSE(appState.imageLoaded);
    EXPECT_TRUE(appState.loadFailed);
    EXPECT_FALSE(appState.documentModified);
    EXPECT_EQ(windowText(appState.frame), "Trimwell");
    EXPECT_EQ(toolbar2State(CMD_CROP), TBSTATE_INDETERMINATE);
}

TEST_F(CommandDispatch, UncheckingTheCropButtonUndoesTheCropAfterTheQuestion) {
    cropIt();
    MessageBoxAnswerer answerer(IDCANCEL);
    clickCropButton();
    expectStillCropped("undo cancelled: the button is checked again");
    answerer.setAnswer(IDNO);
    clickCropButton();
    expectReloaded("undo");
    EXPECT_EQ(answerer.boxes().size(), 2u);
    EXPECT_EQ(imageWidth(appState.picture), 160u);
}

TEST_F(CommandDispatch, UndoThatCannotReloadShowsTheEmptyState) {
    cropIt();
    MessageBoxAnswerer answerer(IDNO);
    DeleteFileW(path.c_str());
    clickCropButton();
    EXPECT_FALSE(appState.imageLoaded);
    EXPECT_TRUE(appState.loadFailed);
    EXPECT_FALSE(appState.documentModified);
    EXPECT_EQ(windowText(appState.frame), "Trimwell");
    EXPECT_EQ(toolbar2State(CMD_CROP), TBSTATE_INDETERMINATE);
}

TEST_F(CommandDispatch, CropKeyRevertsAnAppliedCropInsteadOfStartingCropMode) {
    const uint32_t cropKey = MAKELONG(CMD_CROP, CMD_SOURCE_ACCELERATOR);
    cropIt();
    MessageBoxAnswerer answerer(IDNO);
    dispatchCommand(cropKey);
    EXPECT_FALSE(appState.cropMode) << "with a crop applied the key undoes it instead";
    expectReloaded("crop key");
    EXPECT_EQ(answerer.boxes().size(), 1u);
    // The key does nothing during a drag, like every accelerator.
    cropIt();
    appState.dragMode = 3;
    dispatchCommand(cropKey);
    appState.dragMode = 0;
    EXPECT_EQ(answerer.boxes().size(), 1u);
    expectStillCropped("crop key during a drag");
}

TEST_F(CommandDispatch, CropOnAMouseButtonActsAsTheButtonWouldBeClicked) {
    gSettings.mouseBindings.slots[kMouseSlotMiddle] = CMD_CROP;
    auto middleButton = [] { SendMessageW(appState.view, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(20, 20)); };
    // Without a crop it starts crop mode and never reloads the file: a file changed on disk would show its
    // new size after a reload.
    TestJpegOptions bigger;
    bigger.width = 176;
    bigger.height = 96;
    writeFileBytes(u8(asText(path.c_str())), makeTestJpeg(bigger));
    middleButton();
    EXPECT_TRUE(appState.cropMode);
    dispatchCommand(CMD_CROP_CANCEL);
    EXPECT_FALSE(appState.cropMode);
    EXPECT_EQ(windowText(appState.frame), "street.jpg  ( 160x96  24bit )");
    EXPECT_EQ(toolbar2State(CMD_CROP), TBSTATE_ENABLED);

    // With a crop applied it undoes the crop, after the question, instead of starting crop mode over it.
    writeFileBytes(u8(asText(path.c_str())), makeTestJpeg(original));
    cropIt();
    MessageBoxAnswerer answerer(IDNO);
    middleButton();
    EXPECT_EQ(answerer.boxes().size(), 1u);
    expectReloaded("crop on the middle button");
    gSettings.mouseBindings.slots[kMouseSlotMiddle] = CMD_ZOOM_TOGGLE;
}
