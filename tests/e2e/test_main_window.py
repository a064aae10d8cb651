"""The main window as the user meets it: frame, size and place, the tab pages and every control on them with its
place, text and font, page switching, and keyboard navigation. Saves a screenshot of each page under build/."""

import json
import os
import subprocess

import harness

WS_MAXIMIZEBOX = 0x00010000
WS_THICKFRAME = 0x00040000
WS_TABSTOP = 0x00010000

BUTTON, EDIT, IP = "Button", "Edit", "SysIPAddress32"
LABEL, CLEAR_LABEL, PICTURE = "MossgateLabel", "MossgateTransparentLabel", "MossgatePicture"

# name: (class, text): what a user sees on each page. The places come from the window description itself.
PAGES = {
    "WSA安装": {
        "图片框2": (PICTURE, ""),
        "透明标签1": (CLEAR_LABEL, "Windows Subsystem for Android"),
        "透明标签8": (CLEAR_LABEL, "还没下载？戳我去下载"),
        "按钮1": (BUTTON, "选择安装包位置"),
        "透明标签2": (CLEAR_LABEL, "安装包位置:"),
        "编辑框1": (EDIT, ""),
        "按钮2": (BUTTON, "安装"),
    },
    "APK安装": {
        "透明标签3": (CLEAR_LABEL, "使用前请打开开发者模式，再从此界面打开“文件”"),
        "图片框3": (PICTURE, ""),
        "透明标签4": (CLEAR_LABEL, "IP地址:"),
        "IP编辑框1": (IP, None),
        "透明标签5": (CLEAR_LABEL, ":"),
        "编辑框3": (EDIT, "58526"),
        "透明标签6": (CLEAR_LABEL, "APK路径:"),
        "编辑框4": (EDIT, ""),
        "按钮3": (BUTTON, "选择"),
        "标签1": (LABEL, "(路径尽量是英文路径)"),
        "按钮4": (BUTTON, "安装"),
        "按钮7": (BUTTON, "关联APK"),
        "按钮8": (BUTTON, "安装酷安"),
        "编辑框2": (EDIT, ""),
    },
    "关于": {
        "透明标签7": (CLEAR_LABEL, "觉得还不错的话就关注墨羽，支持一下吧（记得把N-WAVE其他几个也给关注了哦）"),
        "图片框4": (PICTURE, ""),
        "按钮6": (BUTTON, "关注up"),
        "按钮5": (BUTTON, "关注墨羽"),
        "透明标签9": (CLEAR_LABEL, None),
        "图片框5": (PICTURE, ""),
        "标签2": (LABEL, "有彩蛋哦(小声BB)"),
    },
}
SCREENSHOTS = {"WSA安装": "page-wsa.png", "APK安装": "page-apk.png", "关于": "page-about.png"}


# The control kinds of the description and the window classes that realise them.
CLASS_OF_KIND = {"PushButton": BUTTON, "EditBox": EDIT, "IpAddressBox": IP, "Label": LABEL,
                 "TransparentLabel": CLEAR_LABEL, "PictureBox": PICTURE, "TabControl": "SysTabControl32"}


def window_description():
    """The description's frame and controls, as the program's own code holds them."""
    lines = subprocess.run([os.environ["MOSSGATE_DESCRIBE_WINDOW"]], stdout=subprocess.PIPE, check=True,
                           timeout=60).stdout.decode("gbk").splitlines()
    frame = json.loads(lines[0])
    return frame, {control["name"]: control for control in map(json.loads, lines[1:])}


FRAME, DESCRIBED = window_description()


def described_place(name):
    control = DESCRIBED[name]
    return control["left"], control["top"], control["width"], control["height"]


def screen_size():
    out = subprocess.run("xwd -root -silent -display \"$DISPLAY\" | convert xwd:- -format '%w %h' info:",
                         shell=True, env=harness.wine_env(), stdout=subprocess.PIPE, check=True, timeout=60).stdout
    width, height = out.split()
    return int(width), int(height)


def place(info):
    r = info["rect_in_parent"]
    return r["left"], r["top"], r["width"], r["height"]


class MainWindowTest(harness.E2ETestCase):
    def setUp(self):
        self.program = self.start_program()
        # The window shows before its activation has given the focus to its first control.
        self.wait_until(lambda: (self.driver.call("focused")["focus"] or {}).get("name"),
                        what="the first control to take the focus")
        self.driver.sync()

    def test_window_is_a_fixed_captioned_top_level_window_centred_on_the_screen(self):
        window = self.driver.window()
        self.assertEqual(window["class"], "MossgateMain")
        self.assertEqual(window["title"], "")
        self.assertIsNone(window["owner"])
        rect = window["rect"]
        size = FRAME["window"]["width"], FRAME["window"]["height"]
        self.assertEqual((rect["width"], rect["height"]), size)
        width, height = screen_size()
        self.assertEqual((rect["left"], rect["top"]), ((width - size[0]) // 2, (height - size[1]) // 2))
        for style in ("WS_CAPTION", "WS_SYSMENU", "WS_MINIMIZEBOX", "WS_CLIPCHILDREN"):
            self.assertIn(style, window["styles"])
        self.assertFalse(window["style"] & WS_MAXIMIZEBOX)
        self.assertFalse(window["style"] & WS_THICKFRAME)

    def test_cannot_be_maximized_but_minimizes_and_restores(self):
        before = self.driver.window()["rect"]
        self.driver.call("sys", "maximize")
        self.driver.sync()
        window = self.driver.window()
        self.assertFalse(window["maximized"])
        self.assertEqual(window["rect"], before)
        self.driver.call("sys", "minimize")
        self.wait_until(lambda: self.driver.window()["minimized"], what="the window to minimize")
        self.driver.call("sys", "restore")
        self.wait_until(lambda: not self.driver.window()["minimized"], what="the window to come back")
        self.assertEqual(self.driver.window()["rect"], before)

    def test_banner_and_tab_control_with_three_pages_the_first_current(self):
        d = self.driver
        self.assertEqual(place(d.info("图片框1")), described_place("图片框1"))
        self.assertEqual(d.info("图片框1")["class"], PICTURE)
        tab = d.info("选择夹1")
        self.assertEqual(tab["class"], "SysTabControl32")
        self.assertEqual(place(tab), described_place("选择夹1"))
        pages = d.tab("选择夹1")
        self.assertEqual(pages["items"], list(PAGES))
        self.assertEqual(pages["items"], FRAME["pages"])
        self.assertEqual(pages["current"], 0)

    def test_every_control_at_its_place_with_its_text_and_only_its_page_shown(self):
        d = self.driver
        for index, (page, controls) in enumerate(PAGES.items()):
            with self.subTest(page=page):
                self.assertEqual(d.tab_select("选择夹1", page)["current"], index)
                described = [name for name, control in DESCRIBED.items() if control["page"] == index]
                self.assertCountEqual(controls, described)
                for name, (kind, text) in controls.items():
                    info = d.info(name)
                    self.assertEqual(info["class"], kind, name)
                    self.assertEqual(CLASS_OF_KIND[DESCRIBED[name]["kind"]], kind, name)
                    self.assertEqual(place(info), described_place(name), name)
                    self.assertEqual(info["parent_name"], "选择夹1", name)
                    self.assertTrue(info["visible"] and info["enabled"], name)
                    if text is not None:
                        self.assertEqual(info["text"], text, name)
                    # Buttons, edit boxes and the IP box are Tab stops; labels and pictures are not.
                    self.assertEqual(bool(info["style"] & WS_TABSTOP), kind in (BUTTON, EDIT, IP), name)
                for other, other_controls in PAGES.items():
                    if other != page:
                        for name in other_controls:
                            self.assertFalse(d.info(name)["visible"], "%s on %s" % (name, page))
                # The banner is not on a page.
                self.assertTrue(d.info("图片框1")["visible"])
                print("screenshot:", harness.screenshot(d, SCREENSHOTS[page]))

    def test_initial_contents_of_the_apk_page(self):
        d = self.driver
        self.assertEqual(d.ip("IP编辑框1")["address"], "127.0.0.1")
        self.assertEqual(d.text("编辑框3"), "58526")
        self.assertEqual(d.text("编辑框4"), "")
        self.assertEqual(d.text("编辑框1"), "")
        log = d.info("编辑框2")
        for style in ("ES_MULTILINE", "ES_AUTOVSCROLL", "ES_WANTRETURN", "WS_VSCROLL"):
            self.assertIn(style, log["styles"])
        self.assertNotIn("ES_AUTOHSCROLL", log["styles"])
        for name in ("编辑框1", "编辑框2", "编辑框3", "编辑框4"):
            self.assertIn("WS_EX_CLIENTEDGE", d.info(name)["exstyles"], name)
        self.assertIn("ES_AUTOHSCROLL", d.info("编辑框4")["styles"])
        self.assertTrue(d.text("透明标签9").startswith("作者："))
        self.assertEqual(d.text("透明标签9").count("\r\n"), 2)

    def test_stored_fonts_and_the_default_gui_font(self):
        d = self.driver
        for name in ("透明标签1", "透明标签7"):
            font = d.font(name)
            self.assertEqual((font["face"], font["height"], font["weight"]), ("微软雅黑", -16, 400), name)
            # Realised with the default character set and proof quality, whatever was stored.
            self.assertEqual((font["charset"], font["quality"], font["pitch_and_family"]), (1, 2, 0), name)
        colon = d.font("透明标签5")
        self.assertEqual((colon["face"], colon["height"], colon["weight"]), ("", -16, 700))
        for name in ("按钮1", "编辑框1", "透明标签8", "标签1", "选择夹1"):
            self.assertTrue(d.font(name)["default_gui_font"], name)
        for field in d.call("children", "IP编辑框1")["children"]:
            self.assertTrue(d.font(field["hwnd"])["default_gui_font"])

    def test_tab_key_moves_between_the_current_pages_controls(self):
        d = self.driver
        d.call("focus", "按钮1")
        d.key("focus", "tab")
        self.assertEqual(d.call("focused")["focus"]["name"], "编辑框1")
        d.key("focus", "tab")
        self.assertEqual(d.call("focused")["focus"]["name"], "按钮2")
        d.tab_select("选择夹1", "APK安装")
        d.call("focus", "编辑框3")
        d.key("focus", "tab")
        self.assertEqual(d.call("focused")["focus"]["name"], "编辑框4")


if __name__ == "__main__":
    harness.main()
