#pragma once
// The order of the file list. The Windows build sorts with the shell's own StrCmpLogicalW
// (NaturalOrder_win.cpp), so the list steps through a folder as Explorer shows it, names outside ASCII
// included. Elsewhere (NaturalOrder_posix.cpp) compareNatural stands in: runs of decimal digits compare
// by their value, ASCII as Explorer orders it, other characters after it by their code.

// <0, 0 or >0 as a sorts before, with or after b. Digit runs of equal value ("01", "1") compare equal.
int compareNatural(const char16_t* a, const char16_t* b);
// The plain order of the UTF-16 units, for texts the natural order finds equal.
int compareCodeUnits(const char16_t* a, const char16_t* b);
// The sorting order: the platform's natural order, and by their units where that finds two texts equal,
// so that a folder always lists the same way.
bool naturalLess(const char16_t* a, const char16_t* b);
