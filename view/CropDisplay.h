#pragma once
// While crop mode lasts the view paints a 24-bit copy of the picture whose outside of the crop rectangle is
// shaded. The picture record shows the copy (with a plain 24-bit header) and gets its own header and bits
// back when crop mode ends, so an accepted crop is cut from the bitmap as it was loaded.

#include "view/CropRect.h"

struct CropEditor;
struct DecodedImage;

// Keeps the picture's header and bits in the editor, makes the unshaded 24-bit source (a conversion for
// 8-bit pictures) and the display copy, and installs the copy. False when memory runs out; the picture is
// then unchanged and nothing stays allocated.
bool makeCropDisplay(CropEditor* editor, DecodedImage* picture);
// Rebuilds the copy from the source: outside the rectangle through the shade table, inside unchanged.
void buildShadedDisplay(CropEditor* editor);
// Puts the saved header and bits back and frees the copy and any conversion. Safe to call twice.
void restoreCropDisplay(CropEditor* editor, DecodedImage* picture);
// Ends crop mode's display: the picture gets its own header and bits back and, for an accepted rectangle
// smaller than the picture, is cut to it (the result to show and the pending crop to save). When the cut
// cannot be made the picture stays whole, no crop is reported and `cutFailed` is set: the caller shows
// message 30003 and ends crop mode as cancelled.
CropOutcome endCropDisplay(CropEditor* editor, DecodedImage* picture, bool accept, bool* cutFailed);
