// Natural-order navigation of the disk driver DBFCDX: positioning as the memory engine does
// (beginning and end flags, record numbers), the record buffer read on every move, and the
// record count re-read from the header in shared opens.
#include "TableLayer.h"
#include "dbfCdxArea.h"

namespace dbfcdx {

void goToEof(DbfCdxArea& s) {
    s.recNo = s.count() + 1;
    s.eof = true;
    s.bof = false;
    s.deleted = false;
    s.raw.clear();
    s.decoded.assign(s.fields.size(), 0);
}

void goToRecord(DbfCdxArea& s, long rec) {
    long n = s.count();
    if (n == 0) {
        goToEof(s);
        s.bof = true;
        s.recNo = 1;
        return;
    }
    if (rec == 0 || rec > n) return goToEof(s);
    s.bof = rec < 0;
    s.eof = false;
    s.recNo = rec < 0 ? 1 : rec;
    s.decoded.assign(s.fields.size(), 0);
    s.record.resize(s.fields.size());
    Status st = s.table->readRaw(uint32_t(s.recNo), &s.raw);
    if (!st.ok()) {
        raiseStatus(st, false, s.given);
        s.raw.clear();
    }
    s.deleted = !s.raw.empty() && s.raw[0] == '*';
}

const Value& fieldValue(DbfCdxArea& s, int field) {
    size_t i = size_t(field - 1);
    if (s.decoded.size() != s.fields.size()) s.decoded.assign(s.fields.size(), 0);
    if (s.record.size() != s.fields.size()) s.record.resize(s.fields.size());
    if (!s.decoded[i]) {
        s.decoded[i] = 1;
        const FieldDesc& f = s.fields[i];
        Status st;
        if (s.atEnd() || s.raw.empty() || !(st = s.table->decodeRaw(uint32_t(s.recNo), s.raw, i, &s.record[i])).ok())
            s.record[i] = Value::emptyOf(f.type, f.len);
        if (!st.ok()) raiseStatus(st, false, s.given);
    }
    return s.record[i];
}

std::vector<Value> recordValues(DbfCdxArea& s) {
    std::vector<Value> out;
    for (int i = 1; i <= int(s.fields.size()); ++i) out.push_back(fieldValue(s, i));
    return out;
}

bool DC_GOTO(Area& a, long rec) {
    DbfCdxArea& s = state(a);
    refreshCount(s);
    goToRecord(s, rec);
    return true;
}

static bool hidden(DbfCdxArea& s) {
    if (s.atEnd()) return false;
    if (tableSettings().hideDeleted && s.deleted) return true;
    return s.filter.block && !s.filter.block().logical();
}

bool DC_SKIPRAW(Area& a, long n) {
    DbfCdxArea& s = state(a);
    if (s.order > 0) return orderedSkipRaw(s, n);
    long r = s.recNo;
    if (n < 0 && -n >= r) {
        goToRecord(s, 1);
        s.bof = true;
        return true;
    }
    long target = r + n;
    if (target > s.count()) refreshCount(s);
    goToRecord(s, target > s.count() ? 0 : target);
    return true;
}

// Steps past hidden records; a backward walk that reaches the beginning turns forward and
// keeps the beginning flag on the record it reaches.
bool DC_SKIPFILTER(Area& a, long direction) {
    DbfCdxArea& s = state(a);
    long step = direction < 0 ? -1 : 1;
    bool turned = false;
    while (!s.eof && hidden(s)) {
        if (s.bof) {
            if (step > 0 && !turned) break;
            step = 1;
            turned = true;
            s.bof = false;
        }
        DC_SKIPRAW(a, step);
    }
    if (turned) s.bof = true;
    return true;
}

static bool goEnd(Area& a, bool top) {
    DbfCdxArea& s = state(a);
    refreshCount(s);
    if (s.count() == 0) {
        goToRecord(s, 0);
        return true;
    }
    if (s.order > 0) {
        if (!orderedEnd(s, top)) return false;
    } else {
        goToRecord(s, top ? 1 : s.count());
    }
    return DC_SKIPFILTER(a, top ? 1 : -1);
}

bool DC_GOTOP(Area& a) {
    return goEnd(a, true);
}
bool DC_GOBOTTOM(Area& a) {
    return goEnd(a, false);
}

bool DC_SETFILTER(Area& a, const FilterInfo& info) {
    a.filter = info;
    return true;
}
bool DC_CLEARFILTER(Area& a) {
    a.filter = FilterInfo{};
    return true;
}
bool DC_BOF(Area& a, bool& out) {
    out = state(a).bof;
    return true;
}
bool DC_EOF(Area& a, bool& out) {
    out = state(a).eof;
    return true;
}
bool DC_FOUND(Area& a, bool& out) {
    out = state(a).found;
    return true;
}
bool DC_RECID(Area& a, Value& out) {
    out = Value(state(a).recNo);
    return true;
}
bool DC_RECNO(Area& a, long& out) {
    out = state(a).recNo;
    return true;
}
bool DC_RECCOUNT(Area& a, long& out) {
    DbfCdxArea& s = state(a);
    refreshCount(s);
    out = s.count();
    return true;
}

}  // namespace dbfcdx
