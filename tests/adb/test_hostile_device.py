#!/usr/bin/env python3
"""`adb.exe` under Wine against devices and servers that break the rules (the simulator's --hostile
modes): each run ends within its limit, with bounded memory, exit 1 and a clear message, never Success."""
import os
import re
import subprocess
import time

from adb_rig import ADB_EXE, WINE_RUN, Simulator, TempTestCase, WineAdb, main, make_package, wine_path

MIB = 1024 * 1024
PEAK_LIMIT = 32 * MIB
LIMITS = {"MOSSGATE_ADB_REPLY_WAIT_S": "3", "MOSSGATE_ADB_RESULT_WAIT_S": "4", "MOSSGATE_ADB_AUTH_WAIT_S": "3",
          "MOSSGATE_ADB_REPORT_PEAK": "1"}
# Wine's start and the connection's set-up on top of a limit.
MARGIN_S = 12


class HostileCase(TempTestCase):
    def setUp(self):
        super().setUp()
        self.adb = WineAdb(self.folder / "home")

    def run_bounded(self, *args, limit_s, env=None):
        result = self.adb.run(*args, timeout=limit_s + 60, env=dict(LIMITS, **(env or {})))
        peak = re.search(rb"adb_peak_working_set_bytes: (\d+)\n", result.err)
        self.assertIsNotNone(peak, result)
        result.err = result.err.replace(peak.group(0), b"")
        self.assertLess(int(peak.group(1)), PEAK_LIMIT, result)
        self.assertLess(result.seconds, limit_s + MARGIN_S, result)
        self.assertEqual(result.code, 1, result)
        self.assertNotIn(b"Success", result.out)
        self.assertTrue(result.err.strip(), result)
        self.assertNotIn(b"\0", result.err)
        return result

    def install_against(self, mode, size=100000, limit_s=4):
        """Connects while the device behaves, then installs against it in `mode` on the same port."""
        honest = self.simulator("--auth", "off", name="honest")
        self.assertIn(b"connected to", self.adb.run("connect", honest.serial).out)
        port = honest.port
        honest.stop()
        hostile = Simulator(self.folder / "hostile", "--hostile", mode, "--idle-s", "30", port=port)
        self.addCleanup(hostile.stop)
        package = make_package(self.folder / "app.apk", size)
        return self.run_bounded("install", str(package), limit_s=limit_s)


class HostileVerdict(HostileCase):
    def test_endless_output_after_the_upload_ends_at_the_verdict_limit(self):
        result = self.install_against("endless-verdict")
        self.assertIn(b"no complete answer from the device within 4 s", result.err)

    def test_one_byte_a_second_does_not_restart_the_limit(self):
        result = self.install_against("slow-verdict")
        self.assertIn(b"no complete answer from the device within 4 s", result.err)

    def test_a_100_mb_reason_is_shown_cut(self):
        result = self.install_against("huge-reason", limit_s=60)
        self.assertRegex(result.err, rb"^adb: failed to install .*app\.apk: Failure \[r{65000,65536}\.\.\. "
                                     rb"\[\d+ more bytes not shown\]\n$")
        self.assertLess(len(result.err), 70000)


class HostileUpload(HostileCase):
    def test_output_instead_of_acknowledgements_stops_the_install(self):
        result = self.install_against("talk-during-upload", size=3 * MIB)
        self.assertIn(b"the device sent more than 64 KB of output instead of taking the package", result.err)

    def test_sync_fail_claiming_2_gb_is_refused(self):
        result = self.install_against("sync-fail-huge")
        self.assertIn(b"the device's failure reason claims 2147483647 bytes", result.err)

    def test_endless_package_manager_output_is_cut_and_ends_at_the_limit(self):
        result = self.install_against("endless-pm")
        self.assertIn(b"did not end within 4 s", result.err)
        self.assertLess(len(result.out), 70000)

    def test_okays_for_another_stream_do_not_open_ours(self):
        result = self.install_against("foreign-okay", limit_s=3)
        self.assertIn(b"the device stopped answering when the install service was opened", result.err)


class HostileHandshake(HostileCase):
    def test_back_to_back_auth_tokens_end_at_the_authorisation_limit(self):
        result = self.install_against("auth-flood", limit_s=3)
        self.assertIn(b"adb: device unauthorized.", result.err)

    def test_stream_messages_before_any_connect_end_at_the_handshake_limit(self):
        result = self.install_against("pre-cnxn-flood", limit_s=10)
        self.assertEqual(result.err, b"adb: device offline\n")

    def test_connect_to_a_flooding_device_fails_in_time(self):
        hostile = self.simulator("--hostile", "pre-cnxn-flood")
        result = self.adb.run("connect", hostile.serial, timeout=60)
        self.assertEqual(result.out, b"failed to connect to %s\n" % hostile.serial.encode())
        self.assertLess(result.seconds, 10 + MARGIN_S)


class HostileServer(HostileCase):
    def test_a_server_that_keeps_talking_after_okay(self):
        server = self.simulator("--hostile", "server-talks")
        result = self.run_bounded("kill-server", limit_s=5, env={"ANDROID_ADB_SERVER_PORT": str(server.port)})
        self.assertEqual(result.err, b"adb: error: the ADB server on tcp:%d did not stop within 5 s\n" % server.port)

    def test_a_short_fail_prints_only_what_arrived(self):
        server = self.simulator("--hostile", "server-short-fail")
        result = self.run_bounded("kill-server", limit_s=5, env={"ANDROID_ADB_SERVER_PORT": str(server.port)})
        self.assertEqual(result.err, b"error: short\n")


class ChangingFile(HostileCase):
    def test_a_file_that_grows_while_it_is_sent_fails(self):
        simulator = self.simulator("--auth", "off", "--okay-delay-ms", "400")
        self.assertIn(b"connected to", self.adb.run("connect", simulator.serial).out)
        package = make_package(self.folder / "growing.apk", 6 * MIB)
        environment = dict(os.environ, MOSSGATE_ADB_HOME=wine_path(self.adb.home))
        process = subprocess.Popen([str(WINE_RUN), str(ADB_EXE), "install", str(package)], stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, env=environment)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        deadline = time.monotonic() + 60
        while "open abb_exec" not in simulator.log() and time.monotonic() < deadline:
            time.sleep(0.05)
        with open(package, "ab") as file:
            file.write(b"\0" * MIB)
        out, err = process.communicate(timeout=120)
        self.assertEqual(process.returncode, 1, (out, err, simulator.log()))
        self.assertIn(b"the file changed size during the install", err)
        self.assertNotIn(b"Success", out)
        # The last piece is held back once the file is seen to have grown: the device never installs it.
        deadline = time.monotonic() + 10
        while "install aborted" not in simulator.log() and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertIn("install aborted by the host after 5242880 of 6291456 bytes", simulator.log())


if __name__ == "__main__":
    main()
