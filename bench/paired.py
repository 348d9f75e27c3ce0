"""Paired comparison runs for the benchmark scripts (run-interp, run-programs).

The machine is shared and noisy, so the contenders take turns run by run (round 1:
A B C, round 2: B C A, ...) and every ratio is taken within one round; the report is the
median of those per-round ratios with their minimum and maximum. Every run of every side
must print the same result. Times are CPU time (user + system) of the whole process,
read with wait4, so nothing outside the process is counted.
"""
import os
import statistics
import subprocess


class RunFailed(RuntimeError):
    pass


def measure(command, cwd=None):
    """Runs command; returns (stdout bytes, CPU seconds, peak resident KiB)."""
    proc = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL, cwd=cwd)
    # Reading both pipes before reaping: wait4 gives this child's own resource usage.
    out = proc.stdout.read()
    err = proc.stderr.read()
    _, status, usage = os.wait4(proc.pid, 0)
    proc.returncode = os.waitstatus_to_exitcode(status)
    proc.stdout.close()
    proc.stderr.close()
    if proc.returncode != 0:
        raise RunFailed(f"{' '.join(command)} failed ({proc.returncode}): {err.decode(errors='replace')[-500:]}")
    return out, usage.ru_utime + usage.ru_stime, usage.ru_maxrss


def normalise(output):
    """Output as compared between sides: line ends unified, trailing blanks dropped."""
    text = output.decode("utf-8", errors="replace").replace("\r\n", "\n")
    return "\n".join(line.rstrip() for line in text.strip().split("\n"))


class Side:
    def __init__(self, name, command):
        self.name = name
        self.command = command
        self.times = []
        self.peaks = []
        self.outputs = set()


def paired_runs(sides, runs, cwd=None):
    """Runs every side `runs` times, taking turns; fills each side's times, peaks and
    outputs. Raises RunFailed when a run fails."""
    for r in range(runs):
        order = sides[r % len(sides):] + sides[:r % len(sides)]
        for side in order:
            out, cpu, peak = measure(side.command, cwd)
            side.times.append(cpu)
            side.peaks.append(peak)
            side.outputs.add(normalise(out))


def same_output(sides):
    """The one output every run of every side printed, or None when they differ."""
    seen = set()
    for side in sides:
        seen |= side.outputs
    return seen.pop() if len(seen) == 1 else None


def ratios(ours, theirs):
    """(median, min, max) of the per-round ratios ours/theirs."""
    per_round = [a / b for a, b in zip(ours.times, theirs.times) if b > 0]
    if not per_round:
        return (float("nan"),) * 3
    return statistics.median(per_round), min(per_round), max(per_round)


def geometric_mean(values):
    values = [v for v in values if v > 0]
    if not values:
        return float("nan")
    product = 1.0
    for v in values:
        product *= v
    return product ** (1.0 / len(values))
