#!/usr/bin/env python3
"""Checks that every #include points down the layers.

    check_layers.py [ROOT]

Looks at the C++ files under ROOT/src, ROOT/cli and ROOT/sim (ROOT defaults to the project).
A file belongs to the deepest folder of the table below that holds it; an include "a/b/c.h"
belongs to the deepest folder that is a prefix of "a/b". A file may include headers of its own
folder and of the folders its folder builds on, directly or through others. Core folders (no
"gui" in the path) never include a gui/ header. A folder missing from the table is an error,
so a new library states its place here. Prints one line per violation and exits 1 if any.
"""
import pathlib
import re
import sys

# Folder: the folders it builds on. Lowest first, in the order of src/CMakeLists.txt.
CORE = {
    "resources": [],
    "module": [],
    "foundation": ["resources", "module"],
    "stream": ["foundation"],
    "commands": ["foundation"],
    "commands/compose": ["commands"],
    "image": ["stream"],  # the picture model and its files, below capture
    "menucode": ["commands", "image"],
    "serial": ["stream", "module", "foundation"],
    "reader": ["serial", "commands", "image"],  # reader/capture and reader/download are parts
    "dataedit": ["reader", "menucode", "commands/compose"],
    "tools": ["reader", "dataedit", "menucode"],
    "sim": [],  # stands in for a reader: depends on nothing of the program
    "cli": ["reader", "menucode", "commands/compose", "dataedit", "tools"],
}
GUI = {
    "ui/gui": ["foundation"],
    "commands/gui": ["commands", "menucode", "ui/gui"],
    "commands/gui/dialogs": ["commands/compose", "stream", "ui/gui"],
    "menucode/gui": ["menucode", "ui/gui"],
    "menucode/gui/bluetooth": ["menucode/gui", "commands/compose", "stream"],
    "serial/gui": ["reader", "ui/gui", "sim"],
    "image/gui": ["image", "reader", "ui/gui"],
    "dataedit/gui": ["dataedit", "commands/gui", "menucode/gui", "serial/gui"],
    "tools/gui": ["tools", "serial/gui", "image/gui", "menucode/gui", "commands/gui/dialogs"],
    "app/gui": ["commands/gui/dialogs", "commands/gui", "menucode/gui/bluetooth", "serial/gui",
                "image/gui", "dataedit/gui", "tools/gui"],
}
TABLE = {**CORE, **GUI}
# Folders whose subfolders belong to them rather than standing on their own.
PARTS = {"commands/catalog": "commands", "menucode/qr": "menucode",
         "reader/capture": "reader", "reader/download": "reader"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCES = (".h", ".hpp", ".cpp", ".cc")


def folder_of(path):
    """The table's folder that holds `path` ("serial/gui/x.h" -> "serial/gui"), or None."""
    parts = path.split("/")[:-1]
    for end in range(len(parts), 0, -1):
        prefix = "/".join(parts[:end])
        prefix = PARTS.get(prefix, prefix)
        if prefix in TABLE:
            return prefix
    return None


def allowed(folder):
    """The folder itself and everything it builds on, directly or not."""
    seen, todo = set(), [folder]
    while todo:
        current = todo.pop()
        if current not in seen:
            seen.add(current)
            todo.extend(TABLE[current])
    return seen


def is_gui(folder):
    return folder in GUI


def check(root):
    problems = []
    for top in ("src", "cli", "sim"):
        base = root / top
        if not base.is_dir():
            continue
        for file in sorted(base.rglob("*")):
            if file.suffix not in SOURCES:
                continue
            relative = file.relative_to(base if top == "src" else root).as_posix()
            problems += check_file(root, file, relative)
    return problems


def check_file(root, file, relative):
    folder = folder_of(relative)
    shown = file.relative_to(root).as_posix()
    if folder is None:
        return [f"{shown}: its folder is not in the layer table of scripts/check_layers.py"]
    problems = []
    may = allowed(folder)
    for included in INCLUDE.findall(file.read_text(errors="replace")):
        if "/" not in included or (file.parent / included).exists():
            continue  # a header beside the file
        target = folder_of(included)
        if target is None:
            continue  # generated or outside the program
        if is_gui(target) and not is_gui(folder):
            problems.append(f'{shown}: core code includes the gui header "{included}"')
        elif target not in may:
            problems.append(f'{shown}: "{folder}" may not include "{included}" ({target})')
    return problems


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    problems = check(root.resolve())
    for line in problems:
        print(line)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
