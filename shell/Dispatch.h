#pragma once
// The one dispatcher of commands (menus, toolbars, accelerators, the crop keys, mouse bindings) and the
// transitions between the application states.

#include <cstdint>

// Low word: the command; high word: 1 from an accelerator or the crop-key hook, 0 otherwise.
void dispatchCommand(uint32_t value);

enum class CropExit { accept, cancel };
// Ends crop mode (nothing happens outside it); accepting applies the selection when it is a real crop.
void leaveCropMode(CropExit exit);
// Button states of toolbar 2 from the picture and the save options.
void refreshToolbar2States();
