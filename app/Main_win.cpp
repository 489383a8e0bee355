// Trimwell.exe: the whole program is the shell library; this is only its entry point.
#include "common/WinHeaders.h"
#include "shell/ShellWindows.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) { return ShellStartup(instance, showCommand); }
