#pragma once
// What the shell does with the end of crop mode: an accepted rectangle smaller than the picture becomes the
// crop request that the next save applies, and the cut picture is shown as the document, modified.

#include "engine/CropRequest.h"
#include "view/CropRect.h"

// The engine's window for an inclusive rectangle: its origin and its size (right − left + 1 by
// bottom − top + 1).
CropRequest cropRequestFromRect(const CropRect& rect);
// Takes over the outcome of ending the crop display. `cutFailed` means the cut picture could not be made:
// message 30003, and the picture stays as it was. Without a pending crop (cancelled, or the whole picture
// accepted) nothing changes. True when a crop is now applied; the view, title and toolbar states then show
// it. Call it with cropMode already cleared.
bool applyAcceptedCrop(const CropOutcome& outcome, bool cutFailed);
