#include "filelist/NaturalOrder.h"

#include "common/WinHeaders.h"

#include <shlwapi.h>

bool naturalLess(const char16_t* a, const char16_t* b) {
    int order = StrCmpLogicalW(asWide(a), asWide(b));
    return order != 0 ? order < 0 : compareCodeUnits(a, b) < 0;
}
