#include "shell/FrameTitle.h"

bool formatFrameTitle(const char16_t* path, bool imageLoaded, uint32_t width, uint32_t height, uint32_t bitCount,
                      TextBuffer* title) {
    textClear(title);
    if (!imageLoaded || !path) return textAssign(title, kProgramTitle);
    // Always the backslash: the title shows Windows paths, also when this runs in the native tests.
    const char16_t* name = path;
    for (const char16_t* c = path; *c; ++c)
        if (*c == u'\\') name = c + 1;
    textAppendZ(title, name);
    textAppendAscii(title, "  ( ");
    textAppendNumber(title, width);
    textAppendChar(title, u'x');
    textAppendNumber(title, height);
    textAppendAscii(title, "  ");
    textAppendNumber(title, bitCount);
    textAppendAscii(title, "bit )");
    return !title->failed;
}
