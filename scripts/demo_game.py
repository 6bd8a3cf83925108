"""Builds sample Unreal Tournament installations inside throwaway Wine
prefixes, for the demo, the screenshots and the end-to-end tests."""

import datetime
import hashlib
import os
import shutil

GAME_FOLDERS = ("Maps", "Textures", "Music", "Sounds", "System")
KEY_PATH = "Software\\Unreal Technology\\Installed Apps\\UnrealTournament"
WOW_KEY_PATH = "Software\\Wow6432Node\\Unreal Technology\\Installed Apps\\UnrealTournament"


def reg_escape(text):
    """A text as Wine writes it between quotes in a registry file."""
    out = []
    for ch in text:
        if ch in '\\"':
            out.append("\\" + ch)
        elif ord(ch) > 127:
            out.append("\\x%04x" % ord(ch))
        else:
            out.append(ch)
    return "".join(out)


def write_prefix(prefix, folder=None, win64=True, with_key=True):
    """A Wine prefix with drive C: and, unless with_key is false, the game's
    installation entry naming `folder` (a Windows path; None for no value)."""
    if os.path.exists(prefix):
        shutil.rmtree(prefix)
    os.makedirs(os.path.join(prefix, "dosdevices"))
    os.makedirs(os.path.join(prefix, "drive_c"))
    os.symlink("../drive_c", os.path.join(prefix, "dosdevices", "c:"))
    lines = ["WINE REGISTRY Version 2", ";; All keys relative to \\\\Machine", "",
             "#arch=win64" if win64 else "#arch=win32", ""]
    if with_key:
        key = WOW_KEY_PATH if win64 else KEY_PATH
        lines.append("[%s] 1733500000" % key.replace("\\", "\\\\"))
        lines.append("#time=1db47c1a2b3c4d5")
        if folder is not None:
            lines.append('"Folder"="%s"' % reg_escape(folder))
        lines.append('"Version"="436"')
        lines.append("")
    with open(os.path.join(prefix, "system.reg"), "w", encoding="ascii") as f:
        f.write("\n".join(lines) + "\n")


def make_game(game_dir):
    for name in GAME_FOLDERS + ("Cache",):
        os.makedirs(os.path.join(game_dir, name), exist_ok=True)


def cache_key(name, salt=""):
    return hashlib.md5((salt + name).encode("utf-8", "surrogateescape")).hexdigest().upper()


def add_cache_file(game_dir, key, size, when):
    """Cache/<key>.uxx of `size` bytes (sparse), created at `when` (UTC) as
    far as the program can tell: its modification time is set back."""
    path = os.path.join(game_dir, "Cache", key + ".uxx")
    with open(path, "wb") as f:
        f.truncate(size)
    stamp = when.replace(tzinfo=datetime.timezone.utc).timestamp()
    os.utime(path, ns=(int(stamp * 1e9), int(round(stamp * 1000)) * 1000000))
    return path


def write_index(game_dir, entries):
    """cache.ini as the game writes it: [Cache], then key=name lines, CR LF.
    `entries` are (key, name) pairs; names are bytes or text."""
    data = b"[Cache]\r\n"
    for key, name in entries:
        if isinstance(name, str):
            name = name.encode("utf-8")
        data += key.encode("ascii") + b"=" + name + b"\r\n"
    with open(os.path.join(game_dir, "Cache", "cache.ini"), "wb") as f:
        f.write(data)


def utc(text):
    return datetime.datetime.strptime(text, "%Y-%m-%d %H:%M:%S.%f")
