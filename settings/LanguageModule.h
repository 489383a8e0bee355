#pragma once
// Language modules: resource-only DLLs beside the program ("English.dll", "Japanese.dll", ...) holding
// every text and the dialog templates. A module is recognised by raw-data resource 1, which starts
// with "Trimwell" and a zero byte. The loaded module's handle is appState.languageModule.
// The rules without windows are portable; the rest is LanguageModule_win.cpp.

#include <cstddef>
#include <cstdint>

struct TextBuffer;
struct HWND__;
struct HINSTANCE__;

// Texts are fetched into a buffer of 127 units: at most 126 units and the terminator.
constexpr size_t kTextBufferUnits = 127;
constexpr size_t kLanguageSignatureSize = 9;

bool isLanguageSignature(const void* bytes, size_t size);
// The module chosen for an empty languageName: "Japanese" for user-interface language 0x0411.
const char16_t* defaultLanguageName(uint16_t uiLanguage);

// The texts of the error box for `id`: caption, an optional prefix, then the message (0 = none).
struct ErrorBoxTexts {
    uint32_t captionId = 0;
    uint32_t prefixId = 0;
    uint32_t messageId = 0;
};
ErrorBoxTexts errorBoxTexts(uint32_t id);

// Windows only.
bool moduleHasSignature(HINSTANCE__* module);
// Loads `languageName` (picked by the user-interface language when empty), else "English", else
// "Japanese"; `languageName` becomes the module that loaded. False when none loaded, or the loaded one
// lacks the signature (no further fallback then).
bool loadLanguageModule(TextBuffer* languageName);
void releaseLanguageModule();
// The run-time switch of the options dialog: languageName becomes the module finally loaded, or
// `selectedName` when none did.
bool switchLanguageModule(const char16_t* selectedName, TextBuffer* languageName);
// Calls `add` for each usable module in `folder` (the signature and the dialog templates 2200, 2300 and
// 4600), in the order the platform lists them; a file whose base name equals `currentName` (A to Z
// without regard to case) is added without loading it. Returns the position of that one, or -1.
int collectLanguageModules(const char16_t* folder, const char16_t* currentName,
                           void (*add)(void* context, const char16_t* name), void* context);
// Fills a drop-down list with the modules of the program's folder; returns the current one's position.
int listLanguageModules(HWND__* comboBox, const char16_t* currentName);

// The text `id` of the loaded module, cut to 126 units; empty when absent.
bool loadText(uint32_t id, TextBuffer* text);
bool appendText(uint32_t id, TextBuffer* text);
bool errorMessageTexts(uint32_t id, TextBuffer* caption, TextBuffer* message);
void showErrorMessage(uint32_t id);
// 0 Cancel (stay), 2 Yes (save first), 1 No or nothing to save (continue).
int askSaveChanges();
