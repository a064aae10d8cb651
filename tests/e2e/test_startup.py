"""Start-up and exit of the real program: the ADB toolkit next to it, the hidden work folder with the icon in
Documents, and what happens when a folder is unavailable, write-protected or a tool file is in use."""

import os
import shutil
import time

import harness

TOOLS = ("adb.exe", "AdbWinApi.dll", "AdbWinUsbApi.dll")
ICON_BYTES = 432254


def read(path):
    with open(path, "rb") as f:
        return f.read()


class StartupTest(harness.E2ETestCase):
    def setUp(self):
        self.payload = {name: read(path) for name, path in harness.embedded_payload().items()}
        self.work = harness.work_folder()
        if os.path.lexists(self.work):
            os.chmod(self.work, 0o755)
            shutil.rmtree(self.work)

    def assert_tools_written(self, folder):
        for name in TOOLS:
            self.assertEqual(read(os.path.join(folder, name)), self.payload[name], name)

    def assert_work_folder(self, work):
        self.assertTrue(os.path.isdir(work), work)
        self.assertTrue(harness.is_hidden(work))
        self.assertFalse(harness.dos_attributes(work) & harness.FILE_ATTRIBUTE_READONLY)
        icon = read(os.path.join(work, "WSAAPK.ico"))
        self.assertEqual(len(icon), ICON_BYTES)
        self.assertEqual(icon, self.payload["WSAAPK.ico"])

    def close_and_wait(self, program):
        self.assertEqual(program.close(self.driver, timeout=15), 0, "the program did not end by itself")

    def test_tools_are_written_whole_and_removed_when_the_window_closes(self):
        folder = self.folder()
        # A stale toolkit of an earlier, different version: longer than the one carried.
        stale = self.payload["adb.exe"] + b"stale tail" * 4096
        with open(os.path.join(folder, "adb.exe"), "wb") as f:
            f.write(stale)
        with open(os.path.join(folder, "AdbWinApi.dll"), "wb") as f:
            f.write(b"old")
        program = self.start_program(folder)

        self.assertTrue(self.driver.window()["visible"])
        self.assert_tools_written(folder)
        self.assert_work_folder(self.work)
        self.assertEqual(sorted(os.listdir(folder)), sorted(TOOLS + ("mossgate.exe",)))
        # Start-up starts no other program.
        self.assertEqual([c for c in program.commands() if int(c.pid or "0", 16) == program.win_pid], [])

        self.close_and_wait(program)
        self.assertEqual(os.listdir(folder), ["mossgate.exe"])
        self.assert_work_folder(self.work)

    def test_work_folder_made_visible_and_read_only_is_hidden_again_and_its_icon_rewritten(self):
        os.makedirs(self.work)
        with open(os.path.join(self.work, "WSAAPK.ico"), "wb") as f:
            f.write(b"not the icon" * 50000)
        with open(os.path.join(self.work, "coolapk.apk"), "wb") as f:
            f.write(b"kept")
        harness.set_dos_attributes(self.work, 0)
        os.chmod(self.work, 0o555)  # Wine reports such a folder read-only
        self.assertEqual(harness.dos_attributes(self.work), harness.FILE_ATTRIBUTE_READONLY)

        program = self.start_program()
        self.assert_work_folder(self.work)
        self.assertEqual(harness.wine_attrib(self.work), "H")
        self.assertEqual(read(os.path.join(self.work, "coolapk.apk")), b"kept")
        self.close_and_wait(program)

    def test_run_folder_with_blanks_and_chinese_characters(self):
        folder = self.folder("运行 目录 with blanks")
        program = self.start_program(folder)
        self.assert_tools_written(folder)
        self.close_and_wait(program)
        self.assertEqual(os.listdir(folder), ["mossgate.exe"])

    def test_started_with_an_argument_the_window_closes_by_itself(self):
        folder = self.folder()
        program = self.start_program(folder, args=[r"C:\missing\a b.apk"], attach=False)
        program.attach(self.driver, window=False)
        deadline = time.monotonic() + 30
        while program.wait(0.2) is None:
            # Once the command-line install reports its result, the message box is answered as a user would.
            if self.driver.call("msgboxes")["boxes"]:
                self.driver.msgbox_press("ok")
            self.assertLess(time.monotonic(), deadline, "the program did not end")
        self.assertEqual(program.wait(1), 0)
        self.assertEqual(os.listdir(folder), ["mossgate.exe"])
        self.assert_work_folder(self.work)


class StartupFailureTest(harness.E2ETestCase):
    def setUp(self):
        self.payload = {name: read(path) for name, path in harness.embedded_payload().items()}

    def test_without_documents_folder_the_work_folder_lands_in_the_run_folder(self):
        folder = self.folder()
        with harness.documents_unavailable():
            program = self.start_program(folder)
            work = os.path.join(folder, "MOSSGATE")
            self.assertTrue(harness.is_hidden(work))
            self.assertEqual(read(os.path.join(work, "WSAAPK.ico")), self.payload["WSAAPK.ico"])
            for name in TOOLS:
                self.assertEqual(read(os.path.join(folder, name)), self.payload[name])
            self.assertFalse(os.path.lexists(harness.documents_folder()))
            self.assertEqual(program.close(self.driver, timeout=15), 0)
        self.assertEqual(sorted(os.listdir(folder)), ["MOSSGATE", "mossgate.exe"])
        self.assertEqual(os.listdir(work), ["WSAAPK.ico"])

    def test_write_protected_run_folder_gets_no_tools_and_the_program_still_starts(self):
        folder = self.folder()
        harness.Program(folder).prepare()
        with harness.read_only_folder(folder):
            program = self.start_program(folder)
            self.assertTrue(self.driver.window()["visible"])
            self.assertEqual(os.listdir(folder), ["mossgate.exe"])
            self.assertEqual(read(os.path.join(harness.work_folder(), "WSAAPK.ico")), self.payload["WSAAPK.ico"])
            self.assertEqual(program.close(self.driver, timeout=15), 0)

    def test_tool_file_in_use_stays_untouched(self):
        folder = self.folder()
        sleeper = harness.Sleeper(folder, "adb.exe")
        self.addCleanup(sleeper.stop)
        in_use = read(sleeper.path)
        program = self.start_program(folder)
        self.assertTrue(self.driver.window()["visible"])
        self.assertEqual(read(os.path.join(folder, "adb.exe")), in_use)
        for name in TOOLS[1:]:
            self.assertEqual(read(os.path.join(folder, name)), self.payload[name])
        self.assertEqual(program.close(self.driver, timeout=15), 0)
        # The files the program could not replace or delete stay; nothing of its own is left behind.
        left = sorted(n for n in os.listdir(folder) if not n.startswith("adb."))
        self.assertEqual(left, ["mossgate.exe"])
        self.assertEqual(read(os.path.join(folder, "adb.exe")), in_use)


if __name__ == "__main__":
    harness.main()
