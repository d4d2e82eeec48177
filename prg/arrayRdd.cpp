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
    s.table->rows.setWidth(s.table->structure.size());
    return true;
}

bool AR_CREATE(Area& a, const OpenInfo& info) {
    AreaState& s = state(a);
    std::string name = tableKey(info.file, false);
    s.table->name = name;
    s.table->exclusive = true;
    OpenInfo opened = info;
    if (opened.alias.empty()) opened.alias = aliasFromFile(name);
    // Refused for its alias, the create leaves any table of that name registered.
    if (!areaOpenBase(a, opened)) return false;
    (*g_registry)[name] = s.table;
    s.openInfo = opened;
    s.shared = false;
    s.table->openCount = 1;
    s.bof = s.eof = true;
    s.recNo = 1;
    return true;
}

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
    raiseDriverError(kSubsystem, genCode, subCode, description, file, canDefault, canRetry);
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

}  // namespace

bool AR_GOTOP(Area& a) { return goEnd(a, true); }
bool AR_GOBOTTOM(Area& a) { return goEnd(a, false); }

namespace {

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
    s.table->rows.share(rows.array());
    s.table->info.assign(size_t(s.table->count()), RecordInfo{});
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
