// The portable bitmap records must be the Win32 ones byte for byte: the view hands them to StretchDIBits.
#include "engine/BitmapInfo.h"

#include "common/WinHeaders.h"

static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER), "header size");
static_assert(offsetof(BitmapInfoHeader, biWidth) == offsetof(BITMAPINFOHEADER, biWidth), "biWidth");
static_assert(offsetof(BitmapInfoHeader, biHeight) == offsetof(BITMAPINFOHEADER, biHeight), "biHeight");
static_assert(offsetof(BitmapInfoHeader, biPlanes) == offsetof(BITMAPINFOHEADER, biPlanes), "biPlanes");
static_assert(offsetof(BitmapInfoHeader, biBitCount) == offsetof(BITMAPINFOHEADER, biBitCount), "biBitCount");
static_assert(offsetof(BitmapInfoHeader, biCompression) == offsetof(BITMAPINFOHEADER, biCompression), "compression");
static_assert(offsetof(BitmapInfoHeader, biSizeImage) == offsetof(BITMAPINFOHEADER, biSizeImage), "biSizeImage");
static_assert(offsetof(BitmapInfoHeader, biXPelsPerMeter) == offsetof(BITMAPINFOHEADER, biXPelsPerMeter), "x density");
static_assert(offsetof(BitmapInfoHeader, biYPelsPerMeter) == offsetof(BITMAPINFOHEADER, biYPelsPerMeter), "y density");
static_assert(offsetof(BitmapInfoHeader, biClrUsed) == offsetof(BITMAPINFOHEADER, biClrUsed), "biClrUsed");
static_assert(offsetof(BitmapInfoHeader, biClrImportant) == offsetof(BITMAPINFOHEADER, biClrImportant), "important");
static_assert(sizeof(RgbQuad) == sizeof(RGBQUAD), "palette entry size");
static_assert(offsetof(RgbQuad, rgbRed) == offsetof(RGBQUAD, rgbRed), "rgbRed");
static_assert(offsetof(RgbQuad, rgbBlue) == offsetof(RGBQUAD, rgbBlue), "rgbBlue");
