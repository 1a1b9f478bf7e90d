#!/usr/bin/env python3
"""qelvo-cli on a tree that holds one large file: peak memory and result.

Makes one file of the given size on tmpfs for each case below, runs
qelvo-cli find and replace on it under GNU time, and checks that the file is
listed and that the rewritten file holds exactly the expected bytes: every
occurrence replaced, every other byte as it was. Occurrences lie at the
start of the file, about every 256 KiB, and at its end; the find looks for
a text of the file's last line only, so it reads the whole file.

  large_file.py --cli PATH [--size-mib N] [--tmp DIR]
"""

import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import time

FIND_BOUND_KIB = 32 * 1024
REPLACE_BOUND_KIB = 96 * 1024

# (name, encoding option, line, needle, replacement). The needle opens a
# line, so it begins a character in every encoding; in the last case a '€'
# ends each line, which sends the file through its GBK text.
CASES = [
    ("GBK, ASCII find text", [], "一行中文内容，GBK text line {n}\r\n", "QelvoNeedle", "QELVO_REPLACED"),
    ("UTF-8", ["--encoding", "UTF8"], "一行中文内容，UTF-8 text line {n}\n", "目标文字", "已替换文字"),
    ("UTF-8 with '€'", ["--encoding", "UTF8"], "价格 {n} €\n", "目标文字", "已替换文字"),
]
LAST_LINE = "最后一行"


def encode(text, encoding_option):
    return text.encode("utf-8" if encoding_option else "gbk")


def blocks(case, size):
    """The file's bytes in blocks, and the same with the replacement made."""
    _, option, line, needle, replacement = case
    needle_bytes = encode(needle, option)
    replaced_bytes = encode(replacement, option)
    block = b"".join(encode(line.format(n=n), option) for n in range(2000))
    written = 0
    index = 0
    while written < size:
        # A needle at the start, then one just before every 256 KiB.
        piece_edge = (written // (256 * 1024) + 1) * 256 * 1024
        offset = piece_edge - written - 3
        if index == 0:
            chunk = needle_bytes + block
        elif 0 <= offset < len(block):
            cut = block.rfind(b"\n", 0, offset) + 1
            chunk = block[:cut] + needle_bytes + block[cut:]
        else:
            chunk = block
        yield chunk, chunk.replace(needle_bytes, replaced_bytes)
        written += len(chunk)
        index += 1
    tail = b"\n" + needle_bytes + b"\n" + encode(LAST_LINE, option)
    yield tail, tail.replace(needle_bytes, replaced_bytes)


def make_file(path, case, size):
    expected = hashlib.sha256()
    with open(path, "wb") as f:
        for original, replaced in blocks(case, size):
            f.write(original)
            expected.update(replaced)
    return expected.hexdigest()


def file_digest(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        while chunk := f.read(1 << 20):
            digest.update(chunk)
    return digest.hexdigest()


def run(command):
    report = "/tmp/qelvo-large-file-time.txt"
    start = time.perf_counter()
    process = subprocess.run(["/usr/bin/time", "-o", report, "-f", "%M"] + command,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    wall = time.perf_counter() - start
    if process.returncode != 0:
        raise SystemExit(f"failed ({process.returncode}): {' '.join(command)}\n"
                         f"{process.stderr.decode(errors='replace')}")
    with open(report) as f:
        peak = int(f.read().split()[-1])
    return wall, peak, process.stdout.decode("utf-8", errors="replace")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--size-mib", type=int, default=2048)
    parser.add_argument("--tmp", default="/dev/shm")
    args = parser.parse_args(argv)
    size = args.size_mib * 1024 * 1024
    failures = 0
    print(f"one file of {args.size_mib} MiB; bounds: find {FIND_BOUND_KIB // 1024} MiB, "
          f"replace {REPLACE_BOUND_KIB // 1024} MiB")
    print(f"{'case':<24} {'command':<8} {'wall':>8} {'peak':>10}  result")
    for case in CASES:
        name, option, _, needle, replacement = case
        tree = os.path.join(args.tmp, "qelvo-large-file")
        shutil.rmtree(tree, ignore_errors=True)
        os.makedirs(tree)
        path = os.path.join(tree, "large.txt")
        try:
            expected = make_file(path, case, size)
            commands = [
                ("find", [args.cli, "find", tree, LAST_LINE, "--case-sensitive"] + option,
                 FIND_BOUND_KIB),
                ("replace", [args.cli, "replace", tree, needle, replacement, "--case-sensitive"]
                 + option, REPLACE_BOUND_KIB),
            ]
            for label, command, bound in commands:
                wall, peak, out = run(command)
                good = "large.txt" in out and peak <= bound
                if label == "replace":
                    good = good and file_digest(path) == expected
                failures += not good
                print(f"{name:<24} {label:<8} {wall:7.2f}s {peak / 1024:8.1f}MiB  "
                      f"{'as expected' if good else 'WRONG'}")
        finally:
            shutil.rmtree(tree, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
