"""Helpers of the toolkit's script tests: the device simulator, our adb.exe under Wine, Debian's adb.

Every simulator and server takes a free port of its own, so the tests can run side by side.
"""
import hashlib
import os
import pathlib
import re
import select
import shutil
import socket
import struct
import subprocess
import tempfile
import time
import unittest
import zlib

SIMULATOR = os.environ.get("ADB_SIMULATOR", "")
DATA = pathlib.Path(os.environ.get("ADB_TEST_DATA", pathlib.Path(__file__).parent / "data"))
SOURCE = pathlib.Path(os.environ.get("MOSSGATE_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
WIN32 = pathlib.Path(os.environ.get("MOSSGATE_WIN32_DIR", SOURCE / "build" / "win32"))
ADB_EXE = WIN32 / "adb" / "adb.exe"
WINE_RUN = SOURCE / "scripts" / "lib" / "wine-run"


def wine_path(path):
    return "Z:" + str(path).replace("/", "\\")


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as file:
        for piece in iter(lambda: file.read(1 << 20), b""):
            digest.update(piece)
    return digest.hexdigest()


def make_package(path, size, seed=1):
    """A ZIP archive of exactly `size` bytes holding one stored AndroidManifest.xml of reproducible noise: a
    package to the program (which looks into it) and to the simulated package manager (which checks that it
    starts like a ZIP), written in pieces. Below 136 bytes only the ZIP's first four bytes and noise."""
    name = b"AndroidManifest.xml"
    local_size, central_size, end_size = 30 + len(name), 46 + len(name), 22
    length = size - local_size - central_size - end_size
    if length < 0:
        with open(path, "wb") as file:
            file.write((b"PK\x03\x04" + hashlib.sha256(str(seed).encode()).digest() * 5)[:size])
        return path

    def noise():
        state = hashlib.sha256(str(seed).encode()).digest()
        left = length
        while left > 0:
            state = hashlib.sha256(state).digest()
            piece = (state * 2048)[: min(65536, left)]
            left -= len(piece)
            yield piece

    crc = 0
    for piece in noise():
        crc = zlib.crc32(piece, crc)
    with open(path, "wb") as file:
        file.write(struct.pack("<IHHHHHIIIHH", 0x04034B50, 10, 0, 0, 0, 0x21, crc, length, length, len(name), 0))
        file.write(name)
        for piece in noise():
            file.write(piece)
        file.write(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 10, 0, 0, 0, 0x21, crc, length, length,
                               len(name), 0, 0, 0, 0, 0, 0))
        file.write(name)
        file.write(struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, central_size, local_size + length, 0))
    return path


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Simulator:
    """The device simulator on a free loopback port (or on `port`); its store and log in `folder`."""

    def __init__(self, folder, *options, port=0):
        self.folder = pathlib.Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        self.store = self.folder / "store"
        self.log_path = self.folder / "simulator.log"
        self.process = subprocess.Popen(
            [SIMULATOR, "--port", str(port), "--store", str(self.store), "--log", str(self.log_path),
             "--lifetime-s", "900", *options],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        ready, _, _ = select.select([self.process.stdout], [], [], 10)
        line = self.process.stdout.readline().decode() if ready else ""
        if not line.startswith("listening on "):
            if self.process.poll() is None:
                self.process.kill()
            self.process.wait(5)
            complaint = self.process.stderr.read().decode(errors="replace")  # before stop() closes the pipe
            self.stop()
            raise RuntimeError("simulator did not start: " + line + complaint)
        self.port = int(line.rsplit(":", 1)[1])
        self.serial = "127.0.0.1:%d" % self.port

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(5)
        for pipe in (self.process.stdout, self.process.stderr):
            if pipe and not pipe.closed:
                pipe.close()

    def log(self):
        return self.log_path.read_text(errors="replace") if self.log_path.exists() else ""

    def installed(self):
        """The packages the device received, oldest first."""
        folder = self.store / "installed"
        return sorted(folder.glob("*.apk"), key=lambda p: int(p.stem)) if folder.exists() else []

    def installed_sessions(self):
        """The install sessions the device committed, oldest first: for each, the paths of its files in
        the order they were written. A session K keeps its files in store/installed/K/ and their names,
        one a line in that order, in store/installed/K.splits."""
        folder = self.store / "installed"
        lists = sorted(folder.glob("*.splits"), key=lambda p: int(p.stem)) if folder.exists() else []
        return [[folder / order.stem / name for name in order.read_text().split("\n") if name] for order in lists]

    def open_sessions(self):
        """The ids of sessions created and neither committed nor abandoned (store/sessions/ID/)."""
        folder = self.store / "sessions"
        return sorted(int(p.name) for p in folder.iterdir()) if folder.exists() else []

    def pushed(self, device_path):
        """Where the device keeps a file pushed to `device_path`: store/device/<device_path>."""
        return self.store / "device" / device_path.lstrip("/")

    def pushed_files(self):
        """Every file on the device's storage (pushes, and packages waiting for pm install), by device path."""
        root = self.store / "device"
        return sorted("/" + p.relative_to(root).as_posix() for p in root.rglob("*") if p.is_file()) \
            if root.exists() else []

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


class Result:
    def __init__(self, completed, seconds, windows_lines=False):
        self.code = completed.returncode
        self.out = completed.stdout
        self.err = completed.stderr
        self.seconds = seconds
        if windows_lines:
            # Our adb.exe ends its lines with CR LF; the tests compare the texts with plain LF.
            for stream in (self.out, self.err):
                if re.search(rb"(?<!\r)\n", stream):
                    raise AssertionError("a line of adb.exe's output ends without CR: %r" % stream)
            self.out = self.out.replace(b"\r\n", b"\n")
            self.err = self.err.replace(b"\r\n", b"\n")

    def __repr__(self):
        return "exit %d, stdout %r, stderr %r" % (self.code, self.out, self.err)


_wine_ready = False


def start_wine_services():
    """Wine's background services start with the first program of a fresh wineserver and inherit its
    output pipes, which would keep our captured runs from ending: start them with no pipes."""
    global _wine_ready
    if not _wine_ready:
        subprocess.run([str(WINE_RUN), "cmd", "/c", "exit"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)
        _wine_ready = True


class WineAdb:
    """Our adb.exe under the rig's Wine, with a key folder of its own (`home`/.android)."""

    def __init__(self, home):
        self.home = pathlib.Path(home)
        self.home.mkdir(parents=True, exist_ok=True)
        self.key_folder = self.home / ".android"
        start_wine_services()

    def run(self, *args, timeout=120, env=None):
        environment = dict(os.environ, MOSSGATE_ADB_HOME=wine_path(self.home))
        environment.update(env or {})
        started = time.monotonic()
        completed = subprocess.run([str(WINE_RUN), str(ADB_EXE), *args], capture_output=True,
                                   timeout=timeout, env=environment)
        return Result(completed, time.monotonic() - started, windows_lines=True)


class DebianAdb:
    """The client and server of Debian's adb package, on a private server port and home."""

    def __init__(self, home, port=None):
        self.home = pathlib.Path(home)
        self.home.mkdir(parents=True, exist_ok=True)
        self.port = port or free_port()
        self.env = dict(os.environ, HOME=str(self.home), ADB_MDNS="0", ADB_USB="0", ADB_EMU="0")
        self.env.pop("ANDROID_ADB_SERVER_PORT", None)

    def run(self, *args, timeout=120):
        started = time.monotonic()
        completed = subprocess.run(["adb", "-P", str(self.port), *args], capture_output=True, timeout=timeout,
                                   env=self.env)
        return Result(completed, time.monotonic() - started)

    def server_listening(self):
        with socket.socket() as probe:
            probe.settimeout(1)
            return probe.connect_ex(("127.0.0.1", self.port)) == 0

    def stop(self):
        if self.server_listening():
            self.run("kill-server", timeout=30)


class TempTestCase(unittest.TestCase):
    """A fresh folder per test, removed afterwards."""

    def setUp(self):
        self.folder = pathlib.Path(tempfile.mkdtemp(prefix="adbtest-"))
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)

    def simulator(self, *options, name="device"):
        simulator = Simulator(self.folder / name, *options)
        self.addCleanup(simulator.stop)
        return simulator


class WineClientCase(TempTestCase):
    """Our adb.exe under Wine with a home of the test's own, and a simulator it has connected to."""

    def setUp(self):
        super().setUp()
        self.adb = WineAdb(self.folder / "home")

    def connected(self, *options):
        simulator = self.simulator("--auth", "off", *options)
        result = self.adb.run("connect", simulator.serial)
        self.assertEqual(result.out, b"connected to %s\n" % simulator.serial.encode())
        return simulator


def main():
    unittest.main(verbosity=2)
