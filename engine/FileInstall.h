#pragma once
// Putting a finished output file in the place of the file it replaces, so that the destination holds
// either its old bytes or the complete new file whatever fails on the way, or wherever the power goes.

// A check of the new file once it is complete beside the destination, before the old version is touched:
// false stops the install.
struct InstallCheck {
    bool (*run)(const char16_t* path, void* context) = nullptr;
    void* context = nullptr;
};

// Copies `output` beside `destination`, runs `check` (when given) on the copy, gives the copy the
// destination's access and sends it to the disk, then puts it in place: on Windows the old version keeps a
// second name while it goes to the recycle bin and the copy is renamed in; on POSIX one rename replaces it.
// False when the destination was left as it was (nothing this call made is left behind). `existed` tells
// whether there was an old version.
bool installOutputFile(const char16_t* output, const char16_t* destination, bool* existed,
                       const InstallCheck* check = nullptr);
// False when an existing destination cannot be replaced: read-only, or held open by another program.
bool destinationIsFree(const char16_t* destination);
// For a new file already written beside `destination` (the command line): the same steps from the
// access on, the old version replaced without the recycle bin. On failure `fresh` is the caller's to delete.
bool installFileBeside(const char16_t* fresh, const char16_t* destination);
