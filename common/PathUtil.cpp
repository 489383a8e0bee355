#include "common/PathUtil.h"

bool isPathSeparator(char16_t c) {
#ifdef _WIN32
    return c == u'\\' || c == u'/';
#else
    return c == u'/';
#endif
}

bool pathJoin(TextBuffer* path, const char16_t* name) {
    while (*name && isPathSeparator(*name)) name++;
    if (path->length > 0 && !isPathSeparator(textChars(path)[path->length - 1])) {
        if (!textAppendChar(path, kPathSeparator)) return false;
    }
    return textAppendZ(path, name);
}

size_t pathNameStart(const char16_t* path, size_t length) {
    size_t start = 0;
    for (size_t i = 0; i < length; i++) {
        if (isPathSeparator(path[i])) start = i + 1;
    }
    return start;
}

size_t pathExtensionStart(const char16_t* path, size_t length) {
    size_t name = pathNameStart(path, length);
    for (size_t i = length; i > name; i--) {
        if (path[i - 1] == u'.') return i - 1;
    }
    return length;
}

bool pathCutToFolder(TextBuffer* path) {
    size_t start = pathNameStart(textChars(path), path->length);
    if (start == 0) return false;
    textSetLength(path, start - 1);
    return true;
}

void pathCutExtension(TextBuffer* path) {
    textSetLength(path, pathExtensionStart(textChars(path), path->length));
}
