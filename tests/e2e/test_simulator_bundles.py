"""Bundles end to end against the device simulator, with the toolkit the program carries: each kind installed
from the APK page and from the command line, every split arriving byte for byte in install order, an .xapk's OBB
at its place on the device's storage, no files left in the work folder, and a commit the device refuses."""

import io
import json
import os
import zipfile

import harness
import test_simulator_install as simulated

STORE = "net.mossgate.store"
OBB = "Android/obb/%s/main.1.%s.obb" % (STORE, STORE)


def split(name):
    """A split of the test's own: a small ZIP (the simulated package manager takes nothing else), distinct per
    name."""
    data = io.BytesIO()
    with zipfile.ZipFile(data, "w") as archive:
        archive.writestr("AndroidManifest.xml", ("split " + name).encode() * 100)
    return data.getvalue()


def store_package():
    with open(harness.embedded_payload()["coolapk.apk"], "rb") as f:
        return f.read()


def write_bundle(path, entries):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in entries.items():
            archive.writestr(name, data)
    return path


def bundles(folder):
    """Each kind with the entries the device must receive, in install order, and the OBB files it must keep."""
    base = store_package()
    obb = os.urandom(300000)
    xapk = {"manifest.json": json.dumps({
        "xapk_version": 2, "package_name": STORE, "version_code": 1, "version_name": "1.0",
        "split_apks": [{"file": "config.x86_64.apk", "id": "config.x86_64"}, {"file": STORE + ".apk", "id": "base"},
                       {"file": "config.zh.apk", "id": "config.zh"}],
        "expansions": [{"file": OBB, "install_location": "EXTERNAL_STORAGE", "install_path": OBB}]}),
        STORE + ".apk": base, "config.x86_64.apk": split("abi"), "config.zh.apk": split("zh"), OBB: obb}
    apkm = {"info.json": json.dumps({"apkm_version": 5, "pname": STORE, "versioncode": 1}),
            "split_config.en.apk": split("en"), "base.apk": base, "icon.png": b""}
    app_bundle = {"toc.pb": b"", "splits/base-xxhdpi.apk": split("density"), "splits/base-master.apk": base,
                  "standalones/standalone-x86.apk": split("standalone")}
    plain = {"split_config.x86.apk": split("x86"), "base.apk": base, "meta.sai_v2.json": "{}"}
    return [
        (write_bundle(os.path.join(folder, "应用 bundle.xapk"), xapk),
         [base, split("abi"), split("zh")], {"/sdcard/" + OBB: obb}),
        (write_bundle(os.path.join(folder, "mirror.apkm"), apkm), [base, split("en")], {}),
        (write_bundle(os.path.join(folder, "tool.apks"), app_bundle), [base, split("density")], {}),
        (write_bundle(os.path.join(folder, "backup.apks"), plain), [base, split("x86")], {}),
    ]


def read(path):
    with open(path, "rb") as f:
        return f.read()


class BundleTest(simulated.SimulatorInstallCase):
    def assert_landed(self, simulator, splits, obbs, sessions):
        installed = simulator.installed_sessions()
        self.assertEqual(len(installed), sessions)
        self.assertEqual([read(p) for p in installed[-1]], splits)
        for device_path, data in obbs.items():
            self.assertEqual(read(simulator.pushed(device_path)), data)
        self.assertNotIn("violation", simulator.log())
        self.assertFalse(os.path.exists(os.path.join(harness.work_folder(), "bundle")))

    def test_each_kind_from_the_apk_page(self):
        simulator = self.simulator("--auth", "trust", trusted=True)
        program = self.start_on_apk_page(self.key_home(trusted_key=True))
        d = self.driver
        d.set_text("编辑框3", str(simulator.port))
        kinds = bundles(self.folder("bundles"))
        for number, (bundle, splits, obbs) in enumerate(kinds, 1):
            with self.subTest(bundle=os.path.basename(bundle)):
                d.set_text("编辑框4", harness.windows_path(bundle))
                log = self.click_install()
                self.assertIn("\r\nSuccess\r\n", log)
                self.assertIn("分包 %d 个" % (len(splits) - 1), log)
                self.assert_landed(simulator, splits, obbs, number)
        # The makers' command lines: the APKs under short names in the work folder, then the OBB push.
        folder = harness.windows_path(os.path.join(harness.work_folder(), "bundle"))
        lines = [c.cmdline for c in program.commands(own=True)]
        self.assertEqual(sum('.\\adb.exe install-multiple "%s\\1.apk" "%s\\2.apk"' % (folder, folder) in line
                             for line in lines), len(kinds), lines)
        self.assertIn('.\\adb.exe push "%s\\1.obb" "/sdcard/%s"' % (folder, OBB), "\n".join(lines))

    def test_a_commit_the_device_refuses_installs_nothing_and_pushes_nothing(self):
        simulator = self.simulator("--auth", "trust", "--require-splits", "4", trusted=True)
        self.start_on_apk_page(self.key_home(trusted_key=True))
        d = self.driver
        d.set_text("编辑框3", str(simulator.port))
        bundle, _, _ = bundles(self.folder("bundles"))[0]
        d.set_text("编辑框4", harness.windows_path(bundle))
        log = self.click_install()
        self.assertIn("INSTALL_FAILED_MISSING_SPLIT", log)
        self.assertIn("\r\n\r\n提示：", log)
        self.assertEqual(simulator.installed_sessions(), [])
        self.assertEqual(simulator.open_sessions(), [])
        self.assertEqual(simulator.pushed_files(), [])
        self.assertFalse(os.path.exists(os.path.join(harness.work_folder(), "bundle")))


class CommandLineBundleTest(simulated.SimulatorInstallCase):
    """The shell's open of a bundle, at WSA's port (skipped when another program holds it)."""

    def test_each_kind_opened_through_the_shell_is_installed(self):
        simulator = self.simulator("--auth", "allow", port=simulated.WSA_PORT, trusted=True)
        for number, (bundle, splits, obbs) in enumerate(bundles(self.folder("bundles")), 1):
            with self.subTest(bundle=os.path.basename(bundle)):
                self.assertEqual(self.run_from_command_line(bundle)["text"], "安装成功")
                BundleTest.assert_landed(self, simulator, splits, obbs, number)

    def test_a_refused_commit_says_so_with_the_reason(self):
        self.simulator("--auth", "allow", "--require-splits", "9", port=simulated.WSA_PORT, trusted=True)
        bundle, _, _ = bundles(self.folder("bundles"))[1]
        text = self.run_from_command_line(bundle)["text"]
        self.assertTrue(text.startswith("安装失败"), text)
        self.assertIn("INSTALL_FAILED_MISSING_SPLIT", text)


if __name__ == "__main__":
    harness.main()
