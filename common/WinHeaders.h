#pragma once
// The one way Win32 files get <windows.h>.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 texts are shared with Win32 as wchar_t");
inline const wchar_t* asWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* asWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const char16_t* asText(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
