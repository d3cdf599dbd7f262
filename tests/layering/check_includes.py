#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks that every #include of the program's own folders points down the layers.

    app -> ui -> engine -> platform (its Qt-free core); brain -> engine; resources are data,
    read by the window layers and the platform (the message box's caption), never by the rules.

The engine and the brain link no Qt, so a Qt header there also fails the build; this check
says which line is wrong, and catches the includes that would compile but break the layering
(the engine reaching for the window's texts, say). Tests and benchmarks may include anything.
Usage: check_includes.py SOURCE_DIR
"""

import pathlib
import re
import sys

# Which folders a folder's files may include from.
ALLOWED = {
    "platform": {"platform", "resources"},
    "resources": {"resources"},
    "engine": {"engine", "platform"},
    "brain": {"brain", "engine", "platform"},
    "ui": {"ui", "engine", "platform", "resources"},
    "app": {"app", "ui", "engine", "platform", "resources"},
}
QT_FREE = {"engine", "brain"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def includes(path):
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        m = INCLUDE.match(line)
        if m:
            yield number, m.group(1) == "<", m.group(2)


def qt_header(name, angled):
    return angled and re.match(r"Q[A-Za-z]*($|/)", name)


def main(root):
    root = pathlib.Path(root)
    problems = []
    for folder, allowed in ALLOWED.items():
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            for number, angled, name in includes(path):
                where = "%s:%d" % (path.relative_to(root), number)
                top = name.split("/", 1)[0]
                if folder in QT_FREE and qt_header(name, angled):
                    problems.append("%s includes <%s>: %s/ is free of Qt" % (where, name, folder))
                if angled or top not in ALLOWED:
                    continue
                if top not in allowed:
                    problems.append("%s includes %s: %s/ may include only %s"
                                    % (where, name, folder,
                                       ", ".join(sorted(a + "/" for a in allowed))))
                elif folder in QT_FREE and top == "platform" and (root / name).exists() and any(
                        qt_header(n, a) for _, a, n in includes(root / name)):
                    problems.append("%s includes %s, which needs Qt" % (where, name))
    for problem in problems:
        print(problem)
    print("%d include(s) against the layering" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
