#pragma once
// The shell's window side: the frame and image-view window procedures, the frame's children and its
// title, and start-up and shutdown. Win32 only.

#include "common/WinHeaders.h"

struct WindowBox;

constexpr const wchar_t* kFrameClass = L"Trimwell_main_class";
constexpr const wchar_t* kViewClass = L"Trimwell_base_class";
constexpr const wchar_t* kListClass = L"Trimwell_list_class";
constexpr const wchar_t* kZoomLabelClass = L"Trimwelltxzoom_class";

LRESULT CALLBACK frameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK imageViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool registerWindowClasses(HINSTANCE instance);
HWND createFrameWindow(const WindowBox& placement);
// Places the view below the rebar; with recomputeView and a picture, rescales and repaints it.
void layoutChildren(int clientWidth, int clientHeight, bool recomputeView);
// layoutChildren with the frame's present client size.
void relayoutFrame(bool recomputeView);
void refreshFrameTitle();
// Creates `uiFont` from the settings and measures the shared metrics.
bool createUiFont();
void destroyUiFont();

// Start-up steps 1 to 15 (without the message loop); false when start-up stopped. `arguments` are the
// command-line arguments, the program first.
bool startShell(HINSTANCE instance, int showCommand, int argumentCount, wchar_t** arguments);
int runMessageLoop();
// One message of the loop: the accelerators first (unless inputLock is set), then the window.
void handleLoopMessage(MSG* message);
// The exit steps after the loop (or after a failed start).
void finishShell();
int ShellStartup(HINSTANCE instance, int showCommand);
// Before the frame is destroyed: hook, file list, picture, bars, menus, then the settings file.
void shutdownShell();
LRESULT CALLBACK keyHookProc(int code, WPARAM virtualKey, LPARAM keyFlags);
