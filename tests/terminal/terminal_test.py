#!/usr/bin/env python3
"""The console at a terminal, driven through a pseudo-terminal: history kept
between starts, Tab completion, Ctrl-C at the prompt and during a run, the
progress line; and a batch run stopped by SIGTERM with stderr not a terminal.

Usage: terminal_test.py CELVANE_BINARY
"""
import fcntl
import json
import os
import pty
import resource
import re
import select
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time

BINARY = os.path.abspath(sys.argv[1])
TIMEOUT = 20.0

NETWORK = """create network lan
put parameter network lan "Path" string 1 1 "out/" "Path" SHOW
create block lan T1 "ATM B-TE" terminal
create block lan Uplink "ATM B-TE" terminal
create block lan A1 "ATM Generic Application" sender
create block lan A2 "ATM Generic Application" receiver
connect block lan T1 Uplink CB_PHYSICAL_LAYER
connect block lan A1 T1 app
connect block lan A2 Uplink app
create vcc lan v1 CBR 32000000 T1
connect vcc block lan v1 Uplink T1
create link lan v1 T1 Uplink 1 100
put parameter layer lan A1 CBR_TS "Number of bytes to be sent" double 1 1 1e15 "Number of bytes to be sent" SHOW
create dc lan d1 A1 A2
"""

ANSI = re.compile(rb"\x1b\[[0-9;?]*[A-Za-z]|\x1b[()][0-9A-Za-z]|\x1b[=>]|\r|\x07|\x08")


class Terminal:
    """One run of the program with a pseudo-terminal as its console."""

    def __init__(self, args, cwd, home):
        pid, fd = pty.fork()
        if pid == 0:
            os.chdir(cwd)
            env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home,
                   "TERM": "xterm", "LANG": "C.UTF-8"}
            os.execve(BINARY, [BINARY] + args, env)
        self.pid, self.fd = pid, fd
        fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 200, 0, 0))
        self.raw = b""
        self.seen = 0  # expect() looks past this point of the plain text

    def text(self):
        return ANSI.sub(b"", self.raw).decode("utf-8", "replace")

    def _read(self, deadline):
        ready, _, _ = select.select([self.fd], [], [], max(0.0, deadline - time.time()))
        if ready:
            try:
                chunk = os.read(self.fd, 65536)
            except OSError:
                chunk = b""
            if not chunk:
                return False
            self.raw += chunk
        return True

    def expect(self, pattern, what=None):
        deadline = time.time() + TIMEOUT
        regex = re.compile(pattern)
        while True:
            m = regex.search(self.text(), self.seen)
            if m:
                self.seen = m.end()
                return m
            if time.time() > deadline or not self._read(deadline):
                raise AssertionError("never saw %s; the screen had:\n%s"
                                     % (what or repr(pattern), self.text()[-3000:]))

    def send(self, data):
        os.write(self.fd, data.encode() if isinstance(data, str) else data)

    def command(self, line):
        """Types a line and waits for the next prompt."""
        self.send(line + "\r")
        self.expect(re.escape(line) + r"[\s\S]*\n>", "the prompt after " + line)

    def quit(self):
        self.send("quit\r")
        check(self.wait() == 0, "quit should end with status 0")

    def wait(self):
        deadline = time.time() + TIMEOUT
        while time.time() < deadline:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                os.close(self.fd)
                return os.waitstatus_to_exitcode(status)
            self._read(time.time() + 0.1)
        os.kill(self.pid, signal.SIGKILL)
        raise AssertionError("the program did not end")


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def check_ended_whole(work):
    """The files of an interrupted run are complete and say it was interrupted."""
    with open(os.path.join(work, "out", "lan_end.dat")) as f:
        check(len(f.read().splitlines()) == 2, "the end-of-run file is incomplete")
    with open(os.path.join(work, "out", "lan_run.json")) as f:
        r = json.load(f)
    check(r["interrupted"] is True and r["events"] > 0 and r["end_time"] == 1000
          and r["time_reached"] < 1000, "the run record does not say it was interrupted: %s" % r)


def history_and_completion(work, home):
    t = Terminal([], work, home)
    t.expect(r"\n>", "the first prompt")
    t.command("create network lan")
    t.quit()
    history = os.path.join(home, ".celvane_history")
    check(os.path.exists(history), "no history file in the home folder")

    t = Terminal(["net.txt"], work, home)
    t.expect(r"\n>", "the first prompt")
    # The up arrow brings back the lines typed in the previous session.
    t.send("\x1b[A")
    t.expect(r"quit", "the last line of the previous session")
    t.send("\x1b[A")
    t.expect(r"create network lan", "the recalled line")
    t.send("\r")
    t.expect(r"network already exists", "the recalled command run again")
    # Tab completes a block name (the only one starting with "Up").
    t.send("show block lan Up\t")
    t.expect(r"Uplink", "the completed block name")
    t.send("\r")
    t.expect(r'"lan" "Uplink" "ATM B-TE" "ATM Equipment"', "show block of the completed name")
    # Tab completes command words too.
    t.send("disc\t")
    t.expect(r"disconnect", "the completed command word")
    # Ctrl-C at the prompt drops the line being typed.
    t.send("\x03")
    t.expect(r"\^C\n>", "a new prompt after Ctrl-C")
    t.send("show block lan T1\r")
    t.expect(r'"lan" "T1" "ATM B-TE"', "a clean line after Ctrl-C")
    t.quit()


def interrupted_run(work, home):
    t = Terminal(["net.txt"], work, home)
    t.expect(r"\n>", "the first prompt")
    t.send("run lan 1000\r")
    t.expect(r"run: +[0-9.]+% of the simulated time, [0-9.e+]+ events/s, [0-9:]+ left",
             "the progress line")
    t.send("\x03")
    t.expect(r"run of \"lan\" interrupted at time [0-9.e+]+ s of 1000 s",
             "the interruption report")
    t.expect(r"\n>", "the prompt after the run")
    t.send("show network lan\r")
    t.expect(r'"lan" "A2" "ATM Generic Application"', "the network still there")
    t.quit()
    check_ended_whole(work)


def batch_terminated(work):
    with open(os.path.join(work, "run.txt"), "w") as f:
        f.write("load net.txt\nrun lan 1000\nshow network lan\n")
    out = open(os.path.join(work, "batch.out"), "w")
    p = subprocess.Popen([BINARY, "--batch", "run.txt"], cwd=work, stdin=subprocess.DEVNULL,
                         stdout=out, stderr=subprocess.PIPE)
    perf = os.path.join(work, "out", "lan_perf.dat")
    deadline = time.time() + TIMEOUT
    while not (os.path.exists(perf) and os.path.getsize(perf) > 0) and time.time() < deadline:
        time.sleep(0.05)  # until the run is under way
    time.sleep(1.2)  # past the second after which a terminal would show progress
    p.send_signal(signal.SIGTERM)
    _, err = p.communicate(timeout=TIMEOUT)
    err = err.decode()
    check(p.returncode == 130, "batch run ended by SIGTERM: status %d, not 130" % p.returncode)
    check("interrupted at time" in err, "no interruption report on stderr: " + err)
    check("%" not in err and "\r" not in err, "progress written to a stderr that is no terminal")
    with open(os.path.join(work, "batch.out")) as f:
        check("Numero de Eventos Processados" in f.read(), "the run report was not finished")
    check_ended_whole(work)
    with open(os.path.join(work, "out", "lan_perf.dat")) as f:
        check(f.read().endswith("\n"), "the performance file ends mid-line")


def file_size_limit(work, home):
    """Past the file-size limit a run loses that one file, not the program."""
    with open(os.path.join(work, "run.txt"), "w") as f:
        f.write('load net.txt\nput parameter network lan "Simulation log status" string 1 1 ON '
                '"Kernel file log status" SHOW\nrun lan 0.01\n')
    limit = lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (8192, 8192))
    p = subprocess.run([BINARY, "--batch", "run.txt"], cwd=work, stdin=subprocess.DEVNULL,
                       capture_output=True, preexec_fn=limit, timeout=TIMEOUT)
    check(p.returncode == 0, "status %d under a file-size limit" % p.returncode)
    check(b"cannot write the file" in p.stdout, "the cut event log was not reported")
    with open(os.path.join(work, "out", "lan_run.json")) as f:
        check(json.load(f)["events"] > 0, "no run record")


def main():
    passed = failed = 0
    for name, test in [("history_and_completion", history_and_completion),
                       ("interrupted_run", interrupted_run),
                       ("batch_terminated", lambda w, h: batch_terminated(w)),
                       ("file_size_limit", file_size_limit)]:
        with tempfile.TemporaryDirectory(prefix="celvane-tty-") as root:
            work, home = os.path.join(root, "work"), os.path.join(root, "home")
            os.makedirs(work)
            os.makedirs(home)
            with open(os.path.join(work, "net.txt"), "w") as f:
                f.write(NETWORK)
            try:
                test(work, home)
                passed += 1
                print("ok", name)
            except Exception as e:  # report every case, then fail
                failed += 1
                print("FAILED", name + ":", e)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
