#pragma once
// Sizes the program gives at 96 DPI (the 100 % display scale), turned into device pixels at another DPI.

// `pixels` at `dpi`, rounded to the nearest device pixel (halves away from zero).
inline int scaleToDpi(int pixels, int dpi) {
    long long product = static_cast<long long>(pixels) * dpi;
    return static_cast<int>(product >= 0 ? (product + 48) / 96 : -((-product + 48) / 96));
}
