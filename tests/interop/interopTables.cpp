// Helper of the interoperability tests, run by the python scripts beside it:
//   urnalia_interop write DIR    creates sample tables in DIR through the table layer with
//                                the DBFCDX driver and prints, as JSON, the values it stored
//   urnalia_interop dump FILE    opens FILE read-only through the layer and prints its
//                                structure and every record (deleted ones too) as JSON
// The scripts compare these documents with what independent readers and writers see.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Error.h"
#include "TableLayer.h"
#include "dbfCdxDriver.h"

namespace {

std::string jsonText(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += char(c);
                }
        }
    }
    return out + "\"";
}

// NIL (a field never written) is null, and so is the empty date.
std::string jsonValue(const Value& v) {
    if (v.isNil()) return "null";
    if (v.isLogical()) return v.logical() ? "true" : "false";
    if (v.isDate()) return v.date().empty() ? "null" : jsonText(v.date().dtos());
    if (v.isNumber()) {
        if (!std::isfinite(v.num())) return "null";
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", v.num());
        return buf;
    }
    return jsonText(v.text());
}

std::string jsonFields(const Structure& st) {
    std::string out = "[";
    for (size_t i = 0; i < st.size(); ++i) {
        const FieldDesc& f = st[i];
        out += (i ? "," : "") + std::string("[") + jsonText(f.name) + "," +
               jsonText(std::string(1, f.type)) + "," + std::to_string(f.len) + "," +
               std::to_string(f.dec) + "]";
    }
    return out + "]";
}

std::string jsonRecord(const std::vector<Value>& values, bool deleted) {
    std::string out = std::string("{\"deleted\":") + (deleted ? "true" : "false") + ",\"values\":[";
    for (size_t i = 0; i < values.size(); ++i) out += (i ? "," : "") + jsonValue(values[i]);
    return out + "]}";
}

// One table to write: per record the value of each field (NIL: never written, so the
// field stays blank) and whether the record ends deleted.
struct SampleRecord {
    std::vector<Value> values;
    bool deleted = false;
};
struct SampleTable {
    std::string name;
    Structure structure;
    std::vector<SampleRecord> records;
};

std::string longMemo() {
    std::string s;
    for (int i = 1; i <= 60; ++i)
        s += "Línea " + std::to_string(i) + ": acta de la casilla, señor Núñez, año " +
             std::to_string(1990 + i) + (i % 2 ? "\r\n" : "\n");
    return s;
}

// The F field stays blank: the driver refuses numbers for F fields for now.
std::vector<SampleTable> sampleTables() {
    const Date july = Date::fromYmd(2024, 7, 1), lastDay = Date::fromYmd(1999, 12, 31);
    SampleTable actas{"actas",
                      {{"NOMBRE", 'C', 20, 0},
                       {"VOTOS", 'N', 8, 0},
                       {"PCT", 'N', 7, 2},
                       {"TASA", 'F', 12, 4},
                       {"ACTIVO", 'L', 1, 0},
                       {"FECHA", 'D', 8, 0},
                       {"NOTAS", 'M', 10, 0}},
                      {}};
    actas.records = {
        {{"Peña Muñoz", 1500, 12.5, Value(), true, july, Value::memo("primera nota")}},
        {{"Ángel Íñiguez Ñ", -20, -0.5, Value(), false, Date(), Value::memo("")}, true},
        {{"José", 0, 9999.99, Value(), Value(), Value(), Value::memo(longMemo())}},
        {{"", -9999999, 0.01, Value(), true, lastDay,
          Value::memo("línea uno\nlínea dos\r\nfin: ñ ü ç")},
         true},
        {{"sólo el nombre", Value(), Value(), Value(), Value(), Value(), Value()}},
    };
    SampleTable plain{"distritos", {{"CLAVE", 'C', 4, 0}, {"TOTAL", 'N', 12, 3}}, {}};
    plain.records = {{{"D01", 123456.789}}, {{"D02", -0.001}, true}, {{"Ñu", 0}}};
    return {actas, plain};
}

bool writeTable(const std::string& dir, const SampleTable& t) {
    const std::string file = dir + "/" + t.name;
    if (!DBCREATE(file, t.structure, "DBFCDX")) return false;
    if (!DBUSEAREA(true, "DBFCDX", file, "", false)) return false;
    for (const SampleRecord& r : t.records) {
        if (!DBAPPEND()) return false;
        for (size_t i = 0; i < r.values.size(); ++i) {
            if (r.values[i].isNil()) continue;
            // A memo is written twice, short then final, so the final text replaces a block.
            if (r.values[i].type() == 'M' && FIELDPUT(int(i) + 1, Value::memo("x")).isNil())
                return false;
            if (FIELDPUT(int(i) + 1, r.values[i]).isNil()) return false;
        }
        if (r.deleted && !DBDELETE()) return false;
    }
    DBCOMMIT();
    DBCLOSEAREA();
    return true;
}

int writeAll(const std::string& dir) {
    std::string out = "[";
    bool first = true;
    for (const SampleTable& t : sampleTables()) {
        if (!writeTable(dir, t)) {
            std::fprintf(stderr, "could not write table %s in %s\n", t.name.c_str(), dir.c_str());
            return 1;
        }
        out += std::string(first ? "" : ",") + "{\"file\":" + jsonText(t.name + ".dbf") +
               ",\"fields\":" + jsonFields(t.structure) + ",\"records\":[";
        for (size_t i = 0; i < t.records.size(); ++i)
            out += (i ? "," : "") + jsonRecord(t.records[i].values, t.records[i].deleted);
        out += "]}";
        first = false;
    }
    std::printf("%s]\n", out.c_str());
    return 0;
}

int dump(const std::string& file) {
    tableSettings().hideDeleted = false;
    if (!DBUSEAREA(true, "DBFCDX", file, "", true, true)) return 1;
    const Structure st = DBSTRUCT();
    std::string out = "{\"fields\":" + jsonFields(st) + ",\"records\":[";
    DBGOTOP();
    for (bool first = true; !EOF_(); first = false) {
        std::vector<Value> values;
        for (int i = 1; i <= int(st.size()); ++i) values.push_back(FIELDGET(i));
        out += (first ? "" : ",") + jsonRecord(values, DELETED());
        if (!DBSKIP(1)) break;
    }
    DBCLOSEAREA();
    std::printf("%s]}\n", out.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cmd = argc == 3 ? argv[1] : "";
    if (cmd != "write" && cmd != "dump") {
        std::fprintf(stderr, "usage: %s write DIR | dump FILE\n", argv[0]);
        return 2;
    }
    int errors = 0;
    ScopedErrorHandler handler([&errors](const ErrorRecord& r) {
        std::fprintf(stderr, "%s\n", errorText(r).c_str());
        ++errors;
        return ErrorAction::Default;
    });
    dbfCdxRegister();
    int rc = cmd == "write" ? writeAll(argv[2]) : dump(argv[2]);
    return rc != 0 || errors != 0 ? 1 : 0;
}
