#pragma once
// Coefficient storage for a crop that holds only what the output needs. The decompressor's virtual
// block arrays are replaced: a sequential source is decoded one row group at a time into a scratch
// group, and only the window's blocks are kept; a progressive source keeps every row from the top (its
// refinement scans read earlier values), but nothing below the window. The compressor reads the kept
// blocks in place through views shifted by the window's origin, so no block is copied twice.
// Everything is allocated in the decompressor's image pool and goes with it.

#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

// The blocks of one source component that the output takes, in that component's blocks.
struct WindowPlan {
    JDIMENSION firstRow = 0;
    JDIMENSION rowCount = 0;
    JDIMENSION firstColumn = 0;
    JDIMENSION columnCount = 0;
};

struct WindowArray;
struct WindowView;
struct WindowArrays;

// A progress record of ours on a library object: how the replaced methods find their context.
struct WindowArraysLink {
    jpeg_progress_mgr base;
    WindowArrays* owner;
};

struct WindowArrays {
    WindowArraysLink decompressorLink;
    WindowArraysLink compressorLink;
    j_common_ptr decompressor;
    WindowPlan plans[MAX_COMPONENTS];
    int planCount;
    bool keepFromTop;  // progressive: every row the library asks for, full width
    WindowArray* arrays[MAX_COMPONENTS];
    int requested;
    WindowView* views[MAX_COMPONENTS];
    int viewCount;
    // The library's own methods, for anything that is not ours.
    jvirt_barray_ptr (*libraryRequest)(j_common_ptr, int, boolean, JDIMENSION, JDIMENSION, JDIMENSION);
    void (*libraryRealize)(j_common_ptr);
    JBLOCKARRAY (*libraryAccess)(j_common_ptr, jvirt_barray_ptr, JDIMENSION, JDIMENSION, boolean);
    JBLOCKARRAY (*libraryCompressorAccess)(j_common_ptr, jvirt_barray_ptr, JDIMENSION, JDIMENSION, boolean);
    void (*monitor)(j_common_ptr);  // the decompressor's progress hook, may be null
    void* monitorData;              // for the hook
};

// Replaces the decompressor's array methods before jpeg_read_coefficients. `plans` has one entry per
// source component; components past `planCount` keep nothing. `keepFromTop` keeps every row of every
// component instead (the frame is cut below the window before the read). `monitor`, when given, is
// called as the decompressor's progress hook.
void installWindowArrays(WindowArrays* arrays, j_decompress_ptr decompressor, const WindowPlan* plans, int planCount,
                         bool keepFromTop, void (*monitor)(j_common_ptr), void* monitorData);
// The context installed on a library object, or null.
WindowArrays* windowArraysOf(j_common_ptr object);
// After jpeg_read_coefficients: stores the last row groups still in scratch.
void settleWindowArrays(j_decompress_ptr decompressor);
// Views for the compressor: output component c reads source array `sources[c]` shifted by
// the origin of `plans[c]`. Installs the compressor's access method.
jvirt_barray_ptr* makeWindowViews(j_decompress_ptr decompressor, j_compress_ptr compressor, jvirt_barray_ptr* sources,
                                  const WindowPlan* plans, int count);
// Row `row` of the view of output component `component`: the blocks the compressor read for that row, which
// stay as long as the decompressor's image pool. Null when the view holds no such row.
JBLOCKROW windowViewRow(WindowArrays* arrays, int component, JDIMENSION row);
// Bytes the kept blocks and scratch groups take for the frame read by `decompressor` (after
// jpeg_read_header) when it is read down to pixel row `frameHeight`: the memory check before anything
// is allocated.
uint64_t windowArraysBytes(j_decompress_ptr decompressor, const WindowPlan* plans, int planCount, bool keepFromTop,
                           JDIMENSION frameHeight);
