"""Drives the real zaro-player the way a user does: under Xvfb, with a private
D-Bus session and the accessibility bus, finding controls through AT-SPI by
role and name and pressing them with real pointer and key events (xdotool).

Used by the interface end-to-end tests (run with Debian's /usr/bin/python3,
which has python3-pyatspi). A test does:

    with Desktop() as desk:
        url = desk.start_service(os.environ["ZARO_SERVICE_BINARY"])
        player = desk.start_player(os.environ["ZARO_PLAYER_BINARY"], url)
        button = player.find(role="push button", name="Library")
        desk.click(button)
        desk.screenshot(os.path.join(desk.root, "shot.png"))

Set ZARO_UI_KEEP=1 to keep the sandbox (logs, screenshots) after a run.
"""

import contextlib
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

def _start_xvfb(width, height):
    """Starts Xvfb on a free display number from 90 on; answers the process
    and the number. The number is ours only when the server's lock file
    names our process: of two tests that start at once on the same number,
    one server ends at once (the display is taken) and that test tries the
    next number, so no two tests ever share a display."""
    for n in range(90, 400):
        lock = f"/tmp/.X{n}-lock"
        if os.path.exists(lock) or os.path.exists(f"/tmp/.X11-unix/X{n}"):
            continue
        proc = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", f"{width}x{height}x24",
                                 "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def settled():
            if proc.poll() is not None:
                return "taken"
            try:
                with open(lock) as f:
                    owner = int(f.read().strip())
            except (OSError, ValueError):
                return None
            return "ours" if owner == proc.pid and os.path.exists(f"/tmp/.X11-unix/X{n}") \
                else None

        if wait_until(settled, 20, interval=0.05, what=f"Xvfb on :{n}") == "ours":
            return proc, n
    raise RuntimeError("no free X display number")


class WaitTimeout(AssertionError):
    pass


def wait_until(pred, timeout=20.0, interval=0.1, what="condition"):
    """Polls pred() until it gives a true value, which is returned."""
    end = time.monotonic() + timeout
    last_exc = None
    while time.monotonic() < end:
        try:
            value = pred()
            if value:
                return value
        except Exception as exc:  # AT-SPI objects vanish while windows change
            last_exc = exc
        time.sleep(interval)
    raise WaitTimeout(f"timed out after {timeout} s waiting for {what}"
                        + (f" (last error: {last_exc})" if last_exc else ""))


class Player:
    """A running zaro-player and its accessible application."""

    def __init__(self, desk, proc, home):
        self.desk = desk
        self.proc = proc
        self.home = home

    @property
    def data_dir(self):
        return os.path.join(self.home, ".local", "share", "Zaro Player")

    @property
    def library_path(self):
        return os.path.join(self.data_dir, "ZaroPlayer.db")

    def accessible(self, timeout=30.0):
        import pyatspi

        def lookup():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is None:
                    continue
                try:
                    if app.get_process_id() == self.proc.pid:
                        return app
                except Exception:
                    pass
            return None

        return wait_until(lookup, timeout, what="the player on the accessibility bus")

    def find(self, role=None, name=None, timeout=20.0, showing=True, within=None):
        """The first accessible below the player (or below `within`) with
        this role and name."""
        return wait_until(lambda: _search(within or self.accessible(), role, name, showing),
                          timeout, what=f"{role or 'any role'} named {name!r}")

    def find_all(self, role=None, name=None, showing=True, within=None):
        return list(_iter_matches(within or self.accessible(), role, name, showing))

    def focused(self):
        """The accessible that has the keyboard focus, or None."""
        import pyatspi
        for node in _iter_matches(self.accessible(), None, None, True):
            try:
                if node.getState().contains(pyatspi.STATE_FOCUSED):
                    return node
            except Exception:
                pass
        return None

    def gone(self, role=None, name=None, timeout=20.0):
        """Waits until nothing with this role and name is showing."""
        wait_until(lambda: _search(self.accessible(), role, name, True) is None, timeout,
                   what=f"{role or 'any role'} named {name!r} to go")

    def dump(self):
        """The whole accessible tree as indented lines (role, name; what is
        not showing is marked)."""
        import pyatspi
        lines = []

        def walk(node, depth):
            try:
                hidden = "" if node.getState().contains(pyatspi.STATE_SHOWING) else " (hidden)"
                lines.append("  " * depth + f"[{node.getRoleName()}] {node.name!r}{hidden}")
                for i in range(node.childCount):
                    walk(node.getChildAtIndex(i), depth + 1)
            except Exception:
                pass

        walk(self.accessible(), 0)
        return "\n".join(lines)

    def sql(self, query):
        """Runs a query on the player's library with the sqlite3 tool."""
        out = subprocess.run(["sqlite3", "-cmd", ".timeout 10000", self.library_path, query],
                             capture_output=True, text=True, check=True)
        return out.stdout.strip()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def _matches(node, role, name, showing):
    import pyatspi
    try:
        if role is not None and node.getRoleName() != role:
            return False
        if name is not None and node.name != name:
            return False
        if showing and not node.getState().contains(pyatspi.STATE_SHOWING):
            return False
        return True
    except Exception:
        return False


def _iter_matches(root, role, name, showing):
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        if node is not root and _matches(node, role, name, showing):
            yield node
        try:
            count = node.childCount
        except Exception:
            continue
        for i in reversed(range(count)):
            try:
                stack.append(node.getChildAtIndex(i))
            except Exception:
                pass


def _search(root, role, name, showing):
    return next(_iter_matches(root, role, name, showing), None)


class Desktop(contextlib.AbstractContextManager):
    """Xvfb + D-Bus session + accessibility bus + a sandboxed HOME."""

    def __init__(self, width=1280, height=800, keep=None, window_manager=False):
        self.width, self.height = width, height
        # openbox manages the windows when asked: focus follows clicks, the
        # windows get frames, Alt+F4 asks the focused window to close.
        self.window_manager = window_manager
        self.keep = keep if keep is not None else os.environ.get("ZARO_UI_KEEP") == "1"
        self.root = tempfile.mkdtemp(prefix="zaro-ui-")
        self.procs = []
        self.env = dict(os.environ)

    # -- set-up ------------------------------------------------------------
    def __enter__(self):
        xvfb, n = _start_xvfb(self.width, self.height)
        self.procs.append(xvfb)
        self.display = f":{n}"
        home = os.path.join(self.root, "home")
        os.makedirs(home)
        runtime = os.path.join(self.root, "run")
        os.makedirs(runtime, mode=0o700)
        self.env.update({
            "DISPLAY": self.display,
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_RUNTIME_DIR": runtime,
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_ACCESSIBILITY": "1",
            "NO_AT_BRIDGE": "0",
            "QTWEBENGINE_DISABLE_SANDBOX": "1",
            "QTWEBENGINE_CHROMIUM_FLAGS": "--disable-gpu --no-sandbox",
            "LIBGL_ALWAYS_SOFTWARE": "1",
        })
        self.env.pop("WAYLAND_DISPLAY", None)
        if self.window_manager:
            wm_log = open(os.path.join(self.root, "openbox.log"), "a")
            # openbox now and then never takes the display on a busy
            # machine: it is started again, up to three times.
            for attempt in range(3):
                wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                      stdout=wm_log, stderr=subprocess.STDOUT)
                self.procs.append(wm)
                try:
                    wait_until(self._window_manager_up, 20, what="the window manager")
                    break
                except WaitTimeout:
                    wm.kill()
                    wm.wait()
                    if attempt == 2:
                        raise
        out = subprocess.run(["dbus-launch", "--sh-syntax"], env=self.env,
                             capture_output=True, text=True, check=True).stdout
        for line in out.splitlines():
            if "=" in line and line.startswith("DBUS_"):
                key, value = line.split("=", 1)
                value = value.rstrip(";").strip("'")
                self.env[key] = value
        self.dbus_pid = int(self.env.get("DBUS_SESSION_BUS_PID", "0"))
        bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                               env=self.env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        self.procs.append(bus)
        # pyatspi reads the session bus from our environment when it is first
        # imported, so the test process takes it on as well.
        for key in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"):
            os.environ[key] = self.env[key]
        wait_until(self._a11y_bus_up, 10, what="the accessibility bus")
        return self

    def _window_manager_up(self):
        out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env,
                             capture_output=True, text=True)
        return out.returncode == 0 and "window id" in out.stdout

    def _a11y_bus_up(self):
        out = subprocess.run(["dbus-send", "--session", "--print-reply",
                              "--dest=org.a11y.Bus", "/org/a11y/bus",
                              "org.a11y.Bus.GetAddress"], env=self.env,
                             capture_output=True, text=True)
        return out.returncode == 0

    def __exit__(self, *exc):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        if self.dbus_pid:
            with contextlib.suppress(ProcessLookupError):
                os.kill(self.dbus_pid, signal.SIGTERM)
        if not self.keep:
            shutil.rmtree(self.root, ignore_errors=True)
        return False

    # -- programs ----------------------------------------------------------
    def start_service(self, binary, args=("--demo",)):
        """Starts zaro-service on a free port of 127.0.0.1, the way the shell
        and C++ helpers do (port 0, then the port its first line announces);
        answers its base URL."""
        out_path = os.path.join(self.root, "service.log")
        log = open(out_path, "w")
        proc = subprocess.Popen([binary, "--port", "0", *args],
                                stdout=log, stderr=subprocess.STDOUT, env=self.env)
        self.procs.append(proc)
        found = {}

        def up():
            if proc.poll() is not None:
                with open(out_path) as out:
                    raise AssertionError(f"zaro-service ended with {proc.returncode}: "
                                         + out.read()[-2000:])
            with open(out_path) as out:
                m = re.search(r"listening on [0-9.]+:(\d+)", out.read())
            if m:
                found["port"] = int(m.group(1))
            return bool(m)

        wait_until(up, 20, what="zaro-service")
        return f"http://127.0.0.1:{found['port']}"

    def write_settings(self, **values):
        """Writes settings into the player's store before it starts, for
        example FirstLaunch=False (no welcome window)."""
        folder = self.env["XDG_CONFIG_HOME"]
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "tv.zaro.ZaroPlayer.conf"), "a") as f:
            f.write("[General]\n")
            for key, value in values.items():
                text = ("true" if value else "false") if isinstance(value, bool) else str(value)
                f.write(f"{key}={text}\n")

    def start_in_library(self, binary, service_url, env=None, **settings):
        """A player past its first start (no welcome window), with these
        settings, once its library shows. Its dialogs answer from
        ZARO_DIALOG_ANSWERS: no update unless `env` says otherwise."""
        self.write_settings(FirstLaunch=False, **settings)
        player = self.start_player(binary, service_url,
                                   env={"ZARO_DIALOG_ANSWERS": "update=0", **(env or {})})
        try:
            player.find(role="push button", name="Browse By", timeout=40)
        except WaitTimeout:
            with open(os.path.join(self.root, "player.log")) as log:
                print("player.log:", log.read()[-3000:], file=sys.stderr)
            raise
        return player

    def hand_over(self, binary, service_url, link, env=None):
        """Hands a link to the running player by a second start, as the
        browser does; the second start must end at once, successfully."""
        second = self.start_player(binary, service_url, args=[link], env=env)
        status = second.proc.wait(30)
        if status != 0:
            raise AssertionError(f"handing over {link} ended with {status}")

    def start_player(self, binary, service_url=None, args=(), env=None):
        e = dict(self.env)
        if service_url:
            e["ZARO_SERVICE_URL"] = service_url
        if env:
            e.update(env)
        log = open(os.path.join(self.root, "player.log"), "a")
        proc = subprocess.Popen([binary, *args], stdout=log, stderr=subprocess.STDOUT, env=e)
        self.procs.append(proc)
        return Player(self, proc, self.env["HOME"])

    # -- input and output --------------------------------------------------
    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True)

    def center_of(self, acc):
        import pyatspi
        ext = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return ext.x + ext.width // 2, ext.y + ext.height // 2

    def click(self, acc, button=1, double=False):
        x, y = self.center_of(acc)
        self.xdotool("mousemove", "--sync", x, y)
        self.xdotool("click", "--repeat", 2 if double else 1, button)

    def drag(self, source, target, steps=10):
        x0, y0 = self.center_of(source)
        x1, y1 = self.center_of(target)
        self.xdotool("mousemove", "--sync", x0, y0)
        self.xdotool("mousedown", 1)
        for i in range(1, steps + 1):
            self.xdotool("mousemove", "--sync", x0 + (x1 - x0) * i // steps,
                         y0 + (y1 - y0) * i // steps)
            time.sleep(0.05)
        self.xdotool("mouseup", 1)

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def type(self, text):
        self.xdotool("type", "--delay", 20, text)

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True)
        return path

    def keep_shot(self, name):
        """A screenshot of the whole screen in the sandbox, copied into the
        folder ZARO_UI_SCREENSHOTS names when that is set."""
        path = self.screenshot(os.path.join(self.root, name))
        folder = os.environ.get("ZARO_UI_SCREENSHOTS")
        if folder:
            os.makedirs(folder, exist_ok=True)
            shutil.copy(path, os.path.join(folder, name))
        return path
