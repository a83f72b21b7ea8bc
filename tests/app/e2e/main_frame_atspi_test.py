#!/usr/bin/python3
"""The main frame read as a screen reader reads it: the tray program runs on a display of its
own (Xvfb) and a private session bus (dbus-run-session) with Qt's accessibility bridge on, over a month of
calls written with orvanta-cli. Through AT-SPI the frame must show one table whose column
headers are the list titles and whose rows hold the cells of `orvanta-cli calls list`, and text
fields named by the sums captions holding what `orvanta-cli calls sums` prints.

usage: main_frame_atspi_test.py ORVANTA ORVANTA_CLI
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# The export's field widths of the default columns (kind, start, connected, price, entry).
WIDTHS = [25, 25, 15, 12, 10]
# The English template's caption of each sums field.
CAPTIONS = {"3071": "Price:", "3072": "Calls:", "3079": "Days:", "3070": "Time:",
            "3068": "First call:", "3069": "Last call:", "3076": "Price per day:",
            "3077": "Calls per day:", "3075": "Time per day:"}


def fail(text):
    print("FAIL: " + text, file=sys.stderr)
    sys.exit(1)


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.get_child_count()):
        yield from walk(node.get_child_at_index(i), depth + 1)


def find_frame(process, timeout):
    """The accessible application of the program, once its main frame's table is there."""
    pid = process.pid
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if process.poll() is not None:
            fail("the program ended with %d before its main frame showed" % process.returncode)
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            try:
                if app is None or app.get_process_id() != pid:
                    continue
                for node in walk(app):
                    if node.get_role() in (Atspi.Role.TABLE, Atspi.Role.TREE_TABLE, Atspi.Role.TREE):
                        table = node.get_table_iface()
                        if table is not None and table.get_n_rows() > 0:
                            return app, node
            except GLib.Error:
                continue
        # The registry tells of new applications by events, which arrive through the main
        # context.
        end = time.monotonic() + 0.2
        while time.monotonic() < end:
            if not GLib.MainContext.default().iteration(False):
                time.sleep(0.02)
    seen = []
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None:
            seen.append("%s(%d): %s" % (app.get_name(), app.get_process_id(), ", ".join(
                "%s %r" % (n.get_role_name(), n.get_name()) for n in list(walk(app))[:200] if n.get_role_name() not in ("list item",))))
    fail("no table with rows in the program's windows within %d s; seen %s" % (timeout, seen))


def start_display():
    """A display server of our own on a display number it picks itself, so that tests running
    side by side never share one (two "xvfb-run -a" started together can pick the same)."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                               "1024x768x24", "-nolisten", "tcp"], pass_fds=(write_end,))
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as pipe:
        while not number.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                fail("the display server did not start")
            number += chunk
    os.environ["DISPLAY"] = ":" + number.decode().strip()
    return server


def main():
    program, cli = sys.argv[1], sys.argv[2]
    display = start_display()
    home = tempfile.mkdtemp(prefix="orvanta-atspi-")
    runtime = os.path.join(home, "run")
    os.mkdir(runtime, 0o700)
    env = dict(os.environ, ORVANTA_HOME=home, XDG_CONFIG_HOME=home + "/config",
               XDG_DATA_HOME=home + "/data", XDG_RUNTIME_DIR=runtime, ORVANTA_RAS="sim",
               QT_QPA_PLATFORM="xcb", LANG="C.UTF-8", TZ="Europe/Bratislava",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    env.pop("LC_ALL", None)
    env.pop("LC_MESSAGES", None)
    # Not the first run: the welcome box would wait for a click.
    subprocess.run([cli, "reg", "set", "HKCU\\Software\\Quorvex\\Orvanta", "@", "REG_SZ",
                    "Belvarro"], env=env, check=True)

    # A month of calls: two a day, every fifth never connected, two entries.
    path = subprocess.run([cli, "log", "path", "2024", "3"], env=env, check=True,
                          capture_output=True, text=True).stdout.strip()
    lines = []
    start = 1709280000  # 2024-03-01 09:00 in Bratislava
    for i in range(62):
        connected = 0 if i % 5 == 4 else 300 + i * 37
        kind = 1 if connected == 0 else 0
        entry = "Work ISP" if i % 2 == 0 else "Home ISP"
        lines.append("%d\t%d\t%d\t%d\t%s\t\talice\t%s\tmodem0\tmodem" % (
            kind, start + (i // 2) * 86400 + (i % 2) * 28800 + i * 60, connected,
            20 + i % 7, "%.2f" % (0.25 + (i % 9) * 0.5), entry))
    subprocess.run([cli, "log", "append", path], env=env, check=True,
                   input="\n".join(lines) + "\n", text=True)
    listed = subprocess.run([cli, "calls", "list"], env=env, check=True, capture_output=True,
                            text=True).stdout.split("\n")
    sums = subprocess.run([cli, "calls", "sums"], env=env, check=True, capture_output=True,
                          text=True).stdout.splitlines()

    first = subprocess.Popen([program], env=env)
    try:
        # Without a tray the program opens its main frame itself.
        app, table_node = find_frame(first, 60)
        table = table_node.get_table_iface()

        columns = table.get_n_columns()
        headers = []
        for c in range(columns):
            header = table.get_column_header(c)
            headers.append(header.get_name() if header is not None
                           else table.get_column_description(c))
        expected_headers = ["Kind", "Start", "Time online", "Price", "Entry"]
        if headers != expected_headers:
            fail("column headers %r, expected %r" % (headers, expected_headers))
        title_line = "".join(h.ljust(w) for h, w in zip(headers, WIDTHS))
        if listed[0] != title_line:
            fail("the CLI's title line %r differs from the headers' %r" % (listed[0], title_line))

        rows = []
        for r in range(table.get_n_rows()):
            cells = [table.get_accessible_at(r, c).get_name() for c in range(columns)]
            rows.append("".join(text.ljust(w) for text, w in zip(cells, WIDTHS)))
        expected_rows = [line for line in listed[2:] if line]
        if sorted(rows) != sorted(expected_rows):
            fail("%d table rows differ from the %d lines of calls list; first of ours %r, "
                 "first listed %r" % (len(rows), len(expected_rows), rows[:1], expected_rows[:1]))

        fields = {}
        for node in walk(app):
            if node.get_role() in (Atspi.Role.TEXT, Atspi.Role.ENTRY):
                text = node.get_text_iface()
                if text is not None:
                    fields[node.get_name()] = text.get_text(0, text.get_character_count())
        for line in sums:
            number, value = line.split("\t", 1)
            caption = CAPTIONS[number]
            if fields.get(caption) != value:
                fail("field %s named %r holds %r, calls sums says %r" % (
                    number, caption, fields.get(caption), value))
        print("ok: %d rows, %d columns, %d sums fields" % (len(rows), columns, len(sums)))
    finally:
        first.terminate()
        try:
            first.wait(timeout=20)
        except subprocess.TimeoutExpired:
            first.kill()
        shutil.rmtree(home, ignore_errors=True)
        display.terminate()
        display.wait(timeout=20)


if __name__ == "__main__":
    main()
