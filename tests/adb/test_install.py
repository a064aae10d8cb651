#!/usr/bin/env python3
"""`adb.exe install` under Wine against the device simulator: streamed and pushed, failures passed
through, old devices, devices that go away mid-install."""
import re
import time

from adb_rig import WineClientCase, main, make_package, sha256

MIB = 1024 * 1024


class InstallCase(WineClientCase):
    def assert_received(self, simulator, package):
        self.assertEqual([sha256(p) for p in simulator.installed()], [sha256(package)])
        self.assertNotIn("violation", simulator.log())


class StreamedInstall(InstallCase):
    def test_large_package_arrives_byte_identical_in_flow_controlled_writes(self):
        package = make_package(self.folder / "big.apk", 30 * MIB + 123)
        simulator = self.connected("--okay-delay-ms", "2")
        result = self.adb.run("install", str(package))
        self.assertEqual((result.code, result.out, result.err),
                         (0, b"Performing Streamed Install\nSuccess\n", b""))
        self.assert_received(simulator, package)
        log = simulator.log()
        self.assertIn("open abb_exec:package|install|-S|%d" % package.stat().st_size, log)
        self.assertIn("writes=31 bytes=%d largest=1048576" % package.stat().st_size, log)

    def test_device_without_abb_exec_gets_cmd_package_install(self):
        package = make_package(self.folder / "app.apk", 200000)
        simulator = self.connected("--features", "cmd,shell_v2", "--max-payload", "65536")
        result = self.adb.run("install", str(package))
        self.assertEqual((result.code, result.out), (0, b"Performing Streamed Install\nSuccess\n"))
        self.assert_received(simulator, package)
        self.assertIn("open exec:cmd package 'install' -S 200000", simulator.log())
        self.assertIn("largest=65536", simulator.log())

    def test_failure_reason_is_passed_through_with_exit_1(self):
        package = make_package(self.folder / "app.apk", 5000)
        self.connected("--refuse-install", "INSTALL_FAILED_VERSION_DOWNGRADE")
        result = self.adb.run("install", str(package))
        self.assertEqual(result.code, 1)
        self.assertEqual(result.out, b"Performing Streamed Install\n")
        self.assertEqual(result.err, b"adb: failed to install %s: Failure [INSTALL_FAILED_VERSION_DOWNGRADE]\n"
                         % str(package).encode())

    def test_any_file_name_is_installed_and_the_device_judges_the_content(self):
        renamed = make_package(self.folder / "download.apk.1", 4096)
        simulator = self.connected()
        self.assertEqual(self.adb.run("install", str(renamed)).code, 0)
        self.assert_received(simulator, renamed)
        not_a_package = self.folder / "notes.txt"
        not_a_package.write_bytes(b"plain text")
        result = self.adb.run("install", str(not_a_package))
        self.assertEqual(result.code, 1)
        self.assertIn(b": Failure [INSTALL_PARSE_FAILED_NOT_APK: ", result.err)

    def test_missing_file(self):
        self.connected()
        missing = self.folder / "gone.apk"
        result = self.adb.run("install", str(missing))
        self.assertEqual((result.code, result.out), (1, b"Performing Streamed Install\n"))
        self.assertEqual(result.err, b"adb: failed to stat %s: No such file or directory\n" % str(missing).encode())

    def test_chinese_path_in_the_ansi_code_page(self):
        folder = self.folder / "安装包 目录"
        folder.mkdir()
        # 乗 ends in the byte of a backslash in GBK.
        package = make_package(folder / "乗 应用.apk", 70000)
        simulator = self.connected()
        self.assertEqual(self.adb.run("install", str(package)).code, 0)
        self.assert_received(simulator, package)
        missing = folder / "不在.apk"
        result = self.adb.run("install", str(missing))
        self.assertEqual(result.err, b"adb: failed to stat " + str(missing).encode("gbk") +
                         b": No such file or directory\n")


class PushInstall(InstallCase):
    def test_device_without_cmd_gets_push_pm_install_and_remove(self):
        package = make_package(self.folder / "乗 app.apk", 3 * MIB)
        simulator = self.connected("--features", "shell_v2,stat_v2", "--okay-delay-ms", "1")
        result = self.adb.run("install", str(package))
        self.assertEqual(result.code, 0, result)
        out = result.out.decode("gbk")
        self.assertRegex(out, r"^Performing Push Install\n%s: 1 file pushed, 0 skipped\. [\d.]+ MB/s "
                              r"\(3145728 bytes in [\d.]+s\)\nSuccess\n$" % re.escape(str(package)))
        self.assert_received(simulator, package)
        log = simulator.log()
        self.assertIn("sync push /data/local/tmp/乗 app.apk size=3145728 ok", log)
        self.assertIn("open shell,v2,raw:pm 'install' '/data/local/tmp/乗 app.apk'", log)
        self.assertIn("rm /data/local/tmp/乗 app.apk removed", log)

    def test_failure_without_shell_v2_still_exits_1(self):
        package = make_package(self.folder / "app.apk", 10000)
        self.connected("--features", "", "--refuse-install", "INSTALL_FAILED_INSUFFICIENT_STORAGE")
        result = self.adb.run("install", str(package))
        self.assertEqual(result.code, 1)
        self.assertTrue(result.out.endswith(b"\nFailure [INSTALL_FAILED_INSUFFICIENT_STORAGE]\n"), result)

    def test_old_device_with_4_kib_payloads_and_checksums(self):
        package = make_package(self.folder / "app.apk", 3 * MIB + 5)
        simulator = self.connected("--legacy", "--okay-delay-ms", "1")
        result = self.adb.run("install", str(package))
        self.assertEqual(result.code, 0, result)
        self.assertTrue(result.out.startswith(b"Performing Push Install\n"))
        self.assert_received(simulator, package)
        log = simulator.log()
        self.assertIn("send CNXN version=0x01000000 maxdata=4096", log)
        self.assertRegex(log, r"close sync: writes=\d+ bytes=\d+ largest=4096\n")
        self.assertIn("open shell:pm 'install' '/data/local/tmp/app.apk'", log)


class DeviceChoice(InstallCase):
    def test_no_device_or_more_than_one(self):
        package = make_package(self.folder / "app.apk", 100)
        result = self.adb.run("install", str(package))
        self.assertEqual((result.code, result.out, result.err), (1, b"", b"adb: no devices/emulators found\n"))
        self.connected()
        self.simulator("--auth", "off", name="second")
        second = self.simulator("--auth", "off", name="third")
        self.adb.run("connect", second.serial)
        result = self.adb.run("install", str(package))
        self.assertEqual((result.code, result.err), (1, b"adb: more than one device/emulator\n"))

    def test_remembered_device_gone(self):
        package = make_package(self.folder / "app.apk", 100)
        simulator = self.connected()
        simulator.stop()
        result = self.adb.run("install", str(package))
        self.assertEqual(result.code, 1)
        self.assertRegex(result.err.decode(), r"^adb: cannot connect to %s: .+\(10061\)\n$" % simulator.serial)


class DeviceGoesAway(InstallCase):
    def test_connection_dropped_mid_stream(self):
        package = make_package(self.folder / "app.apk", 10 * MIB)
        self.connected("--drop-after-bytes", str(3 * MIB))
        result = self.adb.run("install", str(package), timeout=60)
        self.assertEqual(result.code, 1)
        self.assertEqual(result.out, b"Performing Streamed Install\n")
        self.assertRegex(result.err.decode(), r"^adb: failed to install .*app\.apk: the connection to the device "
                                              r"was lost after \d+ of 10485760 bytes\n$")
        self.assertLess(result.seconds, 20)

    def test_connection_dropped_mid_push(self):
        package = make_package(self.folder / "app.apk", 5 * MIB)
        self.connected("--features", "shell_v2", "--drop-after-bytes", str(MIB))
        result = self.adb.run("install", str(package), timeout=60)
        self.assertEqual(result.code, 1)
        self.assertRegex(result.err.decode(), r"^adb: error: failed to copy '.*app\.apk' to '/data/local/tmp/app\.apk': "
                                              r"the connection to the device was lost after \d+ of 5242880 bytes\n$")
        self.assertLess(result.seconds, 20)

    def test_device_that_stops_answering_is_given_up_on(self):
        package = make_package(self.folder / "app.apk", 6 * MIB)
        simulator = self.connected("--stall-after-bytes", str(2 * MIB))
        result = self.adb.run("install", str(package), env={"MOSSGATE_ADB_REPLY_WAIT_S": "3"}, timeout=60)
        self.assertEqual(result.code, 1)
        self.assertRegex(result.err.decode(), r"^adb: failed to install .*app\.apk: the device stopped answering "
                                              r"after \d+ of 6291456 bytes\n$")
        self.assertLess(result.seconds, 20)
        deadline = time.monotonic() + 10
        while "stall ended" not in simulator.log() and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertIn("stall ended", simulator.log())  # we hung up instead of leaving it waiting


class Authorization(InstallCase):
    def test_device_that_asks_again_at_install_time_is_waited_for(self):
        package = make_package(self.folder / "app.apk", 3000)
        simulator = self.simulator("--auth", "require-key", "--allow-after-ms", "300")
        self.assertEqual(self.adb.run("connect", simulator.serial).out, b"connected to %s\n" % simulator.serial.encode())
        result = self.adb.run("install", str(package))
        self.assertEqual((result.code, result.out), (0, b"Performing Streamed Install\nSuccess\n"))
        self.assertEqual(simulator.log().count("the user allowed debugging"), 2)
        self.assert_received(simulator, package)


class WideFileNames(InstallCase):
    def test_a_name_the_ansi_code_page_cannot_spell_is_opened_and_named_to_the_device(self):
        package = make_package(self.folder / "한국 ☃.apk", 5000)
        simulator = self.connected("--features", "shell_v2,stat_v2")
        result = self.adb.run("install", str(package))
        self.assertEqual(result.code, 0, result)
        self.assert_received(simulator, package)
        self.assertIn("sync push /data/local/tmp/한국 ☃.apk size=5000 ok", simulator.log())


if __name__ == "__main__":
    main()
