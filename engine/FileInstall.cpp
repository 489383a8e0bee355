// The order matters: the new picture is complete beside the destination before the old one is touched,
// and the old one keeps a second name until the new one is in place. Without that, a volume with no
// recycle bin (network shares, most removable drives) deletes the old version for good, and a copy that
// then fails (disk full, share gone) leaves the user with neither picture.
#include "engine/FileInstall.h"

#include "common/PathUtil.h"
#include "common/TextBuffer.h"
#include "engine/OsFile.h"

namespace {

bool folderOf(const char16_t* path, TextBuffer* folder) {
    if (!textAssign(folder, path)) return false;
    if (!pathCutToFolder(folder)) return textAssign(folder, u".");
    if (folder->length == 0) return textAppendChar(folder, kPathSeparator);  // a file in the root folder
    return !folder->failed;
}

// What this install made beside the destination, removed again on the way out.
struct BesideFiles {
    TextBuffer fresh;  // the copy of the output, renamed into place on success
    TextBuffer kept;   // a second name of the old version
    ~BesideFiles() {
        if (fresh.length) osDeleteFile(textChars(&fresh));
        if (kept.length) osDeleteFile(textChars(&kept));
    }
};

// A hard link costs nothing; where the volume has none, a copy (which must then fit beside it).
bool keepOldVersion(const char16_t* destination, const char16_t* folder, TextBuffer* kept) {
    if (!osMakeTempFileIn(folder, kept)) {
        textClear(kept);
        return false;
    }
    return osLinkFile(destination, textChars(kept)) || osCopyFile(destination, textChars(kept));
}

// The old version's second name becomes its name again. Should even that fail, the second name stays
// beside the destination: the one copy of the old picture is not removed.
void putBack(TextBuffer* kept, const char16_t* destination) {
    osReplaceFile(textChars(kept), destination);
    textClear(kept);
}

}  // namespace

bool installOutputFile(const char16_t* output, const char16_t* destination, bool* existed,
                       const InstallCheck* check) {
    *existed = osFileExists(destination);
    if (*existed) {
        // A read-only destination, or one another program holds open, is refused before anything is made.
        OsHandle probe = osOpenFile(destination, OpenAccess::ReadWriteExclusive);
        if (probe == kInvalidOsHandle) return false;
        osCloseFile(probe);
    }
    TextBuffer folder;
    BesideFiles beside;
    if (!folderOf(destination, &folder)) return false;
    if (!osMakeTempFileIn(textChars(&folder), &beside.fresh)) {
        textClear(&beside.fresh);
        return false;
    }
    if (!osCopyFile(output, textChars(&beside.fresh))) return false;
    if (check && !check->run(textChars(&beside.fresh), check->context)) return false;
    if (*existed) {
        if (!keepOldVersion(destination, textChars(&folder), &beside.kept)) return false;
        if (!osRecycleFile(destination)) {
            // A recycle that reports failure yet took the file away: the old version comes back.
            if (!osFileExists(destination)) putBack(&beside.kept, destination);
            return false;
        }
    }
    if (!osReplaceFile(textChars(&beside.fresh), destination)) {
        if (*existed) putBack(&beside.kept, destination);
        return false;
    }
    textClear(&beside.fresh);  // it is the destination now
    return true;
}
