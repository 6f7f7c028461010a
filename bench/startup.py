#!/usr/bin/env python3
"""Start-up of `echo teh | PROGRAM pipe` (libraries, dictionary, table image, ranker
index), interleaved runs, CPU and wall time, median and best.
Usage: startup.py RUNS PROGRAM..."""
import os, resource, statistics as st, subprocess, sys, time
runs = int(sys.argv[1]); progs = sys.argv[2:]
res = {p: ([], []) for p in progs}
for _ in range(runs):
    for p in progs:
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        t = time.perf_counter()
        subprocess.run([p, 'pipe'], input=b'teh\n', stdout=subprocess.DEVNULL, check=True)
        wall = time.perf_counter() - t
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        res[p][0].append(wall * 1000); res[p][1].append(cpu * 1000)
for p, (w, c) in res.items():
    print(f'{p}: cpu median {st.median(c):.1f} ms best {min(c):.1f} ms | '
          f'wall median {st.median(w):.1f} ms best {min(w):.1f} ms')
