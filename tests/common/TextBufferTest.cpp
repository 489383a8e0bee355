#include "common/TextBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/PathUtil.h"

static std::u16string str(const TextBuffer& text) { return std::u16string(textChars(&text), text.length); }

TEST(TextBuffer, GrowsToTwiceTheLengthPlus128RoundedDownAndZeroFills) {
    TextBuffer text;
    EXPECT_EQ(textChars(&text)[0], 0);
    ASSERT_TRUE(textReserve(&text, 10));
    // 11 units = 22 bytes: 2 × 22 + 128 = 172, rounded down to 128.
    EXPECT_EQ(text.capacityBytes, 128u);
    for (size_t i = 0; i < text.capacityBytes / 2; i++) EXPECT_EQ(text.data[i], 0) << i;
    ASSERT_TRUE(textReserve(&text, 100));
    EXPECT_EQ(text.capacityBytes, (2 * 202 + 128) / 128 * 128);
}

TEST(TextBuffer, AppendsAndTerminates) {
    TextBuffer text;
    textAppendAscii(&text, "Trim");
    textAppendZ(&text, u"well");
    textAppendChar(&text, u' ');
    textAppendNumber(&text, -1250);
    EXPECT_EQ(str(text), u"Trimwell -1250");
    EXPECT_EQ(text.data[text.length], 0);
    EXPECT_TRUE(textEquals(&text, u"Trimwell -1250"));
    textClear(&text);
    EXPECT_EQ(text.length, 0u);
    EXPECT_EQ(textChars(&text)[0], 0);
}

TEST(TextBuffer, Utf8RoundTripsIncludingSurrogatePairs) {
    TextBuffer text;
    const char* utf8 = "写真 \xF0\x9F\x93\xB7 é";
    textAssignUtf8(&text, utf8);
    EXPECT_EQ(text.length, 7u);  // two kanji, space, a surrogate pair, space, é
    char* back = utf8FromText(textChars(&text), text.length);
    ASSERT_NE(back, nullptr);
    EXPECT_STREQ(back, utf8);
    free(back);
}

TEST(TextBuffer, BadUtf8BecomesReplacementCharacters) {
    TextBuffer text;
    const char bad[] = {'a', char(0xC3), 'b', char(0xFF), 0};
    textAssignUtf8(&text, bad);
    EXPECT_EQ(str(text), u"a\uFFFDb\uFFFD");
}

TEST(TextBuffer, FailedGrowthEmptiesAndLaterAppendsDoNothing) {
    TextBuffer text;
    textAppendAscii(&text, "abc");
    EXPECT_FALSE(textReserve(&text, SIZE_MAX / 4));
    EXPECT_TRUE(text.failed);
    EXPECT_EQ(text.length, 0u);
    EXPECT_FALSE(textAppendAscii(&text, "more"));
    EXPECT_EQ(text.length, 0u);
}

TEST(TextBuffer, CaseFoldingTouchesOnlyAsciiLetters) {
    EXPECT_EQ(compareNoCaseAscii(u"PHOTO.JPG", u"photo.jpg"), 0);
    EXPECT_NE(compareNoCaseAscii(u"\u00C9", u"\u00E9"), 0);  // É and é stay different
    EXPECT_LT(compareNoCaseAscii(u"a", u"B"), 0);
}

TEST(PathUtil, JoinsWithOneSeparatorAndCutsAtTheLastOne) {
    TextBuffer path;
    textAssignUtf8(&path, "dir");
    pathJoin(&path, u"name.tar.jpg");
    std::u16string expected = std::u16string(u"dir") + kPathSeparator + u"name.tar.jpg";
    EXPECT_EQ(str(path), expected);
    textAppendChar(&path, kPathSeparator);
    pathJoin(&path, u"x");  // no doubled separator
    EXPECT_EQ(path.length, expected.size() + 2);

    const char16_t* p = textChars(&path);
    EXPECT_EQ(pathNameStart(p, path.length), path.length - 1);
    textAssign(&path, expected.c_str());
    pathCutExtension(&path);
    EXPECT_EQ(str(path), std::u16string(u"dir") + kPathSeparator + u"name.tar");
    ASSERT_TRUE(pathCutToFolder(&path));
    EXPECT_EQ(str(path), u"dir");
    EXPECT_FALSE(pathCutToFolder(&path));
    textAssign(&path, (std::u16string(u"a.b") + kPathSeparator + u"noext").c_str());
    pathCutExtension(&path);  // the dot belongs to the folder, not the name
    EXPECT_EQ(path.length, 9u);
}
