// A stand-in hhctrl.ocx, as someone might plant beside a program: on being loaded it records that in
// the file named by TW_PLANTED_MARKER, and it exports plantedLibrary so a loader can tell it apart.
#include <windows.h>

extern "C" __declspec(dllexport) int plantedLibrary() { return 1; }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t marker[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"TW_PLANTED_MARKER", marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}
