#include "engine/WindowRead.h"

#include <cstring>

#include "engine/OsFile.h"

namespace {

bool isFrameMarker(uint8_t code) {
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

bool isRestartMarker(int code) { return code >= 0xD0 && code <= 0xD7; }

// The read never goes back, so the pages of a mapped source behind it are not needed again; giving them
// back keeps a large file from counting twice against the memory the crop takes. In whole 64 KiB steps
// (the system's mapping granularity), a megabyte at a time, with the current step kept.
constexpr uint32_t kReleaseStep = 0x10000;
constexpr uint32_t kReleaseEvery = 0x100000;

void releaseBehind(WindowRead* read, const JOCTET* at) {
    if (!read || !read->viewBase) return;
    if (at < read->viewBase || at > read->viewBase + read->viewSize) return;  // the inserted end of image
    const auto passed = static_cast<uint32_t>(at - read->viewBase);
    const uint32_t behind = passed < kReleaseStep ? 0 : (passed - kReleaseStep) / kReleaseStep * kReleaseStep;
    if (behind < read->released + kReleaseEvery) return;
    osReleaseMappedPages(read->viewBase, behind);
    read->released = behind;
}

}  // namespace

uint32_t frameHeightOffset(const uint8_t* data, uint32_t size) {
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return 0;
    uint32_t at = 2;
    for (;;) {
        if (at >= size || data[at] != 0xFF) return 0;
        while (at < size && data[at] == 0xFF) at++;
        if (at + 2 >= size) return 0;
        const uint8_t code = data[at++];
        // Only segments with a length may come before the frame header.
        if (code == 0x00 || code == 0x01 || (code >= 0xD0 && code <= 0xDA)) return 0;
        const uint32_t length = uint32_t(data[at]) << 8 | data[at + 1];
        if (length < 2 || length > size - at) return 0;
        if (isFrameMarker(code)) return length >= 8 ? at + 3 : 0;
        at += length;
    }
}

bool cutFrame(uint8_t* data, uint32_t size, uint32_t width, uint32_t height, uint32_t rows) {
    const uint32_t at = frameHeightOffset(data, size);
    if (at == 0 || rows == 0 || rows >= height) return false;
    const uint32_t heldHeight = uint32_t(data[at]) << 8 | data[at + 1];
    const uint32_t heldWidth = uint32_t(data[at + 2]) << 8 | data[at + 3];
    if (heldHeight != height || heldWidth != width) return false;
    data[at] = static_cast<uint8_t>(rows >> 8);
    data[at + 1] = static_cast<uint8_t>(rows);
    return true;
}

void skipToNextMarker(j_decompress_ptr decompressor, WindowRead* read) {
    jpeg_source_mgr* source = decompressor->src;
    const JOCTET* p = source->next_input_byte;
    const JOCTET* end = p + source->bytes_in_buffer;
    const JOCTET* nextRelease = p + kReleaseEvery;
    const bool resyncs = decompressor->restart_interval != 0;
    while (p < end) {
        // A long skip gives back what it has passed as it goes.
        if (p >= nextRelease) {
            releaseBehind(read, p);
            nextRelease = p + kReleaseEvery;
        }
        p = static_cast<const JOCTET*>(memchr(p, 0xFF, static_cast<size_t>(end - p)));
        if (!p) break;
        const JOCTET* code = p + 1;
        while (code < end && *code == 0xFF) code++;
        if (code >= end) break;
        // A stuffed zero is data; a restart marker belongs to the scan being skipped. In a scan with
        // restart markers the library's resync (jpeg_resync_to_restart) throws away any code below the
        // frame markers (0xC0) and looks on; without them such a code ends the scan, as it would there.
        const bool discarded = resyncs && *code < 0xC0;
        if (*code != 0x00 && !isRestartMarker(*code) && !discarded) {
            source->next_input_byte = code - 1;
            source->bytes_in_buffer = static_cast<size_t>(end - (code - 1));
            return;
        }
        p = code + 1;
    }
    source->next_input_byte = end;
    source->bytes_in_buffer = 0;
}

void watchRead(j_decompress_ptr decompressor, WindowRead* read) {
    releaseBehind(read, decompressor->src->next_input_byte);
    if (!read->frameCut) return;
    // Between a scan's last row and the marker after it; a new scan starts at row 0.
    if (decompressor->input_iMCU_row < decompressor->total_iMCU_rows) return;
    const int marker = decompressor->unread_marker;
    // A stray code the decoder stopped at in a scan with restart markers: the library's resync would
    // throw it away at the next restart boundary, which this cut scan no longer reaches.
    const bool stray = marker != 0 && marker < 0xC0 && decompressor->restart_interval != 0;
    if (marker != 0 && !isRestartMarker(marker) && !stray) return;  // the decoder stopped at the next marker
    if (stray) decompressor->unread_marker = 0;
    // Segments may follow the last scan too (comments before the end of image): they are read as before.
    skipToNextMarker(decompressor, read);
}
