#pragma once
// What the help control stand-in saw, read by the tests through the export standInRecord.
#include "common/WinHeaders.h"

struct StandInLog {
    int initialized = 0;
    int uninitialized = 0;
    DWORD_PTR uninitializeCookie = 0;
    int pretranslated = 0;
    int claimed = 0;
    WPARAM claimedKey = 0;  // WM_KEYDOWN of this key is taken by the "viewer"
    int displayed = 0;
    HWND displayOwner = nullptr;
    wchar_t displayFile[MAX_PATH] = {};
    bool displayFails = false;  // HH_DISPLAY_TOPIC shows nothing
};
