#!/usr/bin/env python3
"""Mutation check of the option rules: removes or inverts each rule of the two
selection models (and of the rule tables and the front ends' choices they
use) one at a time, rebuilds the core's tests, runs them and prints a table
of each rule and the tests that caught it. A rule no test catches is listed
as SURVIVED and the exit status is 1.

Run by hand (it takes a while: one rebuild per rule):
    tools/mutate_rules.py [--work DIR] [--only TEXT]
It works on a copy of the tree as it stands (tracked and new files) in DIR,
build-mutate/ by default, so the checkout itself is never changed.
"""
import argparse
import re
import shutil
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
TREE = ROOT  # the copy the mutations are made in
TESTS = ("ParcelSelection*:PostalSelection*:Choices*:ParcelAmountRule*:RowLimits*")

# The functions whose every step is a rule: each statement is removed and
# each condition inverted, one at a time.
RULE_FUNCTIONS = {
    "calc/selection/ParcelSelection.cpp": [
        "restoreRows", "mayClick", "chooseFrom", "chooseTo", "chooseWeight", "chooseSize",
        "coolRule", "click", "set", "runRule", "applyExclusions", "mayEnable", "countBoxRule",
        "useCatCashOnDelivery", "typeAmount", "amountRule", "cashOnDeliveryStep", "typeCount",
        "countRule", "recalcCat",
    ],
    "calc/selection/PostalSelection.cpp": [
        "chooseWeight", "click", "set", "disableExcluded", "runRule", "inCityRule",
        "sokutatsuRule", "haitatsuRule", "morning10Rule", "kaniKakitomeRule", "kakitomeRule",
        "genteiRule", "daihikiRule", "typeAmount", "amountRule",
    ],
    "calc/selection/ParcelRules.cpp": ["parcelAmountRule"],
    "calc/selection/Choices.cpp": ["selectParcel", "selectPostal", "selectLetterMail", "selectBookParcel"],
}

# Rules that are data or comparisons rather than steps.
EXTRA = [
    ("calc/selection/ParcelRules.cpp", "クール's weight limit",
     "return weightRow <= kLastCoolWeightRow", "return weightRow < kLastCoolWeightRow"),
    ("calc/selection/ParcelRules.cpp", "クール's size limit",
     "&& sizeRow <= kLastCoolSizeRow", "&& sizeRow < kLastCoolSizeRow"),
    ("calc/tariff/Catalogues.h", "市内特別's weight limit",
     "return postalWeightRow <= kLastInCityRow", "return postalWeightRow < kLastInCityRow"),
    ("calc/selection/ParcelRules.cpp", "書留 above 5",
     "return amount > kRegisteredAbove", "return amount >= kRegisteredAbove"),
    ("calc/selection/ParcelRules.cpp", "the postal amount limit",
     "return amount > kPostalAmountLimit", "return amount >= kPostalAmountLimit"),
    ("calc/selection/ParcelRules.cpp", "the parcel amount limit",
     "if (amount > kParcelAmountLimit)", "if (amount >= kParcelAmountLimit)"),
    ("calc/selection/ParcelSelection.cpp", "mayClick: a box in a disabled group cannot be clicked",
     "           groupEnabled(isYoupackBox", "           !groupEnabled(isYoupackBox"),
    ("calc/selection/ParcelRules.cpp", "the クロネコ cash-on-delivery limit",
     "} else if (amount > kCatCodLimit)", "} else if (amount >= kCatCodLimit)"),
]

DECLARATION = re.compile(r"^(?!return\b|throw\b|else\b)(?:[A-Za-z_][\w:<>,]*\s+)+[\w&*]+\s*(=|;|\{|\()")


def function_spans(lines, names):
    """(name, first line, last line) of each listed function's body."""
    spans = []
    for i, line in enumerate(lines):
        m = re.match(r"^\S.*?\b(?:\w+::)?(\w+)\(.*\)\s*(const\s*)?\{$", line) or \
            re.match(r"^\S.*?\b(?:\w+::)?(\w+)\(", line)
        if not m or m.group(1) not in names or line.startswith(" "):
            continue
        start = i
        while not lines[start].rstrip().endswith("{"):
            start += 1
        end = start + 1
        while lines[end] != "}":
            end += 1
        spans.append((m.group(1), start + 1, end))
    return spans


def step_mutations(path, names):
    """Each statement removed and each condition inverted, by line number."""
    lines = (TREE / path).read_text(encoding="utf-8").split("\n")
    mutations = []
    for name, first, last in function_spans(lines, names):
        i = first
        while i < last:
            text = lines[i].strip()
            cond = re.match(r"^(\}\s*)?(else\s+)?if\s*\((.*)\)\s*\{?$", text)
            if cond and text.count("(") == text.count(")"):
                inner = cond.group(3)
                new = lines[i].replace("(" + inner + ")", "(!(" + inner + "))", 1)
                mutations.append((path, f"{name}: {text}", "inverted", {i: new}))
                i += 1
                continue
            if not text or text.startswith(("//", "}", "{", "case ", "default", "try", "break;",
                                            "for (", "switch", "else")) or "catch" in text:
                i += 1
                continue
            # A statement, maybe over several lines.
            end, depth = i, 0
            while True:
                depth += lines[end].count("(") - lines[end].count(")")
                if lines[end].rstrip().endswith(";") and depth <= 0:
                    break
                end += 1
            # Declarations, and the value a function ends with, are no rules
            # of their own.
            if DECLARATION.match(text) or (text.startswith("return ") and lines[end + 1] == "}"):
                i = end + 1
                continue
            # Replaced by an empty statement.
            indent = lines[i][: len(lines[i]) - len(lines[i].lstrip())]
            change = {k: "" for k in range(i + 1, end + 1)}
            change[i] = indent + "(void)0;"
            mutations.append((path, f"{name}: {text}", "removed", change))
            i = end + 1
    return mutations


def pair_mutations(path="calc/selection/ParcelRules.cpp"):
    """Each exclusion pair replaced by a copy of another pair of its table."""
    lines = (TREE / path).read_text(encoding="utf-8").split("\n")
    mutations, table = [], []
    for i, line in enumerate(lines + [""]):
        if re.match(r"^\s+\{\w+Option::\w+, \w+Option::\w+\},$", line):
            table.append(i)
            continue
        for k, at in enumerate(table):
            other = table[-1] if k != len(table) - 1 else table[0]
            mutations.append((path, "pair " + lines[at].strip(), "removed",
                              {at: lines[other]}))
        table = []
    return mutations


def extra_mutations():
    mutations = []
    for path, rule, old, new in EXTRA:
        lines = (TREE / path).read_text(encoding="utf-8").split("\n")
        found = [i for i, line in enumerate(lines) if old in line]
        if len(found) != 1:
            sys.exit(f"{path}: '{old}' found {len(found)} times")
        mutations.append((path, rule, "shifted", {found[0]: lines[found[0]].replace(old, new)}))
    return mutations


def run(cmd, **kw):
    return subprocess.run(cmd, cwd=TREE, capture_output=True, text=True, **kw)


def copy_tree(to):
    """The checkout's files as they stand, without build folders."""
    listed = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                            cwd=ROOT, capture_output=True, text=True, check=True).stdout
    for name in filter(None, listed.split("\0")):
        source = ROOT / name
        if source.is_file():
            (to / name).parent.mkdir(parents=True, exist_ok=True)
            if not (to / name).exists() or (to / name).read_bytes() != source.read_bytes():
                shutil.copy2(source, to / name)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--work", default="build-mutate")
    parser.add_argument("--only", default="", help="only rules whose text contains this")
    args = parser.parse_args()
    global TREE
    work = ROOT / args.work
    TREE = work / "src"
    copy_tree(TREE)
    build = work / "build"
    if not (build / "CMakeCache.txt").exists():
        run(["cmake", "-S", ".", "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
             "-DHAKOMARU_BUILD_UI=OFF", "-DHAKOMARU_BUILD_BENCH=OFF"], check=True)
    target = ["cmake", "--build", str(build), "--target", "calc_tests"]
    tests = [str(build / "bin" / "calc_tests"), f"--gtest_filter={TESTS}", "--gtest_brief=1"]
    if run(target).returncode or run(tests).returncode:
        sys.exit("the tests do not pass before any rule is changed")

    mutations = []
    for path, names in RULE_FUNCTIONS.items():
        mutations += step_mutations(path, set(names))
    mutations += pair_mutations() + extra_mutations()
    mutations = [m for m in mutations if args.only in m[1]]

    survived = 0
    rows = []
    for path, rule, kind, change in mutations:
        source = TREE / path
        original = source.read_text(encoding="utf-8")
        lines = original.split("\n")
        for i, new in change.items():
            lines[i] = new
        try:
            source.write_text("\n".join(lines), encoding="utf-8")
            if run(target).returncode:
                caught = "(does not build)"
            else:
                result = run(tests, timeout=300)
                failed = sorted(set(re.findall(r"\[  FAILED  \] (\S+?)(?:,| \(|$)",
                                               result.stdout, re.M)))
                caught = ", ".join(failed) if failed else ""
                if not caught and result.returncode:
                    caught = "(the tests crashed)"
        finally:
            source.write_text(original, encoding="utf-8")
        if not caught:
            survived += 1
            caught = "SURVIVED"
        rows.append((f"{Path(path).name} {rule} [{kind}]", caught))
        print(f"{rows[-1][0]}\n    -> {caught}", flush=True)
    run(target)

    print(f"\n| rule | caught by |\n| --- | --- |")
    for rule, caught in rows:
        print(f"| {rule.replace('|', '/')} | {caught} |")
    print(f"\n{len(rows)} rules, {len(rows) - survived} caught, {survived} survived")
    return 1 if survived else 0


if __name__ == "__main__":
    sys.exit(main())
