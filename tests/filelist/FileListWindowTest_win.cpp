// The file list in the real frame: shown beside it, entries opening pictures, the save question, the
// folder watch on activation, placement and the remembered size.
#include <gtest/gtest.h>

#include "common/WinHeaders.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "shell/ShellFrameFixture.h"
#include "filelist/FileList.h"
#include "filelist/FileListWindow.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "shell/Prefetch.h"
#include "shell/Toolbars.h"
#include "ui/DialogRunner.h"

namespace {

// Answers this process's message boxes from a second thread with `answer`, after running `beforeAnswer`
// there, and records whether the list window could be clicked while each box was up.
class BoxAnswerer {
public:
    explicit BoxAnswerer(int answer, std::function<void()> beforeAnswer = nullptr)
        : answer_(answer), beforeAnswer_(std::move(beforeAnswer)), thread_([this] { watch(); }) {}
    ~BoxAnswerer() {
        running_ = false;
        thread_.join();
    }
    int boxes() const { return boxes_; }
    int listEnabledDuringBox() const { return listEnabled_; }

private:
    static BOOL CALLBACK collect(HWND window, LPARAM context) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::wstring(className) == L"#32770")
            *reinterpret_cast<HWND*>(context) = window;
        return TRUE;
    }
    void watch() {
        HWND last = nullptr;
        while (running_) {
            HWND box = nullptr;
            EnumWindows(collect, reinterpret_cast<LPARAM>(&box));
            if (box && box != last) {
                last = box;
                ++boxes_;
                HWND list = appState.fileListWindow;
                if (list && IsWindowEnabled(list)) ++listEnabled_;
                if (beforeAnswer_) beforeAnswer_();
                Sleep(50);
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED), 0);
            }
            Sleep(20);
        }
    }
    int answer_;
    std::function<void()> beforeAnswer_;
    std::atomic<bool> running_{true};
    std::atomic<int> boxes_{0};
    std::atomic<int> listEnabled_{0};
    std::thread thread_;
};

class FileListWindow : public ShellFrame {
protected:
    std::string writePicture(const std::string& name, int width) {
        TestJpegOptions options;
        options.width = width;
        options.height = 48;
        options.seed = uint32_t(width);
        writeFileBytes(folder.file(name), makeTestJpeg(options));
        return folder.file(name);
    }
    // a1.jpeg (40 wide), a9.JPG (56), a10.jpg (72), b.jpe (88), and two files that are not listed.
    void writeFolder() {
        writePicture("a10.jpg", 72);
        writePicture("a9.JPG", 56);
        writePicture("a1.jpeg", 40);
        writePicture("b.jpe", 88);
        writeFileBytes(folder.file("c.jpgx"), {1, 2, 3});
        writeFileBytes(folder.file("d.png"), {1, 2, 3});
    }
    HWND listBox() { return GetDlgItem(appState.fileListWindow, IDC_FILE_LIST_BOX); }
    int selection() { return int(SendMessageW(listBox(), LB_GETCURSEL, 0, 0)); }
    std::vector<std::string> names() {
        std::vector<std::string> result;
        for (size_t i = 0; i < gFileList.count; ++i) result.push_back(u8(textChars(&gFileList.names[i])));
        return result;
    }
    void showList() {
        dispatchCommand(CMD_FILE_LIST);
        pumpFrameMessages();
    }
    // A click on entry `index` as the list box reports it.
    void choose(int index) {
        SendMessageW(listBox(), LB_SETCURSEL, WPARAM(index), 0);
        SendMessageW(appState.fileListWindow, WM_COMMAND, MAKEWPARAM(IDC_FILE_LIST_BOX, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(listBox()));
        pumpFrameMessages();
    }
    // The program goes to the background and comes back, as when the user works in another program.
    void deactivate() { SendMessageW(appState.frame, WM_ACTIVATEAPP, FALSE, 0); }
    void activate() {
        SendMessageW(appState.frame, WM_ACTIVATEAPP, TRUE, 0);
        pumpFrameMessages();
    }
    std::string title() { return windowText(appState.frame); }
    std::string pathOf(const std::string& name) { return u8(asText(widePath(folder.file(name)).c_str())); }
    std::string currentPathText() { return u8(textChars(&appState.currentPath)); }
    // Lets the idle prefetch run until `held` neighbours are done (decoded or failed) and nothing runs.
    void waitForPrefetch(size_t held) {
        for (int i = 0; i < 1000 && (prefetchedCount() != held || prefetchRunning()); ++i) settleInput(1);
        ASSERT_EQ(prefetchedCount(), held);
        ASSERT_FALSE(prefetchRunning());
    }
};

// What the list window's state was inside a dialog: at its start, and after an error box shown from it.
struct DialogSeen {
    int enabledAtStart = -1;
    int enabledAfterBox = -1;
};

intptr_t recordingDialog(HWND__* dialog, unsigned int message, uintptr_t, intptr_t lParam) {
    if (message != WM_INITDIALOG) return 0;
    DialogSeen* seen = reinterpret_cast<DialogSeen*>(lParam);
    seen->enabledAtStart = IsWindowEnabled(appState.fileListWindow);
    showErrorMessage(TXT_ERROR_COPY_FAILED);
    seen->enabledAfterBox = IsWindowEnabled(appState.fileListWindow);
    EndDialog(dialog, 7);
    return 1;
}

}  // namespace

// Tab (command 5120) shows the folder's JPEG files in natural order beside the frame, the open picture
// selected and painted in the list's colours; keyboard moves open each file in turn without rebuilding.
TEST_F(FileListWindow, FolderShownBesideTheFrameAndWalkedWithTheKeyboard) {
    writeFolder();
    start(widePath(folder.file("a9.JPG")));
    MoveWindow(appState.frame, 300, 80, 700, 500, TRUE);
    EXPECT_EQ(names(), (std::vector<std::string>{"a1.jpeg", "a9.JPG", "a10.jpg", "b.jpe"}));
    EXPECT_EQ(appState.fileListWindow, nullptr);

    SetForegroundWindow(appState.frame);
    typeKeys({VK_TAB});
    HWND list = appState.fileListWindow;
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(windowText(list), languageText(TXT_FILE_LIST_CAPTION));
    EXPECT_EQ(GetWindow(list, GW_OWNER), appState.frame);
    EXPECT_TRUE(GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    HMENU system = GetSystemMenu(list, FALSE);
    EXPECT_EQ(GetMenuState(system, SC_RESTORE, MF_BYCOMMAND), UINT(-1));
    EXPECT_EQ(GetMenuState(system, SC_MINIMIZE, MF_BYCOMMAND), UINT(-1));
    EXPECT_EQ(GetMenuState(system, SC_MAXIMIZE, MF_BYCOMMAND), UINT(-1));
    EXPECT_NE(GetMenuState(system, SC_CLOSE, MF_BYCOMMAND), UINT(-1));
    RECT frame, placed;
    GetWindowRect(appState.frame, &frame);
    GetWindowRect(list, &placed);
    EXPECT_EQ(placed.right, frame.left);
    EXPECT_EQ(placed.top, frame.top);
    EXPECT_EQ(placed.right - placed.left, 180);
    EXPECT_EQ(placed.bottom - placed.top, 360);
    EXPECT_EQ(SendMessageW(listBox(), LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(selection(), 1);
    EXPECT_EQ(SendMessageW(listBox(), LB_GETITEMHEIGHT, 0, 0), appState.metrics.textHeight + 2);
    RECT border = {0, 0, 0, 0};
    AdjustWindowRectEx(&border, 0, FALSE, WS_EX_STATICEDGE);
    EXPECT_EQ(SendMessageW(listBox(), LB_GETHORIZONTALEXTENT, 0, 0),
              uiTextWidth("a1.jpeg") + border.right - border.left);

    // The selected entry: outline and fill colours, the name in black on it.
    repaintNow(list);
    RECT item;
    SendMessageW(listBox(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    {
        WindowPixels pixels(listBox());
        EXPECT_EQ(pixels.at(item.left, item.top), RGB(72, 144, 144));
        EXPECT_EQ(pixels.at(item.left + 1, item.top + 1), RGB(232, 255, 255));
        EXPECT_GT(pixels.countDark(item), 10);
        RECT first;
        SendMessageW(listBox(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
        EXPECT_EQ(pixels.at(first.right - 2, first.top + 1), GetSysColor(COLOR_WINDOW));
    }

    // Down opens a10.jpg (72 wide), then b.jpe: the title follows, the list stays as it was.
    TextBuffer* namesBefore = gFileList.names;
    EXPECT_EQ(GetForegroundWindow(), list);
    EXPECT_EQ(GetFocus(), listBox());
    typeKeys({VK_DOWN});
    EXPECT_EQ(currentPathText(), pathOf("a10.jpg")) << title();
    EXPECT_EQ(title(), "a10.jpg  ( 72x48  24bit )");
    typeKeys({VK_DOWN});
    EXPECT_EQ(title(), "b.jpe  ( 88x48  24bit )");
    EXPECT_EQ(selection(), 3);
    EXPECT_EQ(gFileList.selectedIndex, 3);
    EXPECT_EQ(gFileList.names, namesBefore);  // opened from the list: not rebuilt

    // A crop-mode switch destroys it; the size the user gave it is kept for the next show.
    RECT resized;
    GetWindowRect(list, &resized);
    MoveWindow(list, resized.left, resized.top, 210, 320, TRUE);
    dispatchCommand(CMD_CROP);
    pumpFrameMessages();
    EXPECT_EQ(appState.fileListWindow, nullptr);
    EXPECT_EQ(gSettings.fileListWidth, 210);
    EXPECT_EQ(gSettings.fileListHeight, 320);
}

// Choosing with an unsaved crop asks first; Cancel puts the selection back on the open picture; a click on
// the open picture itself asks nothing. A message box keeps the list disabled while it is up.
TEST_F(FileListWindow, SaveQuestionCancelKeepsThePictureAndItsSelection) {
    writeFolder();
    start(widePath(folder.file("a10.jpg")));
    showList();
    ASSERT_NE(appState.fileListWindow, nullptr);
    appState.documentModified = true;
    {
        BoxAnswerer answerer(IDCANCEL);
        choose(2);  // the open picture: no question
        choose(3);
        for (int i = 0; i < 50 && answerer.boxes() == 0; ++i) settleInput(1);
        EXPECT_EQ(answerer.boxes(), 1);
        EXPECT_EQ(answerer.listEnabledDuringBox(), 0);
    }
    EXPECT_EQ(currentPathText(), pathOf("a10.jpg"));
    EXPECT_EQ(selection(), 2);
    EXPECT_TRUE(appState.documentModified);
    EXPECT_TRUE(IsWindowEnabled(appState.fileListWindow));

    // No this time: b.jpe opens and the unsaved crop is dropped.
    {
        BoxAnswerer answerer(IDNO);
        choose(3);
        EXPECT_EQ(answerer.boxes(), 1);
    }
    EXPECT_EQ(currentPathText(), pathOf("b.jpe"));
    EXPECT_FALSE(appState.documentModified);
    EXPECT_EQ(selection(), 3);
}

// The list may change while the save question is up (here: the folder gains a file that sorts first and
// the program is activated meanwhile). The chosen file opens, not whatever now sits at its old position.
TEST_F(FileListWindow, ChosenNameOpensAfterTheListChangedDuringTheQuestion) {
    writeFolder();
    start(widePath(folder.file("a1.jpeg")));
    showList();
    appState.documentModified = true;
    {
        BoxAnswerer answerer(IDNO, [this] {
            writePicture("a0.jpg", 24);
            Sleep(100);
            PostMessageW(appState.frame, WM_ACTIVATEAPP, TRUE, 0);
            Sleep(100);
        });
        choose(2);  // a10.jpg
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"a0.jpg", "a1.jpeg", "a9.JPG", "a10.jpg", "b.jpe"}));
    EXPECT_EQ(currentPathText(), pathOf("a10.jpg"));
    EXPECT_EQ(selection(), 3);
    EXPECT_EQ(gFileList.selectedIndex, 3);

    // Chosen, then deleted while the question is up: nothing opens.
    appState.documentModified = true;
    {
        BoxAnswerer answerer(IDNO, [this] {
            DeleteFileW(widePath(folder.file("b.jpe")).c_str());
            Sleep(100);
            PostMessageW(appState.frame, WM_ACTIVATEAPP, TRUE, 0);
            Sleep(100);
        });
        choose(4);
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"a0.jpg", "a1.jpeg", "a9.JPG", "a10.jpg"}));
    EXPECT_EQ(currentPathText(), pathOf("a10.jpg"));
    EXPECT_EQ(selection(), 3);
    EXPECT_TRUE(appState.documentModified);  // nothing was opened, so the crop is still there
    appState.documentModified = false;
}

// The folder watch: a rename while the program is in the background rebuilds the list on activation, a
// change of contents does not; when every JPEG file is gone the window is left empty and 5120 does nothing.
TEST_F(FileListWindow, ActivationRebuildsOnlyAfterNameChanges) {
    writeFolder();
    start(widePath(folder.file("a9.JPG")));
    showList();
    TextBuffer* built = gFileList.names;

    deactivate();
    writePicture("a9.JPG", 64);  // same name, new contents
    Sleep(300);
    activate();
    EXPECT_EQ(gFileList.names, built) << "rebuilt after a change of contents only";

    deactivate();
    ASSERT_TRUE(MoveFileW(widePath(folder.file("b.jpe")).c_str(), widePath(folder.file("a5.jpe")).c_str()));
    Sleep(300);
    activate();
    EXPECT_EQ(names(), (std::vector<std::string>{"a1.jpeg", "a5.jpe", "a9.JPG", "a10.jpg"}));
    EXPECT_EQ(SendMessageW(listBox(), LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(selection(), 2);

    // The open picture renamed away: nothing is selected, and nothing is opened.
    deactivate();
    ASSERT_TRUE(MoveFileW(widePath(folder.file("a9.JPG")).c_str(), widePath(folder.file("z.jpg")).c_str()));
    Sleep(300);
    activate();
    EXPECT_EQ(names(), (std::vector<std::string>{"a1.jpeg", "a5.jpe", "a10.jpg", "z.jpg"}));
    EXPECT_EQ(selection(), -1);
    EXPECT_EQ(gFileList.selectedIndex, -1);
    EXPECT_EQ(currentPathText(), pathOf("a9.JPG"));

    deactivate();
    for (const char* name : {"a1.jpeg", "a5.jpe", "a10.jpg", "z.jpg"})
        ASSERT_TRUE(DeleteFileW(widePath(folder.file(name)).c_str())) << name;
    Sleep(300);
    activate();
    EXPECT_FALSE(fileListExists());
    ASSERT_NE(appState.fileListWindow, nullptr);
    EXPECT_EQ(SendMessageW(listBox(), LB_GETCOUNT, 0, 0), 0);
    RECT before;
    GetWindowRect(appState.fileListWindow, &before);
    MoveWindow(appState.fileListWindow, 5, 5, 180, 360, TRUE);
    showList();  // the gate keeps it shut: the window stays where it is
    RECT after;
    GetWindowRect(appState.fileListWindow, &after);
    EXPECT_EQ(after.left, 5);
}

// No room left of the frame: the lower-left corner of the rebar. The user's size is kept after closing,
// for the rest of the run.
TEST_F(FileListWindow, PlacedUnderTheRebarAndKeepsTheSizeTheUserGaveIt) {
    writeFolder();
    start(widePath(folder.file("a1.jpeg")));
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(appState.frame, MONITOR_DEFAULTTONEAREST), &monitor);
    MoveWindow(appState.frame, monitor.rcWork.left + 100, monitor.rcWork.top + 20, 600, 400, TRUE);
    pumpFrameMessages();
    showList();
    RECT rebar, placed;
    GetWindowRect(appState.rebar, &rebar);
    GetWindowRect(appState.fileListWindow, &placed);
    EXPECT_EQ(placed.left, rebar.left);
    EXPECT_EQ(placed.top, rebar.bottom);

    // The user resizes it and closes it with its close box.
    MoveWindow(appState.fileListWindow, placed.left, placed.top, 230, 300, TRUE);
    pumpFrameMessages();
    RECT client;
    GetClientRect(appState.fileListWindow, &client);
    RECT box = rectInParent(listBox());
    EXPECT_EQ(box.right - box.left, client.right);
    EXPECT_EQ(box.bottom - box.top, client.bottom);
    SendMessageW(appState.fileListWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    pumpFrameMessages();
    EXPECT_EQ(appState.fileListWindow, nullptr);
    EXPECT_EQ(gSettings.fileListWidth, 230);
    EXPECT_EQ(gSettings.fileListHeight, 300);

    MoveWindow(appState.frame, monitor.rcWork.left + 400, monitor.rcWork.top + 20, 600, 400, TRUE);
    showList();
    GetWindowRect(appState.fileListWindow, &placed);
    EXPECT_EQ(placed.right - placed.left, 230);
    EXPECT_EQ(placed.bottom - placed.top, 300);
    EXPECT_EQ(placed.left, monitor.rcWork.left + 400 - 230);

    // Only for this run: the next start has the first size again.
    closeShell();
    start(widePath(folder.file("a1.jpeg")));
    showList();
    GetWindowRect(appState.fileListWindow, &placed);
    EXPECT_EQ(placed.right - placed.left, 180);
    EXPECT_EQ(placed.bottom - placed.top, 360);
}

// A font change re-lays the bars and gives the list box the new font, item height and extent.
TEST_F(FileListWindow, FontChangeReachesTheListBox) {
    writeFolder();
    start(widePath(folder.file("a1.jpeg")));
    showList();
    int oldHeight = appState.metrics.textHeight;
    LRESULT oldExtent = SendMessageW(listBox(), LB_GETHORIZONTALEXTENT, 0, 0);
    gSettings.fontHeight = -16;
    gSettings.fontWeight = 700;
    relayoutBars();
    pumpFrameMessages();
    ASSERT_GT(appState.metrics.textHeight, oldHeight);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(listBox(), WM_GETFONT, 0, 0)), appState.uiFont);
    EXPECT_EQ(SendMessageW(listBox(), LB_GETITEMHEIGHT, 0, 0), appState.metrics.textHeight + 2);
    RECT border = {0, 0, 0, 0};
    AdjustWindowRectEx(&border, 0, FALSE, WS_EX_STATICEDGE);
    EXPECT_EQ(SendMessageW(listBox(), LB_GETHORIZONTALEXTENT, 0, 0), uiTextWidth("a1.jpeg") + border.right - border.left);
    EXPECT_GT(SendMessageW(listBox(), LB_GETHORIZONTALEXTENT, 0, 0), oldExtent);
    gSettings.fontHeight = -12;
    gSettings.fontWeight = 400;
}

// The option dialogs run through the dialog runner, which keeps the list disabled; an error box shown from
// inside a dialog gives it back only when the dialog is done.
TEST_F(FileListWindow, DisabledUnderDialogsAndTheBoxesInsideThem) {
    writeFolder();
    start(widePath(folder.file("a1.jpeg")));
    showList();
    ASSERT_NE(appState.fileListWindow, nullptr);
    DialogSeen seen;
    {
        BoxAnswerer answerer(IDOK);
        EXPECT_EQ(runDialog(IDD_OPTIONS, recordingDialog, reinterpret_cast<intptr_t>(&seen), false), 7);
        EXPECT_EQ(answerer.boxes(), 1);
        EXPECT_EQ(answerer.listEnabledDuringBox(), 0);
    }
    EXPECT_EQ(seen.enabledAtStart, FALSE);
    EXPECT_EQ(seen.enabledAfterBox, FALSE);
    EXPECT_TRUE(IsWindowEnabled(appState.fileListWindow));
}

// The neighbours are decoded ahead while a picture is shown, but each step shows its file as it is on disk
// at the step: replaced (new size), locked by another program, removed, or readable again after its own
// prefetch failed. At most the two neighbours are held, and none once the list is closed.
TEST_F(FileListWindow, StepsShowEachFileAsItIsOnDiskAfterThePrefetch) {
    const int widths[] = {40, 48, 56, 64, 72, 80};
    for (int i = 0; i < 6; ++i) writePicture("p" + std::to_string(i + 1) + ".jpg", widths[i]);
    start(widePath(folder.file("p1.jpg")));
    showList();
    waitForPrefetch(1);  // p2

    writePicture("p2.jpg", 100);
    choose(1);
    EXPECT_EQ(title(), "p2.jpg  ( 100x48  24bit )");
    waitForPrefetch(2);  // p1, p3

    HANDLE lock = CreateFileW(widePath(folder.file("p3.jpg")).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    choose(2);
    EXPECT_TRUE(appState.loadFailed);
    EXPECT_EQ(title(), "Trimwell");
    EXPECT_EQ(currentPathText(), pathOf("p3.jpg"));
    CloseHandle(lock);

    choose(3);
    EXPECT_EQ(title(), "p4.jpg  ( 64x48  24bit )");
    waitForPrefetch(2);  // p3, p5
    ASSERT_TRUE(DeleteFileW(widePath(folder.file("p5.jpg")).c_str()));
    choose(4);
    EXPECT_TRUE(appState.loadFailed);
    EXPECT_EQ(title(), "Trimwell");

    choose(5);
    EXPECT_EQ(title(), "p6.jpg  ( 80x48  24bit )");
    waitForPrefetch(1);  // p5, missing: a failed prefetch
    writePicture("p5.jpg", 120);
    choose(4);
    EXPECT_EQ(title(), "p5.jpg  ( 120x48  24bit )");
    waitForPrefetch(2);

    SendMessageW(appState.fileListWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(prefetchedCount(), 0u);
    EXPECT_FALSE(prefetchRunning());
}

// Closing the program while a neighbour is being decoded stops the decode and frees what it held.
TEST_F(FileListWindow, ClosingDuringAPrefetchStopsIt) {
    writePicture("q1.jpg", 40);
    TestJpegOptions large;
    large.width = 3000;
    large.height = 2000;
    large.progressive = true;
    writeFileBytes(folder.file("q2.jpg"), makeTestJpeg(large));
    start(widePath(folder.file("q1.jpg")));
    showList();
    for (int i = 0; i < 500 && !prefetchRunning(); ++i) settleInput(1);
    ASSERT_TRUE(prefetchRunning());
    closeShell();
    EXPECT_FALSE(prefetchRunning());
    EXPECT_EQ(prefetchedCount(), 0u);
    EXPECT_EQ(appState.picture, nullptr);
}
