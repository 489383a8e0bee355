#pragma once
// The real frame started and closed in this process with the launcher's show request and start-up
// failures visible to the test, and an answerer for the message boxes the program shows while a test
// waits. The helpers of ShellFrameFixture.h come with it.

#include <gtest/gtest.h>

#include "common/WinHeaders.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ShellFrameFixture.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"
#include "view/CropRect.h"

std::string currentPathText();
// Ends a crop display over the shown picture with `rect` as the editor's rectangle, as crop mode ends,
// and hands the outcome to the shell. True when a crop is now applied.
bool endCropDisplayWith(const CropRect& rect, bool accept);

// Answers every message box of this process from a second thread, pressing `answer` (IDOK, IDNO,
// IDCANCEL), and records caption and text of each.
class MessageBoxAnswerer {
public:
    struct Box {
        std::string caption;
        std::string text;
    };
    explicit MessageBoxAnswerer(int answer);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
    void setAnswer(int answer) { answer_ = answer; }
    std::vector<Box> boxes();

private:
    void watch();
    std::atomic<int> answer_;
    std::atomic<bool> running_{true};
    std::mutex mutex_;
    std::vector<Box> boxes_;
    std::thread thread_;
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Start-up with `argument` as the command-line file (none when empty); false when it stopped.
    bool startFrame(const std::wstring& argument = std::wstring(), int showCommand = SW_SHOWNORMAL);
    // WM_CLOSE and the loop until the frame is gone, then the exit steps.
    void closeFrame();
    std::wstring writePicture(const TestJpegOptions& options, const std::string& name);
    BYTE toolbar2State(int command);

    std::wstring settingsPath;
    TempDir folder;
};
