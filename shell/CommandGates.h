#pragma once
// The state checks of the dispatcher and the zoom steps, kept apart from the window code so that the
// rules can be tested without windows.

#include <cstdint>

struct AppState;

constexpr double kMinZoom = 0.01;
constexpr double kMaxZoom = 16.0;
constexpr double kZoomStep = 0.1;

// Whether `command` may run in the present state (its gate); unknown commands never run. The
// accelerator-during-drag rule is separate (acceleratorIgnored).
bool commandGateOpen(uint32_t command, const AppState& state, bool fileListExists);
// An accelerator is ignored while a mouse drag on the view or the zoom label is in progress.
bool acceleratorIgnored(uint32_t value, const AppState& state);
// The zoom after one zoom-in or zoom-out step; unchanged at the limit itself.
double zoomInFrom(double zoom);
double zoomOutFrom(double zoom);
// Scaled size of one side: trunc(side × zoom + 0.5), at least 1.
int32_t zoomedExtent(uint32_t side, double zoom);
// The maskShading value of a shading command, -1 for any other command.
int maskShadingOf(uint32_t command);
