// The frame at the display's scale: run at 96, 144 and 192 DPI (LogPixels set for the run, the DPI
// named in TW_TEST_DPI). Bars, crop panel and interface font follow the DPI, and a WM_DPICHANGED re-lays
// them out at the new one.
#include "shell/ShellFrameFixture.h"

#include <cstdlib>

#include "shell/CommandIds.h"
#include "shell/Dispatch.h"
#include "settings/TextIds.h"

namespace {

using DpiScale = ShellFrame;

struct Sizes {
    int fontEm = 0;  // the interface font's height without its internal leading
    int buttonHeight = 0;
    int imageSide = 0;
    int bandHeight = 0;  // the toolbar band's child height
    int fieldHeight = 0;
    int ratioItemHeight = 0;
    int upDownWidth = 0;
    int fieldGap = 0;  // from the left field's up-down to the top field's label
};

Sizes measure() {
    Sizes sizes;
    HDC dc = GetDC(appState.frame);
    HGDIOBJ old = SelectObject(dc, appState.uiFont);
    TEXTMETRICW text = {};
    GetTextMetricsW(dc, &text);
    SelectObject(dc, old);
    ReleaseDC(appState.frame, dc);
    sizes.fontEm = text.tmHeight - text.tmInternalLeading;
    sizes.buttonHeight = HIWORD(DWORD(SendMessageW(appState.toolbar1, TB_GETBUTTONSIZE, 0, 0)));
    int side = 0, ignored = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(appState.cropToolbar, TB_GETIMAGELIST, 0, 0)),
                          &side, &ignored);
    sizes.imageSide = side;
    REBARBANDINFOW band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILDSIZE;
    SendMessageW(appState.rebar, RB_GETBANDINFOW, 0, reinterpret_cast<LPARAM>(&band));
    sizes.bandHeight = int(band.cyMinChild);
    RECT field = rectInParent(GetDlgItem(appState.cropToolbar, IDC_CROP_FIELD_LEFT));
    sizes.fieldHeight = field.bottom - field.top;
    HWND box = GetDlgItem(appState.cropToolbar, IDC_CROP_PRESET);
    sizes.ratioItemHeight = int(SendMessageW(box, CB_GETITEMHEIGHT, 0, 0));
    RECT spin = rectInParent(GetDlgItem(appState.cropToolbar, IDC_CROP_LEFT_SPIN));
    sizes.upDownWidth = spin.right - spin.left;
    sizes.fieldGap = rectInParent(GetDlgItem(appState.cropToolbar, TXT_CROP_TOP)).left - spin.right;
    return sizes;
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
    EXPECT_EQ(atStart.imageSide, scaleToDpi(16, dpi));
    EXPECT_EQ(atStart.fontEm, scaleToDpi(12, dpi)) << "the stored -12 is a 96-DPI height";

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
    struct Row {
        const char* name;
        int Sizes::*size;
    } rows[] = {{"font", &Sizes::fontEm},           {"button height", &Sizes::buttonHeight},
                {"image side", &Sizes::imageSide},  {"band height", &Sizes::bandHeight},
                {"field height", &Sizes::fieldHeight}, {"ratio item height", &Sizes::ratioItemHeight},
                {"up-down width", &Sizes::upDownWidth}, {"gap after a field", &Sizes::fieldGap}};
    for (const Row& row : rows) {
        EXPECT_NEAR(high.*row.size, MulDiv(low.*row.size, highDpi, lowDpi), 1) << row.name;
        EXPECT_EQ(back.*row.size, atStart.*row.size) << row.name << " after the way back";
    }
}
