"""The .apk association under Wine: a click on 关联APK writes the file type into HKEY_CLASSES_ROOT (read back with
`wine reg query`), leaves other file types alone, and an .apk opened through the shell afterwards starts the
program with the file's path, which it installs from the command line. All tests share one Wine prefix: the keys
a test touches are put back as they were."""

import contextlib
import os
import re
import shutil
import socket
import subprocess
import time

import harness

CLASSES = ("HKLM\\Software\\Classes", "HKCU\\Software\\Classes")
# The bundle kinds the click binds beside .apk.
BUNDLE_TYPES = (".apks", ".apkm", ".xapk")
# A file type of another program that .apk pointed to before.
OTHER_TYPE = "MossgateE2E.OtherPackage"
TOOLS = ("adb.exe", "AdbWinApi.dll", "AdbWinUsbApi.dll")


def reg(*args, check=True):
    """Runs Wine's reg.exe; its output is in the prefix's ANSI code page (GBK)."""
    result = subprocess.run(["wine", "reg"] + list(args), env=harness.wine_env({"WINEDEBUG": "-all"}),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    if check and result.returncode != 0:
        raise AssertionError("wine reg %s failed: %s" % (" ".join(args),
                                                         (result.stdout + result.stderr).decode("gbk", "replace")))
    return result


_VALUE_LINE = re.compile(r"^    (.*?)    (REG_\w+)    ?(.*)$")


def query(key):
    """{key path: {value name: (type, data)}} of key and everything below it, as `wine reg query /s` shows them
    ("" names the default value), or None when the key does not exist."""
    result = reg("query", key, "/s", check=False)
    if result.returncode != 0:
        return None
    tree, current = {}, None
    for line in result.stdout.decode("gbk").split("\r\n"):
        match = _VALUE_LINE.match(line)
        if match:
            name = match.group(1)
            # The default value shows under a localised name in parentheses, "(默认)" here.
            if name.startswith("(") and name.endswith(")"):
                name = ""
            tree[current][name] = (match.group(2), match.group(3))
        elif line.startswith("HKEY_"):
            current = line
            tree[current] = {}
    return tree


def values(key):
    tree = query(key)
    return None if tree is None else tree["HKEY_CLASSES_ROOT\\" + key.split("\\", 1)[1]]


def reg_batch(folder, commands):
    """Runs reg.exe commands one after the other in one Wine start (a batch file in folder); their results are
    not checked."""
    batch = os.path.join(folder, "reg-commands.bat")
    with open(batch, "w", encoding="gbk", newline="\r\n") as f:
        f.write("@echo off\n" + "".join("reg %s >nul 2>nul\n" % c for c in commands))
    subprocess.run(["wine", "cmd", "/c", harness.windows_path(batch)], env=harness.wine_env({"WINEDEBUG": "-all"}),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)


class SavedKeys:
    """Exports the keys into folder and removes them; restore() puts them back as they were (deleted again, and
    imported where they existed)."""

    def __init__(self, keys, folder):
        self.folder = folder
        self.saved = [(key, os.path.join(folder, "saved-%d.reg" % n)) for n, key in enumerate(keys)]
        reg_batch(folder, ['export %s "%s" /y' % (key, harness.windows_path(export)) for key, export in self.saved]
                  + ["delete %s /f" % key for key in keys])

    def restore(self):
        commands = ["delete %s /f" % key for key, _ in self.saved]
        commands += ['import "%s"' % harness.windows_path(export) for _, export in self.saved if os.path.exists(export)]
        reg_batch(self.folder, commands)


@contextlib.contextmanager
def no_device(port=58526, timeout=60):
    """Holds the WSA endpoint's loopback port, bound but not listening: every connection to it is refused, and no
    device simulator of another test on this machine can take it meanwhile."""
    holder = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    deadline = time.monotonic() + timeout
    try:
        while True:
            try:
                holder.bind(("127.0.0.1", port))
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise AssertionError("127.0.0.1:%d stayed in use for %s s (a device of another test?)" % (
                        port, timeout))
                time.sleep(0.5)
        yield
    finally:
        holder.close()


class AssociationTest(harness.E2ETestCase):
    def setUp(self):
        keys = [root + "\\" + name for root in CLASSES for name in BUNDLE_TYPES + (".apk", "apk", OTHER_TYPE)]
        self.addCleanup(SavedKeys(keys, self.folder("saved keys")).restore)

    def associate(self, folder, **program_options):
        """Starts the program from folder, clicks 关联APK and checks that the click showed and changed nothing."""
        program = self.start_program(folder, **program_options)
        self.wait_for_activation()
        d = self.driver
        d.tab_select("选择夹1", "APK安装")
        before = harness.window_state(d)
        self.assertTrue(d.click("按钮7")["synced"])
        self.assertEqual(d.call("msgboxes")["boxes"], [])
        self.assertEqual(harness.window_state(d), before)
        return program

    def assert_apk_type(self, program):
        command = '"%s" "%%1"' % harness.windows_path(program.path)
        icon = harness.windows_path(os.path.join(harness.work_folder(), "WSAAPK.ico")) + ",0"
        tree = query("HKCR\\apk")
        self.assertEqual(tree["HKEY_CLASSES_ROOT\\apk"], {"": ("REG_SZ", ""), "EditFlags": ("REG_DWORD", "0x2")})
        self.assertEqual(tree["HKEY_CLASSES_ROOT\\apk\\Shell\\Open\\Command"], {"": ("REG_SZ", command)})
        self.assertEqual(tree["HKEY_CLASSES_ROOT\\apk\\DefaultIcon"], {"": ("REG_SZ", icon)})
        return tree

    def test_click_binds_apk_files_to_the_program(self):
        self.assertIsNone(query("HKCR\\apk"))
        self.assertIsNone(query("HKCR\\.apk"))
        program = self.associate(self.folder("运行 目录 关联"))
        tree = self.assert_apk_type(program)
        self.assertEqual(sorted(tree), ["HKEY_CLASSES_ROOT\\apk", "HKEY_CLASSES_ROOT\\apk\\DefaultIcon",
                                        "HKEY_CLASSES_ROOT\\apk\\Shell", "HKEY_CLASSES_ROOT\\apk\\Shell\\Open",
                                        "HKEY_CLASSES_ROOT\\apk\\Shell\\Open\\Command"])
        self.assertEqual(query("HKCR\\.apk"), {"HKEY_CLASSES_ROOT\\.apk": {"": ("REG_SZ", "apk")}})
        # The bundles are opened by the same type.
        for name in BUNDLE_TYPES:
            self.assertEqual(query("HKCR\\" + name), {"HKEY_CLASSES_ROOT\\" + name: {"": ("REG_SZ", "apk")}})
        # Written where every user's shell reads them, not into this user's own file types.
        for name in (".apk", "apk"):
            self.assertEqual(reg("query", "HKCU\\Software\\Classes\\" + name, check=False).returncode, 1, name)

        # Moved and renamed, the program names its new place at the next click. The second byte of 淺 in GBK is a
        # backslash, in the folder's name and in the file's.
        self.assertEqual(program.close(self.driver, timeout=15), 0)
        self.assertEqual("淺".encode("gbk")[1:], b"\\")
        moved = self.associate(self.folder("淺 程序"), exe_name="淺 安装.exe")
        self.assert_apk_type(moved)
        self.assertEqual(query("HKCR\\.apk"), {"HKEY_CLASSES_ROOT\\.apk": {"": ("REG_SZ", "apk")}})

    def test_apk_of_another_type_is_taken_over_and_that_type_left_alone(self):
        reg("add", "HKCR\\.apk", "/ve", "/d", OTHER_TYPE, "/f")
        reg("add", "HKCR\\.apk", "/v", "Content Type", "/d", "application/vnd.android.package-archive", "/f")
        reg("add", "HKCR\\" + OTHER_TYPE, "/ve", "/d", "Other package", "/f")
        reg("add", "HKCR\\" + OTHER_TYPE + "\\Shell\\Open\\Command", "/ve", "/d", '"C:\\other\\other.exe" "%1"', "/f")
        # An earlier registration of the type with a verb of its own and an old path.
        reg("add", "HKCR\\apk\\Shell\\Open\\Command", "/ve", "/d", '"C:\\old\\mossgate.exe" "%1"', "/f")
        reg("add", "HKCR\\apk\\Shell\\Scan\\Command", "/ve", "/d", '"C:\\scanner.exe" "%1"', "/f")
        other = query("HKCR\\" + OTHER_TYPE)

        program = self.associate(self.folder())
        self.assertEqual(values("HKCR\\.apk"), {"": ("REG_SZ", "apk"), "Content Type": (
            "REG_SZ", "application/vnd.android.package-archive")})
        self.assertEqual(query("HKCR\\" + OTHER_TYPE), other)
        tree = self.assert_apk_type(program)
        self.assertEqual(tree["HKEY_CLASSES_ROOT\\apk\\Shell\\Scan\\Command"],
                         {"": ("REG_SZ", '"C:\\scanner.exe" "%1"')})

        # A second click writes the same values again.
        self.assertTrue(self.driver.click("按钮7")["synced"])
        self.assertEqual(self.driver.call("msgboxes")["boxes"], [])
        self.assertEqual(query("HKCR\\apk"), tree)
        self.assertEqual(values("HKCR\\.apk")[""], ("REG_SZ", "apk"))
        self.assertEqual(query("HKCR\\" + OTHER_TYPE), other)

    def test_apk_opened_through_the_shell_is_installed_by_the_program(self):
        # On the prefix's C: with a short name, so that the traced command line is not cut.
        place = os.path.join(harness.PREFIX, "drive_c", "e2e 关联")
        shutil.rmtree(place, ignore_errors=True)
        self.addCleanup(shutil.rmtree, place, True)
        self.addCleanup(lambda: self.driver.terminate(under=harness.windows_path(place)))
        run = os.path.join(place, "运行 目录")
        program = self.associate(run)
        self.assertEqual(program.close(self.driver, timeout=15), 0)
        package = os.path.join(place, "包 a.apk")
        with open(package, "wb") as f:
            f.write(b"not really a package")

        trace_path = os.path.join(self.case_folder(), "shell-open.trace")
        d = self.driver
        with no_device(), open(trace_path, "wb") as trace:
            opened = subprocess.run(["wine", "start", harness.windows_path(package)], stdout=subprocess.DEVNULL,
                                    stderr=trace, env=harness.wine_env({"WINEDEBUG": "fixme-all,+process,+pid"}),
                                    timeout=60)
            self.assertEqual(opened.returncode, 0)
            started = d.attach(image=program.image_tail(), window=0, timeout=20000)
            box = d.msgbox(timeout=60000)
        self.assertEqual(box["caption"], "MOSSGATE")
        self.assertTrue(box["text"].startswith("安装失败"), box["text"])
        # The client's own words follow: the device at the default address refused it.
        self.assertIn("127.0.0.1:58526", box["text"])
        self.assertIsNone(box["owner"])
        for name in TOOLS:
            self.assertTrue(os.path.exists(os.path.join(run, name)), name)

        d.msgbox_press("ok")
        self.assertEqual(d.call("wait_exit", timeout=15000)["exit_code"], 0)
        self.assertEqual(os.listdir(run), ["mossgate.exe"])

        with open(trace_path, "rb") as f:
            commands = harness.parse_trace(f.read().decode("utf-8", "replace"))
        program_path = harness.windows_path(program.path)
        runs = [c for c in commands if c.cmdline and c.cmdline.startswith('"%s"' % program_path)]
        self.assertEqual(len(runs), 1, commands)
        self.assertFalse(runs[0].truncated)
        self.assertEqual(runs[0].cmdline, '"%s" "%s"' % (program_path, harness.windows_path(package)))
        # The program itself then ran the install commands.
        own = [c.cmdline for c in commands if c.pid and int(c.pid, 16) == started["pid"]]
        self.assertEqual(len(own), 3, own)
        self.assertIn('.\\adb.exe install "%s"' % harness.windows_path(package), own[2])


if __name__ == "__main__":
    harness.main()
