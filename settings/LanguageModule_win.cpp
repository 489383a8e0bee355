#include "settings/LanguageModule.h"

#include <initializer_list>

#include "common/PathUtil.h"
#include "common/TextBuffer.h"
#include "common/WinHeaders.h"
#include "filelist/FileListWindow.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "shell/AppState.h"

namespace {

// Loaded as a data file: no code of a module ever runs, and texts, dialogs and raw data still load.
HMODULE loadModuleFile(const char16_t* nameOrPath) {
    return LoadLibraryExW(asWide(nameOrPath), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

// "<name>.dll" in the program's folder, by full path: the library search is kept to the system folder
// (restrictLibrarySearch), and a bare name would not reach the program's folder.
HMODULE loadModuleByName(const char16_t* name) {
    TextBuffer file;
    if (!queryProgramFolder(&file)) return nullptr;
    pathJoin(&file, name);
    textAppendZ(&file, u".dll");
    if (file.failed) return nullptr;
    return loadModuleFile(textChars(&file));
}

bool sameNameNoCase(const char16_t* a, size_t aLength, const char16_t* b) {
    return aLength == textLength16(b) && compareNoCaseAscii(a, b) == 0;
}

// Inserted at the end, never sorted, even when a template gives the list a sorting style: the
// returned position must stay the current module's.
void addToComboBox(void* context, const char16_t* name) {
    SendMessageW(static_cast<HWND>(context), CB_INSERTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(asWide(name)));
}

// A module without the dialog templates could be chosen, and then Options would never open again to
// choose another: such a module is not offered.
bool moduleHasDialogTemplates(HMODULE module) {
    for (int id : {IDD_CUSTOMIZE, IDD_OPTIONS, IDD_RATIO_PRESETS})
        if (!FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5))) return false;
    return true;
}

}  // namespace

bool moduleHasSignature(HINSTANCE__* module) {
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(IDR_LANGUAGE_SIGNATURE), MAKEINTRESOURCEW(10));
    if (!resource) return false;
    HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    return isLanguageSignature(bytes, SizeofResource(module, resource));
}

bool loadLanguageModule(TextBuffer* languageName) {
    releaseLanguageModule();
    if (languageName->length == 0) textAssign(languageName, defaultLanguageName(GetUserDefaultUILanguage()));
    HMODULE module = loadModuleByName(textChars(languageName));
    for (const char16_t* fallback : {u"English", u"Japanese"}) {
        if (module) break;
        module = loadModuleByName(fallback);
        if (module) textAssign(languageName, fallback);
    }
    if (!module) return false;
    if (!moduleHasSignature(module)) {
        FreeLibrary(module);
        return false;
    }
    appState.languageModule = module;
    return true;
}

void releaseLanguageModule() {
    if (appState.languageModule) FreeLibrary(appState.languageModule);
    appState.languageModule = nullptr;
}

bool switchLanguageModule(const char16_t* selectedName, TextBuffer* languageName) {
    TextBuffer name;
    textAssign(&name, selectedName);
    bool loaded = loadLanguageModule(&name);
    textAssignText(languageName, &name);
    return loaded;
}

int collectLanguageModules(const char16_t* folder, const char16_t* currentName,
                           void (*add)(void* context, const char16_t* name), void* context) {
    TextBuffer pattern;
    textAssign(&pattern, folder);
    pathJoin(&pattern, u"*.dll");
    if (pattern.failed) return -1;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(asWide(textChars(&pattern)), &found);
    if (search == INVALID_HANDLE_VALUE) return -1;
    int position = 0;
    int current = -1;
    TextBuffer baseName, path;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        textAssign(&baseName, asText(found.cFileName));
        pathCutExtension(&baseName);
        if (baseName.failed) continue;
        bool usable;
        if (sameNameNoCase(textChars(&baseName), baseName.length, currentName)) {
            usable = true;
            current = position;
        } else {
            textAssign(&path, folder);
            pathJoin(&path, asText(found.cFileName));
            HMODULE module = path.failed ? nullptr : loadModuleFile(textChars(&path));
            usable = module && moduleHasSignature(module) && moduleHasDialogTemplates(module);
            if (module) FreeLibrary(module);
        }
        if (usable) {
            add(context, textChars(&baseName));
            position++;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return current;
}

int listLanguageModules(HWND__* comboBox, const char16_t* currentName) {
    TextBuffer folder;
    if (!queryProgramFolder(&folder)) return -1;
    return collectLanguageModules(textChars(&folder), currentName, addToComboBox, comboBox);
}

bool appendText(uint32_t id, TextBuffer* text) {
    wchar_t buffer[kTextBufferUnits];
    int length = appState.languageModule
                     ? LoadStringW(appState.languageModule, id, buffer, static_cast<int>(kTextBufferUnits))
                     : 0;
    return textAppend(text, asText(buffer), length > 0 ? static_cast<size_t>(length) : 0);
}

bool loadText(uint32_t id, TextBuffer* text) {
    textClear(text);
    return appendText(id, text);
}

bool errorMessageTexts(uint32_t id, TextBuffer* caption, TextBuffer* message) {
    ErrorBoxTexts ids = errorBoxTexts(id);
    textClear(caption);
    textClear(message);
    if (ids.captionId) appendText(ids.captionId, caption);
    if (ids.prefixId) appendText(ids.prefixId, message);
    if (ids.messageId) appendText(ids.messageId, message);
    return !caption->failed && !message->failed;
}

void showErrorMessage(uint32_t id) {
    TextBuffer caption, message;
    errorMessageTexts(id, &caption, &message);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    FileListDisabled disabled;
    MessageBoxW(appState.frame, asWide(textChars(&message)), asWide(textChars(&caption)),
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

int askSaveChanges() {
    if (!appState.documentModified) return 1;
    const char16_t* path = textChars(&appState.currentPath);
    TextBuffer question;
    loadText(TXT_SAVE_QUESTION, &question);
    int answer;
    {
        FileListDisabled disabled;
        answer = MessageBoxW(appState.frame, asWide(textChars(&question)),
                             asWide(path + pathNameStart(path, appState.currentPath.length)),
                             MB_YESNOCANCEL | MB_ICONQUESTION | MB_SETFOREGROUND);
    }
    if (answer == IDYES) return 2;
    if (answer == IDNO) return 1;
    return 0;
}
