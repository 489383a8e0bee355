#include "common/TextBuffer.h"

#include <cstdlib>
#include <cstring>

static const char16_t kEmpty[1] = {0};

TextBuffer::~TextBuffer() { textFree(this); }

const char16_t* textChars(const TextBuffer* text) { return text->data ? text->data : kEmpty; }

void textFree(TextBuffer* text) {
    free(text->data);
    text->data = nullptr;
    text->length = 0;
    text->capacityBytes = 0;
}

static void failText(TextBuffer* text) {
    textFree(text);
    text->failed = true;
}

// Capacity grows to 2 × length + 128 bytes, rounded down to 128, and new memory is zero-filled.
bool textReserve(TextBuffer* text, size_t units) {
    if (text->failed) return false;
    size_t needBytes = (units + 1) * sizeof(char16_t);
    if (needBytes <= text->capacityBytes) return true;
    if (units > (SIZE_MAX / 8)) {
        failText(text);
        return false;
    }
    size_t newBytes = (2 * needBytes + 128) & ~static_cast<size_t>(127);
    auto* grown = static_cast<char16_t*>(realloc(text->data, newBytes));
    if (!grown) {
        failText(text);
        return false;
    }
    memset(reinterpret_cast<char*>(grown) + text->capacityBytes, 0, newBytes - text->capacityBytes);
    text->data = grown;
    text->capacityBytes = newBytes;
    return true;
}

void textClear(TextBuffer* text) {
    text->failed = false;
    text->length = 0;
    if (text->data) text->data[0] = 0;
}

bool textSetLength(TextBuffer* text, size_t units) {
    if (!textReserve(text, units)) return false;
    text->length = units;
    text->data[units] = 0;
    return true;
}

bool textAppend(TextBuffer* text, const char16_t* chars, size_t count) {
    if (!textReserve(text, text->length + count)) return false;
    if (count) memmove(text->data + text->length, chars, count * sizeof(char16_t));
    text->length += count;
    text->data[text->length] = 0;
    return true;
}

size_t textLength16(const char16_t* chars) {
    size_t n = 0;
    while (chars[n]) n++;
    return n;
}

bool textAppendZ(TextBuffer* text, const char16_t* chars) { return textAppend(text, chars, textLength16(chars)); }

bool textAppendChar(TextBuffer* text, char16_t c) { return textAppend(text, &c, 1); }

bool textAppendAscii(TextBuffer* text, const char* ascii) {
    size_t n = strlen(ascii);
    if (!textReserve(text, text->length + n)) return false;
    for (size_t i = 0; i < n; i++) text->data[text->length + i] = static_cast<unsigned char>(ascii[i]);
    text->length += n;
    text->data[text->length] = 0;
    return true;
}

// Invalid sequences become U+FFFD rather than failing: messages and names are shown, never parsed.
bool textAppendUtf8(TextBuffer* text, const char* utf8, size_t bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(utf8);
    size_t i = 0;
    while (i < bytes) {
        uint32_t c = s[i];
        int extra = 0;
        if (c < 0x80) extra = 0;
        else if ((c & 0xE0) == 0xC0) { c &= 0x1F; extra = 1; }
        else if ((c & 0xF0) == 0xE0) { c &= 0x0F; extra = 2; }
        else if ((c & 0xF8) == 0xF0) { c &= 0x07; extra = 3; }
        else { c = 0xFFFD; extra = -1; }
        i++;
        if (extra > 0) {
            if (i + extra > bytes) { c = 0xFFFD; i = bytes; }
            else {
                for (int k = 0; k < extra; k++) {
                    if ((s[i] & 0xC0) != 0x80) { c = 0xFFFD; break; }
                    c = (c << 6) | (s[i] & 0x3F);
                    i++;
                }
            }
        }
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        if (c >= 0x10000) {
            c -= 0x10000;
            char16_t pair[2] = {static_cast<char16_t>(0xD800 + (c >> 10)), static_cast<char16_t>(0xDC00 + (c & 0x3FF))};
            if (!textAppend(text, pair, 2)) return false;
        } else if (!textAppendChar(text, static_cast<char16_t>(c))) {
            return false;
        }
    }
    return !text->failed;
}

bool textAppendNumber(TextBuffer* text, long long value) {
    char digits[24];
    int n = 0;
    unsigned long long v = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    if (value < 0) digits[n++] = '-';
    char out[24];
    for (int i = 0; i < n; i++) out[i] = digits[n - 1 - i];
    out[n] = 0;
    return textAppendAscii(text, out);
}

bool textAssign(TextBuffer* text, const char16_t* chars) {
    textClear(text);
    return textAppendZ(text, chars);
}

bool textAssignUtf8(TextBuffer* text, const char* utf8) {
    textClear(text);
    return textAppendUtf8(text, utf8, strlen(utf8));
}

bool textAssignText(TextBuffer* text, const TextBuffer* from) {
    if (text == from) return !text->failed;
    textClear(text);
    return textAppend(text, textChars(from), from->length);
}

bool textEquals(const TextBuffer* text, const char16_t* chars) {
    size_t n = textLength16(chars);
    return n == text->length && (n == 0 || memcmp(text->data, chars, n * sizeof(char16_t)) == 0);
}

static char16_t foldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

int compareNoCaseAscii(const char16_t* a, const char16_t* b) {
    for (;; a++, b++) {
        char16_t x = foldAscii(*a), y = foldAscii(*b);
        if (x != y) return x < y ? -1 : 1;
        if (!x) return 0;
    }
}

char* utf8FromText(const char16_t* chars, size_t count) {
    char* out = static_cast<char*>(malloc(count * 3 + 1));
    if (!out) return nullptr;
    size_t o = 0;
    for (size_t i = 0; i < count; i++) {
        uint32_t c = chars[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && chars[i + 1] >= 0xDC00 && chars[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (chars[i + 1] - 0xDC00);
            i++;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) out[o++] = static_cast<char>(c);
        else if (c < 0x800) { out[o++] = static_cast<char>(0xC0 | (c >> 6)); out[o++] = static_cast<char>(0x80 | (c & 0x3F)); }
        else if (c < 0x10000) {
            out[o++] = static_cast<char>(0xE0 | (c >> 12));
            out[o++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[o++] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out[o++] = static_cast<char>(0xF0 | (c >> 18));
            out[o++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out[o++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[o++] = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out[o] = 0;
    return out;
}
