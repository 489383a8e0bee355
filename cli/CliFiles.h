#pragma once
// The few file steps of the command line that differ between Windows and POSIX.

// Renames the finished temporary file over `output`. On POSIX it first gives the file the permissions a
// newly created file would get (mkstemp makes it private to its owner).
bool replaceOutputFile(const char16_t* temporary, const char16_t* output);
