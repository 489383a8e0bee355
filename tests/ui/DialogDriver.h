#pragma once
// Acting inside a modal dialog of the real frame: the steps of a test run from a timer of the dialog's
// own message loop once the dialog shows, as a user acts while it is open. The steps end by closing it
// (a button, the close box, Esc); a dialog still open long after is ended and reported.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "common/WinHeaders.h"

#include <commctrl.h>

#include "shell/AppState.h"
#include "support/TestFiles.h"

struct DialogRun {
    std::function<void(HWND)> steps;
    HWND dialog = nullptr;
    bool stepsRan = false;
    bool timedOut = false;
    DWORD start = 0;
    DWORD limit = 0;
};

inline DialogRun& dialogRun() {
    static DialogRun run;
    return run;
}

// A shown dialog of this thread owned by the frame.
inline BOOL CALLBACK findFrameDialog(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    bool ours = std::wstring(className) == L"#32770" && GetWindow(window, GW_OWNER) == appState.frame;
    if (!ours || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

inline void CALLBACK dialogTick(HWND, UINT, UINT_PTR, DWORD) {
    DialogRun& run = dialogRun();
    if (GetTickCount() - run.start > run.limit) {
        // Steps that never closed the dialog, or a dialog that never showed.
        run.timedOut = true;
        if (run.dialog && IsWindow(run.dialog)) EndDialog(run.dialog, 0);
        return;
    }
    if (run.stepsRan) return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findFrameDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    run.dialog = dialog;
    run.stepsRan = true;  // before the steps: their message boxes run this timer again meanwhile
    run.steps(dialog);
}

// Calls `open` (which returns when its dialog has closed) with `steps` run inside the dialog. False
// when the steps did not run or the dialog had to be ended for them.
inline bool withDialog(void (*open)(), std::function<void(HWND)> steps, DWORD limit = 20000) {
    DialogRun& run = dialogRun();
    run = DialogRun();
    run.steps = std::move(steps);
    run.start = GetTickCount();
    run.limit = limit;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, dialogTick);
    open();
    KillTimer(nullptr, timer);
    bool ok = run.stepsRan && !run.timedOut;
    run.steps = nullptr;
    return ok;
}

inline void clickButton(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

inline bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// A press of a key as the keyboard gives it, for the dialog's own loop to handle after the steps.
inline void pressKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

inline std::string itemText(HWND listBox, int index, bool combo) {
    wchar_t text[256] = {};
    SendMessageW(listBox, combo ? CB_GETLBTEXT : LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text));
    return u8(asText(text));
}
