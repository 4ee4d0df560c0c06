#!/usr/bin/env python3
"""Checks that every summary in the API reference is the one written above its member.

Doxygen's XML output gives each documented declaration its brief description and the
line it was declared on. For each one this script reads the `///` comment block written
directly above that line in the header (or the `///<` comment after it) and requires the
brief to be part of it, letters and digits compared. A brief that is not there was taken
from somewhere else: a neighbour's comment merged through a group marker, or a group's
text handed to members that have none. Overrides that inherit their base's text are
skipped. It also refuses the usual cause in the public headers: a group opener (`/// @{`)
whose comment block runs on into the next member's. Exit status 1, with one line per
finding, when any is found.

Usage: check-briefs.py XML_DIR SOURCE_DIR
"""
import pathlib
import re
import sys
import xml.etree.ElementTree as ET


def letters(text):
    """Letters and digits only, lower case: markup, entities and spacing drop out."""
    return re.sub(r"[^0-9a-z]", "", text.lower())


def brief_of(node):
    brief = node.find("briefdescription")
    return "" if brief is None else "".join(brief.itertext()).strip()


def comment_above(lines, line):
    """The text of the /// block just above 1-based `line`, or of its ///< comment."""
    own = lines[line - 1]
    if "///<" in own:
        return own.split("///<", 1)[1]
    index = line - 2
    block = []
    while index >= 0:
        text = lines[index].strip()
        if text.startswith("///"):
            block.append(text[3:])
        elif not text.startswith(("template", "[[")):
            break  # a template head or an attribute belongs to the declaration; comments may surround it
        index -= 1
    return " ".join(reversed(block))


def main(xml_dir, source_dir):
    xml_dir = pathlib.Path(xml_dir)
    source_dir = pathlib.Path(source_dir)
    cache = {}
    foreign = []
    checked = 0
    for path in sorted(xml_dir.glob("*.xml")):
        if path.name in ("index.xml", "Doxyfile.xml"):
            continue
        root = ET.parse(path).getroot()
        for node in list(root.iter("memberdef")) + list(root.iter("compounddef")):
            if node.tag == "compounddef" and node.get("kind") not in ("class", "struct", "union"):
                continue
            name = node.findtext("qualifiedname") or node.findtext("compoundname") or "?"
            declared = (node.findtext("definition") or "").split("(")[0].split(" ")[-1]
            if "::" in declared and declared != name:
                continue  # inherited through a using declaration: checked where it is declared
            brief = brief_of(node)
            location = node.find("location")
            if not brief or location is None:
                continue
            header = pathlib.Path(location.get("file"))
            if not header.is_absolute():
                header = source_dir / header
            if header.suffix != ".h" or not header.exists():
                continue
            line = int(location.get("line"))
            if header not in cache:
                cache[header] = header.read_text(encoding="utf-8").splitlines()
            written = comment_above(cache[header], line)
            if not written and node.find("reimplements") is not None:
                continue
            checked += 1
            if letters(brief) not in letters(written):
                where = header.relative_to(source_dir) if header.is_relative_to(source_dir) else header
                foreign.append(f"{where}:{line}: {name}: the summary \"{brief}\" is not the comment written above it")
    taken = len(foreign)
    # The cause itself: a group opener whose block runs on into a member's comment.
    headers = sorted(source_dir.glob("include/fsvg/*.h")) + sorted(source_dir.glob("hosts/*/include/fsvg/*.h"))
    for header in headers:
        lines = header.read_text(encoding="utf-8").splitlines()
        for number, (line, after) in enumerate(zip(lines, lines[1:] + [""]), 1):
            if re.fullmatch(r"\s*///\s*[@\\]\{\s*", line) and after.strip().startswith("///"):
                where = header.relative_to(source_dir)
                foreign.append(f"{where}:{number}: a group opener runs on into the next comment; end its block with a blank line")
    for entry in foreign:
        print(entry)
    if foreign:
        print(f"{taken} of {checked} summaries are taken from another member; "
              f"{len(foreign) - taken} group openers run on into a member's comment")
        return 1
    print(f"All {checked} summaries are their members' own")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
