#include "ui/DialogTemplate.h"

namespace {

struct TemplateCursor {
    const uint8_t* bytes;
    size_t available;
    size_t at = 0;
    bool ok = true;

    uint16_t u16() {
        if (!ok || at > available || available - at < 2) {
            ok = false;
            return 0;
        }
        uint16_t v = static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
        at += 2;
        return v;
    }
    uint32_t u32() {
        uint32_t low = u16();
        return low | static_cast<uint32_t>(u16()) << 16;
    }
    void skip(size_t count) {
        if (!ok || count > available - at) {
            ok = false;
            return;
        }
        at += count;
    }
    // A zero-terminated UTF-16 string; copies up to `capacity` - 1 units when `out` is given.
    void string(char16_t* out = nullptr, size_t capacity = 0) {
        size_t n = 0;
        for (uint16_t c = u16(); ok && c != 0; c = u16()) {
            if (out && n + 1 < capacity) out[n++] = c;
        }
        if (out && capacity) out[n] = 0;
    }
    // sz_Or_Ord: 0 alone, 0xFFFF and an ordinal, or a string. Returns the ordinal, 0 otherwise.
    uint16_t nameOrOrdinal(char16_t* out = nullptr, size_t capacity = 0) {
        if (!ok || available - at < 2) {
            ok = false;
            return 0;
        }
        uint16_t first = static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
        if (first == 0xFFFF) {
            at += 2;
            return u16();
        }
        string(out, capacity);
        return 0;
    }
    void alignTo4() { skip((4 - at % 4) % 4); }
};

}  // namespace

bool measureDialogTemplate(const uint8_t* bytes, size_t available, DialogTemplateLayout* layout,
                           DialogItemVisitor visit, void* context) {
    *layout = DialogTemplateLayout();
    if (!bytes) return false;
    TemplateCursor cursor{bytes, available};
    uint16_t version = cursor.u16();
    uint16_t signature = cursor.u16();
    if (!cursor.ok || version != 1 || signature != 0xFFFF) return false;
    cursor.u32();  // help id
    cursor.u32();  // extended style
    layout->style = cursor.u32();
    layout->itemCount = cursor.u16();
    cursor.skip(8);  // x, y, cx, cy
    cursor.nameOrOrdinal();  // menu
    cursor.nameOrOrdinal();  // class
    cursor.string();         // title
    layout->pointSizeOffset = cursor.at;
    if (layout->style & kDialogStyleSetFont) {
        // Point size 0x7FFF asks for the message box font: the system then reads no weight, italic,
        // character set or typeface, so the template has none and there is no font block to change.
        const uint16_t pointSize = cursor.u16();
        if (pointSize != kDialogMessageBoxFont) {
            layout->hasFont = true;
            cursor.skip(4);  // weight, italic, character set
            cursor.string();
        }
    }
    for (uint16_t i = 0; i < layout->itemCount && cursor.ok; i++) {
        cursor.alignTo4();
        DialogItemInfo item;
        cursor.u32();  // help id
        cursor.u32();  // extended style
        item.style = cursor.u32();
        cursor.skip(8);
        item.id = cursor.u32();
        item.classOrdinal = cursor.nameOrOrdinal(item.className, sizeof item.className / sizeof item.className[0]);
        cursor.nameOrOrdinal();  // title, a string or a resource ordinal
        uint16_t extra = cursor.u16();
        // Creation data follows the count; it is copied along so that the item stays whole.
        cursor.skip(extra);
        if (cursor.ok && visit) visit(context, item);
    }
    if (!cursor.ok) {
        *layout = DialogTemplateLayout();
        return false;
    }
    layout->size = cursor.at;
    return true;
}
