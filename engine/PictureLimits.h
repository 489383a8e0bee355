#pragma once
// What a file's headers may claim before the engine believes them: a frame header costs a few bytes to
// write, while the memory it asks for is paid for by the machine. Both the crop and the display decode
// ask these questions after jpeg_read_header and before the library allocates the picture.

#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

// False when the entropy-coded data left in the library's source cannot hold the blocks the frame
// header claims: every block of a Huffman-coded scan costs at least one bit, and a picture cut short
// keeps most of its data, so data far below that bound is not a photograph. Arithmetic coding codes a
// flat picture in a few bytes whatever its size (the decoder reads zeros past the data), so there the
// bound is one of time: a frame the decoder walks in about a second passes with any data, a larger one
// needs data in proportion. The memory checks bound what either may allocate.
bool scanDataCanHoldPicture(j_decompress_ptr decompressor);
// Bytes of the whole-picture coefficient arrays the library makes for this frame (every component,
// padded to whole grid cells).
uint64_t coefficientBytes(j_decompress_ptr decompressor);
// Bytes a decode to pixels buffers as coefficients besides its output: the whole picture for a
// progressive or multi-scan source, however little of it is decoded; nothing for one interleaved scan.
uint64_t bufferedCoefficientBytes(j_decompress_ptr decompressor);
// True when `bytes` more can be allocated without pushing the machine into paging: at most half of what
// is available.
bool memoryCanHold(uint64_t bytes);
// The memory the machine can give now, in bytes; a ceiling set for tests wins over the system's answer.
uint64_t availableMemory();
// 0 asks the system again.
void setMemoryCeiling(uint64_t bytes);
// Bytes the system reports as available without paging.
uint64_t osAvailableMemory();
