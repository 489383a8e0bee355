// A stand-in for the HTML Help control, registered under the control's class id for the help tests (Wine
// cannot show a compiled help page here). It records each call and answers as the control would.
#include "common/WinHeaders.h"

#include "HelpControlStandIn.h"

namespace {

StandInLog standInLog;
constexpr DWORD_PTR kCookie = 0x5EED;

}  // namespace

extern "C" __declspec(dllexport) StandInLog* standInRecord() { return &standInLog; }

// Exported as ordinal 15, as the real control exports HtmlHelpW.
extern "C" HWND WINAPI standInHtmlHelp(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data) {
    StandInLog& log = standInLog;
    switch (command) {
    case 0x001C:  // HH_INITIALIZE
        log.initialized++;
        *reinterpret_cast<DWORD_PTR*>(data) = kCookie;
        return nullptr;
    case 0x001D:  // HH_UNINITIALIZE
        log.uninitialized++;
        log.uninitializeCookie = data;
        return nullptr;
    case 0x00FD: {  // HH_PRETRANSLATEMESSAGE
        log.pretranslated++;
        const MSG* message = reinterpret_cast<const MSG*>(data);
        if (message->message == WM_KEYDOWN && message->wParam == log.claimedKey) {
            log.claimed++;
            return reinterpret_cast<HWND>(1);
        }
        return nullptr;
    }
    case 0x0000:  // HH_DISPLAY_TOPIC
        log.displayed++;
        log.displayOwner = owner;
        lstrcpynW(log.displayFile, file ? file : L"", MAX_PATH);
        return log.displayFails ? nullptr : GetDesktopWindow();
    }
    return nullptr;
}
