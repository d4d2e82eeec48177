"""Tables written by an independent writer, Debian's python3-dbf, read exactly in Urnalia
through the table layer with the DBFCDX driver: a FoxPro 2.x-style table (version 0xF5 with
an FPT memo file; this writer also leaves the 263-byte backlink area in its header) and a
table without memos. The latter is written as dBASE III (0x03): this writer marks FoxPro
tables without memo fields with version 0, which it cannot reopen itself.

usage: written_by_dbf.py URNALIA_INTEROP WORKDIR
"""
import datetime
import os
import sys
import warnings

from interop_common import Checker, fresh_dir, plain, require, run_tool

warnings.simplefilter("ignore")  # the module's own source warnings on import
dbf = require("dbf", "python3-dbf")

LONG_MEMO = "".join(f"Renglón {i}: la señora Ibáñez firmó el acta nº {i}.\r\n" for i in range(80))

# (file, writer's table type, field specs, [(values, deleted)]); None is a blank field.
TABLES = [
    ("padron", "fp", "NOMBRE C(25); EDAD N(3,0); SALDO N(10,2); INDICE F(12,5); VOTO L; "
               "NACIDO D; OBS M", [
        (("Peña Muñoz", 34, -1234.56, 3.14159, True, datetime.date(1990, 5, 17),
          "Vive en la colonia Centro.\r\nSegunda línea: ñandú"), False),
        (("Ángel", 0, 0.5, None, False, None, ""), False),
        (("borrado", 99, 10.0, -0.00001, None, datetime.date(2000, 2, 29), "x" * 1000), True),
        (("", -99, None, 0, True, datetime.date(1899, 12, 31), LONG_MEMO), False),
        (("Último ÑÜÇ", 7, 99999.99, 123456.12345, False, datetime.date(2099, 1, 1),
          "una\nlínea\ncon saltos"), True),
    ]),
    ("resumen", "db3", "CLAVE C(4); TOTAL N(12,3); CERRADO L; CORTE D", [
        (("D01", 123456.789, True, datetime.date(2024, 6, 2)), False),
        (("D02", -0.001, None, None), True),
        (("Ñu", 0, False, None), False),
    ]),
]


def write_table(path, dbf_type, specs, rows):
    table = dbf.Table(path, specs, dbf_type=dbf_type, codepage="cp1252")
    table.open(dbf.READ_WRITE)
    for values, deleted in rows:
        table.append(values)
        if deleted:
            dbf.delete(table[-1])
    fields = []
    for name in table.field_names:
        info = table.field_info(name)
        fields.append([name.upper(), chr(info.field_type), info.length, info.decimal])
    table.close()
    return fields


def in_urnalia_terms(ftype, value):
    """What the table layer gives for a value: it has no blank number or blank logical, so
    those read as 0 and false; the empty date stays blank (null); a blank memo is ""."""
    if value is None:
        return {"N": 0, "F": 0, "L": False, "M": ""}.get(ftype)
    return plain(value)


def main(tool, work):
    fresh_dir(work)
    check = Checker()
    for name, dbf_type, specs, rows in TABLES:
        path = os.path.join(work, name + ".dbf")
        fields = write_table(path, dbf_type, specs, rows)
        expected = [{"deleted": deleted,
                     "values": [in_urnalia_terms(f[1], v) for f, v in zip(fields, values)]}
                    for values, deleted in rows]
        actual = run_tool(tool, "dump", path)
        check.expect(actual["fields"] == fields, f"{path}: structure", fields, actual["fields"])
        check.records(path, fields, expected, actual["records"])
    check.finish("written_by_dbf")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
