"""Orca, GNOME's screen reader, on the accessibility bus of an X session
(xsession.py), on its default settings, its speech read back from its
debug log: for the end-to-end run and the benchmark. Speech goes through
Speech Dispatcher's dummy module to ALSA's null device: on a machine
without a sound card the default output never finishes, and Orca would
stall."""

import os
import pty
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time

import xsession

# How Orca names a button's role: "push button" up to Orca 43 (Debian 12),
# "button" from Orca 48 (Debian 13) on. A regular expression.
BUTTON = r"(?:push )?button"

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
