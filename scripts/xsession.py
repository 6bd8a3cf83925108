"""A private X display for driving and photographing the program: Xvfb with
the openbox window manager (title bars, close boxes), the helpers to wait
for windows and type into them, and the two programs, each pointed at a game
its own way. Every wait is a bounded poll."""

import os
import re
import shutil
import subprocess
import tempfile
import time

import demo_game

POLL = 0.05


def wait_until(check, timeout, what):
    """Polls `check` until it returns something true; fails after `timeout`."""
    deadline = time.monotonic() + timeout
    while True:
        result = check()
        if result:
            return result
        if time.monotonic() > deadline:
            raise TimeoutError("timed out waiting for " + what)
        time.sleep(POLL)


class XSession:
    def __init__(self, width=1024, height=768, accessible=False):
        """With `accessible`, a D-Bus session and the accessibility bus as a
        desktop has them, and GTK programs speak to assistive technology."""
        self.procs = []
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % (width, height),
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs.append(xvfb)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    self.close()
                    raise RuntimeError("Xvfb did not start")
                number += chunk
        self.display = ":" + number.decode().strip()
        # A home of its own, so that nothing started here (GTK's list of
        # recent files, openbox's session) writes into the player's.
        self.home = tempfile.mkdtemp(prefix="vorpane-xhome-")
        self.env = dict(os.environ, DISPLAY=self.display, NO_AT_BRIDGE="1", GTK_THEME="Adwaita",
                        GDK_BACKEND="x11", HOME=self.home,
                        XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_DATA_HOME=os.path.join(self.home, ".local", "share"),
                        XDG_CACHE_HOME=os.path.join(self.home, ".cache"))
        self.env.pop("WAYLAND_DISPLAY", None)
        if accessible:
            self._start_accessibility_bus()
        _openbox_config(os.path.join(self.home, ".config", "openbox"))
        wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs.append(wm)
        wait_until(lambda: self.run(["wmctrl", "-m"], check=False).returncode == 0, 20,
                   "the window manager")

    def _start_accessibility_bus(self):
        """A session bus of its own, then the accessibility bus and its
        registry on it: what a screen reader finds on a desktop."""
        read_fd, write_fd = os.pipe()
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                "--print-address=%d" % write_fd],
                               pass_fds=(write_fd,), env=self.env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        self.procs.append(bus)
        os.close(write_fd)
        with os.fdopen(read_fd, "rb") as pipe:
            address = pipe.readline().decode().strip()
        if not address:
            self.close()
            raise RuntimeError("dbus-daemon did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        for name in ("NO_AT_BRIDGE", "GTK_A11Y", "DBUS_SESSION_BUS_PID"):
            self.env.pop(name, None)
        self.procs.append(subprocess.Popen(
            [AT_SPI_BUS_LAUNCHER, "--launch-immediately"], env=self.env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_until(lambda: self.run(["dbus-send", "--session", "--print-reply",
                                     "--dest=org.a11y.Bus", "/org/a11y/bus",
                                     "org.a11y.Bus.GetAddress"], check=False).returncode == 0,
                   20, "the accessibility bus")

    def run(self, args, check=True):
        return subprocess.run(args, env=self.env, check=check, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True)

    def start(self, args, env=None):
        """Starts a program on the display; what it prints goes to a file, so
        that it can never block on a full pipe."""
        log = tempfile.TemporaryFile()
        proc = subprocess.Popen(args, env=dict(self.env, **(env or {})),
                                stdout=log, stderr=subprocess.STDOUT)
        proc.log = log
        self.procs.append(proc)
        return proc

    @staticmethod
    def output(proc):
        proc.log.seek(0)
        return proc.log.read().decode("utf-8", "replace")

    def windows(self, title):
        """Ids of the visible windows titled exactly `title`."""
        out = self.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % _regex(title)],
                       check=False).stdout
        return [w for w in out.split()]

    def wait_window(self, title, timeout=20):
        return wait_until(lambda: self.windows(title), timeout, "window '%s'" % title)[0]

    def wait_gone(self, title, timeout=20):
        wait_until(lambda: not self.windows(title), timeout, "window '%s' to close" % title)

    def active_title(self):
        out = self.run(["xdotool", "getactivewindow", "getwindowname"], check=False).stdout
        return out.rstrip("\n")

    def wait_active(self, title, timeout=20):
        """Waits until the window titled `title` has the keyboard."""
        def check():
            if self.active_title() == title:
                return True
            ids = self.windows(title)
            if ids:
                self.run(["xdotool", "windowactivate", ids[0]], check=False)
            return False
        wait_until(check, timeout, "window '%s' to be active" % title)

    def titles(self):
        """Titles of the visible windows."""
        out = self.run(["xdotool", "search", "--onlyvisible", "--name", "."], check=False).stdout
        return [self.run(["xdotool", "getwindowname", w], check=False).stdout.rstrip("\n")
                for w in out.split()]

    def keys(self, *names):
        self.run(["xdotool", "key", "--clearmodifiers", "--delay", "60"] + list(names))

    def double_click_list(self, title):
        """Double-clicks the first row of the main window's list, wherever
        its dialog units put it (the list's top left at 7, 19 of 298 x 199)."""
        window = self.wait_window(title)
        out = self.run(["xdotool", "getwindowgeometry", "--shell", window]).stdout
        size = dict(line.split("=") for line in out.split())
        x = int(int(size["WIDTH"]) * 7 / 298) + 24
        y = int(int(size["HEIGHT"]) * 19 / 199) + 6
        self.run(["xdotool", "mousemove", "--window", window, str(x), str(y),
                  "click", "--repeat", "2", "--delay", "80", "1"])

    def type(self, text):
        self.run(["xdotool", "type", "--delay", "20", text])

    def answer(self, title, *keys):
        """Waits for the window titled `title`, presses `keys` in it, and waits
        for that very window to go (the next may carry the same title)."""
        window = self.wait_window(title)
        self.wait_active(title)
        self.keys(*keys)
        wait_until(lambda: window not in self.windows(title), 20, "'%s' to close" % title)

    def wait_idle(self, timeout=10):
        """Waits until the screen stops changing: two captures in a row alike."""
        last = [None]

        def settled():
            shot = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                                  env=self.env, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL).stdout
            same = shot == last[0]
            last[0] = shot
            return same
        time.sleep(0.2)
        wait_until(settled, timeout, "the screen to settle")

    def screenshot(self, window_title, path):
        """The window with its title bar and frame, as a PNG."""
        window = self.wait_window(window_title)
        self.run(["import", "-frame", "-window", window, path])

    def close(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        self.procs = []
        if getattr(self, "home", None):
            shutil.rmtree(self.home, ignore_errors=True)
            self.home = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def _openbox_config(folder, system="/etc/xdg/openbox/rc.xml"):
    """openbox's own settings, but for Alt+Space, which it would take for its
    window menu: a Windows program opens its system menu with it."""
    with open(system) as f:
        rc = re.sub(r'<keybind key="A-space">.*?</keybind>', "", f.read(), flags=re.S)
    os.makedirs(folder)
    with open(os.path.join(folder, "rc.xml"), "w") as f:
        f.write(rc)


def _regex(text):
    special = set(".^$*+?()[]{}|\\")
    return "".join("\\" + c if c in special else c for c in text)


AT_SPI_BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def have_tools():
    return all(shutil.which(t) for t in ("Xvfb", "openbox", "xdotool", "wmctrl"))


def have_accessibility_tools():
    return bool(shutil.which("dbus-daemon") and shutil.which("dbus-send")
                and os.access(AT_SPI_BUS_LAUNCHER, os.X_OK))


class LinuxProgram:
    """vorpane, finding the game through a Wine prefix of its own whose
    drive Z: is the root, as in Wine's own prefixes."""
    platform, chooser = "linux", "Select the UT Directory"

    def __init__(self, program, work):
        self.program = program
        self.name = os.path.basename(program)
        self.prefix = os.path.join(work, "prefix")
        # Only a registry file: Windows programs beside it (the game, in a
        # test) run in a real prefix, kept in the build tree.
        self.wine_prefix = os.path.join(os.path.dirname(os.path.abspath(program)), "wineprefix")

    def register(self, x, folder):
        """The game's installation entry naming `folder`; for None no entry,
        for "" an entry without the value."""
        demo_game.write_prefix(self.prefix, folder=windows_path(folder) if folder else None,
                               with_key=folder is not None)
        os.symlink("/", os.path.join(self.prefix, "dosdevices", "z:"))

    def start(self, x):
        return x.start([self.program], env={"WINEPREFIX": self.prefix})

    def choose(self, x, folder):
        x.wait_active(self.chooser)
        x.keys("ctrl+l")
        x.type(folder + "/")
        x.keys("Return")

    @staticmethod
    def shown(path):
        return path

    def end(self):
        """Nothing of a run outlives it."""


class WindowsProgram:
    """Vorpane.EXE under Wine in the given prefix (made on first use), a
    64-bit Windows where the entry lives where a 32-bit installer puts it."""
    platform, chooser = "windows", "Browse for Folder"
    key = "HKLM\\Software\\Unreal Technology\\Installed Apps\\UnrealTournament"

    def __init__(self, exe, prefix):
        self.exe = exe
        self.name = os.path.splitext(os.path.basename(exe))[0]
        self.prefix = self.wine_prefix = prefix

    def register(self, x, folder):
        """Within the session, so that the Wine session reg starts draws there."""
        def reg(*args):
            subprocess.run([WINE_RUN, self.prefix, "reg"] + list(args), env=x.env,
                           check=args[0] == "add", stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        reg("delete", self.key, "/f", "/reg:32")
        if folder is not None:
            value = ["/v", "Folder", "/d", windows_path(folder)] if folder else []
            reg("add", self.key, "/f", "/reg:32", *value)

    def start(self, x):
        # Wine tells the text of each message box on standard error.
        return x.start([WINE_RUN, self.prefix, self.exe], env={"WINEDEBUG": "-all,+msgbox"})

    def choose(self, x, folder):
        """Walks the browser's tree from "/" of drive Z:, each folder found by
        typing its name."""
        x.wait_active(self.chooser)
        x.keys("shift+Tab", "Down")
        for part in folder.strip("/").split("/"):
            x.keys("Right")
            time.sleep(0.3)
            x.type(part)
            time.sleep(0.3)
        x.keys("Return")

    @staticmethod
    def shown(path):
        return windows_path(path)

    def end(self):
        """Ends every Wine program of the prefix: one left running would keep
        drawing on the display it was started on."""
        subprocess.run(["/usr/lib/wine/wineserver", "-k"], check=False,
                       env=dict(os.environ, WINEPREFIX=self.prefix))


WINE_RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "win32",
                        "wine-run")


def windows_path(path):
    return "Z:" + path.replace("/", "\\")
