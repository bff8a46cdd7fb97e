#!/usr/bin/env python3
"""Times one physics step against the mass count for the grid pass, the
all-pairs pass and the acting pairs alone, in one run of bench/physics_bench,
and draws them on a log-log SVG plot. Prints the figures as a Markdown table
with their ratios.

    scripts/plot-physics.py [--build build] [--out docs/physics-step.svg] [--json FILE]

With --json it plots an earlier run's output instead of running the benchmark.
Uses the standard library only.
"""
import argparse
import json
import math
import os
import re
import subprocess
import sys

SERIES = [("grid_spread", "grid pass", "#1f77b4"), ("allpairs_spread", "all-pairs pass", "#d62728"),
          ("acting_spread", "acting pairs alone", "#2ca02c")]


def run_benchmark(build, out_json):
    exe = os.path.join(build, "bench", "physics_bench")
    if not os.access(exe, os.X_OK):
        sys.exit(f"plot-physics: no {exe}; build the project first")
    subprocess.run([exe, "--benchmark_filter=^(Step|ActingPairsOnly)/", f"--benchmark_out={out_json}",
                    "--benchmark_out_format=json"], check=True)


def load(path):
    """{(case, count): milliseconds of CPU per step}"""
    with open(path) as f:
        data = json.load(f)
    times = {}
    for b in data["benchmarks"]:
        m = re.fullmatch(r"(Step|ActingPairsOnly)/(\w+)/(\d+)", b["name"])
        if not m or b.get("run_type", "iteration") != "iteration":
            continue
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        case = m.group(2) if m.group(1) == "Step" else f"acting_{m.group(2)}"
        times[(case, int(m.group(3)))] = b["cpu_time"] * scale
    return times


def svg_plot(times, path):
    w, h, left, right, top, bottom = 720, 460, 80, 170, 30, 60
    counts = sorted({n for (case, n) in times if case in dict((s[0], 0) for s in SERIES)})
    values = [t for (case, _), t in times.items() if case in (s[0] for s in SERIES)]
    x0, x1 = math.log10(min(counts)), math.log10(max(counts))
    y0, y1 = math.floor(math.log10(min(values))), math.ceil(math.log10(max(values)))

    def px(n):
        return left + (math.log10(n) - x0) / (x1 - x0) * (w - left - right)

    def py(t):
        return h - bottom - (math.log10(t) - y0) / (y1 - y0) * (h - top - bottom)

    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" font-family="sans-serif" font-size="12">',
           f'<rect width="{w}" height="{h}" fill="white"/>',
           f'<text x="{left}" y="{top - 10}" font-size="13">One step, masses spread so that each overlaps about three '
           f'others</text>']
    for e in range(y0, y1 + 1):
        y = py(10 ** e)
        out.append(f'<line x1="{left}" y1="{y:.1f}" x2="{w - right}" y2="{y:.1f}" stroke="#ddd"/>')
        label = f"{10 ** e:g} ms" if e >= -3 else f"1e{e} ms"
        out.append(f'<text x="{left - 6}" y="{y + 4:.1f}" text-anchor="end">{label}</text>')
    for n in counts:
        x = px(n)
        out.append(f'<line x1="{x:.1f}" y1="{top}" x2="{x:.1f}" y2="{h - bottom}" stroke="#eee"/>')
        out.append(f'<text x="{x:.1f}" y="{h - bottom + 18}" text-anchor="middle">{n:,}</text>')
    out.append(f'<text x="{(left + w - right) / 2}" y="{h - 15}" text-anchor="middle">masses</text>')
    out.append(f'<text x="18" y="{(top + h - bottom) / 2}" text-anchor="middle" '
               f'transform="rotate(-90 18 {(top + h - bottom) / 2})">CPU time of one PhysXUpdate step</text>')
    out.append(f'<rect x="{left}" y="{top}" width="{w - left - right}" height="{h - top - bottom}" '
               f'fill="none" stroke="#444"/>')
    for i, (case, label, colour) in enumerate(SERIES):
        points = [(n, times[(case, n)]) for n in counts if (case, n) in times]
        path_d = " ".join(f"{'M' if k == 0 else 'L'}{px(n):.1f},{py(t):.1f}" for k, (n, t) in enumerate(points))
        out.append(f'<path d="{path_d}" fill="none" stroke="{colour}" stroke-width="2"/>')
        for n, t in points:
            out.append(f'<circle cx="{px(n):.1f}" cy="{py(t):.1f}" r="3.5" fill="{colour}"/>')
        ly = top + 20 + 22 * i
        out.append(f'<line x1="{w - right + 15}" y1="{ly}" x2="{w - right + 40}" y2="{ly}" stroke="{colour}" '
                   f'stroke-width="2"/>')
        out.append(f'<text x="{w - right + 46}" y="{ly + 4}">{label}</text>')
    out.append("</svg>")
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")


def table(times):
    def ms(t):
        return f"{t:.3f} ms" if t else "-"

    def ratio(a, g):
        return f"{a / g:.1f}" if a and g else "-"

    rows = ["| masses | grid | all pairs | ratio | all pairs, a direction for every pair | ratio "
            "| acting pairs alone | grid / alone |",
            "|---:|---:|---:|---:|---:|---:|---:|---:|"]
    for scene in ("spread", "lattice", "pile"):
        counts = sorted(n for (case, n) in times if case == f"grid_{scene}")
        if counts:
            rows.append(f"| *{scene}* | | | | | | | |")
        for n in counts:
            g = times.get((f"grid_{scene}", n))
            a = times.get((f"allpairs_{scene}", n))
            d = times.get((f"directions_{scene}", n))
            p = times.get((f"acting_{scene}", n))
            rows.append(f"| {n:,} | {ms(g)} | {ms(a)} | {ratio(a, g)} | {ms(d)} | {ratio(d, g)} | {ms(p)} "
                        f"| {ratio(g, p)} |")
    return "\n".join(rows)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(root, "build"))
    parser.add_argument("--out", default=os.path.join(root, "docs", "physics-step.svg"))
    parser.add_argument("--json", help="plot this benchmark output instead of running the benchmark")
    args = parser.parse_args()
    source = args.json
    if not source:
        source = os.path.join(args.build, "physics_bench.json")
        run_benchmark(args.build, source)
    times = load(source)
    svg_plot(times, args.out)
    print(table(times))
    print(f"plot written to {args.out}")


if __name__ == "__main__":
    main()
