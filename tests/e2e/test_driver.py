"""The driver itself, proved on testee.exe: a window with the program's kinds of controls that logs every
event it sees (EN_CHANGE, BN_CLICKED, mouse buttons, page changes, answers) as a line in its log box 编辑框2."""

import os
import subprocess

import harness


class DriverOnTesteeTest(harness.E2ETestCase):
    def setUp(self):
        self.program = self.start_program(exe=harness.TESTEE, exe_name="testee.exe", window_class="MossgateTestee")
        self.d = self.driver

    def log_lines(self):
        return self.d.text("编辑框2").splitlines()

    def new_log_lines(self, before):
        return self.log_lines()[len(before):]

    def test_controls_are_found_by_description_name_with_their_geometry_and_styles(self):
        edit = self.d.info("编辑框4")
        self.assertEqual((edit["id"], edit["name"], edit["class"]), (204, "编辑框4", "Edit"))
        box = edit["rect_in_parent"]
        self.assertEqual((box["left"], box["top"], box["width"], box["height"]), (80, 48, 168, 24))
        self.assertIn("ES_AUTOHSCROLL", edit["styles"])
        self.assertIn("WS_EX_CLIENTEDGE", edit["exstyles"])
        self.assertTrue(edit["visible"] and edit["enabled"])

        # A control on a tab page is a child of the tab control, placed relative to it.
        on_page = self.d.info("编辑框1")
        self.assertEqual(on_page["parent_name"], "选择夹1")
        self.assertEqual((on_page["rect_in_parent"]["left"], on_page["rect_in_parent"]["top"]), (16, 40))
        self.assertFalse(self.d.info("按钮2")["enabled"])
        self.assertFalse(self.d.info("按钮5")["visible"])  # on the third page

        window = self.d.window()
        self.assertEqual(window["title"], "")
        self.assertEqual((window["rect"]["width"], window["rect"]["height"]), (355, 516))
        self.assertIn("WS_MINIMIZEBOX", window["styles"])
        self.assertNotIn("WS_MAXIMIZEBOX", window["styles"])
        self.assertNotIn("WS_THICKFRAME", window["styles"])

        with self.assertRaises(harness.DriverError) as raised:
            self.d.info("编辑框9")
        self.assertIn("unknown control name", raised.exception.reply["error"])
        with self.assertRaises(harness.DriverError) as raised:
            self.d.info("图片框1")  # a name of the description that this window lacks
        self.assertIn("not found", raised.exception.reply["error"])
        self.assertEqual(self.d.info("#204")["hwnd"], edit["hwnd"])
        self.assertEqual(self.d.info(edit["hwnd"])["id"], 204)

    def test_texts_are_written_and_read_as_gbk_and_each_write_changes_once(self):
        before = self.log_lines()
        self.d.set_text("编辑框4", "中文 path\\a b.apk")
        reply = self.d.call("gettext", "编辑框4")
        self.assertEqual(reply["text"], "中文 path\\a b.apk")
        self.assertEqual(bytes.fromhex(reply["gbk_hex"]), "中文 path\\a b.apk".encode("gbk"))
        self.assertEqual(self.new_log_lines(before), ["change 204 %d" % len("中文 path\\a b.apk".encode("gbk"))])
        with self.assertRaises(harness.DriverError):
            self.d.set_text("编辑框4", "\u20ac\U0001F600")  # no GBK form for the emoji

    def test_typing_sends_one_keystroke_per_character_in_every_mode(self):
        for mode in ("post", "send", "input"):
            with self.subTest(mode=mode):
                self.d.set_text("编辑框4", "")
                before = self.log_lines()
                reply = self.d.type("编辑框4", "a中b", mode=mode)
                self.assertEqual(reply["typed"], 3)
                # The reply comes once the program has handled every character.
                self.assertEqual(self.d.text("编辑框4"), "a中b")
                self.assertEqual(self.new_log_lines(before), ["change 204 1", "change 204 3", "change 204 4"])

    def test_typing_appends_at_the_end_or_replaces_a_selection(self):
        self.d.set_text("编辑框4", "abc")
        self.d.type("编辑框4", "X")
        self.assertEqual(self.d.text("编辑框4"), "abcX")
        self.d.type("编辑框4", "Y", at="start")
        self.assertEqual(self.d.text("编辑框4"), "YabcX")
        self.d.type("编辑框4", "Z", at="all")
        self.assertEqual(self.d.text("编辑框4"), "Z")

    def test_keys_clipboard_and_selection(self):
        self.d.set_text("编辑框4", "hello")
        self.d.key("编辑框4", "end")
        self.d.key("编辑框4", "backspace")
        self.assertEqual(self.d.text("编辑框4"), "hell")
        self.d.key("编辑框4", "home", mode="input")
        self.d.key("编辑框4", "shift+end", mode="input")
        self.assertEqual(self.d.call("selection", "编辑框4")["end"], 4)
        cut = self.d.call("cut", "编辑框4")
        self.assertEqual((cut["clipboard"], cut["text"]), ("hell", ""))
        pasted = self.d.call("paste", "编辑框4", "粘贴的")
        self.assertEqual(pasted["text"], "粘贴的")
        self.d.call("selectall", "编辑框4")
        self.assertEqual(self.d.call("copy", "编辑框4")["clipboard"], "粘贴的")
        with self.assertRaises(harness.DriverError):
            self.d.key("编辑框4", "ctrl+a", mode="post")  # the keyboard state is out of reach of messages

    def test_clicks_in_every_mode_and_separate_press_and_release(self):
        before = self.log_lines()
        # Each answer comes once the click was handled (synced): the log is complete when read.
        for mode in ("input", "post", "bm"):
            reply = self.d.click("按钮7", mode=mode)
            self.assertEqual((reply["mode"], reply["synced"]), (mode, True))
        self.assertTrue(self.d.click("按钮2")["synced"])  # disabled: nothing happens
        reply = self.d.click("按钮7")
        self.assertEqual((reply["mode"], reply["synced"]), ("input", True))  # auto: the button is visible there
        self.assertEqual(self.new_log_lines(before), ["clicked 107"] * 4)

        before = self.log_lines()
        press = self.d.press("透明标签8", 5, 6)
        self.assertTrue(press["synced"])
        self.assertEqual(self.new_log_lines(before), ["down 408 5 6"])
        self.d.release("透明标签8", 7, 8)
        self.assertEqual(self.new_log_lines(before), ["down 408 5 6", "up 408 7 8"])
        self.d.press("透明标签8", 1, 2, mode="post")
        self.d.release("透明标签8", 3, 4, mode="post")
        self.assertEqual(self.new_log_lines(before)[2:], ["down 408 1 2", "up 408 3 4"])

        # A control on a hidden page cannot be clicked by a person: auto posts to it instead.
        self.assertEqual(self.d.click("按钮5")["mode"], "post")

    def test_tab_pages_switch_by_clicking_their_headers(self):
        tab = self.d.tab("选择夹1")
        self.assertEqual((tab["count"], tab["current"], tab["items"]), (3, 0, ["WSA安装", "APK安装", "关于"]))
        self.assertEqual(self.d.tab_select("选择夹1", 1)["current"], 1)
        self.assertTrue(self.d.info("IP编辑框1")["visible"])
        self.assertFalse(self.d.info("编辑框1")["visible"])
        self.assertEqual(self.d.tab_select("选择夹1", "关于", mode="post")["current"], 2)
        self.assertTrue(self.d.info("按钮5")["visible"])
        self.assertEqual(self.d.tab_select("选择夹1", 0, mode="focus")["current"], 0)
        self.assertEqual(self.log_lines()[-3:], ["page 1", "page 2", "page 0"])
        with self.assertRaises(harness.DriverError):
            self.d.tab_select("选择夹1", "没有")

    def test_ip_box_reads_sets_clears_and_takes_typing(self):
        self.assertEqual(self.d.ip("IP编辑框1")["address"], "127.0.0.1")
        self.assertEqual(self.d.ip_set("IP编辑框1", "10.1.2.3")["fields"], ["10", "1", "2", "3"])
        blank_field = self.d.call("ip_field", "IP编辑框1", 2, "")
        self.assertEqual((blank_field["fields"], blank_field["address"]), (["10", "1", "", "3"], "10.1.0.3"))
        cleared = self.d.call("ip_clear", "IP编辑框1")
        self.assertEqual((cleared["address"], cleared["blank"]), ("", True))
        self.d.tab_select("选择夹1", 1)
        self.d.type("IP编辑框1", "192.168.7.1")
        self.assertEqual(self.d.ip("IP编辑框1")["address"], "192.168.7.1")

    def test_task_modal_message_box_is_read_and_answered(self):
        self.d.click("按钮1")
        box = self.d.msgbox()
        self.assertEqual((box["caption"], box["text"]), ("MOSSGATE", "安装成功"))
        self.assertEqual([(b["id"], b["name"]) for b in box["buttons"]], [(1, "ok")])
        self.assertIsNone(box["owner"])
        self.assertTrue(box["task_modal"])
        self.assertFalse(self.d.window()["enabled"])
        self.d.click("按钮7")  # a click on the disabled window does nothing
        pressed = self.d.msgbox_press("ok")
        self.assertTrue(pressed["closed"])
        self.assertTrue(self.d.window()["enabled"])
        self.assertEqual(self.log_lines()[-2:], ["clicked 101", "message answer 1"])
        self.assertEqual(self.d.call("msgboxes")["boxes"], [])
        with self.assertRaises(harness.DriverError) as failed:
            self.d.msgbox(timeout=200)
        self.assertIn("200 ms", failed.exception.reply["error"])  # the wait is the driver's, in milliseconds

    def test_open_file_dialog_takes_a_name_or_is_cancelled(self):
        folder = self.folder("中文 目录")
        chosen = os.path.join(folder, "a b.apk")
        open(chosen, "wb").close()
        self.d.click("按钮3")
        dialog = self.d.filedialog()
        self.assertEqual(dialog["filetype"], "安装包(*.apk)")
        self.assertTrue(self.d.filedialog_open(harness.windows_path(chosen))["closed"])
        self.assertEqual(self.d.text("编辑框4"), harness.windows_path(chosen))
        self.d.click("按钮3")
        self.d.filedialog_cancel()
        self.assertEqual(self.log_lines()[-1], "open cancelled")
        self.d.click("按钮3")
        with self.assertRaises(harness.DriverError) as raised:
            self.d.filedialog_open(harness.windows_path(os.path.join(folder, "missing.apk")), close_timeout=1500)
        self.assertIn("message boxes", raised.exception.reply["error"])
        self.d.msgbox_press("ok")
        self.d.filedialog_cancel()

    def test_screenshot_is_cropped_to_the_window(self):
        path = harness.screenshot(self.d, os.path.join("e2e", self.id(), "window.png"))
        with open(path, "rb") as f:
            header = f.read(24)
        self.assertEqual(header[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual((int.from_bytes(header[16:20], "big"), int.from_bytes(header[20:24], "big")), (355, 516))
        self.d.click("按钮1")
        box = self.d.msgbox()
        path = harness.screenshot(self.d, os.path.join("e2e", self.id(), "box.png"), hwnd=box["hwnd"])
        with open(path, "rb") as f:
            header = f.read(24)
        self.assertEqual(int.from_bytes(header[16:20], "big"), box["rect"]["width"])
        self.d.msgbox_press("ok")

    def test_files_dropped_from_x11_reach_the_window_with_their_exact_wide_names(self):
        folder = self.folder("拖放 目录")
        # The last name holds what a URI would otherwise take for its own (escapes, fragment, query).
        paths = [os.path.join(folder, name) for name in ("한글😀.apk", "带 空格 的中文.apk", "100% a#b+c&d;e=f.apk")]
        for path in paths:
            open(path, "wb").close()

        def dropped(lines):
            return [lines[0]] + [bytes.fromhex(line[len("file "):]).decode("utf-16-be") for line in lines[1:]]

        client = self.d.window()["client_rect"]
        before = self.log_lines()
        self.drop_files(paths)
        self.assertEqual(dropped(self.new_log_lines(before)),
                         ["drop 3 %d %d" % (client["width"] // 2, client["height"] // 2)] +
                         [harness.windows_path(path) for path in paths])

        # A control takes no drops itself: they reach the window, the point in the window's client area.
        edit = self.d.info("编辑框4")["client_rect"]
        before = self.log_lines()
        self.drop_files(paths[1:2], "编辑框4", 3, 4)
        self.assertEqual(dropped(self.new_log_lines(before)),
                         ["drop 1 %d %d" % (edit["left"] + 3 - client["left"], edit["top"] + 4 - client["top"]),
                          harness.windows_path(paths[1])])

        # A message box takes no drops; nor does the bare screen.
        self.d.click("按钮1")
        box = self.d.msgbox()
        before = self.log_lines()
        with self.assertRaises(harness.DropError) as refused:
            self.drop_files(paths, box["hwnd"])
        self.assertIn("refuses", refused.exception.stderr)
        self.d.msgbox_press("ok")
        self.assertEqual(self.new_log_lines(before), ["message answer 1"])
        with self.assertRaises(harness.DropError) as nowhere:
            self.drop_files(paths, "main", -client["left"], -client["top"])
        self.assertIn("no drop-aware window at 0,0", nowhere.exception.stderr)

    def test_fonts_are_read_inside_the_program(self):
        label = self.d.font("透明标签8")
        self.assertEqual((label["face"], label["height"], label["weight"]), ("微软雅黑", -16, 400))
        self.assertTrue(self.d.font("编辑框4")["default_gui_font"])
        self.assertTrue(self.d.font("main")["system_font"])

    def test_requests_that_cannot_run_are_answered_with_errors(self):
        for words, error in ((["nosuch"], "unknown command"), (["gettext"], "usage"),
                             (["gettext", "编辑框4", "colour=red"], "unknown option"),
                             (["click", "按钮7", "1"], "both x and y"), (["sync", "timeout=-5"], "milliseconds")):
            with self.subTest(words=words):
                reply = self.d.call(*words, check=False)
                self.assertFalse(reply["ok"])
                self.assertIn(error, reply["error"])
        self.assertTrue(self.d.call("ping")["attached"])

    def test_one_shot_mode(self):
        driver = os.path.join(harness.TOOLS_DIR, "uidriver.exe")
        run = subprocess.run(["wine", driver, "attach", "class=MossgateTestee", "timeout=5000"], env=harness.wine_env(),
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
        self.assertEqual(run.returncode, 0, run.stdout)
        self.assertIn(b'"ok":true', run.stdout)
        run = subprocess.run(["wine", driver, "gettext", "编辑框9"], env=harness.wine_env(), stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, timeout=60)
        self.assertEqual(run.returncode, 1)


class TwoProgramsTest(harness.E2ETestCase):
    def test_each_program_is_closed_by_its_own_window(self):
        testee = dict(exe=harness.TESTEE, exe_name="testee.exe", window_class="MossgateTestee")
        first = self.start_program(self.folder("first"), **testee)
        second = self.start_program(self.folder("second"), **testee)
        self.assertNotEqual(first.win_pid, second.win_pid)
        self.assertEqual(self.driver.call("ping")["pid"], second.win_pid)
        self.assertEqual(first.close(self.driver), 0)
        self.assertTrue(second.running())
        self.assertEqual(second.close(self.driver), 0)


class DriverWithoutMainWindowTest(harness.E2ETestCase):
    def test_message_box_shown_before_the_window_and_the_process_end(self):
        program = self.start_program(exe=harness.TESTEE, exe_name="testee.exe", args=["--startup-message"],
                                     attach=False)
        program.attach(self.driver, window=False)
        box = self.driver.msgbox(timeout=10000)
        self.assertEqual(box["text"], "启动消息")
        self.assertIsNone(box["main"])
        self.driver.msgbox_press("确定")
        self.assertEqual(self.driver.call("wait_exit", timeout=10000)["exit_code"], 0)
        self.assertEqual(program.wait(10), 0)


if __name__ == "__main__":
    harness.main()
