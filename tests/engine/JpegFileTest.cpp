#include "engine/JpegFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "support/TestFiles.h"

TEST(JpegFile, ZeroByteFileIsRejectedBeforeMapping) {
    TempDir dir;
    std::string path = dir.file("empty.jpg");
    writeFileBytes(path, {});
    JpegFile file;
    EXPECT_EQ(openMappedRead(&file, u16(path).c_str()), 0u);
    EXPECT_EQ(file.errorCode, kEngineCannotOpen);
    EXPECT_EQ(file.fileHandle, kInvalidOsHandle);
    EXPECT_EQ(file.viewBase, nullptr);
}

TEST(JpegFile, MissingFileGives50004) {
    TempDir dir;
    JpegFile file;
    EXPECT_EQ(openMappedRead(&file, u16(dir.file("missing.jpg")).c_str()), 0u);
    EXPECT_EQ(file.errorCode, kEngineCannotOpen);
}

TEST(JpegFile, CopyOnWriteViewNeverChangesTheFile) {
    TempDir dir;
    std::string path = dir.file("a.jpg");
    writeFileBytes(path, {1, 2, 3, 4});
    JpegFile file;
    ASSERT_EQ(openMappedCopyOnWrite(&file, u16(path).c_str()), 4u);
    file.viewBase[0] = 99;
    EXPECT_EQ(file.dataEnd - file.dataStart, 4);
    closeMapped(&file);
    EXPECT_EQ(file.fileHandle, kInvalidOsHandle);
    EXPECT_EQ(readFileBytes(path), (std::vector<uint8_t>{1, 2, 3, 4}));
}

// A copy-on-write view needs only read access: a read-only file can be cropped to a new file.
TEST(JpegFile, ReadOnlySourceCanBeShownAndSavedFrom) {
    TempDir dir;
    std::string path = dir.file("ro.jpg");
    writeFileBytes(path, {0xFF, 0xD8, 0xFF, 0xD9});
    makeReadOnly(path);
    JpegFile file;
    EXPECT_EQ(openMappedRead(&file, u16(path).c_str()), 4u);
    closeMapped(&file);
    EXPECT_EQ(openMappedCopyOnWrite(&file, u16(path).c_str()), 4u);
    closeMapped(&file);
}

TEST(JpegFile, SourceUnchangedComparesBothHalvesAndReportsAMissingFile) {
    TempDir dir;
    std::string path = dir.file("t.jpg");
    writeFileBytes(path, {1});
    const uint64_t time = 0x01D0000012345678ULL;
    ASSERT_TRUE(osSetFileWriteTime(u16(path).c_str(), time));
    EXPECT_EQ(checkSourceUnchanged(u16(path).c_str(), time), 0);
    EXPECT_EQ(checkSourceUnchanged(u16(path).c_str(), time ^ 0x100), 1);  // low half differs
    std::remove(path.c_str());
    EXPECT_EQ(checkSourceUnchanged(u16(path).c_str(), time), -1);
}

TEST(JpegFile, TempFileIsCreatedEmptyWithTheTmpPrefix) {
    TextBuffer path;
    ASSERT_TRUE(makeTempFilePath(&path));
    std::string name = u8(textChars(&path));
    EXPECT_NE(name.find("tmp"), std::string::npos) << name;
    EXPECT_TRUE(readFileBytes(name).empty());
    EXPECT_TRUE(osDeleteFile(textChars(&path)));
}

TEST(JpegFile, ReleasedPagesOfAViewReadBackUnchanged) {
    TempDir dir;
    std::string path = dir.file("pages.bin");
    std::vector<uint8_t> bytes(3 * 4096 + 17);
    for (size_t i = 0; i < bytes.size(); i++) bytes[i] = uint8_t(i * 13 + 5);
    writeFileBytes(path, bytes);
    JpegFile file;
    uint32_t size = openMappedCopyOnWrite(&file, u16(path).c_str());
    ASSERT_EQ(size, bytes.size());
    ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), file.viewBase));
    osReleaseMappedPages(file.viewBase, size);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), file.viewBase));
    closeMapped(&file);
}
