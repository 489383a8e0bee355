#pragma once
// Wheel messages carry any part of a notch: a high-resolution wheel or a touchpad sends many small deltas
// for one notch of a classic wheel. The mouse bindings step once per whole notch and keep the rest.

#include <cstdint>

constexpr int32_t kWheelNotch = 120;  // WHEEL_DELTA

int32_t takeWheelNotches(int32_t* remainder, int32_t delta);
