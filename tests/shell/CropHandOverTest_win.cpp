// The shell's side of an accepted crop in the real frame: the request the save applies, the flags, the
// title and the crop button; a rectangle equal to the picture and a cancelled one change nothing; a cut
// that could not be made is reported.
#include "FrameHarness_win.h"

#include <commctrl.h>

#include "engine/DecodedImage.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/CropHandOver.h"
#include "shell/Dispatch.h"
#include "shell/SaveWorkflow.h"

namespace {

class CropHandOver : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        TestJpegOptions options;  // 4:2:0: a grid of 16 × 16
        options.width = 320;
        options.height = 240;
        ASSERT_TRUE(startFrame(writePicture(options, "camera.jpg")));
        ASSERT_TRUE(appState.imageLoaded);
        ASSERT_EQ(appState.picture->blockWidth, 16u);
    }

    void expectUntouched(const char* what) {
        EXPECT_FALSE(appState.documentModified) << what;
        EXPECT_FALSE(appState.cropApplied) << what;
        EXPECT_EQ(imageWidth(appState.picture), 320u) << what;
        EXPECT_EQ(imageHeight(appState.picture), 240u) << what;
        EXPECT_EQ(windowText(appState.frame), "camera.jpg  ( 320x240  24bit )") << what;
        EXPECT_EQ(toolbar2State(CMD_CROP), TBSTATE_ENABLED) << what;
        EXPECT_EQ(appState.cropRequest.width, 0u) << what;
    }
};

}  // namespace

TEST_F(CropHandOver, AcceptedRectangleIsShownAndTheSaveCutsIt) {
    ASSERT_TRUE(endCropDisplayWith({32, 16, 231, 165}, true));
    EXPECT_TRUE(appState.documentModified);
    EXPECT_TRUE(appState.cropApplied);
    EXPECT_EQ(appState.cropRequest.left, 32u);
    EXPECT_EQ(appState.cropRequest.top, 16u);
    EXPECT_EQ(appState.cropRequest.width, 200u);
    EXPECT_EQ(appState.cropRequest.height, 150u);
    EXPECT_EQ(imageWidth(appState.picture), 200u);
    EXPECT_EQ(imageHeight(appState.picture), 150u);
    EXPECT_EQ(windowText(appState.frame), "camera.jpg  ( 200x150  24bit )");
    EXPECT_EQ(toolbar2State(CMD_CROP), TBSTATE_ENABLED | TBSTATE_CHECKED);
    EXPECT_EQ(appState.viewState.geometry.imageW, 200) << "the view was reset for the cut picture";

    // The save applies the request to the file on disk.
    std::string copy = folder.file("cut.jpg");
    ASSERT_TRUE(saveToPath(asText(widePath(copy).c_str())));
    TestJpegContents saved = readTestJpeg(readFileBytes(copy));
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.width, 200);
    EXPECT_EQ(saved.height, 150);
    EXPECT_FALSE(appState.documentModified);
    EXPECT_TRUE(appState.cropApplied);
}

TEST_F(CropHandOver, FarEdgesOffTheGridKeepTheirExactSize) {
    ASSERT_TRUE(endCropDisplayWith({16, 32, 16 + 36, 32 + 20}, true));
    EXPECT_EQ(windowText(appState.frame), "camera.jpg  ( 37x21  24bit )");
    std::string copy = folder.file("small.jpg");
    ASSERT_TRUE(saveToPath(asText(widePath(copy).c_str())));
    TestJpegContents saved = readTestJpeg(readFileBytes(copy));
    EXPECT_EQ(saved.width, 37);
    EXPECT_EQ(saved.height, 21);
}

TEST_F(CropHandOver, WholePictureOrCancelChangesNothing) {
    EXPECT_FALSE(endCropDisplayWith({0, 0, 319, 239}, true));
    expectUntouched("whole picture accepted");
    EXPECT_FALSE(endCropDisplayWith({32, 16, 231, 165}, false));
    expectUntouched("cancelled");
}

TEST_F(CropHandOver, FailedCutIsReportedAndChangesNothing) {
    MessageBoxAnswerer answerer(IDOK);
    CropOutcome outcome;
    outcome.cropPending = true;
    outcome.pendingCrop = {32, 16, 231, 165};
    EXPECT_FALSE(applyAcceptedCrop(outcome, true));
    std::vector<MessageBoxAnswerer::Box> boxes = answerer.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, languageText(TXT_ERROR_CAPTION));
    EXPECT_EQ(boxes[0].text, languageText(TXT_ERROR_NO_DISPLAY_MEMORY));
    EXPECT_NE(boxes[0].text, "");
    expectUntouched("failed cut");
}

TEST_F(CropHandOver, LeavingCropModeWithoutACropRestoresButtonTitleAndInput) {
    appState.cropMode = true;
    appState.cropState = 3;
    appState.inputLock = true;
    SendMessageW(appState.toolbar2, TB_SETSTATE, CMD_CROP, MAKELPARAM(TBSTATE_ENABLED | TBSTATE_CHECKED, 0));
    SetWindowTextW(appState.frame, L"200 x 150");  // what the crop panel shows meanwhile
    dispatchCommand(MAKELONG(CMD_CROP_ACCEPT, CMD_SOURCE_ACCELERATOR));
    EXPECT_FALSE(appState.cropMode);
    EXPECT_FALSE(appState.inputLock);
    expectUntouched("accepted without an editor");
}
