// Rebuilding the crop mode's shaded display, which happens each time the rectangle comes to rest, against
// copying the same buffer (the least any rebuild must do). Prints CPU seconds per rebuild for both and
// their ratio:  shading_bench WIDTH HEIGHT ROUNDS
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "view/CropEditor.h"
#include "view/ShadedDisplay.h"

namespace {

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: shading_bench WIDTH HEIGHT ROUNDS\n");
        return 2;
    }
    const int32_t width = atoi(argv[1]), height = atoi(argv[2]), rounds = atoi(argv[3]);
    const size_t bytes = static_cast<size_t>(stride24(width)) * height;
    std::vector<uint8_t> source(bytes + 4), dest(bytes + 4);
    for (size_t i = 0; i < bytes; i++) source[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
    uint8_t table[256];
    buildShadeTable(table, 1);
    // A typical rest position: a rectangle over the middle two thirds.
    const CropRect rect{width / 6, height / 6, width - width / 6, height - height / 6};

    unsigned checksum = 0;
    double start = cpuSeconds();
    for (int32_t i = 0; i < rounds; i++) {
        shadeOutsideCrop(source.data(), dest.data(), width, height, rect, table);
        checksum += dest[(i * 7919u) % bytes];
    }
    double shading = (cpuSeconds() - start) / rounds;
    start = cpuSeconds();
    for (int32_t i = 0; i < rounds; i++) {
        source[0] = static_cast<uint8_t>(i);  // keeps the copies from being merged away
        std::memcpy(dest.data(), source.data(), bytes);
        checksum += dest[(i * 7919u) % bytes];
    }
    double copying = (cpuSeconds() - start) / rounds;
    printf("%dx%d: shaded rebuild %.4f s, plain copy %.4f s, ratio %.2f (checksum %u)\n", width, height, shading,
           copying, shading / copying, checksum);
    return 0;
}
