#!/usr/bin/env python3
"""How many faults does the test suite catch?

Draws a fixed sample of mutants from the library's core (io, db, xml, text,
convert and the record base), applies each one to the source in turn, builds
it incrementally in build-mutation/ and runs the fast suite against it. A
mutant is killed when a test fails (or the suite outlives its time limit),
survives when every test passes, and is "not built" when it does not
compile. The source is restored after every mutant, also on Ctrl-C.

    python3 tools/mutation/mutate.py --every 3          # every 3rd of the 200 (seed 17): 67
    python3 tools/mutation/mutate.py                    # all 200 (nearly two hours)
    python3 tools/mutation/mutate.py --list             # show the sample, run nothing
    python3 tools/mutation/mutate.py --size             # code lines of product, tests, data

The fast suite is every test program of the ctest suite, run directly (one
process each, not one per test), less the slowest properties (SLOW_TESTS); a
suite that outlives three times its unmutated time counts as killed. The
build is Release; with ccache installed, restoring a file costs a cache hit
instead of a compile. A mutant in a widely included header rebuilds most of
the project (about two minutes); one in a source file takes about eight
seconds. Not part of CI.
"""

import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = ROOT / "build-mutation"

SOURCES = ["src/io", "src/db", "src/xml", "src/text", "src/convert",
           "src/records/record.h", "src/records/record.cpp", "src/records/fields.h"]
SUFFIXES = {".h", ".cpp"}

# The two properties that convert a job once for every byte of it (10 of the
# suite's 17 seconds); the rest of the suite reaches the same code.
SLOW_TESTS = "*FlippedAndResigned*:*FlippedByteNever*"

# Code lines as cloc counts them: product (the page's too), test code (the
# browser tests' JavaScript too), data.
SIZE_COMMANDS = [
    ("product", ["cloc", "--quiet", "--exclude-dir=mutation,tests,build",
                 "--not-match-d=egg-info", "src", "include", "tools", "python", "web"]),
    ("tests", ["cloc", "--quiet", "--include-ext=c,cpp,h,py,mjs", "tests", "fuzz",
               "python/tests"]),
    ("data", ["cloc", "--quiet", "tests/golden", "fuzz/corpus", "fuzz/job.dict"]),
    ("data bytes", ["du", "-cb", "tests/golden", "fuzz/corpus", "fuzz/job.dict"]),
]


# ---------------------------------------------------------------------------
# Finding the places to mutate

def source_files():
    files = []
    for entry in SOURCES:
        path = ROOT / entry
        if path.is_dir():
            files += sorted(p for p in path.iterdir() if p.suffix in SUFFIXES)
        else:
            files.append(path)
    return files


def code_only(lines):
    """Each line with comments, string and character literals blanked out
    (same length, so columns still match), and None for preprocessor lines."""
    out = []
    in_block = False
    for line in lines:
        if not in_block and line.lstrip().startswith("#"):
            out.append(None)
            continue
        chars = list(line)
        i = 0
        while i < len(chars):
            if in_block:
                if line.startswith("*/", i):
                    chars[i] = chars[i + 1] = " "
                    in_block = False
                    i += 2
                    continue
                chars[i] = " "
                i += 1
                continue
            if line.startswith("//", i):
                for j in range(i, len(chars)):
                    chars[j] = " "
                break
            if line.startswith("/*", i):
                chars[i] = chars[i + 1] = " "
                in_block = True
                i += 2
                continue
            if line.startswith('R"(', i):
                end = line.find(')"', i + 3)
                end = len(line) if end < 0 else end + 2
                for j in range(i, end):
                    chars[j] = " "
                i = end
                continue
            if chars[i] in "\"'":
                quote = chars[i]
                j = i + 1
                while j < len(chars) and chars[j] != quote:
                    j += 2 if chars[j] == "\\" else 1
                for k in range(i, min(j + 1, len(chars))):
                    chars[k] = " "
                i = j + 1
                continue
            i += 1
        out.append("".join(chars))
    return out


# (operator name, pattern over the blanked line, replacement of the match)
SWAPS = [
    ("relational", r"(?<=\s)<(?=\s)", "<="),
    ("relational", r"(?<=\s)<=(?=\s)", "<"),
    ("relational", r"(?<=\s)>(?=\s)", ">="),
    ("relational", r"(?<=\s)>=(?=\s)", ">"),
    ("equality", r"(?<=\s)==(?=\s)", "!="),
    ("equality", r"(?<=\s)!=(?=\s)", "=="),
    ("arithmetic", r"(?<=\s)\+(?=\s)", "-"),
    ("arithmetic", r"(?<=\s)-(?=\s)", "+"),
    ("arithmetic", r"(?<=\s)\+=(?=\s)", "-="),
    ("arithmetic", r"(?<=\s)-=(?=\s)", "+="),
    ("arithmetic", r"\+\+", "--"),
    ("arithmetic", r"(?<![->])--", "++"),
    ("logical", r"(?<=\s)&&(?=\s)", "||"),
    ("logical", r"(?<=\s)\|\|(?=\s)", "&&"),
    ("return", r"\breturn true\b", "return false"),
    ("return", r"\breturn false\b", "return true"),
]

LOG_LINE = re.compile(r"^\s*\d+/\d+ (killed|survived|not built)\s+\d+ s  (.*)$")
INTEGER = re.compile(r"(?<![\w.])(\d+)(?![\w.'])")
CONDITION = re.compile(r"\b(if|while) \(")
CALL_STATEMENT = re.compile(r"^(\s*)([A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*)\(.*\);\s*$")
NOT_CALLS = {"return", "if", "while", "for", "switch", "sizeof", "static_assert", "TQ_ASSERT",
             "delete", "throw", "case"}


def closing_paren(code, start):
    depth = 0
    for i in range(start, len(code)):
        if code[i] == "(":
            depth += 1
        elif code[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def mutants_of(path):
    rel = path.relative_to(ROOT).as_posix()
    lines = path.read_text().splitlines(keepends=True)
    blanked = code_only([l.rstrip("\n") for l in lines])
    found = []
    for number, (line, code) in enumerate(zip(lines, blanked), start=1):
        if code is None or not code.strip():
            continue
        for name, pattern, replacement in SWAPS:
            for m in re.finditer(pattern, code):
                found.append((rel, number, name, m.start(), m.end(), replacement))
        for m in INTEGER.finditer(code):
            value = int(m.group(1))
            found.append((rel, number, "boundary", m.start(), m.end(), str(value + 1)))
            if value > 0:
                found.append((rel, number, "boundary", m.start(), m.end(), str(value - 1)))
        for m in CONDITION.finditer(code):
            open_at = m.end() - 1
            close_at = closing_paren(code, open_at)
            if close_at > 0:
                inner = line[open_at + 1:close_at]
                found.append((rel, number, "negate", open_at, close_at + 1, "(!(" + inner + "))"))
        m = CALL_STATEMENT.match(code)
        if m and m.group(2).split("::")[-1] not in NOT_CALLS and not code.rstrip().endswith("{"):
            found.append((rel, number, "delete-call", len(m.group(1)), len(line.rstrip("\n")), ";"))
    return found, lines


def draw_sample(count, seed):
    everything = []
    texts = {}
    for path in source_files():
        found, lines = mutants_of(path)
        everything += found
        texts[path.relative_to(ROOT).as_posix()] = lines
    rng = random.Random(seed)
    sample = rng.sample(everything, min(count, len(everything)))
    sample.sort(key=lambda m: (m[0], m[1], m[3], m[2], m[5]))
    return sample, texts, len(everything)


def mutated_line(texts, mutant):
    rel, number, _, start, end, replacement = mutant
    line = texts[rel][number - 1]
    return line[:start] + replacement + line[end:]


# ---------------------------------------------------------------------------
# Running

def run(command, timeout=None, cwd=ROOT, **kwargs):
    return subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, errors="replace", timeout=timeout, **kwargs)


def build(timeout=1800):
    return run(["cmake", "--build", str(BUILD), "-j1"], timeout=timeout).returncode == 0


def suite(timeout):
    """True when every test program passes; stops at the first that fails."""
    deadline = time.monotonic() + timeout
    env = dict(os.environ, TQXML_BUILD_DIR=str(BUILD))
    for program in sorted((BUILD / "tests").glob("test_*")):
        if not os.access(program, os.X_OK) or program.is_dir():
            continue
        try:
            result = run([str(program), "--gtest_brief=1", f"--gtest_filter=-{SLOW_TESTS}"],
                         timeout=max(1.0, deadline - time.monotonic()), env=env,
                         cwd=program.parent)
        except subprocess.TimeoutExpired:
            return False
        if result.returncode != 0:
            return False
    return True


def configure():
    if not (BUILD / "CMakeCache.txt").exists():
        result = run(["cmake", "-S", ".", "-B", str(BUILD), "-G", "Ninja",
                      "-DCMAKE_BUILD_TYPE=Release", "-DTQXML_BENCH=OFF"]
                     + (["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []))
        if result.returncode != 0:
            sys.exit(result.stdout)


def measure_size():
    for label, command in SIZE_COMMANDS:
        print(f"== {label}: {' '.join(command)}")
        print(run(command).stdout.rstrip())


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--count", type=int, default=200)
    parser.add_argument("--seed", type=int, default=17)
    parser.add_argument("--list", action="store_true", help="print the sample and stop")
    parser.add_argument("--size", action="store_true", help="count code lines and stop")
    parser.add_argument("--every", type=int, default=1,
                        help="keep every K-th mutant of the sample (a smaller run, same draw)")
    parser.add_argument("--limit", type=int, help="run only the first N of the sample (to time a run)")
    parser.add_argument("--resume", type=Path, help="take the outcomes a log of an earlier run has")
    parser.add_argument("--report", type=Path, help="also write the summary to this file")
    args = parser.parse_args()

    if args.size:
        measure_size()
        return
    sample, texts, total = draw_sample(args.count, args.seed)
    sample = sample[::args.every]
    if args.limit is not None:
        sample = sample[:args.limit]
    earlier = {}
    if args.resume:
        for line in args.resume.read_text().splitlines():
            m = LOG_LINE.match(line)
            if m:
                earlier[m.group(2)] = m.group(1)
    if args.list:
        for i, m in enumerate(sample, 1):
            print(f"{i:3} {m[0]}:{m[1]} {m[2]}: {mutated_line(texts, m).strip()}")
        print(f"{len(sample)} of {total} possible mutants")
        return
    if run(["git", "diff", "--quiet", "--", "src"]).returncode != 0:
        sys.exit("src has uncommitted changes; commit or stash them first")

    # SIGTERM ends the run like Ctrl-C, through the same restore.
    signal.signal(signal.SIGTERM, lambda *_: (_ for _ in ()).throw(KeyboardInterrupt()))
    configure()
    started = time.monotonic()
    if not build():
        sys.exit("the unmutated source does not build")
    t0 = time.monotonic()
    if not suite(timeout=3600):
        sys.exit("the fast suite fails on the unmutated source")
    baseline = time.monotonic() - t0
    limit = max(60.0, 3 * baseline)
    print(f"baseline suite {baseline:.0f} s; limit per mutant {limit:.0f} s", flush=True)

    results = []
    ran = 0  # built and run here, not taken from --resume
    loop_started = time.monotonic()
    log = open(BUILD / "mutants.log", "w")
    try:
        for i, mutant in enumerate(sample, 1):
            rel = mutant[0]
            path = ROOT / rel
            original = "".join(texts[rel])
            lines = list(texts[rel])
            lines[mutant[1] - 1] = mutated_line(texts, mutant)
            t = time.monotonic()
            key = f"{rel}:{mutant[1]} {mutant[2]}: {lines[mutant[1] - 1].strip()}"
            if key in earlier:
                outcome = earlier[key]
            else:
                try:
                    path.write_text("".join(lines))
                    if not build(timeout=1800):
                        outcome = "not built"
                    else:
                        outcome = "survived" if suite(limit) else "killed"
                finally:
                    path.write_text(original)
                ran += 1
            results.append((mutant, outcome))
            entry = f"{i:3}/{len(sample)} {outcome:9} {time.monotonic() - t:5.0f} s  {key}"
            print(entry, flush=True)
            log.write(entry + "\n")
            log.flush()
    except KeyboardInterrupt:
        print("interrupted; source restored", file=sys.stderr)
    finally:
        log.close()
        clean = run(["git", "diff", "--quiet", "--", "src"]).returncode == 0
        if not clean:
            print("WARNING: src differs from the commit after the run", file=sys.stderr)
    build()  # leave the build matching the source

    elapsed = time.monotonic() - started
    per_mutant = (time.monotonic() - loop_started) / max(ran, 1)
    counts = {k: sum(1 for _, o in results if o == k) for k in ("killed", "survived", "not built")}
    built = counts["killed"] + counts["survived"]
    report = [
        f"commit {run(['git', 'rev-parse', '--short', 'HEAD']).stdout.strip()}, "
        f"seed {args.seed}, {len(results)} of {len(sample)} mutants run "
        f"(every {args.every} of {args.count} drawn from {total} possible; "
        f"{len(results) - ran} taken from {args.resume})",
        f"killed {counts['killed']}/{built} built "
        f"({100.0 * counts['killed'] / max(built, 1):.1f}%), "
        f"survived {counts['survived']}, not built {counts['not built']}",
        f"fast suite {baseline:.0f} s unmutated; run {elapsed / 60:.0f} min with the first build, "
        f"{per_mutant:.0f} s per mutant",
        "survivors:",
    ]
    report += [f"  {m[0]}:{m[1]} {m[2]}: {mutated_line(texts, m).strip()}"
               for m, o in results if o == "survived"]
    print("\n".join(report))
    if args.report:
        args.report.write_text("\n".join(report) + "\n")
    if not clean:
        sys.exit(1)


if __name__ == "__main__":
    main()
