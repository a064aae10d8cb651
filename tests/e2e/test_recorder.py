"""The recording stand-in (recorder.exe) and the harness's helpers for it, under Wine."""

import os
import subprocess
import time

import harness


class RecorderTest(harness.E2ETestCase):
    def run_wine(self, args, cwd, env=None, timeout=60):
        return subprocess.run(["wine"] + args, cwd=cwd, env=harness.wine_env(env), stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=timeout)

    def test_records_the_command_line_and_answers_by_first_argument(self):
        tools = self.folder("工具目录")
        log = os.path.join(self.case_folder(), "records.log")
        if os.path.exists(log):
            os.remove(log)
        adb = harness.install_recorder(tools, "adb.exe", stdout="默认\r\n", by_argument={
            "connect": {"stdout": b"connected to 127.0.0.1:58526\r\n", "stderr": "警告", "exitcode": 300},
            "install": {"wait_ms": 1500, "exitcode": 259}})
        cwd = self.folder("当前")
        env = {"MOSSGATE_RECORDER_LOG": log}

        # Wine quotes the argument with a blank when it makes cmd's command line; cmd passes it on as is.
        exactly_300 = ["&", "if", "errorlevel", "300", "if", "not", "errorlevel", "301", "echo", "EXIT300"]
        run = self.run_wine(["cmd", "/c", harness.windows_path(adb), "connect", "127.0.0.1:58526", "a b", "中文"]
                            + exactly_300, cwd, env)
        self.assertEqual(run.stdout.replace(b"\r\n", b"\n"), b"connected to 127.0.0.1:58526\nEXIT300\n")
        self.assertEqual(run.stderr[-4:], "警告".encode("gbk"))
        run = self.run_wine([adb, "kill-server"], cwd, env)
        self.assertEqual((run.returncode, run.stdout), (0, "默认\r\n".encode("gbk")))

        # 259 (STILL_ACTIVE) is an exit code too; Wine's cmd reads it as 0, the driver sees it.
        installing = subprocess.Popen(["wine", adb, "install"], cwd=cwd, env=harness.wine_env(env),
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        try:
            self.driver.attach(image="工具目录\\adb.exe", window=False, timeout=10000)
            self.assertEqual(self.driver.call("wait_exit", timeout=10000)["exit_code"], 259)
        finally:
            if installing.wait(timeout=10) is None:
                harness._kill_group(installing)

        records = harness.read_records(log)
        self.assertEqual(len(records), 3)
        first = records[0]
        self.assertEqual((first["exe"], first["name"]), ("adb.exe", "adb"))
        self.assertEqual(first["args"], ["connect", "127.0.0.1:58526", "a b", "中文"])
        # Wine's cmd leaves a blank at the end of the command lines it makes.
        self.assertTrue(first["cmdline"].rstrip().endswith(' connect 127.0.0.1:58526 "a b" 中文'), first["cmdline"])
        self.assertEqual(bytes.fromhex(first["cmdline_ansi_hex"]).decode("gbk"), first["cmdline"])
        self.assertEqual(first["cwd"].rstrip("\\"), harness.windows_path(cwd))
        self.assertEqual(first["image"], harness.windows_path(adb))
        self.assertEqual([r["args"][0] for r in records[1:]], ["kill-server", "install"])

    def test_log_next_to_itself_and_a_wait_that_a_release_file_ends(self):
        tools = self.folder("tools")
        sleeper = harness.install_recorder(tools, "powershell.exe", by_argument={"hold": {"wait_ms": 60000}})
        process = subprocess.Popen(["wine", sleeper, "hold"], cwd=tools, env=harness.wine_env(),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        try:
            log = os.path.join(tools, "recorder.log")
            self.wait_until(lambda: harness.read_records(log), 30, "the record of the waiting stand-in")
            time.sleep(0.5)
            self.assertIsNone(process.poll())
            started = time.monotonic()
            open(os.path.join(tools, "powershell.release"), "wb").close()
            self.assertEqual(process.wait(timeout=10), 0)
            self.assertLess(time.monotonic() - started, 5)
            self.assertEqual(harness.read_records(log)[0]["name"], "powershell")
        finally:
            if process.poll() is None:
                harness._kill_group(process)

    def test_driver_ends_what_runs_from_a_folder(self):
        tools = self.folder("held")
        elsewhere = self.folder("elsewhere")
        held = harness.Sleeper(tools, "adb.exe")
        other = harness.Sleeper(elsewhere, "adb.exe")
        try:
            ended = self.driver.terminate(under=harness.windows_path(tools))["terminated"]
            self.assertEqual(len(ended), 1)
            self.assertIsNotNone(held.process.wait(timeout=10))
            self.assertIsNone(other.process.poll())
        finally:
            held.stop()
            other.stop()

    def test_sleeper_keeps_its_executable_in_use(self):
        folder = self.folder()
        sleeper = harness.Sleeper(folder, "adb.exe")
        try:
            # Wine refuses to delete a running executable, as Windows does.
            run = self.run_wine(["cmd", "/c", "del", harness.windows_path(sleeper.path)], folder)
            self.assertTrue(os.path.exists(sleeper.path), run.stdout)
        finally:
            sleeper.stop()
        self.assertIsNotNone(sleeper.process.poll())


if __name__ == "__main__":
    harness.main()
