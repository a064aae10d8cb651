#!/usr/bin/env python3
"""`adb.exe push LOCAL REMOTE` under Wine against the device simulator: one file through file sync to
any device path (folders made by the device), the summary line, and every failure with exit 1."""
import re

from adb_rig import WineClientCase, main, make_package, sha256

MIB = 1024 * 1024
OBB = "/sdcard/Android/obb/com.example.game/main.12.com.example.game.obb"


class PushCase(WineClientCase):
    def assert_summary(self, result, local, size, pushed=True):
        self.assertRegex(result.out.decode("gbk"), r"^%s: %s pushed, 0 skipped\. [\d.]+ MB/s \(%d bytes in [\d.]+s\)\n$"
                         % (re.escape(str(local)), "1 file" if pushed else "0 files", size))


class Push(PushCase):
    def test_file_arrives_byte_identical_at_its_path_in_a_new_folder(self):
        local = make_package(self.folder / "main.obb", 3 * MIB + 7)
        simulator = self.connected("--okay-delay-ms", "1")
        result = self.adb.run("push", str(local), OBB)
        self.assertEqual((result.code, result.err), (0, b""), result)
        self.assert_summary(result, local, 3 * MIB + 7)
        self.assertEqual(sha256(simulator.pushed(OBB)), sha256(local))
        self.assertIn("sync push %s size=%d ok" % (OBB, 3 * MIB + 7), simulator.log())
        self.assertNotIn("violation", simulator.log())

    def test_old_device_with_4_kib_payloads_and_checksums(self):
        local = make_package(self.folder / "main.obb", MIB + 3)
        simulator = self.connected("--legacy", "--okay-delay-ms", "1")
        result = self.adb.run("push", str(local), OBB)
        self.assertEqual(result.code, 0, result)
        self.assertEqual(sha256(simulator.pushed(OBB)), sha256(local))
        self.assertRegex(simulator.log(), r"close sync: writes=\d+ bytes=\d+ largest=4096\n")
        self.assertNotIn("violation", simulator.log())

    def test_folder_target_takes_the_files_own_name(self):
        local = make_package(self.folder / "乗 data.obb", 5000)
        simulator = self.connected()
        result = self.adb.run("push", str(local), "/sdcard/Download/")
        self.assertEqual(result.code, 0, result)
        self.assertEqual(simulator.pushed_files(), ["/sdcard/Download/乗 data.obb"])


class PushFailures(PushCase):
    def test_refused_path_says_the_devices_reason(self):
        local = make_package(self.folder / "main.obb", 70000)
        simulator = self.connected()
        result = self.adb.run("push", str(local), "/sdcard/../etc/x.obb")
        self.assertEqual(result.code, 1)
        self.assertEqual(result.err, b"adb: error: failed to copy '%s' to '/sdcard/../etc/x.obb': "
                                     b"remote couldn't create file: Permission denied\n" % str(local).encode())
        self.assert_summary(result, local, 70000, pushed=False)
        self.assertEqual(simulator.pushed_files(), [])

    def test_missing_local_file_reaches_no_device(self):
        simulator = self.connected()
        missing = self.folder / "gone.obb"
        result = self.adb.run("push", str(missing), OBB)
        self.assertEqual((result.code, result.out), (1, b""))
        self.assertEqual(result.err, b"adb: error: cannot stat '%s': No such file or directory\n" % str(missing).encode())
        self.assertNotIn(" open ", simulator.log())

    def test_connection_dropped_mid_file(self):
        local = make_package(self.folder / "main.obb", 5 * MIB)
        self.connected("--drop-after-bytes", str(MIB))
        result = self.adb.run("push", str(local), OBB, timeout=60)
        self.assertEqual(result.code, 1)
        self.assertRegex(result.err.decode(), r"^adb: error: failed to copy '.*main\.obb' to '%s': the connection to "
                                              r"the device was lost after \d+ of 5242880 bytes\n$" % re.escape(OBB))
        self.assertLess(result.seconds, 20)

    def test_no_device_and_a_wrong_command_line(self):
        local = make_package(self.folder / "main.obb", 100)
        result = self.adb.run("push", str(local), OBB)
        self.assertEqual((result.code, result.err), (1, b"adb: no devices/emulators found\n"))
        result = self.adb.run("push", str(local))
        self.assertEqual(result.code, 1)
        self.assertTrue(result.err.startswith(b"adb: usage: adb push LOCAL REMOTE\n"), result)


if __name__ == "__main__":
    main()
