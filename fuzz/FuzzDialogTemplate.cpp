// The dialog template walker on a template from a language module, read from exactly the bytes given.
#include <cstdint>
#include <cstring>
#include <vector>

#include "ui/DialogTemplate.h"

namespace {

void visitItem(void* context, const DialogItemInfo& item) {
    *static_cast<uint32_t*>(context) += item.id + item.classOrdinal + item.className[0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);  // exactly this many: ASan sees every over-read
    DialogTemplateLayout layout;
    uint32_t seen = 0;
    if (measureDialogTemplate(bytes.data(), bytes.size(), &layout, visitItem, &seen)) {
        // What the dialog runner relies on: the copy it makes holds the whole template and its font.
        if (layout.size > bytes.size()) __builtin_trap();
        if (layout.hasFont && layout.pointSizeOffset + 2 > layout.size) __builtin_trap();
    }
    return 0;
}
