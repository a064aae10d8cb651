"""The harness's own parsing and file helpers (no program runs)."""

import os

import harness


class TraceParsingTest(harness.unittest.TestCase):
    TRACE = "\n".join([
        '0024:0028:trace:process:NtCreateUserProcess L"\\\\??\\\\C:\\\\windows\\\\system32\\\\explorer.exe" image',
        '0120:0124:trace:process:CreateProcessInternalW app (null) cmdline L"cmd.exe /c .\\\\adb.exe kill-server"',
        '0120:0124:fixme:imm:ImeSetActiveContext (00050038, 0): stub',
        '0120:0124:trace:process:CreateProcessInternalW started process pid 0130 tid 0134',
        '0130:0134:trace:process:CreateProcessInternalW app L"C:\\\\windows\\\\system32\\\\cmd.exe" cmdline '
        'L"powershell add-appxpackage \\"C:\\\\\\4e2d\\\\a b.Msixbundle\\"\\r\\n\\d83d\\de00"',
        '0120:0124:trace:process:CreateProcessInternalW app (null) cmdline L"cmd.exe /c .\\\\adb.exe install \\"C:\\\\'
        + "x" * 250 + '"...',
    ])

    def test_command_lines_are_found_and_unescaped(self):
        commands = harness.parse_trace(self.TRACE)
        self.assertEqual([c.pid for c in commands], ["0120", "0130", "0120"])
        self.assertEqual(commands[0].cmdline, "cmd.exe /c .\\adb.exe kill-server")
        self.assertIsNone(commands[0].app)
        self.assertFalse(commands[0].truncated)
        self.assertEqual(commands[1].app, "C:\\windows\\system32\\cmd.exe")
        self.assertEqual(commands[1].cmdline, 'powershell add-appxpackage "C:\\中\\a b.Msixbundle"\r\n\U0001F600')
        self.assertTrue(commands[2].truncated)
        self.assertTrue(commands[2].cmdline.endswith("x" * 250))

    def test_escapes_are_undone_left_to_right(self):
        # An escaped backslash followed by four hex digits is not a character escape.
        self.assertEqual(harness.decode_wine_string("\\\\4e2d\\4e2d"), "\\4e2d中")
        self.assertEqual(harness.decode_wine_string('a\\"b\\t'), 'a"b\t')


class PathAndAttributeTest(harness.unittest.TestCase):
    def test_windows_paths(self):
        self.assertEqual(harness.windows_path("/tmp/a b/中.exe"), "Z:\\tmp\\a b\\中.exe")
        inside = os.path.join(harness.PREFIX, "drive_c", "users")
        self.assertEqual(harness.windows_path(inside), "C:\\users")

    def test_dos_attributes_follow_the_xattr_and_the_write_permission(self):
        folder = os.path.join(harness.E2E_DIR, "harness-attributes")
        os.makedirs(folder, exist_ok=True)
        os.chmod(folder, 0o755)
        harness.set_dos_attributes(folder, harness.FILE_ATTRIBUTE_HIDDEN)
        self.assertEqual(harness.dos_attributes(folder), harness.FILE_ATTRIBUTE_HIDDEN)
        os.chmod(folder, 0o555)
        self.assertEqual(harness.dos_attributes(folder), harness.FILE_ATTRIBUTE_HIDDEN | harness.FILE_ATTRIBUTE_READONLY)
        harness.set_dos_attributes(folder, 0)
        os.chmod(folder, 0o755)
        self.assertFalse(harness.is_hidden(folder))

    def test_embedded_payload_names_the_files_the_build_embedded_byte_for_byte(self):
        payload = harness.embedded_payload()
        resources = harness.pe_rcdata(harness.PROGRAM)
        with open(harness.PROGRAM, "rb") as f:
            program = f.read()
        for resource, name in harness.PAYLOAD_RESOURCES.items():
            with open(payload[name], "rb") as f:
                expected = f.read()
            offset, size = resources[resource]
            self.assertEqual(program[offset:offset + size], expected, name)


if __name__ == "__main__":
    harness.main()
