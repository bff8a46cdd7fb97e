#!/usr/bin/env python3
"""Runs bench/physics_bench once and reports one physics step, all figures
from that one run: time against the mass count for every scene (the grid
pass, the all-pairs pass and the acting pairs alone), the grid against the
all-pairs pass on piles, crowds and lines stepped 0 to 20 times, and the
goals as ratios. Draws both as SVG plots and prints Markdown tables.

    scripts/plot-physics.py [--build build] [--cpu N] [--repetitions N]
                            [--filter REGEX] [--json FILE] [--out-dir docs]

--cpu pins the benchmark to one core (taskset); --repetitions takes the
median of that many interleaved runs; --json reports an earlier run's
--benchmark_out file instead of running. Uses the standard library only.
"""
import argparse
import json
import math
import os
import re
import shutil
import subprocess
import sys

SWEEPS = ["spread", "mixed", "scalefree", "crowd", "lattice", "line"]
STEPPED = ["pile", "farpile", "crowd", "line"]
PASSES = [("grid", "grid pass", "#1f77b4"), ("allpairs", "all-pairs pass", "#d62728"),
          ("floor", "acting pairs alone", "#2ca02c")]
FACTORS = [("0", "#9467bd"), ("0.5", "#ff7f0e"), ("0.9", "#8c564b")]


def run_benchmark(args, out_json):
    exe = os.path.join(args.build, "bench", "physics_bench")
    if not os.access(exe, os.X_OK):
        sys.exit(f"plot-physics: no {exe}; build the project first")
    command = [exe, f"--benchmark_out={out_json}", "--benchmark_out_format=json"]
    if args.filter:
        command.append(f"--benchmark_filter={args.filter}")
    if args.repetitions > 1:
        command += [f"--benchmark_repetitions={args.repetitions}", "--benchmark_enable_random_interleaving=true",
                    "--benchmark_report_aggregates_only=true"]
    if args.cpu is not None:
        if not shutil.which("taskset"):
            sys.exit("plot-physics: --cpu needs taskset (util-linux)")
        command = ["taskset", "-c", str(args.cpu)] + command
    subprocess.run(command, check=True)


def load(path):
    """{(pass, scene, masses): milliseconds of CPU per step}, medians where repeated."""
    with open(path) as f:
        data = json.load(f)
    times = {}
    for b in data["benchmarks"]:
        m = re.fullmatch(r"(\w+)/([\w.-]+)/(\d+)(_median)?", b["name"])
        if not m:
            continue
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        times[(m.group(1), m.group(2), int(m.group(3)))] = b["cpu_time"] * scale
    return times


def stepped_name(scene, steps, factor):
    return f"{scene}-after-{steps}-at-{factor}"


def stepped_steps(times):
    return sorted({int(re.match(r"\w+-after-(\d+)-", s).group(1)) for (_, s, _) in times if "-after-" in s})


class Svg:
    def __init__(self, width, height):
        self.width, self.out = width, [
            f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'font-family="sans-serif" font-size="11">', f'<rect width="{width}" height="{height}" fill="white"/>']

    def add(self, text):
        self.out.append(text)

    def write(self, path):
        with open(path, "w") as f:
            f.write("\n".join(self.out + ["</svg>"]) + "\n")


def panel(svg, box, title, xs, series, log_x, y_label, x_label, hline=None):
    """series: [(label, colour, {x: y})], drawn on log y (and log x if asked)."""
    left, top, w, h = box
    values = [v for _, _, pts in series for v in pts.values() if v > 0] + ([hline] if hline else [])
    if not values or not xs:
        return
    y0, y1 = math.floor(math.log10(min(values))), math.ceil(math.log10(max(values)))
    y1 = max(y1, y0 + 1)
    fx = (lambda x: math.log10(x)) if log_x else (lambda x: x)
    x0, x1 = fx(min(xs)), fx(max(xs))
    x1 = x1 if x1 > x0 else x0 + 1

    def px(x):
        return left + (fx(x) - x0) / (x1 - x0) * w

    def py(v):
        return top + h - (math.log10(v) - y0) / (y1 - y0) * h

    svg.add(f'<text x="{left}" y="{top - 8}" font-size="12">{title}</text>')
    for e in range(y0, y1 + 1):
        y = py(10 ** e)
        svg.add(f'<line x1="{left}" y1="{y:.1f}" x2="{left + w}" y2="{y:.1f}" stroke="#ddd"/>')
        svg.add(f'<text x="{left - 4}" y="{y + 4:.1f}" text-anchor="end">{10 ** e:g}</text>')
    for x in xs:
        svg.add(f'<line x1="{px(x):.1f}" y1="{top}" x2="{px(x):.1f}" y2="{top + h}" stroke="#eee"/>')
        label = f"{x // 1000}k" if x >= 1000 and x % 1000 == 0 else f"{x:,}"
        svg.add(f'<text x="{px(x):.1f}" y="{top + h + 14}" text-anchor="middle">{label}</text>')
    svg.add(f'<text x="{left + w / 2}" y="{top + h + 30}" text-anchor="middle">{x_label}</text>')
    svg.add(f'<text x="{left - 40}" y="{top + h / 2}" text-anchor="middle" '
            f'transform="rotate(-90 {left - 40} {top + h / 2})">{y_label}</text>')
    svg.add(f'<rect x="{left}" y="{top}" width="{w}" height="{h}" fill="none" stroke="#444"/>')
    if hline:
        svg.add(f'<line x1="{left}" y1="{py(hline):.1f}" x2="{left + w}" y2="{py(hline):.1f}" stroke="#000" '
                f'stroke-dasharray="4 3"/>')
    for _, colour, pts in series:
        pts = sorted((x, v) for x, v in pts.items() if v > 0)
        d = " ".join(f"{'M' if i == 0 else 'L'}{px(x):.1f},{py(v):.1f}" for i, (x, v) in enumerate(pts))
        svg.add(f'<path d="{d}" fill="none" stroke="{colour}" stroke-width="2"/>')
        for x, v in pts:
            svg.add(f'<circle cx="{px(x):.1f}" cy="{py(v):.1f}" r="3" fill="{colour}"/>')


def legend(svg, left, top, entries, across=0):
    """One entry a line, or `across` pixels apart on one line."""
    for i, (label, colour) in enumerate(entries):
        x, y = (left + across * i, top) if across else (left, top + 18 * i)
        svg.add(f'<line x1="{x}" y1="{y}" x2="{x + 22}" y2="{y}" stroke="{colour}" stroke-width="2"/>')
        svg.add(f'<text x="{x + 28}" y="{y + 4}">{label}</text>')


def plot_sweeps(times, path):
    svg = Svg(960, 590)
    for i, scene in enumerate(SWEEPS):
        xs = sorted({n for (p, s, n) in times if s == scene})
        series = [(label, colour, {n: t for (p2, s, n), t in times.items() if p2 == p and s == scene})
                  for p, label, colour in PASSES]
        box = (80 + (i % 3) * 300, 40 + (i // 3) * 270, 220, 190)
        panel(svg, box, scene, xs, series, True, "ms per step", "masses")
    legend(svg, 80, 575, [(label, colour) for _, label, colour in PASSES], across=200)
    svg.write(path)


def plot_stepped(times, path):
    svg = Svg(60 + 300 * len(STEPPED), 300)
    steps = stepped_steps(times)
    for i, scene in enumerate(STEPPED):
        series = []
        for factor, colour in FACTORS:
            pts = {}
            for s in steps:
                name = stepped_name(scene, s, factor)
                g, a = next(((v, times.get(("allpairs", name, n))) for (p, nm, n), v in times.items()
                             if p == "grid" and nm == name), (None, None))
                if g and a:
                    pts[s] = g / a
            series.append((factor, colour, pts))
        panel(svg, (80 + i * 300, 40, 220, 190), f"{scene}, 2,000 masses", steps, series, False, "grid / all pairs",
              "steps taken before", hline=1.2)
    legend(svg, 80, 280, [(f"inertion {f}", c) for f, c in FACTORS] + [("goal: 1.2", "#000")], across=150)
    svg.write(path)


def ms(t):
    return f"{t:.3f} ms" if t is not None else "-"


def ratio(a, b):
    return f"{a / b:.2f}" if a and b else "-"


def sweep_table(times):
    rows = ["| scene | masses | grid | all pairs | all pairs / grid | acting pairs alone | grid / alone |",
            "|---|---:|---:|---:|---:|---:|---:|"]
    for scene in SWEEPS:
        for n in sorted({n for (p, s, n) in times if s == scene and p == "grid"}):
            g, a, f = (times.get((p, scene, n)) for p in ("grid", "allpairs", "floor"))
            rows.append(f"| {scene} | {n:,} | {ms(g)} | {ms(a)} | {ratio(a, g)} | {ms(f)} | {ratio(g, f)} |")
    return "\n".join(rows)


def stepped_table(times):
    steps = stepped_steps(times)
    rows = ["| grid / all pairs | inertion | " + " | ".join(f"{s} steps" for s in steps) + " |",
            "|---|---:|" + "---:|" * len(steps)]
    for scene in STEPPED:
        for factor, _ in FACTORS:
            cells = []
            for s in steps:
                name = stepped_name(scene, s, factor)
                g = next((v for (p, nm, n), v in times.items() if p == "grid" and nm == name), None)
                a = next((v for (p, nm, n), v in times.items() if p == "allpairs" and nm == name), None)
                cells.append(ratio(g, a))
            rows.append(f"| {scene} | {factor} | " + " | ".join(cells) + " |")
    return "\n".join(rows)


def goals_table(times):
    def t(p, s, n):
        return times.get((p, s, n))

    worst = max(((g / times[("allpairs", s, n)], s, n) for (p, s, n), g in times.items()
                 if p == "grid" and ("allpairs", s, n) in times), default=None)
    rows = ["| goal | measured | |", "|---|---|---|"]
    if worst:
        rows.append(f"| 1. no scene or step above 1.2 x all pairs | worst {worst[0]:.2f} ({worst[1]}, {worst[2]:,}) "
                    f"| {'met' if worst[0] <= 1.2 else 'not met'} |")
    for scene in ("mixed", "scalefree"):
        for n in (1000, 10000, 100000):
            m, u = t("grid", scene, n), t("grid", "spread", n)
            if m and u:
                rows.append(f"| 2. {scene} at most 1.5 x the uniform scene, {n:,} masses | {m / u:.2f} "
                            f"| {'met' if m / u <= 1.5 else 'not met'} |")
        m10, m100 = t("grid", scene, 10000), t("grid", scene, 100000)
        if m10 and m100:
            rows.append(f"| 2. {scene}: 100,000 masses at most 12 x 10,000 | {m100 / m10:.1f} "
                        f"| {'met' if m100 / m10 <= 12 else 'not met'} |")
    u10, u100 = t("grid", "spread", 10000), t("grid", "spread", 100000)
    if u10 and u100:
        rows.append(f"| (the uniform scene: 100,000 against 10,000) | {u100 / u10:.1f} | |")
    g, f = t("grid", "spread", 100000), t("floor", "spread", 100000)
    if g and f:
        rows.append(f"| 3. uniform 100,000 within 2.5 x the acting pairs alone | {g / f:.2f} "
                    f"| {'met' if g / f <= 2.5 else 'not met'} |")
    g, d = t("grid", "spread", 10000), t("directions", "spread", 10000)
    if g and d:
        rows.append(f"| 3. uniform 10,000 at least 300 x faster than all pairs as first written | {d / g:.0f} "
                    f"| {'met' if d / g >= 300 else 'not met'} |")
    for n in (10000, 100000):
        g, c = t("grid", "spread", n), t("nocontacts", "spread", n)
        if g and c:
            rows.append(f"| the contact list costs nothing measurable, {n:,} masses | with {ms(g)}, without {ms(c)}: "
                        f"{g / c:.3f} | |")
    return "\n".join(rows)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(root, "build"))
    parser.add_argument("--out-dir", default=os.path.join(root, "docs"))
    parser.add_argument("--cpu", type=int)
    parser.add_argument("--repetitions", type=int, default=1)
    parser.add_argument("--filter")
    parser.add_argument("--json", help="report this benchmark output instead of running the benchmark")
    args = parser.parse_args()
    source = args.json
    if not source:
        source = os.path.join(args.build, "physics_bench.json")
        run_benchmark(args, source)
    times = load(source)
    plot_sweeps(times, os.path.join(args.out_dir, "physics-step.svg"))
    plot_stepped(times, os.path.join(args.out_dir, "physics-stepped.svg"))
    print(sweep_table(times), stepped_table(times), goals_table(times), sep="\n\n")
    print(f"\nplots written to {args.out_dir}/physics-step.svg and physics-stepped.svg")


if __name__ == "__main__":
    main()
