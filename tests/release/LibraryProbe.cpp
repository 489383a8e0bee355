// Loads hhctrl.ocx by bare name, as the help code does when the registry names no path, after the
// program's start-up hardening ("hardened") or without it ("plain"). Exit code: 0 nothing loaded,
// 1 the planted file beside this program, 2 another hhctrl.ocx (the system's).
#include <windows.h>

#include "shell/LibrarySearch.h"

int wmain(int argumentCount, wchar_t** arguments) {
    if (argumentCount > 1 && lstrcmpW(arguments[1], L"hardened") == 0) {
        if (!restrictLibrarySearch()) return 3;
    }
    HMODULE library = LoadLibraryW(L"hhctrl.ocx");
    if (!library) return 0;
    return GetProcAddress(library, "plantedLibrary") ? 1 : 2;
}
