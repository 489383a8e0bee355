#pragma once
// Temporary folders and whole-file helpers for tests, on both builds.

#include <cstdint>
#include <string>
#include <vector>

std::u16string u16(const std::string& utf8);
std::string u8(const std::u16string& text);
std::string u8(const char16_t* text);

std::vector<uint8_t> readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void makeReadOnly(const std::string& path);
bool fileExists(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> folderNames(const std::string& path);

// A fresh folder under the system's temporary folder, removed with its files at the end of the test.
struct TempDir {
    std::string path;
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const;
};
