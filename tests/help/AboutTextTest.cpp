#include <gtest/gtest.h>

#include "help/AboutText.h"
#include "support/TestFiles.h"

// The plain help file, and the help of a language by its module's tag; a tag that could lead elsewhere is refused.
TEST(AboutText, HelpFileIsTheProgramPathWithChm) {
    struct Case {
        const char* module;
        const char* help;  // null: refused
        const char* tag = "";
    } cases[] = {
        {"C:\\Program Files\\Trimwell\\Trimwell.exe", "C:\\Program Files\\Trimwell\\Trimwell.chm"},
        {"C:\\tools.v2\\Trimwell", "C:\\tools.v2\\Trimwell.chm"},  // the folder's dot is not the name's
        {"C:\\a\\trim.well.EXE", "C:\\a\\trim.well.chm"},
        {"Trimwell.exe", "Trimwell.chm"},
        {"C:\\Program Files\\Trimwell\\Trimwell.exe", "C:\\Program Files\\Trimwell\\Trimwell.ja.chm", "ja"},
        {"C:\\tools.v2\\Trimwell", "C:\\tools.v2\\Trimwell.pt-BR_2.chm", "pt-BR_2"},
        {"Trimwell.exe", nullptr, "..\\..\\evil"},
        {"Trimwell.exe", nullptr, "abcdefghijklmnopq"},  // 17 units
    };
    for (const Case& c : cases) {
        std::u16string module = u16(c.module);
#ifndef _WIN32
        for (char16_t& unit : module)
            if (unit == u'\\') unit = u'/';
#endif
        TextBuffer help;
        bool named = c.tag[0] ? languageHelpFilePath(module.c_str(), u16(c.tag).c_str(), &help)
                              : helpFilePath(module.c_str(), &help);
        ASSERT_EQ(named, c.help != nullptr) << c.module << " " << c.tag;
        if (!named) continue;
        std::string result = u8(textChars(&help));
#ifndef _WIN32
        for (char& unit : result)
            if (unit == '/') unit = '\\';
#endif
        EXPECT_EQ(result, c.help) << c.module;
    }
}

TEST(AboutText, WindowIsCentredOnTheFrameWithAShiftedHalf) {
    struct Case {
        int left, top, right, bottom, dialogFrame, caption;
        AboutBox expected;
    } cases[] = {
        {200, 100, 1000, 700, 3, 23, {(1200 - 280) >> 1, (800 - 104) >> 1, 280, 104}},
        {0, 0, 280, 104, 3, 23, {0, 0, 280, 104}},
        {-1001, -50, 0, 50, 4, 19, {-642, -51, 282, 102}},  // odd negative sums round down, not to zero
        {10, 10, 11, 11, 0, 0, {-127, -27, 274, 75}},
    };
    for (const Case& c : cases) {
        AboutBox box = aboutWindowBox(c.left, c.top, c.right, c.bottom, c.dialogFrame, c.caption);
        EXPECT_EQ(box.x, c.expected.x) << c.left;
        EXPECT_EQ(box.y, c.expected.y) << c.left;
        EXPECT_EQ(box.width, c.expected.width) << c.left;
        EXPECT_EQ(box.height, c.expected.height) << c.left;
    }
}
