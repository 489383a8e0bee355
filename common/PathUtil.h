#pragma once
// Path helpers over TextBuffer. Windows joins with a backslash; the POSIX build (tests, the CLI) with '/'.

#include "common/TextBuffer.h"

#ifdef _WIN32
constexpr char16_t kPathSeparator = u'\\';
#else
constexpr char16_t kPathSeparator = u'/';
#endif

bool isPathSeparator(char16_t c);
// Appends `name` to `path` with exactly one separator between them.
bool pathJoin(TextBuffer* path, const char16_t* name);
// Index just past the last separator (0 when there is none).
size_t pathNameStart(const char16_t* path, size_t length);
// Index of the last dot after the last separator, or `length` when the name has none.
size_t pathExtensionStart(const char16_t* path, size_t length);
// Cuts the buffer to its folder (without the trailing separator); false when there is no separator.
bool pathCutToFolder(TextBuffer* path);
// Cuts the extension (from the last dot of the name).
void pathCutExtension(TextBuffer* path);
