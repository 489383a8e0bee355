#include "ui/DialogRunner.h"

#include <cstring>

#include "common/WinHeaders.h"
#include "filelist/FileListWindow.h"
#include "shell/AppState.h"
#include "ui/DialogTemplate.h"

namespace {

// Short-lived blocks come from the shell's private heap; before it exists (tests), from the process heap.
HANDLE blockHeap() { return appState.privateHeap ? static_cast<HANDLE>(appState.privateHeap) : GetProcessHeap(); }

}  // namespace

bool loadDialogTemplate(uint32_t id, DialogTemplateCopy* copy) {
    *copy = DialogTemplateCopy();
    HMODULE module = appState.languageModule;
    if (!module) return false;
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
    if (!resource) return false;
    HGLOBAL loaded = LoadResource(module, resource);
    const uint8_t* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    DialogTemplateLayout layout;
    if (!measureDialogTemplate(bytes, SizeofResource(module, resource), &layout) || !layout.hasFont) return false;
    copy->bytes = static_cast<uint8_t*>(HeapAlloc(blockHeap(), HEAP_ZERO_MEMORY, layout.size));
    if (!copy->bytes) return false;
    memcpy(copy->bytes, bytes, layout.size);
    copy->size = layout.size;
    copy->pointSizeOffset = layout.pointSizeOffset;
    return true;
}

void freeDialogTemplate(DialogTemplateCopy* copy) {
    if (copy->bytes) HeapFree(blockHeap(), 0, copy->bytes);
    *copy = DialogTemplateCopy();
}

intptr_t runDialog(uint32_t id, DialogProcedure procedure, intptr_t parameter, bool largeFont) {
    DialogTemplateCopy copy;
    if (!loadDialogTemplate(id, &copy)) return 0;
    uint16_t points = largeFont ? 11 : 9;
    memcpy(copy.bytes + copy.pointSizeOffset, &points, sizeof points);
    FileListDisabled disabled;
    intptr_t result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(copy.bytes),
                                              appState.frame, procedure, parameter);
    freeDialogTemplate(&copy);
    return result;
}
