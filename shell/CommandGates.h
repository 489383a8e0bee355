#pragma once
// The state checks of the dispatcher, kept apart from the window code so that the rules can be tested
// without windows.

#include <cstdint>

struct AppState;

// Whether `command` may run in the present state (its gate); unknown commands never run. The
// accelerator-during-drag rule is separate (acceleratorIgnored).
bool commandGateOpen(uint32_t command, const AppState& state, bool fileListExists);
// An accelerator is ignored while a mouse drag on the view or the zoom label is in progress, but for Esc
// while the first band is drawn with the button held.
bool acceleratorIgnored(uint32_t value, const AppState& state);
// The maskShading value of a shading command, -1 for any other command.
int maskShadingOf(uint32_t command);
