#pragma once
// Loading the displayed picture for the shell (cursor, flags, currentPath) and the ways a path reaches it
// from outside: the command line and dropped files, with shell shortcuts resolved to their targets.

#include "common/WinHeaders.h"
#include "common/TextBuffer.h"

#include <shellapi.h>

// The save question before the picture is left: Yes saves first and stops when that fails, Cancel stops.
// True when the caller may go on.
bool settlePendingChanges();
// `path` null reloads currentPath. Failure leaves no picture and sets loadFailed; no message is shown.
bool loadPicture(const char16_t* path);
// After every load and accepted crop: the view reset, the toolbar states and lastFolder.
void showNewPicture();
void openPathFromShell(const char16_t* path);
void handleDroppedFiles(HDROP drop);
// Replaces `path` with the target of the shortcut it names; unchanged when it is none or cannot be read.
void resolveShortcut(TextBuffer* path);
