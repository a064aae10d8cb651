// The main window in the test process: creation, event routing, pages, painting, keyboard, close.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "tests/win/main_window_fixture.h"
#include "ui/controls_win.h"
#include "ui/main_window_win.h"

namespace {

using ui::Routine;

struct StartState {
    bool visible = true;
    int missingControls = -1;
};
StartState atStart;

void NoteStartState(Routine routine) {
    if (routine == Routine::PrepareWorkspace) {
        atStart.visible = IsWindowVisible(MainWindow()) != FALSE;
        atStart.missingControls = 0;
        for (const ui::ControlDescription& control : ui::Controls()) {
            atStart.missingControls += ControlWindow(control.id) == nullptr ? 1 : 0;
        }
    }
}

TEST(MainWindowStart, RunsPrepareWorkspaceOnceWithAllControlsBeforeTheWindowIsShown) {
    atStart = {};
    SetRoutineRunner(NoteStartState);
    HWND window = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(atStart.visible);
    EXPECT_EQ(atStart.missingControls, 0);
    char className[64] = {};
    (void)GetClassNameA(window, className, sizeof(className));
    EXPECT_STREQ(className, "MossgateMain");
    (void)DestroyWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    SetRoutineRunner(nullptr);
}

TEST_F(MainWindowTest, ButtonsOnThePagesRunTheirRoutines) {
    const std::pair<int, Routine> buttons[] = {
        {control::按钮1, Routine::ChooseWsaPackage},       {control::按钮2, Routine::InstallWsaPackage},
        {control::按钮3, Routine::ChooseApkPackage},       {control::按钮4, Routine::InstallChosenApk},
        {control::按钮5, Routine::OpenFirstAuthorPage},    {control::按钮6, Routine::OpenSecondAuthorPage},
        {control::按钮7, Routine::RegisterApkAssociation}, {control::按钮8, Routine::InstallAppStore},
    };
    Allowed().clear();
    for (const auto& [button, routine] : buttons) {
        Ran().clear();
        (void)SendMessageA(ControlWindow(button), BM_CLICK, 0, 0);
        EXPECT_EQ(Ran(), std::vector<Routine>{routine}) << button;
    }
}

TEST_F(MainWindowTest, MouseEventsRunOnlyTheBoundRoutine) {
    Allowed().clear();
    auto send = [](int id, UINT message) {
        (void)SendMessageA(ControlWindow(id), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(5, 5));
    };
    // The red link acts on the press, the about picture on the release.
    send(control::透明标签8, WM_LBUTTONUP);
    EXPECT_TRUE(Ran().empty());
    send(control::透明标签8, WM_LBUTTONDOWN);
    EXPECT_EQ(Ran(), std::vector<Routine>{Routine::OpenDownloadShare});
    Ran().clear();
    send(control::图片框5, WM_LBUTTONDOWN);
    EXPECT_TRUE(Ran().empty());
    send(control::图片框5, WM_LBUTTONUP);
    EXPECT_EQ(Ran(), std::vector<Routine>{Routine::RevealEasterEgg});
    Ran().clear();
    for (int quiet : {control::图片框4, control::标签2, control::透明标签9, control::透明标签7, control::图片框1}) {
        send(quiet, WM_LBUTTONDOWN);
        send(quiet, WM_LBUTTONUP);
    }
    EXPECT_TRUE(Ran().empty());
}

TEST_F(MainWindowTest, EditBoxesOnPagesGetTheirColoursThroughTheTabControl) {
    HWND tab = ControlWindow(control::选择夹1);
    HDC dc = GetDC(window);
    auto brushColour = [](LRESULT brush) {
        LOGBRUSH description = {};
        (void)GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof(description), &description);
        return Rgb(description.lbColor);
    };
    LRESULT brush = SendMessageA(tab, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(ControlWindow(control::编辑框2)));
    EXPECT_EQ(Rgb(GetTextColor(dc)), 0xFFFFFFu);
    EXPECT_EQ(Rgb(GetBkColor(dc)), 0x000000u);
    EXPECT_EQ(brushColour(brush), 0x000000u);
    brush = SendMessageA(tab, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(ControlWindow(control::编辑框1)));
    EXPECT_EQ(Rgb(GetTextColor(dc)), 0x000000u);
    EXPECT_EQ(brushColour(brush), 0xFFFFFFu);
    (void)ReleaseDC(window, dc);
}

TEST_F(MainWindowTest, PictureBoxBlendsAlphaOverItsBackgroundTopRowsFirst) {
    // Half-transparent red above opaque blue, at the box's own size so no stretching blurs it.
    const auto png = TwoColourPng(112, 112, 0x80FF0000, 0xFF0000FF);
    SetPicture(control::图片框2, png.data(), png.size());
    const Snapshot box = PrintClient(ControlWindow(control::图片框2));
    ASSERT_EQ(box.width, 112);
    const uint32_t face = Rgb(GetSysColor(COLOR_BTNFACE));
    // The top rows mix the red with the box's background (the arithmetic is unit-tested): every
    // channel lies between the two colours', and the pixel is neither of them.
    const uint32_t top = box.At(50, 10);
    for (int shift : {0, 8, 16}) {
        const uint32_t mixed = (top >> shift) & 0xFF;
        const uint32_t red = (0xFF0000u >> shift) & 0xFF;
        const uint32_t back = (face >> shift) & 0xFF;
        EXPECT_GE(mixed, std::min(red, back)) << std::hex << top;
        EXPECT_LE(mixed, std::max(red, back)) << std::hex << top;
    }
    EXPECT_NE(top, 0xFF0000u);
    EXPECT_NE(top, face);
    EXPECT_EQ(box.At(50, 100), 0x0000FFu);

    // Bytes that are no picture leave only the background.
    const char notAPicture[] = "not a picture";
    SetPicture(control::图片框2, notAPicture, sizeof(notAPicture));
    EXPECT_EQ(PrintClient(ControlWindow(control::图片框2)).At(50, 100), face);
}

TEST_F(MainWindowTest, TransparentLabelDrawsItsTextOverThePictureBoxBehindIt) {
    Show();
    ClickPageHeader(2);
    // 透明标签7 lies over 图片框4, which starts 16 pixels right and 8 down of the label's corner.
    const auto green = TwoColourPng(304, 40, 0xFF00FF00, 0xFF00FF00);
    SetPicture(control::图片框4, green.data(), green.size());
    const Snapshot label = PrintClient(ControlWindow(control::透明标签7));
    ASSERT_EQ(label.width, 304);
    EXPECT_EQ(label.At(200, 46), 0x00FF00u);  // below the two lines of text, over the box
    EXPECT_NE(label.At(4, 4), 0x00FF00u);     // outside the box: the page shows through
    int textPixels = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 16; x < 300; ++x) {
            textPixels += label.At(x, y) == 0x000000u ? 1 : 0;
        }
    }
    EXPECT_GT(textPixels, 100);
}

TEST_F(MainWindowTest, TabKeyMovesThroughTheCurrentPagesControlsOnly) {
    Show();
    (void)SetForegroundWindow(window);
    (void)SetFocus(ControlWindow(control::按钮1));
    Pump();
    auto pressTab = [] {
        MSG message = {};
        message.hwnd = GetFocus();
        message.message = WM_KEYDOWN;
        message.wParam = VK_TAB;
        EXPECT_TRUE(PreTranslateAppMessage(message));
        return GetFocus();
    };
    EXPECT_EQ(pressTab(), ControlWindow(control::编辑框1));
    EXPECT_EQ(pressTab(), ControlWindow(control::按钮2));
    EXPECT_EQ(pressTab(), ControlWindow(control::按钮1));
}

TEST_F(MainWindowTest, CloseRequestDestroysTheWindowWhenTheLoopReachesIt) {
    CloseMainWindow();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(Count(Routine::RemoveAdbTools), 0u);
    bool quit = false;
    MSG message;
    const DWORD end = GetTickCount() + 2000;
    while (!quit && static_cast<LONG>(GetTickCount() - end) < 0) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            quit = quit || message.message == WM_QUIT;
            DispatchMessageA(&message);
        }
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_EQ(Count(Routine::RemoveAdbTools), 1u);
}

}  // namespace
