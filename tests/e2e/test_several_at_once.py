"""Several packages opened at once in the shell: one instance per file, started within a moment of each other,
from one folder or from two copies of the program, or while a window of the program is open. One instance
installs them all one after another; the others hand their package over and end at once; the toolkit is gone
afterwards. Against the device simulator at WSA's port (skipped when another program holds it)."""

import hashlib
import os

import harness
import test_simulator_install as simulated
from test_simulator_install import adb_rig

ROUNDS = 3


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


class SeveralAtOnceTest(simulated.SimulatorInstallCase):
    def packages(self, count, round_number=0):
        folder = self.folder("packages %d" % round_number)
        return [adb_rig.make_package(os.path.join(folder, "包 %d.apk" % n), 100000 + n, seed=round_number * 10 + n)
                for n in range(count)]

    def open_at_once(self, folders, packages, env):
        """Starts one instance per package, the i-th from folders[i % len(folders)], all within a moment."""
        for folder in folders:
            if not os.path.exists(os.path.join(folder, "mossgate.exe")):  # never over one that runs
                harness.Program(folder).prepare()
        return [self.start_program(folders[i % len(folders)], args=[harness.windows_path(package)], attach=False,
                                   env=env) for i, package in enumerate(packages)]

    def installer_among(self, programs):
        """The one instance left running once the others have handed their packages over and ended with 0."""
        def others_ended():
            running = [p for p in programs if p.running()]
            return running if len(running) <= 1 else None
        left = self.wait_until(others_ended, timeout=90, what="all instances but one to end")
        for program in programs:
            if program not in left:
                self.assertEqual(program.wait(5), 0)
        self.assertEqual(len(left), 1, "every instance ended before a box was read")
        return left[0]

    def answer_boxes(self, program):
        """Reads and closes every box of the installing instance until it ends; returns their texts."""
        program.attach(self.driver, window=False)
        texts = []
        while True:
            box = self.driver.msgbox(timeout=90000)
            texts.append(box["text"])
            self.driver.msgbox_press("ok")
            status = program.wait(3)
            if status is not None:
                self.assertEqual(status, 0)
                return texts

    def assert_all_installed(self, simulator, packages, folders, texts):
        for text in texts:
            self.assertTrue(text.startswith("安装成功"), text)
        self.assertEqual(sorted(digest(p) for p in simulator.installed()), sorted(digest(p) for p in packages))
        for folder in folders:
            self.assertEqual(os.listdir(folder), ["mossgate.exe"])  # the toolkit is gone

    def test_four_packages_opened_together_from_one_folder_are_all_installed(self):
        env = self.program_env(self.key_home(trusted_key=True))
        for round_number in range(ROUNDS):
            with self.subTest(round=round_number):
                simulator = self.simulator("--auth", "trust", port=simulated.WSA_PORT, trusted=True)
                try:
                    packages = self.packages(4, round_number)
                    folder = self.folder("run %d" % round_number)
                    programs = self.open_at_once([folder], packages, env)
                    texts = self.answer_boxes(self.installer_among(programs))
                    self.assert_all_installed(simulator, packages, [folder], texts)
                    # All in one box, when the handovers came during the first install, as they do here.
                    self.assertEqual(len(texts), 1, texts)
                    self.assertEqual(len(texts[0].split("\r\n")), 2 + 4, texts[0])
                finally:
                    simulator.stop()

    def test_two_copies_in_two_folders_install_one_at_a_time(self):
        env = self.program_env(self.key_home(trusted_key=True))
        simulator = self.simulator("--auth", "trust", port=simulated.WSA_PORT, trusted=True)
        packages = self.packages(4)
        folders = [self.folder("copy one"), self.folder("副本 two")]
        programs = self.open_at_once(folders, packages, env)
        texts = self.answer_boxes(self.installer_among(programs))
        self.assert_all_installed(simulator, packages, folders, texts)

    def test_a_package_handed_over_while_the_box_is_open_is_installed_after_it_with_a_box_of_its_own(self):
        env = self.program_env(self.key_home(trusted_key=True))
        simulator = self.simulator("--auth", "trust", port=simulated.WSA_PORT, trusted=True)
        first, second = self.packages(2)
        folder = self.folder("run")
        installer = self.open_at_once([folder], [first], env)[0]
        installer.attach(self.driver, window=False)
        self.assertEqual(self.driver.msgbox(timeout=90000)["text"], "安装成功")
        late = self.open_at_once([folder], [second], env)[0]
        self.assertEqual(late.wait(60), 0)
        self.assertEqual(len(simulator.installed()), 1)  # nothing runs behind the open box
        self.driver.msgbox_press("ok")
        self.assertEqual(self.answer_boxes(installer), ["安装成功"])
        self.assert_all_installed(simulator, [first, second], [folder], [])

    def test_a_window_that_is_open_takes_the_packages_into_its_queue(self):
        env = self.program_env(self.key_home(trusted_key=True))
        simulator = self.simulator("--auth", "trust", port=simulated.WSA_PORT, trusted=True)
        window_folder, opened = self.folder("window"), self.folder("opened")
        window = self.start_program(window_folder, env=env)
        self.wait_for_activation()
        packages = self.packages(2)
        others = self.open_at_once([opened], packages, env)
        for program in others:
            self.assertEqual(program.wait(60), 0)
        d = self.driver
        self.wait_until(lambda: len(simulator.installed()) == 2, timeout=90, what="both packages to arrive")
        d.call("wait_enabled", "按钮4", timeout=30000)
        self.assertEqual(d.call("msgboxes")["boxes"], [])
        self.assertEqual(d.call("tab", "选择夹1")["current"], 1)  # the APK page came to the front
        self.assertIn("Success", d.text("编辑框2"))
        self.assert_all_installed(simulator, packages, [opened], [])
        self.assertEqual(window.close(d, timeout=15), 0)
        self.assertEqual(os.listdir(window_folder), ["mossgate.exe"])


if __name__ == "__main__":
    harness.main()
