"""The ADB install sequence of the APK page, driven as a user would, with a recording stand-in for the ADB client:
the three commands and where they run, the install log, address and port, the one-click app-store install, the
guard against a second sequence, the port check, and a client or package file that is missing or cannot be
written."""

import contextlib
import os
import subprocess
import time
import unittest

import harness

PORT_MESSAGE = "端口号无效，请输入 1 到 65535 之间的数字"

# Distinct answers per command, on both streams (the runner reads them from one pipe, stdout first here because
# the stand-in writes it first and ends only after both).
ANSWERS = {
    "kill-server": {"stdout": b"* server not running *\r\n", "stderr": "服务 已停止\r\n".encode("gbk")},
    "connect": {"stdout": b"connected to 127.0.0.1:58526\n", "stderr": b"\tconnect warning"},
    "install": {"stdout": "Performing Streamed Install\r\n安装 中\r\n".encode("gbk"), "stderr": b"Success\r\n"},
}


def answer(command):
    return ANSWERS[command]["stdout"] + ANSWERS[command]["stderr"]


def interpreter_complaint_template():
    """The command interpreter's words for a program it cannot find, with %s where it names the command line:
    taken from the rig's own cmd, in an empty folder."""
    empty = os.path.join(harness.E2E_DIR, "empty folder")
    os.makedirs(empty, exist_ok=True)
    result = subprocess.run(["wine", "cmd", "/c", ".\\adb.exe", "kill-server"], cwd=empty,
                            env=harness.wine_env({"WINEDEBUG": "-all"}), stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=60)
    words = result.stdout + result.stderr
    assert b".\\adb.exe kill-server" in words, words
    return words.replace(b"%", b"%%").replace(b".\\adb.exe kill-server", b"%s")


@contextlib.contextmanager
def small_disk(path, size):
    """A tmpfs of `size` mounted on path (hiding what was there); raises unittest.SkipTest when mounting fails."""
    result = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % size, "tmpfs", path], stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, timeout=30)
    if result.returncode != 0:
        raise unittest.SkipTest("cannot mount a tmpfs on %s: %s" % (path, result.stdout.decode(errors="replace")))
    try:
        yield path
    finally:
        harness.unmount(path)


class InstallSequenceCase(harness.E2ETestCase):
    """The program started in a fresh run folder, its written client replaced by the recording stand-in, the APK
    page shown."""

    answers = ANSWERS

    def setUp(self):
        self.run = self.folder()
        self.prepare_run_folder()
        self.program = self.start_program(self.run)
        # After the start, which writes the real toolkit.
        harness.install_recorder(self.run, "adb.exe", by_argument=self.answers)
        self.log = os.path.join(self.run, "recorder.log")
        self.wait_for_activation()
        self.driver.tab_select("选择夹1", "APK安装")

    def prepare_run_folder(self):
        pass

    def records(self):
        return [r for r in harness.read_records(self.log) if r["name"] == "adb"]

    def commands(self):
        """The command lines the program itself started, in order."""
        return [c.cmdline for c in self.program.commands(own=True)]

    def click_install(self, button="按钮4", commands=3):
        """Clicks an install button and waits for the sequence to end: its commands started, the buttons enabled
        again. Returns the command lines it started."""
        before = len(self.commands())
        # Posted: a console window of a command started before may still cover the button for a moment.
        self.driver.click(button, mode="post")
        started = self.wait_until(lambda: (lambda now: now[before:] if len(now) >= before + commands else None)(
            self.commands()), what="the program to start %d commands" % commands)
        self.driver.call("wait_enabled", "按钮4", timeout=20000)
        self.driver.call("wait_enabled", "按钮8", timeout=5000)
        return started

    def log_bytes(self):
        return bytes.fromhex(self.driver.call("gettext", "编辑框2")["gbk_hex"])


class CommandsTest(InstallSequenceCase):
    def prepare_run_folder(self):
        # The PowerShell stand-in, started by the WSA page from the current directory, shows where that is.
        harness.install_recorder(self.run, "powershell.exe")

    def current_directory(self):
        """The program's current directory, as the PowerShell it starts inherits it."""
        def starts():
            return [r for r in harness.read_records(self.log) if r["name"] == "powershell"]

        before = len(starts())
        d = self.driver
        d.tab_select("选择夹1", "WSA安装", mode="post")
        d.set_text("编辑框1", r"C:\x.Msixbundle")
        d.click("按钮2", mode="post")
        cwd = self.wait_until(lambda: starts()[before:], what="PowerShell to start")[0]["cwd"]
        d.tab_select("选择夹1", "APK安装", mode="post")
        return cwd

    def test_defaults_run_the_three_commands_in_order_in_the_run_folder_also_after_a_dialog_moved_away(self):
        d = self.driver
        other = self.folder("其他 目录")
        package = os.path.join(other, "包 a.apk")
        open(package, "wb").close()
        d.click("按钮3", mode="post")
        # Browsing into the folder first: that is what moves the current directory.
        d.call("filedialog_open", harness.windows_path(other), check=False, close_timeout=1000)
        self.assertEqual(d.filedialog()["look_in"], "其他 目录")
        d.filedialog_open("包 a.apk")
        self.assertEqual(d.text("编辑框4"), harness.windows_path(package))
        self.assertEqual(self.current_directory(), harness.windows_path(other), "the dialog did not move away")

        self.assertEqual(self.click_install(), [
            r"cmd.exe /c .\adb.exe kill-server",
            r"cmd.exe /c .\adb.exe connect 127.0.0.1:58526",
            'cmd.exe /c .\\adb.exe install "%s"' % harness.windows_path(package),
        ])
        records = self.records()
        self.assertEqual([r["args"] for r in records],
                         [["kill-server"], ["connect", "127.0.0.1:58526"], ["install", harness.windows_path(package)]])
        for record in records:
            self.assertEqual(record["cwd"], harness.windows_path(self.run))
            self.assertEqual(record["image"], harness.windows_path(os.path.join(self.run, "adb.exe")))

    def test_path_with_blanks_and_chinese_characters_goes_inside_the_quotes_unchanged(self):
        d = self.driver
        path = r"D:\安装 包\应用 名 (1).apk"
        d.set_text("编辑框4", path)
        self.assertEqual(self.click_install()[2], 'cmd.exe /c .\\adb.exe install "%s"' % path)
        record = self.records()[2]
        self.assertEqual(record["args"], ["install", path])
        # The client gets the program's GBK bytes.
        self.assertEqual(bytes.fromhex(record["cmdline_ansi_hex"]),
                         b'.\\adb.exe install "' + path.encode("gbk") + b'"')

        d.set_text("编辑框4", "")
        self.assertEqual(self.click_install()[2], 'cmd.exe /c .\\adb.exe install ""')
        self.assertEqual(self.records()[5]["args"], ["install", ""])

    def test_address_and_port_boxes_make_the_connect_command(self):
        d = self.driver
        d.set_text("编辑框3", "5555")
        self.assertEqual(self.click_install()[1], r"cmd.exe /c .\adb.exe connect 127.0.0.1:5555")

        d.call("ip_clear", "IP编辑框1")
        self.assertEqual(self.click_install()[1], r"cmd.exe /c .\adb.exe connect :5555")

        d.call("ip_field", "IP编辑框1", 0, "10")
        self.assertEqual(d.ip("IP编辑框1")["fields"], ["10", "", "", ""])
        d.set_text("编辑框3", "58526")
        self.assertEqual(self.click_install()[1], r"cmd.exe /c .\adb.exe connect 10.0.0.0:58526")

    def test_app_store_install_writes_the_package_and_always_uses_the_default_endpoint(self):
        d = self.driver
        store = os.path.join(harness.work_folder(), "coolapk.apk")
        with open(store, "wb") as f:
            f.write(b"an older, longer download" * 100000)
        d.ip_set("IP编辑框1", "192.168.1.20")
        d.set_text("编辑框3", "5555")
        d.set_text("编辑框4", r"C:\chosen.apk")
        self.assertEqual(self.click_install("按钮8"), [
            r"cmd.exe /c .\adb.exe kill-server",
            r"cmd.exe /c .\adb.exe connect 127.0.0.1:58526",
            'cmd.exe /c .\\adb.exe install "%s"' % harness.windows_path(store),
        ])
        with open(harness.embedded_payload()["coolapk.apk"], "rb") as f:
            embedded = f.read()
        with open(store, "rb") as f:
            self.assertEqual(f.read(), embedded)
        self.assertEqual(sorted(os.listdir(harness.work_folder())), ["WSAAPK.ico", "coolapk.apk"])
        # The boxes keep what the user entered; the chosen package's button still uses them.
        self.assertEqual(self.click_install()[1:], [
            r"cmd.exe /c .\adb.exe connect 192.168.1.20:5555", r'cmd.exe /c .\adb.exe install "C:\chosen.apk"'])


class PayloadImageTest(unittest.TestCase):
    def test_program_sections_lie_at_page_offsets_so_the_payload_is_mapped_not_read_at_start(self):
        import struct
        with open(harness.PROGRAM, "rb") as f:
            data = f.read(4096)
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        sections = pe + 24 + optional_size
        for n in range(count):
            name = data[sections + 40 * n:sections + 40 * n + 8].rstrip(b"\0").decode()
            raw_size, raw_offset = struct.unpack_from("<II", data, sections + 40 * n + 16)
            if raw_size:
                self.assertEqual(raw_offset % 4096, 0, name)


class LogTest(InstallSequenceCase):
    def test_log_is_the_three_outputs_byte_for_byte_and_the_next_run_replaces_it(self):
        d = self.driver
        d.set_text("编辑框2", "text from before")
        self.click_install()
        self.assertEqual(self.log_bytes(),
                         answer("kill-server") + b"\r\n" + answer("connect") + b"\r\n" + answer("install"))

        # The next run, with other answers; a command that prints nothing leaves an empty part.
        harness.install_recorder(self.run, "adb.exe", by_argument={
            "kill-server": {"stdout": b"second", "stderr": b""},
            "connect": {"stdout": b"", "stderr": b""},
            "install": {"stdout": b"", "stderr": "失败".encode("gbk")}})
        self.click_install()
        log = self.log_bytes().decode("gbk")
        # The install did not succeed: the client's words, a blank line and a paragraph of advice.
        self.assertTrue(log.startswith("second\r\n\r\n失败\r\n\r\n提示："), log)
        self.assertEqual(log.count("提示："), 1)

    def test_log_shows_its_end_after_many_lines(self):
        lines = b"".join(b"line %03d of the install output\r\n" % n for n in range(300))
        harness.install_recorder(self.run, "adb.exe", by_argument=dict(ANSWERS, install={"stdout": lines, "stderr": b""}))
        self.click_install()
        log = self.log_bytes()
        self.assertIn(lines + b"\r\n" + "提示：".encode("gbk"), log)
        count = self.driver.call("send", "编辑框2", 0x00BA)["result"]  # EM_GETLINECOUNT
        first = self.driver.call("send", "编辑框2", 0x00CE)["result"]  # EM_GETFIRSTVISIBLELINE
        self.assertGreater(count, 300)
        # The box is 96 pixels high: a dozen lines at most fit, and the last one is among them.
        self.assertGreaterEqual(first, count - 12)


class HostileOutputTest(InstallSequenceCase):
    def test_a_flood_of_output_leaves_a_capped_log_and_a_responsive_window(self):
        # A 1 MB line, then lines up to 100 MB in all, then the verdict on the other stream.
        harness.install_recorder(self.run, "adb.exe", by_argument=dict(ANSWERS, install={"stderr": b"Success\r\n"}))
        with open(os.path.join(self.run, "adb.install.stdout"), "wb") as f:
            f.write(b"x" * 1000000 + b"\r\n")
            line = b"0123456789" * 10 + b"\r\n"
            block = line * 10000
            for _ in range(99000000 // len(block)):
                f.write(block)
        start = time.monotonic()
        self.click_install()
        self.assertLess(time.monotonic() - start, 60)
        log = self.log_bytes()
        self.assertLess(len(log), 40000)
        self.assertTrue(log.startswith(answer("kill-server") + b"\r\n" + answer("connect") + b"\r\n" + b"x" * 3000))
        self.assertIn("省略".encode("gbk"), log)
        self.assertTrue(log.endswith(line + b"Success\r\n"), log[-200:])
        # The window answers at once.
        answered = time.monotonic()
        self.driver.call("gettext", "编辑框4")
        self.assertLess(time.monotonic() - answered, 5)

    def test_a_path_too_long_for_the_interpreter_starts_nothing_and_says_so(self):
        d = self.driver
        d.set_text("编辑框4", "C:\\" + "a" * 8200 + ".apk")
        before = len(self.commands())
        d.click("按钮4", mode="post")
        self.wait_until(lambda: "路径太长" in d.text("编辑框2"), what="the log to say the path is too long")
        d.call("wait_enabled", "按钮4", timeout=20000)
        self.assertEqual(len(self.commands()), before)


class GuardTest(InstallSequenceCase):
    answers = dict(ANSWERS, connect=dict(ANSWERS["connect"], wait_ms=30000))

    def test_second_sequence_cannot_start_while_one_runs_and_the_window_serves_meanwhile(self):
        d = self.driver
        d.set_text("编辑框4", r"C:\first.apk")
        d.click("按钮4", mode="post")
        self.wait_until(lambda: len(self.records()) == 2, what="the connect command to start")
        self.assertFalse(d.info("按钮4")["enabled"])
        self.assertFalse(d.info("按钮8")["enabled"])

        # Clicks as a user makes them, and clicks posted to the buttons themselves: neither starts anything.
        for button in ("按钮4", "按钮8"):
            d.click(button, mode="input")
            d.click(button, mode="post")
        d.sync(after="mouse", timeout=2000)  # fails unless the window thread takes its input meanwhile

        # The rest of the window works: pages switch, a path box takes typing.
        d.tab_select("选择夹1", "WSA安装")
        d.type("编辑框1", r"C:\typed meanwhile.Msixbundle")
        self.assertEqual(d.text("编辑框1"), r"C:\typed meanwhile.Msixbundle")
        d.tab_select("选择夹1", "APK安装")
        d.type("编辑框4", "x", at="end")
        self.assertEqual(d.text("编辑框4"), r"C:\first.apkx")
        self.assertEqual(len(self.commands()), 2)

        with open(os.path.join(self.run, "adb.release"), "wb"):
            pass
        self.wait_until(lambda: len(self.records()) == 3, what="the install command")
        d.call("wait_enabled", "按钮4", timeout=20000)
        self.assertTrue(d.info("按钮8")["enabled"])
        # One sequence only, and it installs the package that was chosen when its button was clicked.
        self.assertEqual(self.commands(), [
            r"cmd.exe /c .\adb.exe kill-server",
            r"cmd.exe /c .\adb.exe connect 127.0.0.1:58526",
            r'cmd.exe /c .\adb.exe install "C:\first.apk"',
        ])
        self.assertEqual(self.log_bytes(),
                         answer("kill-server") + b"\r\n" + answer("connect") + b"\r\n" + answer("install"))

        # Afterwards both buttons start sequences again.
        self.assertEqual(self.click_install("按钮8")[0], r"cmd.exe /c .\adb.exe kill-server")
        self.assertEqual(self.click_install()[2], r'cmd.exe /c .\adb.exe install "C:\first.apkx"')


class PortCheckTest(InstallSequenceCase):
    def test_port_that_is_not_a_number_from_1_to_65535_starts_nothing(self):
        d = self.driver
        for port in ("58526 & echo x", "0", "65536", "abc", ""):
            d.set_text("编辑框3", port)
            d.click("按钮4", mode="post")
            box = d.msgbox()
            self.assertEqual((box["caption"], box["text"]), ("信息：", PORT_MESSAGE), port)
            self.assertEqual([b["name"] for b in box["buttons"]], ["ok"])
            self.assertIsNone(box["owner"])
            d.msgbox_press("ok")
            self.assertTrue(d.info("按钮4")["enabled"])
        self.assertEqual(self.commands(), [])
        self.assertEqual(self.records(), [])

        # The app-store install does not read the box.
        d.set_text("编辑框3", "abc")
        self.assertEqual(self.click_install("按钮8")[1], r"cmd.exe /c .\adb.exe connect 127.0.0.1:58526")
        self.assertEqual(d.call("msgboxes")["boxes"], [])

    def test_port_with_leading_zeros_and_the_highest_port_are_used_as_typed(self):
        d = self.driver
        for port in ("00080", "65535"):
            d.set_text("编辑框3", port)
            self.assertEqual(self.click_install()[1], r"cmd.exe /c .\adb.exe connect 127.0.0.1:" + port)
        self.assertEqual(d.call("msgboxes")["boxes"], [])


class FailureTest(InstallSequenceCase):
    def test_missing_client_leaves_the_interpreter_complaint_three_times_in_the_log(self):
        complaint = interpreter_complaint_template()
        os.remove(os.path.join(self.run, "adb.exe"))
        self.driver.set_text("编辑框4", r"C:\a b.apk")
        commands = [r".\adb.exe kill-server", r".\adb.exe connect 127.0.0.1:58526", r'.\adb.exe install "C:\a b.apk"']
        self.assertEqual(self.click_install(), ["cmd.exe /c " + c for c in commands])
        log = self.log_bytes()
        client = b"\r\n".join(complaint % c.encode() for c in commands)
        self.assertEqual(log[:len(client)], client)
        # Then, after a blank line, what to do: the program could not write its tools.
        self.assertTrue(log[len(client):].decode("gbk").startswith("\r\n提示：找不到 adb.exe"), log[len(client):])
        self.assertEqual(self.records(), [])

    def assert_store_install_ran_on(self, store):
        self.assertEqual(self.click_install("按钮8")[2], 'cmd.exe /c .\\adb.exe install "%s"' % harness.windows_path(store))
        self.assertTrue(self.program.running())
        self.assertTrue(self.driver.window()["visible"])

    def test_store_package_that_cannot_be_written_leaves_the_old_file_and_the_install_runs_on_it(self):
        work = harness.work_folder()
        store = os.path.join(work, "coolapk.apk")
        with open(store, "wb") as f:
            f.write(b"read-only copy")
        os.chmod(store, 0o444)  # Wine reports the file read-only
        self.addCleanup(lambda: os.path.exists(store) and os.chmod(store, 0o644))
        self.assert_store_install_ran_on(store)
        with open(store, "rb") as f:
            self.assertEqual(f.read(), b"read-only copy")
        self.assertEqual(sorted(os.listdir(work)), ["WSAAPK.ico", "coolapk.apk"])

    def test_disk_that_fills_up_leaves_the_old_package_whole(self):
        work = harness.work_folder()
        pages = -(-os.path.getsize(harness.embedded_payload()["coolapk.apk"]) // 4096)
        # One page for the old copy, one page less than the new package needs beside it.
        with small_disk(work, pages * 4096):
            store = os.path.join(work, "coolapk.apk")
            with open(store, "wb") as f:
                f.write(b"the copy of yesterday")
            self.assert_store_install_ran_on(store)
            with open(store, "rb") as f:
                self.assertEqual(f.read(), b"the copy of yesterday")
            self.assertEqual(os.listdir(work), ["coolapk.apk"])

    def test_missing_work_folder_still_runs_the_install_command(self):
        work = harness.work_folder()
        for name in os.listdir(work):
            os.remove(os.path.join(work, name))
        os.rmdir(work)
        self.assert_store_install_ran_on(os.path.join(work, "coolapk.apk"))
        self.assertFalse(os.path.exists(work))
        self.assertEqual(self.records()[2]["args"], ["install", harness.windows_path(os.path.join(work, "coolapk.apk"))])


if __name__ == "__main__":
    harness.main()
