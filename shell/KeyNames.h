#pragma once
// The names under which keys and modifiers are shown in menus, tooltips and the customisation dialog.
// The punctuation names follow the Japanese keyboard layout, as the virtual-key codes do.

#include <cstdint>

// Name of a virtual key (only its low 8 bits count); null for a key without a name.
const char16_t* keyName(uint32_t virtualKey);
// Name of the Shift/Ctrl modifiers of accelerator flags (masked with 0x0F); null when there is none.
const char16_t* modifierName(uint32_t flags);

// The keys the customisation dialog offers, in the order it lists them.
constexpr int kNamedKeyCount = 91;
extern const uint8_t kNamedKeys[kNamedKeyCount];
