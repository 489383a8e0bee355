// The save commands in the real frame: a crop saved over the open file, a save under another name, and
// an options-only save. Nothing here fails, so no message box waits for an answer.
#include <gtest/gtest.h>

#include "ShellFrameFixture.h"

#include "common/WinHeaders.h"

#include <sddl.h>

#include <string>
#include <vector>

#include "engine/DecodedImage.h"
#include "engine/JpegFile.h"
#include "engine/LoadPicture.h"
#include "settings/Settings.h"
#include "shell/AppState.h"
#include "shell/SaveWorkflow.h"
#include "shell/ShellWindows.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"

namespace {

std::vector<uint8_t> readWide(const std::wstring& path) { return readFileBytes(u8(asText(path.c_str()))); }

// The file's access list in the security descriptor language, or empty.
std::wstring accessList(const std::wstring& path) {
    std::vector<uint8_t> descriptor(4096);
    DWORD needed = 0;
    wchar_t* text = nullptr;
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), 4096, &needed) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION, &text, nullptr))
        return std::wstring();
    std::wstring list = text;
    LocalFree(text);
    return list;
}

// The program writes its settings at exit; the file a user of this Wine prefix had is put back after.
class SaveWorkflow : public ::testing::Test {
protected:
    void SetUp() override {
        TextBuffer appData;
        queryRoamingAppDataFolder(&appData);
        settingsPath = std::wstring(asWide(textChars(&appData))) + L"\\Trimwell\\Trimwell.ini";
        hadSettings = fileExists(u8(asText(settingsPath.c_str())));
        if (hadSettings) savedSettings = readWide(settingsPath);
        DeleteFileW(settingsPath.c_str());
    }

    void TearDown() override {
        if (appState.frame) {
            PostMessageW(appState.frame, WM_CLOSE, 0, 0);
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) handleLoopMessage(&message);
            finishShell();
        }
        DeleteFileW(settingsPath.c_str());
        if (hadSettings) writeFileBytes(u8(asText(settingsPath.c_str())), savedSettings);
    }

    // Starts the program on a camera picture in the test folder and accepts a 200 × 150 crop from (32, 16).
    void startCropped() {
        source = widePath(folder.file("camera.jpg"));
        writeFileBytes(folder.file("camera.jpg"), makeExifCameraJpeg());
        std::wstring program = L"Trimwell.exe";
        wchar_t* arguments[] = {&program[0], &source[0]};
        ASSERT_TRUE(startShell(GetModuleHandleW(nullptr), SW_SHOWNORMAL, 2, arguments));
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) handleLoopMessage(&message);
        ASSERT_TRUE(appState.imageLoaded);
        gSettings.markerCopyMode = 2;
        gSettings.saveGrayscale = false;
        gSettings.saveProgressive = false;
        ASSERT_TRUE(installCroppedPicture(appState.picture, {32, 16, 231, 165}));
        appState.cropRequest = {200, 150, 32, 16};
        appState.cropApplied = appState.documentModified = true;
    }

    TempDir folder;
    std::wstring source;
    std::wstring settingsPath;
    std::vector<uint8_t> savedSettings;
    bool hadSettings = false;
};

}  // namespace

TEST_F(SaveWorkflow, CropSavedOverTheOpenFileIsReloadedSoTheNextSaveDoesNotCropAgain) {
    startCropped();
    ASSERT_TRUE(saveToPath(asText(source.c_str())));
    TestJpegContents saved = readTestJpeg(readWide(source));
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.width, 200);
    EXPECT_EQ(saved.height, 150);
    TestJpegContents thumbnail = readTestJpeg(exifThumbnail(readWide(source)));
    EXPECT_EQ(thumbnail.width, 160);
    EXPECT_EQ(thumbnail.height, 120);
    EXPECT_FALSE(appState.documentModified);
    ASSERT_FALSE(appState.cropApplied) << "the saved file is shown as loaded";
    EXPECT_EQ(imageWidth(appState.picture), 200u);
    EXPECT_EQ(checkSourceUnchanged(textChars(&appState.currentPath), appState.openedWriteTime), 0);

    // Saving again writes the same picture instead of cutting the window out of the cropped file.
    ASSERT_TRUE(saveToPath(asText(source.c_str())));
    saved = readTestJpeg(readWide(source));
    EXPECT_EQ(saved.width, 200);
    EXPECT_EQ(saved.height, 150);
}

// The open picture is read-only (a CD, a write-protected card); the file it is saved over is hidden and
// readable by its owner alone, and stays so.
TEST_F(SaveWorkflow, SaveUnderAnotherNameKeepsTheOpenFileAndTheCrop) {
    startCropped();
    ASSERT_TRUE(SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::vector<uint8_t> original = readWide(source);
    std::string other = folder.file("other.jpg");
    writeFileBytes(other, {1, 2, 3});
    const std::wstring otherPath = widePath(other);
    PSECURITY_DESCRIPTOR ownerOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;OW)", SDDL_REVISION_1,
                                                                     &ownerOnly, nullptr));
    ASSERT_TRUE(SetFileSecurityW(otherPath.c_str(), DACL_SECURITY_INFORMATION, ownerOnly));
    LocalFree(ownerOnly);
    ASSERT_TRUE(SetFileAttributesW(otherPath.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::wstring access = accessList(otherPath);
    ASSERT_FALSE(access.empty());
    ASSERT_TRUE(saveToPath(asText(otherPath.c_str())));
    SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesW(otherPath.c_str()) & FILE_ATTRIBUTE_HIDDEN, DWORD(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(accessList(otherPath), access);
    TestJpegContents saved = readTestJpeg(readFileBytes(other));
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.width, 200);
    EXPECT_EQ(saved.height, 150);
    EXPECT_EQ(readWide(source), original);
    EXPECT_EQ(u8(textChars(&appState.currentPath)), u8(asText(source.c_str())));
    EXPECT_TRUE(appState.cropApplied) << "the open picture is still the uncropped source, shown cropped";
    EXPECT_FALSE(appState.documentModified);
}

TEST_F(SaveWorkflow, OptionsOnlySaveWritesTheWholePictureWithTheChosenOptions) {
    startCropped();
    appState.cropApplied = false;
    ASSERT_TRUE(loadPictureFile(&appState.picture, asText(source.c_str())));
    gSettings.saveGrayscale = true;
    std::string copy = folder.file("grey copy.jpg");
    ASSERT_TRUE(saveToPath(asText(widePath(copy).c_str())));
    TestJpegContents saved = readTestJpeg(readFileBytes(copy));
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.width, 320);
    EXPECT_EQ(saved.components.size(), 1u);
    EXPECT_EQ(readTestJpeg(exifThumbnail(readFileBytes(copy))).components.size(), 1u) << "a grey thumbnail";
}

TEST_F(SaveWorkflow, GrayscaleSaveOverTheOpenFileShowsTheGreyFile) {
    startCropped();
    appState.cropApplied = appState.documentModified = false;
    ASSERT_TRUE(loadPictureFile(&appState.picture, asText(source.c_str())));
    gSettings.saveGrayscale = true;
    ASSERT_TRUE(saveToPath(asText(source.c_str())));
    TestJpegContents saved = readTestJpeg(readWide(source));
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.width, 320);
    EXPECT_EQ(saved.components.size(), 1u);
    // Shown as it is on disk: 8 bits, in the title too, and with the new write time.
    EXPECT_EQ(imageBitCount(appState.picture), 8u);
    wchar_t title[200] = {};
    GetWindowTextW(appState.frame, title, 200);
    EXPECT_EQ(std::wstring(title), L"camera.jpg  ( 320x240  8bit )");
    EXPECT_EQ(checkSourceUnchanged(textChars(&appState.currentPath), appState.openedWriteTime), 0);
}
