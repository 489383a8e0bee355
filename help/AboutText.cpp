#include "help/AboutText.h"

#include "common/DpiScale.h"
#include "common/PathUtil.h"

bool helpFilePath(const char16_t* modulePath, TextBuffer* helpPath) {
    return languageHelpFilePath(modulePath, u"", helpPath);
}

bool languageHelpFilePath(const char16_t* modulePath, const char16_t* tag, TextBuffer* helpPath) {
    constexpr int kMaxTagUnits = 16;
    int units = 0;
    for (; tag[units]; ++units) {
        char16_t c = tag[units];
        bool allowed = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                       c == u'-' || c == u'_';
        if (!allowed || units == kMaxTagUnits) return false;
    }
    textAssign(helpPath, modulePath);
    pathCutExtension(helpPath);
    if (units > 0) {
        textAppendZ(helpPath, u".");
        textAppendZ(helpPath, tag);
    }
    textAppendZ(helpPath, u".chm");
    return !helpPath->failed;
}

AboutBox aboutWindowBox(int frameLeft, int frameTop, int frameRight, int frameBottom, int dialogFrameHeight,
                        int captionHeight, int dpi) {
    AboutBox box;
    box.width = scaleToDpi(274, dpi) + 2 * dialogFrameHeight;
    box.height = scaleToDpi(75, dpi) + captionHeight + 2 * dialogFrameHeight;
    // Halved with a shift, as the window arithmetic always did: a frame far left rounds down, not to zero.
    box.x = (frameLeft + frameRight - box.width) >> 1;
    box.y = (frameTop + frameBottom - box.height) >> 1;
    return box;
}
