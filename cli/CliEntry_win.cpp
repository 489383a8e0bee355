// trimwell-crop.exe: the arguments come from the UTF-16 command line, so any file name works.

#include "cli/CliRun.h"
#include "common/WinHeaders.h"

#include <shellapi.h>

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return kCliFailed;
    int status = runCli(count - 1, reinterpret_cast<const char16_t* const*>(arguments + 1));
    LocalFree(arguments);
    return status;
}
