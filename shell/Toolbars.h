#pragma once
// The rebar at the top of the frame with toolbar 1 (file and zoom commands, the zoom group) and toolbar 2
// (save options and the crop button), the crop toolbar that replaces toolbar 2 in crop mode, and the
// shared tooltip window.

#include "common/WinHeaders.h"

bool createTooltipWindow();
bool createBars();
void destroyBars();
void relayoutBars();
// TTM_ADDTOOLW at creation, TTM_SETTOOLINFOW afterwards.
void updateTooltips(UINT message);
void refreshToolbar1States();
// Crop mode: the crop toolbar (its full width is returned), its place in band 2 with at least
// `minWidth` pixels (again once its panel controls are added), and toolbar 2 back into band 2.
int createCropToolbar();
void placeCropToolbar(int minWidth);
void removeCropToolbar();
// Bottom edge of the rebar in frame client coordinates.
int rebarBottom();
// Maximizes band 2 when the rebar has a single row.
void maximizeSecondBandIfOneRow();
// WM_NOTIFY from the rebar or a toolbar.
LRESULT onBarNotify(const NMHDR* header);
// Check state of a toolbar-2 button.
bool toolbar2Checked(int command);
