// The in-memory engine: registry, tables, records, natural-order navigation, locks and
// errors. Orders, seeks and scopes are in arrayRddOrder.cpp.
#include "arrayRdd.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "TableLayer.h"
#include "Text.h"
#include "arrayRddTable.h"

namespace {

int g_driverId = -1;
std::unique_ptr<std::map<std::string, std::shared_ptr<MemoryTable>>> g_registry;

const char* kSubsystem = "ARRAYRDD";

// Removes one trailing "." (callers add an empty default extension).
std::string tableKey(const std::string& file, bool dropDot) {
    std::string name = text::upper(file);
    if (dropDot && !name.empty() && name.back() == '.') name.pop_back();
    return name;
}

// ---- driver operations -----------------------------------------------------------------

bool AR_INIT() {
    g_registry = std::make_unique<std::map<std::string, std::shared_ptr<MemoryTable>>>();
    return true;
}

std::unique_ptr<Area> AR_NEW() { return std::make_unique<AreaState>(); }

bool AR_CREATEFIELDS(Area& a, const Structure& st) {
    AreaState& s = state(a);
    s.table = std::make_shared<MemoryTable>();
    for (FieldDesc f : st) {
        f.name = text::upper(f.name);
        f.type = char(std::toupper((unsigned char)f.type));
        s.table->structure.push_back(f);
    }
    a.fields = s.table->structure;
    return true;
}

bool AR_CREATE(Area& a, const OpenInfo& info) {
    AreaState& s = state(a);
    std::string name = tableKey(info.file, false);
    s.table->name = name;
    s.table->exclusive = true;
    (*g_registry)[name] = s.table;
    OpenInfo opened = info;
    if (opened.alias.empty()) opened.alias = aliasFromFile(name);
    if (!areaOpenBase(a, opened)) return false;
    s.openInfo = opened;
    s.shared = false;
    s.table->openCount = 1;
    s.bof = s.eof = true;
    s.recNo = 1;
    return true;
}

bool AR_GOTOP(Area& a);

bool AR_OPEN(Area& a, const OpenInfo& info) {
    AreaState& s = state(a);
    std::string name = tableKey(info.file, true);
    auto it = g_registry->find(name);
    if (it == g_registry->end()) {
        NETERR(true);
        arrayRaise(EG_OPEN, 1000, errorDescription(EG_OPEN) + ", memory file not found", info.file,
                   true);
        return false;
    }
    MemoryTable& t = *it->second;
    a.fields = t.structure;
    OpenInfo opened = info;
    if (opened.alias.empty()) opened.alias = aliasFromFile(name);
    if (!areaOpenBase(a, opened)) return false;
    const std::string lockFailure = errorDescription(EG_OPEN) + "(" + errorDescription(EG_LOCK);
    if (t.exclusive) {
        areaCloseBase(a);
        NETERR(true);
        arrayRaise(EG_OPEN, 1000, lockFailure + " - already opened in exclusive mode)", info.file, true);
        return false;
    }
    if (!info.shared && t.openCount > 0) {
        areaCloseBase(a);
        NETERR(true);
        arrayRaise(EG_OPEN, 1000, lockFailure + " - already opened in shared mode)", info.file, true);
        return false;
    }
    if (!info.shared) t.exclusive = true;
    s.table = it->second;
    s.openInfo = opened;
    s.shared = info.shared;
    ++t.openCount;
    NETERR(false);
    s.currentOrder = 0;
    AR_GOTOP(a);
    return true;
}

bool AR_UNLOCK(Area& a, long rec);

bool AR_CLOSE(Area& a) {
    AreaState& s = state(a);
    if (s.table) {
        // Locks die with the area that holds them, or they would block the record for good.
        AR_UNLOCK(a, 0);
        if (s.table->openCount > 0) --s.table->openCount;
        s.table->exclusive = false;
    }
    areaCloseBase(a);
    return true;
}

bool AR_GETVALUE(Area& a, int field, Value& out) {
    AreaState& s = state(a);
    const Structure& st = s.table->structure;
    if (field < 1 || field > int(st.size())) return false;
    const FieldDesc& f = st[size_t(field - 1)];
    if (!s.atEnd()) {
        const Value& row = (*s.table->records)[size_t(s.recNo - 1)];
        if (row.isArray() && size_t(field) <= row.array()->size()) {
            out = (*row.array())[size_t(field - 1)];
            return true;
        }
    }
    out = Value::emptyOf(f.type, f.len);
    return true;
}

// Rounds `v` to `dec` decimals and tells whether its text (sign, digits, point and
// decimals) fits in `len` characters.
bool fitsNumeric(double v, int len, int dec, double& rounded) {
    static const double pow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10,
                                   1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20};
    if (!std::isfinite(v)) return false;
    dec = std::clamp(dec, 0, 15);
    if (std::fabs(v) < 1e15 && double(int64_t(v)) == v)
        rounded = v;  // whole numbers, the common case, need no rounding
    else
        rounded = std::round(v * pow10[dec]) / pow10[dec];
    if (rounded == 0) rounded = 0;  // no negative zero
    double a = std::fabs(rounded);
    int digits = 1;
    while (digits < 20 && a >= pow10[digits]) ++digits;
    if (digits >= 20) return false;
    int width = digits + (dec > 0 ? dec + 1 : 0) + (rounded < 0 ? 1 : 0);
    return width <= len;
}

// Converts `v` for field `f`; false (with an error record raised) when it cannot be stored.
bool convertForField(const FieldDesc& f, const Value& v, Value& out, const std::string& file) {
    bool typeOk = v.type() == f.type || (f.type == 'M' && v.type() == 'C');
    if (!typeOk) {
        arrayRaise(EG_DATATYPE, 1020, errorDescription(EG_DATATYPE) + " (field " + f.name + ")", file,
                   true);
        return false;
    }
    switch (f.type) {
        case 'C': out = Value(text::fit(v.text(), size_t(std::max(f.len, 0)))); return true;
        case 'N': {
            double rounded;
            if (!fitsNumeric(v.num(), f.len, f.dec, rounded)) {
                arrayRaise(EG_DATAWIDTH, 1021,
                           errorDescription(EG_DATAWIDTH) + " (field " + f.name + ")", file, true);
                return false;
            }
            out = Value::number(rounded, f.len, f.dec);
            return true;
        }
        default: out = v; return true;
    }
}

// The old keys of the orders that a change can touch, evaluated before the change.
struct Pending {
    MemoryOrder* order;
    std::optional<Value> oldKey;
    bool forBefore = false;
    Value newKey;
    bool forNow = false;
};

template <class Touches>
std::vector<Pending> oldKeys(AreaState& s, Touches touches) {
    std::vector<Pending> p;
    for (auto& o : s.table->orders) {
        if (!touches(*o)) continue;
        // A record's entry holds its current key, unless the key can change behind our back.
        if (!o->deps.everything && o->entries.has(s.recNo))
            p.push_back({o.get(), o->entries.keyOf(s.recNo), true, Value(), false});
        else
            p.push_back({o.get(), evalKey(*o), evalFor(*o), Value(), false});
    }
    return p;
}

// Evaluates the new keys (all of them first, so that a failing key leaves the orders
// untouched), then applies them.
template <class Undo>
void applyKeys(AreaState& s, std::vector<Pending>& p, Undo&& undo) {
    if (p.empty()) return;
    try {
        for (auto& e : p) {
            e.newKey = evalKey(*e.order);
            e.forNow = evalFor(*e.order);
        }
    } catch (...) {
        undo();
        throw;
    }
    for (auto& e : p) MODIFYINDEX(s, *e.order, s.recNo, e.newKey, e.forNow, e.oldKey, e.forBefore);
}

// The row of the current record, completed to the structure's width (rows loaded with
// HB_SETARRAYRDD may be shorter or not arrays at all).
Array& currentRow(AreaState& s) {
    const Structure& st = s.table->structure;
    Value& row = (*s.table->records)[size_t(s.recNo - 1)];
    if (!row.isArray()) row = Value(Array{});
    Array& cells = *row.array();
    for (size_t i = cells.size(); i < st.size(); ++i) cells.push_back(Value::emptyOf(st[i].type, st[i].len));
    return cells;
}

bool AR_PUTVALUE(Area& a, int field, const Value& v) {
    AreaState& s = state(a);
    const Structure& st = s.table->structure;
    if (field < 1 || field > int(st.size())) return false;
    Value converted;
    if (!convertForField(st[size_t(field - 1)], v, converted, s.openInfo.file)) return false;
    if (s.atEnd()) return true;
    Array& cells = currentRow(s);
    auto pending = oldKeys(s, [field](const MemoryOrder& o) { return o.deps.touchedBy(field); });
    Value old = std::move(cells[size_t(field - 1)]);
    cells[size_t(field - 1)] = std::move(converted);
    applyKeys(s, pending, [&] { currentRow(s)[size_t(field - 1)] = old; });
    return true;
}

bool AR_PUTREC(Area& a, int firstField, const std::vector<Value>& values) {
    AreaState& s = state(a);
    const Structure& st = s.table->structure;
    // Every value is converted before anything is stored.
    std::vector<Value>& converted = s.scratch;
    converted.resize(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i].isNil()) continue;
        int field = firstField + int(i);
        if (field < 1 || field > int(st.size())) return false;
        if (!convertForField(st[size_t(field - 1)], values[i], converted[i], s.openInfo.file)) return false;
    }
    if (s.atEnd()) return true;
    Array& cells = currentRow(s);
    auto pending = oldKeys(s, [&](const MemoryOrder& o) {
        for (size_t i = 0; i < values.size(); ++i)
            if (!values[i].isNil() && o.deps.touchedBy(firstField + int(i))) return true;
        return false;
    });
    auto exchange = [&](Array& row) {
        for (size_t i = 0; i < values.size(); ++i)
            if (!values[i].isNil()) std::swap(row[size_t(firstField - 1) + i], converted[i]);
    };
    if (pending.empty()) {
        for (size_t i = 0; i < values.size(); ++i)
            if (!values[i].isNil()) cells[size_t(firstField - 1) + i] = std::move(converted[i]);
        return true;
    }
    exchange(cells);  // the old values stay in `converted` in case a key fails
    applyKeys(s, pending, [&] { exchange(currentRow(s)); });
    return true;
}

}  // namespace

void goToEof(AreaState& s) {
    s.recNo = s.table->count() + 1;
    s.eof = true;
    s.bof = false;
    s.keyPos = 0;
}

void goToRecord(AreaState& s, long rec) {
    long n = s.table->count();
    if (n == 0) {
        s.bof = s.eof = true;
        s.recNo = 1;
    } else if (rec < 0) {
        s.recNo = 1;
        s.bof = true;
        s.eof = false;
    } else if (rec == 0 || rec > n) {
        goToEof(s);
    } else {
        s.recNo = rec;
        s.bof = s.eof = false;
    }
}

bool isHidden(AreaState& s) {
    if (s.atEnd()) return false;
    if (tableSettings().hideDeleted && s.table->infoOf(s.recNo).deleted) return true;
    return s.filter.block && !s.filter.block().logical();
}

void arrayRaise(int genCode, int subCode, const std::string& description, const std::string& file,
                bool canDefault, bool canRetry) {
    ErrorRecord r;
    r.genCode = genCode;
    r.subCode = subCode;
    r.subsystem = kSubsystem;
    r.description = description;
    r.fileName = file;
    r.canDefault = canDefault;
    r.canRetry = canRetry;
    raiseError(r);
}

namespace {

bool AR_GOTO(Area& a, long rec) {
    goToRecord(state(a), rec);
    return true;
}

bool AR_SKIPFILTER(Area& a, long direction);

// Top or bottom of the current order within its scope, then past hidden records.
bool goEnd(Area& a, bool top) {
    AreaState& s = state(a);
    if (s.table->count() == 0) {
        s.bof = s.eof = true;
        s.recNo = 1;
        s.keyPos = 0;
        return true;
    }
    s.bof = s.eof = false;
    if (s.order(s.currentOrder))
        top ? orderedGoTop(s) : orderedGoBottom(s);
    else
        s.recNo = top ? 1 : s.table->count();
    return AR_SKIPFILTER(a, top ? 1 : -1);
}

bool AR_GOTOP(Area& a) { return goEnd(a, true); }
bool AR_GOBOTTOM(Area& a) { return goEnd(a, false); }

bool AR_SKIPRAW(Area& a, long n) {
    AreaState& s = state(a);
    if (s.order(s.currentOrder)) return orderedSkipRaw(s, n);
    long r = s.recNo;
    if (n < 0 && -n >= r) {
        goToRecord(s, 1);
        s.bof = true;
    } else {
        long target = r + n;
        goToRecord(s, target > s.table->count() ? 0 : target);
    }
    return true;
}

bool AR_SKIPFILTER(Area& a, long direction) {
    AreaState& s = state(a);
    long step = direction < 0 ? -1 : 1;
    bool turned = false;
    while (!s.eof && isHidden(s)) {
        if (s.bof) {
            if (step > 0 && !turned) break;  // a forward walk never starts at the beginning flag
            step = 1;
            turned = true;
            s.bof = false;
        }
        AR_SKIPRAW(a, step);
    }
    if (turned) s.bof = true;
    return true;
}

bool AR_SETFILTER(Area& a, const FilterInfo& info) {
    a.filter = info;
    return true;
}
bool AR_CLEARFILTER(Area& a) {
    a.filter = FilterInfo{};
    return true;
}

bool AR_BOF(Area& a, bool& out) {
    out = state(a).bof;
    return true;
}
bool AR_EOF(Area& a, bool& out) {
    out = state(a).eof;
    return true;
}
bool AR_FOUND(Area& a, bool& out) {
    out = state(a).found;
    return true;
}

bool writeAllowed(AreaState& s, bool withFlags) {
    if (!s.openInfo.readOnly) return true;
    if (withFlags) NETERR(true);
    arrayRaise(EG_READONLY, 1025, errorDescription(EG_READONLY), s.openInfo.file, withFlags, withFlags);
    return false;
}

bool lockedHere(AreaState& s) { return !s.shared || s.table->infoOf(s.recNo).lockOwner == s.areaNo; }

bool setDeleted(Area& a, bool deleted) {
    AreaState& s = state(a);
    if (!writeAllowed(s, false)) return false;
    if (s.atEnd()) return true;
    if (!lockedHere(s)) {
        arrayRaise(EG_UNLOCKED, 1022, errorDescription(EG_UNLOCKED), s.openInfo.file, false);
        return false;
    }
    auto pending = oldKeys(s, [](const MemoryOrder& o) { return o.deps.everything || o.deps.deleted; });
    RecordInfo& ri = s.table->infoOf(s.recNo);
    bool old = ri.deleted;
    ri.deleted = deleted;
    applyKeys(s, pending, [&] { s.table->infoOf(s.recNo).deleted = old; });
    return true;
}

bool AR_DELETE(Area& a) { return setDeleted(a, true); }
bool AR_RECALL(Area& a) { return setDeleted(a, false); }
bool AR_DELETED(Area& a, bool& out) {
    AreaState& s = state(a);
    out = !s.atEnd() && s.table->infoOf(s.recNo).deleted;
    return true;
}

bool AR_LOCK(Area& a, LockInfo& li);

bool AR_APPEND(Area& a, bool) {
    AreaState& s = state(a);
    if (!writeAllowed(s, true)) return false;
    s.table->records->push_back(Value(s.table->blankRow()));
    s.table->info.resize(s.table->records->size());
    NETERR(false);
    goToRecord(s, s.table->count());
    std::vector<Pending> pending;
    for (auto& o : s.table->orders) pending.push_back({o.get(), std::nullopt, false, Value(), false});
    applyKeys(s, pending, [&] {
        s.table->records->pop_back();
        s.table->info.resize(s.table->records->size());
        goToEof(s);
    });
    if (s.shared) {
        LockInfo li;
        AR_LOCK(a, li);
    }
    return true;
}

bool AR_LOCK(Area& a, LockInfo& li) {
    AreaState& s = state(a);
    long rec = li.record > 0 && !li.file ? li.record : s.recNo;
    li.result = false;
    if (li.record <= 0 || li.file) {
        if (s.atEnd()) {
            li.result = true;
            return true;
        }
    } else if (rec > s.table->count()) {
        return true;
    }
    if (!s.shared) {
        li.result = true;
        return true;
    }
    RecordInfo& ri = s.table->infoOf(rec);
    if (ri.lockOwner == s.areaNo) {
        li.result = true;
    } else if (ri.lockOwner == 0) {
        ri.lockOwner = s.areaNo;
        s.locks.push_back(rec);
        li.result = true;
    }
    return true;
}

bool AR_UNLOCK(Area& a, long rec) {
    AreaState& s = state(a);
    for (auto it = s.locks.begin(); it != s.locks.end();) {
        if (rec == 0 || *it == rec) {
            if (*it <= s.table->count()) {
                RecordInfo& ri = s.table->infoOf(*it);
                if (ri.lockOwner == s.areaNo) ri.lockOwner = 0;
            }
            it = s.locks.erase(it);
        } else {
            ++it;
        }
    }
    return true;
}

bool AR_RECID(Area& a, Value& out) {
    out = Value(state(a).recNo);
    return true;
}
bool AR_RECNO(Area& a, long& out) {
    out = state(a).recNo;
    return true;
}
bool AR_RECCOUNT(Area& a, long& out) {
    out = state(a).table->count();
    return true;
}

bool AR_PACK(Area& a) {
    AreaState& s = state(a);
    if (!s.table->exclusive || s.shared) {
        arrayRaise(EG_UNLOCKED, 1022, errorDescription(EG_UNLOCKED), "", false);
        return false;
    }
    MemoryTable& t = *s.table;
    std::vector<long> newNumber(size_t(t.count()) + 1, 0);
    Array kept;
    std::vector<RecordInfo> keptInfo;
    for (long r = 1; r <= t.count(); ++r) {
        if (t.infoOf(r).deleted) continue;
        kept.push_back(std::move((*t.records)[size_t(r - 1)]));
        keptInfo.push_back(RecordInfo{});
        newNumber[size_t(r)] = long(kept.size());
    }
    *t.records = std::move(kept);  // same array: callers that share the rows see the pack
    t.info = std::move(keptInfo);
    rebuildAfterPack(s, newNumber);
    return AR_GOTOP(a);
}

bool AR_ZAP(Area& a) {
    AreaState& s = state(a);
    if (!writeAllowed(s, false)) return false;
    if (s.shared) {
        arrayRaise(EG_SHARED, 1023, errorDescription(EG_SHARED), s.openInfo.file, false);
        return false;
    }
    s.table->records->clear();
    s.table->info.clear();
    for (auto& o : s.table->orders) o->entries.clear();
    s.locks.clear();
    goToEof(s);
    return true;
}

bool AR_INFO(Area& a, int what, Value& out) {
    switch (what) {
        case DBI_TABLEEXT: out = Value(""); return true;
        // Whether this area opened the table shared.
        case DBI_SHARED: out = Value(state(a).shared); return true;
        default: return false;
    }
}

bool AR_DUMMY(Area&) { return true; }

}  // namespace

bool ARRAYRDD_GETFUNCTABLE(RddFuncTable& t, int driverId) {
    t.init = AR_INIT;
    t.newArea = AR_NEW;
    t.createFields = AR_CREATEFIELDS;
    t.create = AR_CREATE;
    t.open = AR_OPEN;
    t.close = AR_CLOSE;
    t.getValue = AR_GETVALUE;
    t.putValue = AR_PUTVALUE;
    t.putRecord = AR_PUTREC;
    t.goTo = AR_GOTO;
    t.goToId = [](Area& a, const Value& id) { return AR_GOTO(a, long(id.num())); };  // AR_GOTOID
    t.goTop = AR_GOTOP;
    t.goBottom = AR_GOBOTTOM;
    t.skipRaw = AR_SKIPRAW;
    t.skipFilter = AR_SKIPFILTER;
    t.setFilter = AR_SETFILTER;
    t.clearFilter = AR_CLEARFILTER;
    t.bof = AR_BOF;
    t.eof = AR_EOF;
    t.found = AR_FOUND;
    t.seek = AR_SEEK;
    t.deleteRec = AR_DELETE;
    t.recall = AR_RECALL;
    t.deleted = AR_DELETED;
    t.append = AR_APPEND;
    t.lock = AR_LOCK;
    t.unlock = AR_UNLOCK;
    t.recId = AR_RECID;
    t.recNo = AR_RECNO;
    t.recCount = AR_RECCOUNT;
    t.pack = AR_PACK;
    t.zap = AR_ZAP;
    t.info = AR_INFO;
    t.flush = AR_DUMMY;
    t.ordListAdd = AR_ORDLSTADD;
    t.ordListFocus = AR_ORDLSTFOCUS;
    t.ordCreate = AR_ORDCREATE;
    t.ordInfo = AR_ORDINFO;
    g_driverId = driverId;
    return true;
}

int arrayRddId() { return g_driverId; }

void arrayRddRegister() {
    rddProvide("ARRAYRDD", ARRAYRDD_GETFUNCTABLE);
    RDDREGISTER("ARRAYRDD", RDT_FULL);
}

void arrayRddResetForTests(bool unregister) {
    g_registry.reset();
    if (unregister) g_driverId = -1;
}

namespace {
// The registry functions' errors unwind to the caller's recovery point.
[[noreturn]] void registryError(const std::string& detail) {
    ErrorRecord r;
    r.genCode = EG_UNSUPPORTED;
    r.subCode = 1000;
    r.subsystem = kSubsystem;
    r.description = errorDescription(EG_UNSUPPORTED) + " (" + detail;
    r.canDefault = true;
    throwError(r);
}
void requireRegistry() {
    if (g_driverId < 0) registryError("ARRAYRDD not in use)");
    if (!g_registry) registryError("ARRAYRDD not inizialized)");
}
}  // namespace

void HB_SETARRAYRDD(const Value& rows) {
    Area* a = currentArea();
    if (!a || a->rdd->id != g_driverId || !rows.isArray()) return;
    AreaState& s = state(*a);
    s.table->records = rows.array();
    s.table->info.assign(s.table->records->size(), RecordInfo{});
    s.locks.clear();
    AR_GOTOP(*a);
}

bool HB_FILEARRAYRDD(const Value& name) {
    requireRegistry();
    if (name.type() != 'C') return false;
    return g_registry->count(text::upper(name.text())) > 0;
}

int HB_ERASEARRAYRDD(const Value& name) {
    requireRegistry();
    if (name.type() != 'C') return 1;
    auto it = g_registry->find(text::upper(name.text()));
    if (it == g_registry->end()) return 1;
    if (it->second->openCount > 0) registryError("database in use)");
    g_registry->erase(it);
    return 0;
}
