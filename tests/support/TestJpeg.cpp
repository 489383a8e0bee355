#include "support/TestJpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>

namespace {

// libjpeg's error exit must not return; tests use a jump back into the plain-C function that called setjmp.
struct TestErrorManager {
    jpeg_error_mgr base;
    jmp_buf jumpPoint;
    char message[JMSG_LENGTH_MAX];
    int warnings;
};

void testErrorExit(j_common_ptr object) {
    auto* manager = reinterpret_cast<TestErrorManager*>(object->err);
    (*object->err->format_message)(object, manager->message);
    longjmp(manager->jumpPoint, 1);
}

void testEmitMessage(j_common_ptr object, int level) {
    if (level < 0) reinterpret_cast<TestErrorManager*>(object->err)->warnings++;
}

jpeg_error_mgr* prepareTestErrors(TestErrorManager* manager) {
    jpeg_std_error(&manager->base);
    manager->base.error_exit = testErrorExit;
    manager->base.emit_message = testEmitMessage;
    manager->message[0] = 0;
    manager->warnings = 0;
    return &manager->base;
}

uint32_t mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// Smooth gradients with a few hard edges and mild noise: every block differs from its neighbours, so a
// block copied from the wrong place shows up, and the coefficients are photograph-like.
uint8_t sampleAt(int x, int y, int channel, uint32_t seed) {
    int value = (x * (3 + channel) + y * (5 - channel) + channel * 40 + static_cast<int>(seed % 97)) & 0xFF;
    if (((x / 23) + (y / 17) + channel) % 3 == 0) value = 255 - value;
    value += static_cast<int>(mix(seed * 0x9E3779B9U ^ (uint32_t(x) * 73856093U) ^ (uint32_t(y) * 19349663U) ^
                                  uint32_t(channel)) %
                              24) -
             12;
    return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// A quadrant's colour with an eighth of the picture's texture over it.
uint8_t inputSample(const TestJpegOptions& options, int x, int y, int c) {
    if (!options.solid.empty()) return options.solid[c % options.solid.size()];
    if (options.quadrants.size() != 4) return sampleAt(x, y, c, options.seed);
    const int splitX = options.splitX ? options.splitX : options.width / 2;
    const int splitY = options.splitY ? options.splitY : options.height / 2;
    const std::vector<uint8_t>& colour = options.quadrants[(y < splitY ? 0 : 2) + (x < splitX ? 0 : 1)];
    const int value = colour[c % colour.size()] + (sampleAt(x, y, c, options.seed) - 128) / 8;
    return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

struct EncodeJob {
    const TestJpegOptions* options;
    unsigned char* buffer;
    unsigned long size;
    std::vector<uint8_t>* row;
};

bool encode(EncodeJob* job) {
    const TestJpegOptions& options = *job->options;
    jpeg_compress_struct compressor;
    TestErrorManager errors;
    compressor.err = prepareTestErrors(&errors);
    if (setjmp(errors.jumpPoint)) {
        fprintf(stderr, "test encoder: %s\n", errors.message);
        jpeg_destroy_compress(&compressor);
        return false;
    }
    jpeg_create_compress(&compressor);
    jpeg_mem_dest(&compressor, &job->buffer, &job->size);
    compressor.image_width = static_cast<JDIMENSION>(options.width);
    compressor.image_height = static_cast<JDIMENSION>(options.height);
    switch (options.colorSpace) {
    case JCS_GRAYSCALE: compressor.input_components = 1; compressor.in_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: compressor.input_components = 4; compressor.in_color_space = JCS_CMYK; break;
    default: compressor.input_components = 3; compressor.in_color_space = JCS_RGB; break;
    }
    jpeg_set_defaults(&compressor);
    jpeg_set_colorspace(&compressor, options.colorSpace);
    jpeg_set_quality(&compressor, options.quality, TRUE);
    compressor.comp_info[0].h_samp_factor = options.hSamp;
    compressor.comp_info[0].v_samp_factor = options.vSamp;
    for (int c = 1; c < compressor.num_components; c++) {
        compressor.comp_info[c].h_samp_factor = 1;
        compressor.comp_info[c].v_samp_factor = 1;
    }
    compressor.write_JFIF_header = options.writeJfif ? compressor.write_JFIF_header : FALSE;
    compressor.density_unit = static_cast<UINT8>(options.densityUnit);
    compressor.X_density = static_cast<UINT16>(options.xDensity);
    compressor.Y_density = static_cast<UINT16>(options.yDensity);
    compressor.restart_interval = static_cast<unsigned int>(options.restartInterval);
    compressor.arith_code = options.arithmetic ? TRUE : FALSE;
    compressor.optimize_coding = options.arithmetic ? FALSE : TRUE;
    if (options.progressive) jpeg_simple_progression(&compressor);
    jpeg_scan_info scans[MAX_COMPS_IN_SCAN];
    if (options.scanPerComponent && !options.progressive) {
        for (int c = 0; c < compressor.num_components; c++) scans[c] = {1, {c, 0, 0, 0}, 0, 63, 0, 0};
        compressor.scan_info = scans;
        compressor.num_scans = compressor.num_components;
    }
    jpeg_start_compress(&compressor, TRUE);
    for (const TestMarker& marker : options.markers) {
        jpeg_write_marker(&compressor, marker.code, marker.data.data(), static_cast<unsigned int>(marker.data.size()));
    }
    std::vector<uint8_t>& row = *job->row;
    row.resize(size_t(options.width) * compressor.input_components);
    while (compressor.next_scanline < compressor.image_height) {
        int y = static_cast<int>(compressor.next_scanline);
        for (int x = 0; x < options.width; x++) {
            for (int c = 0; c < compressor.input_components; c++) {
                row[size_t(x) * compressor.input_components + c] = inputSample(options, x, y, c);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&compressor, rows, 1);
    }
    jpeg_finish_compress(&compressor);
    jpeg_destroy_compress(&compressor);
    return true;
}

struct ReadJob {
    const std::vector<uint8_t>* bytes;
    TestJpegContents* contents;
};

void readContents(ReadJob* job) {
    TestJpegContents& out = *job->contents;
    jpeg_decompress_struct decompressor;
    TestErrorManager errors;
    decompressor.err = prepareTestErrors(&errors);
    if (setjmp(errors.jumpPoint)) {
        out.ok = false;
        out.error = errors.message;
        jpeg_destroy_decompress(&decompressor);
        return;
    }
    jpeg_create_decompress(&decompressor);
    jpeg_mem_src(&decompressor, job->bytes->data(), static_cast<unsigned long>(job->bytes->size()));
    for (int n = 0; n < 16; n++) jpeg_save_markers(&decompressor, JPEG_APP0 + n, 0xFFFF);
    jpeg_save_markers(&decompressor, JPEG_COM, 0xFFFF);
    jpeg_read_header(&decompressor, TRUE);
    jvirt_barray_ptr* arrays = jpeg_read_coefficients(&decompressor);
    out.width = static_cast<int>(decompressor.image_width);
    out.height = static_cast<int>(decompressor.image_height);
    out.colorSpace = decompressor.jpeg_color_space;
    out.maxHSamp = decompressor.max_h_samp_factor;
    out.maxVSamp = decompressor.max_v_samp_factor;
    out.progressive = decompressor.progressive_mode != 0;
    out.arithmetic = decompressor.arith_code != 0;
    out.restartInterval = static_cast<int>(decompressor.restart_interval);
    out.sawJfif = decompressor.saw_JFIF_marker != 0;
    out.sawAdobe = decompressor.saw_Adobe_marker != 0;
    for (jpeg_saved_marker_ptr m = decompressor.marker_list; m; m = m->next) {
        TestMarker marker;
        marker.code = m->marker;
        marker.data.assign(m->data, m->data + m->data_length);
        out.markers.push_back(marker);
    }
    for (int c = 0; c < decompressor.num_components; c++) {
        jpeg_component_info* info = &decompressor.comp_info[c];
        TestComponent component;
        component.id = info->component_id;
        component.hSamp = info->h_samp_factor;
        component.vSamp = info->v_samp_factor;
        component.quantTable = info->quant_tbl_no;
        component.widthInBlocks = static_cast<int>(info->width_in_blocks);
        component.heightInBlocks = static_cast<int>(info->height_in_blocks);
        component.storedWidth = static_cast<int>((info->width_in_blocks + info->h_samp_factor - 1) /
                                                 info->h_samp_factor * info->h_samp_factor);
        component.storedHeight = static_cast<int>((info->height_in_blocks + info->v_samp_factor - 1) /
                                                  info->v_samp_factor * info->v_samp_factor);
        JQUANT_TBL* table = info->quant_table ? info->quant_table : decompressor.quant_tbl_ptrs[info->quant_tbl_no];
        if (table) {
            component.quant.assign(table->quantval, table->quantval + DCTSIZE2);
        }
        component.blocks.resize(size_t(component.storedWidth) * component.storedHeight * 64);
        for (int row = 0; row < component.storedHeight; row++) {
            JBLOCKARRAY rows = (*decompressor.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&decompressor),
                                                                       arrays[c], static_cast<JDIMENSION>(row), 1, FALSE);
            memcpy(&component.blocks[size_t(row) * component.storedWidth * 64], rows[0],
                   size_t(component.storedWidth) * sizeof(JBLOCK));
        }
        out.components.push_back(std::move(component));
    }
    jpeg_finish_decompress(&decompressor);
    out.warnings = errors.warnings;
    out.ok = true;
    jpeg_destroy_decompress(&decompressor);
}

struct DecodeJob {
    const std::vector<uint8_t>* bytes;
    J_COLOR_SPACE outSpace;
    int scaleNum;
    TestPixels* pixels;
};

void decodePixels(DecodeJob* job) {
    TestPixels& out = *job->pixels;
    jpeg_decompress_struct decompressor;
    TestErrorManager errors;
    decompressor.err = prepareTestErrors(&errors);
    if (setjmp(errors.jumpPoint)) {
        out.ok = false;
        jpeg_destroy_decompress(&decompressor);
        return;
    }
    jpeg_create_decompress(&decompressor);
    jpeg_mem_src(&decompressor, job->bytes->data(), static_cast<unsigned long>(job->bytes->size()));
    jpeg_read_header(&decompressor, TRUE);
    if (job->outSpace != JCS_UNKNOWN) decompressor.out_color_space = job->outSpace;
    decompressor.scale_num = static_cast<unsigned int>(job->scaleNum);
    decompressor.scale_denom = 8;
    jpeg_start_decompress(&decompressor);
    out.width = static_cast<int>(decompressor.output_width);
    out.height = static_cast<int>(decompressor.output_height);
    out.channels = decompressor.output_components;
    size_t stride = size_t(out.width) * out.channels;
    out.samples.resize(stride * out.height);
    while (decompressor.output_scanline < decompressor.output_height) {
        JSAMPROW rows[1] = {&out.samples[stride * decompressor.output_scanline]};
        jpeg_read_scanlines(&decompressor, rows, 1);
    }
    jpeg_finish_decompress(&decompressor);
    jpeg_destroy_decompress(&decompressor);
    out.ok = true;
}

void put16(std::vector<uint8_t>& out, size_t at, uint32_t value, bool bigEndian) {
    if (out.size() < at + 2) out.resize(at + 2);
    out[at + (bigEndian ? 0 : 1)] = uint8_t(value >> 8);
    out[at + (bigEndian ? 1 : 0)] = uint8_t(value);
}

void put32(std::vector<uint8_t>& out, size_t at, uint32_t value, bool bigEndian) {
    if (out.size() < at + 4) out.resize(at + 4);
    for (int i = 0; i < 4; i++) out[at + (bigEndian ? i : 3 - i)] = uint8_t(value >> (24 - 8 * i));
}

struct IfdEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;  // SHORT values go in the first two bytes of the field
};

// Writes an IFD at `at` (entry count, entries, next-IFD offset) and returns the offset after it.
size_t putIfd(std::vector<uint8_t>& tiff, size_t at, const std::vector<IfdEntry>& entries, uint32_t next, bool be) {
    put16(tiff, at, uint32_t(entries.size()), be);
    size_t p = at + 2;
    for (const IfdEntry& entry : entries) {
        put16(tiff, p, entry.tag, be);
        put16(tiff, p + 2, entry.type, be);
        put32(tiff, p + 4, entry.count, be);
        if (entry.type == 3 && entry.count == 1) {
            put16(tiff, p + 8, entry.value, be);
            put16(tiff, p + 10, 0, be);
        } else {
            put32(tiff, p + 8, entry.value, be);
        }
        p += 12;
    }
    put32(tiff, p, next, be);
    return p + 4;
}

TestMarker makeMarker(int code, const std::string& prefix, const std::vector<uint8_t>& rest) {
    TestMarker marker;
    marker.code = code;
    marker.data.assign(prefix.begin(), prefix.end());
    marker.data.insert(marker.data.end(), rest.begin(), rest.end());
    return marker;
}

}  // namespace

std::vector<uint8_t> makeTestJpeg(const TestJpegOptions& options) {
    std::vector<uint8_t> row;
    EncodeJob job{&options, nullptr, 0, &row};
    std::vector<uint8_t> bytes;
    if (encode(&job)) bytes.assign(job.buffer, job.buffer + job.size);
    free(job.buffer);
    return bytes;
}

std::vector<uint8_t> makeExifData(const ExifOptions& options) {
    const bool be = options.bigEndian;
    std::vector<uint8_t> tiff;
    tiff.push_back(be ? 'M' : 'I');
    tiff.push_back(be ? 'M' : 'I');
    put16(tiff, 2, 42, be);
    // IFD0: orientation, Exif IFD pointer. Exif IFD: version, colour space, pixel dimensions. IFD1: thumbnail.
    const size_t ifd0 = 8;
    const size_t ifd0Entries = 2;
    const size_t exifIfd = ifd0 + 2 + ifd0Entries * 12 + 4;
    std::vector<IfdEntry> exifEntries = {{0x9000, 7, 4, 0}, {0xA001, 3, 1, 1}};
    if (options.withDimensions) {
        uint16_t type = options.dimensionsAsLong ? 4 : 3;
        exifEntries.push_back({0xA002, type, 1, options.pixelWidth});
        exifEntries.push_back({0xA003, type, 1, options.pixelHeight});
    }
    const size_t ifd1 = exifIfd + 2 + exifEntries.size() * 12 + 4;
    const bool hasThumbnail = !options.thumbnail.empty();
    const size_t thumbnailAt = ifd1 + 2 + 3 * 12 + 4 + options.paddingBeforeThumbnail;
    putIfd(tiff, ifd0, {{0x0112, 3, 1, options.orientation}, {0x8769, 4, 1, uint32_t(exifIfd)}},
           hasThumbnail ? uint32_t(ifd1) : 0, be);
    putIfd(tiff, exifIfd, exifEntries, 0, be);
    // ExifVersion "0231" is four inline bytes, whatever the byte order.
    memcpy(&tiff[exifIfd + 2 + 8], "0231", 4);
    if (hasThumbnail) {
        putIfd(tiff, ifd1,
               {{0x0103, 3, 1, 6}, {0x0201, 4, 1, uint32_t(thumbnailAt)}, {0x0202, 4, 1, uint32_t(options.thumbnail.size())}},
               0, be);
        tiff.resize(thumbnailAt, 0);
        tiff.insert(tiff.end(), options.thumbnail.begin(), options.thumbnail.end());
    }
    put32(tiff, 4, options.ifd0OffsetOverride ? options.ifd0OffsetOverride : uint32_t(ifd0), be);
    // Copied into place: GCC 12 sees a false array-bounds overflow in inserting after a six-byte list.
    std::vector<uint8_t> data(6 + tiff.size());
    memcpy(data.data(), "Exif\0", 6);
    if (!tiff.empty()) memcpy(data.data() + 6, tiff.data(), tiff.size());
    return data;
}

TestMarker exifMarker(const ExifOptions& options) {
    TestMarker marker;
    marker.code = JPEG_APP0 + 1;
    marker.data = makeExifData(options);
    return marker;
}

TestMarker xmpMarker(const std::string& packet) {
    std::string prefix("http://ns.adobe.com/xap/1.0/\0", 29);
    return makeMarker(JPEG_APP0 + 1, prefix, std::vector<uint8_t>(packet.begin(), packet.end()));
}

TestMarker iccMarker(int bytes, int sequence, int count) {
    std::vector<uint8_t> rest = {uint8_t(sequence), uint8_t(count)};
    for (int i = 0; i < bytes; i++) rest.push_back(uint8_t(i * 7 + 3));
    return makeMarker(JPEG_APP0 + 2, std::string("ICC_PROFILE\0", 12), rest);
}

TestMarker mpfMarker(uint32_t secondImageOffset, uint32_t secondImageSize) {
    // "MPF\0", a little-endian TIFF header, an index IFD with version, count and the MP entry list.
    std::vector<uint8_t> tiff = {'I', 'I', 0x2A, 0, 8, 0, 0, 0};
    const uint32_t entriesAt = 8 + 2 + 3 * 12 + 4;
    putIfd(tiff, 8, {{0xB000, 7, 4, 0x30303130}, {0xB001, 4, 1, 2}, {0xB002, 7, 32, entriesAt}}, 0, false);
    // Two MP entries: attribute, size, offset, dependent images.
    put32(tiff, entriesAt, 0x20030000, false);
    put32(tiff, entriesAt + 4, 40000, false);
    put32(tiff, entriesAt + 8, 0, false);
    put32(tiff, entriesAt + 12, 0, false);
    put32(tiff, entriesAt + 16, 0x00020002, false);
    put32(tiff, entriesAt + 20, secondImageSize, false);
    put32(tiff, entriesAt + 24, secondImageOffset, false);
    put32(tiff, entriesAt + 28, 0, false);
    return makeMarker(JPEG_APP0 + 2, std::string("MPF\0", 4), tiff);
}

TestMarker commentMarker(const std::string& text) { return makeMarker(JPEG_COM, text, {}); }

TestMarker appMarker(int n, const std::string& data) { return makeMarker(JPEG_APP0 + n, data, {}); }

TestJpegContents readTestJpeg(const std::vector<uint8_t>& bytes) {
    TestJpegContents contents;
    if (bytes.empty()) {
        contents.error = "empty file";
        return contents;
    }
    ReadJob job{&bytes, &contents};
    readContents(&job);
    return contents;
}

std::vector<int> headerMarkerCodes(const std::vector<uint8_t>& bytes) {
    std::vector<int> codes;
    size_t p = 0;
    while (p + 1 < bytes.size()) {
        if (bytes[p] != 0xFF) break;
        int code = bytes[p + 1];
        codes.push_back(code);
        if (code == 0xD8) {
            p += 2;
            continue;
        }
        if (code == 0xD9 || p + 3 >= bytes.size()) break;
        size_t length = size_t(bytes[p + 2]) << 8 | bytes[p + 3];
        if (code == 0xDA) break;
        p += 2 + length;
    }
    return codes;
}

TestPixels decodeTestJpeg(const std::vector<uint8_t>& bytes, J_COLOR_SPACE outSpace, int scaleNum) {
    TestPixels pixels;
    if (bytes.empty()) return pixels;
    DecodeJob job{&bytes, outSpace, scaleNum, &pixels};
    decodePixels(&job);
    return pixels;
}

std::string libjpegTestImage(const std::string& name) {
    std::string path = std::string(TW_SOURCE_DIR) + "/build/deps/src/libjpeg-turbo/testimages/" + name;
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
    return path;
}

uint32_t exifGet16(const uint8_t* p, bool bigEndian) {
    return bigEndian ? (uint32_t(p[0]) << 8 | p[1]) : (uint32_t(p[1]) << 8 | p[0]);
}

uint32_t exifGet32(const uint8_t* p, bool bigEndian) {
    return bigEndian ? (exifGet16(p, true) << 16 | exifGet16(p + 2, true))
                     : (exifGet16(p + 2, false) << 16 | exifGet16(p, false));
}

const uint8_t* findExifIfdEntry(const std::vector<uint8_t>& exifData, uint16_t tag) {
    if (exifData.size() < 14 || memcmp(exifData.data(), "Exif\0\0", 6) != 0) return nullptr;
    const uint8_t* tiff = exifData.data() + 6;
    const size_t length = exifData.size() - 6;
    const bool be = tiff[0] == 'M';
    auto findIn = [&](size_t ifd, uint16_t wanted) -> const uint8_t* {
        if (ifd + 2 > length) return nullptr;
        uint32_t count = exifGet16(tiff + ifd, be);
        for (uint32_t i = 0; i < count; i++) {
            size_t at = ifd + 2 + size_t(i) * 12;
            if (at + 12 > length) return nullptr;
            if (exifGet16(tiff + at, be) == wanted) return tiff + at;
        }
        return nullptr;
    };
    const uint8_t* pointer = findIn(exifGet32(tiff + 4, be), 0x8769);
    if (!pointer) return nullptr;
    return findIn(exifGet32(pointer + 8, be), tag);
}

std::vector<uint8_t> exifThumbnail(const std::vector<uint8_t>& fileBytes) {
    for (const TestMarker& marker : readTestJpeg(fileBytes).markers) {
        const std::vector<uint8_t>& d = marker.data;
        if (marker.code != JPEG_APP0 + 1 || d.size() < 14 || memcmp(d.data(), "Exif\0\0", 6) != 0) continue;
        const uint8_t* tiff = d.data() + 6;
        const size_t size = d.size() - 6;
        const bool be = tiff[0] == 'M';
        const uint32_t ifd0 = exifGet32(tiff + 4, be);
        if (size_t(ifd0) + 2 > size) return {};
        const size_t next = ifd0 + 2 + size_t(12) * exifGet16(tiff + ifd0, be);
        if (next + 4 > size) return {};
        const uint32_t ifd1 = exifGet32(tiff + next, be);
        if (ifd1 == 0 || size_t(ifd1) + 2 > size) return {};
        uint32_t offset = 0, length = 0;
        const uint32_t entries = exifGet16(tiff + ifd1, be);
        for (uint32_t i = 0; i < entries && ifd1 + 2 + size_t(12) * (i + 1) <= size; i++) {
            const uint8_t* entry = tiff + ifd1 + 2 + 12 * i;
            if (exifGet16(entry, be) == 0x0201) offset = exifGet32(entry + 8, be);
            if (exifGet16(entry, be) == 0x0202) length = exifGet32(entry + 8, be);
        }
        if (offset == 0 || size_t(offset) + length > size) return {};
        return std::vector<uint8_t>(tiff + offset, tiff + offset + length);
    }
    return {};
}

std::vector<uint8_t> makeExifCameraJpeg() {
    TestJpegOptions small;
    small.width = 160;
    small.height = 120;
    small.solid = {128, 128, 128};
    ExifOptions exif;
    exif.pixelWidth = 320;
    exif.pixelHeight = 240;
    exif.thumbnail = makeTestJpeg(small);
    TestJpegOptions options;
    options.width = 320;
    options.height = 240;
    options.writeJfif = false;
    options.markers = {exifMarker(exif)};
    return makeTestJpeg(options);
}
