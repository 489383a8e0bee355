#pragma once
// The zoom group on toolbar 1 (the "Zoom" label dragged to zoom, the percentage edit with its up-down,
// the unit) and the label's window class.

#include "common/WinHeaders.h"

bool registerZoomLabelClass(HINSTANCE instance);
// The group's controls on toolbar 1; placeZoomGroup puts them inside the placeholder button and returns
// the width the placeholder must take, again after a font or DPI change.
bool createZoomGroup();
int placeZoomGroup();
// TTM_ADDTOOLW at creation, TTM_SETTOOLINFOW afterwards.
void setZoomEditTooltip(UINT message);
// Toolbar 1's WM_COMMAND from the edit, and its WM_CTLCOLOREDIT: the limits and values beyond them coloured.
void onZoomEditCommand(int notification);
LRESULT zoomEditColour(HDC dc);
// The zoom as a percentage in the edit, unless the user is typing it.
void showZoomPercent();
