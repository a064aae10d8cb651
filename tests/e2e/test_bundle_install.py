"""Bundles (.xapk, .apkm, .apks) from the APK page, with the recording stand-in for the client: the APKs written
under short names into the work folder and installed together, the OBB pushed after the install, the files gone
afterwards, and the bundles that cannot be installed saying why without starting anything. (A device that
refuses a bundle is in test_simulator_bundles.py.)"""

import io
import json
import os
import zipfile

import harness
import test_adb_install

STORE = "net.mossgate.store"
OBB = "Android/obb/%s/main.1.%s.obb" % (STORE, STORE)


def store_package():
    with open(harness.embedded_payload()["coolapk.apk"], "rb") as f:
        return f.read()


def make_xapk(path, splits=(b"abi split", b"density split"), obb=b"expansion data " * 1000):
    entries = {STORE + ".apk": store_package()}
    listed = [{"file": STORE + ".apk", "id": "base"}]
    for number, data in enumerate(splits, 1):
        entries["config.%d.apk" % number] = data
        listed.append({"file": "config.%d.apk" % number, "id": "config.%d" % number})
    entries[OBB] = obb
    entries["manifest.json"] = json.dumps({"xapk_version": 2, "package_name": STORE, "version_code": "1",
                                           "split_apks": listed, "expansions": [
                                               {"file": OBB, "install_location": "EXTERNAL_STORAGE",
                                                "install_path": OBB}]})
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in entries.items():
            archive.writestr(name, data)
    return entries


class BundleInstallTest(test_adb_install.InstallSequenceCase):
    answers = dict(test_adb_install.ANSWERS, **{
        "install-multiple": {"stdout": b"Success\r\n", "wait_ms": 30000},
        "push": {"stdout": b"1.obb: 1 file pushed, 0 skipped. 9.9 MB/s (15000 bytes in 0.001s)\r\n"},
    })

    def bundle_folder(self):
        return os.path.join(harness.work_folder(), "bundle")

    def install(self, package, commands):
        """Types the package's path, clicks 安装 and waits until the sequence has ended; the install-multiple
        stand-in waits until released, and `while_installing` (when set) runs meanwhile."""
        d = self.driver
        d.set_text("编辑框4", harness.windows_path(package))
        d.click("按钮4", mode="post")
        self.wait_until(lambda: len(self.records()) >= 3, timeout=30, what="install-multiple to start")
        if self.while_installing:
            self.while_installing()
        open(os.path.join(self.run, "adb.release"), "wb").close()
        self.wait_until(lambda: len(self.commands()) >= commands, timeout=30, what="%d commands" % commands)
        d.call("wait_enabled", "按钮4", timeout=30000)
        return self.records()

    while_installing = None

    def test_an_xapk_installs_its_apks_together_then_pushes_its_obb_and_leaves_no_files(self):
        package = os.path.join(self.folder("包 目录"), "商店 bundle.xapk")
        entries = make_xapk(package)
        folder = self.bundle_folder()
        written = {}

        def look():
            for name in sorted(os.listdir(folder)):
                with open(os.path.join(folder, name), "rb") as f:
                    written[name] = f.read()
        self.while_installing = look

        records = self.install(package, 4)
        self.assertEqual([r["args"][0] for r in records], ["kill-server", "connect", "install-multiple", "push"])
        files = [harness.windows_path(os.path.join(folder, n)) for n in ("1.apk", "2.apk", "3.apk")]
        self.assertEqual(records[2]["args"][1:], files)
        self.assertEqual(records[3]["args"][1:], [harness.windows_path(os.path.join(folder, "1.obb")), "/sdcard/" + OBB])
        # Byte for byte, in install order: the base first.
        self.assertEqual(written, {"1.apk": entries[STORE + ".apk"], "2.apk": b"abi split",
                                   "3.apk": b"density split", "1.obb": entries[OBB]})
        self.assertFalse(os.path.exists(folder))

        log = self.log_bytes().decode("gbk")
        self.assertTrue(log.startswith("应用：MOSSGATE Store 1.0（net.mossgate.store，版本号 1，分包 2 个，数据包 1 个）\r\n\r\n"),
                        log)
        self.assertTrue(log.endswith("Success\r\n\r\n1.obb: 1 file pushed, 0 skipped. 9.9 MB/s (15000 bytes in 0.001s)\r\n"),
                        log)

    def refuse(self, package, words):
        """Clicks 安装 for a package that the log then refuses with a line holding `words`; returns the log."""
        d = self.driver
        d.set_text("编辑框2", "")
        d.set_text("编辑框4", harness.windows_path(package))
        d.click("按钮4", mode="post")
        d.wait_text("编辑框2", words, match="contains", timeout=30000)
        d.call("wait_enabled", "按钮4", timeout=30000)
        return self.log_bytes().decode("gbk")

    def assert_refused(self, package, words):
        """The package gets one line in the log that says why, and not a single command is started."""
        log = self.refuse(package, words)
        self.assertEqual(self.commands(), [])
        self.assertFalse(os.path.exists(self.bundle_folder()))
        return log

    def test_bundles_that_cannot_be_installed_say_why_and_start_nothing(self):
        folder = self.folder("坏包")
        encrypted = os.path.join(folder, "old.apkm")
        with open(encrypted, "wb") as f:
            f.write(bytes(range(256)) * 64)
        self.assertEqual(self.assert_refused(encrypted, "旧的加密格式"), "这个 .apkm 文件是旧的加密格式，无法安装，请重新下载")

        truncated = os.path.join(folder, "cut.xapk")
        buffer = io.BytesIO()
        make_xapk(buffer)
        with open(truncated, "wb") as f:
            f.write(buffer.getvalue()[:len(buffer.getvalue()) // 2])
        self.assert_refused(truncated, "没有下载完整")

        empty = os.path.join(folder, "nothing.apks")
        with zipfile.ZipFile(empty, "w") as archive:
            archive.writestr("readme.txt", "no packages here")
        self.assert_refused(empty, "没有可安装的 APK")

        damaged = os.path.join(folder, "damaged.xapk")
        make_xapk(damaged, splits=(b"S" * 5000,))
        with open(damaged, "rb") as f:
            data = bytearray(f.read())
        # Deflated runs of one byte: flip a bit in the middle of the stream of the split.
        at = data.find(b"config.1.apk") + len("config.1.apk")
        data[at + 4] ^= 0x01
        with open(damaged, "wb") as f:
            f.write(bytes(data))
        self.assert_refused(damaged, "config.1.apk")

    def test_a_disk_without_room_for_the_bundle_says_how_much_it_needs(self):
        folder = self.bundle_folder()
        os.makedirs(folder, exist_ok=True)
        package = os.path.join(self.folder("大"), "big.xapk")
        make_xapk(package, splits=(os.urandom(3 * 1024 * 1024),))
        with test_adb_install.small_disk(folder, 1024 * 1024):
            self.refuse(package, "磁盘空间不足")
            self.assertEqual(self.commands(), [])
            self.assertEqual(os.listdir(folder), [])
        os.rmdir(folder)


if __name__ == "__main__":
    harness.main()
