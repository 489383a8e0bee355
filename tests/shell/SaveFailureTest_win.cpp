// Every way a save can fail, in the real frame: the message the user sees, the program's state as it was
// (title, picture, crop, modified flag), the file on disk as it was, and no temporary file anywhere.
#include "FrameHarness_win.h"

#include <string>
#include <vector>

#include "engine/DecodedImage.h"
#include "engine/JpegFile.h"
#include "engine/OsFile.h"
#include "settings/LanguageModule.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "shell/SaveWorkflow.h"

namespace {

// What a failed save must leave as it was.
struct ShownState {
    std::string title;
    std::string path;
    uint32_t width = 0, height = 0;
    bool cropApplied = false, documentModified = false;
    bool operator==(const ShownState& other) const {
        return title == other.title && path == other.path && width == other.width && height == other.height &&
               cropApplied == other.cropApplied && documentModified == other.documentModified;
    }
};

ShownState shownState() {
    ShownState state;
    state.title = windowText(appState.frame);
    state.path = currentPathText();
    state.width = appState.picture ? imageWidth(appState.picture) : 0;
    state.height = appState.picture ? imageHeight(appState.picture) : 0;
    state.cropApplied = appState.cropApplied;
    state.documentModified = appState.documentModified;
    return state;
}

std::string describe(const ShownState& state) {
    return state.title + " | " + std::to_string(state.width) + "x" + std::to_string(state.height) +
           (state.cropApplied ? " cropped" : "") + (state.documentModified ? " modified" : "");
}

std::string engineText(uint32_t id, bool caption) {
    TextBuffer captionText, message;
    errorMessageTexts(id, &captionText, &message);
    return u8(textChars(caption ? &captionText : &message));
}

// The user's temporary folder moved to a folder of the test's, so that what a save leaves there is seen.
struct TemporaryFolder {
    wchar_t savedTmp[MAX_PATH] = {}, savedTemp[MAX_PATH] = {};
    explicit TemporaryFolder(const std::wstring& path) {
        GetEnvironmentVariableW(L"TMP", savedTmp, MAX_PATH);
        GetEnvironmentVariableW(L"TEMP", savedTemp, MAX_PATH);
        SetEnvironmentVariableW(L"TMP", path.c_str());
        SetEnvironmentVariableW(L"TEMP", path.c_str());
    }
    ~TemporaryFolder() {
        SetEnvironmentVariableW(L"TMP", savedTmp[0] ? savedTmp : nullptr);
        SetEnvironmentVariableW(L"TEMP", savedTemp[0] ? savedTemp : nullptr);
    }
};

// Wine's recycle bin is the XDG trash under the Unix home folder, which Wine names in WINEHOMEDIR as an
// NT path; a name sent there twice gets a suffix.
bool inRecycleBin(const std::vector<uint8_t>& bytes) {
    wchar_t home[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"WINEHOMEDIR", home, MAX_PATH)) return false;
    std::wstring folder = home;
    if (folder.compare(0, 4, L"\\??\\") == 0) folder.erase(0, 4);
    folder += L"\\.local\\share\\Trash\\files";
    for (const std::string& name : folderNames(u8(asText(folder.c_str())))) {
        if (readFileBytes(u8(asText(folder.c_str())) + "\\" + name) == bytes) return true;
    }
    return false;
}

// The handle of a file "another program" keeps open, without sharing, during one save.
HANDLE gHeldOpen = INVALID_HANDLE_VALUE;

class SaveFailure : public FrameTest {
protected:
    // The program on a camera picture with a 200 × 150 crop accepted, all markers copied.
    void startCropped() {
        source = folder.file("camera.jpg");
        writeFileBytes(source, makeExifCameraJpeg());
        ASSERT_TRUE(startFrame(widePath(source)));
        gSettings.markerCopyMode = 2;
        gSettings.saveGrayscale = false;
        gSettings.saveProgressive = false;
        ASSERT_TRUE(endCropDisplayWith({32, 16, 231, 165}, true));
        ASSERT_TRUE(appState.cropApplied && appState.documentModified);
        ASSERT_EQ(imageWidth(appState.picture), 200u);
    }

    std::string source;
    TempDir temporary;
};

}  // namespace

TEST_F(SaveFailure, EachFailedSaveShowsItsMessageAndLeavesEverythingAsItWas) {
    startCropped();
    const std::vector<uint8_t> original = readFileBytes(source);
    const std::string other = folder.file("other.jpg");
    const std::vector<uint8_t> otherBytes = {0xFF, 0xD8, 'o', 'l', 'd'};
    writeFileBytes(other, otherBytes);
    uint64_t openedWriteTime = appState.openedWriteTime;

    enum class Action { SaveOver, SaveToOther, SaveToPath };
    struct Case {
        const char* label;
        Action action;
        std::string destination;  // for SaveToPath
        OsStep failingStep;
        int failingCall;  // 0: no injected fault
        uint32_t message;  // 0: the library's own message
        void (*arrange)(const std::string& source, const std::string& other);
        void (*undo)(const std::string& source, const std::string& other);
        int flippedWrite = 0;  // this write reaches the disk with a bit flipped
    };
    auto none = [](const std::string&, const std::string&) {};
    const std::string noFolder = folder.file("gone") + "\\photo.jpg";
    auto progressive = [](const std::string&, const std::string&) { gSettings.saveProgressive = true; };
    auto sequential = [](const std::string&, const std::string&) { gSettings.saveProgressive = false; };
    auto grayscale = [](const std::string&, const std::string&) { gSettings.saveGrayscale = true; };
    auto colour = [](const std::string&, const std::string&) { gSettings.saveGrayscale = false; };
    const Case cases[] = {
        {"a bit flipped on its way into the saved file", Action::SaveOver, "", OsStep::Copy, 0,
         TXT_ERROR_SAVE_MISMATCH, none, none, 1},
        {"a bit flipped in the copy beside the destination, progressive", Action::SaveOver, "", OsStep::Copy, 0,
         TXT_ERROR_SAVE_MISMATCH, progressive, sequential, 2},
        {"a bit flipped, grayscale, over another file", Action::SaveToOther, "", OsStep::Copy, 0,
         TXT_ERROR_SAVE_MISMATCH, grayscale, colour, 1},
        {"no temporary file can be made", Action::SaveOver, "", OsStep::Copy, 0, TXT_ERROR_TEMP_FILE, none, none},
        {"the copy beside the destination fails", Action::SaveOver, "", OsStep::Copy, 1, TXT_ERROR_COPY_FAILED, none,
         none},
        {"a write of the copy fails (disk full)", Action::SaveOver, "", OsStep::Write, 2, TXT_ERROR_COPY_FAILED, none,
         none},
        {"the old version cannot go to the recycle bin", Action::SaveOver, "", OsStep::Recycle, 1,
         TXT_ERROR_COPY_FAILED, none, none},
        {"the rename into place fails after the recycle", Action::SaveOver, "", OsStep::Rename, 1,
         TXT_ERROR_COPY_FAILED, none, none},
        {"the rename over another file fails", Action::SaveToOther, "", OsStep::Rename, 1, TXT_ERROR_COPY_FAILED, none,
         none},
        {"the engine's own write fails: the library's message", Action::SaveOver, "", OsStep::Write, 1, 0, none, none},
        {"a destination folder that does not exist", Action::SaveToPath, noFolder, OsStep::Copy, 0,
         TXT_ERROR_COPY_FAILED, none, none},
        {"a destination folder nobody may write", Action::SaveToPath, "Z:\\proc\\trimwell-photo.jpg", OsStep::Copy, 0,
         TXT_ERROR_COPY_FAILED, none, none},
        {"a read-only destination", Action::SaveToOther, "", OsStep::Copy, 0, TXT_ERROR_COPY_FAILED,
         [](const std::string&, const std::string& other) {
             SetFileAttributesW(widePath(other).c_str(), FILE_ATTRIBUTE_READONLY);
         },
         [](const std::string&, const std::string& other) {
             SetFileAttributesW(widePath(other).c_str(), FILE_ATTRIBUTE_NORMAL);
         }},
        {"a destination another program holds open", Action::SaveToOther, "", OsStep::Copy, 0,
         TXT_ERROR_COPY_FAILED,
         [](const std::string&, const std::string& other) {
             gHeldOpen = CreateFileW(widePath(other).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         },
         [](const std::string&, const std::string&) {
             CloseHandle(gHeldOpen);
             gHeldOpen = INVALID_HANDLE_VALUE;
         }},
        {"a read-only open picture saved over", Action::SaveOver, "", OsStep::Copy, 0, 50004,
         [](const std::string& source, const std::string&) {
             SetFileAttributesW(widePath(source).c_str(), FILE_ATTRIBUTE_READONLY);
         },
         [](const std::string& source, const std::string&) {
             SetFileAttributesW(widePath(source).c_str(), FILE_ATTRIBUTE_NORMAL);
         }},
    };
    const ShownState before = shownState();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        c.arrange(source, other);
        std::vector<MessageBoxAnswerer::Box> boxes;
        {
            TemporaryFolder moved(c.message == TXT_ERROR_TEMP_FILE ? widePath(temporary.file("missing"))
                                                                   : widePath(temporary.path));
            MessageBoxAnswerer answerer(IDOK);
            if (c.failingCall) osFailNth(c.failingStep, c.failingCall);
            if (c.flippedWrite) osFlipBitInNthWrite(c.flippedWrite, 16);
            if (c.action == Action::SaveOver) dispatchCommand(CMD_SAVE);
            if (c.action == Action::SaveToOther) { EXPECT_FALSE(saveToPath(asText(widePath(other).c_str()))); }
            if (c.action == Action::SaveToPath) { EXPECT_FALSE(saveToPath(asText(widePath(c.destination).c_str()))); }
            osClearFaults();
            pumpFrameMessages();
            boxes = answerer.boxes();
        }
        c.undo(source, other);
        ASSERT_EQ(boxes.size(), 1u);
        if (c.message) {
            EXPECT_EQ(boxes[0].caption, engineText(c.message, true));
            EXPECT_EQ(boxes[0].text, engineText(c.message, false));
        } else {
            EXPECT_EQ(boxes[0].caption, "JPEG Library Error");
            EXPECT_EQ(boxes[0].text, "Output file write error --- out of disk space?");
        }
        const ShownState after = shownState();
        EXPECT_TRUE(after == before) << describe(before) << " became " << describe(after);
        EXPECT_EQ(appState.openedWriteTime, openedWriteTime);
        EXPECT_TRUE(readFileBytes(source) == original) << "the open picture on disk";
        EXPECT_TRUE(readFileBytes(other) == otherBytes) << "the other destination";
        EXPECT_EQ(folderNames(folder.path), (std::vector<std::string>{"camera.jpg", "other.jpg"}));
        EXPECT_TRUE(folderNames(temporary.path).empty()) << folderNames(temporary.path).size() << " files left";
    }

    // After all that, the same save succeeds: the old version goes to the recycle bin, the crop is on disk.
    {
        TemporaryFolder moved(widePath(temporary.path));
        MessageBoxAnswerer answerer(IDOK);
        dispatchCommand(CMD_SAVE);
        pumpFrameMessages();
        EXPECT_TRUE(answerer.boxes().empty());
    }
    TestJpegContents saved = readTestJpeg(readFileBytes(source));
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.width, 200);
    EXPECT_TRUE(inRecycleBin(original)) << "the old version is in Wine's recycle bin";
    EXPECT_FALSE(appState.documentModified);
    EXPECT_EQ(checkSourceUnchanged(textChars(&appState.currentPath), appState.openedWriteTime), 0);
    EXPECT_EQ(folderNames(folder.path), (std::vector<std::string>{"camera.jpg", "other.jpg"}));
    EXPECT_TRUE(folderNames(temporary.path).empty());
}

// The open picture changed on disk, was damaged behind the program's back with its time kept, or was
// deleted: the save stops with its message and nothing changes.
TEST_F(SaveFailure, SourceChangedDamagedOrGoneSinceItWasOpened) {
    startCropped();
    const std::vector<uint8_t> original = readFileBytes(source);
    const uint64_t opened = appState.openedWriteTime;
    std::vector<uint8_t> damaged = original;
    // The frame header's component count becomes 0: the library refuses the file with its own words. The
    // walk goes segment by segment, past the Exif thumbnail's own frame header.
    size_t at = 2;
    while (at + 10 < damaged.size() && damaged[at + 1] != 0xC0) at += 2 + (damaged[at + 2] << 8 | damaged[at + 3]);
    ASSERT_LT(at + 10, damaged.size());
    damaged[at + 9] = 0;
    struct Case {
        const char* label;
        std::vector<uint8_t> bytes;  // empty: the file is deleted
        uint64_t writeTime;
        uint32_t message;  // 0: the library's own message
    };
    const Case cases[] = {
        {"changed on disk", original, opened + 10000000, TXT_ERROR_CHANGED_ON_DISK},
        {"damaged, same write time", damaged, opened, 0},
        {"deleted", {}, opened, TXT_ERROR_CANNOT_REOPEN},
    };
    const ShownState before = shownState();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        if (c.bytes.empty()) {
            DeleteFileW(widePath(source).c_str());
        } else {
            writeFileBytes(source, c.bytes);
            ASSERT_TRUE(osSetFileWriteTime(u16(source).c_str(), c.writeTime));
        }
        std::vector<MessageBoxAnswerer::Box> boxes;
        {
            TemporaryFolder moved(widePath(temporary.path));
            MessageBoxAnswerer answerer(IDOK);
            dispatchCommand(CMD_SAVE);
            pumpFrameMessages();
            boxes = answerer.boxes();
        }
        ASSERT_EQ(boxes.size(), 1u);
        if (c.message) {
            EXPECT_EQ(boxes[0].caption, engineText(c.message, true));
            EXPECT_EQ(boxes[0].text, engineText(c.message, false));
        } else {
            EXPECT_EQ(boxes[0].caption, "JPEG Library Error");
            EXPECT_EQ(boxes[0].text, "Empty JPEG image (DNL not supported)");
        }
        EXPECT_TRUE(shownState() == before) << describe(shownState());
        if (!c.bytes.empty()) {
            EXPECT_TRUE(readFileBytes(source) == c.bytes);
        } else {
            EXPECT_FALSE(fileExists(source));
        }
        EXPECT_TRUE(folderNames(temporary.path).empty());
        EXPECT_LE(folderNames(folder.path).size(), 1u);
    }
}
