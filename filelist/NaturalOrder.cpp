#include "filelist/NaturalOrder.h"

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Windows' collation puts the apostrophe and the hyphen first, then the space and the other punctuation,
// the symbols + < = > after them, and the letters last, each letter with its other case. Characters
// outside ASCII follow, by their code. Digits never get here: a digit run sorts before any other character.
unsigned weightOf(char16_t c) {
    static const char kPunctuation[] = "'- !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";
    if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
    if (c >= u'A' && c <= u'Z') return 0x100 + (c - u'A');
    if (c < 0x80) {
        for (unsigned i = 0; kPunctuation[i]; ++i)
            if (char16_t(kPunctuation[i]) == c) return 0x10 + i;
        return c;  // control characters, which no file name holds
    }
    return 0x200 + c;
}

// Compares the digit runs at *a and *b by value and moves both past their runs.
int compareDigitRuns(const char16_t** a, const char16_t** b) {
    const char16_t* x = *a;
    const char16_t* y = *b;
    while (*x == u'0' && isDigit(x[1])) ++x;
    while (*y == u'0' && isDigit(y[1])) ++y;
    const char16_t* xEnd = x;
    const char16_t* yEnd = y;
    while (isDigit(*xEnd)) ++xEnd;
    while (isDigit(*yEnd)) ++yEnd;
    *a = xEnd;
    *b = yEnd;
    if (xEnd - x != yEnd - y) return xEnd - x < yEnd - y ? -1 : 1;
    for (; x < xEnd; ++x, ++y)
        if (*x != *y) return *x < *y ? -1 : 1;
    return 0;
}

}  // namespace

int compareCodeUnits(const char16_t* a, const char16_t* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

int compareNatural(const char16_t* a, const char16_t* b) {
    while (*a) {
        if (!*b) return 1;
        if (isDigit(*a)) {
            if (!isDigit(*b)) return -1;
            int order = compareDigitRuns(&a, &b);
            if (order != 0) return order;
            continue;
        }
        if (isDigit(*b)) return 1;
        unsigned x = weightOf(*a), y = weightOf(*b);
        if (x != y) return x < y ? -1 : 1;
        ++a, ++b;
    }
    return *b ? -1 : 0;
}
