"""Files dropped on the window by a real X11 drag, and packages named outside the ANSI code page, end to end with
the toolkit the program carries against the device simulator: one package installs as a click on 安装 does,
several one after another under a line each with a summary, a drop during an install joins it, a WSA package is
named on its page, anything else is refused; names with Hangul and an emoji install from a drop, the dialog and
the command line."""

import os
import re

import harness
import test_simulator_bundles as bundles
import test_simulator_install as simulated
from test_simulator_install import adb_rig

# Hangul and an emoji: no ANSI code page holds them.
FOREIGN_NAME = "한글😀 app.apk"


def read(path):
    with open(path, "rb") as f:
        return f.read()


class DropTest(simulated.SimulatorInstallCase):
    def open_window(self, simulator, home=None, page="WSA安装"):
        program = self.start_on_apk_page(home or self.key_home(trusted_key=True))
        self.wait_for_activation()
        d = self.driver
        d.set_text("编辑框3", str(simulator.port))
        d.tab_select("选择夹1", page, mode="post")
        return program

    def wait_for_the_installs(self):
        d = self.driver
        d.call("wait_enabled", "按钮4", timeout=simulated.INSTALL_WAIT_MS)
        return d.text("编辑框2")

    def test_one_package_installs_as_a_click_does_from_any_page(self):
        simulator = self.simulator("--auth", "trust", trusted=True)
        package = adb_rig.make_package(os.path.join(self.folder("拖 放"), "应用 a.apk"), 200000)
        self.open_window(simulator)
        self.drop_files([package])
        log = self.wait_for_the_installs()
        d = self.driver
        self.assertEqual(d.call("tab", "选择夹1")["current"], 1)
        self.assertEqual(d.text("编辑框4"), harness.windows_path(package))
        self.assertEqual(log, simulated.success_log(simulator.port))
        self.assert_received(simulator, package)

    def test_three_packages_install_one_after_another_with_a_line_each_and_a_summary(self):
        simulator = self.simulator("--auth", "trust", trusted=True)
        folder = self.folder("拖 放")
        first = adb_rig.make_package(os.path.join(folder, "first.apk"), 100000)
        refused = os.path.join(folder, "refused.apk")
        with open(refused, "wb") as f:
            f.write(b"not a package at all")  # the device's package manager refuses it
        bundle, splits, _ = bundles.bundles(folder)[1]
        self.open_window(simulator)
        self.drop_files([first, refused, bundle])
        log = self.wait_for_the_installs()

        parts = re.split(r"(?m)^【\d/3】 .*\r\n", log)
        self.assertEqual(re.findall(r"(?m)^【\d/3】 .*(?=\r\n)", log),
                         ["【1/3】 first.apk", "【2/3】 refused.apk", "【3/3】 MOSSGATE Store 1.0（mirror.apkm）"])
        self.assertIn("\r\nSuccess\r\n", parts[1])
        self.assertIn("INSTALL_PARSE_FAILED_NOT_APK", parts[2])
        self.assertIn("提示：", parts[2])
        self.assertTrue(log.endswith("\r\n\r\n共 3 个安装包：2 个安装成功，1 个失败（refused.apk）。"), log)
        # The device keeps what it received, the refused package too.
        self.assertEqual([read(p) for p in simulator.installed()], [read(first), read(refused)])
        self.assertEqual([read(p) for p in simulator.installed_sessions()[0]], splits)
        self.assertEqual(self.driver.text("编辑框4"), harness.windows_path(bundle))

    def test_a_drop_during_an_install_joins_it(self):
        # The device asks for a new key and the user allows it after three seconds: the install runs meanwhile.
        simulator = self.simulator("--auth", "allow", "--allow-after-ms", "3000")
        folder = self.folder("拖 放")
        first = adb_rig.make_package(os.path.join(folder, "first.apk"), 100000, seed=1)
        second = adb_rig.make_package(os.path.join(folder, "second.apk"), 100000, seed=2)
        self.open_window(simulator, home=self.key_home(), page="APK安装")
        d = self.driver
        d.set_text("编辑框4", harness.windows_path(first))
        self.assertTrue(d.click("按钮4", mode="post")["synced"])
        self.assertFalse(d.info("按钮4")["enabled"])
        self.drop_files([second])
        self.assertFalse(d.info("按钮4")["enabled"])
        log = self.wait_for_the_installs()
        self.assertEqual(re.findall(r"(?m)^【\d/2】 .*(?=\r\n)", log), ["【1/2】 first.apk", "【2/2】 second.apk"])
        self.assertTrue(log.endswith("共 2 个安装包，全部安装成功。"), log)
        self.assertEqual([read(p) for p in simulator.installed()], [read(first), read(second)])

    def test_a_wsa_package_is_named_on_its_page_and_nothing_starts(self):
        simulator = self.simulator("--auth", "trust", trusted=True)
        wsa = os.path.join(self.folder("拖 放"), "WSA 包.Msixbundle")
        open(wsa, "wb").close()
        program = self.open_window(simulator, page="APK安装")
        self.drop_files([wsa])
        d = self.driver
        self.assertEqual(d.call("tab", "选择夹1")["current"], 0)
        self.assertEqual(d.text("编辑框1"), harness.windows_path(wsa))
        self.assertEqual(d.call("msgboxes")["boxes"], [])
        self.assertEqual(program.commands(own=True), [])

    def test_other_files_are_refused_by_name_and_the_port_is_checked(self):
        simulator = self.simulator("--auth", "trust", trusted=True)
        folder = self.folder("拖 放")
        package = adb_rig.make_package(os.path.join(folder, "a.apk"), 5000)
        notes = os.path.join(folder, "说明.txt")
        with open(notes, "w") as f:
            f.write("notes")
        # A package by another name is one all the same.
        renamed = adb_rig.make_package(os.path.join(folder, "download.apk.1"), 5000, seed=3)
        program = self.open_window(simulator)
        d = self.driver
        before = harness.window_state(d)
        self.drop_files([package, notes, renamed], sync=False)
        box = d.msgbox(timeout=10000)
        self.assertIn("说明.txt", box["text"])
        self.assertNotIn("a.apk", box["text"])
        self.assertNotIn("download.apk.1", box["text"])
        d.msgbox_press("ok")
        self.assertEqual(harness.window_state(d), before)

        d.set_text("编辑框3", "0")
        self.drop_files([renamed], sync=False)
        self.assertEqual(d.msgbox(timeout=10000)["text"], "端口号无效，请输入 1 到 65535 之间的数字")
        d.msgbox_press("ok")
        self.assertEqual(program.commands(own=True), [])
        self.assertEqual(simulator.installed(), [])


class ForeignNameTest(simulated.SimulatorInstallCase):
    """A package whose name the ANSI code page (936 here) cannot hold: the client gets its short name."""

    def package(self):
        return adb_rig.make_package(os.path.join(self.folder("外 names"), FOREIGN_NAME), 150000)

    def test_dropped_and_chosen_in_the_dialog(self):
        simulator = self.simulator("--auth", "trust", trusted=True)
        package = self.package()
        self.start_on_apk_page(self.key_home(trusted_key=True))
        self.wait_for_activation()
        d = self.driver
        d.set_text("编辑框3", str(simulator.port))
        self.drop_files([package])
        d.call("wait_enabled", "按钮4", timeout=simulated.INSTALL_WAIT_MS)
        self.assertIn("\r\nSuccess\r\n", d.text("编辑框2"))

        d.click("按钮3", mode="post")
        d.filedialog_open(harness.windows_path(package))
        self.assertIn("\r\nSuccess\r\n", self.click_install())
        self.assertEqual([read(p) for p in simulator.installed()], [read(package)] * 2)

    def test_given_on_the_command_line(self):
        simulator = self.simulator("--auth", "allow", port=simulated.WSA_PORT, trusted=True)
        package = self.package()
        self.assertEqual(self.run_from_command_line(package)["text"], "安装成功")
        self.assert_received(simulator, package)


if __name__ == "__main__":
    harness.main()
