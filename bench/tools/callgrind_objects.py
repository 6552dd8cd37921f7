#!/usr/bin/env python3
"""Sums the self cost (instructions) of a callgrind output file per object file.

Usage: callgrind_objects.py callgrind.out [object-substring]
Prints "<instructions> <object>" per object, largest first; with a substring, prints only the total of the
objects whose name contains it.
"""
import re
import sys
from collections import defaultdict


def costs(path):
    names = {}
    totals = defaultdict(int)
    current = "?"
    skip_next = False
    name_line = re.compile(r"^(ob|fl|fi|fe|fn|cob|cfi|cfl|cfn)=(?:\((\d+)\))?\s*(.*)$")
    with open(path, errors="replace") as lines:
        for line in lines:
            line = line.rstrip("\n")
            if skip_next:
                # The line after calls= carries the callee's inclusive cost, not this function's own.
                skip_next = False
                continue
            match = name_line.match(line)
            if match:
                kind, number, name = match.groups()
                if kind in ("ob", "cob"):
                    if number is not None:
                        if name:
                            names[number] = name
                        name = names.get(number, name)
                    if kind == "ob":
                        current = name
                continue
            if line.startswith("calls="):
                skip_next = True
                continue
            if line and (line[0].isdigit() or line[0] in "+-*"):
                fields = line.split()
                if len(fields) >= 2:
                    totals[current] += int(fields[1])
    return totals


def main():
    totals = costs(sys.argv[1])
    if len(sys.argv) > 2:
        print(sum(cost for name, cost in totals.items() if sys.argv[2] in name))
        return
    for name, cost in sorted(totals.items(), key=lambda item: -item[1]):
        print(cost, name)


if __name__ == "__main__":
    main()
