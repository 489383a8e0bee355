#pragma once
// Putting a finished output file in the place of the file it replaces, so that the destination holds
// either its old bytes or the complete new file whatever fails on the way.

// A check of the new file once it is complete beside the destination, before the old version is touched:
// false stops the install.
struct InstallCheck {
    bool (*run)(const char16_t* path, void* context) = nullptr;
    void* context = nullptr;
};

// Copies `output` beside `destination`, runs `check` (when given) on the copy, keeps a second name of the
// old version there, sends the old version to the recycle bin, and renames the copy into place. False
// when the destination was left as it was (nothing this call made is left behind). `existed` tells
// whether there was an old version.
bool installOutputFile(const char16_t* output, const char16_t* destination, bool* existed,
                       const InstallCheck* check = nullptr);
