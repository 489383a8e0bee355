#pragma once
// The library's standard error manager with a replaced error_exit that records the message and jumps
// back to the caller's setjmp point. The function calling setjmp must hold only plain C objects:
// longjmp skips destructors.

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

struct TextBuffer;

struct LibraryErrorManager {
    jpeg_error_mgr base;
    jmp_buf jumpPoint;
};

// Fills in the standard manager and replaces error_exit. Set the library object's `err` to the result
// and its `client_data` to the TextBuffer that receives the message (or null to drop it), both before
// jpeg_create_*, then setjmp(manager->jumpPoint).
jpeg_error_mgr* prepareLibraryErrorManager(LibraryErrorManager* manager);
// Jumps back to the setjmp point of `object`'s manager without a library message: the engine's own
// refusals set errorCode (and errorText) themselves first.
[[noreturn]] void leaveLibraryRun(j_common_ptr object);
