#include "shell/LibrarySearch.h"

#include "common/WinHeaders.h"

namespace {

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr DWORD LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x00000800;
#endif

// Looked up rather than imported: Windows 7 without its loader update lacks it, and the program must
// still start there.
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

}  // namespace

bool restrictLibrarySearch() {
    SetDllDirectoryW(L"");
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFunction>(
                                   reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                             : nullptr;
    return setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
