#pragma once
// Command 5040: the compiled help file of the language in use (else the English one) beside the program
// through the HTML Help control, else the maker's online help page in the browser. Also the control's
// set-up at start and exit and its share of the message loop. Windows only.

#include <cstdint>

struct tagMSG;

// HTML Help's commands used here.
constexpr unsigned kHelpDisplayTopic = 0x0000;      // HH_DISPLAY_TOPIC
constexpr unsigned kHelpPretranslate = 0x00FD;      // HH_PRETRANSLATEMESSAGE
constexpr unsigned kHelpInitialize = 0x001C;        // HH_INITIALIZE
constexpr unsigned kHelpUninitialize = 0x001D;      // HH_UNINITIALIZE

// What help and about hand to the shell; tests replace it to see the address without a browser.
struct HelpHooks {
    // Opens a web address with the shell (no owner, no verb, no error UI).
    void (*openAddress)(const char16_t* address);
};
extern HelpHooks gHelpHooks;
void openAddressInShell(const char16_t* address);

void showHelp();
// HH_INITIALIZE at start-up; HH_UNINITIALIZE with its cookie at exit, which also forgets the control.
void initHelp();
void uninitHelp();
// The help viewer runs on the program's thread: it sees each message first. True when it used it.
bool helpTakesMessage(tagMSG* message);
