#!/usr/bin/python3
"""Drives the real quimbo on a bare X server (Xvfb) as a user would, with
xdotool: the strip with the label at the top right of the screen, a click
that opens the panel below it and a click outside that closes it, SIGTERM
while the X server does not answer, the panel scrolled as a whole at a
scale of 2, and Çıkış. The panel's border, dividers and bars are read off
the screen at each scale. Trays are tried in hosts.py.

    tests/e2e/desktop.py QUIMBO MACHINE-FILE
"""

import itertools
import os
import signal
import sys

from harness import check, ends, machine, main, read, wait_for, write, xvfb

QUIMBO, MACHINE = os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2])
WIDTH, HEIGHT = 800, 600


def quimbo(run, x, machine_file, **env):
    """quimbo on the X server, and its strip: (process, strip's geometry)."""
    process = run.start([QUIMBO], log="quimbo.log", QUIMBO_FRONTEND="desktop", QUIMBO_SMC_SIM=machine_file,
                        DISPLAY=x.display, XDG_RUNTIME_DIR=run.work, DBUS_SESSION_BUS_ADDRESS=None, **env)
    return process, wait_for("no strip window", lambda: x.visible("Quimbo"))


def open_panel(x, strip):
    sx, sy, sw, sh = strip
    panel = x.panel_opens("a click on the strip", lambda: x.click(sx + sw // 2, sy + sh // 2))
    check(panel[1] == sy + sh, "the panel at %s, not right below the strip at %s" % (panel, strip))
    return panel


def box(window):
    return window[:2] + (window[0] + window[2], window[1] + window[3])


def lines(x, panel):
    """What a person would look for, read off the screen: "framed" when the
    panel's outermost pixels are all of one colour that its inside lacks,
    then, top to bottom, "|" for each divider (rows of that colour across
    the middle) and "=" for each progress bar (white rows in its empty part)."""
    image = x.settled(box(panel))
    width, height = image.size
    pixel = image.load()
    edge = pixel[0, 0]
    sides = [(x_, y) for x_ in (0, width - 1) for y in range(height)]
    sides += [(x_, y) for y in (0, height - 1) for x_ in range(width)]
    framed = all(pixel[p] == edge for p in sides) and pixel[4, height // 2] != edge

    def mark(y):
        if all(pixel[x_, y] == edge for x_ in range(width * 3 // 10, width * 7 // 10)):
            return "|"
        return "=" if pixel[width * 11 // 20, y] == (255, 255, 255) else ""
    # Past the border's own rows, two at a scale of 2; one mark for each run of rows.
    marks = "".join(m for m, _ in itertools.groupby(map(mark, range(2, height - 2))))
    return ("framed " if framed else "unframed ") + marks


def press_quit(x, panel, process, scale=1):
    # The button sits at the bottom right, inside the 12-point padding.
    x.click(panel[0] + panel[2] - scale * (12 + 30), panel[1] + panel[3] - scale * (12 + 12))
    ends(process, "exit 0", "Çıkış")


def strip_and_panel(run):
    x = xvfb(run, WIDTH, HEIGHT)
    copy, trace = run.path("machine"), run.path("trace")
    write(copy, read(MACHINE))
    process, strip = quimbo(run, x, copy, QUIMBO_SMC_TRACE=trace)
    check(strip[1] == 0 and strip[0] + strip[2] == WIDTH and strip[2] > 60, "the strip at %s" % (strip,))
    panel = open_panel(x, strip)
    check(panel[2] == 260 and panel[3] > 300, "the panel is %dx%d" % panel[2:])
    check(lines(x, panel) == "framed |==||", "the panel shows %r, not its border, three dividers and two bars"
          % lines(x, panel))
    x.panel_closes("a click outside", lambda: x.click(100, 500))
    # Once a pass has read the new speed (3333.0 as the SMC's float: 00 50 50 45),
    # the label's repaint waits on the stopped server.
    x.server.send_signal(signal.SIGSTOP)
    write(copy, machine(MACHINE, F1Ac='"flt " = 3333'))
    wait_for("no pass read the new speed", lambda: "00505045" in read(trace))
    process.send_signal(signal.SIGTERM)
    ends(process, "exit 143", "SIGTERM with the X server stopped", patience=2)
    x.server.send_signal(signal.SIGCONT)


def scrolled(run):
    x = xvfb(run, WIDTH, HEIGHT)
    process, strip = quimbo(run, x, MACHINE, QT_SCALE_FACTOR="2")
    panel = open_panel(x, strip)
    check(panel[1] + panel[3] <= HEIGHT and panel[3] > 400, "at a scale of 2 the panel is at %s" % (panel,))
    check(lines(x, panel) == "framed |==|", "at a scale of 2 the panel shows %r" % lines(x, panel))
    x.click(panel[0] + panel[2] // 2, panel[1] + panel[3] // 2, "--repeat", 5, 5)  # the wheel
    check(lines(x, panel) == "framed |==||", "scrolled at a scale of 2: %r" % lines(x, panel))
    press_quit(x, panel, process, 2)


main([
    ("the strip at the top right, the panel below it with its border, dividers and bars, closed by a click"
     " outside; SIGTERM ends quimbo within 2 seconds while the X server is stopped", strip_and_panel),
    ("at a scale of 2 on a screen 600 high the panel scrolls as a whole, both fans whole, then to Çıkış, which"
     " ends quimbo", scrolled),
])
