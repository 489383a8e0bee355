#include "engine/PictureLimits.h"

namespace {

// A block of a truncated real photograph costs far more than a bit; a scan holding fewer than one bit per
// kBlocksPerByteFloor / 8 blocks of its smallest component is refused.
constexpr uint64_t kBlocksPerByteFloor = 64;

uint64_t gMemoryCeiling = 0;

}  // namespace

bool scanDataCanHoldPicture(j_decompress_ptr decompressor) {
    if (decompressor->arith_code) return true;
    uint64_t fewestBlocks = UINT64_MAX;
    for (int c = 0; c < decompressor->num_components; c++) {
        const jpeg_component_info& component = decompressor->comp_info[c];
        const uint64_t blocks = static_cast<uint64_t>(component.width_in_blocks) * component.height_in_blocks;
        if (blocks < fewestBlocks) fewestBlocks = blocks;
    }
    if (fewestBlocks == UINT64_MAX) return true;
    const uint64_t dataBytes = decompressor->src ? decompressor->src->bytes_in_buffer : 0;
    return dataBytes * kBlocksPerByteFloor >= fewestBlocks;
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

uint64_t availableMemory() { return gMemoryCeiling ? gMemoryCeiling : osAvailableMemory(); }

bool memoryCanHold(uint64_t bytes) { return bytes <= availableMemory(); }

void setMemoryCeiling(uint64_t bytes) { gMemoryCeiling = bytes; }
