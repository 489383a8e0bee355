// Prints what the shell offers under "Open with" for one extension: the shell's own handler list when the
// system has one, and the programs the extension's OpenWithProgids and the applications' SupportedTypes
// name, each resolved by the shell's association lookup. Used by the install test.
//   open_with_probe .jpg
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>

namespace {

void printLine(const wchar_t* kind, const wchar_t* name, const wchar_t* detail) {
    char line[2048];
    int length = WideCharToMultiByte(CP_UTF8, 0, kind, -1, line, 600, nullptr, nullptr);
    line[length - 1] = ' ';
    length += WideCharToMultiByte(CP_UTF8, 0, name, -1, line + length, 600, nullptr, nullptr);
    line[length - 1] = ' ';
    WideCharToMultiByte(CP_UTF8, 0, detail, -1, line + length, 700, nullptr, nullptr);
    printf("%s\n", line);
}

void printDefault(const wchar_t* extension) {
    wchar_t value[512] = L"";
    DWORD size = sizeof value;
    RegGetValueW(HKEY_CLASSES_ROOT, extension, nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    printLine(L"default", extension, value);
}

void printShellHandlers(const wchar_t* extension) {
    IEnumAssocHandlers* handlers = nullptr;
    if (FAILED(SHAssocEnumHandlers(extension, ASSOC_FILTER_NONE, &handlers)) || !handlers) return;
    IAssocHandler* handler = nullptr;
    ULONG fetched = 0;
    while (handlers->Next(1, &handler, &fetched) == S_OK && fetched == 1) {
        LPWSTR name = nullptr, uiName = nullptr;
        handler->GetName(&name);
        handler->GetUIName(&uiName);
        printLine(L"handler", uiName ? uiName : L"?", name ? name : L"?");
        CoTaskMemFree(name);
        CoTaskMemFree(uiName);
        handler->Release();
    }
    handlers->Release();
}

void printProgIds(const wchar_t* extension) {
    wchar_t keyName[300];
    wsprintfW(keyName, L"%s\\OpenWithProgids", extension);
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    wchar_t progId[300];
    for (DWORD index = 0;; index++) {
        DWORD length = 300;
        if (RegEnumValueW(key, index, progId, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        wchar_t program[MAX_PATH] = L"";
        DWORD programLength = MAX_PATH;
        AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_EXECUTABLE, progId, L"open", program, &programLength);
        printLine(L"progid", progId, program);
    }
    RegCloseKey(key);
}

void printApplications(const wchar_t* extension) {
    HKEY applications;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"Applications", 0, KEY_READ, &applications) != ERROR_SUCCESS) return;
    wchar_t name[300];
    for (DWORD index = 0;; index++) {
        DWORD length = 300;
        if (RegEnumKeyExW(applications, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        wchar_t types[400];
        wsprintfW(types, L"%s\\SupportedTypes", name);
        if (RegGetValueW(applications, types, extension, RRF_RT_ANY, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        wchar_t application[400];
        wsprintfW(application, L"Applications\\%s", name);
        wchar_t program[MAX_PATH] = L"";
        DWORD programLength = MAX_PATH;
        AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_EXECUTABLE, application, L"open", program, &programLength);
        printLine(L"application", name, program);
    }
    RegCloseKey(applications);
}

}  // namespace

int wmain(int argumentCount, wchar_t** arguments) {
    if (argumentCount < 2) return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    printDefault(arguments[1]);
    printShellHandlers(arguments[1]);
    printProgIds(arguments[1]);
    printApplications(arguments[1]);
    fflush(stdout);
    return 0;
}
