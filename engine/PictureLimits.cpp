#include "engine/PictureLimits.h"

namespace {

// A block of a Huffman-coded scan costs at least a bit, one of a real photograph far more: data holding
// fewer than one byte per 64 blocks of the frame's smallest component is refused.
constexpr uint64_t kHuffmanBlocksPerByte = 64;
// Arithmetic coding learns a flat picture down to a fraction of a bit per block (a blank grey A4 page at
// 300 dpi, 136,000 blocks, takes 5 bytes), and the encoder leaves out the zeros that end its data. Up to
// this many blocks, all components together (a grey A3 page at 600 dpi), a crop's walk over flat data
// takes under half a second and a display decode a few (as long as djpeg's) even on a busy machine: no
// floor on the data at all. Larger flat frames of a few bytes take minutes and gigabytes to show.
constexpr uint64_t kArithmeticBlocksWithoutFloor = uint64_t(1) << 21;
// Beyond that, a far lower floor than Huffman's: a flat grey 4000 x 4000 picture takes about 30 bytes,
// some 2,000 chroma blocks a byte.
constexpr uint64_t kArithmeticBlocksPerByte = 16384;

uint64_t gMemoryCeiling = 0;

}  // namespace

bool scanDataCanHoldPicture(j_decompress_ptr decompressor) {
    uint64_t fewestBlocks = UINT64_MAX;
    uint64_t allBlocks = 0;
    for (int c = 0; c < decompressor->num_components; c++) {
        const jpeg_component_info& component = decompressor->comp_info[c];
        const uint64_t blocks = static_cast<uint64_t>(component.width_in_blocks) * component.height_in_blocks;
        if (blocks < fewestBlocks) fewestBlocks = blocks;
        allBlocks += blocks;
    }
    if (fewestBlocks == UINT64_MAX) return true;
    if (decompressor->arith_code && allBlocks <= kArithmeticBlocksWithoutFloor) return true;
    const uint64_t dataBytes = decompressor->src ? decompressor->src->bytes_in_buffer : 0;
    const uint64_t floor = decompressor->arith_code ? kArithmeticBlocksPerByte : kHuffmanBlocksPerByte;
    return dataBytes * floor >= fewestBlocks;
}

uint64_t coefficientBytes(j_decompress_ptr decompressor) {
    uint64_t bytes = 0;
    for (int c = 0; c < decompressor->num_components; c++) {
        const jpeg_component_info& component = decompressor->comp_info[c];
        const uint64_t h = static_cast<uint64_t>(component.h_samp_factor);
        const uint64_t v = static_cast<uint64_t>(component.v_samp_factor);
        const uint64_t across = (component.width_in_blocks + h - 1) / h * h;
        const uint64_t down = (component.height_in_blocks + v - 1) / v * v;
        bytes += across * down * sizeof(JBLOCK);
    }
    return bytes;
}

uint64_t bufferedCoefficientBytes(j_decompress_ptr decompressor) {
    const bool buffered =
        decompressor->progressive_mode || decompressor->comps_in_scan < decompressor->num_components;
    return buffered ? coefficientBytes(decompressor) : 0;
}

uint64_t availableMemory() { return gMemoryCeiling ? gMemoryCeiling : osAvailableMemory(); }

// Half: the system, the mapped source, the output and the other programs keep the rest.
bool memoryCanHold(uint64_t bytes) { return bytes <= availableMemory() / 2; }

void setMemoryCeiling(uint64_t bytes) { gMemoryCeiling = bytes; }
