// The whole lossless crop on an in-memory source, with every option: the first four bytes choose the
// options and the window, the rest is the file. The output goes to /dev/null. Half a megabyte to give,
// as for the display decode: a forged size is refused before the library allocates it, and the fuzzer
// keeps its pace.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/CropTransform.h"
#include "engine/OsFile.h"
#include "engine/PictureLimits.h"

namespace {

constexpr uint64_t kCeiling = 512u << 10;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    setMemoryCeiling(kCeiling);
    std::vector<uint8_t> source(data + 4, data + size);
    CropTransform job;
    job.markerCopyMode = data[0] % 3;
    job.saveGrayscale = (data[0] >> 2) & 1;
    job.isProgressive = (data[0] >> 3) & 1;
    job.cropEnabled = (data[0] >> 4) & 1;
    job.crop.left = data[1] & 0x3F;
    job.crop.top = data[1] >> 6 | (data[3] & 0x0F) << 2;
    job.crop.width = data[2] + 1u;
    job.crop.height = (data[3] >> 4) * 16u + 1u;
    job.dataStart = source.data();
    job.dataEnd = source.data() + source.size();
    OsHandle output = osCreateFile(u"/dev/null");
    if (output == kInvalidOsHandle) return 0;
    if (!source.empty() && !runTransform(&job, &output, static_cast<uint32_t>(source.size()))) {
        // A library error keeps 50000 and leaves its message; every other refusal has its code.
        if (job.errorCode == kEngineOk && job.errorText.length == 0) abort();
    }
    osCloseFile(output);
    textFree(&job.errorText);
    return 0;
}
