"""What a screen reader hears of vorpane's list, through AT-SPI: its rows,
the selected ones (the table's selection and each row's own state), the
caret (the row with the focus) and whether the list has the focus; and
whether each change of the selection was announced."""

import os
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

import xsession  # noqa: E402


class ScreenReader:
    def __init__(self, env):
        # Atspi finds the accessibility bus through these, once.
        for name in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
            os.environ[name] = env[name]
        Atspi.init()
        # A command keeps the window busy while the game writes beside it:
        # an answer may take seconds, not Atspi's 0.8.
        Atspi.set_timeout(20000, 20000)
        self.announced = 0
        self.listener = Atspi.EventListener.new(self._on_selection_changed)
        self.listener.register("object:selection-changed")
        self.table = None
        self.heard = None

    def _on_selection_changed(self, event):
        self.announced += 1

    def attach(self, pid):
        """Finds the list of the program `pid` once its window shows."""
        self.table, self.heard = None, None
        self.table = xsession.wait_until(lambda: self._find_table(pid), 20, "the list over AT-SPI")

    def _find_table(self, pid):
        return _find(_app(pid), Atspi.Role.TABLE)

    def alert_text(self, pid):
        """The texts of the alert the program `pid` shows, once it has any."""
        return xsession.wait_until(lambda: " ".join(
            a.get_name() for a in _under(_find(_app(pid), Atspi.Role.ALERT))), 10, "an alert")

    def hear(self):
        """Rows, selected rows, caret row and focus, as read now."""
        context = GLib.MainContext.default()
        while context.iteration(False):
            pass
        table = self.table
        rows = Atspi.Table.get_n_rows(table)
        states = [Atspi.Table.get_accessible_at(table, r, 0).get_state_set() for r in range(rows)]
        selected = sorted(Atspi.Table.get_selected_rows(table))
        marked = [r for r, s in enumerate(states) if s.contains(Atspi.StateType.SELECTED)]
        if marked != selected or Atspi.Selection.get_n_selected_children(table) != len(selected):
            raise AssertionError("the table's selection %r, its rows' own %r" % (selected, marked))
        carets = [r for r, s in enumerate(states) if s.contains(Atspi.StateType.FOCUSED)]
        focused = table.get_state_set().contains(Atspi.StateType.FOCUSED)
        names = [Atspi.Table.get_accessible_at(table, r, 0).get_name() for r in range(rows)]
        return (table.get_role(), names, selected, carets[0] if len(carets) == 1 else carets,
                focused)

    def expect(self, caret, selected, rows=None):
        """Waits until the list, focused, is heard with `caret` and
        `selected` (and `rows`: their number, or texts each row's name holds
        in turn); a changed selection must be announced."""
        before, announced = self.heard, self.announced

        def heard():
            now = self.hear()
            self.heard = now
            role, names, sel, at, focused = now
            changed = before is not None and sel != before[2]
            heard_rows = (rows is None or rows == len(names) or isinstance(rows, list)
                          and len(rows) == len(names) and all(map(str.__contains__, names, rows)))
            return (role == Atspi.Role.TABLE and heard_rows and sel == selected
                    and at == (caret if caret is not None else []) and focused
                    and (not changed or self.announced > announced))
        try:
            xsession.wait_until(heard, 10, "caret %r, selection %r" % (caret, selected))
        except TimeoutError:
            raise AssertionError("heard (role, row names, selection, caret, focus) %r, announced %d"
                                 " times; wanted caret %r, selection %r" % (
                                     self.heard, self.announced - announced, caret, selected))
        time.sleep(0.05)


def _app(pid):
    desktop = Atspi.get_desktop(0)
    apps = [desktop.get_child_at_index(i) for i in range(desktop.get_child_count())]
    return next((app for app in apps if app is not None and app.get_process_id() == pid), None)


def _under(accessible, depth=0):
    """`accessible` and every accessible under it, but not into tables."""
    if accessible is None or depth > 12:
        return
    yield accessible
    if accessible.get_role() != Atspi.Role.TABLE:
        for i in range(accessible.get_child_count()):
            yield from _under(accessible.get_child_at_index(i), depth + 1)


def _find(accessible, role):
    """The first accessible of `role` under `accessible`."""
    return next((a for a in _under(accessible) if a.get_role() == role), None)
