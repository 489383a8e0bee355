#include "engine/SaveWorkflow.h"

#include <gtest/gtest.h>

#include "engine/DecodedImage.h"
#include "engine/ExifThumbnail.h"
#include "engine/LoadPicture.h"
#include "support/TestFiles.h"
#include "support/TestJpeg.h"

namespace {

std::vector<uint8_t> exifPhoto(J_COLOR_SPACE space, std::vector<uint8_t>* thumbnail) {
    TestJpegOptions small;
    small.width = 160;
    small.height = 120;
    small.solid = {90, 90, 90};
    *thumbnail = makeTestJpeg(small);
    ExifOptions exif;
    exif.thumbnail = *thumbnail;
    TestJpegOptions options;
    options.width = 320;
    options.height = 240;
    options.colorSpace = space;
    options.writeJfif = false;
    options.markers = {exifMarker(exif)};
    return makeTestJpeg(options);
}

struct Saved {
    bool ok = false;
    int32_t message = -1;
    std::vector<uint8_t> output;
};

Saved save(const std::string& source, const SaveSettings& settings, const DecodedImage* shown) {
    TempDir dir;
    std::string output = dir.file("out.jpg");
    CropTransform job;
    Saved saved;
    saved.ok = runSaveEngine(&job, u16(source).c_str(), u16(output).c_str(), settings, shown);
    if (!saved.ok) saved.message = saveFailureMessage(&job);
    saved.output = readFileBytes(output);
    return saved;
}

}  // namespace

TEST(SaveWorkflow, ThumbnailIsRegeneratedOnlyWhenAllMarkersAreCopiedAndThePictureChanged) {
    TempDir dir;
    std::vector<uint8_t> oldThumbnail;
    std::string colour = dir.file("colour.jpg"), grey = dir.file("grey.jpg");
    writeFileBytes(colour, exifPhoto(JCS_YCbCr, &oldThumbnail));
    writeFileBytes(grey, exifPhoto(JCS_GRAYSCALE, &oldThumbnail));
    DecodedImage* colourShown = nullptr;
    DecodedImage* greyShown = nullptr;
    ASSERT_TRUE(loadPictureFile(&colourShown, u16(colour).c_str()));
    ASSERT_TRUE(loadPictureFile(&greyShown, u16(grey).c_str()));

    struct Case {
        const char* label;
        bool greySource;
        int markers;
        bool grayscale, crop, regenerated;
    };
    const Case cases[] = {
        {"crop, all markers", false, kCopyAllMarkers, false, true, true},
        {"grayscale of 24 bits, all markers", false, kCopyAllMarkers, true, false, true},
        {"grayscale of an 8-bit picture", true, kCopyAllMarkers, true, false, false},
        {"options only", false, kCopyAllMarkers, false, false, false},
        {"crop, comments only", false, kCopyComments, false, true, false},
    };
    for (const Case& c : cases) {
        SaveSettings settings;
        settings.markerCopyMode = c.markers;
        settings.saveGrayscale = c.grayscale;
        settings.cropApplied = c.crop;
        settings.crop = {160, 120, 16, 16};
        DecodedImage* shown = c.greySource ? greyShown : colourShown;
        EXPECT_EQ(thumbnailNeeded(settings, shown), c.regenerated) << c.label;
        if (c.crop) { ASSERT_TRUE(installCroppedPicture(shown, {16, 16, 175, 135})) << c.label; }
        Saved saved = save(c.greySource ? grey : colour, settings, shown);
        ASSERT_TRUE(saved.ok) << c.label;
        std::vector<uint8_t> thumbnail = exifThumbnail(saved.output);
        if (c.markers != kCopyAllMarkers) {
            EXPECT_TRUE(thumbnail.empty()) << c.label << ": no Exif copied";
        } else if (c.regenerated) {
            EXPECT_NE(thumbnail, oldThumbnail) << c.label;
            EXPECT_EQ(readTestJpeg(thumbnail).components.size(), c.grayscale ? 1u : 3u) << c.label;
            // Written once, the file is the one a rewrite after the crop makes.
            const std::string rewritten = dir.file("rewritten.jpg");
            writeFileBytes(rewritten, save(c.greySource ? grey : colour, settings, nullptr).output);
            ASSERT_TRUE(regenerateExifThumbnail(u16(rewritten).c_str(), shown, c.grayscale)) << c.label;
            EXPECT_EQ(readFileBytes(rewritten), saved.output) << c.label;
        } else {
            EXPECT_EQ(thumbnail, oldThumbnail) << c.label;
        }
        if (c.crop) { ASSERT_TRUE(loadPictureFile(&colourShown, u16(colour).c_str())); }
    }
    releasePicture(&colourShown);
    releasePicture(&greyShown);
}

TEST(SaveWorkflow, FailuresNameTheMessageToShow) {
    TempDir dir;
    std::string source = dir.file("cmyk.jpg");
    TestJpegOptions cmyk;
    cmyk.colorSpace = JCS_CMYK;
    writeFileBytes(source, makeTestJpeg(cmyk));

    SaveSettings grayscale;
    grayscale.saveGrayscale = true;
    Saved saved = save(source, grayscale, nullptr);
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.message, 0) << "the library's own text";

    saved = save(dir.file("missing.jpg"), SaveSettings(), nullptr);
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.message, kEngineCannotOpen);

    SaveSettings outside;
    outside.cropApplied = true;
    outside.crop = {64, 48, 1, 0};  // one column past the right edge
    saved = save(source, outside, nullptr);
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.message, 0);
}

TEST(SaveWorkflow, OnlyASaveOverTheOpenFileReloadsIt) {
    EXPECT_TRUE(reloadAfterSave(u"C:\\Photos\\IMG_1.JPG", u"c:\\photos\\img_1.jpg"));
    EXPECT_FALSE(reloadAfterSave(u"C:\\Photos\\IMG_2.JPG", u"C:\\Photos\\IMG_1.JPG"));
    EXPECT_FALSE(reloadAfterSave(u"C:\\Photos\\IMG_1.JPGX", u"C:\\Photos\\IMG_1.JPG"));
    EXPECT_FALSE(reloadAfterSave(u"C:\\Photos\\IMG_1.JP", u"C:\\Photos\\IMG_1.JPG"));
}
