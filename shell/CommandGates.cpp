#include "shell/CommandGates.h"

#include "shell/AppState.h"
#include "shell/CommandIds.h"

bool commandGateOpen(uint32_t command, const AppState& state, bool fileListExists) {
    switch (command) {
    case CMD_REVERT:
    case CMD_SAVE_AS: return !state.cropMode && state.imageLoaded;
    case CMD_SAVE: return !state.cropMode && state.imageLoaded && state.currentPath.length != 0;
    case CMD_HELP:
    case CMD_ABOUT:
    case CMD_OPEN: return !state.cropMode;
    case CMD_FILE_LIST: return !state.cropMode && fileListExists;
    case CMD_ZOOM_FIT:
    case CMD_ZOOM_100:
    case CMD_ZOOM_TOGGLE:
    case CMD_ZOOM_IN:
    case CMD_ZOOM_OUT: return state.imageLoaded;
    case CMD_CROP: return state.imageLoaded || !state.cropMode;
    case CMD_CROP_MAXIMAL: return state.cropEditor != nullptr;
    case CMD_CUSTOMIZE:
    case CMD_OPTIONS:
    case CMD_SHADING_MENU:
    case CMD_SHADE_HALF:
    case CMD_SHADE_QUARTER:
    case CMD_SHADE_EIGHTH:
    case CMD_SHADE_BLACK:
    case CMD_SHADE_GREY:
    case CMD_SHADE_WHITE:
    case CMD_SAVE_GRAYSCALE:
    case CMD_SAVE_PROGRESSIVE:
    case CMD_MARKERS_NONE:
    case CMD_MARKERS_COMMENTS:
    case CMD_MARKERS_ALL:
    case CMD_CROP_ACCEPT:
    case CMD_CROP_CANCEL: return true;
    }
    return false;
}

// Esc while the first band is drawn with the button held cancels, as it does with the button up: only
// a drag of a committed rectangle keeps it from leaving crop mode.
bool acceleratorIgnored(uint32_t value, const AppState& state) {
    if ((value >> 16) != CMD_SOURCE_ACCELERATOR || state.dragMode == 0) return false;
    const bool drawingBand = state.cropMode && state.dragMode == 1 && state.cropState < 3;
    return !(drawingBand && (value & 0xFFFF) == CMD_CROP_CANCEL);
}

int maskShadingOf(uint32_t command) {
    switch (command) {
    case CMD_SHADE_HALF: return 1;
    case CMD_SHADE_QUARTER: return 2;
    case CMD_SHADE_EIGHTH: return 3;
    case CMD_SHADE_BLACK: return 0;
    case CMD_SHADE_GREY: return 128;
    case CMD_SHADE_WHITE: return 255;
    }
    return -1;
}
