#!/usr/bin/env python3
"""Checks every link and picture in the README, the changelog and the pages under docs/.

A relative target must name a file or folder of the checkout, and a #fragment a heading
of the page it points to, by the anchors a Markdown renderer gives headings (lower case,
punctuation dropped, spaces as hyphens, -1, -2 ... after a repeated heading). Links to
other sites are not followed. Exit status 1, with one line per broken link, when any is.

Usage: check-links.py SOURCE_DIR
"""
import pathlib
import re
import sys

LINK = re.compile(r"!?\[(?:[^\]\[]|\[[^\]]*\])*\]\(([^)\s]+)\)")
FENCE = re.compile(r"^\s*(```|~~~)")


def prose(text):
    """The lines outside fenced code blocks."""
    inside = False
    for line in text.splitlines():
        if FENCE.match(line):
            inside = not inside
        elif not inside:
            yield line


def anchors(page):
    seen = {}
    for line in prose(page.read_text(encoding="utf-8")):
        heading = re.match(r"#{1,6}\s+(.*?)\s*#*\s*$", line)
        if not heading:
            continue
        slug = re.sub(r"[^\w\- ]", "", heading.group(1).replace("`", "").lower()).replace(" ", "-")
        count = seen.get(slug, 0)
        seen[slug] = count + 1
        yield slug if count == 0 else f"{slug}-{count}"


def main(source_dir):
    root = pathlib.Path(source_dir).resolve()
    pages = [root / "README.md", root / "CHANGELOG.md"] + sorted((root / "docs").glob("*.md"))
    broken = []
    checked = 0
    for page in pages:
        for number, line in enumerate(prose(page.read_text(encoding="utf-8")), 1):
            for target in LINK.findall(line):
                if re.match(r"[a-z]+:", target):
                    continue  # another site, or mail
                checked += 1
                path, _, fragment = target.partition("#")
                destination = (page.parent / path).resolve() if path else page
                where = page.relative_to(root)
                if not destination.exists():
                    broken.append(f"{where}: {target}: no such file")
                elif fragment and destination.suffix == ".md" and fragment not in set(anchors(destination)):
                    broken.append(f"{where}: {target}: no such heading")
    for entry in broken:
        print(entry)
    if broken:
        print(f"{len(broken)} of {checked} links lead nowhere")
        return 1
    print(f"All {checked} links lead somewhere")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
