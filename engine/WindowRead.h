#pragma once
// Reading a source only down to the crop window's last row. The frame header the library reads is cut
// to that row, so no scan decodes anything below it; the rest of each scan's data is skipped to the next
// marker here (the library would walk it byte by byte and warn of extraneous bytes), and the segments
// and scans that follow are read as before.

#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

struct WindowRead {
    bool frameCut = false;
    uint8_t* viewBase = nullptr;  // the mapped source, when it is a mapping
    uint32_t viewSize = 0;
    uint32_t released = 0;        // bytes from viewBase already given back
};

// Offset of the height field of the frame header in a JPEG held in memory, 0 when the markers before it
// are not laid out cleanly (the caller then reads the whole frame).
uint32_t frameHeightOffset(const uint8_t* data, uint32_t size);
// Rewrites the frame header's height to `rows` when it holds `width` × `height` as the library read it.
// False, and nothing written, otherwise.
bool cutFrame(uint8_t* data, uint32_t size, uint32_t width, uint32_t height, uint32_t rows);
// The decompressor's progress hook while jpeg_read_coefficients runs (`read` is the state of that run):
// gives back the mapped pages the read has passed, and over a cut frame, at each scan's end, moves the
// source past the data below the window.
void watchRead(j_decompress_ptr decompressor, WindowRead* read);
// Moves a memory source that holds the rest of the file to the next marker that is not a restart
// marker (nor, in a scan with restart markers, a stray code the library's resync would throw away); with
// none left, to its inserted end of image. `read` (may be null) gets the passed pages back.
void skipToNextMarker(j_decompress_ptr decompressor, WindowRead* read);
