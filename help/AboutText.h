#pragma once
// What the help and about commands show and open, and the arithmetic of the about window: portable, so
// that it is tested natively as well.

#include "common/TextBuffer.h"
#include "common/Version.h"

constexpr const char16_t* kProductLine = u"Trimwell version " TW_VERSION_TEXT " (64-bit)";
constexpr const char16_t* kMakerLine = u"Made by Morvane";
constexpr const char16_t* kMakerSite = u"https://www.morvane.example/";
constexpr const char16_t* kOnlineHelpPage = u"https://www.morvane.example/trimwell/help/";

// The help file beside the program: the module path cut at the last dot after its last separator (the
// whole path when the name has none), then ".chm".
bool helpFilePath(const char16_t* modulePath, TextBuffer* helpPath);

struct AboutBox {
    int x, y, width, height;
};
// 274 x 75 client pixels at 96 DPI (scaled to `dpi`) in a dialog frame under a caption, centred on the
// frame window's rectangle.
AboutBox aboutWindowBox(int frameLeft, int frameTop, int frameRight, int frameBottom, int dialogFrameHeight,
                        int captionHeight, int dpi = 96);

// The help file of one language: the module path cut as above, "." and the language module's tag, then
// ".chm"; the plain help file for an empty tag. False for a tag that is not a short run of letters,
// digits, "-" and "_", so that a module's text can never lead out of the program's folder.
bool languageHelpFilePath(const char16_t* modulePath, const char16_t* tag, TextBuffer* helpPath);
