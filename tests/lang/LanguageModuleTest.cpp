#include "settings/LanguageModule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/TextBuffer.h"
#include "common/WinHeaders.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"
#include "support/TestFiles.h"

namespace {

// Build-tree paths are POSIX paths; under Wine they live on drive Z:.
std::u16string windowsPath(const std::string& posix) {
    std::string path = "Z:" + posix;
    std::replace(path.begin(), path.end(), '/', '\\');
    return u16(path);
}

std::u16string programModule(const char* name) {
    return windowsPath(std::string(TW_PROGRAM_DIR) + "/" + name + ".dll");
}

std::u16string testModule(const char* name) {
    return windowsPath(std::string(TW_TEST_MODULE_DIR) + "/" + name + ".dll");
}

std::u16string str(const TextBuffer& text) { return std::u16string(textChars(&text), text.length); }

std::u16string programFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::u16string folder(asText(path));
    return folder.substr(0, folder.find_last_of(u'\\'));
}

// Copies of modules under chosen names beside the test program, where the program looks for them (its
// folder holds no modules of its own); removed again at the end.
struct ModuleFolder {
    std::vector<std::u16string> added;
    ~ModuleFolder() {
        releaseLanguageModule();
        for (const std::u16string& file : added)
            if (!DeleteFileW(asWide(file.c_str()))) RemoveDirectoryW(asWide(file.c_str()));
    }
    // Another file beside the program, removed at the end as well.
    std::string file(const char* name) {
        added.push_back(programFolder() + u"\\" + u16(name));
        return u8(added.back());
    }
    void add(const std::u16string& source, const char* name) {
        std::u16string target = programFolder() + u"\\" + u16(name) + u".dll";
        ASSERT_TRUE(CopyFileW(asWide(source.c_str()), asWide(target.c_str()), FALSE)) << name;
        added.push_back(target);
    }
    std::u16string path() const { return programFolder(); }
};

std::u16string loadedText(uint32_t id) {
    TextBuffer text;
    loadText(id, &text);
    return str(text);
}

struct Loaded {
    bool ok;
    std::u16string name;
};

Loaded load(const std::u16string& name) {
    TextBuffer languageName;
    textAssign(&languageName, name.c_str());
    bool ok = loadLanguageModule(&languageName);
    return {ok, str(languageName)};
}

void collect(void* context, const char16_t* name) {
    static_cast<std::vector<std::u16string>*>(context)->push_back(name);
}

}  // namespace

TEST(LanguageModule, FallsBackToEnglishThenJapanese) {
    ModuleFolder folder;
    folder.add(programModule("English"), "English");
    folder.add(programModule("Japanese"), "Japanese");

    Loaded chosen = load(u"Japanese");
    EXPECT_TRUE(chosen.ok);
    EXPECT_EQ(chosen.name, u"Japanese");
    EXPECT_EQ(loadedText(CMD_OPEN), u"\u958b\u304f");

    Loaded missing = load(u"Klingon");
    EXPECT_TRUE(missing.ok);
    EXPECT_EQ(missing.name, u"English");
    EXPECT_EQ(loadedText(CMD_OPEN), u"Open");

    Loaded empty = load(u"");
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(empty.name, std::u16string(defaultLanguageName(GetUserDefaultUILanguage())));
}

// Only the program's folder counts: a module of the same name in the current folder (or anywhere else on
// the search path) is never loaded.
TEST(LanguageModule, LoadsOnlyFromTheProgramsFolder) {
    ModuleFolder folder;
    folder.add(programModule("English"), "English");
    TempDir current;
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(CopyFileW(asWide(programModule("Japanese").c_str()), asWide(u16(current.file("Klingon.dll")).c_str()),
                          FALSE));
    SetCurrentDirectoryW(asWide(u16(current.path).c_str()));
    Loaded loaded = load(u"Klingon");
    SetCurrentDirectoryW(previous);
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.name, u"English");
    EXPECT_EQ(loadedText(CMD_OPEN), u"Open");
    releaseLanguageModule();
}

TEST(LanguageModule, JapaneseWhenEnglishIsMissing) {
    ModuleFolder folder;
    folder.add(programModule("Japanese"), "Japanese");
    Loaded missing = load(u"Klingon");
    EXPECT_TRUE(missing.ok);
    EXPECT_EQ(missing.name, u"Japanese");
    EXPECT_NE(appState.languageModule, nullptr);
}

TEST(LanguageModule, NothingToLoad) {
    ModuleFolder folder;
    Loaded none = load(u"Klingon");
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(appState.languageModule, nullptr);
    EXPECT_EQ(loadedText(CMD_OPEN), u"");
}

TEST(LanguageModule, BrokenSignatureIsRefusedWithoutFallback) {
    for (const char* broken : {"WrongSignature", "Unterminated", "LongerWord"}) {
        ModuleFolder folder;
        folder.add(programModule("English"), "English");
        folder.add(testModule(broken), "Klingon");
        Loaded refused = load(u"Klingon");
        EXPECT_FALSE(refused.ok) << broken;
        EXPECT_EQ(appState.languageModule, nullptr) << broken;
    }
}

TEST(LanguageModule, SwitchKeepsTheSelectedNameWhenNothingLoads) {
    TextBuffer languageName;
    {
        ModuleFolder folder;
        folder.add(programModule("English"), "English");
        textAssign(&languageName, u"English");
        ASSERT_TRUE(loadLanguageModule(&languageName));
        EXPECT_TRUE(switchLanguageModule(u"Klingon", &languageName));
        EXPECT_EQ(str(languageName), u"English");
    }

    ModuleFolder empty;
    EXPECT_FALSE(switchLanguageModule(u"Klingon", &languageName));
    EXPECT_EQ(str(languageName), u"Klingon");
    EXPECT_EQ(appState.languageModule, nullptr);
}

TEST(LanguageModule, ListsUsableModulesOnly) {
    ModuleFolder folder;
    folder.add(programModule("English"), "English");
    folder.add(programModule("Japanese"), "Japanese");
    folder.add(testModule("WrongSignature"), "Wrong");
    folder.add(testModule("Unterminated"), "Unterminated");
    folder.add(testModule("LongerWord"), "Longer");
    folder.add(testModule("TestTexts"), "Texts");  // signed, but Options could not open with it
    writeFileBytes(folder.file("Garbage.dll"), std::vector<uint8_t>(3000, 0x4D));
    writeFileBytes(folder.file("notes.txt"), {1, 2, 3});
    CreateDirectoryW(asWide(u16(folder.file("Folder.dll")).c_str()), nullptr);

    std::vector<std::u16string> names;
    int position = collectLanguageModules(folder.path().c_str(), u"Klingon", collect, &names);
    EXPECT_EQ(position, -1);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"English", u"Japanese"}));

    // The current module is listed by its name alone, without loading: even a broken file.
    names.clear();
    position = collectLanguageModules(folder.path().c_str(), u"WRONG", collect, &names);
    ASSERT_GE(position, 0);
    ASSERT_LT(position, static_cast<int>(names.size()));
    EXPECT_EQ(names[position], u"Wrong");
    EXPECT_EQ(names.size(), 3u);

    // Same letters, different length: not the current one.
    names.clear();
    EXPECT_EQ(collectLanguageModules(folder.path().c_str(), u"Englis", collect, &names), -1);
}

TEST(LanguageModule, TextsAreCutTo126Units) {
    ModuleFolder folder;
    folder.add(testModule("TestTexts"), "Tests");
    ASSERT_TRUE(load(u"Tests").ok);
    std::u16string longText = loadedText(1);
    EXPECT_EQ(longText.size(), 126u);
    std::u16string expected = u16("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(longText, (expected + expected + u"0123").substr(0, 126));
    EXPECT_EQ(loadedText(5100), u"Test open");
    EXPECT_EQ(loadedText(4242), u"");

    TextBuffer joined;
    textAssign(&joined, u"[");
    appendText(5100, &joined);
    appendText(4242, &joined);
    appendText(5100, &joined);
    EXPECT_EQ(str(joined), u"[Test openTest open");
}

TEST(LanguageModule, ErrorBoxTexts) {
    ModuleFolder folder;
    folder.add(testModule("TestTexts"), "Tests");
    ASSERT_TRUE(load(u"Tests").ok);
    struct Case {
        uint32_t id;
        const char16_t* caption;
        const char16_t* message;
    };
    const Case cases[] = {
        {50012, u"JPEG", u"Prefix: twelve"}, {50010, u"JPEG", u"ten"},     {50011, u"JPEG", u"Prefix: eleven"},
        {50024, u"JPEG", u"Prefix: twenty-four"}, {50001, u"JPEG", u"no memory"},
        {30004, u"General", u"changed on disk"}, {30007, u"General", u"copy failed"},
        {30000, u"", u""}, {50000, u"", u""}, {50025, u"", u""}, {30009, u"", u""}, {0, u"", u""},
    };
    for (const Case& c : cases) {
        TextBuffer caption, message;
        EXPECT_TRUE(errorMessageTexts(c.id, &caption, &message));
        EXPECT_EQ(str(caption), c.caption) << c.id;
        EXPECT_EQ(str(message), c.message) << c.id;
    }
}

TEST(LanguageModule, NothingToSaveAsksNothing) {
    appState.documentModified = false;
    EXPECT_EQ(askSaveChanges(), 1);
}
