#pragma once
// What trimwell-crop does with its parsed command line. Exit status 0 done, 1 failed, 2 bad usage.

#include "cli/CliOptions.h"

constexpr int kCliDone = 0;
constexpr int kCliFailed = 1;
constexpr int kCliBadUsage = 2;

// Parses the arguments (without the program name) and runs the action they ask for.
int runCli(int count, const char16_t* const* arguments);
// Crops INPUT into a temporary file beside OUTPUT and renames it over OUTPUT only when it is complete.
int runCropCommand(const CliOptions* options);
// Prints what the program would show of INPUT, one "key value" per line.
int runInfoCommand(const CliOptions* options);
// Writes the display bitmap of INPUT as a .bmp file.
int runBitmapCommand(const CliOptions* options);
// "trimwell-crop: " + `path` + ": " + `message` on the standard error stream.
void printCliError(const char16_t* path, const char16_t* message);
