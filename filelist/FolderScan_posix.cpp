// POSIX folder reading for the file list: no short names and no pattern match of the file system, so a
// name matches when it ends in the extension, letter case ignored.
#include "filelist/FolderScan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "common/TextBuffer.h"

namespace {

bool endsWithNoCase(const char* name, const char* extension) {
    size_t length = strlen(name), extensionLength = strlen(extension);
    return length >= extensionLength && strcasecmp(name + length - extensionLength, extension) == 0;
}

// Calls `visit` for each entry of `folder` that is not a folder; false when it cannot be read.
template <class Visit>
bool forEachFile(const char16_t* folder, Visit visit) {
    char* path = utf8FromText(folder, textLength16(folder));
    if (!path) return false;
    std::string base(path);
    free(path);
    DIR* dir = opendir(base.c_str());
    if (!dir) return false;
    if (!base.empty() && base.back() != '/') base += '/';
    while (dirent* entry = readdir(dir)) {
        struct stat info;
        if (stat((base + entry->d_name).c_str(), &info) != 0 || S_ISDIR(info.st_mode)) continue;
        if (!visit(entry->d_name)) break;
    }
    closedir(dir);
    return true;
}

}  // namespace

bool countFolderFiles(const char16_t* folder, size_t* count) {
    *count = 0;
    return forEachFile(folder, [count](const char*) {
        ++*count;
        return true;
    });
}

bool scanFolderFiles(const char16_t* folder, const char16_t* extension,
                     bool (*visit)(void* context, const char16_t* name), void* context) {
    char* suffix = utf8FromText(extension, textLength16(extension));
    if (!suffix) return false;
    TextBuffer name;
    bool read = forEachFile(folder, [&](const char* entry) {
        if (!endsWithNoCase(entry, suffix)) return true;
        if (!textAssignUtf8(&name, entry)) return true;
        return visit(context, textChars(&name));
    });
    free(suffix);
    return read;
}
