"""The main window's own commands, driven as a user would: the package path boxes and the program-wide paths
behind them (seen through the installs that use them), the file dialogs, the links and the about-page surprise."""

import os
import subprocess
import time

import harness

DOWNLOAD_SHARE = "https://apps.microsoft.com/detail/9P3395VX91NR"
FIRST_AUTHOR_PAGE = "https://github.com/microsoft/WSA"
SECOND_AUTHOR_PAGE = "https://learn.microsoft.com/windows/android/wsa/"


def browser_starts(program, address):
    return [c for c in program.commands() if c.cmdline and "winebrowser" in c.cmdline.lower() and address in c.cmdline]


def settle(test):
    """Waits until the new window's activation has given the focus to its first control: the window shows before
    that, and an activation still on its way would take the focus back from a control the test focused."""
    test.wait_until(lambda: (test.driver.call("focused")["focus"] or {}).get("name"),
                    what="the first control to take the focus")
    test.driver.sync()


class PathBoxTest(harness.E2ETestCase):
    """WsaPackagePath and ApkPackagePath follow their boxes; the WSA install (PowerShell) and the APK install
    (the ADB client) hand on the program-wide value, which the recording stand-ins show."""

    def setUp(self):
        self.run = self.folder()
        harness.install_recorder(self.run, "powershell.exe")
        self.program = self.start_program(self.run)
        harness.install_recorder(self.run, "adb.exe")  # after the start, which writes the real toolkit
        self.log = os.path.join(self.run, "recorder.log")
        settle(self)

    def records(self, name):
        return [r for r in harness.read_records(self.log) if r["name"].lower() == name]

    def wsa_path_used(self):
        """Clicks the WSA page's install button and returns the path PowerShell was given."""
        before = len(self.records("powershell"))
        # The console window of the PowerShell stand-in started before, shown maximised, covers the button
        # and takes the foreground: a press and a release posted apart could lose the button's capture to
        # that activation in between. BM_CLICK presses and releases within one message.
        self.driver.click("按钮2", mode="bm")
        records = self.wait_until(lambda: self.records("powershell")[before:], what="PowerShell to start")
        cmdline = records[0]["cmdline"]
        start = cmdline.index("\"'") + 2
        return cmdline[start:cmdline.index("'\"", start)]

    def apk_path_used(self):
        """Clicks the APK page's install button and returns the path of the ADB client's install command."""
        def installs():
            return [r for r in self.records("adb") if r["args"][:1] == ["install"]]

        before = len(installs())
        self.driver.click("按钮4", mode="post")
        return self.wait_until(lambda: installs()[before:], what="the ADB install command")[0]["args"][1]

    def test_wsa_path_follows_typing_deleting_cutting_and_pasting(self):
        d = self.driver
        d.type("编辑框1", r"C:\WSA a\WSA.Msixbundle")
        self.assertEqual(self.wsa_path_used(), r"C:\WSA a\WSA.Msixbundle")
        d.key("编辑框1", "backspace")
        d.key("编辑框1", "backspace")
        self.assertEqual(d.text("编辑框1"), r"C:\WSA a\WSA.Msixbund")
        self.assertEqual(self.wsa_path_used(), r"C:\WSA a\WSA.Msixbund")
        d.call("select", "编辑框1", 0, 3)
        d.call("cut", "编辑框1")
        self.assertEqual(self.wsa_path_used(), r"WSA a\WSA.Msixbund")
        d.call("selectall", "编辑框1")
        d.call("paste", "编辑框1", r"D:\粘贴 的\x.Msixbundle")
        self.assertEqual(self.wsa_path_used(), r"D:\粘贴 的\x.Msixbundle")
        # A write from outside (WM_SETTEXT) is a change like any other.
        d.set_text("编辑框1", r"E:\安装包\set.Msixbundle")
        self.assertEqual(self.wsa_path_used(), r"E:\安装包\set.Msixbundle")

    def test_apk_path_follows_typing(self):
        d = self.driver
        d.tab_select("选择夹1", "APK安装")
        d.set_text("编辑框4", "C:\\应用\\")
        d.type("编辑框4", "a b.apk", at="end")
        self.assertEqual(self.apk_path_used(), r"C:\应用\a b.apk")
        d.key("编辑框4", "backspace")
        self.assertEqual(self.apk_path_used(), r"C:\应用\a b.ap")
        d.type("编辑框4", "x", at="start")
        self.assertEqual(self.apk_path_used(), r"xC:\应用\a b.ap")

    def test_confirmed_choice_puts_the_full_path_into_box_and_program_wide_value(self):
        d = self.driver
        package = os.path.join(self.run, "选 好的.Msixbundle")
        open(package, "wb").close()
        d.type("编辑框1", r"C:\typed.Msixbundle")
        d.click("按钮1")
        d.filedialog_open(harness.windows_path(package))
        self.assertEqual(d.text("编辑框1"), harness.windows_path(package))
        self.assertEqual(self.wsa_path_used(), harness.windows_path(package))

        # Posted clicks from here: the PowerShell stand-in's console window may still cover the window.
        d.tab_select("选择夹1", "APK安装", mode="post")
        apk = os.path.join(self.run, "chosen.apk")
        open(apk, "wb").close()
        d.click("按钮3", mode="post")
        d.filedialog_open(harness.windows_path(apk))
        self.assertEqual(d.text("编辑框4"), harness.windows_path(apk))
        self.assertEqual(self.apk_path_used(), harness.windows_path(apk))

    def test_cancelled_dialog_leaves_a_typed_path_in_place(self):
        d = self.driver
        d.type("编辑框1", r"C:\by hand.Msixbundle")
        d.click("按钮1")
        d.filedialog_cancel()
        self.assertEqual(d.text("编辑框1"), r"C:\by hand.Msixbundle")
        self.assertEqual(self.wsa_path_used(), r"C:\by hand.Msixbundle")

        # Posted clicks from here: the PowerShell stand-in's console window may still cover the window.
        d.tab_select("选择夹1", "APK安装", mode="post")
        apk = os.path.join(self.run, "earlier.apk")
        open(apk, "wb").close()
        d.click("按钮3", mode="post")
        d.filedialog_open(harness.windows_path(apk))
        # After an earlier choice, a cancel does not put that choice back over what was entered since. (Written,
        # not typed: the window takes the focus back from the closed dialog at a moment of its own.)
        d.set_text("编辑框4", r"D:\later.apk")
        d.click("按钮3", mode="post")
        d.filedialog_cancel()
        self.assertEqual(d.text("编辑框4"), r"D:\later.apk")
        self.assertEqual(self.apk_path_used(), r"D:\later.apk")


def grab(rect, within=None):
    """The screen's pixels in rect (screen coordinates), cut to `within`, as raw RGB bytes."""
    left, top, right, bottom = rect["left"], rect["top"], rect["right"], rect["bottom"]
    if within:
        left, top = max(left, within["left"]), max(top, within["top"])
        right, bottom = min(right, within["right"]), min(bottom, within["bottom"])
    display = harness.wine_env().get("DISPLAY", "")
    xwd = subprocess.run(["xwd", "-root", "-silent", "-display", display], stdout=subprocess.PIPE, check=True,
                         timeout=60).stdout
    crop = "%dx%d+%d+%d" % (right - left, bottom - top, left, top)
    return subprocess.run(["convert", "xwd:-", "-crop", crop, "+repage", "rgb:-"], input=xwd,
                          stdout=subprocess.PIPE, check=True, timeout=60).stdout


class LinksAndSurpriseTest(harness.E2ETestCase):
    def setUp(self):
        self.program = self.start_program()
        settle(self)

    def test_pressing_the_red_link_shows_the_code_and_opens_the_share_after_the_box_closes(self):
        d = self.driver
        d.press("透明标签8")
        box = d.msgbox()
        self.assertEqual((box["caption"], box["text"]), ("提取码", "KTRZ"))
        self.assertIsNone(box["owner"])
        self.assertTrue(box["task_modal"])
        self.assertFalse(box["main_enabled"])
        self.assertEqual([b["name"] for b in box["buttons"]], ["ok"])
        self.assertEqual(browser_starts(self.program, DOWNLOAD_SHARE), [])
        d.msgbox_press("ok")
        self.wait_until(lambda: browser_starts(self.program, DOWNLOAD_SHARE), what="the browser for the share")
        d.call("release", "透明标签8")

    def test_author_buttons_open_their_pages(self):
        d = self.driver
        d.tab_select("选择夹1", "关于")
        d.click("按钮5")
        self.wait_until(lambda: browser_starts(self.program, FIRST_AUTHOR_PAGE), what="the first author page")
        d.click("按钮6")
        self.wait_until(lambda: browser_starts(self.program, SECOND_AUTHOR_PAGE), what="the second author page")
        self.assertEqual(d.call("msgboxes")["boxes"], [])

    def steady(self, take, differs_from=None):
        """A screen grab that two looks 100 ms apart agree on (a repaint is over), optionally once it
        differs from an earlier one."""
        def look():
            first = take()
            time.sleep(0.1)
            return first if first == take() and first != differs_from else None
        return self.wait_until(look, what="the screen to settle")

    def banner(self):
        return grab(self.driver.info("图片框1")["rect"], within=self.driver.window()["client_rect"])

    def picture(self):
        return grab(self.driver.info("图片框5")["rect"])

    def test_release_over_the_about_picture_swaps_both_pictures_and_shows_the_message_every_time(self):
        d = self.driver
        d.tab_select("选择夹1", "关于")
        banner, picture = self.steady(self.banner), self.steady(self.picture)
        d.press("图片框5")
        self.assertEqual(d.call("msgboxes")["boxes"], [], "the press alone does nothing")

        d.release("图片框5")
        box = d.msgbox()
        self.assertEqual((box["caption"], box["text"]), ("信息：", "关注墨羽，顿顿解馋"))
        self.assertIsNone(box["owner"])
        self.assertTrue(box["task_modal"])
        new_banner = self.steady(self.banner, differs_from=banner)
        new_picture = self.steady(self.picture, differs_from=picture)
        harness.screenshot(d, "e2e/about-after-surprise.png")
        d.msgbox_press("ok")

        # The banner is not on a page: it keeps the new picture on every page. Screens are compared
        # once the page has been repainted.
        d.tab_select("选择夹1", "WSA安装")
        self.wait_until(lambda: self.banner() == new_banner, what="the new banner on the WSA page")
        d.tab_select("选择夹1", "关于")
        self.wait_until(lambda: self.picture() == new_picture, what="the new about picture")

        d.click("图片框5")
        box = d.msgbox()
        self.assertEqual(box["text"], "关注墨羽，顿顿解馋")
        d.msgbox_press("ok")
        self.wait_until(lambda: self.banner() == new_banner and self.picture() == new_picture,
                        what="both new pictures after the second release")

    def test_clicks_on_the_other_about_page_controls_do_nothing(self):
        d = self.driver
        d.tab_select("选择夹1", "关于")
        banner, picture = self.steady(self.banner), self.steady(self.picture)
        started = len(self.program.commands())
        for name, point in (("图片框4", ()), ("标签2", ()), ("透明标签9", (20, 8)), ("透明标签7", ()), ("图片框1", ())):
            d.click(name, *point)
            d.sync()
            self.assertEqual(d.call("msgboxes")["boxes"], [], name)
        self.assertEqual(self.banner(), banner)
        self.assertEqual(self.picture(), picture)
        self.assertEqual(len(self.program.commands()), started)


if __name__ == "__main__":
    harness.main()
