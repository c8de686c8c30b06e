#!/usr/bin/env python3
"""Checks of the documentation and the installation, run by CTest.

  docs_test.py CHECK --build BUILD --source SOURCE

ManPagesRender  the man pages render without warnings and list every command
Completion      the bash completion offers every option of each program's --help
InstalledTree   `cmake --install` gives the layout, and its programs run an example
DebianPackage   `cpack -G DEB` builds a package with its dependencies; unpacked
                with `dpkg -x`, its program runs an example

Exit status 0 passed, 1 failed, 77 skipped (a tool the check needs is missing).
"""

import argparse
import glob
import json
import os
import re
import shutil
import subprocess
import sys

SKIP = 77
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def run(*args, **kw):
    return subprocess.run(list(args), capture_output=True, text=True, **kw)


def programs(build):
    """The programs this build made."""
    return [p for p in ("celvane", "celvane-sweep", "celvane-plot")
            if os.path.exists(os.path.join(build, p))]


def help_options(program):
    """Every option named at the start of an entry of the program's --help."""
    options = set()
    for line in run(program, "--help").stdout.splitlines():
        m = re.match(r"^ {1,8}(-[^ ,]*(?:, ?-[^ ,]*)*)", line)
        if m:
            options.update(o for o in re.split(r",\s*", m.group(1)) if o.startswith("-"))
    return options


def man_pages_render(a):
    if not shutil.which("man"):
        return SKIP
    pages = sorted(glob.glob(os.path.join(a.build, "man", "*.1")))
    check(len(pages) == len(programs(a.build)), f"man pages {pages} for {programs(a.build)}")
    commands = run(os.path.join(a.build, "celvane"), "--list-commands").stdout.splitlines()
    env = dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8")
    for page in pages:
        r = run("man", "--warnings", "-l", page, env=env)
        name = os.path.basename(page)
        check(r.returncode == 0 and r.stderr == "", f"{name}: man says {r.stderr.strip()}")
        text = re.sub(r".\x08", "", r.stdout)
        check("NAME" in text and "OPTIONS" in text, f"{name}: sections missing")
        check("@" not in text, f"{name}: a template placeholder is left")
        if name == "celvane.1":
            for row in commands:
                words, args = row.split("\t")[:2]
                check(f"{words} {args}".strip() in " ".join(text.split()),
                      f"celvane.1: command '{words}' missing")
    return 0


def completion(a):
    if not shutil.which("bash"):
        return SKIP
    script = os.path.join(a.source, "completion", "celvane")
    extra = {"--list-commands", "--list-parameters"}  # celvane's, outside --help
    for program in programs(a.build):
        wanted = help_options(os.path.join(a.build, program))
        check(len(wanted) >= 3, f"{program}: no options read from --help")
        function = "_" + program.replace("-", "_")
        r = run("bash", "-c", f'source "{script}"; COMP_WORDS=({program} -); COMP_CWORD=1; '
                f'{function}; printf "%s\\n" "${{COMPREPLY[@]}}"; complete -p {program} >&2')
        offered = set(r.stdout.split())
        check(f"-F {function} {program}" in r.stderr, f"{program}: completion not registered")
        check(r.returncode == 0, f"{program}: completion script failed: {r.stderr}")
        check(not (wanted - offered), f"{program}: options not completed: {sorted(wanted - offered)}")
        check(not (offered - wanted - extra), f"{program}: completes unknown {sorted(offered - wanted - extra)}")
    return 0


def check_tree(prefix, build, label):
    """The installed layout under prefix, and its programs at work."""
    doc = os.path.join(prefix, "share", "doc", "celvane")
    expected = [os.path.join("bin", p) for p in programs(build)]
    expected += [os.path.join("share", "man", "man1", p + ".1.gz") for p in programs(build)]
    expected += [os.path.join("share", "bash-completion", "completions", p) for p in programs(build)]
    expected += [os.path.join("share", "doc", "celvane", f) for f in
                 ("manual.md", "README.md", "examples/switched.txt", "examples/packets.txt")]
    if os.path.exists(os.path.join(build, "manual.html")):
        expected.append(os.path.join("share", "doc", "celvane", "manual.html"))
    for path in expected:
        check(os.path.isfile(os.path.join(prefix, path)), f"{label}: {path} not installed")
    found = {os.path.relpath(os.path.join(d, f), prefix)
             for d, _, files in os.walk(prefix) for f in files}
    stray = sorted(f for f in found if not f.startswith(("bin/", "share/")))
    check(not stray, f"{label}: files outside bin/ and share/: {stray[:5]}")
    check(not any("test" in f for f in found if f.startswith("bin/")), f"{label}: a test program installed")

    # The installed program runs an installed example; its files land in the working folder.
    work = os.path.join(os.path.dirname(prefix.rstrip("/")), "work")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    celvane = os.path.join(prefix, "bin", "celvane")
    r = run(celvane, "--batch", "--seed", "3", os.path.join(doc, "examples", "switched.txt"), cwd=work)
    check(r.returncode == 0, f"{label}: the example failed: {r.stdout[-300:]} {r.stderr}")
    record = os.path.join(work, "results", "switched", "lan_run.json")
    if check(os.path.isfile(record), f"{label}: no run record"):
        with open(record) as f:
            check(json.load(f)["events"] > 1000, f"{label}: the example ran no traffic")
    # The installed sweep uses the installed celvane beside it.
    if "celvane-sweep" in programs(build):
        r = run(os.path.join(prefix, "bin", "celvane-sweep"), os.path.join(doc, "examples", "vbr_load.txt"),
                "--vary", "CELLS=2", "--runs", "1", "--out", os.path.join(work, "sweep"),
                "--seed", "1", "--print-jobs", cwd=work)
        check(r.returncode == 0 and os.path.realpath(celvane) in r.stdout.replace("'", ""),
              f"{label}: celvane-sweep does not run the installed celvane: {r.stdout[:300]} {r.stderr}")
    r = run("man", "--warnings", "-l", os.path.join(prefix, "share", "man", "man1", "celvane.1.gz"),
            env=dict(os.environ, MANWIDTH="80")) if shutil.which("man") else None
    if r:
        check(r.returncode == 0 and r.stderr == "" and "celvane" in r.stdout,
              f"{label}: installed man page: {r.stderr}")


def scratch(build, name):
    path = os.path.join(build, "docs-test", name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def installed_tree(a):
    prefix = os.path.join(scratch(a.build, "install"), "prefix")
    r = run("cmake", "--install", a.build, "--prefix", prefix)
    if not check(r.returncode == 0, f"cmake --install failed: {r.stdout} {r.stderr}"):
        return 0
    check_tree(prefix, a.build, "cmake --install")
    return 0


def debian_package(a):
    if not (shutil.which("cpack") and shutil.which("dpkg-deb")):
        return SKIP
    root = scratch(a.build, "deb")
    r = run("cpack", "-G", "DEB", "-B", os.path.join(root, "pkg"),
            "--config", os.path.join(a.build, "CPackConfig.cmake"), cwd=a.build)
    debs = glob.glob(os.path.join(root, "pkg", "*.deb"))
    if not check(r.returncode == 0 and len(debs) == 1, f"cpack failed: {r.stdout[-600:]} {r.stderr}"):
        return 0
    fields = run("dpkg-deb", "-f", debs[0], "Package", "Depends", "Recommends").stdout
    check("Package: celvane" in fields, f"package name: {fields}")
    check(re.search(r"Depends:.*libc6", fields) is not None, f"Depends lacks libc6: {fields}")
    if "celvane-sweep" in programs(a.build):
        check(re.search(r"Depends:.*libsqlite3", fields) is not None, f"Depends lacks libsqlite3: {fields}")
    check(re.search(r"Recommends:.*gnuplot-nox.*parallel", fields) is not None,
          f"Recommends lacks gnuplot-nox, parallel: {fields}")
    tree = os.path.join(root, "root")
    r = run("dpkg", "-x", debs[0], tree) if shutil.which("dpkg") else run("dpkg-deb", "-x", debs[0], tree)
    if check(r.returncode == 0, f"dpkg -x failed: {r.stderr}"):
        check_tree(os.path.join(tree, "usr"), a.build, "package")
    return 0


def main():
    p = argparse.ArgumentParser()
    p.add_argument("check", choices=["ManPagesRender", "Completion", "InstalledTree", "DebianPackage"])
    p.add_argument("--build", required=True)
    p.add_argument("--source", required=True)
    a = p.parse_args()
    a.build, a.source = os.path.abspath(a.build), os.path.abspath(a.source)
    status = {"ManPagesRender": man_pages_render, "Completion": completion,
              "InstalledTree": installed_tree, "DebianPackage": debian_package}[a.check](a)
    for f in failures:
        print("FAIL:", f)
    if status == SKIP:
        print("skipped: a tool this check needs is missing")
        return SKIP
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
