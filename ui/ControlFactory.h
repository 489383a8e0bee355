#pragma once
// The controls that do not live in dialogs (zoom group, crop panel fields, ratio box, file list box),
// each sized from the text it shows in the shared UI font. Placement on a toolbar row is y 2 and the
// line height of appState.metrics. Windows only.

#include <cstdint>

struct HWND__;

enum class LabelWidth { Given, FromText };

// "Static" showing language text `stringId`, which is also its id.
HWND__* createTextLabel(HWND__* parent, uint32_t stringId, int x, int width, LabelWidth sizing);
// An edit with an up-down attached on its right. A width of 9 or less counts characters. Returns the edit.
HWND__* createNumberField(HWND__* parent, int editId, int spinId, int x, int width, int textLimit, int maximum,
                          int minimum, int position);
// Moves an existing child to x, y 2, `width` by the line height; sets its text when given.
void placeControl(HWND__* parent, int id, int x, int width, const char16_t* text);
// Moves the zoom edit (1031) as createNumberField places it and re-attaches up-down 1032 to it.
void placeNumberField(HWND__* parent, int x, int width);
// Attaches up-down `spin` to `edit`, just placed at its full width, at the scroll-bar width of the DPI.
void attachUpDown(HWND__* spin, HWND__* edit);
HWND__* createChoiceCombo(HWND__* parent, int x, int width);
// Item height of a dialog's owner-drawn combo box: 12 vertical dialog units in pixels, minus 4.
void fitDialogComboHeight(HWND__* dialog, int id);
HWND__* createFileListBox(HWND__* parent, int width, int height);

// DPI of `window`: its monitor's where the system tells it per window, else the system's.
int windowDpi(HWND__* window);
// A GetSystemMetrics value at `dpi`; scaled from the system's DPI where the system lacks the per-DPI call.
int systemMetricAt(int index, int dpi);

// Pixel width of `text` in the interface font.
int uiTextWidth(const char16_t* text);
// Pixel width of a number field `width` wide (characters when 9 or less).
int numberFieldWidth(int width);
