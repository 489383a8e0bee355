#pragma once
// Walks an extended dialog template (DLGTEMPLATEEX) to find its size and the place of its point size,
// so that a private copy can be made and given the dialog font size the user chose. Every read is
// checked against the bytes available: a template from a language module is input, not our data.

#include <cstddef>
#include <cstdint>

constexpr uint32_t kDialogStyleSetFont = 0x40;  // DS_SETFONT
constexpr uint16_t kDialogMessageBoxFont = 0x7FFF;  // point size: the message box font, no font block follows

struct DialogTemplateLayout {
    size_t size = 0;              // bytes up to the end of the last item
    size_t pointSizeOffset = 0;   // directly after the title; meaningful only with a font
    uint32_t style = 0;
    uint16_t itemCount = 0;
    bool hasFont = false;  // a whole font block (point size to typeface) follows the title
};

struct DialogItemInfo {
    uint32_t id = 0;
    uint32_t style = 0;
    uint16_t classOrdinal = 0;    // 0x80 button, 0x81 edit, 0x82 static, 0x83 list box, 0x85 combo box; 0 for a name
    char16_t className[64] = {};  // the class name when it is not an ordinal, cut to 63 units
};

using DialogItemVisitor = void (*)(void* context, const DialogItemInfo& item);

// False when the bytes are not a whole extended template. `visit` (optional) sees every item.
bool measureDialogTemplate(const uint8_t* bytes, size_t available, DialogTemplateLayout* layout,
                           DialogItemVisitor visit = nullptr, void* context = nullptr);
