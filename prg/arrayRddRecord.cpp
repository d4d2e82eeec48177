// Records of the in-memory engine: reading and writing fields (one at a time or a whole
// record), append, delete and recall, record locks, pack and zap. Each change keeps the
// table's orders up to date (MODIFYINDEX) and leaves nothing half done when a key fails.
#include <algorithm>
#include <cmath>

#include "TableLayer.h"
#include "Text.h"
#include "arrayRddTable.h"

namespace {

// Rounds `v` to `dec` decimals as every numeric field does and tells whether its text (sign,
// digits, point and decimals) fits in `len` characters.
bool fitsNumeric(double v, int len, int dec, double& rounded) {
    static const double pow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10,
                                   1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20};
    if (!std::isfinite(v)) return false;
    dec = std::clamp(dec, 0, 15);
    rounded = text::roundDecimals(v, dec);
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

// The cells of the current record, one per field.
Value* currentRow(AreaState& s) { return s.table->rows.row(s.recNo, s.table->blankRow()); }

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

}  // namespace

bool AR_GETVALUE(Area& a, int field, Value& out) {
    AreaState& s = state(a);
    const Structure& st = s.table->structure;
    if (field < 1 || field > int(st.size())) return false;
    const FieldDesc& f = st[size_t(field - 1)];
    if (!s.atEnd()) {
        if (const Value* v = s.table->rows.cell(s.recNo, field)) {
            out = *v;
            return true;
        }
    }
    out = Value::emptyOf(f.type, f.len);
    return true;
}

bool AR_PUTVALUE(Area& a, int field, const Value& v) {
    AreaState& s = state(a);
    const Structure& st = s.table->structure;
    if (field < 1 || field > int(st.size())) return false;
    Value converted;
    if (!convertForField(st[size_t(field - 1)], v, converted, s.openInfo.file)) return false;
    if (s.atEnd()) return true;
    Value* cells = currentRow(s);
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
    Value* cells = currentRow(s);
    auto pending = oldKeys(s, [&](const MemoryOrder& o) {
        for (size_t i = 0; i < values.size(); ++i)
            if (!values[i].isNil() && o.deps.touchedBy(firstField + int(i))) return true;
        return false;
    });
    // The fields that some key reads go in first, their old values kept in case a key fails;
    // the others follow once the keys are known to be good.
    auto readByKeys = [&](size_t i) {
        for (const Pending& p : pending)
            if (p.order->deps.touchedBy(firstField + int(i))) return true;
        return false;
    };
    std::vector<uint8_t>& keyField = s.scratchFlags;
    keyField.assign(values.size(), 0);
    for (size_t i = 0; i < values.size(); ++i) keyField[i] = !values[i].isNil() && readByKeys(i);
    auto exchangeKeyFields = [&](Value* row) {
        for (size_t i = 0; i < values.size(); ++i)
            if (keyField[i]) std::swap(row[size_t(firstField - 1) + i], converted[i]);
    };
    exchangeKeyFields(cells);
    applyKeys(s, pending, [&] { exchangeKeyFields(currentRow(s)); });
    for (size_t i = 0; i < values.size(); ++i)
        if (!values[i].isNil() && !keyField[i]) cells[size_t(firstField - 1) + i] = std::move(converted[i]);
    return true;
}

bool AR_DELETE(Area& a) { return setDeleted(a, true); }
bool AR_RECALL(Area& a) { return setDeleted(a, false); }
bool AR_DELETED(Area& a, bool& out) {
    AreaState& s = state(a);
    out = !s.atEnd() && s.table->infoOf(s.recNo).deleted;
    return true;
}

bool AR_APPEND(Area& a, bool) {
    AreaState& s = state(a);
    if (!writeAllowed(s, true)) return false;
    s.table->rows.append(s.table->blankRow());
    s.table->info.resize(size_t(s.table->count()));
    NETERR(false);
    goToRecord(s, s.table->count());
    std::vector<Pending> pending;
    for (auto& o : s.table->orders) pending.push_back({o.get(), std::nullopt, false, Value(), false});
    applyKeys(s, pending, [&] {
        s.table->rows.removeLast();
        s.table->info.resize(size_t(s.table->count()));
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

bool AR_PACK(Area& a) {
    AreaState& s = state(a);
    if (!s.table->exclusive || s.shared) {
        arrayRaise(EG_UNLOCKED, 1022, errorDescription(EG_UNLOCKED), "", false);
        return false;
    }
    MemoryTable& t = *s.table;
    std::vector<long> newNumber(size_t(t.count()) + 1, 0);
    std::vector<bool> keep(size_t(t.count()), false);
    long kept = 0;
    for (long r = 1; r <= t.count(); ++r) {
        if (t.infoOf(r).deleted) continue;
        keep[size_t(r - 1)] = true;
        newNumber[size_t(r)] = ++kept;
    }
    t.rows.keep(keep);
    t.info.assign(size_t(kept), RecordInfo{});
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
    s.table->rows.clear();
    s.table->info.clear();
    for (auto& o : s.table->orders) o->entries.clear();
    s.locks.clear();
    goToEof(s);
    return true;
}

