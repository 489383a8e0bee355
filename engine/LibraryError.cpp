#include "engine/LibraryError.h"

#include "common/TextBuffer.h"
#include "engine/OsFile.h"

// Never returns to the library: the message goes to the object's errorText, then control jumps back.
static void libraryErrorExit(j_common_ptr object) {
    char message[JMSG_LENGTH_MAX];
    (*object->err->format_message)(object, message);
    if (auto* errorText = static_cast<TextBuffer*>(object->client_data)) {
        textClear(errorText);
        osAppendLibraryMessage(errorText, message);
    }
    longjmp(reinterpret_cast<LibraryErrorManager*>(object->err)->jumpPoint, 1);
}

jpeg_error_mgr* prepareLibraryErrorManager(LibraryErrorManager* manager) {
    jpeg_std_error(&manager->base);
    manager->base.error_exit = libraryErrorExit;
    return &manager->base;
}

void leaveLibraryRun(j_common_ptr object) { longjmp(reinterpret_cast<LibraryErrorManager*>(object->err)->jumpPoint, 1); }
