#include "settings/Settings.h"

#include <shlobj.h>

#include "common/PathUtil.h"
#include "common/WinHeaders.h"

namespace {

bool queryShellFolder(int folder, TextBuffer* path) {
    wchar_t buffer[MAX_PATH] = {};
    textClear(path);
    if (FAILED(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, buffer))) return false;
    return textAssign(path, asText(buffer)) && path->length > 0;
}

}  // namespace

bool queryDocumentsFolder(TextBuffer* path) { return queryShellFolder(CSIDL_PERSONAL, path); }

bool queryRoamingAppDataFolder(TextBuffer* path) { return queryShellFolder(CSIDL_APPDATA, path); }

// The structure size is that of the metrics without iPaddedBorderWidth, which every version accepts.
bool queryMenuFontFace(TextBuffer* face) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = 500;
    static_assert(sizeof metrics >= 500, "the metrics are queried with a 500-byte structure");
    textClear(face);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &metrics, 0)) return false;
    return textAssign(face, asText(metrics.lfMenuFont.lfFaceName));
}

// Program paths may be longer than MAX_PATH; the buffer grows until the whole path fits.
bool queryProgramFolder(TextBuffer* path) {
    textClear(path);
    for (size_t units = MAX_PATH; units <= 32768; units *= 2) {
        if (!textReserve(path, units)) return false;
        DWORD length = GetModuleFileNameW(nullptr, asWide(path->data), static_cast<DWORD>(units));
        if (length == 0) return false;
        if (length < units) {
            textSetLength(path, length);
            return pathCutToFolder(path);
        }
    }
    textClear(path);
    return false;
}

bool setCurrentFolder(const char16_t* path) { return SetCurrentDirectoryW(asWide(path)) != 0; }

// GetVersionEx reports 6.2 to programs without a compatibility manifest; RtlGetVersion tells the truth.
int currentOsVersionClass() {
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto rtlGetVersion =
        ntdll ? reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
              : nullptr;
    if (!rtlGetVersion || rtlGetVersion(&info) != 0) return 0;
    return osVersionClass(info.dwMajorVersion, info.dwMinorVersion);
}
