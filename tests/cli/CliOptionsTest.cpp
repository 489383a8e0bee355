#include "cli/CliOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
    std::vector<std::u16string> texts;
    std::vector<const char16_t*> arguments;
    CliOptions options;
};

void parse(Parsed* parsed, const std::vector<std::u16string>& arguments) {
    parsed->texts = arguments;
    for (const std::u16string& text : parsed->texts) parsed->arguments.push_back(text.c_str());
    parseCliOptions(int(parsed->arguments.size()), parsed->arguments.data(), &parsed->options);
}

std::u16string problemOf(const std::vector<std::u16string>& arguments) {
    Parsed parsed;
    parse(&parsed, arguments);
    EXPECT_EQ(parsed.options.action, CliAction::Usage);
    return std::u16string(textChars(&parsed.options.problem));
}

}  // namespace

TEST(CliOptions, EveryOptionReachesTheRecord) {
    Parsed parsed;
    parse(&parsed, {u"--crop", u"100x80+20+10", u"--grayscale", u"in.jpg", u"--progressive", u"--markers",
                    u"comments", u"--no-verify", u"out.jpg"});
    const CliOptions& options = parsed.options;
    EXPECT_EQ(options.action, CliAction::Crop);
    EXPECT_TRUE(options.cropEnabled);
    EXPECT_EQ(options.crop.width, 100u);
    EXPECT_EQ(options.crop.height, 80u);
    EXPECT_EQ(options.crop.left, 20u);
    EXPECT_EQ(options.crop.top, 10u);
    EXPECT_TRUE(options.grayscale);
    EXPECT_TRUE(options.progressive);
    EXPECT_EQ(options.markerCopyMode, kCopyComments);
    EXPECT_FALSE(options.verify);
    EXPECT_EQ(std::u16string(options.input), u"in.jpg");
    EXPECT_EQ(std::u16string(options.output), u"out.jpg");
}

TEST(CliOptions, DefaultsCopyTheWholePictureWithAllMarkers) {
    Parsed parsed;
    parse(&parsed, {u"a.jpg", u"b.jpg"});
    EXPECT_EQ(parsed.options.action, CliAction::Crop);
    EXPECT_FALSE(parsed.options.cropEnabled);
    EXPECT_FALSE(parsed.options.grayscale);
    EXPECT_FALSE(parsed.options.progressive);
    EXPECT_TRUE(parsed.options.verify);
    EXPECT_EQ(parsed.options.markerCopyMode, kCopyAllMarkers);
    Parsed none;
    parse(&none, {u"--markers", u"none", u"a.jpg", u"b.jpg"});
    EXPECT_EQ(none.options.markerCopyMode, kCopyNoMarkers);
}

TEST(CliOptions, CropGeometryIsStrict) {
    CropRequest crop;
    ASSERT_TRUE(parseCropGeometry(u"4294967295x1+0+4294967295", &crop));
    EXPECT_EQ(crop.width, 4294967295u);
    EXPECT_EQ(crop.top, 4294967295u);
    for (const char16_t* bad : {u"", u"100x80", u"100x80+1", u"100x80+1+", u"100X80+1+1", u"-1x5+0+0", u"1x1+0+0x",
                                u"4294967296x1+0+0", u"ax1+0+0", u"1x1+ 0+0", u"1x1-2+0", u"1x1+0+0+0"}) {
        CropRequest untouched;
        untouched.width = 7;
        EXPECT_FALSE(parseCropGeometry(bad, &untouched)) << std::string(bad, bad + std::u16string(bad).size());
        EXPECT_EQ(untouched.width, 7u);
    }
}

TEST(CliOptions, BadCommandLinesSayWhatIsWrong) {
    EXPECT_EQ(problemOf({u"--bogus", u"a", u"b"}), u"unknown option: --bogus");
    EXPECT_EQ(problemOf({u"a", u"b", u"--crop"}), u"missing value after: --crop");
    EXPECT_EQ(problemOf({u"--crop", u"10x10", u"a", u"b"}), u"--crop wants WxH+X+Y: 10x10");
    EXPECT_EQ(problemOf({u"--markers", u"some", u"a", u"b"}), u"--markers wants none, comments or all: some");
    EXPECT_EQ(problemOf({u"a"}), u"OUTPUT is missing");
    EXPECT_EQ(problemOf({}), u"INPUT and OUTPUT are missing");
    EXPECT_EQ(problemOf({u"a", u"b", u"c"}), u"too many file names: c");
}

TEST(CliOptions, HelpWinsAndNamesMayBeginWithADash) {
    Parsed help;
    parse(&help, {u"--crop", u"1x1+0+0", u"--help"});
    EXPECT_EQ(help.options.action, CliAction::Help);
    Parsed dashes;
    parse(&dashes, {u"-", u"--", u"-out.jpg"});
    EXPECT_EQ(dashes.options.action, CliAction::Crop);
    EXPECT_EQ(std::u16string(dashes.options.input), u"-");
    EXPECT_EQ(std::u16string(dashes.options.output), u"-out.jpg");
}

TEST(CliOptions, InfoAndBitmapReadOneInput) {
    Parsed info;
    parse(&info, {u"--info", u"in.jpg"});
    EXPECT_EQ(info.options.action, CliAction::Info);
    EXPECT_EQ(std::u16string(info.options.input), u"in.jpg");
    Parsed bitmap;
    parse(&bitmap, {u"--bmp", u"out.bmp", u"in.jpg"});
    EXPECT_EQ(bitmap.options.action, CliAction::Bitmap);
    EXPECT_EQ(std::u16string(bitmap.options.bitmapPath), u"out.bmp");
    EXPECT_EQ(std::u16string(bitmap.options.input), u"in.jpg");
    EXPECT_EQ(problemOf({u"--info"}), u"INPUT is missing");
    EXPECT_EQ(problemOf({u"--info", u"a", u"b"}), u"too many file names: b");
    EXPECT_EQ(problemOf({u"in.jpg", u"--bmp"}), u"missing value after: --bmp");
    Parsed help;
    parse(&help, {u"--help", u"--info", u"in.jpg"});
    EXPECT_EQ(help.options.action, CliAction::Help);
}
