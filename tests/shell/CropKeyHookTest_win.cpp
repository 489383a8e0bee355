// The crop-key hook with typed keys: Enter accepts only while a committed rectangle is edited, Escape
// cancels in any crop state, both only while the crop keys are enabled, and as accelerators they are
// ignored during a drag. The accelerator rows of both keys are unbound here, so only the hook can act.
#include "FrameHarness_win.h"

#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/Menus.h"

namespace {

class CropKeyHook : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        ASSERT_TRUE(startFrame(writePicture(TestJpegOptions{}, "keys.jpg")));
        BindingTable rows = appState.bindings;
        rows.rows[bindingRowOf(CMD_CROP_ACCEPT)].key = 0;
        rows.rows[bindingRowOf(CMD_CROP_CANCEL)].key = 0;
        rebuildMenusFromRows(rows);
        SetForegroundWindow(appState.frame);
        SetFocus(appState.frame);
        pumpFrameMessages();
    }

    void TearDown() override {
        appState.cropMode = false;
        appState.cropState = 0;
        appState.cropKeysEnabled = false;
        appState.dragMode = 0;
        FrameTest::TearDown();
    }

    // Crop mode as the crop editing leaves it in `state`, with the crop keys on.
    void enterCropState(int state) {
        appState.cropMode = true;
        appState.cropState = state;
        appState.cropKeysEnabled = true;
        appState.inputLock = true;
    }
};

}  // namespace

TEST_F(CropKeyHook, EnterAcceptsOnlyACommittedRectangle) {
    for (int state : {0, 1, 2}) {
        enterCropState(state);
        typeKeys({VK_RETURN});
        EXPECT_TRUE(appState.cropMode) << "Enter in crop state " << state;
    }
    enterCropState(3);
    typeKeys({VK_RETURN});
    EXPECT_FALSE(appState.cropMode);
    EXPECT_FALSE(appState.inputLock) << "leaving crop mode gives the input back";
}

TEST_F(CropKeyHook, EscapeCancelsInEveryCropState) {
    for (int state : {0, 1, 2, 3}) {
        enterCropState(state);
        typeKeys({VK_ESCAPE});
        EXPECT_FALSE(appState.cropMode) << "Escape in crop state " << state;
    }
}

TEST_F(CropKeyHook, KeysPassWhileTheCropKeysAreOff) {
    enterCropState(3);
    appState.cropKeysEnabled = false;
    typeKeys({VK_RETURN, VK_ESCAPE});
    EXPECT_TRUE(appState.cropMode);
}

TEST_F(CropKeyHook, HookCommandsAreIgnoredDuringADrag) {
    enterCropState(3);
    appState.dragMode = 1;
    typeKeys({VK_RETURN, VK_ESCAPE});
    EXPECT_TRUE(appState.cropMode);
    appState.dragMode = 0;
    typeKeys({VK_ESCAPE});
    EXPECT_FALSE(appState.cropMode);
}
