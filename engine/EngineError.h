#pragma once
// Result codes of engine operations. The values are also the identifiers of the texts that report them.

#include <cstdint>

enum EngineError : int32_t {
    kEngineOk = 50000,
    kEngineOutOfMemory = 50001,
    kEngineNoBitmap = 50002,      // no pixels, unsupported component count, or a buffer of 4 GiB or more
    kEngineCannotOpen = 50004,    // missing, empty, too large, unmappable, or broken marker structure
    kEngineCannotCreate = 50005,  // the output file cannot be created
    kEngineConversionFailed = 50006,
};
