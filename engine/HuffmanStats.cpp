#include "engine/HuffmanStats.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <jerror.h>

// The library's own table builder and zigzag order (jchuff.c, jutils.c).
extern "C" void jpeg_gen_optimal_table(j_compress_ptr cinfo, JHUFF_TBL* htbl, long freq[]);
extern "C" const int jpeg_natural_order[];

namespace {

constexpr int kMaxCoefficientBits = 10;  // 8-bit samples
constexpr int kTableSymbols = 257;        // the table builder sets a count for symbol 256

struct SymbolCounts {
    long dc[NUM_HUFF_TBLS][kTableSymbols];
    long ac[NUM_HUFF_TBLS][kTableSymbols];
    // For byte b of a block's nonzero mask in natural order, with value v: those bits in zigzag order.
    uint64_t zigzagBits[8][256];
};

void makeZigzagBits(SymbolCounts* counts) {
    int zigzagOf[DCTSIZE2];
    for (int k = 0; k < DCTSIZE2; k++) zigzagOf[jpeg_natural_order[k]] = k;
    for (int b = 0; b < 8; b++) {
        for (int v = 0; v < 256; v++) {
            uint64_t bits = 0;
            for (int i = 0; i < 8; i++) {
                if (v & (1 << i)) bits |= uint64_t(1) << zigzagOf[b * 8 + i];
            }
            counts->zigzagBits[b][v] = bits;
        }
    }
}

// Bit i set when coefficient i (natural order) is nonzero.
uint64_t naturalNonzero(const JCOEF* block) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    uint64_t mask = 0;
    for (int i = 0; i < DCTSIZE2; i += 16) {
        const __m128i low = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + i)), zero);
        const __m128i high = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + i + 8)), zero);
        const auto zeros = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
        mask |= static_cast<uint64_t>(~zeros & 0xFFFFu) << i;
    }
    return mask;
#else
    uint64_t mask = 0;
    for (int i = 0; i < DCTSIZE2; i++) mask |= static_cast<uint64_t>(block[i] != 0) << i;
    return mask;
#endif
}

int bitsOf(int magnitude) { return magnitude ? 32 - __builtin_clz(static_cast<unsigned>(magnitude)) : 0; }

// One block as the library's statistics pass counts it. False for a coefficient the format cannot code.
bool countBlock(const JCOEF* block, int lastDc, const uint64_t (*zigzagBits)[256], long* dc, long* ac) {
    int diff = block[0] - lastDc;
    if (diff < 0) diff = -diff;
    const int dcBits = bitsOf(diff);
    if (dcBits > kMaxCoefficientBits + 1) return false;
    dc[dcBits]++;
    // Nonzero AC terms in zigzag order, as bits: no branch per coefficient.
    const uint64_t natural = naturalNonzero(block) & ~uint64_t(1);
    uint64_t nonzero = 0;
    for (int b = 0; b < 8; b++) nonzero |= zigzagBits[b][(natural >> (8 * b)) & 0xFF];
    int last = 0;
    while (nonzero) {
        const int k = __builtin_ctzll(nonzero);
        nonzero &= nonzero - 1;
        int run = k - last - 1;
        last = k;
        while (run > 15) {
            ac[0xF0]++;
            run -= 16;
        }
        // Nonzero by the mask; the sign is a coin toss, so the magnitude is taken without a branch.
        const int value = block[jpeg_natural_order[k]];
        const int sign = value >> 31;
        const int bits = 32 - __builtin_clz(static_cast<unsigned>((value ^ sign) - sign));
        if (bits > kMaxCoefficientBits) return false;
        ac[(run << 4) + bits]++;
    }
    if (last < DCTSIZE2 - 1) ac[0]++;  // end of block
    return true;
}

// A padding block repeats the DC of the block before it and has no AC terms: a zero difference and an
// end of block.
void countPadding(long* dc, long* ac) {
    dc[0]++;
    ac[0]++;
}

void failOnCoefficient(j_compress_ptr compressor) {
    ERREXIT(reinterpret_cast<j_common_ptr>(compressor), JERR_BAD_DCT_COEF);
}

// One component alone in the scan: its blocks row by row, no padding.
void countComponent(j_compress_ptr compressor, jvirt_barray_ptr array, const jpeg_component_info* component,
                    SymbolCounts* counts, JCOEF* dcTerms) {
    long* dc = counts->dc[component->dc_tbl_no];
    long* ac = counts->ac[component->ac_tbl_no];
    int lastDc = 0;
    for (JDIMENSION row = 0; row < component->height_in_blocks; row++) {
        JBLOCKROW blocks =
            (*compressor->mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(compressor), array, row, 1, FALSE)[0];
        for (JDIMENSION column = 0; column < component->width_in_blocks; column++) {
            if (!countBlock(blocks[column], lastDc, counts->zigzagBits, dc, ac)) failOnCoefficient(compressor);
            lastDc = blocks[column][0];
            if (dcTerms) dcTerms[size_t(row) * component->width_in_blocks + column] = blocks[column][0];
        }
    }
}

// Every component interleaved: MCU by MCU, each component's h x v blocks, with padding blocks past the
// right and bottom edges of a component.
void countInterleaved(j_compress_ptr compressor, jvirt_barray_ptr* arrays, SymbolCounts* counts,
                      JCOEF* const* dcTerms) {
    const int components = compressor->num_components;
    const auto mcuWidth = static_cast<JDIMENSION>(compressor->max_h_samp_factor * DCTSIZE);
    const auto mcuHeight = static_cast<JDIMENSION>(compressor->max_v_samp_factor * DCTSIZE);
    const JDIMENSION mcusAcross = (compressor->jpeg_width + mcuWidth - 1) / mcuWidth;
    const JDIMENSION mcusDown = (compressor->jpeg_height + mcuHeight - 1) / mcuHeight;
    int lastDc[MAX_COMPONENTS] = {};
    JBLOCKROW rows[MAX_COMPONENTS][MAX_SAMP_FACTOR];
    for (JDIMENSION mcuRow = 0; mcuRow < mcusDown; mcuRow++) {
        // The rows of each component in this MCU row, fetched as the library's pass fetches them.
        for (int c = 0; c < components; c++) {
            const jpeg_component_info* component = &compressor->comp_info[c];
            const auto v = static_cast<JDIMENSION>(component->v_samp_factor);
            JBLOCKARRAY fetched = (*compressor->mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(compressor),
                                                                          arrays[c], mcuRow * v, v, FALSE);
            for (JDIMENSION y = 0; y < v; y++) rows[c][y] = mcuRow * v + y < component->height_in_blocks ? fetched[y] : nullptr;
        }
        for (JDIMENSION mcuColumn = 0; mcuColumn < mcusAcross; mcuColumn++) {
            for (int c = 0; c < components; c++) {
                const jpeg_component_info* component = &compressor->comp_info[c];
                long* dc = counts->dc[component->dc_tbl_no];
                long* ac = counts->ac[component->ac_tbl_no];
                const int h = component->h_samp_factor;
                for (int y = 0; y < component->v_samp_factor; y++) {
                    for (int x = 0; x < h; x++) {
                        const JDIMENSION column = mcuColumn * static_cast<JDIMENSION>(h) + x;
                        if (!rows[c][y] || column >= component->width_in_blocks) {
                            countPadding(dc, ac);
                            continue;
                        }
                        const JCOEF* block = rows[c][y][column];
                        if (!countBlock(block, lastDc[c], counts->zigzagBits, dc, ac)) failOnCoefficient(compressor);
                        lastDc[c] = block[0];
                        if (dcTerms[c]) {
                            dcTerms[c][size_t(mcuRow * component->v_samp_factor + y) * component->width_in_blocks +
                                       column] = block[0];
                        }
                    }
                }
            }
        }
    }
}

}  // namespace

bool canCountHuffmanTables(j_compress_ptr compressor) {
    if (compressor->arith_code || compressor->scan_info || compressor->restart_interval || compressor->restart_in_rows) {
        return false;
    }
    if (compressor->data_precision != 8) return false;
    if (compressor->num_components < 1 || compressor->num_components > MAX_COMPS_IN_SCAN) return false;
    for (int c = 0; c < compressor->num_components; c++) {
        const jpeg_component_info* component = &compressor->comp_info[c];
        if (component->dc_tbl_no < 0 || component->dc_tbl_no >= NUM_HUFF_TBLS || component->ac_tbl_no < 0 ||
            component->ac_tbl_no >= NUM_HUFF_TBLS) {
            return false;
        }
        if (component->v_samp_factor < 1 || component->v_samp_factor > MAX_SAMP_FACTOR) return false;
    }
    return true;
}

void useOptimalTables(j_compress_ptr compressor, jvirt_barray_ptr* arrays, JCOEF* const* dcTerms) {
    auto* common = reinterpret_cast<j_common_ptr>(compressor);
    auto* counts = static_cast<SymbolCounts*>((*compressor->mem->alloc_small)(common, JPOOL_IMAGE, sizeof(SymbolCounts)));
    std::memset(counts, 0, sizeof(SymbolCounts));
    makeZigzagBits(counts);
    if (compressor->num_components == 1) {
        countComponent(compressor, arrays[0], &compressor->comp_info[0], counts, dcTerms[0]);
    } else {
        countInterleaved(compressor, arrays, counts, dcTerms);
    }
    // One table per number in use, DC and AC apart, as the library's pass makes them.
    bool madeDc[NUM_HUFF_TBLS] = {};
    bool madeAc[NUM_HUFF_TBLS] = {};
    for (int c = 0; c < compressor->num_components; c++) {
        const int dcTable = compressor->comp_info[c].dc_tbl_no;
        const int acTable = compressor->comp_info[c].ac_tbl_no;
        if (!madeDc[dcTable]) {
            if (!compressor->dc_huff_tbl_ptrs[dcTable]) compressor->dc_huff_tbl_ptrs[dcTable] = jpeg_alloc_huff_table(common);
            jpeg_gen_optimal_table(compressor, compressor->dc_huff_tbl_ptrs[dcTable], counts->dc[dcTable]);
            madeDc[dcTable] = true;
        }
        if (!madeAc[acTable]) {
            if (!compressor->ac_huff_tbl_ptrs[acTable]) compressor->ac_huff_tbl_ptrs[acTable] = jpeg_alloc_huff_table(common);
            jpeg_gen_optimal_table(compressor, compressor->ac_huff_tbl_ptrs[acTable], counts->ac[acTable]);
            madeAc[acTable] = true;
        }
    }
}
