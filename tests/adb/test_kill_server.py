#!/usr/bin/env python3
"""`adb.exe kill-server` under Wine: stops an ADB server (Debian's, on a private port), is silent when
there is none, and forgets the connected devices."""
import time

from adb_rig import DebianAdb, TempTestCase, WineAdb, free_port, main


class KillServer(TempTestCase):
    def setUp(self):
        super().setUp()
        self.adb = WineAdb(self.folder / "home")

    def test_nothing_to_stop_prints_nothing(self):
        result = self.adb.run("kill-server", env={"ANDROID_ADB_SERVER_PORT": str(free_port())})
        self.assertEqual((result.code, result.out, result.err), (0, b"", b""))
        self.assertLess(result.seconds, 8)

    def test_a_running_server_is_asked_to_exit(self):
        debian = DebianAdb(self.folder / "debian-home")
        self.addCleanup(debian.stop)
        started = debian.run("start-server")
        self.assertEqual(started.code, 0, started)
        self.assertTrue(debian.server_listening())
        result = self.adb.run("kill-server", env={"ANDROID_ADB_SERVER_PORT": str(debian.port)})
        self.assertEqual((result.code, result.out, result.err), (0, b"", b""))
        deadline = time.monotonic() + 10
        while debian.server_listening() and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertFalse(debian.server_listening())

    def test_connected_devices_are_forgotten(self):
        simulator = self.simulator("--auth", "off")
        self.assertEqual(self.adb.run("connect", simulator.serial).out, b"connected to %s\n" % simulator.serial.encode())
        self.assertEqual(self.adb.run("kill-server", env={"ANDROID_ADB_SERVER_PORT": str(free_port())}).code, 0)
        result = self.adb.run("install", "x.apk")
        self.assertEqual((result.code, result.err), (1, b"adb: no devices/emulators found\n"))
        # A fresh connect is "connected", not "already connected".
        self.assertEqual(self.adb.run("connect", simulator.serial).out, b"connected to %s\n" % simulator.serial.encode())


if __name__ == "__main__":
    main()
