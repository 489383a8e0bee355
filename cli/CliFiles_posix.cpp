#include "cli/CliFiles.h"

#include <cstdlib>
#include <sys/stat.h>

#include "common/TextBuffer.h"
#include "engine/OsFile.h"

bool replaceOutputFile(const char16_t* temporary, const char16_t* output) {
    char* name = utf8FromText(temporary, textLength16(temporary));
    if (!name) return false;
    mode_t mask = umask(0);
    umask(mask);
    bool ok = chmod(name, 0666 & ~mask) == 0;
    free(name);
    return ok && osReplaceFile(temporary, output);
}
