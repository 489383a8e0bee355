#pragma once
// The two settings dialogs of the program, run modally over the frame from the language module's
// templates. Each returns when its dialog has closed; a missing template shows nothing. Windows only.

// Command 5020: key and mouse bindings (template 2200).
void showCustomizeDialog();
// Command 5030: language, interface font and dialog font size (template 2300).
void showOptionsDialog();
