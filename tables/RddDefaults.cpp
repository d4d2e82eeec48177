// The layer's default operations, used for every entry a driver leaves empty.
#include "TableLayer.h"
#include "WorkAreas.h"

namespace {
bool fail(Area&) { return false; }
bool ok(Area&) { return true; }

bool isHidden(Area& a) {
    const RddFuncTable& f = a.rdd->funcs;
    if (tableSettings().hideDeleted) {
        bool del = false;
        f.deleted(a, del);
        if (del) return true;
    }
    return a.filter.block && !a.filter.block().logical();
}

bool atBof(Area& a) {
    bool b = false;
    a.rdd->funcs.bof(a, b);
    return b;
}
bool atEof(Area& a) {
    bool e = false;
    a.rdd->funcs.eof(a, e);
    return e;
}

// Steps past hidden records in `direction`; a backward walk that reaches the beginning on
// a hidden record turns forward. Drivers that keep the beginning flag set on the record the
// turned walk reaches provide their own version.
bool defaultSkipFilter(Area& a, long direction) {
    const RddFuncTable& f = a.rdd->funcs;
    long step = direction < 0 ? -1 : 1;
    while (!atEof(a) && isHidden(a)) {
        if (atBof(a) && step < 0) step = 1;
        f.skipRaw(a, step);
    }
    return true;
}

bool defaultSkip(Area& a, long n) {
    const RddFuncTable& f = a.rdd->funcs;
    if (n == 0) {
        // Refresh: go to the current record again, keeping BOF and EOF.
        if (!atBof(a) && !atEof(a)) {
            long rec = 0;
            f.recNo(a, rec);
            f.goTo(a, rec);
        }
        return true;
    }
    long dir = n > 0 ? 1 : -1;
    for (long i = 0; i < (n > 0 ? n : -n); ++i) {
        if (!f.skipRaw(a, dir)) return false;
        if (!f.skipFilter(a, dir)) return false;
        if (dir > 0 ? atEof(a) : atBof(a)) break;
    }
    return true;
}

// Field by field; a driver that can check every value first provides its own.
bool defaultPutRecord(Area& a, int firstField, const std::vector<Value>& values) {
    for (size_t i = 0; i < values.size(); ++i)
        if (!values[i].isNil() && !a.rdd->funcs.putValue(a, firstField + int(i), values[i])) return false;
    return true;
}

bool defaultGoToId(Area& a, const Value& id) { return a.rdd->funcs.goTo(a, long(id.num())); }

bool defaultSetFilter(Area& a, const FilterInfo& info) {
    a.filter = info;
    return true;
}
bool defaultClearFilter(Area& a) {
    a.filter = FilterInfo{};
    return true;
}
bool defaultFilterText(Area& a, std::string& out) {
    out = a.filter.text;
    return true;
}
bool defaultRecNo(Area& a, long& out) {
    Value id;
    if (!a.rdd->funcs.recId(a, id)) return false;
    out = long(id.num());
    return true;
}
// Without an order list the area is in natural order.
bool defaultOrdListClear(Area& a) {
    OrderListInfo info{"", Value(0), Value()};
    return a.rdd->funcs.ordListFocus(a, info);
}
bool failFlag(Area&, bool&) { return false; }
bool failValue(Area&, Value&) { return false; }
bool failLong(Area&, long&) { return false; }
bool failInfo(Area&, int, Value&) { return false; }
bool failList(Area&, OrderListInfo&) { return false; }
bool failOrdInfo(Area&, int, OrderInfo&) { return false; }
// A driver without files has no extensions.
bool defaultRddInfo(int what, Value& out) {
    if (what != RDDI_TABLEEXT && what != RDDI_ORDBAGEXT) return false;
    out = Value("");
    return true;
}
}  // namespace

void rddFillDefaults(RddFuncTable& t) {
    if (!t.init) t.init = [] { return true; };
    if (!t.close) t.close = [](Area& a) { areaCloseBase(a); return true; };
    if (!t.getValue) t.getValue = [](Area&, int, Value&) { return false; };
    if (!t.putValue) t.putValue = [](Area&, int, const Value&) { return false; };
    if (!t.putRecord) t.putRecord = defaultPutRecord;
    if (!t.goTo) t.goTo = [](Area&, long) { return false; };
    if (!t.goToId) t.goToId = defaultGoToId;
    if (!t.goTop) t.goTop = fail;
    if (!t.goBottom) t.goBottom = fail;
    if (!t.skip) t.skip = defaultSkip;
    if (!t.skipRaw) t.skipRaw = [](Area&, long) { return false; };
    if (!t.skipFilter) t.skipFilter = defaultSkipFilter;
    if (!t.setFilter) t.setFilter = defaultSetFilter;
    if (!t.clearFilter) t.clearFilter = defaultClearFilter;
    if (!t.filterText) t.filterText = defaultFilterText;
    if (!t.bof) t.bof = failFlag;
    if (!t.eof) t.eof = failFlag;
    if (!t.found) t.found = failFlag;
    if (!t.seek) t.seek = [](Area&, bool, const Value&, bool) { return false; };
    if (!t.deleteRec) t.deleteRec = fail;
    if (!t.recall) t.recall = fail;
    if (!t.deleted) t.deleted = failFlag;
    if (!t.append) t.append = [](Area&, bool) { return false; };
    if (!t.lock) t.lock = [](Area&, LockInfo&) { return false; };
    if (!t.unlock) t.unlock = [](Area&, long) { return false; };
    if (!t.recId) t.recId = failValue;
    if (!t.recNo) t.recNo = defaultRecNo;
    if (!t.recCount) t.recCount = failLong;
    if (!t.pack) t.pack = fail;
    if (!t.zap) t.zap = fail;
    if (!t.info) t.info = failInfo;
    if (!t.flush) t.flush = ok;
    if (!t.ordListAdd) t.ordListAdd = failList;
    if (!t.ordListClear) t.ordListClear = defaultOrdListClear;
    if (!t.ordListFocus) t.ordListFocus = failList;
    if (!t.ordCreate) t.ordCreate = [](Area&, const OrderCreateInfo&) { return false; };
    if (!t.ordInfo) t.ordInfo = failOrdInfo;
    if (!t.rddInfo) t.rddInfo = defaultRddInfo;
}
