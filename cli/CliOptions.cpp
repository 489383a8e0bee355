#include "cli/CliOptions.h"

namespace {

bool same(const char16_t* a, const char* b) {
    while (*a && *b && *a == char16_t(static_cast<unsigned char>(*b))) {
        a++;
        b++;
    }
    return *a == 0 && *b == 0;
}

// Reads an unsigned decimal number that fits 32 bits; `text` moves past it.
bool readNumber(const char16_t** text, uint32_t* value) {
    const char16_t* p = *text;
    uint64_t number = 0;
    if (*p < u'0' || *p > u'9') return false;
    while (*p >= u'0' && *p <= u'9') {
        number = number * 10 + uint32_t(*p - u'0');
        if (number > 0xFFFFFFFFu) return false;
        p++;
    }
    *value = static_cast<uint32_t>(number);
    *text = p;
    return true;
}

void usageProblem(CliOptions* options, const char* what, const char16_t* argument) {
    options->action = CliAction::Usage;
    textClear(&options->problem);
    textAppendAscii(&options->problem, what);
    if (argument) {
        textAppendAscii(&options->problem, ": ");
        textAppendZ(&options->problem, argument);
    }
}

// One option at `arguments[*index]`, with its value from the next argument when it takes one. False
// when the option is not known or its value is bad (options->action is then Usage).
bool parseOption(int count, const char16_t* const* arguments, int* index, CliOptions* options) {
    const char16_t* name = arguments[*index];
    if (same(name, "--help") || same(name, "-h")) {
        options->action = CliAction::Help;
        return true;
    }
    if (same(name, "--grayscale")) {
        options->grayscale = true;
        return true;
    }
    if (same(name, "--progressive")) {
        options->progressive = true;
        return true;
    }
    if (same(name, "--no-verify")) {
        options->verify = false;
        return true;
    }
    if (same(name, "--info")) {
        if (options->action != CliAction::Help) options->action = CliAction::Info;
        return true;
    }
    const bool isCrop = same(name, "--crop");
    const bool isMarkers = same(name, "--markers");
    const bool isBitmap = same(name, "--bmp");
    if (!isCrop && !isMarkers && !isBitmap) {
        usageProblem(options, "unknown option", name);
        return false;
    }
    if (*index + 1 >= count) {
        usageProblem(options, "missing value after", name);
        return false;
    }
    const char16_t* value = arguments[++*index];
    if (isBitmap) {
        if (options->action != CliAction::Help) options->action = CliAction::Bitmap;
        options->bitmapPath = value;
        return true;
    }
    if (isCrop) {
        if (!parseCropGeometry(value, &options->crop)) {
            usageProblem(options, "--crop wants WxH+X+Y", value);
            return false;
        }
        options->cropEnabled = true;
        return true;
    }
    if (same(value, "none")) {
        options->markerCopyMode = kCopyNoMarkers;
    } else if (same(value, "comments")) {
        options->markerCopyMode = kCopyComments;
    } else if (same(value, "all")) {
        options->markerCopyMode = kCopyAllMarkers;
    } else {
        usageProblem(options, "--markers wants none, comments or all", value);
        return false;
    }
    return true;
}

}  // namespace

bool parseCropGeometry(const char16_t* text, CropRequest* crop) {
    CropRequest parsed;
    if (!readNumber(&text, &parsed.width) || *text++ != u'x') return false;
    if (!readNumber(&text, &parsed.height) || *text++ != u'+') return false;
    if (!readNumber(&text, &parsed.left) || *text++ != u'+') return false;
    if (!readNumber(&text, &parsed.top) || *text != 0) return false;
    *crop = parsed;
    return true;
}

void parseCliOptions(int count, const char16_t* const* arguments, CliOptions* options) {
    int files = 0;
    bool optionsEnded = false;
    for (int i = 0; i < count; i++) {
        const char16_t* argument = arguments[i];
        if (!optionsEnded && same(argument, "--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument[0] == u'-' && argument[1] != 0) {
            if (!parseOption(count, arguments, &i, options)) return;
            continue;
        }
        if (files == 0) {
            options->input = argument;
        } else if (files == 1) {
            options->output = argument;
        } else {
            usageProblem(options, "too many file names", argument);
            return;
        }
        files++;
    }
    if (options->action == CliAction::Help) return;
    if (options->action == CliAction::Info || options->action == CliAction::Bitmap) {
        // Both read INPUT only.
        if (files == 0) usageProblem(options, "INPUT is missing", nullptr);
        if (files > 1) usageProblem(options, "too many file names", options->output);
        return;
    }
    if (files < 2) usageProblem(options, files == 0 ? "INPUT and OUTPUT are missing" : "OUTPUT is missing", nullptr);
}

const char* cliUsageText() {
    return "usage: trimwell-crop [--crop WxH+X+Y] [--grayscale] [--progressive] [--markers none|comments|all]\n"
           "                     [--no-verify] INPUT OUTPUT\n"
           "       trimwell-crop --info INPUT\n"
           "       trimwell-crop --bmp OUT.bmp INPUT\n"
           "\n"
           "Writes a losslessly cropped copy of the JPEG file INPUT to OUTPUT: the picture's coded blocks are\n"
           "copied, never decoded and compressed again.\n"
           "\n"
           "  --crop WxH+X+Y   keep W x H pixels from column X, row Y; X and Y move left and up to the\n"
           "                   picture's block grid (8 or 16 pixels). Without it the whole picture is copied.\n"
           "  --grayscale      keep only the luminance (colour YCbCr and grayscale pictures)\n"
           "  --progressive    write a progressive JPEG (default: sequential)\n"
           "  --markers MODE   source segments to keep: none, comments, or all (default: all; Exif pixel\n"
           "                   sizes are set to the new size)\n"
           "  --no-verify      do not read the new file back to compare it with the picture's blocks\n"
           "  --info           print width, height, bits, components, grid, progressive, exif and thumbnail\n"
           "                   (its length in bytes, or none) of INPUT, one \"key value\" per line\n"
           "  --bmp OUT.bmp    write the picture as the program shows it, as a Windows bitmap file\n"
           "  --help           show this text\n"
           "\n"
           "With --markers all, a crop (or a grayscale copy of a colour picture) gets a new Exif thumbnail made\n"
           "from the cropped picture.\n"
           "\n"
           "OUTPUT is replaced only when the new file is complete and, read back from the disk, holds exactly the\n"
           "blocks, tables and segments it was written with. Exit status: 0 done, 1 failed, 2 bad usage.\n";
}
