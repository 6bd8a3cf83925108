"""vorpane under Orca (orca_session.py): what Orca presents, as its debug
log records it, while a player walks the list, lands on a separator, meets
the "Mutator Encountered" box and tabs back into the list."""

import datetime
import os
import re
import shutil
import tempfile

import demo_game
import orca_session

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


def make_game(root):
    folder = os.path.join(root, "UT")
    demo_game.make_game(folder)
    keys = [(demo_game.cache_key(name), name) for name, _ in FILES]
    for (key, _), (_, when) in zip(keys, FILES):
        demo_game.add_cache_file(folder, key, 100, when)
    demo_game.write_index(folder, sorted(keys))
    return folder


def names_last(orca, row, *keys, since=None):
    """Presses `keys`; the row Orca names last (since `since`), once it
    falls quiet, must be `row`."""
    since = orca.mark() if since is None else since
    if keys:
        orca.x.keys(*keys)
    orca.wait_said(since, lambda said: row in said, "Orca to name %r" % row)
    orca.settle(since)
    rows = [s for s in orca.said(since) if s in ROWS]
    if rows[-1] != row:
        raise AssertionError("Orca named %r last, not %r: %r" % (rows[-1], row, orca.said(since)))


def run(x, program):
    """The scenario, in the session `x` (with its accessibility bus)."""
    if not orca_session.have_orca():
        raise AssertionError("orca and speech-dispatcher: scripts/install-deps")
    root = tempfile.mkdtemp(prefix="vorpane-orca-game-")
    orca = orca_session.Orca(x)
    proc = None
    try:
        program.register(x, make_game(root))
        since = orca.mark()
        proc = program.start(x)
        # At start the caret's row is named, file name first.
        names_last(orca, ALPHA, since=since)
        names_last(orca, GAMMA, "Down")
        names_last(orca, BATCH, "Down")
        # Alpha selected, the caret on Omega; out of the list and back.
        x.keys("Up", "Up", "space", "Down", "Down", "Down")
        since = orca.mark()
        x.keys("Tab")
        extract = re.compile("Extract " + orca_session.BUTTON)
        orca.wait_said(since, lambda said: any(extract.fullmatch(s) for s in said), "Extract")
        names_last(orca, OMEGA, "shift+Tab")
        # Gamma too; Extract moves Alpha, then asks about Gamma.
        x.keys("Up", "Up", "space")
        since = orca.mark()
        x.keys("Return")
        box = (r"Mutator Encountered \| Warning: You should not remove Gamma\.u"
               r".*Extract Gamma\.u from the cache\? \| No " + orca_session.BUTTON)
        orca.wait_said(since, lambda said: re.search(box, " | ".join(said)),
                       "the box's caption, text and focused button in turn")
        since = orca.mark()
        x.answer(ASK, "Return")
        # Back in the rebuilt list, on its first row.
        names_last(orca, GAMMA, since=since)
        x.keys("Escape")
        if proc.wait(timeout=20) != 0:
            raise AssertionError("exit code %d" % proc.returncode)
    finally:
        if proc is not None and proc.poll() is None:
            proc.kill()
        orca.close()
        shutil.rmtree(root, ignore_errors=True)
