// The portable rules of the shell: gates, the frame title, the work-area fit and the crop request.
#include <gtest/gtest.h>

#include "shell/AppState.h"
#include "shell/CommandGates.h"
#include "shell/CommandIds.h"
#include "shell/CropHandOver.h"
#include "shell/FrameTitle.h"
#include "shell/WindowFit.h"
#include "support/TestFiles.h"

TEST(CommandGates, CropModeBlocksFileCommands) {
    AppState state;
    state.imageLoaded = true;
    textAssign(&state.currentPath, u"C:\\a.jpg");
    for (uint32_t id : {CMD_REVERT, CMD_SAVE, CMD_SAVE_AS, CMD_OPEN, CMD_HELP, CMD_ABOUT, CMD_FILE_LIST})
        EXPECT_TRUE(commandGateOpen(id, state, true)) << id;
    state.cropMode = true;
    for (uint32_t id : {CMD_REVERT, CMD_SAVE, CMD_SAVE_AS, CMD_OPEN, CMD_HELP, CMD_ABOUT, CMD_FILE_LIST})
        EXPECT_FALSE(commandGateOpen(id, state, true)) << id;
    for (uint32_t id : {CMD_ZOOM_IN, CMD_SHADE_GREY, CMD_CUSTOMIZE, CMD_OPTIONS, CMD_CROP_CANCEL, CMD_CROP})
        EXPECT_TRUE(commandGateOpen(id, state, true)) << id;
}

TEST(CommandGates, ImageAndPathAndFileListGates) {
    AppState state;
    for (uint32_t id : {CMD_REVERT, CMD_SAVE, CMD_SAVE_AS, CMD_ZOOM_FIT, CMD_ZOOM_100, CMD_ZOOM_TOGGLE, CMD_ZOOM_IN, CMD_ZOOM_OUT})
        EXPECT_FALSE(commandGateOpen(id, state, true)) << id;
    EXPECT_TRUE(commandGateOpen(CMD_OPEN, state, false));
    EXPECT_FALSE(commandGateOpen(CMD_FILE_LIST, state, false));
    state.imageLoaded = true;
    EXPECT_FALSE(commandGateOpen(CMD_SAVE, state, false));  // no path
    EXPECT_TRUE(commandGateOpen(CMD_SAVE_AS, state, false));
    state.cropMode = true;
    state.imageLoaded = false;
    EXPECT_FALSE(commandGateOpen(CMD_CROP, state, false));  // no image while crop mode is set
    EXPECT_FALSE(commandGateOpen(CMD_CROP_MAXIMAL, state, false));
    EXPECT_FALSE(commandGateOpen(4999, state, false));
    EXPECT_FALSE(commandGateOpen(5131, state, false));
}

TEST(CommandGates, AcceleratorsIgnoredOnlyDuringDrags) {
    AppState state;
    uint32_t fromKey = (1u << 16) | CMD_ZOOM_IN;
    EXPECT_FALSE(acceleratorIgnored(fromKey, state));
    for (int drag : {1, 2, 3, 4}) {
        state.dragMode = drag;
        EXPECT_TRUE(acceleratorIgnored(fromKey, state)) << drag;
        EXPECT_FALSE(acceleratorIgnored(CMD_ZOOM_IN, state)) << drag;  // the same command from a menu runs
    }
    // Esc with the button held cancels the band being drawn, never a drag of the committed rectangle.
    state.cropMode = true;
    for (state.cropState = 1, state.dragMode = 1; state.cropState <= 4; state.cropState++)
        EXPECT_EQ(acceleratorIgnored((1u << 16) | CMD_CROP_CANCEL, state), state.cropState >= 3) << state.cropState;
}

TEST(CommandGates, ShadingValuesOfTheCommands) {
    EXPECT_EQ(maskShadingOf(CMD_SHADE_HALF), 1);
    EXPECT_EQ(maskShadingOf(CMD_SHADE_QUARTER), 2);
    EXPECT_EQ(maskShadingOf(CMD_SHADE_EIGHTH), 3);
    EXPECT_EQ(maskShadingOf(CMD_SHADE_BLACK), 0);
    EXPECT_EQ(maskShadingOf(CMD_SHADE_GREY), 128);
    EXPECT_EQ(maskShadingOf(CMD_SHADE_WHITE), 255);
    EXPECT_EQ(maskShadingOf(CMD_SHADING_MENU), -1);
}

TEST(FrameTitle, NameSizeAndDepth) {
    TextBuffer title;
    ASSERT_TRUE(formatFrameTitle(u"C:\\photos\\beach.jpg", true, 1600, 1067, 24, &title));
    EXPECT_EQ(u8(textChars(&title)), "beach.jpg  ( 1600x1067  24bit )");
    ASSERT_TRUE(formatFrameTitle(u"plain.jpg", true, 8, 9, 8, &title));
    EXPECT_EQ(u8(textChars(&title)), "plain.jpg  ( 8x9  8bit )");
    ASSERT_TRUE(formatFrameTitle(u"C:\\photos\\beach.jpg", false, 0, 0, 0, &title));
    EXPECT_EQ(u8(textChars(&title)), "Trimwell");
}

TEST(WindowFit, LargerThanWorkAreaIsCutAndAligned) {
    WindowBox work{0, 0, 1280, 994};
    WindowBox fitted = fitWindowToWorkArea({-50, -20, 2000, 1500}, work);
    EXPECT_EQ(fitted.left, 0);
    EXPECT_EQ(fitted.top, 0);
    EXPECT_EQ(fitted.width, 1280);
    EXPECT_EQ(fitted.height, 994);
    fitted = fitWindowToWorkArea({200, 100, 800, 600}, work);
    EXPECT_EQ(fitted.left, 200);
    EXPECT_EQ(fitted.top, 100);
    EXPECT_EQ(fitted.width, 800);
    fitted = fitWindowToWorkArea({900, 700, 800, 600}, work);  // passes the right and bottom edges
    EXPECT_EQ(fitted.left, 480);
    EXPECT_EQ(fitted.top, 394);
    WindowBox second{1280, 30, 1024, 738};  // a monitor to the right, work area below a top bar
    fitted = fitWindowToWorkArea({1300, 0, 800, 600}, second);
    EXPECT_EQ(fitted.left, 1300);
    EXPECT_EQ(fitted.top, 30);
}

TEST(CropRequestFromRect, InclusiveEdgesGiveTheSize) {
    CropRequest request = cropRequestFromRect({32, 16, 231, 165});
    EXPECT_EQ(request.left, 32u);
    EXPECT_EQ(request.top, 16u);
    EXPECT_EQ(request.width, 200u);
    EXPECT_EQ(request.height, 150u);
    request = cropRequestFromRect({48, 0, 48, 0});  // a single pixel
    EXPECT_EQ(request.width, 1u);
    EXPECT_EQ(request.height, 1u);
}
