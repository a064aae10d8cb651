"""The WSA page's install button under Wine, clicked as a user would: the message for an empty path box, and the
one PowerShell command line each click starts, seen in the process trace and by the recording stand-in that the
program finds as powershell.exe in its own folder."""

import os
import shutil

import harness

PREFIX = "powershell add-appxpackage \"'"
SUFFIX = "'\"\r\ntime out (5000)"
# Wine's prefix carries a powershell.exe stub in C:\windows\system32\WindowsPowershell\v1.0, which its PATH names.
PATH_WITHOUT_POWERSHELL = r"C:\windows\system32;C:\windows"


def expected_command_line(path):
    """The command line for a package path: the path in a PowerShell single-quoted string, its quotes doubled."""
    for quote in ("'", "\u2018", "\u2019"):
        path = path.replace(quote, quote * 2)
    return PREFIX + path + SUFFIX


class WsaInstallTest(harness.E2ETestCase):
    def setUp(self):
        self.run = self.folder()
        self.stand_in = harness.install_recorder(self.run, "powershell.exe")
        self.log = os.path.join(self.run, "recorder.log")
        self.program = self.start_program(self.run)
        self.wait_for_activation()

    def started(self):
        """The command lines the program itself passed to CreateProcess."""
        return self.program.commands(own=True)

    def recorded(self):
        return harness.read_records(self.log)

    def install(self, mode="post"):
        """Clicks 按钮2. Posted by default: the console window of a stand-in started before may cover the button."""
        reply = self.driver.click("按钮2", mode=mode)
        self.assertTrue(reply["synced"], reply)
        return reply

    def assert_started_with(self, path, clicks):
        expected = expected_command_line(path)
        commands = self.started()
        self.assertEqual(len(commands), clicks, commands)
        for command in commands:
            self.assertFalse(command.truncated, "keep the path short enough for the trace")
            self.assertIsNone(command.app, "the program is found by the search, not named")
            self.assertEqual(command.cmdline, expected)
        records = self.wait_until(lambda: (lambda r: r if len(r) >= clicks else None)(self.recorded()),
                                  what="%d run(s) of the PowerShell stand-in" % clicks)
        self.assertEqual(len(records), clicks)
        for record in records:
            self.assertEqual(record["image"].lower(), harness.windows_path(self.stand_in).lower())
            self.assertEqual(record["cmdline"], expected)
            self.assertEqual(bytes.fromhex(record["cmdline_ansi_hex"]), expected.encode("gbk"))
            self.assertEqual(record["ppid"], self.program.win_pid)

    def test_empty_box_shows_the_message_and_starts_nothing(self):
        d = self.driver
        for attempt in ("at start", "after the box was emptied"):
            before = harness.window_state(d)
            self.install(mode="auto" if attempt == "at start" else "post")
            box = d.msgbox()
            self.assertEqual((box["caption"], box["text"]), ("信息：", "路径不能为空"), attempt)
            self.assertEqual([b["name"] for b in box["buttons"]], ["ok"])
            self.assertIsNone(box["owner"])
            self.assertTrue(box["task_modal"])
            self.assertFalse(box["main_enabled"], "the window is disabled while the box is open")
            d.msgbox_press("ok")
            d.sync()
            self.assertEqual(harness.window_state(d), before, attempt)
            self.assertEqual(self.started(), [], attempt)
            d.set_text("编辑框1", "C:\\x.Msixbundle")
            d.set_text("编辑框1", "")
        self.assertEqual(self.recorded(), [])

    def test_blanks_alone_are_a_path(self):
        d = self.driver
        d.type("编辑框1", "   ")
        self.assertEqual(d.text("编辑框1"), "   ")
        self.install(mode="auto")
        self.assertEqual(d.call("msgboxes")["boxes"], [])
        self.assert_started_with("   ", clicks=1)

    def test_path_with_blank_dollar_backtick_quotes_and_chinese_is_quoted_whole(self):
        d = self.driver
        # Chinese characters are written (posted input would bring them as "??"), the rest is typed.
        d.set_text("编辑框1", "C:\\安装 包\\\u2018新\u2019")
        d.type("编辑框1", " it's $env:TEMP `n.Msixbundle", at="end")
        path = "C:\\安装 包\\\u2018新\u2019 it's $env:TEMP `n.Msixbundle"
        self.assertEqual(d.text("编辑框1"), path)
        before = harness.window_state(d)

        self.install(mode="auto")
        self.assert_started_with(path, clicks=1)
        self.assertEqual(d.call("msgboxes")["boxes"], [])
        self.assertEqual(harness.window_state(d), before)

        self.install()
        self.assert_started_with(path, clicks=2)
        self.assertEqual(d.call("msgboxes")["boxes"], [])
        self.assertEqual(harness.window_state(d), before)

    def test_path_chosen_through_the_file_dialog(self):
        # A short folder on the prefix's C: keeps the traced command line whole.
        folder = os.path.join(harness.PREFIX, "drive_c", "wsa e2e")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        self.addCleanup(shutil.rmtree, folder, True)
        package = os.path.join(folder, "包 it's $a `b.Msixbundle")
        open(package, "wb").close()
        d = self.driver
        d.click("按钮1")
        d.filedialog_open(harness.windows_path(package))
        self.assertEqual(d.text("编辑框1"), harness.windows_path(package))
        before = harness.window_state(d)
        self.install()
        self.assert_started_with(harness.windows_path(package), clicks=1)
        self.assertEqual(d.call("msgboxes")["boxes"], [])
        self.assertEqual(harness.window_state(d), before)


class WithoutPowerShellProgram(harness.Program):
    """The program started by Wine's cmd with a PATH that leaves out the folder of Wine's powershell.exe stub: the
    system's search then finds no PowerShell anywhere. cmd waits for the program, so the Unix process lasts as long."""

    def wine_command(self):
        # One argument with blanks: Wine puts it in double quotes, which cmd /c takes off again. The program's path
        # therefore must not hold blanks itself.
        assert " " not in harness.windows_path(self.path)
        return ["wine", "cmd", "/c", "set PATH=%s&& %s" % (PATH_WITHOUT_POWERSHELL, harness.windows_path(self.path))]


class WithoutPowerShellTest(harness.E2ETestCase):
    def test_click_without_powershell_has_no_visible_effect(self):
        run = self.folder()
        for folder in (run, os.path.join(harness.PREFIX, "drive_c", "windows"),
                       os.path.join(harness.PREFIX, "drive_c", "windows", "system32")):
            self.assertFalse([n for n in os.listdir(folder) if n.lower() == "powershell.exe"], folder)
        program = WithoutPowerShellProgram(run).prepare().start()
        self.addCleanup(self._stop_program, program)
        program.attach(self.driver)
        self.wait_for_activation()
        d = self.driver
        path = r"C:\WSA 安装\包.Msixbundle"
        d.set_text("编辑框1", path)
        before = harness.window_state(d)
        # Whatever Wine itself started along with the window (its desktop process) is not the click's.
        trace_before = len(program.trace_text().splitlines())

        for click in (1, 2):
            self.assertTrue(d.click("按钮2")["synced"], "the window went on taking input")
            self.assertEqual(d.call("msgboxes")["boxes"], [])
            self.assertEqual(harness.window_state(d), before)
            self.assertTrue(program.running())
            # The program asked for PowerShell, and nothing was started.
            self.assertEqual([c.cmdline for c in program.commands(own=True)], [expected_command_line(path)] * click)
            started = [line for line in program.trace_text().splitlines()[trace_before:]
                       if line.startswith("%04x:" % program.win_pid) and "NtCreateUserProcess" in line]
            self.assertEqual(started, [])

        # Still responsive: the box takes more typing, and the page can be switched.
        d.type("编辑框1", "x", at="end")
        self.assertEqual(d.text("编辑框1"), path + "x")
        d.tab_select("选择夹1", "APK安装")
        self.assertEqual(program.close(d, timeout=15), 0)


if __name__ == "__main__":
    harness.main()
