// A save read back from disk: a clean one passes (its Exif thumbnail renewed on purpose), and every kind
// of damage between the crop and the disk is caught, for each kind of output.
#include "engine/SaveVerify.h"

#include "CropTestSupport.h"
#include "engine/ExifThumbnail.h"
#include "engine/OsFile.h"

namespace {

// Offset of the data of the first segment with `code` before the first scan, 0 when there is none.
size_t segmentData(const std::vector<uint8_t>& bytes, int code) {
    for (size_t at = 2; at + 4 <= bytes.size() && bytes[at] == 0xFF && bytes[at + 1] != 0xDA;
         at += 2 + size_t(bytes[at + 2] << 8 | bytes[at + 3])) {
        if (bytes[at + 1] == code) return at + 4;
    }
    return 0;
}

// Crops `source` into `output` holding the blocks, and renews the thumbnail as the command line does.
bool saveHolding(CropTransform* job, const std::string& source, const std::string& output, const CropSettings& s) {
    job->markerCopyMode = kCopyAllMarkers;
    job->saveGrayscale = s.grayscale;
    job->isProgressive = s.progressive;
    job->cropEnabled = s.crop;
    job->crop = {s.width, s.height, s.left, s.top};
    job->holdCoefficients = 1;
    if (!transformFile(job, u16(source).c_str(), u16(output).c_str())) return false;
    const uint32_t left = job->cropColumns * job->cellWidth, top = job->cropRows * job->cellHeight;
    const PixelRect written = {left, top, left + job->outputWidth - 1, top + job->outputHeight - 1};
    return regenerateThumbnailFromSource(u16(source).c_str(), u16(output).c_str(), written, s.grayscale);
}

}  // namespace

TEST(SaveVerify, CleanSavePassesAndEveryDamageBetweenCropAndDiskIsCaught) {
    struct Kind {
        const char* label;
        J_COLOR_SPACE space;
        bool progressiveSource;
        CropSettings settings;
    };
    CropSettings progressive = window(40, 24, 200, 150), grey = window(40, 24, 200, 150), whole;
    progressive.progressive = true;
    grey.grayscale = true;
    const Kind kinds[] = {
        {"sequential output", JCS_YCbCr, false, window(40, 24, 200, 150)},
        {"progressive output", JCS_YCbCr, false, progressive},
        {"grayscale output of a colour picture", JCS_YCbCr, false, grey},
        {"progressive source, whole picture", JCS_YCbCr, true, whole},
        {"CMYK source with the library's Adobe segment", JCS_CMYK, false, window(40, 24, 200, 150)},
    };
    // Each damage: a segment and the byte in its data that changes, or a bit flipped on its way to disk.
    struct Damage {
        const char* label;
        int segment;
        size_t at;
    };
    const Damage damages[] = {
        {"a byte of a copied comment", JPEG_COM, 3},
        {"a byte of the Exif data before the thumbnail", JPEG_APP0 + 1, 6 + 2},
        {"a quantization table entry (the blocks are the same)", 0xDB, 1 + 10},
        {"a bit flipped in the write to disk", 0, 0},
    };
    TempDir dir;
    const std::string source = dir.file("source.jpg"), output = dir.file("out.jpg");
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.label);
        ExifOptions exif;
        exif.thumbnail = makeTestJpeg(picture(160, 120, JCS_YCbCr, 2, 2));
        TestJpegOptions options = picture(320, 240, kind.space, 2, 2);
        options.progressive = kind.progressiveSource;
        options.writeJfif = false;
        options.markers = {exifMarker(exif), commentMarker("kept as it is")};
        writeFileBytes(source, makeTestJpeg(options));
        {
            CropTransform job;
            ASSERT_TRUE(saveHolding(&job, source, output, kind.settings)) << u8(textChars(&job.errorText));
            EXPECT_NE(exifThumbnail(readFileBytes(output)), exif.thumbnail) << "the thumbnail was renewed";
            EXPECT_TRUE(verifySavedFile(&job, u16(output).c_str())) << "a clean save";
            const std::vector<uint8_t> clean = readFileBytes(output);
            for (const Damage& damage : damages) {
                if (!damage.segment) continue;
                std::vector<uint8_t> bytes = clean;
                const size_t data = segmentData(bytes, damage.segment);
                ASSERT_NE(data, 0u) << damage.label;
                bytes[data + damage.at] ^= 0x01;
                writeFileBytes(output, bytes);
                EXPECT_FALSE(verifySavedFile(&job, u16(output).c_str())) << damage.label;
            }
            releaseCropHold(&job);
            EXPECT_FALSE(verifySavedFile(&job, u16(output).c_str())) << "nothing held, nothing proven";
        }
        CropTransform job;
        osFlipBitInNthWrite(1, 16);
        const bool saved = saveHolding(&job, source, output, kind.settings);
        osClearFaults();
        ASSERT_TRUE(saved);
        EXPECT_FALSE(verifySavedFile(&job, u16(output).c_str())) << damages[3].label;
        releaseCropHold(&job);
    }
}
