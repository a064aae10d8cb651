#!/usr/bin/env python3
"""The device simulator against Debian's adb (client and server): it must connect, install, install several
files through a session and take pushed files, byte-identical, in every mode the toolkit's tests rely on."""
import re
import time

from adb_rig import DATA, DebianAdb, TempTestCase, main, make_package, sha256


class DebianCase(TempTestCase):
    def setUp(self):
        super().setUp()
        self.adb = DebianAdb(self.folder / "home")
        self.addCleanup(self.adb.stop)

    def connect(self, simulator):
        connected = self.adb.run("connect", simulator.serial)
        self.assertEqual(connected.code, 0, connected)
        # Debian's adb reports the key offer as a failure even when the device allows it a moment later.
        self.assertRegex(connected.out.decode(), r"^(connected|failed to authenticate) to 127\.0\.0\.1:\d+\n$")
        for _ in range(50):
            if re.search(r"\tdevice\n", self.adb.run("devices").out.decode()):
                break
            time.sleep(0.1)


class SimulatorAgainstDebianAdb(DebianCase):
    def setUp(self):
        super().setUp()
        self.package = make_package(self.folder / "app.apk", 3 * 1024 * 1024 + 17)

    def connect_and_install(self, simulator):
        self.connect(simulator)
        installed = self.adb.run("install", str(self.package))
        self.assertEqual(installed.code, 0, installed)
        self.assertTrue(installed.out.decode().endswith("Success\n"), installed)
        self.assertEqual([sha256(p) for p in simulator.installed()], [sha256(self.package)])
        self.assertNotIn("violation", simulator.log())
        return installed.out.decode()

    def test_streamed_install_with_abb_exec_and_a_new_key(self):
        simulator = self.simulator("--okay-delay-ms", "5")
        self.assertIn("Performing Streamed Install", self.connect_and_install(simulator))
        log = simulator.log()
        self.assertIn("recv AUTH public key valid montgomery=ok nul=yes", log)
        self.assertIn("open abb_exec:package|install|-S|%d" % self.package.stat().st_size, log)

    def test_streamed_install_with_exec_cmd(self):
        simulator = self.simulator("--features", "cmd,shell_v2", "--auth", "require-key")
        self.assertIn("Performing Streamed Install", self.connect_and_install(simulator))
        self.assertIn("open exec:cmd package 'install' -S %d" % self.package.stat().st_size, simulator.log())

    def test_push_install_without_cmd(self):
        simulator = self.simulator("--features", "shell_v2,stat_v2", "--auth", "off")
        out = self.connect_and_install(simulator)
        self.assertIn("Performing Push Install", out)
        self.assertIn("1 file pushed", out)
        self.assertIn("rm /data/local/tmp/app.apk removed", simulator.log())

    def test_old_device_with_small_payloads_and_checksums(self):
        simulator = self.simulator("--legacy", "--okay-delay-ms", "1", "--auth", "off")
        self.assertIn("Performing Push Install", self.connect_and_install(simulator))
        log = simulator.log()
        self.assertIn("send CNXN version=0x01000000 maxdata=4096", log)
        self.assertRegex(log, r"close sync: writes=\d+ bytes=\d+ largest=4096\n")

    def test_refused_package_and_trusted_key(self):
        home_key = self.folder / "home" / ".android"
        home_key.mkdir(parents=True)
        for name in ("adbkey", "adbkey.pub"):
            (home_key / name).write_bytes((DATA / ("debian_" + name)).read_bytes())
        simulator = self.simulator("--auth", "trust", "--trusted-key", str(DATA / "debian_adbkey.pub"),
                                   "--refuse-install", "INSTALL_FAILED_VERSION_DOWNGRADE")
        connected = self.adb.run("connect", simulator.serial)
        self.assertEqual(connected.out.decode(), "connected to %s\n" % simulator.serial)
        installed = self.adb.run("install", str(self.package))
        self.assertEqual(installed.code, 1)
        self.assertIn(b"Failure [INSTALL_FAILED_VERSION_DOWNGRADE]", installed.err)


class SessionsAndPushesAgainstDebianAdb(DebianCase):
    def setUp(self):
        super().setUp()
        self.base = make_package(self.folder / "base.apk", 2 * 1024 * 1024 + 3, seed=2)
        self.split = make_package(self.folder / "split_config.x86_64.apk", 300001, seed=3)
        self.total = self.base.stat().st_size + self.split.stat().st_size

    def install_multiple(self, simulator):
        self.connect(simulator)
        return self.adb.run("install-multiple", str(self.base), str(self.split))

    def assert_installed_in_order(self, simulator):
        self.assertEqual([[sha256(p) for p in files] for files in simulator.installed_sessions()],
                         [[sha256(self.base), sha256(self.split)]])
        self.assertEqual(simulator.open_sessions(), [])
        self.assertNotIn("violation", simulator.log())

    def test_install_multiple_on_devices_with_abb_exec_and_with_cmd(self):
        # This client version asks for sessions through exec:cmd even where abb_exec is offered.
        for features in ("shell_v2,cmd,stat_v2,abb,abb_exec", "cmd,shell_v2"):
            with self.subTest(features=features):
                simulator = self.simulator("--features", features, "--okay-delay-ms", "1", name=features)
                result = self.install_multiple(simulator)
                self.assertEqual((result.code, result.out, result.err), (0, b"Success\n", b""))
                self.assert_installed_in_order(simulator)
                log = simulator.log()
                self.assertIn("open exec:cmd package install-create -S %d" % self.total, log)
                self.assertRegex(log, r"open exec:cmd package install-write -S %d \d+ base\.apk -"
                                 % self.base.stat().st_size)
                self.adb.run("disconnect", simulator.serial)

    def test_install_multiple_without_cmd_goes_to_pm_also_on_an_old_device(self):
        for options in (["--features", "shell_v2,stat_v2"], ["--legacy", "--okay-delay-ms", "1"]):
            with self.subTest(options=options):
                simulator = self.simulator(*options, name=options[0])
                result = self.install_multiple(simulator)
                self.assertEqual((result.code, result.out), (0, b"Success\n"), result)
                self.assert_installed_in_order(simulator)
                self.assertIn("open exec:pm install-create -S %d" % self.total, simulator.log())
                self.adb.run("disconnect", simulator.serial)

    def test_commit_lacking_splits_is_refused_and_the_session_ends(self):
        simulator = self.simulator("--require-splits", "3")
        result = self.install_multiple(simulator)
        self.assertEqual((result.code, result.out), (1, b""))
        self.assertEqual(result.err, b"adb: failed to finalize session\n"
                                     b"Failure [INSTALL_FAILED_MISSING_SPLIT: Missing split for com.mossgate.simulated]\n")
        self.assertEqual((simulator.installed_sessions(), simulator.open_sessions()), ([], []))

    def test_push_into_a_new_obb_folder_and_a_path_with_dot_dot(self):
        simulator = self.simulator()
        self.connect(simulator)
        target = "/sdcard/Android/obb/com.example.game/main.7.com.example.game.obb"
        pushed = self.adb.run("push", str(self.base), target)
        self.assertEqual(pushed.code, 0, pushed)
        self.assertRegex(pushed.out.decode(), r"^%s: 1 file pushed, 0 skipped\. [\d.]+ MB/s \(%d bytes in [\d.]+s\)\n$"
                         % (re.escape(str(self.base)), self.base.stat().st_size))
        self.assertEqual(sha256(simulator.pushed(target)), sha256(self.base))
        refused = self.adb.run("push", str(self.split), "/sdcard/../x.obb")
        self.assertEqual(refused.code, 1)
        self.assertIn(b"remote couldn't create file: Permission denied", refused.out)
        self.assertEqual(simulator.pushed_files(), [target])


if __name__ == "__main__":
    main()
