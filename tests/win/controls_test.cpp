// The control operations the other folders use, on the real window.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/program_state.h"
#include "tests/win/main_window_fixture.h"
#include "ui/controls_win.h"

namespace {

using ui::Routine;

const std::string kPath = "C:\\安装包\\WSA 2311.Msixbundle";

TEST_F(MainWindowTest, WritingAPathBoxRunsItsContentChangedRoutineOncePerWrite) {
    SetEditText(control::编辑框1, kPath);
    EXPECT_EQ(Ran(), std::vector<Routine>{Routine::SyncWsaPackagePath});
    EXPECT_EQ(GetEditText(control::编辑框1), kPath);
    EXPECT_EQ(WsaPackagePath, kPath);
    // The same text again still counts as a write.
    SetEditText(control::编辑框1, kPath);
    EXPECT_EQ(Count(Routine::SyncWsaPackagePath), 2u);
    SetEditText(control::编辑框1, "");
    EXPECT_EQ(Count(Routine::SyncWsaPackagePath), 3u);
    EXPECT_EQ(WsaPackagePath, "");
}

TEST_F(MainWindowTest, WritingABoxWithoutBindingRunsNothing) {
    SetEditText(control::编辑框3, "5555");
    SetEditText(control::编辑框2, "log");
    EXPECT_TRUE(Ran().empty());
    EXPECT_EQ(GetEditText(control::编辑框3), "5555");
}

TEST_F(MainWindowTest, TypingPasteAndCutKeepTheApkPathEqualToItsBox) {
    HWND box = ControlWindow(control::编辑框4);
    const std::string typed = "D:\\a b.apk";
    for (size_t i = 0; i < typed.size(); ++i) {
        (void)SendMessageA(box, WM_CHAR, static_cast<unsigned char>(typed[i]), 1);
        EXPECT_EQ(Count(Routine::SyncApkPackagePath), i + 1);
        EXPECT_EQ(ApkPackagePath, typed.substr(0, i + 1));
    }
    (void)SendMessageA(box, WM_CHAR, VK_BACK, 1);
    EXPECT_EQ(ApkPackagePath, "D:\\a b.ap");

    ASSERT_TRUE(OpenClipboard(window));
    (void)EmptyClipboard();
    const std::string pasted = "E:\\x.apk";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, pasted.size() + 1);
    memcpy(GlobalLock(memory), pasted.c_str(), pasted.size() + 1);
    (void)GlobalUnlock(memory);
    (void)SetClipboardData(CF_TEXT, memory);
    (void)CloseClipboard();

    size_t before = Count(Routine::SyncApkPackagePath);
    (void)SendMessageA(box, EM_SETSEL, 0, -1);
    (void)SendMessageA(box, WM_PASTE, 0, 0);
    EXPECT_EQ(Count(Routine::SyncApkPackagePath), before + 1);
    EXPECT_EQ(ApkPackagePath, pasted);

    before = Count(Routine::SyncApkPackagePath);
    (void)SendMessageA(box, EM_SETSEL, 0, 3);
    (void)SendMessageA(box, WM_CUT, 0, 0);
    EXPECT_EQ(Count(Routine::SyncApkPackagePath), before + 1);
    EXPECT_EQ(ApkPackagePath, "x.apk");
}

TEST_F(MainWindowTest, TheLogHoldsMoreThanAnEditBoxTakesByDefault) {
    // An edit box takes 30,000 characters unless its limit is raised.
    std::string expected = "kill-server\r\n";
    for (int line = 0; line < 400; ++line) {
        expected += "connected to 127.0.0.1:58526 line " + std::to_string(line) + std::string(60, '.') + "\r\n";
    }
    SetEditText(control::编辑框2, expected);
    EXPECT_EQ(GetEditText(control::编辑框2), expected);
}

TEST_F(MainWindowTest, IpAddressTextIsEmptyWhenBlankAndZeroForEmptyFields) {
    EXPECT_EQ(GetIpAddressText(control::IP编辑框1), "127.0.0.1");
    HWND box = ControlWindow(control::IP编辑框1);
    (void)SendMessageA(box, IPM_CLEARADDRESS, 0, 0);
    EXPECT_EQ(GetIpAddressText(control::IP编辑框1), "");
    // Only the first field filled in.
    HWND firstField = GetWindow(box, GW_CHILD);
    ASSERT_NE(firstField, nullptr);
    (void)SetWindowTextA(firstField, "192");
    EXPECT_EQ(GetIpAddressText(control::IP编辑框1), "192.0.0.0");
    (void)SendMessageA(box, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 1, 255, 7));
    EXPECT_EQ(GetIpAddressText(control::IP编辑框1), "10.1.255.7");
}

}  // namespace
