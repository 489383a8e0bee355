#pragma once
// The context and shading popups (owner-drawn, each item showing its shortcut), the accelerator table
// made from the binding rows, and the mouse bindings.

#include "common/WinHeaders.h"
#include "shell/BindingTable.h"

// Creates the three menus and fills them from `rows` (null: no key names).
bool createMenus(const BindingTable* rows);
// Fills the three empty menus and sets each row's CommandItem from `rows` (null: no key names).
void buildMenus(const BindingTable* rows);
void destroyMenus();
// The accelerator table for the rows with a key; null when none has one.
HACCEL createAcceleratorTable(const BindingTable& rows);
// Copies the live accelerator table out (at most 24 entries); returns the count.
int copyAcceleratorTable(HACCEL table, CommandBinding* entries);
// After the customisation dialog: new accelerator table from the rows, new menus.
void rebuildMenusFromRows(const BindingTable& rows);
// After a language or font change: rows from the live accelerator table, new menus.
void rebuildMenusFromAccelerators();

void initMenuStates(HMENU menu);
// For WM_CONTEXTMENU; true when the message should get default processing instead.
bool showContextMenu(HWND sourceWindow, POINT screenPoint);
void showShadingMenu();
void measureMenuItem(MEASUREITEMSTRUCT* item);
void drawMenuItem(const DRAWITEMSTRUCT* item);

enum MouseSlot { kMouseSlotUnused, kMouseSlotChord, kMouseSlotMiddle, kMouseSlotX1, kMouseSlotX2,
                 kMouseSlotWheelForward, kMouseSlotWheelBackward };
// Runs the command bound to `slot`, zooming about `viewPoint` first for the zoom commands.
void mouseBinding(int slot, POINT viewPoint);
// WM_MBUTTONDOWN and WM_XBUTTONDOWN of the view.
bool middleOrExtraButton(UINT message, WPARAM wParam, POINT viewPoint);
// WM_MOUSEWHEEL of the frame.
void onFrameMouseWheel(WPARAM wParam, LPARAM lParam);
