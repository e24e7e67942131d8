#!/usr/bin/env python3
"""Turns a manual page's source (a small subset of Markdown kept beside its tool) into roff.

    manpage.py SOURCE OUTPUT VERSION      (OUTPUT ending in .gz: compressed, as installed)

Source form:
    % NAME SECTION        first line: the page's name and section
    # HEADING             a section (NAME, SYNOPSIS, OPTIONS, ...)
    `SWITCH` ARGS         a line that opens with a code span and is followed by a line
    : text                starting with ": " is one option entry (tagged paragraph)
    - item                a bulleted item
    blank line            a new paragraph
Inline: **bold**, *italic*, `code` (bold). @VERSION@ becomes VERSION.
"""
import gzip
import re
import sys


def escape(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return text


def inline(text):
    text = escape(text)
    text = re.sub(r"`([^`]+)`", r"\\fB\1\\fR", text)
    text = re.sub(r"\*\*([^*]+)\*\*", r"\\fB\1\\fR", text)
    text = re.sub(r"\*([^*]+)\*", r"\\fI\1\\fR", text)
    # A line of roff must not start with a control character.
    if text.startswith((".", "'")):
        text = "\\&" + text
    return text


def convert(lines, version):
    out = []
    header = lines[0].strip()
    if not header.startswith("% "):
        raise SystemExit("the first line must be '% NAME SECTION'")
    name, section = header[2:].split()
    out.append('.TH "%s" "%s" "" "%s %s" "User Commands"'
               % (name.upper(), section, name, version))
    i = 1
    while i < len(lines):
        line = lines[i].rstrip("\n").replace("@VERSION@", version)
        nxt = lines[i + 1].rstrip("\n") if i + 1 < len(lines) else ""
        if not line.strip():
            out.append(".PP")
        elif line.startswith("# "):
            out.append(".SH " + escape(line[2:].strip().upper()))
        elif line.startswith("`") and nxt.startswith(": "):
            out.append(".TP")
            out.append(inline(line))
            out.append(inline(nxt[2:].replace("@VERSION@", version)))
            i += 1
        elif line.startswith(": "):
            out.append(inline(line[2:]))
        elif line.startswith("- "):
            out.append(".IP \\(bu 2")
            out.append(inline(line[2:]))
        elif line.startswith("    "):
            out.append(".nf")
            while i < len(lines) and lines[i].startswith("    "):
                out.append("\\&" + escape(lines[i][4:].rstrip("\n")))
                i += 1
            out.append(".fi")
            continue
        else:
            out.append(inline(line))
        i += 1
    # Collapse runs of paragraph marks and drop one straight after a heading.
    cleaned = []
    for item in out:
        if item == ".PP" and cleaned and (cleaned[-1] == ".PP" or cleaned[-1].startswith(".SH")
                                          or cleaned[-1].startswith(".TH")):
            continue
        cleaned.append(item)
    return "\n".join(cleaned) + "\n"


def main():
    source, output, version = sys.argv[1:4]
    with open(source, encoding="utf-8") as f:
        lines = f.readlines()
    roff = convert(lines, version).encode("utf-8")
    if output.endswith(".gz"):
        # No name and no time in the header: the same source gives the same bytes.
        with open(output, "wb") as raw:
            with gzip.GzipFile(filename="", mode="wb", fileobj=raw, compresslevel=9, mtime=0) as f:
                f.write(roff)
    else:
        with open(output, "wb") as f:
            f.write(roff)


if __name__ == "__main__":
    main()
