#!/usr/bin/env python3
"""End-to-end tests of the Linux program: the real vorpane in a private X
display, driven with xdotool, checked by what it leaves on disk and by the
titles of the windows it shows.

    tests/e2e/run_e2e.py <path to vorpane>
"""

import datetime
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "scripts"))
import demo_game  # noqa: E402
import xsession  # noqa: E402

MAIN = "Halden's Vorpane"
START = demo_game.utc("2001-08-12 06:35:48.250")


class Game:
    """A game in a fresh Wine prefix; its cache files were downloaded five
    seconds apart, so they form one batch and the rows hold no separators."""

    def __init__(self, root, names, missing=(), with_key=True):
        self.prefix = os.path.join(root, "prefix")
        demo_game.write_prefix(self.prefix, folder="C:\\UT", with_key=with_key)
        self.dir = os.path.join(self.prefix, "drive_c", "UT")
        demo_game.make_game(self.dir)
        self.keys = {}
        self.content = {}
        entries = []
        for i, name in enumerate(names):
            key = demo_game.cache_key(name, "e2e")
            self.keys[name] = key
            self.content[name] = (name * (40 + 13 * i)).encode()
            path = demo_game.add_cache_file(self.dir, key, 0,
                                            START + datetime.timedelta(seconds=5 * i))
            stamp = os.stat(path).st_mtime_ns
            with open(path, "wb") as f:
                f.write(self.content[name])
            os.utime(path, ns=(stamp, stamp))
            entries.append((key, name))
        for name in missing:
            self.keys[name] = demo_game.cache_key(name, "e2e")
            entries.append((self.keys[name], name))
        entries.sort()
        demo_game.write_index(self.dir, entries)

    def cache_file(self, name):
        return os.path.join(self.dir, "Cache", self.keys[name] + ".uxx")

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def index(self):
        with open(self.path("Cache", "cache.ini"), "rb") as f:
            return f.read()

    def read(self, *parts):
        with open(self.path(*parts), "rb") as f:
            return f.read()


def check(condition, message):
    if not condition:
        raise AssertionError(message)


class Run:
    """One start of the program, ended whatever happens."""

    def __init__(self, x, program, prefix):
        self.x = x
        self.proc = x.start([program], env={"WINEPREFIX": prefix})

    def exit_code(self, timeout=20):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end")

    def answer(self, title, *keys):
        """Waits for a box titled `title`, presses `keys` in it, and waits for
        that very box to go (the next box may carry the same title)."""
        window = self.x.wait_window(title)
        self.x.wait_active(title)
        self.x.keys(*keys)
        xsession.wait_until(lambda: window not in self.x.windows(title), 20,
                            "box '%s' to close" % title)

    def end(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def commands(x, program, root):
    names = ["Alpha.unr", "Beta.utx", "Gamma.u", "Delta.u", "Epsilon.uax", "Zeta.umx",
             "Eta.int", "Theta", "Omega.utx"]
    game = Game(root, names, missing=["Iota.unr"])
    # Already installed: extracting it must not replace it.
    with open(game.path("Textures", "Omega.utx"), "wb") as f:
        f.write(b"the player's own")
    run = Run(x, program, game.prefix)
    try:
        x.wait_window(MAIN)
        x.wait_active(MAIN)
        # Rows 0-8 in download order. Select all but Epsilon and Zeta, then
        # Enter: Extract is the default button.
        x.keys("Home", "space", "Down", "space", "Down", "space", "Down", "space",
               "Down", "Down", "Down", "space", "Down", "space", "Down", "space", "Return")
        run.answer("Mutator Encountered", "alt+y")  # Gamma.u: Yes
        run.answer("Mutator Encountered", "Return")  # Delta.u: No, the default
        run.answer("Could NOT Extract Omega.utx", "Return")
        x.wait_active(MAIN)

        # A name without an extension is a map.
        for folder, name, target in (("Maps", "Alpha.unr", "Alpha.unr"),
                                     ("Textures", "Beta.utx", "Beta.utx"),
                                     ("System", "Gamma.u", "Gamma.u"),
                                     ("System", "Eta.int", "Eta.int"),
                                     ("Maps", "Theta", "Theta.unr")):
            check(game.read(folder, target) == game.content[name],
                  "%s was not moved into %s" % (name, folder))
            check(not os.path.exists(game.cache_file(name)), "%s is still cached" % name)
        check(os.path.exists(game.cache_file("Delta.u")), "Delta.u was moved after No")
        check(not os.path.exists(game.path("System", "Delta.u")), "Delta.u was moved after No")
        check(game.read("Textures", "Omega.utx") == b"the player's own",
              "an installed file was replaced")
        check(os.path.exists(game.cache_file("Omega.utx")), "Omega.utx left the cache")

        # Rows now: Delta, Epsilon, Zeta, Omega. Select Epsilon; the about box
        # (the second tab stop after the list) leaves the selection alone, and
        # Delete, two tab stops further on, then deletes just Epsilon.
        x.keys("Home", "Down", "space", "Tab", "Tab", "space")
        run.answer("About Vorpane", "Return")
        x.wait_active(MAIN)
        x.keys("Tab", "Tab", "space")
        xsession.wait_until(lambda: not os.path.exists(game.cache_file("Epsilon.uax")), 20,
                            "Epsilon.uax to be deleted")
        for name in ("Delta.u", "Zeta.umx", "Omega.utx"):
            check(os.path.exists(game.cache_file(name)), "%s was deleted too" % name)

        # Compact: the tab stop before Delete.
        before = game.index()
        x.keys("shift+Tab", "space")
        expected = b"[Cache]\r\n" + b"".join(
            ("%s=%s\r\n" % (game.keys[n], n)).encode() for n in ("Delta.u", "Zeta.umx",
                                                                 "Omega.utx")) + b"\r\n"
        xsession.wait_until(lambda: game.index() != before, 20, "cache.ini to be rewritten")
        check(game.index() == expected, "cache.ini is %r, not %r" % (game.index(), expected))
        leftovers = [n for n in os.listdir(game.path("Cache")) if not n.endswith(".uxx")]
        check(leftovers == ["cache.ini"], "files left in the cache: %r" % leftovers)

        # The close box ends the program.
        x.run(["wmctrl", "-c", MAIN])
        check(run.exit_code() == 0, "closing did not end the program with code 0")
    finally:
        run.end()


def no_registry_entry(x, program, root):
    game = Game(root, ["Alpha.unr"], with_key=False)
    run = Run(x, program, game.prefix)
    try:
        run.answer("Registry Key Can't Be Found", "Return")
        check(not x.windows(MAIN), "the main window showed before the game was found")
        x.wait_window("Select the UT Directory")
        x.wait_active("Select the UT Directory")
        x.keys("Escape")
        check(run.exit_code() == 0, "cancelling the chooser did not end with code 0")
        check(os.path.exists(game.cache_file("Alpha.unr")), "files changed")
    finally:
        run.end()


def unmapped_value_then_chosen_folder(x, program, root):
    game = Game(root, ["Alpha.unr", "Beta.utx"])
    with open(os.path.join(game.prefix, "system.reg"), "r+") as f:
        text = f.read().replace('"Folder"="C:\\\\UT"', '"Folder"="Q:\\\\UT"')
        f.seek(0)
        f.write(text)
        f.truncate()
    run = Run(x, program, game.prefix)
    try:
        run.answer("Registry Value Can't Be Found", "Return")
        # A folder without a cache index first: the program asks again.
        empty = os.path.join(root, "empty")
        os.makedirs(empty)
        for folder in (empty, game.dir):
            x.wait_window("Select the UT Directory")
            x.wait_active("Select the UT Directory")
            x.keys("ctrl+l")
            x.run(["xdotool", "type", "--delay", "20", folder + "/"])
            x.keys("Return")
            if folder == empty:
                run.answer(os.path.join(empty, "Cache", "cache.ini"), "Return")
        x.wait_window(MAIN)
        x.wait_active(MAIN)
        x.keys("Escape")
        check(run.exit_code() == 0, "Escape did not end the program with code 0")
    finally:
        run.end()


def read_only_index(x, program, root):
    game = Game(root, ["Alpha.unr", "Beta.utx"], missing=["Gamma.u"])
    index = game.path("Cache", "cache.ini")
    before = game.index()
    os.chmod(index, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
    run = Run(x, program, game.prefix)
    try:
        x.wait_window(MAIN)
        x.wait_active(MAIN)
        # Compact is the third tab stop after the list.
        x.keys("Tab", "Tab", "Tab", "space")
        run.answer(os.path.basename(program), "Return")  # the file error report
        x.wait_active(MAIN)
        check(game.index() == before, "a read-only cache.ini was changed")
        check(sorted(os.listdir(game.path("Cache"))) ==
              sorted([game.keys["Alpha.unr"] + ".uxx", game.keys["Beta.utx"] + ".uxx",
                      "cache.ini"]), "files left in the cache")
        # The window stays open; the about box opens from it and returns to it.
        x.keys("shift+Tab", "space")
        run.answer("About Vorpane", "Return")
        x.wait_active(MAIN)
        x.keys("Escape")
        check(run.exit_code() == 0, "Escape did not end the program with code 0")
    finally:
        run.end()


TESTS = [commands, no_registry_entry, unmapped_value_then_chosen_folder, read_only_index]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip())
    program = os.path.abspath(sys.argv[1])
    if not xsession.have_tools():
        sys.exit("run_e2e: Xvfb, openbox, xdotool and wmctrl are needed (scripts/install-deps)")
    failed = []
    with xsession.XSession() as x:
        for test in TESTS:
            root = tempfile.mkdtemp(prefix="vorpane-e2e-")
            try:
                test(x, program, root)
                print("[  PASSED  ] e2e.%s" % test.__name__)
            except Exception:
                failed.append(test.__name__)
                print("[  FAILED  ] e2e.%s" % test.__name__)
                traceback.print_exc()
                if shutil.which("import"):
                    shot = os.path.join(tempfile.gettempdir(),
                                        "vorpane-e2e-%s.png" % test.__name__)
                    x.run(["import", "-window", "root", shot], check=False)
                    print("             screen at failure: %s" % shot)
            finally:
                shutil.rmtree(root, ignore_errors=True)
    print("e2e: %d passed, %d failed" % (len(TESTS) - len(failed), len(failed)))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
