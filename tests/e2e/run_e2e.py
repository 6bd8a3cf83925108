#!/usr/bin/env python3
"""Vorpane end to end: the real program in a private X display, driven by
keys and clicks, checked by the windows it shows, its exit code, what it
leaves on disk, and for vorpane what a screen reader hears through AT-SPI:
the list's rows, its selection, the caret and the focus. The Linux program
and Vorpane.EXE (under Wine) run the same scenarios; AT-SPI does not see
Wine's windows, so there what the keys selected shows in what the commands
then do on disk.

    tests/e2e/run_e2e.py build/vorpane
    tests/e2e/run_e2e.py build-win32/Vorpane.EXE <wine prefix>
"""

import contextlib
import datetime
import glob
import os
import operator
import shutil
import subprocess
import sys
import tempfile
import threading
import traceback

if sys.argv[1:2] and len(sys.argv) == 2 and sys.executable != "/usr/bin/python3":
    try:
        import gi  # noqa: F401
    except ImportError:
        # AT-SPI's bindings come with the system's Python, not another one
        # first on PATH.
        if os.path.exists("/usr/bin/python3"):
            os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)

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


def extracted_by_keys(g):
    """Omega.utx and Epsilon.uax were selected: Omega's place is taken."""
    return (os.path.exists(g.path("Sounds/Epsilon.uax")) and not g.cached("Epsilon.uax")
            and g.cached("Omega.utx") and g.cached("Alpha.unr") and g.cached("Gamma.u"))


def only_deleted(*names):
    """Of Alpha, Gamma and Delta, exactly `names` are gone."""
    return lambda g: all(g.cached(n) != (n in names) for n in ("Alpha.unr", "Gamma.u", "Delta.u"))


# The keys of the Win32 multiple-selection list box, from the start: each
# key, then the caret's row and the selected rows a screen reader hears.
# Rows: Alpha, Gamma, Omega, Delta, Epsilon. Ctrl+A and Shift+Ctrl+A are a
# GTK habit; a Win32 list box searches with letters, GTK's would with Ctrl+F.
LINUX = {"linux"}
KEY_TABLE = [
    ("space", 0, [0]),
    ("ctrl+a", 0, [0, 1, 2, 3, 4], LINUX),
    ("shift+ctrl+a", 0, [], LINUX),
    ("ctrl+f", 0, [], LINUX),
    ("o", 0, [], LINUX),
    ("space", 0, [0], LINUX),
    ("Down", 1, [0]),
    ("Right", 2, [0]),
    ("space", 2, [0, 2]),
    ("Left", 1, [0, 2]),
    ("Up", 0, [0, 2]),
    ("End", 4, [0, 2]),
    ("Prior", 0, [0, 2]),
    ("Next", 4, [0, 2]),
    ("space", 4, [0, 2, 4]),
    ("Home", 0, [0, 2, 4]),
    ("space", 0, [2, 4]),
]


def key_steps(table):
    return [(("keys", key), ("hears", caret, selected)) + tuple(rest)
            for key, caret, selected, *rest in table]


def unicode_index_scenario():
    """A cache.ini the game wrote in UTF-16 (a name beyond Latin-1): the list
    shows the names, an extracted file lands under its characters, and
    Compact keeps the file UTF-16 with its mark."""
    names = ["DM-Citt\u00e0.unr", "\u03a9mega.utx"]
    keys = [demo_game.cache_key(name) for name in names]

    def utf16_index(entries):
        text = "[Cache]\r\n" + "".join("%s=%s\r\n" % entry for entry in entries)
        return b"\xff\xfe" + text.encode("utf-16-le")

    def make(g):
        for old in glob.glob(g.path("Cache/*.uxx")):
            os.remove(old)
        for i, key in enumerate(keys):
            demo_game.add_cache_file(g.dir, key, 100, datetime.datetime(2001, 8, 12, 6, 35, i))
        with open(g.path("Cache/cache.ini"), "wb") as f:
            f.write(utf16_index(zip(keys, names)))

    def extracted(g):
        return (os.listdir(g.path("Maps")) == [names[0]]
                and not os.path.exists(g.path("Cache/%s.uxx" % keys[0])))

    return ("unicode_index", ("game", make), [
        ("main",),
        ("hears", 0, [], names),
        ("keys", "space", "Return"),
        ("check", "extracted under its name", extracted),
        # Tab order: list, Extract, About, Compact.
        ("keys", "Tab", "Tab", "Tab", "space"),
        ("check", "compacted in UTF-16",
         lambda g: g.read("Cache/cache.ini") == utf16_index([(keys[1], names[1])]) + b"\r\0\n\0"),
        ("keys", "Escape"),
        ("exit", 0)])


def compact_beside_the_game(x, program, game, proc, reader):
    """The game (game_writer.c under Wine) rewrites cache.ini in pieces after
    each of 30 downloads, pausing in each for longer than a reader waits for
    it to stand still, while Compact is pressed again and again: no row and
    no version of cache.ini read whole holds a line it did not finish; a
    Compact that writes nothing says the game was writing; once the game is
    done, one Compact keeps the line of each file there, once."""
    index = game.path("Cache/cache.ini")
    stand_in = [xsession.WINE_RUN, program.wine_prefix, build_writer(game.root),
                xsession.windows_path(game.path("Cache"))]
    versions, shown, stop = set(), set(), threading.Event()
    watcher = threading.Thread(target=watch_index, args=(index, versions, stop))
    watcher.start()
    writer = x.start(stand_in + ["30", str(os.getpid()), "200"])
    try:
        while writer.poll() is None:
            press_compact(x, program, proc, reader, index)
            shown.update(row_names(reader))
    finally:
        stop.set()
        watcher.join()
        writer.kill()
    if writer.wait() != 0:
        raise AssertionError("the game's stand-in failed:\n" + x.output(writer))
    written = set(game.original.split(b"\r\n") + x.output(writer).encode().splitlines())
    # Wine lets a version show NULs where a piece is still to come: no line of the file's.
    stray = {line for v in versions for line in v.split(b"\r\n")[:-1] if b"\0" not in line}
    stray -= written
    wrong = shown - {line.partition(b"=")[2].decode() for line in written}
    if stray or wrong:
        raise AssertionError("lines the game never wrote: %r in cache.ini, rows %r"
                             % (sorted(stray), sorted(wrong)))
    there = sorted(line for line in written if b"=" in line and os.path.exists(
        game.path("Cache/%s.uxx" % line.split(b"=")[0].decode())))
    compacted = press_compact(x, program, proc, reader, index)
    lines = game.read("Cache/cache.ini").split(b"\r\n") if compacted else ["said no"]
    if lines[:1] != [b"[Cache]"] or lines[-2:] != [b"", b""] or sorted(lines[1:-2]) != there:
        raise AssertionError("compacted, the game done: %r; wanted each of %r once"
                             % (lines, there))
    heard = sorted(line.split(b"=", 1)[1].decode() for line in there) if reader else []
    xsession.wait_until(lambda: sorted(row_names(reader)) == heard, 10, "a row per file there")


def build_writer(folder):
    """game_writer.exe for the Wine the tests use: i686, as the game is,
    where the 32-bit loader runs; else x86_64 for wine64."""
    wine, exe = os.environ.get("VORPANE_WINE", "/usr/lib/wine/wine"), folder + "/writer.exe"
    arch = "i686" if not wine.endswith("64") and subprocess.run(
        [wine, "--version"], capture_output=True).returncode == 0 else "x86_64"
    subprocess.run([arch + "-w64-mingw32-gcc", "-O2", "-municode", "-static-libgcc", "-o", exe,
                    os.path.join(os.path.dirname(__file__), "game_writer.c")], check=True)
    return exe


def watch_index(path, versions, stop):
    """Gathers every version of `path` read whole: its identity, size and
    change times alike before and after the read, so that a read which met
    a write counts for nothing."""
    stamp = operator.attrgetter("st_ino", "st_size", "st_mtime_ns", "st_ctime_ns")
    while not stop.wait(0.002):
        with contextlib.suppress(FileNotFoundError), open(path, "rb") as f:
            before, data = stamp(os.fstat(f.fileno())), f.read()
            if stamp(os.fstat(f.fileno())) == before and len(data) == before[1]:
                versions.add(data)


def press_compact(x, program, proc, reader, index):
    """Presses Compact, which has the focus; True once cache.ini was
    replaced, False once a box said that the game was writing (answered)."""
    before = os.stat(index).st_ino

    def answered():
        if x.windows(program.name):
            # As a screen reader hears the box, or as Wine's trace of message boxes tells it.
            said = reader.alert_text(proc.pid) if reader else [
                line for line in x.output(proc).splitlines() if ":msgbox:" in line][-1]
            if "is being written by another program" not in said:
                raise AssertionError("Compact said: " + said)
            x.answer(program.name, "Return")
            return "box"
        return os.stat(index).st_ino != before
    x.keys("space")
    return xsession.wait_until(answered, 30, "Compact to replace cache.ini or say why") is True


def row_names(reader):
    """The names the rows are heard with, separators aside; none unheard."""
    return [row.rsplit(", ", 1)[0] for row in reader.hear()[1]
            if not row.startswith("Download batch from ")] if reader else []


# Each scenario: its name, the game's registry entry ("game", "no key",
# "no value"; "read-only" makes cache.ini read-only; or a pair of entry and
# a function that makes the game the scenario's own), its steps, and the
# programs it is for. Until "main", no step may find the main window open.
SCENARIOS = [
    ("list_keys", "game", [
        ("main",),
        ("hears", 0, [], 5),
        *key_steps(KEY_TABLE),
        # Enter runs Extract, the default button, on what the keys selected.
        ("keys", "Return"),
        ("box", "Could NOT Extract Omega.utx", "Return"),
        ("check", "extracted", extracted_by_keys),
        # The rebuilt list has its caret on the first row again.
        ("hears", 0, [], 4),
        ("keys", "space", "Down", "Down", "Down", "space"),
        ("hears", 3, [0, 3], 4),
        # Tab order: list, Extract, About, Compact, Delete.
        ("keys", "Tab", "Tab", "Tab", "Tab", "space"),
        ("check", "Alpha and Delta deleted", only_deleted("Alpha.unr", "Delta.u")),
        ("keys", "Escape"),
        ("exit", 0)]),
    ("double_click", "game", [
        ("main",),
        ("double_click",),
        ("hears", 0, [0], 5),
        ("keys", "Tab", "Tab", "Tab", "Tab", "space"),
        ("check", "Alpha deleted", only_deleted("Alpha.unr")),
        ("keys", "Escape"),
        ("exit", 0)]),
    ("empty_list", "game, no files", [
        ("main",), ("hears", None, [], 0), ("keys", "space", "Down", "ctrl+a"),
        ("hears", None, [], 0), ("keys", "Escape"), ("exit", 0)], LINUX),
    ("commands", "game", [
        ("main",),
        # Rows Alpha, Gamma, Omega, Delta, Epsilon: all but the last, then
        # Enter, for Extract is the default button.
        ("keys", "space", "Down", "space", "Down", "space", "Down", "space", "Return"),
        ("box", ASK, "alt+y"),
        ("box", "Could NOT Extract Omega.utx", "Return"),
        ("box", ASK, "Return"),  # Delta.u: No, the default
        ("check", "extracted", extracted),
        # Rows Omega, Delta, Epsilon; tab order: list, Extract, About, Compact, Delete.
        ("keys", "End", "space", "Tab", "Tab", "space"),
        ("box", ABOUT, "Return"),
        ("keys", "Tab", "Tab", "space"),
        ("check", "Epsilon deleted", lambda g: not g.cached("Epsilon.uax") and g.cached("Delta.u")),
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
    unicode_index_scenario(),
    # Tab order: list, Extract, About, Compact.
    ("game_beside", "game", [("main",), ("keys", "Tab", "Tab", "Tab"),
                             ("do", compact_beside_the_game), ("keys", "Escape"), ("exit", 0)]),
]


def lutris_home(x, program, reader):
    """A player who installed the game with Lutris: no $WINEPREFIX, and the
    prefix is the one Lutris keeps for the game, named in its configuration.
    The game opens without a box, a map is extracted, and --verbose tells
    which prefix the game came from."""
    game = Game(tempfile.mkdtemp(prefix="vorpane-e2e-"))
    home = os.path.join(game.root, "home")
    prefix = os.path.join(home, "Games", "unreal-tournament")
    demo_game.write_prefix(prefix, folder=xsession.windows_path(game.dir))
    os.symlink("/", os.path.join(prefix, "dosdevices", "z:"))
    os.makedirs(os.path.join(home, ".wine"))  # a prefix without the game
    games = os.path.join(home, ".config", "lutris", "games")
    os.makedirs(games)
    with open(os.path.join(games, "unreal-tournament-1733500000.yml"), "w") as f:
        f.write("game:\n  exe: %s/System/UnrealTournament.exe\n  prefix: %s\n"
                "system: {}\nwine:\n  version: lutris-7.2\n" % (game.dir, prefix))
    proc = x.start([program.program, "--verbose"], env={"HOME": home, "WINEPREFIX": ""})
    with running(x, proc, game):
        for step in [("main",), ("hears", 0, [], 5), ("keys", "space", "Return"),  # Extract Alpha
                     ("check", "Alpha.unr extracted", lambda g: os.path.exists(
                         g.path("Maps/Alpha.unr")) and not g.cached("Alpha.unr")),
                     ("keys", "Escape"), ("exit", 0)]:
            do_step(x, program, game, proc, reader, step)
        told = x.output(proc)
        if "vorpane: chose %s: the only prefix" % prefix not in told:
            raise AssertionError("--verbose told:\n" + told)


@contextlib.contextmanager
def running(x, proc, game):
    """Says which windows were open when a step failed; then the program
    and its game are gone whatever happened."""
    try:
        yield
    except Exception:
        print("windows open: %r" % x.titles())
        raise
    finally:
        if proc.poll() is None:
            proc.kill()
        if os.path.exists(game.path("Cache/cache.ini")):
            os.chmod(game.path("Cache/cache.ini"), 0o644)
        shutil.rmtree(game.root, ignore_errors=True)


# Scenarios of the Linux program alone, each a function of its own.
LINUX_SCENARIOS = [lutris_home]


def run(x, program, entry, steps, reader):
    game = Game(tempfile.mkdtemp(prefix="vorpane-e2e-"))
    if isinstance(entry, tuple):
        # The entry, and what makes the game this scenario's own.
        entry, make = entry
        make(game)
    if "read-only" in entry:
        os.chmod(game.path("Cache/cache.ini"), 0o444)
    if "no files" in entry:
        for name in glob.glob(game.path("Cache/*.uxx")):
            os.remove(name)
    program.register(x, {"no key": None, "no value": ""}.get(entry, game.dir))
    proc = program.start(x)
    shown = False
    with running(x, proc, game):
        for step in steps:
            if isinstance(step[0], tuple):
                # A row of the key table: the key, then what a screen reader
                # hears; some keys are for one program only.
                if len(step) == 2 or program.platform in step[2]:
                    for part in step[:2]:
                        do_step(x, program, game, proc, reader, part)
                continue
            if not shown and step[0] != "main" and x.windows(MAIN):
                raise AssertionError("the main window opened before %s" % step[0])
            shown = shown or step[0] == "main"
            do_step(x, program, game, proc, reader, step)


def do_step(x, program, game, proc, reader, step):
    kind, *args = step
    args = [a(game, program) if callable(a) and kind not in ("check", "do") else a for a in args]
    if kind == "main":
        x.wait_window(MAIN)
        x.wait_active(MAIN)
        others = [t for t in x.titles() if t != MAIN]
        if others:
            raise AssertionError("windows besides the main window: %r" % others)
        if reader:
            reader.attach(proc.pid)
    elif kind == "keys":
        x.keys(*args)
    elif kind == "double_click":
        x.double_click_list(MAIN)
    elif kind == "hears":
        if reader:
            reader.expect(*args)
    elif kind == "box":
        x.answer(*args)
    elif kind == "chooser":
        x.answer(program.chooser, *args)
    elif kind == "choose":
        program.choose(x, os.path.join(game.root, *args))
    elif kind == "check":
        xsession.wait_until(lambda: args[1](game), 20, args[0])
    elif kind == "do":
        args[0](x, program, game, proc, reader)
    elif kind == "close":
        x.run(["wmctrl", "-c", MAIN])
    elif kind == "exit" and proc.wait(timeout=20) != args[0]:
        raise AssertionError("exit code %d, not %d" % (proc.returncode, args[0]))


def run_under_orca(x, program):
    """vorpane as Orca presents it (orca_scenario.py); the failed names."""
    import orca_scenario
    try:
        orca_scenario.run(x, program)
        print("[  PASSED  ] e2e.orca")
        return []
    except Exception:
        print("[  FAILED  ] e2e.orca")
        traceback.print_exc()
        return ["orca"]


def main():
    if len(sys.argv) not in (2, 3) or not xsession.have_tools():
        sys.exit(__doc__.strip() + "\n\nXvfb, openbox, xdotool and wmctrl: scripts/install-deps")
    linux = len(sys.argv) == 2
    if linux and not xsession.have_accessibility_tools():
        sys.exit("e2e: dbus-daemon and at-spi2-core for AT-SPI: scripts/install-deps")
    work = tempfile.mkdtemp(prefix="vorpane-e2e-")
    path = os.path.abspath(sys.argv[1])
    print("e2e: %s" % path)
    if linux:
        program = xsession.LinuxProgram(path, work)
    else:
        program = xsession.WindowsProgram(path, os.path.abspath(sys.argv[2]))
    scenarios = [s for s in SCENARIOS if len(s) == 3 or program.platform in s[3]]
    if linux:
        scenarios += [(f.__name__, None, f) for f in LINUX_SCENARIOS]
    failed = []
    program.end()
    with xsession.XSession(accessible=linux) as x:
        reader = None
        if linux:
            import screen_reader  # AT-SPI's bindings: for vorpane only
            reader = screen_reader.ScreenReader(x.env)
        for name, entry, steps, *_ in scenarios:
            try:
                if entry is None:
                    steps(x, program, reader)
                else:
                    run(x, program, entry, steps, reader)
                print("[  PASSED  ] e2e.%s" % name)
            except Exception:
                failed.append(name)
                print("[  FAILED  ] e2e.%s" % name)
                traceback.print_exc()
        if linux:
            failed += run_under_orca(x, program)
    program.end()
    shutil.rmtree(work, ignore_errors=True)
    print("%d passed, %d failed" % (len(scenarios) + linux - len(failed), len(failed)))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
