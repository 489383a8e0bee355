#pragma once
// Proving a save: the written file is read back from disk and its quantized blocks, quantization tables
// and copied segments are compared with what the crop was made of, which the crop still holds. A bit
// that went wrong between the buffer and the disk shows as a mismatch before anything is replaced.

struct CropTransform;

// Maps `path` afresh and compares it with what `job` holds (holdCoefficients). True when every block of
// every component, every table in use and every copied segment matches; false also when the file cannot
// be read or `job` holds nothing.
bool verifySavedFile(const CropTransform* job, const char16_t* path);

// A save's check of the file beside its destination (the InstallCheck of installOutputFile).
struct SavedFileCheck {
    CropTransform* job = nullptr;  // holds its run; null: nothing to check
    bool mismatch = false;         // the check ran and found a difference
};
// The InstallCheck hook; `context` is a SavedFileCheck.
bool checkSavedFile(const char16_t* path, void* context);
