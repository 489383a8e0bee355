// The frame at the display's scale: run at 96, 144 and 192 DPI (LogPixels set for the run, the DPI
// named in TW_TEST_DPI). Bars, crop panel and interface font follow the DPI, and a WM_DPICHANGED re-lays
// them out at the new one.
#include "shell/ShellFrameFixture.h"

#include <array>
#include <cstdlib>

#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "settings/TextIds.h"

namespace {

using DpiScale = ShellFrame;

// What is measured, in this order.
const char* const kSizeNames[] = {"font (its height without the internal leading)", "button height", "image side",
                                  "toolbar band's child height", "field height", "ratio item height",
                                  "up-down width", "gap from the left field's up-down to the top field's label"};
using Sizes = std::array<int, 8>;

Sizes measure() {
    HDC dc = GetDC(appState.frame);
    HGDIOBJ old = SelectObject(dc, appState.uiFont);
    TEXTMETRICW text = {};
    GetTextMetricsW(dc, &text);
    SelectObject(dc, old);
    ReleaseDC(appState.frame, dc);
    int side = 0, ignored = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(appState.cropToolbar, TB_GETIMAGELIST, 0, 0)),
                          &side, &ignored);
    REBARBANDINFOW band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILDSIZE;
    SendMessageW(appState.rebar, RB_GETBANDINFOW, 0, reinterpret_cast<LPARAM>(&band));
    const RECT field = rectInParent(GetDlgItem(appState.cropToolbar, IDC_CROP_FIELD_LEFT));
    const RECT spin = rectInParent(GetDlgItem(appState.cropToolbar, IDC_CROP_LEFT_SPIN));
    return {int(text.tmHeight - text.tmInternalLeading),
            HIWORD(DWORD(SendMessageW(appState.toolbar1, TB_GETBUTTONSIZE, 0, 0))),
            side,
            int(band.cyMinChild),
            int(field.bottom - field.top),
            int(SendMessageW(GetDlgItem(appState.cropToolbar, IDC_CROP_PRESET), CB_GETITEMHEIGHT, 0, 0)),
            int(spin.right - spin.left),
            int(rectInParent(GetDlgItem(appState.cropToolbar, TXT_CROP_TOP)).left - spin.right)};
}

// WM_DPICHANGED as the system sends it: the new DPI and the frame's rectangle scaled to it.
void changeDpi(int from, int to) {
    RECT frame;
    GetWindowRect(appState.frame, &frame);
    RECT suggested = {frame.left, frame.top, frame.left + MulDiv(frame.right - frame.left, to, from),
                      frame.top + MulDiv(frame.bottom - frame.top, to, from)};
    SendMessageW(appState.frame, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    pumpFrameMessages();
    RECT now;
    GetWindowRect(appState.frame, &now);
    EXPECT_EQ(now.right - now.left, suggested.right - suggested.left) << "the frame takes the suggested rectangle";
    EXPECT_EQ(appState.metrics.dpi, to);
}

}  // namespace

TEST_F(DpiScale, BarsPanelAndFontFollowTheDpiAndItsChanges) {
    const char* named = std::getenv("TW_TEST_DPI");
    const int dpi = named ? std::atoi(named) : 96;
    startWithPicture(640, 480);
    // Small enough to take twice its size on the test screen.
    SetWindowPos(appState.frame, nullptr, 0, 0, 560, 420, SWP_NOZORDER);
    ASSERT_EQ(appState.metrics.dpi, dpi) << "the run's LogPixels reached the frame";
    dispatchCommand(CMD_CROP);
    ASSERT_TRUE(appState.cropMode);
    const Sizes atStart = measure();
    // The strips are drawn at 16, 20, 24 and 32 pixels; 100 %, 150 % and 200 % take theirs exactly.
    EXPECT_EQ(atStart[2], scaleToDpi(16, dpi)) << kSizeNames[2];
    EXPECT_EQ(atStart[0], scaleToDpi(12, dpi)) << "the stored -12 is a 96-DPI height";

    // Moved to a monitor of the other scale, and back.
    const int other = dpi == 96 ? 192 : 96;
    changeDpi(dpi, other);
    const Sizes atOther = measure();
    changeDpi(other, dpi);
    const Sizes back = measure();

    const Sizes& low = dpi < other ? atStart : atOther;
    const Sizes& high = dpi < other ? atOther : atStart;
    const int lowDpi = dpi < other ? dpi : other;
    const int highDpi = dpi < other ? other : dpi;
    for (size_t i = 0; i < atStart.size(); ++i) {
        EXPECT_NEAR(high[i], MulDiv(low[i], highDpi, lowDpi), 1) << kSizeNames[i];
        EXPECT_EQ(back[i], atStart[i]) << kSizeNames[i] << " after the way back";
    }
}
