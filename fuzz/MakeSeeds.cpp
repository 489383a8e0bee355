// Writes the seed corpora of the fuzz targets from the test pictures: the library's own test images and
// pictures made like the tests' (Exif with a thumbnail, XMP before Exif, progressive, grey, CMYK, restart
// markers, arithmetic coding), a settings file with every kind of slot, and dialog templates.
// Usage: make-fuzz-seeds OUTPUT_FOLDER LIBJPEG_TEST_IMAGES
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "settings/SettingsFileImage.h"
#include "support/TestJpeg.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool writeSeed(const std::string& folder, const std::string& name, const Bytes& bytes) {
    mkdir(folder.c_str(), 0777);
    FILE* file = fopen((folder + "/" + name).c_str(), "wb");
    if (!file) return false;
    fwrite(bytes.data(), 1, bytes.size(), file);
    return fclose(file) == 0;
}

Bytes readAll(const std::string& path) {
    Bytes bytes;
    if (FILE* file = fopen(path.c_str(), "rb")) {
        int c;
        while ((c = fgetc(file)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
        fclose(file);
    }
    return bytes;
}

std::vector<std::pair<std::string, Bytes>> pictures(const std::string& testImages) {
    std::vector<std::pair<std::string, Bytes>> out;
    for (const char* name : {"testorig.jpg", "testimgint.jpg", "testimgari.jpg", "testorig12.jpg"}) {
        Bytes bytes = readAll(testImages + "/" + name);
        if (!bytes.empty()) out.emplace_back(name, bytes);
    }
    TestJpegOptions thumbnailOptions;
    thumbnailOptions.width = 16;
    thumbnailOptions.height = 8;
    ExifOptions exif;
    exif.pixelWidth = 48;
    exif.pixelHeight = 32;
    exif.thumbnail = makeTestJpeg(thumbnailOptions);
    TestJpegOptions camera;
    camera.width = 48;
    camera.height = 32;
    camera.writeJfif = false;
    camera.markers = {exifMarker(exif), commentMarker("seed")};
    out.emplace_back("exif-thumbnail.jpg", makeTestJpeg(camera));
    exif.bigEndian = true;
    camera.markers = {xmpMarker(), exifMarker(exif), iccMarker(60), mpfMarker(4000, 100)};
    out.emplace_back("xmp-then-exif-big-endian.jpg", makeTestJpeg(camera));
    TestJpegOptions options;
    options.width = 40;
    options.height = 24;
    options.progressive = true;
    out.emplace_back("progressive.jpg", makeTestJpeg(options));
    options.progressive = false;
    options.restartInterval = 1;
    out.emplace_back("restarts.jpg", makeTestJpeg(options));
    options.restartInterval = 0;
    options.arithmetic = true;
    out.emplace_back("arithmetic.jpg", makeTestJpeg(options));
    options.arithmetic = false;
    options.colorSpace = JCS_GRAYSCALE;
    out.emplace_back("grey.jpg", makeTestJpeg(options));
    options.colorSpace = JCS_CMYK;
    options.hSamp = 1;
    options.vSamp = 1;
    out.emplace_back("cmyk.jpg", makeTestJpeg(options));
    return out;
}

Bytes settingsSeed() {
    SettingsFileImage image(41);
    image.text(0, u"English");
    for (uint32_t slot = 1; slot <= 8; slot++) image.integer(slot, static_cast<int32_t>(slot * 100));
    image.text(9, u"C:\\Pictures");
    image.integer(12, 2);
    image.integer(29, 3);
    image.data(30, {1, 0, 0x4F, 0, 0x10, 0x27, 9, 0, 0x53, 0, 0x11, 0x27});  // two key bindings
    for (uint32_t slot = 31; slot <= 37; slot++) image.integer(slot, 5220);
    image.text(39, u"Tahoma");
    return image.bytes;
}

struct TemplateWriter {
    Bytes bytes;
    void u16(uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void text(const std::u16string& s) {
        for (char16_t c : s) u16(c);
        u16(0);
    }
    void align() {
        while (bytes.size() % 4) bytes.push_back(0);
    }
};

Bytes dialogSeed(uint16_t pointSize) {
    TemplateWriter t;
    t.u16(1);
    t.u16(0xFFFF);
    t.u32(0);
    t.u32(0);
    t.u32(0x80C800C0);  // DS_SETFONT among the usual styles
    t.u16(2);
    for (int i = 0; i < 4; i++) t.u16(10);
    t.u16(0);
    t.u16(0);
    t.text(u"Options");
    t.u16(pointSize);
    if (pointSize != 0x7FFF) {
        t.u16(400);
        t.u16(0x0100);
        t.text(u"MS Shell Dlg");
    }
    for (int item = 0; item < 2; item++) {
        t.align();
        t.u32(0);
        t.u32(0);
        t.u32(0x50010000);
        for (int i = 0; i < 4; i++) t.u16(5);
        t.u32(item ? 1 : 4620);
        if (item) {
            t.u16(0xFFFF);
            t.u16(0x80);
            t.text(u"OK");
            t.u16(0);
        } else {
            t.text(u"SysListView32");
            t.u16(0xFFFF);
            t.u16(7);
            t.u16(2);
            t.u16(0x1234);
        }
    }
    return t.bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fputs("usage: make-fuzz-seeds OUTPUT_FOLDER LIBJPEG_TEST_IMAGES\n", stderr);
        return 2;
    }
    const std::string out = argv[1];
    mkdir(out.c_str(), 0777);
    bool ok = true;
    for (const auto& picture : pictures(argv[2])) {
        for (const char* target : {"marker-scan", "exif-thumbnail", "display-decode"}) {
            ok = writeSeed(out + "/" + target, picture.first, picture.second) && ok;
        }
        // The crop's four option bytes: all markers and a window, then grey and progressive, then none.
        for (Bytes options : {Bytes{0x12, 0x48, 0x40, 0x31}, Bytes{0x1C, 0x00, 0x7F, 0x22}, Bytes{0x00, 0, 0, 0}}) {
            Bytes seed = options;
            seed.insert(seed.end(), picture.second.begin(), picture.second.end());
            ok = writeSeed(out + "/crop-transform", std::to_string(options[0]) + "-" + picture.first, seed) && ok;
        }
        // The thumbnail decode's window: the origin in blocks, then the width and height less one.
        for (Bytes window : {Bytes{0, 0, 0xFF, 0xFF}, Bytes{2, 1, 40, 20}, Bytes{0, 3, 7, 7}}) {
            Bytes seed = window;
            seed.insert(seed.end(), picture.second.begin(), picture.second.end());
            ok = writeSeed(out + "/reduced-decode", std::to_string(window[2]) + "-" + picture.first, seed) && ok;
        }
    }
    ok = writeSeed(out + "/settings", "settings.ini", settingsSeed()) && ok;
    ok = writeSeed(out + "/dialog-template", "font.dlg", dialogSeed(9)) && ok;
    ok = writeSeed(out + "/dialog-template", "message-box-font.dlg", dialogSeed(0x7FFF)) && ok;
    return ok ? 0 : 1;
}
