#include "cli/CliFiles.h"

#include "engine/OsFile.h"

bool replaceOutputFile(const char16_t* temporary, const char16_t* output) { return osReplaceFile(temporary, output); }
