#!/usr/bin/env python3
"""Serial flood: 10 MB of random bytes from the simulated TA, then a real call report.
The program must stay up, its memory bounded (the peak resident size is printed), and the
report must be recorded. Exit status 0 when all holds.

    bench/reliability/flood.py [MEGABYTES]
"""
import os
import random
import sys
import tempfile
import time

from kolvane_run import Program, TaSim, link_up, settings_bytes, stored_calls, wait_for

megabytes = float(sys.argv[1]) if len(sys.argv) > 1 else 10.0
rng = random.Random(12)
with tempfile.TemporaryDirectory() as folder:
    sim_log = os.path.join(folder, "ta-sim.log")
    sim = TaSim(sim_log)
    with open(os.path.join(folder, "Kolvane.ini"), "wb") as f:
        f.write(settings_bytes(sim.device))
    program = Program(folder)
    ok = link_up(program, folder, sim_log)
    rss_before = program.peak_rss_kb()
    total = int(megabytes * 1024 * 1024)
    chunk = 64 * 1024
    started = time.monotonic()
    sent = 0
    while sent < total:
        n = min(chunk, total - sent)
        sim.raw(rng.randbytes(n))
        sent += n
    # Every byte has left the simulator once its log shows nothing new for a while; then the
    # program has had its reads. A report sent in the same read as noise is not a report.
    last = -1
    while True:
        size = os.path.getsize(sim_log)
        if size == last:
            break
        last = size
        time.sleep(1.0)
    time.sleep(1.0)
    flood_s = time.monotonic() - started
    alive_after_flood = program.alive()
    sim.call("0312345678")
    db = os.path.join(folder, "Kolvane.mdb")
    recorded = wait_for(lambda: any(n == "0312345678" for _, n in stored_calls(db)), 20)
    peak = program.peak_rss_kb() if program.alive() else -1
    status = program.terminate()
    sim.stop()
    print("flood: %.1f MB of random bytes in %.1f s; program alive: %s; report recorded: %s"
          % (megabytes, flood_s, alive_after_flood, recorded))
    print("flood: peak resident memory %d kB (%d kB before the flood); exit status %d"
          % (peak, rss_before, status))
    good = ok and alive_after_flood and recorded and status == 0
    if not good:
        print(program.error_text()[-3000:])
    print("flood: " + ("PASS" if good else "FAIL"))
    sys.exit(0 if good else 1)
