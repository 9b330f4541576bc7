"""The results table of bench/run: one row per operation, a window and a bare column per backend.

Reads Google Benchmark's JSON files; names are BACKEND/[History2x/]OPERATION/(window|bare).
"""
import json
import re
import sys

# The first key that starts the operation's name gives its goal (ms).
GOALS = {"Search/catalogue/30 wildcards": 50, "RefreshRequestList/processed": 100,
         "LoadRequest/2000": 50, "SaveRequest/2000": 100, "DeleteRequest/2000": 50, "Startup": 500,
         "Search": 16, "RefreshRequestList": 16, "LoadRequest/200": 16, "SaveRequest/200": 16,
         "DeleteRequest/200": 16}
BACKENDS = [("sqlite", "SQLite"), ("postgres", "PostgreSQL")]
HISTORY = "History2x/"


def ms(run):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1, "s": 1000}[run["time_unit"]]
    return run["real_time"] * scale


def load(paths):
    runs = {}
    for path in paths:
        try:
            with open(path) as f:
                benchmarks = json.load(f)["benchmarks"]
        except (OSError, ValueError):
            continue
        for run in benchmarks:
            runs[re.sub(r"/(real_time|iterations:\d+)", "", run["name"])] = run
    return runs


def operations(runs):
    seen = []
    for name in runs:
        backend, _, rest = name.partition("/")
        if rest.endswith("/window"):
            op = rest[: -len("/window")]
            if op not in seen:
                seen.append(op)
    # The standard set first, then the longer history, each in the order measured.
    return [op for op in seen if not op.startswith(HISTORY)] + [op for op in seen if op.startswith(HISTORY)]


def verdict(runs, backend, op):
    """(window ms, bare ms, goal text, met) of one operation on one backend, or None."""
    window = runs.get(f"{backend}/{op}/window")
    if not window:
        return None
    bare = runs.get(f"{backend}/{op}/bare")
    t = ms(window)
    tb = ms(bare) if bare else None
    if op.startswith(HISTORY):
        # Twice the history: within 20% of the standard set, or for the processed list in
        # proportion to the requests it lists.
        base_op = op[len(HISTORY):]
        base = runs.get(f"{backend}/{base_op}/window")
        if not base:
            return t, tb, "", None
        allowed = 1.2
        goal = "<= 1.2x the standard set"
        base_bare = runs.get(f"{backend}/{base_op}/bare")
        if base_op == "RefreshRequestList/processed" and bare and base_bare and base_bare["rows"]:
            listed = bare["rows"] / base_bare["rows"]
            allowed *= listed
            goal = f"<= 1.2 x {listed:.2f} (requests listed) x the standard set"
        return t, tb, goal, t <= allowed * ms(base)
    limit = next((g for k, g in GOALS.items() if op.startswith(k)), None)
    return t, tb, (f"< {limit} ms" if limit else ""), (limit is None or t < limit)


def number(value):
    if value is None:
        return ""
    return f"{value:.1f}" if value >= 1 else f"{value:.2f}"


def main(paths):
    runs = load(paths)
    present = [(key, label) for key, label in BACKENDS if any(n.startswith(key + "/") for n in runs)]
    header = ["benchmark"]
    for _, label in present:
        header += [f"{label} window (ms)", f"{label} bare (ms)"]
    header += ["goal", "met? (" + " / ".join(label for _, label in present) + ")"]
    print("\n| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    for op in operations(runs):
        cells = [op]
        goal = ""
        met = []
        for key, _ in present:
            result = verdict(runs, key, op)
            if result is None:
                cells += ["", ""]
                met.append("-")
                continue
            t, tb, goal_text, ok = result
            goal = goal or goal_text
            cells += [number(t), number(tb)]
            met.append("-" if ok is None else ("yes" if ok else "no"))
        print("| " + " | ".join(cells + [goal, " / ".join(met)]) + " |")
    peaks = []
    for key, label in present:
        run = runs.get(f"{key}/PeakMemory")
        if run:
            peaks.append((label, run["peak_MB"]))
    if peaks:
        cells = ["peak memory (maxrss, client process)"]
        for key, label in present:
            value = dict(peaks).get(label)
            cells += [f"{value:.0f} MB" if value is not None else "", ""]
        print("| " + " | ".join(cells + ["< 150 MB", " / ".join("yes" if v < 150 else "no" for _, v in peaks)]) + " |")


if __name__ == "__main__":
    main(sys.argv[1:])
