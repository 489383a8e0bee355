#include "filelist/FileList.h"

#include <algorithm>
#include <new>

#include "common/PathUtil.h"
#include "filelist/FolderScan.h"
#include "filelist/NaturalOrder.h"

FileList gFileList;

namespace {

const char16_t* const kPassExtensions[kJpegPassCount] = {u".jpg", u".jpe", u".jpeg"};

char16_t foldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; }

bool takeName(void* context, const char16_t* name) {
    FileList* list = static_cast<FileList*>(context);
    // Files that appeared after the count are left out once the room is used up.
    if (list->count >= list->capacity) return false;
    TextBuffer& slot = list->names[list->count];
    if (!textAssign(&slot, name)) return true;
    list->count++;
    return list->count < list->capacity;
}

void collectPass(FileList* list, const char16_t* folder, int pass) {
    const char16_t* extension = kPassExtensions[pass];
    struct Pass {
        FileList* list;
        int pass;
    } context = {list, pass};
    scanFolderFiles(folder, extension,
                    [](void* raw, const char16_t* name) {
                        Pass* p = static_cast<Pass*>(raw);
                        if (!takenInPass(name, textLength16(name), p->pass)) return true;
                        return takeName(p->list, name);
                    },
                    &context);
}

void moveText(TextBuffer* to, TextBuffer* from) {
    to->data = from->data;
    to->length = from->length;
    to->capacityBytes = from->capacityBytes;
    from->data = nullptr;
    from->length = from->capacityBytes = 0;
}

// The names in natural order: the texts move to a new array, their buffers stay.
bool sortNames(FileList* list) {
    size_t* order = new (std::nothrow) size_t[list->count];
    TextBuffer* sorted = new (std::nothrow) TextBuffer[list->capacity];
    if (!order || !sorted) {
        delete[] order;
        delete[] sorted;
        return false;
    }
    for (size_t i = 0; i < list->count; ++i) order[i] = i;
    const TextBuffer* names = list->names;
    std::sort(order, order + list->count,
              [names](size_t a, size_t b) { return naturalLess(textChars(&names[a]), textChars(&names[b])); });
    for (size_t i = 0; i < list->count; ++i) moveText(&sorted[i], &list->names[order[i]]);
    delete[] order;
    delete[] list->names;
    list->names = sorted;
    return true;
}

}  // namespace

const char16_t* jpegPassExtension(int pass) { return kPassExtensions[pass]; }

bool takenInPass(const char16_t* name, size_t length, int pass) {
    const char16_t* extension = kPassExtensions[pass];
    size_t extensionLength = textLength16(extension);
    if (length <= extensionLength) return false;
    const char16_t* tail = name + length - extensionLength;
    for (size_t i = 0; i < extensionLength; ++i)
        if (foldAscii(tail[i]) != extension[i]) return false;
    return true;
}

bool fileListFolder(const char16_t* picturePath, TextBuffer* folder) {
    size_t length = textLength16(picturePath);
    size_t nameStart = pathNameStart(picturePath, length);
    textClear(folder);
    if (nameStart == 0) return false;
    textAppend(folder, picturePath, nameStart - 1);
    // "C:" or "" (a path at the root of the current drive, or "/" on POSIX): keep the separator.
    if (folder->length == 0 || textChars(folder)[folder->length - 1] == u':') textAppendChar(folder, kPathSeparator);
    return !folder->failed;
}

void releaseFileNames(FileList* list) {
    delete[] list->names;
    list->names = nullptr;
    list->count = 0;
    list->capacity = 0;
    list->selectedIndex = -1;
}

bool collectFileList(FileList* list, const char16_t* folder, const char16_t* openName) {
    releaseFileNames(list);
    size_t capacity = 0;
    if (!countFolderFiles(folder, &capacity) || capacity == 0) return false;
    list->names = new (std::nothrow) TextBuffer[capacity];
    if (!list->names) return false;
    list->capacity = capacity;
    for (int pass = 0; pass < kJpegPassCount && list->count < list->capacity; ++pass) collectPass(list, folder, pass);
    if (list->count == 0 || !sortNames(list)) {
        releaseFileNames(list);
        return false;
    }
    list->selectedIndex = openName ? findListedName(list, openName) : -1;
    return true;
}

int findListedName(const FileList* list, const char16_t* name) {
    if (!list->names) return -1;
    size_t length = textLength16(name);
    for (size_t i = 0; i < list->count; ++i) {
        const TextBuffer& entry = list->names[i];
        if (entry.length == length && compareNoCaseAscii(textChars(&entry), name) == 0) return int(i);
    }
    return -1;
}

ListPosition placeFileListWindow(const ListPlacementInput& input) {
    ListPosition position = {input.frameLeft - input.windowWidth, input.frameTop};
    if (position.x < input.workLeft) position = {input.rebarLeft, input.rebarBottom};
    return position;
}
