#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "filelist/NaturalOrder.h"
#include "support/TestFiles.h"

#ifdef _WIN32
#include "common/WinHeaders.h"
#include <shlwapi.h>
#endif

namespace {

int sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::vector<std::u16string> wide;
    for (const std::string& name : names) wide.push_back(u16(name));
    std::sort(wide.begin(), wide.end(),
              [](const std::u16string& a, const std::u16string& b) { return naturalLess(a.c_str(), b.c_str()); });
    std::vector<std::string> result;
    for (const std::u16string& name : wide) result.push_back(u8(name));
    return result;
}

// Names as people and cameras make them: counters with and without leading zeros, dates, copies, case,
// spaces, hyphens, underscores, brackets and dots.
std::vector<std::string> generatedNames() {
    const char* stems[] = {"img", "IMG_", "Img-", "DSC", "dsc_", "photo ", "Photo", "a", "B", "holiday 2023-",
                           "scan(", "x.y", "_", "-", "~tmp", "copy of img", "IMG_0001 (", "p#", "p&q", "p+"};
    const char* counters[] = {"", "0", "1", "2", "9", "10", "01", "002", "11", "99", "100", "123456789", "007a"};
    const char* tails[] = {"", ")", " (2)", "-edit", "_b", "A", "a", ".1", " ", "x10"};
    std::vector<std::string> names;
    for (const char* stem : stems)
        for (const char* counter : counters)
            for (const char* tail : tails) names.push_back(std::string(stem) + counter + tail + ".jpg");
    return names;
}

}  // namespace

TEST(NaturalOrder, DigitRunsCompareByValueAndLettersWithoutCase) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"img2.jpg", "img10.jpg", -1},
        {"img10.jpg", "img9.jpg", 1},
        {"a9.JPG", "a10.jpg", -1},
        {"A1.jpeg", "a1.jpeg", 0},
        {"a01.jpg", "a1.jpg", 0},  // same value, as the shell compares it
        {"a001b", "a1c", -1},
        {"abc", "ABD", -1},
        {"abc", "ab", 1},
        {"ab", "abc", -1},
        {"", "", 0},
        {"", "a", -1},
        {"1", "a", -1},   // a digit run comes before any other character
        {"a", "1", 1},
        {"1", " ", -1},
        {"x 1", "x-1", 1},  // the hyphen sorts before the space
        {"x_1", "x.1", 1},
        {"x(1)", "x1", 1},
        {"x~", "x+", -1},
        {"x+", "xa", -1},
        {"99999999999999999999", "100000000000000000000", -1},  // longer than any machine word
        {"z99999999999999999999a", "z99999999999999999999b", -1},
    };
    for (const Case& c : cases) {
        std::u16string a = u16(c.a), b = u16(c.b);
        EXPECT_EQ(sign(compareNatural(a.c_str(), b.c_str())), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(sign(compareNatural(b.c_str(), a.c_str())), -c.expected) << c.b << " vs " << c.a;
    }
}

TEST(NaturalOrder, SortsAFolderAsExplorerShowsIt) {
    EXPECT_EQ(sorted({"img10.jpg", "IMG2.jpg", "img1.jpg", "img 3.jpg", "img-4.jpg", "img_5.jpg", "Img1.jpg"}),
              (std::vector<std::string>{"Img1.jpg", "img1.jpg", "IMG2.jpg", "img10.jpg", "img-4.jpg", "img 3.jpg",
                                        "img_5.jpg"}));
}

TEST(NaturalOrder, SortingOrderIsTotalAndAgreesWithTheComparison) {
    std::vector<std::string> names = generatedNames();
    std::vector<std::string> order = sorted(names);
    for (size_t i = 1; i < order.size(); ++i) {
        std::u16string a = u16(order[i - 1]), b = u16(order[i]);
        ASSERT_LE(compareNatural(a.c_str(), b.c_str()), 0) << order[i - 1] << " before " << order[i];
        ASSERT_TRUE(naturalLess(a.c_str(), b.c_str())) << order[i - 1] << " before " << order[i];
        ASSERT_FALSE(naturalLess(b.c_str(), a.c_str()));
    }
}

#ifdef _WIN32
// The Windows build sorts as the shell does, names outside ASCII included.
TEST(NaturalOrder, SortsNamesOutsideAsciiAsTheShellDoes) {
    std::vector<std::string> order = sorted({"zoo", "日本", "Ábaco", "b10", "été", "Zebra 3", "abc", "zebra 20", "ñu",
                                             "Éclair", "b2", "eagle"});
    for (size_t i = 1; i < order.size(); ++i)
        EXPECT_LT(StrCmpLogicalW(asWide(u16(order[i - 1]).c_str()), asWide(u16(order[i]).c_str())), 0) << order[i];
}

// Under Windows (and Wine) the portable order must be the shell's own for every pair of generated names.
TEST(NaturalOrder, EqualsStrCmpLogicalWForGeneratedNames) {
    std::vector<std::string> names = generatedNames();
    std::vector<std::u16string> wide;
    for (const std::string& name : names) wide.push_back(u16(name));
    int mismatches = 0;
    for (size_t i = 0; i < wide.size(); i += 3) {
        for (size_t j = 0; j < wide.size(); j += 5) {
            int ours = sign(compareNatural(wide[i].c_str(), wide[j].c_str()));
            int shell = sign(StrCmpLogicalW(asWide(wide[i].c_str()), asWide(wide[j].c_str())));
            if (ours != shell && ++mismatches <= 10)
                ADD_FAILURE() << "'" << names[i] << "' vs '" << names[j] << "': ours " << ours << ", shell " << shell;
        }
    }
    EXPECT_EQ(mismatches, 0);
}
#endif
