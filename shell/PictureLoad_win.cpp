// Loading the displayed picture for the shell, and opening paths that come from outside: the command
// line and dropped files, with shell shortcuts resolved to their targets.
#include "shell/PictureLoad.h"

#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "common/PathUtil.h"
#include "engine/DecodedImage.h"
#include "engine/LoadPicture.h"
#include "settings/LanguageModule.h"
#include "settings/Settings.h"
#include "shell/AppState.h"
#include "shell/Prefetch.h"
#include "shell/SaveWorkflow.h"
#include "shell/Dispatch.h"
#include "filelist/FileListWindow.h"
#include "shell/ShellWindows.h"
#include "shell/Toolbars.h"
#include "view/ImageView.h"

namespace {

constexpr int kShortcutTargetChars = 260;

void openResolved(TextBuffer* path) {
    resolveShortcut(path);
    loadPicture(textChars(path));
    rebuildFileList();
    showNewPicture();
    refreshFrameTitle();
}

}  // namespace

bool settlePendingChanges() {
    int answer = askSaveChanges();
    if (answer == 0) return false;
    return answer != 2 || chooseSaveTarget();
}

bool loadPicture(const char16_t* path) {
    appState.documentModified = false;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const char16_t* file = path ? path : textChars(&appState.currentPath);
    uint32_t failure = kEngineOk;
    // A neighbour decoded ahead is taken only while its file is as it was; otherwise the decode below
    // meets the file as it is now, with the same outcome as without the prefetch.
    DecodedImage* prefetched = takePrefetched(path);
    bool loaded = prefetched != nullptr;
    if (loaded) {
        releasePicture(&appState.picture);
        appState.picture = prefetched;
    } else {
        loaded = loadPictureFile(&appState.picture, file, &failure);
    }
    appState.imageLoaded = loaded;
    appState.loadOutOfMemory = !loaded && failure == kEngineOutOfMemory;
    if (loaded) {
        appState.openedWriteTime = appState.picture->lastWriteTime;
        appState.loadFailed = false;
        appState.cropApplied = false;
    } else {
        appState.loadFailed = true;
    }
    if (path) textAssign(&appState.currentPath, path);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return loaded;
}

void showNewPicture() {
    relayoutFrame(false);
    resetViewForNewImage();
    if (appState.imageLoaded && appState.currentPath.length != 0) {
        TextBuffer folder;
        textAssignText(&folder, &appState.currentPath);
        if (pathCutToFolder(&folder)) textAssignText(&gSettings.lastFolder, &folder);
    }
    refreshToolbar1States();
    refreshToolbar2States();
    schedulePrefetch();
}

void openPathFromShell(const char16_t* path) {
    if (!settlePendingChanges()) return;
    TextBuffer target;
    textAssign(&target, path);
    openResolved(&target);
}

void handleDroppedFiles(HDROP drop) {
    if (settlePendingChanges()) {
        FileListDisabled disabled;
        UINT length = DragQueryFileW(drop, 0, nullptr, 0);
        TextBuffer path;
        if (length != 0 && textReserve(&path, length + 1) &&
            DragQueryFileW(drop, 0, asWide(path.data), length + 1) == length) {
            textSetLength(&path, length);
            SetForegroundWindow(appState.frame);
            openResolved(&path);
        }
    }
    DragFinish(drop);
}

void resolveShortcut(TextBuffer* path) {
    SHFILEINFOW info = {};
    info.dwAttributes = SFGAO_LINK;
    if (!SHGetFileInfoW(asWide(textChars(path)), 0, &info, sizeof info, SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED) ||
        !(info.dwAttributes & SFGAO_LINK))
        return;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return;
    IPersistFile* file = nullptr;
    wchar_t target[kShortcutTargetChars] = {};
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(asWide(textChars(path)), STGM_READ)) &&
            SUCCEEDED(link->GetPath(target, kShortcutTargetChars, nullptr, SLGP_UNCPRIORITY)) && target[0])
            textAssign(path, asText(target));
        file->Release();
    }
    link->Release();
}
