// Orders of the in-memory engine: key comparison, lookups, order maintenance, creation,
// focus, information, scopes, ordered navigation and seek.
#include <algorithm>
#include <cstring>

#include "TableLayer.h"
#include "Text.h"
#include "arrayRddTable.h"

namespace {
int typeRank(char t) {
    switch (t) {
        case 'L': return 0;
        case 'D': return 1;
        case 'N': return 2;
        case 'C':
        case 'M': return 3;
        default: return 4;
    }
}
int sign(double d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }
}  // namespace

int compareFull(const Value& a, const Value& b) {
    char ta = a.type(), tb = b.type();
    if (a.isText() && b.isText()) {
        int c = a.text().compare(b.text());
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (ta != tb) return typeRank(ta) < typeRank(tb) ? -1 : 1;
    switch (ta) {
        case 'N': return sign(a.num() - b.num());
        case 'D': return sign(double(a.date().julian()) - double(b.date().julian()));
        case 'L': return int(a.logical()) - int(b.logical());
        default: return 0;
    }
}

int compareKey(const Value& stored, const Value& sought) {
    if (stored.isText() && sought.isText()) {
        const std::string& s = stored.text();
        const std::string& k = sought.text();
        size_t n = std::min(s.size(), k.size());
        int c = std::memcmp(s.data(), k.data(), n);
        if (c != 0) return c < 0 ? -1 : 1;
        return s.size() < k.size() ? -1 : 0;  // a stored key that starts with the sought one is equal
    }
    return compareFull(stored, sought);
}

Value evalKey(const MemoryOrder& o) { return o.keyBlock ? o.keyBlock() : Value(); }

bool evalFor(const MemoryOrder& o) {
    if (!o.condition || !o.condition->forBlock) return true;
    return o.condition->forBlock().logical();
}

namespace {

// Exact-record lookup: the position of record `rec`'s entry.
std::optional<size_t> findRecord(const OrderEntries& e, long rec) {
    size_t pos = e.positionOf(rec);
    if (pos == e.size()) return std::nullopt;
    return pos;
}

}  // namespace

void MODIFYINDEX(AreaState& s, MemoryOrder& o, long rec, const Value& newKey, bool forNow,
                 const std::optional<Value>& oldKey, bool forBefore) {
    bool changed = !oldKey || !(newKey == *oldKey);
    // A record that comes back into the condition with an unchanged key (a recall under
    // "!deleted()") needs its entry again, so the condition before the change counts too.
    bool had = oldKey && forBefore;
    bool removed = false, inserted = false;
    size_t insertedAt = 0;
    if (had && (!forNow || changed)) {
        if (auto pos = findRecord(o.entries, rec)) {
            o.entries.erase(*pos);
            removed = true;
        }
    }
    if (forNow && (changed || !had) && !o.entries.has(rec)) {
        // After the last entry whose key is <= the new key: equal keys keep insertion order.
        insertedAt = o.entries.partitionPoint(
            [&](const Value& k) { return compareFull(k, newKey) <= 0; });
        o.entries.insert(insertedAt, rec, newKey);
        inserted = true;
    }
    if (s.order(s.currentOrder) == &o && (removed || inserted))
        s.keyPos = inserted ? long(insertedAt) + 1 : 0;
}

void SEEKSCOPE(AreaState& s, size_t& first, size_t& end) {
    MemoryOrder* o = s.order(s.currentOrder);
    auto& c = s.scopeCache;
    if (c.valid && c.order == o && c.version == o->entries.version()) {
        first = c.first;
        end = c.end;
        return;
    }
    const Scope* sc = size_t(s.currentOrder) <= s.scopes.size() ? &s.scopes[size_t(s.currentOrder - 1)] : nullptr;
    first = 0;
    end = o->entries.size();
    if (sc && sc->top)
        first = o->entries.partitionPoint([&](const Value& k) { return compareKey(k, *sc->top) < 0; });
    if (sc && sc->bottom)
        end = o->entries.partitionPoint([&](const Value& k) { return compareKey(k, *sc->bottom) <= 0; });
    if (end < first) end = first;
    c = {o, o->entries.version(), first, end, true};
}

long currentEntryPos(AreaState& s) {
    MemoryOrder* o = s.order(s.currentOrder);
    if (!o || s.atEnd()) return 0;
    if (s.keyPos > 0 && size_t(s.keyPos) <= o->entries.size() &&
        o->entries.recAt(size_t(s.keyPos - 1)) == s.recNo)
        return s.keyPos;
    auto pos = findRecord(o->entries, s.recNo);
    s.keyPos = pos ? long(*pos) + 1 : 0;
    return s.keyPos;
}

namespace {

void goToEntry(AreaState& s, const MemoryOrder& o, size_t pos) {
    s.recNo = o.entries.recAt(pos);
    s.bof = s.eof = false;
    s.keyPos = long(pos) + 1;
}

}  // namespace

bool orderedGoTop(AreaState& s) {
    size_t first, end;
    SEEKSCOPE(s, first, end);
    if (first >= end)
        goToEof(s);
    else
        goToEntry(s, *s.order(s.currentOrder), first);
    return true;
}

bool orderedGoBottom(AreaState& s) {
    size_t first, end;
    SEEKSCOPE(s, first, end);
    if (first >= end)
        goToEof(s);
    else
        goToEntry(s, *s.order(s.currentOrder), end - 1);
    return true;
}

bool orderedSkipRaw(AreaState& s, long k) {
    const MemoryOrder& o = *s.order(s.currentOrder);
    size_t first, end;
    SEEKSCOPE(s, first, end);
    long c = long(end - first);
    if (c == 0) {
        goToEof(s);
        return true;
    }
    long pos = currentEntryPos(s);  // 1-based over all entries
    long p = pos == 0 ? c + 1 : std::clamp(pos - long(first), 0L, c + 1);
    if (k < 0 && -k >= p) {
        goToEntry(s, o, first);
        s.bof = true;
    } else if (k > 0 && p + k > c) {
        goToEof(s);
    } else {
        goToEntry(s, o, first + size_t(p + k - 1));
    }
    return true;
}

void rebuildAfterPack(AreaState& s, const std::vector<long>& newNumber) {
    for (auto& op : s.table->orders) {
        MemoryOrder& o = *op;
        if (o.deps.everything) {
            // The key may read the record number: evaluate it again for every record.
            o.entries.clear();
            long saved = s.recNo;
            for (long r = 1; r <= s.table->count(); ++r) {
                goToRecord(s, r);
                if (evalFor(o)) MODIFYINDEX(s, o, r, evalKey(o), true, std::nullopt);
            }
            goToRecord(s, saved);
            continue;
        }
        std::vector<std::pair<long, Value>> kept;
        kept.reserve(o.entries.size());
        for (size_t i = 0; i < o.entries.size(); ++i) {
            EntryRef e = o.entries.at(i);
            long n = e.rec < long(newNumber.size()) ? newNumber[size_t(e.rec)] : 0;
            if (n > 0) kept.emplace_back(n, e.key);
        }
        o.entries.assign(std::move(kept));
    }
    s.keyPos = 0;
}

OrderDeps depsOf(const Structure& st, const std::shared_ptr<const CompiledExpr>& key,
                 const std::optional<OrderCondition>& cond, bool keyOpaque) {
    OrderDeps d;
    d.everything = false;
    d.fields.assign(st.size() + 1, false);
    auto add = [&](const ExprDeps& e) {
        if (e.other || e.recNo) d.everything = true;
        d.deleted = d.deleted || e.deleted;
        for (const std::string& name : e.fields) {
            auto it = std::find_if(st.begin(), st.end(), [&](const FieldDesc& f) { return f.name == name; });
            if (it == st.end())
                d.everything = true;
            else
                d.fields[size_t(it - st.begin()) + 1] = true;
        }
    };
    if (keyOpaque || !key)
        d.everything = true;
    else
        add(key->deps());
    if (cond && cond->forBlock) {
        if (cond->forExpr)
            add(cond->forExpr->deps());
        else
            d.everything = true;
    }
    return d;
}

bool AR_SEEK(Area& a, bool soft, const Value& key, bool last) {
    AreaState& s = state(a);
    MemoryOrder* o = s.order(s.currentOrder);
    if (!o) {
        arrayRaise(EG_NOORDER, 1020, errorDescription(EG_NOORDER), s.openInfo.file, true);
        return false;
    }
    const OrderEntries& e = o->entries;
    size_t firstEq = e.partitionPoint([&](const Value& k) { return compareKey(k, key) < 0; });
    bool anyEqual = firstEq < e.size() && compareKey(e.at(firstEq).key, key) == 0;
    std::optional<size_t> pos;
    if (anyEqual) {
        if (last)
            pos = e.partitionPoint([&](const Value& k) { return compareKey(k, key) <= 0; }) - 1;
        else
            pos = firstEq;
    } else if (soft && firstEq < e.size()) {
        pos = firstEq;  // the first entry greater than the key
    }
    if (!pos) {
        s.found = false;
        goToEof(s);
        return true;
    }
    goToEntry(s, *o, *pos);
    s.found = compareKey(e.at(*pos).key, key) == 0;
    return true;
}

namespace {
void ensureScopes(AreaState& s) {
    if (s.scopes.size() < s.table->orders.size()) s.scopes.resize(s.table->orders.size());
    s.scopeCache.valid = false;
}

// 1-based order named by tag (upper-cased; the bag when the tag is empty) or number; the
// current order for NIL; 0 for none.
int resolveOrder(AreaState& s, const Value& order, const std::string& bag) {
    if (order.isNumber()) {
        int n = int(order.num());
        return n >= 1 && n <= int(s.table->orders.size()) ? n : 0;
    }
    std::string tag = order.isText() ? order.text() : "";
    if (order.isNil() && bag.empty()) return s.order(s.currentOrder) ? s.currentOrder : 0;
    if (tag.empty()) tag = bag;
    tag = text::upper(text::rtrim(tag));
    for (size_t i = 0; i < s.table->orders.size(); ++i)
        if (s.table->orders[i]->tag == tag) return int(i) + 1;
    return 0;
}
}  // namespace

bool AR_ORDLSTADD(Area& a, OrderListInfo& info) {
    AreaState& s = state(a);
    s.currentOrder = s.table->orders.empty() ? 0 : 1;
    // A tag named with the list (the caller's extension) is taken instead, as on disk.
    if (info.focus.isNumber() || info.focus.isText())
        s.currentOrder = resolveOrder(s, info.focus, "");
    ensureScopes(s);
    s.keyPos = 0;
    return true;
}

bool AR_ORDLSTFOCUS(Area& a, OrderListInfo& info) {
    AreaState& s = state(a);
    MemoryOrder* cur = s.order(s.currentOrder);
    info.result = Value(cur ? cur->tag : std::string());
    ensureScopes(s);
    if (info.focus.isNumber()) {
        int n = int(info.focus.num());
        s.currentOrder = n >= 1 && n <= int(s.table->orders.size()) ? n : 0;
    } else if (info.focus.isText()) {
        s.currentOrder = resolveOrder(s, info.focus, "");
    } else {
        return true;
    }
    s.keyPos = 0;
    return true;
}

bool AR_ORDCREATE(Area& a, const OrderCreateInfo& info) {
    AreaState& s = state(a);
    MemoryTable& t = *s.table;
    auto o = std::make_unique<MemoryOrder>();
    o->tag = text::upper(info.tag.empty() ? info.bag : info.tag);
    o->keyText = info.keyText;
    o->keyBlock = info.keyBlock;
    o->condition = info.condition;
    o->deps = depsOf(t.structure, info.keyExpr, info.condition, !info.keyExpr);
    // An order of the same name is replaced, but only once the new one is built.
    std::unique_ptr<MemoryOrder> replaced;
    size_t replacedAt = 0;
    Scope replacedScope;
    for (size_t i = 0; i < t.orders.size(); ++i)
        if (t.orders[i]->tag == o->tag) {
            replaced = std::move(t.orders[i]);
            replacedAt = i;
            t.orders.erase(t.orders.begin() + long(i));
            if (i < s.scopes.size()) {
                replacedScope = s.scopes[i];
                s.scopes.erase(s.scopes.begin() + long(i));
            }
            break;
        }
    t.orders.push_back(std::move(o));
    MemoryOrder& order = *t.orders.back();
    s.currentOrder = int(t.orders.size());
    ensureScopes(s);
    s.scopes[size_t(s.currentOrder - 1)] = Scope{};

    const OrderCondition* c = info.condition ? &*info.condition : nullptr;
    long rec = 1;
    if (c && (c->whileBlock || c->next > 0) && c->startRecord > 0) rec = c->startRecord;
    long done = 0;
    try {
        for (goToRecord(s, rec); !s.atEnd(); goToRecord(s, s.recNo + 1 > t.count() ? 0 : s.recNo + 1)) {
            if (c && c->next > 0 && done >= c->next) break;
            if (c && c->evalBlock && c->evalStep > 0 && done % c->evalStep == 0 &&
                !c->evalBlock().logical())
                break;
            if (c && c->whileBlock && !c->whileBlock().logical()) break;
            if (evalFor(order)) MODIFYINDEX(s, order, s.recNo, evalKey(order), true, std::nullopt);
            ++done;
        }
    } catch (...) {
        // A key that cannot be evaluated leaves no half-built order behind, and the order
        // it was to replace where it was.
        t.orders.pop_back();
        s.currentOrder = 0;
        if (s.scopes.size() > t.orders.size()) s.scopes.resize(t.orders.size());
        if (replaced) {
            t.orders.insert(t.orders.begin() + long(replacedAt), std::move(replaced));
            if (replacedAt <= s.scopes.size()) s.scopes.insert(s.scopes.begin() + long(replacedAt), replacedScope);
        }
        goToRecord(s, 1);
        throw;
    }
    s.keyPos = 0;
    return a.rdd->funcs.goTop(a);
}

bool AR_ORDINFO(Area& a, int what, OrderInfo& info) {
    AreaState& s = state(a);
    int n = resolveOrder(s, info.order, info.bag);
    MemoryOrder* o = s.order(n);
    ensureScopes(s);
    auto scopeSlot = [&](bool top) -> std::optional<Value>* {
        if (!o) return nullptr;
        Scope& sc = s.scopes[size_t(n - 1)];
        return top ? &sc.top : &sc.bottom;
    };
    switch (what) {
        case DBOI_EXPRESSION: info.result = Value(o ? o->keyText : std::string()); return true;
        case DBOI_CONDITION:
            info.result = Value(o && o->condition ? o->condition->forText : std::string());
            return true;
        case DBOI_NAME: info.result = Value(o ? o->tag : std::string()); return true;
        case DBOI_NUMBER: info.result = Value(n); return true;
        case DBOI_ORDERCOUNT: info.result = Value(long(s.table->orders.size())); return true;
        case DBOI_BAGNAME: info.result = Value(""); return true;
        case DBOI_POSITION:
        case DBOI_KEYCOUNT: {
            long answer = 0;
            if (o && s.table->count() > 0) {
                int saved = s.currentOrder;
                s.currentOrder = n;
                size_t first, end;
                SEEKSCOPE(s, first, end);
                if (what == DBOI_KEYCOUNT) {
                    answer = long(end - first);
                } else {
                    long pos = currentEntryPos(s);
                    if (pos > long(first) && pos <= long(end)) answer = pos - long(first);
                }
                s.currentOrder = saved;
                if (saved != n) s.keyPos = 0;
            }
            info.result = Value(answer);
            return true;
        }
        case DBOI_SCOPETOP:
        case DBOI_SCOPEBOTTOM:
        case DBOI_SCOPETOPCLEAR:
        case DBOI_SCOPEBOTTOMCLEAR: {
            bool top = what == DBOI_SCOPETOP || what == DBOI_SCOPETOPCLEAR;
            auto* slot = scopeSlot(top);
            info.result = slot && *slot ? **slot : Value();
            if (!slot) return true;
            if (what == DBOI_SCOPETOPCLEAR || what == DBOI_SCOPEBOTTOMCLEAR)
                slot->reset();
            else if (info.hasNewValue)
                *slot = info.newValue;
            s.scopeCache.valid = false;
            return true;
        }
        default: return false;
    }
}
