#!/usr/bin/env python3
"""Runs each command RUNS times and prints the median wall time and the peak resident memory."""
import os
import statistics
import subprocess
import sys
import time


def measure(command, runs):
    times, peaks = [], []
    for _ in range(runs):
        start = time.perf_counter()
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(process.pid, 0)
        times.append(time.perf_counter() - start)
        peaks.append(usage.ru_maxrss / 1024.0)  # kilobytes to megabytes
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit(f"{command[0]} failed with status {os.waitstatus_to_exitcode(status)}")
    return statistics.median(times) * 1000.0, max(peaks)


def main():
    runs = int(sys.argv[1])
    program, script = sys.argv[2], sys.argv[3]
    program_ms, program_mb = measure([program], runs)
    script_ms, script_mb = measure(["/bin/sh", script], runs)
    ratio = program_ms / script_ms
    print(f"runs per launcher: {runs}")
    print(f"program: median {program_ms:.2f} ms, peak memory {program_mb:.1f} MB")
    print(f"shell script: median {script_ms:.2f} ms, peak memory {script_mb:.1f} MB")
    print(f"ratio program/script: {ratio:.2f}")
    for ok, target in ((program_ms < 10.0, "program median under 10 ms"),
                       (ratio < 1.0 / 3.0, "program under a third of the script's time"),
                       (program_mb < 10.0, "program peak memory under 10 MB")):
        print(f"{'met' if ok else 'MISSED'}: {target}")


if __name__ == "__main__":
    main()
