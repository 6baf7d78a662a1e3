#!/usr/bin/env python3
"""Kolvane.ini written on a full disk and into a read-only folder, at the program's close
(SIGTERM, as the close button): the previous file must stay byte-identical and the program
must end normally (status 0). Needs root for the small tmpfs (the full disk) and to run the
program as an unprivileged user (for whom a folder can be read-only); says SKIP otherwise.
Rireki.ini joins these checks once the history window writes it.

    bench/reliability/settingswrite.py
"""
import atexit
import os
import subprocess
import sys
import tempfile
import time

from kolvane_run import Program, TaSim, link_up, settings_bytes

if os.geteuid() != 0:
    print("settingswrite: SKIP (needs root for a tmpfs and a second user)")
    sys.exit(0)

NOBODY = 65534
results = []


def check(name, folder, program, before):
    with open(os.path.join(folder, "Kolvane.ini"), "rb") as f:
        after = f.read()
    status = program.terminate()
    with open(os.path.join(folder, "Kolvane.ini"), "rb") as f:
        after = f.read()
    identical = after == before
    good = identical and status == 0
    print("%s: Kolvane.ini %s (%d bytes before, %d after); exit status %d; %s"
          % (name, "byte-identical" if identical else "CHANGED", len(before), len(after), status,
             "PASS" if good else "FAIL"))
    if not good:
        print(program.error_text()[-2000:])
    results.append(good)


# --- a full disk
with tempfile.TemporaryDirectory() as top:
    mount = os.path.join(top, "small")
    os.mkdir(mount)
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=2m", "tmpfs", mount], check=True)
    try:
        sim = TaSim(os.path.join(top, "ta-sim.log"))
        before = settings_bytes(sim.device)
        with open(os.path.join(mount, "Kolvane.ini"), "wb") as f:
            f.write(before)
        program = Program(mount)
        atexit.register(lambda: program.alive() and program.kill9())
        link_up(program, mount, os.path.join(top, "ta-sim.log"))
        # Fill every block that is left.
        fd = os.open(os.path.join(mount, "filler"), os.O_WRONLY | os.O_CREAT)
        try:
            while True:
                os.write(fd, b"\0" * 4096)
        except OSError:
            pass
        os.close(fd)
        check("full disk", mount, program, before)
        sim.stop()
    finally:
        subprocess.run(["umount", "-l", mount])

# --- a read-only folder: the program runs as an unprivileged user; the folder is made
# read-only for it while it runs.
with tempfile.TemporaryDirectory() as top:
    os.chmod(top, 0o755)
    folder = os.path.join(top, "ro")
    os.mkdir(folder)
    sim = TaSim(os.path.join(top, "ta-sim.log"))
    os.chmod(sim.device, 0o666)
    before = settings_bytes(sim.device)
    with open(os.path.join(folder, "Kolvane.ini"), "wb") as f:
        f.write(before)
    os.chown(folder, NOBODY, NOBODY)
    os.chown(os.path.join(folder, "Kolvane.ini"), NOBODY, NOBODY)

    def drop():
        os.setgroups([])
        os.setgid(NOBODY)
        os.setuid(NOBODY)

    program = Program(folder, extra_env={"HOME": folder, "XDG_RUNTIME_DIR": folder},
                      preexec=drop)
    atexit.register(lambda: program.alive() and program.kill9())
    link_up(program, folder, os.path.join(top, "ta-sim.log"))
    os.chmod(folder, 0o555)
    check("read-only folder", folder, program, before)
    sim.stop()

ok = all(results)
print("settingswrite: " + ("PASS" if ok else "FAIL"))
sys.exit(0 if ok else 1)
