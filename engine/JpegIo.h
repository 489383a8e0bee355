#pragma once
// The library's source and destination managers: a mapped file as source, a buffered output file and a
// fixed-size memory buffer as destinations.

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "engine/OsFile.h"

constexpr uint32_t kFileDestinationBufferSize = 0x100000;  // output leaves in 1 MiB writes

// Reads `size` bytes at `data`; past the end the library sees an inserted end-of-image marker.
void installMemorySource(j_decompress_ptr decompressor, const uint8_t* data, uint32_t size);
// Writes to the open file whose handle `output` points at; a failed or short write raises JERR_FILE_WRITE.
void installFileDestination(j_compress_ptr compressor, OsHandle* output);
// Writes into `buffer`, never past `capacity`: a full buffer raises JERR_BUFFER_SIZE instead.
// Bytes produced = capacity - compressor->dest->free_in_buffer after jpeg_finish_compress.
void installMemoryDestination(j_compress_ptr compressor, uint8_t* buffer, uint32_t capacity);
