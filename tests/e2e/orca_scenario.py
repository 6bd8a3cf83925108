"""vorpane under Orca, GNOME's screen reader, on its default settings: what
Orca presents, as its debug log records it, while a player walks the list,
lands on a separator, meets the "Mutator Encountered" box and tabs back
into the list. Speech goes through Speech Dispatcher's dummy module to
ALSA's null device: on a machine without a sound card the default output
never finishes, and Orca would stall."""

import datetime
import os
import pty
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time

import demo_game
import xsession

MAIN, ASK = "Halden's Vorpane", "Mutator Encountered"
# Two files a second apart, then after a gap a batch of its own: rows
# Alpha.unr, Gamma.u, the separator, Omega.utx.
FILES = [("Alpha.unr", datetime.datetime(2001, 8, 12, 6, 35, 0)),
         ("Gamma.u", datetime.datetime(2001, 8, 12, 6, 35, 1)),
         ("Omega.utx", datetime.datetime(2001, 8, 12, 9, 0, 0))]
ALPHA, GAMMA, BATCH, OMEGA = ("Alpha.unr, 2001-08-12 06:35:00", "Gamma.u, 2001-08-12 06:35:01",
                              "Download batch from 2001-08-12 09:00",
                              "Omega.utx, 2001-08-12 09:00:00")
ROWS = (ALPHA, GAMMA, BATCH, OMEGA)

SPEECHD_CONF = """AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "dummy" "sd_dummy" ""
DefaultModule dummy
"""


def have_orca():
    return bool(shutil.which("orca") and shutil.which("speech-dispatcher"))


class Orca:
    """Orca on the session's accessibility bus, its speech read back from
    its debug log."""

    def __init__(self, x):
        self.x = x
        self.runtime = tempfile.mkdtemp(prefix="vorpane-orca-")
        os.chmod(self.runtime, 0o700)
        conf = os.path.join(x.env["XDG_CONFIG_HOME"], "speech-dispatcher")
        os.makedirs(conf, exist_ok=True)
        with open(os.path.join(conf, "speechd.conf"), "w") as f:
            f.write(SPEECHD_CONF)
        # Orca writes its debug log line by line only to a terminal: to a
        # file it writes in blocks, and the last words of a step would wait.
        master, terminal = pty.openpty()
        self.proc = subprocess.Popen(
            ["orca", "--debug-file=/dev/stdout",
             "--user-prefs=" + os.path.join(self.runtime, "orca")],
            env=dict(x.env, XDG_RUNTIME_DIR=self.runtime), stdin=subprocess.DEVNULL,
            stdout=terminal, stderr=terminal)
        os.close(terminal)
        x.procs.append(self.proc)
        self.log, self.lock = "", threading.Lock()
        # Whether to keep what Orca logs; a long run without checks drops it.
        self.keep = True
        self.reader = threading.Thread(target=self._read, args=(master,), daemon=True)
        self.reader.start()
        self.wait_said(0, lambda said: "Screen reader on" in said, "Orca to start", 60)

    def _read(self, master):
        while True:
            try:
                data = os.read(master, 65536)
            except OSError:
                data = b""
            if not data:
                os.close(master)
                return
            with self.lock:
                if self.keep:
                    self.log += data.decode("utf-8", "replace").replace("\r\n", "\n")

    def said(self, since):
        """What Orca spoke since offset `since` of its log, one entry an
        utterance, spaces and line breaks as one space, its closing full
        stop left off."""
        with self.lock:
            text = self.log[since:]
        found = re.findall(r"SPEECH OUTPUT: '(.*?)' ?\{'", text, re.S)
        return [re.sub(r"\.$", "", re.sub(r"\s+", " ", s).strip()) for s in found]

    def mark(self):
        with self.lock:
            return len(self.log)

    def wait_said(self, since, check, what, timeout=20):
        if self.proc.poll() is not None:
            raise AssertionError("Orca ended: %s" % self.log[-2000:])
        try:
            xsession.wait_until(lambda: check(self.said(since)), timeout, what)
        except TimeoutError:
            raise AssertionError("Orca said %r; waited for %s" % (self.said(since), what))

    def settle(self, since):
        """Waits until Orca has said nothing new for a second."""
        last = [None, time.monotonic()]

        def quiet():
            now = len(self.said(since))
            if now != last[0]:
                last[0], last[1] = now, time.monotonic()
            return time.monotonic() - last[1] > 1.0
        xsession.wait_until(quiet, 20, "Orca to fall quiet")

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        # The Speech Dispatcher Orca started stays behind for a while.
        pid_file = os.path.join(self.runtime, "speech-dispatcher", "pid", "speech-dispatcher.pid")
        try:
            with open(pid_file) as f:
                os.kill(int(f.read().strip()), signal.SIGTERM)
        except (OSError, ValueError):
            pass
        shutil.rmtree(self.runtime, ignore_errors=True)


def make_game(root):
    folder = os.path.join(root, "UT")
    demo_game.make_game(folder)
    keys = []
    for name, when in FILES:
        key = demo_game.cache_key(name)
        demo_game.add_cache_file(folder, key, 100, when)
        keys.append((key, name))
    demo_game.write_index(folder, sorted(keys))
    return folder


def presents_row(orca, since, row, keys=()):
    """Presses `keys`, then checks that the row Orca names last is `row`."""
    orca.x.keys(*keys) if keys else None
    orca.wait_said(since, lambda said: row in said, "Orca to name %r" % row)
    orca.settle(since)
    rows = [s for s in orca.said(since) if s in ROWS]
    if rows[-1] != row:
        raise AssertionError("Orca named %r last, not %r; said %r" % (rows[-1], row,
                                                                     orca.said(since)))


def run(x, program):
    """The scenario, in the session `x` (with its accessibility bus)."""
    if not have_orca():
        raise AssertionError("orca and speech-dispatcher: scripts/install-deps")
    root = tempfile.mkdtemp(prefix="vorpane-orca-game-")
    orca = Orca(x)
    proc = None
    try:
        program.register(x, make_game(root))
        since = orca.mark()
        proc = program.start(x)
        x.wait_window(MAIN)
        x.wait_active(MAIN)
        # At start the caret's row is named, file name first.
        presents_row(orca, since, ALPHA)
        for row in (GAMMA, BATCH):
            since = orca.mark()
            presents_row(orca, since, row, ["Down"])
        # Alpha selected, the caret on Omega; out of the list and back.
        x.keys("Up", "Up", "space", "Down", "Down", "Down")
        x.keys("Tab")
        orca.wait_said(orca.mark(), lambda said: "Extract push button" in said, "Extract")
        since = orca.mark()
        presents_row(orca, since, OMEGA, ["shift+Tab"])
        # Gamma too; Extract moves Alpha, then asks about Gamma.
        x.keys("Up", "Up", "space")
        since = orca.mark()
        x.keys("Return")
        x.wait_window(ASK)

        def box_read(said):
            joined = " | ".join(said)
            return re.search(r"Mutator Encountered \| Warning: You should not remove Gamma\.u"
                             r".*Extract Gamma\.u from the cache\? \| No push button", joined)
        orca.wait_said(since, box_read, "the box's caption, text and focused button in turn")
        since = orca.mark()
        x.answer(ASK, "Return")
        # Back in the rebuilt list, on its first row.
        presents_row(orca, since, GAMMA)
        x.keys("Escape")
        if proc.wait(timeout=20) != 0:
            raise AssertionError("exit code %d" % proc.returncode)
    finally:
        if proc is not None and proc.poll() is None:
            proc.kill()
        orca.close()
        shutil.rmtree(root, ignore_errors=True)
