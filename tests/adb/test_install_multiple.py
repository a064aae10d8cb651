#!/usr/bin/env python3
"""`adb.exe install-multiple` under Wine against the device simulator: one install session per run,
every file byte-identical and in order, through abb_exec, exec:cmd and pm; failures reported with the
session abandoned, also when the device goes away in the middle of a file."""
import re

from adb_rig import WineClientCase, main, make_package, sha256

MIB = 1024 * 1024
MISSING_SPLIT = b"Failure [INSTALL_FAILED_MISSING_SPLIT: Missing split for com.mossgate.simulated]"


class SessionCase(WineClientCase):
    def packages(self, *sizes, names=None):
        names = names or ["base.apk"] + ["split_%d.apk" % i for i in range(1, len(sizes))]
        return [make_package(self.folder / name, size, seed=i + 10) for i, (name, size) in enumerate(zip(names, sizes))]

    def install(self, files, *options, **run):
        return self.adb.run("install-multiple", *options, *[str(f) for f in files], **run)

    def assert_installed(self, simulator, files):
        self.assertEqual([[sha256(p) for p in session] for session in simulator.installed_sessions()],
                         [[sha256(f) for f in files]])
        self.assertEqual(simulator.open_sessions(), [])
        self.assertNotIn("violation", simulator.log())

    def session_id(self, simulator):
        return int(re.search(r"session (\d+) created", simulator.log()).group(1))


class InstallMultiple(SessionCase):
    def test_files_arrive_byte_identical_and_in_order_through_abb_exec(self):
        files = self.packages(3 * MIB + 1, 200001, 5)
        total = sum(f.stat().st_size for f in files)
        simulator = self.connected("--okay-delay-ms", "1")
        result = self.install(files)
        self.assertEqual((result.code, result.out, result.err), (0, b"Success\n", b""))
        self.assert_installed(simulator, files)
        session = self.session_id(simulator)
        log = simulator.log()
        self.assertIn("open abb_exec:package|install-create|-S|%d\n" % total, log)
        self.assertIn("open abb_exec:package|install-write|-S|%d|%d|0_base.apk|-\n" % (3 * MIB + 1, session), log)
        self.assertIn("open abb_exec:package|install-write|-S|5|%d|2_split_2.apk|-\n" % session, log)
        self.assertIn("open abb_exec:package|install-commit|%d\n" % session, log)

    def test_device_without_abb_exec_gets_cmd_package_with_the_options_quoted(self):
        files = self.packages(70000, 3000)
        simulator = self.connected("--features", "cmd,shell_v2", "--max-payload", "65536")
        result = self.install(files, "-r", "-t")
        self.assertEqual((result.code, result.out), (0, b"Success\n"), result)
        self.assert_installed(simulator, files)
        log = simulator.log()
        self.assertIn("open exec:cmd package install-create -S 73000 '-r' '-t'\n", log)
        self.assertIn("largest=65536", log)

    def test_old_device_gets_pm_and_commits_through_the_shell(self):
        files = self.packages(2 * MIB + 9, 10000)
        simulator = self.connected("--legacy", "--okay-delay-ms", "1")
        result = self.install(files)
        self.assertEqual((result.code, result.out), (0, b"Success\n"), result)
        self.assert_installed(simulator, files)
        log = simulator.log()
        session = self.session_id(simulator)
        self.assertIn("send CNXN version=0x01000000 maxdata=4096", log)
        self.assertIn("open exec:pm install-write -S %d %d 0_base.apk -\n" % (2 * MIB + 9, session), log)
        self.assertRegex(log, r"close exec:pm install-write [^\n]* writes=\d+ bytes=%d largest=4096\n" % (2 * MIB + 9))
        self.assertIn("open shell:pm install-commit %d\n" % session, log)

    def test_reason_an_old_devices_exec_would_drop_arrives_through_the_shell(self):
        files = self.packages(5000, 6000)
        simulator = self.connected("--legacy", "--refuse-install", "INSTALL_FAILED_OLDER_SDK")
        result = self.install(files)
        self.assertEqual((result.code, result.out), (1, b""))
        self.assertEqual(result.err, b"adb: failed to finalize session\nFailure [INSTALL_FAILED_OLDER_SDK]\n")
        self.assertIn("open exec:pm install-abandon %d\n" % self.session_id(simulator), simulator.log())

    def test_device_without_cmd_but_with_shell_v2(self):
        files = self.packages(40000, 30000)
        simulator = self.connected("--features", "shell_v2,stat_v2")
        result = self.install(files)
        self.assertEqual((result.code, result.out), (0, b"Success\n"), result)
        self.assert_installed(simulator, files)
        self.assertIn("open shell,v2,raw:pm install-commit %d\n" % self.session_id(simulator), simulator.log())

    def test_any_name_becomes_a_safe_session_name_and_wide_names_are_told_apart(self):
        # Neither name can be spelled in the ANSI code page: both reach adb.exe's texts as "?.apk".
        files = self.packages(3000, 4000, 5000, names=["乗 应用 base.apk", "한.apk", "국.apk"])
        simulator = self.connected()
        result = self.install(files)
        self.assertEqual((result.code, result.out), (0, b"Success\n"), result)
        self.assert_installed(simulator, files)
        self.assertEqual([p.name for p in simulator.installed_sessions()[0]], ["0__base.apk", "1__.apk", "2__.apk"])


class Failures(SessionCase):
    def test_command_line_without_a_package(self):
        result = self.adb.run("install-multiple")
        self.assertEqual(result.code, 1)
        self.assertTrue(result.err.startswith(b"adb: install-multiple requires an argument\n"), result)
        result = self.adb.run("install-multiple", "-r", "notes.txt")
        self.assertEqual((result.code, result.err), (1, b"adb: need APK file on command line\n"))

    def test_missing_file_reaches_no_device(self):
        base, = self.packages(3000)
        missing = self.folder / "gone.apk"
        simulator = self.connected()
        result = self.install([base, missing])
        self.assertEqual((result.code, result.out), (1, b""))
        self.assertEqual(result.err, b'adb: failed to stat "%s": No such file or directory\n' % str(missing).encode())
        self.assertNotIn(" open ", simulator.log())

    def test_refused_commit_is_shown_and_the_session_abandoned(self):
        files = self.packages(3000, 4000)
        simulator = self.connected("--require-splits", "3")
        result = self.install(files)
        self.assertEqual((result.code, result.out), (1, b""))
        self.assertEqual(result.err, b"adb: failed to finalize session\n" + MISSING_SPLIT + b"\n")
        self.assertIn("open abb_exec:package|install-abandon|%d\n" % self.session_id(simulator), simulator.log())
        self.assertEqual((simulator.installed_sessions(), simulator.open_sessions()), ([], []))

    def test_connection_dropped_in_a_file_abandons_the_session_on_a_new_connection(self):
        files = self.packages(100000, 5 * MIB)
        simulator = self.connected("--drop-after-bytes", str(MIB))
        result = self.install(files, timeout=60)
        self.assertEqual((result.code, result.out), (1, b""))
        self.assertRegex(result.err.decode(), r'^adb: failed to write ".*split_1\.apk": the connection to the device '
                                              r'was lost after \d+ of 5242880 bytes\n$')
        self.assertLess(result.seconds, 20)
        session = self.session_id(simulator)
        self.assertIn("session %d abandoned" % session, simulator.log())
        self.assertEqual((simulator.installed_sessions(), simulator.open_sessions()), ([], []))

    def test_device_that_stops_answering_in_a_file_is_given_up_on_and_the_session_abandoned(self):
        files = self.packages(4 * MIB)
        simulator = self.connected("--stall-after-bytes", str(MIB))
        result = self.install(files, env={"MOSSGATE_ADB_REPLY_WAIT_S": "3"}, timeout=60)
        self.assertEqual((result.code, result.out), (1, b""))
        self.assertRegex(result.err.decode(), r'^adb: failed to write ".*base\.apk": the device stopped answering '
                                              r'after \d+ of 4194304 bytes\n$')
        self.assertLess(result.seconds, 25)
        self.assertIn("session %d abandoned" % self.session_id(simulator), simulator.log())


if __name__ == "__main__":
    main()
