#!/usr/bin/env python3
"""kill -9 during a burst of 100 calls, five times. While the program stores calls, a separate
read-only connection notes which rows are committed; the program is killed at a random moment;
after a restart (and a normal close) every row seen committed must be there, in order, and
PRAGMA integrity_check must say ok. Exit status 0 when every round holds.

    bench/reliability/killburst.py [ROUNDS] [CALLS] [SPACING_S]
"""
import os
import random
import sys
import tempfile
import threading
import time

from kolvane_run import (Program, TaSim, integrity, link_up, settings_bytes, stored_calls,
                         wait_for)

rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 5
calls = int(sys.argv[2]) if len(sys.argv) > 2 else 100
spacing = float(sys.argv[3]) if len(sys.argv) > 3 else 0.4
rng = random.Random(9)
all_good = True
with tempfile.TemporaryDirectory() as folder:
    db = os.path.join(folder, "Kolvane.mdb")
    committed = []  # every row seen committed, over all rounds
    for r in range(1, rounds + 1):
        sim_log = os.path.join(folder, "ta-sim-%d.log" % r)
        sim = TaSim(sim_log)
        with open(os.path.join(folder, "Kolvane.ini"), "wb") as f:
            f.write(settings_bytes(sim.device))
        program = Program(folder)
        if not link_up(program, folder, sim_log):
            print("round %d: the program did not bring the link up" % r)
            all_good = False
            break
        before = len(stored_calls(db))
        stop = threading.Event()

        def burst():
            for i in range(calls):
                if stop.is_set():
                    return
                sim.call("03%02d%06d" % (r, i))
                time.sleep(spacing)

        sender = threading.Thread(target=burst)
        sender.start()
        kill_at = time.monotonic() + rng.uniform(3.0, calls * spacing * 0.8)
        seen = []
        while time.monotonic() < kill_at:
            seen = stored_calls(db)
            time.sleep(0.05)
        seen = stored_calls(db)
        program.kill9()
        stop.set()
        sender.join()
        sim.stop()
        after_kill = stored_calls(db)
        # Restart on the same folder: the program opens the file (and recovers its journal),
        # then closes normally.
        sim2 = TaSim(os.path.join(folder, "ta-sim-%d-restart.log" % r))
        with open(os.path.join(folder, "Kolvane.ini"), "wb") as f:
            f.write(settings_bytes(sim2.device))
        program2 = Program(folder)
        time.sleep(3.0)
        status = program2.terminate()
        sim2.stop()
        after_restart = stored_calls(db)
        check = integrity(db)
        missing = [row for row in seen if row not in after_restart]
        in_order = [n for _, n in after_restart] == sorted(n for _, n in after_restart)
        good = not missing and check == "ok" and status == 0 and in_order
        all_good = all_good and good
        print("round %d: killed after %d new rows seen committed; %d rows after the kill, %d after "
              "restart; missing %d; integrity_check %s; restart exit %d; %s"
              % (r, len(seen) - before, len(after_kill), len(after_restart), len(missing), check,
                 status, "PASS" if good else "FAIL"))
print("killburst: " + ("PASS" if all_good else "FAIL"))
sys.exit(0 if all_good else 1)
