#!/usr/bin/env python3
"""The device simulator against Debian's adb (client and server): it must connect and install into it,
byte-identical, in every mode the toolkit's tests rely on."""
import re
import time

from adb_rig import DATA, DebianAdb, TempTestCase, main, make_package, sha256


class SimulatorAgainstDebianAdb(TempTestCase):
    def setUp(self):
        super().setUp()
        self.adb = DebianAdb(self.folder / "home")
        self.addCleanup(self.adb.stop)
        self.package = make_package(self.folder / "app.apk", 3 * 1024 * 1024 + 17)

    def connect_and_install(self, simulator):
        connected = self.adb.run("connect", simulator.serial)
        self.assertEqual(connected.code, 0, connected)
        # Debian's adb reports the key offer as a failure even when the device allows it a moment later.
        self.assertRegex(connected.out.decode(), r"^(connected|failed to authenticate) to 127\.0\.0\.1:\d+\n$")
        for _ in range(50):
            if re.search(r"\tdevice\n", self.adb.run("devices").out.decode()):
                break
            time.sleep(0.1)
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


if __name__ == "__main__":
    main()
