#include "cli/CliRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "engine/DecodedImage.h"
#include "engine/ExifThumbnail.h"
#include "engine/LoadPicture.h"
#include "engine/OsFile.h"
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

std::vector<uint8_t> cameraPictureWithThumbnail(int width, int height, bool progressive);

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

    // A bit flipped on its way to disk (a failing card, cable or memory) is caught before OUTPUT is
    // replaced, for each kind of output and in place; with --no-verify (last) it goes through unseen.
    const std::string exif = dir.file("exif.jpg"), out = dir.file("out.jpg");
    writeFileBytes(exif, cameraPictureWithThumbnail(320, 240, false));
    const std::vector<uint8_t> source = readFileBytes(exif);
    const std::vector<std::vector<std::string>> flipped = {
        {"--crop", "200x150+20+10", exif, out},
        {"--crop", "200x150+20+10", "--progressive", exif, out},
        {"--crop", "200x150+20+10", "--grayscale", exif, out},
        {"--grayscale", "--progressive", exif, exif},
        {"--crop", "200x150+20+10", "--no-verify", exif, out},
    };
    for (const auto& arguments : flipped) {
        std::string label = arguments.back() == exif ? "in place:" : "";
        for (size_t i = 0; i + 2 < arguments.size(); ++i) label += " " + arguments[i];
        const bool verified = arguments[2] != "--no-verify";
        osFlipBitInNthWrite(1, 16);
        EXPECT_EQ(runWith(arguments), verified ? kCliFailed : kCliDone) << label;
        osClearFaults();
        const std::vector<uint8_t>& before = arguments.back() == exif ? source : previous;
        if (verified) { EXPECT_EQ(readFileBytes(arguments.back()), before) << label; }
        EXPECT_EQ(readFileBytes(exif), source) << label;
        EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"bad.jpg", "exif.jpg", "in.jpg", "out.jpg"})) << label;
    }
    // A read-only input may be cropped to a new file, never over itself or another read-only file.
    const std::vector<uint8_t> kept = readFileBytes(out);
    makeReadOnly(dir.file("in.jpg"));
    makeReadOnly(out);
    EXPECT_EQ(runWith({"--crop", "16x16+8+8", dir.file("in.jpg"), out}), kCliFailed);
    EXPECT_EQ(runWith({"--crop", "16x16+8+8", dir.file("in.jpg"), dir.file("in.jpg")}), kCliFailed);
    EXPECT_EQ(readFileBytes(out), kept);
    EXPECT_EQ(readFileBytes(dir.file("in.jpg")), cameraPicture());
    EXPECT_EQ(runWith({"--crop", "16x16+8+8", dir.file("in.jpg"), dir.file("new.jpg")}), kCliDone);
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
// A new output gets what a new file gets, not the temporary file's 0600; one that exists keeps its own.
TEST(CliRun, OutputKeepsItsPermissionsOrGetsThoseOfANewFile) {
    const struct {
        const char *label, *output;
        mode_t before, after;  // before 0: OUTPUT does not exist
    } cases[] = {
        {"a new output", "new.jpg", 0, 0644},
        {"a private picture cropped in place", "in.jpg", 0600, 0600},
        {"an existing output readable by its group", "out.jpg", 0640, 0640},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        writeFileBytes(dir.file("in.jpg"), cameraPicture());
        writeFileBytes(dir.file("out.jpg"), {1, 2, 3});
        if (c.before) { ASSERT_EQ(chmod(dir.file(c.output).c_str(), c.before), 0); }
        mode_t previous = umask(022);
        int status = runWith({"--crop", "32x32+16+16", dir.file("in.jpg"), dir.file(c.output)});
        umask(previous);
        ASSERT_EQ(status, kCliDone);
        struct stat info;
        ASSERT_EQ(stat(dir.file(c.output).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.after);
    }
}
#endif

namespace {

// A camera picture whose Exif thumbnail is a flat grey stand-in, so that a regenerated one differs.
std::vector<uint8_t> cameraPictureWithThumbnail(int width, int height, bool progressive) {
    TestJpegOptions small;
    small.width = 160;
    small.height = 120;
    small.solid = {128, 128, 128};
    ExifOptions exif;
    exif.pixelWidth = uint32_t(width);
    exif.pixelHeight = uint32_t(height);
    exif.thumbnail = makeTestJpeg(small);
    TestJpegOptions options;
    options.width = width;
    options.height = height;
    options.progressive = progressive;
    options.writeJfif = false;
    options.markers = {exifMarker(exif)};
    return makeTestJpeg(options);
}

}  // namespace

TEST(CliRun, InfoPrintsOneKeyValueLinePerFact) {
    TempDir dir;
    std::vector<uint8_t> camera = cameraPictureWithThumbnail(1001, 601, true);
    writeFileBytes(dir.file("camera.jpg"), camera);
    TestJpegOptions grey;
    grey.width = 9;
    grey.height = 7;
    grey.colorSpace = JCS_GRAYSCALE;
    writeFileBytes(dir.file("grey.jpg"), makeTestJpeg(grey));

    testing::internal::CaptureStdout();
    ASSERT_EQ(runWith({"--info", dir.file("camera.jpg")}), kCliDone);
    std::string thumbnail = std::to_string(exifThumbnail(camera).size());
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "width 1001\nheight 601\nbits 24\ncomponents 3\ngrid 16x16\nprogressive yes\nexif yes\nthumbnail " +
                  thumbnail + "\n");
    testing::internal::CaptureStdout();
    ASSERT_EQ(runWith({"--info", dir.file("grey.jpg")}), kCliDone);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "width 9\nheight 7\nbits 8\ncomponents 1\ngrid 8x8\nprogressive no\nexif no\nthumbnail none\n");
}

TEST(CliRun, InfoAndBitmapFailOnWhatTheProgramWouldNotShow) {
    TempDir dir;
    writeFileBytes(dir.file("png.jpg"), {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 0});
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    EXPECT_EQ(runWith({"--info", dir.file("png.jpg")}), kCliFailed);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("png.jpg"), std::string::npos);
    testing::internal::CaptureStderr();
    EXPECT_EQ(runWith({"--bmp", dir.file("out.bmp"), dir.file("png.jpg")}), kCliFailed);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fileExists(dir.file("out.bmp")));
}

TEST(CliRun, BitmapHoldsTheDisplayedRowsBottomUp) {
    TempDir dir;
    TestJpegOptions options;
    options.width = 33;
    options.height = 21;
    std::vector<uint8_t> jpeg = makeTestJpeg(options);
    writeFileBytes(dir.file("in.jpg"), jpeg);
    ASSERT_EQ(runWith({"--bmp", dir.file("out.bmp"), dir.file("in.jpg")}), kCliDone);
    std::vector<uint8_t> bmp = readFileBytes(dir.file("out.bmp"));
    TestPixels pixels = decodeTestJpeg(jpeg, JCS_EXT_BGR);
    const size_t stride = (33 * 3 + 3) & ~size_t(3);
    ASSERT_EQ(bmp.size(), 54 + stride * 21);
    for (int y = 0; y < 21; ++y) {
        const uint8_t* row = &bmp[54 + stride * size_t(20 - y)];
        ASSERT_TRUE(std::equal(row, row + 33 * 3, &pixels.samples[size_t(y) * 33 * 3])) << "picture row " << y;
    }
}

TEST(CliRun, CropWithAllMarkersGetsAThumbnailOfTheCroppedPicture) {
    TempDir dir;
    std::vector<uint8_t> camera = cameraPictureWithThumbnail(320, 240, false);
    const std::vector<uint8_t> oldThumbnail = exifThumbnail(camera);
    writeFileBytes(dir.file("in.jpg"), camera);
    struct Case {
        std::vector<std::string> options;
        int width, height, components;  // of the new thumbnail; 0 when the old one stays
    };
    // A window from (20, 10) starts at (16, 0) on the 16 × 16 grid: the output is 204 × 160, and a
    // grayscale output has an 8 × 8 grid: 204 × 152 from (16, 8).
    const Case cases[] = {{{"--crop", "200x150+20+10"}, 160, 125, 3},
                          {{"--crop", "200x150+20+10", "--grayscale"}, 160, 119, 1},
                          {{"--grayscale"}, 160, 120, 1},
                          {{"--progressive"}, 0, 0, 0},
                          {{"--crop", "200x150+20+10", "--markers", "comments"}, -1, 0, 0}};
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.options;
        arguments.push_back(dir.file("in.jpg"));
        arguments.push_back(dir.file("out.jpg"));
        std::string label = c.options[0] + " " + c.options.back();
        ASSERT_EQ(runWith(arguments), kCliDone) << label;
        std::vector<uint8_t> thumbnail = exifThumbnail(readFileBytes(dir.file("out.jpg")));
        if (c.width < 0) {
            EXPECT_TRUE(thumbnail.empty()) << label << ": no Exif";
        } else if (c.width == 0) {
            EXPECT_EQ(thumbnail, oldThumbnail) << label;
        } else {
            TestJpegContents contents = readTestJpeg(thumbnail);
            ASSERT_TRUE(contents.ok) << label;
            EXPECT_EQ(contents.width, c.width) << label;
            EXPECT_EQ(contents.height, c.height) << label;
            EXPECT_EQ(int(contents.components.size()), c.components) << label;
        }
    }
}

// The thumbnail of a crop from an origin off the grid shows the window the engine wrote: close to the one
// the program makes from its displayed picture cut to that window, far from a window beside it.
TEST(CliRun, CropThumbnailShowsTheWindowTheEngineWrote) {
    TempDir dir;
    TestJpegOptions options;
    options.width = 1203;
    options.height = 803;
    options.writeJfif = false;
    options.splitX = 507;
    options.splitY = 311;
    options.quadrants = {{220, 40, 40}, {40, 200, 60}, {50, 60, 210}, {230, 210, 40}};
    ExifOptions exif;
    exif.thumbnail = exifThumbnail(cameraPictureWithThumbnail(160, 120, false));
    options.markers = {exifMarker(exif)};
    const std::string source = dir.file("in.jpg"), output = dir.file("out.jpg"), reference = dir.file("ref.jpg");
    writeFileBytes(source, makeTestJpeg(options));
    struct Case {
        bool grayscale;
        PixelRect written;  // 600 x 400 from (413, 250) on the 16 x 16 grid, or on the 8 x 8 grid in grey
    };
    const Case cases[] = {{false, {400, 240, 1012, 649}}, {true, {408, 248, 1012, 649}}};
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"--crop", "600x400+413+250", source, output};
        if (c.grayscale) arguments.insert(arguments.begin(), "--grayscale");
        ASSERT_EQ(runWith(arguments), kCliDone);
        const std::vector<uint8_t> thumbnail = exifThumbnail(readFileBytes(output));
        auto shownWay = [&](const PixelRect& window) {
            writeFileBytes(reference, readFileBytes(output));
            DecodedImage* shown = nullptr;
            EXPECT_TRUE(loadPictureFile(&shown, u16(source).c_str()) && installCroppedPicture(shown, window));
            EXPECT_TRUE(regenerateExifThumbnail(u16(reference).c_str(), shown, c.grayscale));
            releasePicture(&shown);
            return decodeTestJpeg(exifThumbnail(readFileBytes(reference)));
        };
        auto difference = [](const TestPixels& a, const TestPixels& b) {
            double total = 0;
            for (size_t i = 0; i < a.samples.size(); ++i) total += std::abs(int(a.samples[i]) - int(b.samples[i]));
            return total / double(a.samples.size());
        };
        const TestPixels got = decodeTestJpeg(thumbnail), expected = shownWay(c.written);
        ASSERT_TRUE(got.ok && expected.ok);
        ASSERT_EQ(got.width, expected.width);
        ASSERT_EQ(got.height, expected.height);
        ASSERT_EQ(got.channels, c.grayscale ? 1 : 3);
        EXPECT_LE(difference(got, expected), 3.5) << (c.grayscale ? "grey" : "colour");
        const PixelRect& w = c.written;
        const TestPixels shifted = shownWay({w.left - 144, w.top, w.right - 144, w.bottom});
        EXPECT_GT(difference(got, shifted), 15.0) << (c.grayscale ? "grey" : "colour") << ": a window 144 pixels left";
    }
}
