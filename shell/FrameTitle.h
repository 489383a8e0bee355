#pragma once
// The frame's title: "name  ( WxH  24bit )" with a picture, "Trimwell" without one.

#include <cstdint>

#include "common/TextBuffer.h"

constexpr const char16_t* kProgramTitle = u"Trimwell";

// `path` may be null or empty when no picture is loaded; the name is the text after the last backslash.
bool formatFrameTitle(const char16_t* path, bool imageLoaded, uint32_t width, uint32_t height, uint32_t bitCount,
                      TextBuffer* title);
