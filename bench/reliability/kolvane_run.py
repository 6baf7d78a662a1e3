"""Shared pieces of the reliability scripts: the real program (build/kolvane) on a simulated
TA (tools/ta-sim), in a temporary AppFolder. Nothing outside the repository is read."""

import os
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
PROGRAM = os.environ.get("KOLVANE_PROGRAM", os.path.join(TOP, "build", "kolvane"))
TA_SIM = os.path.join(TOP, "tools", "ta-sim")


def num(v):
    return (" %d " % v) if v >= 0 else ("%d " % v)


def quoted(t):
    return '"' + t + '"'


def settings_bytes(device):
    """A whole Kolvane.ini (21 lines, CR LF) whose TA is `device`."""
    lines = [num(0), num(0), num(0), num(20), quoted(""), num(0), num(1), num(200), num(200),
             num(0), num(0), "#FALSE#"] + [quoted("")] * 6 + [
        quoted(device), quoted("9600,n,8,1"), num(0)]
    return b"".join(l.encode("ascii") + b"\r\n" for l in lines)


class TaSim:
    def __init__(self, log_path="/dev/null"):
        self.proc = subprocess.Popen([sys.executable, TA_SIM, "--log", log_path],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.device = self.proc.stdout.readline().decode().strip()
        if not self.device:
            raise RuntimeError("ta-sim did not start")

    def send_line(self, line):
        self.proc.stdin.write(line.encode("latin-1") + b"\n")
        self.proc.stdin.flush()

    def call(self, number):
        self.send_line(number + " 0312349876")

    def raw(self, data):
        self.send_line("raw:" + data.hex())

    def stop(self):
        try:
            self.proc.stdin.close()
        except OSError:
            pass
        self.proc.terminate()
        self.proc.wait(10)


class Program:
    def __init__(self, folder, extra_env=None, preexec=None, args=()):
        env = dict(os.environ)
        env["QT_QPA_PLATFORM"] = "offscreen"
        env.update(extra_env or {})
        self.stderr = tempfile.TemporaryFile()
        self.proc = subprocess.Popen([PROGRAM, "--folder", folder, *args], env=env,
                                     stdout=subprocess.DEVNULL, stderr=self.stderr,
                                     preexec_fn=preexec)
        self.pid = self.proc.pid

    def peak_rss_kb(self):
        with open("/proc/%d/status" % self.pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        return -1

    def alive(self):
        return self.proc.poll() is None

    def terminate(self, timeout=30):
        if self.alive():
            self.proc.send_signal(signal.SIGTERM)
        return self.proc.wait(timeout)

    def kill9(self):
        self.proc.send_signal(signal.SIGKILL)
        self.proc.wait(10)

    def error_text(self):
        self.stderr.seek(0)
        return self.stderr.read().decode(errors="replace")


def wait_for(predicate, timeout, step=0.05):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


def stored_calls(db_path):
    """(履歴ID, 電番) of every stored call, through a read-only connection."""
    if not os.path.exists(db_path):
        return []
    c = sqlite3.connect("file:%s?mode=ro" % db_path, uri=True, timeout=5)
    try:
        return c.execute("SELECT 履歴ID, 電番 FROM 着信履歴 ORDER BY 履歴ID").fetchall()
    except sqlite3.Error:
        return []
    finally:
        c.close()


def integrity(db_path):
    c = sqlite3.connect("file:%s?mode=ro" % db_path, uri=True, timeout=5)
    try:
        return c.execute("PRAGMA integrity_check").fetchone()[0]
    finally:
        c.close()


def link_up(program, folder, sim_log):
    """True once the program has sent the TA its set-up command and the settle time is over."""
    ok = wait_for(lambda: os.path.exists(sim_log) and "rx 61 74 24 61 31 36 3d 31 0d"
                  in open(sim_log).read(), 20)
    time.sleep(1.0)
    return ok and program.alive()
