"""What the end-to-end scripts share: a scratch folder for each check and
the programs started in it, waits with a generous deadline, how a program
ended, a real pseudo-terminal read through a terminal emulator (pyte), X
servers (Xvfb) driven with xdotool and read back as pictures, hwmon trees,
machine files and the trace.

A script lists its checks, each a function of a Run, and hands them to main().
"""

import fcntl
import os
import re
import resource
import select
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import termios
import time
import traceback

import pyte

LIMITS = {resource.RLIMIT_CORE: "core", resource.RLIMIT_FSIZE: "fsize", resource.RLIMIT_NOFILE: "nofile"}
# What the session the tests run in says of its own desktop: a program on a
# display of the check's own is started without it (None removes a variable),
# so that nothing of it reaches the desktop beside.
BESIDE = dict.fromkeys(("DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK", "I3SOCK", "QT_QPA_PLATFORM",
                        "XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE", "DBUS_SESSION_BUS_ADDRESS", "XAUTHORITY"))
PATIENCE = 30.0  # seconds: a busy machine is slow, a broken program never gets there
LAPTOP_HWMON = {"coretemp": {"temp1_input": 61500, "temp1_label": "Package id 0"},
                "thinkpad": {"fan1_input": 1500}}  # the label reads "61° · 1500"
# A sampling pass opens with the key-information exchange (command 9) for FNum.
PASS = re.compile(r"^\d+ 2 6d754e46.{76}09", re.M)


class Failed(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failed(what)


def wait_for(what, condition, patience=PATIENCE):
    """The first true value of condition(), or a failure naming `what`."""
    deadline = time.monotonic() + patience
    while not (value := condition()):
        if time.monotonic() > deadline:
            raise Failed(what)
        time.sleep(0.05)
    return value


def ending(process):
    """How a process ended: "exit N", "killed by SIGNAME", or "running"."""
    code = process.poll()
    if code is None:
        return "running"
    return "killed by " + signal.Signals(-code).name if code < 0 else "exit %d" % code


def ends(process, expected, what="", patience=PATIENCE, meanwhile=lambda: None):
    """Waits for the process to end, doing meanwhile() as it waits, and checks
    how it ended unless `expected` is None."""
    wait_for("%s: still running" % what, lambda: (meanwhile(), process.poll() is not None)[1], patience)
    check(expected in (None, ending(process)), "%s: %s, not %s" % (what, ending(process), expected))


def stat(pid):
    """The process's state letter and the CPU ticks it used; a zombie too."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return fields[0], int(fields[11]) + int(fields[12])


def read(path):
    try:
        with open(path, errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def write(path, text):
    """Replaces the file whole, as an editor that renames does."""
    with open(path + ".new", "w") as f:
        f.write(text)
    os.rename(path + ".new", path)


def machine(source, **keys):
    """The machine file's text, each given key's line ending in its new value."""
    lines = [line.split(" ", 1) for line in read(source).splitlines()]
    return "".join("%s %s\n" % (line[0], keys[line[0]]) if line[0] in keys else " ".join(line) + "\n"
                   for line in lines)


def passes(trace):
    """The sampling passes the trace holds."""
    return len(PASS.findall(read(trace)))


def hwmon(root, chips, first=0):
    """A hwmon class folder laid out as sysfs lays it out, hwmon0, hwmon1...
    in the order given: ROOT/class/hwmon/hwmonN links to hwmon/hwmonN of a
    platform device under ROOT/devices, and hwmonN/device links back to it.
    Each chip's files go into hwmonN/, with `name`. Chips added to a tree
    that is there already start at hwmon`first`. Returns the class folder."""
    classes = os.path.join(root, "class", "hwmon")
    os.makedirs(classes, exist_ok=True)
    for n, (name, files) in enumerate(chips.items(), first):
        device = os.path.join(root, "devices", "platform", "%s.%d" % (name, n))
        folder = os.path.join(device, "hwmon", "hwmon%d" % n)
        os.makedirs(folder)
        os.symlink(os.path.relpath(device, folder), os.path.join(folder, "device"))
        os.symlink(os.path.relpath(folder, classes), os.path.join(classes, "hwmon%d" % n))
        for file, value in dict(files, name=name).items():
            with open(os.path.join(folder, file), "w") as f:
                f.write("%s\n" % value)
    return classes


# By default every change of the signal mask 0.2 s slower: signals that
# follow the first come while a program gives its signals back as it ends.
def tampered(tampering="rt_sigprocmask:delay_enter=200000"):
    """The start of a command line that runs a program under strace, its
    system calls tampered with as `tampering` says ("write:signal=KILL").
    Run.start turns leak checks off for it: they cannot run under a tracer."""
    return ["strace", "-f", "-o", "/dev/null", "-e", "trace=" + tampering.split(":")[0], "-e", "inject=" + tampering]


def signal_until_ended(process, number):
    """Sends signal `number`, 5 ms apart, until the process ends, at most 100
    times: to the program itself, also where strace runs it."""
    pid = process.pid
    if process.program == "strace":
        with open("/proc/%d/task/%d/children" % (pid, pid)) as children:
            pid = int(children.read().split()[0])
    for _ in range(100):
        if process.poll() is not None:
            return
        try:
            os.kill(pid, number)
        except ProcessLookupError:
            return
        time.sleep(0.005)
# What a confined process is asked, in each of its threads, by gdb attached
# to it: each call's result printed with errno after it. The paths are
# written into a page of its own, mapped for the probe: a string given to a
# call gdb would copy into memory it takes from malloc and never gives back,
# which LeakSanitizer would report. connect() is called through a plain
# prototype: glibc declares its address a transparent union, which gdb
# would pass by value.
PROBES = """set $page = (char*)mmap(0, 4096, 3, 0x22, -1, 0)
%(strings)s
define probe
  set $fd = (int)open($page, 0)
  printf "allowed %%d %%d\\n", $fd, *(int*)__errno_location()
  call (int)close($fd)
  printf "home %%d %%d\\n", (int)open($page + 1024, 0), *(int*)__errno_location()
  printf "tmp %%d %%d\\n", (int)open($page + 2048, 0101, 0600), *(int*)__errno_location()
  set $socket = (int)socket(2, 1, 0)
  printf "tcp %%d %%d\\n", ((int (*)(int, const void*, unsigned))connect)($socket, $page + 3072, 16), *(int*)__errno_location()
  call (int)close($socket)
  printf "exec %%d %%d\\n", (int)execve($page + 3584, 0, 0), *(int*)__errno_location()
end
thread apply all probe
call (int)munmap($page, 4096)
"""


def confined(pid, allowed, what):
    """Asks every thread of the running process `pid`, from inside it (gdb
    attached, calling the C library), what it may still do: it opens
    `allowed`, but no file under $HOME, creates none in /tmp, connects to no
    TCP port (one that listens on 127.0.0.1) and executes nothing, each
    refused with EACCES as Landlock refuses."""
    home = tempfile.mkdtemp(prefix="quimbo-home-", dir=os.path.expanduser("~"))
    tmp = "/tmp/quimbo-probe-%d" % pid
    try:
        with open(os.path.join(home, "secret"), "w") as f:
            f.write("secret\n")
        os.chmod(home, 0o755)
        with socket.socket() as listening:
            listening.bind(("127.0.0.1", 0))
            listening.listen()
            address = struct.pack("=H", socket.AF_INET) + struct.pack("!H", listening.getsockname()[1]) \
                + socket.inet_aton("127.0.0.1") + bytes(8)
            strings = {0: allowed.encode(), 1024: os.path.join(home, "secret").encode(), 2048: tmp.encode(),
                       3072: address, 3584: b"/bin/true"}
            with open(os.path.join(home, "probes.gdb"), "w") as f:
                f.write(PROBES % dict(strings="\n".join('set {char[%d]}($page + %d) = "%s"' % (
                    len(text) + 1, at, "".join("\\%03o" % b for b in text)) for at, text in strings.items())))
            done = subprocess.run(["gdb", "-nx", "-batch", "-p", str(pid), "-x", f.name], capture_output=True,
                                  text=True, timeout=120, env=dict(os.environ, DEBUGINFOD_URLS=""))
    finally:
        shutil.rmtree(home)
        written = os.path.exists(tmp)
        if written:
            os.unlink(tmp)
    answers = re.findall(r"^(allowed|home|tmp|tcp|exec) (-?\d+) (\d+)$", done.stdout, re.M)
    for name, result, error in answers:
        expected = (name == "allowed") == (int(result) >= 0) and (name == "allowed" or int(error) == 13)
        check(expected, "%s, a thread's %s: %s (errno %s)" % (what, name, result, error))
    check(not written, "%s: wrote %s" % (what, tmp))
    # A thread of Qt's pool that ends meanwhile answers nothing.
    threads = len(re.findall(r"^Thread \d+ \(", done.stdout, re.M)) - done.stdout.count(") exited]")
    check(threads > 0 and len(answers) >= 5 * threads and len(answers) % 5 == 0, "%s: gdb asked %d of %d threads:\n%s"
          % (what, len(answers) // 5, threads, done.stdout[-2000:] + done.stderr[-2000:]))


class Run:
    """One check's scratch folder and the programs it started, ended with it."""

    def __init__(self, work):
        self.work, self.processes, self.terminals = work, [], []
        os.makedirs(work, mode=0o700, exist_ok=True)

    def path(self, name):
        return os.path.join(self.work, name)

    def start(self, args, log=None, limits=(), ignore=(), controlled=False, popen=None, **env):
        """A program with these variables added (None removes one), its
        output appended to `log` in the scratch folder; `limits` are pairs
        of a resource and its limit, `ignore` signals ignored from the start,
        `controlled` makes standard input the controlling terminal of a new
        session. These are set by prlimit, setsid and env, each of which
        execs the next, never by Python in the child (preexec_fn), which is
        unsafe once threads run, as GDBus's do."""
        wrapper = []
        if limits:
            wrapper += ["prlimit", *("--%s=%d" % (LIMITS[limit], value) for limit, value in limits), "--"]
        if controlled:  # not a group leader yet, so setsid(1) does not fork
            wrapper += ["setsid", "--ctty", "--"]
        if ignore:
            wrapper += ["env", *("--ignore-signal=%d" % number for number in ignore), "--"]
        if args[0] == "strace":  # LeakSanitizer cannot stop the threads of a traced process
            env = dict(env, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")
        environment = {k: v for k, v in dict(os.environ, **env).items() if v is not None}
        out = open(self.path(log), "a") if log else None
        options = dict(stdout=out, stderr=subprocess.STDOUT) if out else {}
        process = subprocess.Popen(wrapper + list(args), env=environment, **options, **(popen or {}))
        process.program = args[0]
        if out:
            out.close()
        self.processes.append(process)
        return process

    def terminal(self, args, rows=24, cols=80, shows=None, **options):
        """quimbo's terminal front end on a terminal of its own, in C.UTF-8
        with no display, once it shows `shows`."""
        terminal = Terminal(self, args, rows, cols, **dict(dict(
            LANG="C.UTF-8", TERM="xterm-256color", QUIMBO_FRONTEND="terminal", DISPLAY=None, WAYLAND_DISPLAY=None),
            **options))
        self.terminals.append(terminal)
        if shows:
            terminal.wait_for(shows)
        return terminal

    def close(self):
        """Ends the programs, last first: each has a few seconds to end on
        SIGTERM (an X server then takes its sockets away) before SIGKILL."""
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        for terminal in self.terminals:
            terminal.close()

    def report(self):
        for terminal in self.terminals:
            print("--- screen:\n" + terminal.text())
        for log in sorted(f for f in os.listdir(self.work) if f.endswith(".log")):
            print("--- %s:\n%s" % (log, read(self.path(log))[-3000:]))


def main(checks, make_run=Run):
    """Runs each (title, check) with a Run of its own (made by make_run from
    a scratch folder); exits 1 if any failed."""
    failures = 0
    with tempfile.TemporaryDirectory(prefix="quimbo-e2e-") as work:
        for n, (title, check_) in enumerate(checks):
            print("==", title, flush=True)
            run = make_run(os.path.join(work, str(n)))
            try:
                check_(run)
            except Exception as failure:  # a broken script is told as a failed check, and the next one runs
                print("FAIL:", failure if isinstance(failure, Failed) else traceback.format_exc(), flush=True)
                run.report()
                failures += 1
            finally:
                run.close()
    print("%d of %d checks failed" % (failures, len(checks)) if failures else "all checks passed")
    sys.exit(1 if failures else 0)


# The terminal

class Screen(pyte.Screen):
    """pyte's screen with the two scrolling commands it lacks, SU and SD,
    which curses uses to scroll part of the screen."""

    def scroll_up(self, count=1, *_):
        self._scroll(count, self.index, lambda margins: margins.bottom)

    def scroll_down(self, count=1, *_):
        self._scroll(count, self.reverse_index, lambda margins: margins.top)

    def _scroll(self, count, step, edge):
        row = self.cursor.y
        self.cursor.y = edge(self.margins or pyte.screens.Margins(0, self.lines - 1))
        for _ in range(count or 1):
            step()
        self.cursor.y = row


class Stream(pyte.ByteStream):
    csi = dict(pyte.ByteStream.csi, S="scroll_up", T="scroll_down")


CTRL_C, CTRL_BACKSLASH, CTRL_Z, CTRL_S, CTRL_Q = b"\x03", b"\x1c", b"\x1a", b"\x13", b"\x11"
END, ESCAPE = b"\x1bOF", b"\x1b"


class Terminal:
    """A program in a session of its own on a fresh pseudo-terminal, read
    through a terminal emulator. With `controlling`, the terminal is the
    session's controlling terminal, so its keys send signals and its
    hang-up sends SIGHUP; without, nothing does. `stderr` names a log file
    that takes standard error instead of the terminal."""

    def __init__(self, run, args, rows, cols, controlling=True, stderr=None, **start):
        self.master, slave = os.openpty()
        self.set_size(rows, cols)
        self.tty, self.initial_modes = os.ttyname(slave), termios.tcgetattr(slave)
        self.screen = Screen(cols, rows)
        self.stream, self.output = Stream(self.screen), bytearray()
        err = open(run.path(stderr), "w") if stderr else slave
        self.process = run.start(args, limits=((resource.RLIMIT_CORE, 0), *start.pop("limits", ())),
                                 controlled=controlling, popen=dict(
                                     stdin=slave, stdout=slave, stderr=err, start_new_session=not controlling),
                                 **start)
        os.close(slave)
        if stderr:
            err.close()

    def set_size(self, rows, cols):
        fcntl.ioctl(self.master, termios.TIOCSWINSZ, struct.pack("HHHH", rows, cols, 0, 0))

    def resize(self, rows, cols):
        self.set_size(rows, cols)  # the kernel sends SIGWINCH
        self.screen.resize(rows, cols)
        self.screen.reset()  # what shows from here on is painted anew

    def send(self, data):
        os.write(self.master, data)

    def click(self, row, col, button=0):
        self.send(b"\x1b[<%d;%d;%dM" % (button, col + 1, row + 1))

    def hang_up(self):
        os.close(self.master)
        self.master = None

    def close(self):
        if self.master is not None:
            self.pump()
            self.hang_up()

    def modes(self, new=None):
        """The terminal's modes, after setting them to `new` if given."""
        fd = os.open(self.tty, os.O_RDWR | os.O_NOCTTY)
        try:
            if new:
                termios.tcsetattr(fd, termios.TCSANOW, new)
            return termios.tcgetattr(fd)
        finally:
            os.close(fd)

    def raw(self):
        return not self.modes()[3] & (termios.ICANON | termios.ECHO)

    def pump(self, timeout=0.02):
        """Feeds the emulator what the program wrote so far."""
        while self.master is not None and select.select([self.master], [], [], timeout)[0]:
            try:
                data = os.read(self.master, 65536)
            except OSError:  # the other end is closed: the program is gone
                return
            if not data:
                return
            self.output += data
            self.stream.feed(data)
            timeout = 0

    def text(self):
        self.pump()
        return "\n".join(self.screen.display)

    def shows(self, *texts):
        screen = self.text()
        return all(t in screen for t in texts)

    def wait_for(self, *texts):
        wait_for("never showed %r" % (texts,), lambda: self.shows(*texts))

    def private_mode(self, mode):
        """Whether the last DEC private mode sequence for `mode` set it."""
        state = None
        for params, action in re.findall(rb"\x1b\[\?([\d;]+)([hl])", bytes(self.output)):
            if str(mode).encode() in params.split(b";"):
                state = action == b"h"
        return state

    def ends(self, expected, what, patience=PATIENCE):
        ends(self.process, expected, what, patience, meanwhile=self.pump)
        self.pump()

    def given_back(self, what):
        """The terminal's modes as before, the cursor shown, mouse reporting
        off, the normal screen."""
        check(self.modes() == self.initial_modes, "%s: terminal modes not restored: %r" % (what, self.modes()))
        check(self.private_mode(25) is True, "%s: the cursor is still hidden" % what)
        check(not self.private_mode(1000), "%s: mouse reporting is still on" % what)
        check(not self.private_mode(1049), "%s: still on the alternate screen" % what)


# X servers

def xvfb(run, width, height):
    """A bare X server on a free display, once it takes clients."""
    read_end, write_end = os.pipe()
    server = run.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
                        "-nolisten", "tcp", "-noreset"], log="xvfb.log", popen=dict(pass_fds=(write_end,)))
    os.close(write_end)
    with os.fdopen(read_end) as display:
        x = X(":" + display.readline().strip())
    check(x.display != ":", "Xvfb did not start")
    x.server = server
    return x


class X:
    """An X server's windows, through xdotool."""

    def __init__(self, display):
        self.display = display

    def run(self, *args):
        done = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True,
                              env=dict(os.environ, DISPLAY=self.display))
        return done.stdout.split() if done.returncode == 0 else []

    def visible(self, title):
        """The geometry (x, y, width, height) of the visible window so named."""
        found = self.run("search", "--onlyvisible", "--name", "^%s$" % title)
        values = dict(v.split("=") for v in self.run("getwindowgeometry", "--shell", found[0])) if found else {}
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")) if values else None

    def click(self, x, y, *how):
        self.run("mousemove", x, y, "click", *(how or (1,)))

    def shot(self, box=None):
        from PIL import ImageGrab
        image = ImageGrab.grab(xdisplay=self.display).convert("RGB")
        return image.crop(box) if box else image

    def settled(self, box):
        """The picture in the box once two a moment apart agree."""
        last = [None]

        def same():
            image = self.shot(box)
            same, last[0] = image.tobytes() == last[0], image.tobytes()
            return image if same else None
        return wait_for("the picture does not settle", same)

    def panel_opens(self, what, click):
        click()
        return wait_for("%s: no panel" % what, lambda: self.visible("Quimbo panel"))

    def panel_closes(self, what, click):
        click()
        wait_for("%s: the panel stayed open" % what, lambda: not self.visible("Quimbo panel"))
