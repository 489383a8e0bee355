// The neighbours' prefetch. Each decode runs on a thread of its own, one at a time, over a job record that
// the window thread makes and frees: the worker owns the job's JpegFile and bitmap while it decodes and
// hands the job back with a message posted to a message-only window. No lock exists: the only thing both
// threads touch during a decode is the job's stop flag.
//
// Ownership of a job: the window thread creates it and starts its thread; from then on it is freed only
// when its message arrives (or at shutdown, when the thread has been waited for and the message is taken
// from the queue), so a job stopped or taken early stays valid for the worker until it has posted.
#include "shell/Prefetch.h"

#include "common/WinHeaders.h"

#include <atomic>
#include <new>

#include "common/PathUtil.h"
#include "common/TextBuffer.h"
#include "engine/DecodedImage.h"
#include "engine/OsFile.h"
#include "filelist/FileList.h"
#include "shell/AppState.h"

namespace {

constexpr const wchar_t* kPrefetchClass = L"Trimwell_prefetch_class";
constexpr UINT kPrefetchDone = WM_APP + 22;  // lParam: the finished PrefetchJob
constexpr UINT_PTR kIdleTimer = 1;
constexpr int kHeldCount = 2;  // the pictures before and after the shown one

struct PrefetchJob {
    TextBuffer path;
    std::atomic<bool> stop{false};
    HANDLE thread = nullptr;
    DecodedImage* image = nullptr;  // null when the decode failed or was stopped
    uint64_t fileSize = 0;          // the file as it was decoded
    uint64_t writeTime = 0;
    bool abandoned = false;  // stopped or taken: freed when its message arrives
};

struct Prefetcher {
    HWND window = nullptr;
    PrefetchJob* running = nullptr;
    PrefetchJob* held[kHeldCount] = {};
    int lastIndex = -1;       // the list entry shown when the neighbours were last chosen
    bool backwards = false;  // the last step went up the list: the picture before comes first
};

Prefetcher prefetcher;

void freeJob(PrefetchJob* job) {
    freeDecodedImage(job->image);
    delete job;
}

DWORD WINAPI decodeJob(void* argument) {
    auto* job = static_cast<PrefetchJob*>(argument);
    DisplayDecode decode;
    decode.stop = &job->stop;
    // No signature check first, as the foreground load makes: it would hold the file open without letting
    // others delete it, and the library refuses any file that does not begin with 0xFF 0xD8 by itself.
    job->image = decodeForDisplay(&decode, textChars(&job->path));
    if (job->image) {
        job->fileSize = decode.fileSize;
        job->writeTime = job->image->lastWriteTime;
    }
    textFree(&decode.errorText);
    // Fails only when the window is gone, which shutdown prevents by waiting for this thread first.
    PostMessageW(prefetcher.window, kPrefetchDone, 0, reinterpret_cast<LPARAM>(job));
    return 0;
}

// Stops a running decode and waits for it: the library checks the stop flag once a row, so this is short,
// and afterwards only one decode (the foreground's or the next prefetch) uses the memory.
void stopRunning() {
    PrefetchJob* job = prefetcher.running;
    if (!job) return;
    job->stop = true;
    WaitForSingleObject(job->thread, INFINITE);
    job->abandoned = true;
    prefetcher.running = nullptr;
}

void dropHeld(int slot) {
    if (prefetcher.held[slot]) freeJob(prefetcher.held[slot]);
    prefetcher.held[slot] = nullptr;
}

bool prefetchAllowed() {
    return appState.fileListWindow && appState.imageLoaded && !appState.cropMode && fileListPresent(&gFileList) &&
           gFileList.selectedIndex >= 0 && size_t(gFileList.selectedIndex) < gFileList.count;
}

// The neighbours' paths that exist, the one in the direction of travel first; returns how many.
int wantedPaths(TextBuffer wanted[kHeldCount]) {
    const int shown = gFileList.selectedIndex;
    const int order[kHeldCount] = {prefetcher.backwards ? shown - 1 : shown + 1,
                                   prefetcher.backwards ? shown + 1 : shown - 1};
    int count = 0;
    for (int index : order) {
        if (index < 0 || size_t(index) >= gFileList.count) continue;
        TextBuffer& path = wanted[count];
        if (fileListFolder(textChars(&appState.currentPath), &path) &&
            pathJoin(&path, textChars(&gFileList.names[index])))
            ++count;
    }
    return count;
}

bool samePath(const TextBuffer& a, const TextBuffer& b) { return textEquals(&a, textChars(&b)); }

// Keeps the held neighbours that are still wanted and starts the decode of the first one missing.
void startNextJob() {
    if (prefetcher.running || !prefetchAllowed()) return;
    TextBuffer wanted[kHeldCount];
    const int count = wantedPaths(wanted);
    bool have[kHeldCount] = {};
    for (int slot = 0; slot < kHeldCount; ++slot) {
        bool keep = false;
        for (int i = 0; i < count && prefetcher.held[slot]; ++i) {
            if (samePath(prefetcher.held[slot]->path, wanted[i])) have[i] = keep = true;
        }
        if (!keep) dropHeld(slot);
    }
    for (int i = 0; i < count; ++i) {
        if (have[i]) continue;
        auto* job = new (std::nothrow) PrefetchJob();
        if (!job) return;
        if (!textAssignText(&job->path, &wanted[i])) {
            freeJob(job);
            return;
        }
        job->thread = CreateThread(nullptr, 0, decodeJob, job, 0, nullptr);
        if (!job->thread) {
            freeJob(job);
            return;
        }
        prefetcher.running = job;
        return;
    }
}

void onJobDone(PrefetchJob* job) {
    WaitForSingleObject(job->thread, INFINITE);
    CloseHandle(job->thread);
    job->thread = nullptr;
    if (job->abandoned || job != prefetcher.running) {
        freeJob(job);
        return;
    }
    prefetcher.running = nullptr;
    for (PrefetchJob*& slot : prefetcher.held) {
        if (!slot) {
            slot = job;
            job = nullptr;
            break;
        }
    }
    if (job) freeJob(job);  // startNextJob leaves a slot free for every decode it starts
    startNextJob();
}

LRESULT CALLBACK prefetchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kPrefetchDone: onJobDone(reinterpret_cast<PrefetchJob*>(lParam)); return 0;
    case WM_TIMER:
        KillTimer(window, kIdleTimer);
        startNextJob();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool ensureWindow() {
    if (prefetcher.window) return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = prefetchWindowProc;
    windowClass.hInstance = appState.instance;
    windowClass.lpszClassName = kPrefetchClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    prefetcher.window = CreateWindowExW(0, kPrefetchClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        appState.instance, nullptr);
    return prefetcher.window != nullptr;
}

// The file as it is on disk now, opened as the load opens it: a file now locked or unreadable fails here.
bool fileUnchanged(const PrefetchJob* job) {
    OsHandle file = osOpenFile(textChars(&job->path), OpenAccess::ReadShared);
    if (file == kInvalidOsHandle) return false;
    uint64_t size = 0, time = 0;
    const bool same = osFileSize(file, &size) && osFileWriteTime(file, &time) && size == job->fileSize &&
                      time == job->writeTime;
    osCloseFile(file);
    return same;
}

}  // namespace

void schedulePrefetch() {
    if (!prefetchAllowed()) {
        discardPrefetches();
        return;
    }
    const int shown = gFileList.selectedIndex;
    if (prefetcher.lastIndex >= 0 && shown != prefetcher.lastIndex) prefetcher.backwards = shown < prefetcher.lastIndex;
    prefetcher.lastIndex = shown;
    // A timer message comes only when nothing else is queued, paint included: the decode starts once the
    // new picture is on the screen.
    if (ensureWindow()) SetTimer(prefetcher.window, kIdleTimer, USER_TIMER_MINIMUM, nullptr);
}

DecodedImage* takePrefetched(const char16_t* path) {
    PrefetchJob* found = nullptr;
    if (path) {
        TextBuffer wanted;
        textAssign(&wanted, path);
        for (PrefetchJob*& slot : prefetcher.held) {
            if (slot && samePath(slot->path, wanted)) {
                found = slot;
                slot = nullptr;
            }
        }
        // The decode of this very file is under way: its finished part is worth more than a new start.
        if (!found && prefetcher.running && samePath(prefetcher.running->path, wanted)) {
            found = prefetcher.running;
            WaitForSingleObject(found->thread, INFINITE);
            found->abandoned = true;
            prefetcher.running = nullptr;
        }
    }
    discardPrefetches();
    if (!found) return nullptr;
    DecodedImage* image = nullptr;
    if (found->image && fileUnchanged(found)) {
        image = found->image;
        found->image = nullptr;
    }
    // A running job's record waits for its message; a held one is done with.
    if (found->abandoned) {
        freeDecodedImage(found->image);
        found->image = nullptr;
    } else {
        freeJob(found);
    }
    return image;
}

void discardPrefetches() {
    if (prefetcher.window) KillTimer(prefetcher.window, kIdleTimer);
    stopRunning();
    for (int slot = 0; slot < kHeldCount; ++slot) dropHeld(slot);
    if (!appState.fileListWindow) prefetcher.lastIndex = -1;
}

void shutdownPrefetch() {
    discardPrefetches();
    if (!prefetcher.window) return;
    // Every thread has ended (stopRunning waited); their messages still in the queue are taken here.
    MSG message;
    while (PeekMessageW(&message, prefetcher.window, kPrefetchDone, kPrefetchDone, PM_REMOVE))
        onJobDone(reinterpret_cast<PrefetchJob*>(message.lParam));
    DestroyWindow(prefetcher.window);
    prefetcher = Prefetcher{};
}

size_t prefetchedCount() {
    size_t count = 0;
    for (const PrefetchJob* job : prefetcher.held) count += job ? 1 : 0;
    return count;
}

bool prefetchRunning() { return prefetcher.running != nullptr; }
