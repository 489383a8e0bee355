#include "shell/WheelNotches.h"

// Adds `delta` to the part of a notch left from earlier messages and returns the whole notches now turned,
// negative for a backward turn; what is left stays in `remainder`. A turn the other way first drops the
// old remainder, so reversing the wheel answers within one notch of the new direction.
int32_t takeWheelNotches(int32_t* remainder, int32_t delta) {
    if ((delta > 0 && *remainder < 0) || (delta < 0 && *remainder > 0)) *remainder = 0;
    *remainder += delta;
    int32_t notches = *remainder / kWheelNotch;  // truncates toward zero: the same for both directions
    *remainder -= notches * kWheelNotch;
    return notches;
}
