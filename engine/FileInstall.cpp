// The order matters: the new picture is complete beside the destination, and on the disk, before the old
// one is touched, and the old one keeps a second name until the new one is in place. Without that, a
// volume with no recycle bin (network shares, most removable drives) deletes the old version for good, a
// copy that then fails (disk full, share gone) leaves the user with neither picture, and a power cut can
// leave an empty new file after the old one is gone.
//
// What a crash leaves at each step: before the rename, the destination as it was (on Windows, after the
// recycle, the old version under its second name "tmp…" beside it and in the recycle bin); after the
// rename, the new file. A "tmp…" file of this install is the only thing a crash can leave behind.
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

// The whole output beside the destination and on the disk (osCopyFile flushes and checks the close).
bool copyBeside(const char16_t* output, const char16_t* folder, TextBuffer* fresh) {
    if (!osMakeTempFileIn(folder, fresh)) {
        textClear(fresh);
        return false;
    }
    return osCopyFile(output, textChars(fresh));
}

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

// Where the old version goes to the recycle bin under its own name, it first gets a second name here.
bool recycleOldVersion(const char16_t* destination, const char16_t* folder, TextBuffer* kept) {
    if (!keepOldVersion(destination, folder, kept)) return false;
    if (osRecycleFile(destination)) return true;
    // A recycle that reports failure yet took the file away: the old version comes back.
    if (!osFileExists(destination)) putBack(kept, destination);
    return false;
}

// The rename is the moment the destination changes. A failed flush of the folder afterwards leaves the
// new name in place for the system to write: the install has happened and is not undone.
bool moveIntoPlace(const char16_t* fresh, const char16_t* destination, const char16_t* folder) {
    if (!osReplaceFile(fresh, destination)) return false;
    osFlushFolder(folder);
    return true;
}

}  // namespace

bool destinationIsFree(const char16_t* destination) {
    OsHandle probe = osOpenFile(destination, OpenAccess::ReadWriteExclusive);
    if (probe == kInvalidOsHandle) return false;
    osCloseFile(probe);
    return true;
}

bool installOutputFile(const char16_t* output, const char16_t* destination, bool* existed,
                       const InstallCheck* check) {
    *existed = osFileExists(destination);
    // Refused before anything is made.
    if (*existed && !destinationIsFree(destination)) return false;
    TextBuffer folder;
    BesideFiles beside;
    if (!folderOf(destination, &folder)) return false;
    if (!copyBeside(output, textChars(&folder), &beside.fresh)) return false;
    if (check && !check->run(textChars(&beside.fresh), check->context)) return false;
    if (!osTakeAccessOf(destination, textChars(&beside.fresh))) return false;
    // The new file is complete and on the disk; the old version has not been touched yet.
    const bool recycles = *existed && osRecyclesReplacedFiles();
    if (recycles && !recycleOldVersion(destination, textChars(&folder), &beside.kept)) return false;
    if (!moveIntoPlace(textChars(&beside.fresh), destination, textChars(&folder))) {
        if (recycles) putBack(&beside.kept, destination);
        return false;
    }
    textClear(&beside.fresh);  // it is the destination now
    return true;
}

bool installFileBeside(const char16_t* fresh, const char16_t* destination) {
    TextBuffer folder;
    return folderOf(destination, &folder) && osFlushFileAt(fresh) && osTakeAccessOf(destination, fresh) &&
           moveIntoPlace(fresh, destination, textChars(&folder));
}
