"""The end-to-end harness: MOSSGATE (or any Windows program) under the rig's Wine, driven from outside.

Standard library only. A test script imports it (``import harness``), writes ``unittest`` tests on
``harness.E2ETestCase`` and ends with ``harness.main()``; it is registered in tests/e2e/CMakeLists.txt with
``mossgate_e2e_test(name script.py)`` and runs inside the ``wine_rig`` fixture (virtual display, private
prefix). Environment: MOSSGATE_BUILD_DIR, MOSSGATE_WIN32_DIR, MOSSGATE_SOURCE_DIR, MOSSGATE_XDND_DROP (ctest sets
them; the defaults are the source tree's build/, build/win32/ and build/tests/e2e/xdnd_drop).

Paths and Wine
    BUILD_DIR, WIN32_DIR, SOURCE_DIR, TOOLS_DIR (uidriver.exe, recorder.exe, testee.exe, bare_window.exe)
    PROGRAM, TESTEE              the built mossgate.exe; the driver's own test window (class MossgateTestee)
    wine_env(extra=None)         environment of the rig's Wine (from scripts/lib/wine-env.sh)
    windows_path(path)           Unix path -> the path Wine's programs see (C:\\... inside the prefix, else Z:\\...)
    documents_folder()           the prefix's Documents folder (a link into Wine's HOME); work_folder() = its MOSSGATE
    documents_unavailable()      context: the Documents folder is gone, so SHGetSpecialFolderPath(CSIDL_PERSONAL) fails
    read_only_folder(path)       context: path bind-mounted read-only (raises unittest.SkipTest when mounting is impossible)
    dos_attributes(path)         Wine's DOS attributes of a file or folder (user.DOSATTRIB xattr, plus read-only as Wine
                                 reports it for a folder without write permission); is_hidden(path)
    set_dos_attributes(path, v)  writes the xattr; wine_attrib(path) runs ``cmd /c attrib`` and returns its letters
    embedded_payload()           {'adb.exe': path, 'AdbWinApi.dll': ..., 'AdbWinUsbApi.dll': ..., 'WSAAPK.ico': ...,
                                 'coolapk.apk': ...}: the files the build embedded (from the generated resource script)
    PAYLOAD_RESOURCES            resource names of the payload items -> the file names they are written under
    pe_rcdata(exe)               {resource name: (file offset, size)} of the RCDATA resources in a PE file
    screenshot(driver, path, hwnd=None)  PNG of the window (xwd + convert), cropped to its rectangle; a relative path
                                 is below BUILD_DIR

Programs
    Program(folder, args=(), exe=PROGRAM, exe_name='mossgate.exe', trace=True, env=None, cwd=None,
            window_class='MossgateMain')     cwd: where Wine is started (default: the run folder's parent)
        .prepare()   copies exe into the run folder (made if missing); .start() runs .wine_command() (["wine", path] +
                     args; a subclass may start it through another program); .attach(driver, **kw) -> the answer
        .running(), .wait(timeout) -> exit status or None, .close(driver, timeout) (WM_CLOSE, wait, kill on timeout)
        .kill(), .pid (Unix), .win_pid (after attach), .trace_path, .commands(own=False) -> [TracedCommand]
        (the CreateProcess calls of the program and of everything it started; own=True: the program's only)
    parse_trace(text) -> [TracedCommand(pid, app, cmdline, truncated)]: CreateProcess calls of WINEDEBUG=+process,+pid;
    decode_wine_string(s) undoes Wine's escapes (\\\\, \\", \\n, \\r, \\t, \\XXXX). Lines are cut at about 290 characters:
    ``truncated`` says so.
    Driver(log_path=None): uidriver.exe as a server. .call(cmd, *args, check=True, reply_timeout=None, **options)
        -> dict; options are the driver's (timeout= in milliseconds); a failed command raises DriverError (its .reply
        holds the answer) unless check=False. Shortcuts: attach, text,
        set_text, type, key, click, press, release, info, window, tab, tab_select, ip, ip_set, msgbox, msgbox_press,
        filedialog, filedialog_open, filedialog_cancel, wait_text, sync, font, close_window, terminate, stop.
    Recorder stand-ins: install_recorder(folder, name, stdout=, stderr=, exitcode=, wait_ms=, by_argument={...}),
        read_records(log_path); Sleeper(folder, name='adb.exe') holds an executable in use until .stop().

Dropping files
    drop_files(driver, paths, control='main', x=None, y=None, timeout=5000, sync=True) -> {'window', 'x', 'y'}:
        the files (Unix paths; Wine names them Z:\\...) dropped as from an X11 file manager (XDND, by XDND_DROP, the
        native build's xdnd_drop) at x,y of the control's client area (default: its centre), on whatever window
        shows there; returns once the drop finished and (sync) the attached program handled its WM_DROPFILES.
        Raises DropError (.returncode, .stderr) when no window there takes drops, it refuses, or a step is not
        answered within timeout ms. drop_point(driver, control, x, y) -> the screen point it drops at.

Tests
    E2ETestCase: self.folder(name='run') -> a fresh per-test folder under BUILD_DIR/e2e/<test id>/ (whatever
        still runs from the test's folders is ended when the test ends); self.driver (one per class, started
        again if a test stopped it); self.start_program(folder=None, args=(), attach=True, **kw) -> a started
        Program that is closed (or killed) when the test ends; self.wait_until(fn, timeout, what);
        self.wait_for_activation(): the new window's activation has given the focus to its first control;
        self.drop_files(paths, control='main', x=None, y=None, **kw): drop_files with self.driver.
    window_state(driver): what the user sees of the attached window (each control's name, class, text, visibility,
        state; the window's title and state), to compare before and after an action.
    main(): unittest.main with verbose output.
"""

import contextlib
import json
import os
import queue
import re
import shutil
import signal
import subprocess
import threading
import time
import unittest

SOURCE_DIR = os.path.abspath(os.environ.get("MOSSGATE_SOURCE_DIR") or os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD_DIR = os.path.abspath(os.environ.get("MOSSGATE_BUILD_DIR") or os.path.join(SOURCE_DIR, "build"))
WIN32_DIR = os.path.abspath(os.environ.get("MOSSGATE_WIN32_DIR") or os.path.join(BUILD_DIR, "win32"))
TOOLS_DIR = os.path.join(WIN32_DIR, "tests", "e2e")
PROGRAM = os.path.join(WIN32_DIR, "mossgate.exe")
TESTEE = os.path.join(TOOLS_DIR, "testee.exe")
E2E_DIR = os.path.join(BUILD_DIR, "e2e")
PREFIX = os.path.join(BUILD_DIR, "wine", "prefix")
WINE_HOME = os.path.join(BUILD_DIR, "wine", "home")
FILE_ATTRIBUTE_READONLY = 0x1
FILE_ATTRIBUTE_HIDDEN = 0x2

_wine_env_cache = None


def wine_env(extra=None):
    """The rig's Wine environment, as scripts/lib/wine-env.sh sets it up (read once)."""
    global _wine_env_cache
    if _wine_env_cache is None:
        script = os.path.join(SOURCE_DIR, "scripts", "lib", "wine-env.sh")
        base = dict(os.environ, MOSSGATE_BUILD_DIR=BUILD_DIR)
        out = subprocess.run(["bash", "-c", 'source "$1" && env -0', "wine-env", script], env=base,
                             stdout=subprocess.PIPE, check=True, timeout=60).stdout
        _wine_env_cache = dict(item.split("=", 1) for item in out.decode().split("\0") if "=" in item)
    env = dict(_wine_env_cache)
    env.update(extra or {})
    return env


def windows_path(path):
    """The path a program under the rig's Wine uses for a Unix path."""
    path = os.path.abspath(path)
    drive_c = os.path.join(PREFIX, "drive_c")
    if path == drive_c or path.startswith(drive_c + os.sep):
        return "C:" + (path[len(drive_c):].replace("/", "\\") or "\\")
    return "Z:" + path.replace("/", "\\")


def _user_folder():
    users = os.path.join(PREFIX, "drive_c", "users")
    names = [n for n in sorted(os.listdir(users)) if n != "Public"] if os.path.isdir(users) else []
    preferred = os.environ.get("USER", "root")
    name = preferred if preferred in names else (names[0] if names else preferred)
    return os.path.join(users, name)


def documents_folder():
    """The prefix's Documents folder (usually a link to Wine's HOME)."""
    return os.path.join(_user_folder(), "Documents")


def work_folder():
    return os.path.join(documents_folder(), "MOSSGATE")


_HIDDEN_SUFFIX = ".mossgate-e2e-hidden"


def _restore_documents():
    documents = documents_folder()
    hidden = documents + _HIDDEN_SUFFIX
    if os.path.lexists(hidden) and not os.path.lexists(documents):
        os.rename(hidden, documents)


@contextlib.contextmanager
def documents_unavailable():
    """Removes the Documents folder (link) of the prefix for the duration; SHGetSpecialFolderPathA(CSIDL_PERSONAL)
    with create FALSE then fails. A test that dies inside leaves it for the next harness start to restore."""
    _restore_documents()
    documents = documents_folder()
    os.rename(documents, documents + _HIDDEN_SUFFIX)
    try:
        yield
    finally:
        if os.path.lexists(documents) and not os.path.islink(documents):
            shutil.rmtree(documents, ignore_errors=True)
        elif os.path.islink(documents):
            os.unlink(documents)
        _restore_documents()


@contextlib.contextmanager
def read_only_folder(path):
    """Bind-mounts path read-only (root sees it write-protected too). Raises unittest.SkipTest when it cannot."""
    path = os.path.abspath(path)
    for command in (["mount", "--bind", path, path], ["mount", "-o", "remount,ro,bind", path]):
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=30)
        if result.returncode != 0:
            subprocess.run(["umount", path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            raise unittest.SkipTest("cannot bind-mount %s read-only (%s): %s" % (
                path, " ".join(command), result.stdout.decode(errors="replace").strip()))
    try:
        yield path
    finally:
        unmount(path)


def unmount(path):
    """Unmounts path, waiting up to 5 s for the program to let go of it; one still in use then is detached
    lazily (the kernel frees it when let go)."""
    for _ in range(50):
        if subprocess.run(["umount", path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=30).returncode == 0:
            return
        time.sleep(0.1)
    subprocess.run(["umount", "-l", path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)


def dos_attributes(path):
    """Wine's DOS attributes of path: the hidden/system/archive bits it keeps in the user.DOSATTRIB xattr, and
    read-only as Wine reports it (a folder or file without write permission for its owner)."""
    try:
        raw = os.getxattr(path, "user.DOSATTRIB", follow_symlinks=False).split(b"\0")[0].decode()
        value = int(raw, 16) if raw.lower().startswith("0x") else int(raw or "0")
    except OSError:
        value = 0
    value &= ~FILE_ATTRIBUTE_READONLY
    if not os.stat(path).st_mode & 0o200:
        value |= FILE_ATTRIBUTE_READONLY
    return value


def is_hidden(path):
    return bool(dos_attributes(path) & FILE_ATTRIBUTE_HIDDEN)


def set_dos_attributes(path, value):
    """Sets the xattr as Wine writes it (read-only is a permission bit, not set here)."""
    os.setxattr(path, "user.DOSATTRIB", ("0x%x" % (value & ~FILE_ATTRIBUTE_READONLY)).encode())


def wine_attrib(path, timeout=60):
    """The attribute letters `cmd /c attrib` shows for path (e.g. 'H', 'HR', 'A')."""
    out = subprocess.run(["wine", "cmd", "/c", "attrib", windows_path(path)], env=wine_env(), stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, timeout=timeout).stdout.decode("gbk", errors="replace")
    for line in out.splitlines():
        if ":" in line:
            return line.split(":")[0][:-1].strip().replace(" ", "")
    return ""


def pe_rcdata(path):
    """The RCDATA resources of a PE file by name: {name: (file offset, size)} (first language of each)."""
    import struct
    with open(path, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections_count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    sections = []
    for n in range(sections_count):
        at = optional + optional_size + n * 40
        virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from("<IIII", data, at + 8)
        sections.append((virtual_address, max(virtual_size, raw_size), raw_offset))

    def offset(rva):
        for address, size, raw in sections:
            if address <= rva < address + size:
                return rva - address + raw
        raise ValueError("RVA %#x outside the sections" % rva)

    base = offset(resource_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", data, base + directory + 12)
        for n in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * n)
            if name & 0x80000000:
                length = struct.unpack_from("<H", data, base + (name & 0x7FFFFFFF))[0]
                at = base + (name & 0x7FFFFFFF) + 2
                name = data[at:at + 2 * length].decode("utf-16-le")
            yield name, target

    found = {}
    for kind, types in entries(0):
        if kind != 10 or not types & 0x80000000:  # RT_RCDATA
            continue
        for name, languages in entries(types & 0x7FFFFFFF):
            for _, leaf in entries(languages & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                found.setdefault(name, (offset(rva), size))
    return found


PAYLOAD_RESOURCES = {"ADB_EXE": "adb.exe", "ADBWINAPI_DLL": "AdbWinApi.dll", "ADBWINUSBAPI_DLL": "AdbWinUsbApi.dll",
                     "WSAAPK_ICO": "WSAAPK.ico", "STORE_APK": "coolapk.apk"}


def embedded_payload():
    """The files the Windows build embedded into mossgate.exe, by the name they are written under."""
    script = os.path.join(WIN32_DIR, "assets", "mossgate.rc")
    names = dict(PAYLOAD_RESOURCES, ABOUT1_JPG="about1.jpg", ABOUT2_JPG="about2.jpg")
    found = {}
    with open(script, encoding="utf-8") as f:
        for line in f:
            match = re.match(r'\s*(\w+)\s+RCDATA\s+"(.*)"\s*$', line)
            if match and match.group(1) in names:
                found[names[match.group(1)]] = match.group(2)
    return found


# --- the trace of WINEDEBUG=+process,+pid -------------------------------------------------------------------

class TracedCommand:
    """One CreateProcess call seen in a trace: the calling process's id (Windows, hex text), the application name
    (or None), the command line, and whether Wine cut the line short."""

    def __init__(self, pid, app, cmdline, truncated):
        self.pid, self.app, self.cmdline, self.truncated = pid, app, cmdline, truncated

    def __repr__(self):
        return "TracedCommand(pid=%r, app=%r, cmdline=%r%s)" % (self.pid, self.app, self.cmdline,
                                                                 ", truncated" if self.truncated else "")


_ESCAPE = re.compile(r'\\(?:([nrt"\\])|([0-9a-fA-F]{4}))')


def decode_wine_string(text):
    """Undoes Wine's debug escapes: \\\\ \\" \\n \\r \\t and \\XXXX (a UTF-16 unit in hex)."""
    simple = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}

    def unit(match):
        return simple[match.group(1)] if match.group(1) else chr(int(match.group(2), 16))

    decoded = _ESCAPE.sub(unit, text)
    # Characters beyond the BMP arrive as two \\XXXX surrogates: join them.
    return decoded.encode("utf-16-le", "surrogatepass").decode("utf-16-le", "replace")


_TRACE_LINE = re.compile(
    r'^(?:(?P<pid>[0-9a-f]+):)?(?P<tid>[0-9a-f]+):trace:process:CreateProcessInternalW '
    r'app (?P<app>\(null\)|L".*?") cmdline (?:\(null\)|L"(?P<cmd>.*)"(?P<cut>\.\.\.)?)\s*$')


def parse_trace(text):
    """The command lines started (CreateProcess) in a trace of WINEDEBUG=+process,+pid, in order."""
    commands = []
    for line in text.splitlines():
        match = _TRACE_LINE.match(line)
        if not match:
            continue
        app = match.group("app")
        app = None if app == "(null)" else decode_wine_string(app[2:-1])
        cmd = match.group("cmd")
        commands.append(TracedCommand(match.group("pid"), app, None if cmd is None else decode_wine_string(cmd),
                                      bool(match.group("cut"))))
    return commands


# --- the driver -------------------------------------------------------------------------------------------------

class DriverError(AssertionError):
    """A driver command failed; .reply is its answer."""

    def __init__(self, reply):
        super().__init__("uidriver %s failed: %s" % (reply.get("cmd"), reply.get("error")))
        self.reply = reply


class Driver:
    """uidriver.exe as a server: one command per line in, one JSON answer per line out."""

    def __init__(self, log_path=None, start_timeout=120):
        self.log_path = log_path or os.path.join(E2E_DIR, "uidriver.log")
        os.makedirs(os.path.dirname(self.log_path), exist_ok=True)
        self._log = open(self.log_path, "ab")
        self._process = subprocess.Popen(["wine", os.path.join(TOOLS_DIR, "uidriver.exe")], env=wine_env(),
                                         stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self._log,
                                         start_new_session=True)
        self._lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.call("ping", reply_timeout=start_timeout)

    def _read(self):
        for line in self._process.stdout:
            self._lines.put(line)
        self._lines.put(None)

    def call(self, command, *args, check=True, reply_timeout=None, **options):
        """Runs one command; options become key=value words (timeout= is the driver's, in milliseconds). Returns
        the answer (a dict). The answer is awaited for reply_timeout seconds, by default 30 s beyond the waits
        the options allow the driver."""
        words = [command] + [str(a) for a in args] + ["%s=%s" % (k, int(v) if isinstance(v, bool) else v)
                                                       for k, v in options.items()]
        timeout = reply_timeout
        if timeout is None:
            waits = [int(options.get(k, 0)) for k in ("timeout", "settle", "close_timeout")]
            timeout = 30 + sum(waits) / 1000.0
        self._process.stdin.write((json.dumps(words) + "\n").encode())
        self._process.stdin.flush()
        try:
            line = self._lines.get(timeout=timeout)
        except queue.Empty:
            self.stop()
            raise AssertionError("uidriver did not answer %r within %s s" % (words, timeout))
        if line is None:
            raise AssertionError("uidriver ended (see %s)" % self.log_path)
        reply = json.loads(line)
        if check and not reply.get("ok"):
            raise DriverError(reply)
        return reply

    # Shortcuts for the common commands (see tests/e2e/README.md for all of them).
    def attach(self, **selector):
        return self.call("attach", **selector)

    def text(self, control):
        return self.call("gettext", control)["text"]

    def set_text(self, control, text):
        return self.call("settext", control, text)

    def type(self, control, text, **options):
        return self.call("type", control, text, **options)

    def key(self, control, combination, **options):
        return self.call("key", control, combination, **options)

    def click(self, control, *point, **options):
        return self.call("click", control, *point, **options)

    def press(self, control, *point, **options):
        return self.call("press", control, *point, **options)

    def release(self, control, *point, **options):
        return self.call("release", control, *point, **options)

    def info(self, control):
        return self.call("info", control)

    def window(self):
        return self.call("window")

    def font(self, control):
        return self.call("font", control)

    def tab(self, control):
        return self.call("tab", control)

    def tab_select(self, control, page, **options):
        return self.call("tab_select", control, page, **options)

    def ip(self, control):
        return self.call("ip", control)

    def ip_set(self, control, address):
        return self.call("ip_set", control, address)

    def msgbox(self, **options):
        return self.call("msgbox", **options)

    def msgbox_press(self, button="ok", **options):
        return self.call("msgbox_press", button, **options)

    def filedialog(self, **options):
        return self.call("filedialog", **options)

    def filedialog_open(self, path, **options):
        return self.call("filedialog_open", path, **options)

    def filedialog_cancel(self, **options):
        return self.call("filedialog_cancel", **options)

    def wait_text(self, control, text, **options):
        return self.call("wait_text", control, text, **options)

    def sync(self, **options):
        return self.call("sync", **options)

    def close_window(self):
        return self.call("close")

    def terminate(self, **selector):
        return self.call("terminate", **selector)

    def stop(self, timeout=10):
        """Ends the driver (quit, then kill)."""
        if self._process.poll() is None:
            try:
                self._process.stdin.write(b'["quit"]\n')
                self._process.stdin.flush()
                self._process.wait(timeout=timeout)
            except (OSError, subprocess.TimeoutExpired):
                _kill_group(self._process)
        for stream in (self._process.stdin, self._process.stdout):
            try:
                stream.close()
            except OSError:
                pass
        self._log.close()


def _kill_group(process):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except OSError:
        pass
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        pass


# --- programs under Wine ------------------------------------------------------------------------------------------

class Program:
    """A Windows program copied into a run folder and started there under the rig's Wine.

    Its stderr (with WINEDEBUG=+process,+pid when trace is true) goes to trace_path next to the run folder."""

    def __init__(self, folder, args=(), exe=PROGRAM, exe_name="mossgate.exe", trace=True, env=None, cwd=None,
                 window_class="MossgateMain"):
        self.folder = os.path.abspath(folder)
        self.args = list(args)
        self.exe = exe
        self.exe_name = exe_name
        self.path = os.path.join(self.folder, exe_name)
        self.trace = trace
        self.trace_path = self.folder.rstrip("/") + ".trace"
        self.extra_env = dict(env or {})
        self.cwd = cwd or os.path.dirname(self.folder)
        self.window_class = window_class
        self.process = None
        self.win_pid = None

    def prepare(self):
        """Copies the executable into the run folder (created if needed)."""
        os.makedirs(self.folder, exist_ok=True)
        shutil.copyfile(self.exe, self.path)
        os.chmod(self.path, 0o755)
        return self

    @property
    def pid(self):
        return self.process.pid if self.process else None

    def start(self):
        if not os.path.exists(self.path):
            self.prepare()
        extra = {"WINEDEBUG": "fixme-all,+process,+pid" if self.trace else "-all"}
        extra.update(self.extra_env)
        self._stderr = open(self.trace_path, "wb")
        self.started_at = time.monotonic()
        self.process = subprocess.Popen(self.wine_command(), env=wine_env(extra), cwd=self.cwd,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=self._stderr,
                                        start_new_session=True)
        return self

    def wine_command(self):
        """The Unix command that start() runs; a subclass may start the program through another Windows program."""
        return ["wine", self.path] + self.args

    def image_tail(self):
        """The end of the program's image path, unique to this run folder (for the driver's attach)."""
        return "\\".join(windows_path(self.path).split("\\")[-3:])

    def attach(self, driver, window=True, timeout=20000, **selector):
        """Attaches the driver to this program (by its image path) and waits for its visible main window."""
        selector.setdefault("class", self.window_class)
        reply = driver.attach(image=self.image_tail(), window=window, timeout=timeout, **selector)
        self.win_pid = reply["pid"]
        return reply

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait(self, timeout=10):
        """The exit status, or None when the program still runs after timeout seconds."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def close(self, driver=None, timeout=10):
        """Closes the main window (WM_CLOSE through the driver, attached to this program again), waits for the
        end, kills on timeout. Returns the exit status, or None when the program had to be killed."""
        if not self.running():
            return self._finish()
        if driver is not None and self.win_pid:
            try:
                driver.call("attach", pid=self.win_pid, visible=0, timeout=2000, **{"class": self.window_class})
                driver.close_window()
            except (DriverError, AssertionError):
                pass
        status = self.wait(timeout)
        if status is None:
            self.kill()
        return self._finish() if status is not None else None

    def kill(self):
        if self.process is not None and self.process.poll() is None:
            _kill_group(self.process)
        self._finish()

    def _finish(self):
        if self.process is not None and self.process.poll() is not None and not self._stderr.closed:
            self._stderr.close()
        return self.process.returncode if self.process is not None else None

    def trace_text(self):
        with open(self.trace_path, "rb") as f:
            return f.read().decode("utf-8", errors="replace")

    def commands(self, own=False):
        """The command lines passed to CreateProcess by this program and by what it started (their stderr stays
        Wine's, so their trace lines land here too, never in a pipe the program reads); own=True keeps only the
        program's own calls (needs attach, which learns its Windows process id)."""
        commands = parse_trace(self.trace_text())
        if own:
            commands = [c for c in commands if c.pid is not None and int(c.pid, 16) == self.win_pid]
        return commands


# --- recorder stand-ins -------------------------------------------------------------------------------------------

RECORDER = os.path.join(TOOLS_DIR, "recorder.exe")


def install_recorder(folder, name, stdout=None, stderr=None, exitcode=None, wait_ms=None, after=None, by_argument=None):
    """Copies recorder.exe into folder as `name` (e.g. 'adb.exe') and writes its settings: bytes or str for stdout
    and stderr (str is encoded as GBK, as the program would see a console's text), the exit code, the wait, what
    it writes after the wait; and per first argument a dict of the same keys (by_argument={'connect': {...}})."""
    os.makedirs(folder, exist_ok=True)
    target = os.path.join(folder, name)
    shutil.copyfile(RECORDER, target)
    os.chmod(target, 0o755)
    base = os.path.join(folder, name[:-4] if name.lower().endswith(".exe") else name)

    def write(prefix, stdout=None, stderr=None, exitcode=None, wait_ms=None, after=None):
        for what, value in (("stdout", stdout), ("stderr", stderr), ("exitcode", exitcode), ("wait", wait_ms),
                            ("after", after)):
            if value is None:
                continue
            data = value if isinstance(value, bytes) else str(value).encode("gbk")
            with open(prefix + "." + what, "wb") as f:
                f.write(data)

    write(base, stdout, stderr, exitcode, wait_ms, after)
    for argument, settings in (by_argument or {}).items():
        write(base + "." + argument, **settings)
    return target


def read_records(log_path):
    """The records a recorder appended to its log, in order (each a dict: exe, name, image, cmdline,
    cmdline_ansi_hex, args, cwd, pid, ppid, tick)."""
    if not os.path.exists(log_path):
        return []
    with open(log_path, "rb") as f:
        return [json.loads(line) for line in f.read().decode("utf-8").splitlines() if line.strip()]


class Sleeper:
    """A recorder copied as `name` into folder and kept running: the executable stays in use (Wine can neither
    delete nor replace it) until stop()."""

    def __init__(self, folder, name="adb.exe", seconds=120):
        self.folder = folder
        self.name = name
        self.log = os.path.join(folder, name + ".sleeper.log")
        self.path = install_recorder(folder, name, wait_ms=int(seconds * 1000))
        base = self.path[:-4]
        self.release_path = base + ".release"
        if os.path.exists(self.release_path):
            os.remove(self.release_path)
        self.process = subprocess.Popen(["wine", self.path, "sleep"], env=wine_env({"MOSSGATE_RECORDER_LOG": self.log}),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        start_new_session=True)
        deadline = time.monotonic() + 60
        while not read_records(self.log):
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise AssertionError("the sleeper %s did not start" % self.path)
            time.sleep(0.05)

    def stop(self, timeout=10):
        with open(self.release_path, "wb"):
            pass
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            _kill_group(self.process)
        if os.path.exists(self.release_path):
            os.remove(self.release_path)


# --- dropping files ----------------------------------------------------------------------------------------------

XDND_DROP = os.environ.get("MOSSGATE_XDND_DROP") or os.path.join(BUILD_DIR, "tests", "e2e", "xdnd_drop")


class DropError(AssertionError):
    """xdnd_drop failed: .returncode and .stderr say why (no drop-aware window there, refused, no answer)."""

    def __init__(self, returncode, stderr, point):
        super().__init__("dropping at %d,%d failed (exit %d): %s" % (point[0], point[1], returncode, stderr.strip()))
        self.returncode, self.stderr, self.point = returncode, stderr, point


def drop_point(driver, control="main", x=None, y=None):
    """The screen point at x,y of the control's client area (default: its centre)."""
    client = driver.info(control)["client_rect"]
    return (client["left"] + (client["width"] // 2 if x is None else x),
            client["top"] + (client["height"] // 2 if y is None else y))


def drop_files(driver, paths, control="main", x=None, y=None, timeout=5000, sync=True):
    """Drops the files (Unix paths) as a drag from an X11 file manager: at x,y of the control's client area
    (default: its centre), on whatever window shows there. Returns once that window took the drop and said it
    finished and, with sync, once the attached program's window thread handled all that was posted before (its
    WM_DROPFILES). Answer: {'window': the X window, 'x', 'y': the screen point}. Raises DropError when there is
    no drop-aware window at the point, it refuses the drop, or it does not answer a step within timeout ms."""
    point = drop_point(driver, control, x, y)
    run = subprocess.run([XDND_DROP, "--at", str(point[0]), str(point[1]), "--timeout", str(int(timeout)), "--"] +
                         [os.path.abspath(p) for p in paths], env=wine_env(), stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, timeout=30 + 3 * timeout / 1000.0)
    if run.returncode != 0:
        raise DropError(run.returncode, run.stderr.decode(errors="replace"), point)
    window = re.search(r"on window (0x[0-9a-f]+)", run.stdout.decode())
    if sync:
        driver.sync()
    return {"window": int(window.group(1), 16) if window else None, "x": point[0], "y": point[1]}


# --- screenshots ------------------------------------------------------------------------------------------------

def screenshot(driver, path, hwnd=None):
    """Saves a PNG of the attached program's main window (or of the window hwnd, e.g. a message box), cropped to
    its rectangle; a relative path is taken below BUILD_DIR. Returns the path."""
    path = os.path.join(BUILD_DIR, path)
    rect = (driver.info(hwnd) if hwnd else driver.window())["rect"]
    display = wine_env().get("DISPLAY", "")
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    xwd = subprocess.run(["xwd", "-root", "-silent", "-display", display], stdout=subprocess.PIPE, check=True,
                         timeout=60).stdout
    crop = "%dx%d+%d+%d" % (rect["width"], rect["height"], max(rect["left"], 0), max(rect["top"], 0))
    subprocess.run(["convert", "xwd:-", "-crop", crop, "+repage", "png:" + path], input=xwd, check=True, timeout=60)
    return path


# --- tests ------------------------------------------------------------------------------------------------------

def window_state(driver):
    """What the user sees of the attached window: each control's name (or id), class, text, visibility and state,
    and the window's title and state."""
    controls = [(c["name"] or c["id"], c["class"], c["text"], c["visible"], c["enabled"])
                for c in driver.call("controls")["controls"]]
    main = driver.window()
    return controls, main["title"], main["visible"], main["enabled"], main["minimized"]


class E2ETestCase(unittest.TestCase):
    """Base of the end-to-end tests: per-test folders, one driver per class (started again should a test have
    stopped it), programs stopped after each test, and whatever still runs from the test's folders ended."""

    _driver = None

    @classmethod
    def setUpClass(cls):
        _restore_documents()
        os.makedirs(E2E_DIR, exist_ok=True)
        cls._start_driver()

    @classmethod
    def _start_driver(cls):
        cls._driver = Driver(log_path=os.path.join(E2E_DIR, cls.__module__ + "." + cls.__name__ + ".uidriver.log"))

    @classmethod
    def tearDownClass(cls):
        if cls._driver is not None:
            cls._driver.stop()
            cls._driver = None

    @property
    def driver(self):
        if self._driver is None or self._driver._process.poll() is not None:
            type(self)._start_driver()
        return self._driver

    def case_folder(self):
        """BUILD_DIR/e2e/<module.Class.test>/ (kept after the test for inspection)."""
        return os.path.join(E2E_DIR, self.id())

    def folder(self, name="run"):
        """A fresh, empty folder for this test. Processes still running from the test's folders are ended when the
        test ends."""
        if not getattr(self, "_ends_leftovers", False):
            self._ends_leftovers = True
            self.addCleanup(self._end_leftovers)
        path = os.path.join(self.case_folder(), name)
        if os.path.lexists(path):
            subprocess.run(["umount", path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            shutil.rmtree(path)
        os.makedirs(path)
        return path

    def start_program(self, folder=None, args=(), attach=True, **kwargs):
        """Starts mossgate.exe (or kwargs['exe']) from a fresh run folder; attaches the driver unless attach is
        false. The program is closed (or killed) when the test ends."""
        program = Program(folder or self.folder(), args=args, **kwargs)
        if not os.path.exists(program.path):
            program.prepare()
        program.start()
        self.addCleanup(self._stop_program, program)
        if attach:
            program.attach(self.driver)
        return program

    def _stop_program(self, program):
        if program.running():
            program.close(self.driver if program.win_pid else None, timeout=5)
        program.kill()

    def _end_leftovers(self):
        try:
            self.driver.terminate(under=windows_path(self.case_folder()))
        except AssertionError:
            pass

    def wait_for_activation(self):
        """Waits until the new window's activation has given the focus to its first control: the window shows
        before that, and an activation still on its way would take the focus back from a control the test
        focused."""
        self.wait_until(lambda: (self.driver.call("focused")["focus"] or {}).get("name"),
                        what="the first control to take the focus")
        self.driver.sync()

    def drop_files(self, paths, control="main", x=None, y=None, **options):
        """drop_files() with this test's driver."""
        return drop_files(self.driver, paths, control, x, y, **options)

    def wait_until(self, condition, timeout=10, what="the condition"):
        """Polls condition() every 50 ms until it is true; fails the test after timeout seconds."""
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                self.fail("timed out after %s s waiting for %s" % (timeout, what))
            time.sleep(0.05)


def main():
    unittest.main(verbosity=2)
