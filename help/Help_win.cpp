// The HTML Help control, found through its class id in the registry as the system registers it, and
// called by ordinal; the online help page when the help file is missing or the control fails.
#include "help/Help.h"

#include "common/WinHeaders.h"

#include <shellapi.h>

#include "help/AboutText.h"
#include "settings/LanguageModule.h"
#include "settings/TextIds.h"

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data);

constexpr const wchar_t* kHelpControlKey = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr DWORD kHelpControlPathChars = 260;
constexpr WORD kHtmlHelpOrdinal = 15;

struct HelpControl {
    HMODULE module = nullptr;
    HtmlHelpFunction htmlHelp = nullptr;
    bool failed = false;       // a failed load is not tried again in this run
    DWORD_PTR cookie = 0;      // from HH_INITIALIZE
    bool initialized = false;
};
HelpControl control;

// The registered path of the control, expanded when stored as an expandable string.
bool registeredControlPath(wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kHelpControlKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    wchar_t value[kHelpControlPathChars] = {};
    DWORD type = 0;
    DWORD bytes = sizeof value - sizeof(wchar_t);
    LONG result = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || !value[0]) return false;
    if (type == REG_EXPAND_SZ) {
        DWORD length = ExpandEnvironmentStringsW(value, path, kHelpControlPathChars);
        return length != 0 && length <= kHelpControlPathChars;
    }
    lstrcpynW(path, value, kHelpControlPathChars);
    return true;
}

HtmlHelpFunction helpFunction() {
    if (control.htmlHelp || control.failed) return control.htmlHelp;
    wchar_t path[kHelpControlPathChars];
    if (registeredControlPath(path)) control.module = LoadLibraryW(path);
    if (!control.module) control.module = LoadLibraryW(L"hhctrl.ocx");
    if (control.module)
        control.htmlHelp = reinterpret_cast<HtmlHelpFunction>(
            reinterpret_cast<void*>(GetProcAddress(control.module, MAKEINTRESOURCEA(kHtmlHelpOrdinal))));
    if (!control.htmlHelp) {
        if (control.module) FreeLibrary(control.module);
        control.module = nullptr;
        control.failed = true;
    }
    return control.htmlHelp;
}

HWND callHtmlHelp(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data) {
    HtmlHelpFunction function = helpFunction();
    return function ? function(owner, file, command, data) : nullptr;
}

bool fileExists(const TextBuffer& path) {
    return GetFileAttributesW(asWide(textChars(&path))) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

HelpHooks gHelpHooks = {openAddressInShell};

void openAddressInShell(const char16_t* address) {
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_FLAG_NO_UI;
    execute.lpFile = asWide(address);
    execute.nShow = SW_SHOW;
    ShellExecuteExW(&execute);
}

// The help of the language in use, else the plain (English) help file, else the online page.
void showHelp() {
    wchar_t module[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (length != 0 && length < MAX_PATH) {
        TextBuffer tag, helpPath;
        loadText(TXT_HELP_FILE_TAG, &tag);
        bool found = languageHelpFilePath(asText(module), textChars(&tag), &helpPath) && fileExists(helpPath);
        if (!found) found = helpFilePath(asText(module), &helpPath) && fileExists(helpPath);
        // A help file the control cannot show is as good as none: the online page still helps.
        if (found && callHtmlHelp(nullptr, asWide(textChars(&helpPath)), kHelpDisplayTopic, 0)) return;
    }
    gHelpHooks.openAddress(kOnlineHelpPage);
}

void initHelp() {
    control.cookie = 0;
    callHtmlHelp(nullptr, nullptr, kHelpInitialize, reinterpret_cast<DWORD_PTR>(&control.cookie));
    control.initialized = control.htmlHelp != nullptr;
}

void uninitHelp() {
    if (control.htmlHelp && control.initialized) control.htmlHelp(nullptr, nullptr, kHelpUninitialize, control.cookie);
    if (control.module) FreeLibrary(control.module);
    control = HelpControl();
}

bool helpTakesMessage(tagMSG* message) {
    if (!control.htmlHelp || !control.initialized) return false;
    return control.htmlHelp(nullptr, nullptr, kHelpPretranslate, reinterpret_cast<DWORD_PTR>(message)) != nullptr;
}
