"""What the install tells the user: a paragraph of advice after a sequence that did not succeed (with a recording
stand-in printing real client texts), the log filling while a command runs, and WSA started through its URL scheme
when its port refuses the connect step (with our own toolkit against the device simulator)."""

import json
import os
import subprocess
import threading
import time
import zipfile

import harness
from test_adb_install import ANSWERS, InstallSequenceCase
from test_simulator_install import SimulatorInstallCase, adb_rig, read, success_log

HINT = "提示："


def answers(connect=None, install=None):
    """The stand-in's answers with the connect and install steps replaced."""
    result = dict(ANSWERS)
    if connect is not None:
        result["connect"] = connect
    if install is not None:
        result["install"] = install
    return result


class GuidanceTest(InstallSequenceCase):
    def advice_for(self, path, connect=None, install=None):
        """The install log after a click on 安装 with the stand-in answering so; returns (client part, advice)."""
        harness.install_recorder(self.run, "adb.exe", by_argument=answers(connect, install))
        self.driver.set_text("编辑框4", path)
        self.click_install()
        log = self.log_bytes().decode("gbk")
        client, _, advice = log.rpartition("\r\n\r\n")
        self.assertTrue(advice.startswith(HINT), log)
        self.assertEqual(log.count(HINT), 1, log)
        return client, advice

    def test_each_failure_gets_its_advice_after_the_clients_own_words(self):
        refused = "cannot connect to 127.0.0.1:58526: 连接被拒绝。 (10061)\r\n".encode("gbk")
        cases = [
            ("refused", dict(connect={"stdout": refused, "stderr": b""},
                             install={"stdout": b"", "stderr": b"adb: no devices/emulators found\r\n", "exitcode": b"1"}),
             ["请先启动 WSA", "开发人员模式", "netsh int ipv4 add excludedportrange protocol=tcp startport=58526"]),
            ("unauthorized", dict(connect={"stdout": b"failed to authenticate to 127.0.0.1:58526\r\n", "stderr": b""},
                                  install={"stdout": b"", "stderr": b"adb.exe: device unauthorized.\r\n",
                                           "exitcode": b"1"}),
             ["一律允许使用这台计算机进行调试"]),
            ("missing file", dict(install={"stdout": b"", "exitcode": b"1",
                                           "stderr": b"adb: failed to stat C:\\gone.apk: No such file or directory\r\n"}),
             ["“C:\\gone.apk”"]),
        ]
        for code, words in (("INSTALL_FAILED_VERSION_DOWNGRADE", "不能直接降级"),
                            ("INSTALL_FAILED_UPDATE_INCOMPATIBLE", "签名不同"),
                            ("INSTALL_PARSE_FAILED_NO_CERTIFICATES", "没有有效的签名")):
            line = b"adb.exe: failed to install C:\\gone.apk: Failure [%s: details]\r\n" % code.encode()
            cases.append((code, dict(install={"stdout": b"Performing Streamed Install\r\n", "stderr": line,
                                              "exitcode": b"1"}), [words]))
        for name, steps, words in cases:
            with self.subTest(name):
                client, advice = self.advice_for(r"C:\gone.apk", **steps)
                self.assertFalse(client.startswith("应用："), "a package that cannot be read is not named")
                install = steps.get("install", {})
                # The client's words (each ending in a line break) stay as they were, then a blank line.
                self.assertTrue((client + "\r\n").encode("gbk").endswith(install.get("stdout", b"") +
                                                                          install.get("stderr", b"")), client)
                for word in words:
                    self.assertIn(word, advice)

    def test_an_empty_path_box_and_a_missing_client_are_named(self):
        _, advice = self.advice_for("", install={"stdout": b"", "exitcode": b"1",
                                                 "stderr": b"adb: failed to stat : No such file or directory\r\n"})
        self.assertIn("路径是空的", advice)
        os.remove(os.path.join(self.run, "adb.exe"))
        self.driver.set_text("编辑框4", r"C:\a.apk")
        self.click_install()
        self.assertIn(HINT + "找不到 adb.exe", self.log_bytes().decode("gbk"))


class IdentityTest(InstallSequenceCase):
    def test_a_bundle_is_named_with_its_splits_and_data_files_before_the_sequence(self):
        base = read(harness.embedded_payload()["coolapk.apk"])
        bundle = os.path.join(self.folder("packages"), "store.xapk")
        with zipfile.ZipFile(bundle, "w") as archive:
            archive.writestr("manifest.json", json.dumps({
                "package_name": "net.mossgate.store", "version_code": "1",
                "split_apks": [{"file": "net.mossgate.store.apk", "id": "base"}, {"file": "config.zh.apk", "id": "config.zh"}],
                "expansions": [{"file": "Android/obb/net.mossgate.store/main.1.net.mossgate.store.obb",
                                "install_path": "Android/obb/net.mossgate.store/main.1.net.mossgate.store.obb"}]}))
            archive.writestr("net.mossgate.store.apk", base)
            archive.writestr("config.zh.apk", base)
            archive.writestr("Android/obb/net.mossgate.store/main.1.net.mossgate.store.obb", b"data")
        self.driver.set_text("编辑框4", harness.windows_path(bundle))
        self.click_install()
        first, blank, _ = self.log_bytes().decode("gbk").partition("\r\n\r\n")
        self.assertRegex(first, r"^应用：.+（net\.mossgate\.store，版本号 \d+，分包 \d+ 个，数据包 1 个）$")


class LiveLogTest(InstallSequenceCase):
    answers = answers(install={"stdout": b"Performing Streamed Install\r\n", "stderr": b"", "wait_ms": 3000,
                               "after": b"Success\r\n"})

    def test_the_log_shows_a_commands_first_line_before_it_ends(self):
        d = self.driver
        d.set_text("编辑框4", r"C:\a.apk")
        d.click("按钮4", mode="post")
        self.wait_until(lambda: "Performing Streamed Install" in d.text("编辑框2"), timeout=20,
                        what="the install's first line in the log")
        self.assertFalse(d.info("按钮4")["enabled"], "the install had ended already")
        self.assertNotIn("Success", d.text("编辑框2"))
        d.call("wait_enabled", "按钮4", timeout=20000)
        self.assertTrue(d.text("编辑框2").endswith("Performing Streamed Install\r\nSuccess\r\n"))


def reg(*args):
    subprocess.run(["wine", "reg"] + list(args), env=harness.wine_env({"WINEDEBUG": "-all"}), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


class WakeTest(SimulatorInstallCase):
    """HKEY_CLASSES_ROOT\\wsa registered to a recording stand-in for WSA; the device simulator plays WSA."""

    def register_wsa(self):
        folder = self.folder("wsa")
        standin = harness.install_recorder(folder, "wsa_client.exe")
        reg("add", r"HKEY_CLASSES_ROOT\wsa", "/ve", "/d", "URL:wsa", "/f")
        reg("add", r"HKEY_CLASSES_ROOT\wsa", "/v", "URL Protocol", "/d", "", "/f")
        reg("add", r"HKEY_CLASSES_ROOT\wsa\shell\open\command", "/ve", "/d",
            '"%s" "%%1"' % harness.windows_path(standin), "/f")
        self.addCleanup(reg, "delete", r"HKEY_CLASSES_ROOT\wsa", "/f")
        log = os.path.join(folder, "recorder.log")
        return lambda: [r["args"] for r in harness.read_records(log)]

    def start_install(self, port):
        package = adb_rig.make_package(os.path.join(self.folder("packages"), "app.apk"), 50000)
        self.program = self.start_on_apk_page(self.key_home(trusted_key=True))
        self.driver.set_text("编辑框3", str(port))
        self.driver.set_text("编辑框4", harness.windows_path(package))
        return package

    def connects(self):
        return [c for c in self.program.commands(own=True) if " connect " in c.cmdline]

    def test_refused_connect_starts_wsa_once_and_connects_when_it_is_up(self):
        starts = self.register_wsa()
        port = adb_rig.free_port()
        package = self.start_install(port)
        simulators = []

        def wsa_starts_after_five_seconds():
            deadline = time.monotonic() + 60
            while not starts() and time.monotonic() < deadline:
                time.sleep(0.2)
            time.sleep(5)
            simulators.append(self.simulator("--auth", "trust", port=port, trusted=True))

        waker = threading.Thread(target=wsa_starts_after_five_seconds)
        waker.start()
        log = self.click_install(wait_ms=90000)
        waker.join(70)
        self.assertEqual(starts(), [["wsa://system"]])
        self.assertIn("正在启动 WSA，请稍候……", log)
        self.assertTrue(log.endswith("Performing Streamed Install\r\nSuccess\r\n"), log)
        self.assertGreaterEqual(len(self.connects()), 3, "connect ran again while WSA started")
        self.assert_received(simulators[0], package)

    def test_without_the_scheme_the_three_commands_run_as_before(self):
        port = adb_rig.free_port()
        self.start_install(port)
        log = self.click_install()
        self.assertEqual(len(self.program.commands(own=True)), 3)
        self.assertNotIn("正在启动 WSA", log)
        self.assertIn("请先启动 WSA", log)

    def test_wsa_that_never_comes_up_ends_after_a_minute_with_the_advice(self):
        starts = self.register_wsa()
        port = adb_rig.free_port()
        self.start_install(port)
        d = self.driver
        started = time.monotonic()
        d.click("按钮4", mode="post")
        # The window answers throughout the wait.
        while not d.info("按钮4")["enabled"] and time.monotonic() - started < 120:
            answered = time.monotonic()
            d.text("编辑框2")
            self.assertLess(time.monotonic() - answered, 5)
            time.sleep(2)
        elapsed = time.monotonic() - started
        self.assertGreater(elapsed, 55)
        self.assertLess(elapsed, 110)
        self.assertEqual(starts(), [["wsa://system"]])
        log = d.text("编辑框2")
        self.assertIn("正在启动 WSA，请稍候……", log)
        self.assertIn("提示：连接被拒绝", log)


if __name__ == "__main__":
    harness.main()
