#!/usr/bin/env python3
"""Vorpane end to end: the real program in a private X display, driven by
keys, checked by the windows it shows, its exit code and what it leaves on
disk. The Linux program and Vorpane.EXE (under Wine) run the same scenarios.

    tests/e2e/run_e2e.py build/vorpane
    tests/e2e/run_e2e.py build-win32/Vorpane.EXE <wine prefix>
"""

import datetime
import os
import shutil
import sys
import tempfile
import traceback

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import demo_game  # noqa: E402
import xsession  # noqa: E402

MAIN, ABOUT, ASK = "Halden's Vorpane", "About Vorpane", "Mutator Encountered"
# Downloaded a second apart: one batch, no separator rows. Missing.unr has no file.
NAMES = ["Alpha.unr", "Gamma.u", "Omega.utx", "Delta.u", "Epsilon.uax"]


class Game:
    def __init__(self, root):
        self.root, self.dir = root, os.path.join(root, "UT")
        demo_game.make_game(self.dir)
        self.keys = {name: demo_game.cache_key(name) for name in NAMES + ["Missing.unr"]}
        for i, name in enumerate(NAMES):
            demo_game.add_cache_file(self.dir, self.keys[name], 100,
                                     datetime.datetime(2001, 8, 12, 6, 35, i))
        demo_game.write_index(self.dir, sorted((k, n) for n, k in self.keys.items()))
        with open(self.path("Textures/Omega.utx"), "wb") as f:
            f.write(b"the player's own")
        self.original = self.read("Cache/cache.ini")
        os.makedirs(os.path.join(root, "empty"))

    def path(self, name):
        return os.path.join(self.dir, name)

    def cached(self, name):
        return os.path.exists(self.path("Cache/%s.uxx" % self.keys[name]))

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()


def extracted(g):
    return (os.path.exists(g.path("Maps/Alpha.unr")) and os.path.exists(g.path("System/Gamma.u"))
            and not g.cached("Alpha.unr") and not g.cached("Gamma.u") and g.cached("Delta.u")
            and g.cached("Omega.utx") and g.read("Textures/Omega.utx") == b"the player's own")


def compacted(g):
    return g.read("Cache/cache.ini") == ("[Cache]\r\n%s=Omega.utx\r\n%s=Delta.u\r\n\r\n" % (
        g.keys["Omega.utx"], g.keys["Delta.u"])).encode()


# Each scenario: its name, the game's registry entry ("game", "no key",
# "no value"; "read-only" makes cache.ini read-only), its steps, and the
# programs it is for. Until "main", no step may find the main window open.
SCENARIOS = [
    ("commands", "game", [
        ("main",),
        # Rows Alpha, Gamma, Omega, Delta, Epsilon: all but the last, then
        # Enter, for Extract is the default button.
        ("keys", "Home", "space", "Down", "space", "Down", "space", "Down", "space", "Return"),
        ("box", ASK, "alt+y"),
        ("box", "Could NOT Extract Omega.utx", "Return"),
        ("box", ASK, "Return"),  # Delta.u: No, the default
        ("check", "extracted", extracted),
        # Rows Omega, Delta, Epsilon; tab order: list, Extract, About, Compact, Delete.
        ("keys", "End", "space", "Tab", "Tab", "space"),
        ("box", ABOUT, "Return"),
        ("keys", "Tab", "Tab", "space"),
        ("check", "Epsilon deleted", lambda g: not g.cached("Epsilon.uax") and g.cached("Delta.u")),
        ("keys", "shift+Tab", "space"),
        ("check", "compacted", compacted),
        ("close",),
        ("exit", 0)]),
    ("system_menu", "game", [
        ("main",), ("keys", "alt+space", "End", "Return"), ("box", ABOUT, "Return"),
        ("keys", "Escape"), ("exit", 0)], {"windows"}),
    ("read_only_index", "game, read-only", [
        ("main",),
        ("keys", "Tab", "Tab", "Tab", "space"),
        ("box", lambda g, p: p.name, "Return"),  # the file error report
        ("check", "cache.ini kept", lambda g: g.read("Cache/cache.ini") == g.original),
        ("keys", "Escape"),
        ("exit", 0)]),
    ("no_key", "no key", [
        ("box", "Registry Key Can't Be Found", "Return"), ("chooser", "Escape"), ("exit", 0)]),
    ("no_value_then_chosen_folder", "no value", [
        ("box", "Registry Value Can't Be Found", "Return"),
        ("choose", "empty"),
        ("box", lambda g, p: p.shown(os.path.join(g.root, "empty/Cache/cache.ini")), "Return"),
        ("choose", "UT"),
        ("main",), ("keys", "Escape"), ("exit", 0)]),
]


def run(x, program, entry, steps):
    game = Game(tempfile.mkdtemp(prefix="vorpane-e2e-"))
    if "read-only" in entry:
        os.chmod(game.path("Cache/cache.ini"), 0o444)
    program.register(x, {"no key": None, "no value": ""}.get(entry, game.dir))
    proc = program.start(x)
    shown = False
    try:
        for kind, *args in steps:
            args = [a(game, program) if callable(a) and kind != "check" else a for a in args]
            if not shown and kind != "main" and x.windows(MAIN):
                raise AssertionError("the main window opened before %s" % kind)
            if kind == "main":
                x.wait_window(MAIN)
                x.wait_active(MAIN)
                shown = True
                others = [t for t in x.titles() if t != MAIN]
                if others:
                    raise AssertionError("windows besides the main window: %r" % others)
            elif kind == "keys":
                x.keys(*args)
            elif kind == "box":
                x.answer(*args)
            elif kind == "chooser":
                x.answer(program.chooser, *args)
            elif kind == "choose":
                program.choose(x, os.path.join(game.root, *args))
            elif kind == "check":
                xsession.wait_until(lambda: args[1](game), 20, args[0])
            elif kind == "close":
                x.run(["wmctrl", "-c", MAIN])
            elif kind == "exit" and proc.wait(timeout=20) != args[0]:
                raise AssertionError("exit code %d, not %d" % (proc.returncode, args[0]))
    except Exception:
        print("windows open: %r" % x.titles())
        raise
    finally:
        if proc.poll() is None:
            proc.kill()
        os.chmod(game.path("Cache/cache.ini"), 0o644)
        shutil.rmtree(game.root, ignore_errors=True)


def main():
    if len(sys.argv) not in (2, 3) or not xsession.have_tools():
        sys.exit(__doc__.strip() + "\n\nXvfb, openbox, xdotool and wmctrl: scripts/install-deps")
    work = tempfile.mkdtemp(prefix="vorpane-e2e-")
    path = os.path.abspath(sys.argv[1])
    print("e2e: %s" % path)
    if len(sys.argv) == 3:
        program = xsession.WindowsProgram(path, os.path.abspath(sys.argv[2]))
    else:
        program = xsession.LinuxProgram(path, work)
    scenarios = [s for s in SCENARIOS if len(s) == 3 or program.platform in s[3]]
    failed = []
    program.end()
    with xsession.XSession() as x:
        for name, entry, steps, *_ in scenarios:
            try:
                run(x, program, entry, steps)
                print("[  PASSED  ] e2e.%s" % name)
            except Exception:
                failed.append(name)
                print("[  FAILED  ] e2e.%s" % name)
                traceback.print_exc()
    program.end()
    shutil.rmtree(work, ignore_errors=True)
    print("%d passed, %d failed" % (len(scenarios) - len(failed), len(failed)))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
