#pragma once
// Optimal Huffman tables for a sequential Huffman-coded output, counted from the blocks it is written from.
// The library would count them itself in a scalar pass before encoding; counting here, in its exact order
// and with its padding, gives the same tables and lets it encode in one pass.

#include <cstdio>

#include <jpeglib.h>

// True when `compressor`'s output is one sequential Huffman scan that useOptimalTables can serve. Call
// after the parameters are set and before jpeg_write_coefficients: optimize_coding must be off then.
bool canCountHuffmanTables(j_compress_ptr compressor);

// After jpeg_write_coefficients with optimize_coding off: counts the symbols of the blocks in `arrays`
// (one per component, read through the compressor's memory manager) and installs the tables the library's
// own statistics pass would have made. A coefficient out of range fails as the library's pass fails.
// Where dcTerms[c] is not null, it gets component c's DC terms row by row (width_in_blocks to a row): the
// pass has every block in cache, a later one would fetch them all from memory again.
void useOptimalTables(j_compress_ptr compressor, jvirt_barray_ptr* arrays, JCOEF* const* dcTerms);
