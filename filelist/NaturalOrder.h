#pragma once
// The order of the file list: runs of decimal digits compare by their value, other characters without
// regard to letter case, in the order Windows Explorer shows names (StrCmpLogicalW).

// <0, 0 or >0 as a sorts before, with or after b. Digit runs of equal value ("01", "1") compare equal.
int compareNatural(const char16_t* a, const char16_t* b);
// The sorting order: natural order, and by their units where that finds two texts equal, so that a
// folder always lists the same way.
bool naturalLess(const char16_t* a, const char16_t* b);
