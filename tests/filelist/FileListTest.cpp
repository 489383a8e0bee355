#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/PathUtil.h"
#include "filelist/FileList.h"
#include "support/TestFiles.h"

namespace {

std::vector<std::string> listed(const FileList& list) {
    std::vector<std::string> names;
    for (size_t i = 0; i < list.count; ++i) names.push_back(u8(textChars(&list.names[i])));
    return names;
}

void touch(const TempDir& dir, const std::string& name) { writeFileBytes(dir.file(name), {0xFF, 0xD8}); }

std::u16string folderOf(const TempDir& dir) {
#ifdef _WIN32
    std::string path = dir.path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return u16(path);
#else
    return u16(dir.path);
#endif
}

struct ListFixture : ::testing::Test {
    void TearDown() override { releaseFileNames(&list); }
    bool collect(const char* openName) {
        std::u16string folder = folderOf(dir);
        std::u16string open = u16(openName);
        return collectFileList(&list, folder.c_str(), open.c_str());
    }
    TempDir dir;
    FileList list;
};

}  // namespace

TEST(FileListNames, EachPassTakesOnlyItsOwnExtensionAfterADot) {
    struct Case {
        const char* name;
        bool jpg, jpe, jpeg;
    } cases[] = {
        {"a10.jpg", true, false, false}, {"a9.JPG", true, false, false},  {"a1.jpeg", false, false, true},
        {"b.jpe", false, true, false},   {"c.jpgx", false, false, false}, {"d.png", false, false, false},
        {".jpg", false, false, false},   {".jpeg", false, false, false},  {"x.JpEg", false, false, true},
        {"X~1.JPE", false, true, false}, {"jpg", false, false, false},    {"ajpg", false, false, false},
        {"a.b.jpg", true, false, false}, {"a..jpe", false, true, false},
    };
    for (const Case& c : cases) {
        std::u16string name = u16(c.name);
        EXPECT_EQ(takenInPass(name.c_str(), name.size(), 0), c.jpg) << c.name;
        EXPECT_EQ(takenInPass(name.c_str(), name.size(), 1), c.jpe) << c.name;
        EXPECT_EQ(takenInPass(name.c_str(), name.size(), 2), c.jpeg) << c.name;
    }
}

TEST(FileListNames, FolderOfAPictureKeepsARootARoot) {
    struct Case {
        const char* path;
        bool ok;
        const char* folder;
    } cases[] = {
#ifdef _WIN32
        {"C:\\photos\\a.jpg", true, "C:\\photos"},
        {"C:\\a.jpg", true, "C:\\"},  // "C:" alone would be the drive's current folder
        {"\\\\server\\share\\a.jpg", true, "\\\\server\\share"},
        {"\\a.jpg", true, "\\"},
        {"C:a.jpg", false, ""},
        {"a.jpg", false, ""},
#else
        {"/photos/a.jpg", true, "/photos"},
        {"/a.jpg", true, "/"},
        {"a.jpg", false, ""},
#endif
    };
    for (const Case& c : cases) {
        std::u16string path = u16(c.path);
        TextBuffer folder;
        EXPECT_EQ(fileListFolder(path.c_str(), &folder), c.ok) << c.path;
        EXPECT_EQ(u8(textChars(&folder)), c.folder) << c.path;
    }
}

TEST_F(ListFixture, ListsTheJpegFilesOnceInNaturalOrder) {
    for (const char* name : {"a10.jpg", "a9.JPG", "a1.jpeg", "b.jpe", "c.jpgx", "d.png", ".jpg", "x.jpeg"}) touch(dir, name);
    ASSERT_TRUE(std::filesystem::create_directory(dir.file("sub.jpg")));
    ASSERT_TRUE(collect("A9.jpg"));
    EXPECT_EQ(listed(list), (std::vector<std::string>{"a1.jpeg", "a9.JPG", "a10.jpg", "b.jpe", "x.jpeg"}));
    EXPECT_EQ(list.capacity, 8u);  // the files, not the folder
    EXPECT_EQ(list.selectedIndex, 1);
    EXPECT_EQ(findListedName(&list, u"X.JPEG"), 4);
    EXPECT_EQ(findListedName(&list, u"x.jpe"), -1);
}

TEST_F(ListFixture, OpenPictureMissingSelectsNothingAndAnEmptyFolderListsNothing) {
    touch(dir, "b.jpg");
    touch(dir, "a.jpg");
    ASSERT_TRUE(collect("gone.jpg"));
    EXPECT_EQ(list.selectedIndex, -1);
    EXPECT_EQ(listed(list), (std::vector<std::string>{"a.jpg", "b.jpg"}));

    TempDir other;
    writeFileBytes(other.file("notes.txt"), {1});
    std::u16string folder = folderOf(other);
    EXPECT_FALSE(collectFileList(&list, folder.c_str(), u"a.jpg"));
    EXPECT_FALSE(fileListPresent(&list));
    EXPECT_EQ(list.names, nullptr);
    EXPECT_FALSE(collectFileList(&list, u"/no/such/folder", u"a.jpg"));
    EXPECT_FALSE(fileListPresent(&list));
}

TEST_F(ListFixture, ManyFilesAreAllListedInOrder) {
    std::vector<std::string> expected;
    for (int i = 1; i <= 120; ++i) {
        std::string name = "IMG_" + std::to_string(i) + (i % 3 == 0 ? ".JPEG" : ".jpg");
        touch(dir, name);
        expected.push_back(name);
    }
    touch(dir, "readme.txt");
    ASSERT_TRUE(collect("img_120.jpeg"));
    EXPECT_EQ(listed(list), expected);
    EXPECT_EQ(list.selectedIndex, 119);
}

TEST(FileListPlacement, LeftOfTheFrameElseUnderTheRebar) {
    struct Case {
        ListPlacementInput input;
        ListPosition expected;
    } cases[] = {
        {{400, 100, 180, 0, 408, 160}, {220, 100}},
        {{180, 50, 180, 0, 188, 110}, {0, 50}},      // exactly at the work area's edge
        {{179, 50, 180, 0, 187, 110}, {187, 110}},   // one pixel short: under the rebar
        {{-1900, 10, 180, -1920, -1892, 70}, {-1892, 70}},  // a monitor left of the primary one
        {{2100, 40, 250, 1920, 2108, 96}, {2108, 96}},  // second monitor's work area
    };
    for (const Case& c : cases) {
        ListPosition at = placeFileListWindow(c.input);
        EXPECT_EQ(at.x, c.expected.x) << c.input.frameLeft;
        EXPECT_EQ(at.y, c.expected.y) << c.input.frameLeft;
    }
}
