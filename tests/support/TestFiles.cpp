#include "support/TestFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "common/TextBuffer.h"

namespace fs = std::filesystem;

std::u16string u16(const std::string& utf8) {
    TextBuffer text;
    textAssignUtf8(&text, utf8.c_str());
    return std::u16string(textChars(&text), text.length);
}

std::string u8(const char16_t* text) {
    char* bytes = utf8FromText(text, textLength16(text));
    std::string out = bytes ? bytes : "";
    free(bytes);
    return out;
}

std::string u8(const std::u16string& text) { return u8(text.c_str()); }

std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(fs::u8path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void makeReadOnly(const std::string& path) {
    fs::permissions(fs::u8path(path), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

bool fileExists(const std::string& path) { return fs::exists(fs::u8path(path)); }

std::vector<std::string> folderNames(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (auto& entry : fs::directory_iterator(fs::u8path(path), ignored)) names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    return names;
}

TempDir::TempDir() {
    std::random_device random;
    fs::path base = fs::temp_directory_path();
    for (;;) {
        fs::path candidate = base / ("trimwell-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            path = candidate.u8string();
            break;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    for (auto& entry : fs::recursive_directory_iterator(fs::u8path(path), ignored)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(fs::u8path(path), ignored);
}

std::string TempDir::file(const std::string& name) const { return (fs::u8path(path) / fs::u8path(name)).u8string(); }
