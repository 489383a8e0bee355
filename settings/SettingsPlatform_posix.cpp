// Stand-ins for the Windows locations, so that the settings code runs in native tests and tools.
#include "settings/Settings.h"

#include <cstdlib>
#include <unistd.h>

#include "common/PathUtil.h"

namespace {

bool assignEnvironment(const char* name, TextBuffer* path) {
    const char* value = getenv(name);
    textClear(path);
    return value && *value && textAssignUtf8(path, value);
}

}  // namespace

bool queryDocumentsFolder(TextBuffer* path) { return assignEnvironment("HOME", path); }

bool queryRoamingAppDataFolder(TextBuffer* path) {
    if (assignEnvironment("XDG_CONFIG_HOME", path)) return true;
    return assignEnvironment("HOME", path) && pathJoin(path, u".config");
}

bool queryMenuFontFace(TextBuffer* face) { return textAssign(face, u"Sans"); }

bool queryProgramFolder(TextBuffer* path) {
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    textClear(path);
    if (length <= 0) return false;
    return textAppendUtf8(path, buffer, static_cast<size_t>(length)) && pathCutToFolder(path);
}

bool setCurrentFolder(const char16_t* path) {
    char* name = utf8FromText(path, textLength16(path));
    bool ok = name && chdir(name) == 0;
    free(name);
    return ok;
}

int currentOsVersionClass() { return 5; }
