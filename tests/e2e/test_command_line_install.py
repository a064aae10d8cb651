"""The command-line install, as the shell's association starts it: the program built with the recorder as its
embedded ADB toolkit (mossgate_recorder_toolkit.exe; the install runs inside start-up, right after the toolkit is
written, so no stand-in could be put in its place), its answers set per test by files beside it. Wine builds the
program's command line from the arguments it is given, putting one with blanks, or an empty one, in double quotes
and leaving the others bare."""

import os

import harness

PROGRAM = os.path.join(harness.TOOLS_DIR, "mossgate_recorder_toolkit.exe")
TOOLS = ("adb.exe", "AdbWinApi.dll", "AdbWinUsbApi.dll")

KILL_SERVER = b"* daemon not running *\r\n"
CONNECT = b"connected to 127.0.0.1:58526\r\n"
PERFORMING = b"Performing Streamed Install\r\n"


def write_answers(folder, by_argument):
    """The recorder's answers per first argument (adb.<argument>.stdout, ...), beside where the program writes it."""
    for argument, settings in by_argument.items():
        for what, value in settings.items():
            with open(os.path.join(folder, "adb.%s.%s" % (argument, what)), "wb") as f:
                f.write(value)


class CommandLineInstallTest(harness.E2ETestCase):
    def run_program(self, args, install_stdout=PERFORMING + b"Success\r\n", install_stderr=b"", install_exitcode=None):
        """Starts the program with args and the given answer of the install command; waits for its message box.
        Returns (program, box)."""
        self.run = self.folder()
        write_answers(self.run, {"kill-server": {"stdout": KILL_SERVER},
                                 "connect": {"stdout": CONNECT},
                                 "install": dict({"stdout": install_stdout, "stderr": install_stderr},
                                                 **({} if install_exitcode is None else
                                                    {"exitcode": str(install_exitcode).encode()}))})
        program = self.start_program(self.run, args=args, attach=False, exe=PROGRAM, exe_name="mossgate.exe")
        program.attach(self.driver, window=False)
        box = self.driver.msgbox(timeout=30000)
        self.assertEqual(box["caption"], "MOSSGATE")
        self.assertEqual([b["name"] for b in box["buttons"]], ["ok"])
        self.assertIsNone(box["owner"])
        self.assertTrue(box["task_modal"])
        return program, box

    def commands(self, program):
        return [c.cmdline for c in program.commands(own=True)]

    def install_records(self):
        return [r for r in harness.read_records(os.path.join(self.run, "recorder.log")) if r["args"][:1] == ["install"]]

    def close_box_and_wait_for_the_end(self, program):
        # The tools are there, the embedded recorder among them, until the window goes.
        with open(os.path.join(self.run, "AdbWinApi.dll"), "rb") as f:
            self.assertEqual(f.read(), b"AdbWinApi.dll of the recording toolkit\n")
        self.driver.msgbox_press("ok")
        self.assertEqual(program.wait(15), 0)
        for name in TOOLS:
            self.assertFalse(os.path.exists(os.path.join(self.run, name)), name)
        self.assertIn("mossgate.exe", os.listdir(self.run))

    def test_quoted_path_with_blanks_and_chinese_characters_is_installed_and_success_reported(self):
        path = r"C:\下载 文件\应用 名.apk"
        program, box = self.run_program([path, "second argument"])
        self.assertEqual(box["text"], "安装成功")
        self.assertEqual(self.commands(program), [
            r"cmd.exe /c .\adb.exe kill-server",
            r"cmd.exe /c .\adb.exe connect 127.0.0.1:58526",
            'cmd.exe /c .\\adb.exe install "%s"' % path,
        ])
        records = harness.read_records(os.path.join(self.run, "recorder.log"))
        self.assertEqual([r["args"] for r in records], [["kill-server"], ["connect", "127.0.0.1:58526"], ["install", path]])
        self.assertEqual(records[2]["cwd"], harness.windows_path(self.run))
        self.close_box_and_wait_for_the_end(program)

    def test_failure_shows_the_client_words_after_the_news(self):
        failure = b"adb: failed to install x.apk: Failure [INSTALL_FAILED_INVALID_APK]\r\n"
        for stdout, stderr in ((PERFORMING, failure), (PERFORMING + b"Successful\r\n", b"")):
            with self.subTest(install=stdout + stderr):
                program, box = self.run_program([r"C:\x.apk"], install_stdout=stdout, install_stderr=stderr)
                log = KILL_SERVER + b"\r\n" + CONNECT + b"\r\n" + stdout + stderr
                text = bytes.fromhex(box["text_gbk_hex"])
                # The news, a blank line, what to do, a blank line, then the client's own words.
                head, hint, rest = text.split(b"\r\n\r\n", 2)
                self.assertEqual(head, "安装失败".encode("gbk"))
                self.assertTrue(hint.decode("gbk").startswith("提示："), hint.decode("gbk"))
                self.assertEqual(rest, log)
                self.close_box_and_wait_for_the_end(program)

    def test_success_counts_only_as_the_last_verdict_with_exit_status_zero(self):
        failure = b"adb: failed to install x.apk: Failure [INSTALL_FAILED_INVALID_APK]\r\n"
        for stdout, exitcode in ((PERFORMING + failure + b"Success\r\n", 1), (PERFORMING + b"Success\r\n" + failure, 0),
                                 (PERFORMING + b"Success\r\n", 1)):
            with self.subTest(install=stdout, exitcode=exitcode):
                program, box = self.run_program([r"C:\x.apk"], install_stdout=stdout, install_exitcode=exitcode)
                self.assertTrue(box["text"].startswith("安装失败"), box["text"])
                self.close_box_and_wait_for_the_end(program)

    def test_failure_box_shows_the_last_lines_of_a_long_log(self):
        lines = b"".join(b"line %03d\r\n" % n for n in range(200))
        program, box = self.run_program([r"C:\x.apk"], install_stdout=PERFORMING + lines, install_exitcode=1)
        text = box["text"]
        self.assertTrue(text.startswith("安装失败\r\n\r\n"), text[:40])
        self.assertTrue(text.endswith("line 199\r\n"), text[-40:])
        self.assertLessEqual(text.count("\n"), 30)
        self.close_box_and_wait_for_the_end(program)

    def test_unquoted_path_with_a_blank_installs_the_part_before_it_and_empty_quotes_an_empty_path(self):
        program, box = self.run_program([r"C:\my", r"apps\a.apk"])
        self.assertEqual(box["text"], "安装成功")
        self.assertEqual(self.commands(program)[2], r'cmd.exe /c .\adb.exe install "C:\my"')
        self.assertEqual(self.install_records()[0]["args"], ["install", r"C:\my"])
        self.close_box_and_wait_for_the_end(program)

        program, box = self.run_program([""])
        self.assertEqual(self.commands(program)[2], 'cmd.exe /c .\\adb.exe install ""')
        self.assertEqual(self.install_records()[0]["args"], ["install", ""])
        self.close_box_and_wait_for_the_end(program)


if __name__ == "__main__":
    harness.main()
