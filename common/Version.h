// The product version: the one place it is written. The build reads the four numbers from here for the
// version record, the installer and the release file names; the about window's product line
// (help/AboutText.h) is made from TW_VERSION_TEXT.
#pragma once

#define TW_VERSION_MAJOR 1
#define TW_VERSION_MINOR 2
#define TW_VERSION_PATCH 5
#define TW_VERSION_BUILD 0

// The same four numbers as one text (the resource compiler does not join literals); the build checks that
// they agree.
#define TW_VERSION_TEXT "1.2.5.0"
