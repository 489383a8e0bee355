// A stand-in hhctrl.ocx lies beside the probe program (the build puts it there). Without the start-up
// hardening the bare-name load finds it, which shows the plant works; with it, it is never loaded.
#include <gtest/gtest.h>

#include <string>

#include "common/WinHeaders.h"

namespace {

std::wstring programFolder() {
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring path = program;
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

struct ProbeResult {
    DWORD exitCode;
    bool markerWritten;
};

ProbeResult runProbe(const wchar_t* mode) {
    std::wstring folder = programFolder();
    std::wstring marker = folder + L"planted-" + mode + L".loaded";
    DeleteFileW(marker.c_str());
    SetEnvironmentVariableW(L"TW_PLANTED_MARKER", marker.c_str());
    std::wstring commandLine = L"\"" + folder + L"library_probe.exe\" " + mode;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ProbeResult result = {DWORD(-1), false};
    // Started from another folder: the current folder must not matter either.
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, system, &startup, &process))
        return result;
    WaitForSingleObject(process.hProcess, 30000);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    result.markerWritten = GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    DeleteFileW(marker.c_str());
    return result;
}

// Wine prefers its own built-in libraries; told to prefer files on disk for the probe alone, it searches
// as Windows does. Windows ignores the key.
struct PreferFilesOnDisk {
    const wchar_t* key = L"Software\\Wine\\AppDefaults\\library_probe.exe\\DllOverrides";
    PreferFilesOnDisk() {
        RegSetKeyValueW(HKEY_CURRENT_USER, key, L"hhctrl.ocx", REG_SZ, L"native,builtin",
                        sizeof L"native,builtin");
    }
    ~PreferFilesOnDisk() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\library_probe.exe"); }
};

}  // namespace

TEST(LibrarySearch, PlantedHelpControlIsLoadedOnlyWithoutTheHardening) {
    ASSERT_NE(GetFileAttributesW((programFolder() + L"hhctrl.ocx").c_str()), INVALID_FILE_ATTRIBUTES);
    PreferFilesOnDisk preferFiles;

    ProbeResult plain = runProbe(L"plain");
    EXPECT_EQ(plain.exitCode, 1u) << "without the hardening the planted file should be found first";
    EXPECT_TRUE(plain.markerWritten);

    ProbeResult hardened = runProbe(L"hardened");
    EXPECT_NE(hardened.exitCode, 1u);
    EXPECT_NE(hardened.exitCode, 3u) << "the system-folder-only search is not available";
    EXPECT_FALSE(hardened.markerWritten) << "the planted hhctrl.ocx ran its code";
}
