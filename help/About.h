#pragma once
// Command 5050: the small modal about window with the product line, the maker and a link to the maker's
// site. Windows only.

constexpr const wchar_t* kAboutClass = L"version_info_class";
constexpr const wchar_t* kAboutLinkClass = L"version_url_class";

// Control ids inside the about window.
constexpr int kAboutProductId = 100;
constexpr int kAboutMakerId = 101;
constexpr int kAboutLinkId = 102;

// Runs the window's own loop until it closes; the frame is disabled meanwhile.
void showAbout();
