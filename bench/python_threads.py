"""Two jobs converted by tqxml.convert one after the other, then by two
threads at once: the best of several runs of each, and their ratio; beside
it, as the peer that shows what the machine gives two conversions at once,
the same ratio of the tool's -j 2 to its -j 1 on the same jobs.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_threads.py [BUILD_DIR]

The jobs are generated (100,000 records each, RECORDS= to change) with
tqxml-genjob from the build directory. With the interpreter's lock released
during a conversion, two threads on two free cores take about half the
serial time.
"""

import os
import subprocess
import sys
import tempfile
import threading
import time

import tqxml

RUNS = 7


def best_of(runs, *works):
    """The best time of each of `works`, run in turn, so that they share
    the machine's moods."""
    best = [float("inf")] * len(works)
    for _ in range(runs):
        for index, work in enumerate(works):
            start = time.perf_counter()
            work()
            best[index] = min(best[index], time.perf_counter() - start)
    return best


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    records = os.environ.get("RECORDS", "100000")
    with tempfile.TemporaryDirectory() as scratch:
        pairs = []
        for seed in (1, 2):
            job = os.path.join(scratch, f"job{seed}.job")
            subprocess.run([os.path.join(build, "tqxml-genjob"), "--records", records,
                            "--seed", str(seed), job], check=True)
            pairs.append((job, os.path.join(scratch, f"job{seed}.xml")))

        def serial():
            for job, xml in pairs:
                tqxml.convert(job, xml)

        def parallel():
            threads = [threading.Thread(target=tqxml.convert, args=pair) for pair in pairs]
            for thread in threads:
                thread.start()
            for thread in threads:
                thread.join()

        def tool(threads):
            command = [os.path.join(build, "tqxml"), "-q", "-j", threads, "--output-dir",
                       scratch] + [job for job, _ in pairs]
            return lambda: subprocess.run(command, check=True)

        serial()  # warm the page cache
        one, two, tool_one, tool_two = best_of(RUNS, serial, parallel, tool("1"), tool("2"))
        print(f"{records} records a job, best of {RUNS}, {os.cpu_count()} cores:")
        print(f"  tqxml.convert  serial {one:.3f} s, two threads {two:.3f} s, "
              f"ratio {two / one:.2f}")
        print(f"  tqxml -j       -j 1 {tool_one:.3f} s, -j 2 {tool_two:.3f} s, "
              f"ratio {tool_two / tool_one:.2f}")


if __name__ == "__main__":
    main()
