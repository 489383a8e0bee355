#include "engine/WindowArrays.h"

#include <cstring>

#include <jerror.h>

struct WindowArray {
    JDIMENSION blocksPerRow;  // as the library asked
    JDIMENSION rowCount;
    JDIMENSION maxAccess;
    WindowPlan kept;           // the stored rows and columns, inside the array
    bool direct;               // stored rows are whole rows: the decoder may write into them
    bool realized;
    JBLOCKARRAY rows;          // kept.rowCount rows of kept.columnCount blocks
    uint8_t* filled;           // per stored row: written or zeroed
    JBLOCKARRAY scratch;       // maxAccess whole rows: the decoder's target for rows not stored whole
    JDIMENSION pendingRow;     // the scratch group lent out last, to store at the next access
    JDIMENSION pendingCount;
};

struct WindowView {
    WindowArray* source;
    jvirt_barray_ptr librarySource;  // a source the library made itself
    JDIMENSION rowOffset;
    JDIMENSION columnOffset;
    JBLOCKROW rows[MAX_SAMP_FACTOR];
};

namespace {

JDIMENSION roundUp(JDIMENSION value, JDIMENSION step) { return (value + step - 1) / step * step; }

void monitorThrough(j_common_ptr object) {
    WindowArrays* arrays = reinterpret_cast<WindowArraysLink*>(object->progress)->owner;
    if (arrays->monitor) arrays->monitor(object);
}

void monitorNothing(j_common_ptr) {}

WindowArray* ourArray(const WindowArrays* arrays, jvirt_barray_ptr handle) {
    for (int c = 0; c < arrays->requested; c++) {
        if (reinterpret_cast<jvirt_barray_ptr>(arrays->arrays[c]) == handle) return arrays->arrays[c];
    }
    return nullptr;
}

WindowView* ourView(const WindowArrays* arrays, jvirt_barray_ptr handle) {
    for (int c = 0; c < arrays->viewCount; c++) {
        if (reinterpret_cast<jvirt_barray_ptr>(arrays->views[c]) == handle) return arrays->views[c];
    }
    return nullptr;
}

// The part of `plan` that lies inside an array of `rows` × `columns` blocks.
WindowPlan clipped(WindowPlan plan, JDIMENSION rows, JDIMENSION columns) {
    if (plan.firstRow >= rows || plan.firstColumn >= columns) return WindowPlan();
    if (plan.rowCount > rows - plan.firstRow) plan.rowCount = rows - plan.firstRow;
    if (plan.columnCount > columns - plan.firstColumn) plan.columnCount = columns - plan.firstColumn;
    if (plan.rowCount == 0 || plan.columnCount == 0) return WindowPlan();
    return plan;
}

bool isStored(const WindowArray* array, JDIMENSION row) {
    return row >= array->kept.firstRow && row - array->kept.firstRow < array->kept.rowCount;
}

void zeroRow(JBLOCKROW row, JDIMENSION blocks) { memset(row, 0, static_cast<size_t>(blocks) * sizeof(JBLOCK)); }

// The decoder is done with the scratch group it was lent last: keep the window's part of it.
void storePending(WindowArray* array) {
    for (JDIMENSION i = 0; i < array->pendingCount; i++) {
        const JDIMENSION row = array->pendingRow + i;
        if (!isStored(array, row)) continue;
        const JDIMENSION at = row - array->kept.firstRow;
        memcpy(array->rows[at], array->scratch[i] + array->kept.firstColumn,
               static_cast<size_t>(array->kept.columnCount) * sizeof(JBLOCK));
        array->filled[at] = 1;
    }
    array->pendingCount = 0;
}

jvirt_barray_ptr requestArray(j_common_ptr object, int pool, boolean preZero, JDIMENSION blocksPerRow,
                              JDIMENSION rowCount, JDIMENSION maxAccess) {
    WindowArrays* arrays = windowArraysOf(object);
    auto* decompressor = reinterpret_cast<j_decompress_ptr>(object);
    const int c = arrays->requested;
    // The coefficient controller asks once per component, in order, for whole row groups; anything else
    // is left to the library.
    bool expected = pool == JPOOL_IMAGE && preZero && c < decompressor->num_components && c < MAX_COMPONENTS;
    if (expected) {
        const jpeg_component_info& component = decompressor->comp_info[c];
        const auto h = static_cast<JDIMENSION>(component.h_samp_factor);
        const auto v = static_cast<JDIMENSION>(component.v_samp_factor);
        expected = blocksPerRow == roundUp(component.width_in_blocks, h) &&
                   rowCount == roundUp(component.height_in_blocks, v) && maxAccess >= v;
    }
    if (!expected) return arrays->libraryRequest(object, pool, preZero, blocksPerRow, rowCount, maxAccess);
    auto* array = static_cast<WindowArray*>((*object->mem->alloc_small)(object, JPOOL_IMAGE, sizeof(WindowArray)));
    *array = WindowArray{};
    array->blocksPerRow = blocksPerRow;
    array->rowCount = rowCount;
    array->maxAccess = maxAccess;
    if (arrays->keepFromTop) {
        array->kept = {0, rowCount, 0, blocksPerRow};
    } else if (c < arrays->planCount) {
        array->kept = clipped(arrays->plans[c], rowCount, blocksPerRow);
    }
    array->direct = array->kept.rowCount > 0 && array->kept.firstColumn == 0 && array->kept.columnCount == blocksPerRow;
    arrays->arrays[c] = array;
    arrays->requested = c + 1;
    return reinterpret_cast<jvirt_barray_ptr>(array);
}

void realizeArrays(j_common_ptr object) {
    WindowArrays* arrays = windowArraysOf(object);
    arrays->libraryRealize(object);
    for (int c = 0; c < arrays->requested; c++) {
        WindowArray* array = arrays->arrays[c];
        if (array->realized) continue;
        if (array->kept.rowCount > 0) {
            array->rows = (*object->mem->alloc_barray)(object, JPOOL_IMAGE, array->kept.columnCount, array->kept.rowCount);
            array->filled = static_cast<uint8_t*>((*object->mem->alloc_small)(object, JPOOL_IMAGE, array->kept.rowCount));
            memset(array->filled, 0, array->kept.rowCount);
        }
        if (!array->direct || array->kept.rowCount < array->rowCount) {
            array->scratch = (*object->mem->alloc_barray)(object, JPOOL_IMAGE, array->blocksPerRow, array->maxAccess);
        }
        array->realized = true;
    }
}

JBLOCKARRAY accessArray(j_common_ptr object, jvirt_barray_ptr handle, JDIMENSION startRow, JDIMENSION numRows,
                        boolean writable) {
    WindowArrays* arrays = windowArraysOf(object);
    WindowArray* array = ourArray(arrays, handle);
    if (!array) return arrays->libraryAccess(object, handle, startRow, numRows, writable);
    if (!array->realized || numRows == 0 || numRows > array->maxAccess || startRow >= array->rowCount ||
        numRows > array->rowCount - startRow) {
        ERREXIT(object, JERR_BAD_VIRTUAL_ACCESS);
    }
    storePending(array);
    if (array->direct && isStored(array, startRow) && isStored(array, startRow + numRows - 1)) {
        const JDIMENSION at = startRow - array->kept.firstRow;
        // Rows start as zeros, as the library's pre-zeroed arrays do: the decoder writes only what it finds.
        for (JDIMENSION i = at; i < at + numRows; i++) {
            if (array->filled[i]) continue;
            zeroRow(array->rows[i], array->kept.columnCount);
            array->filled[i] = 1;
        }
        return array->rows + at;
    }
    for (JDIMENSION i = 0; i < numRows; i++) zeroRow(array->scratch[i], array->blocksPerRow);
    array->pendingRow = startRow;
    array->pendingCount = numRows;
    return array->scratch;
}

JBLOCKARRAY accessView(j_common_ptr object, jvirt_barray_ptr handle, JDIMENSION startRow, JDIMENSION numRows,
                       boolean writable) {
    WindowArrays* arrays = windowArraysOf(object);
    WindowView* view = ourView(arrays, handle);
    if (!view) return arrays->libraryCompressorAccess(object, handle, startRow, numRows, writable);
    if (writable || numRows == 0 || numRows > MAX_SAMP_FACTOR) ERREXIT(object, JERR_BAD_VIRTUAL_ACCESS);
    if (view->librarySource) {
        JBLOCKARRAY rows =
            arrays->libraryAccess(arrays->decompressor, view->librarySource, startRow + view->rowOffset, numRows, FALSE);
        for (JDIMENSION i = 0; i < numRows; i++) view->rows[i] = rows[i] + view->columnOffset;
        return view->rows;
    }
    const WindowArray* array = view->source;
    for (JDIMENSION i = 0; i < numRows; i++) {
        const JDIMENSION row = startRow + i + view->rowOffset;
        // The plan stores every block the output reads; anything else is a fault, not a zero to write.
        if (!isStored(array, row) || view->columnOffset < array->kept.firstColumn) {
            ERREXIT(object, JERR_BAD_VIRTUAL_ACCESS);
        }
        view->rows[i] = array->rows[row - array->kept.firstRow] + (view->columnOffset - array->kept.firstColumn);
    }
    return view->rows;
}

}  // namespace

WindowArrays* windowArraysOf(j_common_ptr object) {
    jpeg_progress_mgr* progress = object->progress;
    if (!progress || (progress->progress_monitor != monitorThrough && progress->progress_monitor != monitorNothing)) {
        return nullptr;
    }
    return reinterpret_cast<WindowArraysLink*>(progress)->owner;
}

void installWindowArrays(WindowArrays* arrays, j_decompress_ptr decompressor, const WindowPlan* plans, int planCount,
                         bool keepFromTop, void (*monitor)(j_common_ptr), void* monitorData) {
    *arrays = WindowArrays{};
    if (planCount > MAX_COMPONENTS) planCount = MAX_COMPONENTS;
    for (int c = 0; c < planCount; c++) arrays->plans[c] = plans[c];
    arrays->planCount = planCount;
    arrays->keepFromTop = keepFromTop;
    arrays->monitor = monitor;
    arrays->monitorData = monitorData;
    arrays->decompressor = reinterpret_cast<j_common_ptr>(decompressor);
    arrays->decompressorLink.base.progress_monitor = monitorThrough;
    arrays->decompressorLink.owner = arrays;
    decompressor->progress = &arrays->decompressorLink.base;
    jpeg_memory_mgr* memory = decompressor->mem;
    arrays->libraryRequest = memory->request_virt_barray;
    arrays->libraryRealize = memory->realize_virt_arrays;
    arrays->libraryAccess = memory->access_virt_barray;
    memory->request_virt_barray = requestArray;
    memory->realize_virt_arrays = realizeArrays;
    memory->access_virt_barray = accessArray;
}

void settleWindowArrays(j_decompress_ptr decompressor) {
    WindowArrays* arrays = windowArraysOf(reinterpret_cast<j_common_ptr>(decompressor));
    if (!arrays) return;
    for (int c = 0; c < arrays->requested; c++) {
        WindowArray* array = arrays->arrays[c];
        if (!array->realized) continue;
        storePending(array);
        // Rows no scan reached (a file cut short) read as zeros, as the library's would.
        for (JDIMENSION i = 0; i < array->kept.rowCount; i++) {
            if (!array->filled[i]) zeroRow(array->rows[i], array->kept.columnCount);
            array->filled[i] = 1;
        }
    }
}

jvirt_barray_ptr* makeWindowViews(j_decompress_ptr decompressor, j_compress_ptr compressor, jvirt_barray_ptr* sources,
                                  const WindowPlan* plans, int count) {
    auto* object = reinterpret_cast<j_common_ptr>(decompressor);
    WindowArrays* arrays = windowArraysOf(object);
    auto* handles = static_cast<jvirt_barray_ptr*>(
        (*object->mem->alloc_small)(object, JPOOL_IMAGE, sizeof(jvirt_barray_ptr) * static_cast<size_t>(count)));
    for (int c = 0; c < count; c++) {
        auto* view = static_cast<WindowView*>((*object->mem->alloc_small)(object, JPOOL_IMAGE, sizeof(WindowView)));
        *view = WindowView{};
        view->source = ourArray(arrays, sources[c]);
        if (!view->source) view->librarySource = sources[c];
        view->rowOffset = plans[c].firstRow;
        view->columnOffset = plans[c].firstColumn;
        arrays->views[c] = view;
        handles[c] = reinterpret_cast<jvirt_barray_ptr>(view);
    }
    arrays->viewCount = count;
    arrays->compressorLink.base.progress_monitor = monitorNothing;
    arrays->compressorLink.owner = arrays;
    compressor->progress = &arrays->compressorLink.base;
    arrays->libraryCompressorAccess = compressor->mem->access_virt_barray;
    compressor->mem->access_virt_barray = accessView;
    return handles;
}

JBLOCKROW windowViewRow(WindowArrays* arrays, int component, JDIMENSION row) {
    if (component < 0 || component >= arrays->viewCount) return nullptr;
    const WindowView* view = arrays->views[component];
    if (view->librarySource) {
        return arrays->libraryAccess(arrays->decompressor, view->librarySource, row + view->rowOffset, 1, FALSE)[0] +
               view->columnOffset;
    }
    const WindowArray* array = view->source;
    const JDIMENSION at = row + view->rowOffset;
    if (!isStored(array, at) || view->columnOffset < array->kept.firstColumn) return nullptr;
    return array->rows[at - array->kept.firstRow] + (view->columnOffset - array->kept.firstColumn);
}

uint64_t windowArraysBytes(j_decompress_ptr decompressor, const WindowPlan* plans, int planCount, bool keepFromTop,
                           JDIMENSION frameHeight) {
    uint64_t blocks = 0;
    const auto maxV = static_cast<uint64_t>(decompressor->max_v_samp_factor);
    for (int c = 0; c < decompressor->num_components; c++) {
        const jpeg_component_info& component = decompressor->comp_info[c];
        const auto h = static_cast<JDIMENSION>(component.h_samp_factor);
        const auto v = static_cast<JDIMENSION>(component.v_samp_factor);
        const uint64_t across = roundUp(component.width_in_blocks, h);
        const uint64_t heightInBlocks = (frameHeight * static_cast<uint64_t>(v) + maxV * DCTSIZE - 1) / (maxV * DCTSIZE);
        const uint64_t down = (heightInBlocks + v - 1) / v * v;
        if (keepFromTop) {
            blocks += across * down;
            continue;
        }
        const bool whole = c < planCount && plans[c].firstRow == 0 && plans[c].rowCount >= down &&
                           plans[c].firstColumn == 0 && plans[c].columnCount >= across;
        if (!whole) blocks += across * v;  // the scratch group
        if (c < planCount) blocks += static_cast<uint64_t>(plans[c].rowCount) * plans[c].columnCount;
    }
    return blocks * sizeof(JBLOCK);
}
