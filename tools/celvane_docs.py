#!/usr/bin/env python3
"""Builds Celvane's documentation from the programs themselves.

  refs --celvane BIN --notes NOTES --manual MANUAL (--write | --check)
      The command and parameter references of the manual, between its
      "<!-- BEGIN GENERATED: commands -->" / "... parameters -->" markers, are
      made from `celvane --list-commands` and `celvane --list-parameters`, with
      the hand-written prose of NOTES merged in (keyed by command words, and by
      object kind and parameter name). --write rewrites the manual; --check
      exits 1 when the manual, the notes and the program disagree.
  man --celvane BIN [--sweep BIN] [--plot BIN] --notes NOTES --templates DIR --out DIR
      Man pages celvane(1), celvane-sweep(1), celvane-plot(1) from the
      programs' --help and the roff templates DIR/NAME.1.in; writes NAME.1 and
      NAME.1.gz.
  html MANUAL OUT
      The manual as one HTML page (needs the python3-markdown package).
"""

import argparse
import difflib
import gzip
import os
import re
import subprocess
import sys

MARK = "<!-- {} GENERATED: {} -->"


def run(program, *args):
    return subprocess.run([program, *args], check=True, capture_output=True, text=True).stdout


# ---------------------------------------------------------------- the program


def read_commands(celvane):
    """Rows of --list-commands: (words, arguments, [messages])."""
    rows = []
    for line in run(celvane, "--list-commands").splitlines():
        fields = line.split("\t")
        rows.append((fields[0], fields[1], fields[2:]))
    return rows


def read_parameters(celvane):
    """{kind: [(name, type, default, description, option)]}, program order."""
    kinds = {}
    for line in run(celvane, "--list-parameters").splitlines():
        kind, *rest = line.split("\t")
        kinds.setdefault(kind, []).append(tuple(rest))
    return kinds


# ---------------------------------------------------------------- the notes


def read_notes(path):
    """The prose of NOTES.

    "# Commands" holds "## WORDS[; WORDS...]" sections (one text for a group
    of commands); "# Parameters" holds "## KIND" sections (the kind's
    introduction) with "### NAME" sections (one parameter each).
    """
    commands, kinds, params = [], {}, {}
    part, key, text = None, None, []

    def flush():
        if key is None:
            return
        body = "\n".join(text).strip()
        if key[0] == "command":
            commands.append((key[1], body))
        elif key[0] == "kind":
            for k in key[1]:
                kinds[k] = body
        else:
            for k in key[1][0]:
                params[(k, key[1][1])] = body

    kind = None
    with open(path, encoding="utf-8") as f:
        for line in f.read().splitlines():
            m = re.match(r"^(#{1,3}) (.*?)\s*$", line)
            if not m:
                text.append(line)
                continue
            flush()
            level, title = len(m.group(1)), m.group(2)
            text = []
            if level == 1:
                part, key = title, None
            elif level == 2 and part == "Commands":
                key = ("command", [w.strip() for w in title.split(";")])
            elif level == 2 and part == "Parameters":
                kind = [k.strip() for k in title.split(";")]
                key = ("kind", kind)
            elif level == 3 and part == "Parameters" and kind:
                key = ("param", (kind, title))
            else:
                raise SystemExit(f"{path}: heading out of place: {line}")
        flush()
    return commands, kinds, params


# ---------------------------------------------------------------- references


def kind_title(kind):
    if kind == "network":
        return "Network"
    if kind == "queueing system":
        return "Queueing systems"
    if kind.startswith("block "):
        return f'Block model "{kind[6:]}"'
    if kind.startswith("layer "):
        model, _, ltype = kind[6:].rpartition(" ")
        return f'Layer type {ltype} of "{model}"'
    return kind


def code(text):
    """A Markdown code span holding text exactly."""
    ticks = "``" if "`" in text else "`"
    pad = " " if text.startswith("`") or text.endswith("`") or text != text.strip() else ""
    return f"{ticks}{pad}{text}{pad}{ticks}"


def cell(text):
    return text.replace("|", "\\|")


def command_reference(commands, notes, problems):
    by_words = {words: (args, messages) for words, args, messages in commands}
    noted = {}
    for group, body in notes:
        for words in group:
            if words not in by_words:
                problems.append(f"notes: no command '{words}' in the program")
            noted[words] = (tuple(group), body)
    out, done = [], set()
    for words, _, _ in commands:
        if words not in noted:
            problems.append(f"notes: command '{words}' has no text")
            continue
        group, body = noted[words]
        if group in done:
            continue
        done.add(group)
        members = [w for w in group if w in by_words]
        out.append("### " + ", ".join(f"`{w}`" for w in members))
        out.append("")
        for w in members:
            args = by_words[w][0]
            out.append(f"    {w} {args}".rstrip())
        out.append("")
        out.append(body)
        out.append("")
        out.append("Messages of the argument checks, in the order they are made:")
        out.append("")
        out.append("```")
        for w in members:
            out.extend(by_words[w][1])
        out.append("```")
        out.append("")
    return "\n".join(out).rstrip() + "\n"


def parameter_reference(kinds, kind_notes, param_notes, problems):
    for kind in kind_notes:
        if kind not in kinds:
            problems.append(f"notes: no object kind '{kind}' in the program")
    for kind, name in param_notes:
        if kind in kinds and name not in [p[0] for p in kinds[kind]]:
            problems.append(f"notes: kind '{kind}' has no parameter '{name}'")
    out = []
    for kind, rows in kinds.items():
        out.append(f"### {kind_title(kind)}")
        out.append("")
        if kind in kind_notes:
            out.append(kind_notes[kind])
            out.append("")
        else:
            problems.append(f"notes: object kind '{kind}' has no text")
        out.append("| parameter | type | default | description |")
        out.append("|---|---|---|---|")
        for name, ptype, default, description, _option in rows:
            out.append(f"| {code(name)} | {ptype} | {cell(code(default))} | {cell(description)} |")
        out.append("")
        for name, ptype, default, description, _option in rows:
            prose = param_notes.get((kind, name))
            if prose is None:
                problems.append(f"notes: parameter '{name}' of '{kind}' has no text")
                continue
            out.append(f"- **{name}** — {prose}")
        out.append("")
    return "\n".join(out).rstrip() + "\n"


def replace_section(manual, name, body, problems):
    begin, end = MARK.format("BEGIN", name), MARK.format("END", name)
    i, j = manual.find(begin), manual.find(end)
    if i < 0 or j < i:
        problems.append(f"manual: markers of the {name} reference missing")
        return manual
    return manual[: i + len(begin)] + "\n\n" + body + "\n" + manual[j:]


def presence_problems(manual, commands, kinds):
    """Every command and every parameter with its default, found in the text."""
    problems = []
    for words, args, _ in commands:
        if f"    {words} {args}".rstrip() not in manual:
            problems.append(f"manual: command '{words} {args}' not found")
    for kind, rows in kinds.items():
        start = manual.find(f"### {kind_title(kind)}\n")
        section = manual[start: manual.find("\n### ", start + 1)] if start >= 0 else ""
        for name, ptype, default, *_ in rows:
            if f"| {code(name)} | {ptype} | {cell(code(default))} |" not in section:
                problems.append(f"manual: parameter '{name}' of '{kind}' with default {default} not found")
    return problems


def refs(a):
    commands, kinds = read_commands(a.celvane), read_parameters(a.celvane)
    command_notes, kind_notes, param_notes = read_notes(a.notes)
    with open(a.manual, encoding="utf-8") as f:
        old = f.read()
    problems = []
    new = replace_section(old, "commands", command_reference(commands, command_notes, problems),
                          problems)
    new = replace_section(new, "parameters",
                          parameter_reference(kinds, kind_notes, param_notes, problems), problems)
    if a.write:
        if new != old:
            with open(a.manual, "w", encoding="utf-8") as f:
                f.write(new)
            print(f"{a.manual}: references rewritten")
    else:
        problems += presence_problems(old, commands, kinds)
        if new != old:
            diff = difflib.unified_diff(old.splitlines(), new.splitlines(), a.manual,
                                        "from the program", lineterm="", n=1)
            problems.append("manual: the references differ from the program's tables "
                            "(cmake --build BUILD --target update-manual rewrites them):\n"
                            + "\n".join(list(diff)[:80]))
    for p in problems:
        print(p, file=sys.stderr)
    return 1 if problems else 0


# ---------------------------------------------------------------- man pages


def roff(text):
    """Plain text as roff: backslashes, dashes and leading dots escaped."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\n".join(("\\&" + l) if l.startswith((".", "'")) else l for l in text.split("\n"))


def help_entries(help_text, heading):
    """The (usage, description) entries under a heading of a --help text."""
    entries, inside = [], False
    for line in help_text.splitlines():
        if not line.strip():
            if inside and entries:
                inside = False
            continue
        if not line.startswith(" "):
            inside = line.rstrip(":") == heading
            continue
        if not inside:
            continue
        m = re.match(r"^ {1,6}(\S.*?)(?: {2,}(\S.*))?$", line)
        if m and not line.startswith(" " * 8):
            entries.append([m.group(1), m.group(2) or ""])
        elif entries:
            entries[-1][1] = (entries[-1][1] + " " + line.strip()).strip()
    return entries


def options_roff(entries, positional=False):
    """Entries of a --help text (celvane's or CLI11's layout) as roff .TP items."""
    out = []
    for usage, description in entries:
        usage = re.sub(r" in \[[^]]*\]| REQUIRED", "", usage)
        usage = re.sub(r"\b(TEXT|UINT|INT|FLOAT):(\w+)", lambda m: m.group(2) if m.group(2) != m.group(1) else m.group(1), usage)
        parts = re.split(r",\s*", usage)
        last = parts[-1].split(" ", 1)
        flags, metavar = parts[:-1] + [last[0]], (last[1] if len(last) > 1 else "")
        if positional:
            metavar = ""
        flag = ", ".join(f"\\fB{roff(f)}\\fR" for f in flags)
        rest = f" \\fI{roff(metavar)}\\fR" if metavar else ""
        text = description[:1].upper() + description[1:]
        out += [".TP", flag + rest, roff(text if text.endswith(".") else text + ".")]
    return "\n".join(out)


def first_sentence(text):
    text = " ".join(text.split())
    m = re.match(r"(.+?\.)(\s|$)", text)
    return m.group(1) if m else text


def plain(markdown):
    """Markdown inline text as plain text for roff."""
    return re.sub(r"\*\*([^*]+)\*\*|`([^`]+)`", lambda m: m.group(1) or m.group(2), markdown)


def commands_roff(commands, notes):
    by_words = {words: args for words, args, _ in commands}
    text = {}
    for group, body in notes:
        for words in group:
            text[words] = plain(first_sentence(body))
    out = []
    for words, args, _ in commands:
        out += [".TP", f"\\fB{roff(words)}\\fR \\fI{roff(args)}\\fR".rstrip(),
                roff(text.get(words, ""))]
    return "\n".join(out)


def man(a):
    os.makedirs(a.out, exist_ok=True)
    command_notes, _, _ = read_notes(a.notes)
    pages = {"celvane": a.celvane, "celvane-sweep": a.sweep, "celvane-plot": a.plot}
    version = run(a.celvane, "--version").split()[-1]
    for page, program in pages.items():
        if not program:
            continue
        help_text = run(program, "--help")
        with open(os.path.join(a.templates, page + ".1.in"), encoding="utf-8") as f:
            template = f.read()
        values = {
            "@VERSION@": version,
            "@OPTIONS@": options_roff(help_entries(help_text, "Options")),
            "@POSITIONALS@": options_roff(help_entries(help_text, "Positionals"), True),
        }
        if page == "celvane":
            values["@COMMANDS@"] = commands_roff(read_commands(program), command_notes)
        for key, value in values.items():
            template = template.replace(key, value)
        target = os.path.join(a.out, page + ".1")
        with open(target, "w", encoding="utf-8") as f:
            f.write(template)
        # gzip -9n: no name or time inside, so the page is reproducible.
        with open(target, "rb") as src, open(target + ".gz", "wb") as raw:
            with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw, mtime=0) as z:
                z.write(src.read())
    return 0


# ---------------------------------------------------------------- html


def html(a):
    import markdown  # Debian: python3-markdown

    with open(a.manual, encoding="utf-8") as f:
        text = f.read()
    body = markdown.markdown(text, extensions=["tables", "fenced_code", "toc"])
    page = ("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<title>Celvane manual</title>\n<style>\n"
            "body{max-width:60em;margin:auto;padding:1em;font-family:sans-serif;line-height:1.4}\n"
            "code,pre{font-family:monospace;white-space:pre-wrap}\n"
            "pre{background:#f4f4f4;padding:.5em}\n"
            "table{border-collapse:collapse}td,th{border:1px solid #ccc;padding:.2em .4em}\n"
            "</style>\n</head>\n<body>\n" + body + "\n</body>\n</html>\n")
    with open(a.out, "w", encoding="utf-8") as f:
        f.write(page)
    return 0


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = p.add_subparsers(dest="what", required=True)
    r = sub.add_parser("refs")
    r.add_argument("--celvane", required=True)
    r.add_argument("--notes", required=True)
    r.add_argument("--manual", required=True)
    mode = r.add_mutually_exclusive_group(required=True)
    mode.add_argument("--write", action="store_true")
    mode.add_argument("--check", action="store_true")
    m = sub.add_parser("man")
    m.add_argument("--celvane", required=True)
    m.add_argument("--sweep")
    m.add_argument("--plot")
    m.add_argument("--notes", required=True)
    m.add_argument("--templates", required=True)
    m.add_argument("--out", required=True)
    h = sub.add_parser("html")
    h.add_argument("manual")
    h.add_argument("out")
    a = p.parse_args()
    return {"refs": refs, "man": man, "html": html}[a.what](a)


if __name__ == "__main__":
    sys.exit(main())
