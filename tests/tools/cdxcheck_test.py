"""Runs urnalia_cdxcheck over indexes our writer built: a sound one, a damaged copy, one
without its table (so binary keys are misread as character keys unless --binary says
otherwise), and files that are no index at all.

usage: cdxcheck_test.py URNALIA_CDXCHECK URNALIA_CDXFIXTURE WORKDIR
"""
import os
import re
import shutil
import subprocess
import sys


def run(*args):
    done = subprocess.run(list(args), capture_output=True, text=True)
    return done.returncode, done.stdout + done.stderr


def main(check, fixture, work):
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    rc, out = run(fixture, work)
    if rc != 0:
        sys.exit(f"FAIL: the fixture maker exited {rc}:\n{out}")
    damaged_page = out.strip()
    f = lambda name: os.path.join(work, name)

    # (what, arguments, exit code, patterns the output must match, patterns it must not)
    cases = [
        ("sound index, key types from the table", [f("votos.cdx")], 0,
         [r"key types from .*votos\.dbf",
          r"tag NOMBRE +key NOMBRE +for - +type C \(blank fill\) +keys 600 +depth 2 +leaves \d+ +interior 1",
          r"tag VOTOS +key VOTOS +for - +type N \(0x00 fill\) +keys 600 +depth 2 +leaves \d+ +interior 1",
          r"\nOK\n"], [r"ERROR", r"assuming"]),
        ("damaged copy names the file and the page", [f("roto.cdx")], 1,
         [r"ERROR .*roto\.cdx: page " + re.escape(damaged_page) + r": tag NOMBRE: sibling links",
          r"tag NOMBRE .* not checked"], [r"\nOK\n"]),
        ("no table: numeric keys misread as character keys", [f("sola.cdx")], 1,
         [r"assuming character keys: no table beside the index",
          r"tag NOMBRE .*keys 600", r"ERROR .*sola\.cdx: page 0x[0-9A-F]+: tag VOTOS"], [r"\nOK\n"]),
        ("no table, --binary names the numeric tag", ["--binary", "votos", f("sola.cdx")], 0,
         [r"tag VOTOS .*type binary \(0x00 fill, as given\) +keys 600", r"\nOK\n"], [r"ERROR"]),
        ("one bad file among several fails the run", [f("votos.cdx"), f("roto.cdx")], 1,
         [r"\nOK\n", r"ERROR .*roto\.cdx"], []),
        ("a table is no index", [f("votos.dbf")], 1,
         [r"ERROR .*votos\.dbf: page 0x0000: "], [r"\nOK\n"]),
        ("a missing file", [f("nada.cdx")], 1, [r"ERROR .*nada\.cdx: .*No such file"], []),
        ("no file named", [], 2, [r"usage: urnalia_cdxcheck"], []),
        ("an unknown option", ["--fix", f("votos.cdx")], 2, [r"usage: urnalia_cdxcheck"], []),
    ]
    failures = 0
    for what, args, want_rc, must, must_not in cases:
        rc, out = run(check, *args)
        problems = [f"exit code {rc}, expected {want_rc}"] if rc != want_rc else []
        problems += [f"no match for {p!r}" for p in must if not re.search(p, out)]
        problems += [f"unexpected match for {p!r}" for p in must_not if re.search(p, out)]
        if problems:
            failures += 1
            print(f"FAILED {what}: " + "; ".join(problems) + "\n--- output ---\n" + out)
    print(f"cdxcheck: {len(cases) - failures} passed, {failures} failed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
