// Win32 folder reading for the file list: FindFirstFileW with the file system's pattern match, which may
// also match a file through its short name; the caller's extension test sorts those out.
#include "filelist/FolderScan.h"

#include "common/PathUtil.h"
#include "common/WinHeaders.h"

namespace {

template <class Visit>
bool forEachMatch(const char16_t* folder, const char16_t* pattern, Visit visit) {
    TextBuffer search;
    textAssign(&search, folder);
    pathJoin(&search, pattern);
    if (search.failed) return false;
    WIN32_FIND_DATAW found;
    HANDLE handle = FindFirstFileExW(asWide(textChars(&search)), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, 0);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!visit(asText(found.cFileName))) break;
    } while (FindNextFileW(handle, &found));
    FindClose(handle);
    return true;
}

}  // namespace

bool countFolderFiles(const char16_t* folder, size_t* count) {
    *count = 0;
    return forEachMatch(folder, u"*.*", [count](const char16_t*) {
        ++*count;
        return true;
    });
}

bool scanFolderFiles(const char16_t* folder, const char16_t* extension,
                     bool (*visit)(void* context, const char16_t* name), void* context) {
    TextBuffer pattern;
    textAssign(&pattern, u"*");
    textAppendZ(&pattern, extension);
    if (pattern.failed) return false;
    return forEachMatch(folder, textChars(&pattern),
                        [visit, context](const char16_t* name) { return visit(context, name); });
}
