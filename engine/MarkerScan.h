#pragma once
// The engine's own walk over the marker segments of a mapped JPEG, and the Exif readers it installs.

#include <cstdint>

struct JpegFile;

// Walks from `file->cursor` and returns the last result of onExif (0 when it was never called). The
// three hooks of `file` must be set. Hooks check their reads against dataEnd themselves.
uint32_t scanMarkers(JpegFile* file, void* argument);
uint32_t readLittle16(JpegFile* file);
uint32_t readLittle32(JpegFile* file);
uint32_t readBig16(JpegFile* file);
uint32_t readBig32(JpegFile* file);
