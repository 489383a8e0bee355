// Dropped files in the real frame: ignored while the frame is disabled (a modal loop runs), a cancelled
// save question keeps the modified picture, and the drop handle is finished in every case.
#include "FrameHarness_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "settings/TextIds.h"
#include "shell/AppState.h"

namespace {

// DragFinish frees the block; a freed handle reports no size.
bool finished(HDROP drop) { return GlobalSize(drop) == 0; }

class DropHandling : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        TestJpegOptions first;
        first.width = 32;
        first.height = 16;
        ASSERT_TRUE(startFrame(writePicture(first, "shown.jpg")));
        TestJpegOptions second;
        second.width = 48;
        second.height = 40;
        other = writePicture(second, "dropped.jpg");
    }

    void drop() {
        HDROP handle = makeDrop({other});
        SendMessageW(appState.frame, WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0);
        EXPECT_TRUE(finished(handle)) << "the drop handle is finished";
    }

    std::wstring other;
};

}  // namespace

TEST_F(DropHandling, DisabledFrameIgnoresTheDrop) {
    EnableWindow(appState.frame, FALSE);
    drop();
    EnableWindow(appState.frame, TRUE);
    EXPECT_EQ(windowText(appState.frame), "shown.jpg  ( 32x16  24bit )");
    drop();
    EXPECT_EQ(windowText(appState.frame), "dropped.jpg  ( 48x40  24bit )");
}

TEST_F(DropHandling, CancelledQuestionKeepsTheModifiedPicture) {
    MessageBoxAnswerer answerer(IDCANCEL);
    appState.documentModified = true;
    drop();
    EXPECT_TRUE(appState.documentModified);
    EXPECT_EQ(windowText(appState.frame), "shown.jpg  ( 32x16  24bit )");
    answerer.setAnswer(IDNO);
    drop();
    EXPECT_FALSE(appState.documentModified);
    EXPECT_EQ(windowText(appState.frame), "dropped.jpg  ( 48x40  24bit )");
    std::vector<MessageBoxAnswerer::Box> boxes = answerer.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "shown.jpg");
    EXPECT_EQ(boxes[0].text, languageText(TXT_SAVE_QUESTION));
}
