#pragma once
// Where the process looks for libraries it loads by name. Win32 only.

// Restricts the search for libraries loaded by bare name to the system folder, so that a file planted
// beside the program (a portable copy unpacked into a Downloads folder) never runs as, say, hhctrl.ocx.
// Called first thing at start, before any library is loaded. True when the system-folder-only search
// is in force; on a system without it, at least the current folder leaves the search.
bool restrictLibrarySearch();
