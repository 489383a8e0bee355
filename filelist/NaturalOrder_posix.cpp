#include "filelist/NaturalOrder.h"

bool naturalLess(const char16_t* a, const char16_t* b) {
    int order = compareNatural(a, b);
    return order != 0 ? order < 0 : compareCodeUnits(a, b) < 0;
}
