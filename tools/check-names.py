#!/usr/bin/env python3
"""Finds code in src/ that is named by a designer number (Label5, Text1, Timer2_Timer, form1_).

The designer's names stay only as the controls' objectName (a string) and in comments; a member,
method, type or local is named by its role. Prints each place and exits 1 when there is one.
"""
import pathlib
import re
import sys

top = pathlib.Path(__file__).resolve().parent.parent
prefixes = ("Label|Picture|Text|Combo|Command|Option|Timer|Frame|Image|MSFlexGrid|CtlDigital|Data|"
            "List|Check|UpDown|MSComm|Shape|Line|VScroll|HScroll|Form|form")
designer = re.compile(r"\b(?:%s)\d+_?\w*" % prefixes)
# Comments, string and character literals (raw strings are not used in src/).
noise = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)

faults = []
for source in sorted((top / "src").rglob("*")):
    if source.suffix not in (".h", ".cpp"):
        continue
    text = source.read_text(encoding="utf-8")
    code = noise.sub(lambda m: "\n" * m.group(0).count("\n"), text)
    for number, line in enumerate(code.splitlines(), 1):
        for m in designer.finditer(line):
            faults.append(f"{source.relative_to(top)}:{number}: {m.group(0)}")
for f in faults:
    print(f)
print(f"{len(faults)} names that are designer numbers")
sys.exit(1 if faults else 0)
