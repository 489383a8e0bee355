#include "help/AboutText.h"

#include "common/PathUtil.h"

bool helpFilePath(const char16_t* modulePath, TextBuffer* helpPath) {
    textAssign(helpPath, modulePath);
    pathCutExtension(helpPath);
    textAppendZ(helpPath, u".chm");
    return !helpPath->failed;
}

AboutBox aboutWindowBox(int frameLeft, int frameTop, int frameRight, int frameBottom, int dialogFrameHeight,
                        int captionHeight) {
    AboutBox box;
    box.width = 274 + 2 * dialogFrameHeight;
    box.height = 75 + captionHeight + 2 * dialogFrameHeight;
    // Halved with a shift, as the window arithmetic always did: a frame far left rounds down, not to zero.
    box.x = (frameLeft + frameRight - box.width) >> 1;
    box.y = (frameTop + frameBottom - box.height) >> 1;
    return box;
}
