"""Tables written by Urnalia through the table layer (DBFCDX driver) read back exactly with
an independent reader, Debian's python3-dbfread.

usage: read_with_dbfread.py URNALIA_INTEROP WORKDIR
"""
import os
import sys

from interop_common import Checker, fresh_dir, plain, require, run_tool

dbfread = require("dbfread", "python3-dbfread")

# Code page marks of the table header and the python codec each one names.
MARK_ENCODINGS = {0x01: "cp437", 0x02: "cp850", 0x03: "cp1252"}


def as_document(table):
    def row(record, deleted):
        return {"deleted": deleted, "values": [plain(v) for v in record.values()]}
    return {
        "fields": [[f.name, f.type, f.length, f.decimal_count] for f in table.fields],
        "records": [row(r, False) for r in table.records] + [row(r, True) for r in table.deleted],
    }


def main(tool, work):
    fresh_dir(work)
    written = run_tool(tool, "write", work)
    check = Checker()
    for expected in written:
        path = os.path.join(work, expected["file"])
        with open(path, "rb") as f:
            header = f.read(32)
        mark = header[29]
        has_memo = any(f[1] == "M" for f in expected["fields"])
        check.expect(header[0] == (0xF5 if has_memo else 0x03), f"{path}: version byte",
                     hex(0xF5 if has_memo else 0x03), hex(header[0]))
        check.expect(mark in MARK_ENCODINGS, f"{path}: code page mark", "a known mark", hex(mark))
        # No encoding given: the reader must take the one the header's mark names.
        table = dbfread.DBF(path)
        check.expect(table.encoding == MARK_ENCODINGS.get(mark), f"{path}: encoding chosen",
                     MARK_ENCODINGS.get(mark), table.encoding)
        actual = as_document(table)
        check.expect(actual["fields"] == expected["fields"], f"{path}: structure",
                     expected["fields"], actual["fields"])
        # The reader lists live records, then deleted ones, each in file order.
        ordered = ([r for r in expected["records"] if not r["deleted"]]
                   + [r for r in expected["records"] if r["deleted"]])
        check.records(path, expected["fields"], ordered, actual["records"])
    check.finish("read_with_dbfread")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
