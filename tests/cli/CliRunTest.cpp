#include "cli/CliRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "support/TestFiles.h"
#include "support/TestJpeg.h"

namespace {

int runWith(const std::vector<std::string>& arguments) {
    std::vector<std::u16string> texts;
    for (const std::string& argument : arguments) texts.push_back(u16(argument));
    std::vector<const char16_t*> pointers;
    for (const std::u16string& text : texts) pointers.push_back(text.c_str());
    return runCli(int(pointers.size()), pointers.data());
}

std::vector<std::string> filesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(dir.path))) {
        names.push_back(entry.path().filename().u8string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> cameraPicture() {
    TestJpegOptions options;
    options.width = 120;
    options.height = 90;
    options.writeJfif = false;
    ExifOptions exif;
    exif.pixelWidth = 120;
    exif.pixelHeight = 90;
    options.markers = {exifMarker(exif), commentMarker("kept")};
    return makeTestJpeg(options);
}

}  // namespace

TEST(CliRun, CropWritesTheEngineResultAndLeavesNoTemporaryFile) {
    TempDir dir;
    writeFileBytes(dir.file("in.jpg"), cameraPicture());
    writeFileBytes(dir.file("out.jpg"), {1, 2, 3});
    ASSERT_EQ(runWith({"--crop", "50x40+20+5", "--progressive", "--markers", "comments", dir.file("in.jpg"),
                       dir.file("out.jpg")}),
              kCliDone);
    EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"in.jpg", "out.jpg"}));
    TestJpegContents output = readTestJpeg(readFileBytes(dir.file("out.jpg")));
    ASSERT_TRUE(output.ok) << output.error;
    EXPECT_EQ(output.width, 54);
    EXPECT_EQ(output.height, 45);
    EXPECT_TRUE(output.progressive);
    ASSERT_EQ(output.markers.size(), 2u);  // the library's JFIF and the comment
    EXPECT_EQ(output.markers[1].code, JPEG_COM);

    // Same engine run directly gives the same bytes.
    CropTransform job;
    job.markerCopyMode = kCopyComments;
    job.isProgressive = 1;
    job.cropEnabled = 1;
    job.crop.width = 50;
    job.crop.height = 40;
    job.crop.left = 20;
    job.crop.top = 5;
    ASSERT_TRUE(transformFile(&job, u16(dir.file("in.jpg")).c_str(), u16(dir.file("direct.jpg")).c_str()));
    EXPECT_EQ(readFileBytes(dir.file("out.jpg")), readFileBytes(dir.file("direct.jpg")));
}

TEST(CliRun, FailureLeavesOutputUntouchedAndNoTemporaryFile) {
    TempDir dir;
    writeFileBytes(dir.file("in.jpg"), cameraPicture());
    writeFileBytes(dir.file("bad.jpg"), {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'});
    const std::vector<uint8_t> previous = {9, 8, 7, 6};
    writeFileBytes(dir.file("out.jpg"), previous);
    const std::vector<std::vector<std::string>> failing = {
        {"--crop", "200x10+0+0", dir.file("in.jpg"), dir.file("out.jpg")},  // wider than the picture
        {"--grayscale", dir.file("bad.jpg"), dir.file("out.jpg")},
        {dir.file("missing.jpg"), dir.file("out.jpg")},
    };
    for (const auto& arguments : failing) {
        EXPECT_EQ(runWith(arguments), kCliFailed) << arguments[arguments.size() - 2];
        EXPECT_EQ(readFileBytes(dir.file("out.jpg")), previous);
        EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"bad.jpg", "in.jpg", "out.jpg"}));
    }
    EXPECT_EQ(runWith({"--crop", "1x1", dir.file("in.jpg"), dir.file("out.jpg")}), kCliBadUsage);
    EXPECT_EQ(runWith({"--help"}), kCliDone);
    EXPECT_EQ(readFileBytes(dir.file("out.jpg")), previous);
    EXPECT_EQ(runWith({dir.file("in.jpg"), dir.file("no-folder/out.jpg")}), kCliFailed);
    EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"bad.jpg", "in.jpg", "out.jpg"}));
}

TEST(CliRun, OutputMayReplaceItsOwnInput) {
    TempDir dir;
    writeFileBytes(dir.file("photo.jpg"), cameraPicture());
    ASSERT_EQ(runWith({"--crop", "32x32+32+32", dir.file("photo.jpg"), dir.file("photo.jpg")}), kCliDone);
    TestJpegContents output = readTestJpeg(readFileBytes(dir.file("photo.jpg")));
    ASSERT_TRUE(output.ok);
    EXPECT_EQ(output.width, 32);
    EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"photo.jpg"}));
}

#ifndef _WIN32
TEST(CliRun, OutputGetsTheUsualPermissionsNotThoseOfATemporaryFile) {
    TempDir dir;
    writeFileBytes(dir.file("in.jpg"), cameraPicture());
    mode_t previous = umask(022);
    int status = runWith({dir.file("in.jpg"), dir.file("out.jpg")});
    umask(previous);
    ASSERT_EQ(status, kCliDone);
    struct stat info;
    ASSERT_EQ(stat(dir.file("out.jpg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}
#endif
