#pragma once
// Growable UTF-16 text with an explicit length, always zero-terminated. A failed growth empties the
// buffer and marks it failed, so that later appends do nothing and callers check once at the end.

#include <cstddef>
#include <cstdint>

struct TextBuffer {
    char16_t* data = nullptr;  // null until the first growth; textChars() never returns null
    size_t length = 0;         // in UTF-16 units, without the terminator
    size_t capacityBytes = 0;
    bool failed = false;

    TextBuffer() = default;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;
    ~TextBuffer();
};

const char16_t* textChars(const TextBuffer* text);
bool textReserve(TextBuffer* text, size_t units);  // room for `units` units plus the terminator
void textClear(TextBuffer* text);                  // length 0, keeps the memory
void textFree(TextBuffer* text);
bool textSetLength(TextBuffer* text, size_t units);
bool textAppend(TextBuffer* text, const char16_t* chars, size_t count);
bool textAppendZ(TextBuffer* text, const char16_t* chars);
bool textAppendChar(TextBuffer* text, char16_t c);
bool textAppendAscii(TextBuffer* text, const char* ascii);
bool textAppendUtf8(TextBuffer* text, const char* utf8, size_t bytes);
bool textAppendNumber(TextBuffer* text, long long value);
bool textAssign(TextBuffer* text, const char16_t* chars);
bool textAssignUtf8(TextBuffer* text, const char* utf8);
bool textAssignText(TextBuffer* text, const TextBuffer* from);
bool textEquals(const TextBuffer* text, const char16_t* chars);

size_t textLength16(const char16_t* chars);
// Case-insensitive comparison folding only the ASCII letters A to Z.
int compareNoCaseAscii(const char16_t* a, const char16_t* b);

// UTF-8 copy of a UTF-16 text, for POSIX file names and messages; malloc'ed, caller frees. Null on failure.
char* utf8FromText(const char16_t* chars, size_t count);
