#!/usr/bin/env python3
"""Writes one release zip: the exe, README.txt and LICENSE.txt.

README.txt is the user's guide of README.md (between its two marks) as plain
text with CRLF line ends, so that Notepad on any Windows shows it as meant:
no markup, no image links, tables as lists. The zip is the same byte for
byte on every build: fixed entry order, date and permissions.

usage: make-zip.py OUT.zip vigilo.exe README.md LICENSE
"""
import re
import sys
import textwrap
import zipfile

START = "<!-- The user's guide runs from here"
END = "<!-- End of the user's guide. -->"


def inline(text):
    text = re.sub(r"!\[[^\]]*\]\([^)]*\)", "", text)  # images
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)  # links: their text
    text = text.replace("**", "").replace("`", "")
    return text


def cells(row):
    return [inline(c.strip()) for c in row.strip().strip("|").split("|")]


def table(rows):
    """A table as a list: the first cells as items, the last as their text."""
    out = []
    for row in rows[2:]:  # past the header and its rule
        c = cells(row)
        head = c[0] + (" (" + ", ".join(c[1:-1]) + ")" if len(c) > 2 else "")
        out += textwrap.wrap(head, 76, initial_indent="  * ", subsequent_indent="    ")
        out += textwrap.wrap(c[-1], 76, initial_indent="      ", subsequent_indent="      ")
    return out


def guide(markdown):
    start = markdown.index(START)
    body = markdown[markdown.index("-->", start) + 3 : markdown.index(END)]
    lines = ["Vigilo", "======"]
    rows = []
    for line in body.splitlines() + [""]:
        if line.startswith("|"):
            rows.append(line)
            continue
        if rows:
            lines += table(rows)
            rows = []
        if line.startswith("!["):
            continue
        heading = re.match(r"(#+) (.*)", line)
        if heading:
            title = inline(heading.group(2))
            lines += [title, ("=" if len(heading.group(1)) <= 2 else "-") * len(title)]
        else:
            lines.append(inline(line).rstrip())
    text = re.sub(r"\n{3,}", "\n\n", "\n".join(lines).strip() + "\n")
    if not text.isascii():
        sys.exit("make-zip.py: the user's guide must be plain ASCII")
    return text


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("ascii")


def main():
    out, exe, readme, licence = sys.argv[1:5]
    with open(readme, encoding="utf-8") as f:
        guide_text = crlf(guide(f.read()))
    with open(licence, encoding="utf-8") as f:
        licence_text = crlf(f.read())
    with open(exe, "rb") as f:
        exe_bytes = f.read()
    entries = [("LICENSE.txt", licence_text), ("README.txt", guide_text), ("vigilo.exe", exe_bytes)]
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            info.external_attr = 0o644 << 16
            info.create_system = 3
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data, compresslevel=9)


if __name__ == "__main__":
    main()
