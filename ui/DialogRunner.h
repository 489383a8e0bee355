#pragma once
// Dialogs run from the templates of the language module, with the point size the user chose
// (largeDialogFont: 11 points, else 9). Windows only.

#include <cstddef>
#include <cstdint>

struct HWND__;

// The same type as DLGPROC.
using DialogProcedure = intptr_t (*)(HWND__* dialog, unsigned int message, uintptr_t wParam, intptr_t lParam);

struct DialogTemplateCopy {
    uint8_t* bytes = nullptr;  // zero-initialised block of the private heap
    size_t size = 0;
    size_t pointSizeOffset = 0;
};

// Copies template `id` of the language module; false when it is missing, malformed or has no own font.
bool loadDialogTemplate(uint32_t id, DialogTemplateCopy* copy);
void freeDialogTemplate(DialogTemplateCopy* copy);
// Runs template `id` modally, owned by the frame; 0 when it cannot be shown, else the dialog's result.
intptr_t runDialog(uint32_t id, DialogProcedure procedure, intptr_t parameter, bool largeFont);
