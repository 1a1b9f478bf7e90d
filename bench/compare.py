#!/usr/bin/env python3
"""qelvo-cli against ripgrep and sd, side by side on a generated corpus.

Runs every command of a task interleaved with the others, round after
round, and prints each command's median wall time and peak resident memory
and its ratio to the fastest peer. The first round of every qelvo-cli
command is checked against the corpus manifest: the files it lists, and for
a replacement the files it changed, must be exactly those the manifest's
engine view names. Replacements run on a fresh copy of the corpus on tmpfs,
made outside the timed command; every search reads a copy on tmpfs too.

  compare.py --cli PATH --corpus DIR [--rounds N] [--tmp DIR]
"""

import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import time

REPLACEMENT = "QELVO_REPLACED"
ZH_REPLACEMENT = "已替换文字"
TEXT_EXTENSIONS = {".txt", ".html", ".htm", ".php", ".js", ".css", ".cpp", ".h", ".xml", ".ini"}


def measure_peak(command):
    """Runs under GNU time for the peak resident set; returns (wall, KiB, stdout)."""
    report = "/tmp/qelvo-bench-time.txt"
    start = time.perf_counter()
    process = subprocess.run(["/usr/bin/time", "-o", report, "-f", "%M", "/bin/sh", "-c", command],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    wall = time.perf_counter() - start
    if process.returncode != 0 and "qelvo-cli" in command:
        raise SystemExit(f"failed ({process.returncode}): {command}\n"
                         f"{process.stderr.decode(errors='replace')}")
    with open(report) as f:
        peak = int(f.read().split()[-1])
    return wall, peak, process.stdout


def listed_paths(stdout, root):
    """The relative paths of qelvo-cli's hit rows (NUMBER TAB PATH)."""
    paths = set()
    for line in stdout.decode("utf-8", errors="replace").splitlines():
        number, tab, path = line.partition("\t")
        if tab and number.isdigit():
            paths.add(os.path.relpath(path, root))
    return paths


def changed_paths(original, copy):
    """Files whose bytes differ between two trees, as relative paths."""
    out = subprocess.run(["diff", "-rq", original, copy], stdout=subprocess.PIPE).stdout
    changed = set()
    for line in out.decode("utf-8", errors="replace").splitlines():
        if line.startswith("Files "):
            first = line[len("Files "):].split(" and ")[0]
            changed.add(os.path.relpath(first, original))
        elif line.startswith("Only in "):
            raise SystemExit(f"a file appeared or vanished: {line}")
    return changed


class Task:
    def __init__(self, name, qelvo, peers, expected, replaces=False, own_baseline=None):
        self.name = name
        self.qelvo = qelvo          # command template, {root} for the tree
        self.peers = peers          # [(label, template)]
        self.expected = expected    # relative paths the engine view names
        self.replaces = replaces
        self.own_baseline = own_baseline  # (label, template): our own GBK-mode run


def make_tasks(cli, manifest):
    queries = manifest["queries"]
    engine = lambda q: set(queries[q]["paths"])  # noqa: E731
    zh_utf8 = {p for p in queries["zh_utf8"]["paths"] if os.path.splitext(p)[1] in TEXT_EXTENSIONS}
    needle = manifest["needles"]["ascii"]
    zh = manifest["needles"]["zh"]
    find = f"{cli} find {{root}} {needle} --subfolders"
    replace = f"{cli} replace {{root}} {needle} {REPLACEMENT} --subfolders"
    zh_find = f"{cli} find {{root}} {zh} --subfolders --case-sensitive"
    zh_replace = f"{cli} replace {{root}} {zh} {ZH_REPLACEMENT} --subfolders --case-sensitive"
    pipeline = "rg -l0 -uuu -F {needle} {{root}} | xargs -0 -r sd -s {needle} {replacement}"
    return [
        Task("find --case-sensitive", find + " --case-sensitive",
             [("rg -l -F -uuu", f"rg -l -F -uuu {needle} {{root}}")], engine("ascii_engine")),
        Task("find (case ignored)", find,
             [("rg -l -F -i -uuu", f"rg -l -F -i -uuu {needle} {{root}}")],
             engine("ascii_i_engine")),
        Task("find --encoding UTF8", zh_find + " --encoding UTF8",
             [("rg -l -F -uuu", f"rg -l -F -uuu {zh} {{root}}")], zh_utf8,
             own_baseline=("qelvo-cli GBK mode", zh_find)),
        Task("replace --case-sensitive", replace + " --case-sensitive",
             [("rg | xargs sd", pipeline.format(needle=needle, replacement=REPLACEMENT))],
             engine("ascii_engine"), replaces=True),
        Task("replace --encoding UTF8", zh_replace + " --encoding UTF8",
             [("rg | xargs sd", pipeline.format(needle=zh, replacement=ZH_REPLACEMENT))],
             zh_utf8, replaces=True, own_baseline=("qelvo-cli GBK mode", zh_replace)),
    ]


def fresh_copy(corpus, scratch):
    if os.path.exists(scratch):
        shutil.rmtree(scratch)
    subprocess.run(["cp", "-a", corpus, scratch], check=True)
    subprocess.run(["sync"], check=True)
    return scratch


def run_once(template, task, corpus, scratch):
    root = fresh_copy(corpus, scratch) if task.replaces else corpus
    wall, peak, out = measure_peak(template.format(root=root))
    return wall, peak, out, root


def check(task, out, root, corpus):
    listed = listed_paths(out, root)
    problems = []
    if listed != task.expected:
        problems.append(f"listed {len(listed)} files, the manifest names {len(task.expected)} "
                        f"(missing {sorted(task.expected - listed)[:3]}, "
                        f"extra {sorted(listed - task.expected)[:3]})")
    if task.replaces:
        changed = changed_paths(corpus, root)
        if changed != task.expected:
            problems.append(f"changed {len(changed)} files, the manifest names "
                            f"{len(task.expected)} (missing {sorted(task.expected - changed)[:3]}, "
                            f"extra {sorted(changed - task.expected)[:3]})")
    return problems


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--tmp", default="/dev/shm")
    args = parser.parse_args(argv)
    corpus = os.path.abspath(args.corpus)
    with open(corpus.rstrip("/") + ".manifest.json", encoding="utf-8") as f:
        manifest = json.load(f)
    scratch = os.path.join(args.tmp, "qelvo-bench-copy")
    # Every tool reads a copy in memory: a tree on disk stays warm only as
    # long as the kernel keeps its pages, and some machines reclaim idle page
    # cache within seconds, which would time the disk instead.
    source = corpus
    corpus = fresh_copy(source, os.path.join(args.tmp, "qelvo-bench-tree"))
    failures = 0
    print(f"corpus {source}: {manifest['files']} files, {manifest['bytes'] / 1e6:.0f} MB; "
          f"median of {args.rounds} interleaved rounds")
    for task in make_tasks(args.cli, manifest):
        commands = [("qelvo-cli", task.qelvo)] + task.peers
        if task.own_baseline:
            commands.append(task.own_baseline)
        times = {label: [] for label, _ in commands}
        peaks = {label: [] for label, _ in commands}
        # A search tree's pages move between the kernel's page lists on their
        # first and second reads: one untimed run of each command first lets
        # no tool pay that for the others.
        if not task.replaces:
            for _, template in commands:
                run_once(template, task, corpus, scratch)
        for round_number in range(args.rounds):
            # Each round starts with another command, so that none always runs
            # right after the same one.
            shift = round_number % len(commands)
            for label, template in commands[shift:] + commands[:shift]:
                wall, peak, out, root = run_once(template, task, corpus, scratch)
                times[label].append(wall)
                peaks[label].append(peak)
                if round_number == 0 and label == "qelvo-cli":
                    for problem in check(task, out, root, corpus):
                        print(f"  WRONG {task.name}: {problem}")
                        failures += 1
        print(f"\n{task.name}")
        ours = statistics.median(times["qelvo-cli"])
        for label, _ in commands:
            median = statistics.median(times[label])
            print(f"  {label:22s} {median:7.3f} s  peak {max(peaks[label]) / 1024:7.1f} MiB  "
                  f"qelvo-cli/this {ours / median:5.2f}")
    for copy in (scratch, corpus):
        if os.path.exists(copy):
            shutil.rmtree(copy)
    if failures:
        print(f"\n{failures} result checks failed")
        return 1
    print("\nevery qelvo-cli result matches the manifest")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
