#pragma once
// The command line of trimwell-crop: what it was asked to do, and the parser that fills that in.

#include <cstdint>

#include "common/TextBuffer.h"
#include "engine/CropTransform.h"

enum class CliAction {
    Crop,   // write the cropped copy of `input` to `output`
    Info,   // print what the program would show of `input`
    Bitmap, // write the display bitmap of `input` to `bitmapPath` as a .bmp file
    Help,   // print the usage text and succeed
    Usage,  // bad command line: print why and the usage text, exit 2
};

struct CliOptions {
    CliAction action = CliAction::Crop;
    bool cropEnabled = false;
    CropRequest crop;
    bool grayscale = false;
    bool progressive = false;
    bool verify = true;  // read OUTPUT back and compare it before it replaces anything
    int32_t markerCopyMode = kCopyAllMarkers;
    const char16_t* input = nullptr;  // point into the argument list
    const char16_t* output = nullptr;
    const char16_t* bitmapPath = nullptr;  // --bmp OUT.bmp
    TextBuffer problem;  // what is wrong with the command line when action is Usage
};

// Parses `arguments` (without the program name). Sets action to Usage and fills `problem` on bad input.
void parseCliOptions(int count, const char16_t* const* arguments, CliOptions* options);
// Parses "WxH+X+Y" (unsigned decimal numbers) into `crop`.
bool parseCropGeometry(const char16_t* text, CropRequest* crop);
const char* cliUsageText();
