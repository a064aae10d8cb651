#!/usr/bin/env python3
"""The three toolkit files as the Windows build made them: what they import and export, and whose
product their version resources name."""
import re
import subprocess
import unittest

from adb_rig import WIN32, main

SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "advapi32.dll", "shell32.dll", "ws2_32.dll", "user32.dll"}


def pe_dump(name):
    return subprocess.run(["i686-w64-mingw32-objdump", "-p", str(WIN32 / "adb" / name)], capture_output=True,
                          text=True, check=True).stdout


def imports(name):
    return {dll.lower() for dll in re.findall(r"DLL Name: (\S+)", pe_dump(name))}


def version_strings(name):
    data = (WIN32 / "adb" / name).read_bytes()
    strings = {}
    for key in ("CompanyName", "ProductName", "FileDescription", "OriginalFilename"):
        match = re.search(re.escape(key.encode("utf-16-le")) + rb"\x00\x00(?:\x00\x00)?((?:[^\x00]\x00)+)", data)
        strings[key] = match.group(1).decode("utf-16-le") if match else None
    return strings


class ToolkitFiles(unittest.TestCase):
    def test_adb_exe_loads_the_engine_and_nothing_but_system_dlls(self):
        found = imports("adb.exe")
        self.assertIn("adbwinapi.dll", found)
        self.assertLessEqual(found - {"adbwinapi.dll"}, SYSTEM_DLLS)

    def test_engine_and_usb_dlls_need_only_system_dlls(self):
        self.assertLessEqual(imports("AdbWinApi.dll"), SYSTEM_DLLS)
        self.assertIn("ws2_32.dll", imports("AdbWinApi.dll"))
        self.assertLessEqual(imports("AdbWinUsbApi.dll"), SYSTEM_DLLS | {"adbwinapi.dll"})

    def test_usb_dll_exports_its_entry_point(self):
        exports = re.findall(r"^\s+\[\s*\d+\] (\w+)$", pe_dump("AdbWinUsbApi.dll").split("[Ordinal/Name Pointer]")[1],
                             re.M)
        self.assertEqual(exports, ["InstantiateWinUsbInterface"])

    def test_version_resources_name_our_product(self):
        for name in ("adb.exe", "AdbWinApi.dll", "AdbWinUsbApi.dll"):
            strings = version_strings(name)
            self.assertEqual(strings["CompanyName"], "MOSSGATE", name)
            self.assertEqual(strings["ProductName"], "MOSSGATE", name)
            self.assertEqual(strings["OriginalFilename"], name)
            self.assertTrue(strings["FileDescription"].startswith("MOSSGATE ADB"), strings)
            self.assertNotIn(b"A\x00n\x00d\x00r\x00o\x00i\x00d\x00 \x00S\x00D\x00K", (WIN32 / "adb" / name).read_bytes())


if __name__ == "__main__":
    main()
