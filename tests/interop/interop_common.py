"""Shared helpers of the interoperability scripts: module checks, running the C++ helper,
and comparing table documents field by field.

A table document is {"fields": [[name, type, len, dec], ...], "records": [{"deleted": bool,
"values": [...]}, ...]} with dates as "YYYYMMDD" and blank fields as null.
"""
import datetime
import importlib
import json
import shutil
import subprocess
import sys


def require(module, package):
    """Imports `module` or stops the test naming the Debian package that provides it."""
    try:
        return importlib.import_module(module)
    except ImportError as e:
        sys.exit(f"FAIL: cannot import {module} ({e}): install the Debian package {package} "
                 "(scripts/test does) and run with /usr/bin/python3")


def fresh_dir(path):
    shutil.rmtree(path, ignore_errors=True)
    import os
    os.makedirs(path)
    return path


def run_tool(tool, *args):
    """Runs the C++ helper and answers its JSON output; stops the test when it fails."""
    done = subprocess.run([tool, *args], capture_output=True)
    if done.returncode != 0:
        sys.exit(f"FAIL: {' '.join([tool, *args])} exited {done.returncode}:\n"
                 + done.stderr.decode("utf-8", "replace"))
    return json.loads(done.stdout.decode("utf-8"))


def plain(value):
    """A value from a python reader in the document's terms."""
    if isinstance(value, datetime.date):
        return value.strftime("%Y%m%d")
    return value


def same(ftype, expected, actual):
    """Character fields are blank-padded on disk, so trailing blanks do not count; numbers
    compare as floats, exactly; an empty memo is a blank block pointer, which readers give
    as None or as ""; everything else must be equal, type included."""
    if ftype == "M" and expected in (None, "") and actual in (None, ""):
        return True
    if ftype == "C" and isinstance(expected, str) and isinstance(actual, str):
        return expected.rstrip(" ") == actual.rstrip(" ")
    if ftype in "NF" and expected is not None and actual is not None:
        return float(expected) == float(actual)
    return expected == actual and type(expected) is type(actual)


class Checker:
    """Collects every mismatch so one run reports them all."""

    def __init__(self):
        self.failures = []
        self.checks = 0

    def expect(self, ok, where, expected, actual):
        self.checks += 1
        if not ok:
            self.failures.append(f"{where}: expected {expected!r}, got {actual!r}")

    def records(self, where, fields, expected, actual):
        self.expect(len(expected) == len(actual), f"{where}: record count",
                    len(expected), len(actual))
        for n, (e, a) in enumerate(zip(expected, actual), 1):
            self.expect(e["deleted"] == a["deleted"], f"{where} record {n} deleted flag",
                        e["deleted"], a["deleted"])
            for (name, ftype, _, _), ev, av in zip(fields, e["values"], a["values"]):
                self.expect(same(ftype, ev, av), f"{where} record {n} field {name}", ev, av)

    def finish(self, name):
        for f in self.failures:
            print("MISMATCH", f)
        passed = self.checks - len(self.failures)
        print(f"{name}: {passed} passed, {len(self.failures)} failed")
        sys.exit(1 if self.failures else 0)
